// What each route of the meeting service takes besides the meeting-control routes (which declare
// theirs where they are registered): each key, its JSON type and where it goes. The service
// refuses anything else with its parameter error before it changes anything.

#include "devservice/DevService.h"
#include "devservice/DevShape.h"

#include <QJsonArray>

namespace {

constexpr unsigned Str = DevKey::String;
constexpr unsigned Int = DevKey::Integer;
constexpr unsigned Arr = DevKey::Array;
constexpr unsigned Bool = DevKey::Boolean;

// The file service's signed common parameters (text), in the body or, for an upload, the form.
DevShape withFileService(QList<DevKey> keys, DevKey::In in = DevKey::In::Body)
{
    for (const char *key : {"appType", "roomId", "userId", "expire", "createTime", "sign"})
        keys.append({QLatin1String(key), Str, in, true});
    return DevShape(keys);
}

// The create and update body of a scheduled meeting.
DevShape meetingShape(bool update)
{
    QList<DevKey> keys{body("roomId", Str, update),
                       body("isCycle", Int),
                       body("cycleType", Int, false),
                       body("roomName", Str),
                       body("beginTime", Str),
                       body("password", Str),
                       body("invitationList", Arr),
                       body("allowShareList", Arr, false),
                       body("uploadFileAllowOpUserList", Arr, false)};
    for (const char *key : {"duration", "creatorCameraStatus", "creatorMicrophoneStatus", "enableTransStatus",
                            "micAllowStatus", "roomWaitStatus", "cameraAllowStatus", "enableRecordStatus",
                            "openTranslateText", "uploadPermissionType", "sharePermission"})
        keys.append(body(QLatin1String(key), Int));
    if (update)
        keys.append(body("updateCycleType", Int, false));
    return DevShape(keys);
}

void shape(DevService &svc, const char *method, const char *path, const DevShape &shape)
{
    svc.checkParams(QLatin1String(method), QLatin1String(path),
                    [shape](const DevRequest &request) { return shape.mismatch(request); });
}

const bool registered = DevServiceRoutes::add(QStringLiteral("agent-shapes"), [](DevService &svc) {
    const DevShape room{body("roomId", Str)};
    const DevShape roomQuery{query("roomId", Str)};
    // Sign-in and account.
    shape(svc, "POST", "/qf/user/sendSmsCode", {body("phoneNumber", Str)});
    shape(svc, "POST", "/qf/user/login", {body("phoneNumber", Str), body("code", Str)});
    shape(svc, "POST", "/qf/user/register", {body("phoneNumber", Str), body("code", Str)});
    shape(svc, "POST", "/qf/user/query", {body("userName", Str)});
    shape(svc, "POST", "/qf/user/info", {body("userName", Str)});
    shape(svc, "GET", "/qf/user/createdRoomsInfo", {});
    shape(svc, "GET", "/qf/client/getHistoryLoginDevice", {});
    shape(svc, "GET", "/qf/client/version", {query("platform", Str), query("clientVersion", Str)});
    shape(svc, "POST", "/qf/log/upload",
          {body("level", Str), body("content", Str), body("userId", Str), body("applicationId", Str),
           body("userName", Str, false)});
    shape(
        svc, "POST", "/qf/statistics/micOpenTime",
        {body("roomId", Str), body("seconds", Int), body("userId", Str), body("startTime", Int), body("endTime", Int)});
    // Rooms and scheduled meetings.
    shape(svc, "POST", "/qf/meeting/room/create", meetingShape(false));
    shape(svc, "POST", "/qf/meeting/room/update", meetingShape(true));
    shape(svc, "GET", "/qf/meeting/room/getPreRoomId", {query("roomId", Str, false)});
    shape(svc, "GET", "/qf/meeting/room/invitationList", roomQuery);
    shape(svc, "GET", "/qf/meeting/room/members", roomQuery);
    shape(svc, "GET", "/qf/meeting/room/members/download", roomQuery);
    shape(svc, "GET", "/qf/meeting/room/orderAgenda", {query("isToday", Int)});
    shape(svc, "POST", "/qf/meeting/room/historyAgenda", {body("pageNum", Int), body("pageSize", Str)});
    shape(svc, "POST", "/qf/meeting/room/enter",
          {body("roomId", Str), body("password", Str, false), body("enterStyle", Int, false)});
    shape(svc, "POST", "/qf/meeting/room/leave", room);
    shape(svc, "POST", "/qf/meeting/room/end", room);
    shape(svc, "POST", "/qf/meeting/room/cancel", {body("roomId", Str), body("cancelType", Int)});
    shape(svc, "POST", "/qf/meeting/room/queryCountdown", room);
    shape(svc, "GET", "/qf/meeting/room/hostInfo", roomQuery);
    shape(svc, "GET", "/qf/meeting/room/getAllowShareUsers", {query("roomId", Str), query("isInMeeting", Int)});
    // Records and transcripts.
    shape(svc, "GET", "/qf/user/dvr/list", {query("roomId", Str, false)});
    shape(svc, "POST", "/qf/user/dvr/delete", {body("dvrList", Arr)});
    shape(svc, "POST", "/qf/user/queryRecord", {body("pageNum", Int), body("pageSize", Str)});
    shape(svc, "GET", "/qf/user/deleteRecord", roomQuery);
    shape(svc, "POST", "/qf/subtitle/query",
          {body("roomId", Str), body("pageSize", Str), body("timeStamp", Int | DevKey::Number), body("isAfter", Bool),
           body("isDesc", Bool)});
    shape(svc, "GET", "/qf/subtitle/total", {query("roomId", Str), query("querStr", Str)});
    shape(svc, "GET", "/qf/subtitle/download", roomQuery);
    // Sharing.
    shape(svc, "POST", "/qf/client/setSharePermission",
          {body("roomId", Str), body("sharePermission", Int), body("allowShareList", Arr)});
    shape(svc, "POST", "/qf/client/sharedFile",
          {body("roomId", Str), body("sharedFileStatus", Int), body("sliceInfo", Str), body("fileId", Str),
           body("fileName", Str), body("uploadUserId", Str), body("enableOperationFileStatus", Str, false),
           body("enableUserList", Arr, false)});
    shape(svc, "POST", "/qf/client/audVidShare",
          {body("roomId", Str), body("type", Int), body("fileType", Int), body("token", Str), body("fileId", Str),
           body("fileName", Str), body("duration", Int), body("uploadUserId", Str),
           body("enableOperationFileStatus", Str, false), body("enableUserList", Arr, false)});
    shape(svc, "GET", "/qf/client/querySharedFile", roomQuery);
    shape(svc, "POST", "/qf/client/fileOp", {body("roomId", Str), body("orderStatus", Str), body("fileId", Str)});
    shape(svc, "POST", "/qf/client/AudVidPlay",
          {body("roomId", Str), body("type", Int), body("fileType", Int), body("fileId", Str),
           body("seekPosition", Int | DevKey::Number)});
    shape(svc, "POST", "/qf/client/processStart", {body("roomId", Str), body("fileId", Str)});
    shape(svc, "POST", "/qf/client/querySharedFileAllowOpUser",
          {body("roomId", Str), body("fileId", Str), body("uploadUserId", Str)});
    shape(svc, "POST", "/qf/client/allowOPFileShared",
          {body("roomId", Str), body("fileId", Str), body("fileType", Str), body("enableOperationFileStatus", Int),
           body("uploadUserId", Str), body("enableUserList", Arr, false)});
    shape(svc, "GET", "/qf/client/uploadFilePermission", {query("roomId", Str), query("uploadPermissionType", Int)});
    shape(svc, "GET", "/qf/client/getMeetingMember", {query("roomId", Str), query("isAssistant", Int)});
    shape(svc, "POST", "/qf/client/ShareFileDelete",
          withFileService({body("fileIds", Arr), body("uploadUserId", Str)}));
    // The file service.
    shape(svc, "POST", "/fms/query/list", withFileService({}));
    shape(svc, "POST", "/fms/query/file/sliceUrl", withFileService({body("fileId", Str), body("level", Int)}));
    // Each file announced has its own keys and types.
    const DevShape preUpload = withFileService({body("files", Arr)});
    const DevShape announced{body("md5Val", Str), body("fileName", Str), body("fileSize", Int), body("identity", Str)};
    svc.checkParams(QStringLiteral("POST"), QStringLiteral("/fms/upload/preUpload"),
                    [preUpload, announced](const DevRequest &request) {
                        QString why = preUpload.mismatch(request);
                        for (const QJsonValue &file : request.json.value(QStringLiteral("files")).toArray()) {
                            if (!why.isEmpty())
                                break;
                            why =
                                file.isObject() ? announced.mismatch(file.toObject()) : QStringLiteral("not an object");
                            if (!why.isEmpty())
                                why = QStringLiteral("files: %1").arg(why);
                        }
                        return why;
                    });
    shape(svc, "POST", "/fms/upload/multi", withFileService({form("fileInfos", Str)}, DevKey::In::Form));
});

} // namespace
