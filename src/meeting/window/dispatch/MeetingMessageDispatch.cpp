#include "meeting/window/dispatch/MeetingMessageDispatch.h"

#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"
#include "meeting/window/dispatch/MeetingDispatchTarget.h"

namespace MeetingMessageDispatch {

namespace {

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
    switch (message.type) {
    case Chat:
        // A chat message without text has nothing to show.
        if (message.data.isEmpty() || message.data.first().isEmpty())
            return std::nullopt;
        kind = MeetingMessageModel::Chat;
        break;
    case MemberJoined:
        kind = MeetingMessageModel::Joined;
        break;
    case MemberLeft:
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
    switch (message.type) {
    case Chat:
    case MemberJoined:
    case MemberLeft:
        if (const auto line = chatLine(message))
            target.addChatLine(*line);
        break;
    case Control:
        dispatchControl(message, target);
        break;
    case Transcription:
        target.transcriptionItems(message);
        if (target.subtitlesShown())
            target.subtitleItems(message);
        break;
    case ServerNotice:
        target.serverNotice(message);
        break;
    case TranscriptionStatus:
        target.transcriptionStatus(message);
        break;
    case Ring:
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
    switch (command.event) {
    case 10:
    case 201:
    case 202:
    case 203:
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
    line.type = 202;
    return line;
}

void dispatchControl(const IMMessage &message, MeetingDispatchTarget &target)
{
    const std::optional<MeetingControlMessage> decoded = decodeControl(message);
    if (!decoded)
        return;
    const MeetingControlMessage &command = *decoded;
    if (const auto line = noticeLine(command, message))
        target.addChatLine(*line);

    MeetingControlData data = command.data;
    switch (command.event) {
    case 1:
        target.controlMic(data);
        break;
    case 4:
        target.controlScreenShare(data);
        break;
    case 5:
        target.transcriptionSwitched(data);
        break;
    case 7: {
        const QString me = target.myPhoneNumber();
        if (!me.isEmpty() && RXEncrypt::aes128ecbDecrypt(data.peerId) == me)
            target.toastInMeeting(kMicRequestRefused.arg(message.senderName));
        break;
    }
    case 9:
        target.allowOpenMic(data);
        break;
    case 10:
        data.imForbidMsg = command.message;
        target.allowSendIMMessage(data);
        break;
    case 12:
        target.assistantsChanged();
        break;
    case 13:
        target.roomLockChanged(data.switchStatus != 0);
        break;
    case 14:
        target.roomWaitChanged(data.switchStatus != 0);
        break;
    case 201:
        target.roomNameChanged(command.message);
        break;
    case 202:
        if (const auto line = commandChatLine(command, message))
            target.addChatLine(*line);
        break;
    case 203:
        if (!command.message.isEmpty())
            target.toastInMeeting(command.message);
        break;
    case 264:
        if (!data.message.isEmpty())
            target.toast(data.message);
        break;
    case 266:
        target.playbackResync(data);
        break;
    case 701:
        target.playbackStarted();
        break;
    case 702:
        target.playbackResumed();
        break;
    case 703:
        target.playbackPaused();
        break;
    case 704:
        target.playbackSought(data);
        break;
    case 705:
    case 709:
        target.playbackEnded();
        break;
    case 706:
        target.fileShareStopped();
        break;
    case 707:
        target.fileShareStarted(data);
        break;
    case 801:
        target.countDownComming();
        break;
    case 802:
        target.toastInMeeting(kCountDownStopped);
        target.countDownViewHadEnd();
        break;
    case 803:
        target.controlCamera(data);
        break;
    case 804:
        target.allowOpenCamera(data);
        break;
    case 901:
        target.documentShare(data);
        break;
    case 902:
        target.documentSwitched(data);
        break;
    case 903:
        target.documentFollow(data);
        break;
    case 911:
        target.uploadPermissionChanged(data);
        break;
    case 912:
        target.sharePermissionChanged(data);
        break;
    case 913:
        target.sharePermissionListChanged(data);
        break;
    case 914:
        // Rights only: a rights change does not move playback.
        target.fileRightsChanged(data);
        break;
    default:
        // 2, 3, 6, 8, 11, 708, 904-910 and unknown codes.
        break;
    }
}

} // namespace MeetingMessageDispatch
