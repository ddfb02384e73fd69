// The settings window from the home window against the stand-in: opening it once, renaming the
// user with the home window following, the version check and log out.
#include "ShellTestSupport.h"

#include "foundation/NotificationCenter.h"
#include "settings/MainSettingViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/ShellTexts.h"
#include "uikit/KVTextField.h"

#include <QInputMethodEvent>
#include <QTest>

namespace {

class SettingsFlowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        storeSignedInUser();
        installMeetingManager();
        windows()->showMainPage(false);
        ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
        home = windows()->mainWindowViewController();
        ASSERT_NE(home, nullptr);
    }

    MainWindowViewController *home = nullptr;
};

TEST_F(SettingsFlowTest, HomeOpensOneSettingsWindow_RenameReachesTheHomeWindow_LogOutEndsOnTheLoginPage)
{
    home->settingsButton()->click();
    MainSettingViewController *settings = home->settingPage();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(settings->window()->isVisible());
    EXPECT_FALSE(settings->inMeeting());
    settings->window()->hide();
    home->settingsButton()->click();
    EXPECT_EQ(home->settingPage(), settings) << "the open window is shown again";
    EXPECT_TRUE(settings->window()->isVisible());

    // Rename.
    settings->cells()[4]->click();
    MainSettingAccountAndSecurityPanel *account = settings->accountAndSecurityPanel();
    ASSERT_NE(account, nullptr);
    account->modifyButton()->click();
    KVTextField *field = account->textFieldView()->textField();
    field->selectAll();
    QInputMethodEvent input;
    input.setCommitString(QStringLiteral("王五"));
    QApplication::sendEvent(field, &input);
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(processEventsUntil([this] { return home->userNameLabel()->text() == QStringLiteral("王五"); }));
    EXPECT_EQ(account->userNameLabel()->text(), QStringLiteral("王五"));

    // The version check of the about tab tells the user the version is the newest.
    settings->cells()[5]->click();
    settings->aboutUsPanel()->buttons()[0]->click();
    EXPECT_TRUE(waitForToast(ShellTexts::kUpToDate));

    // Closing drops the home window's references; the button opens a new window.
    settings->window()->close();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(home->settingPage(), nullptr);
    home->settingsButton()->click();
    settings = home->settingPage();
    ASSERT_NE(settings, nullptr);

    // Log out, without a question.
    settings->cells()[4]->click();
    QPointer<QWidget> settingsWindow = settings->window();
    settings->accountAndSecurityPanel()->logOutButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
    EXPECT_FALSE(VeskAppAgent::sharedInstance()->isSignedIn());
    EXPECT_TRUE(!settingsWindow || !settingsWindow->isVisible());
}

TEST_F(SettingsFlowTest, AMeetingWindowBeingBuiltClosesAHomeSettingsWindow)
{
    home->settingsButton()->click();
    QPointer<QWidget> window = home->settingPage()->window();
    NotificationCenter::defaultCenter().post(QStringLiteral("MainSettingViewControllerNeedCloseNotification"));
    EXPECT_FALSE(window && window->isVisible());
    EXPECT_EQ(home->settingPage(), nullptr);
}

} // namespace
