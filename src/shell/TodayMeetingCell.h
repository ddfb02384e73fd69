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
    std::function<void(const MeetingDataModel &meeting)> onShowInfo;
    std::function<void(const MeetingDataModel &meeting)> onShowInvite;

    [[nodiscard]] const MeetingDataModel &meeting() const { return m_meeting; }
    [[nodiscard]] VeskButton *joinButton() const { return m_join; }
    [[nodiscard]] VeskButton *infoButton() const { return m_info; }
    [[nodiscard]] VeskButton *inviteButton() const { return m_invite; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MeetingDataModel m_meeting;
    QPointer<VeskButton> m_join;
    QPointer<VeskButton> m_info;
    QPointer<VeskButton> m_invite;
};
