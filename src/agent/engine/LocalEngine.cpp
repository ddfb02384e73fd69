#include "LocalEngine.h"
#include "MediaBackend.h"
#include "MediaSignals.h"

#include "DesktopCaptureSource.h"
#include "EngineLog.h"
#include "KRTCVideoView.h"
#include "LocalPicture.h"

#include "foundation/KVClock.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QCamera>
#include <QCameraDevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QUrlQuery>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtMath>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace {

const QSize kLargeSize(640, 360);
const QSize kSmallSize(320, 180);
const QSize kRemoteShareSize(960, 540);

int jitter(int base, int spread)
{
    return base + static_cast<int>(QRandomGenerator::global()->bounded(spread + 1)) - spread / 2;
}

} // namespace

// The latest camera picture, written by the capture thread, read by the render thread.
struct LocalEngine::ShareSlot {
    std::mutex mutex;
    QImage latest;
};

struct LocalEngine::CameraSlot {
    std::mutex mutex;
    QVideoFrame frame;
};

// What the render thread draws for one tick; values only.
struct LocalEngine::RenderJob {
    struct Remote {
        QString peerId;
        QString name;
        qint64 sourceType = KRTCSourceType::Camera;
        qint64 channelIndex = 0;
        QSize size;
        quint32 seed = 0;
        QString sei; // a shared file's position in seconds
    };
    qint64 tick = 0;
    QString selfId;
    QString selfName;
    bool ownCamera = false;
    QSize ownCameraSize;
    std::shared_ptr<CameraSlot> camera; // null: generated picture
    bool ownShare = false;
    QImage shareImage;
    QString shareTitle;
    QList<Remote> remotes;
};

LocalEngine::LocalEngine(KRTCEngineConfig config, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_network(new QNetworkAccessManager(this)),
      m_renderBusy(std::make_shared<std::atomic<bool>>(false))
{
}

LocalEngine::~LocalEngine()
{
    leaveRoom();
    stopCapture();
    m_renderWorker.stop(false);
    m_eventWorker.stop(false);
}

void LocalEngine::setUseRealDevices(bool use)
{
    m_useRealDevices = use;
}

QUrl LocalEngine::peersUrl(const QString &roomId) const
{
    QUrl url;
    url.setScheme(m_config.secure ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(m_config.domain);
    if (m_config.port > 0)
        url.setPort(m_config.port);
    url.setPath(QStringLiteral("/engine/room/%1/peers").arg(QString::fromLatin1(QUrl::toPercentEncoding(roomId))),
                QUrl::TolerantMode);
    return url;
}

QList<LocalEnginePeer> LocalEngine::remotePeers() const
{
    QList<LocalEnginePeer> list;
    for (const PeerState &state : m_peers)
        list << state.peer;
    return list;
}

bool LocalEngine::usingRealCamera() const
{
    return m_camera != nullptr;
}

bool LocalEngine::usingRealMicrophone() const
{
    return m_audioSource != nullptr;
}

KRTCEngineConfig LocalEngine::config() const
{
    return m_config;
}

void LocalEngine::setDelegate(std::weak_ptr<KRTCEngineDelegate> delegate)
{
    std::lock_guard lock(m_delegateMutex);
    m_delegate = std::move(delegate);
}

std::shared_ptr<KRTCEngineDelegate> LocalEngine::currentDelegate() const
{
    std::lock_guard lock(m_delegateMutex);
    return m_delegate.lock();
}

void LocalEngine::postEvent(std::function<void(KRTCEngineDelegate &)> event)
{
    m_eventWorker.post([this, event = std::move(event)] {
        if (auto to = currentDelegate())
            event(*to);
    });
}

// ---- room

int LocalEngine::joinRoom(const KRTCJoinAuthority &authority, const KRTCJoinConfig &config)
{
    if (m_state != RoomState::Idle)
        return -1;
    if (config.roomId.isEmpty() || config.peerId.isEmpty())
        return -2;
    m_authority = authority;
    m_joinConfig = config;
    m_state = RoomState::Joining;
    m_eventWorker.start();
    fetchPeers(m_joinReply, [this](bool ok, const QList<LocalEnginePeer> &peers) { finishJoin(ok, peers); });
    return 0;
}

void LocalEngine::fetchPeers(QPointer<QNetworkReply> &slot, PeersHandler handler)
{
    QUrl url = peersUrl(m_joinConfig.roomId);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("peerId"), m_joinConfig.peerId);
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setRawHeader("token", m_authority.token.toUtf8());
    QNetworkReply *reply = m_network->get(request);
    slot = reply;
    QPointer<QNetworkReply> guard(reply);
    KVTimer::singleShot(reply, std::chrono::milliseconds(kRequestTimeoutMs), [guard] {
        if (guard)
            guard->abort();
    });
    // Only the join says so when the stand-in is not there; the polls after it stay quiet.
    const bool quiet = &slot != &m_joinReply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, slotPtr = &slot, quiet, handler = std::move(handler)] {
        if (*slotPtr == reply)
            *slotPtr = nullptr;
        reply->deleteLater();
        bool ok = reply->error() == QNetworkReply::NoError;
        QList<LocalEnginePeer> peers;
        if (ok) {
            const QByteArray body = reply->readAll();
            peers = parsePeers(body, &ok);
            if (ok) {
                m_peersChanged = body != m_lastPeersBody;
                m_lastPeersBody = body;
                m_simulatedNetwork = parseNetwork(body);
                m_fileListed = parseFilePlayback(body);
            }
        } else if (quiet)
            qCDebug(lcEngine) << "participant list unavailable:" << reply->errorString();
        else
            qCWarning(lcEngine) << "participant list unavailable:" << reply->errorString();
        handler(ok, peers);
    });
}

QList<LocalEnginePeer> LocalEngine::parsePeers(const QByteArray &body, bool *ok)
{
    QList<LocalEnginePeer> peers;
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    QJsonValue data = doc.object().value(QStringLiteral("data"));
    if (data.isObject())
        data = data.toObject().value(QStringLiteral("peers"));
    *ok = data.isArray();
    for (const QJsonValue &value : data.toArray()) {
        const QJsonObject o = value.toObject();
        LocalEnginePeer peer;
        peer.peerId = o.value(QStringLiteral("peerId")).toString();
        peer.userName = o.value(QStringLiteral("userName")).toString();
        peer.audio = o.value(QStringLiteral("audio")).toVariant().toBool();
        peer.video = o.value(QStringLiteral("video")).toVariant().toBool();
        peer.share = o.value(QStringLiteral("share")).toVariant().toBool();
        if (!peer.peerId.isEmpty())
            peers << peer;
    }
    return peers;
}

LocalEngine::SimulatedNetwork LocalEngine::parseNetwork(const QByteArray &body)
{
    const QJsonObject network = QJsonDocument::fromJson(body)
                                    .object()
                                    .value(QStringLiteral("data"))
                                    .toObject()
                                    .value(QStringLiteral("network"))
                                    .toObject();
    SimulatedNetwork out;
    out.rtt = std::clamp(network.value(QStringLiteral("rtt")).toInt(), 0, 60000);
    out.lostRate = std::clamp(network.value(QStringLiteral("lostRate")).toInt(), 0, 100);
    return out;
}

std::optional<LocalEngine::FilePlayback> LocalEngine::parseFilePlayback(const QByteArray &body)
{
    const QJsonObject o = QJsonDocument::fromJson(body)
                              .object()
                              .value(QStringLiteral("data"))
                              .toObject()
                              .value(QStringLiteral("avFile"))
                              .toObject();
    FilePlayback file;
    file.peerId = o.value(QStringLiteral("peerId")).toString();
    file.fileType = o.value(QStringLiteral("fileType")).toVariant().toLongLong();
    if (file.peerId.isEmpty() || (file.fileType != 2 && file.fileType != 3))
        return std::nullopt;
    constexpr qint64 kMaxMs = 1000LL * 60 * 60 * 24 * 365;
    file.fileName = o.value(QStringLiteral("fileName")).toString().left(64);
    file.durationMs = std::clamp<qint64>(o.value(QStringLiteral("durationMs")).toVariant().toLongLong(), 0, kMaxMs);
    file.positionMs =
        std::clamp<qint64>(o.value(QStringLiteral("positionMs")).toVariant().toLongLong(), 0, file.durationMs);
    file.playing = o.value(QStringLiteral("playing")).toBool();
    file.listedAtMs = KVClock::current().nowMs();
    return file;
}

qint64 LocalEngine::FilePlayback::positionAt(qint64 nowMs) const
{
    const qint64 at = positionMs + (playing ? std::max<qint64>(0, nowMs - listedAtMs) : 0);
    return durationMs > 0 ? std::min(at, durationMs) : at;
}

bool LocalEngine::FilePlayback::flowsAt(qint64 nowMs) const
{
    return playing && (durationMs <= 0 || positionAt(nowMs) < durationMs);
}

void LocalEngine::applyFilePlayback()
{
    const std::optional<FilePlayback> &fresh = m_fileListed;
    const bool same = m_file && fresh && m_file->peerId == fresh->peerId && m_file->fileType == fresh->fileType &&
                      m_file->fileName == fresh->fileName;
    if (m_file && !same)
        postEvent(
            [id = m_file->peerId](KRTCEngineDelegate &to) { to.onStreamUnpublished(id, KRTCSourceType::CustomVideo); });
    if (fresh && !same)
        postEvent([id = fresh->peerId, video = fresh->fileType == 2](KRTCEngineDelegate &to) {
            to.onStreamPublished(id, KRTCSourceType::CustomVideo, true, video);
        });
    m_file = fresh;
}

void LocalEngine::finishJoin(bool ok, const QList<LocalEnginePeer> &peers)
{
    if (m_state != RoomState::Joining)
        return;
    if (!ok)
        qCWarning(lcEngine) << "joining" << m_joinConfig.roomId << "without other participants";
    m_state = RoomState::InRoom;
    m_serverReached = ok;
    m_serverLost = false;
    const QString self = m_joinConfig.peerId;
    postEvent([](KRTCEngineDelegate &to) { to.onJoinRoomResult(true, 0, {}); });
    postEvent([self](KRTCEngineDelegate &to) { to.onRoomEvent(KRTCRoomEvent::SelfJoined, self); });
    applyPeers(peers);
    updateTimers();
}

void LocalEngine::applyPeers(const QList<LocalEnginePeer> &peers)
{
    QMap<QString, LocalEnginePeer> fresh;
    for (const LocalEnginePeer &peer : peers) {
        if (peer.peerId != m_joinConfig.peerId)
            fresh.insert(peer.peerId, peer);
    }
    // Gone. The list says only who is still there: those gone since the last answer are told in the
    // order they came (as a room empties), never in the order of their ids.
    QList<PeerState> gone;
    for (auto it = m_peers.begin(); it != m_peers.end();) {
        if (fresh.contains(it.key())) {
            ++it;
            continue;
        }
        gone << *it;
        it = m_peers.erase(it);
    }
    std::sort(gone.begin(), gone.end(), [](const PeerState &a, const PeerState &b) { return a.arrival < b.arrival; });
    for (const PeerState &state : std::as_const(gone)) {
        const LocalEnginePeer &old = state.peer;
        if (old.share)
            postEvent([id = old.peerId](KRTCEngineDelegate &to) { to.onStreamUnpublished(id, KRTCSourceType::Share); });
        if (old.audio || old.video)
            postEvent(
                [id = old.peerId](KRTCEngineDelegate &to) { to.onStreamUnpublished(id, KRTCSourceType::Camera); });
        postEvent([id = old.peerId](KRTCEngineDelegate &to) { to.onMemberLeft(id); });
    }
    // New or changed, in the stand-in's order (the order they joined), so members join in turn.
    for (const LocalEnginePeer &listed : peers) {
        const auto current = fresh.constFind(listed.peerId);
        if (current == fresh.cend())
            continue;
        const LocalEnginePeer peer = *current;
        fresh.erase(current);
        auto it = m_peers.find(peer.peerId);
        LocalEnginePeer old;
        if (it == m_peers.end()) {
            postEvent([peer](KRTCEngineDelegate &to) { to.onMemberJoined(peer.peerId, peer.userName); });
            PeerState state{peer};
            state.arrival = ++m_arrivals;
            it = m_peers.insert(peer.peerId, state);
        } else {
            old = it->peer;
            it->peer = peer;
        }
        const QString id = peer.peerId;
        if (peer.audio != old.audio || peer.video != old.video) {
            if (peer.audio || peer.video) {
                postEvent([id, a = peer.audio, v = peer.video](KRTCEngineDelegate &to) {
                    to.onStreamPublished(id, KRTCSourceType::Camera, a, v);
                });
            } else {
                postEvent([id](KRTCEngineDelegate &to) { to.onStreamUnpublished(id, KRTCSourceType::Camera); });
            }
        }
        if (peer.share != old.share) {
            if (peer.share)
                postEvent(
                    [id](KRTCEngineDelegate &to) { to.onStreamPublished(id, KRTCSourceType::Share, false, true); });
            else
                postEvent([id](KRTCEngineDelegate &to) { to.onStreamUnpublished(id, KRTCSourceType::Share); });
        }
    }
    applyFilePlayback();
}

void LocalEngine::pollPeers()
{
    if (m_state != RoomState::InRoom || m_pollReply)
        return;
    fetchPeers(m_pollReply, [this](bool ok, const QList<LocalEnginePeer> &peers) {
        if (m_state != RoomState::InRoom)
            return;
        // A quiet room is asked less often; any change, or a server away, brings the pace back.
        m_pollIntervalMs =
            ok && !m_peersChanged ? std::min(m_pollIntervalMs * 2, kPeerPollMaxIntervalMs) : kPeerPollIntervalMs;
        // The list stays as it was while the server is away; the next answer refreshes it.
        if (ok)
            serverAnswered(peers);
        else
            serverLost();
        schedulePoll();
    });
}

void LocalEngine::schedulePoll()
{
    if (m_state != RoomState::InRoom || m_pollTimer || m_pollReply)
        return;
    m_pollTimer = KVTimer::singleShot(this, std::chrono::milliseconds(m_pollIntervalMs), [this] {
        m_pollTimer = nullptr;
        pollPeers();
    });
}

void LocalEngine::serverLost()
{
    // A room joined without the stand-in never had a server to lose.
    if (!m_serverReached || m_serverLost)
        return;
    m_serverLost = true;
    qCWarning(lcEngine) << "media server of" << m_joinConfig.roomId << "lost; reconnecting";
    postEvent([](KRTCEngineDelegate &to) { to.onReconnecting(); });
}

void LocalEngine::serverAnswered(const QList<LocalEnginePeer> &peers)
{
    m_serverReached = true;
    if (m_serverLost) {
        m_serverLost = false;
        qCInfo(lcEngine) << "media server of" << m_joinConfig.roomId << "back";
        postEvent([](KRTCEngineDelegate &to) { to.onReconnected(); });
    }
    applyPeers(peers);
    updateTimers();
}

int LocalEngine::leaveRoom()
{
    for (QPointer<QNetworkReply> *slot : {&m_joinReply, &m_pollReply}) {
        if (QNetworkReply *reply = *slot) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
        }
        *slot = nullptr;
    }
    const bool wasInRoom = m_state == RoomState::InRoom;
    m_state = RoomState::Idle;
    m_serverReached = false;
    m_serverLost = false;
    stopShareInternal(false, 0);
    stopMicrophoneInput();
    stopCapture();
    m_micOpen = false;
    m_preview = false;
    m_published = false;
    m_peers.clear();
    m_file.reset();
    m_fileListed.reset();
    updateTimers();
    m_renderWorker.stop(false);
    // Nothing of the old room reaches the delegate after this but the leave itself.
    m_eventWorker.clear();
    if (wasInRoom) {
        postEvent(
            [self = m_joinConfig.peerId](KRTCEngineDelegate &to) { to.onRoomEvent(KRTCRoomEvent::SelfLeft, self); });
    }
    m_eventWorker.stop(true);
    return 0;
}

bool LocalEngine::isInRoom() const
{
    return m_state == RoomState::InRoom;
}

// ---- timers and frames

void LocalEngine::updateTimers()
{
    const bool inRoom = m_state == RoomState::InRoom;
    const bool frames = needsFrames();
    if (frames && !m_frameTimer) {
        m_renderBusy->store(false);
        m_renderWorker.start();
        m_frameTimer = KVTimer::repeating(this, std::chrono::milliseconds(kFrameIntervalMs), [this] { onFrameTick(); });
    } else if (!frames && m_frameTimer) {
        m_frameTimer->invalidate();
        m_frameTimer = nullptr;
        if (m_state == RoomState::Idle)
            stopCapture();
    }
    const bool stats = needsStats();
    if (stats && !m_statsTimer) {
        m_statsTimer = KVTimer::repeating(this, std::chrono::milliseconds(kStatsIntervalMs), [this] { onStatsTick(); });
    } else if (!stats && m_statsTimer) {
        m_statsTimer->invalidate();
        m_statsTimer = nullptr;
    }
    if (inRoom) {
        schedulePoll();
    } else {
        if (m_pollTimer)
            m_pollTimer->invalidate();
        m_pollTimer = nullptr;
        m_pollIntervalMs = kPeerPollIntervalMs;
        m_lastPeersBody.clear();
    }
}

bool LocalEngine::needsStats() const
{
    if (m_state != RoomState::InRoom)
        return false;
    if (m_micOpen || m_published || m_sharing)
        return true;
    return std::any_of(m_peers.cbegin(), m_peers.cend(), [](const PeerState &state) {
        return state.peer.audio || (state.peer.video && state.receiveCamera) ||
               (state.peer.share && state.receiveShare);
    });
}

bool LocalEngine::needsFrames() const
{
    if (m_preview)
        return true;
    if (m_state != RoomState::InRoom)
        return false;
    if (m_published || m_sharing || m_file)
        return true;
    return std::any_of(m_peers.cbegin(), m_peers.cend(), [](const PeerState &state) {
        return state.peer.audio || (state.peer.video && state.receiveCamera) ||
               (state.peer.share && state.receiveShare);
    });
}

void LocalEngine::onFrameTick()
{
    ++m_tick;
    const bool inRoom = m_state == RoomState::InRoom;
    if (inRoom && m_tick % kLevelEveryTicks == 0) {
        // The room's levels of one tick go out as one event: the event thread wakes once for them.
        std::vector<std::pair<QString, int>> levels;
        for (const PeerState &state : std::as_const(m_peers)) {
            if (!state.peer.audio)
                continue;
            const double phase = static_cast<double>(m_tick) * 0.07 + LocalPicture::seedFor(state.peer.peerId) % 100;
            levels.emplace_back(KRTCPeerId::levelId(state.peer.peerId, true),
                                static_cast<int>(8 + 60 * qAbs(qSin(phase))));
        }
        if (!levels.empty())
            postEvent([levels = std::move(levels)](KRTCEngineDelegate &to) {
                for (const auto &[id, level] : levels)
                    to.onSpeakerVolumeChange(id, true, level);
            });
    }
    // A shared audio file sounds while it plays.
    const qint64 now = KVClock::current().nowMs();
    if (inRoom && m_file && m_file->fileType == 3 && m_file->flowsAt(now) && m_tick % kLevelEveryTicks == 0) {
        const int level = static_cast<int>(20 + 50 * qAbs(qSin(static_cast<double>(m_tick) * 0.11)));
        postEvent([id = KRTCPeerId::levelId(m_file->peerId, false), level](KRTCEngineDelegate &to) {
            to.onSpeakerVolumeChange(id, false, level);
        });
    }
    // A render thread still busy with the last tick skips this one.
    if (m_renderBusy->exchange(true))
        return;

    RenderJob job;
    job.tick = m_tick;
    job.selfId = m_joinConfig.peerId;
    job.selfName = m_joinConfig.userName;
    job.ownCamera = m_preview || m_published;
    job.ownCameraSize = kLargeSize;
    job.camera = m_camera ? m_cameraSlot : nullptr;
    job.ownShare = m_sharing;
    takeShareFrame();
    job.shareImage = m_shareImage;
    job.shareTitle = m_shareTitle;
    if (inRoom) {
        for (const PeerState &state : std::as_const(m_peers)) {
            const quint32 seed = LocalPicture::seedFor(state.peer.peerId);
            if (state.peer.video && state.receiveCamera)
                job.remotes << RenderJob::Remote{state.peer.peerId,
                                                 state.peer.userName,
                                                 KRTCSourceType::Camera,
                                                 state.channelIndex,
                                                 state.videoType == 1 ? kSmallSize : kLargeSize,
                                                 seed,
                                                 {}};
            if (state.peer.share && state.receiveShare)
                job.remotes << RenderJob::Remote{
                    state.peer.peerId, state.peer.userName, KRTCSourceType::Share, 0, kRemoteShareSize, seed, {}};
        }
    }
    // A shared video file: its picture carries the play position; paused or ended, the last one stays.
    if (inRoom && m_file && m_file->fileType == 2 && m_file->flowsAt(now)) {
        job.remotes << RenderJob::Remote{m_file->peerId,
                                         m_file->fileName,
                                         KRTCSourceType::CustomVideo,
                                         0,
                                         kRemoteShareSize,
                                         LocalPicture::seedFor(m_file->peerId),
                                         QString::number(double(m_file->positionAt(now)) / 1000.0, 'f', 3)};
    }
    if (!job.ownCamera && !job.ownShare && job.remotes.isEmpty()) {
        m_renderBusy->store(false);
        return;
    }
    if (!m_renderWorker.post([this, job = std::move(job), busy = m_renderBusy] {
            renderJob(job);
            busy->store(false);
        }))
        m_renderBusy->store(false);
}

void LocalEngine::renderJob(const RenderJob &job)
{
    auto to = currentDelegate();
    if (!to)
        return;
    const qint64 now = KVClock::current().nowMs();
    if (job.ownCamera) {
        KRTCVideoFrame frame;
        if (job.camera) {
            QVideoFrame captured;
            {
                std::lock_guard lock(job.camera->mutex);
                captured = job.camera->frame;
            }
            if (captured.isValid())
                frame.image = captured.toImage().convertToFormat(QImage::Format_RGB32);
        }
        if (frame.image.isNull())
            frame.image = m_pictures.paint(job.selfId, job.ownCameraSize, job.selfName, job.tick,
                                           LocalPicture::seedFor(job.selfId));
        frame.timestampMs = now;
        to->onRenderFrame(job.selfId, frame, KRTCSourceType::Camera);
    }
    if (job.ownShare) {
        KRTCVideoFrame frame;
        frame.image =
            job.shareImage.isNull() ? LocalPicture::screen(kRemoteShareSize, job.shareTitle, job.tick) : job.shareImage;
        frame.timestampMs = now;
        to->onRenderFrame(job.selfId, frame, KRTCSourceType::Share);
    }
    for (const RenderJob::Remote &remote : job.remotes) {
        KRTCVideoFrame frame;
        frame.image = remote.sourceType != KRTCSourceType::Camera
                          ? LocalPicture::screen(remote.size, remote.name, job.tick)
                          : m_pictures.paint(remote.peerId, remote.size, remote.name, job.tick, remote.seed);
        frame.channelIndex = remote.channelIndex;
        frame.seiContent = remote.sei;
        frame.timestampMs = now;
        to->onRenderFrame(remote.peerId, frame, remote.sourceType);
    }
    m_pictures.endFrame();
}

void LocalEngine::onStatsTick()
{
    // Nothing is measured on a connection that is gone.
    if (m_state != RoomState::InRoom || m_serverLost)
        return;
    QList<KRTCStatistics> records;
    const QString self = m_joinConfig.peerId;
    if (m_micOpen) {
        KRTCStatistics s;
        s.kind = KRTCStatsKind::LocalAudio;
        s.peerId = self;
        s.audioSourceType = KRTCSourceType::Camera;
        s.audioSendBitrate = jitter(32, 4);
        s.audioRtt = jitter(30, 10) + m_simulatedNetwork.rtt;
        s.audioLostRate = m_simulatedNetwork.lostRate;
        records << s;
    }
    if (m_published || m_sharing) {
        KRTCStatistics s;
        s.kind = KRTCStatsKind::LocalVideo;
        s.peerId = self;
        s.videoSourceType = m_published ? KRTCSourceType::Camera : KRTCSourceType::Share;
        s.videoSendBitrate = jitter(m_published ? 900 : 1500, 100);
        s.videoSendFrameRate = jitter(15, 2);
        s.videoRtt = jitter(30, 10) + m_simulatedNetwork.rtt;
        s.videoLostRate = m_simulatedNetwork.lostRate;
        const QSize size = m_published ? QSize(m_cameraOption.width, m_cameraOption.height) : m_shareImage.size();
        s.frameWidth = size.width();
        s.frameHeight = size.height();
        records << s;
    }
    for (const PeerState &state : std::as_const(m_peers)) {
        if (state.peer.audio) {
            KRTCStatistics s;
            s.kind = KRTCStatsKind::RemoteAudio;
            s.peerId = state.peer.peerId;
            s.audioSourceType = KRTCSourceType::Camera;
            s.audioRecvBitrate = jitter(32, 4);
            s.audioLostRate = QRandomGenerator::global()->bounded(2) + m_simulatedNetwork.lostRate;
            s.audioRtt = jitter(40, 16) + m_simulatedNetwork.rtt;
            records << s;
        }
        const bool camera = state.peer.video && state.receiveCamera;
        if (camera || (state.peer.share && state.receiveShare)) {
            KRTCStatistics s;
            s.kind = KRTCStatsKind::RemoteVideo;
            s.peerId = state.peer.peerId;
            s.videoSourceType = camera ? KRTCSourceType::Camera : KRTCSourceType::Share;
            const QSize size = !camera ? kRemoteShareSize : state.videoType == 1 ? kSmallSize : kLargeSize;
            s.videoRecvBitrate = jitter(size.width() > 400 ? 800 : 250, 60);
            s.videoRecvFrameRate = jitter(15, 2);
            s.videoLostRate = QRandomGenerator::global()->bounded(3) + m_simulatedNetwork.lostRate;
            s.videoRtt = jitter(40, 16) + m_simulatedNetwork.rtt;
            s.frameWidth = size.width();
            s.frameHeight = size.height();
            records << s;
        }
    }
    for (const KRTCStatistics &s : std::as_const(records))
        postEvent([s](KRTCEngineDelegate &to) { to.onStatistics(s); });
}

// ---- microphone

int LocalEngine::openMicrophone(const KRTCAudioOption &option)
{
    if (m_state != RoomState::InRoom)
        return -1;
    // No name: the microphone chosen last, not the system's default.
    const QString chosen = m_audioOption.deviceName;
    m_audioOption = option;
    if (m_audioOption.deviceName.isEmpty())
        m_audioOption.deviceName = chosen;
    if (!m_micOpen) {
        m_micOpen = true;
        startMicrophoneInput(m_audioOption.deviceName);
        emitOwnCameraStream();
        updateTimers();
    }
    return 0;
}

int LocalEngine::closeMicrophone()
{
    if (!m_micOpen)
        return 0;
    m_micOpen = false;
    stopMicrophoneInput();
    emitOwnCameraStream();
    updateTimers();
    return 0;
}

void LocalEngine::startMicrophoneInput(const QString &deviceName)
{
    stopMicrophoneInput();
    if (!m_useRealDevices)
        return;
    if (!MediaBackend::isReady()) {
        // Opened once Qt Multimedia answers without waiting for the sound server.
        MediaBackend::whenReady(this, [this] {
            if (m_micOpen && !m_audioSource)
                startMicrophoneInput(m_audioOption.deviceName);
        });
        return;
    }
    QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (!deviceName.isEmpty()) {
        for (const QAudioDevice &candidate : QMediaDevices::audioInputs()) {
            if (candidate.description() == deviceName)
                device = candidate;
        }
    }
    if (device.isNull())
        return; // no microphone: no own level to report
    QAudioFormat format = device.preferredFormat();
    m_audioSource = std::make_unique<QAudioSource>(device, format);
    m_audioIo = m_audioSource->start();
    if (!m_audioIo) {
        qCWarning(lcEngine) << "microphone" << device.description() << "does not start";
        m_audioSource.reset();
        return;
    }
    connect(m_audioIo, &QIODevice::readyRead, this, &LocalEngine::onMicrophoneData);
}

void LocalEngine::stopMicrophoneInput()
{
    if (m_audioIo)
        m_audioIo->disconnect(this);
    m_audioIo = nullptr;
    if (m_audioSource)
        m_audioSource->stop();
    m_audioSource.reset();
    m_levelPeak = 0;
}

void LocalEngine::onMicrophoneData()
{
    if (!m_audioIo || !m_audioSource)
        return;
    const QByteArray data = m_audioIo->readAll();
    const QAudioFormat format = m_audioSource->format();
    const int bytes = format.bytesPerSample();
    if (bytes <= 0)
        return;
    double peak = 0;
    for (qsizetype at = 0; at + bytes <= data.size(); at += bytes) {
        const char *p = data.constData() + at;
        double v = 0;
        switch (format.sampleFormat()) {
        case QAudioFormat::UInt8:
            v = (static_cast<quint8>(*p) - 128) / 128.0;
            break;
        case QAudioFormat::Int16: {
            qint16 s;
            std::memcpy(&s, p, sizeof s);
            v = s / 32768.0;
            break;
        }
        case QAudioFormat::Int32: {
            qint32 s;
            std::memcpy(&s, p, sizeof s);
            v = s / 2147483648.0;
            break;
        }
        case QAudioFormat::Float: {
            float s;
            std::memcpy(&s, p, sizeof s);
            v = s;
            break;
        }
        default:
            return;
        }
        peak = qMax(peak, qAbs(v));
    }
    m_levelPeak = qMax(m_levelPeak, qBound(0, static_cast<int>(peak * 100), 100));
    const qint64 now = KVClock::current().nowMs();
    if (now - m_lastLevelMs < 100 || m_state != RoomState::InRoom)
        return;
    m_lastLevelMs = now;
    const int level = m_levelPeak;
    m_levelPeak = 0;
    postEvent([id = KRTCPeerId::levelId(m_joinConfig.peerId, true), level](KRTCEngineDelegate &to) {
        to.onSpeakerVolumeChange(id, true, level);
    });
}

// ---- camera

void LocalEngine::takeCameraOption(const KRTCCameraOption &option)
{
    // No name: the camera chosen last, not the system's default.
    const QString chosen = m_cameraOption.deviceName;
    m_cameraOption = option;
    if (m_cameraOption.deviceName.isEmpty())
        m_cameraOption.deviceName = chosen;
}

int LocalEngine::startPreview(const KRTCCameraOption &option)
{
    takeCameraOption(option);
    m_preview = true;
    startCapture();
    updateTimers();
    return 0;
}

int LocalEngine::stopPreview()
{
    m_preview = false;
    if (!m_published)
        stopCapture();
    updateTimers();
    return 0;
}

int LocalEngine::publishCamera(const KRTCCameraOption &option)
{
    if (m_state != RoomState::InRoom)
        return -1;
    takeCameraOption(option);
    pushStreamMirror(option.mirror);
    startCapture();
    if (!m_published) {
        m_published = true;
        emitOwnCameraStream();
    }
    updateTimers();
    return 0;
}

int LocalEngine::unpublishCamera()
{
    if (!m_published)
        return 0;
    m_published = false;
    if (!m_preview)
        stopCapture();
    emitOwnCameraStream();
    updateTimers();
    return 0;
}

void LocalEngine::emitOwnCameraStream()
{
    if (m_state != RoomState::InRoom)
        return;
    const QString self = m_joinConfig.peerId;
    if (m_micOpen || m_published) {
        postEvent([self, a = m_micOpen, v = m_published](KRTCEngineDelegate &to) {
            to.onStreamPublished(self, KRTCSourceType::Camera, a, v);
        });
    } else {
        postEvent([self](KRTCEngineDelegate &to) { to.onStreamUnpublished(self, KRTCSourceType::Camera); });
    }
}

void LocalEngine::startCapture()
{
    if (m_camera || !m_useRealDevices)
        return;
    if (!MediaBackend::isReady()) {
        // Started once Qt Multimedia answers without waiting for the sound server.
        MediaBackend::whenReady(this, [this] {
            if ((m_published || m_preview) && !m_camera)
                startCapture();
        });
        return;
    }
    QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (!m_cameraOption.deviceName.isEmpty()) {
        for (const QCameraDevice &candidate : QMediaDevices::videoInputs()) {
            if (candidate.description() == m_cameraOption.deviceName)
                device = candidate;
        }
    }
    if (device.isNull())
        return; // no camera: the render thread draws the test picture
    m_cameraSlot = std::make_shared<CameraSlot>();
    m_camera = std::make_unique<QCamera>(device);
    m_captureSession = std::make_unique<QMediaCaptureSession>();
    m_videoSink = std::make_unique<QVideoSink>();
    m_captureSession->setCamera(m_camera.get());
    m_captureSession->setVideoSink(m_videoSink.get());
    std::weak_ptr<CameraSlot> slot = m_cameraSlot;
    // The sink may report from the capture thread: only the slot is touched there.
    MediaSignals::onVideoFrame(m_videoSink.get(), m_videoSink.get(), [slot](const QVideoFrame &frame) {
        if (auto target = slot.lock()) {
            std::lock_guard lock(target->mutex);
            target->frame = frame;
        }
    });
    m_cameraError = MediaSignals::onCameraError(m_camera.get(), m_camera.get(), [this] {
        qCWarning(lcEngine) << "camera failed, using the test picture:" << m_camera->errorString();
        stopCapture();
    });
    m_camera->start();
}

void LocalEngine::stopCapture()
{
    if (!m_camera)
        return;
    QObject::disconnect(m_cameraError);
    m_camera->stop();
    // The capture session refers to the others: it goes first.
    m_captureSession.reset();
    m_videoSink.reset();
    // Deleted later: stopCapture may run inside the camera's own error signal.
    m_camera.release()->deleteLater();
    m_cameraSlot.reset();
}

int LocalEngine::enableSpeaker(bool enable)
{
    m_speaker = enable;
    return 0;
}

int LocalEngine::previewMirror(bool mirror)
{
    KRTCVideoView::setPreviewMirror(mirror);
    return 0;
}

int LocalEngine::pushStreamMirror(bool mirror)
{
    m_pushMirror = mirror;
    return 0;
}

// ---- receiving

int LocalEngine::muteVideo(const QString &peerId, qint64 videoSourceType, bool enable)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end())
        return -1;
    if (videoSourceType == KRTCSourceType::Share)
        it->receiveShare = !enable;
    else
        it->receiveCamera = !enable;
    updateTimers();
    return 0;
}

int LocalEngine::setPlayStreamVideoType(const QString &peerId, qint64 sourceType, int videoType)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || sourceType != KRTCSourceType::Camera || (videoType != 1 && videoType != 2))
        return -1;
    it->videoType = videoType;
    return 0;
}

// ---- devices

bool LocalEngine::requestInFlight() const
{
    return m_joinReply || m_pollReply;
}

QString LocalEngine::currentDeviceName(int kind) const
{
    if (kind == KRTCDeviceKind::Camera)
        return m_cameraOption.deviceName;
    if (kind == KRTCDeviceKind::Microphone)
        return m_audioOption.deviceName;
    return {};
}

QStringList LocalEngine::deviceNames(int kind) const
{
    QStringList names;
    if (!m_useRealDevices)
        return names;
    // Before Qt Multimedia's back-ends exist, asking would wait for the sound server: none known
    // yet, and they are made off this thread.
    if (!MediaBackend::isReady()) {
        MediaBackend::start();
        return names;
    }
    if (kind == KRTCDeviceKind::Microphone) {
        for (const QAudioDevice &device : QMediaDevices::audioInputs())
            names << device.description();
    } else if (kind == KRTCDeviceKind::Speaker) {
        for (const QAudioDevice &device : QMediaDevices::audioOutputs())
            names << device.description();
    } else if (kind == KRTCDeviceKind::Camera) {
        for (const QCameraDevice &device : QMediaDevices::videoInputs())
            names << device.description();
    }
    return names;
}

int LocalEngine::switchDevice(int kind, const QString &deviceName)
{
    if (!deviceName.isEmpty() && !deviceNames(kind).contains(deviceName))
        return -1;
    if (kind == KRTCDeviceKind::Camera) {
        m_cameraOption.deviceName = deviceName;
        if (m_camera) {
            stopCapture();
            startCapture();
        }
    } else if (kind == KRTCDeviceKind::Microphone) {
        m_audioOption.deviceName = deviceName;
        if (m_micOpen)
            startMicrophoneInput(deviceName);
    }
    return 0;
}

// ---- screen sharing

QList<KRTCDesktopSource> LocalEngine::screenSources(QSize thumbnailSize) const
{
    return DesktopCaptureSource::current()->screens(thumbnailSize);
}

QList<KRTCDesktopSource> LocalEngine::windowSources(QSize thumbnailSize) const
{
    return DesktopCaptureSource::current()->windows(thumbnailSize);
}

int LocalEngine::startScreenSharing(const KRTCScreenOption &option)
{
    if (m_state != RoomState::InRoom)
        return -1;
    const int type = option.m_eType();
    if (type != KRTCScreenOption::TypeScreen && type != KRTCScreenOption::TypeWindow)
        return -2;
    auto capture = DesktopCaptureSource::current();
    const QList<KRTCDesktopSource> sources =
        type == KRTCScreenOption::TypeScreen ? capture->screens({}) : capture->windows({});
    const auto found = std::find_if(sources.cbegin(), sources.cend(), [&](const KRTCDesktopSource &source) {
        return source.sourceId == option.m_ScreenOrWindowId();
    });
    if (found == sources.cend())
        return -3;
    stopShareInternal(false, 0);
    auto slot = std::make_shared<ShareSlot>();
    DesktopCaptureSink sink;
    sink.onFrame = [weak = std::weak_ptr<ShareSlot>(slot)](const QImage &frame) {
        if (const auto held = weak.lock()) {
            std::lock_guard lock(held->mutex);
            held->latest = frame;
        }
    };
    const auto ended = [guard = QPointer<LocalEngine>(this), slot = std::weak_ptr<ShareSlot>(slot)](int reason) {
        return [guard, slot, reason](const QString &why) {
            // Only the stream still running may end the share.
            if (!guard || guard->m_shareSlot != slot.lock())
                return;
            qCInfo(lcEngine) << (reason == KRTCShareEnd::StartFailed ? "share source never started:"
                                                                     : "share source ended:")
                             << why;
            guard->stopShareInternal(true, reason);
        };
    };
    sink.onEnded = ended(KRTCShareEnd::SourceGone);
    sink.onStartFailed = ended(KRTCShareEnd::StartFailed);
    sink.onStarted = [guard = QPointer<LocalEngine>(this), slot = std::weak_ptr<ShareSlot>(slot)] {
        if (guard && guard->m_shareSlot && guard->m_shareSlot == slot.lock())
            guard->announceShare();
    };
    std::unique_ptr<DesktopCaptureStream> stream = capture->openStream(option, std::move(sink));
    if (!stream)
        return -3; // listed but already gone
    const bool later = stream->startsLater();
    m_shareOption = option;
    m_shareTitle = found->title;
    m_shareSource = std::move(capture);
    m_shareSlot = std::move(slot);
    m_shareStream = std::move(stream);
    if (later)
        return KRTCShareStart::Pending;
    announceShare();
    return 0;
}

// Nobody hears of the share before it runs: a portal's dialog may still be cancelled.
void LocalEngine::announceShare()
{
    if (std::exchange(m_sharing, true))
        return;
    postEvent([self = m_joinConfig.peerId](KRTCEngineDelegate &to) {
        to.onStreamPublished(self, KRTCSourceType::Share, false, true);
    });
    reportOwnShare(true);
    updateTimers();
}

void LocalEngine::takeShareFrame()
{
    if (!m_shareSlot)
        return;
    std::lock_guard lock(m_shareSlot->mutex);
    if (!m_shareSlot->latest.isNull())
        m_shareImage = std::exchange(m_shareSlot->latest, {});
}

void LocalEngine::reportOwnShare(bool sharing)
{
    QUrl url = peersUrl(m_joinConfig.roomId);
    url.setPath(url.path() +
                    QStringLiteral("/%1/share").arg(QString::fromLatin1(QUrl::toPercentEncoding(m_joinConfig.peerId))),
                QUrl::TolerantMode);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("token", m_authority.token.toUtf8());
    QNetworkReply *reply = m_network->post(
        request, QJsonDocument(QJsonObject{{QStringLiteral("share"), sharing}}).toJson(QJsonDocument::Compact));
    KVTimer::singleShot(reply, std::chrono::milliseconds(kRequestTimeoutMs), [guard = QPointer<QNetworkReply>(reply)] {
        if (guard)
            guard->abort();
    });
    connect(reply, &QNetworkReply::finished, reply, [reply] {
        if (reply->error() != QNetworkReply::NoError)
            qCDebug(lcEngine) << "share state not told:" << reply->errorString();
        reply->deleteLater();
    });
}

int LocalEngine::stopScreenSharing()
{
    stopShareInternal(false, 0);
    return 0;
}

void LocalEngine::stopShareInternal(bool notify, int reason)
{
    if (!m_sharing && !m_shareStream)
        return;
    const bool announced = std::exchange(m_sharing, false);
    // The stream first: no frame arrives once it is gone, then the source may go.
    m_shareStream.reset();
    m_shareSlot.reset();
    m_shareSource.reset();
    m_shareImage = {};
    updateTimers();
    if (m_state != RoomState::InRoom)
        return;
    // A share that never ran was never told: nothing to take back.
    if (announced) {
        reportOwnShare(false);
        postEvent([self = m_joinConfig.peerId](KRTCEngineDelegate &to) {
            to.onStreamUnpublished(self, KRTCSourceType::Share);
        });
    }
    if (notify)
        postEvent([reason](KRTCEngineDelegate &to) { to.onScreenShareFinished(reason); });
}

void LocalEngine::resetBackgroundReplacement()
{
    // The local engine replaces no background: nothing to reset.
}
