// The panel windows under a real window manager (openbox on Xvfb): the window manager's close
// closes the member list as its own button does, and the panels stay above the meeting window.

#include "MeetingTestSupport.h"
#include "X11Session.h"
#include "X11TestClient.h"
#include "X11Tests.h"

#include "meeting/common/MeetingBottomButton.h"
#include "routes/EngineRoutes.h"
#include "uikit/KVFlatView.h"
#include "uikit/MacBaseWindowController.h"

#include <QTest>

#include <xcb/xtest.h>

namespace {

class PanelWindowManagerTest : public MeetingTest {
protected:
    void SetUp() override
    {
        if (!X11Tests::session())
            GTEST_SKIP() << "no X server with a window manager: " << X11Tests::unavailable().toStdString();
        MeetingTest::SetUp();
        client = std::make_unique<X11TestClient>();
        signIn(kHostPhone, QStringLiteral("主持人"));
        addRoom();
        page = openJoinedPage();
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(processEventsUntil([this] { return page->view()->window()->isVisible(); }));
    }

    // The list opened by its button, once the window manager has put its window on the screen.
    QWidget *openList()
    {
        page->ui->memberListBtn->click();
        QWidget *list = page->panels().state().memberWindow->window();
        EXPECT_TRUE(
            processEventsUntil([&] { return list->isVisible() && client->viewable(xcb_window_t(list->winId())); }));
        return list;
    }

    std::unique_ptr<X11TestClient> client;
    MeetingViewController *page = nullptr;
};

TEST_F(PanelWindowManagerTest, ClosedByTheWindowManager_TheButtonGoesOff_AnArrivalShowsTheDot_TheNextClickOpens)
{
    QWidget *list = openList();
    ASSERT_EQ(page->ui->memberListBtn->state(), 1);
    client->closeByWindowManager(xcb_window_t(list->winId()));
    ASSERT_TRUE(processEventsUntil([&] { return !list->isVisible(); }));
    EXPECT_EQ(page->ui->memberListBtn->state(), 0);
    EXPECT_FALSE(page->panels().state().isMemberListShow);

    EngineSimPeer peer;
    peer.userName = QStringLiteral("王五");
    EngineRoutes::addSimulatedWaiting(service, kRoomId, peer);
    ASSERT_TRUE(processEventsUntil([&] { return !page->ui->memberBtnRedDot->isHidden(); }));

    openList();
    EXPECT_EQ(page->ui->memberListBtn->state(), 1);
    EXPECT_TRUE(page->ui->memberBtnRedDot->isHidden());
}

// 成员 and 实时转录 opened together lie side by side, and in full screen, after a click in the
// meeting window brings it forward, both stay above it: they are the meeting window's own.
TEST_F(PanelWindowManagerTest, PanelsOpenedTogether_LieSideBySide_AndStayAboveTheMeetingWindowInFullScreen)
{
    QWidget *list = openList();
    page->showOrHiddeTranscriptionWindow(true, false);
    QWidget *transcript = page->transcriptionWindow()->window();
    ASSERT_TRUE(processEventsUntil(
        [&] { return transcript->isVisible() && client->viewable(xcb_window_t(transcript->winId())); }));
    const auto onScreen = [&](QWidget *w) { return client->rootGeometry(xcb_window_t(w->winId())).value_or(QRect()); };
    ASSERT_TRUE(processEventsUntil([&] { return onScreen(list).isValid() && onScreen(transcript).isValid(); }));
    EXPECT_FALSE(onScreen(list).intersects(onScreen(transcript)))
        << "one panel covers the other: " << onScreen(list).x() << "," << onScreen(list).y() << " and "
        << onScreen(transcript).x() << "," << onScreen(transcript).y();

    QWidget *meeting = page->view()->window();
    QTest::mouseClick(page->ui->fullScreenBtn, Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil(
        [&] { return X11Tests::session()->windowState(meeting->winId()).contains("_NET_WM_STATE_FULLSCREEN"); }));
    // A click in the meeting window, left of the panels, as the server delivers it.
    const QRect screen = client->rootGeometry(xcb_window_t(meeting->winId())).value_or(QRect());
    const QPoint inMeeting(screen.x() + 40, screen.center().y());
    xcb_test_fake_input(client->c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, client->root->root, int16_t(inMeeting.x()),
                        int16_t(inMeeting.y()), 0);
    xcb_test_fake_input(client->c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_test_fake_input(client->c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    client->sync();
    ASSERT_TRUE(processEventsUntil([&] { return client->activeWindow() == xcb_window_t(meeting->winId()); }));
    const auto above = [&](QWidget *panel) {
        const QList<xcb_window_t> stack = client->rootChildren();
        return stack.indexOf(client->frameOf(xcb_window_t(panel->winId()))) >
               stack.indexOf(client->frameOf(xcb_window_t(meeting->winId())));
    };
    processEventsFor(300);
    EXPECT_TRUE(above(list)) << "成员 went behind the meeting window";
    EXPECT_TRUE(above(transcript)) << "实时转录 went behind the meeting window";
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(page->ui->memberListBtn->state(), 1);
}

} // namespace
