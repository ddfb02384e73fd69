#pragma once

// Shared pieces of the stand-in's meeting-service routes (sign-in, rooms, control, files,
// records). The stand-in maps plain JSON; it does not link the client's agent.
//
// Development sign-in: any phone number, the code "123456" (printed when "sent").
// User ids are the plain phone numbers; replies carry user ids and phone numbers encrypted.

#include "devservice/DevService.h"

#include <functional>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace AgentRoutes {

inline const QString DevSmsCode = QStringLiteral("123456");

// Service codes of the stand-in (the client reacts to 413, 452, 454 and 461).
enum Code : qint64 {
    BadRequest = 400,
    Forbidden = 403,
    NotFound = 404,
    PasswordNeeded = 413,
    Locked = 452,
    Ended = 453,
    WaitingRoom = 454,
    Removed = 456,
    WrongSequence = 457,
    WrongCode = 460,
    Unregistered = 461,
    ShareLockHeld = 1001,
    ShareLockNotHeld = 1002,
    RecordingOn = 1003,
    RecordingOff = 1004,
    BadSignature = 1005,
};

// Close codes and reasons of the message channel when the service takes a member out: the client
// leaves the meeting on them and shows the reason.
inline constexpr int RoomEndedClose = 4000;
inline constexpr int MemberRemovedClose = 4002;
inline const QString RoomEndedReason = QStringLiteral("主持人已结束会议");
inline const QString MemberRemovedReason = QStringLiteral("您已被主持人移出会议");
// The host moved the member to the waiting room.
inline constexpr int MovedToWaitingRoomClose = 4007;

// Notices for the room's hosts and assistant hosts (message type 4).
inline constexpr int WaitingRoomEntered = 108;
inline constexpr int WaitingRoomLeft = 109;

[[nodiscard]] QString enc(const QString &plain);
[[nodiscard]] QString dec(const QString &cipher);
[[nodiscard]] QString newToken();
[[nodiscard]] qint64 nowMs();    // wall clock, ms since 1970
[[nodiscard]] QString nowText(); // "yyyy-MM-dd HH:mm:ss"
[[nodiscard]] QString str(const DevRequest &req, const QString &name);
[[nodiscard]] qint64 num(const DevRequest &req, const QString &name, qint64 fallback = 0);
// A request list of strings (JSON array or a single string), each decrypted.
[[nodiscard]] QStringList plainTargets(const QVariant &value);

[[nodiscard]] QJsonObject userJson(const DevUser &user);
[[nodiscard]] DevReply failWithData(qint64 code, const QString &message, const QJsonValue &data);

// The signed-in user, or nullptr with *error set to the service's answer.
[[nodiscard]] DevUser *signedIn(DevService &svc, const DevRequest &req, DevReply *error);
// A route for signed-in users only: anyone else gets the sign-in failure, and the handler is
// called with the user (never nullptr).
void signedInRoute(DevService &svc, const QString &method, const QString &path,
                   std::function<DevReply(DevUser *user, const DevRequest &req)> handler);

// A meeting-control request: signed in, room known and open, "sequenceId" right and, when
// hostOnly, the user is the host or an assistant host. nullptr with *error otherwise.
[[nodiscard]] DevRoom *controlRoom(DevService &svc, const DevRequest &req, bool hostOnly, DevUser **user,
                                   DevReply *error);
[[nodiscard]] bool isHostOrAssistant(DevRoom &room, const QString &userId);
// Whether a member may upload: the room lets everyone, or he is the host or an assistant host.
[[nodiscard]] bool mayUpload(DevRoom &room, const QString &userId);
// Whether the room's share permission lets this user share: 0 everyone, 1 the hosts and the
// members on the room's allowed list, 2 the hosts only.
[[nodiscard]] bool mayShare(DevRoom &room, const QString &userId);

// A control command of the service itself (sender "mccServer").
[[nodiscard]] QJsonObject serviceCommand(int event, const QJsonObject &data);
// A service command to every member of the room but one (the one whose request caused it).
void tellRoomExcept(DevService &svc, const DevRoom &room, const QString &exceptUserId, int event,
                    const QJsonObject &data);

// The room's entry as the room-enter reply sends it.
[[nodiscard]] QJsonObject roomJson(DevService &svc, DevRoom &room, const DevUser &user);
// Scheduled meeting fields as the lists send them (status kept up to date).
[[nodiscard]] QJsonObject meetingJson(DevService &svc, const DevScheduledMeeting &meeting);
// The invitees' and owner's user ids of a scheduled meeting.
[[nodiscard]] bool concerns(const DevScheduledMeeting &meeting, const QString &userId);
// Whether a user is or was in a meeting (its host, a member, one who entered it, or the scheduled
// meeting's owner or an invitee): only they get its member list and record.
[[nodiscard]] bool tookPart(DevService &svc, const QString &roomId, const QString &userId);
// Notes that a user entered a room.
void noteAttendance(DevRoom &room, const QString &userId);
// Closes a room (end or close): every member's channel closed with RoomEndedClose, members out,
// scheduled meeting ended, record document kept.
void closeRoom(DevService &svc, DevRoom &room);

// Tells the room's host and assistant hosts that a person entered (WaitingRoomEntered) or left
// (WaitingRoomLeft) the waiting room. Returns the number of connections reached.
int sendWaitingRoomNotice(DevService &svc, DevRoom &room, const DevMember &person, int event);
// Puts a person into the room's waiting list and tells the hosts.
void enterWaitingRoom(DevService &svc, DevRoom &room, const DevMember &person);

// Checks the file-service common parameters of a request.
[[nodiscard]] bool fileServiceOk(const DevRequest &req, const DevUser &user);

// A list of maps kept under key in an extra map.
[[nodiscard]] QVariantList listIn(const QVariantMap &extra, const QString &key);

// The audio/video file playing in the room as the engines show it ({} when none): {peerId,
// fileName, fileType, positionMs, durationMs, playing}. Asked by the engines' polls, it also
// announces the end of the file (705) and, for an audio file, its position (266).
[[nodiscard]] QJsonObject filePlayback(DevService &svc, DevRoom &room);

} // namespace AgentRoutes
