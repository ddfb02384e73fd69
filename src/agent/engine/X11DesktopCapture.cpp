#include "X11DesktopCapture.h"

#include "EngineLog.h"

#include "foundation/MainQueue.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <xcb/composite.h>
#include <xcb/res.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include <iconv.h>

namespace {

struct FreeReply {
    void operator()(void *p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

constexpr int kTitleLimit = 256;
constexpr int kIconLimit = 1024;

struct Atoms {
    xcb_atom_t clientListStacking = XCB_ATOM_NONE;
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t utf8String = XCB_ATOM_NONE;
    xcb_atom_t netWmPid = XCB_ATOM_NONE;
    xcb_atom_t netWmIcon = XCB_ATOM_NONE;
    xcb_atom_t wmState = XCB_ATOM_NONE;
    xcb_atom_t netWmWindowType = XCB_ATOM_NONE;
    xcb_atom_t typeDock = XCB_ATOM_NONE;
    xcb_atom_t typeDesktop = XCB_ATOM_NONE;
    xcb_atom_t netActiveWindow = XCB_ATOM_NONE;
    xcb_atom_t netRestackWindow = XCB_ATOM_NONE;
    xcb_atom_t compoundText = XCB_ATOM_NONE;
};

Atoms internAtoms(xcb_connection_t *c)
{
    static const char *const names[] = {"_NET_CLIENT_LIST_STACKING",
                                        "_NET_WM_NAME",
                                        "UTF8_STRING",
                                        "_NET_WM_PID",
                                        "_NET_WM_ICON",
                                        "WM_STATE",
                                        "_NET_WM_WINDOW_TYPE",
                                        "_NET_WM_WINDOW_TYPE_DOCK",
                                        "_NET_WM_WINDOW_TYPE_DESKTOP",
                                        "_NET_ACTIVE_WINDOW",
                                        "_NET_RESTACK_WINDOW",
                                        "COMPOUND_TEXT"};
    constexpr size_t count = sizeof(names) / sizeof(names[0]);
    xcb_intern_atom_cookie_t cookies[count];
    for (size_t i = 0; i < count; ++i)
        cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(names[i])), names[i]);
    xcb_atom_t values[count];
    for (size_t i = 0; i < count; ++i) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookies[i], nullptr));
        values[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    Atoms a;
    a.clientListStacking = values[0];
    a.netWmName = values[1];
    a.utf8String = values[2];
    a.netWmPid = values[3];
    a.netWmIcon = values[4];
    a.wmState = values[5];
    a.netWmWindowType = values[6];
    a.typeDock = values[7];
    a.typeDesktop = values[8];
    a.netActiveWindow = values[9];
    a.netRestackWindow = values[10];
    a.compoundText = values[11];
    return a;
}

// Copies a ZPixmap picture of 32 bits per pixel into an opaque RGB32 image.
QImage imageFrom(xcb_get_image_reply_t *reply, int width, int height)
{
    if (!reply || width <= 0 || height <= 0)
        return {};
    const int length = xcb_get_image_data_length(reply);
    if (qint64(length) != qint64(width) * height * 4)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const auto *src = reinterpret_cast<const quint32 *>(xcb_get_image_data(reply));
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        const quint32 *from = src + qint64(y) * width;
        for (int x = 0; x < width; ++x)
            line[x] = from[x] | 0xff000000u;
    }
    return image;
}

} // namespace

struct X11DesktopCapture::Shared {
    xcb_connection_t *c = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE; // the default screen's: where our windows and the listed ones live
    QList<xcb_window_t> roots;           // every X screen's, by screen number
    Atoms atoms;
    uint32_t idBase = 0;
    uint32_t idMask = 0;
    bool littleEndian32 = true; // 32-bit ZPixmaps in the byte order QImage reads

    mutable std::mutex mutex; // guards excluded (read by capture threads)
    QList<xcb_window_t> excluded;

    [[nodiscard]] QList<xcb_window_t> excludedNow() const
    {
        std::lock_guard lock(mutex);
        return excluded;
    }

    [[nodiscard]] bool isOurs(xcb_window_t window) const { return (window & ~idMask) == idBase; }

    Reply<xcb_get_property_reply_t> property(xcb_window_t window, xcb_atom_t atom, xcb_atom_t type,
                                             uint32_t longs) const
    {
        if (atom == XCB_ATOM_NONE)
            return {};
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom, type, 0, longs), &error));
        std::free(error);
        if (!reply || reply->type == XCB_ATOM_NONE)
            return {};
        return reply;
    }

    // The root's child that holds the window (its window manager frame, or itself); none when gone.
    [[nodiscard]] xcb_window_t topLevelOf(xcb_window_t window) const
    {
        for (int depth = 0; depth < 64 && window != XCB_WINDOW_NONE; ++depth) {
            xcb_generic_error_t *error = nullptr;
            Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), &error));
            std::free(error);
            if (!tree)
                return XCB_WINDOW_NONE;
            if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
                return window;
            window = tree->parent;
        }
        return XCB_WINDOW_NONE;
    }

    // A window's outer rectangle in root coordinates (its border included when withBorder).
    [[nodiscard]] std::optional<QRect> boundsOf(xcb_window_t window, bool withBorder = false) const
    {
        xcb_generic_error_t *error = nullptr;
        const auto geometryCookie = xcb_get_geometry(c, window);
        const auto translateCookie = xcb_translate_coordinates(c, window, root, 0, 0);
        Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, &error));
        std::free(std::exchange(error, nullptr));
        Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(c, translateCookie, &error));
        std::free(error);
        if (!geometry || !origin)
            return std::nullopt;
        const int border = withBorder ? geometry->border_width : 0;
        return QRect(origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
                     geometry->height + 2 * border);
    }

    // The window's own content (a covered window included) from its frame's Composite pixmap;
    // area is in the window's coordinates (empty: all of it). Null when the window is gone.
    [[nodiscard]] QImage windowPicture(xcb_window_t window, QRect area = {}) const
    {
        const xcb_window_t top = topLevelOf(window);
        if (top == XCB_WINDOW_NONE)
            return {};
        xcb_generic_error_t *error = nullptr;
        const auto geometryCookie = xcb_get_geometry(c, window);
        const auto topGeometryCookie = xcb_get_geometry(c, top);
        const auto offsetCookie = xcb_translate_coordinates(c, window, top, 0, 0);
        Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, &error));
        std::free(std::exchange(error, nullptr));
        Reply<xcb_get_geometry_reply_t> topGeometry(xcb_get_geometry_reply(c, topGeometryCookie, &error));
        std::free(std::exchange(error, nullptr));
        Reply<xcb_translate_coordinates_reply_t> offset(xcb_translate_coordinates_reply(c, offsetCookie, &error));
        std::free(std::exchange(error, nullptr));
        if (!geometry || !topGeometry || !offset || geometry->width == 0 || geometry->height == 0)
            return {};
        const QRect whole(0, 0, geometry->width, geometry->height);
        const QRect wanted = area.isEmpty() ? whole : area.intersected(whole);
        if (wanted.isEmpty())
            return {};
        // The pixmap starts at the frame's outer corner, its border included.
        const int x = offset->dst_x + topGeometry->border_width + wanted.x();
        const int y = offset->dst_y + topGeometry->border_width + wanted.y();
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        const auto nameCookie = xcb_composite_name_window_pixmap_checked(c, top, pixmap);
        const auto imageCookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, int16_t(x), int16_t(y),
                                               uint16_t(wanted.width()), uint16_t(wanted.height()), ~0u);
        const auto freeCookie = xcb_free_pixmap_checked(c, pixmap);
        Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(c, imageCookie, &error));
        std::free(std::exchange(error, nullptr));
        std::free(xcb_request_check(c, nameCookie));
        xcb_discard_reply(c, freeCookie.sequence);
        return imageFrom(image.get(), wanted.width(), wanted.height());
    }

    // A screen's area (in its root's coordinates) as shown, with our excluded windows painted over
    // by what lies under them.
    [[nodiscard]] QImage rootPicture(xcb_window_t screenRoot, QRect area) const
    {
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_get_image_reply_t> reply(
            xcb_get_image_reply(c,
                                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screenRoot, int16_t(area.x()),
                                              int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
                                &error));
        std::free(error);
        QImage picture = imageFrom(reply.get(), area.width(), area.height());
        if (!picture.isNull() && screenRoot == root)
            paintOutExcluded(picture, area); // our windows live on the default screen only
        return picture;
    }

    void paintOutExcluded(QImage &picture, QRect area) const
    {
        const QList<xcb_window_t> excludedWindows = excludedNow();
        if (excludedWindows.isEmpty())
            return;
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), &error));
        std::free(error);
        if (!tree)
            return;
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        QList<xcb_window_t> excludedTops;
        for (xcb_window_t window : excludedWindows) {
            const xcb_window_t top = topLevelOf(window);
            if (top != XCB_WINDOW_NONE)
                excludedTops << top;
        }
        QPainter painter(&picture);
        for (int i = 0; i < count; ++i) {
            if (!excludedTops.contains(children[i]))
                continue;
            for (const QRect &part : coveredBy(children[i])) {
                const QRect hidden = part.intersected(area);
                if (hidden.isEmpty())
                    continue;
                painter.fillRect(hidden.translated(-area.topLeft()), Qt::black);
                // What lies under it, bottom first, from each window's own pixmap.
                for (int below = 0; below < i; ++below) {
                    if (excludedTops.contains(children[below]) || !viewable(children[below]))
                        continue;
                    const std::optional<QRect> bounds = boundsOf(children[below], true);
                    if (!bounds)
                        continue;
                    const QRect shown = hidden.intersected(*bounds);
                    if (shown.isEmpty())
                        continue;
                    const QImage under = framePicture(children[below], shown.translated(-bounds->topLeft()));
                    if (!under.isNull())
                        painter.drawImage(shown.topLeft() - area.topLeft(), under);
                }
            }
        }
    }

    [[nodiscard]] bool viewable(xcb_window_t window) const
    {
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), &error));
        std::free(error);
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // A root child's pixmap (its border included), area relative to its outer corner.
    [[nodiscard]] QImage framePicture(xcb_window_t top, QRect area) const
    {
        xcb_generic_error_t *error = nullptr;
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        const auto nameCookie = xcb_composite_name_window_pixmap_checked(c, top, pixmap);
        const auto imageCookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, int16_t(area.x()),
                                               int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u);
        const auto freeCookie = xcb_free_pixmap_checked(c, pixmap);
        Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(c, imageCookie, &error));
        std::free(error);
        std::free(xcb_request_check(c, nameCookie));
        xcb_discard_reply(c, freeCookie.sequence);
        return imageFrom(image.get(), area.width(), area.height());
    }

    // The parts of the screen a root child covers: its shape, else its rectangle.
    [[nodiscard]] QList<QRect> coveredBy(xcb_window_t top) const
    {
        const std::optional<QRect> bounds = boundsOf(top, true);
        if (!bounds)
            return {};
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_shape_get_rectangles_reply_t> shape(
            xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, top, XCB_SHAPE_SK_BOUNDING), &error));
        std::free(error);
        if (!shape)
            return {*bounds};
        QList<QRect> parts;
        const xcb_rectangle_t *rects = xcb_shape_get_rectangles_rectangles(shape.get());
        const int n = xcb_shape_get_rectangles_rectangles_length(shape.get());
        for (int i = 0; i < n; ++i)
            parts << QRect(bounds->x() + rects[i].x, bounds->y() + rects[i].y, rects[i].width, rects[i].height);
        return parts;
    }

    [[nodiscard]] bool hasWindowManager() const
    {
        return property(root, atoms.clientListStacking, XCB_ATOM_WINDOW, 0) != nullptr;
    }
};

namespace {

class X11Stream final : public DesktopCaptureStream {
public:
    X11Stream(std::shared_ptr<X11DesktopCapture::Shared> shared, const KRTCScreenOption &option,
              xcb_window_t screenRoot, QRect screenArea, DesktopCaptureSink sink)
        : m_shared(std::move(shared)), m_option(option), m_screenRoot(screenRoot), m_screenArea(screenArea),
          m_sink(std::move(sink))
    {
        m_thread = std::thread([this] { run(); });
    }
    ~X11Stream() override
    {
        *m_alive = false;
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    void run()
    {
        const auto interval = std::chrono::microseconds(1000000 / qBound(1, m_option.m_nFPS(), 60));
        const QSize target(m_option.m_nWidth(), m_option.m_nHeight());
        auto next = std::chrono::steady_clock::now();
        for (;;) {
            const QImage picture = m_option.m_eType() == KRTCScreenOption::TypeWindow
                                       ? m_shared->windowPicture(xcb_window_t(m_option.m_ScreenOrWindowId()))
                                       : m_shared->rootPicture(m_screenRoot, m_screenArea);
            if (picture.isNull()) {
                MainQueue::async([alive = m_alive, onEnded = m_sink.onEnded] {
                    if (*alive && onEnded)
                        onEnded(QStringLiteral("capture source gone"));
                });
                return;
            }
            if (m_sink.onFrame)
                m_sink.onFrame(DesktopCaptureSource::fitFrame(picture, target));
            next += interval;
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_until(lock, next, [this] { return m_stop; }))
                return;
        }
    }

    std::shared_ptr<X11DesktopCapture::Shared> m_shared;
    KRTCScreenOption m_option;
    xcb_window_t m_screenRoot;
    QRect m_screenArea;
    DesktopCaptureSink m_sink;
    std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

QRect nativeArea(QScreen *screen)
{
    const qreal ratio = screen->devicePixelRatio();
    const QRect logical = screen->geometry();
    return QRect(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)), logical.size() * ratio);
}

QImage iconFrom(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 32)
        return {};
    const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply));
    const qint64 length = xcb_get_property_value_length(reply) / 4;
    const quint32 *best = nullptr;
    int bestW = 0, bestH = 0;
    for (qint64 at = 0; at + 2 <= length;) {
        const quint32 w = data[at], h = data[at + 1];
        if (w == 0 || h == 0 || w > kIconLimit || h > kIconLimit || at + 2 + qint64(w) * h > length)
            break;
        const auto distance = [](int side) { return std::abs(side - X11DesktopCapture::kIconSize); };
        if (!best || distance(int(w)) < distance(bestW) || (distance(int(w)) == distance(bestW) && int(w) > bestW)) {
            best = data + at + 2;
            bestW = int(w);
            bestH = int(h);
        }
        at += 2 + qint64(w) * h;
    }
    if (!best)
        return {};
    QImage icon(bestW, bestH, QImage::Format_ARGB32);
    for (int y = 0; y < bestH; ++y)
        std::memcpy(icon.scanLine(y), best + qint64(y) * bestW, size_t(bestW) * 4);
    return icon;
}

// Bytes of one character set into UTF-16 through iconv (EUC forms of the double-byte sets).
QString decodeRun(const QByteArray &bytes, const char *charset)
{
    if (bytes.isEmpty())
        return {};
    if (std::strcmp(charset, "UTF-8") == 0)
        return QString::fromUtf8(bytes);
    if (std::strcmp(charset, "ISO-8859-1") == 0)
        return QString::fromLatin1(bytes);
    iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == iconv_t(-1))
        return QString(bytes.size(), QChar::ReplacementCharacter);
    QByteArray in = bytes;
    QByteArray out(in.size() * 4 + 4, '\0');
    char *inAt = in.data();
    size_t inLeft = size_t(in.size());
    char *outAt = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0 && iconv(cd, &inAt, &inLeft, &outAt, &outLeft) == size_t(-1)) {
        if (errno != EILSEQ && errno != EINVAL)
            break;
        ++inAt; // an invalid byte is skipped, not the rest of the title
        --inLeft;
    }
    iconv_close(cd);
    return QString::fromUtf8(out.constData(), qsizetype(out.size() - qsizetype(outLeft)));
}

// X11 compound text (ISO 2022 with X's designations), as older clients set WM_NAME: the
// character sets named by escape sequences, for the left (GL) and right (GR) halves.
QString fromCompoundText(const char *value, int length)
{
    QString text;
    const char *gl = "ISO-8859-1";
    const char *gr = "ISO-8859-1";
    bool glWide = false;
    bool grWide = false;
    const char *runSet = nullptr;
    QByteArray run;
    const auto switchTo = [&](const char *set) {
        if (set != runSet) {
            text += decodeRun(run, runSet ? runSet : "ISO-8859-1");
            run.clear();
            runSet = set;
        }
    };
    const auto put = [&](const char *set, char byte) {
        switchTo(set);
        run += byte;
    };
    const auto wideSet = [](char final) -> const char * {
        switch (final) {
        case 'A':
            return "GB2312";
        case 'B':
            return "EUC-JP";
        case 'C':
            return "EUC-KR";
        default:
            return nullptr;
        }
    };
    for (int i = 0; i < length; ++i) {
        const auto byte = quint8(value[i]);
        if (byte == 0x1b && i + 2 < length) {
            const char a = value[i + 1], b = value[i + 2];
            if (a == '(' && b == 'B') {
                gl = "ISO-8859-1", glWide = false, i += 2;
            } else if (a == '-') {
                static const char *const latin[] = {"ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4"};
                gr = (b >= 'A' && b <= 'D') ? latin[b - 'A'] : "ISO-8859-1";
                grWide = false, i += 2;
            } else if (a == '%' && b == 'G') {
                // UTF-8 until ESC % @.
                const int start = i + 3;
                int end = start;
                while (end + 2 < length && !(value[end] == 0x1b && value[end + 1] == '%' && value[end + 2] == '@'))
                    ++end;
                if (end + 2 >= length)
                    end = length;
                switchTo("UTF-8");
                run += QByteArray(value + start, end - start);
                i = end + 2;
            } else if (a == '$' && i + 3 < length && (b == '(' || b == ')')) {
                if (const char *set = wideSet(value[i + 3])) {
                    (b == '(' ? gl : gr) = set;
                    (b == '(' ? glWide : grWide) = true;
                }
                i += 3;
            } else {
                i += 2; // a set we cannot show: its designation is dropped
            }
            continue;
        }
        if (byte < 0x80) {
            // Control characters and spaces stay themselves; a double-byte set in GL takes the
            // EUC form by its high bit.
            put(glWide && byte > 0x20 && byte < 0x7f ? gl : "ISO-8859-1",
                char(glWide && byte > 0x20 && byte < 0x7f ? byte | 0x80 : byte));
        } else {
            put(grWide || byte >= 0xa0 ? gr : "ISO-8859-1", char(byte));
        }
    }
    text += decodeRun(run, runSet ? runSet : "ISO-8859-1");
    return text;
}

// type: the property's type; UTF8_STRING and COMPOUND_TEXT are decoded as such, else Latin-1.
QString textOf(const xcb_get_property_reply_t *reply, xcb_atom_t utf8, xcb_atom_t compound)
{
    if (!reply || reply->format != 8)
        return {};
    const auto *value = static_cast<const char *>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply);
    QString text = reply->type == utf8       ? QString::fromUtf8(value, length)
                   : reply->type == compound ? fromCompoundText(value, length)
                                             : QString::fromLatin1(value, length);
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text.truncate(nul);
    return text.left(kTitleLimit);
}

} // namespace

std::shared_ptr<X11DesktopCapture> X11DesktopCapture::create(xcb_connection_t *connection)
{
    if (!connection || xcb_connection_has_error(connection)) {
        qCWarning(lcEngine) << "desktop capture: no X11 connection";
        return nullptr;
    }
    auto shared = std::make_shared<Shared>();
    shared->c = connection;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    shared->idBase = setup->resource_id_base;
    shared->idMask = setup->resource_id_mask;
    shared->littleEndian32 = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    QHash<xcb_window_t, int> depths;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it)) {
        shared->roots << it.data->root;
        depths.insert(it.data->root, it.data->root_depth);
    }
    if (shared->roots.isEmpty()) {
        qCWarning(lcEngine) << "desktop capture: the X11 display has no screen";
        return nullptr;
    }
    std::shared_ptr<X11DesktopCapture> capture(new X11DesktopCapture(shared));
    // The display's default X screen: where the window manager and our windows are (Qt's primary
    // screen may move to another X screen while monitors come and go).
    char *host = nullptr;
    int display = 0;
    int number = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &number) || number < 0 || number >= shared->roots.size())
        number = 0;
    std::free(host);
    shared->root = shared->roots.at(number);
    if (!shared->littleEndian32 || depths.value(shared->root) < 24) {
        qCWarning(lcEngine) << "desktop capture: unsupported X11 picture format";
        return nullptr;
    }
    xcb_generic_error_t *error = nullptr;
    Reply<xcb_composite_query_version_reply_t> composite(
        xcb_composite_query_version_reply(connection, xcb_composite_query_version(connection, 0, 4), &error));
    std::free(std::exchange(error, nullptr));
    if (!composite || (composite->major_version == 0 && composite->minor_version < 2)) {
        qCWarning(lcEngine) << "desktop capture: the X11 display has no Composite extension";
        return nullptr;
    }
    // Automatic redirection keeps each top-level's content in a pixmap of its own while the
    // server still draws the screen; several clients may ask for it at once.
    error = xcb_request_check(connection, xcb_composite_redirect_subwindows_checked(connection, shared->root,
                                                                                    XCB_COMPOSITE_REDIRECT_AUTOMATIC));
    if (error) {
        std::free(error);
        qCWarning(lcEngine) << "desktop capture: window contents cannot be redirected";
        return nullptr;
    }
    shared->atoms = internAtoms(connection);
    return capture;
}

X11DesktopCapture::X11DesktopCapture(std::shared_ptr<Shared> shared) : d(std::move(shared)) {}

X11DesktopCapture::~X11DesktopCapture() = default;

qint64 X11DesktopCapture::screenIdFor(const QString &screenName, int xScreen)
{
    // FNV-1a: the same name on the same X screen gives the same id in every run.
    quint64 hash = 14695981039346656037ull;
    for (const char byte : QStringLiteral("%1/%2").arg(xScreen).arg(screenName).toUtf8()) {
        hash ^= quint8(byte);
        hash *= 1099511628211ull;
    }
    return qint64(hash & 0x7fffffffffffull) + 2; // never the portal's choice or a negative id
}

quint32 X11DesktopCapture::rootOf(QScreen *screen) const
{
    if (d->roots.size() == 1 || !screen)
        return d->roots.first();
    if (const auto known = m_roots.constFind(screen); known != m_roots.cend())
        return *known;
    // Qt does not tell which X screen a screen belongs to: a window made on it does.
    QWindow probe;
    probe.setScreen(screen);
    probe.create();
    xcb_generic_error_t *error = nullptr;
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(d->c, xcb_query_tree(d->c, xcb_window_t(probe.winId())), &error));
    std::free(error);
    const xcb_window_t root = tree && d->roots.contains(tree->root) ? tree->root : d->roots.first();
    m_roots.insert(screen, root);
    QObject::connect(screen, &QObject::destroyed, m_context.get(), [this, screen] { m_roots.remove(screen); });
    return root;
}

QList<X11DesktopCapture::ScreenPlace> X11DesktopCapture::screenPlaces() const
{
    QList<ScreenPlace> places;
    for (QScreen *screen : QGuiApplication::screens()) {
        ScreenPlace place;
        place.screen = screen;
        place.root = rootOf(screen);
        place.area = nativeArea(screen);
        const int xScreen = int(d->roots.indexOf(place.root));
        place.id = screenIdFor(screen->name(), xScreen);
        // Two screens of one name on one X screen (a server that names none) stay apart.
        for (int again = 1;
             std::any_of(places.cbegin(), places.cend(), [&](const auto &p) { return p.id == place.id; }); ++again)
            place.id = screenIdFor(QStringLiteral("%1#%2").arg(screen->name()).arg(again), xScreen);
        places << place;
    }
    return places;
}

std::optional<X11DesktopCapture::ScreenPlace> X11DesktopCapture::screenPlace(qint64 screenId) const
{
    for (const ScreenPlace &place : screenPlaces()) {
        if (place.id == screenId)
            return place;
    }
    return std::nullopt;
}

QList<KRTCDesktopSource> X11DesktopCapture::screens(QSize thumbnailSize) const
{
    QList<KRTCDesktopSource> result;
    const QList<ScreenPlace> all = screenPlaces();
    for (qsizetype i = 0; i < all.size(); ++i) {
        KRTCDesktopSource source;
        source.sourceId = all.at(i).id;
        source.type = KRTCScreenOption::TypeScreen;
        source.title = QStringLiteral("桌面 %1").arg(i + 1);
        if (thumbnailSize.isValid() && !thumbnailSize.isEmpty()) {
            const QImage shot = d->rootPicture(all.at(i).root, all.at(i).area);
            if (!shot.isNull())
                source.snapshot = shot.scaled(thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        result << source;
    }
    return result;
}

QList<KRTCDesktopSource> X11DesktopCapture::windows(QSize thumbnailSize) const
{
    xcb_connection_t *c = d->c;
    QList<xcb_window_t> candidates;
    if (auto stack = d->property(d->root, d->atoms.clientListStacking, XCB_ATOM_WINDOW, 4096)) {
        const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(stack.get()));
        const int n = xcb_get_property_value_length(stack.get()) / 4;
        for (int i = 0; i < n; ++i)
            candidates << ids[i];
    } else {
        // No window manager: the root's mapped children that a client named or manages.
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, d->root), &error));
        std::free(error);
        if (tree) {
            const xcb_window_t *children = xcb_query_tree_children(tree.get());
            const int n = xcb_query_tree_children_length(tree.get());
            for (int i = 0; i < n; ++i) {
                Reply<xcb_get_window_attributes_reply_t> attributes(
                    xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr));
                if (!attributes || attributes->override_redirect)
                    continue;
                if (d->property(children[i], d->atoms.wmState, XCB_ATOM_ANY, 0) ||
                    d->property(children[i], d->atoms.netWmName, XCB_ATOM_ANY, 0) ||
                    d->property(children[i], XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0))
                    candidates << children[i];
            }
        }
    }

    QList<KRTCDesktopSource> result;
    for (xcb_window_t window : std::as_const(candidates)) {
        if (d->isOurs(window))
            continue; // made on our connection: our own window
        const auto attributesCookie = xcb_get_window_attributes(c, window);
        const auto geometryCookie = xcb_get_geometry(c, window);
        const auto typeCookie = xcb_get_property(c, 0, window, d->atoms.netWmWindowType, XCB_ATOM_ATOM, 0, 32);
        const auto netNameCookie = xcb_get_property(c, 0, window, d->atoms.netWmName, d->atoms.utf8String, 0, 1024);
        const auto nameCookie = xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 1024);
        const auto pidCookie = xcb_get_property(c, 0, window, d->atoms.netWmPid, XCB_ATOM_CARDINAL, 0, 1);
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, attributesCookie, nullptr));
        Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
        Reply<xcb_get_property_reply_t> type(xcb_get_property_reply(c, typeCookie, nullptr));
        Reply<xcb_get_property_reply_t> netName(xcb_get_property_reply(c, netNameCookie, nullptr));
        Reply<xcb_get_property_reply_t> name(xcb_get_property_reply(c, nameCookie, nullptr));
        Reply<xcb_get_property_reply_t> pid(xcb_get_property_reply(c, pidCookie, nullptr));
        if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE || geometry->width == 0 ||
            geometry->height == 0)
            continue;
        if (type && type->format == 32) {
            const auto *types = static_cast<const xcb_atom_t *>(xcb_get_property_value(type.get()));
            const int n = xcb_get_property_value_length(type.get()) / 4;
            if (std::any_of(types, types + n,
                            [&](xcb_atom_t t) { return t == d->atoms.typeDock || t == d->atoms.typeDesktop; }))
                continue;
        }
        KRTCDesktopSource source;
        source.sourceId = qint64(window);
        source.type = KRTCScreenOption::TypeWindow;
        source.title = textOf(netName.get(), d->atoms.utf8String, d->atoms.compoundText);
        if (source.title.isEmpty())
            source.title = textOf(name.get(), d->atoms.utf8String, d->atoms.compoundText);
        if (pid && pid->format == 32 && xcb_get_property_value_length(pid.get()) == 4)
            source.ownerPid = *static_cast<const quint32 *>(xcb_get_property_value(pid.get()));
        if (source.ownerPid == 0) {
            xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
            Reply<xcb_res_query_client_ids_reply_t> ids(
                xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &spec), nullptr));
            if (ids) {
                for (auto it = xcb_res_query_client_ids_ids_iterator(ids.get()); it.rem;
                     xcb_res_client_id_value_next(&it)) {
                    if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
                        xcb_res_client_id_value_value_length(it.data) == 1)
                        source.ownerPid = *xcb_res_client_id_value_value(it.data);
                }
            }
        }
        Reply<xcb_get_property_reply_t> icon(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, d->atoms.netWmIcon, XCB_ATOM_CARDINAL, 0, 1u << 20), nullptr));
        source.icon = iconFrom(icon.get());
        if (source.icon.isNull()) {
            Reply<xcb_get_property_reply_t> klass(xcb_get_property_reply(
                c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
            const QString classes =
                klass ? QString::fromLatin1(static_cast<const char *>(xcb_get_property_value(klass.get())),
                                            xcb_get_property_value_length(klass.get()))
                      : QString();
            for (const QString &each : classes.split(QChar(0), Qt::SkipEmptyParts)) {
                const QIcon themed = QIcon::fromTheme(each.toLower());
                if (!themed.isNull()) {
                    source.icon = themed.pixmap(kIconSize).toImage();
                    break;
                }
            }
        }
        if (thumbnailSize.isValid() && !thumbnailSize.isEmpty()) {
            const QImage shot = d->windowPicture(window);
            if (!shot.isNull())
                source.snapshot = shot.scaled(thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        result << source;
    }
    return result;
}

QImage X11DesktopCapture::grab(int type, qint64 sourceId) const
{
    if (type == KRTCScreenOption::TypeWindow)
        return sourceId > 0 && sourceId <= 0xffffffffLL ? d->windowPicture(xcb_window_t(sourceId)) : QImage();
    if (type != KRTCScreenOption::TypeScreen)
        return {};
    const std::optional<ScreenPlace> place = screenPlace(sourceId);
    return place ? d->rootPicture(place->root, place->area) : QImage();
}

std::optional<QRect> X11DesktopCapture::windowBounds(qint64 windowId) const
{
    if (windowId <= 0 || windowId > 0xffffffffLL)
        return std::nullopt;
    return d->boundsOf(xcb_window_t(windowId));
}

std::optional<QRect> X11DesktopCapture::screenBounds(qint64 screenId) const
{
    const std::optional<ScreenPlace> place = screenPlace(screenId);
    if (!place)
        return std::nullopt;
    return place->area;
}

bool X11DesktopCapture::raiseWindowOwner(qint64 windowId)
{
    if (!windowBounds(windowId))
        return false;
    const auto window = xcb_window_t(windowId);
    if (d->hasWindowManager()) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = d->atoms.netActiveWindow;
        event.data.data32[0] = 2; // a pager or tool asks, not the application
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(d->c, 0, d->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
    } else {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_discard_reply(
            d->c,
            xcb_configure_window_checked(d->c, d->topLevelOf(window), XCB_CONFIG_WINDOW_STACK_MODE, &above).sequence);
    }
    xcb_flush(d->c);
    return true;
}

bool X11DesktopCapture::stackAbove(QWindow *ours, qint64 windowId)
{
    if (!ours || windowId <= 0 || windowId > 0xffffffffLL)
        return false;
    const auto target = xcb_window_t(windowId);
    const xcb_window_t targetTop = d->topLevelOf(target);
    if (targetTop == XCB_WINDOW_NONE)
        return false;
    const auto own = xcb_window_t(ours->winId());
    const xcb_window_t ownTop = d->topLevelOf(own);
    if (ownTop == own) {
        // Ours is a child of the root (not managed): stacked by the server directly.
        const uint32_t values[] = {targetTop, XCB_STACK_MODE_ABOVE};
        xcb_generic_error_t *error = xcb_request_check(
            d->c,
            xcb_configure_window_checked(d->c, own, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values));
        const bool ok = error == nullptr;
        std::free(error);
        return ok;
    }
    // Managed: the window manager restacks its frame.
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = own;
    event.type = d->atoms.netRestackWindow;
    event.data.data32[0] = 2;
    event.data.data32[1] = target;
    event.data.data32[2] = XCB_STACK_MODE_ABOVE;
    xcb_send_event(d->c, 0, d->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(d->c);
    return true;
}

void X11DesktopCapture::excludeFromCapture(QWindow *ours)
{
    if (!ours)
        return;
    const auto own = xcb_window_t(ours->winId());
    std::lock_guard lock(d->mutex);
    if (!d->excluded.contains(own))
        d->excluded << own;
}

void X11DesktopCapture::includeInCapture(QWindow *ours)
{
    if (!ours)
        return;
    const auto own = xcb_window_t(ours->winId());
    std::lock_guard lock(d->mutex);
    d->excluded.removeAll(own);
}

std::unique_ptr<DesktopCaptureStream> X11DesktopCapture::openStream(const KRTCScreenOption &option,
                                                                    DesktopCaptureSink sink)
{
    QRect area;
    xcb_window_t root = d->root;
    if (option.m_eType() == KRTCScreenOption::TypeScreen) {
        const std::optional<ScreenPlace> place = screenPlace(option.m_ScreenOrWindowId());
        if (!place)
            return nullptr;
        root = place->root;
        area = place->area;
    } else if (option.m_eType() != KRTCScreenOption::TypeWindow || !windowBounds(option.m_ScreenOrWindowId())) {
        return nullptr;
    }
    return std::make_unique<X11Stream>(d, option, root, area, std::move(sink));
}
