#include "foundation/KVClock.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
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
    // The banner stays centred when the view resizes.
    VeskMeetingToast::showErrorTip(&view, "录制失败");
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
