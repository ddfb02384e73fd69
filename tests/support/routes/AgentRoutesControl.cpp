// Stand-in routes: meeting control (host actions, own config, lock, waiting room, count-down,
// share lock, recording) and subtitles.
#include "routes/AgentRoutesSupport.h"

#include "devservice/DevShape.h"

#include "foundation/KVClock.h"

#include <QJsonDocument>

#include <algorithm>

using namespace AgentRoutes;

namespace {

using ControlFn = std::function<DevReply(DevRoom &room, DevUser &user, const DevRequest &req)>;

// Registers a control route "/qf/meeting/control/<roomId>/<action>" taking what shape says: after
// the sign-in and the room are checked, a request with other keys or types is refused.
void control(DevService &svc, const char *method, const QString &action, bool hostOnly, const DevShape &shape,
             ControlFn fn)
{
    svc.route(QString::fromLatin1(method), QStringLiteral("/qf/meeting/control/<roomId>/") + action,
              [&svc, hostOnly, shape, fn](const DevRequest &req) {
                  DevReply error;
                  DevUser *user = nullptr;
                  DevRoom *room = controlRoom(svc, req, hostOnly, &user, &error);
                  if (!room)
                      return error;
                  if (const QString why = shape.mismatch(req); !why.isEmpty())
                      return DevService::fail(BadRequest, QStringLiteral("参数错误: %1").arg(why));
                  return fn(*room, *user, req);
              });
}

constexpr unsigned Str = DevKey::String;
constexpr unsigned Int = DevKey::Integer;
constexpr unsigned Flag = DevKey::Flag;

QStringList targetsOf(const DevRequest &req, const QString &key = QStringLiteral("target"))
{
    return plainTargets(req.param(key));
}

// A service command to every member of the room but the one whose request caused it.
void tellOthers(DevService &svc, const DevRoom &room, const DevUser &user, int event,
                const QJsonObject &data = QJsonObject{})
{
    for (const DevMember &m : std::as_const(room.members)) {
        if (m.userId != user.userId)
            svc.sendChannelMessage(room.roomId, m.userId, serviceCommand(event, data));
    }
}

bool everybody(const QStringList &targets)
{
    return targets.contains(QStringLiteral("-1"));
}

void setFlag(DevRoom &room, const QString &key, const DevRequest &req)
{
    room.flags.insert(key, int(num(req, key)));
}

const bool registered = DevServiceRoutes::add(QStringLiteral("agent-control"), [](DevService &svc) {
    signedInRoute(svc, "POST", "/qf/meeting/control/<roomId>/member/queryAllowEnterStatus",
                  [&svc](DevUser *user, const DevRequest &req) {
                      DevRoom *room = svc.state().room(req.arg(QStringLiteral("roomId")));
                      if (!room)
                          return DevService::fail(NotFound, QStringLiteral("会议不存在"));
                      // 1 admitted, 2 removed, 3 waiting, 4 removed for good, 5 ended.
                      int status = 2;
                      if (room->closed)
                          status = 5;
                      else if (room->extra.value(QStringLiteral("forbidden")).toStringList().contains(user->userId))
                          status = 4;
                      else if (room->extra.value(QStringLiteral("admitted")).toStringList().contains(user->userId) ||
                               room->member(user->userId))
                          status = 1;
                      else if (std::any_of(room->waiting.cbegin(), room->waiting.cend(),
                                           [&](const DevMember &m) { return m.userId == user->userId; }))
                          status = 3;
                      return DevService::ok(QJsonObject{{"enterStatus", status}});
                  });
    control(svc, "POST", QStringLiteral("close"), true, DevShape{},
            [&svc](DevRoom &room, DevUser &, const DevRequest &) {
                closeRoom(svc, room);
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("member/config"), false,
            DevShape{body("cameraStatus", Flag, false), body("micStatus", Flag, false), body("myLan", Str, false)},
            [](DevRoom &room, DevUser &user, const DevRequest &req) {
                DevMember *me = room.member(user.userId);
                if (!me)
                    return DevService::fail(NotFound, QStringLiteral("您不在会议中"));
                if (req.json.contains(QLatin1String("cameraStatus")))
                    me->video = str(req, QStringLiteral("cameraStatus")) == QLatin1String("1");
                if (req.json.contains(QLatin1String("micStatus")))
                    me->audio = str(req, QStringLiteral("micStatus")) == QLatin1String("1");
                if (req.json.contains(QLatin1String("myLan")))
                    me->extra.insert(QStringLiteral("myLan"), str(req, QStringLiteral("myLan")));
                return DevService::ok();
            });
    control(svc, "GET", QStringLiteral("onDvr"), false, DevShape{},
            [](DevRoom &room, DevUser &user, const DevRequest &) {
                if (room.flags.value(QStringLiteral("enableRecordStatus")).toInt() != 1 &&
                    !isHostOrAssistant(room, user.userId))
                    return DevService::fail(Forbidden, QStringLiteral("主持人关闭云录制权限"));
                if (room.extra.contains(QStringLiteral("dvrStart")))
                    return DevService::fail(RecordingOn, QStringLiteral("云录制已在进行中"));
                room.extra.insert(QStringLiteral("dvrStart"), nowMs());
                return DevService::ok();
            });
    control(svc, "GET", QStringLiteral("offDvr"), false, DevShape{},
            [&svc](DevRoom &room, DevUser &, const DevRequest &) {
                if (!room.extra.contains(QStringLiteral("dvrStart")))
                    return DevService::fail(RecordingOff, QStringLiteral("云录制未开启"));
                const qint64 started = room.extra.take(QStringLiteral("dvrStart")).toLongLong();
                QVariantList recordings = listIn(svc.state().extra, QStringLiteral("recordings"));
                const QString seq = svc.state().nextId(QStringLiteral("dvr"));
                const double seconds = std::max<double>(1.0, double(nowMs() - started) / 1000.0);
                recordings.append(QVariantMap{
                    {QStringLiteral("roomId"), room.roomId},
                    {QStringLiteral("roomName"), room.roomName},
                    {QStringLiteral("owner"), room.hostUserId},
                    {QStringLiteral("meetingBeginTime"), nowText()},
                    {QStringLiteral("dvrSequenceId"), seq},
                    {QStringLiteral("dvrName"), QStringLiteral("%1_%2.mp4").arg(room.roomName, seq)},
                    {QStringLiteral("dvrTimeLength"), seconds},
                    {QStringLiteral("dvrSize"), qint64(seconds * 125000)},
                    {QStringLiteral("dvrStatus"), 3},
                    {QStringLiteral("dvrDownPath"),
                     svc.baseUrl().toString() + QStringLiteral("/dvr/file/") + seq + QStringLiteral(".mp4")},
                    {QStringLiteral("dvrPicPath"), QString()},
                    {QStringLiteral("dvrPlayUrl"),
                     svc.baseUrl().toString() + QStringLiteral("/dvr/file/") + seq + QStringLiteral(".mp4")},
                    {QStringLiteral("progress"), 100},
                });
                svc.state().extra.insert(QStringLiteral("recordings"), recordings);
                if (auto it = svc.state().scheduled.find(room.roomId); it != svc.state().scheduled.end())
                    it->fields.insert(QStringLiteral("hasDvr"), true);
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("switch/mic"), true,
            DevShape{body("act", Int), body("target", DevKey::Array), body("micAllowStatus", Flag)},
            [](DevRoom &room, DevUser &, const DevRequest &req) {
                const QStringList targets = targetsOf(req);
                const bool on = num(req, QStringLiteral("act")) != 0;
                for (DevMember &m : room.members) {
                    if (everybody(targets) ? m.userId != room.hostUserId
                                           : targets.contains(m.userId) || targets.contains(m.phoneNumber))
                        m.audio = on && m.audio;
                }
                room.flags.insert(QStringLiteral("micAllowStatus"), int(num(req, QStringLiteral("micAllowStatus"))));
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("switch/cam"), true,
            DevShape{body("act", Int), body("target", DevKey::Array), body("cameraAllowStatus", Flag)},
            [](DevRoom &room, DevUser &, const DevRequest &req) {
                const QStringList targets = targetsOf(req);
                const bool on = num(req, QStringLiteral("act")) != 0;
                for (DevMember &m : room.members) {
                    if (everybody(targets) ? m.userId != room.hostUserId
                                           : targets.contains(m.userId) || targets.contains(m.phoneNumber))
                        m.video = on && m.video;
                }
                room.flags.insert(QStringLiteral("cameraAllowStatus"),
                                  int(num(req, QStringLiteral("cameraAllowStatus"))));
                return DevService::ok();
            });
    control(svc, "GET", QStringLiteral("allowUserOpenMic"), true, DevShape{},
            [](DevRoom &room, DevUser &, const DevRequest &) {
                room.flags.insert(QStringLiteral("micAllowStatus"), 1);
                return DevService::ok();
            });
    control(svc, "GET", QStringLiteral("allowUserOpenCamera"), true, DevShape{},
            [](DevRoom &room, DevUser &, const DevRequest &) {
                room.flags.insert(QStringLiteral("cameraAllowStatus"), 1);
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("setRoomAssistant"), true,
            DevShape{body("targets", DevKey::Array), body("assistant", DevKey::Boolean)},
            [&svc](DevRoom &room, DevUser &, const DevRequest &req) {
                const QStringList targets = targetsOf(req, QStringLiteral("targets"));
                const bool assistant = req.param(QStringLiteral("assistant")).toBool();
                int count = 0;
                for (const DevMember &m : std::as_const(room.members))
                    count += m.assistant && !targets.contains(m.userId) ? 1 : 0;
                if (assistant && count + targets.size() > 2)
                    return DevService::fail(BadRequest, QStringLiteral("联席主持人最多2人"));
                for (const QString &id : targets) {
                    DevMember *m = room.member(id);
                    if (!m)
                        return DevService::fail(NotFound, QStringLiteral("成员不在会议中"));
                    m->assistant = assistant;
                }
                // The clients ask for the hosts again.
                svc.sendChannelMessage(room.roomId, {}, serviceCommand(12, QJsonObject{}));
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("setRoomMemberWaitStatus"), true, DevShape{body("target", DevKey::Array)},
            [&svc](DevRoom &room, DevUser &, const DevRequest &req) {
                for (const QString &id : targetsOf(req)) {
                    if (DevMember *m = room.member(id)) {
                        DevMember moved = *m;
                        moved.audio = moved.video = moved.share = moved.assistant = false;
                        room.members.removeIf([&](const DevMember &x) { return x.userId == moved.userId; });
                        svc.closeChannel(room.roomId, moved.userId, MovedToWaitingRoomClose);
                        enterWaitingRoom(svc, room, moved);
                    }
                }
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("removeMember"), true,
            DevShape{body("target", DevKey::Array), body("forbidEnterStatus", Flag)},
            [&svc](DevRoom &room, DevUser &, const DevRequest &req) {
                const QStringList targets = targetsOf(req);
                const bool forbid = str(req, QStringLiteral("forbidEnterStatus")) == QLatin1String("1");
                QStringList removed;
                if (everybody(targets)) {
                    for (const DevMember &m : std::as_const(room.waiting))
                        removed.append(m.userId);
                } else {
                    // Hosts name members by phone number; the service keeps user ids.
                    for (const QString &id : targets) {
                        const DevMember *m = room.member(id);
                        removed.append(m ? m->userId : id);
                    }
                }
                QStringList forbidden = room.extra.value(QStringLiteral("forbidden")).toStringList();
                for (const QString &id : std::as_const(removed)) {
                    if (room.member(id))
                        svc.closeChannel(room.roomId, id, MemberRemovedClose, MemberRemovedReason);
                    room.members.removeIf([&](const DevMember &m) { return m.userId == id; });
                    room.waiting.removeIf([&](const DevMember &m) { return m.userId == id; });
                    if (forbid && !forbidden.contains(id))
                        forbidden.append(id);
                }
                room.extra.insert(QStringLiteral("forbidden"), forbidden);
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("allowMemberEnter"), true, DevShape{body("target", DevKey::Array)},
            [](DevRoom &room, DevUser &, const DevRequest &req) {
                const QStringList targets = targetsOf(req);
                QStringList admitted = room.extra.value(QStringLiteral("admitted")).toStringList();
                QList<DevMember> stay;
                for (const DevMember &m : std::as_const(room.waiting)) {
                    if (!everybody(targets) && !targets.contains(m.userId)) {
                        stay.append(m);
                    } else if (m.extra.value(QStringLiteral("engineSimulated")).toBool()) {
                        // A simulated participant enters at once (a client would ask and enter again).
                        room.members.append(m);
                    } else {
                        admitted.append(m.userId);
                    }
                }
                room.waiting = stay;
                room.extra.insert(QStringLiteral("admitted"), admitted);
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("readWaitMember"), true, DevShape{body("target", DevKey::Array)},
            [](DevRoom &room, DevUser &, const DevRequest &req) {
                for (const QString &id : targetsOf(req)) {
                    for (DevMember &m : room.waiting) {
                        if (m.userId == id)
                            m.extra.insert(QStringLiteral("read"), true);
                    }
                }
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("setRoomWaitStatus"), true, DevShape{body("roomWaitStatus", Flag)},
            [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
                setFlag(room, QStringLiteral("roomWaitStatus"), req);
                tellOthers(svc, room, user, 14,
                           QJsonObject{{"switchStatus", room.flags.value(QStringLiteral("roomWaitStatus")).toInt()}});
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("switch/lock"), true, DevShape{body("roomLockStatus", Flag)},
            [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
                setFlag(room, QStringLiteral("roomLockStatus"), req);
                tellOthers(svc, room, user, 13,
                           QJsonObject{{"switchStatus", room.flags.value(QStringLiteral("roomLockStatus")).toInt()}});
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("switch/im"), true, DevShape{body("roomId", Str), body("imAllowStatus", Int)},
            [](DevRoom &room, DevUser &, const DevRequest &req) {
                setFlag(room, QStringLiteral("imAllowStatus"), req);
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("switch/transcribe"), true,
            DevShape{body("openTranslateText", Flag), body("roomTranscribeStatus", Flag)},
            [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
                setFlag(room, QStringLiteral("openTranslateText"), req);
                setFlag(room, QStringLiteral("roomTranscribeStatus"), req);
                // The others learn the two switches from control event 5.
                const QJsonObject switches{
                    {"openTranslateText", room.flags.value(QStringLiteral("openTranslateText")).toInt()},
                    {"roomTranscribeStatus", room.flags.value(QStringLiteral("roomTranscribeStatus")).toInt()}};
                const QJsonObject command{{"event", 5}, {"data", switches}, {"message", QString()}};
                const QJsonObject message{
                    {"type", 1},
                    {"sender", user.phoneNumber},
                    {"senderName", user.userName},
                    {"data", QJsonArray{QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact))}}};
                for (const DevMember &m : std::as_const(room.members)) {
                    if (m.userId != user.userId)
                        svc.sendChannelMessage(room.roomId, m.userId, message);
                }
                if (room.flags.value(QStringLiteral("openTranslateText")).toInt() != 0 &&
                    listIn(room.extra, QStringLiteral("subtitles")).isEmpty()) {
                    QVariantList lines = listIn(room.extra, QStringLiteral("subtitles"));
                    lines.append(QVariantMap{{QStringLiteral("roomId"), room.roomId},
                                             {QStringLiteral("senderId"), enc(user.userId)},
                                             {QStringLiteral("senderName"), user.userName},
                                             {QStringLiteral("name"), user.userName},
                                             {QStringLiteral("content"), QStringLiteral("会议记录已开启")},
                                             {QStringLiteral("timeStamp"), double(nowMs())}});
                    room.extra.insert(QStringLiteral("subtitles"), lines);
                }
                return DevService::ok();
            });
    // The others in the room hear of a start (801) and of a stop (802); the host's own client
    // already knows. Only a stop of a running count-down is told, so clients that answer an 802
    // with a stop of their own never start a round of 802s.
    control(svc, "POST", QStringLiteral("countdownStart"), true, DevShape{body("countdown", Int)},
            [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
                const qint64 length = num(req, QStringLiteral("countdown"));
                if (length <= 0)
                    return DevService::fail(BadRequest, QStringLiteral("倒计时时长无效"));
                room.extra.insert(QStringLiteral("countdownEnd"), KVClock::current().nowMs() + length);
                tellOthers(svc, room, user, 801);
                return DevService::ok();
            });
    control(svc, "POST", QStringLiteral("countdownStop"), true, DevShape{body("roomId", Str)},
            [&svc](DevRoom &room, DevUser &user, const DevRequest &) {
                const qint64 end = room.extra.take(QStringLiteral("countdownEnd")).toLongLong();
                if (end > KVClock::current().nowMs())
                    tellOthers(svc, room, user, 802);
                return DevService::ok();
            });
    control(svc, "GET", QStringLiteral("getShareLock"), false, DevShape{},
            [](DevRoom &room, DevUser &user, const DevRequest &) {
                if (!mayShare(room, user.userId))
                    return DevService::fail(Forbidden, QStringLiteral("主持人已关闭您的共享权限"));
                const QString holder = room.extra.value(QStringLiteral("shareLock")).toString();
                if (!holder.isEmpty() && holder != user.userId)
                    return DevService::fail(ShareLockHeld, QStringLiteral("其他成员正在共享"));
                room.extra.insert(QStringLiteral("shareLock"), user.userId);
                return DevService::ok(QJsonObject{{"isCanShare", true}});
            });
    control(svc, "GET", QStringLiteral("releaseShareLock"), false, DevShape{},
            [](DevRoom &room, DevUser &user, const DevRequest &) {
                const QString holder = room.extra.value(QStringLiteral("shareLock")).toString();
                if (!holder.isEmpty() && holder != user.userId && !isHostOrAssistant(room, user.userId))
                    return DevService::fail(ShareLockNotHeld, QStringLiteral("您未在共享"));
                room.extra.remove(QStringLiteral("shareLock"));
                return DevService::ok();
            });

    // Subtitles of a room: records kept in room.extra["subtitles"].
    signedInRoute(svc, "POST", "/qf/subtitle/query", [&svc](DevUser *, const DevRequest &req) {
        DevRoom *room = svc.state().room(str(req, QStringLiteral("roomId")));
        if (!room)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        const double stamp = req.param(QStringLiteral("timeStamp")).toDouble();
        const bool after = req.param(QStringLiteral("isAfter")).toBool();
        const bool desc = req.param(QStringLiteral("isDesc")).toBool();
        QVariantList lines;
        for (const QVariant &v : listIn(room->extra, QStringLiteral("subtitles"))) {
            const double t = v.toMap().value(QStringLiteral("timeStamp")).toDouble();
            if (stamp <= 0 || (after ? t > stamp : t < stamp))
                lines.append(v);
        }
        std::sort(lines.begin(), lines.end(), [desc](const QVariant &a, const QVariant &b) {
            const double ta = a.toMap().value(QStringLiteral("timeStamp")).toDouble();
            const double tb = b.toMap().value(QStringLiteral("timeStamp")).toDouble();
            return desc ? ta > tb : ta < tb;
        });
        const qint64 pageSize = std::max<qint64>(1, num(req, QStringLiteral("pageSize"), 50));
        const qint64 total = lines.size();
        if (lines.size() > pageSize)
            lines = lines.mid(0, pageSize);
        return DevService::ok(QJsonObject{{"total", total},
                                          {"pages", int((total + pageSize - 1) / pageSize)},
                                          {"pageNum", 1},
                                          {"pageSize", pageSize},
                                          {"list", QJsonArray::fromVariantList(lines)}});
    });
    signedInRoute(svc, "GET", "/qf/subtitle/total", [&svc](DevUser *, const DevRequest &req) {
        DevRoom *room = svc.state().room(str(req, QStringLiteral("roomId")));
        if (!room)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        const QString text = str(req, QStringLiteral("querStr"));
        QVariantList hits;
        for (const QVariant &v : listIn(room->extra, QStringLiteral("subtitles"))) {
            if (v.toMap().value(QStringLiteral("content")).toString().contains(text))
                hits.append(v);
        }
        return DevService::ok(QJsonObject{{"list", QJsonArray::fromVariantList(hits)}, {"total", hits.size()}});
    });
    signedInRoute(svc, "GET", "/qf/subtitle/download", [&svc](DevUser *user, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        if (!tookPart(svc, roomId, user->userId))
            return DevService::fail(Forbidden, QStringLiteral("您未参加该会议"));
        QByteArray text = "%PDF-1.4\n% meeting record " + roomId.toUtf8() + '\n';
        if (DevRoom *room = svc.state().room(roomId)) {
            for (const QVariant &v : listIn(room->extra, QStringLiteral("subtitles")))
                text += v.toMap().value(QStringLiteral("content")).toString().toUtf8() + '\n';
        }
        text += "%%EOF\n";
        return DevReply::file(text, QStringLiteral("会议记录-%1.pdf").arg(roomId));
    });
});

} // namespace
