#pragma once

#include <QString>

// Receiver of the channel connection's events, on the main thread. Every method is optional.
class WebSocketManagerDelegate {
public:
    virtual ~WebSocketManagerDelegate() = default;

    virtual void webSocketDidOpen() {}
    virtual void webSocketDidReceiveMessage(const QString &text) { Q_UNUSED(text); }
    // Close code 4003: the account signed in on another device.
    virtual void otherDeviceLogin() {}
    // Close code 4007: the host moved this user to the waiting room.
    virtual void hostMoveConsumerToWaitRoom() {}
    // Close codes 4000, 4001, 4002, 4004, 4008, 1011: the room is over for this user.
    virtual void onRoomClosed(const QString &reason) { Q_UNUSED(reason); }
    // The connection broke (any other code, or a connection error); a reconnect follows.
    virtual void webSocketWillReconnect(int closeCode) { Q_UNUSED(closeCode); }
    // Close code 1000 from the service: disconnected for good.
    virtual void webSocketDidDisconnect() {}
};
