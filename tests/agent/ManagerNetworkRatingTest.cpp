// The network rating rule and the statistics the manager passes on.

#include "ManagerTestSupport.h"

#include "agent/NetworkRating.h"
#include "foundation/NotificationCenter.h"

using namespace std::chrono_literals;

namespace {

KRTCStatistics stats(KRTCStatsKind kind, qint64 loss, qint64 rtt, const QString &peerId = "p")
{
    KRTCStatistics s;
    s.kind = kind;
    s.peerId = peerId;
    s.videoLostRate = s.audioLostRate = loss;
    s.videoRtt = s.audioRtt = rtt;
    return s;
}

TEST(ManagerNetworkRating, LevelsFollowLossAndRoundTrip)
{
    EXPECT_EQ(NetworkRating::levelFor(0, 0), 0);
    EXPECT_EQ(NetworkRating::levelFor(2, 199), 0);
    EXPECT_EQ(NetworkRating::levelFor(3, 10), 1);
    EXPECT_EQ(NetworkRating::levelFor(0, 200), 1);
    EXPECT_EQ(NetworkRating::levelFor(14, 699), 2);
    EXPECT_EQ(NetworkRating::levelFor(29, 1499), 3);
    EXPECT_EQ(NetworkRating::levelFor(30, 0), 4);
    EXPECT_EQ(NetworkRating::levelFor(0, 1500), 4);
    KRTCStatistics audio = stats(KRTCStatsKind::LocalAudio, 0, 0);
    audio.videoLostRate = 90; // a video figure does not rate an audio stream
    EXPECT_EQ(NetworkRating::levelFor(audio), 0);
}

TEST(ManagerNetworkRating, OwnStreamsRateTheLinkElseTheBestRemoteOne)
{
    NetworkRating r;
    r.addStatistics(stats(KRTCStatsKind::RemoteVideo, 0, 50, "good-sender"), 0);
    auto out = r.addStatistics(stats(KRTCStatsKind::RemoteVideo, 40, 0, "bad-sender"), 0);
    EXPECT_EQ(out.level, 0); // one clean remote stream: our downlink is fine
    out = r.addStatistics(stats(KRTCStatsKind::LocalAudio, 10, 0), 100);
    EXPECT_EQ(out.level, 2); // the own uplink decides once we send
    out = r.addStatistics(stats(KRTCStatsKind::LocalAudio, 0, 0), 7000);
    out = r.addStatistics(stats(KRTCStatsKind::RemoteVideo, 40, 0, "bad-sender"), 11100);
    EXPECT_EQ(out.level, 0); // records older than 6 s no longer count
}

TEST(ManagerNetworkRating, WorseAtOnceBetterAfterFourSecondsChangesOnly)
{
    NetworkRating r;
    auto out = r.addStatistics(stats(KRTCStatsKind::LocalVideo, 0, 0), 0);
    EXPECT_TRUE(out.levelChanged);
    EXPECT_EQ(out.level, 0);
    out = r.addStatistics(stats(KRTCStatsKind::LocalVideo, 0, 0), 2000);
    EXPECT_FALSE(out.levelChanged);
    out = r.addStatistics(stats(KRTCStatsKind::LocalVideo, 20, 0), 4000);
    EXPECT_TRUE(out.levelChanged);
    EXPECT_EQ(out.level, 3);
    out = r.addStatistics(stats(KRTCStatsKind::LocalVideo, 0, 0), 6000);
    EXPECT_FALSE(out.levelChanged);
    out = r.addStatistics(stats(KRTCStatsKind::LocalVideo, 5, 0), 8000);
    EXPECT_FALSE(out.levelChanged);
    out = r.addStatistics(stats(KRTCStatsKind::LocalVideo, 0, 0), 10000);
    EXPECT_TRUE(out.levelChanged);
    EXPECT_EQ(out.level, 1); // the worst level seen while waiting
}

TEST(ManagerNetworkRating, WarningsAreRateLimited)
{
    NetworkRating r;
    qint64 t = 0;
    auto feed = [&](qint64 loss) { return r.addStatistics(stats(KRTCStatsKind::LocalAudio, loss, 0), t); };
    EXPECT_FALSE(feed(0).networkWarning);
    t = 2000;
    EXPECT_TRUE(feed(20).networkWarning);
    int warnings = 0;
    for (int i = 0; i < 4; ++i) { // back to good and poor again within the minute: no more
        t += 5000;
        feed(0);
        t += 5000;
        feed(0);
        t += 1000;
        warnings += feed(20).networkWarning;
    }
    EXPECT_EQ(warnings, 0);
    EXPECT_EQ(r.level(), 3);
    t += 60000;
    feed(0);
    t += 5000;
    feed(0);
    t += 2000;
    EXPECT_TRUE(feed(20).networkWarning);

    // Audio-only advice: level 4 held for 10 s, then not again for 5 minutes.
    int qos = 0;
    for (int i = 0; i <= 6; ++i) {
        t += 2000;
        qos += feed(50).qosWarning;
    }
    EXPECT_EQ(qos, 1);
    for (int i = 0; i < 100; ++i) {
        t += 2000;
        qos += feed(50).qosWarning;
    }
    EXPECT_EQ(qos, 1);
    t += 200000;
    EXPECT_TRUE(feed(50).qosWarning);
}

TEST_F(ManagerTest, Statistics_PostNotificationsAndRatingOnTheMainThread)
{
    joinToRoom();
    QObject observer;
    QStringList posted;
    QList<int> states;
    KRTCStatistics seen;
    auto &center = NotificationCenter::defaultCenter();
    for (const char *name : {"NETWORKMONITORNOTIVIDEO", "NETWORKMONITORNOTIAUDIO", "NETWORKMONITORNOTILOCALVIDEO",
                             "NETWORKMONITORNOTILOCALAUDIO", "MEETINGNETWORKWARNNING", "MEETINGQOSWARNNING"}) {
        center.addObserver(&observer, name, [&, name](const Notification &n) {
            posted << QString(name) + (MainQueue::isMainThread() ? "" : " OFF-MAIN");
            if (n.object.canConvert<KRTCStatistics>())
                seen = n.object.value<KRTCStatistics>();
        });
    }
    center.addObserver(&observer, "MEETINGNETWORKSTATE",
                       [&](const Notification &n) { states << n.userInfo.value("NetworkState").toInt(); });

    FakeEngine::onForeignThread([&] {
        engine().emitStatistics(stats(KRTCStatsKind::RemoteVideo, 0, 0, "peer-a"));
        engine().emitStatistics(stats(KRTCStatsKind::LocalAudio, 0, 0));
        engine().emitStatistics(stats(KRTCStatsKind::LocalVideo, 50, 0));
        engine().emitStatistics(stats(KRTCStatsKind::RemoteAudio, 0, 0));
    });
    settle();
    EXPECT_EQ(posted,
              (QStringList{"NETWORKMONITORNOTIVIDEO", "NETWORKMONITORNOTILOCALAUDIO", "NETWORKMONITORNOTILOCALVIDEO",
                           "MEETINGNETWORKWARNNING", "NETWORKMONITORNOTIAUDIO"}));
    EXPECT_EQ(seen.kind, KRTCStatsKind::RemoteAudio);
    EXPECT_EQ(states, (QList<int>{0, 4}));
    EXPECT_EQ(recorder.only("remoteVideoStats").size(), 1);
    EXPECT_EQ(recorder.only("localAudioStats").size(), 1);
}

} // namespace
