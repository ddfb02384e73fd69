#include "FakeEngine.h"

#include "foundation/MainQueue.h"

#include <thread>

struct FakeEngine::State {
    mutable std::mutex mutex;
    KRTCEngineConfig config;
    std::weak_ptr<KRTCEngineDelegate> delegate;
    QList<Call> calls;
    QMap<QString, int> results;
    JoinMode joinMode = JoinMode::Queued;
    bool joinSuccess = true;
    int joinCode = 0;
    QString joinMessage;
    QMap<int, QStringList> devices;
    QList<KRTCDesktopSource> screens;
    QList<KRTCDesktopSource> windows;
    KRTCJoinAuthority authority;
    KRTCJoinConfig joinConfig;
    KRTCScreenOption screenOption;
    KRTCCameraOption cameraOption;
    KRTCAudioOption audioOption;
    bool inRoom = false;
    bool mic = false;
    bool published = false;
    bool preview = false;
    bool sharing = false;
};

FakeEngine::FakeEngine(KRTCEngineConfig config) : d(std::make_unique<State>()), m_alive(std::make_shared<int>(0))
{
    d->config = std::move(config);
}

FakeEngine::~FakeEngine() = default;

QList<FakeEngine::Call> FakeEngine::calls() const
{
    std::lock_guard lock(d->mutex);
    return d->calls;
}

QStringList FakeEngine::callNames() const
{
    std::lock_guard lock(d->mutex);
    QStringList names;
    for (const Call &call : d->calls)
        names << call.name;
    return names;
}

int FakeEngine::callCount(const QString &name) const
{
    std::lock_guard lock(d->mutex);
    int n = 0;
    for (const Call &call : d->calls)
        n += call.name == name ? 1 : 0;
    return n;
}

FakeEngine::Call FakeEngine::lastCall(const QString &name) const
{
    std::lock_guard lock(d->mutex);
    for (auto it = d->calls.crbegin(); it != d->calls.crend(); ++it) {
        if (it->name == name)
            return *it;
    }
    return {};
}

void FakeEngine::clearCalls()
{
    std::lock_guard lock(d->mutex);
    d->calls.clear();
}

void FakeEngine::setJoinMode(JoinMode mode)
{
    std::lock_guard lock(d->mutex);
    d->joinMode = mode;
}

void FakeEngine::setJoinResult(bool success, int code, const QString &message)
{
    std::lock_guard lock(d->mutex);
    d->joinSuccess = success;
    d->joinCode = code;
    d->joinMessage = message;
}

void FakeEngine::setResult(const QString &method, int result)
{
    std::lock_guard lock(d->mutex);
    d->results[method] = result;
}

void FakeEngine::setDeviceNames(int kind, const QStringList &names)
{
    std::lock_guard lock(d->mutex);
    d->devices[kind] = names;
}

void FakeEngine::setScreenSources(const QList<KRTCDesktopSource> &sources)
{
    std::lock_guard lock(d->mutex);
    d->screens = sources;
}

void FakeEngine::setWindowSources(const QList<KRTCDesktopSource> &sources)
{
    std::lock_guard lock(d->mutex);
    d->windows = sources;
}

bool FakeEngine::hasDelegate() const
{
    return delegate() != nullptr;
}

KRTCJoinAuthority FakeEngine::lastJoinAuthority() const
{
    std::lock_guard lock(d->mutex);
    return d->authority;
}

KRTCJoinConfig FakeEngine::lastJoinConfig() const
{
    std::lock_guard lock(d->mutex);
    return d->joinConfig;
}

KRTCScreenOption FakeEngine::lastScreenOption() const
{
    std::lock_guard lock(d->mutex);
    return d->screenOption;
}

KRTCCameraOption FakeEngine::lastCameraOption() const
{
    std::lock_guard lock(d->mutex);
    return d->cameraOption;
}

KRTCAudioOption FakeEngine::lastAudioOption() const
{
    std::lock_guard lock(d->mutex);
    return d->audioOption;
}

bool FakeEngine::microphoneOpen() const
{
    std::lock_guard lock(d->mutex);
    return d->mic;
}

bool FakeEngine::cameraPublished() const
{
    std::lock_guard lock(d->mutex);
    return d->published;
}

bool FakeEngine::previewing() const
{
    std::lock_guard lock(d->mutex);
    return d->preview;
}

bool FakeEngine::screenSharing() const
{
    std::lock_guard lock(d->mutex);
    return d->sharing;
}

// ---- events

std::shared_ptr<KRTCEngineDelegate> FakeEngine::delegate() const
{
    std::lock_guard lock(d->mutex);
    return d->delegate.lock();
}

void FakeEngine::emitJoinRoomResult(bool success, int code, const QString &message)
{
    {
        std::lock_guard lock(d->mutex);
        d->inRoom = success;
    }
    if (auto to = delegate())
        to->onJoinRoomResult(success, code, message);
}

void FakeEngine::emitRoomEvent(int eventCode, const QString &peerId)
{
    if (auto to = delegate())
        to->onRoomEvent(eventCode, peerId);
}

void FakeEngine::emitMemberJoined(const QString &peerId, const QString &userName)
{
    if (auto to = delegate())
        to->onMemberJoined(peerId, userName);
}

void FakeEngine::emitMemberLeft(const QString &peerId)
{
    if (auto to = delegate())
        to->onMemberLeft(peerId);
}

void FakeEngine::emitStreamPublished(const QString &peerId, qint64 sourceType, bool hasAudio, bool hasVideo)
{
    if (auto to = delegate())
        to->onStreamPublished(peerId, sourceType, hasAudio, hasVideo);
}

void FakeEngine::emitStreamUnpublished(const QString &peerId, qint64 sourceType)
{
    if (auto to = delegate())
        to->onStreamUnpublished(peerId, sourceType);
}

void FakeEngine::emitRenderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType)
{
    if (auto to = delegate())
        to->onRenderFrame(peerId, frame, sourceType);
}

void FakeEngine::emitSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume)
{
    if (auto to = delegate())
        to->onSpeakerVolumeChange(levelPeerId, mic, volume);
}

void FakeEngine::emitStatistics(const KRTCStatistics &stats)
{
    if (auto to = delegate())
        to->onStatistics(stats);
}

void FakeEngine::emitReconnecting()
{
    if (auto to = delegate())
        to->onReconnecting();
}

void FakeEngine::emitReconnected()
{
    if (auto to = delegate())
        to->onReconnected();
}

void FakeEngine::emitReconnectFailed()
{
    if (auto to = delegate())
        to->onReconnectFailed();
}

void FakeEngine::emitVideoOverLimit()
{
    if (auto to = delegate())
        to->onVideoOverLimit();
}

void FakeEngine::emitAudioOverLimit()
{
    if (auto to = delegate())
        to->onAudioOverLimit();
}

void FakeEngine::emitMemberOverLimit()
{
    if (auto to = delegate())
        to->onMemberOverLimit();
}

void FakeEngine::emitScreenShareFinished(int reason)
{
    {
        std::lock_guard lock(d->mutex);
        d->sharing = false;
    }
    if (auto to = delegate())
        to->onScreenShareFinished(reason);
}

void FakeEngine::onForeignThread(const std::function<void()> &fn)
{
    std::thread thread(fn);
    thread.join();
}

// ---- KRTCEngineOC

int FakeEngine::record(const QString &name, QVariantList args)
{
    std::lock_guard lock(d->mutex);
    d->calls.append({name, std::move(args)});
    return d->results.value(name, 0);
}

KRTCEngineConfig FakeEngine::config() const
{
    std::lock_guard lock(d->mutex);
    return d->config;
}

void FakeEngine::setDelegate(std::weak_ptr<KRTCEngineDelegate> delegate)
{
    const bool set = !delegate.expired();
    record(QStringLiteral("setDelegate"), {set});
    std::lock_guard lock(d->mutex);
    d->delegate = std::move(delegate);
}

void FakeEngine::deliverJoinAnswer()
{
    bool success = false;
    int code = 0;
    QString message;
    QString peerId;
    {
        std::lock_guard lock(d->mutex);
        success = d->joinSuccess;
        code = d->joinCode;
        message = d->joinMessage;
        peerId = d->joinConfig.peerId;
    }
    emitJoinRoomResult(success, code, message);
    if (success)
        emitRoomEvent(KRTCRoomEvent::SelfJoined, peerId);
}

int FakeEngine::joinRoom(const KRTCJoinAuthority &authority, const KRTCJoinConfig &config)
{
    const int result = record(QStringLiteral("joinRoom"),
                              {authority.appId, authority.token, config.roomId, config.peerId, config.userName});
    JoinMode mode;
    {
        std::lock_guard lock(d->mutex);
        d->authority = authority;
        d->joinConfig = config;
        mode = d->joinMode;
    }
    if (result != 0)
        return result;
    if (mode == JoinMode::Immediate) {
        deliverJoinAnswer();
    } else if (mode == JoinMode::Queued) {
        MainQueue::async([this, alive = std::weak_ptr<int>(m_alive)] {
            if (alive.lock())
                deliverJoinAnswer();
        });
    }
    return 0;
}

int FakeEngine::leaveRoom()
{
    const int result = record(QStringLiteral("leaveRoom"), {});
    std::lock_guard lock(d->mutex);
    d->inRoom = false;
    d->mic = d->published = d->preview = d->sharing = false;
    return result;
}

bool FakeEngine::isInRoom() const
{
    std::lock_guard lock(d->mutex);
    return d->inRoom;
}

int FakeEngine::openMicrophone(const KRTCAudioOption &option)
{
    const int result = record(QStringLiteral("openMicrophone"), {option.deviceName, option.denoise});
    std::lock_guard lock(d->mutex);
    d->audioOption = option;
    d->mic = d->mic || result == 0;
    return result;
}

int FakeEngine::closeMicrophone()
{
    const int result = record(QStringLiteral("closeMicrophone"), {});
    std::lock_guard lock(d->mutex);
    d->mic = d->mic && result != 0;
    return result;
}

int FakeEngine::startPreview(const KRTCCameraOption &option)
{
    const int result = record(QStringLiteral("startPreview"),
                              {option.deviceName, option.width, option.height, option.fps, option.mirror});
    std::lock_guard lock(d->mutex);
    d->cameraOption = option;
    d->preview = d->preview || result == 0;
    return result;
}

int FakeEngine::stopPreview()
{
    const int result = record(QStringLiteral("stopPreview"), {});
    std::lock_guard lock(d->mutex);
    d->preview = d->preview && result != 0;
    return result;
}

int FakeEngine::publishCamera(const KRTCCameraOption &option)
{
    const int result = record(QStringLiteral("publishCamera"),
                              {option.deviceName, option.width, option.height, option.fps, option.mirror});
    std::lock_guard lock(d->mutex);
    d->cameraOption = option;
    d->published = d->published || result == 0;
    return result;
}

int FakeEngine::unpublishCamera()
{
    const int result = record(QStringLiteral("unpublishCamera"), {});
    std::lock_guard lock(d->mutex);
    d->published = d->published && result != 0;
    return result;
}

int FakeEngine::enableSpeaker(bool enable)
{
    return record(QStringLiteral("enableSpeaker"), {enable});
}

int FakeEngine::previewMirror(bool mirror)
{
    return record(QStringLiteral("previewMirror"), {mirror});
}

int FakeEngine::pushStreamMirror(bool mirror)
{
    return record(QStringLiteral("pushStreamMirror"), {mirror});
}

int FakeEngine::muteVideo(const QString &peerId, qint64 videoSourceType, bool enable)
{
    return record(QStringLiteral("muteVideo"), {peerId, videoSourceType, enable});
}

int FakeEngine::setPlayStreamVideoType(const QString &peerId, qint64 sourceType, int videoType)
{
    return record(QStringLiteral("setPlayStreamVideoType"), {peerId, sourceType, videoType});
}

int FakeEngine::switchDevice(int kind, const QString &deviceName)
{
    return record(QStringLiteral("switchDevice"), {kind, deviceName});
}

QStringList FakeEngine::deviceNames(int kind) const
{
    std::lock_guard lock(d->mutex);
    return d->devices.value(kind);
}

int FakeEngine::startScreenSharing(const KRTCScreenOption &option)
{
    const int result = record(QStringLiteral("startScreenSharing"),
                              {option.m_ScreenOrWindowId(), option.m_eType(), option.m_nWidth(), option.m_nHeight(),
                               option.m_nMaxVideoBW(), option.m_eVideoEncodeQuality(), option.m_nNumSpatialLayers(),
                               option.m_reconnectRecoverScreen(), option.m_nFPS()});
    std::lock_guard lock(d->mutex);
    d->screenOption = option;
    d->sharing = d->sharing || result == 0 || result == KRTCShareStart::Pending;
    return result;
}

int FakeEngine::stopScreenSharing()
{
    const int result = record(QStringLiteral("stopScreenSharing"), {});
    std::lock_guard lock(d->mutex);
    d->sharing = d->sharing && result != 0;
    return result;
}

QList<KRTCDesktopSource> FakeEngine::screenSources(QSize thumbnailSize) const
{
    const_cast<FakeEngine *>(this)->record(QStringLiteral("screenSources"), {thumbnailSize});
    std::lock_guard lock(d->mutex);
    return d->screens;
}

QList<KRTCDesktopSource> FakeEngine::windowSources(QSize thumbnailSize) const
{
    const_cast<FakeEngine *>(this)->record(QStringLiteral("windowSources"), {thumbnailSize});
    std::lock_guard lock(d->mutex);
    return d->windows;
}

void FakeEngine::resetBackgroundReplacement()
{
    record(QStringLiteral("resetBackgroundReplacement"), {});
}

// ---- FakeEngineScope

struct FakeEngineScope::Tracker {
    FakeEngine *latest = nullptr;
    std::weak_ptr<int> latestAlive;
    int created = 0;
};

FakeEngineScope::FakeEngineScope() : m_tracker(std::make_shared<Tracker>())
{
    std::weak_ptr<Tracker> weakTracker = m_tracker;
    m_creator = std::make_unique<KRTCEngineFactory::ScopedCreator>(
        [this, weakTracker](const KRTCEngineConfig &config) -> std::unique_ptr<KRTCEngineOC> {
            auto engine = std::make_unique<FakeEngine>(config);
            if (auto tracker = weakTracker.lock()) {
                tracker->latest = engine.get();
                tracker->latestAlive = engine->m_alive;
                ++tracker->created;
                if (onCreate)
                    onCreate(*engine);
            }
            return engine;
        });
}

FakeEngineScope::~FakeEngineScope() = default;

FakeEngine *FakeEngineScope::engine() const
{
    return m_tracker->latestAlive.expired() ? nullptr : m_tracker->latest;
}

int FakeEngineScope::createdCount() const
{
    return m_tracker->created;
}

struct FakeAnalyzeScope::State {
    mutable std::mutex mutex;
    QList<Request> requests;
    QList<KRTCEngineOC::AnalyzeCallback> waiting;
};

FakeAnalyzeScope::FakeAnalyzeScope() : d(std::make_shared<State>())
{
    std::weak_ptr<State> weak = d;
    KRTCEngineFactory::setAnalyzeHandler([this, weak](const QString &appId, const QString &userId,
                                                      const QString &userName, const QString &logDirectory,
                                                      KRTCEngineOC::AnalyzeCallback callback) {
        const auto state = weak.lock();
        if (!state)
            return;
        {
            std::lock_guard lock(state->mutex);
            state->requests.append({appId, userId, userName, logDirectory});
            if (!answerCode)
                state->waiting.append(std::move(callback));
        }
        if (answerCode && callback)
            callback(*answerCode);
    });
}

FakeAnalyzeScope::~FakeAnalyzeScope()
{
    KRTCEngineFactory::setAnalyzeHandler(nullptr);
}

QList<FakeAnalyzeScope::Request> FakeAnalyzeScope::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

int FakeAnalyzeScope::waitingCount() const
{
    std::lock_guard lock(d->mutex);
    return int(d->waiting.size());
}

bool FakeAnalyzeScope::answer(int code)
{
    KRTCEngineOC::AnalyzeCallback callback;
    {
        std::lock_guard lock(d->mutex);
        if (d->waiting.isEmpty())
            return false;
        callback = d->waiting.takeFirst();
    }
    if (callback)
        callback(code);
    return true;
}
