#include "DevService.h"

#include "DevHttpServer.h"

#include "connection/WireProtocol.h"
#include "foundation/KVClock.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSet>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>
#include <map>
#include <utility>

Q_LOGGING_CATEGORY(korviDevService, "korvi.devservice")

// ---------------------------------------------------------------- requests, replies, state

QString DevRequest::header(const QByteArray &name) const
{
    return QString::fromUtf8(headers.value(name.toLower()));
}

QVariant DevRequest::param(const QString &name) const
{
    if (json.contains(name))
        return json.value(name).toVariant();
    if (form.contains(name))
        return form.value(name);
    return query.value(name);
}

DevReply DevReply::json(const QJsonObject &object, int status)
{
    return {status, QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json", {}, {}};
}

DevReply DevReply::raw(const QByteArray &body, const QByteArray &contentType, int status)
{
    return {status, body, contentType, {}, {}};
}

DevReply DevReply::file(const QByteArray &content, const QString &suggestedName)
{
    DevReply reply{200, content, "application/octet-stream", {}, {}};
    reply.headers.append({"Content-Disposition", "attachment; filename=\"" + suggestedName.toUtf8() + "\""});
    return reply;
}

DevReply DevReply::streamed(const QByteArray &contentType, const Stream &stream)
{
    return {200, {}, contentType, {}, stream};
}

DevMember *DevRoom::member(const QString &id)
{
    if (id.isEmpty())
        return nullptr;
    for (DevMember &m : members) {
        if (m.userId == id || m.phoneNumber == id)
            return &m;
    }
    return nullptr;
}

DevRoom *DevState::room(const QString &roomId)
{
    auto it = rooms.find(roomId);
    return it == rooms.end() ? nullptr : &it.value();
}

DevUser *DevState::user(const QString &userId)
{
    auto it = users.find(userId);
    return it == users.end() ? nullptr : &it.value();
}

DevUser *DevState::userByPhone(const QString &phoneNumber)
{
    for (DevUser &u : users) {
        if (u.phoneNumber == phoneNumber)
            return &u;
    }
    return nullptr;
}

DevUser &DevState::addUser(const QString &userId, const QString &phoneNumber, const QString &userName,
                           const QString &token)
{
    if (DevUser *old = user(userId))
        tokens.remove(old->token);
    DevUser &u = users[userId];
    u = DevUser{userId, phoneNumber, userName, token, true, {}};
    if (!token.isEmpty())
        tokens.insert(token, userId);
    return u;
}

DevRoom &DevState::addRoom(const QString &roomId, const QString &hostUserId, const QString &roomName)
{
    DevRoom &r = rooms[roomId];
    r = DevRoom{};
    r.roomId = roomId;
    r.hostUserId = hostUserId;
    r.roomName = roomName.isEmpty() ? QStringLiteral("会议 %1").arg(roomId) : roomName;
    r.sequenceId = QString::number(m_nextId++);
    r.flags = {{QStringLiteral("imAllowStatus"), 1},
               {QStringLiteral("micAllowStatus"), 1},
               {QStringLiteral("cameraAllowStatus"), 1},
               {QStringLiteral("roomWaitStatus"), 0},
               {QStringLiteral("roomLockStatus"), 0}};
    return r;
}

QString DevState::nextId(const QString &prefix)
{
    return prefix + QLatin1Char('-') + QString::number(m_nextId++);
}

// ---------------------------------------------------------------- route registry

namespace {
std::map<QString, DevServiceRoutes::Installer> &registry()
{
    static std::map<QString, DevServiceRoutes::Installer> installers;
    return installers;
}

QRegularExpression compilePattern(const QString &pattern, QStringList &names)
{
    static const QRegularExpression placeholder(QStringLiteral("<([A-Za-z0-9_]+)>"));
    QString regex = QStringLiteral("^");
    qsizetype last = 0;
    auto it = placeholder.globalMatch(pattern);
    while (it.hasNext()) {
        const auto m = it.next();
        regex += QRegularExpression::escape(pattern.mid(last, m.capturedStart() - last));
        regex += QStringLiteral("([^/]+)");
        names.append(m.captured(1));
        last = m.capturedEnd();
    }
    regex += QRegularExpression::escape(pattern.mid(last)) + QStringLiteral("$");
    return QRegularExpression(regex);
}
} // namespace

namespace DevServiceRoutes {
bool add(const QString &name, Installer installer)
{
    registry()[name] = std::move(installer);
    return true;
}

QStringList names()
{
    QStringList out;
    for (const auto &[name, installer] : registry())
        out.append(name);
    return out;
}
} // namespace DevServiceRoutes

// ---------------------------------------------------------------- service

struct DevService::Route {
    QString method;
    QString pattern;
    QRegularExpression regex;
    QStringList names;
    DevHandler handler;
};

struct DevService::Hook {
    enum Kind { Delay, Hold, Fail, Drop } kind = Delay;
    int ms = 0;
    DevReply reply;
};

struct DevService::ChannelPeer {
    QPointer<QWebSocket> socket;
    QString roomId;
    QString userId;
    QByteArray key;
    bool closeLogged = false;
};

DevService::DevService(QObject *parent) : QObject(parent), m_http(std::make_unique<DevHttpServer>(this))
{
    route(QStringLiteral("GET"), QStringLiteral("/health"), [](const DevRequest &) {
        return ok(QJsonObject{{QStringLiteral("status"), QStringLiteral("up")}});
    });
    for (const auto &[name, installer] : registry())
        installer(*this);
}

DevService::~DevService()
{
    dropPeers();
}

void DevService::dropPeers()
{
    for (auto &peer : m_peers) {
        if (peer->socket) {
            peer->socket->disconnect(this);
            peer->socket->abort();
            peer->socket->deleteLater();
        }
    }
    m_peers.clear();
}

void DevService::stop()
{
    dropPeers();
    m_ws.reset();
    // The old server takes its listener and its open connections with it.
    m_http = std::make_unique<DevHttpServer>(this);
    if (m_tls)
        m_http->sslSetup(m_certificate, m_key);
    // The ports stay taken while the service is down, so that no other program can have them
    // when it starts again; every connection to them fails at once.
    m_portHolds.clear();
    for (const quint16 port : {m_port, m_channelPort}) {
        auto hold = std::make_unique<QTcpServer>();
        if (port == 0 || !hold->listen(QHostAddress::LocalHost, port))
            continue;
        QTcpServer *server = hold.get();
        connect(server, &QTcpServer::newConnection, server, [server] {
            while (QTcpSocket *socket = server->nextPendingConnection()) {
                socket->abort();
                socket->deleteLater();
            }
        });
        m_portHolds.push_back(std::move(hold));
    }
}

bool DevService::start(quint16 port, quint16 channelPort)
{
    m_portHolds.clear();
    m_port = m_http->listen(QHostAddress::LocalHost, port);
    if (m_port == 0) {
        qCWarning(korviDevService) << "REST port not available" << port;
        return false;
    }
    m_ws = std::make_unique<QWebSocketServer>(QStringLiteral("korvi-devservice"), QWebSocketServer::NonSecureMode);
    m_ws->setSupportedSubprotocols({QString::fromLatin1(WireProtocol::Subprotocol)});
    if (!m_ws->listen(QHostAddress::LocalHost, channelPort)) {
        qCWarning(korviDevService) << "channel port not available" << channelPort;
        return false;
    }
    m_channelPort = m_ws->serverPort();
    connect(m_ws.get(), &QWebSocketServer::newConnection, this, &DevService::onChannelConnection);
    return true;
}

bool DevService::useTls(const QByteArray &certificatePem, const QByteArray &privateKeyPem)
{
    const QSslCertificate certificate(certificatePem, QSsl::Pem);
    const QSslKey key(privateKeyPem, QSsl::Ec, QSsl::Pem);
    if (certificate.isNull() || key.isNull() || !QSslSocket::supportsSsl())
        return false;
    m_http->sslSetup(certificate, key);
    m_certificate = certificate;
    m_key = key;
    m_tls = true;
    return true;
}

quint16 DevService::port() const
{
    return m_port;
}
quint16 DevService::channelPort() const
{
    return m_channelPort;
}

QUrl DevService::baseUrl() const
{
    return QUrl(
        QStringLiteral("%1://127.0.0.1:%2").arg(m_tls ? QStringLiteral("https") : QStringLiteral("http")).arg(m_port));
}
QUrl DevService::wsUrl() const
{
    return QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(m_channelPort));
}

void DevService::route(const QString &method, const QString &pathPattern, DevHandler handler)
{
    auto r = std::make_unique<Route>();
    r->method = method.toUpper();
    r->pattern = pathPattern;
    r->regex = compilePattern(pathPattern, r->names);
    r->handler = std::move(handler);
    for (auto &existing : m_routes) {
        if (existing->method == r->method && existing->pattern == pathPattern) {
            existing = std::move(r);
            return;
        }
    }
    m_routes.push_back(std::move(r));
}

bool DevService::hasRoute(const QString &method, const QString &pathPattern) const
{
    return std::any_of(m_routes.begin(), m_routes.end(),
                       [&](const auto &r) { return r->method == method.toUpper() && r->pattern == pathPattern; });
}

DevReply DevService::ok(const QJsonValue &data)
{
    QJsonObject envelope{{QStringLiteral("code"), 0}, {QStringLiteral("message"), QStringLiteral("success")}};
    envelope.insert(QStringLiteral("data"), data);
    return DevReply::json(envelope);
}

DevReply DevService::fail(qint64 code, const QString &message)
{
    return DevReply::json(
        {{QStringLiteral("code"), code}, {QStringLiteral("message"), message}, {QStringLiteral("data"), QJsonValue()}});
}

DevReply DevService::unauthorized()
{
    return fail(401, QStringLiteral("登录已失效，请重新登录"));
}

DevUser *DevService::userFor(const DevRequest &request)
{
    const QString token = request.header("authorization");
    if (token.isEmpty())
        return nullptr;
    const auto it = m_state.tokens.constFind(token);
    return it == m_state.tokens.cend() ? nullptr : m_state.user(it.value());
}

QList<DevRequest> DevService::requestsFor(const QString &path) const
{
    QList<DevRequest> out;
    for (const DevRequest &r : m_requests) {
        if (r.path == path)
            out.append(r);
    }
    return out;
}

void DevService::checkParams(const QString &method, const QString &pathPattern,
                             std::function<QString(const DevRequest &request)> check)
{
    m_checks.insert(method.toUpper() + QLatin1Char(' ') + pathPattern, std::move(check));
}

void DevService::delayNextReply(const QString &path, int ms)
{
    m_hooks[path].append(Hook{Hook::Delay, ms, {}});
}
void DevService::holdNextRequest(const QString &path, int ms)
{
    m_hooks[path].append(Hook{Hook::Hold, ms, {}});
}
void DevService::failNextReply(const QString &path, const DevReply &reply)
{
    m_hooks[path].append(Hook{Hook::Fail, 0, reply});
}
void DevService::dropNextReply(const QString &path)
{
    m_hooks[path].append(Hook{Hook::Drop, 0, {}});
}

void DevService::handleHttp(DevRequest request, const std::function<void(const DevReply &)> &respond,
                            const std::function<void()> &drop)
{
    std::optional<Hook> hook;
    if (auto it = m_hooks.find(request.path); it != m_hooks.end() && !it->isEmpty()) {
        hook = it->takeFirst();
        if (it->isEmpty())
            m_hooks.erase(it);
    }

    DevReply reply =
        DevReply::json({{QStringLiteral("code"), 404}, {QStringLiteral("message"), QStringLiteral("no route")}}, 404);
    DevHandler held;
    for (const auto &r : m_routes) {
        if (r->method != request.method)
            continue;
        const auto m = r->regex.match(request.path);
        if (!m.hasMatch())
            continue;
        for (qsizetype i = 0; i < r->names.size(); ++i)
            request.args.insert(r->names.at(i), m.captured(int(i) + 1));
        const auto check = m_checks.constFind(r->method + QLatin1Char(' ') + r->pattern);
        if (const QString why = check != m_checks.cend() ? (*check)(request) : QString(); !why.isEmpty()) {
            reply = fail(400, QStringLiteral("参数错误: %1").arg(why));
            break;
        }
        if (!hook || hook->kind == Hook::Delay)
            reply = r->handler(request);
        else if (hook->kind == Hook::Hold)
            held = r->handler;
        break;
    }
    m_requests.append(request);
    m_wireLog << request.method + QLatin1Char(' ') + request.path;
    Q_EMIT requestReceived(request.method, request.path);

    if (!hook) {
        respond(reply);
        return;
    }
    switch (hook->kind) {
    case Hook::Fail:
        respond(hook->reply);
        return;
    case Hook::Drop:
        drop();
        return;
    case Hook::Delay:
        if (hook->ms >= 0)
            KVTimer::singleShot(this, std::chrono::milliseconds(hook->ms), [respond, reply] { respond(reply); });
        return;
    case Hook::Hold:
        KVTimer::singleShot(this, std::chrono::milliseconds(hook->ms),
                            [respond, reply, held, request] { respond(held ? held(request) : reply); });
        return;
    }
}

// ---------------------------------------------------------------- channel

QJsonObject DevService::channelCredentials(const QString &roomId, const QString &userId)
{
    const DevUser *user = m_state.user(userId);
    if (!user)
        user = m_state.userByPhone(userId);
    const QString token = user ? user->token : QString();
    const qint64 ctime = QDateTime::currentSecsSinceEpoch();
    const QString exp = QString::number(ctime + WireProtocol::ChannelValiditySeconds);
    const QString ctimeText = QString::number(ctime);
    return {{QStringLiteral("imUrl"), wsUrl().toString()},
            {QStringLiteral("exp"), exp},
            {QStringLiteral("ctime"), ctimeText},
            {QStringLiteral("signature"), WireProtocol::channelSignature(roomId, userId, exp, ctimeText, token)}};
}

void DevService::onChannelConnection()
{
    while (m_ws && m_ws->hasPendingConnections()) {
        QWebSocket *socket = m_ws->nextPendingConnection();
        const QUrl url = socket->requestUrl();
        const QUrlQuery query(url);
        const QString roomId = query.queryItemValue(QStringLiteral("roomId"), QUrl::FullyDecoded);
        const QString userId = query.queryItemValue(QStringLiteral("userId"), QUrl::FullyDecoded);
        DevUser *user = m_state.user(userId);
        if (!user)
            user = m_state.userByPhone(userId);
        // What the client offered: the server side names "protoo" as agreed even when it was not.
        const QList<QByteArray> offered = socket->request().rawHeader("Sec-WebSocket-Protocol").split(',');
        const bool protoo = std::any_of(offered.cbegin(), offered.cend(),
                                        [](const QByteArray &p) { return p.trimmed() == WireProtocol::Subprotocol; });
        if (!protoo || !user ||
            !WireProtocol::verifyChannelQuery(url, user->token, QDateTime::currentSecsSinceEpoch())) {
            ++m_channelRefused;
            qCInfo(korviDevService) << "channel refused" << roomId << userId << "sub-protocol" << socket->subprotocol();
            connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
            socket->close(QWebSocketProtocol::CloseCode(4001), QStringLiteral("签名无效"));
            continue;
        }
        if (channelRefusal) {
            if (const auto refusal = channelRefusal(roomId, user->userId)) {
                ++m_channelRefused;
                qCInfo(korviDevService) << "channel closed at once" << roomId << userId << refusal->second;
                connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
                socket->close(QWebSocketProtocol::CloseCode(refusal->first), refusal->second);
                continue;
            }
        }
        ++m_channelAccepted;
        auto peer = std::make_unique<ChannelPeer>();
        peer->socket = socket;
        peer->roomId = roomId;
        peer->userId = userId;
        peer->key = WireProtocol::channelKey(user->token);
        ChannelPeer *raw = peer.get();
        m_peers.push_back(std::move(peer));
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, raw](const QString &text) { onChannelText(raw, text); });
        const auto logClose = [this, raw] {
            if (!std::exchange(raw->closeLogged, true))
                m_wireLog << QStringLiteral("close %1 %2").arg(raw->roomId, raw->userId);
        };
        connect(socket, &QWebSocket::aboutToClose, this, logClose);
        connect(socket, &QWebSocket::disconnected, this, [this, raw, logClose] {
            logClose();
            removePeer(raw);
        });
    }
}

void DevService::removePeer(ChannelPeer *peer)
{
    for (auto it = m_peers.begin(); it != m_peers.end(); ++it) {
        if (it->get() != peer)
            continue;
        if (peer->socket) {
            peer->socket->disconnect(this);
            peer->socket->deleteLater();
        }
        m_peers.erase(it);
        return;
    }
}

void DevService::sendEncrypted(ChannelPeer *peer, const QJsonObject &frame)
{
    if (peer->socket)
        peer->socket->sendTextMessage(WireProtocol::encodeFrame(frame, peer->key));
}

void DevService::onChannelText(ChannelPeer *peer, const QString &text)
{
    if (text == QLatin1String(WireProtocol::HeartbeatText)) {
        ++m_heartbeats;
        QJsonObject data = m_heartbeatData.value(peer->roomId);
        if (data.isEmpty()) {
            const DevRoom *room = m_state.room(peer->roomId);
            DevRoom *mutableRoom = m_state.room(peer->roomId);
            const DevMember *me = mutableRoom ? mutableRoom->member(peer->userId) : nullptr;
            data.insert(QStringLiteral("micStatus"), me && me->audio ? 1 : 0);
            if (room) {
                data.insert(QStringLiteral("roomInfo"),
                            QJsonObject{{QStringLiteral("imAllowStatus"),
                                         room->flags.value(QStringLiteral("imAllowStatus")).toInt()},
                                        {QStringLiteral("micAllowStatus"),
                                         room->flags.value(QStringLiteral("micAllowStatus")).toInt()}});
                data.insert(QStringLiteral("imForbid"), room->flags.value(QStringLiteral("imForbid")).toBool());
                data.insert(QStringLiteral("micForbid"), room->flags.value(QStringLiteral("micForbid")).toBool());
            }
        }
        const QJsonObject msg{{QStringLiteral("type"), 0},
                              {QStringLiteral("msgId"), 0},
                              {QStringLiteral("sid"), QStringLiteral("service")},
                              {QStringLiteral("sender"), QStringLiteral("service")},
                              {QStringLiteral("senderName"), QString()},
                              {QStringLiteral("data"),
                               QJsonArray{QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Compact))}}};
        sendEncrypted(peer, {{QStringLiteral("cmd"), QLatin1String(WireProtocol::CmdHeartbeatAck)},
                             {QStringLiteral("msg"), msg}});
        return;
    }
    const std::optional<QJsonObject> frame = WireProtocol::decodeFrame(text, peer->key);
    if (!frame) {
        qCInfo(korviDevService) << "channel frame does not decode; ignored";
        return;
    }
    const QString cmd = frame->value(QStringLiteral("cmd")).toString();
    if (cmd == QLatin1String(WireProtocol::CmdAck)) {
        m_channelAcks.append(frame->value(QStringLiteral("msgId")).toInteger());
        return;
    }
    if (cmd != QLatin1String(WireProtocol::CmdMessage))
        return;
    ++m_channelFrames;
    const QJsonObject msg = frame->value(QStringLiteral("msg")).toObject();
    const qint64 msgId = msg.value(QStringLiteral("msgId")).toInteger();
    const QString sid = msg.value(QStringLiteral("sid")).toString();
    if (m_withholdAcks > 0)
        --m_withholdAcks;
    else
        sendEncrypted(peer, {{QStringLiteral("cmd"), QLatin1String(WireProtocol::CmdAck)},
                             {QStringLiteral("msgId"), msgId},
                             {QStringLiteral("sid"), sid}});
    const QString key = peer->userId + QLatin1Char('/') + sid + QLatin1Char('/') + QString::number(msgId);
    if (m_seenMessages.contains(key))
        return;
    m_seenMessages.insert(key);
    const DevChannelMessage delivered{peer->roomId, peer->userId, msg};
    m_channelMessages.append(delivered);
    Q_EMIT channelMessageReceived(peer->roomId, peer->userId);
    if (onChannelMessage)
        onChannelMessage(delivered);
    const qint64 type = msg.value(QStringLiteral("type")).toInteger();
    if (m_relay && (type == 0 || type == 1)) {
        const QString roomId = peer->roomId;
        const QString from = peer->userId;
        // As the service does: the sender is the channel's own sign-in, whatever the client wrote,
        // and only the host and assistant hosts give host commands.
        QJsonObject relayed = msg;
        const DevUser *user = m_state.user(from);
        relayed.insert(QStringLiteral("sender"), from);
        relayed.insert(QStringLiteral("senderName"), user ? user->userName : QString());
        if (type == 1 && isHostCommand(relayed) && !mayCommand(roomId, from)) {
            qCInfo(korviDevService) << "host command from a member refused" << from;
            return;
        }
        if (DevRoom *room = m_state.room(roomId);
            type == 1 && room && mayRelayCommand && !mayRelayCommand(*room, from, commandOf(relayed))) {
            qCInfo(korviDevService) << "command from one who may not give it refused" << from;
            return;
        }
        for (ChannelPeer *other : peers(roomId, {})) {
            if (other->userId != from)
                sendEncrypted(other, {{QStringLiteral("cmd"), QLatin1String(WireProtocol::CmdMessage)},
                                      {QStringLiteral("msg"), relayed}});
        }
    }
}

QJsonObject DevService::commandOf(const QJsonObject &message)
{
    const QJsonValue first = message.value(QStringLiteral("data")).toArray().at(0);
    return QJsonDocument::fromJson(first.toString().toUtf8()).object();
}

bool DevService::isHostCommand(const QJsonObject &message)
{
    static const QSet<qint64> hostEvents{1, 4, 5, 9, 10, 13, 14, 801, 802, 803, 804, 911, 912, 913};
    return hostEvents.contains(commandOf(message).value(QStringLiteral("event")).toInteger(-1));
}

bool DevService::mayCommand(const QString &roomId, const QString &userId)
{
    DevRoom *room = m_state.room(roomId);
    if (!room)
        return false;
    if (room->hostUserId == userId)
        return true;
    const DevMember *member = room->member(userId);
    return member && member->assistant;
}

QList<DevService::ChannelPeer *> DevService::peers(const QString &roomId, const QString &userId) const
{
    QList<ChannelPeer *> out;
    for (const auto &p : m_peers) {
        if (!p->socket)
            continue;
        if (!roomId.isEmpty() && p->roomId != roomId)
            continue;
        if (!userId.isEmpty() && p->userId != userId)
            continue;
        out.append(p.get());
    }
    return out;
}

int DevService::sendChannelMessage(const QString &roomId, const QString &userId, const QJsonObject &message)
{
    QJsonObject msg = message;
    if (!msg.contains(QStringLiteral("msgId")))
        msg.insert(QStringLiteral("msgId"), m_nextServerMsgId++);
    if (!msg.contains(QStringLiteral("sid")))
        msg.insert(QStringLiteral("sid"), QStringLiteral("service"));
    m_sentMessages.append({roomId, userId, msg});
    const auto targets = peers(roomId, userId);
    for (ChannelPeer *peer : targets)
        sendEncrypted(peer,
                      {{QStringLiteral("cmd"), QLatin1String(WireProtocol::CmdMessage)}, {QStringLiteral("msg"), msg}});
    return int(targets.size());
}

int DevService::sendChannelRawText(const QString &roomId, const QString &userId, const QString &text)
{
    const auto targets = peers(roomId, userId);
    for (ChannelPeer *peer : targets)
        peer->socket->sendTextMessage(text);
    return int(targets.size());
}

int DevService::closeChannel(const QString &roomId, const QString &userId, int code, const QString &reason)
{
    const auto targets = peers(roomId, userId);
    for (ChannelPeer *peer : targets)
        peer->socket->close(QWebSocketProtocol::CloseCode(code), reason);
    return int(targets.size());
}

int DevService::dropChannel(const QString &roomId, const QString &userId)
{
    const auto targets = peers(roomId, userId);
    for (ChannelPeer *peer : targets)
        peer->socket->abort();
    return int(targets.size());
}

int DevService::channelConnectionCount(const QString &roomId, const QString &userId) const
{
    int n = 0;
    for (ChannelPeer *p : peers(roomId, userId))
        n += p->socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    return n;
}

void DevService::setHeartbeatAckData(const QString &roomId, const QJsonObject &data)
{
    m_heartbeatData[roomId] = data;
}
