#include "connection/WebSocketManager.h"

#include "connection/ConnectionLog.h"
#include "connection/KVTls.h"
#include "connection/WireProtocol.h"
#include "foundation/KVClock.h"

#include <QNetworkRequest>
#include <QWebSocket>
#include <QWebSocketHandshakeOptions>

WebSocketManager::WebSocketManager(QObject *parent) : QObject(parent) {}

WebSocketManager::~WebSocketManager()
{
    m_delegate = nullptr;
    discardSocket();
}

void WebSocketManager::setDelegate(WebSocketManagerDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = !m_delegateObject.isNull();
}

WebSocketManagerDelegate *WebSocketManager::delegate() const
{
    if (m_delegateIsObject && !m_delegateObject)
        return nullptr;
    return m_delegate;
}

WebSocketManager::CloseRoute WebSocketManager::routeForCloseCode(int code)
{
    switch (code) {
    case 4003:
        return CloseRoute::OtherDeviceLogin;
    case 4007:
        return CloseRoute::MoveToWaitRoom;
    case 4000:
    case 4001:
    case 4002:
    case 4004:
    case 4008:
    case 1011:
        return CloseRoute::RoomClosed;
    case 1000:
        return CloseRoute::Disconnect;
    default:
        return CloseRoute::Reconnect;
    }
}

void WebSocketManager::connectToRoom(const KVChannelParams &params)
{
    m_url = WireProtocol::channelUrl(params.address, params.roomId, params.userId, params.exp, params.ctime,
                                     params.signature);
    cancelReconnect();
    discardSocket();
    open();
}

void WebSocketManager::open()
{
    discardSocket();
    m_state = State::Connecting;
    ++m_attempts;
    m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    QWebSocket *socket = m_socket;
    socket->setSslConfiguration(KVTls::configuration());
    socket->setMaxAllowedIncomingFrameSize(MaxMessageBytes);
    socket->setMaxAllowedIncomingMessageSize(MaxMessageBytes);
    connect(socket, &QWebSocket::connected, this, &WebSocketManager::onConnected);
    connect(socket, &QWebSocket::disconnected, this, &WebSocketManager::onDisconnected);
    // Emitted when a close frame goes out, which QWebSocket does in answer to the service's close
    // frame; a connection that just drops never emits it and keeps a meaningless close code.
    m_closeHandshake = false;
    connect(socket, &QWebSocket::aboutToClose, this, [this] { m_closeHandshake = true; });
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            &WebSocketManager::onSocketError);
    connect(socket, &QWebSocket::sslErrors, this, [](const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            qCWarning(korviNet) << "channel TLS error" << e.errorString();
    });
    connect(socket, &QWebSocket::textMessageReceived, this, [this](const QString &text) {
        if (auto *d = delegate())
            d->webSocketDidReceiveMessage(text);
    });
    // A handshake that never gets an answer raises no error of its own: give it up in time.
    // The timer belongs to the socket, so it goes when the socket is discarded.
    m_connectTimer = KVTimer::singleShot(socket, std::chrono::milliseconds(ConnectTimeoutMs), [this, socket] {
        if (m_socket != socket || m_state != State::Connecting)
            return;
        qCInfo(korviNet) << "channel handshake timed out";
        discardSocket();
        scheduleReconnect(static_cast<int>(QWebSocketProtocol::CloseCodeAbnormalDisconnection));
    });
    QWebSocketHandshakeOptions options;
    options.setSubprotocols({QString::fromLatin1(WireProtocol::Subprotocol)});
    qCInfo(korviNet) << "channel connecting" << m_url.toString(QUrl::RemoveQuery);
    socket->open(QNetworkRequest(m_url), options);
}

void WebSocketManager::onConnected()
{
    if (m_connectTimer)
        m_connectTimer->invalidate();
    m_state = State::Open;
    if (m_socket && m_socket->subprotocol() != QLatin1String(WireProtocol::Subprotocol))
        qCWarning(korviNet) << "channel sub-protocol not agreed:" << m_socket->subprotocol();
    qCInfo(korviNet) << "channel open";
    if (auto *d = delegate())
        d->webSocketDidOpen();
}

void WebSocketManager::onSocketError()
{
    if (!m_socket)
        return;
    qCInfo(korviNet) << "channel error" << m_socket->errorString();
    // A failed connect may not be followed by disconnected(); make sure a reconnect is queued.
    if (m_state == State::Connecting)
        scheduleReconnect(static_cast<int>(QWebSocketProtocol::CloseCodeAbnormalDisconnection));
}

void WebSocketManager::onDisconnected()
{
    if (!m_socket || m_state == State::Closed || m_state == State::WaitingToReconnect)
        return;
    const bool wasOpen = m_state == State::Open;
    int code = static_cast<int>(m_socket->closeCode());
    // Without a close handshake the connection was lost, whatever the code reads.
    if (!wasOpen || !m_closeHandshake)
        code = static_cast<int>(QWebSocketProtocol::CloseCodeAbnormalDisconnection);
    webSocket(m_socket, code, m_socket->closeReason(), m_closeHandshake);
}

void WebSocketManager::webSocket(QWebSocket *webSocket, int code, const QString &reason, bool wasClean)
{
    Q_UNUSED(webSocket);
    qCInfo(korviNet) << "channel closed" << code << reason << (wasClean ? "clean" : "dropped");
    if (m_state == State::Closed)
        return;
    const CloseRoute route = routeForCloseCode(code);
    if (route == CloseRoute::Reconnect) {
        scheduleReconnect(code);
        return;
    }
    m_state = State::Closed;
    WebSocketManagerDelegate *d = delegate();
    if (!d)
        return;
    switch (route) {
    case CloseRoute::OtherDeviceLogin:
        d->otherDeviceLogin();
        break;
    case CloseRoute::MoveToWaitRoom:
        d->hostMoveConsumerToWaitRoom();
        break;
    case CloseRoute::RoomClosed:
        d->onRoomClosed(reason);
        break;
    case CloseRoute::Disconnect:
        d->webSocketDidDisconnect();
        break;
    case CloseRoute::Reconnect:
        break;
    }
}

void WebSocketManager::scheduleReconnect(int closeCode)
{
    if (m_state == State::Closed || m_state == State::WaitingToReconnect)
        return;
    m_state = State::WaitingToReconnect;
    cancelReconnect();
    m_reconnectTimer = KVTimer::singleShot(this, std::chrono::milliseconds(ReconnectDelayMs), [this] {
        if (m_state == State::WaitingToReconnect)
            open();
    });
    if (auto *d = delegate())
        d->webSocketWillReconnect(closeCode);
}

void WebSocketManager::cancelReconnect()
{
    if (m_reconnectTimer)
        m_reconnectTimer->invalidate();
    m_reconnectTimer = nullptr;
}

void WebSocketManager::close()
{
    cancelReconnect();
    m_state = State::Closed;
    if (!m_socket)
        return;
    // Let the close handshake finish; the socket deletes itself once it is down.
    QWebSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
    socket->close(QWebSocketProtocol::CloseCodeNormal);
}

bool WebSocketManager::sendText(const QString &text)
{
    if (m_state != State::Open || !m_socket)
        return false;
    return m_socket->sendTextMessage(text) > 0 || text.isEmpty();
}

void WebSocketManager::discardSocket()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    // The socket may be inside one of its own signals: delete it later.
    QWebSocket *socket = m_socket;
    m_socket = nullptr;
    socket->deleteLater();
}
