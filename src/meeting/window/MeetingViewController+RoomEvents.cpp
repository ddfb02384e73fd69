// The room-level events of the meeting manager: join confirmations, state banners, forced ends
// and rendered frames.

#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingOwnDevices.h"
#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/window/NetWorkTipView.h"
#include "uikit/KVAlert.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMeetingToast.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>

using namespace std::chrono_literals;

// ---- State changes ------------------------------------------------------------------------------

void MeetingViewController::onRoomStateChanged(qint64 state)
{
    // The manager reports on the main thread; anything else is carried there first.
    if (!MainQueue::isMainThread()) {
        MainQueue::async(this, [this, state] { onRoomStateChanged(state); });
        return;
    }
    NetWorkTipView::remove();
    m_lifetime.stateMeeting = state;
    if (m_lifetime.meetingEnded)
        return;

    const MeetingWindowRules::StateReaction reaction = MeetingWindowRules::stateReaction(state);
    if (!reaction.banner.isEmpty() && isViewLoaded())
        NetWorkTipView::showInView(view(), reaction.banner);
    if (reaction.refreshShareData) {
        m_sharing->refreshShareDataIfNeeded();
        if (m_lifetime.joinStepsPending)
            runJoinSteps();
        // A host's mute that arrived while joining applies now that the user is in the room.
        if (state == VeskMeetingManager::StateInRoom)
            m_ownDevices->applyHeldHostControl();
    }
    if (reaction.pausePlayback && m_sharing->state().avFileSharePlaying) {
        if (ui->avFileSharePlayButton)
            ui->avFileSharePlayButton->setState(1);
        m_sharing->pauseAVFileShareTimer();
    }
    if (!reaction.tip.isEmpty() && isViewLoaded())
        VeskMeetingToast::showNomalTip(view(), reaction.tip);
    if (reaction.leaveAfterDelay) {
        // The user is not left on a dead meeting: the whole leave runs, not only the agent's.
        KVTimer::singleShot(this, 2s, [this] {
            if (!m_lifetime.meetingEnded)
                leaveRoom();
        });
    }
    if (state == VeskMeetingManager::StateIdle)
        m_lifetime.joinStepsPending = false;
}

// ---- Join confirmations -----------------------------------------------------------------------------

void MeetingViewController::onJoinRoomSuccess(bool success)
{
    if (!success || m_lifetime.meetingEnded)
        return;
    // No polling thread: the steps run when the state report of 2 arrives (or now, if it came).
    if (m_lifetime.stateMeeting == VeskMeetingManager::StateInRoom)
        runJoinSteps();
    else
        m_lifetime.joinStepsPending = true;
}

void MeetingViewController::runJoinSteps()
{
    m_lifetime.joinStepsPending = false;
    if (m_lifetime.meetingEnded)
        return;
    m_sharing->queryAllShareFileInfo();
    VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    if (room && MeetingWindowRules::openCameraAtJoin(*room) && ui->cameraBtn) {
        ui->cameraBtn->setState(1);
        m_ownDevices->openOrCloseCamera(ui->cameraBtn);
    }
    if (room && MeetingWindowRules::openMicrophoneAtJoin(*room) && ui->microphoneBtn) {
        ui->microphoneBtn->setState(1);
        m_ownDevices->openOrCloseMicrophone(ui->microphoneBtn);
    }
    handleSettingPageConfig();
    Q_EMIT joinStepsDidRun();
}

void MeetingViewController::selfJoinRoomSuccess()
{
    m_sharing->querySharePermission();
}

// ---- Forced ends ---------------------------------------------------------------------------------------

void MeetingViewController::onRoomClosed(const QString &reason)
{
    if (m_lifetime.roomClosedAlertShown || m_lifetime.meetingEnded)
        return;
    m_lifetime.roomClosedAlertShown = true;
    m_sharing->stopScreenShare(true);
    // While the room is still the joined one: its stop names it.
    m_countDowns->countDownViewHadEnd();
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    agent->leaveMeeting();
    if (VeskMeetingManager *manager = agent->meetingManager()) {
        manager->stopMicrophone();
        manager->stopCamera();
    }
    const bool otherDevice = MeetingWindowRules::isOtherDeviceReason(reason);
    QPointer<MeetingViewController> weak(this);
    auto finish = [weak, otherDevice] {
        if (!weak)
            return;
        if (otherDevice)
            weak->leaveRoomAndLoginOut();
        else
            weak->leaveRoom();
    };
    KVAlert *alert =
        KVAlert::alertWithMessage(reason, MeetingWindowRules::roomClosedButtonTitle(reason), finish, finish);
    alert->setObjectName(QStringLiteral("roomClosedAlert"));
    alert->showInCenterOfWindow(window());
}

void MeetingViewController::joinedRoomEnded(const QString &roomId)
{
    VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    if (!m_lifetime.isRoomDelegate || !room || room->roomId != roomId)
        return;
    // The channel's close may never come (the room ended while joining): the answer ends it.
    onRoomClosed(MeetingWindowRules::kCreatorEndedNotice);
}

void MeetingViewController::onRoomClosed()
{
    VeskAppAgent::sharedInstance()->leaveMeeting();
    KVAlert *alert = KVAlert::alertWithMessage(MeetingWindowRules::kCreatorEndedNotice,
                                               MeetingWindowRules::kConfirmTitle, KVAlert::Action());
    alert->setObjectName(QStringLiteral("creatorEndedAlert"));
    alert->showInCenterOfWindow(window());
}

void MeetingViewController::otherDeviceLogin()
{
    onRoomClosed(MeetingWindowRules::kOtherDeviceReason);
}

void MeetingViewController::consumerShareFinsh(const QString &, int reason)
{
    m_sharing->shareEndedByEngine(reason == KRTCShareEnd::StartFailed);
}

void MeetingViewController::consumerShareStarted(const QString &)
{
    m_sharing->shareStartedByEngine();
}

void MeetingViewController::hostMoveConsumerToWaitRoom()
{
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    // Kept to enter again once the host admits.
    agent->setTemMeetingInfoModel(manager ? manager->roomInfo() : nullptr);
    safeLeaveingMeetingWithOutRequest();
}

void MeetingViewController::safeLeaveingMeetingWithOutRequest()
{
    MainQueue::async(this, [this] {
        if (m_lifetime.meetingEnded)
            return;
        m_panels->state().memberWindow.reset();
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        if (VeskMeetingManager *manager = agent->meetingManager()) {
            manager->stopMicrophone();
            manager->stopCamera();
        }
        agent->updateSelfMeetingConfigWithCameraStatus(
            this, QStringLiteral("0"), QStringLiteral("0"), QString(), [this](const KVMResponse &) {
                if (m_lifetime.meetingEnded)
                    return;
                // This window's meeting is over; the home page enters the waiting room anew.
                endMeetingLifetime();
                clearManagerDelegates();
                VeskAppAgent::sharedInstance()->leaveMeetingWithOutRequestMethod();
                m_waitingRoom.rejoining = true;
                enterMeetingRoom();
            });
    });
}

// ---- Statistics (no effect in the window) ------------------------------------------------------------

void MeetingViewController::onLocalAudioStats(const KRTCStatistics &) {}
void MeetingViewController::onLocalVideoStats(const KRTCStatistics &) {}
void MeetingViewController::onRemoteAudioStats(const KRTCStatistics &) {}
void MeetingViewController::onRemoteVideoStats(const KRTCStatistics &) {}

QString MeetingViewController::convertToJsonData(const QVariantMap &dictionary)
{
    QString text =
        QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(dictionary)).toJson(QJsonDocument::Indented));
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\n'));
    return text;
}

// ---- Rendered frames (RENDER THREAD) ---------------------------------------------------------------------

void MeetingViewController::onRender(const QString &peerId, const KRTCVideoFrame &frame, qint64 videoSourceType)
{
    const int mode = m_videoFill.load() ? KRTCVideoView::ContentModeFill : KRTCVideoView::ContentModeFit;
    m_frameRouter.route(peerId, videoSourceType, frame.channelIndex, [&](const Tile &tile) {
        if (KRTCVideoView *video = tile->videoView()) {
            video->setKrtcContentMode(mode);
            // Only the own camera is mirrored: a shared file or screen reads as it is.
            video->renderFrame(frame, tile->isSelf() && tile->activeVideoSourceType() == KRTCSourceType::Camera);
        }
    });

    // Only the shared file's stream carries its position and tells that it flows.
    const std::shared_ptr<const MeetingFrameRouter::Targets> targets = m_frameRouter.targets();
    if (!targets->avFileShareSource ||
        !targets->avFileShareSource->matches(peerId, videoSourceType, frame.channelIndex))
        return;
    // Only the number is taken here: the drag test, the 9 s rule and the store run on the main
    // thread, which the render thread never reads or writes.
    if (const auto seconds = MeetingWindowRules::seiSeconds(frame.seiContent))
        m_frameSeiSeconds.store(*seconds);
    // One queued hop at a time, however fast frames come; it takes the latest position.
    if (!m_recvStreamPending.exchange(true)) {
        MainQueue::async(this, [this, peerId] {
            m_recvStreamPending.store(false);
            const qint64 seconds = m_frameSeiSeconds.exchange(-1);
            if (m_lifetime.meetingEnded || !m_members.avFileShareSourceModel)
                return;
            if (seconds >= 0)
                m_sharing->takeFramePosition(seconds);
            m_sharing->avFileShareRecvStream(peerId);
        });
    }
}
