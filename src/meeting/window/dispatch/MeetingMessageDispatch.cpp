#include "meeting/window/dispatch/MeetingMessageDispatch.h"
#include "foundation/StringHelpers.h"

#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"

#include "meeting/window/dispatch/MeetingDispatchTarget.h"
#include <QLoggingCategory>

namespace MeetingMessageDispatch {

namespace {

Q_LOGGING_CATEGORY(lcDispatch, "korvi.meeting")

using Type = MeetingMessageType;
using Event = MeetingControlEvent;

MeetingMessageModel lineFrom(const IMMessage &message, qint64 kind, const QString &text)
{
    MeetingMessageModel line;
    line.messageType = kind;
    line.phoneNumber = message.sender;
    line.userName = message.senderName;
    line.msgId = int(message.msgId);
    line.sid = message.sid;
    line.type = int(message.type);
    line.messageString = text;
    return line;
}

} // namespace

std::optional<MeetingMessageModel> chatLine(const IMMessage &message)
{
    qint64 kind = 0;
    switch (Type(message.type)) {
    case Type::Chat:
        // A chat message without text has nothing to show.
        if (message.data.isEmpty() || message.data.first().isEmpty())
            return std::nullopt;
        kind = MeetingMessageModel::Chat;
        break;
    case Type::MemberJoined:
        kind = MeetingMessageModel::Joined;
        break;
    case Type::MemberLeft:
        kind = MeetingMessageModel::Left;
        break;
    default:
        return std::nullopt;
    }
    // Join and leave lines name the member; their text may be empty.
    const QString text = message.payload();
    if (text == kPausedShareText)
        return std::nullopt;
    return lineFrom(message, kind, text);
}

void dispatchMessage(const IMMessage &message, MeetingDispatchTarget &target)
{
    switch (Type(message.type)) {
    case Type::Chat:
    case Type::MemberJoined:
    case Type::MemberLeft:
        if (const auto line = chatLine(message))
            target.addChatLine(*line);
        break;
    case Type::Control:
        dispatchControl(message, target);
        break;
    case Type::Transcription:
        target.transcriptionItems(message);
        if (target.subtitlesShown())
            target.subtitleItems(message);
        break;
    case Type::ServerNotice:
        target.serverNotice(message);
        break;
    case Type::TranscriptionStatus:
        target.transcriptionStatus(message);
        break;
    case Type::Ring:
        target.ring(message);
        break;
    default:
        break;
    }
}

std::optional<MeetingControlMessage> decodeControl(const IMMessage &message)
{
    if (message.data.isEmpty())
        return std::nullopt;
    const QVariant object = jx_JSONObject(message.data.first());
    if (object.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    auto command = jx_objectWithKeyValues<MeetingControlMessage>(object);
    command.data.sender = message.sender;
    command.data.senderName = message.senderName;
    return command;
}

std::optional<MeetingMessageModel> noticeLine(const MeetingControlMessage &command, const IMMessage &message)
{
    switch (Event(command.event)) {
    case Event::AllowSendIMMessage:
    case Event::RoomName:
    case Event::ChatLine:
    case Event::NoticeToast:
        return std::nullopt;
    default:
        break;
    }
    if (command.message.isEmpty() || command.message == QLatin1String("null") || command.message == kPausedShareText)
        return std::nullopt;
    MeetingMessageModel line;
    line.messageType = MeetingMessageModel::Notice;
    line.phoneNumber = message.sender;
    line.userName = message.senderName;
    line.messageString = command.message;
    line.msgId = int(message.msgId);
    return line;
}

std::optional<MeetingMessageModel> commandChatLine(const MeetingControlMessage &command, const IMMessage &message)
{
    // The text rides in the command's data, else in its message; never the raw command.
    const QString text = !command.data.message.isEmpty() ? command.data.message : command.message;
    if (text.isEmpty() || text == QLatin1String("null") || text == kPausedShareText)
        return std::nullopt;
    MeetingMessageModel line = lineFrom(message, MeetingMessageModel::Chat, text);
    line.type = int(Event::ChatLine);
    return line;
}

bool isHostCommand(qint64 event)
{
    switch (Event(event)) {
    case Event::Microphone:
    case Event::ScreenShareEnd:
    case Event::TranscriptionSwitch:
    case Event::AllowOpenMic:
    case Event::AllowSendIMMessage:
    case Event::RoomLock:
    case Event::RoomWait:
    case Event::CountDownStarted:
    case Event::CountDownStopped:
    case Event::Camera:
    case Event::AllowOpenCamera:
    case Event::UploadPermission:
    case Event::SharePermission:
    case Event::SharePermissionList:
        return true;
    default:
        return false;
    }
}

void dispatchControl(const IMMessage &message, MeetingDispatchTarget &target)
{
    const std::optional<MeetingControlMessage> decoded = decodeControl(message);
    if (!decoded)
        return;
    const MeetingControlMessage &command = *decoded;
    if (isHostCommand(command.event) && !target.senderMayCommand(message.sender)) {
        qCInfo(lcDispatch) << "host command" << command.event << "from a member dropped";
        return;
    }
    if (const MeetingHostControlRules::SharedFileEvent shared =
            MeetingHostControlRules::sharedFileEvent(command.event, command.data.sharedFileStatus);
        shared.command != MeetingHostControlRules::SharedFileCommand::None &&
        !target.senderMayDriveSharedFile(message.sender, shared, command.data)) {
        qCInfo(lcDispatch) << "shared-file event" << command.event << "from one who may not drive it dropped";
        return;
    }
    if (const auto line = noticeLine(command, message))
        target.addChatLine(*line);

    MeetingControlData data = command.data;
    switch (Event(command.event)) {
    case Event::Microphone:
        target.controlMic(data);
        break;
    case Event::ScreenShareEnd:
        target.controlScreenShare(data);
        break;
    case Event::TranscriptionSwitch:
        target.transcriptionSwitched(data);
        break;
    case Event::MicRequestRefused: {
        const QString me = target.myPhoneNumber();
        if (!me.isEmpty() && RXEncrypt::aes128ecbDecrypt(data.peerId) == me)
            target.toastInMeeting(kMicRequestRefused.arg(DataText::isolated(message.senderName)));
        break;
    }
    case Event::AllowOpenMic:
        target.allowOpenMic(data);
        break;
    case Event::AllowSendIMMessage:
        data.imForbidMsg = command.message;
        target.allowSendIMMessage(data);
        break;
    case Event::AssistantsChanged:
        target.assistantsChanged();
        break;
    case Event::RoomLock:
        target.roomLockChanged(data.switchStatus != 0);
        break;
    case Event::RoomWait:
        target.roomWaitChanged(data.switchStatus != 0);
        break;
    case Event::RoomName:
        target.roomNameChanged(command.message);
        break;
    case Event::ChatLine:
        if (const auto line = commandChatLine(command, message))
            target.addChatLine(*line);
        break;
    case Event::NoticeToast:
        if (!command.message.isEmpty())
            target.toastInMeeting(command.message);
        break;
    case Event::DataToast:
        if (!data.message.isEmpty())
            target.toast(data.message);
        break;
    case Event::PlaybackPosition:
        target.playbackResync(data);
        break;
    case Event::PlaybackStarted:
        target.playbackStarted();
        break;
    case Event::PlaybackResumed:
        target.playbackResumed();
        break;
    case Event::PlaybackPaused:
        target.playbackPaused();
        break;
    case Event::PlaybackSought:
        target.playbackSought(data);
        break;
    case Event::PlaybackEnded:
    case Event::PlaybackFinished:
        target.playbackEnded();
        break;
    case Event::FileShareStopped:
        target.fileShareStopped();
        break;
    case Event::FileShareStarted:
        target.fileShareStarted(data);
        break;
    case Event::CountDownStarted:
        target.countDownComming();
        break;
    case Event::CountDownStopped:
        target.toastInMeeting(kCountDownStopped);
        target.countDownViewHadEnd();
        break;
    case Event::Camera:
        target.controlCamera(data);
        break;
    case Event::AllowOpenCamera:
        target.allowOpenCamera(data);
        break;
    case Event::DocumentShare:
        target.documentShare(data);
        break;
    case Event::DocumentSwitch:
        target.documentSwitched(data);
        break;
    case Event::DocumentFollow:
        target.documentFollow(data);
        break;
    case Event::UploadPermission:
        target.uploadPermissionChanged(data);
        break;
    case Event::SharePermission:
        target.sharePermissionChanged(data);
        break;
    case Event::SharePermissionList:
        target.sharePermissionListChanged(data);
        break;
    case Event::FileRights:
        // Rights only: a rights change does not move playback.
        target.fileRightsChanged(data);
        break;
    default:
        // Codes that mean nothing to the window, and unknown ones.
        break;
    }
}

} // namespace MeetingMessageDispatch
