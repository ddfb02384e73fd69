#pragma once

// The local stand-in of the meeting service: REST on QHttpServer's core, the message channel on a
// QWebSocketServer (second port, sub-protocol "protoo"), both on 127.0.0.1.
//
// Routes. Route files live in tests/support/routes/*.cpp and register themselves at static-init
// time:
//
//     #include "devservice/DevService.h"
//     namespace {
//     const bool registered = DevServiceRoutes::add("meeting-room", [](DevService &svc) {
//         svc.route("POST", "/qf/meeting/room/leave", [&svc](const DevRequest &req) {
//             if (!svc.userFor(req)) return DevService::unauthorized();
//             return DevService::ok();
//         });
//         svc.route("POST", "/qf/meeting/control/<roomId>/close", [&svc](const DevRequest &req) {
//             DevRoom *room = svc.state().room(req.arg("roomId"));
//             ...
//         });
//     });
//     } // namespace
//
// The library is linked whole-archive (see tests/support/CMakeLists.txt), so these registrations
// are never dropped by the linker. Every DevService instance installs every registered route set
// in its constructor, in name order.
//
// Paths may hold placeholders "<name>" that match one path segment; the handler reads them with
// DevRequest::arg("name"). A route registered later for the same method and pattern replaces the
// earlier one (tests may override a route).
//
// Everything runs on the main thread of the test process; the client under test shares it, so
// tests drive both with QCoreApplication::processEvents (see DevServiceTestUtil.h).

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QWebSocket;
class QWebSocketServer;
class DevHttpServer;
class DevService;

// One file part of a multipart request.
struct DevUploadedFile {
    QString fieldName{}; // the part's name ("files")
    QString fileName{};  // the part's filename
    QString contentType{};
    QByteArray content{};
};

struct DevRequest {
    QString method{}; // "GET", "POST", ...
    QString path{};   // without the query
    QVariantMap query{};
    QMap<QByteArray, QByteArray> headers{}; // names lower-cased
    QByteArray body{};
    QJsonObject json{}; // the body parsed as a JSON object (empty when it is not one)
    QVariantMap form{}; // urlencoded fields, or the text parts of a multipart body
    QList<DevUploadedFile> files{};
    QMap<QString, QString> args{}; // path placeholders

    [[nodiscard]] QString header(const QByteArray &name) const;
    [[nodiscard]] QString arg(const QString &name) const { return args.value(name); }
    // A field from the JSON body, else the form, else the query.
    [[nodiscard]] QVariant param(const QString &name) const;
};

struct DevReply {
    // A body sent in pieces, as a host that streams, trickles or misstates its length does.
    struct Stream {
        QByteArray piece{};
        // Between pieces, in project time (KVTimer); 0 sends as fast as the connection takes them.
        int intervalMs = 0;
        // Bytes in all; -1 never ends.
        qint64 total = -1;
        // The Content-Length sent; -1 sends none and ends the body by closing the connection.
        qint64 announced = -1;
    };

    int status = 200;
    QByteArray body{};
    QByteArray contentType = "application/json";
    QList<QPair<QByteArray, QByteArray>> headers{};
    std::optional<Stream> stream{}; // when set, sent instead of body

    [[nodiscard]] static DevReply json(const QJsonObject &object, int status = 200);
    [[nodiscard]] static DevReply raw(const QByteArray &body, const QByteArray &contentType, int status = 200);
    // A file body with Content-Disposition: attachment; filename="<suggestedName>".
    [[nodiscard]] static DevReply file(const QByteArray &content, const QString &suggestedName);
    // A streamed body (see Stream).
    [[nodiscard]] static DevReply streamed(const QByteArray &contentType, const Stream &stream);
};

using DevHandler = std::function<DevReply(const DevRequest &request)>;

// ---- In-memory state. Fields the core does not know live in the `extra` maps; route files add
// their own keys there rather than changing these structs.

struct DevUser {
    QString userId{};
    QString phoneNumber{}; // plain
    QString userName{};
    QString token{}; // the "Authorization" value while signed in
    bool isHost = true;
    QVariantMap extra{};
};

struct DevMember {
    QString userId{};
    QString userName{};
    QString phoneNumber{};
    bool audio = false;
    bool video = false;
    bool share = false;
    bool assistant = false;
    QVariantMap extra{};
};

struct DevRoom {
    QString roomId{};
    QString roomName{};
    QString hostUserId{};
    QString password{};
    QString sequenceId{};
    bool closed = false;
    // "imAllowStatus", "micAllowStatus", "cameraAllowStatus", "roomWaitStatus", "roomLockStatus",
    // "roomTranscribeStatus", ... as the routes keep them.
    QVariantMap flags{};
    QList<DevMember> members{};
    QList<DevMember> waiting{};
    QVariantMap extra{};

    // The member with that user id or phone number (hosts address members by phone number).
    [[nodiscard]] DevMember *member(const QString &id);
};

struct DevScheduledMeeting {
    QString roomId{};
    QString ownerUserId{};
    QVariantMap fields{}; // as the create/update call sent them, plus what the service adds
};

struct DevFile {
    QString fileId{};
    QString fileName{};
    QString roomId{};
    QByteArray content{};
    QVariantMap extra{};
};

struct DevState {
    QMap<QString, DevUser> users{};                 // by userId
    QMap<QString, QString> tokens{};                // token -> userId
    QMap<QString, DevRoom> rooms{};                 // by roomId
    QMap<QString, DevScheduledMeeting> scheduled{}; // by roomId
    QMap<QString, DevFile> files{};                 // by fileId
    QVariantMap extra{};

    [[nodiscard]] DevRoom *room(const QString &roomId);
    [[nodiscard]] DevUser *user(const QString &userId);
    [[nodiscard]] DevUser *userByPhone(const QString &phoneNumber);
    // Creates (or replaces) a signed-in user with the given token.
    DevUser &addUser(const QString &userId, const QString &phoneNumber, const QString &userName, const QString &token);
    DevRoom &addRoom(const QString &roomId, const QString &hostUserId, const QString &roomName = {});
    // A fresh unique id with a prefix ("file-1", ...).
    QString nextId(const QString &prefix);

private:
    qint64 m_nextId = 1;
};

// One message received from a client on the channel (decrypted).
struct DevChannelMessage {
    QString roomId{};
    QString userId{};
    QJsonObject message{}; // the message object (type, msgId, sid, sender, senderName, data)
};

// Static registry of route sets (see the top of this file).
namespace DevServiceRoutes {
using Installer = std::function<void(DevService &service)>;
// Returns true so it can initialise a namespace-scope constant.
bool add(const QString &name, Installer installer);
[[nodiscard]] QStringList names();
} // namespace DevServiceRoutes

class QTcpServer;

class DevService final : public QObject {
    Q_OBJECT
public:
    explicit DevService(QObject *parent = nullptr);
    ~DevService() override;

    // Serves REST over TLS with this certificate and key (PEM; see DevTlsCertificate). Call before
    // start(); baseUrl() then reads "https://".
    bool useTls(const QByteArray &certificatePem, const QByteArray &privateKeyPem);

    // Listens on 127.0.0.1: REST on port (0 = any free port), the channel on a free port (or on
    // channelPort when given). False when either cannot listen.
    bool start(quint16 port = 0, quint16 channelPort = 0);
    // Stops serving and drops every connection, as a stopped service does; start() with the
    // same ports brings it back with its state (restart tests). Until then the ports stay taken:
    // connections to them fail and no other program can have them.
    void stop();
    [[nodiscard]] quint16 port() const;
    [[nodiscard]] quint16 channelPort() const;
    [[nodiscard]] QUrl baseUrl() const; // "http://127.0.0.1:<port>"
    [[nodiscard]] QUrl wsUrl() const;   // "ws://127.0.0.1:<channelPort>/" (the room's channel address)

    // ---- Routes
    void route(const QString &method, const QString &pathPattern, DevHandler handler);
    [[nodiscard]] bool hasRoute(const QString &method, const QString &pathPattern) const;
    // What the route (by its pattern, registered before or after) takes: check returns why a
    // request does not fit, and such a request gets the parameter error without reaching the
    // route's handler (see DevShape).
    void checkParams(const QString &method, const QString &pathPattern,
                     std::function<QString(const DevRequest &request)> check);

    // Envelope helpers.
    [[nodiscard]] static DevReply ok(const QJsonValue &data = QJsonValue());
    [[nodiscard]] static DevReply fail(qint64 code, const QString &message);
    // The service's answer to a missing or unknown "Authorization".
    [[nodiscard]] static DevReply unauthorized();

    // The signed-in user whose token is the request's "Authorization", if any.
    [[nodiscard]] DevUser *userFor(const DevRequest &request);

    // ---- State and request log
    [[nodiscard]] DevState &state() { return m_state; }
    [[nodiscard]] const QList<DevRequest> &requests() const { return m_requests; }
    // The logged requests for one path (exact, without query).
    [[nodiscard]] QList<DevRequest> requestsFor(const QString &path) const;
    void clearRequests() { m_requests.clear(); }
    // What reached the service, in the order it came: "POST /path" for a request, "close
    // <roomId> <userId>" when a channel connection starts to close (either side).
    [[nodiscard]] const QStringList &wireLog() const { return m_wireLog; }

    // ---- Control hooks (each applies to the next request of that path, then is spent)
    // Holds the reply for ms of project time (KVTimer, so tests advance a VirtualClock); a
    // negative ms holds it until the client gives up.
    void delayNextReply(const QString &path, int ms);
    // Handles the next request only after ms of project time, as if it were overtaken on its way.
    void holdNextRequest(const QString &path, int ms);
    // Answers the next request with this reply instead of the route's.
    void failNextReply(const QString &path, const DevReply &reply);
    // Closes the connection without any reply. QNetworkAccessManager retries a GET whose pooled
    // connection dropped, so call it more than once to make a client see the failure.
    void dropNextReply(const QString &path);

    // ---- Message channel
    // The channel credentials the service issues with a room for a user (what the room-enter
    // reply carries): {"imUrl", "exp", "ctime", "signature"}, signed with the user's token as
    // connection/WireProtocol.h states. The user must exist in state().
    [[nodiscard]] QJsonObject channelCredentials(const QString &roomId, const QString &userId);
    // Sends an encrypted message {cmd: "message", msg: message} to a room's connections (userId
    // empty = everybody in the room). A missing msgId is numbered by the service. Returns the
    // number of connections reached.
    int sendChannelMessage(const QString &roomId, const QString &userId, const QJsonObject &message);
    // Every message the service sent that way, in order, whether or not anyone was connected.
    [[nodiscard]] const QList<DevChannelMessage> &sentChannelMessages() const { return m_sentMessages; }
    // Sends a text frame exactly as given (garbage tests).
    int sendChannelRawText(const QString &roomId, const QString &userId, const QString &text);
    // Closes with a close code and reason.
    int closeChannel(const QString &roomId, const QString &userId, int code, const QString &reason = {});
    // Drops the TCP connection without a close handshake.
    int dropChannel(const QString &roomId, const QString &userId);
    // Number of open channel connections (optionally of one room / user).
    [[nodiscard]] int channelConnectionCount(const QString &roomId = {}, const QString &userId = {}) const;
    // Total accepted channel connections since start (reconnect tests).
    [[nodiscard]] int channelConnectionsAccepted() const { return m_channelAccepted; }
    // Connections refused (no "protoo" sub-protocol, bad signature, unknown token).
    [[nodiscard]] int channelConnectionsRefused() const { return m_channelRefused; }
    // Client messages delivered, each once (duplicates by sid and msgId are acknowledged again
    // but not delivered twice).
    [[nodiscard]] const QList<DevChannelMessage> &channelMessages() const { return m_channelMessages; }
    // Every message frame received, duplicates included.
    [[nodiscard]] int channelFramesReceived() const { return m_channelFrames; }
    [[nodiscard]] int heartbeatsReceived() const { return m_heartbeats; }
    // Client acknowledgements received (msgIds of service messages).
    [[nodiscard]] const QList<qint64> &channelAcks() const { return m_channelAcks; }
    // The next n client messages are taken but not acknowledged (resend tests).
    void withholdAcks(int n) { m_withholdAcks = n; }
    // What the heartbeat acknowledgement carries as its data[0] object for a room (default built
    // from the room's flags).
    void setHeartbeatAckData(const QString &roomId, const QJsonObject &data);
    // Called for every delivered client message (after the log), e.g. to broadcast chat.
    std::function<void(const DevChannelMessage &message)> onChannelMessage;
    // Why a signed channel connection of a user to a room is closed at once (a close code and
    // reason), or nullopt to keep it; the room routes set it (an ended room takes nobody).
    std::function<std::optional<std::pair<int, QString>>(const QString &roomId, const QString &userId)> channelRefusal;
    // Relay delivered chat/control messages (types 0, 1) to the room's other members, stamped with
    // the channel's sender; host commands only from the room's host and assistant hosts.
    void setRelayMessages(bool relay) { m_relay = relay; }
    // Whether a member's control command (the decoded {event, data, ...}) may be relayed beyond the
    // host commands' rule; unset: it may. The shared-file routes set it.
    std::function<bool(DevRoom &room, const QString &userId, const QJsonObject &command)> mayRelayCommand;

Q_SIGNALS:
    void requestReceived(const QString &method, const QString &path);
    void channelMessageReceived(const QString &roomId, const QString &userId);

private:
    [[nodiscard]] static bool isHostCommand(const QJsonObject &message);
    [[nodiscard]] static QJsonObject commandOf(const QJsonObject &message);
    [[nodiscard]] bool mayCommand(const QString &roomId, const QString &userId);
    struct Route;
    struct ChannelPeer;
    struct Hook;

    friend class DevHttpServer;
    void handleHttp(DevRequest request, const std::function<void(const DevReply &)> &respond,
                    const std::function<void()> &drop);
    void onChannelConnection();
    void onChannelText(ChannelPeer *peer, const QString &text);
    void sendEncrypted(ChannelPeer *peer, const QJsonObject &frame);
    [[nodiscard]] QList<ChannelPeer *> peers(const QString &roomId, const QString &userId) const;
    void removePeer(ChannelPeer *peer);
    void dropPeers();

    std::unique_ptr<DevHttpServer> m_http;
    std::unique_ptr<QWebSocketServer> m_ws;
    quint16 m_port = 0;
    bool m_tls = false;
    QSslCertificate m_certificate;
    QSslKey m_key;
    quint16 m_channelPort = 0;
    std::vector<std::unique_ptr<QTcpServer>> m_portHolds; // the ports of a stopped service
    std::vector<std::unique_ptr<Route>> m_routes;
    QMap<QString, QList<Hook>> m_hooks;
    DevState m_state;
    QList<DevRequest> m_requests;
    std::vector<std::unique_ptr<ChannelPeer>> m_peers;
    QList<DevChannelMessage> m_channelMessages;
    QList<DevChannelMessage> m_sentMessages;
    QStringList m_wireLog;
    QHash<QString, std::function<QString(const DevRequest &)>> m_checks; // "METHOD pattern"
    QList<qint64> m_channelAcks;
    QMap<QString, QJsonObject> m_heartbeatData;
    QSet<QString> m_seenMessages;
    qint64 m_nextServerMsgId = 1;
    int m_channelAccepted = 0;
    int m_channelRefused = 0;
    int m_channelFrames = 0;
    int m_heartbeats = 0;
    int m_withholdAcks = 0;
    bool m_relay = false;
};
