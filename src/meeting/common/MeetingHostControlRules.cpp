#include "meeting/common/MeetingHostControlRules.h"

#include "foundation/RXEncrypt.h"
#include "meeting/common/MeetingCodes.h"

namespace MeetingHostControlRules {

bool isFromMe(const QString &sender, const Me &me)
{
    if (sender.isEmpty() || sender == kServerSender)
        return false;
    const QString plain = RXEncrypt::aes128ecbDecrypt(sender);
    return (!me.phoneNumber.isEmpty() && plain == me.phoneNumber) || (!me.userId.isEmpty() && plain == me.userId);
}

bool addressesMe(const QString &peerId, const Me &me)
{
    return !me.phoneNumber.isEmpty() && RXEncrypt::aes128ecbDecrypt(peerId) == me.phoneNumber;
}

QString banToast(const QString &banText, bool roomAllows, const Me &me, bool switchingOn)
{
    if (!switchingOn || roomAllows || me.privileged())
        return {};
    return banText;
}

MicAction micAction(const MeetingControlData &data, const Me &me, const MicState &state)
{
    const bool open = data.switchStatus != 0;
    const bool micOn = state.isMicOn || state.micDidOpen;
    if (data.peerId == kEveryone) {
        if (isFromMe(data.sender, me))
            return MicAction::None;
        if (!open) {
            // Before the room state the join steps may still open the microphone: kept for later.
            if (state.stateMeeting != 2)
                return MicAction::HoldUntilInRoom;
            return state.isMicOn ? MicAction::CloseAll : MicAction::None;
        }
        return (!micOn && !state.alertShow) ? MicAction::AskToOpen : MicAction::None;
    }
    if (!addressesMe(data.peerId, me))
        return MicAction::None;
    if (!open)
        return micOn ? MicAction::CloseMine : MicAction::None;
    if (micOn || data.sender == kServerSender || state.alertShow)
        return MicAction::None;
    return MicAction::AskToOpen;
}

CameraAction cameraAction(const MeetingControlData &data, const Me &me, const CameraState &state)
{
    if (data.switchStatus != 0)
        return CameraAction::None;
    if (data.peerId == kEveryone) {
        if (isFromMe(data.sender, me) || me.isAssistantHost)
            return CameraAction::None;
        return (state.isCameraOn && state.stateMeeting == 2) ? CameraAction::CloseAll : CameraAction::None;
    }
    // Camera commands name the member in plain.
    if (me.phoneNumber.isEmpty() || data.peerId != me.phoneNumber)
        return CameraAction::None;
    return (state.isCameraOn || state.currentCameraOn) ? CameraAction::CloseMine : CameraAction::None;
}

QString requesterName(const MeetingControlData &data, const QString &creatorId)
{
    if (!creatorId.isEmpty() && RXEncrypt::aes128ecbDecrypt(data.sender) == creatorId)
        return kHostTitle;
    return data.senderName;
}

bool followApplies(quint64 sequenceId, quint64 lastReceived, quint64 lastSent)
{
    return sequenceId <= kMaxSequenceId && sequenceId > lastReceived && sequenceId > lastSent;
}

std::optional<int> pageIndexForSlice(const QList<FileSliceModel> &slices, const QString &sliceId)
{
    for (int i = 0; i < slices.size(); ++i) {
        if (slices.at(i).sliceId == sliceId)
            return i;
    }
    return std::nullopt;
}

qint64 seekSeconds(qint64 seekPositionMs)
{
    return seekPositionMs / 1000;
}

RightsTarget rightsTarget(int fileShareMode, const QString &commandFileId, const QString &documentFileId,
                          const QString &avFileId)
{
    if (commandFileId.isEmpty())
        return RightsTarget::None;
    if (fileShareMode == 1 && commandFileId == documentFileId)
        return RightsTarget::Document;
    if (fileShareMode == 2 && commandFileId == avFileId)
        return RightsTarget::AVFile;
    return RightsTarget::None;
}

quint64 announcedSequenceId(quint64 sequenceId)
{
    return sequenceId > kMaxSequenceId ? 0 : sequenceId;
}

quint64 nextSequenceId(quint64 sequenceId)
{
    return sequenceId >= kMaxSequenceId ? kMaxSequenceId : sequenceId + 1;
}

SharedFileEvent sharedFileEvent(qint64 event, int sharedFileStatus)
{
    using Command = SharedFileCommand;
    using Kind = SharedFileKind;
    switch (MeetingControlEvent(event)) {
    case MeetingControlEvent::DocumentShare:
        return {sharedFileStatus == 1 ? Command::Start : Command::Manage, Kind::Document};
    case MeetingControlEvent::DocumentSwitch:
        return {Command::Start, Kind::Document};
    case MeetingControlEvent::DocumentFollow:
        return {Command::Operate, Kind::Document};
    case MeetingControlEvent::FileShareStarted:
        return {Command::Start, Kind::AVFile};
    case MeetingControlEvent::FileShareStopped:
        return {Command::Manage, Kind::AVFile};
    case MeetingControlEvent::PlaybackPosition:
    case MeetingControlEvent::PlaybackStarted:
    case MeetingControlEvent::PlaybackResumed:
    case MeetingControlEvent::PlaybackPaused:
    case MeetingControlEvent::PlaybackSought:
    case MeetingControlEvent::PlaybackEnded:
    case MeetingControlEvent::PlaybackFinished:
    case MeetingControlEvent::PlaybackReported:
        return {Command::Operate, Kind::AVFile};
    case MeetingControlEvent::FileRights:
        return {Command::Manage, Kind::Named};
    default:
        return {};
    }
}

namespace {

// Ids are compared in the clear: a sender or a peer id may come encrypted or not.
QString plainId(const QString &id)
{
    const QString plain = RXEncrypt::aes128ecbDecrypt(id);
    return plain.isEmpty() ? id : plain;
}

bool sameId(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && plainId(a) == plainId(b);
}

} // namespace

bool sharedFileSenderAllowed(SharedFileCommand command, const CommandSender &sender,
                             const std::optional<SharedFileOnShow> &shown)
{
    if (command == SharedFileCommand::None || sender.service)
        return true;
    // A share starts through the service, which holds the share lock: never on a member's word.
    if (command == SharedFileCommand::Start || !shown)
        return false;
    if (sender.hostOrAssistant || sameId(sender.id, shown->sharerId))
        return true;
    if (command != SharedFileCommand::Operate || shown->rights != 2)
        return false;
    for (const QVariant &entry : shown->enableUserList) {
        if (sameId(sender.id, entry.toMap().value(QStringLiteral("userId")).toString()))
            return true;
    }
    return false;
}

} // namespace MeetingHostControlRules
