#include "agent/engine/FakeEngine.h"
#include "agent/engine/KRTCEngineFactory.h"
#include "agent/engine/LocalEngine.h"

#include "devservice/DevServiceTestUtil.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Records what arrives, with the thread it arrived on.
class Recorder final : public KRTCEngineDelegate {
public:
    void onJoinRoomResult(bool success, int code, const QString &) override
    {
        add(QStringLiteral("join:%1:%2").arg(success).arg(code));
    }
    void onRoomEvent(int eventCode, const QString &peerId) override
    {
        add(QStringLiteral("room:%1:%2").arg(eventCode).arg(peerId));
    }
    void onMemberJoined(const QString &peerId, const QString &userName) override
    {
        add(QStringLiteral("joined:%1:%2").arg(peerId, userName));
    }
    void onRenderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType) override
    {
        add(QStringLiteral("frame:%1:%2:%3:%4")
                .arg(peerId)
                .arg(sourceType)
                .arg(frame.channelIndex)
                .arg(frame.seiContent));
    }
    void onSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume) override
    {
        add(QStringLiteral("level:%1:%2:%3").arg(KRTCPeerId::fromLevelId(levelPeerId)).arg(mic).arg(volume));
    }
    void onStatistics(const KRTCStatistics &stats) override
    {
        add(QStringLiteral("stats:%1:%2").arg(stats.peerId).arg(stats.videoRtt));
    }
    void onReconnecting() override { add(QStringLiteral("reconnecting")); }

    QStringList events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::thread::id lastThread() const
    {
        std::lock_guard lock(m_mutex);
        return m_thread;
    }

private:
    void add(const QString &event)
    {
        std::lock_guard lock(m_mutex);
        m_events << event;
        m_thread = std::this_thread::get_id();
    }
    mutable std::mutex m_mutex;
    QStringList m_events;
    std::thread::id m_thread;
};

TEST(EngineFake, RecordsEveryCallWithItsArgumentsAndScriptedResults)
{
    FakeEngine engine;
    engine.muteVideo(QStringLiteral("p1"), 1, true);
    engine.setPlayStreamVideoType(QStringLiteral("p1"), 1, 2);
    engine.switchDevice(2, QStringLiteral("USB Cam"));
    KRTCScreenOption option;
    option.setM_ScreenOrWindowId(4);
    option.setM_eType(1);
    option.setM_nFPS(15);
    EXPECT_EQ(engine.startScreenSharing(option), 0);
    EXPECT_TRUE(engine.screenSharing());

    EXPECT_EQ(engine.callNames(),
              QStringList({"muteVideo", "setPlayStreamVideoType", "switchDevice", "startScreenSharing"}));
    EXPECT_EQ(engine.lastCall(QStringLiteral("muteVideo")).args, QVariantList({"p1", qint64(1), true}));
    EXPECT_EQ(engine.lastCall(QStringLiteral("switchDevice")).args, QVariantList({2, "USB Cam"}));
    EXPECT_EQ(engine.lastScreenOption().m_ScreenOrWindowId(), 4);
    EXPECT_EQ(engine.lastCall(QStringLiteral("nothing")).name, QString());

    engine.setResult(QStringLiteral("openMicrophone"), -5);
    EXPECT_EQ(engine.openMicrophone({}), -5);
    EXPECT_FALSE(engine.microphoneOpen()) << "a refused open leaves the microphone closed";
    EXPECT_EQ(engine.callCount(QStringLiteral("openMicrophone")), 1);
    engine.clearCalls();
    EXPECT_TRUE(engine.calls().isEmpty());
}

TEST(EngineFake, Join_AnswersAfterTheCallReturnsAsScripted)
{
    auto recorder = std::make_shared<Recorder>();
    FakeEngine engine;
    engine.setDelegate(recorder);
    KRTCJoinConfig config{QStringLiteral("r1"), QStringLiteral("me"), QStringLiteral("Me")};

    EXPECT_EQ(engine.joinRoom({QStringLiteral("app"), QStringLiteral("tok")}, config), 0);
    EXPECT_TRUE(recorder->events().isEmpty()) << "no answer inside joinRoom";
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder->events(), QStringList({"join:1:0", "room:0:me"}));
    EXPECT_TRUE(engine.isInRoom());
    EXPECT_EQ(engine.lastJoinAuthority().token, QStringLiteral("tok"));

    engine.leaveRoom();
    engine.setJoinResult(false, 7, QStringLiteral("refused"));
    engine.joinRoom({}, config);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder->events().mid(2), QStringList({"join:0:7"})) << "no room event after a failed join";
    EXPECT_FALSE(engine.isInRoom());

    engine.setJoinMode(FakeEngine::JoinMode::Manual);
    engine.joinRoom({}, config);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder->events().size(), 3);
}

TEST(EngineFake, EventsFromAForeignThreadArriveOnThatThread)
{
    auto recorder = std::make_shared<Recorder>();
    FakeEngine engine;
    engine.setDelegate(recorder);
    std::thread::id foreign;
    FakeEngine::onForeignThread([&] {
        foreign = std::this_thread::get_id();
        engine.emitMemberJoined(QStringLiteral("p2"), QStringLiteral("Two"));
        KRTCVideoFrame frame;
        frame.channelIndex = 1;
        frame.seiContent = QStringLiteral("12.5");
        engine.emitRenderFrame(QStringLiteral("p2"), frame, KRTCSourceType::CustomVideo);
        engine.emitSpeakerVolumeChange(KRTCPeerId::levelId(QStringLiteral("p2"), true), true, 40);
        KRTCStatistics stats;
        stats.peerId = QStringLiteral("p2");
        stats.videoRtt = 88;
        engine.emitStatistics(stats);
    });
    EXPECT_NE(foreign, std::this_thread::get_id());
    EXPECT_EQ(recorder->lastThread(), foreign);
    EXPECT_EQ(recorder->events(), QStringList({"joined:p2:Two", "frame:p2:3:1:12.5", "level:p2:1:40", "stats:p2:88"}));
}

TEST(EngineFake, ADroppedDelegateIsNeverCalled)
{
    FakeEngine engine;
    auto recorder = std::make_shared<Recorder>();
    std::weak_ptr<Recorder> watch = recorder;
    engine.setDelegate(recorder);
    EXPECT_TRUE(engine.hasDelegate());
    recorder.reset();
    EXPECT_TRUE(watch.expired());
    engine.emitReconnecting(); // nobody to call: nothing happens
    EXPECT_FALSE(engine.hasDelegate());

    auto second = std::make_shared<Recorder>();
    engine.setDelegate(second);
    engine.setDelegate({});
    engine.emitReconnecting();
    EXPECT_TRUE(second->events().isEmpty());
}

TEST(EngineFake, Scope_HandsOutFakesAndForgetsDestroyedOnes)
{
    KRTCEngineConfig config;
    config.domain = QStringLiteral("127.0.0.1");
    {
        FakeEngineScope scope;
        scope.onCreate = [](FakeEngine &engine) { engine.setJoinMode(FakeEngine::JoinMode::Manual); };
        auto engine = KRTCEngineFactory::create(config);
        ASSERT_EQ(scope.engine(), engine.get());
        EXPECT_EQ(scope.engine()->config().domain, QStringLiteral("127.0.0.1"));
        EXPECT_EQ(scope.createdCount(), 1);
        engine.reset();
        EXPECT_EQ(scope.engine(), nullptr);
    }
    auto engine = KRTCEngineFactory::create(config);
    EXPECT_NE(dynamic_cast<LocalEngine *>(engine.get()), nullptr) << "the app's default is the local engine";
}

TEST(EngineFake, AnalyzePerformance_GoesToTheInstalledHandler)
{
    QString seenUser;
    int code = -1;
    KRTCEngineFactory::setAnalyzeHandler([&](const QString &, const QString &userId, const QString &, const QString &,
                                             KRTCEngineOC::AnalyzeCallback cb) {
        seenUser = userId;
        cb(0);
    });
    KRTCEngineOC::analyzePerformance({}, QStringLiteral("enc"), QStringLiteral("Name"), {}, [&](int c) { code = c; });
    EXPECT_EQ(seenUser, QStringLiteral("enc"));
    EXPECT_EQ(code, 0);

    KRTCEngineFactory::setAnalyzeHandler(nullptr);
    std::atomic<int> localCode{-1};
    KRTCEngineOC::analyzePerformance({}, QStringLiteral("enc"), QStringLiteral("Name"), QStringLiteral("/nonexistent"),
                                     [&](int c) { localCode = c; });
    ASSERT_TRUE(processEventsUntil([&] { return localCode != -1; }));
    EXPECT_EQ(localCode, KRTCEngineOC::AnalyzePackFailed) << "the default is the local engine's upload";
}

} // namespace
