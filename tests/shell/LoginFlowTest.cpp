// The login page against the stand-in: input checks, the code request and its count-down,
// sign-in end to end, failures, and signing out from the home window.

#include "ShellTestSupport.h"

#include "agent/AgentEnvironment.h"
#include "shell/LoginViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/ShellTexts.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class LoginFlowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        installMeetingManager();
        windows()->showLoginPage();
        ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
        ASSERT_TRUE(processEventsUntil([] { return MacWindowsManager::sharedManager()->loginViewController(); }));
        login = windows()->loginViewController();
    }

    LoginViewController *login = nullptr;
};

TEST_F(LoginFlowTest, BadInput_GetsMessagesNextToTheFieldsAndSendsNothing)
{
    login->phoneField()->setStringValue(QStringLiteral("1380000"));
    login->codeButton()->click();
    EXPECT_EQ(login->phoneMessage()->text(), ShellTexts::kPhoneInvalid);
    EXPECT_TRUE(login->phoneMessage()->isVisibleTo(login->view()));
    EXPECT_TRUE(login->phoneField()->unValidstate());

    login->codeField()->setStringValue(QStringLiteral("12"));
    login->loginButton()->click();
    EXPECT_EQ(login->codeMessage()->text(), ShellTexts::kCodeInvalid);

    // What is typed keeps digits only, cut to the field's length.
    login->phoneField()->textField()->clear();
    QTest::keyClicks(login->phoneField()->textField(), "138-0000-0000-99");
    EXPECT_EQ(login->phoneField()->stringValue(), QStringLiteral("13800000000"));

    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/sendSmsCode")), 0);
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/login")), 0);
}

TEST_F(LoginFlowTest, CodeRequest_CountsDownSixtySecondsBeforeTheNextOne)
{
    login->phoneField()->setStringValue(kMyPhone);
    login->codeButton()->click();
    EXPECT_NE(VeskToast::currentLoadingToast(), nullptr);
    EXPECT_FALSE(login->codeButton()->isEnabled()); // no second request while one runs
    ASSERT_TRUE(waitForToast(ShellTexts::kCodeSent));
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/sendSmsCode")), 1);
    EXPECT_EQ(login->secondsLeft(), 60);
    EXPECT_FALSE(login->codeButton()->isEnabled());
    EXPECT_EQ(login->codeButton()->title(), ShellTexts::kCountDown.arg(60));
    const int textWidth = login->codeButton()->fontMetrics().horizontalAdvance(login->codeButton()->title());
    EXPECT_GE(login->codeButton()->width() - textWidth, 24) << "the count-down keeps clear of the edges";

    clock.clock.advance(59s);
    EXPECT_EQ(login->codeButton()->title(), ShellTexts::kCountDown.arg(1));
    login->sendSmsCode();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/sendSmsCode")), 1);

    clock.clock.advance(1s);
    EXPECT_TRUE(login->codeButton()->isEnabled());
    EXPECT_EQ(login->codeButton()->title(), ShellTexts::kGetCode);
    EXPECT_EQ(login->codeButton()->accessibleName(), ShellTexts::kGetCode);
    clock.clock.advance(10s); // the count-down stopped for good
    EXPECT_EQ(login->secondsLeft(), 0);
}

TEST_F(LoginFlowTest, FailedCodeRequest_ShowsWhyAndAllowsAnotherAtOnce)
{
    service.failNextReply(QStringLiteral("/qf/user/sendSmsCode"), DevService::fail(500, QString()));
    login->phoneField()->setStringValue(kMyPhone);
    login->codeButton()->click();
    ASSERT_TRUE(waitForToast(ShellTexts::kNetworkError));
    EXPECT_TRUE(login->codeButton()->isEnabled());
    EXPECT_EQ(login->secondsLeft(), 0);
}

TEST_F(LoginFlowTest, SignInAndSignOut_EndToEnd)
{
    login->phoneField()->setStringValue(kMyPhone);
    login->codeButton()->click();
    ASSERT_TRUE(waitForToast(ShellTexts::kCodeSent));
    login->codeField()->setStringValue(AgentRoutes::DevSmsCode);
    login->loginButton()->click();
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), ShellTexts::kSigningIn);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));

    // A new number is registered with the same code, stored, and shown.
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    EXPECT_TRUE(agent->isSignedIn());
    EXPECT_EQ(agent->myInfo().phoneNumber, kMyPhone);
    EXPECT_TRUE(UserDefaults::standardUserDefaults().contains(VeskAppAgent::kMyInfoKey));
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/register")), 1);
    MainWindowViewController *home = windows()->mainWindowViewController();
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->userNameLabel()->text(), agent->myInfo().userName);
    EXPECT_FALSE(agent->myInfo().userName.isEmpty());
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);

    home->signOutButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
    EXPECT_FALSE(agent->isSignedIn());
    EXPECT_FALSE(UserDefaults::standardUserDefaults().contains(VeskAppAgent::kMyInfoKey));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(windows()->homeWindow(), nullptr);
    ASSERT_NE(windows()->loginViewController(), nullptr);
    EXPECT_TRUE(windows()->loginViewController()->phoneField()->stringValue().isEmpty());
}

TEST_F(LoginFlowTest, WrongCode_ShowsTheServicesMessageAndStays)
{
    login->phoneField()->setStringValue(kMyPhone);
    login->codeField()->setStringValue(QStringLiteral("000000"));
    login->loginButton()->click();
    ASSERT_TRUE(waitForToast(QStringLiteral("验证码错误")));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::LoginPage);
    EXPECT_TRUE(login->loginButton()->isEnabled());
    EXPECT_FALSE(VeskAppAgent::sharedInstance()->isSignedIn());
}

TEST_F(LoginFlowTest, UnreachableService_ShowsTheNetworkText)
{
    // Nothing listens on port 1 of this machine.
    qputenv("KORVI_DEV_PORT", "1");
    VeskAppAgent::sharedInstance()->setServerEnvironment(AgentEnvironment::Development);
    login->phoneField()->setStringValue(kMyPhone);
    login->codeField()->setStringValue(AgentRoutes::DevSmsCode);
    login->loginButton()->click();
    ASSERT_TRUE(waitForToast(ShellTexts::kNetworkError));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::LoginPage);
}

} // namespace
