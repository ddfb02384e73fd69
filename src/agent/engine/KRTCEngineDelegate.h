#pragma once

#include "KRTCTypes.h"

#include <QString>

// Room events of onRoomEvent().
namespace KRTCRoomEvent {
inline constexpr int SelfJoined = 0; // the own peer is in the room (media may flow)
inline constexpr int SelfLeft = 1;   // the own peer left (after leaveRoom or when the room closed)
} // namespace KRTCRoomEvent

// Receiver of the engine's events. Every method is optional (empty default).
//
// THREADS: the engine calls every method on one of its own threads, never while holding a lock
// of its own. Which thread is not promised: the local engine calls frames on its render thread
// and everything else on its event thread; the fake engine calls on the thread the test emits
// from, which may be the main thread. A receiver that touches models or views must hop to the
// main thread itself; only onRenderFrame() is meant to be handled where it arrives
// (KRTCVideoView::renderFrame is safe from any thread). Events other than frames arrive in the
// order they happened. Never call into the engine from inside a callback (engine calls belong to
// the main thread, and leaveRoom waits for these threads): hop to the main thread first. Never
// block a callback on the main thread either.
class KRTCEngineDelegate {
public:
    virtual ~KRTCEngineDelegate() = default;

    // Answer to joinRoom(): success, or a code and a reason. Event thread.
    virtual void onJoinRoomResult(bool success, int code, const QString &message)
    {
        (void)success, (void)code, (void)message;
    }
    // KRTCRoomEvent code for a peer; SelfJoined carries the own peer id. Event thread.
    virtual void onRoomEvent(int eventCode, const QString &peerId) { (void)eventCode, (void)peerId; }

    // Another participant entered / left the room. Event thread.
    virtual void onMemberJoined(const QString &peerId, const QString &userName) { (void)peerId, (void)userName; }
    virtual void onMemberLeft(const QString &peerId) { (void)peerId; }

    // A participant (or the own peer) started / stopped sending a stream of a KRTCSourceType.
    // hasAudio / hasVideo tell what the stream carries. Event thread.
    virtual void onStreamPublished(const QString &peerId, qint64 sourceType, bool hasAudio, bool hasVideo)
    {
        (void)peerId, (void)sourceType, (void)hasAudio, (void)hasVideo;
    }
    virtual void onStreamUnpublished(const QString &peerId, qint64 sourceType) { (void)peerId, (void)sourceType; }

    // One frame to draw: remote video and the own camera/share preview (the own peer id).
    // RENDER THREAD, once per frame; do no more than matching and KRTCVideoView::renderFrame.
    virtual void onRenderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType)
    {
        (void)peerId, (void)frame, (void)sourceType;
    }

    // Sound level 0-100 of one audio stream. levelPeerId has the form of KRTCPeerId::levelId():
    // cut it with KRTCPeerId::fromLevelId(). mic is true for microphone audio, false for the
    // audio of a shared file. Event thread, several times a second per speaker.
    virtual void onSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume)
    {
        (void)levelPeerId, (void)mic, (void)volume;
    }

    // Statistics of one stream, every 2 s per stream. Statistics thread.
    virtual void onStatistics(const KRTCStatistics &stats) { (void)stats; }

    // Connection to the media server lost / back / given up (only with a limited
    // KRTCEngineConfig::reconnectTimes). Event thread.
    virtual void onReconnecting() {}
    virtual void onReconnected() {}
    virtual void onReconnectFailed() {}

    // The server refused more video / audio streams / members. Event thread.
    virtual void onVideoOverLimit() {}
    virtual void onAudioOverLimit() {}
    virtual void onMemberOverLimit() {}

    // The own screen share ended without stopScreenSharing(); reason is a KRTCShareEnd.
    // Event thread.
    virtual void onScreenShareFinished(int reason) { (void)reason; }
};
