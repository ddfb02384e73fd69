#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "uikit/DraggableView.h"
#include "uikit/KVEventView.h"
#include "uikit/KVHitTestButton.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/KVRefreshScrollView.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/MacCoverButton.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/MacSliderCell.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"
#include "uikit/VeskIndicator.h"
#include "uikit/VeskMicrophoneIcon.h"
#include "uikit/VeskTextField.h"
#include "uikit/VeskToast.h"
#include "uikit/VeskWeakTimer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
void postLevel(const QString &peerId, double value)
{
    NotificationCenter::defaultCenter().post(
        VeskMicrophoneIcon::kVoiceValueChanged,
        QVariantMap{{QStringLiteral("peerId"), peerId}, {QStringLiteral("value"), value}});
}

// Offscreen windows are not activated reliably: hand the focus event over directly.
void sendFocus(QWidget *w, QEvent::Type type)
{
    QFocusEvent event(type, Qt::OtherFocusReason);
    QApplication::sendEvent(w, &event);
}
} // namespace

TEST(VeskMicrophoneIconTest, FollowsOnlyItsOwnParticipantsLevel)
{
    VirtualClockScope clock;
    VeskMicrophoneIcon mine;
    VeskMicrophoneIcon other;
    mine.setPhoneNumber("13800000001");
    other.setPhoneNumber("13800000002");
    mine.setIconState(1);
    other.setIconState(1);
    EXPECT_EQ(mine.iconState(), 1);
    postLevel("13800000001", 42);
    EXPECT_DOUBLE_EQ(mine.level(), 42);
    EXPECT_DOUBLE_EQ(other.level(), 0);
    postLevel("13800000002", 77);
    EXPECT_DOUBLE_EQ(mine.level(), 42);
    EXPECT_DOUBLE_EQ(other.level(), 77);
    // Out-of-range and malformed values.
    postLevel("13800000001", 250);
    EXPECT_DOUBLE_EQ(mine.level(), 100);
    NotificationCenter::defaultCenter().post(VeskMicrophoneIcon::kVoiceValueChanged,
                                             QVariantMap{{"peerId", "13800000001"}, {"value", "loud"}});
    EXPECT_DOUBLE_EQ(mine.level(), 100);
    // A new participant starts quiet.
    mine.setPhoneNumber("13800000003");
    EXPECT_DOUBLE_EQ(mine.level(), 0);
    postLevel("13800000001", 50);
    EXPECT_DOUBLE_EQ(mine.level(), 0);
}

// A meeting of thirty: every participant shown by a tile's icon and a member row's icon, the
// peer ids as the engine makes them.
TEST(VeskMicrophoneIconTest, ALevelReachesOnlyItsParticipantsIcons_AsTheyAreReusedAndDeleted)
{
    VirtualClockScope clock;
    auto &center = NotificationCenter::defaultCenter();
    QWidget holder;
    QStringList ids;
    QList<QPointer<VeskMicrophoneIcon>> tiles, rows;
    QHash<VeskMicrophoneIcon *, int> heard;
    auto icon = [&](const QString &id) {
        auto *i = new VeskMicrophoneIcon(&holder);
        i->setPhoneNumber(id);
        i->setIconState(1);
        QObject::connect(i, &VeskMicrophoneIcon::levelChanged, &holder, [&heard, i] { ++heard[i]; });
        return QPointer<VeskMicrophoneIcon>(i);
    };
    ids << RXEncrypt::aes128ecbEncrypt(QStringLiteral("13700000000"));
    tiles << icon(ids[0]);
    rows << icon(ids[0]);
    const int observers = center.observerCount(VeskMicrophoneIcon::kVoiceValueChanged);
    for (int i = 1; i < 30; ++i) {
        ids << RXEncrypt::aes128ecbEncrypt(QString::number(13700000000LL + i));
        tiles << icon(ids[i]);
        rows << icon(ids[i]);
    }
    // However many icons: one observer of the levels.
    EXPECT_EQ(center.observerCount(VeskMicrophoneIcon::kVoiceValueChanged), observers);

    postLevel(ids[7], 40);
    EXPECT_EQ(heard.size(), 2);
    EXPECT_EQ(heard.value(tiles[7]), 1);
    EXPECT_EQ(heard.value(rows[7]), 1);
    EXPECT_DOUBLE_EQ(rows[7]->level(), 40);

    // A tile given to another participant hears him, no longer the one it showed.
    tiles[3]->setPhoneNumber(ids[9]);
    heard.clear();
    postLevel(ids[3], 55);
    postLevel(ids[9], 66);
    EXPECT_EQ(heard.value(tiles[3]), 1);
    EXPECT_DOUBLE_EQ(tiles[3]->level(), 66);
    EXPECT_DOUBLE_EQ(rows[3]->level(), 55);
    EXPECT_DOUBLE_EQ(tiles[9]->level(), 66);
    EXPECT_EQ(heard.size(), 4);
    delete tiles[3].data();
    delete rows[9].data();
    postLevel(ids[3], 20);
    postLevel(ids[9], 20);
    EXPECT_DOUBLE_EQ(rows[3]->level(), 20);
    EXPECT_DOUBLE_EQ(tiles[9]->level(), 20);

    // A level that makes one icon of its participant drop the other, or give it to somebody else.
    int dropped = 0;
    QObject::connect(tiles[5], &VeskMicrophoneIcon::levelChanged, &holder, [&] {
        dropped += bool(rows[5]);
        delete rows[5].data();
    });
    QObject::connect(rows[5], &VeskMicrophoneIcon::levelChanged, &holder, [&] {
        dropped += bool(tiles[5]);
        delete tiles[5].data();
    });
    postLevel(ids[5], 90);
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(tiles[5].isNull() + rows[5].isNull(), 1);
    auto giveAway = [&](VeskMicrophoneIcon *other) {
        if (other->phoneNumber() == ids[6])
            other->setPhoneNumber(ids[8]);
    };
    QObject::connect(tiles[6], &VeskMicrophoneIcon::levelChanged, &holder, [&] { giveAway(rows[6]); });
    QObject::connect(rows[6], &VeskMicrophoneIcon::levelChanged, &holder, [&] { giveAway(tiles[6]); });
    postLevel(ids[6], 70);
    EXPECT_DOUBLE_EQ(tiles[6]->level() + rows[6]->level(), 70);
    EXPECT_EQ((QStringList{tiles[6]->phoneNumber(), rows[6]->phoneNumber()}.count(ids[8])), 1);
}

TEST(VeskMicrophoneIconTest, LevelFallsBackWhenNoLevelsArriveAndClosingClearsIt)
{
    VirtualClockScope clock;
    VeskMicrophoneIcon icon;
    icon.setPhoneNumber("138");
    icon.setIconState(1);
    postLevel("138", 60);
    clock.clock.advance(600ms);
    postLevel("138", 30);
    clock.clock.advance(600ms); // 1.2 s after the first, 0.6 s after the last
    EXPECT_DOUBLE_EQ(icon.level(), 30);
    clock.clock.advance(400ms);
    EXPECT_DOUBLE_EQ(icon.level(), 0);
    postLevel("138", 80);
    icon.setIconState(0);
    EXPECT_DOUBLE_EQ(icon.level(), 0);
    EXPECT_EQ(icon.accessibleName(), "麦克风");
}

// A room of thirty speaking: each icon falls back a hold after its own last level, and all of
// them together keep one timer armed, not one each.
TEST(VeskMicrophoneIconTest, ThirtySpeakersFallBackEachOnItsOwn_WithOneTimerForAll)
{
    VirtualClockScope clock;
    QWidget holder;
    QList<VeskMicrophoneIcon *> icons;
    for (int i = 0; i < 30; ++i) {
        auto *icon = new VeskMicrophoneIcon(&holder);
        icon->setPhoneNumber(RXEncrypt::aes128ecbEncrypt(QString::number(13700000000LL + i)));
        icon->setIconState(1);
        icons << icon;
    }
    const int armed = clock.clock.pendingCount();
    for (int i = 0; i < 30; ++i) {
        postLevel(icons[i]->phoneNumber(), 40);
        clock.clock.advance(10ms);
    }
    EXPECT_LE(clock.clock.pendingCount(), armed + 1);
    // Icon i spoke at i x 10 ms; at 500 ms the first ten speak again.
    clock.clock.advance(200ms);
    for (int i = 0; i < 10; ++i)
        postLevel(icons[i]->phoneNumber(), 50);
    clock.clock.advance(605ms); // 1,105 ms
    EXPECT_DOUBLE_EQ(icons[0]->level(), 50);
    EXPECT_DOUBLE_EQ(icons[10]->level(), 0);
    EXPECT_DOUBLE_EQ(icons[11]->level(), 40);
    clock.clock.advance(200ms); // 1,305 ms
    EXPECT_DOUBLE_EQ(icons[29]->level(), 0);
    EXPECT_DOUBLE_EQ(icons[9]->level(), 50);
    // An icon that goes while lit is no longer looked at.
    delete icons[9];
    clock.clock.advance(300ms);
    EXPECT_DOUBLE_EQ(icons[0]->level(), 0);
    EXPECT_EQ(clock.clock.pendingCount(), armed);
}

TEST(KVTextFieldViewTest, NumbersOnlyAndLengthLimitHoldForTypingAndPasting_AStoredValueShowsUnchanged)
{
    KVTextFieldView view;
    view.setOnlySupportNumber(true);
    view.setLimitLength(6);
    view.setPlaceholder("请输入3-6位数字密码");
    QStringList changes;
    view.setDidChangedBlock([&](const QString &t) { changes << t; });
    view.show();
    view.textField()->setFocus();
    QTest::keyClicks(view.textField(), "12a3b4567");
    EXPECT_EQ(view.stringValue(), "123456");
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last(), "123456");
    // A paste of mixed text keeps its digits, up to the limit.
    view.textField()->clear();
    QApplication::clipboard()->setText("会议 98-76 54 321");
    view.textField()->paste();
    EXPECT_EQ(view.stringValue(), "987654");
    // A value set from storage is shown as stored, for the form's checks to judge; the rules
    // hold again once the user types into it.
    const qsizetype heard = changes.size();
    view.setStringValue("ab12cd345");
    EXPECT_EQ(view.stringValue(), "ab12cd345");
    view.setStringValue("12345678");
    EXPECT_EQ(view.stringValue(), "12345678");
    EXPECT_EQ(changes.size(), heard) << "setting is not a change the user made";
    view.textField()->end(false);
    QTest::keyClick(view.textField(), Qt::Key_Backspace);
    EXPECT_EQ(view.stringValue(), "123456");
    view.textField()->clear();
    view.textField()->insert("１２３"); // full-width digits are not digits here
    EXPECT_EQ(view.stringValue(), "");
    EXPECT_EQ(view.placeholder(), "请输入3-6位数字密码");
    EXPECT_EQ(view.textField()->accessibleName(), "请输入3-6位数字密码");
}

TEST(KVTextFieldViewTest, NormalizedTextRules)
{
    EXPECT_EQ(KVTextFieldView::normalizedText("ab12", false, 0), "ab12");
    EXPECT_EQ(KVTextFieldView::normalizedText("ab12", false, 3), "ab1");
    EXPECT_EQ(KVTextFieldView::normalizedText("a1b2c3", true, 2), "12");
    EXPECT_EQ(KVTextFieldView::normalizedText("", true, 5), "");
    // The limit never splits a character made of two code units.
    EXPECT_EQ(KVTextFieldView::normalizedText(QString::fromUtf8("a\xF0\x9F\x98\x80"), false, 2), "a");
}

TEST(KVTextFieldViewTest, EditingBlocksAndInvalidState)
{
    KVTextFieldView view;
    QString began = "-", ended = "-";
    view.textField()->setTextDidBeginEditing([&](const QString &t) { began = t; });
    view.textField()->setTextDidEndEditing([&](const QString &t) { ended = t; });
    view.show();
    sendFocus(view.textField(), QEvent::FocusIn);
    QTest::keyClicks(view.textField(), "weekly");
    QTest::keyClick(view.textField(), Qt::Key_Return);
    EXPECT_EQ(began, "");
    EXPECT_EQ(ended, "weekly");
    view.setUnValidstate(true);
    EXPECT_TRUE(view.unValidstate());
    view.endEditing();
    EXPECT_FALSE(view.textField()->hasFocus());
}

TEST(MoreActionViewTest, SizeIsMaxWidthByVisibleRowsOf34PlusEight)
{
    QList<MoreActionItem *> items;
    for (int i = 0; i < 7; ++i)
        items << MoreActionItem::itemStyle2WithTitle(QString::number(i), i, nullptr);
    std::unique_ptr<MoreActionView> menu(MoreActionView::viewWithItems(items));
    menu->setMaxWidth(240);
    EXPECT_EQ(menu->getSizeWithMaxItemCount(8), QSize(240, 7 * 34 + 8));
    EXPECT_EQ(menu->getSizeWithMaxItemCount(3), QSize(240, 3 * 34 + 8));
    EXPECT_EQ(menu->getSizeWithMaxItemCount(0), QSize(240, 8));
    EXPECT_EQ(menu->getSizeWithMaxItemCount(-2), QSize(240, 8));
    EXPECT_EQ(MoreActionView::sizeFor(0, 5, 100), QSize(100, 8));
    // Rows are laid out 34 high below the 4-point margin.
    menu->resize(menu->getSizeWithMaxItemCount(3));
    EXPECT_EQ(items[1]->geometry(), QRect(0, 34, 240, 34));
}

TEST(MoreActionItemTest, ClickGivesTheControlAndItemAndSelectionMarksTheRow)
{
    QWidget *control = nullptr;
    MoreActionItem *clicked = nullptr;
    std::unique_ptr<MoreActionItem> item(
        MoreActionItem::itemStyle2WithTitle("2小时", 120, [&](QWidget *c, MoreActionItem *i) {
            control = c;
            clicked = i;
        }));
    item->setTitleSpacing(12);
    item->resize(200, 34);
    item->show();
    QTest::mouseClick(item.get(), Qt::LeftButton, {}, QPoint(50, 17));
    EXPECT_EQ(clicked, nullptr); // after the click's event
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(clicked, item.get());
    EXPECT_EQ(control, item.get());
    EXPECT_EQ(clicked->associatedObject().toInt(), 120);
    EXPECT_EQ(item->title(), "2小时");
    EXPECT_EQ(item->accessibleName(), "2小时");
    item->setSelect(true);
    EXPECT_TRUE(item->isSelect());
}

// A screen reader meets a menu and its rows as such: Press is the row's click, once, after the call.
TEST(MoreActionItemTest, ReadAsAMenuItem_WhosePressIsItsClick)
{
    int clicks = 0;
    QList<MoreActionItem *> items{
        MoreActionItem::itemStyle2WithTitle("30分钟", 30, [&](QWidget *, MoreActionItem *) { ++clicks; })};
    QWidget window; // as menus are shown: in a window
    MoreActionView *menu = MoreActionView::viewWithItems(items);
    menu->setParent(&window);
    window.show();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(menu)->role(), QAccessible::PopupMenu);
    QAccessibleInterface *row = QAccessible::queryAccessibleInterface(items[0]);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->role(), QAccessible::MenuItem);
    EXPECT_FALSE(row->state().checked);
    items[0]->setSelect(true);
    EXPECT_TRUE(row->state().checked);
    ASSERT_NE(row->actionInterface(), nullptr);
    row->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(clicks, 1);
}

TEST(MacSliderCellTest, DraggingPostsStartAndStopTracking)
{
    MacSliderCell slider;
    slider.setRange(0, 255);
    slider.resize(200, 20);
    slider.show();
    QStringList posted;
    QObject observer;
    for (const char *name : {MacSliderCell::kStartTracking, MacSliderCell::kStopTracking})
        NotificationCenter::defaultCenter().addObserver(&observer, name, [&](const Notification &n) {
            posted << n.name;
            EXPECT_EQ(n.object.value<QObject *>(), &slider);
        });
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(7, 10));
    EXPECT_EQ(posted, QStringList{"MacSliderStartTracking"});
    EXPECT_EQ(slider.value(), 0);
    QTest::mouseMove(&slider, QPoint(193, 10));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(193, 10));
    EXPECT_EQ(posted, (QStringList{"MacSliderStartTracking", "MacSliderStopTracking"}));
    EXPECT_EQ(slider.value(), 255);
}

TEST(KVMeetingIDLabelTest, ClickCopiesTheIdAndRunsTheCustomToastInsteadOfTheDefault)
{
    VirtualClockScope clock;
    QWidget window;
    window.resize(400, 200);
    KVMeetingIDLabel label;
    label.setParent(&window);
    label.setText("周会 123-456-789");
    label.setRoomId("123456789");
    label.setGeometry(10, 80, 200, 20);
    window.show();
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(QApplication::clipboard()->text(), "123456789");
    EXPECT_NE(VeskToast::currentToast(), nullptr);
    VeskToast::dismissToast();
    int custom = 0;
    label.setUseCustomToast([&] { ++custom; });
    QApplication::clipboard()->clear();
    QTest::keyClick(&label, Qt::Key_Space);
    EXPECT_EQ(QApplication::clipboard()->text(), "123456789");
    EXPECT_EQ(custom, 1);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    // Hover tips only when asked for.
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 85), QPointF(15, 85));
    QApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.hoverTip(), nullptr);
    label.setShowHoverTips(true);
    QApplication::sendEvent(&label, &enter);
    ASSERT_NE(label.hoverTip(), nullptr);
    EXPECT_TRUE(label.hoverTip()->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
    EXPECT_FALSE(label.hoverTip()->isVisible());
}

TEST(VeskWeakTimerTest, FiresOnTheProjectClockAndNeverAfterItsTargetIsGone)
{
    VirtualClockScope clock;
    int fired = 0;
    QVariant info;
    auto target = std::make_unique<QObject>();
    QPointer<VeskWeakTimer> timer = VeskWeakTimer::scheduledTimerWithTimeInterval(
        300ms, target.get(),
        [&](VeskWeakTimer *t) {
            ++fired;
            info = t->userInfo();
        },
        QStringLiteral("track"), true);
    clock.clock.advance(900ms);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(info.toString(), "track");
    timer->invalidate();
    clock.clock.advance(900ms);
    EXPECT_EQ(fired, 3);
    VeskWeakTimer::scheduledTimerWithTimeInterval(
        300ms, target.get(), [&](VeskWeakTimer *) { ++fired; }, {}, true);
    target.reset();
    clock.clock.advance(900ms);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(VeskWeakTimer::scheduledTimerWithTimeInterval(1s, nullptr, nullptr, {}, false), nullptr);
}

TEST(VeskIndicatorTest, TurnsOnlyWhileAnimating)
{
    VirtualClockScope clock;
    VeskIndicator spinner;
    spinner.startAnimating();
    clock.clock.advance(240ms);
    EXPECT_EQ(spinner.phase(), 3);
    spinner.stopAnimating();
    clock.clock.advance(1s);
    EXPECT_EQ(spinner.phase(), 3);
    EXPECT_FALSE(spinner.isAnimating());
}

TEST(MacBaseViewControllerTest, WindowAsksTheBlockBeforeClosing)
{
    auto *window = new QWidget();
    MacBaseWindowController windowController(window);
    auto *content = new MacBaseViewController();
    windowController.setWindowContentViewController(content, QRect(50, 60, 640, 480));
    EXPECT_EQ(window->geometry(), QRect(50, 60, 640, 480));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(content->window(), window);
    content->resetWindowDelegate();
    bool allow = false;
    int asked = 0;
    content->windowShouldCloseBlock = [&] {
        ++asked;
        return allow;
    };
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    allow = true;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(asked, 2);
    // Unset: the window may close.
    content->windowShouldCloseBlock = nullptr;
    window->show();
    EXPECT_TRUE(window->close());
}

TEST(KVWindowTest, FloatingWindowIsFramelessOnTopAndHoldsItsContent)
{
    QWidget oldParent;
    auto *content = new QWidget(&oldParent);
    content->setAccessibleName(QStringLiteral("参会者视频"));
    QPointer<KVWindow> w = KVWindow::showFloating(QRect(100, 100, 300, 207), content, "showFloatingWindowAtView");
    EXPECT_EQ(w->identifier(), "showFloatingWindowAtView");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.data())->text(QAccessible::Name), "参会者视频")
        << "a screen reader names the window by its content";
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(content->parentWidget(), w.data());
    EXPECT_EQ(w->geometry(), QRect(100, 100, 300, 207));
    EXPECT_EQ(content->geometry(), QRect(0, 0, 300, 207));
    // Dragging the background moves it.
    QTest::mousePress(w.data(), Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), w->mapToGlobal(QPointF(40, 30)), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(w.data(), &move);
    QTest::mouseRelease(w.data(), Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(w->pos(), QPoint(130, 120));
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

TEST(ViewBehaviourTest, DraggableViewStaysInsideItsParent)
{
    QWidget parent;
    parent.resize(300, 200);
    DraggableView view(&parent);
    view.setGeometry(10, 10, 100, 50);
    parent.show();
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(500, 500), view.mapToGlobal(QPointF(500, 500)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(view.pos(), QPoint(200, 150));
}

TEST(ViewBehaviourTest, EventViewReportsPressesAndPassesThemOnWhenAsked)
{
    QWidget parent;
    parent.resize(200, 200);
    int parentPresses = 0;
    struct Parent : QWidget {
        int *count;
        void mousePressEvent(QMouseEvent *) override { ++*count; }
    } p;
    p.count = &parentPresses;
    p.resize(200, 200);
    KVEventView events(&p);
    events.setGeometry(0, 0, 200, 200);
    auto *child = new QWidget(&events);
    child->setGeometry(0, 0, 50, 50);
    EXPECT_TRUE(child->testAttribute(Qt::WA_TransparentForMouseEvents));
    events.setResponseSubviewsEvent(true);
    EXPECT_FALSE(child->testAttribute(Qt::WA_TransparentForMouseEvents));
    int blockCalls = 0;
    events.setMouseDownBlock([&](KVEventView *v, QMouseEvent *) {
        EXPECT_EQ(v, &events);
        ++blockCalls;
    });
    p.show();
    QTest::mousePress(&events, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(blockCalls, 1);
    EXPECT_EQ(parentPresses, 0);
    events.setAutoSendEventToNext(true);
    QTest::mousePress(&events, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(blockCalls, 2);
    EXPECT_EQ(parentPresses, 1);
}

TEST(ViewBehaviourTest, DisabledScrollViewSwallowsTheWheel)
{
    MacDisableScrollView view;
    view.resize(100, 100);
    auto *content = new QWidget();
    content->resize(100, 1000);
    view.setWidget(content);
    view.show();
    QWheelEvent wheel(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    view.setEnableScroll(true);
    QApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_GT(view.verticalScrollBar()->value(), 0);
}

TEST(ViewBehaviourTest, RefreshScrollViewLoadsOnceUntilToldToStop)
{
    KVRefreshScrollView view;
    view.resize(100, 100);
    auto *content = new QWidget();
    content->resize(100, 1000);
    view.setWidget(content);
    view.show();
    int refreshes = 0, more = 0;
    view.onRefresh = [&] { ++refreshes; };
    view.onLoadMore = [&] { ++more; };
    QWheelEvent pull(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120), Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &pull);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(view.isRefreshing());
    QApplication::sendEvent(view.viewport(), &pull);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(more, 0); // still loading
    view.stopLoading();
    view.verticalScrollBar()->setValue(0);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    EXPECT_EQ(more, 1);
    EXPECT_TRUE(view.isLoadingMore());
    view.stopLoading();
    EXPECT_FALSE(view.isLoading());
}

TEST(ButtonBehaviourTest, CoverButtonReportsEnterAndExitAndHitTestButtonTakesItsWholeArea)
{
    MacCoverButton cover;
    int entered = 0, exited = 0;
    cover.mouseEnterBlock = [&] { ++entered; };
    cover.mouseExitBlock = [&] { ++exited; };
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&cover, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&cover, &leave);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(exited, 1);

    KVHitTestButton box("同步到日历");
    box.resize(box.sizeHint());
    box.show();
    EXPECT_EQ(box.state(), 0);
    // A press in the widened margin still ticks it.
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(box.state(), 1);
}

TEST(ButtonBehaviourTest, TextFieldTellsItsDelegateWhenItBecomesFirstResponder)
{
    struct Delegate : QObject, VeskTextFieldFirstResponderDelegate {
        VeskTextField *got = nullptr;
        void textFieldBecomeFirstResponder(VeskTextField *f) override { got = f; }
    };
    QWidget window;
    auto *field = new VeskTextField(&window);
    auto *other = new VeskTextField(&window);
    window.show();
    {
        Delegate d;
        field->setResponderDelegate(&d);
        sendFocus(other, QEvent::FocusIn);
        EXPECT_EQ(d.got, nullptr);
        sendFocus(field, QEvent::FocusIn);
        EXPECT_EQ(d.got, field);
    }
    // The delegate is gone: held weakly, so nothing is called.
    EXPECT_EQ(field->responderDelegate(), nullptr);
    sendFocus(field, QEvent::FocusIn);
}

TEST(MoreActionItemTest, ClickBlockMayDeleteTheMenu)
{
    QList<MoreActionItem *> items;
    MoreActionView *menu = nullptr;
    items << MoreActionItem::itemStyle2WithTitle("30分钟", 30, [&](QWidget *, MoreActionItem *) {
        delete menu;
        menu = nullptr;
    });
    menu = MoreActionView::viewWithItems(items);
    menu->setMaxWidth(200);
    menu->resize(menu->getSizeWithMaxItemCount(8));
    menu->show();
    QTest::mouseClick(items[0], Qt::LeftButton, {}, QPoint(20, 10));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(menu, nullptr);
}
