// The share of a Wayland desktop as the client runs it, against a bare program doing the same
// visible work (bare_pipewire: pipewiresrc into an appsink at the same rate, each frame taken made
// into the stream's 1280 x 720 picture, nothing else): CPU while a 1920 x 1080 screen changes 30
// times a second. The screen is a PipeWire daemon of the bench's own
// with the tests' source, offered through the tests' fake desktop portal on a private bus. The
// client is the whole application in a meeting (the room's share size, 1280 x 720), its share
// started from the share button as a user starts it; it and the stand-in service and the portal run in
// processes of their own, so only the client's CPU is counted. The two programs run in turn, pair
// by pair; the figures are medians. The target: the client at most 1.3x the bare program.
// BM_WhereTheShareGoes splits the client's cost: the same meeting without a share, and a bare
// program that only reads the frames (most of the cost is making the stream's picture).
//
//   shell_portalshare_bench                    the pairs (BM_ShareAChangingScreen), within 90 s
//   shell_portalshare_bench --benchmark_filter=BM_WhereTheShareGoes   the split, about three minutes
//   shell_portalshare_bench --child SECONDS [meeting]   one client run (without the share):
//                                              prints "cpu=<share of one core> frames=<a second>"

#include "BenchMeeting.h"
#include "BenchProcess.h"
#include "FakePortal.h"
#include "PrivatePipeWire.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/PortalDesktopCapture.h"
#include "foundation/models/MeetingDataModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/sharing/ScreenShareControl.h"
#include "meeting/sharing/ShareSelectCells.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "shell/AppDelegateMac.h"
#include "shell/MacWindowsManager.h"
#include "shell/MainPageViewController.h"

#ifdef KORVI_WITH_STANDIN
#include "devservice/DevService.h"
#endif

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using bench::kPhone;
using bench::kRoomId;
constexpr int kWarmupMs = 3000;
constexpr int kScreenChangesPerSecond = 30;
constexpr int kStuckMs = 90000;

#ifdef KORVI_WITH_STANDIN

// Runs body in a forked process of its own with an event loop (it goes with the client); the
// value body writes into the pipe, or 0.
template <typename Body> quint16 forkService(Body body)
{
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    const pid_t pid = fork();
    if (pid < 0)
        return 0;
    if (pid == 0) {
        ::close(fds[0]);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int argc = 1;
        char name[] = "korvi-bench-service";
        char *argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        std::_Exit(body(fds[1]));
    }
    ::close(fds[1]);
    quint16 value = 0;
    if (::read(fds[0], &value, sizeof value) != sizeof value)
        value = 0;
    ::close(fds[0]);
    return value;
}

quint16 startStandIn()
{
    return forkService([](int out) {
        DevService service;
        quint16 port = service.start() ? service.port() : 0;
        service.state().addUser(kPhone, kPhone, bench::kUserName, bench::kToken);
        service.state().addUser(QStringLiteral("13900000000"), QStringLiteral("13900000000"), QStringLiteral("主持人"),
                                QStringLiteral("token-host"));
        service.state()
            .addRoom(kRoomId, QStringLiteral("13900000000"), QStringLiteral("周会"))
            .flags.insert(QStringLiteral("allowFileShared"), 1);
        const bool told = ::write(out, &port, sizeof port) == sizeof port;
        ::close(out);
        return told && port ? QCoreApplication::exec() : 2;
    });
}

// A new connection to the bench's PipeWire daemon, as the portal hands one out.
int connectToPipeWire()
{
    const QByteArray path = qgetenv("PIPEWIRE_RUNTIME_DIR") + "/pipewire-0";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || size_t(path.size()) >= sizeof(address.sun_path))
        return -1;
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The fake portal on the bench's bus; once the client has its remote, the portal links the
// screen's node to the client's stream, as a compositor's session manager would.
bool startPortal()
{
    return forkService([](int out) {
               QDBusConnection bus = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                                   QStringLiteral("korvi-bench-portal"));
               FakePortal portal(bus);
               portal.nodeId = quint32(qEnvironmentVariableIntValue("KORVI_BENCH_NODE"));
               portal.openRemote = [] { return connectToPipeWire(); };
               bool linked = false;
               QTimer link;
               QObject::connect(&link, &QTimer::timeout, [&] {
                   if (linked || !portal.calls.contains(QStringLiteral("OpenPipeWireRemote")))
                       return;
                   linked = QProcess::execute(QStringLiteral("pw-link"),
                                              {PrivatePipeWire::sourceName() + QStringLiteral(":out_0"),
                                               QStringLiteral("korvi-share:in_0")}) == 0;
               });
               link.start(200);
               const quint16 ready = bus.isConnected() ? 1 : 0;
               const bool told = ::write(out, &ready, sizeof ready) == sizeof ready;
               ::close(out);
               return told && ready ? QCoreApplication::exec() : 2;
           }) == 1;
}

// The desktop portal's capture as the client has it, counting the frames it hands on.
class CountingCapture final : public DesktopCaptureSource {
public:
    explicit CountingCapture(std::shared_ptr<DesktopCaptureSource> inner) : m_inner(std::move(inner)) {}
    [[nodiscard]] Backend backend() const override { return m_inner->backend(); }
    [[nodiscard]] QList<KRTCDesktopSource> screens(QSize size) const override { return m_inner->screens(size); }
    [[nodiscard]] QList<KRTCDesktopSource> windows(QSize size) const override { return m_inner->windows(size); }
    [[nodiscard]] QImage grab(int type, qint64 id) const override { return m_inner->grab(type, id); }
    [[nodiscard]] std::unique_ptr<DesktopCaptureStream> openStream(const KRTCScreenOption &option,
                                                                   DesktopCaptureSink sink) override
    {
        sink.onFrame = [onFrame = sink.onFrame, frames = m_frames](const QImage &frame) {
            frames->fetch_add(1);
            if (onFrame)
                onFrame(frame);
        };
        return m_inner->openStream(option, std::move(sink));
    }
    [[nodiscard]] long frames() const { return m_frames->load(); }

private:
    std::shared_ptr<DesktopCaptureSource> m_inner;
    std::shared_ptr<std::atomic<long>> m_frames = std::make_shared<std::atomic<long>>(0);
};

int runChild(int argc, char **argv)
{
    const double seconds = argc > 2 ? std::atof(argv[2]) : 8;
    // The same meeting without the share: what the client costs before it shares anything.
    const bool share = !(argc > 3 && std::strcmp(argv[3], "meeting") == 0);
    const quint16 port = startStandIn();
    if (!port || !startPortal())
        return 2;
    qputenv("KORVI_DEV_PORT", QByteArray::number(port));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    VeskAppAgent::sharedInstance()->setMyInfo(bench::signedInUser());
    auto capture =
        std::make_shared<CountingCapture>(std::make_shared<PortalDesktopCapture>(QDBusConnection::sessionBus()));
    DesktopCaptureSource::setCurrent(capture);

    AppDelegateMac delegate{QStringLiteral("dev")};
    if (delegate.applicationDidFinishLaunching() != AppDelegateMac::Launch::Running)
        return 3;
    MacWindowsManager *windows = MacWindowsManager::sharedManager();

    enum class Step { Join, Share, Choose, Flowing, Measuring } step = Step::Join;
    bench::CpuShare cpu;
    long framesBefore = 0;
    QElapsedTimer measured;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        MeetingViewController *page = windows->meetingPage();
        VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
        switch (step) {
        case Step::Join:
            if (MainPageViewController *home = windows->mainPageViewController()) {
                MeetingDataModel meeting;
                meeting.roomId = kRoomId;
                home->joinRoom(meeting);
                step = Step::Share;
            }
            return;
        case Step::Share:
            if (page && manager && manager->state() == VeskMeetingManager::StateInRoom) {
                if (share)
                    page->ui->shareBtn->click();
                step = share ? Step::Choose : Step::Flowing;
            }
            return;
        case Step::Choose:
            if (ShareSelectPanel *picker = page->sharing().shareControl()->currentShareSelectPanel();
                picker && !picker->screenItems().isEmpty()) {
                picker->screenItems().constFirst()->click();
                picker->startShareButton->click();
                step = Step::Flowing;
            }
            return;
        case Step::Flowing:
            // The count-down, the portal, the link: then the frames come.
            if (share && capture->frames() < 10)
                return;
            step = Step::Measuring;
            poll.stop();
            QTimer::singleShot(kWarmupMs, [&] {
                cpu.start();
                measured.start();
                framesBefore = capture->frames();
                QTimer::singleShot(int(seconds * 1000), [&] {
                    std::printf("cpu=%.5f frames=%.2f\n", cpu.share(),
                                double(capture->frames() - framesBefore) * 1000.0 / double(measured.elapsed()));
                    std::fflush(stdout);
                    // Quitting is refused while a meeting is open: the measurement is done, so end here.
                    std::_Exit(0);
                });
            });
            return;
        case Step::Measuring:
            return;
        }
    });
    poll.start(50);
    // A run that never gets its frames says where it stopped instead of hanging the pairs.
    QTimer::singleShot(kStuckMs, [&] {
        std::fprintf(stderr, "shell_portalshare_bench: no frames, stopped at step %d\n", int(step));
        std::_Exit(4);
    });
    return QApplication::exec();
}

// The bench's bus, for all runs.
PrivateBus *g_bus = nullptr;

// One program run against a screen of its own: a PipeWire node, like a portal's, serves one
// reader (the test source stops feeding a second one).
bench::ProcessRun runWithScreen(const std::vector<std::string> &argv, QString *why)
{
    PrivatePipeWire pipewire;
    if (!pipewire.start(QSize(1920, 1080), 0xff3060a0)) {
        *why = pipewire.why();
        return {};
    }
    pipewire.setRate(kScreenChangesPerSecond);
    setenv("PIPEWIRE_RUNTIME_DIR", pipewire.runtimeDir().toLocal8Bit().constData(), 1);
    setenv("KORVI_BENCH_NODE", QByteArray::number(pipewire.sourceNode()).constData(), 1);
    return bench::runProcess(argv);
}

// Runs each program on its screen, one after the other; the order turns round from call to call.
std::vector<bench::ProcessRun> runInTurn(const std::vector<std::vector<std::string>> &programs, bool &flip,
                                         QString *why)
{
    std::vector<bench::ProcessRun> runs(programs.size());
    for (size_t i = 0; i < programs.size(); ++i) {
        const size_t at = flip ? programs.size() - 1 - i : i;
        runs[at] = runWithScreen(programs[at], why);
    }
    flip = !flip;
    return runs;
}

constexpr const char *kSeconds = "5";

std::vector<std::string> clientRun(bool share)
{
    std::vector<std::string> argv{"/proc/self/exe", "--child", kSeconds};
    if (!share)
        argv.emplace_back("meeting");
    return argv;
}

// The bare program at the share's rate; with a size, it also makes the stream's picture of each
// frame it takes (the room's share size, stream level 2).
std::vector<std::string> bareRun(const char *fit = nullptr)
{
    std::vector<std::string> argv{KORVI_BARE_PIPEWIRE, PrivatePipeWire::sourceName().toStdString(), "15", kSeconds};
    if (fit)
        argv.emplace_back(fit);
    return argv;
}

void BM_ShareAChangingScreen(benchmark::State &state)
{
    if (!g_bus) {
        state.SkipWithError("no D-Bus daemon");
        return;
    }
    bench::Medians figures;
    bool flip = false;
    for (auto _ : state) {
        // Five pairs, or fewer where a busy machine would take the program past 90 s.
        bench::PairBudget pairs(3, 5, std::chrono::seconds(70));
        while (pairs.another()) {
            QString why;
            const auto runs = runInTurn({clientRun(true), bareRun("1280x720")}, flip, &why);
            const bench::ProcessRun &a = runs[0];
            const bench::ProcessRun &b = runs[1];
            const double clientCpu = bench::figure(a.output, "cpu");
            const double bareCpu = bench::figure(b.output, "cpu");
            if (!a.ok || !b.ok || clientCpu <= 0 || bareCpu <= 0) {
                state.SkipWithError(why.isEmpty() ? "a run did not report its CPU share" : why.toStdString().c_str());
                return;
            }
            figures.add("cpu_ratio", clientCpu / bareCpu);
            figures.add("client_cpu_pct", clientCpu * 100);
            figures.add("bare_cpu_pct", bareCpu * 100);
            figures.add("client_frames_per_s", bench::figure(a.output, "frames"));
            figures.add("bare_frames_per_s", bench::figure(b.output, "frames"));
        }
        state.SetIterationTime(figures.median("client_cpu_pct") / 100);
    }
    figures.report(state.counters);
    state.counters["pairs"] = figures.count("cpu_ratio");
}

void BM_WhereTheShareGoes(benchmark::State &state)
{
    if (!g_bus) {
        state.SkipWithError("no D-Bus daemon");
        return;
    }
    bench::Medians figures;
    bool flip = false;
    for (auto _ : state) {
        QString why;
        const auto runs = runInTurn({clientRun(true), clientRun(false), bareRun("1280x720"), bareRun()}, flip, &why);
        const bench::ProcessRun &a = runs[0];
        const bench::ProcessRun &m = runs[1];
        const bench::ProcessRun &f = runs[2];
        const bench::ProcessRun &b = runs[3];
        const double clientCpu = bench::figure(a.output, "cpu");
        const double meetingCpu = bench::figure(m.output, "cpu");
        const double bareCpu = bench::figure(b.output, "cpu");
        const double fitCpu = bench::figure(f.output, "cpu");
        if (!a.ok || !b.ok || !m.ok || !f.ok || clientCpu <= 0 || bareCpu <= 0 || meetingCpu <= 0 || fitCpu <= 0) {
            state.SkipWithError(why.isEmpty() ? "a run did not report its CPU share" : why.toStdString().c_str());
            return;
        }
        state.SetIterationTime(clientCpu);
        // What sharing adds to the meeting, against what reading the frames costs at all.
        figures.add("share_cpu_ratio", (clientCpu - meetingCpu) / bareCpu);
        figures.add("client_cpu_pct", clientCpu * 100);
        figures.add("client_meeting_cpu_pct", meetingCpu * 100);
        figures.add("bare_cpu_pct", bareCpu * 100);
        // Against a bare program that also makes the stream's picture of each frame it takes.
        figures.add("fit_cpu_ratio", clientCpu / fitCpu);
        figures.add("bare_fit_cpu_pct", fitCpu * 100);
    }
    figures.report(state.counters);
}

BENCHMARK(BM_ShareAChangingScreen)->Iterations(1)->UseManualTime();
BENCHMARK(BM_WhereTheShareGoes)->Iterations(5)->UseManualTime();

#endif

} // namespace

int main(int argc, char **argv)
{
#ifdef KORVI_WITH_STANDIN
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
#endif
    QCoreApplication app(argc, argv); // the screen's and the bus's processes
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/korvi-portalshare-XXXXXX"));
    if (!root.isValid())
        return 2;
    bench::makeFolders(root.path());
    bench::useFolders(root.path());
    if (!bench::useDesktopScreen(root.path()))
        return 2;
#ifdef KORVI_WITH_STANDIN
    PrivateBus bus;
    if (bus.start()) {
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toLocal8Bit().constData(), 1);
        g_bus = &bus;
    }
#endif
    // By default the figure the share is judged by; the split by name.
    char pairs[] = "--benchmark_filter=BM_ShareAChangingScreen";
    std::vector<char *> args = bench::withDefaultFilter(argc, argv, pairs);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
