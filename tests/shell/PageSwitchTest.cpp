// Page switches: asynchronous, every window closed first, the meeting window reused, quitting
// refused in a meeting, and closing the last window.

#include "ShellTestSupport.h"

#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/window/MeetingViewController.h"
#include "shell/AppDelegateMac.h"
#include "shell/MainPageViewController.h"
#include "shell/ShellTexts.h"
#include "uikit/KVAlert.h"
#include "uikit/VeskButton.h"

#include <QCloseEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

class PageSwitchTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        storeSignedInUser();
        installMeetingManager();
    }

    // Another part's window (settings, an alert) that is open during the switch.
    QWidget *openForeignWindow()
    {
        auto *w = new QWidget(nullptr, Qt::Window);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->resize(200, 100);
        w->show();
        return w;
    }
};

TEST_F(PageSwitchTest, EverySwitch_IsAsynchronousAndClosesEveryWindowFirst)
{
    windows()->showLoginPage();
    EXPECT_EQ(windows()->loginWindow(), nullptr); // nothing happens inside the call
    ASSERT_TRUE(processEventsUntil([] { return MacWindowsManager::sharedManager()->loginWindow() != nullptr; }));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::LoginPage);

    QPointer<QWidget> foreign = openForeignWindow();
    KVAlert *alert = KVAlert::alertWithMessage(QStringLiteral("提示"), QStringLiteral("好"), {});
    QPointer<KVAlert> alertGuard(alert);
    alert->showInCenterOfWindow(windows()->loginWindow());

    windows()->showMainPage(false);
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::LoginPage);
    EXPECT_TRUE(foreign->isVisible());
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_TRUE(!foreign || !foreign->isVisible());
    EXPECT_TRUE(!alertGuard || !alertGuard->isVisible());
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(windows()->homeWindow()->isVisible());
    EXPECT_EQ(windows()->loginWindow(), nullptr);

    // Exactly one page window is visible after each switch.
    windows()->showMeetingPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    EXPECT_FALSE(windows()->homeWindow()->isVisible());
    EXPECT_TRUE(windows()->meetingWindow()->isVisible());
}

TEST_F(PageSwitchTest, MeetingWindow_IsMadeOnceAndGetsAFreshPageEachTime)
{
    windows()->showMeetingPage(true);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    QWidget *window = windows()->meetingWindow();
    QPointer<MeetingPage> firstPage = windows()->meetingPage();
    ASSERT_TRUE(firstPage);
    EXPECT_TRUE(firstPage->enterWaitingRoom());

    windows()->enterMeetingRoomFromWaitingRoom();
    EXPECT_TRUE(firstPage->enterWaitingRoom()); // later, on the main queue
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(firstPage->enterWaitingRoom());

    windows()->showMainPage(true);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_FALSE(firstPage); // released with the meeting
    EXPECT_EQ(windows()->meetingPage(), nullptr);

    windows()->showMeetingPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    EXPECT_EQ(windows()->meetingWindow(), window);
    ASSERT_NE(windows()->meetingPage(), nullptr);
    EXPECT_FALSE(windows()->meetingPage()->enterWaitingRoom());
    EXPECT_TRUE(window->isVisible());
}

// The reused meeting window switched between the meeting and the waiting room, both ways: each page shown has a
// control focused at once, and Tab pressed on the keyboard moves on from it.
TEST_F(PageSwitchTest, MeetingWindowReused_EachPageShownTakesTheKeyboard)
{
    const auto keyboardReachesThePage = [] {
        QWidget *window = MacWindowsManager::sharedManager()->meetingWindow();
        MeetingPage *page = MacWindowsManager::sharedManager()->meetingPage();
        QWidget *focus = QApplication::focusWidget();
        EXPECT_TRUE(focus && page && page->view()->isAncestorOf(focus) && focus->isVisible());
        if (!focus)
            return;
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        QWidget *next = QApplication::focusWidget();
        EXPECT_TRUE(next && next != focus && page->view()->isAncestorOf(next));
    };
    windows()->showMeetingPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    ASSERT_TRUE(settleRequests());
    keyboardReachesThePage();

    windows()->showMeetingPage(true); // moved out
    ASSERT_TRUE(processEventsUntil([] { return windows()->meetingPage()->isShowingWaitingRoom(); }));
    ASSERT_TRUE(settleRequests());
    keyboardReachesThePage();

    windows()->enterMeetingRoomFromWaitingRoom(); // admitted back, in the same page
    ASSERT_TRUE(processEventsUntil([] { return !windows()->meetingPage()->isShowingWaitingRoom(); }));
    ASSERT_TRUE(settleRequests());
    keyboardReachesThePage();
}

TEST_F(PageSwitchTest, HomePage_LivesOnDuringTheMeetingAndIsReused)
{
    windows()->showMainPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    QPointer<MainPageViewController> home = windows()->mainPageViewController();
    windows()->showMeetingPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(home); // it still hears the waiting room's admission
    windows()->showMainPage(true);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_EQ(windows()->mainPageViewController(), home.data());
}

TEST_F(PageSwitchTest, Quit_IsRefusedWithAToastWhileAMeetingIsOpen)
{
    QTemporaryDir dir;
    AppDelegateMac delegate(QStringLiteral("dev"), dir.filePath(QStringLiteral("instance")));
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_TRUE(delegate.applicationShouldTerminate());

    windows()->showMeetingPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    EXPECT_FALSE(delegate.applicationShouldTerminate());
    EXPECT_EQ(toastText(), ShellTexts::kQuitRefusedInMeeting);

    // The application's quit request itself is swallowed; the meeting stays.
    VeskToast::dismissToast();
    QEvent quit(QEvent::Quit);
    EXPECT_TRUE(QCoreApplication::sendEvent(QCoreApplication::instance(), &quit));
    EXPECT_FALSE(quit.isAccepted());
    EXPECT_EQ(toastText(), ShellTexts::kQuitRefusedInMeeting);
    EXPECT_TRUE(windows()->meetingWindow()->isVisible());
}

TEST_F(PageSwitchTest, QuitShortcutPath_DoesNotEndTheRunningLoopDuringAMeeting)
{
    QTemporaryDir dir;
    AppDelegateMac delegate(QStringLiteral("dev"), dir.filePath(QStringLiteral("instance")));
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    windows()->showMeetingPage(false);
    // QCoreApplication::quit() (the quit shortcut's call) only acts in a running loop: if it is
    // refused, the loop is still there to run the next queued call.
    bool stillRunning = false;
    MainQueue::async([&stillRunning] {
        QCoreApplication::quit();
        MainQueue::async([&stillRunning] {
            stillRunning = true;
            QCoreApplication::exit(0);
        });
    });
    QCoreApplication::exec();
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(toastText(), ShellTexts::kQuitRefusedInMeeting);
}

TEST_F(PageSwitchTest, ClosingTheLastWindow_QuitsOnlyOnTheLoginPage)
{
    windows()->showMainPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    windows()->homeWindow()->close();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(quitRequests, 0);

    windows()->showLoginPage();
    ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(quitRequests, 0); // switching pages is not closing by the user
    windows()->loginWindow()->close();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(quitRequests, 1);
}

TEST_F(PageSwitchTest, ClosingTheMeetingWindow_LeavesTheMeetingAndReturnsHome)
{
    DevRoom &room = addRoom(QStringLiteral("123456789"));
    room.members.append(DevMember{kMyPhone, QStringLiteral("张三"), kMyPhone});
    auto info = std::make_shared<MeetingInfoModel>();
    info->roomId = room.roomId;
    info->roomName = room.roomName;
    VeskAppAgent::sharedInstance()->meetingManager()->joinRoomWith(info);
    windows()->showMeetingPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    EXPECT_EQ(VeskAppAgent::sharedInstance()->currentRoomInfo()->roomName, QStringLiteral("周会"));

    // Closing asks first; the leave dialog's answer runs the tear-down that switches pages.
    QCloseEvent close;
    QCoreApplication::sendEvent(windows()->meetingWindow(), &close);
    EXPECT_FALSE(close.isAccepted());
    ASSERT_NE(windows()->meetingPage()->leaveAlert(), nullptr);
    windows()->meetingPage()->leaveRoom();
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/leave")) == 1; }));
    EXPECT_EQ(VeskAppAgent::sharedInstance()->meetingManager()->roomInfo(), nullptr);
}

} // namespace
