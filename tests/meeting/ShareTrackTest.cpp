// The share ring against a scripted desktop and virtual time.

#include "ShareTestSupport.h"

#include "foundation/KVClock.h"
#include "meeting/sharing/ShareTrack.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class ShareTrackTest : public ::testing::Test {
protected:
    void TearDown() override { ShareTrack::stop(); }

    VirtualClockScope clock;
    ShareDesktopScope scope;
    FakeDesktopCapture &desktop = *scope.desktop;
};

TEST_F(ShareTrackTest, FollowsTheWindow_HiddenWhileItMoves_GoneHidesIt)
{
    scope.place(5, QRect(1500, 200, 400, 300)); // on a second monitor: taken as it is
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Window, 5)));
    ShareTrack *track = ShareTrack::current();
    EXPECT_EQ(desktop.raised(), QList<qint64>({5}));
    EXPECT_EQ(desktop.excluded().size(), 1); // the ring is never captured
    ShareBorderWindow *ring = track->borderWindow();
    ASSERT_NE(ring, nullptr);
    EXPECT_TRUE(ring->windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_FALSE(ring->isVisible());
    clock.clock.advance(300ms);
    EXPECT_FALSE(ring->isVisible()); // one reading: not yet known to be still
    clock.clock.advance(300ms);
    EXPECT_TRUE(ring->isVisible());
    EXPECT_EQ(ring->geometry(), QRect(1500, 200, 400, 300));
    EXPECT_EQ(desktop.stacked().last().windowId, 5);
    EXPECT_EQ(desktop.stacked().last().ours, ring->windowHandle());
    // Only the 5-point frame is part of the window.
    EXPECT_TRUE(ring->mask().contains(QPoint(2, 150)));
    EXPECT_FALSE(ring->mask().contains(QPoint(200, 150)));

    scope.place(5, QRect(1520, 210, 400, 300));
    clock.clock.advance(300ms);
    EXPECT_FALSE(ring->isVisible());
    clock.clock.advance(300ms);
    EXPECT_TRUE(ring->isVisible());
    EXPECT_EQ(ring->geometry(), QRect(1520, 210, 400, 300));

    desktop.closeWindow(5);
    clock.clock.advance(300ms);
    EXPECT_FALSE(ring->isVisible());
    EXPECT_NE(track->trackTimer(), nullptr); // it keeps looking

    // A second start closes the first ring; a window that is gone makes none.
    QPointer<ShareBorderWindow> first(ring);
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Screen, 0)));
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(desktop.excluded().size(), 1); // the first ring's entry went with it
    EXPECT_FALSE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Window, 9)));
    EXPECT_EQ(ShareTrack::current(), nullptr);
}

TEST_F(ShareTrackTest, ScreenRingCoversTheMatchedScreen_NoRingUnderThePortal)
{
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Screen, 99)));
    ShareBorderWindow *ring = ShareTrack::current()->borderWindow();
    EXPECT_EQ(ring->geometry(), QGuiApplication::primaryScreen()->geometry()); // unknown id: the primary
    desktop.setScreenBounds(1, QRect(1920, 0, 1280, 1024));
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Screen, 1)));
    ring = ShareTrack::current()->borderWindow();
    EXPECT_EQ(ring->geometry(), QRect(1920, 0, 1280, 1024)); // the second monitor
    EXPECT_TRUE(ring->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(ShareTrack::current()->trackTimer(), nullptr);

    desktop.setBackend(DesktopCaptureSource::Backend::Portal);
    scope.place(5, QRect(0, 0, 10, 10));
    ASSERT_TRUE(ShareTrack::startWithModel(shareCandidate(DesktopCaptureSnapshotModel::Window, 5)));
    EXPECT_EQ(ShareTrack::current()->borderWindow(), nullptr);
}

} // namespace
