// Start-up to the first painted window: the client's sign-in window (nobody signed in) and home
// window (a signed-in user stored), each against a bare Qt program showing a window with the same
// Chinese texts (bare_form). The two run in turn, pair by pair; the figures are medians.
//
// A run is a whole process: from its start to the line it prints once its first window has been
// painted ("mark"), plus its CPU time and peak memory until it has quit.
//
//   shell_startup_bench                      the pairs (--benchmark_filter=/0 sign-in, /1 home)
//   shell_startup_bench --child              one client start-up, as app/main.cpp runs it

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

// Reports the end of the first paint pass, then quits.
class FirstPaint final : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The first widget painted: its window's whole paint pass follows before the posted
        // event, which goes ahead of everything else queued meanwhile.
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
        }
        return false;
    }
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        std::puts("painted");
        std::fflush(stdout);
        QCoreApplication::quit();
        return true;
    }

private:
    bool m_seen = false;
};

int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvi"));
    QApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));
    FirstPaint probe;
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

void useFolders(const QString &config)
{
    const QByteArray base = g_folders->root.path().toLocal8Bit();
    setenv("XDG_CONFIG_HOME", config.toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("XDG_STATE_HOME", (base + "/state").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").constData(), 1);
}

void BM_StartupToWindow(benchmark::State &state)
{
    const bool home = state.range(0) == 1;
    useFolders(home ? g_folders->signedIn : g_folders->signedOut);
    const std::vector<std::string> client{"/proc/self/exe", "--child"};
    const std::vector<std::string> bare{KORVI_BARE_FORM, home ? "home" : "login"};
    std::vector<double> marks, bareMarks, ratios, cpu, bareCpu, peak, barePeak, peakRatios;
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
        if (!a.ok || !b.ok) {
            state.SkipWithError("a run did not paint its window");
            return;
        }
        state.SetIterationTime(a.markSeconds);
        marks.push_back(a.markSeconds * 1e3);
        bareMarks.push_back(b.markSeconds * 1e3);
        ratios.push_back(a.markSeconds / b.markSeconds);
        cpu.push_back(a.cpuSeconds * 1e3);
        bareCpu.push_back(b.cpuSeconds * 1e3);
        peak.push_back(a.peakMB);
        barePeak.push_back(b.peakMB);
        peakRatios.push_back(a.peakMB / b.peakMB);
    }
    state.counters["client_ms"] = bench::median(marks);
    state.counters["bare_ms"] = bench::median(bareMarks);
    state.counters["ratio"] = bench::median(ratios);
    state.counters["client_cpu_ms"] = bench::median(cpu);
    state.counters["bare_cpu_ms"] = bench::median(bareCpu);
    state.counters["client_MB"] = bench::median(peak);
    state.counters["bare_MB"] = bench::median(barePeak);
    state.counters["peak_ratio"] = bench::median(peakRatios);
}

BENCHMARK(BM_StartupToWindow)->Arg(0)->Arg(1)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

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
    for (const char *sub : {"signed-out", "signed-in", "data", "state", "cache", "runtime"})
        QDir().mkpath(folders.root.path() + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(folders.root.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    folders.signedOut = folders.root.path() + QStringLiteral("/signed-out");
    folders.signedIn = folders.root.path() + QStringLiteral("/signed-in");

    // The signed-in user is stored as the client stores it.
    useFolders(folders.signedIn);
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("korvi"));
        VeskUserModel me;
        me.userId = QStringLiteral("13800000000");
        me.phoneNumber = QStringLiteral("13800000000");
        me.userName = QStringLiteral("张三");
        me.authorization = QStringLiteral("token-13800000000");
        VeskAppAgent::sharedInstance()->setMyInfo(me);
        VeskAppAgent::sharedInstance()->saveMyInfoToLocal();
        VeskAppAgent::resetSharedInstance();
        if (!QFile::exists(folders.signedIn + QStringLiteral("/korvi")) ||
            QDir(folders.signedIn + QStringLiteral("/korvi")).isEmpty()) {
            std::fprintf(stderr, "the signed-in user was not stored\n");
            return 2;
        }
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
