// Leaving the meeting: the dialog, and the two roads out (home page, login page) with their one
// tear-down.

#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/common/MeetingWindowRules.h"
#include "scheduling/KVMCommonUtilCalendar.h"
#include "uikit/KVAlert.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/MacBaseWindowController.h"

void MeetingViewController::leaveMeeting(QObject *)
{
    // Moved out and joining again, the user may still give up: as leaving the waiting room.
    if (m_lifetime.meetingEnded && !m_waitingRoom.rejoining)
        return;
    if (m_lifetime.leaveAlert) {
        m_lifetime.leaveAlert->raise();
        return;
    }
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    const MeetingWindowRules::LeaveDialog dialog =
        MeetingWindowRules::leaveDialog(room ? room->creatorId : QString(), agent->myInfo().phoneNumber);

    QPointer<MeetingViewController> weak(this);
    // On the waiting-room screen, leaving means leaving the waiting room.
    auto leave = [weak] {
        if (!weak)
            return;
        if (weak->m_waitingRoom.showingWaitingRoom || weak->m_waitingRoom.rejoining)
            weak->exitWaitingRoomAction(nullptr);
        else
            weak->leaveRoom();
    };
    KVAlert *alert = nullptr;
    if (dialog.creator) {
        auto endForAll = [weak, leave, roomId = room ? room->roomId : QString()] {
            if (!weak)
                return;
            if (!weak->m_waitingRoom.showingWaitingRoom) {
                // An ended meeting is gone: its calendar events go with it once the service has
                // ended it (the window is gone by then; the agent lives on). A refused or failed
                // end leaves it scheduled, and so its events.
                VeskAppAgent::sharedInstance()->endMeeting([roomId](const KVMResponse &reply) {
                    if (reply.successed && !roomId.isEmpty())
                        KVMCommonUtilCalendar::removeMeeting(roomId);
                });
            }
            leave();
        };
        alert = KVAlert::alertWithMessage(dialog.message, dialog.cancelTitle, dialog.confirmTitle, endForAll, leave);
        alert->setConfigCancelRedStyle();
    } else {
        alert = KVAlert::alertWithMessage(dialog.message, dialog.cancelTitle, dialog.confirmTitle, KVAlert::Action(),
                                          leave);
    }
    alert->setObjectName(QStringLiteral("leaveMeetingAlert"));
    m_lifetime.leaveAlert = alert;
    alert->showInCenterOfWindow(window());
}

void MeetingViewController::leaveRoom()
{
    if (m_lifetime.meetingEnded)
        return;
    m_countDowns->countDownViewHadEnd();
    tearDownMeeting();
    m_panels->state().transcriptionWindow.reset();
    if (KVPageNavigator *navigator = KVPageNavigator::current())
        navigator->showMainPage(true);
    else
        qCWarning(lcMeeting) << "no page navigator: cannot open the home page";
}

void MeetingViewController::leaveRoomAndLoginOut()
{
    if (m_lifetime.meetingEnded)
        return;
    tearDownMeeting();
    // The account is signed in elsewhere: the stored sign-in is dead, so drop it, or the next
    // start would open the home page with a token the service no longer accepts.
    VeskAppAgent::sharedInstance()->logout();
    if (KVPageNavigator *navigator = KVPageNavigator::current())
        navigator->showLoginPage();
    else
        qCWarning(lcMeeting) << "no page navigator: cannot open the login page";
}

void MeetingViewController::tearDownMeeting()
{
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    // No further meeting event reaches this window.
    clearManagerDelegates();
    endMeetingLifetime();
    if (manager) {
        manager->stopCamera();
        manager->stopMicrophone();
    }
    m_sharing->stopScreenShare(false);
    agent->leaveMeeting();
    m_panels->state().memberWindow.reset();
}
