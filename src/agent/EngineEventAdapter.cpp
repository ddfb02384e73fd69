#include "agent/EngineEventAdapter.h"

#include "agent/VeskMeetingManager.h"
#include "agent/VeskMeetingManager_p.h"
#include "foundation/MainQueue.h"

#include <mutex>

EngineEventAdapter::EngineEventAdapter(VeskMeetingManager *manager)
    : m_link(std::make_shared<Link>()), m_renderTarget(manager)
{
    m_link->manager = manager;
}

EngineEventAdapter::~EngineEventAdapter() = default;

void EngineEventAdapter::detach()
{
    m_link->attached = false;
    std::unique_lock lock(m_renderMutex);
    m_renderTarget = nullptr;
}

template <class Fn> void EngineEventAdapter::post(Fn fn)
{
    bool schedule = false;
    {
        std::lock_guard lock(m_link->mutex);
        m_link->pending.emplace_back(std::move(fn));
        schedule = !std::exchange(m_link->drainPosted, true);
    }
    if (schedule)
        MainQueue::async([link = m_link] { drain(link); });
}

void EngineEventAdapter::drain(const std::shared_ptr<Link> &link)
{
    std::vector<Event> events;
    {
        std::lock_guard lock(link->mutex);
        events.swap(link->pending);
        link->drainPosted = false;
    }
    for (Event &event : events) {
        // Checked per event: a handler may leave the meeting (detach) half way.
        if (!link->attached || !link->manager)
            return;
        event(*link->manager->d);
    }
}

void EngineEventAdapter::onJoinRoomResult(bool success, int code, const QString &message)
{
    post([=](VeskMeetingManager::Private &d) { d.engineJoinResult(success, code, message); });
}

void EngineEventAdapter::onRoomEvent(int eventCode, const QString &peerId)
{
    post([=](VeskMeetingManager::Private &d) { d.engineRoomEvent(eventCode, peerId); });
}

void EngineEventAdapter::onMemberJoined(const QString &peerId, const QString &userName)
{
    post([=](VeskMeetingManager::Private &d) { d.engineMemberJoined(peerId, userName); });
}

void EngineEventAdapter::onMemberLeft(const QString &peerId)
{
    post([=](VeskMeetingManager::Private &d) { d.engineMemberLeft(peerId); });
}

void EngineEventAdapter::onStreamPublished(const QString &peerId, qint64 sourceType, bool hasAudio, bool hasVideo)
{
    post([=](VeskMeetingManager::Private &d) { d.engineStream(peerId, sourceType, true, hasAudio, hasVideo); });
}

void EngineEventAdapter::onStreamUnpublished(const QString &peerId, qint64 sourceType)
{
    post([=](VeskMeetingManager::Private &d) { d.engineStream(peerId, sourceType, false, false, false); });
}

void EngineEventAdapter::onRenderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType)
{
    std::shared_lock lock(m_renderMutex);
    if (m_renderTarget)
        m_renderTarget->d->renderFrame(peerId, frame, sourceType);
}

void EngineEventAdapter::onSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume)
{
    post([=](VeskMeetingManager::Private &d) { d.q->onSpeakerVolumeChange(levelPeerId, mic, volume); });
}

void EngineEventAdapter::onStatistics(const KRTCStatistics &stats)
{
    post([=](VeskMeetingManager::Private &d) { d.engineStatistics(stats); });
}

void EngineEventAdapter::onReconnecting()
{
    post([](VeskMeetingManager::Private &d) { d.engineReconnecting(); });
}

void EngineEventAdapter::onReconnected()
{
    post([](VeskMeetingManager::Private &d) { d.engineReconnected(); });
}

void EngineEventAdapter::onReconnectFailed()
{
    post([](VeskMeetingManager::Private &d) { d.reconnectGaveUp(); });
}

void EngineEventAdapter::onVideoOverLimit()
{
    post([](VeskMeetingManager::Private &d) { d.engineOverLimit(VeskMeetingManager::Private::Limit::Video); });
}

void EngineEventAdapter::onAudioOverLimit()
{
    post([](VeskMeetingManager::Private &d) { d.engineOverLimit(VeskMeetingManager::Private::Limit::Audio); });
}

void EngineEventAdapter::onMemberOverLimit()
{
    post([](VeskMeetingManager::Private &d) { d.engineOverLimit(VeskMeetingManager::Private::Limit::Member); });
}

void EngineEventAdapter::onScreenShareFinished(int reason)
{
    post([=](VeskMeetingManager::Private &d) { d.engineScreenShareFinished(reason); });
}
