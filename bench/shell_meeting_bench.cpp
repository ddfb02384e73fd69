// A meeting as the client runs it, against a bare Qt program doing the same visible work
// (bare_tiles): CPU and peak memory with N other participants, every one with camera and
// microphone, in a grid of 1400 x 804 that shows 9 tiles at a time. The client is the whole
// application (start-up, home page, joining by the room's number, the meeting window) with the
// local media engine at 15 frames a second; the local stand-in service answers it from a process of
// its own, so its CPU is not counted as the client's.
// The two programs run in turn, pair by pair, on the same four processors; the figures are medians.
// BM_ThirtyAgainstEight runs the client with 30 and with 8 participants in turn: the cost must
// follow what is on screen.
// BM_IdleWakeUps counts how often an idle client wakes up, under an Xvfb of its own: on its home
// window, and alone in a meeting with camera and microphone off, against a bare window whose
// field is focused (its cursor blinking).
//
//   shell_meeting_bench                     30 against 8 (BM_ThirtyAgainstEight), five to seven pairs within 90 s
//   shell_meeting_bench --benchmark_filter=At15fps/8   (/0/, /16/, /30/; Idle/0, Idle/1): one of the
//                                           others, each under two minutes
//   shell_meeting_bench --child N SECONDS   one client run: prints "cpu=<share of one core> ..."
//                                           (KORVI_BENCH_THREADS=1: the events a second, by receiver)
//   shell_meeting_bench --idle-child home|meeting SECONDS   prints "wakeups=<a second> cpu=..."
//                                           (KORVI_BENCH_THREADS=1: the threads that woke, on stderr)

#include "BenchMeeting.h"
#include "BenchProcess.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/models/MeetingDataModel.h"
#include "shell/AppDelegateMac.h"
#include "shell/MacWindowsManager.h"
#include "shell/MainPageViewController.h"

#ifdef KORVI_WITH_STANDIN
#include "devservice/DevService.h"
#include "routes/EngineRoutes.h"
#endif

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace {

using bench::kPhone;
using bench::kRoomId;
constexpr int kWarmupMs = 1500;

#ifdef KORVI_WITH_STANDIN
// The stand-in service with the room and its participants, in a process of its own (forked before
// the client makes its application), so its work is not charged to the client. Its port, or 0.
quint16 startStandIn(int participants)
{
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    const pid_t pid = fork();
    if (pid < 0)
        return 0;
    if (pid == 0) {
        ::close(fds[0]);
        prctl(PR_SET_PDEATHSIG, SIGKILL); // it goes with the client
        int argc = 1;
        char name[] = "korvi-standin";
        char *argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        DevService service;
        quint16 port = service.start() ? service.port() : 0;
        service.state().addUser(kPhone, kPhone, bench::kUserName, bench::kToken);
        service.state().addUser(QStringLiteral("13900000000"), QStringLiteral("13900000000"), QStringLiteral("主持人"),
                                QStringLiteral("token-host"));
        service.state().addRoom(kRoomId, QStringLiteral("13900000000"), QStringLiteral("周会"));
        for (int i = 0; i < participants; ++i) {
            EngineSimPeer peer;
            peer.userName = QStringLiteral("成员%1").arg(i + 1);
            EngineRoutes::addSimulatedPeer(service, kRoomId, peer);
        }
        const bool told = ::write(fds[1], &port, sizeof port) == sizeof port;
        ::close(fds[1]);
        std::_Exit(told && port ? QCoreApplication::exec() : 2);
    }
    ::close(fds[1]);
    quint16 port = 0;
    if (::read(fds[0], &port, sizeof port) != sizeof port)
        port = 0;
    ::close(fds[0]);
    return port;
}

// With KORVI_BENCH_THREADS set: which events reached which objects while measured, on standard error.
class EventTally final : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_on && event->type() != QEvent::Paint && event->type() != QEvent::UpdateRequest)
            ++m_counts[std::to_string(int(event->type())) + " " + watched->metaObject()->className() + " " +
                       watched->objectName().toStdString()];
        return false;
    }
    void start() { m_on = std::getenv("KORVI_BENCH_THREADS") != nullptr; }
    void print(double seconds) const
    {
        for (const auto &[what, n] : m_counts)
            std::fprintf(stderr, "  event %-50s %.2f/s\n", what.c_str(), double(n) / seconds);
    }

private:
    bool m_on = false;
    std::map<std::string, long long> m_counts;
};

int runChild(int argc, char **argv)
{
    const int participants = argc > 2 ? std::atoi(argv[2]) : 8;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 8;
    const quint16 port = startStandIn(participants);
    if (!port)
        return 2;
    qputenv("KORVI_DEV_PORT", QByteArray::number(port));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    VeskAppAgent::sharedInstance()->setMyInfo(bench::signedInUser());

    AppDelegateMac delegate{QStringLiteral("dev")};
    if (delegate.applicationDidFinishLaunching() != AppDelegateMac::Launch::Running)
        return 3;
    MacWindowsManager *windows = MacWindowsManager::sharedManager();

    bench::CpuShare cpu;
    EventTally tally;
    app.installEventFilter(&tally);
    bool joined = false;
    bool measuring = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!joined) {
            if (MainPageViewController *home = windows->mainPageViewController()) {
                joined = true;
                MeetingDataModel meeting;
                meeting.roomId = kRoomId;
                home->joinRoom(meeting);
            }
            return;
        }
        VideoCollectionView *grid = bench::gridOf(windows->meetingPage());
        VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
        if (measuring || !grid || !manager || manager->state() != VeskMeetingManager::StateInRoom ||
            grid->numberOfItems() < participants + 1)
            return;
        measuring = true;
        poll.stop();
        bench::fitGrid(grid->window(), grid, [] { QCoreApplication::processEvents(); });
        QTimer::singleShot(kWarmupMs, [&, grid] {
            cpu.start();
            tally.start();
            QTimer::singleShot(int(seconds * 1000), [&, grid, seconds] {
                tally.print(seconds);
                const double share = cpu.share();
                const QRectF tile = grid->itemFrames().value(0);
                std::printf("cpu=%.5f tiles=%lld tile_w=%.0f tile_h=%.0f viewport_w=%d viewport_h=%d\n", share,
                            static_cast<long long>(grid->numberOfItems()), tile.width(), tile.height(),
                            grid->scrollArea()->viewport()->width(), grid->scrollArea()->viewport()->height());
                std::fflush(stdout);
                // Quitting is refused while a meeting is open: the measurement is done, so end here.
                std::_Exit(0);
            });
        });
    });
    poll.start(50);
    return QApplication::exec();
}
// The client left idle on its home window, or alone in the room (the stand-in's rooms open with
// camera and microphone off); its window active, as a user's would be.
int runIdleChild(int argc, char **argv)
{
    const bool meeting = argc > 2 && std::strcmp(argv[2], "meeting") == 0;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 10;
    const quint16 port = startStandIn(0);
    if (!port)
        return 2;
    qputenv("KORVI_DEV_PORT", QByteArray::number(port));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    VeskAppAgent::sharedInstance()->setMyInfo(bench::signedInUser());
    AppDelegateMac delegate{QStringLiteral("dev")};
    if (delegate.applicationDidFinishLaunching() != AppDelegateMac::Launch::Running)
        return 3;
    MacWindowsManager *windows = MacWindowsManager::sharedManager();

    bench::CpuShare cpu;
    bench::WakeUpRate wakeUps;
    EventTally tally;
    app.installEventFilter(&tally);
    bool joined = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        MainPageViewController *home = windows->mainPageViewController();
        QWidget *shown = home ? home->window() : nullptr;
        if (meeting) {
            if (!joined && home) {
                joined = true;
                MeetingDataModel room;
                room.roomId = kRoomId;
                home->joinRoom(room);
            }
            VideoCollectionView *grid = bench::gridOf(windows->meetingPage());
            VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
            const bool inRoom = manager && manager->state() == VeskMeetingManager::StateInRoom;
            shown = inRoom && grid && grid->numberOfItems() >= 1 ? grid->window() : nullptr;
        }
        if (!shown || !shown->isVisible())
            return;
        poll.stop();
        shown->window()->activateWindow();
        QTimer::singleShot(bench::kIdleSettleMs, [&, seconds] {
            cpu.start();
            wakeUps.start();
            tally.start();
            QTimer::singleShot(int(seconds * 1000), [&, seconds] {
                tally.print(seconds);
                std::printf("wakeups=%.3f cpu=%.5f\n", wakeUps.perSecond(), cpu.share());
                std::fflush(stdout);
                std::_Exit(0); // quitting is refused while a meeting is open
            });
        });
    });
    poll.start(50);
    return QApplication::exec();
}
#else
int runChild(int, char **)
{
    std::fprintf(stderr, "built without the local stand-in service\n");
    return 2;
}
int runIdleChild(int argc, char **argv)
{
    return runChild(argc, argv);
}
#endif

// Two runs in turn and the CPU shares they print; nothing when either failed or printed none.
struct Shares {
    bench::ProcessRun first, second;
    double firstShare = 0, secondShare = 0;
};

std::optional<Shares> runReportingShares(const std::vector<std::string> &first, const std::vector<std::string> &second,
                                         bool &flip)
{
    auto [a, b] = bench::runInTurn(first, second, flip);
    const double shareA = bench::figure(a.output, "cpu");
    const double shareB = bench::figure(b.output, "cpu");
    if (!a.ok || !b.ok || shareA <= 0 || shareB <= 0)
        return std::nullopt;
    return Shares{std::move(a), std::move(b), shareA, shareB};
}

void BM_MeetingAt15fps(benchmark::State &state)
{
    const int participants = int(state.range(0));
    const std::string seconds = "4";
    const std::vector<std::string> client{"/proc/self/exe", "--child", std::to_string(participants), seconds};
    // Nine tiles on screen: the own audio card and up to eight cameras.
    const std::vector<std::string> bare{KORVI_BARE_TILES, std::to_string(std::min(participants, 8)), seconds};
    bench::Medians figures;
    bool flip = false;
    for (auto _ : state) {
        const std::optional<Shares> runs = runReportingShares(client, bare, flip);
        if (!runs) {
            state.SkipWithError("a run did not report its CPU share");
            return;
        }
        const auto &[a, b, share, bareShare] = *runs;
        state.SetIterationTime(share);
        figures.add("client_cpu_pct", share * 100);
        figures.add("bare_cpu_pct", bareShare * 100);
        figures.add("ratio", share / bareShare);
        figures.add("client_MB", a.peakMB);
        figures.add("bare_MB", b.peakMB);
        state.SetLabel(a.output.substr(a.output.find("tiles=")));
    }
    figures.report(state.counters);
}

// The meeting's cost follows what is on screen: 30 participants against 8, both with 9 tiles on
// screen, run in turn.
void BM_ThirtyAgainstEight(benchmark::State &state)
{
    const std::string seconds = "4";
    const std::vector<std::string> thirty{"/proc/self/exe", "--child", "30", seconds};
    const std::vector<std::string> eight{"/proc/self/exe", "--child", "8", seconds};
    bench::Medians figures;
    bool flip = false;
    for (auto _ : state) {
        // Seven pairs, or no fewer than five where a busy machine would take the program past 90 s.
        bench::PairBudget pairs(5, 7, std::chrono::seconds(80));
        while (pairs.another()) {
            const std::optional<Shares> runs = runReportingShares(thirty, eight, flip);
            if (!runs) {
                state.SkipWithError("a run did not report its CPU share");
                return;
            }
            const auto &[a, b, shareA, shareB] = *runs;
            figures.add("cpu_ratio", shareA / shareB);
            figures.add("peak_ratio", a.peakMB / b.peakMB);
            figures.add("cpu30_pct", shareA * 100);
            figures.add("cpu8_pct", shareB * 100);
            figures.add("MB30", a.peakMB);
            figures.add("MB8", b.peakMB);
        }
        state.SetIterationTime(figures.median("cpu30_pct") / 100);
    }
    figures.report(state.counters);
    state.counters["pairs"] = figures.count("cpu_ratio");
}

// Wake-ups a second of the client idle on home (0) or alone in a meeting (1) against the bare
// window with a focused field, run in turn on one Xvfb.
void BM_IdleWakeUps(benchmark::State &state)
{
    static bench::Xvfb xvfb;
    if (!xvfb.start()) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    const std::string platform = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("DISPLAY", xvfb.display().c_str(), 1);
    const std::string seconds = "6";
    const std::vector<std::string> client{"/proc/self/exe", "--idle-child", state.range(0) ? "meeting" : "home",
                                          seconds};
    const std::vector<std::string> bare{KORVI_BARE_FORM, "home", "idle", seconds};
    bench::Medians figures;
    bool flip = false;
    for (auto _ : state) {
        const auto [a, b] = bench::runInTurn(client, bare, flip);
        if (!a.ok || !b.ok) {
            state.SkipWithError("a run did not report its wake-ups");
            break;
        }
        const double client = bench::figure(a.output, "wakeups");
        const double bare = bench::figure(b.output, "wakeups");
        state.SetIterationTime(client);
        figures.add("client_per_s", client);
        figures.add("bare_per_s", bare);
        figures.add("beyond_bare_per_s", client - bare);
        figures.add("client_cpu_pct", bench::figure(a.output, "cpu") * 100);
    }
    figures.report(state.counters);
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
}

BENCHMARK(BM_MeetingAt15fps)->Arg(0)->Arg(8)->Arg(16)->Arg(30)->Iterations(5)->UseManualTime();
BENCHMARK(BM_ThirtyAgainstEight)->Iterations(1)->UseManualTime();
BENCHMARK(BM_IdleWakeUps)->Arg(0)->Arg(1)->Iterations(5)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--idle-child") == 0)
        return runIdleChild(argc, argv);
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/korvi-meeting-XXXXXX"));
    if (!root.isValid())
        return 2;

    // Every run in folders of its own, on a screen as large as a desktop's, and on the same four
    // processors, as a laptop's.
    bench::keepToProcessors(4);
    bench::makeFolders(root.path());
    bench::useFolders(root.path());
    if (!bench::useDesktopScreen(root.path()))
        return 2;

    // By default the one figure the meeting's cost is judged by; the others by name, one at a time.
    char thirty[] = "--benchmark_filter=BM_ThirtyAgainstEight";
    std::vector<char *> args = bench::withDefaultFilter(argc, argv, thirty);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
