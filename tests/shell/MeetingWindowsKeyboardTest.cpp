// The all-meetings and details windows as a keyboard user opens and leaves them from the home
// page, and today's rows as a screen reader names them.

#include "ShellTestSupport.h"

#include "foundation/RXEncrypt.h"
#include "scheduling/CreateMeetingViewController.h"
#include "scheduling/KVMeetingInfoViewController.h"
#include "scheduling/MainMeetingListViewController.h"
#include "shell/MainPageViewController.h"
#include "shell/TodayMeetingCell.h"
#include "support/AccessibilityWalk.h"
#include "uikit/VeskButton.h"

#include <QDate>
#include <QTest>

namespace {

class MeetingWindowsKeyboardTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        storeSignedInUser();
        installMeetingManager();
    }

    void openHome()
    {
        windows()->showMainPage(false);
        ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
        page = windows()->mainPageViewController();
        ASSERT_NE(page, nullptr);
        AccessibilityWalk::activate(page->view()->window());
    }

    // A meeting of the signed-in user later today.
    void scheduleToday(const QString &roomId, const QString &name)
    {
        DevScheduledMeeting meeting;
        meeting.roomId = roomId;
        meeting.ownerUserId = kMyPhone;
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        meeting.fields = {{"roomId", roomId},
                          {"roomName", name},
                          {"beginTime", today + " 23:00"},
                          {"endTime", today + " 23:30"},
                          {"duration", 30},
                          {"status", 0},
                          {"creatorId", RXEncrypt::aes128ecbEncrypt(kMyPhone)}};
        service.state().scheduled.insert(roomId, meeting);
    }

    [[nodiscard]] QList<TodayMeetingCell *> cells() const { return page->view()->findChildren<TodayMeetingCell *>(); }

    // Presses the focused control with Space, as a keyboard user does.
    static void pressWithSpace(QWidget *control)
    {
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(processEventsUntil([control] { return control->hasFocus(); }));
        QTest::keyClick(control, Qt::Key_Space);
    }

    MainPageViewController *page = nullptr;
};

TEST_F(MeetingWindowsKeyboardTest, EscapeClosesTheAllMeetingsAndDetailsWindows_AndTheFocusGoesBackToTheirOpeners)
{
    scheduleToday(QStringLiteral("800000801"), QStringLiteral("晨会"));
    openHome();
    ASSERT_TRUE(processEventsUntil([this] { return cells().size() == 1; }));

    VeskButton *allMeetings = page->allMeetingsButton();
    pressWithSpace(allMeetings);
    ASSERT_TRUE(processEventsUntil([this] { return page->meetingListWindow() != nullptr; }));
    QWidget *list = page->meetingListWindow();
    AccessibilityWalk::activate(list);
    ASSERT_TRUE(settleRequests());
    ASSERT_TRUE(QApplication::focusWidget() && list->isAncestorOf(QApplication::focusWidget()))
        << "the opened window does not take the focus";
    AccessibilityWalk::escape();
    ASSERT_TRUE(processEventsUntil([this] { return page->meetingListWindow() == nullptr; }))
        << "Escape leaves the all-meetings window open";
    EXPECT_TRUE(processEventsUntil([allMeetings] { return allMeetings->hasFocus(); }))
        << "the focus does not go back to 全部会议";

    VeskButton *details = cells().first()->infoButton();
    pressWithSpace(details);
    ASSERT_TRUE(processEventsUntil([this] { return page->meetingInfoWindow() != nullptr; }));
    QWidget *info = page->meetingInfoWindow();
    AccessibilityWalk::activate(info);
    ASSERT_TRUE(settleRequests());
    ASSERT_TRUE(QApplication::focusWidget() && info->isAncestorOf(QApplication::focusWidget()));
    AccessibilityWalk::escape();
    ASSERT_TRUE(processEventsUntil([this] { return page->meetingInfoWindow() == nullptr; }))
        << "Escape leaves the details window open";
    EXPECT_TRUE(processEventsUntil([details] { return details->hasFocus(); }))
        << "the focus does not go back to the row's 详情";
}

// The new-meeting form closes on Escape as with 取消, once a pop-up open in it has closed.
TEST_F(MeetingWindowsKeyboardTest, EscapeClosesTheNewMeetingForm_AfterThePopUpOpenInIt)
{
    openHome();
    VeskButton *schedule = page->scheduleButton();
    pressWithSpace(schedule);
    ASSERT_TRUE(processEventsUntil([this] { return page->createMeetingWindow() != nullptr; }));
    QWidget *form = page->createMeetingWindow();
    AccessibilityWalk::activate(form);
    pressWithSpace(page->createMeetingViewController()->ui().durationButton);
    QWidget *popUp = QApplication::focusWidget();
    ASSERT_TRUE(popUp && popUp != page->createMeetingViewController()->ui().durationButton.data());
    AccessibilityWalk::escape();
    EXPECT_FALSE(popUp->isVisible());
    EXPECT_EQ(page->createMeetingWindow(), form) << "one Escape closed both";
    AccessibilityWalk::escape();
    EXPECT_TRUE(processEventsUntil([this] { return page->createMeetingWindow() == nullptr; }))
        << "Escape leaves the form open";
}

// 取消会议 pressed in 全部会议 for a recurring meeting asks over that window; answered with 暂不取消
// or confirmed, the keyboard is back in 全部会议, not in the home window.
TEST_F(MeetingWindowsKeyboardTest, CancelFromAllMeetings_AnsweredEitherWay_TheFocusIsBackInAllMeetings)
{
    scheduleToday(QStringLiteral("800000803"), QStringLiteral("周会"));
    service.state().scheduled[QStringLiteral("800000803")].fields.insert(QStringLiteral("isCycle"), 1);
    service.state().scheduled[QStringLiteral("800000803")].fields.insert(QStringLiteral("cycleType"), 1);
    openHome();
    pressWithSpace(page->allMeetingsButton());
    ASSERT_TRUE(processEventsUntil([this] { return page->meetingListWindow() != nullptr; }));
    QWidget *list = page->meetingListWindow();
    AccessibilityWalk::activate(list);
    ASSERT_TRUE(settleRequests());
    MainMeetingListViewController *controller = page->meetingListViewController();
    ASSERT_NE(controller, nullptr);
    ASSERT_TRUE(controller->currentDetailModel().has_value());
    const auto inList = [list] {
        return QApplication::focusWidget() && list->isAncestorOf(QApplication::focusWidget());
    };

    for (const Qt::Key answer : {Qt::Key_Escape, Qt::Key_Return}) {
        pressWithSpace(controller->detailCancelBtn());
        KVAlert *ask = nullptr;
        ASSERT_TRUE(processEventsUntil([&] { return (ask = visibleAlert(QStringLiteral("cancelMeetingAlert"))); }));
        AccessibilityWalk::activate(ask);
        QTest::keyClick(ask, answer);
        ASSERT_TRUE(processEventsUntil([] { return !visibleAlert(QStringLiteral("cancelMeetingAlert")); }));
        EXPECT_TRUE(processEventsUntil(inList))
            << "after " << (answer == Qt::Key_Escape ? "暂不取消" : "取消会议") << " the focus is in "
            << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                            : std::string("nothing"));
        if (answer == Qt::Key_Escape) {
            EXPECT_TRUE(controller->detailCancelBtn()->hasFocus()) << "not back on 取消会议";
        }
    }
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/cancel")) == 1; }));
}

TEST_F(MeetingWindowsKeyboardTest, TodaysRows_NameTheirButtonsWithTheTitleBoundedAndIsolated)
{
    const QString title = QStringLiteral("计划\u202E会议") + QString(500, QLatin1Char('x'));
    scheduleToday(QStringLiteral("800000802"), title);
    openHome();
    ASSERT_TRUE(processEventsUntil([this] { return cells().size() == 1; }));
    TodayMeetingCell *row = cells().first();
    for (QWidget *named : QList<QWidget *>{row, row->infoButton()}) {
        const QString name = named->accessibleName();
        EXPECT_LE(name.size(), 220) << "a name holding the whole title";
        EXPECT_TRUE(name.contains(QStringLiteral("计划会议")));
        EXPECT_FALSE(name.contains(QChar(0x202E)));
    }
}

} // namespace
