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
#include <xcb/shm.h>
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
#include <vector>

#include <iconv.h>
#include <sys/ipc.h>
#include <sys/shm.h>

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

// Our windows left out of every picture. Changed on the main thread, read by capture threads;
// the generation tells a stream that its painted-out parts are out of date.
struct Exclusions {
    mutable std::mutex mutex;
    QList<xcb_window_t> windows;
    std::atomic<quint64> generation{0};

    [[nodiscard]] QList<xcb_window_t> now() const
    {
        std::lock_guard lock(mutex);
        return windows;
    }
};

// Pictures the server writes straight into memory we share with it (MIT-SHM), handed on as
// images over that memory: no reply to read off the socket and no copy. A frame keeps its segment
// until its last copy is gone; the next picture goes into another. One stream's thread only.
class ShmFrames {
public:
    explicit ShmFrames(xcb_connection_t *c) : m_c(c)
    {
        Reply<xcb_shm_query_version_reply_t> version(xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr));
        m_usable = version != nullptr;
    }
    ~ShmFrames()
    {
        for (const auto &segment : m_segments)
            xcb_shm_detach(m_c, segment->seg);
        xcb_flush(m_c);
    }
    ShmFrames(const ShmFrames &) = delete;
    ShmFrames &operator=(const ShmFrames &) = delete;

    [[nodiscard]] bool usable() const { return m_usable; }

    // The drawable's area; a null image when it is gone or the area lies outside it, nullopt when
    // no segment is free (every one still held by a frame) or shared memory fails: take it plainly.
    std::optional<QImage> grab(xcb_drawable_t drawable, QRect area)
    {
        if (!m_usable)
            return std::nullopt;
        const size_t bytes = size_t(area.width()) * size_t(area.height()) * 4;
        const std::shared_ptr<Segment> segment = freeSegment(bytes);
        if (!segment)
            return std::nullopt;
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
            m_c,
            xcb_shm_get_image(m_c, drawable, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                              uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment->seg, 0),
            &error));
        std::free(error);
        if (!reply || reply->size != bytes)
            return QImage();
        segment->held.store(true, std::memory_order_relaxed);
        return QImage(segment->data, area.width(), area.height(), qsizetype(area.width()) * 4, QImage::Format_RGB32,
                      &ShmFrames::release, new std::shared_ptr<Segment>(segment));
    }

private:
    static constexpr size_t kSegments = 4;

    struct Segment {
        xcb_shm_seg_t seg = 0;
        uchar *data = nullptr;
        size_t size = 0;
        std::atomic<bool> held{false};
        ~Segment()
        {
            if (data)
                shmdt(data);
        }
    };

    static void release(void *info)
    {
        auto *segment = static_cast<std::shared_ptr<Segment> *>(info);
        (*segment)->held.store(false, std::memory_order_release);
        delete segment;
    }

    std::shared_ptr<Segment> freeSegment(size_t bytes)
    {
        for (auto it = m_segments.begin(); it != m_segments.end(); ++it) {
            if ((*it)->held.load(std::memory_order_acquire))
                continue;
            if ((*it)->size >= bytes)
                return *it;
            xcb_shm_detach(m_c, (*it)->seg); // too small for this source now
            m_segments.erase(it);
            break;
        }
        if (m_segments.size() >= kSegments)
            return nullptr;
        auto segment = std::make_shared<Segment>();
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) {
            m_usable = false;
            return nullptr;
        }
        void *data = shmat(id, nullptr, 0);
        if (data == reinterpret_cast<void *>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            m_usable = false;
            return nullptr;
        }
        segment->data = static_cast<uchar *>(data);
        segment->size = bytes;
        segment->seg = xcb_generate_id(m_c);
        xcb_generic_error_t *error = xcb_request_check(m_c, xcb_shm_attach_checked(m_c, segment->seg, uint32_t(id), 0));
        // Marked for removal at once: freed when both sides have let go, even if we crash.
        shmctl(id, IPC_RMID, nullptr);
        if (error) {
            std::free(error);
            m_usable = false; // a server on another machine
            return nullptr;
        }
        m_segments.push_back(segment);
        return segment;
    }

    xcb_connection_t *m_c;
    bool m_usable = false;
    std::vector<std::shared_ptr<Segment>> m_segments;
};

} // namespace

struct X11DesktopCapture::Shared {
    xcb_connection_t *c = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE; // the default screen's: where our windows and the listed ones live
    QList<xcb_window_t> roots;           // every X screen's, by screen number
    Atoms atoms;
    uint32_t idBase = 0;
    uint32_t idMask = 0;
    bool littleEndian32 = true; // 32-bit ZPixmaps in the byte order QImage reads
    QByteArray displayName;     // where a stream opens a connection of its own

    std::shared_ptr<Exclusions> exclusions = std::make_shared<Exclusions>();
    ShmFrames *shm = nullptr; // a stream's own connection: pictures through shared memory

    // A drawable's area as an opaque RGB32 picture; null when it is gone.
    [[nodiscard]] QImage imageOf(xcb_drawable_t drawable, QRect area) const
    {
        if (shm) {
            if (std::optional<QImage> shared = shm->grab(drawable, area))
                return *shared;
        }
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_get_image_reply_t> reply(
            xcb_get_image_reply(c,
                                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(area.x()),
                                              int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
                                &error));
        std::free(error);
        return imageFrom(reply.get(), area.width(), area.height());
    }

    [[nodiscard]] bool isOurs(xcb_window_t window) const { return (window & ~idMask) == idBase; }

    // The window's map state; nullopt when it no longer exists.
    [[nodiscard]] std::optional<uint8_t> mapStateOf(xcb_window_t window) const
    {
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), &error));
        std::free(error);
        if (!attributes)
            return std::nullopt;
        return attributes->map_state;
    }

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
        error = xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, top, pixmap));
        if (error) {
            std::free(error);
            return {};
        }
        const QImage picture = imageOf(pixmap, QRect(QPoint(x, y), wanted.size()));
        xcb_free_pixmap(c, pixmap);
        return picture;
    }

    // A screen's area (in its root's coordinates) as shown, with our excluded windows painted over
    // by what lies under them.
    [[nodiscard]] QImage rootPicture(xcb_window_t screenRoot, QRect area) const
    {
        QImage picture = imageOf(screenRoot, area);
        if (!picture.isNull() && screenRoot == root) // our windows live on the default screen only
            paint(picture, excludedPatches(area));
        return picture;
    }

    // What an excluded window hides, in area's coordinates: black, with what lies under it.
    struct Patch {
        QPoint at;
        QImage picture;
    };

    static void paint(QImage &picture, const QList<Patch> &patches)
    {
        if (patches.isEmpty())
            return;
        QPainter painter(&picture);
        for (const Patch &patch : patches)
            painter.drawImage(patch.at, patch.picture);
    }

    // tops: where the excluded windows' top-levels go (to hear of their shapes changing).
    [[nodiscard]] QList<Patch> excludedPatches(QRect area, QList<xcb_window_t> *tops = nullptr) const
    {
        const QList<xcb_window_t> excludedWindows = exclusions->now();
        if (excludedWindows.isEmpty())
            return {};
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), &error));
        std::free(error);
        if (!tree)
            return {};
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        QList<xcb_window_t> excludedTops;
        for (xcb_window_t window : excludedWindows) {
            const xcb_window_t top = topLevelOf(window);
            if (top != XCB_WINDOW_NONE)
                excludedTops << top;
        }
        if (tops)
            *tops = excludedTops;
        int topmost = -1;
        for (int i = 0; i < count; ++i) {
            if (excludedTops.contains(children[i]))
                topmost = i;
        }
        // Each window below the topmost excluded one: whether it is shown and where, asked at once.
        struct Below {
            xcb_get_window_attributes_cookie_t attributes;
            xcb_get_geometry_cookie_t geometry;
            xcb_translate_coordinates_cookie_t origin;
            std::optional<QRect> bounds; // with its border; none when not shown
        };
        std::vector<Below> below(size_t(qMax(topmost, 0)));
        for (int i = 0; i < topmost; ++i) {
            below[size_t(i)].attributes = xcb_get_window_attributes(c, children[i]);
            below[size_t(i)].geometry = xcb_get_geometry(c, children[i]);
            below[size_t(i)].origin = xcb_translate_coordinates(c, children[i], root, 0, 0);
        }
        for (int i = 0; i < topmost; ++i) {
            Below &each = below[size_t(i)];
            Reply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c, each.attributes, &error));
            std::free(std::exchange(error, nullptr));
            Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, each.geometry, &error));
            std::free(std::exchange(error, nullptr));
            Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(c, each.origin, &error));
            std::free(std::exchange(error, nullptr));
            if (attributes && geometry && origin && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                !excludedTops.contains(children[i])) {
                const int border = geometry->border_width;
                each.bounds = QRect(origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
                                    geometry->height + 2 * border);
            }
        }
        QList<Patch> patches;
        for (int i = 0; i <= topmost; ++i) {
            if (!excludedTops.contains(children[i]))
                continue;
            for (const QRect &part : coveredBy(children[i])) {
                const QRect hidden = part.intersected(area);
                if (hidden.isEmpty())
                    continue;
                QImage patch(hidden.size(), QImage::Format_RGB32);
                patch.fill(Qt::black);
                // What lies under it, bottom first, from each window's own pixmap: asked at once.
                struct Piece {
                    QPoint at;
                    QSize size;
                    xcb_get_image_cookie_t image;
                };
                QList<Piece> pieces;
                for (int j = 0; j < i; ++j) {
                    const std::optional<QRect> &bounds = below[size_t(j)].bounds;
                    const QRect shown = bounds ? hidden.intersected(*bounds) : QRect();
                    if (shown.isEmpty())
                        continue;
                    const QRect inside = shown.translated(-bounds->topLeft());
                    const xcb_pixmap_t pixmap = xcb_generate_id(c);
                    xcb_discard_reply(c, xcb_composite_name_window_pixmap_checked(c, children[j], pixmap).sequence);
                    pieces << Piece{shown.topLeft() - hidden.topLeft(), shown.size(),
                                    xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, int16_t(inside.x()),
                                                  int16_t(inside.y()), uint16_t(inside.width()),
                                                  uint16_t(inside.height()), ~0u)};
                    xcb_discard_reply(c, xcb_free_pixmap_checked(c, pixmap).sequence);
                }
                QPainter painter(&patch);
                for (const Piece &piece : std::as_const(pieces)) {
                    Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(c, piece.image, &error));
                    std::free(std::exchange(error, nullptr));
                    const QImage under = imageFrom(image.get(), piece.size.width(), piece.size.height());
                    if (!under.isNull())
                        painter.drawImage(piece.at, under);
                }
                painter.end();
                patches << Patch{hidden.topLeft() - area.topLeft(), patch};
            }
        }
        return patches;
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

// A share stream's thread, on a connection of its own: the frames' pictures come through shared
// memory and never queue behind Qt's events, nor Qt's behind them.
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
    // Painted-out parts are taken again when a window comes, goes, moves, restacks or changes its
    // shape, when what is excluded changes, and at least once a second for what changed under them.
    static constexpr auto kPatchesAtMost = std::chrono::seconds(1);

    void run()
    {
        xcb_connection_t *own = connectOwn();
        X11DesktopCapture::Shared link = *m_shared;
        std::unique_ptr<ShmFrames> shm;
        if (own) {
            link.c = own;
            shm = std::make_unique<ShmFrames>(own);
            link.shm = shm->usable() ? shm.get() : nullptr;
            // Hear of the root's children changing, for the painted-out parts.
            const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(own, m_screenRoot, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(own);
        }
        stream(link, own);
        shm.reset();
        if (own)
            xcb_disconnect(own);
    }

    // nullptr: the display cannot be reached again (frames then come over Qt's connection).
    xcb_connection_t *connectOwn() const
    {
        xcb_connection_t *c =
            xcb_connect(m_shared->displayName.isEmpty() ? nullptr : m_shared->displayName.constData(), nullptr);
        bool same = !xcb_connection_has_error(c);
        if (same) {
            QList<xcb_window_t> roots;
            for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
                roots << it.data->root;
            same = roots == m_shared->roots;
        }
        if (!same) {
            qCWarning(lcEngine) << "desktop capture: no connection of its own to the display";
            xcb_disconnect(c);
            return nullptr;
        }
        return c;
    }

    void stream(const X11DesktopCapture::Shared &link, xcb_connection_t *own)
    {
        const auto interval = std::chrono::microseconds(1000000 / qBound(1, m_option.m_nFPS(), 60));
        const QSize target(m_option.m_nWidth(), m_option.m_nHeight());
        const bool screen = m_option.m_eType() != KRTCScreenOption::TypeWindow;
        auto next = std::chrono::steady_clock::now();
        for (;;) {
            QImage picture;
            bool whole = false;
            // A window that moved while its patches were taken is grabbed again; a frame that
            // cannot be matched to its patches is dropped rather than show what is excluded.
            for (int attempt = 0; attempt < 3 && !whole; ++attempt) {
                // Events the server sends after this mark may come from changes after the grab.
                const uint32_t mark = own ? xcb_no_operation(own).sequence : 0;
                picture = screen ? link.imageOf(m_screenRoot, m_screenArea)
                                 : link.windowPicture(xcb_window_t(m_option.m_ScreenOrWindowId()));
                if (picture.isNull()) {
                    // A window that still exists but is not shown (minimised, on another desktop)
                    // keeps its share: no frame until it is shown again.
                    if (!screen && link.mapStateOf(xcb_window_t(m_option.m_ScreenOrWindowId())))
                        break;
                    MainQueue::async([alive = m_alive, onEnded = m_sink.onEnded] {
                        if (*alive && onEnded)
                            onEnded(QStringLiteral("capture source gone"));
                    });
                    return;
                }
                // Our windows live on the default screen only.
                whole = !(screen && m_screenRoot == link.root) || paintOut(link, own, mark, picture);
            }
            if (whole && m_sink.onFrame)
                m_sink.onFrame(DesktopCaptureSource::fitFrame(picture, target));
            picture = {}; // its segment is free again unless the sink kept the frame
            next += interval;
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_until(lock, next, [this] { return m_stop; }))
                return;
        }
    }

    // false: the windows changed after the grab or while their patches were taken, so the
    // patches may not match the picture.
    bool paintOut(const X11DesktopCapture::Shared &link, xcb_connection_t *own, uint32_t mark, QImage &picture)
    {
        bool changed = !own; // without events of our own: every frame
        bool afterTheGrab = false;
        if (own) {
            // An event's sequence is the last of our requests the server had done when it sent it:
            // one sent after the mark may tell of a change the picture does not show yet, while
            // patches taken now would.
            while (xcb_generic_event_t *event = xcb_poll_for_event(own)) {
                changed = true;
                afterTheGrab = afterTheGrab || int32_t(event->full_sequence - mark) >= 0;
                std::free(event);
            }
        }
        if (afterTheGrab) {
            m_patchesGeneration = ~quint64(0);
            return false;
        }
        const quint64 generation = link.exclusions->generation.load();
        const auto now = std::chrono::steady_clock::now();
        if (changed || generation != m_patchesGeneration || now - m_patchesTaken >= kPatchesAtMost) {
            QList<xcb_window_t> tops;
            m_patches = link.excludedPatches(m_screenArea, &tops);
            m_patchesGeneration = generation;
            m_patchesTaken = now;
            if (own) {
                // A shape set before we listened for it is heard of by no event: check once more.
                bool since = false;
                for (xcb_window_t top : std::as_const(tops)) {
                    if (!m_shapesHeard.contains(top)) {
                        xcb_shape_select_input(own, top, 1);
                        m_shapesHeard << top;
                        since = true;
                    }
                }
                xcb_flush(own);
                // The patches were asked for after the grab: a change heard since may be in them
                // and not in the picture.
                while (xcb_generic_event_t *event = xcb_poll_for_event(own)) {
                    since = true;
                    std::free(event);
                }
                if (since) {
                    m_patchesGeneration = ~quint64(0);
                    return false;
                }
            }
        }
        X11DesktopCapture::Shared::paint(picture, m_patches);
        return true;
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
    // The stream thread's own.
    QList<X11DesktopCapture::Shared::Patch> m_patches;
    quint64 m_patchesGeneration = ~quint64(0);
    std::chrono::steady_clock::time_point m_patchesTaken;
    QList<xcb_window_t> m_shapesHeard;
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

std::shared_ptr<X11DesktopCapture> X11DesktopCapture::create(xcb_connection_t *connection,
                                                             const QByteArray &displayName)
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
    shared->displayName = displayName;
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

bool X11DesktopCapture::windowShown(qint64 windowId) const
{
    if (windowId <= 0 || windowId > 0xffffffffLL)
        return false;
    return d->mapStateOf(xcb_window_t(windowId)) == XCB_MAP_STATE_VIEWABLE;
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
    std::lock_guard lock(d->exclusions->mutex);
    if (!d->exclusions->windows.contains(own)) {
        d->exclusions->windows << own;
        ++d->exclusions->generation;
    }
}

void X11DesktopCapture::includeInCapture(QWindow *ours)
{
    if (!ours)
        return;
    const auto own = xcb_window_t(ours->winId());
    std::lock_guard lock(d->exclusions->mutex);
    if (d->exclusions->windows.removeAll(own) > 0)
        ++d->exclusions->generation;
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
