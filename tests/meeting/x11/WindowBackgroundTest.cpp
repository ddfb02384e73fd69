// A click on a window's background under a real window manager (openbox on Xvfb), on the
// meeting window and on a movable panel: the window stays where it is when the pointer moves on
// afterwards.

#include "MeetingTestSupport.h"
#include "X11Session.h"
#include "X11Tests.h"

#include "uikit/KVWindow.h"

#include <QCursor>
#include <QScreen>
#include <QTest>

namespace {

class WindowBackgroundTest : public MeetingTest {
protected:
    void SetUp() override
    {
        if (!X11Tests::session())
            GTEST_SKIP() << "no X server with a window manager: " << X11Tests::unavailable().toStdString();
        MeetingTest::SetUp();
    }

    // Clicks at a point of target, then moves the pointer on: the window must not follow.
    static void clickThenMoveOn(QWidget *target, QPoint at)
    {
        QWidget *window = target->window();
        ASSERT_TRUE(processEventsUntil([&] { return window->isVisible() && window->isActiveWindow(); }));
        X11Session &x = *X11Tests::session();
        const QPoint before = x.rootPosition(window->winId());
        QCursor::setPos(window->screen(), target->mapToGlobal(at));
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        ASSERT_TRUE(drainMainQueue());
        // A move the window manager started follows the pointer's next motion, whenever it starts:
        // the pointer keeps moving.
        int step = 0;
        const bool moved = processEventsUntil(
            [&] {
                ++step;
                QCursor::setPos(window->screen(), target->mapToGlobal(at) + QPoint(150 + step % 2 * 10, 120));
                return x.rootPosition(window->winId()) != before;
            },
            1500);
        const QPoint after = x.rootPosition(window->winId());
        EXPECT_FALSE(moved) << "from " << before.x() << "," << before.y() << " to " << after.x() << "," << after.y();
    }
};

TEST_F(WindowBackgroundTest, AClickThenAPointerMoveLeavesTheMeetingWindowAndAMovablePanelWhereTheyAre)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    settle();
    // The meeting's title: a label, which leaves the press to the window's background.
    clickThenMoveOn(page->view(), QPoint(page->view()->width() / 2, 20));

    KVWindow panel(QRect(100, 100, 320, 240));
    panel.setMovableByWindowBackground(true);
    panel.makeKeyAndOrderFront();
    clickThenMoveOn(&panel, QPoint(160, 120));
}

} // namespace
