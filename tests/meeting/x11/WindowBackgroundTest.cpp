// A click on the meeting window's background under a real window manager (openbox on Xvfb):
// the window stays where it is when the pointer moves on afterwards.

#include "MeetingTestSupport.h"
#include "X11Session.h"
#include "X11Tests.h"

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
};

TEST_F(WindowBackgroundTest, AClickThenAPointerMoveLeavesTheWindowWhereItIs)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    QWidget *window = page->view()->window();
    ASSERT_TRUE(processEventsUntil([&] { return window->isVisible() && window->isActiveWindow(); }));
    settle();
    X11Session &x = *X11Tests::session();
    const QPoint before = x.rootPosition(window->winId());

    // The meeting's title: a label, which leaves the press to the window's background.
    const QPoint at(page->view()->width() / 2, 20);
    QCursor::setPos(window->screen(), page->view()->mapToGlobal(at));
    QTest::mouseClick(page->view(), Qt::LeftButton, {}, at);
    settle();
    QCursor::setPos(window->screen(), page->view()->mapToGlobal(at) + QPoint(160, 120));
    // A move the window manager started follows the pointer at its next events.
    const bool moved = processEventsUntil([&] { return x.rootPosition(window->winId()) != before; }, 1500);
    const QPoint after = x.rootPosition(window->winId());
    EXPECT_FALSE(moved) << "from " << before.x() << "," << before.y() << " to " << after.x() << "," << after.y();
}

} // namespace
