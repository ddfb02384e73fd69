// Every window is walked with Tab alone: each stop is named, the walk comes round to where it
// started, and no stop keeps the key (the chat input hands it on).

#include "ShellTestSupport.h"

#include "meeting/common/MeetingBottomButton.h"
#include "meeting/window/MeetingViewController.h"
#include "shell/LoginViewController.h"
#include "shell/MainPageViewController.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"

#include <QAccessible>
#include <QTest>

namespace {

class KeyboardWalkTest : public ShellTest {
protected:
    // The names of the stops Tab visits in window, from its focus, until it comes round ("a | b").
    static std::string walk(QWidget *window) { return stops(window).join(QStringLiteral(" | ")).toStdString(); }
    static QStringList stops(QWidget *window)
    {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        processEventsUntil(
            [window] { return QApplication::focusWidget() && QApplication::focusWidget()->window() == window; });
        QStringList stops;
        QWidget *first = QApplication::focusWidget();
        if (!first)
            return stops;
        for (int i = 0; i < 60; ++i) {
            QWidget *at = QApplication::focusWidget();
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(at);
            stops << (iface ? iface->text(QAccessible::Name) : QString());
            QTest::keyClick(at, Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                return stops;
        }
        stops << QStringLiteral("<no way round>");
        return stops;
    }
};

TEST_F(KeyboardWalkTest, LoginHomeAndMeetingWindows_EveryStopNamedAndTheWalkComesRound)
{
    windows()->showLoginPage();
    ASSERT_TRUE(processEventsUntil([] { return windows()->loginWindow() && windows()->loginWindow()->isVisible(); }));
    EXPECT_EQ(walk(windows()->loginWindow()), "手机号 | 验证码 | 获取验证码 | 登录");

    // Home starts in the meeting-number field.
    storeSignedInUser();
    installMeetingManager();
    windows()->showMainPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_EQ(walk(windows()->homeWindow()),
              "请输入会议号 | 加入会议 | 快速会议 | 预约会议 | 全部会议 | 今日会议 | 会议记录 | 设置 | 退出登录");

    addRoom(QStringLiteral("123456789"));
    windows()->mainPageViewController()->meetingIdField()->setStringValue(QStringLiteral("123456789"));
    windows()->mainPageViewController()->joinButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    ASSERT_TRUE(processEventsUntil([] {
        MeetingViewController *page = windows()->meetingPage();
        return page && page->ui->memberListBtn &&
               page->ui->memberListBtn->accessibleName() == QStringLiteral("成员 1人");
    }));
    // As the screen reads: the chat input over the grid before the tool bar; the walk comes round.
    EXPECT_EQ(
        walk(windows()->meetingWindow()),
        "会议 | 网络状态 | 周会(123-456-789) | 复制会议信息 | 全屏 | 成员画面 | 聊天输入 | 麦克风 | 选择麦克风 | "
        "摄像头 | 选择摄像头 | 扬声器 | 选择扬声器 | 共享屏幕 | 成员 1人 | 录制 | 截图和本地录制 | 字幕 | 字幕设置 | "
        "应用 | 设置 | 离开会议");
}

} // namespace
