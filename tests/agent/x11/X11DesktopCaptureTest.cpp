#include "X11Monitors.h"
#include "X11TestClient.h"
#include "X11Tests.h"

#include "TestEvents.h"
#include "agent/engine/X11DesktopCapture.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

constexpr uint32_t kGreen = 0x00c000; // A's colour
constexpr uint32_t kBlue = 0x0000c0;  // B's colour
const QColor kBorder(0, 255, 0);      // the share border's colour: never captured

using TestClient = X11TestClient;

qsizetype indexOf(const QList<KRTCDesktopSource> &sources, xcb_window_t window)
{
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (sources[i].sourceId == qint64(window))
            return i;
    }
    return -1;
}

QRgb centre(const QImage &image)
{
    return image.pixel(image.width() / 2, image.height() / 2) & 0xffffff;
}

bool hasBorderColour(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.green() > 0xe0 && pixel.red() < 0x40 && pixel.blue() < 0x40)
                return true;
        }
    }
    return false;
}

// A frameless window of ours that no window manager handles (as the share border is).
std::unique_ptr<QWidget> ownOverlay(QRect geometry, bool ring)
{
    auto widget = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
                                                         Qt::WindowTransparentForInput);
    widget->setGeometry(geometry);
    QPalette palette;
    palette.setColor(QPalette::Window, kBorder);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    if (ring)
        widget->setMask(QRegion(widget->rect()).subtracted(QRegion(widget->rect().adjusted(5, 5, -5, -5))));
    return widget;
}

class X11Capture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!X11Tests::session())
            GTEST_SKIP() << X11Tests::unavailable().toStdString();
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        ASSERT_NE(x11, nullptr);
        capture = X11DesktopCapture::create(x11->connection());
        ASSERT_NE(capture, nullptr);
        client = std::make_unique<TestClient>();
        ASSERT_TRUE(client->windowManagerTakesWindows());
    }

    bool listed(xcb_window_t window) { return indexOf(capture->windows({}), window) >= 0; }
    bool waitListed(xcb_window_t window)
    {
        return processEventsUntil([&] { return listed(window); });
    }

    std::shared_ptr<X11DesktopCapture> capture;
    std::unique_ptr<TestClient> client;
};

TEST_F(X11Capture, Windows_ListedWithTitlePidAndIconInStackingOrder_NeverOursAndGoneOnceClosed)
{
    QWidget ours;
    ours.setWindowTitle(QStringLiteral("ours"));
    ours.resize(200, 100);
    ours.show();
    ASSERT_TRUE(processEventsUntil([&] { return ours.windowHandle() && ours.windowHandle()->isExposed(); }));

    const xcb_window_t a = client->open("笔记 Notes — 测试", {100, 100, 300, 200}, kGreen, 4242);
    const xcb_window_t b = client->open("second", {150, 150, 300, 200}, kBlue);
    ASSERT_TRUE(waitListed(a) && waitListed(b));

    const QList<KRTCDesktopSource> all = capture->windows({160, 90});
    const KRTCDesktopSource &first = all[indexOf(all, a)];
    EXPECT_EQ(first.type, KRTCScreenOption::TypeWindow);
    EXPECT_EQ(first.title, QStringLiteral("笔记 Notes — 测试"));
    EXPECT_EQ(first.ownerPid, 4242);
    ASSERT_EQ(first.icon.size(), QSize(32, 32)) << "the icon nearest the tile's size";
    EXPECT_EQ(first.icon.pixel(5, 5) & 0xffffff, 0xff0000u);
    EXPECT_FALSE(first.snapshot.isNull());
    EXPECT_EQ(all[indexOf(all, b)].ownerPid, qint64(::getpid())) << "without _NET_WM_PID: the X client's own pid";
    // Bottom first, whichever the window manager stacked on top when they were new.
    const auto below = [&](xcb_window_t lower, xcb_window_t upper) {
        const QList<KRTCDesktopSource> now = capture->windows({});
        return indexOf(now, lower) >= 0 && indexOf(now, lower) < indexOf(now, upper);
    };
    client->raise(b);
    EXPECT_TRUE(processEventsUntil([&] { return below(a, b); }));
    client->raise(a);
    EXPECT_TRUE(processEventsUntil([&] { return below(b, a); }));
    for (const KRTCDesktopSource &source : all) {
        EXPECT_NE(source.sourceId, qint64(ours.winId())) << "our own windows are never listed";
        EXPECT_NE(source.title, QStringLiteral("ours"));
    }

    // An older client's title: compound text (GB2312 into the left half), no _NET_WM_NAME.
    const xcb_window_t old = client->open("", {200, 200, 100, 100}, kBlue);
    xcb_delete_property(client->c, old, client->atom("_NET_WM_NAME"));
    static const char compound[] = "\x1b$(AJ1VS\x1b(B Clock";
    xcb_change_property(client->c, XCB_PROP_MODE_REPLACE, old, XCB_ATOM_WM_NAME, client->atom("COMPOUND_TEXT"), 8,
                        sizeof(compound) - 1, compound);
    client->sync();
    ASSERT_TRUE(waitListed(old));
    const QList<KRTCDesktopSource> withOld = capture->windows({});
    EXPECT_EQ(withOld[indexOf(withOld, old)].title, QStringLiteral("时钟 Clock"));

    client->close(a);
    EXPECT_TRUE(processEventsUntil([&] { return !listed(a); }));
    EXPECT_TRUE(listed(b));

    // A window that becomes a dock or the desktop is no longer one to share.
    for (const char *type : {"_NET_WM_WINDOW_TYPE_DOCK", "_NET_WM_WINDOW_TYPE_DESKTOP"}) {
        const xcb_atom_t value = client->atom(type);
        xcb_change_property(client->c, XCB_PROP_MODE_REPLACE, b, client->atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                            1, &value);
        client->sync();
        EXPECT_FALSE(listed(b)) << type;
    }
}

TEST_F(X11Capture, CoveredWindow_SnapshotShowsItsOwnContent_BoundsFollowMovesAndResizes)
{
    const xcb_window_t a = client->open("covered", {100, 100, 300, 200}, kGreen);
    ASSERT_TRUE(waitListed(a));
    const xcb_window_t b = client->open("cover", {0, 0, 1000, 700}, kBlue);
    ASSERT_TRUE(waitListed(b));
    client->configure(b, {0, 0, 1000, 700});
    const std::optional<QRect> before = capture->windowBounds(a);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size(), QSize(300, 200));
    ASSERT_TRUE(processEventsUntil([&] {
        const std::optional<QRect> cover = capture->windowBounds(b);
        return cover && cover->contains(*before);
    })) << "B lies over A";

    EXPECT_EQ(centre(capture->grab(KRTCScreenOption::TypeWindow, a)), kGreen) << "A's own picture, though covered";
    const QList<KRTCDesktopSource> screens = capture->screens({});
    ASSERT_FALSE(screens.isEmpty());
    const QImage screen = capture->grab(KRTCScreenOption::TypeScreen, screens.first().sourceId);
    EXPECT_EQ(screen.pixel(before->center()) & 0xffffff, kBlue) << "on the screen B covers it";

    // A managed window's requested position is its frame's: the bounds move by the same step.
    client->configure(a, {300, 200, 300, 200});
    ASSERT_TRUE(processEventsUntil([&] {
        const QRect at = *capture->windowBounds(a);
        return at.x() >= 300 && at.x() < 340 && at.y() >= 200 && at.y() < 260;
    }));
    const QRect first = *capture->windowBounds(a);
    client->configure(a, {500, 300, 300, 200});
    EXPECT_TRUE(processEventsUntil([&] { return *capture->windowBounds(a) == first.translated(200, 100); }));
    client->configure(a, {500, 300, 400, 250});
    EXPECT_TRUE(processEventsUntil(
        [&] { return *capture->windowBounds(a) == QRect(first.topLeft() + QPoint(200, 100), QSize(400, 250)); }));
    EXPECT_EQ(centre(capture->grab(KRTCScreenOption::TypeWindow, a)), kGreen);
}

TEST_F(X11Capture, WindowClosedAfterTheList_AnswersNoWindowEverywhere)
{
    const xcb_window_t a = client->open("short-lived", {100, 100, 300, 200}, kGreen);
    ASSERT_TRUE(waitListed(a));
    client->close(a);

    EXPECT_EQ(capture->windowBounds(a), std::nullopt);
    EXPECT_TRUE(capture->grab(KRTCScreenOption::TypeWindow, a).isNull());
    EXPECT_FALSE(capture->raiseWindowOwner(a));
    QWidget ours(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    ours.resize(50, 50);
    ours.winId();
    EXPECT_FALSE(capture->stackAbove(ours.windowHandle(), a));
    KRTCScreenOption option;
    option.setM_eType(KRTCScreenOption::TypeWindow);
    option.setM_ScreenOrWindowId(a);
    EXPECT_EQ(capture->openStream(option, {}), nullptr);
    EXPECT_FALSE(capture->screens({}).isEmpty()) << "the connection is still fine";
}

TEST_F(X11Capture, StackAbove_PutsOurWindowDirectlyAboveTheTargetsFrame_RaiseActivatesIt)
{
    const xcb_window_t a = client->open("target", {100, 100, 300, 200}, kGreen);
    ASSERT_TRUE(waitListed(a));
    const xcb_window_t b = client->open("above", {150, 150, 300, 200}, kBlue);
    ASSERT_TRUE(waitListed(b));
    auto ring = ownOverlay({50, 50, 400, 300}, true);
    ring->show();
    ASSERT_TRUE(processEventsUntil([&] { return ring->windowHandle()->isExposed(); }));

    ASSERT_TRUE(capture->stackAbove(ring->windowHandle(), a));
    const QList<xcb_window_t> children = client->rootChildren();
    const qsizetype frame = children.indexOf(client->frameOf(a));
    ASSERT_GE(frame, 0);
    EXPECT_NE(client->frameOf(a), a) << "openbox framed the target";
    EXPECT_EQ(children.indexOf(xcb_window_t(ring->winId())), frame + 1);

    ASSERT_TRUE(capture->raiseWindowOwner(a));
    EXPECT_TRUE(processEventsUntil([&] {
        const QList<KRTCDesktopSource> all = capture->windows({});
        return indexOf(all, a) > indexOf(all, b);
    })) << "the window manager brought A to the front";
}

TEST_F(X11Capture, ShareStreams_FramesOfTheAskedSizeAndRate_WithoutTheBorder)
{
    const xcb_window_t a = client->open("shared", {100, 100, 300, 200}, kGreen);
    ASSERT_TRUE(waitListed(a));
    auto ring = ownOverlay(QRect(QPoint(0, 0), X11Tests::kScreen), true);
    ring->show();
    ASSERT_TRUE(processEventsUntil([&] { return ring->windowHandle()->isExposed(); }));
    capture->excludeFromCapture(ring->windowHandle());

    struct Seen {
        std::mutex mutex;
        QList<QImage> frames;
    };
    auto seen = std::make_shared<Seen>();
    DesktopCaptureSink sink;
    sink.onFrame = [seen](const QImage &frame) {
        std::lock_guard lock(seen->mutex);
        seen->frames << frame;
    };
    const auto count = [seen] {
        std::lock_guard lock(seen->mutex);
        return seen->frames.size();
    };

    KRTCScreenOption option;
    option.setM_eType(KRTCScreenOption::TypeScreen);
    option.setM_ScreenOrWindowId(capture->screens({}).first().sourceId);
    option.setM_nWidth(640);
    option.setM_nHeight(360);
    option.setM_nFPS(10);
    QElapsedTimer elapsed;
    elapsed.start();
    auto stream = capture->openStream(option, sink);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return count() >= 10; }, 20000));
    EXPECT_GE(elapsed.elapsed(), 850) << "10 frames at 10 per second take 0.9 s";
    stream.reset();
    const qsizetype after = count();
    {
        std::lock_guard lock(seen->mutex);
        for (const QImage &frame : std::as_const(seen->frames)) {
            EXPECT_EQ(frame.size(), QSize(640, 360));
            EXPECT_FALSE(hasBorderColour(frame)) << "the border is never in the picture";
        }
        const QPoint shown = capture->windowBounds(a)->center() / 2;
        EXPECT_EQ(seen->frames.first().pixel(shown) & 0xffffff, kGreen) << "the screen's content is";
    }
    processEventsFor(20);
    EXPECT_EQ(count(), after) << "no frame once the stream is gone";

    option.setM_eType(KRTCScreenOption::TypeWindow);
    option.setM_ScreenOrWindowId(a);
    option.setM_nWidth(0);
    option.setM_nHeight(0);
    std::atomic<int> ended{0};
    sink.onEnded = [&ended](const QString &) { ++ended; };
    stream = capture->openStream(option, sink);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return count() > after; }));
    {
        std::lock_guard lock(seen->mutex);
        EXPECT_EQ(seen->frames.last().size(), QSize(300, 200)) << "the window's own size";
        EXPECT_EQ(centre(seen->frames.last()), kGreen);
    }
    client->close(a);
    EXPECT_TRUE(processEventsUntil([&] { return ended == 1; })) << "a closed window ends its stream";
}

// What a share stream's sink sees, kept on the capture thread.
struct SeenFrames {
    std::mutex mutex;
    QList<QImage> frames;

    DesktopCaptureSink sink(qsizetype keep)
    {
        DesktopCaptureSink sink;
        sink.onFrame = [this, keep](const QImage &frame) {
            std::lock_guard lock(mutex);
            frames << frame;
            while (frames.size() > keep)
                frames.removeFirst();
        };
        return sink;
    }
    QImage last()
    {
        std::lock_guard lock(mutex);
        return frames.value(frames.size() - 1);
    }
    qsizetype count()
    {
        std::lock_guard lock(mutex);
        return frames.size();
    }
};

KRTCScreenOption screenOption(X11DesktopCapture &capture, QSize size = {})
{
    KRTCScreenOption option;
    option.setM_eType(KRTCScreenOption::TypeScreen);
    option.setM_ScreenOrWindowId(capture.screens({}).first().sourceId);
    option.setM_nWidth(size.width());
    option.setM_nHeight(size.height());
    option.setM_nFPS(30);
    return option;
}

TEST_F(X11Capture, ShareStream_AFrameTheEngineHolds_KeepsItsPictureWhileLaterFramesFlow)
{
    const xcb_window_t a = client->open("moving", {100, 100, 300, 200}, kGreen);
    ASSERT_TRUE(waitListed(a));
    const QPoint spot = capture->windowBounds(a)->center();
    auto seen = std::make_shared<SeenFrames>();
    auto stream = capture->openStream(screenOption(*capture), seen->sink(1));
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(processEventsUntil([&] {
        const QImage frame = seen->last();
        return !frame.isNull() && (frame.pixel(spot) & 0xffffff) == kGreen;
    }));
    // Frames at the screen's own size are handed on as they were taken: held ones (the engine
    // keeps its latest, a renderer one more) must not be written over by the frames after them.
    const QImage held = seen->last();
    const QImage heldCopy = held.copy();
    client->configure(a, {700, 500, 300, 200});
    ASSERT_TRUE(processEventsUntil([&] {
        const QImage frame = seen->last();
        return !frame.isNull() && (frame.pixel(spot) & 0xffffff) != kGreen;
    })) << "the window moved away in the frames that follow";
    const qsizetype before = seen->count();
    processEventsFor(300); // many more frames at 30 a second
    EXPECT_GE(seen->count(), before);
    EXPECT_EQ(held.pixel(spot) & 0xffffff, kGreen);
    EXPECT_TRUE(held == heldCopy) << "a held frame is never changed";
}

// Minimised by the window manager, a shared window still exists: its stream stays without
// frames, its frames come again once it is shown, and only its closing ends the stream.
TEST_F(X11Capture, ShareStream_AMinimisedWindowKeepsItsStream_FramesResumeWhenShown_ClosedItEnds)
{
    const xcb_window_t a = client->open("minimised", {100, 100, 300, 200}, kGreen);
    ASSERT_TRUE(waitListed(a));
    KRTCScreenOption option;
    option.setM_eType(KRTCScreenOption::TypeWindow);
    option.setM_ScreenOrWindowId(a);
    option.setM_nFPS(30);
    auto seen = std::make_shared<SeenFrames>();
    DesktopCaptureSink sink = seen->sink(1);
    auto frames = std::make_shared<std::atomic<int>>(0);
    sink.onFrame = [frames, keep = sink.onFrame](const QImage &frame) {
        ++*frames;
        keep(frame);
    };
    std::atomic<int> ended{0};
    sink.onEnded = [&ended](const QString &) { ++ended; };
    auto stream = capture->openStream(option, sink);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return centre(seen->last()) == kGreen; }));

    client->iconify(a);
    ASSERT_TRUE(processEventsUntil([&] { return !client->viewable(a); })) << "openbox did not minimise it";
    EXPECT_TRUE(capture->windowBounds(a)) << "it still exists";
    EXPECT_FALSE(capture->windowShown(a));
    client->repaint(a, kBlue);
    processEventsUntil([] { return false; }, 100); // a frame taken just before is handed on
    const int whileHidden = *frames;
    EXPECT_FALSE(processEventsUntil([&] { return ended > 0; }, 500)) << "a minimised window ended its share";
    EXPECT_EQ(*frames, whileHidden) << "no frame while it is not shown";

    client->raise(a); // openbox shows a minimised window it is asked to activate
    ASSERT_TRUE(processEventsUntil([&] { return client->viewable(a); }));
    EXPECT_TRUE(capture->windowShown(a));
    EXPECT_TRUE(processEventsUntil([&] { return centre(seen->last()) == kBlue; })) << "its frames come again";
    EXPECT_EQ(ended, 0);

    client->close(a);
    EXPECT_TRUE(processEventsUntil([&] { return ended == 1; })) << "a closed window ends its stream";
}

TEST_F(X11Capture, ShareStream_TheBorderMovingOrAppearingLater_IsLeftOutOfEveryFrameAfter)
{
    const xcb_window_t a = client->open("under", {40, 40, 400, 300}, kBlue);
    ASSERT_TRUE(waitListed(a));
    client->configure(a, {40, 40, 400, 300});
    ASSERT_TRUE(processEventsUntil([&] { return capture->windowBounds(a)->contains(QRect(100, 100, 300, 200)); }));
    // Per frame: whether the border's colour is anywhere in it, and the latest frame.
    struct Seen {
        std::mutex mutex;
        QList<bool> bordered;
        QImage last;
    };
    auto seen = std::make_shared<Seen>();
    DesktopCaptureSink sink;
    sink.onFrame = [seen](const QImage &frame) {
        bool border = false;
        for (int y = 0; y < frame.height() && !border; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
            for (int x = 0; x < frame.width() && !border; ++x)
                border = qGreen(line[x]) > 0xe0 && qRed(line[x]) < 0x40 && qBlue(line[x]) < 0x40;
        }
        std::lock_guard lock(seen->mutex);
        seen->bordered << border;
        seen->last = frame;
    };
    const auto count = [seen] {
        std::lock_guard lock(seen->mutex);
        return seen->bordered.size();
    };
    auto stream = capture->openStream(screenOption(*capture), sink);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return count() >= 3; }));

    // Excluded only once the stream runs, as the share ring is, then shown.
    auto ring = ownOverlay(QRect(100, 100, 200, 150), true);
    ring->winId();
    const qsizetype excluded = count();
    capture->excludeFromCapture(ring->windowHandle());
    ring->show();
    ASSERT_TRUE(processEventsUntil([&] { return ring->windowHandle()->isExposed(); }));
    // Moved many times, about as often as the stream's frames come.
    for (int step = 1; step <= 10; ++step) {
        ring->move(100 + 20 * step, 100 + 10 * step);
        processEventsFor(40);
    }
    const qsizetype moved = count();
    ASSERT_TRUE(processEventsUntil([&] { return count() >= moved + 3; }, 20000));
    std::lock_guard lock(seen->mutex);
    for (qsizetype i = excluded; i < seen->bordered.size(); ++i)
        EXPECT_FALSE(seen->bordered[i]) << "frame " << i - excluded << " after the exclusion shows the border";
    EXPECT_EQ(seen->last.pixel(302, 250) & 0xffffff, kBlue) << "what lies under the moved ring is shown there";
    EXPECT_EQ(seen->last.pixel(102, 150) & 0xffffff, kBlue) << "and where it was";
}

// Screens: one source per monitor of an X screen and per X screen, each with its own id and picture.
class X11Screens : public X11Capture {
protected:
    void TearDown() override
    {
        if (!capture)
            return;
        EXPECT_TRUE(X11Monitors::join(baseline));
    }

    // The source whose screen starts at x (in its X screen) and has the given size.
    static std::optional<KRTCDesktopSource> sourceAt(X11DesktopCapture &capture, QRect bounds, qint64 other = 0)
    {
        for (const KRTCDesktopSource &source : capture.screens({})) {
            if (source.sourceId != other && capture.screenBounds(source.sourceId) == bounds)
                return source;
        }
        return std::nullopt;
    }

    qsizetype baseline = QGuiApplication::screens().size();
};

TEST_F(X11Screens, TwoMonitorsOfOneXScreen_TwoSourcesWithDistinctIds_EachShowsItsOwnArea)
{
    ASSERT_EQ(baseline, 2) << "the default X screen and the second one";
    const xcb_window_t left = client->open("left", {100, 100, 300, 300}, kGreen);
    const xcb_window_t right = client->open("right", {740, 100, 300, 300}, kBlue);
    ASSERT_TRUE(waitListed(left) && waitListed(right));
    client->configure(left, {100, 100, 300, 300});
    client->configure(right, {740, 100, 300, 300});
    ASSERT_TRUE(processEventsUntil([&] {
        return QRect(0, 0, 640, 800).contains(*capture->windowBounds(left)) &&
               QRect(640, 0, 640, 800).contains(*capture->windowBounds(right));
    }));
    ASSERT_TRUE(X11Monitors::split());
    ASSERT_TRUE(processEventsUntil([&] { return QGuiApplication::screens().size() == baseline + 1; }));

    const auto leftScreen = sourceAt(*capture, {0, 0, 640, 800});
    const auto rightScreen = sourceAt(*capture, {640, 0, 640, 800});
    ASSERT_TRUE(leftScreen && rightScreen);
    EXPECT_NE(leftScreen->sourceId, rightScreen->sourceId);
    EXPECT_EQ(capture->screens({}).size(), baseline + 1);
    const QImage leftPicture = capture->grab(KRTCScreenOption::TypeScreen, leftScreen->sourceId);
    const QImage rightPicture = capture->grab(KRTCScreenOption::TypeScreen, rightScreen->sourceId);
    ASSERT_EQ(leftPicture.size(), QSize(640, 800));
    ASSERT_EQ(rightPicture.size(), QSize(640, 800));
    EXPECT_EQ(leftPicture.pixel(capture->windowBounds(left)->center()) & 0xffffff, kGreen);
    EXPECT_EQ(rightPicture.pixel(capture->windowBounds(right)->center() - QPoint(640, 0)) & 0xffffff, kBlue)
        << "the right half of the X screen";
    EXPECT_EQ(sourceAt(*capture, {640, 0, 640, 800})->sourceId, rightScreen->sourceId) << "ids are stable";
}

TEST_F(X11Screens, TwoXScreens_TwoSourcesWithDistinctIds_EachGrabbedFromItsOwnRoot)
{
    xcb_screen_t *second = client->secondScreen();
    ASSERT_NE(second, nullptr);
    // No window manager there: the window is shown as made.
    client->open("elsewhere", {0, 0, 640, 480}, kBlue, 0, second);
    const xcb_window_t here = client->open("here", {0, 0, 300, 300}, kGreen);
    ASSERT_TRUE(waitListed(here));
    const auto first = sourceAt(*capture, QRect(QPoint(0, 0), X11Tests::kScreen));
    const auto other = sourceAt(*capture, QRect(QPoint(0, 0), X11Tests::kSecondScreen));
    ASSERT_TRUE(first && other);
    EXPECT_NE(first->sourceId, other->sourceId) << "both X screens name their only monitor alike";
    ASSERT_TRUE(processEventsUntil([&] {
        const QImage picture = capture->grab(KRTCScreenOption::TypeScreen, other->sourceId);
        return picture.size() == X11Tests::kSecondScreen && centre(picture) == kBlue;
    })) << "the second X screen's own picture";
    EXPECT_TRUE(processEventsUntil([&] {
        const QImage picture = capture->grab(KRTCScreenOption::TypeScreen, first->sourceId);
        return (picture.pixel(capture->windowBounds(here)->center()) & 0xffffff) == kGreen;
    }));

    std::atomic<bool> blue{false};
    DesktopCaptureSink sink;
    sink.onFrame = [&blue](const QImage &frame) {
        if (frame.size() == X11Tests::kSecondScreen && centre(frame) == kBlue)
            blue = true;
    };
    KRTCScreenOption option;
    option.setM_eType(KRTCScreenOption::TypeScreen);
    option.setM_ScreenOrWindowId(other->sourceId);
    auto stream = capture->openStream(option, sink);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(processEventsUntil([&] { return blue.load(); })) << "a share of it streams its own frames";
}

} // namespace
