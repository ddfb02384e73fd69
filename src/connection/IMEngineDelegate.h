#pragma once

#include "connection/IMMessage.h"

#include <QString>

// Receiver of the message channel's events, on the main thread. Every method is optional.
class IMEngineDelegate {
public:
    virtual ~IMEngineDelegate() = default;

    // A message from the service or another member (not yet acknowledged: see IMEngine::ackMessage).
    virtual void receiveMessage(const IMMessage &message) { Q_UNUSED(message); }
    // The service's answer to a heartbeat; data[0] is a JSON object text.
    virtual void receiveHeartbeatAck(const IMMessage &message) { Q_UNUSED(message); }
    virtual void otherDeviceLogin() {}
    virtual void hostMoveConsumerToWaitRoom() {}
    virtual void onRoomClosed(const QString &reason) { Q_UNUSED(reason); }
    // The channel is open (first time and after every reconnect).
    virtual void imEngineDidConnect() {}
    // The channel broke and will reconnect by itself.
    virtual void imEngineWillReconnect() {}
    // The service closed the channel with 1000: no reconnect follows.
    virtual void imEngineDidDisconnect() {}
};
