// The meeting window itself, joined to a room (media engine: the scriptable fake; requests: the
// local stand-in in-process; no message channel), its grid shown offscreen in 1400 x 804:
//
// - BM_ApplyMemberList/N: engine events for N participants (half of them with a camera) until
//   the window's grid holds every participant's tile. Untimed between runs: they all leave again.
// - BM_OneFrame/T: one video frame of every participant the engine sends video of, routed to the
//   tiles and painted, with T tiles of which 9 are on screen. Only the tiles on screen (and those
//   within the visible-tile margin) receive video, so the cost must not grow with T. Counters:
//   frames the engine had to deliver and paint events per frame.

#include "BenchMeeting.h"
#include "BenchProcess.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/FakeEngine.h"
#include "agent/engine/KRTCVideoView.h"
#include "agent/engine/LocalPicture.h"
#include "foundation/KVClock.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "uikit/MacBaseWindowController.h"

#ifdef KORVI_WITH_STANDIN
#include "devservice/DevService.h"
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using bench::kGridViewport;
using bench::kPhone;
using bench::kRoomId;

// Lets the window finish what it queued (coalesced member changes, layout, first paints).
void settle(int ms = 500)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool processUntil(const std::function<bool()> &done, int boundMs = 30000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

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
// One joined meeting window for the whole program.
class Meeting {
public:
    Meeting()
    {
        engines.onCreate = [](FakeEngine &e) { e.setJoinMode(FakeEngine::JoinMode::Immediate); };
        if (!service.start())
            return;
        qputenv("KORVI_DEV_PORT", QByteArray::number(service.port()));
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        agent->setServerEnvironment(2);
        service.state().addUser(kPhone, kPhone, bench::kUserName, bench::kToken);
        service.state().addRoom(kRoomId, kPhone, QStringLiteral("周会"));
        agent->setMyInfo(bench::signedInUser());
        agent->setMeetingManager(VeskMeetingManager::initManagerAndSdk());

        std::shared_ptr<MeetingInfoModel> room;
        bool answered = false;
        agent->joinMeetingRoomWithRoomId(&context, kRoomId, QString(), 1, [&](const KVMResponse &r) {
            answered = true;
            if (r.successed)
                room = r.data.value<std::shared_ptr<MeetingInfoModel>>();
        });
        if (!processUntil([&] { return answered; }) || !room)
            return;
        room->imUrl.clear(); // the benchmark measures the window, not the message channel
        agent->meetingManager()->joinRoomWith(room);

        window = std::make_unique<MacBaseWindowController>(new QWidget());
        page = new MeetingViewController(false);
        window->setWindowContentViewController(page, QRect(0, 0, 1400, 1000));
        page->resetWindowDelegate();
        window->showWindow();
        if (!processUntil([&] { return manager()->state() == VeskMeetingManager::StateInRoom && grid(); }))
            return;
        fitGrid();
        ready = grid() && grid()->scrollArea()->viewport()->size() == kGridViewport;
    }

    ~Meeting()
    {
        if (page) {
            QPointer<QWidget> view = page->isViewLoaded() ? page->view() : nullptr;
            delete page.data();
            delete view.data();
        }
        window.reset();
        VeskAppAgent::resetSharedInstance();
    }

    [[nodiscard]] static VeskMeetingManager *manager() { return VeskAppAgent::sharedInstance()->meetingManager(); }
    [[nodiscard]] FakeEngine *engine() const { return engines.engine(); }
    [[nodiscard]] VideoCollectionView *grid() const { return bench::gridOf(page); }

    void fitGrid()
    {
        if (VideoCollectionView *g = grid())
            bench::fitGrid(window->window(), g, [] { settle(100); });
    }

    // N other participants, each with audio, every other one (or all) with a camera.
    QStringList join(int n, bool allCameras)
    {
        QStringList ids;
        for (int i = 0; i < n; ++i) {
            const QString id = RXEncrypt::aes128ecbEncrypt(QString::number(13700000000LL + i));
            ids << id;
            engine()->emitMemberJoined(id, QStringLiteral("成员%1").arg(i));
            engine()->emitStreamPublished(id, 1, true, allCameras || i % 2 == 0);
        }
        return ids;
    }

    void leave(const QStringList &ids)
    {
        for (const QString &id : ids)
            engine()->emitMemberLeft(id);
    }

    [[nodiscard]] bool gridHas(qsizetype tiles) const { return grid() && grid()->numberOfItems() == tiles; }

    // What the engine was told last: receiving (true unless stopped) and the stream size.
    struct Receiving {
        QHash<QString, bool> receiving;
        QHash<QString, int> videoType;
    };
    [[nodiscard]] Receiving receiving() const
    {
        Receiving r;
        for (const FakeEngine::Call &call : engine()->calls()) {
            if (call.name == QLatin1String("muteVideo") && call.args.value(1).toLongLong() == 1)
                r.receiving.insert(call.args.value(0).toString(), !call.args.value(2).toBool());
            else if (call.name == QLatin1String("setPlayStreamVideoType") && call.args.value(1).toLongLong() == 1)
                r.videoType.insert(call.args.value(0).toString(), call.args.value(2).toInt());
        }
        return r;
    }

    // The window's own timers (clock, tips, reports) stand still: what is measured is the frame.
    VirtualClockScope clock;
    FakeEngineScope engines;
    DevService service;
    QObject context;
    std::unique_ptr<MacBaseWindowController> window;
    QPointer<MeetingViewController> page;
    bool ready = false;
};

Meeting *g_meeting = nullptr;

void BM_ApplyMemberList(benchmark::State &state)
{
    const int n = int(state.range(0));
    Meeting &m = *g_meeting;
    QStringList ids;
    for (auto _ : state) {
        state.PauseTiming();
        m.leave(ids);
        if (!processUntil([&] { return m.gridHas(1); })) {
            state.SkipWithError("the participants did not leave");
            return;
        }
        state.ResumeTiming();

        ids = m.join(n, false);
        if (!processUntil([&] { return m.gridHas(n + 1); })) {
            state.SkipWithError("the grid did not get the whole list");
            return;
        }
    }
    // The timing is over: the next benchmark starts from the own tile alone.
    m.leave(ids);
    processUntil([&] { return m.gridHas(1); });
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
    Meeting &m = *g_meeting;
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

BENCHMARK(BM_ApplyMemberList)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_OneFrame)->Arg(9)->Arg(30)->Arg(100)->Unit(benchmark::kMicrosecond);
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
#ifdef KORVI_WITH_STANDIN
    {
        Meeting meeting;
        if (!meeting.ready) {
            std::fprintf(stderr, "the meeting window did not open\n");
            return 1;
        }
        g_meeting = &meeting;
        benchmark::RunSpecifiedBenchmarks();
        g_meeting = nullptr;
    }
#endif
    benchmark::Shutdown();
    return 0;
}
