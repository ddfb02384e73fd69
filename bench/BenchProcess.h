#pragma once

// Runs one program as a child process and measures it from outside: the time until it reports
// a mark on its standard output (its first line), and the operating system's own accounting of
// the finished child (user + system CPU, peak resident memory). Used to compare the client with
// a bare Qt program doing the same visible work, the two run in turn so that a machine whose
// speed drifts moves both. Also what the children share: their own CPU share, the first-paint
// mark, private folders and a desktop-sized offscreen screen.

#include <sched.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

inline double cpuSeconds(const struct rusage &usage)
{
    return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6 + double(usage.ru_stime.tv_sec) +
           double(usage.ru_stime.tv_usec) / 1e6;
}

// User + system CPU of this process so far.
inline double cpuSeconds()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

// This process's CPU time per second of wall time since start().
class CpuShare {
public:
    void start()
    {
        m_cpu = cpuSeconds();
        m_wall = std::chrono::steady_clock::now();
    }
    [[nodiscard]] double share() const
    {
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wall).count();
        return (cpuSeconds() - m_cpu) / wall;
    }

private:
    double m_cpu = 0;
    std::chrono::steady_clock::time_point m_wall;
};

struct ProcessRun {
    bool ok = false;
    double markSeconds = 0; // start -> first line on stdout
    double wallSeconds = 0; // start -> exit
    double cpuSeconds = 0;  // user + system of the child
    double peakMB = 0;      // largest resident set
    std::string output;     // everything written on stdout
};

inline ProcessRun runProcess(const std::vector<std::string> &argv)
{
    ProcessRun run;
    int out[2];
    if (argv.empty() || pipe(out) != 0)
        return run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char *> args;
        for (const std::string &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    char buffer[4096];
    bool marked = false;
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        run.output.append(buffer, size_t(n));
        if (!marked && run.output.find('\n') != std::string::npos) {
            marked = true;
            run.markSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    close(out[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = cpuSeconds(usage);
    run.peakMB = double(usage.ru_maxrss) / 1024.0;
    run.ok = marked && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// Two programs, one after the other; which goes first alternates from call to call.
inline std::pair<ProcessRun, ProcessRun> runInTurn(const std::vector<std::string> &first,
                                                   const std::vector<std::string> &second, bool &flip)
{
    std::pair<ProcessRun, ProcessRun> runs;
    if (flip) {
        runs.second = runProcess(second);
        runs.first = runProcess(first);
    } else {
        runs.first = runProcess(first);
        runs.second = runProcess(second);
    }
    flip = !flip;
    return runs;
}

// Keeps this process, and the children it starts from now on, to `count` of the processors it may
// use (all of them when it may use fewer). A child the kernel moves between processors pays for
// it, and by a different amount in each run; on the same few processors two programs compared in
// turn spread far less from run to run.
inline void keepToProcessors(int count)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) <= count)
        return;
    cpu_set_t kept;
    CPU_ZERO(&kept);
    for (int cpu = 0, taken = 0; cpu < CPU_SETSIZE && taken < count; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            CPU_SET(cpu, &kept);
            ++taken;
        }
    }
    sched_setaffinity(0, sizeof kept, &kept);
}

// The command line, with filter (a "--benchmark_filter=..." argument) added when it names no
// filter of its own nor asks for the list: a program's default figure, the others by name.
inline std::vector<char *> withDefaultFilter(int argc, char **argv, char *filter)
{
    std::vector<char *> args(argv, argv + argc);
    if (std::none_of(args.cbegin(), args.cend(), [](const char *arg) {
            return std::strncmp(arg, "--benchmark_filter", 18) == 0 || std::strncmp(arg, "--benchmark_list", 16) == 0;
        }))
        args.push_back(filter);
    return args;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// How many pairs a comparison takes: at least `least`, at most `most`, and no further pair once the
// next one (as long as the pairs so far took on average) would end past the budget. A busy machine
// takes fewer pairs instead of running past the program's two minutes.
class PairBudget {
public:
    PairBudget(int least, int most, std::chrono::seconds budget) : m_least(least), m_most(most), m_budget(budget) {}

    [[nodiscard]] bool another()
    {
        const auto spent = std::chrono::steady_clock::now() - m_start;
        if (m_taken >= m_most)
            return false;
        if (m_taken >= m_least && spent + spent / m_taken > m_budget)
            return false;
        ++m_taken;
        return true;
    }
    [[nodiscard]] int taken() const { return m_taken; }

private:
    const int m_least;
    const int m_most;
    const std::chrono::steady_clock::duration m_budget;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    int m_taken = 0;
};

// Figures collected run by run, each reported as its median (into a benchmark's counters).
class Medians {
public:
    void add(const std::string &name, double value) { m_values[name].push_back(value); }
    [[nodiscard]] double median(const std::string &name) const
    {
        const auto found = m_values.find(name);
        return found == m_values.end() ? 0 : bench::median(found->second);
    }
    [[nodiscard]] int count(const std::string &name) const
    {
        const auto found = m_values.find(name);
        return found == m_values.end() ? 0 : int(found->second.size());
    }
    template <typename Counters> void report(Counters &counters) const
    {
        for (const auto &[name, values] : m_values)
            counters[name] = bench::median(values);
    }

private:
    std::map<std::string, std::vector<double>> m_values;
};

// Seconds one call of work takes: called again and again for at least minSeconds, on this thread.
template <typename Work> double secondsPerCall(Work &&work, double minSeconds = 0.05)
{
    const auto start = std::chrono::steady_clock::now();
    long calls = 0;
    double elapsed = 0;
    do {
        work();
        ++calls;
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < minSeconds);
    return elapsed / double(calls);
}

// How the cost grows with the items: work(few) and work(many) timed in turn, round by round, so a
// machine whose speed drifts moves both; into counters: each one's median time (ms) and the median
// of the rounds' ratios ("ratio").
template <typename Work, typename Counters>
void growthInTurn(Work &&work, int few, int many, int rounds, Counters &counters)
{
    Medians medians;
    for (int round = 0; round < rounds; ++round) {
        const double a = secondsPerCall([&] { work(few); });
        const double b = secondsPerCall([&] { work(many); });
        medians.add("ms_" + std::to_string(few), a * 1000);
        medians.add("ms_" + std::to_string(many), b * 1000);
        medians.add("ratio", b / a);
    }
    medians.report(counters);
}

// A figure the child prints as "name=value" on its output; 0 when missing.
inline double figure(const std::string &output, const std::string &name)
{
    const std::string key = name + "=";
    size_t at = output.find(key);
    while (at != std::string::npos && at > 0 && output[at - 1] != ' ' && output[at - 1] != '\n')
        at = output.find(key, at + 1);
    return at == std::string::npos ? 0 : std::atof(output.c_str() + at + key.size());
}

// Times the threads of this process went to sleep and were woken since it started (voluntary
// context switches, summed over its threads): what an idle program costs a battery. With
// perThread, one "name tid count" line per thread.
inline long long wakeUps(std::map<std::string, long long> *perThread = nullptr)
{
    long long total = 0;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &tid : tasks) {
        QFile status(QStringLiteral("/proc/self/task/") + tid + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        QByteArray name;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Name:"))
                name = line.mid(5).trimmed();
            if (line.startsWith("voluntary_ctxt_switches:")) {
                const long long n = line.mid(24).trimmed().toLongLong();
                total += n;
                if (perThread)
                    (*perThread)[name.toStdString() + " " + tid.toStdString()] = n;
            }
        }
    }
    return total;
}

// How long an idle program is left to settle before its wake-ups are counted.
inline constexpr int kIdleSettleMs = 3000;

// Wake-ups a second over a span of an idle program: start(), then perSecond() at its end. With
// KORVI_BENCH_THREADS set, the threads that woke are listed on standard error.
class WakeUpRate {
public:
    void start()
    {
        m_before.clear();
        m_count = wakeUps(&m_before);
        m_wall = std::chrono::steady_clock::now();
    }
    [[nodiscard]] double perSecond() const
    {
        std::map<std::string, long long> after;
        const long long count = wakeUps(&after);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wall).count();
        if (std::getenv("KORVI_BENCH_THREADS")) {
            for (const auto &[thread, n] : after) {
                const auto was = m_before.find(thread);
                const long long woke = n - (was == m_before.end() ? 0 : was->second);
                if (woke > 0)
                    std::fprintf(stderr, "  %-40s %.2f/s\n", thread.c_str(), double(woke) / wall);
            }
        }
        return wall > 0 ? double(count - m_count) / wall : 0;
    }

private:
    long long m_count = 0;
    std::map<std::string, long long> m_before;
    std::chrono::steady_clock::time_point m_wall;
};

// Reports the end of the first paint pass on standard output ("painted"), then quits.
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

// The folders a run keeps its settings, data, state, caches and runtime files in, below root (and
// any further ones named); the runtime folder is the owner's alone, as it must be.
inline void makeFolders(const QString &root, std::initializer_list<const char *> more = {})
{
    for (const char *sub : {"config", "data", "state", "cache", "runtime"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    for (const char *sub : more)
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Points this process and its children at the folders below root; settings in config (root's own
// config folder when empty).
inline void useFolders(const QString &root, const QString &config = QString())
{
    const QByteArray base = root.toLocal8Bit();
    const QByteArray settings = config.isEmpty() ? base + "/config" : config.toLocal8Bit();
    setenv("XDG_CONFIG_HOME", settings.constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("XDG_STATE_HOME", (base + "/state").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").constData(), 1);
}

// Offscreen windows on one 1920 x 1080 screen, described in a file below folder: the default
// screen is smaller than the meeting window, and a window off the screen is never painted.
inline bool useDesktopScreen(const QString &folder)
{
    QFile screens(folder + QStringLiteral("/screens.json"));
    if (!screens.open(QIODevice::WriteOnly))
        return false;
    screens.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.close();
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.fileName().toLocal8Bit()).constData(), 1);
    return true;
}

// An X server of its own (Xvfb picks a free display) for children run on the xcb platform, so a
// start-up is measured with the drawing an X server does too, not only offscreen.
class Xvfb {
public:
    Xvfb() = default;
    Xvfb(const Xvfb &) = delete;
    Xvfb &operator=(const Xvfb &) = delete;
    ~Xvfb() { stop(); }

    bool start(int width = 1920, int height = 1080)
    {
        int fds[2];
        if (m_pid > 0 || pipe(fds) != 0)
            return m_pid > 0;
        const std::string fd = std::to_string(fds[1]);
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        m_pid = fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                   "-noreset", static_cast<char *>(nullptr));
            _exit(127);
        }
        ::close(fds[1]);
        std::string number;
        char c = 0;
        while (m_pid > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (m_pid < 0 || number.empty()) {
            stop();
            return false;
        }
        m_display = ":" + number;
        // The number can come a moment before the socket takes connections.
        const std::string socket = "/tmp/.X11-unix/X" + number;
        for (int i = 0; i < 500 && access(socket.c_str(), F_OK) != 0; ++i)
            usleep(10000);
        return access(socket.c_str(), F_OK) == 0;
    }
    void stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }
    [[nodiscard]] const std::string &display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

} // namespace bench
