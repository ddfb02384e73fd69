#include "foundation/KVClock.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <thread>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
struct ShownWindow {
    ShownWindow()
    {
        window.setGeometry(100, 100, 800, 600);
        window.show();
    }
    QWidget window;
};
} // namespace

TEST(VeskToastTest, EmptyTextShowsNothing)
{
    VirtualClockScope clock;
    ShownWindow w;
    VeskToast::showToast(QString());
    VeskToast::showToastInMeeting("");
    VeskToast::showToastInMeetingFiveSecond("");
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    // An empty text does not take away a toast already shown either.
    VeskToast::showToast("网络不给力，请稍后重试");
    VeskToast::showToast("");
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), "网络不给力，请稍后重试");
}

TEST(VeskToastTest, AMessageFromTheServiceIsShownAsText)
{
    VirtualClockScope clock;
    ShownWindow w;
    VeskToast::showToast(QStringLiteral("<img src=x>名称已被占用"));
    auto *label = VeskToast::currentToast()->findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), QStringLiteral("<img src=x>名称已被占用"));
}

TEST(VeskToastTest, ToastShowsOverTheWindowCentredAndGoesAfterTwoSeconds)
{
    VirtualClockScope clock;
    ShownWindow w;
    VeskToast::showToast("清理成功");
    QWidget *toast = VeskToast::currentToast();
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(toast->window(), &w.window);
    EXPECT_NEAR(toast->x() + toast->width() / 2.0, 400, 1);
    EXPECT_NEAR(toast->y() + toast->height() / 2.0, 300, 1);
    EXPECT_EQ(VeskToast::textOf(toast), "清理成功");
    // The whole text fits in the box.
    const QLabel *label = toast->findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    QApplication::processEvents();
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance("清理成功"));
    EXPECT_TRUE(toast->rect().contains(label->geometry())) << toast->width() << "x" << toast->height();
    clock.clock.advance(1999ms);
    EXPECT_NE(VeskToast::currentToast(), nullptr);
    clock.clock.advance(1ms);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
}

TEST(VeskToastTest, FiveSecondToastIsShownForFiveSecondsAndReplacesTheCurrentOne)
{
    VirtualClockScope clock;
    ShownWindow w;
    VeskToast::showToastInMeeting("您的麦克风已关闭");
    VeskToast::showToastInMeetingFiveSecond("全员禁言中");
    QWidget *toast = VeskToast::currentToast();
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(VeskToast::textOf(toast), "全员禁言中");
    // Only one toast on the window.
    int visible = 0;
    for (auto *child : w.window.findChildren<QWidget *>(QStringLiteral("VeskToast")))
        visible += child->isVisible() ? 1 : 0;
    EXPECT_EQ(visible, 1);
    clock.clock.advance(4900ms);
    EXPECT_EQ(VeskToast::currentToast(), toast);
    clock.clock.advance(100ms);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
}

TEST(VeskToastTest, ReplacedToastsTimerDoesNotCutTheNewOneShort)
{
    VirtualClockScope clock;
    ShownWindow w;
    VeskToast::showToast("一");
    clock.clock.advance(1500ms);
    VeskToast::showToast("二");
    clock.clock.advance(1000ms); // the first one's end has passed
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), "二");
    clock.clock.advance(1000ms);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
}

TEST(VeskToastTest, WithoutAnyWindowTheToastIsItsOwnWindow)
{
    VirtualClockScope clock;
    VeskToast::showToast("请先离开会议");
    QWidget *toast = VeskToast::currentToast();
    ASSERT_NE(toast, nullptr);
    EXPECT_TRUE(toast->isWindow());
    clock.clock.advance(2s);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
}

TEST(VeskLoadingToastTest, OneBoxAtATimeAndDismissWithoutOneDoesNothing)
{
    VirtualClockScope clock;
    ShownWindow w;
    VeskToast::dismissLoadingToast(); // none shown: no effect
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);
    VeskToast::showLoadingToast("创建会议中");
    QWidget *box = VeskToast::currentLoadingToast();
    ASSERT_NE(box, nullptr);
    VeskToast::showLoadingToast(); // empty text allowed, same box
    EXPECT_EQ(VeskToast::currentLoadingToast(), box);
    EXPECT_EQ(VeskToast::textOf(box), "");
    // It stays until dismissed, whatever the time.
    clock.clock.advance(60s);
    EXPECT_EQ(VeskToast::currentLoadingToast(), box);
    VeskToast::dismissLoadingToast();
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);
    VeskToast::dismissLoadingToast();
}

TEST(MeetingTipTest, BannerSitsSeventyBelowTheTopFadesInAndIsRemovedAfterTwoSeconds)
{
    VirtualClockScope clock;
    QWidget view;
    view.resize(1000, 700);
    view.show();
    VeskMeetingToast::showNomalTip(&view, "会议ID已复制");
    QWidget *tip = VeskMeetingToast::currentTip(&view);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->y(), 70);
    EXPECT_NEAR(tip->x() + tip->width() / 2.0, 500, 1);
    EXPECT_DOUBLE_EQ(VeskMeetingToast::tipOpacity(tip), 0.0);
    clock.clock.advance(150ms);
    EXPECT_NEAR(VeskMeetingToast::tipOpacity(tip), 0.5, 0.01);
    clock.clock.advance(150ms);
    EXPECT_DOUBLE_EQ(VeskMeetingToast::tipOpacity(tip), 1.0);
    clock.clock.advance(1699ms);
    EXPECT_EQ(VeskMeetingToast::currentTip(&view), tip);
    clock.clock.advance(1ms);
    EXPECT_EQ(VeskMeetingToast::currentTip(&view), nullptr);
    // The banner stays centred when the view resizes (from the next turn of the event loop on).
    VeskMeetingToast::showErrorTip(&view, "录制失败");
    QCoreApplication::sendPostedEvents();
    view.resize(600, 700);
    tip = VeskMeetingToast::currentTip(&view);
    ASSERT_NE(tip, nullptr);
    EXPECT_NEAR(tip->x() + tip->width() / 2.0, 300, 1);
}

TEST(MeetingTipTest, NewTipReplacesTheOldAndEmptyTextShowsNothing)
{
    VirtualClockScope clock;
    QWidget view;
    view.resize(800, 600);
    view.show();
    VeskMeetingToast::showErrorTip(&view, "");
    EXPECT_EQ(VeskMeetingToast::currentTip(&view), nullptr);
    VeskMeetingToast::showNomalTip(&view, "您的摄像头已开启");
    clock.clock.advance(1500ms);
    VeskMeetingToast::showErrorTip(&view, "未检测到可用的摄像头，请检查设备是否正常后重试");
    QWidget *second = VeskMeetingToast::currentTip(&view);
    ASSERT_NE(second, nullptr);
    // The first tip's end does not remove the second; the second lives its own 2 s.
    clock.clock.advance(1000ms);
    EXPECT_EQ(VeskMeetingToast::currentTip(&view), second);
    clock.clock.advance(1000ms);
    EXPECT_EQ(VeskMeetingToast::currentTip(&view), nullptr);
    VeskMeetingToast::showNomalTip(nullptr, "no view"); // no crash
}

TEST(VeskToastTest, MessagesFromAnotherThreadAreShownOnTheMainThread)
{
    VirtualClockScope clock;
    ShownWindow w;
    std::thread worker([&] {
        VeskToast::showToast("上传失败");
        VeskMeetingToast::showErrorTip(&w.window, "录制失败");
    });
    worker.join();
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    QCoreApplication::sendPostedEvents();
    ASSERT_NE(VeskToast::currentToast(), nullptr);
    EXPECT_EQ(VeskToast::currentToast()->thread(), QCoreApplication::instance()->thread());
    EXPECT_NE(VeskMeetingToast::currentTip(&w.window), nullptr);
}

namespace {
// A window whose close hook says something, as the settings window's audio tab does when it stops
// its tests without a microphone. A hook run again and again stops saying it after a few rounds,
// so a close that loops ends the test instead of hanging it.
class SayingOnClose final : public MacBaseViewController {
public:
    std::function<void()> say;
    int closeHooks = 0;
    void windowWillClose() override
    {
        if (++closeHooks <= 5 && say)
            say();
    }
};
} // namespace

namespace {
// A hook on a window's events (a key's press) that says something, as a close hook does: a hook run
// again for the same event stops saying it after a few rounds, so the test ends.
class SayingOnKey final : public QObject {
public:
    SayingOnKey(QWidget *window, std::function<void()> say) : m_window(window), m_say(std::move(say))
    {
        window->installEventFilter(this);
    }
    int presses = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::KeyPress && ++presses <= 5)
            m_say();
        return false;
    }

private:
    QWidget *m_window;
    std::function<void()> m_say;
};
} // namespace

TEST(VeskToastTest, AToastShownFromItsWindowsOwnEventIsShownOnceForIt)
{
    VirtualClockScope clock;
    ShownWindow w;
    w.window.activateWindow();
    QApplication::setActiveWindow(&w.window);
    SayingOnKey hook(&w.window, [] { VeskToast::showToast(QStringLiteral("会议号已复制")); });
    QTest::keyClick(&w.window, Qt::Key_C);
    EXPECT_EQ(hook.presses, 1) << "the event it was shown from is not delivered again";
    QWidget *toast = VeskToast::currentToast();
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(toast->window(), &w.window);
    // From the next event on it follows its window.
    QCoreApplication::sendPostedEvents();
    w.window.resize(600, 400);
    EXPECT_NEAR(toast->x() + toast->width() / 2.0, 300, 1);
}

TEST(MeetingTipTest, ATipShownFromItsViewsOwnEventIsShownOnceForIt)
{
    VirtualClockScope clock;
    QWidget meeting;
    meeting.resize(1000, 700);
    meeting.show();
    SayingOnKey hook(&meeting,
                     [&meeting] { VeskMeetingToast::showNomalTip(&meeting, QStringLiteral("会议ID已复制")); });
    QTest::keyClick(&meeting, Qt::Key_C);
    EXPECT_EQ(hook.presses, 1);
    EXPECT_NE(VeskMeetingToast::currentTip(&meeting), nullptr);
}

TEST(VeskToastTest, AWindowWhoseCloseHookShowsAToastClosesOnce_TheToastGoesOverAnotherWindow)
{
    VirtualClockScope clock;
    ShownWindow home;
    QWidget settings;
    settings.setGeometry(200, 200, 600, 400);
    SayingOnClose controller;
    controller.setView(new QWidget(&settings));
    controller.resetWindowDelegate();
    controller.say = [] { VeskToast::showToast(QStringLiteral("未获取权限")); };
    settings.show();
    settings.activateWindow();
    QApplication::setActiveWindow(&settings);

    EXPECT_TRUE(settings.close());
    EXPECT_EQ(controller.closeHooks, 1);
    EXPECT_FALSE(settings.isVisible());
    QWidget *toast = VeskToast::currentToast();
    ASSERT_NE(toast, nullptr) << "nothing said is lost";
    EXPECT_EQ(toast->window(), &home.window) << "never over the window that went";
    EXPECT_EQ(VeskToast::textOf(toast), QStringLiteral("未获取权限"));

    // The loading box follows the same rule, and a later toast over the window left still works.
    QApplication::processEvents();
    settings.show();
    controller.say = [] { VeskToast::showLoadingToast(QStringLiteral("正在上传")); };
    EXPECT_TRUE(settings.close());
    EXPECT_EQ(controller.closeHooks, 2);
    ASSERT_NE(VeskToast::currentLoadingToast(), nullptr);
    EXPECT_EQ(VeskToast::currentLoadingToast()->window(), &home.window);
    VeskToast::dismissLoadingToast();
    clock.clock.advance(2s);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
}

TEST(MeetingTipTest, AViewWhoseCloseHookShowsATipClosesOnce)
{
    VirtualClockScope clock;
    QWidget meeting;
    meeting.resize(1000, 700);
    SayingOnClose controller;
    controller.setView(new QWidget(&meeting));
    controller.resetWindowDelegate();
    controller.say = [&meeting] { VeskMeetingToast::showErrorTip(&meeting, QStringLiteral("录制失败")); };
    meeting.show();

    EXPECT_TRUE(meeting.close());
    EXPECT_EQ(controller.closeHooks, 1);
    EXPECT_FALSE(meeting.isVisible());
    EXPECT_EQ(VeskMeetingToast::currentTip(&meeting), nullptr) << "no tip in a window that went";

    // Shown again, the window's tips are back, and one shown from any other event closes nothing.
    meeting.show();
    controller.say = nullptr;
    VeskMeetingToast::showNomalTip(&meeting, QStringLiteral("会议ID已复制"));
    EXPECT_NE(VeskMeetingToast::currentTip(&meeting), nullptr);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(meeting.close());
    EXPECT_EQ(controller.closeHooks, 2);
}
