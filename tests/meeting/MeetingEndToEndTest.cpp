// One whole road against the stand-in with the fake engine: sign in by SMS code, enter the room,
// open the meeting page as the shell does, reach the room (state 2), leave through the dialog and
// land on the home page.

#include "MeetingTestSupport.h"

#include "meeting/window/NetWorkTipView.h"
#include "routes/AgentRoutesSupport.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/VeskButton.h"

namespace {

TEST_F(MeetingTest, EndToEnd_SignInJoinReachTheRoomLeaveLandHome)
{
    service.state().addUser(kMyPhone, kMyPhone, QStringLiteral("张三"), QStringLiteral("token-old"));
    addRoom();

    bool signedIn = false;
    VeskAppAgent::sharedInstance()->loginWithPhoneNumber(&context, kMyPhone, AgentRoutes::DevSmsCode,
                                                         [&](const KVMResponse &r) { signedIn = r.successed; });
    ASSERT_TRUE(processEventsUntil([&] { return signedIn; }));
    ASSERT_TRUE(VeskAppAgent::sharedInstance()->isSignedIn());

    ASSERT_EQ(enterRoom(), 0);
    navigator->showMeetingPage(false);
    QPointer<MeetingViewController> page = navigator->meetingPage;
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(engine().callCount(QStringLiteral("joinRoom")), 1);

    ASSERT_TRUE(processEventsUntil([&] { return manager()->state() == VeskMeetingManager::StateInRoom; }));
    ASSERT_TRUE(processEventsUntil([&] { return page && page->stateMeeting() == 2; }));
    EXPECT_EQ(NetWorkTipView::current(), nullptr); // the joining banner went with state 2
    EXPECT_EQ(page->ui->titleLabel->text(), QStringLiteral("周会(123-456-789)"));

    page->ui->leaveRoomButton->click();
    KVAlert *alert = visibleAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    alert->confirmButton()->click();

    ASSERT_TRUE(processEventsUntil([&] { return navigator->currentPageType() == 1; }));
    EXPECT_EQ(navigator->calls, (QStringList{QStringLiteral("showMeetingPage 0"), QStringLiteral("showMainPage 1")}));
    ASSERT_TRUE(processEventsUntil([&] { return page.isNull(); }));
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(QStringLiteral("/qf/meeting/room/leave")) == 1; }));
    EXPECT_EQ(manager()->state(), VeskMeetingManager::StateIdle);
    EXPECT_EQ(manager()->roomInfo(), nullptr);
    EXPECT_EQ(engine().callCount(QStringLiteral("leaveRoom")), 1);
}

} // namespace
