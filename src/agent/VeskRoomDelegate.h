#pragma once

#include "agent/engine/KRTCTypes.h"

#include <QList>
#include <QString>

#include <memory>

class MeetingMemberModel;
struct IMMessage;

// Room-level events of the meeting manager. Every method is optional but the end of the own
// share, which leaves the user stuck in sharing when nobody handles it.
//
// Every call arrives on the main thread, in the order the events happened, except onRender(),
// which runs on the engine's render thread once per frame (match and draw only). A delegate
// that is a QObject is held weakly: once destroyed it is never called. Clear the delegate
// before destroying it so no frame is drawn into a dying window.
class VeskRoomDelegate {
public:
    virtual ~VeskRoomDelegate() = default;

    // The engine confirmed the own peer in the room (state 2).
    virtual void selfJoinRoomSuccess() {}
    // The engine accepted the join; the message channel is connecting.
    virtual void onJoinRoomSuccess(bool success) { (void)success; }
    // 0 idle, 1 joining, 2 in the room, 3 reconnecting, 4 reconnect failed.
    virtual void onRoomStateChanged(qint64 state) { (void)state; }
    // RENDER THREAD.
    virtual void onRender(const QString &peerId, const KRTCVideoFrame &frame, qint64 videoSourceType)
    {
        (void)peerId, (void)frame, (void)videoSourceType;
    }
    // The whole new member list.
    virtual void onMemberChange(const QList<std::shared_ptr<MeetingMemberModel>> &members) { (void)members; }
    // The service closed the meeting for this user; reason is the service's text.
    virtual void onRoomClosed(const QString &reason) { (void)reason; }
    virtual void onRoomClosed() {}
    virtual void otherDeviceLogin() {}
    virtual void hostMoveConsumerToWaitRoom() {}
    virtual void receiveMessage(const IMMessage &message) { (void)message; }
    virtual void receiveHeartbeatAck(const IMMessage &message) { (void)message; }
    // The ring record list changed.
    virtual void ringringDisplay() {}

    virtual void onLocalAudioStats(const KRTCStatistics &stats) { (void)stats; }
    virtual void onLocalVideoStats(const KRTCStatistics &stats) { (void)stats; }
    virtual void onRemoteAudioStats(const KRTCStatistics &stats) { (void)stats; }
    virtual void onRemoteVideoStats(const KRTCStatistics &stats) { (void)stats; }

    // The own screen share ended by itself; peerId is the own peer, reason a KRTCShareEnd (the
    // source went, or it never started). The manager has already taken the share back.
    virtual void consumerShareFinsh(const QString &peerId, int reason) = 0;
    // A share the desktop asked the user for first (startDesktopShare answered Pending) runs now.
    virtual void consumerShareStarted(const QString &peerId) { (void)peerId; }
    // The engine gave up reconnecting (state 4).
    virtual void reconnectOutTimes() {}
    virtual void videoOverLimit() {}
    virtual void audioOverLimit() {}
    virtual void memberOverLimit() {}
};
