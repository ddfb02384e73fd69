#pragma once

#include "foundation/models/MeetingDataModel.h"
#include "uikit/VeskButton.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// One of today's meetings on the home page: time, name, number, state and its join button.
class TodayMeetingCell final : public QWidget {
    Q_OBJECT
public:
    explicit TodayMeetingCell(const MeetingDataModel &meeting, QWidget *parent = nullptr);

    std::function<void(const MeetingDataModel &meeting)> onJoinMeeting;

    [[nodiscard]] const MeetingDataModel &meeting() const { return m_meeting; }
    [[nodiscard]] VeskButton *joinButton() const { return m_join; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MeetingDataModel m_meeting;
    QPointer<VeskButton> m_join;
};
