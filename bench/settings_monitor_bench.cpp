// Cost of the system monitor's feed as the meeting grows: a member change that rebuilds the
// lists, and one round of statistics reports (each member's camera and microphone), for N
// members. Records are found through an index by member id and the list has row widgets only for
// what is in view, so both stay linear in N: BM_MemberChangeGrowth times 200 and 2,000 members in
// turn, round by round, and the median ratio must stay at most 11 (10x the members).

#include "BenchProcess.h"

#include "settings/KVSettingMonitorFeed.h"
#include "settings/KVSettingMonitorPanel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

QList<KVSettingMonitorFeed::Tile> tiles(int n)
{
    QList<KVSettingMonitorFeed::Tile> out;
    for (int i = 0; i < n; ++i) {
        const QString id = QStringLiteral("1380000%1").arg(i, 4, 10, QLatin1Char('0'));
        auto tile = std::make_shared<MeetingActiveModel>(1, id, id, QStringLiteral("成员%1").arg(i), false, nullptr);
        tile->setAudioFlag(true);
        out.append(tile);
    }
    return out;
}

struct Monitor {
    KVSettingMonitorPanel panel;
    KVSettingMonitorFeed feed{[this] { return &panel; }};
    Monitor()
    {
        panel.resize(610, 520);
        panel.show();
    }
};

void BM_MemberChange(benchmark::State &state)
{
    const int n = int(state.range(0));
    const auto members = tiles(n);
    Monitor monitor;
    monitor.feed.onMemberChange(members, nullptr, nullptr);
    for (auto _ : state) {
        monitor.feed.onMemberChange(members, nullptr, nullptr);
        QCoreApplication::processEvents(); // the list lays itself out
    }
    state.SetComplexityN(n);
}

void BM_MemberChangeGrowth(benchmark::State &state)
{
    std::map<int, QList<KVSettingMonitorFeed::Tile>> lists{{200, tiles(200)}, {2000, tiles(2000)}};
    std::map<int, std::unique_ptr<Monitor>> monitors;
    for (const auto &[n, members] : lists) {
        monitors[n] = std::make_unique<Monitor>();
        monitors[n]->feed.onMemberChange(members, nullptr, nullptr);
    }
    for (auto _ : state) {
        bench::growthInTurn(
            [&](int n) {
                // One leaves, and comes back: two member changes of a meeting of n.
                monitors[n]->feed.onMemberChange(lists[n].mid(1), nullptr, nullptr);
                monitors[n]->feed.onMemberChange(lists[n], nullptr, nullptr);
                QCoreApplication::processEvents();
            },
            200, 2000, 7, state.counters);
    }
}

void BM_StatisticsRound(benchmark::State &state)
{
    const int n = int(state.range(0));
    const auto members = tiles(n);
    Monitor monitor;
    monitor.feed.onMemberChange(members, nullptr, nullptr);
    QCoreApplication::processEvents(); // laid out as the user sees it
    KRTCStatistics video;
    video.videoSourceType = 1;
    video.frameWidth = 640;
    video.frameHeight = 360;
    KRTCStatistics audio;
    audio.audioSourceType = 1;
    qint64 round = 0;
    for (auto _ : state) {
        ++round;
        for (const auto &member : members) {
            video.peerId = member->phoneNumber();
            video.videoRecvBitrate = 1024 * (round % 500);
            video.videoLostRate = round % 20;
            monitor.feed.remoteVideoChange(video);
            audio.peerId = member->phoneNumber();
            audio.audioRecvBitrate = 1024 * (round % 64);
            monitor.feed.remoteAudioChange(audio);
        }
        QCoreApplication::processEvents(); // what changed is drawn
    }
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_MemberChange)->Arg(50)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_MemberChangeGrowth)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_StatisticsRound)->Arg(50)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->Complexity();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
