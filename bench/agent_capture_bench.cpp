// Desktop capture on X11 against bare programs doing the same: listing 50 windows with icons and
// snapshots (the same xcb calls), and sharing the 1920 x 1080 screen at 15 frames a second with
// the share border up, at each stream level's size, against the floor: a thread that grabs the
// screen through MIT-SHM on a connection of its own and converts it to a frame of that size
// (copied at the screen's size, else scaled by Qt's fast filter). The share is measured as the
// CPU of the whole process over two seconds of wall time, in pairs run in turn (which goes first
// alternating; five, or fewer past each level's time budget), and reported as medians. Starts its own Xvfb (stopped by
// its process id at the end); the target is at most 1.3x the bare figures.
#include "BenchProcess.h"

#include "agent/engine/X11DesktopCapture.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <xcb/composite.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int kWindows = 50;
const QSize kThumbnail(320, 180);
std::shared_ptr<X11DesktopCapture> g_capture;
xcb_connection_t *g_bare = nullptr;
xcb_window_t g_root = 0;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

// 50 windows of another client, each with a title and a 32-pixel icon.
std::vector<xcb_window_t> openWindows(xcb_connection_t *c, xcb_screen_t *screen)
{
    std::vector<xcb_window_t> windows;
    std::vector<uint32_t> icon{32, 32};
    icon.insert(icon.end(), 32 * 32, 0xff3366ccu);
    for (int i = 0; i < kWindows; ++i) {
        const xcb_window_t window = xcb_generate_id(c);
        const uint32_t values[] = {0x101010u * uint32_t(i % 16)};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, int16_t(20 * (i % 40)), int16_t(15 * (i % 40)),
                          640, 400, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
        const QByteArray title = "window " + QByteArray::number(i);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(title.size()), title.constData());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_ICON"), XCB_ATOM_CARDINAL, 32,
                            uint32_t(icon.size()), icon.data());
        xcb_map_window(c, window);
        windows.push_back(window);
    }
    xcb_flush(c);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return windows;
}

QImage bareImage(xcb_get_image_reply_t *reply, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    const auto *src = reinterpret_cast<const quint32 *>(xcb_get_image_data(reply));
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = src[qint64(y) * w + x] | 0xff000000u;
    }
    return image;
}

void ListWindows_Korvi(benchmark::State &state)
{
    for (auto _ : state) {
        const QList<KRTCDesktopSource> windows = g_capture->windows(kThumbnail);
        if (windows.size() != kWindows)
            state.SkipWithError("not every window listed");
        benchmark::DoNotOptimize(windows);
    }
}

// The same questions with plain xcb: the root's children, then per window its attributes,
// geometry, type, names, pid, icon and the picture of its pixmap, scaled for the tile.
void ListWindows_Bare(benchmark::State &state)
{
    xcb_connection_t *c = g_bare;
    const xcb_atom_t netName = atom(c, "_NET_WM_NAME"), utf8 = atom(c, "UTF8_STRING"), pidAtom = atom(c, "_NET_WM_PID"),
                     iconAtom = atom(c, "_NET_WM_ICON"), typeAtom = atom(c, "_NET_WM_WINDOW_TYPE"),
                     stateAtom = atom(c, "WM_STATE");
    for (auto _ : state) {
        QList<QImage> shots;
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, g_root), nullptr);
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            const xcb_window_t w = children[i];
            auto *attr = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
            std::free(xcb_get_property_reply(c, xcb_get_property(c, 0, w, stateAtom, XCB_ATOM_ANY, 0, 0), nullptr));
            const bool mapped = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE && !attr->override_redirect;
            std::free(attr);
            if (!mapped)
                continue;
            auto *geo = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
            std::free(xcb_get_property_reply(c, xcb_get_property(c, 0, w, typeAtom, XCB_ATOM_ATOM, 0, 32), nullptr));
            std::free(xcb_get_property_reply(c, xcb_get_property(c, 0, w, netName, utf8, 0, 1024), nullptr));
            std::free(
                xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 1024), nullptr));
            std::free(xcb_get_property_reply(c, xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
            auto *icon =
                xcb_get_property_reply(c, xcb_get_property(c, 0, w, iconAtom, XCB_ATOM_CARDINAL, 0, 1u << 20), nullptr);
            if (icon && xcb_get_property_value_length(icon) >= 8) {
                const auto *v = static_cast<const quint32 *>(xcb_get_property_value(icon));
                QImage image{QSize{int(v[0]), int(v[1])}, QImage::Format_ARGB32};
                std::memcpy(image.bits(), v + 2, size_t(v[0]) * v[1] * 4);
                benchmark::DoNotOptimize(image);
            }
            std::free(icon);
            const xcb_pixmap_t pixmap = xcb_generate_id(c);
            xcb_composite_name_window_pixmap(c, w, pixmap);
            auto *img = xcb_get_image_reply(
                c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0, geo->width, geo->height, ~0u), nullptr);
            xcb_free_pixmap(c, pixmap);
            if (img)
                shots << bareImage(img, geo->width, geo->height)
                             .scaled(kThumbnail, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            std::free(img);
            std::free(geo);
        }
        std::free(tree);
        benchmark::DoNotOptimize(shots);
    }
}

constexpr int kFps = 15;
constexpr auto kShareRun = std::chrono::milliseconds(2000);
constexpr int kSharePairs = 5;
// Each level's pairs end within this, so that the program ends within 90 s on a busy machine.
constexpr auto kShareLevelBudget = std::chrono::seconds(20);

QSize levelSize(int level)
{
    return level == 1 ? QSize(640, 360) : level == 2 ? QSize(1280, 720) : QSize(1920, 1080);
}

// The share border: a ring of ours round the screen, left out of every frame.
std::unique_ptr<QWidget> shareBorder()
{
    auto ring = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
                                                       Qt::WindowTransparentForInput);
    ring->setGeometry(0, 0, 1920, 1080);
    ring->setStyleSheet(QStringLiteral("background: #00ff00"));
    ring->setMask(QRegion(ring->rect()).subtracted(QRegion(ring->rect().adjusted(4, 4, -4, -4))));
    ring->show();
    for (int i = 0; i < 50 && !(ring->windowHandle() && ring->windowHandle()->isExposed()); ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    g_capture->excludeFromCapture(ring->windowHandle());
    return ring;
}

// The process's CPU share while frames flow: from the tenth frame on, for kShareRun (a share lasts
// minutes: its start, a connection and fresh shared memory, is not what is measured).
struct ShareCost {
    double share = 0;
    int frames = 0; // in the time measured
};

ShareCost measureWhileFlowing(const std::atomic<int> &count)
{
    for (int i = 0; i < 300 && count.load() < 10; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int first = count.load();
    bench::CpuShare cpu;
    cpu.start();
    std::this_thread::sleep_for(kShareRun);
    return {cpu.share(), count.load() - first};
}

ShareCost korviShare(QSize size)
{
    // What the engine does with a frame: keeps the latest.
    struct Latest {
        std::mutex mutex;
        QImage frame;
        std::atomic<int> count{0};
    };
    auto latest = std::make_shared<Latest>();
    DesktopCaptureSink sink;
    sink.onFrame = [latest](const QImage &frame) {
        std::lock_guard lock(latest->mutex);
        latest->frame = frame;
        ++latest->count;
    };
    KRTCScreenOption option;
    option.setM_eType(KRTCScreenOption::TypeScreen);
    option.setM_ScreenOrWindowId(g_capture->screens({}).value(0).sourceId);
    option.setM_nWidth(size.width());
    option.setM_nHeight(size.height());
    option.setM_nFPS(kFps);
    auto stream = g_capture->openStream(option, sink);
    return measureWhileFlowing(latest->count);
}

// The floor: MIT-SHM into one segment on a connection of its own, converted to the frame.
ShareCost bareShare(QSize size)
{
    std::atomic<int> count{0};
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread thread([&] {
        xcb_connection_t *c = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const int id = shmget(IPC_PRIVATE, 1920 * 1080 * 4, IPC_CREAT | 0600);
        auto *data = static_cast<uchar *>(shmat(id, nullptr, 0));
        const xcb_shm_seg_t seg = xcb_generate_id(c);
        std::free(xcb_request_check(c, xcb_shm_attach_checked(c, seg, uint32_t(id), 0)));
        shmctl(id, IPC_RMID, nullptr);
        QImage latest;
        auto next = std::chrono::steady_clock::now();
        for (;;) {
            std::free(xcb_shm_get_image_reply(
                c, xcb_shm_get_image(c, root, 0, 0, 1920, 1080, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, seg, 0), nullptr));
            const QImage shared(data, 1920, 1080, 1920 * 4, QImage::Format_RGB32);
            if (size == shared.size()) {
                QImage frame(size, QImage::Format_RGB32);
                const auto *from = reinterpret_cast<const quint32 *>(data);
                auto *to = reinterpret_cast<quint32 *>(frame.bits());
                for (qsizetype i = 0; i < qsizetype(1920) * 1080; ++i)
                    to[i] = from[i] | 0xff000000u;
                latest = frame;
            } else {
                latest = shared.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            }
            ++count;
            next += std::chrono::microseconds(1000000 / kFps);
            std::unique_lock lock(mutex);
            if (wake.wait_until(lock, next, [&] { return stop; }))
                break;
        }
        xcb_shm_detach(c, seg);
        xcb_disconnect(c);
        shmdt(data);
    });
    const ShareCost cost = measureWhileFlowing(count);
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    wake.notify_all();
    thread.join();
    return cost;
}

// Sharing the screen at a level's size: the client's share and the floor's, in pairs run in turn.
void ScreenShare(benchmark::State &state)
{
    const QSize size = levelSize(int(state.range(0)));
    const auto border = shareBorder();
    bench::Medians medians;
    for (auto _ : state) {
        bench::PairBudget pairs(3, kSharePairs, kShareLevelBudget);
        for (int pair = 0; pairs.another(); ++pair) {
            // Which goes first alternates, so that neither always meets the machine as the other left it.
            ShareCost korvi;
            ShareCost bare;
            if (pair % 2) {
                bare = bareShare(size);
                korvi = korviShare(size);
            } else {
                korvi = korviShare(size);
                bare = bareShare(size);
            }
            if (korvi.frames < kFps || bare.frames < kFps)
                state.SkipWithError("too few frames");
            medians.add("korvi_pct", korvi.share * 100);
            medians.add("bare_pct", bare.share * 100);
            medians.add("ratio", korvi.share / bare.share);
        }
    }
    medians.report(state.counters);
    state.counters["pairs"] = medians.count("ratio");
}

BENCHMARK(ListWindows_Korvi)->Unit(benchmark::kMillisecond);
BENCHMARK(ListWindows_Bare)->Unit(benchmark::kMillisecond);
BENCHMARK(ScreenShare)->Arg(1)->Arg(2)->Arg(3)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                  QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray number;
    while (server.waitForReadyRead(15000) && !number.contains('\n'))
        number += server.readAllStandardOutput();
    if (!number.contains('\n')) {
        std::fprintf(stderr, "agent_capture_bench: Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", ":" + number.trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        g_capture =
            X11DesktopCapture::create(qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection());
        g_bare = xcb_connect(nullptr, nullptr);
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(g_bare)).data;
        g_root = screen->root;
        const std::vector<xcb_window_t> windows = openWindows(g_bare, screen);
        if (!g_capture || windows.size() != size_t(kWindows)) {
            result = 1;
        } else {
            benchmark::Initialize(&argc, argv);
            benchmark::RunSpecifiedBenchmarks();
            benchmark::Shutdown();
        }
        xcb_disconnect(g_bare);
        g_capture.reset();
    }
    server.terminate();
    server.waitForFinished(5000);
    return result;
}
