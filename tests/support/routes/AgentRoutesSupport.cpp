#include "routes/AgentRoutesSupport.h"

#include "agent/FileServiceSignature.h"
#include "foundation/KVClock.h"
#include "foundation/RXEncrypt.h"

#include <QDateTime>
#include <QJsonDocument>
#include <algorithm>

namespace AgentRoutes {

QString enc(const QString &plain)
{
    return RXEncrypt::aes128ecbEncrypt(plain);
}

QString dec(const QString &cipher)
{
    return RXEncrypt::aes128ecbDecrypt(cipher);
}

QString newToken()
{
    return QString::fromLatin1(RXEncrypt::randomBytes(24).toHex());
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QString nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString str(const DevRequest &req, const QString &name)
{
    return req.param(name).toString();
}

qint64 num(const DevRequest &req, const QString &name, qint64 fallback)
{
    bool ok = false;
    const qint64 v = req.param(name).toString().toLongLong(&ok);
    if (ok)
        return v;
    const QVariant raw = req.param(name);
    return raw.canConvert<qint64>() && raw.isValid() ? raw.toLongLong() : fallback;
}

QStringList plainTargets(const QVariant &value)
{
    QStringList out;
    if (value.typeId() == QMetaType::QString) {
        out.append(dec(value.toString()));
        return out;
    }
    for (const QVariant &v : value.toList())
        out.append(dec(v.toString()));
    return out;
}

QJsonObject userJson(const DevUser &user)
{
    return QJsonObject{
        {"userId", enc(user.userId)},
        {"userName", user.userName},
        {"phoneNumber", enc(user.phoneNumber)},
    };
}

DevReply failWithData(qint64 code, const QString &message, const QJsonValue &data)
{
    return DevReply::json(QJsonObject{{"code", code}, {"message", message}, {"data", data}});
}

DevUser *signedIn(DevService &svc, const DevRequest &req, DevReply *error)
{
    DevUser *user = svc.userFor(req);
    if (!user && error)
        *error = DevService::unauthorized();
    return user;
}

void signedInRoute(DevService &svc, const QString &method, const QString &path,
                   std::function<DevReply(DevUser *user, const DevRequest &req)> handler)
{
    svc.route(method, path, [&svc, handler = std::move(handler)](const DevRequest &req) {
        DevReply error;
        DevUser *user = signedIn(svc, req, &error);
        return user ? handler(user, req) : error;
    });
}

bool isHostOrAssistant(DevRoom &room, const QString &userId)
{
    if (room.hostUserId == userId)
        return true;
    const DevMember *member = room.member(userId);
    return member && member->assistant;
}

bool mayShare(DevRoom &room, const QString &userId)
{
    const int permission = room.flags.value(QStringLiteral("sharePermission")).toInt();
    if (permission == 0 || isHostOrAssistant(room, userId))
        return true;
    if (permission != 1)
        return false;
    const QString encrypted = enc(userId);
    const QVariantList allowed = room.extra.value(QStringLiteral("allowShareList")).toList();
    return std::any_of(allowed.cbegin(), allowed.cend(), [&](const QVariant &entry) {
        const QString id = entry.toMap().value(QStringLiteral("userId")).toString();
        return id == userId || id == encrypted;
    });
}

DevRoom *controlRoom(DevService &svc, const DevRequest &req, bool hostOnly, DevUser **user, DevReply *error)
{
    DevUser *u = signedIn(svc, req, error);
    if (!u)
        return nullptr;
    DevRoom *room = svc.state().room(req.arg(QStringLiteral("roomId")));
    if (!room) {
        *error = DevService::fail(NotFound, QStringLiteral("会议不存在"));
        return nullptr;
    }
    if (room->closed) {
        *error = DevService::fail(Ended, QStringLiteral("会议已结束"));
        return nullptr;
    }
    if (req.header("sequenceId") != room->sequenceId) {
        *error = DevService::fail(WrongSequence, QStringLiteral("会议状态已变化，请重新入会"));
        return nullptr;
    }
    if (hostOnly && !isHostOrAssistant(*room, u->userId)) {
        *error = DevService::fail(Forbidden, QStringLiteral("仅主持人可操作"));
        return nullptr;
    }
    if (user)
        *user = u;
    return room;
}

namespace {
// One media token per room, made on first entry.
QString roomToken(DevRoom &room)
{
    QString token = room.extra.value(QStringLiteral("token")).toString();
    if (token.isEmpty()) {
        token = newToken();
        room.extra.insert(QStringLiteral("token"), token);
    }
    return token;
}
} // namespace

QJsonObject serviceCommand(int event, const QJsonObject &data)
{
    const QJsonObject command{{"event", event}, {"data", data}};
    return {{"type", 1},
            {"sender", QStringLiteral("mccServer")},
            {"data", QJsonArray{QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact))}}};
}

void tellRoomExcept(DevService &svc, const DevRoom &room, const QString &exceptUserId, int event,
                    const QJsonObject &data)
{
    for (const DevMember &m : std::as_const(room.members)) {
        if (m.userId != exceptUserId)
            svc.sendChannelMessage(room.roomId, m.userId, serviceCommand(event, data));
    }
}

bool mayUpload(DevRoom &room, const QString &userId)
{
    return room.flags.value(QStringLiteral("uploadPermissionType")).toInt() != 1 || isHostOrAssistant(room, userId);
}

QJsonObject roomJson(DevService &svc, DevRoom &room, const DevUser &user)
{
    const DevUser *host = svc.state().user(room.hostUserId);
    const QVariantMap &f = room.flags;
    const qint64 countdownEnd = room.extra.value(QStringLiteral("countdownEnd")).toLongLong();
    QJsonObject json{
        {"roomId", room.roomId},
        {"roomName", room.roomName},
        {"creatorId", enc(room.hostUserId)},
        {"creatorName", host ? host->userName : QString()},
        {"password", room.password},
        {"sequenceId", room.sequenceId.toLongLong()},
        {"token", roomToken(room)},
        {"signalUrl", svc.baseUrl().toString()},
        {"streamLevel", 2},
        {"isSharingFiles", f.value(QStringLiteral("isSharingFiles")).toInt()},
        // On the project clock, as the count-down routes keep it.
        {"countdown", countdownEnd > KVClock::current().nowMs() ? 1 : 0},
    };
    // A running document share with its last position, for those who join while it runs.
    if (const QVariantMap shared = room.extra.value(QStringLiteral("sharedFile")).toMap(); !shared.isEmpty()) {
        QJsonObject resp = QJsonObject::fromVariantMap(shared);
        resp.insert("orderStatus",
                    QJsonObject::fromVariantMap(room.extra.value(QStringLiteral("orderStatus")).toMap()));
        json.insert("sharedFileResp", resp);
    }
    // A running audio or video file, its sharer by phone number as the client compares it.
    if (const QVariantMap shared = room.extra.value(QStringLiteral("sharedAudVid")).toMap(); !shared.isEmpty()) {
        const DevUser *sharer = svc.state().user(dec(shared.value(QStringLiteral("userId")).toString()));
        json.insert("sharedAudVidResp",
                    QJsonObject{{"fileId", shared.value(QStringLiteral("fileId")).toString()},
                                {"fileName", shared.value(QStringLiteral("fileName")).toString()},
                                {"fileType", shared.value(QStringLiteral("fileType")).toInt()},
                                {"userId", sharer ? sharer->phoneNumber : QString()},
                                {"userName", shared.value(QStringLiteral("userName")).toString()},
                                {"duration", shared.value(QStringLiteral("duration")).toLongLong()}});
    }
    const QJsonObject channel = svc.channelCredentials(room.roomId, user.userId);
    for (auto it = channel.begin(); it != channel.end(); ++it)
        json.insert(it.key(), it.value());
    for (const char *key :
         {"cameraStatus", "microphoneStatus", "micAllowStatus", "cameraAllowStatus", "imAllowStatus",
          "openTranslateText", "roomTranscribeStatus", "roomLockStatus", "roomWaitStatus", "sharePermission",
          "allowFileShared", "uploadPermissionType", "enableRecordStatus", "allowOpFileShared"})
        json.insert(QLatin1String(key), f.value(QLatin1String(key)).toInt());
    json.insert("allowFileUpload", mayUpload(room, user.userId) ? 1 : 0);
    return json;
}

QJsonObject meetingJson(DevService &svc, const DevScheduledMeeting &meeting)
{
    QJsonObject json = QJsonObject::fromVariantMap(meeting.fields);
    // As the service does: the files uploaded for the meeting, counted when it is listed.
    if (!json.contains(QStringLiteral("fileCount"))) {
        const QString roomId = meeting.fields.value(QStringLiteral("roomId")).toString();
        const auto &files = svc.state().files;
        json.insert(QStringLiteral("fileCount"),
                    qint64(std::count_if(files.cbegin(), files.cend(),
                                         [&roomId](const DevFile &f) { return f.roomId == roomId; })));
    }
    return json;
}

bool tookPart(DevService &svc, const QString &roomId, const QString &userId)
{
    if (DevRoom *room = svc.state().room(roomId)) {
        if (room->hostUserId == userId || room->member(userId) ||
            room->extra.value(QStringLiteral("attendees")).toStringList().contains(userId))
            return true;
    }
    const auto meeting = svc.state().scheduled.constFind(roomId);
    return meeting != svc.state().scheduled.cend() && concerns(*meeting, userId);
}

void noteAttendance(DevRoom &room, const QString &userId)
{
    QStringList attendees = room.extra.value(QStringLiteral("attendees")).toStringList();
    if (!attendees.contains(userId)) {
        attendees.append(userId);
        room.extra.insert(QStringLiteral("attendees"), attendees);
    }
}

bool concerns(const DevScheduledMeeting &meeting, const QString &userId)
{
    if (meeting.ownerUserId == userId)
        return true;
    for (const QVariant &v : meeting.fields.value(QStringLiteral("invitationList")).toList()) {
        if (dec(v.toMap().value(QStringLiteral("userId")).toString()) == userId)
            return true;
    }
    return false;
}

void closeRoom(DevService &svc, DevRoom &room)
{
    svc.closeChannel(room.roomId, {}, RoomEndedClose, RoomEndedReason);
    room.closed = true;
    room.members.clear();
    room.waiting.clear();
    room.extra.remove(QStringLiteral("shareLock"));
    room.extra.remove(QStringLiteral("countdownEnd"));
    auto it = svc.state().scheduled.find(room.roomId);
    if (it != svc.state().scheduled.end()) {
        it->fields.insert(QStringLiteral("status"), 2);
        it->fields.insert(QStringLiteral("hasRecord"),
                          room.flags.value(QStringLiteral("openTranslateText")).toInt() != 0);
    }
    if (room.flags.value(QStringLiteral("openTranslateText")).toInt() != 0) {
        QVariantList docs = listIn(svc.state().extra, QStringLiteral("recordFiles"));
        docs.append(QVariantMap{
            {QStringLiteral("roomId"), room.roomId},
            {QStringLiteral("roomName"), room.roomName},
            {QStringLiteral("fileName"), room.roomName + QStringLiteral("-会议记录.pdf")},
            {QStringLiteral("beginTime"), double(nowMs())},
            {QStringLiteral("owner"), room.hostUserId},
        });
        svc.state().extra.insert(QStringLiteral("recordFiles"), docs);
    }
}

int sendWaitingRoomNotice(DevService &svc, DevRoom &room, const DevMember &person, int event)
{
    const QJsonObject content{
        {"userId", person.userId}, {"userName", person.userName}, {"phoneNumber", enc(person.phoneNumber)},
        {"roomId", room.roomId},   {"waitRedDot", true},          {"isFreshMan", event == WaitingRoomEntered}};
    const QJsonObject notice{{"event", event},
                             {"data", QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact))}};
    const QJsonObject message{
        {"type", 4},
        {"sender", QStringLiteral("mccServer")},
        {"data", QJsonArray{QString::fromUtf8(QJsonDocument(notice).toJson(QJsonDocument::Compact))}}};
    QStringList hosts{room.hostUserId};
    for (const DevMember &m : std::as_const(room.members)) {
        if (m.assistant)
            hosts << m.userId;
    }
    int reached = 0;
    for (const QString &id : std::as_const(hosts))
        reached += svc.sendChannelMessage(room.roomId, id, message);
    return reached;
}

void enterWaitingRoom(DevService &svc, DevRoom &room, const DevMember &person)
{
    room.waiting.removeIf([&](const DevMember &m) { return m.userId == person.userId; });
    room.waiting.append(person);
    sendWaitingRoomNotice(svc, room, person, WaitingRoomEntered);
}

bool fileServiceOk(const DevRequest &req, const DevUser &user)
{
    QVariantMap p;
    for (const char *key : {"appType", "roomId", "userId", "expire", "createTime", "sign"})
        p.insert(QLatin1String(key), req.param(QLatin1String(key)).toString());
    return FileServiceSignature::verify(p, user.token, QDateTime::currentSecsSinceEpoch()) &&
           dec(p.value(QStringLiteral("userId")).toString()) == user.userId;
}

QVariantList listIn(const QVariantMap &extra, const QString &key)
{
    return extra.value(key).toList();
}

} // namespace AgentRoutes
