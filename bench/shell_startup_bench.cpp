// Start-up to the first painted window: the client's sign-in window (nobody signed in) and home
// window (a signed-in user stored), each against a bare Qt program showing a window with the same
// Chinese texts (bare_form). The two run in turn, pair by pair; the figures are medians.
//
// A run is a whole process: from its start to the line it prints once its first window has been
// painted ("mark"), plus its CPU time and peak memory until it has quit.
//
//   shell_startup_bench                      the pairs (--benchmark_filter=/0/ sign-in, /1/ home;
//                                            a second /0 offscreen, /1 under an Xvfb of its own)
//   shell_startup_bench --child              one client start-up, as app/main.cpp runs it

#include "BenchMeeting.h"
#include "BenchProcess.h"

#include "agent/VeskAppAgent.h"
#include "shell/AppDelegateMac.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvi"));
    QApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));
    bench::FirstPaint probe;
    app.installEventFilter(&probe);
    AppDelegateMac delegate{QStringLiteral("dev")};
    if (delegate.applicationDidFinishLaunching() == AppDelegateMac::Launch::HandedOver)
        return 3;
    return QApplication::exec();
}

struct Folders {
    QTemporaryDir root{QDir::tempPath() + QStringLiteral("/korvi-startup-XXXXXX")};
    QString signedOut;
    QString signedIn;
};

Folders *g_folders = nullptr;

bench::Xvfb *g_xvfb = nullptr;

// Offscreen, or on an X server of its own (what drawing to a real display adds), for both programs.
bool usePlatform(bool x11)
{
    // Offscreen on a desktop-sized screen: the default one is smaller than the home window, which
    // the client keeps inside the screen (scroll bars and all) while the bare form overflows it.
    if (!x11)
        return bench::useDesktopScreen(g_folders->root.path());
    if (!g_xvfb->start())
        return false;
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("DISPLAY", g_xvfb->display().c_str(), 1);
    return true;
}

void BM_StartupToWindow(benchmark::State &state)
{
    const bool home = state.range(0) == 1;
    if (!usePlatform(state.range(1) == 1)) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    bench::useFolders(g_folders->root.path(), home ? g_folders->signedIn : g_folders->signedOut);
    const std::vector<std::string> client{"/proc/self/exe", "--child"};
    const std::vector<std::string> bare{KORVI_BARE_FORM, home ? "home" : "login"};
    bench::Medians figures;
    bool flip = false;
    for (auto _ : state) {
        const auto [a, b] = bench::runInTurn(client, bare, flip);
        if (!a.ok || !b.ok) {
            state.SkipWithError("a run did not paint its window");
            return;
        }
        state.SetIterationTime(a.markSeconds);
        figures.add("client_ms", a.markSeconds * 1e3);
        figures.add("bare_ms", b.markSeconds * 1e3);
        figures.add("ratio", a.markSeconds / b.markSeconds);
        figures.add("client_cpu_ms", a.cpuSeconds * 1e3);
        figures.add("bare_cpu_ms", b.cpuSeconds * 1e3);
        figures.add("client_MB", a.peakMB);
        figures.add("bare_MB", b.peakMB);
        figures.add("peak_ratio", a.peakMB / b.peakMB);
    }
    figures.report(state.counters);
}

// Arguments: sign-in (0) or home (1); offscreen (0) or under Xvfb (1).
BENCHMARK(BM_StartupToWindow)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(21)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Folders folders;
    if (!folders.root.isValid())
        return 2;
    g_folders = &folders;
    bench::makeFolders(folders.root.path(), {"signed-out", "signed-in"});
    folders.signedOut = folders.root.path() + QStringLiteral("/signed-out");
    folders.signedIn = folders.root.path() + QStringLiteral("/signed-in");

    // The signed-in user is stored as the client stores it.
    bench::useFolders(folders.root.path(), folders.signedIn);
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("korvi"));
        VeskAppAgent::sharedInstance()->setMyInfo(bench::signedInUser());
        VeskAppAgent::sharedInstance()->saveMyInfoToLocal();
        VeskAppAgent::resetSharedInstance();
        if (!QFile::exists(folders.signedIn + QStringLiteral("/korvi")) ||
            QDir(folders.signedIn + QStringLiteral("/korvi")).isEmpty()) {
            std::fprintf(stderr, "the signed-in user was not stored\n");
            return 2;
        }
    }

    bench::Xvfb xvfb; // started by the first run that needs it
    g_xvfb = &xvfb;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
