// A meeting as the client runs it, against a bare Qt program doing the same visible work
// (bare_tiles): CPU and peak memory with N other participants, every one with camera and
// microphone, in a grid of 1400 x 804 that shows 9 tiles at a time. The client is the whole
// application (start-up, home page, joining by the room's number, the meeting window) with the
// local media engine at 15 frames a second; the local stand-in service answers it in-process.
// The two programs run in turn, pair by pair; the figures are medians. BM_ThirtyAgainstEight runs
// the client with 30 and with 8 participants in turn: the cost must follow what is on screen.
//
//   shell_meeting_bench                     the pairs (--benchmark_filter=/8/, /30/, Thirty)
//   shell_meeting_bench --child N SECONDS   one client run: prints "cpu=<share of one core> ..."

#include "BenchProcess.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/models/MeetingDataModel.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "shell/AppDelegateMac.h"
#include "shell/MacWindowsManager.h"
#include "shell/MainPageViewController.h"

#ifdef KORVI_WITH_STANDIN
#include "devservice/DevService.h"
#include "routes/EngineRoutes.h"
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const QString kRoomId = QStringLiteral("123456789");
const QString kPhone = QStringLiteral("13800000000");
constexpr QSize kGridViewport(1400, 804);
constexpr int kWarmupMs = 2000;

double cpuSeconds()
{
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) / 1e6 + double(u.ru_stime.tv_sec) +
           double(u.ru_stime.tv_usec) / 1e6;
}

#ifdef KORVI_WITH_STANDIN
VideoCollectionView *gridOf(MeetingViewController *page)
{
    return page ? qobject_cast<VideoCollectionView *>(page->ui->videoCollectionView.data()) : nullptr;
}

// Resizes the meeting window until the grid's viewport has the measured size.
void fitGrid(VideoCollectionView *grid)
{
    QWidget *window = grid->window();
    for (int i = 0; i < 4; ++i) {
        const QSize viewport = grid->scrollArea()->viewport()->size();
        if (viewport == kGridViewport)
            return;
        window->setMinimumSize(0, 0);
        window->resize(window->size() + (kGridViewport - viewport));
        QCoreApplication::processEvents();
    }
}

int runChild(int argc, char **argv)
{
    const int participants = argc > 2 ? std::atoi(argv[2]) : 8;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 8;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));

    DevService service;
    if (!service.start())
        return 2;
    qputenv("KORVI_DEV_PORT", QByteArray::number(service.port()));
    const QString token = QStringLiteral("token-") + kPhone;
    service.state().addUser(kPhone, kPhone, QStringLiteral("张三"), token);
    service.state().addUser(QStringLiteral("13900000000"), QStringLiteral("13900000000"), QStringLiteral("主持人"),
                            QStringLiteral("token-host"));
    service.state().addRoom(kRoomId, QStringLiteral("13900000000"), QStringLiteral("周会"));
    for (int i = 0; i < participants; ++i) {
        EngineSimPeer peer;
        peer.userName = QStringLiteral("成员%1").arg(i + 1);
        EngineRoutes::addSimulatedPeer(service, kRoomId, peer);
    }
    VeskUserModel me;
    me.userId = kPhone;
    me.phoneNumber = kPhone;
    me.userName = QStringLiteral("张三");
    me.authorization = token;
    VeskAppAgent::sharedInstance()->setMyInfo(me);

    AppDelegateMac delegate{QStringLiteral("dev")};
    if (delegate.applicationDidFinishLaunching() != AppDelegateMac::Launch::Running)
        return 3;
    MacWindowsManager *windows = MacWindowsManager::sharedManager();

    double startCpu = 0;
    QElapsedTimer wall;
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
        VideoCollectionView *grid = gridOf(windows->meetingPage());
        VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
        if (measuring || !grid || !manager || manager->state() != VeskMeetingManager::StateInRoom ||
            grid->numberOfItems() < participants + 1)
            return;
        measuring = true;
        poll.stop();
        fitGrid(grid);
        QTimer::singleShot(kWarmupMs, [&, grid] {
            startCpu = cpuSeconds();
            wall.start();
            QTimer::singleShot(int(seconds * 1000), [&, grid] {
                const double share = (cpuSeconds() - startCpu) / (double(wall.nsecsElapsed()) / 1e9);
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
#else
int runChild(int, char **)
{
    std::fprintf(stderr, "built without the local stand-in service\n");
    return 2;
}
#endif

void BM_MeetingAt15fps(benchmark::State &state)
{
    const int participants = int(state.range(0));
    const std::string seconds = "8";
    const std::vector<std::string> client{"/proc/self/exe", "--child", std::to_string(participants), seconds};
    // Nine tiles on screen: the own audio card and up to eight cameras.
    const std::vector<std::string> bare{KORVI_BARE_TILES, std::to_string(std::min(participants, 8)), seconds};
    std::vector<double> cpu, bareCpu, ratios, peak, barePeak;
    bool flip = false;
    for (auto _ : state) {
        bench::ProcessRun a, b;
        if (flip) {
            b = bench::runProcess(bare);
            a = bench::runProcess(client);
        } else {
            a = bench::runProcess(client);
            b = bench::runProcess(bare);
        }
        flip = !flip;
        const double share = bench::figure(a.output, "cpu");
        const double bareShare = bench::figure(b.output, "cpu");
        if (!a.ok || !b.ok || share <= 0 || bareShare <= 0) {
            state.SkipWithError("a run did not report its CPU share");
            return;
        }
        state.SetIterationTime(share);
        cpu.push_back(share * 100);
        bareCpu.push_back(bareShare * 100);
        ratios.push_back(share / bareShare);
        peak.push_back(a.peakMB);
        barePeak.push_back(b.peakMB);
        state.SetLabel(a.output.substr(a.output.find("tiles=")));
    }
    state.counters["client_cpu_pct"] = bench::median(cpu);
    state.counters["bare_cpu_pct"] = bench::median(bareCpu);
    state.counters["ratio"] = bench::median(ratios);
    state.counters["client_MB"] = bench::median(peak);
    state.counters["bare_MB"] = bench::median(barePeak);
}

// The meeting's cost follows what is on screen: 30 participants against 8, both with 9 tiles on
// screen, run in turn.
void BM_ThirtyAgainstEight(benchmark::State &state)
{
    const std::string seconds = "8";
    const std::vector<std::string> thirty{"/proc/self/exe", "--child", "30", seconds};
    const std::vector<std::string> eight{"/proc/self/exe", "--child", "8", seconds};
    std::vector<double> cpuRatios, peakRatios, cpu30, cpu8, peak30, peak8;
    bool flip = false;
    for (auto _ : state) {
        bench::ProcessRun a, b;
        if (flip) {
            b = bench::runProcess(eight);
            a = bench::runProcess(thirty);
        } else {
            a = bench::runProcess(thirty);
            b = bench::runProcess(eight);
        }
        flip = !flip;
        const double shareA = bench::figure(a.output, "cpu");
        const double shareB = bench::figure(b.output, "cpu");
        if (!a.ok || !b.ok || shareA <= 0 || shareB <= 0) {
            state.SkipWithError("a run did not report its CPU share");
            return;
        }
        state.SetIterationTime(shareA);
        cpuRatios.push_back(shareA / shareB);
        peakRatios.push_back(a.peakMB / b.peakMB);
        cpu30.push_back(shareA * 100);
        cpu8.push_back(shareB * 100);
        peak30.push_back(a.peakMB);
        peak8.push_back(b.peakMB);
    }
    state.counters["cpu30_pct"] = bench::median(cpu30);
    state.counters["cpu8_pct"] = bench::median(cpu8);
    state.counters["cpu_ratio"] = bench::median(cpuRatios);
    state.counters["MB30"] = bench::median(peak30);
    state.counters["MB8"] = bench::median(peak8);
    state.counters["peak_ratio"] = bench::median(peakRatios);
}

BENCHMARK(BM_MeetingAt15fps)->Arg(0)->Arg(8)->Arg(16)->Arg(30)->Iterations(7)->UseManualTime();
BENCHMARK(BM_ThirtyAgainstEight)->Iterations(9)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/korvi-meeting-XXXXXX"));
    if (!root.isValid())
        return 2;

    // Every run in folders of its own, on a screen as large as a desktop's.
    const QByteArray base = root.path().toLocal8Bit();
    for (const char *sub : {"config", "data", "state", "cache", "runtime"})
        QDir().mkpath(root.path() + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(root.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv("XDG_CONFIG_HOME", (base + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("XDG_STATE_HOME", (base + "/state").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").constData(), 1);
    QFile screens(root.path() + QStringLiteral("/screens.json"));
    if (!screens.open(QIODevice::WriteOnly))
        return 2;
    screens.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.close();
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.fileName().toLocal8Bit()).constData(), 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
