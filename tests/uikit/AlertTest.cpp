#include "uikit/AutoLayout.h"
#include "uikit/KVAlert.h"
#include "uikit/KVAlertProtocol.h"
#include "uikit/KVAlertViewController.h"
#include "uikit/KVMemberAlert.h"
#include "uikit/VeskLayer.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A custom view as the member list's alert offers it.
class QuestionView final : public QWidget, public KVAlertProtocol {
public:
    QuestionView()
    {
        m_cancel = new QPushButton("取消", this);
        m_confirm = new QPushButton("确定", this);
        m_label = new QLabel("确定移出该成员？", this);
    }
    QSize preferredSize() const override { return {278, 159}; }
    QAbstractButton *cancelButton() const override { return m_cancel; }
    QAbstractButton *confirmButton() const override { return m_confirm; }
    QLabel *contentLabel() const override { return m_label; }

private:
    QPushButton *m_cancel;
    QPushButton *m_confirm;
    QLabel *m_label;
};
} // namespace

TEST(KVAlertTest, ConfirmRunsItsBlockOnceAndClosesTheAlert)
{
    int confirms = 0, cancels = 0;
    QPointer<KVAlert> alert = KVAlert::alertWithTitle(
        "终止计时", "关闭窗口后，计时会自动停止，确认关闭子窗口？", "取消", "确定", [&] { ++cancels; },
        [&] { ++confirms; });
    alert->showInCenterOfWindow(nullptr);
    ASSERT_TRUE(alert->confirmButton());
    EXPECT_EQ(alert->confirmButton()->text(), "确定");
    EXPECT_EQ(alert->cancelButton()->text(), "取消");
    alert->confirmButton()->click();
    alert->confirmButton()->click(); // a second click before it is gone
    alert->cancelButton()->click();
    EXPECT_EQ(confirms, 1);
    EXPECT_EQ(cancels, 0);
    EXPECT_FALSE(alert->isVisible());
    processDeferredDeletes();
    EXPECT_TRUE(alert.isNull());
}

TEST(KVAlertTest, EmptyBlocksOnlyCloseAndTheOneButtonFactoriesWork)
{
    QPointer<KVAlert> a = KVAlert::alertWithMessage("确定退出当前会议?", "结束会议", "退出会议", nullptr, nullptr);
    a->showInCenterOfWindow(nullptr);
    a->cancelButton()->click();
    EXPECT_FALSE(a->isVisible());

    int confirmed = 0;
    QPointer<KVAlert> one = KVAlert::alertWithMessage("请输入会议密码", "知道了", [&] { ++confirmed; });
    EXPECT_EQ(one->cancelButton(), nullptr);
    EXPECT_EQ(one->closeButton(), nullptr);
    one->showInCenterOfWindow(nullptr);
    one->confirmButton()->click();
    EXPECT_EQ(confirmed, 1);

    int closed = 0;
    QPointer<KVAlert> withClose = KVAlert::alertWithMessage("主持人已结束会议", "确定", nullptr, [&] { ++closed; });
    ASSERT_NE(withClose->closeButton(), nullptr);
    EXPECT_EQ(withClose->closeButton()->accessibleName(), "关闭");
    withClose->showInCenterOfWindow(nullptr);
    withClose->closeButton()->click();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(withClose->isVisible());
}

TEST(KVAlertTest, DisableAutoDismissKeepsItOpenAndEachClickRunsTheBlock)
{
    int confirms = 0;
    QPointer<KVAlert> alert = KVAlert::alertWithMessage("x", "取消", "确定", nullptr, [&] { ++confirms; });
    alert->setDisableAutoDismiss(true);
    alert->showInCenterOfWindow(nullptr);
    alert->confirmButton()->click();
    alert->confirmButton()->click();
    EXPECT_EQ(confirms, 2);
    EXPECT_TRUE(alert->isVisible());
    alert->dismiss();
    EXPECT_FALSE(alert->isVisible());
}

TEST(KVAlertTest, ShownModallyForTheApplicationCentredOnTheWindow)
{
    QWidget window;
    window.setGeometry(200, 150, 800, 600);
    window.show();
    QPointer<KVAlert> alert = KVAlert::alertWithMessage("确定退出当前会议?", "结束会议", "退出会议", nullptr, nullptr);
    alert->showInCenterOfWindow(&window);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(QApplication::activeModalWidget(), alert.data());
    EXPECT_EQ(alert->size(), alert->preferredSize());
    const QRect frame = window.frameGeometry();
    EXPECT_NEAR(alert->x() + alert->width() / 2.0, frame.x() + frame.width() / 2.0, 1);
    EXPECT_NEAR(alert->y() + alert->height() / 2.0, frame.y() + frame.height() / 2.0, 1);
    // Shown at a screen point instead.
    QPointer<KVAlert> at = KVAlert::alertWithMessage("x", "确定", nullptr);
    at->showAtOrigin(QPoint(40, 60));
    EXPECT_EQ(at->pos(), QPoint(40, 60));
    alert->dismiss();
    at->dismiss();
}

TEST(KVAlertTest, CancelRedStyleUsesTheGivenColours)
{
    QPointer<KVAlert> alert = KVAlert::alertWithMessage("确定退出当前会议?", "结束会议", "退出会议", nullptr, nullptr);
    EXPECT_EQ(alert->setConfigCancelRedStyle(), alert.data());
    auto *cancel = qobject_cast<VeskButton *>(alert->cancelButton());
    auto *confirm = qobject_cast<VeskButton *>(alert->confirmButton());
    ASSERT_TRUE(cancel && confirm);
    EXPECT_EQ(cancel->textColor(), QColor("#FF656B"));
    EXPECT_EQ(VeskLayer::find(cancel)->borderColor(), QColor("#FF656B"));
    EXPECT_EQ(VeskLayer::find(confirm)->backgroundColor(), QColor("#007AFF"));
    EXPECT_EQ(confirm->textColor(), QColor(Qt::white));
    delete alert.data();
}

TEST(KVAlertTest, EscapeTakesTheOneButtonOfANotice)
{
    int confirms = 0;
    QPointer<KVAlert> notice = KVAlert::alertWithMessage("主持人结束了您的共享", "知道了", [&] { ++confirms; });
    notice->showInCenterOfWindow(nullptr);
    QTest::keyClick(notice.data(), Qt::Key_Escape);
    EXPECT_EQ(confirms, 1);
    EXPECT_FALSE(notice->isVisible());
    processDeferredDeletes();
    EXPECT_TRUE(notice.isNull());
}

TEST(KVAlertTest, EscapeCancelsButARedCancelIsNeverPressedByEscapeOrTheFirstReturn)
{
    int cancels = 0, confirms = 0;
    QPointer<KVAlert> plain = KVAlert::alertWithMessage(
        "确定退出当前会议?", "取消", "退出会议", [&] { ++cancels; }, [&] { ++confirms; });
    plain->showInCenterOfWindow(nullptr);
    QTest::keyClick(plain.data(), Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(plain->isVisible());
    processDeferredDeletes();

    // The creator's dialog: its red cancel ends the meeting for everyone.
    QPointer<KVAlert> creator = KVAlert::alertWithMessage(
        "确定退出当前会议?", "结束会议", "退出会议", [&] { ++cancels; }, [&] { ++confirms; });
    creator->setConfigCancelRedStyle();
    creator->showInCenterOfWindow(nullptr);
    QTest::keyClick(creator.data(), Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(confirms, 0);
    EXPECT_FALSE(creator->isVisible());
    processDeferredDeletes();
    EXPECT_TRUE(creator.isNull());

    // It opens on the choice that changes nothing: Return there only closes it.
    creator = KVAlert::alertWithMessage(
        "确定退出当前会议?", "结束会议", "退出会议", [&] { ++cancels; }, [&] { ++confirms; });
    creator->setConfigCancelRedStyle();
    creator->showInCenterOfWindow(nullptr);
    ASSERT_NE(creator->closeButton(), nullptr);
    EXPECT_EQ(creator->closeButton()->accessibleName(), "关闭");
    ASSERT_EQ(creator->focusWidget(), creator->closeButton());
    QTest::keyClick(creator->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(confirms, 0);
    EXPECT_FALSE(creator->isVisible());
    processDeferredDeletes();
}

TEST(KVAlertTest, CustomViewGivesTheSizeAndTheButtonsToRestyle)
{
    auto *view = new QuestionView();
    QPointer<KVAlert> alert = KVAlert::alertWithCustomView(view);
    EXPECT_EQ(alert->preferredSize(), QSize(278, 159));
    EXPECT_EQ(alert->confirmButton()->text(), "确定");
    alert->setConfigCancelRedStyle();
    EXPECT_EQ(alert->cancelButton()->palette().color(QPalette::ButtonText), QColor("#FF656B"));
    alert->showInCenterOfWindow(nullptr);
    EXPECT_EQ(alert->size(), QSize(278, 159));
    // The view's own buttons answer; the alert closes only when told.
    alert->confirmButton()->click();
    EXPECT_TRUE(alert->isVisible());
    alert->dismiss();
    processDeferredDeletes();
    EXPECT_TRUE(alert.isNull());
}

TEST(KVAlertTest, BlockThatDismissesTheAlertItselfDoesNotCrash)
{
    QPointer<KVAlert> alert;
    alert = KVAlert::alertWithMessage("x", "取消", "确定", nullptr, [&] {
        delete alert.data(); // the owner drops the alert from inside the block
    });
    alert->showInCenterOfWindow(nullptr);
    alert->confirmButton()->click();
    EXPECT_TRUE(alert.isNull());
}

TEST(KVAlertViewControllerTest, ContentShownInAModalPanelOfTheGivenSize)
{
    QWidget window;
    window.setGeometry(100, 100, 1000, 800);
    window.show();
    auto *content = new QLabel("邀请");
    QPointer<KVAlertViewController> controller = KVAlertViewController::showInCenterContent(content, QSize(494, 537));
    ASSERT_TRUE(controller);
    QWidget *panel = controller->view();
    EXPECT_EQ(panel->size(), QSize(494, 537));
    EXPECT_EQ(panel->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(content->window(), panel);
    EXPECT_NEAR(panel->x() + 247, 100 + 500, 1);
    // Closing the panel from inside the content takes the controller with it.
    content->window()->close();
    processDeferredDeletes();
    processDeferredDeletes();
    EXPECT_TRUE(controller.isNull());
}

TEST(KVMemberAlertTest, SizeAndButtonsFollowTheBoxAndConfirmHandsBackTheDataAndTheTick)
{
    QVariant gotModel;
    bool gotTicked = false;
    int cancels = 0;
    KVAlert *alert = KVMemberAlert::alertWithTitle(
        QStringLiteral("将<b>张三</b>移出会议"), true, QString(), QStringLiteral("row-7"),
        [&](const QVariant &model, bool ticked) {
            gotModel = model;
            gotTicked = ticked;
        },
        [&] { ++cancels; });
    KVMemberAlertView *view = KVMemberAlert::viewOf(alert);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->preferredSize(), QSize(278, 163));
    EXPECT_EQ(view->butttonTopConstraint()->constant(), 56);
    // An empty tip keeps the box's own text; the question is data, shown as typed.
    EXPECT_EQ(view->tipContent(), QStringLiteral("不允许再次入会"));
    EXPECT_EQ(view->contentLabel()->textFormat(), Qt::PlainText);
    view->checkButton()->click();
    view->confirmButton()->click();
    EXPECT_EQ(gotModel.toString(), QStringLiteral("row-7"));
    EXPECT_TRUE(gotTicked);
    EXPECT_EQ(cancels, 0);

    QPointer<KVAlert> second = KVMemberAlert::alertWithTitle(QStringLiteral("将所有人移除等候室吗?"), false,
                                                             QStringLiteral("另一段"), {}, {}, [&] { ++cancels; });
    KVMemberAlertView *plain = KVMemberAlert::viewOf(second);
    EXPECT_EQ(plain->preferredSize(), QSize(278, 159));
    EXPECT_EQ(plain->butttonTopConstraint()->constant(), 30);
    EXPECT_TRUE(plain->checkButton()->isHidden());
    plain->cancelButton()->click();
    EXPECT_EQ(cancels, 1);
    processDeferredDeletes();
}
