// Stand-in development controls: what the service sends on its own during a meeting, pushed on
// demand (a development run or a test has no speech recognition behind it).
//
//   POST /dev/room/<roomId>/transcript        one result object or an array of them:
//        {"senderId", "senderName", "cnText", "enText", "cnTextFix", "resultType" (0 temporary,
//         2 final), "senderTime" (ms since 1970, now when missing)}
//        goes to everyone in the room as one transcription message (type 3); finals are kept as
//        the room's transcript lines (history, search, download).
//   POST /dev/room/<roomId>/transcribeStatus  {"roomTranscribeStatus"}: stored and sent to the
//        room as a transcription status message (type 5).
//   POST /dev/room/<roomId>/chat  {"sender", "senderName", "text"}: a chat line (type 0) from that
//        participant to everyone in the room, as another client's line reaches them.
//   POST /dev/room/<roomId>/control  {"sender", "senderName", "event", "data" (an object, or JSON
//        text sent as written), "to" (a user id; everyone when missing)}: a control command
//        (type 1) as from that sender, as a crafted client's command would reach the room were it
//        passed on (the relay refuses it), so a client's own checks can be tried by hand.
//   POST /dev/endless  {"pageImages", "recordings"} (booleans): from now on the documents' page
//        images, or the recordings' files, stream without end and without a length, as a broken
//        or hostile storage host sends them.
#include "routes/AgentRoutesSupport.h"

#include <QJsonDocument>

using namespace AgentRoutes;

namespace {

constexpr qint64 kTranscriptionType = 3;
constexpr qint64 kTranscriptionStatusType = 5;
const QString kServiceSender = QStringLiteral("mccServer");

QString jsonText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

const bool registered = DevServiceRoutes::add(QStringLiteral("dev-control"), [](DevService &svc) {
    svc.route(QStringLiteral("POST"), QStringLiteral("/dev/room/<roomId>/transcript"), [&svc](const DevRequest &req) {
        DevRoom *room = svc.state().room(req.arg(QStringLiteral("roomId")));
        if (!room)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        const QJsonDocument body = QJsonDocument::fromJson(req.body);
        QJsonArray results = body.isArray() ? body.array() : QJsonArray{body.object()};
        QJsonArray data;
        QVariantList lines = room->extra.value(QStringLiteral("subtitles")).toList();
        for (const QJsonValue &value : results) {
            QJsonObject result = value.toObject();
            if (result.isEmpty())
                continue;
            result.insert(QStringLiteral("roomId"), room->roomId);
            if (!result.contains(QStringLiteral("senderTime")))
                result.insert(QStringLiteral("senderTime"), double(nowMs()));
            data.append(jsonText(result));
            if (result.value(QStringLiteral("resultType")).toInt() == 2) {
                lines.append(QVariantMap{
                    {QStringLiteral("roomId"), room->roomId},
                    {QStringLiteral("senderId"), result.value(QStringLiteral("senderId")).toString()},
                    {QStringLiteral("senderName"), result.value(QStringLiteral("senderName")).toString()},
                    {QStringLiteral("name"), result.value(QStringLiteral("senderName")).toString()},
                    {QStringLiteral("content"), result.value(QStringLiteral("cnTextFix")).toString()},
                    {QStringLiteral("timeStamp"), result.value(QStringLiteral("senderTime")).toDouble()},
                    {QStringLiteral("resultType"), 2},
                });
            }
        }
        room->extra.insert(QStringLiteral("subtitles"), lines);
        const int delivered = svc.sendChannelMessage(
            room->roomId, {}, {{"type", kTranscriptionType}, {"sender", kServiceSender}, {"data", data}});
        return DevService::ok(QJsonObject{{"delivered", delivered}});
    });
    svc.route(QStringLiteral("POST"), QStringLiteral("/dev/room/<roomId>/chat"), [&svc](const DevRequest &req) {
        DevRoom *room = svc.state().room(req.arg(QStringLiteral("roomId")));
        if (!room)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        const int delivered = svc.sendChannelMessage(room->roomId, {},
                                                     {{"type", 0},
                                                      {"sender", str(req, QStringLiteral("sender"))},
                                                      {"senderName", str(req, QStringLiteral("senderName"))},
                                                      {"data", QJsonArray{str(req, QStringLiteral("text"))}}});
        return DevService::ok(QJsonObject{{"delivered", delivered}});
    });
    svc.route(QStringLiteral("POST"), QStringLiteral("/dev/room/<roomId>/control"), [&svc](const DevRequest &req) {
        DevRoom *room = svc.state().room(req.arg(QStringLiteral("roomId")));
        if (!room)
            return DevService::fail(NotFound, QStringLiteral("会议不存在"));
        // "data" given as text goes out as written, so numbers a double cannot hold get through.
        const QJsonValue data = req.json.value(QStringLiteral("data"));
        const qint64 event = num(req, QStringLiteral("event"));
        const QString command = data.isString()
                                    ? QStringLiteral("{\"event\":%1,\"data\":%2}").arg(event).arg(data.toString())
                                    : jsonText(QJsonObject{{"event", event}, {"data", data.toObject()}});
        const int delivered = svc.sendChannelMessage(room->roomId, str(req, QStringLiteral("to")),
                                                     {{"type", 1},
                                                      {"sender", str(req, QStringLiteral("sender"))},
                                                      {"senderName", str(req, QStringLiteral("senderName"))},
                                                      {"data", QJsonArray{command}}});
        return DevService::ok(QJsonObject{{"delivered", delivered}});
    });
    svc.route(QStringLiteral("POST"), QStringLiteral("/dev/room/<roomId>/transcribeStatus"),
              [&svc](const DevRequest &req) {
                  DevRoom *room = svc.state().room(req.arg(QStringLiteral("roomId")));
                  if (!room)
                      return DevService::fail(NotFound, QStringLiteral("会议不存在"));
                  const int status = int(num(req, QStringLiteral("roomTranscribeStatus")));
                  room->flags.insert(QStringLiteral("roomTranscribeStatus"), status);
                  const QJsonObject payload{{"roomTranscribeStatus", status}};
                  const int delivered = svc.sendChannelMessage(room->roomId, {},
                                                               {{"type", kTranscriptionStatusType},
                                                                {"sender", kServiceSender},
                                                                {"data", QJsonArray{jsonText(payload)}}});
                  return DevService::ok(QJsonObject{{"delivered", delivered}});
              });
    svc.route(QStringLiteral("POST"), QStringLiteral("/dev/endless"), [&svc](const DevRequest &req) {
        for (const QString &what : {QStringLiteral("pageImages"), QStringLiteral("recordings")})
            svc.state().extra.insert(QStringLiteral("endless.") + what, req.param(what).toBool());
        return DevService::ok();
    });
});

} // namespace
