#include "agent/engine/DesktopCaptureSource.h"
#include "agent/engine/FakeDesktopCapture.h"
#include "agent/engine/KRTCVideoView.h"
#include "agent/engine/LocalEngine.h"
#include "agent/engine/LocalPicture.h"

#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "routes/EngineRoutes.h"

#include "foundation/KVClock.h"
#include "foundation/RXEncrypt.h"

#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

// Thread-safe record of what the engine reported.
class Events final : public KRTCEngineDelegate {
public:
    void onJoinRoomResult(bool success, int, const QString &) override { add(QStringLiteral("join:%1").arg(success)); }
    void onRoomEvent(int code, const QString &peerId) override
    {
        add(QStringLiteral("room:%1:%2").arg(code).arg(peerId));
    }
    void onMemberJoined(const QString &peerId, const QString &name) override
    {
        add(QStringLiteral("joined:%1:%2").arg(peerId, name));
    }
    void onMemberLeft(const QString &peerId) override { add(QStringLiteral("left:%1").arg(peerId)); }
    void onStreamPublished(const QString &peerId, qint64 type, bool audio, bool video) override
    {
        add(QStringLiteral("pub:%1:%2:%3%4").arg(peerId).arg(type).arg(audio).arg(video));
    }
    void onStreamUnpublished(const QString &peerId, qint64 type) override
    {
        add(QStringLiteral("unpub:%1:%2").arg(peerId).arg(type));
    }
    void onScreenShareFinished(int reason) override { add(QStringLiteral("shareFinished:%1").arg(reason)); }
    void onSpeakerVolumeChange(const QString &levelPeerId, bool, int volume) override
    {
        std::lock_guard lock(m_mutex);
        m_levels[KRTCPeerId::fromLevelId(levelPeerId)] = volume;
    }
    void onStatistics(const KRTCStatistics &stats) override
    {
        std::lock_guard lock(m_mutex);
        m_stats << stats;
    }
    void onRenderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 type) override
    {
        std::lock_guard lock(m_mutex);
        const QString key = QStringLiteral("%1:%2").arg(peerId).arg(type);
        ++m_frames[key];
        m_lastFrame[key] = frame;
        m_onMainThread = m_onMainThread || std::this_thread::get_id() == m_main;
        if (view)
            view->renderFrame(frame, false);
    }

    QStringList events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    bool has(const QString &event) const { return events().contains(event); }
    int frames(const QString &peerId, qint64 type) const
    {
        std::lock_guard lock(m_mutex);
        return m_frames.value(QStringLiteral("%1:%2").arg(peerId).arg(type));
    }
    KRTCVideoFrame lastFrame(const QString &peerId, qint64 type) const
    {
        std::lock_guard lock(m_mutex);
        return m_lastFrame.value(QStringLiteral("%1:%2").arg(peerId).arg(type));
    }
    QList<KRTCStatistics> stats() const
    {
        std::lock_guard lock(m_mutex);
        return m_stats;
    }
    int level(const QString &peerId) const
    {
        std::lock_guard lock(m_mutex);
        return m_levels.value(peerId, -1);
    }
    bool framesOnMainThread() const
    {
        std::lock_guard lock(m_mutex);
        return m_onMainThread;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_events.clear();
        m_frames.clear();
        m_stats.clear();
    }

    KRTCVideoView *view = nullptr;

private:
    void add(const QString &event)
    {
        std::lock_guard lock(m_mutex);
        m_events << event;
    }
    mutable std::mutex m_mutex;
    QStringList m_events;
    QMap<QString, int> m_frames;
    QMap<QString, KRTCVideoFrame> m_lastFrame;
    QMap<QString, int> m_levels;
    QList<KRTCStatistics> m_stats;
    std::thread::id m_main = std::this_thread::get_id();
    bool m_onMainThread = false;
};

const QString kRoom = QStringLiteral("r-100");
const QString kSelf = QStringLiteral("self-peer");

class EngineLocal : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.start());
        KRTCEngineConfig config;
        config.domain = QStringLiteral("127.0.0.1");
        config.port = service.port();
        engine = std::make_unique<LocalEngine>(config);
        engine->setUseRealDevices(false);
        engine->setDelegate(events);
    }
    void TearDown() override
    {
        engine.reset();
        DesktopCaptureSource::setCurrent(nullptr);
    }

    void join()
    {
        ASSERT_EQ(
            engine->joinRoom({QStringLiteral("app"), QStringLiteral("tok")}, {kRoom, kSelf, QStringLiteral("Me")}), 0);
        ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("room:0:") + kSelf); }));
    }
    // Frame ticks until cond holds: a tick finding the render thread busy is skipped, so the
    // number of ticks needed depends on the machine's load.
    bool tickUntil(const std::function<bool()> &cond)
    {
        return processEventsUntil([&] {
            if (cond())
                return true;
            clock.clock.advance(std::chrono::milliseconds(LocalEngine::kFrameIntervalMs));
            return false;
        });
    }
    // Advances project time tick by tick so each frame tick reaches the render thread.
    void advance(std::chrono::milliseconds total)
    {
        for (auto done = 0ms; done < total; done += std::chrono::milliseconds(LocalEngine::kFrameIntervalMs)) {
            clock.clock.advance(std::chrono::milliseconds(LocalEngine::kFrameIntervalMs));
            processEventsFor(2);
        }
    }

    VirtualClockScope clock;
    DevService service;
    std::shared_ptr<Events> events = std::make_shared<Events>();
    std::unique_ptr<LocalEngine> engine;
};

TEST_F(EngineLocal, Join_ReportsTheRoomsParticipantsAsMemberAndStreamEvents)
{
    const QString ann =
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Ann"), {}, true, true, false});
    const QString bob =
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Bob"), {}, true, false, true});
    EngineRoutes::addSimulatedPeer(service, kRoom, {kSelf, {}, QStringLiteral("Me"), {}, true, true, false});

    join();
    ASSERT_TRUE(processEventsUntil([&] { return events->events().size() >= 7; }));
    const QStringList got = events->events();
    EXPECT_EQ(got.mid(0, 2), QStringList({QStringLiteral("join:1"), QStringLiteral("room:0:") + kSelf}));
    EXPECT_TRUE(got.contains(QStringLiteral("joined:%1:Ann").arg(ann)));
    EXPECT_TRUE(got.contains(QStringLiteral("pub:%1:1:11").arg(ann)));
    EXPECT_TRUE(got.contains(QStringLiteral("joined:%1:Bob").arg(bob)));
    EXPECT_TRUE(got.contains(QStringLiteral("pub:%1:1:10").arg(bob))) << "audio without camera";
    EXPECT_TRUE(got.contains(QStringLiteral("pub:%1:2:01").arg(bob))) << "Bob shares his screen";
    EXPECT_FALSE(got.join(' ').contains(QStringLiteral("joined:") + kSelf)) << "the own peer is not another member";
    EXPECT_EQ(ann, RXEncrypt::aes128ecbEncrypt(service.state().room(kRoom)->members.first().phoneNumber));

    const QList<DevRequest> asked = service.requestsFor(QStringLiteral("/engine/room/%1/peers").arg(kRoom));
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.first().query.value("peerId").toString(), kSelf);
    EXPECT_EQ(engine->remotePeers().size(), 2);
    EXPECT_EQ(engine->joinRoom({}, {kRoom, kSelf, {}}), -1) << "one room at a time";
}

TEST_F(EngineLocal, Join_WithoutAStandInStillSucceedsAlone)
{
    KRTCEngineConfig config;
    config.domain = QStringLiteral("127.0.0.1");
    config.port = 1; // nothing listens
    engine = std::make_unique<LocalEngine>(config);
    engine->setUseRealDevices(false);
    engine->setDelegate(events);
    EXPECT_EQ(engine->joinRoom({}, {QString(), kSelf, {}}), -2) << "a room id is needed";
    join();
    EXPECT_TRUE(engine->isInRoom());
    EXPECT_TRUE(engine->remotePeers().isEmpty());
}

TEST_F(EngineLocal, ParticipantsComingAndGoingAfterTheJoinAreReported)
{
    join();
    const QString cid =
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Cid"), {}, false, true, false});
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kPeerPollIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("pub:%1:1:01").arg(cid)); }));
    EXPECT_TRUE(events->has(QStringLiteral("joined:%1:Cid").arg(cid)));

    EXPECT_TRUE(EngineRoutes::removeSimulatedPeer(service, kRoom, cid));
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kPeerPollIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("left:%1").arg(cid)); }));
    const QStringList got = events->events();
    EXPECT_LT(got.indexOf(QStringLiteral("unpub:%1:1").arg(cid)), got.indexOf(QStringLiteral("left:%1").arg(cid)));

    // Six come, and all leave before the next answer: told in the order they came, not by id.
    QStringList came;
    for (int i = 1; i <= 6; ++i)
        came << EngineRoutes::addSimulatedPeer(service, kRoom,
                                               {{}, {}, QStringLiteral("P%1").arg(i), {}, false, false, false});
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kPeerPollIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("joined:%1:P6").arg(came.last())); }));
    for (const QString &id : came)
        EXPECT_TRUE(EngineRoutes::removeSimulatedPeer(service, kRoom, id));
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kPeerPollIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("left:%1").arg(came.last())); }));
    QStringList left;
    for (const QString &event : events->events()) {
        if (event.startsWith(QStringLiteral("left:")) && event != QStringLiteral("left:%1").arg(cid))
            left << event.mid(5);
    }
    EXPECT_EQ(left, came);
}

TEST_F(EngineLocal, ControlRoutes_AddAndRemoveASimulatedParticipant)
{
    join();
    QNetworkAccessManager network;
    const QString peers = service.baseUrl().toString() + QStringLiteral("/engine/room/%1/peers").arg(kRoom);
    QNetworkRequest request{QUrl(peers)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply *reply = network.post(request, R"({"userName":"Dee","video":false})");
    ASSERT_TRUE(processEventsUntil([&] { return reply->isFinished(); }));
    const QString dee = QJsonDocument::fromJson(reply->readAll()).object()["data"].toObject()["peerId"].toString();
    reply->deleteLater();
    ASSERT_FALSE(dee.isEmpty());
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kPeerPollIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("pub:%1:1:10").arg(dee)); }));

    reply = network.deleteResource(QNetworkRequest{QUrl(peers + QLatin1Char('/') + dee)});
    ASSERT_TRUE(processEventsUntil([&] { return reply->isFinished(); }));
    EXPECT_EQ(QJsonDocument::fromJson(reply->readAll()).object()["code"].toInt(), 0);
    reply->deleteLater();
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kPeerPollIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("left:%1").arg(dee)); }));
}

TEST_F(EngineLocal, RemoteVideo_GeneratedOnTheRenderThreadUntilMuted)
{
    const QString ann =
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Ann"), {}, true, true, false});
    join();
    engine->publishCamera({});
    // A new participant sends no video until the window says its tile is seen.
    const auto ownFrames = [&] { return events->frames(kSelf, KRTCSourceType::Camera); };
    ASSERT_TRUE(tickUntil([&] { return ownFrames() >= 2; }));
    EXPECT_EQ(events->frames(ann, KRTCSourceType::Camera), 0);
    EXPECT_EQ(engine->muteVideo(ann, KRTCSourceType::Camera, false), 0);
    ASSERT_TRUE(tickUntil([&] { return events->frames(ann, KRTCSourceType::Camera) > 0; }));
    EXPECT_FALSE(events->framesOnMainThread());
    EXPECT_EQ(events->lastFrame(ann, KRTCSourceType::Camera).size(), QSize(640, 360));
    EXPECT_EQ(events->lastFrame(ann, KRTCSourceType::Camera).channelIndex, 0);

    EXPECT_EQ(engine->setPlayStreamVideoType(ann, KRTCSourceType::Camera, 1), 0);
    ASSERT_TRUE(tickUntil([&] { return events->lastFrame(ann, KRTCSourceType::Camera).width() == 320; }));

    EXPECT_EQ(engine->muteVideo(ann, KRTCSourceType::Camera, true), 0);
    // Own frames keep coming; two of them mean a render pass planned after the mute finished.
    int own = ownFrames();
    ASSERT_TRUE(tickUntil([&] { return ownFrames() >= own + 2; }));
    const int before = events->frames(ann, KRTCSourceType::Camera);
    own = ownFrames();
    ASSERT_TRUE(tickUntil([&] { return ownFrames() >= own + 3; }));
    EXPECT_EQ(events->frames(ann, KRTCSourceType::Camera), before) << "muted: no more frames";
    EXPECT_EQ(engine->muteVideo(QStringLiteral("nobody"), 1, false), -1);

    EXPECT_EQ(engine->muteVideo(ann, KRTCSourceType::Camera, false), 0);
    ASSERT_TRUE(tickUntil([&] { return events->frames(ann, KRTCSourceType::Camera) > before; }));

    // Levels of a speaking participant, named so the peer id cut holds.
    ASSERT_TRUE(tickUntil([&] { return events->level(ann) >= 0; }));
}

// A shared video file's picture comes while it plays and never past its end, which the stand-in
// tells only at a later poll (here never: its clock for the file stands still a millisecond short).
TEST_F(EngineLocal, AVideoFilesPictureOnlyWhileItPlays)
{
    const QString sharer = QStringLiteral("sharer-peer");
    const auto play = [&](qint64 positionMs, qint64 sinceMs, bool playing = true) {
        DevRoom *room = service.state().room(kRoom);
        if (!room)
            room = &service.state().addRoom(kRoom, QStringLiteral("host"));
        room->extra.insert(QStringLiteral("avPlayback"), QVariantMap{{"fileId", "f1"},
                                                                     {"peerId", sharer},
                                                                     {"fileName", "v.mp4"},
                                                                     {"fileType", 2},
                                                                     {"durationMs", 60000},
                                                                     {"positionMs", positionMs},
                                                                     {"sinceMs", sinceMs},
                                                                     {"playing", playing}});
    };
    play(59999, KVClock::current().nowMs() + 3600000);
    join();
    engine->publishCamera({});
    const auto frames = [&] { return events->frames(sharer, KRTCSourceType::CustomVideo); };
    const auto ownFrames = [&] { return events->frames(kSelf, KRTCSourceType::Camera); };
    // One job draws every picture of a tick: a file that flowed would have as many as the camera.
    ASSERT_TRUE(tickUntil([&] { return ownFrames() >= 20; }));
    EXPECT_LT(frames() * 2, ownFrames());

    play(0, KVClock::current().nowMs());
    ASSERT_TRUE(tickUntil([&] { return frames() >= 10; }));

    // Paused: once a poll has told it, the last picture stays.
    play(1000, KVClock::current().nowMs(), false);
    const auto polls = [&] { return service.requestsFor(QStringLiteral("/engine/room/%1/peers").arg(kRoom)).size(); };
    const qsizetype before = polls();
    ASSERT_TRUE(tickUntil([&] { return polls() > before && !engine->requestInFlight(); }));
    int own = ownFrames();
    ASSERT_TRUE(tickUntil([&] { return ownFrames() >= own + 2; }));
    const int paused = frames();
    own = ownFrames();
    ASSERT_TRUE(tickUntil([&] { return ownFrames() >= own + 3; }));
    EXPECT_EQ(frames(), paused);
}

TEST(LocalPictureTest, FramesShareTheStillPartsAndOnlyTheBallMoves)
{
    LocalPicture::ParticipantPainter pictures;
    const QSize small(320, 180);
    const QImage first = pictures.paint(QStringLiteral("a"), small, QStringLiteral("Ann"), 1, 7);
    const QImage firstKept = first.copy();
    const QImage second = pictures.paint(QStringLiteral("a"), small, QStringLiteral("Ann"), 9, 7);
    EXPECT_EQ(pictures.stillCount(), 1);
    // Each frame is a picture of its own: the next one leaves the last untouched.
    EXPECT_EQ(first, firstKept);
    // The same picture as drawn whole, but for the ball.
    const QImage whole = LocalPicture::participant(small, QStringLiteral("Ann"), 9, 7);
    ASSERT_EQ(second.size(), whole.size());
    int differing = 0;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            differing += second.pixel(x, y) != whole.pixel(x, y) ? 1 : 0;
    EXPECT_LT(differing, small.width() * small.height() / 50);
    EXPECT_NE(first, second);

    // Another size is another still; a participant not painted in a frame is forgotten.
    (void)pictures.paint(QStringLiteral("a"), QSize(640, 360), QStringLiteral("Ann"), 2, 7);
    (void)pictures.paint(QStringLiteral("b"), small, QStringLiteral("Bo"), 2, 8);
    EXPECT_EQ(pictures.stillCount(), 3);
    pictures.endFrame();
    (void)pictures.paint(QStringLiteral("b"), small, QStringLiteral("Bo"), 3, 8);
    pictures.endFrame();
    EXPECT_EQ(pictures.stillCount(), 1);
}

TEST_F(EngineLocal, Statistics_EveryTwoSecondsForTheStreamsReceivedAndSent)
{
    const QString ann =
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Ann"), {}, true, true, false});
    join();
    EXPECT_EQ(engine->muteVideo(ann, KRTCSourceType::Camera, false), 0);
    EXPECT_EQ(engine->openMicrophone({}), 0);
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kStatsIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->stats().size() >= 3; }));
    QMap<KRTCStatsKind, KRTCStatistics> byKind;
    for (const KRTCStatistics &s : events->stats())
        byKind[s.kind] = s;
    ASSERT_TRUE(byKind.contains(KRTCStatsKind::RemoteVideo));
    EXPECT_EQ(byKind[KRTCStatsKind::RemoteVideo].peerId, ann);
    EXPECT_EQ(byKind[KRTCStatsKind::RemoteVideo].frameWidth, 640);
    EXPECT_GT(byKind[KRTCStatsKind::RemoteVideo].videoRecvBitrate, 0);
    ASSERT_TRUE(byKind.contains(KRTCStatsKind::RemoteAudio));
    ASSERT_TRUE(byKind.contains(KRTCStatsKind::LocalAudio));
    EXPECT_EQ(byKind[KRTCStatsKind::LocalAudio].peerId, kSelf);
    EXPECT_FALSE(byKind.contains(KRTCStatsKind::LocalVideo)) << "no camera published";
}

TEST_F(EngineLocal, OwnCamera_TestPictureWithoutACameraAndOnlyInARoom)
{
    EXPECT_EQ(engine->publishCamera({}), -1) << "nothing to publish to outside a room";
    join();
    EXPECT_EQ(engine->publishCamera({}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("pub:%1:1:01").arg(kSelf)); }));
    ASSERT_TRUE(tickUntil([&] { return events->frames(kSelf, KRTCSourceType::Camera) > 0; }));
    EXPECT_FALSE(engine->usingRealCamera());
    EXPECT_FALSE(events->lastFrame(kSelf, KRTCSourceType::Camera).isNull());

    EXPECT_EQ(engine->openMicrophone({}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("pub:%1:1:11").arg(kSelf)); }));
    engine->unpublishCamera();
    engine->closeMicrophone();
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("unpub:%1:1").arg(kSelf)); }));
}

// Alone with camera and microphone off, nothing is drawn or measured: only the participant poll
// waits. Frames and statistics run while there is something to draw or measure.
TEST_F(EngineLocal, TimersRunOnlyWhileThereIsSomethingToDrawOrMeasure)
{
    join();
    // Answered requests go with their time-outs.
    const auto timers = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return clock.clock.pendingCount();
    };
    const int roomTimers = timers();
    EXPECT_EQ(roomTimers, 1);
    EXPECT_EQ(engine->openMicrophone({}), 0);
    EXPECT_EQ(timers(), roomTimers + 1) << "statistics, no frames";
    EXPECT_EQ(engine->closeMicrophone(), 0);
    EXPECT_EQ(timers(), roomTimers);
    EXPECT_EQ(engine->publishCamera({}), 0);
    EXPECT_EQ(timers(), roomTimers + 2);
    EXPECT_EQ(engine->unpublishCamera(), 0);
    EXPECT_EQ(timers(), roomTimers);

    const QString ann =
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Ann"), {}, false, true, false});
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kPeerPollIntervalMs));
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("pub:%1:1:01").arg(ann)); }));
    EXPECT_EQ(timers(), roomTimers) << "a tile nobody has seen yet";
    EXPECT_EQ(engine->muteVideo(ann, KRTCSourceType::Camera, false), 0);
    EXPECT_EQ(timers(), roomTimers + 2);
    EXPECT_EQ(engine->muteVideo(ann, KRTCSourceType::Camera, true), 0);
    EXPECT_EQ(timers(), roomTimers);
}

// A room whose answer stays the same is asked less and less often; a change brings the pace back.
TEST_F(EngineLocal, AQuietRoomIsPolledLessOften)
{
    join();
    const auto polls = [&] { return service.requestsFor(QStringLiteral("/engine/room/%1/peers").arg(kRoom)).size(); };
    // Time in steps of a second, each poll answered before time moves on.
    const auto wait = [&](int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.clock.advance(1s);
            ASSERT_TRUE(processEventsUntil([&] { return !engine->requestInFlight(); }));
        }
    };
    const qsizetype atJoin = polls();
    wait(30);
    EXPECT_EQ(polls() - atJoin, 5) << "after 2, 4, 8, 8 and 8 s";

    const QString dee =
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Dee"), {}, false, false, false});
    wait(LocalEngine::kPeerPollMaxIntervalMs / 1000);
    // Told on the engine's event thread; time stands still meanwhile.
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("joined:%1:Dee").arg(dee)); }));
    const qsizetype afterChange = polls();
    wait(LocalEngine::kPeerPollIntervalMs / 1000);
    EXPECT_EQ(polls(), afterChange + 1);
}

TEST_F(EngineLocal, AMicrophoneChosenWhileOff_IsTheOneThatOpens)
{
    engine->setUseRealDevices(true);
    // The first ask starts the media back-ends off this thread; the names come once they exist.
    QStringList names;
    processEventsUntil([&] { return !(names = engine->deviceNames(KRTCDeviceKind::Microphone)).isEmpty(); }, 10000);
    if (names.isEmpty())
        GTEST_SKIP() << "no sound server";
    join();
    ASSERT_EQ(engine->switchDevice(KRTCDeviceKind::Microphone, names.last()), 0);
    EXPECT_EQ(engine->openMicrophone({}), 0);
    EXPECT_EQ(engine->currentDeviceName(KRTCDeviceKind::Microphone), names.last());
    engine->closeMicrophone();
}

TEST_F(EngineLocal, ScreenShare_ShowsTheSourcesFramesTellsTheStandInAndFreesTheSourceOnStop)
{
    auto desktop = std::make_shared<FakeDesktopCapture>();
    desktop->setScreens({{7, 1, QStringLiteral("Screen"), 0, {}, {}}});
    desktop->setWindows({{9, 2, QStringLiteral("Editor"), 4242, {}, {}}});
    DesktopCaptureSource::setCurrent(desktop);
    ASSERT_EQ(engine->screenSources({160, 90}).size(), 1);
    DevRoom &room = service.state().addRoom(kRoom, QStringLiteral("host"));
    room.members.append(DevMember{kSelf, QStringLiteral("Me")});
    join();

    KRTCScreenOption option;
    option.setM_ScreenOrWindowId(12345);
    option.setM_eType(KRTCScreenOption::TypeScreen);
    EXPECT_EQ(engine->startScreenSharing(option), -3) << "unknown source";

    option.setM_ScreenOrWindowId(9);
    option.setM_eType(KRTCScreenOption::TypeWindow);
    option.setM_nWidth(640);
    option.setM_nHeight(360);
    ASSERT_EQ(engine->startScreenSharing(option), 0);
    EXPECT_EQ(desktop->openStreams(), 1);
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("pub:%1:2:01").arg(kSelf)); }));
    ASSERT_TRUE(processEventsUntil([&] { return service.state().room(kRoom)->members.first().share; }))
        << "the others learn of the share through the stand-in";

    QImage red(1920, 1080, QImage::Format_RGB32);
    red.fill(Qt::red);
    desktop->pushFrame(red);
    ASSERT_TRUE(tickUntil([&] {
        const QImage frame = events->lastFrame(kSelf, KRTCSourceType::Share).image;
        return !frame.isNull() && frame.pixel(320, 180) == QColor(Qt::red).rgb();
    })) << "the own share tile shows the captured frames";
    EXPECT_EQ(events->lastFrame(kSelf, KRTCSourceType::Share).size(), QSize(640, 360));

    EXPECT_EQ(engine->stopScreenSharing(), 0);
    EXPECT_EQ(desktop->openStreams(), 0) << "the source is freed at once";
    ASSERT_TRUE(processEventsUntil([&] { return !service.state().room(kRoom)->members.first().share; }));

    ASSERT_EQ(engine->startScreenSharing(option), 0);
    desktop->closeWindow(9);
    ASSERT_TRUE(processEventsUntil([&] { return events->has(QStringLiteral("shareFinished:1")); }))
        << "a closed window ends its share";
    EXPECT_TRUE(events->has(QStringLiteral("unpub:%1:2").arg(kSelf)));
    EXPECT_EQ(desktop->openStreams(), 0);
    EXPECT_EQ(engine->stopScreenSharing(), 0) << "stopping an ended share is harmless";
}

TEST_F(EngineLocal, Leave_SelfLeftIsTheLastEventAndTheThreadsStop)
{
    EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("Ann"), {}, true, true, false});
    join();
    engine->publishCamera({});
    advance(4 * std::chrono::milliseconds(LocalEngine::kFrameIntervalMs));

    engine->leaveRoom();
    const QStringList atLeave = events->events();
    ASSERT_FALSE(atLeave.isEmpty());
    EXPECT_EQ(atLeave.last(), QStringLiteral("room:1:") + kSelf);
    EXPECT_FALSE(engine->isInRoom());

    advance(std::chrono::milliseconds(LocalEngine::kStatsIntervalMs));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(events->events(), atLeave) << "nothing after the leave";
    EXPECT_EQ(engine->leaveRoom(), 0);

    // The engine can join again.
    events->clear();
    join();
}

TEST_F(EngineLocal, DestroyedWhileFramesFlowIntoAView_NoCrash)
{
    for (int i = 0; i < 4; ++i)
        EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("P%1").arg(i), {}, true, true, i == 0});
    KRTCVideoView view;
    view.resize(64, 36);
    events->view = &view;
    join();
    engine->publishCamera({});
    ASSERT_TRUE(tickUntil([&] { return view.hasFrame(); }));
    for (int i = 0; i < 10; ++i) {
        clock.clock.advance(std::chrono::milliseconds(LocalEngine::kFrameIntervalMs));
        QCoreApplication::processEvents();
    }
    engine.reset(); // the render thread may be mid-frame
    processEventsFor(5);
    events->view = nullptr;
}

} // namespace
