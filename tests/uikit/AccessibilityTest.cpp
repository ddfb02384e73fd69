// What screen readers and automation see and do: a button's actions are a click, windows,
// dialogs and alerts carry their roles, and the keyboard moves and presses as a user expects.

#include "uikit/KVAccessibility.h"
#include "uikit/KVAlert.h"
#include "uikit/KVHitTestButton.h"
#include "uikit/KVMemberAlert.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskTextView.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QAccessibleActionInterface *actions(QWidget *widget)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->actionInterface() : nullptr;
}

TEST(AccessibilityTest, ButtonActions_AreTheClickAWindowListensTo)
{
    KVAccessibility::install();
    QWidget window;
    auto *plain = new VeskButton(QStringLiteral("加入会议"), &window);
    auto *toggle = new VeskButton(QStringLiteral("麦克风"), &window);
    toggle->setToggle(true);
    auto *box = new KVHitTestButton(QStringLiteral("不允许再次入会"), &window);
    QList<bool> toggleClicks;
    QList<bool> boxClicks;
    int plainClicks = 0;
    QObject::connect(plain, &QAbstractButton::clicked, [&] { ++plainClicks; });
    QObject::connect(toggle, &QAbstractButton::clicked, [&](bool on) { toggleClicks << on; });
    QObject::connect(box, &QAbstractButton::clicked, [&](bool on) { boxClicks << on; });

    QAccessibleInterface *toggleIface = QAccessible::queryAccessibleInterface(toggle);
    ASSERT_NE(toggleIface, nullptr);
    EXPECT_EQ(toggleIface->role(), QAccessible::CheckBox);
    EXPECT_EQ(toggleIface->text(QAccessible::Name), QStringLiteral("麦克风"));
    ASSERT_TRUE(actions(toggle)->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions(toggle)->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(toggleClicks, QList<bool>{true}) << "the state flips, then the action runs";
    EXPECT_TRUE(toggleIface->state().checked);
    actions(toggle)->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(toggleClicks, (QList<bool>{true, false}));
    // A switch is pressed as any button is: over the bus an action not offered cannot be asked for.
    ASSERT_TRUE(actions(toggle)->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions(toggle)->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(toggleClicks, (QList<bool>{true, false, true}));
    EXPECT_TRUE(toggleIface->state().checked);

    EXPECT_EQ(QAccessible::queryAccessibleInterface(plain)->role(), QAccessible::Button);
    actions(plain)->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(plainClicks, 1) << "at once, not after an animation";

    EXPECT_EQ(QAccessible::queryAccessibleInterface(box)->role(), QAccessible::CheckBox);
    actions(box)->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(boxClicks, QList<bool>{true});
    ASSERT_TRUE(actions(box)->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions(box)->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(boxClicks, (QList<bool>{true, false}));

    plain->setEnabled(false);
    EXPECT_FALSE(actions(plain)->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions(plain)->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(plainClicks, 1) << "a disabled button does nothing";
}

TEST(AccessibilityTest, WindowsDialogsAndAlerts_AnnounceTheirRoles)
{
    KVAccessibility::install();
    QWidget window;
    auto *child = new QWidget(&window);
    QWidget dialog(nullptr, Qt::Dialog);
    QWidget tip(nullptr, Qt::ToolTip);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&dialog)->role(), QAccessible::Dialog);
    EXPECT_NE(QAccessible::queryAccessibleInterface(child)->role(), QAccessible::Window);
    EXPECT_NE(QAccessible::queryAccessibleInterface(&tip)->role(), QAccessible::Window);
    // A view made on its own and placed in a window later is no frame of its own there.
    auto *view = new QWidget();
    QAccessibleInterface *viewIface = QAccessible::queryAccessibleInterface(view);
    view->setParent(&window);
    EXPECT_EQ(viewIface->role(), QAccessible::Client);

    QPointer<KVAlert> alert = KVAlert::alertWithMessage(QStringLiteral("会议已结束"), QStringLiteral("知道了"), {});
    alert->showInCenterOfWindow(nullptr);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(alert.data());
    EXPECT_EQ(iface->role(), QAccessible::AlertMessage);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("会议已结束"));
    alert->dismiss();

    auto *form = new QWidget();
    form->setAccessibleName(QStringLiteral("请输入会议密码"));
    alert = KVAlert::alertWithCustomView(form);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(alert.data())->role(), QAccessible::Dialog);
    alert->dismiss();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AccessibilityTest, Keyboard_ReturnPressesAFocusedButtonAndTabLeavesATextView)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *text = new VeskTextView(&window);
    auto *button = new VeskButton(QStringLiteral("发送"), &window);
    auto *field = new QLineEdit(&window);
    layout->addWidget(text);
    layout->addWidget(button);
    layout->addWidget(field);
    window.show();
    QApplication::setActiveWindow(&window);
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });

    text->setFocus();
    QTest::keyClick(text, Qt::Key_Tab);
    EXPECT_EQ(text->toPlainText(), QString()) << "no tab character";
    ASSERT_EQ(QApplication::focusWidget(), button);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks, 3);
    QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 3) << "a shortcut with Return is not a press";
}

TEST(AccessibilityTest, ShownStates_ReadRowsAPlaceholderAndACheckBoxAsTheyAre)
{
    KVAccessibility::install();
    QWidget window;
    // Rows that cannot be chosen are read, with no Toggle that would select nothing.
    auto *list = new QListView(&window);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    QStringListModel model(QStringList{QStringLiteral("张三：你好"), QStringLiteral("李四：好")});
    list->setModel(&model);
    QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(list);
    ASSERT_EQ(rows->childCount(), 2);
    QAccessibleInterface *second = rows->child(1);
    EXPECT_EQ(second->text(QAccessible::Name), QStringLiteral("李四：好"));
    EXPECT_TRUE(second->actionInterface()->actionNames().isEmpty());
    EXPECT_EQ(rows->indexOfChild(second), 1);
    model.setStringList({QStringLiteral("王五")});
    ASSERT_EQ(rows->childCount(), 1);
    EXPECT_EQ(rows->child(0)->text(QAccessible::Name), QStringLiteral("王五"));

    // The description follows the placeholder the input shows.
    auto *input = new VeskTextView(&window);
    input->setPlaceHolderString(QStringLiteral("请输入消息"));
    input->setPlaceHolderString(QStringLiteral("全员禁言中"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(input)->text(QAccessible::Description),
              QStringLiteral("全员禁言中"));

    // An alert's check box is as wide as its text.
    KVMemberAlertView alert;
    alert.setTitle(QStringLiteral("全员静音"), true, QStringLiteral("不允许成员自行开启麦克风"), {}, nullptr, nullptr);
    alert.show();
    QApplication::processEvents();
    QCheckBox *check = alert.checkButton();
    EXPECT_GE(check->width(), check->sizeHint().width());
}

} // namespace
