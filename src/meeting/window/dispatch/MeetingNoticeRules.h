#pragma once

#include "connection/IMMessage.h"
#include "connection/IMSystemMessage.h"
#include "meeting/common/MeetingCodes.h"

#include <QList>
#include <QString>

#include <optional>

// Server notices for hosts, heartbeat acknowledgements and ring messages, as plain decisions.
namespace MeetingNoticeRules {

// ---- Server notice (MeetingMessageType::ServerNotice) ----
struct ServerNotice {
    // Waiting-room notices (WaitRoomMemberAdded, WaitRoomMemberRemoved) in their order.
    QList<IMSystemMessage> waitRoomNotices;
    // A MemberDevice notice about a virtual member: fetch the assistant and virtual-member lists again.
    bool requireAssistantInfo = false;
};
// Every element on its own: one that is not a JSON object, or whose "data" is not the JSON text
// of an object, is skipped; a MemberDevice notice does not stop the others.
[[nodiscard]] ServerNotice serverNotice(const IMMessage &message);

// ---- Heartbeat acknowledgement ----
struct HeartbeatAck {
    int micStatus = 0;
    std::optional<int> cameraAllowStatus;
    bool hasRoomInfo = false;
    bool imAllowStatus = false;
    bool micAllowStatus = false;
    bool imForbid = false;
    bool micForbid = false;
};
// nullopt when the first element is missing or not a JSON object.
[[nodiscard]] std::optional<HeartbeatAck> heartbeatAck(const IMMessage &message);

// ---- Ring (MeetingMessageType::Ring) ----
enum class RingAction { Ignore, Add, Remove };
[[nodiscard]] RingAction ringAction(const IMMessage &message, const QString &myUserId);

} // namespace MeetingNoticeRules
