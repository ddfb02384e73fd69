// Stand-in routes: cloud recordings and meeting record documents of the signed-in user.
#include "routes/AgentRoutesSupport.h"

#include <algorithm>

using namespace AgentRoutes;

namespace {

const bool registered = DevServiceRoutes::add(QStringLiteral("agent-records"), [](DevService &svc) {
    signedInRoute(svc, "GET", "/qf/user/dvr/list", [&svc](DevUser *user, const DevRequest &req) {
        const QString onlyRoom = str(req, QStringLiteral("roomId"));
        QList<QString> order;
        QMap<QString, QJsonObject> meetings;
        for (const QVariant &v : listIn(svc.state().extra, QStringLiteral("recordings"))) {
            QVariantMap rec = v.toMap();
            const QString roomId = rec.value(QStringLiteral("roomId")).toString();
            if (rec.value(QStringLiteral("owner")).toString() != user->userId ||
                (!onlyRoom.isEmpty() && roomId != onlyRoom))
                continue;
            if (!meetings.contains(roomId)) {
                order.append(roomId);
                meetings.insert(
                    roomId, QJsonObject{{"roomId", roomId},
                                        {"roomName", rec.value(QStringLiteral("roomName")).toString()},
                                        {"meetingBeginTime", rec.value(QStringLiteral("meetingBeginTime")).toString()},
                                        {"dvrList", QJsonArray()}});
            }
            QJsonObject &meeting = meetings[roomId];
            QJsonArray list = meeting.value("dvrList").toArray();
            for (const char *key : {"roomId", "roomName", "owner", "meetingBeginTime"})
                rec.remove(QLatin1String(key));
            list.append(QJsonObject::fromVariantMap(rec));
            meeting.insert("dvrList", list);
        }
        QJsonArray out;
        for (const QString &roomId : std::as_const(order))
            out.append(meetings.value(roomId));
        return DevService::ok(out);
    });
    signedInRoute(svc, "POST", "/qf/user/dvr/delete", [&svc](DevUser *user, const DevRequest &req) {
        QVariantList recordings = listIn(svc.state().extra, QStringLiteral("recordings"));
        const qsizetype before = recordings.size();
        for (const QVariant &v : req.param(QStringLiteral("dvrList")).toList()) {
            const QVariantMap target = v.toMap();
            recordings.removeIf([&](const QVariant &r) {
                const QVariantMap rec = r.toMap();
                return rec.value(QStringLiteral("owner")).toString() == user->userId &&
                       rec.value(QStringLiteral("roomId")) == target.value(QStringLiteral("roomId")) &&
                       rec.value(QStringLiteral("dvrSequenceId")) == target.value(QStringLiteral("dvrSequenceId"));
            });
        }
        if (recordings.size() == before)
            return DevService::fail(NotFound, QStringLiteral("录制文件不存在"));
        svc.state().extra.insert(QStringLiteral("recordings"), recordings);
        return DevService::ok();
    });
    svc.route("GET", "/dvr/file/<name>", [&svc](const DevRequest &req) {
        // The storage host is not the service: it gets the address as written and no header of the
        // service's (a signed storage address refuses unknown headers).
        for (const char *header : {"Authorization", "clientVersion", "isEncry"}) {
            if (req.headers.contains(QByteArray(header).toLower()))
                return DevReply::raw(QByteArray("unexpected header ") + header, "text/plain", 400);
        }
        if (svc.state().extra.value(QStringLiteral("endless.recordings")).toBool()) {
            DevReply endless = DevReply::streamed("video/mp4", {});
            endless.headers.append(
                {"Content-Disposition", "attachment; filename=\"" + req.arg(QStringLiteral("name")).toUtf8() + "\""});
            return endless;
        }
        return DevReply::file(QByteArray("stand-in recording ") + req.arg(QStringLiteral("name")).toUtf8(),
                              req.arg(QStringLiteral("name")));
    });
    signedInRoute(svc, "POST", "/qf/user/queryRecord", [&svc](DevUser *user, const DevRequest &req) {
        QVariantList mine;
        for (const QVariant &v : listIn(svc.state().extra, QStringLiteral("recordFiles"))) {
            QVariantMap doc = v.toMap();
            if (doc.take(QStringLiteral("owner")).toString() == user->userId)
                mine.append(doc);
        }
        const qint64 pageNum = std::max<qint64>(1, num(req, QStringLiteral("pageNum"), 1));
        const qint64 pageSize = std::max<qint64>(1, num(req, QStringLiteral("pageSize"), 10));
        return DevService::ok(
            QJsonObject{{"total", mine.size()},
                        {"pageNum", pageNum},
                        {"pageSize", pageSize},
                        {"list", QJsonArray::fromVariantList(mine.mid((pageNum - 1) * pageSize, pageSize))}});
    });
    signedInRoute(svc, "GET", "/qf/user/deleteRecord", [&svc](DevUser *user, const DevRequest &req) {
        const QString roomId = str(req, QStringLiteral("roomId"));
        QVariantList docs = listIn(svc.state().extra, QStringLiteral("recordFiles"));
        const qsizetype before = docs.size();
        docs.removeIf([&](const QVariant &v) {
            const QVariantMap doc = v.toMap();
            return doc.value(QStringLiteral("owner")).toString() == user->userId &&
                   doc.value(QStringLiteral("roomId")).toString() == roomId;
        });
        if (docs.size() == before)
            return DevService::fail(NotFound, QStringLiteral("会议记录不存在"));
        svc.state().extra.insert(QStringLiteral("recordFiles"), docs);
        // The meeting has no record document from now on, as the lists say.
        if (auto it = svc.state().scheduled.find(roomId); it != svc.state().scheduled.end())
            it->fields.insert(QStringLiteral("hasRecord"), false);
        return DevService::ok();
    });
});

} // namespace
