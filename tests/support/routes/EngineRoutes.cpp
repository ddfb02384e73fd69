#include "routes/EngineRoutes.h"

#include "devservice/DevService.h"
#include "routes/AgentRoutesSupport.h"

#include "foundation/RXEncrypt.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

const QString kSimulated = QStringLiteral("engineSimulated");
const QString kPeerId = QStringLiteral("enginePeerId");
const QString kSeq = QStringLiteral("engineSimSeq");
const QString kNetwork = QStringLiteral("engineNetwork");

QString memberPeerId(const DevMember &member)
{
    const QString stored = member.extra.value(kPeerId).toString();
    return stored.isEmpty() ? EngineRoutes::peerIdFor(member.userId, member.phoneNumber) : stored;
}

// The room (made when missing) and the simulated participant's number in it; a participant
// without a phone number gets one from that number.
std::pair<DevRoom *, qint64> seatSimulated(DevService &service, const QString &roomId, EngineSimPeer &peer)
{
    DevRoom *room = service.state().room(roomId);
    if (!room)
        room = &service.state().addRoom(roomId, peer.userId);
    const qint64 seq = room->extra.value(kSeq).toLongLong() + 1;
    room->extra.insert(kSeq, seq);
    if (peer.phoneNumber.isEmpty())
        peer.phoneNumber = QStringLiteral("1990000%1").arg(seq, 4, 10, QLatin1Char('0'));
    return {room, seq};
}

QJsonObject toJson(const EngineSimPeer &peer)
{
    return QJsonObject{{"peerId", peer.peerId},      {"userId", peer.userId}, {"userName", peer.userName},
                       {"audio", peer.audio},        {"video", peer.video},   {"share", peer.share},
                       {"simulated", peer.simulated}};
}

const bool registered = DevServiceRoutes::add(QStringLiteral("engine"), [](DevService &svc) {
    svc.route("GET", "/engine/room/<roomId>/peers", [&svc](const DevRequest &req) {
        QJsonArray list;
        for (const EngineSimPeer &peer :
             EngineRoutes::peers(svc, req.arg("roomId"), req.query.value("peerId").toString()))
            list.append(toJson(peer));
        QJsonObject data{{"peers", list}};
        if (DevRoom *room = svc.state().room(req.arg("roomId"))) {
            data.insert(QStringLiteral("network"), QJsonObject::fromVariantMap(room->extra.value(kNetwork).toMap()));
            if (const QJsonObject file = AgentRoutes::filePlayback(svc, *room); !file.isEmpty())
                data.insert(QStringLiteral("avFile"), file);
        }
        return DevService::ok(data);
    });
    svc.route("POST", "/engine/room/<roomId>/network", [&svc](const DevRequest &req) {
        if (!EngineRoutes::setNetwork(svc, req.arg("roomId"), req.param("rtt").toInt(), req.param("lostRate").toInt()))
            return DevService::fail(404, QStringLiteral("no such room"));
        return DevService::ok();
    });
    svc.route("POST", "/engine/room/<roomId>/peers", [&svc](const DevRequest &req) {
        EngineSimPeer peer;
        peer.userName = req.param("userName").toString();
        if (peer.userName.isEmpty())
            return DevService::fail(400, QStringLiteral("userName missing"));
        peer.phoneNumber = req.param("phoneNumber").toString();
        peer.userId = req.param("userId").toString();
        peer.peerId = req.param("peerId").toString();
        const auto flag = [&req](const char *name, bool fallback) {
            const QVariant value = req.param(QString::fromLatin1(name));
            return value.isValid() ? value.toBool() : fallback;
        };
        peer.audio = flag("audio", true);
        peer.video = flag("video", true);
        peer.share = flag("share", false);
        const QString id = EngineRoutes::addSimulatedPeer(svc, req.arg("roomId"), peer);
        return DevService::ok(QJsonObject{{"peerId", id}});
    });
    svc.route("POST", "/engine/room/<roomId>/waiting", [&svc](const DevRequest &req) {
        EngineSimPeer peer;
        peer.userName = req.param("userName").toString();
        if (peer.userName.isEmpty())
            return DevService::fail(400, QStringLiteral("userName missing"));
        peer.phoneNumber = req.param("phoneNumber").toString();
        peer.userId = req.param("userId").toString();
        peer.audio = peer.video = false;
        return DevService::ok(QJsonObject{{"userId", EngineRoutes::addSimulatedWaiting(svc, req.arg("roomId"), peer)}});
    });
    svc.route("POST", "/engine/room/<roomId>/peers/<peerId>/share", [&svc](const DevRequest &req) {
        const QJsonValue share = req.json.value(QStringLiteral("share"));
        if (!share.isBool())
            return DevService::fail(400, QStringLiteral("share must be a boolean"));
        DevRoom *room = svc.state().room(req.arg("roomId"));
        if (!room)
            return DevService::fail(404, QStringLiteral("no such room"));
        // Only a participant who joined tells its own share; simulated ones are set by the test.
        for (DevMember &member : room->members) {
            if (!member.extra.value(kSimulated).toBool() && memberPeerId(member) == req.arg("peerId")) {
                member.share = share.toBool();
                return DevService::ok();
            }
        }
        return DevService::fail(404, QStringLiteral("no such participant"));
    });
    svc.route("DELETE", "/engine/room/<roomId>/peers/<peerId>", [&svc](const DevRequest &req) {
        if (!EngineRoutes::removeSimulatedPeer(svc, req.arg("roomId"), req.arg("peerId")))
            return DevService::fail(404, QStringLiteral("no such participant"));
        return DevService::ok();
    });
});

} // namespace

namespace EngineRoutes {

QString peerIdFor(const QString &userId, const QString &phoneNumber)
{
    return phoneNumber.isEmpty() ? userId : RXEncrypt::aes128ecbEncrypt(phoneNumber);
}

QString addSimulatedPeer(DevService &service, const QString &roomId, EngineSimPeer peer)
{
    (void)registered;
    const auto [room, seq] = seatSimulated(service, roomId, peer);
    if (peer.userId.isEmpty())
        peer.userId = QStringLiteral("sim-%1-%2").arg(roomId).arg(seq);
    if (peer.peerId.isEmpty())
        peer.peerId = peerIdFor(peer.userId, peer.phoneNumber);

    DevMember member;
    member.userId = peer.userId;
    member.userName = peer.userName;
    member.phoneNumber = peer.phoneNumber;
    member.audio = peer.audio;
    member.video = peer.video;
    member.share = peer.share;
    member.extra.insert(kSimulated, true);
    member.extra.insert(kPeerId, peer.peerId);
    for (DevMember &existing : room->members) {
        if (memberPeerId(existing) == peer.peerId) {
            existing = member;
            return peer.peerId;
        }
    }
    room->members.append(member);
    return peer.peerId;
}

bool setNetwork(DevService &service, const QString &roomId, int rtt, int lostRate)
{
    DevRoom *room = service.state().room(roomId);
    if (!room)
        return false;
    room->extra.insert(kNetwork, QVariantMap{{QStringLiteral("rtt"), rtt}, {QStringLiteral("lostRate"), lostRate}});
    return true;
}

QString addSimulatedWaiting(DevService &service, const QString &roomId, EngineSimPeer peer)
{
    DevRoom *room = seatSimulated(service, roomId, peer).first;
    if (peer.userId.isEmpty())
        peer.userId = peer.phoneNumber;
    DevMember member;
    member.userId = peer.userId;
    member.userName = peer.userName;
    member.phoneNumber = peer.phoneNumber;
    member.extra.insert(kSimulated, true);
    member.extra.insert(kPeerId, peerIdFor(peer.userId, peer.phoneNumber));
    AgentRoutes::enterWaitingRoom(service, *room, member);
    return member.userId;
}

bool removeSimulatedPeer(DevService &service, const QString &roomId, const QString &peerId)
{
    DevRoom *room = service.state().room(roomId);
    if (!room)
        return false;
    const qsizetype before = room->members.size();
    room->members.removeIf([&](const DevMember &member) {
        return member.extra.value(kSimulated).toBool() && memberPeerId(member) == peerId;
    });
    return room->members.size() != before;
}

QList<EngineSimPeer> peers(DevService &service, const QString &roomId, const QString &exceptPeerId)
{
    QList<EngineSimPeer> result;
    DevRoom *room = service.state().room(roomId);
    if (!room)
        return result;
    for (const DevMember &member : std::as_const(room->members)) {
        EngineSimPeer peer;
        peer.peerId = memberPeerId(member);
        if (peer.peerId.isEmpty() || peer.peerId == exceptPeerId)
            continue;
        peer.userId = member.userId;
        peer.userName = member.userName;
        peer.phoneNumber = member.phoneNumber;
        peer.audio = member.audio;
        peer.video = member.video;
        peer.share = member.share;
        peer.simulated = member.extra.value(kSimulated).toBool();
        result << peer;
    }
    return result;
}

} // namespace EngineRoutes
