// Chat, notice, ring, heartbeat and control-message dispatch.

#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingOwnDevices.h"
#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/AssistantRecords.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/MemberListViewController.h"
#include "meeting/panels/SubtitlePanel.h"
#include "meeting/panels/TranscriptionViewController.h"
#include "meeting/window/dispatch/MeetingDispatchTarget.h"
#include "meeting/window/dispatch/MeetingMessageDispatch.h"
#include "meeting/window/dispatch/MeetingNoticeRules.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QWidget>

#include <chrono>

using namespace std::chrono_literals;

namespace {

bool userIsPrivileged()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    VeskMeetingManager *manager = MeetingCurrent::manager();
    return (agent && agent->myInfo().isHost()) || (manager && manager->asssitantHost());
}

} // namespace

// The window as the dispatchers' target: each handler of the two tables lands on the controller.
class MeetingWindowDispatchTarget final : public QObject, public MeetingDispatchTarget {
public:
    explicit MeetingWindowDispatchTarget(MeetingViewController *controller) : QObject(controller), c(controller) {}

    [[nodiscard]] QString myPhoneNumber() const override
    {
        VeskAppAgent *agent = VeskAppAgent::existingInstance();
        return agent ? agent->myInfo().phoneNumber : QString();
    }
    [[nodiscard]] bool subtitlesShown() const override { return c->panels().panel<SubtitlePanel>().showSubtitleView(); }
    [[nodiscard]] bool senderMayCommand(const QString &sender) const override
    {
        if (sender == QLatin1String("mccServer"))
            return true;
        QString plain = RXEncrypt::aes128ecbDecrypt(sender);
        if (plain.isEmpty())
            plain = sender;
        if (plain.isEmpty())
            return false;
        if (const auto room = MeetingCurrent::room(); room && room->creatorId == plain)
            return true;
        VeskMeetingManager *manager = MeetingCurrent::manager();
        if (!manager)
            return false;
        const auto member = manager->memberForId(plain);
        return (member && member->isAssistantHost()) ||
               AssistantRecords::contains(manager->asssitantRecordArray(), plain);
    }

    [[nodiscard]] bool senderMayDriveSharedFile(const QString &sender,
                                                const MeetingHostControlRules::SharedFileEvent &event,
                                                const MeetingControlData &data) const override
    {
        const bool service = sender == MeetingHostControlRules::kServerSender;
        const MeetingHostControlRules::CommandSender who{sender, service, !service && senderMayCommand(sender)};
        return MeetingHostControlRules::sharedFileSenderAllowed(event.command, who,
                                                                c->sharing().sharedFileOnShow(event.kind, data.fileId));
    }

    void addChatLine(const MeetingMessageModel &line) override { c->addSingleMessage(line); }
    void transcriptionItems(const IMMessage &message) override { c->transcriptionReceiveMessages(message); }
    void subtitleItems(const IMMessage &message) override { c->receiveSubTitle(message); }
    void serverNotice(const IMMessage &message) override { c->receiveSeverControlMessage(message); }
    void transcriptionStatus(const IMMessage &message) override { c->receiveTextTransfer(message); }
    void ring(const IMMessage &message) override { c->receiveRIngRIngMessage(message); }

    void toastInMeeting(const QString &text) override { VeskToast::showToastInMeeting(text); }
    void toast(const QString &text) override { VeskToast::showToast(text); }
    void controlMic(const MeetingControlData &data) override { c->ownDevices().controlMicWithData(data); }
    void controlScreenShare(const MeetingControlData &data) override { c->sharing().controlScreenShareWithData(data); }
    void transcriptionSwitched(const MeetingControlData &data) override
    {
        if (const auto room = MeetingCurrent::room()) {
            room->openTranslateText = data.openTranslateText;
            room->roomTranscribeStatus = data.roomTranscribeStatus;
        }
    }
    void allowOpenMic(const MeetingControlData &data) override { c->ownDevices().handleAllowAllowOpenMic(data); }
    void allowSendIMMessage(const MeetingControlData &data) override { c->handleAllowSendIMMessage(data); }
    void assistantsChanged() override { c->requireAssistantinfo(); }
    void roomLockChanged(bool locked) override
    {
        if (const auto room = MeetingCurrent::room())
            room->roomLockStatus = locked;
    }
    void roomWaitChanged(bool on) override
    {
        if (const auto room = MeetingCurrent::room())
            room->roomWaitStatus = on;
    }
    void roomNameChanged(const QString &name) override
    {
        if (const auto room = MeetingCurrent::room())
            room->roomName = name;
    }
    void playbackResync(const MeetingControlData &data) override { c->sharing().applyPlaybackResync(data); }
    void playbackStarted() override { c->sharing().applyPlaybackStarted(); }
    void playbackResumed() override { c->sharing().applyPlaybackResumed(); }
    void playbackPaused() override { c->sharing().applyPlaybackPaused(); }
    void playbackSought(const MeetingControlData &data) override { c->sharing().applyPlaybackSeek(data); }
    void playbackEnded() override { c->sharing().applyPlaybackEnded(); }
    void fileShareStopped() override { c->sharing().applyFileShareStopped(); }
    void fileShareStarted(const MeetingControlData &data) override { c->sharing().applyFileShareStarted(data); }
    void countDownComming() override { c->countDowns().countDownComming(); }
    void countDownViewHadEnd() override { c->countDowns().countDownViewHadEnd(); }
    void controlCamera(const MeetingControlData &data) override { c->ownDevices().controlCameraWithData(data); }
    void allowOpenCamera(const MeetingControlData &data) override { c->ownDevices().handleAllowAllowOpenCamera(data); }
    void documentShare(const MeetingControlData &data) override { c->sharing().applyDocumentShare(data); }
    void documentSwitched(const MeetingControlData &data) override { c->sharing().applyDocumentSwitch(data); }
    void documentFollow(const MeetingControlData &data) override { c->sharing().applyDocumentFollow(data); }
    void uploadPermissionChanged(const MeetingControlData &data) override
    {
        if (const auto room = MeetingCurrent::room()) {
            room->allowFileUpload = data.allowFileUpload;
            room->uploadPermissionType = data.uploadPermissionType;
        }
        NotificationCenter::defaultCenter().post(QStringLiteral("RoomUploadPermissionTypeChange"));
    }
    void sharePermissionChanged(const MeetingControlData &data) override { c->sharing().applySharePermission(data); }
    void sharePermissionListChanged(const MeetingControlData &data) override
    {
        c->sharing().applySharePermissionList(data);
    }
    void fileRightsChanged(const MeetingControlData &data) override { c->sharing().applyFileRights(data); }

private:
    MeetingViewController *c;
};

MeetingDispatchTarget *MeetingViewController::dispatchTarget()
{
    if (!m_dispatchTarget)
        m_dispatchTarget = new MeetingWindowDispatchTarget(this);
    return m_dispatchTarget;
}

// ---- Messages ------------------------------------------------------------------------------------

void MeetingViewController::receiveMessage(const IMMessage &message)
{
    if (m_lifetime.meetingEnded)
        return;
    // A close of every microphone kept from before the room state waits no longer than this.
    if (m_ownDevices->state().tempIsMicOn && m_lifetime.stateMeeting == VeskMeetingManager::StateInRoom)
        m_ownDevices->applyHeldHostControl();
    MeetingMessageDispatch::dispatchMessage(message, *dispatchTarget());
}

void MeetingViewController::addSingleMessage(const MeetingMessageModel &line)
{
    m_panels->panel<ChatPanel>().addSingleMessage(line);
    Q_EMIT singleMessageAdded(line);
}

void MeetingViewController::transcriptionReceiveMessages(const IMMessage &message)
{
    transcriptionView()->receiveMessages(message.data);
}

void MeetingViewController::memberListUpdateAllowCarmeraStatusDisplay()
{
    memberListViewController()->updateAllowCarmeraStatusDisplay();
}

void MeetingViewController::memberListUpdateAllowOpenMicStatusDisplay(bool allowed)
{
    if (allowed)
        memberListViewController()->updateAllowOpenMicStatusDisplay();
    else
        memberListViewController()->updateNotAllowOpenMicStatusDisplay();
}

void MeetingViewController::memberListUpdateIsOrNotAllowOpenCameraStatusDisplay()
{
    memberListViewController()->updateIsOrNotAllowOpenCameraStatusDisplay();
}

// ---- Heartbeat acknowledgements --------------------------------------------------------------------

void MeetingViewController::receiveHeartbeatAck(const IMMessage &message)
{
    if (m_lifetime.meetingEnded)
        return;
    if (m_ownDevices->state().tempIsMicOn && m_lifetime.stateMeeting == VeskMeetingManager::StateInRoom)
        m_ownDevices->applyHeldHostControl();
    const std::optional<MeetingNoticeRules::HeartbeatAck> ack = MeetingNoticeRules::heartbeatAck(message);
    if (!ack)
        return;
    VeskMeetingManager *manager = MeetingCurrent::manager();
    const auto room = MeetingCurrent::room();
    if (ack->cameraAllowStatus && room) {
        room->cameraAllowStatus = *ack->cameraAllowStatus != 0;
        memberListUpdateAllowCarmeraStatusDisplay();
    }
    if (ack->hasRoomInfo && room) {
        room->imAllowStatus = ack->imAllowStatus;
        room->imForbid = ack->imForbid;
        room->micAllowStatus = ack->micAllowStatus;
        room->micForbid = ack->micForbid;
        if (ack->micForbid && (m_ownDevices->isMicOn() || (manager && manager->micDidOpen()))) {
            m_ownDevices->setIsMicOn(false);
            m_ownDevices->micphoneChange();
        }
    }
    if ((ack->micStatus != 0) != m_ownDevices->isMicOn() && !m_ownDevices->state().tempIsMicOn)
        m_ownDevices->reportMicStatus(m_ownDevices->isMicOn());
}

// ---- Server notices for hosts ------------------------------------------------------------------------

void MeetingViewController::receiveSeverControlMessage(const IMMessage &message)
{
    if (!userIsPrivileged())
        return;
    MainQueue::async(this, [this, message] {
        if (m_lifetime.meetingEnded)
            return;
        VeskMeetingManager *manager = MeetingCurrent::manager();
        if (!manager || !manager->judegeDuplicates(message))
            return;
        const MeetingNoticeRules::ServerNotice notice = MeetingNoticeRules::serverNotice(message);
        if (notice.requireAssistantInfo)
            requireAssistantinfo();
        for (const IMSystemMessage &entry : notice.waitRoomNotices)
            handleWaitRoomData(entry);
    });
}

void MeetingViewController::handleWaitRoomData(const IMSystemMessage &message)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (!manager)
        return;
    if (MeetingNoticeEvent(message.event) == MeetingNoticeEvent::WaitRoomMemberAdded) {
        manager->waitRoomAddMember(message.content);
        updateRedpoint(true);
    } else if (MeetingNoticeEvent(message.event) == MeetingNoticeEvent::WaitRoomMemberRemoved) {
        manager->waitRoomRemoveMember(message.content);
        updateRedpoint(false);
    }
}

// ---- Rings -----------------------------------------------------------------------------------------------

void MeetingViewController::receiveRIngRIngMessage(const IMMessage &message)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (!manager || !manager->judegeDuplicates(message))
        return;
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    switch (MeetingNoticeRules::ringAction(message, agent ? agent->myInfo().userId : QString())) {
    case MeetingNoticeRules::RingAction::Add:
        manager->addRecordToRingBuffer(message.sender);
        break;
    case MeetingNoticeRules::RingAction::Remove:
        manager->deleteRecordFromRingBuffer(message.sender);
        break;
    case MeetingNoticeRules::RingAction::Ignore:
        break;
    }
}
