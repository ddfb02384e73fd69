// The share ring on a real X server with a window manager (openbox on Xvfb), against the X11
// desktop capture and another X client's windows: it follows the window on the project clock,
// keeps directly above it, lets clicks through, and is seen on the screen but never in the share.

#include "X11Monitors.h"
#include "X11TestClient.h"
#include "X11Tests.h"

#include "ShareTestSupport.h"

#include "agent/engine/DesktopCaptureSource.h"
#include "foundation/KVClock.h"
#include "meeting/sharing/ShareTrack.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xtest.h>

using namespace std::chrono_literals;

namespace {

constexpr uint32_t kWindowColour = 0x2050c0;
constexpr uint32_t kOtherColour = 0xc05020;

bool isRingColour(QRgb pixel)
{
    return (pixel & 0xffffff) == (ShareBorderWindow::kBorderColor.rgb() & 0xffffff);
}

class ShareRingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!X11Tests::session())
            GTEST_SKIP() << X11Tests::unavailable().toStdString();
        DesktopCaptureSource::setCurrent(nullptr);
        desktop = DesktopCaptureSource::current();
        ASSERT_EQ(desktop->backend(), DesktopCaptureSource::Backend::X11);
        client = std::make_unique<X11TestClient>();
        ASSERT_TRUE(client->windowManagerTakesWindows());
    }
    void TearDown() override
    {
        ShareTrack::stop();
        DesktopCaptureSource::setCurrent(nullptr);
    }

    // A window of the other client, once the window manager has put it on the screen.
    xcb_window_t openShown(const QByteArray &title, QRect geometry, uint32_t colour)
    {
        const xcb_window_t window = client->open(title, geometry, colour);
        EXPECT_TRUE(processEventsUntil([&] { return client->viewable(window) && client->frameOf(window) != window; }));
        return window;
    }

    // One follow step: the project clock moves 0.3 s, then the server has done what it was asked.
    void step()
    {
        clock.clock.advance(std::chrono::milliseconds(ShareTrack::kFollowIntervalMs));
        drainMainQueue();
        client->sync();
    }

    [[nodiscard]] ShareBorderWindow *ring() const
    {
        return ShareTrack::current() ? ShareTrack::current()->borderWindow() : nullptr;
    }
    // The ring as the server has it: shown and where.
    [[nodiscard]] bool ringShown() const { return ring() && client->viewable(xcb_window_t(ring()->winId())); }
    [[nodiscard]] std::optional<QRect> ringOnServer() const
    {
        return ring() ? client->rootGeometry(xcb_window_t(ring()->winId())) : std::nullopt;
    }
    // Whether the ring lies directly above the window's frame in the root's stacking order.
    [[nodiscard]] bool ringDirectlyAbove(xcb_window_t window) const
    {
        const QList<xcb_window_t> children = client->rootChildren();
        const qsizetype frame = children.indexOf(client->frameOf(window));
        return frame >= 0 && children.indexOf(xcb_window_t(ring()->winId())) == frame + 1;
    }

    // The window manager restacks on its own time after a raise: the ring is back in its place
    // within a few readings, and (when given) under the window raised over it.
    bool aboveWithinReadings(xcb_window_t window, xcb_window_t over = XCB_WINDOW_NONE)
    {
        for (int reading = 0; reading < 5; ++reading) {
            step();
            const QList<xcb_window_t> children = client->rootChildren();
            if (ringDirectlyAbove(window) &&
                (over == XCB_WINDOW_NONE ||
                 children.indexOf(client->frameOf(over)) > children.indexOf(xcb_window_t(ring()->winId()))))
                return true;
        }
        return false;
    }

    VirtualClockScope clock;
    std::shared_ptr<DesktopCaptureSource> desktop;
    std::unique_ptr<X11TestClient> client;
};

TEST_F(ShareRingTest, FollowsTheWindow_HiddenWhileItMoves_StaysDirectlyAboveIt_HiddenOnceItCloses)
{
    const xcb_window_t shared = openShown("shared", {200, 150, 400, 300}, kWindowColour);
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Window, qint64(shared))));
    ASSERT_TRUE(processEventsUntil([&] { return client->activeWindow() == shared; })) << "its owner comes to the front";
    step();
    step();
    ASSERT_TRUE(processEventsUntil([&] { return ringShown(); }));
    EXPECT_EQ(ringOnServer(), client->rootGeometry(shared)) << "the ring lies on the window's own area";
    EXPECT_TRUE(aboveWithinReadings(shared));

    // Moved: hidden at the next reading, back one reading (0.3 s) after it stopped, on the window.
    client->configure(shared, {420, 260, 400, 300});
    ASSERT_TRUE(processEventsUntil([&] { return desktop->windowBounds(shared) != ringOnServer(); }));
    step();
    // The ring's unmap goes on the client's own connection: the server may answer this test first.
    EXPECT_TRUE(processEventsUntil([&] { return !ringShown(); }));
    step();
    ASSERT_TRUE(processEventsUntil([&] { return ringShown(); }));
    EXPECT_EQ(ringOnServer(), client->rootGeometry(shared));

    // Another window raised over it: the ring keeps to the shared window, under the other one.
    const xcb_window_t other = openShown("other", {300, 200, 400, 300}, kOtherColour);
    client->raise(other);
    ASSERT_TRUE(processEventsUntil([&] { return client->activeWindow() == other; }));
    EXPECT_TRUE(aboveWithinReadings(shared, other))
        << "the ring is drawn over the raised window, or apart from its own";
    client->raise(shared);
    ASSERT_TRUE(processEventsUntil([&] { return client->activeWindow() == shared; }));
    EXPECT_TRUE(aboveWithinReadings(shared)) << "raised again, it takes the ring along";

    client->close(shared);
    step();
    EXPECT_FALSE(ringShown());
    EXPECT_NE(ShareTrack::current()->trackTimer(), nullptr);
    client->close(other);
}

// Minimised, the window still exists but is not shown: the ring goes with it and comes back,
// on the window, when it is shown again.
TEST_F(ShareRingTest, HiddenWhileTheWindowIsMinimised_BackWhenItIsShownAgain)
{
    const xcb_window_t shared = openShown("shared", {200, 150, 400, 300}, kWindowColour);
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Window, qint64(shared))));
    step();
    step();
    ASSERT_TRUE(processEventsUntil([&] { return ringShown(); }));

    client->iconify(shared);
    ASSERT_TRUE(processEventsUntil([&] { return !client->viewable(shared); }));
    // As with the map below, the tracker may hear of the unmap a look later, and the ring's own
    // unmap reaches the server on the client's connection, in no order with this test's queries.
    ASSERT_TRUE(processEventsUntil([&] {
        step();
        return !ringShown();
    })) << "a ring around a minimised window";
    step();
    processEventsFor(3);
    EXPECT_FALSE(ringShown());

    client->raise(shared);
    ASSERT_TRUE(processEventsUntil([&] { return client->viewable(shared); }));
    // The tracker's next looks find it shown: its own connection may hear of the map a look later,
    // and the window manager may place the window anew as it maps it, which the ring then follows.
    const bool onTheWindow = processEventsUntil([&] {
        step();
        return ringShown() && ringOnServer() == client->rootGeometry(shared);
    });
    EXPECT_TRUE(onTheWindow) << "ring " << (ringShown() ? "shown" : "hidden");
    client->close(shared);
}

TEST_F(ShareRingTest, SecondStartClosesTheFirstRing_ClicksGoThroughToTheWindowUnder)
{
    const xcb_window_t shared = openShown("shared", {200, 150, 400, 300}, kWindowColour);
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Window, qint64(shared))));
    step();
    step();
    ASSERT_TRUE(processEventsUntil([&] { return ringShown(); }));
    const auto firstRing = xcb_window_t(ring()->winId());

    // A press on the ring's edge reaches the shared window beneath it.
    const QRect bounds = *ringOnServer();
    const QPoint onTheRing(bounds.x() + ShareBorderWindow::kBorderWidth / 2, bounds.center().y());
    client->buttonPresses();
    xcb_test_fake_input(client->c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, client->root->root, int16_t(onTheRing.x()),
                        int16_t(onTheRing.y()), 0);
    xcb_test_fake_input(client->c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_test_fake_input(client->c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    client->sync();
    QList<xcb_window_t> pressed;
    EXPECT_TRUE(processEventsUntil([&] {
        pressed << client->buttonPresses();
        return pressed.contains(shared);
    })) << "the press went elsewhere";

    // The second share's ring replaces the first, on the server too.
    const QList<KRTCDesktopSource> screens = desktop->screens({});
    ASSERT_FALSE(screens.isEmpty());
    QPointer<ShareBorderWindow> first(ring());
    ASSERT_TRUE(
        ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Screen, screens.first().sourceId)));
    EXPECT_TRUE(first.isNull());
    client->sync();
    EXPECT_FALSE(client->rootChildren().contains(firstRing));
    ASSERT_TRUE(processEventsUntil([&] { return ringShown(); }));
    EXPECT_EQ(ringOnServer(), desktop->screenBounds(screens.first().sourceId));
    client->close(shared);
}

TEST_F(ShareRingTest, TheScreenShowsTheRing_TheSharedPictureDoesNot)
{
    const xcb_window_t under = openShown("under", {0, 0, 1280, 800}, kWindowColour);
    const QList<KRTCDesktopSource> screens = desktop->screens({});
    ASSERT_FALSE(screens.isEmpty());
    const qint64 screenId = screens.first().sourceId;
    const QRect area = *desktop->screenBounds(screenId);
    const QPoint edge(area.x() + 2, area.center().y());
    const QPoint middle = area.center();
    const QImage before = client->rootPicture(area);
    ASSERT_FALSE(before.isNull());
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Screen, screenId)));
    ASSERT_TRUE(processEventsUntil([&] { return ringShown(); }));

    // Painted: the server shows the ring's edge and, through its middle, what lies under it.
    ASSERT_TRUE(processEventsUntil([&] {
        const QImage shown = client->rootPicture(area);
        return !shown.isNull() && isRingColour(shown.pixel(edge - area.topLeft()));
    })) << "no ring on the screen";
    const QImage shown = client->rootPicture(area);
    EXPECT_FALSE(isRingColour(shown.pixel(middle - area.topLeft())));

    const QImage shared = desktop->grab(KRTCScreenOption::TypeScreen, screenId);
    ASSERT_FALSE(shared.isNull());
    EXPECT_FALSE(isRingColour(shared.pixel(edge - area.topLeft()))) << "the ring is in the shared picture";
    EXPECT_EQ(shared.pixel(edge - area.topLeft()) & 0xffffff, before.pixel(edge - area.topLeft()) & 0xffffff)
        << "what it covers is shown instead";
    client->close(under);
}

// Two monitors of one X screen: a share of the right one rings that monitor, not the primary.
TEST_F(ShareRingTest, AScreenShareOnTheSecondMonitorRingsThatMonitor)
{
    const qsizetype baseline = QGuiApplication::screens().size();
    ASSERT_TRUE(X11Monitors::split());
    const auto restore = qScopeGuard([&] {
        ShareTrack::stop();
        EXPECT_TRUE(X11Monitors::join(baseline));
    });
    const QRect right(640, 0, 640, 800);
    std::optional<qint64> rightId;
    ASSERT_TRUE(processEventsUntil([&] {
        for (const KRTCDesktopSource &source : desktop->screens({}))
            if (desktop->screenBounds(source.sourceId) == right)
                rightId = source.sourceId;
        return rightId.has_value();
    })) << "Qt never reported the second monitor";
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Screen, *rightId)));
    ASSERT_TRUE(processEventsUntil([&] { return ringShown(); }));
    EXPECT_EQ(ringOnServer(), right);
}

} // namespace
