// A long meeting, run by hand: ten minutes of project time in the meeting window (the fake engine,
// the local stand-in in-process, the grid offscreen in 1400 x 804) with 16 participants, a few of
// whom leave and come back every few seconds, every one speaking in turn, video at 5 frames a
// second for the tiles that receive it, and a chat line every few seconds. Memory is read once
// the meeting is warm (after one such minute) and at the end; the growth must stay under 2 MB.
//
//   meeting_soak_bench [--benchmark_counters_tabular=true]
//   meeting_soak_bench --short    what the tests run: warm for 1 minute, then 1 minute of project time
//                                 (every path of the long form, a tenth of its time); fails when
//                                 the meeting does not run or, without sanitizers (their allocator
//                                 keeps freed memory), when memory grows by more than 1 MB
//
// Counters: anon_start_MB / anon_end_MB (the process's anonymous memory), heap_start_MB /
// heap_end_MB (bytes the allocator has handed out), and their growth.

#include "BenchMeeting.h"
#include "BenchProcess.h"

#include "agent/engine/LocalPicture.h"
#include "connection/IMMessage.h"

#ifdef KORVI_WITH_STANDIN
#include "BenchMeetingWindow.h"
#endif

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

#ifdef KORVI_WITH_STANDIN
using bench::Meeting;
using bench::processUntil;

constexpr int kParticipants = 16;
constexpr int kStepMs = 200;           // one frame for every receiving tile per step
constexpr int kTurnoverEveryMs = 4000; // two participants leave, two come back
constexpr int kChatEveryMs = 3000;

double anonMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double heapMB()
{
    return double(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

class Soak {
public:
    explicit Soak(Meeting &m) : m_meeting(m)
    {
        for (int i = 0; i < kParticipants; ++i) {
            const QString id = RXEncrypt::aes128ecbEncrypt(QString::number(13700000000LL + i));
            m_ids << id;
            m_names << QStringLiteral("成员%1").arg(i);
            KRTCVideoFrame frame;
            frame.image = LocalPicture::participant(QSize(640, 360), m_names.last(), 0, LocalPicture::seedFor(id));
            m_frames << frame;
            m_present << false;
        }
    }

    bool start()
    {
        for (int i = 0; i < kParticipants; ++i)
            join(i);
        return processUntil([&] { return m_meeting.gridHas(kParticipants + 1); });
    }

    // Project time moves by ms, in steps, with the meeting's events of each step.
    void run(qint64 ms)
    {
        for (qint64 done = 0; done < ms; done += kStepMs) {
            const qint64 now = m_elapsed + done;
            if (now % kTurnoverEveryMs == 0)
                turnover(int(now / kTurnoverEveryMs));
            if (now % kChatEveryMs == 0)
                chat(int(now / kChatEveryMs));
            speak(int(now / kStepMs));
            frames();
            m_meeting.clock.clock.advance(std::chrono::milliseconds(kStepMs));
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        m_elapsed += ms;
    }

    void end()
    {
        for (int i = 0; i < kParticipants; ++i) {
            if (m_present[i])
                m_meeting.engine()->emitMemberLeft(m_ids[i]);
        }
        processUntil([&] { return m_meeting.gridHas(1); });
    }

private:
    void join(int i)
    {
        m_meeting.engine()->emitMemberJoined(m_ids[i], m_names[i]);
        m_meeting.engine()->emitStreamPublished(m_ids[i], 1, true, true);
        m_present[i] = true;
    }

    void turnover(int round)
    {
        for (int k = 0; k < 2; ++k) {
            const int i = (round * 2 + k) % kParticipants;
            if (m_present[i]) {
                m_meeting.engine()->emitMemberLeft(m_ids[i]);
                m_present[i] = false;
            } else {
                join(i);
            }
        }
    }

    void speak(int step)
    {
        // Levels many times a second, as an engine reports them, from whoever speaks now.
        const int i = (step / 10) % kParticipants;
        if (m_present[i])
            m_meeting.engine()->emitSpeakerVolumeChange(KRTCPeerId::levelId(m_ids[i], true), true, 60);
    }

    void chat(int n)
    {
        const int i = n % kParticipants;
        IMMessage line;
        line.type = 0;
        line.msgId = n + 1;
        line.sender = RXEncrypt::aes128ecbDecrypt(m_ids[i]);
        line.senderName = m_names[i];
        line.data = QStringList{QStringLiteral("第%1条：今天的议程按计划进行。").arg(n)};
        m_meeting.page->receiveMessage(line);
    }

    void frames()
    {
        // What the window told the engine since the last step; the engine's record is emptied so
        // that it does not grow over the meeting.
        const Meeting::Receiving r = m_meeting.receiving();
        for (auto it = r.receiving.cbegin(); it != r.receiving.cend(); ++it)
            m_receiving.insert(it.key(), it.value());
        m_meeting.engine()->clearCalls();
        for (int i = 0; i < kParticipants; ++i) {
            if (m_present[i] && m_receiving.value(m_ids[i], false)) {
                KRTCVideoFrame frame = m_frames[i];
                frame.timestampMs = ++m_tick;
                m_meeting.engine()->emitRenderFrame(m_ids[i], frame, 1);
            }
        }
    }

    Meeting &m_meeting;
    QStringList m_ids;
    QStringList m_names;
    QList<KRTCVideoFrame> m_frames;
    QList<bool> m_present;
    QHash<QString, bool> m_receiving;
    qint64 m_elapsed = 0;
    qint64 m_tick = 0;
};

Meeting *g_meeting = nullptr;

struct Growth {
    double anonStart = 0, anonEnd = 0, heapStart = 0, heapEnd = 0;
};

// The soak: warm for warmMs, then measured for runMs; nullopt when the meeting did not run.
std::optional<Growth> soakFor(Meeting &m, qint64 warmMs, qint64 runMs)
{
    m.engine()->clearCalls();
    Soak soak(m);
    if (!soak.start())
        return std::nullopt;
    soak.run(warmMs); // every path taken once
    malloc_trim(0);
    Growth growth;
    growth.anonStart = anonMB();
    growth.heapStart = heapMB();
    soak.run(runMs);
    malloc_trim(0);
    growth.anonEnd = anonMB();
    growth.heapEnd = heapMB();
    soak.end();
    return growth;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

int runShort(Meeting &m)
{
    const std::optional<Growth> growth = soakFor(m, 60 * 1000, 60 * 1000);
    if (!growth) {
        std::fprintf(stderr, "the grid did not get the participants\n");
        return 1;
    }
    const double anon = growth->anonEnd - growth->anonStart;
    const double heap = growth->heapEnd - growth->heapStart;
    std::printf("anon_growth_MB=%.3f heap_growth_MB=%.3f%s\n", anon, heap,
                kSanitized ? " (sanitized: not judged)" : "");
    if (!kSanitized && (anon > 1.0 || heap > 1.0)) {
        std::fprintf(stderr, "memory grew over a minute of the meeting\n");
        return 1;
    }
    return 0;
}

void BM_TenMinuteMeeting(benchmark::State &state)
{
    for (auto _ : state) {
        const std::optional<Growth> growth = soakFor(*g_meeting, 60 * 1000, 10 * 60 * 1000);
        if (!growth) {
            state.SkipWithError("the grid did not get the participants");
            return;
        }
        state.counters["anon_start_MB"] = growth->anonStart;
        state.counters["anon_end_MB"] = growth->anonEnd;
        state.counters["anon_growth_MB"] = growth->anonEnd - growth->anonStart;
        state.counters["heap_start_MB"] = growth->heapStart;
        state.counters["heap_end_MB"] = growth->heapEnd;
        state.counters["heap_growth_MB"] = growth->heapEnd - growth->heapStart;
    }
}

BENCHMARK(BM_TenMinuteMeeting)->Iterations(1)->Unit(benchmark::kSecond);
#endif

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/korvi-bench-XXXXXX"));
    if (!root.isValid())
        return 2;
    bench::makeFolders(root.path());
    setenv("HOME", root.path().toLocal8Bit().constData(), 1);
    bench::useFolders(root.path());
    if (!bench::useDesktopScreen(root.path()))
        return 2;
    setenv("QT_QPA_UPDATE_IDLE_TIME", "0", 1);

    const bool brief = argc > 1 && std::strcmp(argv[1], "--short") == 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    benchmark::Initialize(&argc, argv);
#ifdef KORVI_WITH_STANDIN
    {
        Meeting meeting;
        if (!meeting.ready) {
            std::fprintf(stderr, "the meeting window did not open\n");
            return 1;
        }
        if (brief)
            return runShort(meeting);
        g_meeting = &meeting;
        benchmark::RunSpecifiedBenchmarks();
        g_meeting = nullptr;
    }
#else
    if (brief) {
        std::fprintf(stderr, "built without the local stand-in service\n");
        return 1;
    }
#endif
    benchmark::Shutdown();
    return 0;
}
