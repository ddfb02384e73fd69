#pragma once

#include "uikit/MacBaseViewController.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>

// The meeting page until the meeting window exists: the room's name and number, whether the
// user waits to be admitted, and leaving. It does not join the media room.
class MeetingPagePlaceholder final : public MacBaseViewController {
    Q_OBJECT
public:
    explicit MeetingPagePlaceholder(QObject *parent = nullptr);

    [[nodiscard]] bool enterWaitingRoom() const { return m_enterWaitingRoom; }
    void setEnterWaitingRoom(bool wait);
    // Admitted from the waiting room: shows the room as joined.
    void enterMeetingRoomFromWaitingRoom();

    // Leaves the room (or the waiting room) and asks for the home page.
    void leaveMeeting();

    [[nodiscard]] QString roomName() const;
    [[nodiscard]] VeskButton *leaveButton() const { return m_leaveButton; }

    // Closing the window by hand leaves the meeting.
    bool windowShouldClose() override;

protected:
    void loadView() override;

private:
    void refresh();

    bool m_enterWaitingRoom = false;
    bool m_left = false;
    QPointer<QLabel> m_nameLabel;
    QPointer<QLabel> m_idLabel;
    QPointer<QLabel> m_stateLabel;
    QPointer<VeskButton> m_leaveButton;
};
