// Full screen under a real window manager (openbox on Xvfb): one click enters it with the window
// manager's own full-screen state, one click leaves it, and the button says what it will do.

#include "MeetingTestSupport.h"
#include "X11Session.h"
#include "X11Tests.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

class FullScreenTest : public MeetingTest {
protected:
    void SetUp() override
    {
        if (!X11Tests::session())
            GTEST_SKIP() << "no X server with a window manager: " << X11Tests::unavailable().toStdString();
        MeetingTest::SetUp();
        signIn();
        addRoom();
        page = openJoinedPage();
        ASSERT_NE(page, nullptr);
        meetingWindow = page->view()->window();
        // Mapped and placed by the window manager before the first click.
        ASSERT_TRUE(
            processEventsUntil([this] { return meetingWindow->isVisible() && meetingWindow->isActiveWindow(); }));
        normal = meetingWindow->geometry();
    }

    [[nodiscard]] bool managerSaysFullScreen() const
    {
        return X11Tests::session()->windowState(meetingWindow->winId()).contains("_NET_WM_STATE_FULLSCREEN");
    }

    MeetingViewController *page = nullptr;
    QWidget *meetingWindow = nullptr;
    QRect normal;
};

TEST_F(FullScreenTest, OneClickIn_OneClickOut)
{
    const QRect screen = meetingWindow->screen()->geometry();
    EXPECT_EQ(page->ui->fullScreenBtn->accessibleName(), QStringLiteral("全屏"));

    page->ui->fullScreenBtn->click();
    ASSERT_TRUE(processEventsUntil([&] { return managerSaysFullScreen() && meetingWindow->geometry() == screen; }))
        << "state " << X11Tests::session()->windowState(meetingWindow->winId()).join(' ').toStdString() << ", at "
        << meetingWindow->geometry().x() << "," << meetingWindow->geometry().y() << " "
        << meetingWindow->geometry().width() << "x" << meetingWindow->geometry().height();
    EXPECT_TRUE(page->inFullScreenMode());
    EXPECT_EQ(page->ui->fullScreenBtn->accessibleName(), QStringLiteral("退出全屏"));
    EXPECT_EQ(page->ui->fullScreenBtn->toolTip(), QStringLiteral("退出全屏"));

    page->ui->fullScreenBtn->click();
    ASSERT_TRUE(processEventsUntil([&] { return !managerSaysFullScreen() && meetingWindow->size() == normal.size(); }))
        << "state " << X11Tests::session()->windowState(meetingWindow->winId()).join(' ').toStdString() << ", "
        << meetingWindow->width() << "x" << meetingWindow->height();
    EXPECT_FALSE(page->inFullScreenMode());
    EXPECT_EQ(page->ui->fullScreenBtn->accessibleName(), QStringLiteral("全屏"));
    EXPECT_TRUE(screen.contains(meetingWindow->frameGeometry())) << "back on the screen, whole";
}

} // namespace
