#pragma once

#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineDelegate.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

// The one place where the media engine's events cross from its threads to the meeting manager.
// Every event but rendered frames is queued to the main thread in the order it arrived (a burst
// crosses as one batch); frames are passed on where they arrive. One adapter serves one meeting: after detach() nothing
// it still has queued reaches the manager, and no frame is being passed on once detach() returns.
class EngineEventAdapter final : public KRTCEngineDelegate {
public:
    explicit EngineEventAdapter(VeskMeetingManager *manager); // main thread
    ~EngineEventAdapter() override;

    EngineEventAdapter(const EngineEventAdapter &) = delete;
    EngineEventAdapter &operator=(const EngineEventAdapter &) = delete;

    // Main thread.
    void detach();

    void onJoinRoomResult(bool success, int code, const QString &message) override;
    void onRoomEvent(int eventCode, const QString &peerId) override;
    void onMemberJoined(const QString &peerId, const QString &userName) override;
    void onMemberLeft(const QString &peerId) override;
    void onStreamPublished(const QString &peerId, qint64 sourceType, bool hasAudio, bool hasVideo) override;
    void onStreamUnpublished(const QString &peerId, qint64 sourceType) override;
    void onRenderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType) override;
    void onSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume) override;
    void onStatistics(const KRTCStatistics &stats) override;
    void onReconnecting() override;
    void onReconnected() override;
    void onReconnectFailed() override;
    void onVideoOverLimit() override;
    void onAudioOverLimit() override;
    void onMemberOverLimit() override;
    void onScreenShareFinished(int reason) override;

private:
    using Event = std::function<void(VeskMeetingManager::Private &)>;
    // Shared with the queued drain, which may outlive the adapter.
    struct Link {
        QPointer<VeskMeetingManager> manager; // read on the main thread only
        bool attached = true;                 // main thread only
        std::mutex mutex;
        std::vector<Event> pending; // guarded by mutex
        bool drainPosted = false;   // guarded by mutex
    };
    static void drain(const std::shared_ptr<Link> &link);
    template <class Fn> void post(Fn fn);

    std::shared_ptr<Link> m_link;
    // Frames: the render thread holds it shared while passing a frame on.
    std::shared_mutex m_renderMutex;
    VeskMeetingManager *m_renderTarget = nullptr; // guarded by m_renderMutex
};
