// The home page's lists and operations against the stand-in: today's meetings, end and cancel,
// copied invitations, the user's name, and the version check.

#include "ShellTestSupport.h"
#include "TimeZones.h"

#include "agent/models/KVMeetingDidUpdated.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "scheduling/KVMeetingInfoViewController.h"
#include "scheduling/MainMeetingListModel.h"
#include "scheduling/MainMeetingListViewController.h"
#include "scheduling/MainRecordListViewController.h"
#include "scheduling/MeetingInviteView.h"
#include "scheduling/RecordTexts.h"
#include "shell/KVCheckVersion.h"
#include "shell/MainPageViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/ShellRules.h"
#include "shell/ShellTexts.h"
#include "shell/TodayMeetingCell.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class HomePageTest : public ShellTest {
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
    }

    // A meeting of the signed-in user later today.
    DevScheduledMeeting &scheduleToday(const QString &roomId, const QString &name, bool cycle = false)
    {
        DevScheduledMeeting meeting;
        meeting.roomId = roomId;
        meeting.ownerUserId = kMyPhone;
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        meeting.fields = {{"roomId", roomId},
                          {"roomName", name},
                          {"beginTime", today + QStringLiteral(" 23:00")},
                          {"endTime", today + QStringLiteral(" 23:30")},
                          {"duration", 30},
                          {"status", 0},
                          {"isCycle", cycle ? 1 : 0},
                          {"cycleType", cycle ? 1 : 0}};
        service.state().scheduled.insert(roomId, meeting);
        return service.state().scheduled[roomId];
    }

    // A meeting of the signed-in user beginning at begin (local time).
    void scheduleAt(const QString &roomId, const QString &name, const QDateTime &begin)
    {
        DevScheduledMeeting meeting;
        meeting.roomId = roomId;
        meeting.ownerUserId = kMyPhone;
        const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
        meeting.fields = {{"roomId", roomId},
                          {"roomName", name},
                          {"beginTime", begin.toString(format)},
                          {"endTime", begin.addSecs(30 * 60).toString(format)},
                          {"duration", 30},
                          {"status", 0},
                          {"isCycle", 0},
                          {"cycleType", 0}};
        service.state().scheduled.insert(roomId, meeting);
    }

    // Lets time pass as it does, a few seconds at a time, each request answered before the next
    // step (a request is not left to time out while the clock races).
    void letTimePass(std::chrono::seconds span)
    {
        for (std::chrono::seconds passed{0}; passed < span; passed += 5s) {
            clock.clock.advance(5s);
            ASSERT_TRUE(settleRequests());
        }
    }

    [[nodiscard]] QList<TodayMeetingCell *> cells() const { return page->view()->findChildren<TodayMeetingCell *>(); }
    // The names today's list shows, by its rows.
    [[nodiscard]] QStringList shownNames() const
    {
        QStringList names;
        for (TodayMeetingCell *cell : cells()) {
            if (!cell->isHidden())
                names << cell->meeting().roomName;
        }
        return names;
    }

    MainPageViewController *page = nullptr;
};

TEST_F(HomePageTest, TodaysMeetings_AreListedAndRefreshedAfterAChange)
{
    scheduleToday(QStringLiteral("800000001"), QStringLiteral("晨会"));
    openHome();
    ASSERT_TRUE(processEventsUntil([this] { return page->todayMeetings().size() == 1; }));
    ASSERT_TRUE(settleRequests());
    ASSERT_EQ(cells().size(), 1);
    EXPECT_EQ(cells()[0]->meeting().roomName, QStringLiteral("晨会"));
    EXPECT_TRUE(cells()[0]->joinButton()->accessibleName().contains(QStringLiteral("晨会")));

    scheduleToday(QStringLiteral("800000002"), QStringLiteral("复盘会"));
    NotificationCenter::defaultCenter().post(
        KVMeetingDidUpdatedNotification, {},
        KVMeetingDidUpdated::withType(KVMeetingDidUpdated::CreatedOrUpdated, MeetingDataModel()).userInfo());
    ASSERT_TRUE(processEventsUntil([this] { return page->todayMeetings().size() == 2; }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(cells().size(), 2);

    // Joining from a row runs the join road.
    cells()[0]->joinButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    EXPECT_EQ(service.requestsFor(QStringLiteral("/qf/meeting/room/enter"))[0].param("roomId").toString(),
              QStringLiteral("800000001"));
}

// A scroll bar with nothing to scroll, painted on the first frame and gone on the next, is a flash
// (and its first paint starts the painter's threads).
TEST_F(HomePageTest, TodaysMeetings_AnEmptyListPaintsNoScrollBar)
{
    struct Spy : QObject {
        int painted = 0;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && qobject_cast<QScrollBar *>(watched) &&
                static_cast<QScrollBar *>(watched)->maximum() == 0)
                ++painted;
            return false;
        }
    } spy;
    qApp->installEventFilter(&spy);
    openHome();
    processEventsFor(5);
    qApp->removeEventFilter(&spy);
    EXPECT_EQ(spy.painted, 0);
}

TEST_F(HomePageTest, TodaysMeetings_ALateReplyOfAnEarlierFetchIsDropped)
{
    scheduleToday(QStringLiteral("800000001"), QStringLiteral("晨会")).fields.insert("status", 1);
    openHome();
    ASSERT_TRUE(processEventsUntil([this] { return page->todayMeetings().size() == 1; }));

    // The first fetch still sees the meeting running but answers late; the meeting ends and a
    // second fetch answers first.
    service.delayNextReply(QStringLiteral("/qf/meeting/room/orderAgenda"), 1000);
    page->reloadData();
    ASSERT_TRUE(processEventsUntil([this] { return requestCount("/qf/meeting/room/orderAgenda") == 2; }));
    service.state().scheduled[QStringLiteral("800000001")].fields.insert("status", 2);
    page->reloadData();
    ASSERT_TRUE(processEventsUntil([this] { return page->todayMeetings().isEmpty(); }));
    clock.clock.advance(std::chrono::milliseconds(1000));
    ASSERT_TRUE(settleRequests()); // the reload asked and was answered
    EXPECT_TRUE(page->todayMeetings().isEmpty());
}

TEST_F(HomePageTest, TodaysMeetings_TurnWithTheDay_ShownAtMidnight_OnTheTabAndOnTheWindowComingBack)
{
    TimeZones::inEachTimeZone([this] {
        const QDate day(2026, 3, 18); // a Wednesday, away from summer-time changes
        clock.clock.setWallMs(QDateTime(day, QTime(23, 57)).toMSecsSinceEpoch());
        service.state().scheduled.clear();
        scheduleAt(QStringLiteral("800000011"), QStringLiteral("晚会"), QDateTime(day, QTime(22, 0)));
        scheduleAt(QStringLiteral("800000012"), QStringLiteral("早会"), QDateTime(day.addDays(1), QTime(8, 0)));
        scheduleAt(QStringLiteral("800000013"), QStringLiteral("周会"), QDateTime(day.addDays(2), QTime(9, 30)));
        scheduleAt(QStringLiteral("800000014"), QStringLiteral("复盘会"), QDateTime(day.addDays(3), QTime(7, 0)));
        openHome();
        ASSERT_TRUE(processEventsUntil([this] { return shownNames() == QStringList{QStringLiteral("晚会")}; }));

        // Shown at midnight: the list turns with the day.
        letTimePass(5min);
        ASSERT_TRUE(processEventsUntil([this] { return shownNames() == QStringList{QStringLiteral("早会")}; }))
            << shownNames().join(u',').toStdString();

        // The records tab is in front at the next midnight: the home tab shows the new day on coming back.
        MainWindowViewController *home = windows()->mainWindowViewController();
        QTest::mouseClick(home->recordsButton(), Qt::LeftButton);
        ASSERT_FALSE(page->view()->isVisible());
        clock.clock.setWallMs(QDateTime(day.addDays(1), QTime(23, 55)).toMSecsSinceEpoch());
        letTimePass(11min);
        EXPECT_EQ(shownNames(), QStringList{QStringLiteral("早会")}) << "nothing fetched for a list nobody sees";
        QTest::mouseClick(home->homeButton(), Qt::LeftButton);
        ASSERT_TRUE(processEventsUntil([this] { return shownNames() == QStringList{QStringLiteral("周会")}; }));

        // The window closed at the next midnight (the client runs on): a second start brings it
        // back with the new day's meetings.
        QWidget *window = windows()->homeWindow();
        window->hide();
        clock.clock.setWallMs(QDateTime(day.addDays(2), QTime(23, 55)).toMSecsSinceEpoch());
        letTimePass(11min);
        EXPECT_EQ(shownNames(), QStringList{QStringLiteral("周会")});
        windows()->bringCurrentPageToFront();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(processEventsUntil([this] { return shownNames() == QStringList{QStringLiteral("复盘会")}; }));

        // The next zone starts from a new home window.
        MacWindowsManager::resetSharedManager();
        processEventsFor(10);
    });
}

TEST_F(HomePageTest, EndMeeting_PostsEndedAndAsksTheCalendarToForgetIt)
{
    scheduleToday(QStringLiteral("800000003"), QStringLiteral("周会"));
    openHome();
    QList<qint64> types;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(
        &observer, KVMeetingDidUpdatedNotification, [&](const Notification &n) {
            types << n.userInfo.value(KVMeetingDidUpdatedUserInfoKey).value<KVMeetingDidUpdated>().type;
        });
    QList<bool> calendar;
    page->calendarSync = [&](const MeetingDataModel &, bool sync) { calendar << sync; };
    MeetingDataModel meeting;
    meeting.roomId = QStringLiteral("800000003");
    page->endMeeting(meeting);
    ASSERT_TRUE(processEventsUntil([&] { return types.size() == 1; }));
    EXPECT_EQ(types[0], KVMeetingDidUpdated::Ended);
    EXPECT_EQ(calendar, QList<bool>{false});
    EXPECT_EQ(service.state().scheduled[QStringLiteral("800000003")].fields.value("status").toInt(), 2);

    // Ending somebody else's meeting fails with the service's word and posts nothing.
    service.state().scheduled[QStringLiteral("800000003")].ownerUserId = kHostPhone;
    page->endMeeting(meeting);
    ASSERT_TRUE(waitForToast(QStringLiteral("仅主持人可结束会议")));
    EXPECT_EQ(types.size(), 1);
}

TEST_F(HomePageTest, CancelRecurringMeeting_AsksAndSendsTheWholeSeriesChoice)
{
    scheduleToday(QStringLiteral("800000004"), QStringLiteral("每日站会"), true);
    openHome();
    MeetingDataModel meeting;
    meeting.roomId = QStringLiteral("800000004");
    meeting.roomName = QStringLiteral("每日站会");
    meeting.isCycle = true;
    page->cancelMeeting(meeting);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/cancel")), 0); // asked first
    KVAlert *alert = waitForAlert(QStringLiteral("cancelMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    auto *tick = alert->findChild<QCheckBox *>(QStringLiteral("wholeSeriesBox"));
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(tick->accessibleName(), ShellTexts::kCancelWholeSeries);
    tick->setChecked(true);
    alert->confirmButton()->click();
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/cancel")) == 1; }));
    EXPECT_EQ(service.requestsFor(QStringLiteral("/qf/meeting/room/cancel"))[0].param("cancelType").toInt(), 2);
    EXPECT_TRUE(processEventsUntil([this] { return page->todayMeetings().isEmpty(); }));
}

TEST_F(HomePageTest, CancelOneOffMeeting_GoesAtOnceForThisMeetingOnly)
{
    scheduleToday(QStringLiteral("800000005"), QStringLiteral("面试"));
    openHome();
    MeetingDataModel meeting;
    meeting.roomId = QStringLiteral("800000005");
    page->cancelMeeting(meeting);
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/cancel")) == 1; }));
    EXPECT_EQ(service.requestsFor(QStringLiteral("/qf/meeting/room/cancel"))[0].param("cancelType").toInt(), 1);
    EXPECT_EQ(visibleAlert(QStringLiteral("cancelMeetingAlert")), nullptr);
}

TEST_F(HomePageTest, CopiedInvitation_IsOfferedOnceAndOwnCopiesNever)
{
    openHome();
    addRoom(QStringLiteral("123456789"), QStringLiteral("产品评审"));
    MeetingDataModel invited;
    invited.roomId = QStringLiteral("123456789");
    invited.roomName = QStringLiteral("产品评审");
    invited.beginTime = QStringLiteral("2026-12-07 10:00");
    invited.duration = 30;

    // The program's own copy is never offered back.
    QGuiApplication::clipboard()->setText(invited.invitedMeetingContent());
    NotificationCenter::defaultCenter().post(KVMeetingAppCopyInvitedStringNotification);
    page->checkPasteboard();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(visibleAlert(QStringLiteral("pasteboardInvitationAlert")), nullptr);

    // The same text copied again elsewhere (a later change) is offered, once.
    QGuiApplication::clipboard()->setText(invited.invitedMeetingContent());
    page->checkPasteboard();
    KVAlert *offer = waitForAlert(QStringLiteral("pasteboardInvitationAlert"));
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(offer->message().contains(QStringLiteral("产品评审")));
    EXPECT_TRUE(offer->message().contains(QStringLiteral("123-456-789")));
    offer->cancelButton()->click();
    ASSERT_TRUE(settleRequests());
    page->checkPasteboard();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(visibleAlert(QStringLiteral("pasteboardInvitationAlert")), nullptr);

    // Other text is not an invitation.
    QGuiApplication::clipboard()->setText(QStringLiteral("会议号：123456789"));
    page->checkPasteboard();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(visibleAlert(QStringLiteral("pasteboardInvitationAlert")), nullptr);

    // Accepting joins.
    QGuiApplication::clipboard()->setText(invited.invitedMeetingContent());
    page->checkPasteboard();
    offer = waitForAlert(QStringLiteral("pasteboardInvitationAlert"));
    ASSERT_NE(offer, nullptr);
    offer->confirmButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));

    // The invitation the user copies in the meeting is his own: not offered back at home.
    ASSERT_TRUE(
        processEventsUntil([this] { return windows()->meetingPage() && windows()->meetingPage()->isViewLoaded(); }));
    windows()->meetingPage()->ui->meetingIdCopyBtn->click();
    ASSERT_TRUE(InvitationText::recognize(QGuiApplication::clipboard()->text()));
    windows()->meetingPage()->leaveRoom();
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    page->checkPasteboard();
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(visibleAlert(QStringLiteral("pasteboardInvitationAlert")), nullptr);
}

// An alert's text as its label lays it out fits the label: nothing of it is cut off.
bool showsWhole(KVAlert *alert)
{
    auto *label = alert->findChild<QLabel *>(QStringLiteral("messageLabel"));
    if (!label)
        return false;
    const QRect box = label->contentsRect();
    const QRect needed =
        QFontMetrics(label->font()).boundingRect(QRect(0, 0, box.width(), 1 << 20), Qt::TextWordWrap, label->text());
    if (needed.height() <= box.height() && needed.width() <= box.width())
        return true;
    ADD_FAILURE() << "needs " << needed.width() << "x" << needed.height() << ", has " << box.width() << "x"
                  << box.height();
    return false;
}

TEST_F(HomePageTest, LongTitlesWithLineBreaks_LeaveTheCancelQuestionAndTheInvitationsNumberAndQuestionInSight)
{
    openHome();
    MeetingDataModel cycle;
    cycle.roomId = QStringLiteral("800000009");
    cycle.roomName = QStringLiteral("LONGCYCLE\n第二行") + QString(3000, QChar(0x957F));
    cycle.isCycle = true;
    page->cancelMeeting(cycle);
    KVAlert *ask = waitForAlert(QStringLiteral("cancelMeetingAlert"));
    ASSERT_NE(ask, nullptr);
    EXPECT_FALSE(ask->message().contains(QLatin1Char('\n'))) << "the title's line break reached the alert";
    EXPECT_TRUE(ask->message().startsWith(QStringLiteral("确定取消会议「")));
    EXPECT_TRUE(ask->message().endsWith(QStringLiteral("」吗？")));
    EXPECT_TRUE(showsWhole(ask)) << ask->message().size() << " characters, cut";
    ask->cancelButton()->click();
    ASSERT_TRUE(settleRequests());

    addRoom(QStringLiteral("123456789"), QStringLiteral("长会"));
    MeetingDataModel invited;
    invited.roomId = QStringLiteral("123456789");
    invited.roomName = QString(20000, QChar(0x9898));
    invited.beginTime = QStringLiteral("2026-12-07 10:00");
    invited.duration = 30;
    QGuiApplication::clipboard()->setText(invited.invitedMeetingContent());
    page->checkPasteboard();
    KVAlert *offer = waitForAlert(QStringLiteral("pasteboardInvitationAlert"));
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(offer->message().contains(QStringLiteral("（会议号：123-456-789）")));
    EXPECT_TRUE(offer->message().endsWith(QStringLiteral("\n是否加入该会议？")));
    EXPECT_TRUE(showsWhole(offer)) << offer->message().size() << " characters, cut";
    offer->cancelButton()->click();
    ASSERT_TRUE(settleRequests());
}

TEST_F(HomePageTest, UserNameChange_ShowsInTheHomeWindow)
{
    openHome();
    MainWindowViewController *home = windows()->mainWindowViewController();
    EXPECT_EQ(home->userNameLabel()->text(), QStringLiteral("张三"));
    NotificationCenter::defaultCenter().post(QStringLiteral("kUserNameChangedNotification"), QStringLiteral("李四"));
    EXPECT_EQ(home->userNameLabel()->text(), QStringLiteral("李四"));
    EXPECT_EQ(home->userNameLabel()->accessibleName(), QStringLiteral("李四"));
}

TEST_F(HomePageTest, MeetingListAndRecordsButtons_OpenTheirWindows)
{
    openHome();
    MainWindowViewController *home = windows()->mainWindowViewController();
    page->allMeetingsButton()->click();
    ASSERT_NE(page->meetingListWindow(), nullptr);
    EXPECT_TRUE(page->meetingListWindow()->isVisible());
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(page->meetingListViewController()->isLatestRequestSuccess());

    EXPECT_FALSE(home->homeButton()->isEnabled());
    home->recordsButton()->click();
    ASSERT_NE(home->recordListPage(), nullptr);
    EXPECT_TRUE(home->recordListPage()->view()->isVisible());
    // A light page in the dark window: its texts are dark, not the window's light ink.
    EXPECT_EQ(home->recordListPage()->tipsLabel()->palette().color(QPalette::WindowText), QColor(0x33, 0x33, 0x33));
    EXPECT_FALSE(page->view()->isVisible());
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/dvr/list")), 1);
    home->homeButton()->click();
    EXPECT_TRUE(page->view()->isVisible());
    home->recordsButton()->click();                                                    // made once, kept
    EXPECT_EQ(home->view()->findChildren<MainRecordListViewController *>().size(), 0); // a QObject child
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/dvr/list")), 2);
}

TEST_F(HomePageTest, AllMeetings_KeepTheSelection_DropALateTabReply_AndKeepRowsOnAFailedRefresh)
{
    scheduleToday(QStringLiteral("800000001"), QStringLiteral("晨会"))
        .fields.insert("creatorId", RXEncrypt::aes128ecbEncrypt(kMyPhone));
    scheduleToday(QStringLiteral("800000002"), QStringLiteral("<b>夕会</b>"))
        .fields.insert("beginTime",
                       QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:10"));
    openHome();
    page->onAllMeetingListAction();
    MainMeetingListViewController *list = page->meetingListViewController();
    ASSERT_TRUE(processEventsUntil([list] { return !list->meetingsList().isEmpty(); }));
    ASSERT_TRUE(settleRequests());
    ASSERT_EQ(list->meetingsList().sections().size(), 1);
    EXPECT_EQ(list->listModel()->rowCount(), 3); // the day's header and two meetings
    EXPECT_EQ(list->currentDetailModel()->roomId, QStringLiteral("800000001"));
    EXPECT_TRUE(list->detailEditBtn()->isVisible());
    EXPECT_FALSE(list->detailJoinBtn()->isEnabled());

    // The change broadcast reloads from the service; the chosen meeting stays chosen.
    list->selectMeeting(0, 1);
    EXPECT_EQ(list->detailTitleLabel()->text(), QStringLiteral("<b>夕会</b>"));
    EXPECT_TRUE(KVDataText::markupHazards({list->view()}).isEmpty());
    NotificationCenter::defaultCenter().post(KVMeetingDidUpdatedNotification);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(list->currentDetailModel()->roomId, QStringLiteral("800000002"));
    EXPECT_EQ(list->meetingListCollectionView()->currentIndex().row(), 2);

    // A failed refresh keeps the rows, and the list agrees with them.
    service.failNextReply(QStringLiteral("/qf/meeting/room/orderAgenda"), DevService::fail(500, QStringLiteral("忙")));
    list->refreshListData();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(toastText(), QStringLiteral("忙"));
    EXPECT_EQ(list->meetingsList().sections().value(0).rows.size(), 2);
    EXPECT_EQ(list->listModel()->rowCount(), 3);
    EXPECT_FALSE(list->isLatestRequestSuccess());

    // A history reply held back past a switch back to the unfinished tab never lands there.
    service.delayNextReply(QStringLiteral("/qf/meeting/room/historyAgenda"), 1000);
    list->finishedBtn()->click();
    ASSERT_TRUE(
        processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/historyAgenda")) > 0; }));
    list->unfinishBtn()->click();
    ASSERT_TRUE(processEventsUntil([list] { return !list->isRefreshing(); }));
    clock.clock.advance(1000ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(list->currentListType(), 0);
    EXPECT_EQ(list->meetingsList().sections().value(0).rows.size(), 2);

    // The invitation copied from the list is not offered back for joining.
    list->detailCopyBtn()->click();
    EXPECT_EQ(toastText(), RecordTexts::kInfoCopied);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), list->currentDetailModel()->invitedMeetingContent());
    page->checkPasteboard();
    EXPECT_EQ(visibleAlert(QStringLiteral("pasteboardInvitationAlert")), nullptr);
}

TEST_F(HomePageTest, MeetingInfoAndInvitationCard_FromTodaysRow)
{
    scheduleToday(QStringLiteral("800000001"), QStringLiteral("晨会"))
        .fields.insert("creatorId", RXEncrypt::aes128ecbEncrypt(kMyPhone));
    openHome();
    ASSERT_TRUE(processEventsUntil([this] { return cells().size() == 1; }));
    cells()[0]->infoButton()->click();
    KVMeetingInfoViewController *info = page->meetingInfoViewController();
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(info->editMeetingBtn()->isVisible());
    EXPECT_TRUE(info->cancelMeetingBtn()->isVisible());
    EXPECT_FALSE(info->endMeetingBtn()->isVisible());
    EXPECT_FALSE(info->joinMeetingBtn()->isEnabled());
    EXPECT_FALSE(info->passwordLabel()->isVisible());
    EXPECT_EQ(info->shareFileTopConst(), 35);
    EXPECT_EQ(info->totalTimeLabel()->text(), QStringLiteral("30分钟"));
    EXPECT_EQ(info->usersCountLabel()->text(), QStringLiteral("共 0 人"));
    info->editMeetingBtn()->click(); // closes the details, opens the form
    EXPECT_EQ(page->meetingInfoViewController(), nullptr);
    ASSERT_TRUE(processEventsUntil([this] { return page->createMeetingViewController() != nullptr; }));

    cells()[0]->inviteButton()->click();
    MeetingInviteView *card = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *found = w->findChild<MeetingInviteView *>(); found && w->isVisible())
            card = found;
    }
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->window()->size(), MeetingInviteView::kSizeWithoutPassword);
    EXPECT_FALSE(card->passwordLabel()->isVisible());
    EXPECT_EQ(card->meetingUserLabel()->palette().color(QPalette::WindowText), QColor(0x33, 0x33, 0x33));
    EXPECT_EQ(card->beginTimeTopConst(), 24);
    card->copyButton()->click();
    EXPECT_EQ(toastText(), RecordTexts::kInviteCopied);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), card->dataModel().invitedMeetingContent());
    page->checkPasteboard();
    EXPECT_EQ(visibleAlert(QStringLiteral("pasteboardInvitationAlert")), nullptr);
    // Escape closes the card.
    QPointer<MeetingInviteView> open(card);
    QApplication::setActiveWindow(card->window());
    QTest::keyClick(card->copyButton(), Qt::Key_Escape);
    ASSERT_TRUE(processEventsUntil([&open] { return open.isNull(); }));
}

TEST_F(HomePageTest, VersionCheck_HasThreeAnswers)
{
    openHome();
    // The home window checks once, silently, when it first becomes active; let that check go
    // by first, so it cannot take a reply injected below.
    processEventsUntil([this] { return requestCount(QStringLiteral("/qf/client/version")) >= 1; }, 1000);
    ASSERT_TRUE(settleRequests());
    const int automatic = requestCount(QStringLiteral("/qf/client/version"));

    // The running version is the newest.
    KVCheckVersion::checkVersionWithShowToast(true);
    ASSERT_TRUE(waitForToast(ShellTexts::kUpToDate));

    // Without showToast nothing is said about it.
    VeskToast::dismissToast();
    KVCheckVersion::checkVersionWithShowToast(false);
    ASSERT_TRUE(
        processEventsUntil([&] { return requestCount(QStringLiteral("/qf/client/version")) >= automatic + 2; }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(VeskToast::currentToast(), nullptr);

    // The check fails: the service's message, else the network text.
    service.failNextReply(QStringLiteral("/qf/client/version"), DevService::fail(503, QStringLiteral("服务维护中")));
    KVCheckVersion::checkVersionWithShowToast(true);
    ASSERT_TRUE(waitForToast(QStringLiteral("服务维护中")));
    service.failNextReply(QStringLiteral("/qf/client/version"), DevService::fail(500, QString()));
    KVCheckVersion::checkVersionWithShowToast(true);
    ASSERT_TRUE(waitForToast(ShellTexts::kNetworkError));

    // A newer version opens the update alert, even without showToast.
    service.state().extra.insert(QStringLiteral("latestVersion"), QStringLiteral("99.0.0"));
    service.state().extra.insert(QStringLiteral("latestDescription"), QStringLiteral("修复若干问题"));
    KVCheckVersion::checkVersionWithShowToast(false);
    KVAlert *alert = waitForAlert(QStringLiteral("updateAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), ShellTexts::kNewVersionTitle.arg(QStringLiteral("99.0.0")));
    EXPECT_EQ(alert->message(), QStringLiteral("修复若干问题"));
    alert->cancelButton()->click();
}

TEST_F(HomePageTest, UpdateAlert_OpensOnlyAnHttpsDownloadAddress)
{
    openHome();
    processEventsUntil([this] { return requestCount(QStringLiteral("/qf/client/version")) >= 1; }, 1000);
    ASSERT_TRUE(settleRequests());
    UrlOpenRecorder opener;
    for (const char *scheme : {"https", "http", "file", "ftp", "smb"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &opener, "open");
    service.state().extra.insert(QStringLiteral("latestVersion"), QStringLiteral("99.0.0"));
    for (const QString &address :
         {QStringLiteral("file:///tmp/korvi-update.desktop"), QStringLiteral("http://updates.example.com/korvi.deb"),
          QStringLiteral("smb://updates.example.com/korvi.deb"),
          QStringLiteral("https://updates.example.com/korvi.deb")}) {
        service.state().extra.insert(QStringLiteral("latestDownloadUrl"), address);
        KVCheckVersion::checkVersionWithShowToast(false);
        KVAlert *alert = waitForAlert(QStringLiteral("updateAlert"));
        ASSERT_NE(alert, nullptr) << address.toStdString();
        alert->confirmButton()->click();
        ASSERT_TRUE(processEventsUntil([&] { return visibleAlert(QStringLiteral("updateAlert")) == nullptr; }));
    }
    for (const char *scheme : {"https", "http", "file", "ftp", "smb"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl(QStringLiteral("https://updates.example.com/korvi.deb"))});
}

} // namespace
