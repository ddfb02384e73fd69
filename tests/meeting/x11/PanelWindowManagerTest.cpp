// The member list's window under a real window manager (openbox on Xvfb): the window manager's close
// closes the list as its own button does.

#include "MeetingTestSupport.h"
#include "X11Session.h"
#include "X11TestClient.h"
#include "X11Tests.h"

#include "meeting/common/MeetingBottomButton.h"
#include "routes/EngineRoutes.h"
#include "uikit/KVFlatView.h"

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

} // namespace
