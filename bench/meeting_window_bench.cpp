// The meeting window itself, joined to a room (media engine: the scriptable fake; requests: the
// local stand-in in-process; no message channel), its grid shown offscreen in 1400 x 804:
//
// - BM_ApplyMemberList/N: engine events for N participants (half of them with a camera) until
//   the window's grid holds every participant's tile. Untimed between runs: they all leave again
//   and what that queued is done. Each N has a window of its own and a fixed number of runs: the
//   chat keeps every join and leave line, so each program run does the same work in the same order.
// - BM_MembersLeave/N: N participants (half of them with a camera) leave at once, until the grid
//   holds only the own tile and the views they leave behind are gone. Untimed: they join again.
// - BM_OneFrame/T: one video frame of every participant the engine sends video of, routed to the
//   tiles and painted, with T tiles of which 9 are on screen. Only the tiles on screen (and those
//   within the visible-tile margin) receive video, so the cost must not grow with T. Counters:
//   frames the engine had to deliver and paint events per frame.
// - BM_SubtitleShowLine/N: a subtitle of N characters shown in the window's box and painted; the
//   cost must not grow with N (decoded once: the channel's JSON is not what is measured).

#include "BenchMeeting.h"
#include "BenchProcess.h"

#include "agent/engine/KRTCVideoView.h"
#include "agent/engine/LocalPicture.h"

#ifdef KORVI_WITH_STANDIN
#include "BenchMeetingWindow.h"
#include "foundation/models/KVSubTitleModel.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/SubtitlePanel.h"
#include "meeting/panels/SubtitleRules.h"
#include "meeting/window/MeetingViewControllerUi.h"
#endif

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// Counts paint events, by what was painted.
class PaintCounter final : public QObject {
public:
    int video = 0;
    int other = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            if (qobject_cast<KRTCVideoView *>(watched))
                ++video;
            else
                ++other;
        }
        return false;
    }
};

#ifdef KORVI_WITH_STANDIN
using bench::Meeting;
using bench::processUntil;
using bench::settle;

// Generous bounds: a loaded machine must not turn a slow run into a failed one.
constexpr int kBoundMs = 180000;

void BM_ApplyMemberList(benchmark::State &state)
{
    const int n = int(state.range(0));
    // A window of its own for each N: the chat keeps every join and leave line, so a window
    // shared by runs would make each run more costly than the last.
    Meeting m;
    if (!m.ready) {
        state.SkipWithError("the meeting window did not open");
        return;
    }
    QStringList ids;
    for (auto _ : state) {
        state.PauseTiming();
        m.leave(ids);
        if (!processUntil([&] { return m.gridHas(1); }, kBoundMs)) {
            state.SkipWithError("the participants did not leave");
            return;
        }
        settle(200); // what the leave queued is done before the timing resumes
        state.ResumeTiming();

        ids = m.join(n, false);
        if (!processUntil([&] { return m.gridHas(n + 1); }, kBoundMs)) {
            state.SkipWithError("the grid did not get the whole list");
            return;
        }
    }
    // The timing is over: the next benchmark starts from the own tile alone.
    m.leave(ids);
    processUntil([&] { return m.gridHas(1); });
    state.SetComplexityN(n);
}

void BM_MembersLeave(benchmark::State &state)
{
    const int n = int(state.range(0));
    Meeting m;
    if (!m.ready) {
        state.SkipWithError("the meeting window did not open");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const QStringList ids = m.join(n, false);
        if (!processUntil([&] { return m.gridHas(n + 1); }, kBoundMs)) {
            state.SkipWithError("the grid did not get the whole list");
            return;
        }
        settle(200); // what the join queued is done before the timing resumes
        state.ResumeTiming();

        m.leave(ids);
        if (!processUntil([&] { return m.gridHas(1); }, kBoundMs)) {
            state.SkipWithError("the participants did not leave");
            return;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.SetComplexityN(n);
}

// One engine tick: a frame for every participant the engine sends, routed and painted.
[[gnu::noinline]] void oneFrame(Meeting &m, const QList<QPair<QString, KRTCVideoFrame>> &frames, qint64 &tick)
{
    for (const auto &[id, frame] : frames) {
        KRTCVideoFrame f = frame;
        f.timestampMs = ++tick;
        m.engine()->emitRenderFrame(id, f, 1);
    }
    // The views' queued repaints, then the paint itself.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void BM_OneFrame(benchmark::State &state)
{
    const int tiles = int(state.range(0));
    Meeting m;
    if (!m.ready) {
        state.SkipWithError("the meeting window did not open");
        return;
    }
    m.engine()->clearCalls();
    const QStringList ids = m.join(tiles - 1, true);
    if (!processUntil([&] { return m.gridHas(tiles); })) {
        state.SkipWithError("the grid did not get the whole list");
        return;
    }
    settle();
    const Meeting::Receiving r = m.receiving();
    QList<QPair<QString, KRTCVideoFrame>> frames;
    for (int i = 0; i < ids.size(); ++i) {
        if (!r.receiving.value(ids[i], true))
            continue;
        KRTCVideoFrame frame;
        const QSize size = r.videoType.value(ids[i], 2) == 1 ? QSize(320, 180) : QSize(640, 360);
        frame.image =
            LocalPicture::participant(size, QStringLiteral("成员%1").arg(i), 0, LocalPicture::seedFor(ids[i]));
        frames.append({ids[i], frame});
    }
    PaintCounter paints;
    qApp->installEventFilter(&paints);
    qint64 tick = 0;
    for (int i = 0; i < 3; ++i)
        oneFrame(m, frames, tick); // parts of overlays drawn for the first time
    paints.video = paints.other = 0;
    for (auto _ : state)
        oneFrame(m, frames, tick);
    qApp->removeEventFilter(&paints);
    state.counters["frames"] = double(frames.size());
    state.counters["video_paints"] = double(paints.video) / double(state.iterations());
    state.counters["other_paints"] = double(paints.other) / double(state.iterations());
    m.leave(ids);
    processUntil([&] { return m.gridHas(1); });
}

void BM_SubtitleShowLine(benchmark::State &state)
{
    Meeting m;
    if (!m.ready) {
        state.SkipWithError("the meeting window did not open");
        return;
    }
    QString text;
    const QString word = QStringLiteral("transfer 100 to 9876 ");
    while (text.size() < state.range(0))
        text += word;
    text.truncate(state.range(0));
    SubtitlePanel &subtitles = m.page->panels().panel<SubtitlePanel>();
    subtitles.setShowSubtitleView(true);
    KVSubTitleModel result;
    result.resultType = KVSubTitleModel::Temporary;
    result.senderName = QStringLiteral("李四");
    for (auto _ : state) {
        KVSubTitleModel shown = result;
        shown.showText = SubtitleRules::boundedText(text); // where it enters
        subtitles.showSubTitleText({shown});
        m.page->ui->subtitleBKView->repaint();
    }
}

BENCHMARK(BM_ApplyMemberList)
    ->Arg(100)
    ->Arg(500)
    ->Arg(2000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_MembersLeave)->Arg(500)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_OneFrame)->Arg(9)->Arg(30)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubtitleShowLine)->Arg(50)->Arg(2'000'000)->Unit(benchmark::kMicrosecond);
#endif

} // namespace

int main(int argc, char **argv)
{
    // Folders of its own, a desktop-sized offscreen screen.
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/korvi-bench-XXXXXX"));
    if (!root.isValid())
        return 2;
    bench::makeFolders(root.path());
    setenv("HOME", root.path().toLocal8Bit().constData(), 1);
    bench::useFolders(root.path());
    if (!bench::useDesktopScreen(root.path()))
        return 2;
    // A window's update request is delivered by the next pass of the event loop, not after an idle
    // wait: each frame then ends with its paint.
    setenv("QT_QPA_UPDATE_IDLE_TIME", "0", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
