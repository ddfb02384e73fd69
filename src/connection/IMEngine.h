#pragma once

#include "connection/IMEngineDelegate.h"
#include "connection/IMMessage.h"
#include "connection/KVChannelParams.h"
#include "connection/WebSocketManagerDelegate.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

class KVTimer;
class WebSocketManager;

// The encrypted, acknowledged message channel of a meeting (main thread only).
//
// Outgoing messages are numbered (msgId from 1, with this engine's session id as "sid") and kept
// until the service acknowledges them: they go out at once when the channel is open, are resent
// with every heartbeat (a text " " every 3 s) and, after a reconnect, in their original order.
// Incoming frames that do not decrypt, are not JSON or lack fields are logged and dropped.
// Frame format and keys: connection/WireProtocol.h.
class IMEngine final : public QObject, private WebSocketManagerDelegate {
    Q_OBJECT
public:
    static constexpr int HeartbeatIntervalMs = 3000;

    explicit IMEngine(QObject *parent = nullptr);
    ~IMEngine() override;

    // Not owned; a QObject delegate is dropped automatically when destroyed, any other must clear
    // itself before it goes.
    void setDelegate(IMEngineDelegate *delegate);

    void connectToRoom(const KVChannelParams &params);
    // Leaves the channel on purpose; unsent messages are dropped. Given a request still on its way
    // (holdUntilGone, destroyed when it is answered), an open connection goes silent at once and
    // sends its close frame only once that object is gone, at most HoldMs later, so the service
    // hears the request first; the engine is ready for the next room meanwhile.
    void close(QObject *holdUntilGone = nullptr);
    static constexpr int HoldMs = 2000;

    // Numbers the message, queues it and sends it when the channel is open. Returns its msgId.
    qint64 sendMessage(IMMessage message);
    // Acknowledges a received message to the service.
    void ackMessage(const IMMessage &message);

    [[nodiscard]] bool isConnected() const;
    [[nodiscard]] int unacknowledgedCount() const { return static_cast<int>(m_unacked.size()); }
    [[nodiscard]] QString sessionId() const { return m_sid; }
    [[nodiscard]] WebSocketManager *webSocketManager() const { return m_socket; }

private:
    // WebSocketManagerDelegate
    void webSocketDidOpen() override;
    void webSocketDidReceiveMessage(const QString &text) override;
    void otherDeviceLogin() override;
    void hostMoveConsumerToWaitRoom() override;
    void onRoomClosed(const QString &reason) override;
    void webSocketWillReconnect(int closeCode) override;
    void webSocketDidDisconnect() override;

    void heartbeat();
    void sendPending();
    void stopHeartbeat();
    bool sendFrame(const QJsonObject &frame);
    [[nodiscard]] IMEngineDelegate *delegate() const;

    WebSocketManager *m_socket = nullptr; // child
    QPointer<WebSocketManager> m_held;    // child: the connection left, until its close frame is sent
    QPointer<KVTimer> m_heartbeat;
    QByteArray m_key;
    QString m_sid;
    qint64 m_nextMsgId = 1;
    QList<IMMessage> m_unacked; // in send order
    IMEngineDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
};
