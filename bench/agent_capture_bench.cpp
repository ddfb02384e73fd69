// Desktop capture on X11 against a bare program making the same xcb calls: listing 50 windows
// with icons and snapshots, and one 1920 x 1080 screen frame made ready for display. Starts its
// own Xvfb (stopped by its process id at the end); the target is at most 1.3x the bare figures.
#include "agent/engine/X11DesktopCapture.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <xcb/composite.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
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

void ScreenFrame_Korvi(benchmark::State &state)
{
    const qint64 screen = g_capture->screens({}).value(0).sourceId;
    for (auto _ : state) {
        const QImage frame =
            DesktopCaptureSource::fitFrame(g_capture->grab(KRTCScreenOption::TypeScreen, screen), QSize(1920, 1080));
        if (frame.size() != QSize(1920, 1080))
            state.SkipWithError("no frame");
        benchmark::DoNotOptimize(frame);
    }
}

void ScreenFrame_Bare(benchmark::State &state)
{
    for (auto _ : state) {
        auto *img = xcb_get_image_reply(
            g_bare, xcb_get_image(g_bare, XCB_IMAGE_FORMAT_Z_PIXMAP, g_root, 0, 0, 1920, 1080, ~0u), nullptr);
        const QImage frame = bareImage(img, 1920, 1080);
        std::free(img);
        benchmark::DoNotOptimize(frame);
    }
}

BENCHMARK(ListWindows_Korvi)->Unit(benchmark::kMillisecond);
BENCHMARK(ListWindows_Bare)->Unit(benchmark::kMillisecond);
BENCHMARK(ScreenFrame_Korvi)->Unit(benchmark::kMillisecond);
BENCHMARK(ScreenFrame_Bare)->Unit(benchmark::kMillisecond);

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
        QGuiApplication app(argc, argv);
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
