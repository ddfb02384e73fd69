// Stand-in routes: shared documents and audio/video files, share and upload permissions, the
// file service (list, pages, pre-upload, upload, delete).
#include "routes/AgentRoutesSupport.h"
#include "routes/EngineRoutes.h"

#include "foundation/KVClock.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace AgentRoutes;

namespace {

const QStringList kDocumentTypes{"pdf", "doc", "docx", "ppt", "pptx", "xls", "xlsx", "txt"};
const QStringList kVideoTypes{"mp4", "mov", "avi", "mkv"};
const QStringList kAudioTypes{"mp3", "wav", "m4a", "aac"};

QString fileTypeFor(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (kVideoTypes.contains(ext))
        return QStringLiteral("2");
    if (kAudioTypes.contains(ext))
        return QStringLiteral("3");
    if (kDocumentTypes.contains(ext))
        return QStringLiteral("1");
    return {};
}

// The client drops "\\U" pairs and undoes percent escapes before a name goes out.
bool isCleanUploadName(const QString &name)
{
    static const QRegularExpression escape(QStringLiteral("%[0-9A-Fa-f]{2}"));
    return !name.isEmpty() && !name.contains(QStringLiteral("\\U")) && !escape.match(name).hasMatch();
}

// An uploaded file converts for a while (project time) before it can be shared;
// state().extra["conversionMs"] sets how long (none by default).
constexpr int kConvertedMediaSeconds = 300;
constexpr int kMostPages = 2000;

// An uploaded PDF keeps its page count and orientation (from its page objects and first media
// box), so a hand-made document is shown as it is; any other document converts to three
// landscape pages.
void readDocumentPages(DevFile &file)
{
    if (QFileInfo(file.fileName).suffix().toLower() != QLatin1String("pdf") ||
        file.extra.contains(QStringLiteral("pages")))
        return;
    const QString text = QString::fromLatin1(file.content);
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    const int pages = int(std::min<qsizetype>(kMostPages, text.count(page)));
    if (pages < 1)
        return;
    file.extra.insert(QStringLiteral("pages"), pages);
    static const QRegularExpression box(
        QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)"));
    if (const QRegularExpressionMatch m = box.match(text); m.hasMatch()) {
        const double width = std::abs(m.captured(3).toDouble() - m.captured(1).toDouble());
        const double height = std::abs(m.captured(4).toDouble() - m.captured(2).toDouble());
        file.extra.insert(QStringLiteral("portrait"), height > width);
    }
}

void finishConversions(DevService &svc)
{
    const qint64 now = KVClock::current().nowMs();
    for (DevFile &file : svc.state().files) {
        if (file.extra.value(QStringLiteral("status")).toInt() == 2 &&
            file.extra.value(QStringLiteral("readyAt")).toLongLong() <= now) {
            file.extra.insert(QStringLiteral("status"), 1);
            readDocumentPages(file);
            // The conversion tells a medium's length; the stand-in decodes nothing, so every
            // uploaded audio or video file lasts five minutes.
            const QString type = fileTypeFor(file.fileName);
            if ((type == QLatin1String("2") || type == QLatin1String("3")) &&
                !file.extra.contains(QStringLiteral("duration")))
                file.extra.insert(QStringLiteral("duration"), kConvertedMediaSeconds);
        }
    }
}

QJsonObject fileJson(const DevFile &file)
{
    QJsonObject json = QJsonObject::fromVariantMap(file.extra);
    json.remove("md5");
    json.remove("readyAt");
    json.insert("fileId", file.fileId);
    json.insert("fileName", file.fileName);
    json.insert("roomId", file.roomId);
    json.insert("fileType", fileTypeFor(file.fileName));
    json.insert("fileSize", QStringLiteral("%1KB").arg((file.content.size() + 1023) / 1024));
    return json;
}

// A document's pages: "pages" of the file's extra (3 when not set), landscape unless "portrait".
QJsonArray slicesOf(DevService &svc, const DevFile &file)
{
    QJsonArray slices;
    if (fileTypeFor(file.fileName) != QLatin1String("1"))
        return slices;
    const int pages = file.extra.value(QStringLiteral("pages"), 3).toInt();
    const bool portrait = file.extra.value(QStringLiteral("portrait")).toBool();
    for (int page = 1; page <= pages; ++page) {
        slices.append(QJsonObject{
            {"sliceId", QStringLiteral("%1-%2").arg(file.fileId).arg(page)},
            {"downloadUrl",
             svc.baseUrl().toString() + QStringLiteral("/fms/slice/%1/%2.png").arg(file.fileId).arg(page)},
            {"picWidth", portrait ? 720 : 1280},
            {"picHeight", portrait ? 1280 : 720},
            {"sourceFileType", QFileInfo(file.fileName).suffix().toLower()},
        });
    }
    return slices;
}

// A page image: its number on a colour of its own, so pages tell apart on screen; as tall as wide
// as the page list says.
QByteArray pageImage(int page, bool portrait)
{
    QImage image(portrait ? QSize(90, 160) : QSize(160, 90), QImage::Format_RGB32);
    image.fill(QColor::fromHsv((page * 47) % 360, 60, 235));
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(48);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QString::number(page));
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// The sharer of a shared document or audio/video file (its entry holds the id encrypted).
bool isSharer(const QString &userId, const QVariantMap &shared)
{
    return !shared.isEmpty() && dec(shared.value(QStringLiteral("userId")).toString()) == userId;
}

// Who may end a share or change who operates it: its sharer or a host.
bool mayManage(DevRoom &room, const QString &userId, const QVariantMap &shared)
{
    return isSharer(userId, shared) || isHostOrAssistant(room, userId);
}

// Who may turn pages, scroll, play, pause or seek the shared file: its sharer, the hosts, or the
// listed members.
bool mayOperate(DevRoom &room, const QString &userId, const QVariantMap &shared)
{
    if (mayManage(room, userId, shared))
        return true;
    if (shared.value(QStringLiteral("enableOperationFileStatus")).toInt() != 2)
        return false;
    for (const QVariant &v : shared.value(QStringLiteral("enableUserList")).toList()) {
        if (dec(v.toMap().value(QStringLiteral("userId")).toString()) == userId)
            return true;
    }
    return false;
}

// A file-service request: signed in and signed parameters; nullptr with *error otherwise.
DevUser *fileServiceUser(DevService &svc, const DevRequest &req, DevReply *error)
{
    DevUser *user = signedIn(svc, req, error);
    if (user && !fileServiceOk(req, *user)) {
        *error = DevService::fail(BadSignature, QStringLiteral("签名无效"));
        return nullptr;
    }
    return user;
}

// A room-scoped sharing request with "sequenceId" checked against the body's room.
DevRoom *sharingRoom(DevService &svc, const DevRequest &req, DevUser **user, DevReply *error)
{
    DevUser *u = signedIn(svc, req, error);
    if (!u)
        return nullptr;
    DevRoom *room = svc.state().room(str(req, QStringLiteral("roomId")));
    if (!room || room->closed) {
        *error = DevService::fail(NotFound, QStringLiteral("会议不存在"));
        return nullptr;
    }
    if (req.header("sequenceId") != room->sequenceId) {
        *error = DevService::fail(WrongSequence, QStringLiteral("会议状态已变化，请重新入会"));
        return nullptr;
    }
    *user = u;
    return room;
}

void rememberShared(DevRoom &room, const QVariantMap &entry)
{
    QVariantList shared = listIn(room.extra, QStringLiteral("sharedFiles"));
    shared.removeIf([&](const QVariant &v) {
        return v.toMap().value(QStringLiteral("fileId")) == entry.value(QStringLiteral("fileId"));
    });
    shared.append(entry);
    room.extra.insert(QStringLiteral("sharedFiles"), shared);
}

// A share starts only for one who may share now and holds the room's share lock; nullopt when
// it may start.
std::optional<DevReply> refuseStart(DevRoom &room, const DevUser &user)
{
    if (!mayShare(room, user.userId))
        return DevService::fail(Forbidden, QStringLiteral("主持人已关闭您的共享权限"));
    const QString holder = room.extra.value(QStringLiteral("shareLock")).toString();
    if (holder.isEmpty())
        return DevService::fail(ShareLockNotHeld, QStringLiteral("请先获取共享锁"));
    if (holder != user.userId)
        return DevService::fail(ShareLockHeld, QStringLiteral("其他成员正在共享"));
    return std::nullopt;
}

// The playing file's clock: a position at a moment of the project clock, running while playing.
const QString kPlayback = QStringLiteral("avPlayback");
// The id under which the last document position was relayed.
const QString kFileOpSequence = QStringLiteral("fileOpSequence");
// The largest id a JSON number holds exactly.
constexpr qint64 kMaxSequenceId = (qint64(1) << 53) - 1;

qint64 playbackPositionMs(const QVariantMap &playback)
{
    const qint64 at = playback.value("positionMs").toLongLong() +
                      (playback.value("playing").toBool()
                           ? std::max<qint64>(0, KVClock::current().nowMs() - playback.value("sinceMs").toLongLong())
                           : 0);
    return std::min(at, playback.value("durationMs").toLongLong());
}

void setPlayback(DevRoom &room, QVariantMap playback, qint64 positionMs, bool playing)
{
    playback.insert("positionMs", std::clamp<qint64>(positionMs, 0, playback.value("durationMs").toLongLong()));
    playback.insert("sinceMs", KVClock::current().nowMs());
    playback.insert("playing", playing);
    room.extra.insert(kPlayback, playback);
}

// Document and audio/video events are the service's: a member's own such command on the channel
// is passed on only when the service would let him do what it says. A share never starts there.
bool mayRelaySharedFileCommand(DevRoom &room, const QString &userId, const QJsonObject &command)
{
    const QJsonValue rawData = command.value("data");
    const QJsonObject data =
        rawData.isString() ? QJsonDocument::fromJson(rawData.toString().toUtf8()).object() : rawData.toObject();
    const QVariantMap document = room.extra.value(QStringLiteral("sharedFile")).toMap();
    const QVariantMap file = room.extra.value(QStringLiteral("sharedAudVid")).toMap();
    const qint64 event = command.value("event").toInteger(-1);
    switch (event) {
    case 901:
        return data.value("sharedFileStatus").toInt() != 1 && !document.isEmpty() && mayManage(room, userId, document);
    case 902:
    case 707:
        return false;
    case 903:
        return !document.isEmpty() && mayOperate(room, userId, document);
    case 706:
        return !file.isEmpty() && mayManage(room, userId, file);
    case 914: {
        const QString fileId = data.value("fileId").toString();
        const QVariantMap &named = document.value(QStringLiteral("fileId")).toString() == fileId ? document : file;
        return !fileId.isEmpty() && named.value(QStringLiteral("fileId")).toString() == fileId &&
               mayManage(room, userId, named);
    }
    default:
        if (event == 266 || (event >= 701 && event <= 709))
            return !file.isEmpty() && mayOperate(room, userId, file);
        return true;
    }
}

using RoomFn = std::function<DevReply(DevRoom &room, DevUser &user, const DevRequest &req)>;

// Who may upload, set from a scheduled meeting's file window before it starts: by its owner, or
// by the one a new meeting's room id was issued to (the form carries the value when it saves).
DevReply uploadPermissionBeforeStart(DevService &svc, const DevRequest &req, const QString &roomId, qint64 type)
{
    DevReply error;
    DevUser *user = signedIn(svc, req, &error);
    if (!user)
        return error;
    if (type != 1 && type != 2)
        return DevService::fail(BadRequest, QStringLiteral("上传权限无效"));
    if (const auto it = svc.state().scheduled.find(roomId); it != svc.state().scheduled.end()) {
        if (it->ownerUserId != user->userId)
            return DevService::fail(Forbidden, QStringLiteral("仅创建者可修改会议"));
        it->fields.insert(QStringLiteral("uploadPermissionType"), int(type));
        return DevService::ok();
    }
    if (svc.state().extra.value(QStringLiteral("preRooms")).toMap().value(roomId).toString() != user->userId)
        return DevService::fail(NotFound, QStringLiteral("会议不存在"));
    return DevService::ok();
}

void sharing(DevService &svc, const char *method, const char *path, RoomFn fn)
{
    svc.route(QString::fromLatin1(method), QString::fromLatin1(path), [&svc, fn](const DevRequest &req) {
        DevReply error;
        DevUser *user = nullptr;
        DevRoom *room = sharingRoom(svc, req, &user, &error);
        if (!room)
            return error;
        return fn(*room, *user, req);
    });
}

} // namespace

QJsonObject AgentRoutes::filePlayback(DevService &svc, DevRoom &room)
{
    QVariantMap playback = room.extra.value(kPlayback).toMap();
    if (playback.isEmpty())
        return {};
    const qint64 position = playbackPositionMs(playback);
    const qint64 duration = playback.value("durationMs").toLongLong();
    const QJsonObject file{{"fileId", playback.value("fileId").toString()}};
    if (playback.value("playing").toBool() && duration > 0 && position >= duration) {
        setPlayback(room, playback, duration, false);
        playback = room.extra.value(kPlayback).toMap();
        tellRoomExcept(svc, room, QString(), 705, file);
    } else if (playback.value("playing").toBool() && playback.value("fileType").toLongLong() == 3) {
        // An audio file has no pictures to carry its position: the service tells it.
        QJsonObject position266 = file;
        position266.insert("duration", position / 1000);
        tellRoomExcept(svc, room, QString(), 266, position266);
    }
    return QJsonObject{{"peerId", playback.value("peerId").toString()},
                       {"fileName", playback.value("fileName").toString()},
                       {"fileType", playback.value("fileType").toLongLong()},
                       {"positionMs", playbackPositionMs(playback)},
                       {"durationMs", duration},
                       {"playing", playback.value("playing").toBool()}};
}

namespace {

const bool registered = DevServiceRoutes::add(QStringLiteral("agent-files"), [](DevService &svc) {
    svc.mayRelayCommand = mayRelaySharedFileCommand;
    sharing(svc, "POST", "/qf/client/setSharePermission", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        if (!isHostOrAssistant(room, user.userId))
            return DevService::fail(Forbidden, QStringLiteral("仅主持人可操作"));
        const int permission = int(num(req, QStringLiteral("sharePermission")));
        if (permission < 0 || permission > 2)
            return DevService::fail(BadRequest, QStringLiteral("共享权限无效"));
        room.flags.insert(QStringLiteral("sharePermission"), permission);
        room.extra.insert(QStringLiteral("allowShareList"), req.param(QStringLiteral("allowShareList")).toList());
        // Event 912 tells each member whether they may share now.
        for (const DevMember &m : std::as_const(room.members)) {
            svc.sendChannelMessage(
                room.roomId, m.userId,
                serviceCommand(912, QJsonObject{{"allowFileShared", mayShare(room, m.userId) ? 1 : 0},
                                                {"sharePermission", permission}}));
        }
        // Event 913 tells the others the list changed: hosts and assistant hosts ask for it again.
        tellRoomExcept(svc, room, user.userId, 913, QJsonObject{{"sharePermission", permission}});
        return DevService::ok();
    });
    sharing(svc, "POST", "/qf/client/sharedFile", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        const QString fileId = str(req, QStringLiteral("fileId"));
        if (num(req, QStringLiteral("sharedFileStatus")) == 1) {
            if (const auto refused = refuseStart(room, user))
                return *refused;
            // A document started over a running one replaces it: the room hears of a switch.
            const bool switched = !room.extra.value(QStringLiteral("sharedFile")).toMap().isEmpty();
            const auto file = svc.state().files.constFind(fileId);
            const QJsonArray slices = file == svc.state().files.cend() ? QJsonArray() : slicesOf(svc, *file);
            const QVariantMap entry{
                {QStringLiteral("userId"), enc(user.userId)},
                {QStringLiteral("userName"), user.userName},
                {QStringLiteral("roomId"), room.roomId},
                {QStringLiteral("fileId"), fileId},
                {QStringLiteral("fileName"), str(req, QStringLiteral("fileName"))},
                {QStringLiteral("fileType"), QStringLiteral("1")},
                {QStringLiteral("sliceInfo"), slices.toVariantList()},
                {QStringLiteral("enableOperationFileStatus"), num(req, QStringLiteral("enableOperationFileStatus"), 1)},
                {QStringLiteral("enableUserList"), req.param(QStringLiteral("enableUserList")).toList()},
            };
            room.extra.insert(QStringLiteral("sharedFile"), entry);
            room.extra.remove(QStringLiteral("orderStatus"));
            room.extra.remove(kFileOpSequence);
            room.flags.insert(QStringLiteral("isSharingFiles"), 1);
            rememberShared(room, entry);
            QJsonObject announced{
                {"sharedFileStatus", 1}, {"fileId", fileId},           {"sliceCount", slices.size()},
                {"sliceInfo", slices},   {"peerId", enc(user.userId)}, {"peerName", user.userName},
                {"sequenceId", 0},
            };
            if (!switched) {
                announced.insert("enableOperationFileStatus",
                                 entry.value(QStringLiteral("enableOperationFileStatus")).toInt());
                announced.insert("enableUserList",
                                 QJsonArray::fromVariantList(entry.value(QStringLiteral("enableUserList")).toList()));
            }
            tellRoomExcept(svc, room, user.userId, switched ? 902 : 901, announced);
        } else {
            const QVariantMap shared = room.extra.value(QStringLiteral("sharedFile")).toMap();
            if (!shared.isEmpty() && !mayManage(room, user.userId, shared))
                return DevService::fail(Forbidden, QStringLiteral("无权结束他人的共享"));
            room.extra.remove(QStringLiteral("sharedFile"));
            room.extra.remove(QStringLiteral("orderStatus"));
            room.flags.insert(QStringLiteral("isSharingFiles"), 0);
            if (!shared.isEmpty())
                tellRoomExcept(svc, room, user.userId, 901,
                               QJsonObject{{"sharedFileStatus", 0},
                                           {"fileId", shared.value(QStringLiteral("fileId")).toString()},
                                           {"peerId", shared.value(QStringLiteral("userId")).toString()},
                                           {"peerName", shared.value(QStringLiteral("userName")).toString()}});
        }
        return DevService::ok();
    });
    sharing(svc, "POST", "/qf/client/audVidShare", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        const qint64 type = num(req, QStringLiteral("type"));
        const QVariantMap running = room.extra.value(QStringLiteral("sharedAudVid")).toMap();
        if (type == 2) {
            if (!running.isEmpty() && !mayManage(room, user.userId, running))
                return DevService::fail(Forbidden, QStringLiteral("无权结束他人的共享"));
            const bool wasSharing = room.extra.contains(QStringLiteral("sharedAudVid"));
            room.extra.remove(QStringLiteral("sharedAudVid"));
            room.extra.remove(kPlayback);
            room.flags.insert(QStringLiteral("isSharingFiles"), 0);
            if (wasSharing)
                tellRoomExcept(svc, room, user.userId, 706,
                               QJsonObject{{"fileId", str(req, QStringLiteral("fileId"))}});
            return DevService::ok();
        }
        if (str(req, QStringLiteral("token")).isEmpty())
            return DevService::fail(BadRequest, QStringLiteral("缺少会议令牌"));
        if (const auto refused = refuseStart(room, user))
            return *refused;
        if (!running.isEmpty() &&
            running.value(QStringLiteral("fileId")).toString() != str(req, QStringLiteral("fileId")))
            return DevService::fail(Forbidden, QStringLiteral("正在播放其他文件"));
        const QVariantMap entry{
            {QStringLiteral("userId"), enc(user.userId)},
            {QStringLiteral("userName"), user.userName},
            {QStringLiteral("roomId"), room.roomId},
            {QStringLiteral("fileId"), str(req, QStringLiteral("fileId"))},
            {QStringLiteral("fileName"), str(req, QStringLiteral("fileName"))},
            {QStringLiteral("fileType"), QString::number(num(req, QStringLiteral("fileType")))},
            {QStringLiteral("duration"), num(req, QStringLiteral("duration"))},
            {QStringLiteral("enableOperationFileStatus"), num(req, QStringLiteral("enableOperationFileStatus"), 1)},
            {QStringLiteral("enableUserList"), req.param(QStringLiteral("enableUserList")).toList()},
        };
        room.extra.insert(QStringLiteral("sharedAudVid"), entry);
        room.flags.insert(QStringLiteral("isSharingFiles"), int(num(req, QStringLiteral("fileType"))));
        rememberShared(room, entry);
        const QString peerId = EngineRoutes::peerIdFor(user.userId, user.phoneNumber);
        setPlayback(room,
                    {{"peerId", peerId},
                     {"fileId", entry.value("fileId")},
                     {"fileName", entry.value("fileName")},
                     {"fileType", num(req, QStringLiteral("fileType"))},
                     {"durationMs", std::max<qint64>(0, num(req, QStringLiteral("duration"))) * 1000}},
                    0, true);
        tellRoomExcept(
            svc, room, user.userId, 707,
            QJsonObject{{"fileId", entry.value("fileId").toString()},
                        {"fileName", entry.value("fileName").toString()},
                        {"fileType", int(num(req, QStringLiteral("fileType")))},
                        {"duration", num(req, QStringLiteral("duration"))},
                        {"peerId", peerId},
                        {"peerName", user.userName},
                        {"enableOperationFileStatus", entry.value("enableOperationFileStatus").toInt()},
                        {"enableUserList", QJsonArray::fromVariantList(entry.value("enableUserList").toList())}});
        return DevService::ok();
    });
    sharing(svc, "GET", "/qf/client/querySharedFile", [](DevRoom &room, DevUser &, const DevRequest &) {
        return DevService::ok(QJsonArray::fromVariantList(listIn(room.extra, QStringLiteral("sharedFiles"))));
    });
    // A position of the shared document, relayed to the others as event 903 with its own
    // sequence id, and kept for those who join later.
    sharing(svc, "POST", "/qf/client/fileOp", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        const QVariantMap shared = room.extra.value(QStringLiteral("sharedFile")).toMap();
        if (shared.isEmpty())
            return DevService::fail(NotFound, QStringLiteral("当前没有共享文档"));
        if (!mayOperate(room, user.userId, shared))
            return DevService::fail(Forbidden, QStringLiteral("无权操作共享文档"));
        const QJsonDocument doc = QJsonDocument::fromJson(str(req, QStringLiteral("orderStatus")).toUtf8());
        const QJsonObject record = doc.object();
        const QJsonValue type = record.value("flipOverType");
        const QJsonValue sequence = record.value("sequenceId");
        const bool typed = doc.isObject() && type.isDouble() && (type.toInt() == 0 || type.toInt() == 1) &&
                           sequence.isDouble() && sequence.toDouble() >= 0 &&
                           sequence.toDouble() <= double(kMaxSequenceId) &&
                           sequence.toDouble() == std::trunc(sequence.toDouble()) &&
                           record.value("fileId").isString() && record.value("page").isDouble() &&
                           (type.toInt() == 0 ? record.value("sliceId").isString() && record.value("peerId").isString()
                                              : record.value("offsetScale").isString());
        if (!typed)
            return DevService::fail(BadRequest, QStringLiteral("参数错误: orderStatus"));
        if (record.value("fileId").toString() != shared.value(QStringLiteral("fileId")).toString() ||
            str(req, QStringLiteral("fileId")) != record.value("fileId").toString())
            return DevService::fail(BadRequest, QStringLiteral("不是当前共享的文档"));
        // Relayed under the service's own rising id, above the start's (1) and above any id a client
        // sent: the sharer's own start has already moved past 1, so a member's first position
        // passed through as it came would be dropped there as an old one.
        const qint64 stamped = std::min(
            kMaxSequenceId,
            std::max<qint64>(qint64(sequence.toDouble()), room.extra.value(kFileOpSequence, 1).toLongLong()) + 1);
        room.extra.insert(kFileOpSequence, stamped);
        QVariantMap stored = record.toVariantMap();
        stored.insert(QStringLiteral("sequenceId"), stamped);
        room.extra.insert(QStringLiteral("orderStatus"), stored);
        QJsonObject data{
            {"flipOverType", type.toInt()},
            {"sequenceId", stamped},
            {"fileId", record.value("fileId")},
        };
        if (type.toInt() == 0)
            data.insert("sliceId", record.value("sliceId"));
        else
            data.insert("offsetScale", record.value("offsetScale").toString().toDouble());
        tellRoomExcept(svc, room, user.userId, 903, data);
        return DevService::ok();
    });
    // Play (2), pause (3) and seek (4) of the shared file, by those who may operate it, told to the
    // others: 701 played from the start, 702 resumed, 703 paused, 704 sought (in ms); 705 when it
    // has played to its end, 709 to everyone when a seek lands on its end (it stops there).
    sharing(svc, "POST", "/qf/client/AudVidPlay", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        const qint64 type = num(req, QStringLiteral("type"));
        if (type < 2 || type > 4)
            return DevService::fail(BadRequest, QStringLiteral("操作类型无效"));
        const QVariantMap playback = room.extra.value(kPlayback).toMap();
        if (playback.isEmpty() || playback.value("fileId").toString() != str(req, QStringLiteral("fileId")))
            return DevService::fail(NotFound, QStringLiteral("当前没有共享音视频"));
        if (!mayOperate(room, user.userId, room.extra.value(QStringLiteral("sharedAudVid")).toMap()))
            return DevService::fail(Forbidden, QStringLiteral("无权操作共享文件"));
        const qint64 seekMs = std::max<qint64>(0, num(req, QStringLiteral("seekPosition"))) * 1000;
        room.extra.insert(QStringLiteral("playType"), type);
        room.extra.insert(QStringLiteral("seekPosition"), num(req, QStringLiteral("seekPosition")));
        const QJsonObject data{{"fileId", playback.value("fileId").toString()}};
        if (type == 2) {
            setPlayback(room, playback, seekMs, true);
            tellRoomExcept(svc, room, user.userId, seekMs == 0 ? 701 : 702, data);
        } else if (type == 3) {
            setPlayback(room, playback, playbackPositionMs(playback), false);
            tellRoomExcept(svc, room, user.userId, 703, data);
        } else {
            const qint64 durationMs = playback.value("durationMs").toLongLong();
            const bool atTheEnd = durationMs > 0 && seekMs >= durationMs;
            setPlayback(room, playback, seekMs, playback.value("playing").toBool() && !atTheEnd);
            QJsonObject sought = data;
            sought.insert("seekPosition", durationMs > 0 ? std::min(seekMs, durationMs) : seekMs);
            tellRoomExcept(svc, room, user.userId, 704, sought);
            if (atTheEnd)
                tellRoomExcept(svc, room, QString(), 709, data);
        }
        return DevService::ok();
    });
    // The sharer's report that the file plays: the others hear it as event 708.
    sharing(svc, "POST", "/qf/client/processStart", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        const QVariantMap running = room.extra.value(QStringLiteral("sharedAudVid")).toMap();
        const QString fileId = str(req, QStringLiteral("fileId"));
        if (!isSharer(user.userId, running) || running.value(QStringLiteral("fileId")).toString() != fileId)
            return DevService::fail(Forbidden, QStringLiteral("您未在共享该文件"));
        room.extra.insert(QStringLiteral("processStarted"), fileId);
        tellRoomExcept(svc, room, user.userId, 708, QJsonObject{{"fileId", fileId}});
        return DevService::ok();
    });
    sharing(
        svc, "POST", "/qf/client/querySharedFileAllowOpUser",
        [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
            if (!room.member(user.userId))
                return DevService::fail(Forbidden, QStringLiteral("您不在会议中"));
            const auto it = svc.state().files.constFind(str(req, QStringLiteral("fileId")));
            if (it == svc.state().files.cend())
                return DevService::ok(QJsonArray());
            return DevService::ok(QJsonArray{QJsonObject{
                {"fileId", it->fileId},
                {"enableOperationFileStatus", it->extra.value(QStringLiteral("enableOperationFileStatus"), 1).toInt()},
                {"enableUserList",
                 QJsonArray::fromVariantList(it->extra.value(QStringLiteral("enableUserList")).toList())},
            }});
        });
    sharing(svc, "POST", "/qf/client/allowOPFileShared", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        auto it = svc.state().files.find(str(req, QStringLiteral("fileId")));
        if (it == svc.state().files.end())
            return DevService::fail(NotFound, QStringLiteral("文件不存在"));
        // Who may operate a file is set by its uploader or a host.
        if (it->extra.value(QStringLiteral("owner")).toString() != user.userId && !isHostOrAssistant(room, user.userId))
            return DevService::fail(Forbidden, QStringLiteral("只能设置自己上传的文件"));
        const qint64 status = num(req, QStringLiteral("enableOperationFileStatus"));
        it->extra.insert(QStringLiteral("enableOperationFileStatus"), status);
        it->extra.insert(QStringLiteral("enableUserList"),
                         status == 2 ? req.param(QStringLiteral("enableUserList")).toList() : QVariantList());
        return DevService::ok();
    });
    svc.route("GET", "/qf/client/uploadFilePermission", [&svc](const DevRequest &req) {
        const qint64 type = num(req, QStringLiteral("uploadPermissionType"));
        const QString roomId = str(req, QStringLiteral("roomId"));
        if (DevRoom *running = svc.state().room(roomId); !running || running->closed)
            return uploadPermissionBeforeStart(svc, req, roomId, type);
        DevReply error;
        DevUser *user = nullptr;
        DevRoom *room = sharingRoom(svc, req, &user, &error);
        if (!room)
            return error;
        if (!isHostOrAssistant(*room, user->userId))
            return DevService::fail(Forbidden, QStringLiteral("仅主持人可操作"));
        if (type != 1 && type != 2)
            return DevService::fail(BadRequest, QStringLiteral("上传权限无效"));
        room->flags.insert(QStringLiteral("uploadPermissionType"), int(type));
        // Event 911 tells each member whether they may upload now.
        for (const DevMember &m : std::as_const(room->members))
            svc.sendChannelMessage(room->roomId, m.userId,
                                   serviceCommand(911, {{"allowFileUpload", mayUpload(*room, m.userId) ? 1 : 0},
                                                        {"uploadPermissionType", int(type)}}));
        return DevService::ok();
    });
    sharing(svc, "GET", "/qf/client/getMeetingMember", [&svc](DevRoom &room, DevUser &, const DevRequest &) {
        QJsonArray list;
        const DevUser *host = svc.state().user(room.hostUserId);
        list.append(QJsonObject{{"userId", room.hostUserId}, {"userName", host ? host->userName : QString()}});
        for (const DevMember &m : std::as_const(room.members)) {
            if (m.assistant)
                list.append(QJsonObject{{"userId", m.userId}, {"userName", m.userName}});
        }
        return DevService::ok(list);
    });
    sharing(svc, "POST", "/qf/client/ShareFileDelete", [&svc](DevRoom &room, DevUser &user, const DevRequest &req) {
        if (!fileServiceOk(req, user))
            return DevService::fail(BadSignature, QStringLiteral("签名无效"));
        for (const QVariant &id : req.param(QStringLiteral("fileIds")).toList()) {
            const auto it = svc.state().files.constFind(id.toString());
            if (it == svc.state().files.cend())
                continue;
            const bool mine = it->extra.value(QStringLiteral("owner")).toString() == user.userId;
            if (!mine && !isHostOrAssistant(room, user.userId))
                return DevService::fail(Forbidden, QStringLiteral("只能删除自己上传的文件"));
            svc.state().files.remove(id.toString());
        }
        return DevService::ok();
    });

    // File service.
    svc.route("POST", "/fms/query/list", [&svc](const DevRequest &req) {
        DevReply error;
        if (!fileServiceUser(svc, req, &error))
            return error;
        const QString roomId = str(req, QStringLiteral("roomId"));
        finishConversions(svc);
        QJsonArray files;
        for (const DevFile &f : std::as_const(svc.state().files)) {
            if (f.roomId == roomId)
                files.append(fileJson(f));
        }
        const QJsonArray types{
            QJsonObject{{"classify", "document"}, {"classifyName", "文档"}, {"type", kDocumentTypes.join(',')}},
            QJsonObject{{"classify", "video"}, {"classifyName", "视频"}, {"type", kVideoTypes.join(',')}},
            QJsonObject{{"classify", "audio"}, {"classifyName", "音频"}, {"type", kAudioTypes.join(',')}},
        };
        return DevService::ok(QJsonObject{{"files", files}, {"fileTypes", types}});
    });
    svc.route("POST", "/fms/query/file/sliceUrl", [&svc](const DevRequest &req) {
        DevReply error;
        if (!fileServiceUser(svc, req, &error))
            return error;
        const auto it = svc.state().files.constFind(str(req, QStringLiteral("fileId")));
        if (it == svc.state().files.cend())
            return DevService::fail(NotFound, QStringLiteral("文件不存在"));
        QJsonObject json = fileJson(*it);
        json.insert("sliceInfo", slicesOf(svc, *it));
        return DevService::ok(json);
    });
    svc.route("GET", "/fms/slice/<fileId>/<page>", [&svc](const DevRequest &req) {
        if (svc.state().extra.value(QStringLiteral("endless.pageImages")).toBool())
            return DevReply::streamed("image/png", {});
        const int page = req.arg(QStringLiteral("page")).section(QLatin1Char('.'), 0, 0).toInt();
        const auto file = svc.state().files.constFind(req.arg(QStringLiteral("fileId")));
        const bool portrait =
            file != svc.state().files.cend() && file->extra.value(QStringLiteral("portrait")).toBool();
        return DevReply::raw(pageImage(page, portrait), "image/png");
    });
    svc.route("POST", "/fms/upload/preUpload", [&svc](const DevRequest &req) {
        DevReply error;
        DevUser *user = fileServiceUser(svc, req, &error);
        if (!user)
            return error;
        const QString roomId = str(req, QStringLiteral("roomId"));
        // In a running meeting the room's upload permission holds.
        if (DevRoom *room = svc.state().room(roomId); room && !room->closed && !mayUpload(*room, user->userId))
            return DevService::fail(Forbidden, QStringLiteral("主持人已关闭您的上传权限"));
        QJsonArray answers;
        for (const QVariant &v : req.param(QStringLiteral("files")).toList()) {
            const QVariantMap f = v.toMap();
            const QString name = f.value(QStringLiteral("fileName")).toString();
            const QString md5 = f.value(QStringLiteral("md5Val")).toString();
            QJsonObject answer{{"identity", f.value(QStringLiteral("identity")).toString()}, {"fileName", name}};
            if (fileTypeFor(name).isEmpty() || f.value(QStringLiteral("fileSize")).toLongLong() <= 0 ||
                !isCleanUploadName(name)) {
                answer.insert("status", -1);
                answer.insert("remarks", QStringLiteral("不支持的文件"));
                answers.append(answer);
                continue;
            }
            QString held;
            for (const DevFile &existing : std::as_const(svc.state().files)) {
                if (existing.roomId == roomId && existing.extra.value(QStringLiteral("md5")).toString() == md5 &&
                    existing.extra.value(QStringLiteral("status")).toInt() == 1)
                    held = existing.fileId;
            }
            if (!held.isEmpty()) {
                answer.insert("fileId", held);
                answer.insert("status", 1);
                answers.append(answer);
                continue;
            }
            DevFile file;
            file.fileId = svc.state().nextId(QStringLiteral("file"));
            file.fileName = name;
            file.roomId = roomId;
            file.extra = QVariantMap{
                {QStringLiteral("md5"), md5},
                {QStringLiteral("status"), 4},
                {QStringLiteral("owner"), user->userId},
                {QStringLiteral("userId"), enc(user->userId)},
                {QStringLiteral("userName"), user->userName},
                {QStringLiteral("createTime"), nowText()},
            };
            svc.state().files.insert(file.fileId, file);
            answer.insert("fileId", file.fileId);
            answer.insert("status", 2);
            answers.append(answer);
        }
        return DevService::ok(answers);
    });
    svc.route("POST", "/fms/upload/multi", [&svc](const DevRequest &req) {
        DevReply error;
        DevUser *user = fileServiceUser(svc, req, &error);
        if (!user)
            return error;
        const QJsonArray infos = QJsonDocument::fromJson(str(req, QStringLiteral("fileInfos")).toUtf8()).array();
        if (infos.isEmpty() || req.files.isEmpty())
            return DevService::fail(BadRequest, QStringLiteral("缺少文件"));
        const QJsonObject info = infos.first().toObject();
        if (!isCleanUploadName(info.value("fileName").toString()))
            return DevService::fail(BadRequest, QStringLiteral("文件名未处理"));
        auto it = svc.state().files.find(info.value("fileId").toString());
        if (it == svc.state().files.end())
            return DevService::fail(NotFound, QStringLiteral("请先预上传"));
        // A file id names its uploader's file: nobody else sends its content.
        if (it->extra.value(QStringLiteral("owner")).toString() != user->userId)
            return DevService::fail(Forbidden, QStringLiteral("无权上传该文件"));
        const DevUploadedFile &part = req.files.first();
        const QString md5 =
            QString::fromLatin1(QCryptographicHash::hash(part.content, QCryptographicHash::Md5).toHex());
        // The content is the one announced: what the pre-upload matched held files by.
        if (md5 != info.value("md5Val").toString() || md5 != it->extra.value(QStringLiteral("md5")).toString())
            return DevService::fail(BadRequest, QStringLiteral("文件校验失败"));
        it->content = part.content;
        it->extra.insert(QStringLiteral("status"), 2);
        it->extra.insert(QStringLiteral("readyAt"),
                         KVClock::current().nowMs() +
                             svc.state().extra.value(QStringLiteral("conversionMs"), 0).toLongLong());
        return DevService::ok(QJsonObject{{"fileId", it->fileId}, {"fileName", it->fileName}});
    });
});

} // namespace
