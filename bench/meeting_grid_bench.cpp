// Cost of the video grid for N tiles: the layout pass alone, the member pipeline (list -> tiles),
// the visible-tile check, and the grid widget's reload (same tiles, and other tiles each time) in
// a shown scroll area whose viewport is 1400 x 804, painted after each reload.

#include "BenchProcess.h"

#include "agent/MeetingMemberModel.h"
#include "meeting/window/grid/MacVideoCollectionViewLayout.h"
#include "meeting/window/grid/MemberPipeline.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "meeting/window/grid/VisibleTileSubscription.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {

MeetingMemberList members(int n)
{
    MeetingMemberList out;
    for (int i = 0; i < n; ++i) {
        VeskUserModel user;
        user.userId = QString::number(10000 + i);
        user.phoneNumber = QStringLiteral("peer-") + user.userId;
        user.userName = QStringLiteral("成员%1").arg(i);
        auto m = std::make_shared<MeetingMemberModel>(user);
        m->setVideoFlag(i % 2 == 0);
        out << m;
    }
    return out;
}

void BM_GridLayoutPass(benchmark::State &state)
{
    const int n = int(state.range(0));
    MacVideoCollectionViewLayout layout;
    for (auto _ : state) {
        auto r = layout.layoutAttributesForElementsInRect(n, QSizeF(1400, 804), 1400);
        benchmark::DoNotOptimize(r.frames.data());
    }
    state.SetComplexityN(n);
}

void BM_MemberPipelineBuild(benchmark::State &state)
{
    const int n = int(state.range(0));
    MemberPipeline::Input in;
    in.members = members(n);
    in.sharePermission = 2;
    in.creatorId = QStringLiteral("10000");
    for (int i = 0; i < n; i += 10)
        in.assistantIds.insert(QString::number(10000 + i));
    for (auto _ : state) {
        auto r = MemberPipeline::build(in);
        benchmark::DoNotOptimize(r.activeMembers.data());
    }
    state.SetComplexityN(n);
}

void BM_VisibleTileCheck(benchmark::State &state)
{
    const int n = int(state.range(0));
    const MeetingMemberList list = members(n);
    const auto tiles = MemberPipeline::build({list, 0, {}, {}, {}}).activeMembers;
    MacVideoCollectionViewLayout layout;
    const auto frames = layout.layoutAttributesForElementsInRect(int(tiles.size()), QSizeF(1400, 804), 1400).frames;
    QList<VisibleTileSubscription::TilePlacement> placements;
    for (qsizetype i = 0; i < tiles.size(); ++i)
        placements.append({tiles[i], frames[i]});
    for (auto _ : state) {
        auto calls = VisibleTileSubscription::check(placements, QRectF(0, 0, 1400, 804), list, QStringLiteral("me"));
        benchmark::DoNotOptimize(calls.data());
    }
    state.SetComplexityN(n);
}

// Counts paint events.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// The grid in a shown scroll area (offscreen) whose viewport is 1400 x 804.
struct ShownGrid {
    QScrollArea area;
    VideoCollectionView *grid = nullptr;

    explicit ShownGrid(const QList<std::shared_ptr<MeetingActiveModel>> &tiles)
    {
        area.setFrameShape(QFrame::NoFrame);
        grid = new VideoCollectionView(&area);
        area.resize(1400, 804);
        area.show();
        QElapsedTimer waited;
        waited.start();
        while (!(area.windowHandle() && area.windowHandle()->isExposed()) && waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        grid->reloadData(tiles);
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            // A vertical scroll bar takes its width from the viewport: make up for it.
            area.resize(area.size() + (QSize(1400, 804) - area.viewport()->size()));
        }
        QCoreApplication::processEvents();
    }

    // The reload, then the grid's area painted whole, as the window's next frame would be.
    void reloadAndPaint(const QList<std::shared_ptr<MeetingActiveModel>> &tiles)
    {
        grid->reloadData(tiles);
        grid->update();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(); // the window's update request (no idle wait, see main)
    }
};

void BM_GridReload(benchmark::State &state)
{
    const int n = int(state.range(0));
    const MeetingMemberList list = members(n);
    const auto tiles = MemberPipeline::build({list, 0, {}, {}, {}}).activeMembers;
    ShownGrid shown(tiles);
    if (shown.area.viewport()->size() != QSize(1400, 804))
        state.SkipWithError("the viewport is not 1400 x 804");
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    for (auto _ : state) {
        shown.reloadAndPaint(tiles);
        benchmark::DoNotOptimize(shown.grid->itemFrames().data());
    }
    qApp->removeEventFilter(&counter);
    state.counters["paints"] = double(counter.paints) / double(state.iterations());
    state.SetComplexityN(n);
}

// Every reload brings other tiles: each one is rebuilt.
void BM_GridReloadChanged(benchmark::State &state)
{
    const int n = int(state.range(0));
    const MeetingMemberList first = members(n);
    const MeetingMemberList second = members(n);
    const auto a = MemberPipeline::build({first, 0, {}, {}, {}}).activeMembers;
    const auto b = MemberPipeline::build({second, 0, {}, {}, {}}).activeMembers;
    ShownGrid shown(a);
    if (shown.area.viewport()->size() != QSize(1400, 804))
        state.SkipWithError("the viewport is not 1400 x 804");
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    bool flip = false;
    for (auto _ : state) {
        shown.reloadAndPaint(flip ? a : b);
        flip = !flip;
        benchmark::DoNotOptimize(shown.grid->itemFrames().data());
    }
    qApp->removeEventFilter(&counter);
    state.counters["paints"] = double(counter.paints) / double(state.iterations());
    state.SetComplexityN(n);
}

BENCHMARK(BM_GridLayoutPass)->Arg(9)->Arg(49)->Arg(200)->Complexity();
BENCHMARK(BM_MemberPipelineBuild)->Arg(9)->Arg(49)->Arg(200)->Complexity();
BENCHMARK(BM_VisibleTileCheck)->Arg(9)->Arg(49)->Arg(200)->Complexity();
BENCHMARK(BM_GridReload)->Arg(9)->Arg(49)->Arg(200)->Unit(benchmark::kMicrosecond)->Complexity();
BENCHMARK(BM_GridReloadChanged)->Arg(9)->Arg(49)->Arg(200)->Unit(benchmark::kMicrosecond)->Complexity();

} // namespace

int main(int argc, char **argv)
{
    // A desktop-sized offscreen screen: the default one is smaller than the grid, and a window
    // off the screen is never painted.
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/korvi-bench-XXXXXX"));
    if (!root.isValid() || !bench::useDesktopScreen(root.path()))
        return 2;
    // A window's update request is delivered by the next pass of the event loop, not after an idle
    // wait: each iteration then ends with its paint.
    qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
