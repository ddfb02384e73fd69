// Entering the room: join at once, or wait on the waiting-room screen until the host admits.

#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/common/MeetingWindowRules.h"
#include "uikit/KVDataText.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <chrono>
#include <utility>

using namespace std::chrono_literals;

namespace {
void setTitleText(KVMeetingIDLabel *label, const QString &text, const QString &roomId)
{
    if (!label)
        return;
    KVDataText::setText(label, text);
    // Read out as it reads: the meeting's name and number.
    label->setAccessibleName(text);
    label->setStyleSheet(QStringLiteral("color: white;"));
    label->setRoomId(roomId);
}

// While the cover is up, what lies under it is out of the keyboard's and a screen reader's reach:
// hidden, and shown again as it was once the cover goes. The top bar is not under it.
void setCovered(QWidget *cover, QWidget *topBar, QList<QPointer<QWidget>> &hidden, bool covered)
{
    if (!covered) {
        for (const QPointer<QWidget> &w : std::exchange(hidden, {})) {
            if (w)
                w->show();
        }
        return;
    }
    if (!cover || !cover->parentWidget() || !hidden.isEmpty())
        return;
    for (QObject *child : cover->parentWidget()->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (!w || w == cover || w == topBar || w->isWindow() || w->isHidden())
            continue;
        hidden << w;
        w->hide();
    }
}
} // namespace

void MeetingViewController::aboutWaitingRoom()
{
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    connect(agent, &VeskAppAgent::joinRefused, this, &MeetingViewController::admissionJoinRefused,
            Qt::UniqueConnection);

    if (m_waitingRoom.enterWaitingRoom) {
        m_waitingRoom.showingWaitingRoom = true;
        ui->waitingRoomBKView->raise();
        vesk::setBackgroundColor(ui->waitingRoomBKView, vesk::colorWithHexString(QStringLiteral("#3A3A3C")));
        ui->waitingRoomBKView->show();
        setCovered(ui->waitingRoomBKView, ui->topView, m_waitingRoom.coveredViews, true);
        ui->endMeetingBtn->hide();
        ui->meetingIdCopyBtn->hide();
        vesk::setCornerRadius(ui->exitWaitingRoomBtn, 4.0);
        const QColor red = vesk::colorWithHexString(QStringLiteral("FF3B30"));
        vesk::setButtonBordered(ui->exitWaitingRoomBtn, red, 1.0);
        vesk::setButtonAttribute(ui->exitWaitingRoomBtn, MeetingWindowRules::kExitWaitingRoomTitle, red,
                                 vesk::systemFont(15));
        const auto waiting = agent->temMeetingInfoModel();
        const QString roomId = waiting ? waiting->roomId : QString();
        setTitleText(ui->titleLabel,
                     MeetingWindowRules::waitingRoomTitle(waiting ? waiting->roomName : QString(), roomId), roomId);
        addLoopRequest();
        return;
    }

    m_waitingRoom.showingWaitingRoom = false;
    if (manager) {
        manager->setAssistantsDelegate(this, this);
        requireAssistantinfo();
        manager->setDelegate(this, this);
        m_lifetime.isRoomDelegate = true;
        connect(agent, &VeskAppAgent::joinedRoomEnded, this, &MeetingViewController::joinedRoomEnded,
                Qt::UniqueConnection);
        manager->joinRoom();
    }
    const auto room = manager ? manager->roomInfo() : nullptr;
    ui->endMeetingBtn->setVisible(room && MeetingWindowRules::showsEndMeetingButton(*room, agent->myInfo().userId));
    ui->waitingRoomBKView->hide();
    setCovered(ui->waitingRoomBKView, ui->topView, m_waitingRoom.coveredViews, false);
    ui->meetingIdCopyBtn->show();
    const QString roomId = room ? room->roomId : QString();
    setTitleText(ui->titleLabel, MeetingWindowRules::joinedTitle(room ? room->roomName : QString(), roomId), roomId);
}

void MeetingViewController::addLoopRequest()
{
    if (m_waitingRoom.loopRequestTimer)
        m_waitingRoom.loopRequestTimer->invalidate();
    const quint64 generation = ++m_waitingRoom.waitingRoomGeneration;
    // Owned by the window: the poll dies with it; a reply of an earlier screen is dropped.
    m_waitingRoom.loopRequestTimer = KVTimer::repeating(this, 2s, [this, generation] {
        VeskAppAgent::sharedInstance()->queryAllowEnterStatusCompletionBlock(
            this, [this, generation](const KVMResponse &response) {
                if (generation != m_waitingRoom.waitingRoomGeneration || m_lifetime.meetingEnded)
                    return;
                const MeetingWindowRules::Admission admission =
                    MeetingWindowRules::admission(response.successed, response.data);
                switch (admission) {
                case MeetingWindowRules::Admission::Enter:
                    enterMeetingRoom();
                    break;
                case MeetingWindowRules::Admission::Removed:
                case MeetingWindowRules::Admission::Ended: {
                    VeskToast::showToast(MeetingWindowRules::admissionToast(admission));
                    exitWaitingRoomAction(nullptr);
                    break;
                }
                case MeetingWindowRules::Admission::KeepWaiting:
                    break;
                }
            });
    });
}

void MeetingViewController::enterMeetingRoom()
{
    // The home page joins with the waiting room's meeting. The waiting room, its poll and that
    // meeting stay until the join succeeds (the agent then drops the meeting, the page goes), so a
    // refused join leaves the user where he can be admitted.
    NotificationCenter::defaultCenter().post(MeetingWindowRules::kEnterFromWaitingRoomNotification);
}

void MeetingViewController::admissionJoinRefused(const QString &roomId, qint64 code, const QString &message)
{
    const bool waitingHere = m_waitingRoom.showingWaitingRoom && !m_lifetime.meetingEnded;
    if (!waitingHere && !m_waitingRoom.rejoining)
        return;
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    const auto waiting = agent->temMeetingInfoModel();
    if (!waiting || waiting->roomId != roomId)
        return;
    const QString text = MeetingWindowRules::joinRefusalText(message);
    if (MeetingWindowRules::joinRefusalEndsWaiting(code)) {
        // The service holds the user no longer: home, with its answer.
        m_waitingRoom.rejoining = false;
        exitWaitingRoomAction(nullptr);
    } else if (m_waitingRoom.rejoining) {
        // This page's meeting is over: the waiting room on a page of its own, as a 454 opens it.
        m_waitingRoom.rejoining = false;
        if (KVPageNavigator *navigator = KVPageNavigator::current())
            navigator->showMeetingPage(true);
    } else {
        VeskToast::showToast(text);
        return;
    }
    // After the page switch, over the page shown.
    MainQueue::async(agent, [text] { VeskToast::showToast(text); });
}

void MeetingViewController::destoryWaitingRoom()
{
    ++m_waitingRoom.waitingRoomGeneration;
    if (m_waitingRoom.loopRequestTimer)
        m_waitingRoom.loopRequestTimer->invalidate();
    m_waitingRoom.loopRequestTimer.clear();
    VeskAppAgent::sharedInstance()->setTemMeetingInfoModel(nullptr);
}

void MeetingViewController::exitWaitingRoomAction(QObject *)
{
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    const auto waiting = agent->temMeetingInfoModel();
    agent->leaveWaitRoomAction(waiting ? waiting->roomId : QString());
    destoryWaitingRoom();
    endMeetingLifetime();
    clearManagerDelegates();
    if (KVPageNavigator *navigator = KVPageNavigator::current())
        navigator->showMainPage(true);
    else
        qCWarning(lcMeeting) << "no page navigator: cannot open the home page";
}

void MeetingViewController::enterMeetingRoomFromWaitingRoom()
{
    aboutWaitingRoom();
}
