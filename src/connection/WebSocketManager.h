#pragma once

#include "connection/KVChannelParams.h"
#include "connection/WebSocketManagerDelegate.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

class QWebSocket;
class KVTimer;

// The message channel's connection: a QWebSocket with the sub-protocol "protoo" to the room's
// channel address. Close codes steer the meeting:
//   4003 -> otherDeviceLogin; 4007 -> hostMoveConsumerToWaitRoom;
//   4000, 4001, 4002, 4004, 4008, 1011 -> onRoomClosed(reason);
//   1000 -> disconnected for good; 4005, 4006 and anything else (a dropped connection included)
//   -> reconnect 3.0 s later, without limit, until close() is called.
// Main thread only; delegate calls come on the main thread.
class WebSocketManager final : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Connecting, Open, WaitingToReconnect, Closed };
    // What a close code asks for.
    enum class CloseRoute { OtherDeviceLogin, MoveToWaitRoom, RoomClosed, Reconnect, Disconnect };

    static constexpr int ReconnectDelayMs = 3000;
    // An opening handshake that gets no answer within this is given up and retried.
    static constexpr int ConnectTimeoutMs = 15000;
    // A frame or message larger than any the service sends closes the connection (close code
    // 1009, so it reconnects) before it is held in memory.
    static constexpr qint64 MaxMessageBytes = 8LL * 1024 * 1024;

    explicit WebSocketManager(QObject *parent = nullptr);
    ~WebSocketManager() override;

    // The delegate is not owned. A delegate that is a QObject is dropped automatically when it is
    // destroyed; any other delegate must clear itself (setDelegate(nullptr)) before it goes.
    void setDelegate(WebSocketManagerDelegate *delegate);

    void connectToRoom(const KVChannelParams &params);
    // Closes on purpose (1000): no reconnect follows, no close event is reported.
    void close();
    // False when not open.
    bool sendText(const QString &text);

    [[nodiscard]] State state() const { return m_state; }
    [[nodiscard]] bool isOpen() const { return m_state == State::Open; }
    [[nodiscard]] QUrl url() const { return m_url; }
    [[nodiscard]] int connectAttempts() const { return m_attempts; }

    [[nodiscard]] static CloseRoute routeForCloseCode(int code);

    // The socket closed with a code (1006 when it just dropped): routes it as above.
    void webSocket(QWebSocket *webSocket, int code, const QString &reason, bool wasClean);

private:
    void open();
    void onConnected();
    void onDisconnected();
    void onSocketError();
    void scheduleReconnect(int closeCode);
    void cancelReconnect();
    void discardSocket();
    [[nodiscard]] WebSocketManagerDelegate *delegate() const;

    QPointer<QWebSocket> m_socket; // child of this manager
    QUrl m_url;
    State m_state = State::Idle;
    QPointer<KVTimer> m_reconnectTimer;
    QPointer<KVTimer> m_connectTimer; // child of the socket being opened
    WebSocketManagerDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
    int m_attempts = 0;
    bool m_closeHandshake = false;
};
