// Stand-in routes: scheduled meetings, lists, entering and leaving rooms, count-down query.
#include "routes/AgentRoutesSupport.h"

#include "devservice/DevSpreadsheet.h"

#include "foundation/KVClock.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <optional>

using namespace AgentRoutes;

namespace {

QString nextRoomId(DevService &svc)
{
    qint64 next = svc.state().extra.value(QStringLiteral("nextRoomNumber"), 800000001).toLongLong();
    while (svc.state().scheduled.contains(QString::number(next)) || svc.state().rooms.contains(QString::number(next)))
        ++next;
    svc.state().extra.insert(QStringLiteral("nextRoomNumber"), next + 1);
    return QString::number(next);
}

// The meeting fields a create or update request sets.
void applyMeetingFields(QVariantMap &fields, const DevRequest &req)
{
    for (const char *key : {"roomName", "beginTime", "password"}) {
        if (req.json.contains(QLatin1String(key)))
            fields.insert(QLatin1String(key), str(req, QLatin1String(key)));
    }
    for (const char *key : {"isCycle", "cycleType", "duration", "creatorCameraStatus", "creatorMicrophoneStatus",
                            "micAllowStatus", "roomWaitStatus", "cameraAllowStatus", "enableRecordStatus",
                            "openTranslateText", "uploadPermissionType", "sharePermission"}) {
        if (req.json.contains(QLatin1String(key)))
            fields.insert(QLatin1String(key), num(req, QLatin1String(key)));
    }
    if (req.json.contains(QLatin1String("enableTransStatus")))
        fields.insert(QStringLiteral("roomTranscribeStatus"), num(req, QStringLiteral("enableTransStatus")));
    for (const char *key : {"invitationList", "allowShareList", "uploadFileAllowOpUserList"}) {
        if (req.json.contains(QLatin1String(key)))
            fields.insert(QLatin1String(key), req.param(QLatin1String(key)).toList());
    }
    const QDateTime begin =
        QDateTime::fromString(fields.value(QStringLiteral("beginTime")).toString(), QStringLiteral("yyyy-MM-dd HH:mm"));
    if (begin.isValid()) {
        const qint64 minutes = fields.value(QStringLiteral("duration")).toLongLong();
        fields.insert(QStringLiteral("endTime"),
                      begin.addSecs(minutes * 60).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    }
    fields.insert(QStringLiteral("totalMemberCount"), fields.value(QStringLiteral("invitationList")).toList().size());
}

// The per-file rights chosen in the meeting's file window hold for its files in the meeting.
void applyFileRights(DevService &svc, const QString &roomId, const DevRequest &req)
{
    for (const QVariant &v : req.param(QStringLiteral("uploadFileAllowOpUserList")).toList()) {
        const QVariantMap rights = v.toMap();
        auto it = svc.state().files.find(rights.value(QStringLiteral("fileId")).toString());
        if (it == svc.state().files.end() || it->roomId != roomId)
            continue;
        const int status = rights.value(QStringLiteral("enableOperationFileStatus")).toInt();
        it->extra.insert(QStringLiteral("enableOperationFileStatus"), status);
        it->extra.insert(QStringLiteral("enableUserList"),
                         status == 2 ? rights.value(QStringLiteral("enableUserList")).toList() : QVariantList());
    }
}

// The room of a scheduled meeting, opened on the first entry.
DevRoom &openRoom(DevService &svc, const DevScheduledMeeting &meeting)
{
    DevRoom *existing = svc.state().room(meeting.roomId);
    if (existing && !existing->closed)
        return *existing;
    DevRoom &room = svc.state().addRoom(meeting.roomId, meeting.ownerUserId,
                                        meeting.fields.value(QStringLiteral("roomName")).toString());
    room.password = meeting.fields.value(QStringLiteral("password")).toString();
    room.sequenceId = QString::number(1000 + svc.state().nextId(QStringLiteral("seq")).section('-', 1).toLongLong());
    for (const char *key : {"micAllowStatus", "cameraAllowStatus", "roomWaitStatus", "enableRecordStatus",
                            "openTranslateText", "roomTranscribeStatus", "sharePermission", "uploadPermissionType"})
        room.flags.insert(QLatin1String(key), meeting.fields.value(QLatin1String(key)).toInt());
    room.flags.insert(QStringLiteral("cameraStatus"),
                      meeting.fields.value(QStringLiteral("creatorCameraStatus")).toInt());
    room.flags.insert(QStringLiteral("microphoneStatus"),
                      meeting.fields.value(QStringLiteral("creatorMicrophoneStatus")).toInt());
    room.flags.insert(QStringLiteral("imAllowStatus"), 1);
    room.flags.insert(QStringLiteral("allowFileShared"), 1);
    room.extra.insert(QStringLiteral("allowShareList"), meeting.fields.value(QStringLiteral("allowShareList")));
    return room;
}

void removeFromRoom(DevRoom &room, const QString &userId)
{
    room.members.removeIf([&](const DevMember &m) { return m.userId == userId; });
    room.waiting.removeIf([&](const DevMember &m) { return m.userId == userId; });
    if (room.extra.value(QStringLiteral("shareLock")).toString() == userId)
        room.extra.remove(QStringLiteral("shareLock"));
}

QJsonArray usersOf(const QVariantList &list)
{
    QJsonArray out;
    for (const QVariant &v : list)
        out.append(QJsonObject::fromVariantMap(v.toMap()));
    return out;
}

QJsonArray agendaSections(DevService &svc, const QString &userId, bool todayOnly)
{
    QList<DevScheduledMeeting> meetings;
    for (const DevScheduledMeeting &m : std::as_const(svc.state().scheduled)) {
        if (concerns(m, userId) && m.fields.value(QStringLiteral("status")).toInt() != 2)
            meetings.append(m);
    }
    std::sort(meetings.begin(), meetings.end(), [](const DevScheduledMeeting &a, const DevScheduledMeeting &b) {
        return a.fields.value(QStringLiteral("beginTime")).toString() <
               b.fields.value(QStringLiteral("beginTime")).toString();
    });
    // The project clock's day: a test moving it across midnight meets a service whose day turns too.
    const QString today = KVClock::current().wallTime().date().toString(QStringLiteral("yyyy-MM-dd"));
    QJsonArray sections;
    QString currentDate;
    QJsonArray currentList;
    const auto flush = [&] {
        if (!currentDate.isEmpty())
            sections.append(QJsonObject{{"orderDate", currentDate}, {"meetList", currentList}});
        currentList = QJsonArray();
    };
    for (const DevScheduledMeeting &m : meetings) {
        const QString date = m.fields.value(QStringLiteral("beginTime")).toString().left(10);
        if (todayOnly && date != today)
            continue;
        if (date != currentDate) {
            flush();
            currentDate = date;
        }
        currentList.append(meetingJson(svc, m));
    }
    flush();
    return sections;
}

const bool registered = DevServiceRoutes::add(QStringLiteral("agent-room"), [](DevService &svc) {
    // An ended room takes nobody in, over the channel either.
    svc.channelRefusal = [&svc](const QString &roomId, const QString &) -> std::optional<std::pair<int, QString>> {
        const DevRoom *room = svc.state().room(roomId);
        if (room && room->closed)
            return std::make_pair(RoomEndedClose, RoomEndedReason);
        return std::nullopt;
    };
    signedInRoute(svc, "POST", "/qf/meeting/room/create", [&svc](DevUser *user, const DevRequest &req) {
        QString roomId = str(req, QStringLiteral("roomId"));
        if (roomId.isEmpty() || svc.state().scheduled.contains(roomId))
            roomId = nextRoomId(svc);
        DevScheduledMeeting meeting;
        meeting.roomId = roomId;
        meeting.ownerUserId = user->userId;
        meeting.fields = QVariantMap{
            {QStringLiteral("roomId"), roomId},
            {QStringLiteral("creatorId"), enc(user->userId)},
            {QStringLiteral("creatorName"), user->userName},
            {QStringLiteral("status"), 0},
            {QStringLiteral("quickEnterUrl"), svc.baseUrl().toString() + QStringLiteral("/#/home?rn=") + roomId},
        };
        applyMeetingFields(meeting.fields, req);
        applyFileRights(svc, roomId, req);
        svc.state().scheduled.insert(roomId, meeting);
        return DevService::ok(meetingJson(svc, meeting));
    });
    signedInRoute(svc, "POST", "/qf/meeting/room/update", [&svc](DevUser *user, const DevRequest &req) {
        auto it = svc.state().scheduled.find(str(req, QStringLiteral("roomId")));
        if (it == svc.state().scheduled.end())
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        if (it->ownerUserId != user->userId)
            return DevService::fail(Forbidden, QStringLiteral("仅创建者可修改会议"));
        applyMeetingFields(it->fields, req);
        applyFileRights(svc, it->roomId, req);
        return DevService::ok(meetingJson(svc, *it));
    });
    signedInRoute(svc, "GET", "/qf/meeting/room/getPreRoomId", [&svc](DevUser *user, const DevRequest &req) {
        QString roomId = str(req, QStringLiteral("roomId"));
        if (roomId.isEmpty()) {
            roomId = nextRoomId(svc);
            // Its file window may set who uploads before the meeting is saved.
            QVariantMap issued = svc.state().extra.value(QStringLiteral("preRooms")).toMap();
            issued.insert(roomId, user->userId);
            svc.state().extra.insert(QStringLiteral("preRooms"), issued);
        }
        user->token = newToken();
        svc.state().tokens.insert(user->token, user->userId);
        return DevService::ok(QJsonObject{
            {"roomId", roomId},
            {"authorization", user->token},
            {"exp", QString::number(QDateTime::currentSecsSinceEpoch() + 30 * 86400)},
            {"created", QString::number(QDateTime::currentSecsSinceEpoch())},
        });
    });
    signedInRoute(svc, "GET", "/qf/meeting/room/invitationList", [&svc](DevUser *, const DevRequest &req) {
        const auto it = svc.state().scheduled.constFind(str(req, QStringLiteral("roomId")));
        if (it == svc.state().scheduled.cend())
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        return DevService::ok(usersOf(it->fields.value(QStringLiteral("invitationList")).toList()));
    });
    signedInRoute(svc, "GET", "/qf/meeting/room/members", [&svc](DevUser *, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        QJsonArray list;
        if (DevRoom *room = svc.state().room(roomId); room && !room->closed) {
            for (const DevMember &m : std::as_const(room->members))
                list.append(QJsonObject{
                    {"userId", enc(m.userId)}, {"userName", m.userName}, {"phoneNumber", enc(m.phoneNumber)}});
        } else if (const auto it = svc.state().scheduled.constFind(roomId); it != svc.state().scheduled.cend()) {
            list = usersOf(it->fields.value(QStringLiteral("invitationList")).toList());
        } else {
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        }
        return DevService::ok(list);
    });
    signedInRoute(svc, "GET", "/qf/meeting/room/members/download", [&svc](DevUser *user, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        if (!tookPart(svc, roomId, user->userId))
            return DevService::fail(Forbidden, QStringLiteral("您未参加该会议"));
        // A spreadsheet, as the service sends it.
        QList<QStringList> rows{{QStringLiteral("userName"), QStringLiteral("userId")}};
        if (DevRoom *room = svc.state().room(roomId)) {
            for (const DevMember &m : std::as_const(room->members))
                rows.append({m.userName, m.userId});
        }
        DevReply reply = DevReply::file(devSpreadsheet(rows), QStringLiteral("会议成员-%1.xlsx").arg(roomId));
        reply.contentType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
        return reply;
    });
    signedInRoute(svc, "GET", "/qf/meeting/room/orderAgenda", [&svc](DevUser *user, const DevRequest &req) {
        return DevService::ok(agendaSections(svc, user->userId, num(req, QStringLiteral("isToday")) != 0));
    });
    signedInRoute(svc, "POST", "/qf/meeting/room/historyAgenda", [&svc](DevUser *user, const DevRequest &req) {
        QJsonArray all;
        for (const DevScheduledMeeting &m : std::as_const(svc.state().scheduled)) {
            if (concerns(m, user->userId) && m.fields.value(QStringLiteral("status")).toInt() == 2)
                all.append(meetingJson(svc, m));
        }
        const qint64 pageNum = std::max<qint64>(1, num(req, QStringLiteral("pageNum"), 1));
        const qint64 pageSize = std::max<qint64>(1, num(req, QStringLiteral("pageSize"), 10));
        QJsonArray page;
        for (qint64 i = (pageNum - 1) * pageSize; i < all.size() && i < pageNum * pageSize; ++i)
            page.append(all.at(i));
        return DevService::ok(QJsonObject{{"total", all.size()},
                                          {"pages", int((all.size() + pageSize - 1) / pageSize)},
                                          {"pageNum", pageNum},
                                          {"pageSize", pageSize},
                                          {"list", page}});
    });
    signedInRoute(svc, "POST", "/qf/meeting/room/enter", [&svc](DevUser *user, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        const auto meeting = svc.state().scheduled.constFind(roomId);
        DevRoom *active = svc.state().room(roomId);
        if (meeting == svc.state().scheduled.cend() && !active)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        if ((meeting != svc.state().scheduled.cend() && meeting->fields.value(QStringLiteral("status")).toInt() == 2) ||
            (meeting == svc.state().scheduled.cend() && active->closed))
            return DevService::fail(Ended, QStringLiteral("会议已结束"));
        DevRoom &room = meeting != svc.state().scheduled.cend() ? openRoom(svc, *meeting) : *active;
        const bool host = room.hostUserId == user->userId;
        const QStringList forbidden = room.extra.value(QStringLiteral("forbidden")).toStringList();
        if (forbidden.contains(user->userId))
            return DevService::fail(Removed, QStringLiteral("您已被主持人移出会议"));
        if (!host && !room.password.isEmpty() && str(req, QStringLiteral("password")) != room.password)
            return DevService::fail(PasswordNeeded, str(req, QStringLiteral("password")).isEmpty()
                                                        ? QStringLiteral("请输入会议密码")
                                                        : QStringLiteral("会议密码错误"));
        if (!host && room.flags.value(QStringLiteral("roomLockStatus")).toInt() != 0)
            return DevService::fail(Locked, QStringLiteral("主持人已锁定会议"));
        QStringList admitted = room.extra.value(QStringLiteral("admitted")).toStringList();
        DevMember member;
        member.userId = user->userId;
        member.userName = user->userName;
        member.phoneNumber = user->phoneNumber;
        // One the host moved to the waiting room waits there, whatever the room's setting, until admitted.
        const bool waiting = std::any_of(room.waiting.cbegin(), room.waiting.cend(),
                                         [&](const DevMember &m) { return m.userId == user->userId; });
        if (!host && (room.flags.value(QStringLiteral("roomWaitStatus")).toInt() != 0 || waiting) &&
            !admitted.contains(user->userId)) {
            // Already waiting: keeps his place, and the hosts were told.
            if (waiting) {
                room.members.removeIf([&](const DevMember &m) { return m.userId == user->userId; });
            } else {
                removeFromRoom(room, user->userId);
                enterWaitingRoom(svc, room, member);
            }
            return failWithData(WaitingRoom, QStringLiteral("请等待主持人允许入会"), roomJson(svc, room, *user));
        }
        admitted.removeAll(user->userId);
        room.extra.insert(QStringLiteral("admitted"), admitted);
        removeFromRoom(room, user->userId);
        room.members.append(member);
        noteAttendance(room, user->userId);
        if (auto it = svc.state().scheduled.find(roomId); it != svc.state().scheduled.end())
            it->fields.insert(QStringLiteral("status"), 1);
        return DevService::ok(roomJson(svc, room, *user));
    });
    signedInRoute(svc, "POST", "/qf/meeting/room/leave", [&svc](DevUser *user, const DevRequest &req) {
        if (DevRoom *room = svc.state().room(str(req, QStringLiteral("roomId")))) {
            // Somebody who gives up waiting leaves the hosts' waiting list.
            const auto waiting = std::find_if(room->waiting.cbegin(), room->waiting.cend(),
                                              [&](const DevMember &m) { return m.userId == user->userId; });
            const std::optional<DevMember> left =
                waiting != room->waiting.cend() ? std::optional<DevMember>(*waiting) : std::nullopt;
            removeFromRoom(*room, user->userId);
            if (left)
                sendWaitingRoomNotice(svc, *room, *left, WaitingRoomLeft);
        }
        return DevService::ok();
    });
    signedInRoute(svc, "POST", "/qf/meeting/room/end", [&svc](DevUser *user, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        auto it = svc.state().scheduled.find(roomId);
        if (it == svc.state().scheduled.end())
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        if (it->ownerUserId != user->userId)
            return DevService::fail(Forbidden, QStringLiteral("仅主持人可结束会议"));
        if (DevRoom *room = svc.state().room(roomId))
            closeRoom(svc, *room);
        it->fields.insert(QStringLiteral("status"), 2);
        return DevService::ok();
    });
    signedInRoute(svc, "POST", "/qf/meeting/room/cancel", [&svc](DevUser *user, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        const auto it = svc.state().scheduled.constFind(roomId);
        if (it == svc.state().scheduled.cend())
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        if (it->ownerUserId != user->userId)
            return DevService::fail(Forbidden, QStringLiteral("仅创建者可取消会议"));
        const qint64 cancelType = num(req, QStringLiteral("cancelType"), 1);
        if (cancelType != 1 && cancelType != 2)
            return DevService::fail(BadRequest, QStringLiteral("取消类型无效"));
        svc.state().scheduled.remove(roomId);
        return DevService::ok();
    });
    signedInRoute(svc, "POST", "/qf/meeting/room/queryCountdown", [&svc](DevUser *, const DevRequest &req) {
        DevRoom *room = svc.state().room(str(req, QStringLiteral("roomId")));
        if (!room)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        const qint64 end = room->extra.value(QStringLiteral("countdownEnd")).toLongLong();
        const qint64 left = std::max<qint64>(0, end - KVClock::current().nowMs());
        return DevService::ok(QJsonObject{{"countdown", left}});
    });
    signedInRoute(svc, "GET", "/qf/meeting/room/hostInfo", [&svc](DevUser *, const DevRequest &req) {
        DevRoom *room = svc.state().room(str(req, QStringLiteral("roomId")));
        if (!room)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        QJsonArray assistants;
        for (const DevMember &m : std::as_const(room->members)) {
            if (m.assistant)
                assistants.append(enc(m.phoneNumber.isEmpty() ? m.userId : m.phoneNumber));
        }
        return DevService::ok(QJsonObject{
            {"hostId", enc(room->hostUserId)},
            {"assistants", assistants},
            {"metaMembers", QJsonArray::fromVariantList(room->extra.value(QStringLiteral("metaMembers")).toList())}});
    });
    signedInRoute(svc, "GET", "/qf/meeting/room/getAllowShareUsers", [&svc](DevUser *, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        QVariantList list;
        if (DevRoom *room = svc.state().room(roomId); room && num(req, QStringLiteral("isInMeeting")) != 0)
            list = room->extra.value(QStringLiteral("allowShareList")).toList();
        else if (const auto it = svc.state().scheduled.constFind(roomId); it != svc.state().scheduled.cend())
            list = it->fields.value(QStringLiteral("allowShareList")).toList();
        QJsonArray out;
        for (const QVariant &v : list) {
            QVariantMap entry = v.toMap();
            entry.insert(QStringLiteral("roomId"), roomId);
            if (!entry.contains(QStringLiteral("allowShareStatus")))
                entry.insert(QStringLiteral("allowShareStatus"), 1);
            out.append(QJsonObject::fromVariantMap(entry));
        }
        return DevService::ok(out);
    });
});

} // namespace
