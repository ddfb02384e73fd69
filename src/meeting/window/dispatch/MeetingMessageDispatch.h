#pragma once

#include "connection/IMMessage.h"
#include "foundation/models/MeetingControlMessage.h"
#include "foundation/models/MeetingMessageModel.h"
#include "meeting/common/MeetingCodes.h"

#include <optional>

class MeetingDispatchTarget;

// Sorting of the message channel's messages by type, and of control commands by event code.
namespace MeetingMessageDispatch {

// A line with this exact text is the sharer's own pause note, never shown.
inline const QString kPausedShareText = QStringLiteral("对方已暂停共享");
inline const QString kMicRequestRefused = QStringLiteral("%1拒绝了您的开麦请求");
inline const QString kCountDownStopped = QStringLiteral("主持人已停止计时");

// The chat line of a Chat, MemberJoined or MemberLeft message; nullopt when it is not shown (the pause note, or a
// chat message without any text).
[[nodiscard]] std::optional<MeetingMessageModel> chatLine(const IMMessage &message);

// Hands one message to the target by its type; unknown types are dropped.
void dispatchMessage(const IMMessage &message, MeetingDispatchTarget &target);

// The command in the first data element, with sender and senderName taken from the message;
// nullopt when there is no element or it is not a JSON object.
[[nodiscard]] std::optional<MeetingControlMessage> decodeControl(const IMMessage &message);

// The notice line a command's text becomes, or nullopt (no text, "null", the pause note, or one
// of the events that carry their text for another use: AllowSendIMMessage, RoomName, ChatLine,
// NoticeToast).
[[nodiscard]] std::optional<MeetingMessageModel> noticeLine(const MeetingControlMessage &command,
                                                            const IMMessage &message);

// The chat line a ChatLine command carries: a chat line (kind 3) with the command's text; nullopt
// without text.
[[nodiscard]] std::optional<MeetingMessageModel> commandChatLine(const MeetingControlMessage &command,
                                                                 const IMMessage &message);

// Decodes a control command, echoes its text and hands it to its handler. A message that holds
// no command is dropped.
// Commands only the service, the host or an assistant host may give: microphones and cameras,
// what members may open, chat permission, lock, waiting room, count-down, record switches, share
// and upload permissions. From anyone else they are logged and dropped, as are document and
// audio/video events from one who may not drive the file they concern (senderMayDriveSharedFile).
[[nodiscard]] bool isHostCommand(qint64 event);
void dispatchControl(const IMMessage &message, MeetingDispatchTarget &target);

} // namespace MeetingMessageDispatch
