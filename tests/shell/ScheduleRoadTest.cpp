// The home page's scheduling road: the quota check before the form, the order of what follows a
// create, update, end and cancel, the form kept open on a failure, and the whole road against
// the stand-in.

#include "ShellTestSupport.h"
#include "TimeZones.h"

#include "scheduling/RecordingSchedulingAgent.h"

#include "agent/models/KVMeetingDidUpdated.h"
#include "foundation/NotificationCenter.h"
#include "scheduling/CreateMeetingViewController.h"
#include "scheduling/KVDownloadRecordManage.h"
#include "scheduling/KVMCommonUtilCalendar.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/MainMeetingListViewController.h"
#include "scheduling/WMEventCalendarTool.h"
#include "shell/MainPageViewController.h"
#include "shell/MainWindowViewController.h"
#include "uikit/KVDatePickerView.h"
#include "uikit/KVHitTestButton.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/QFFlatButton.h"
#include "uikit/VeskButton.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QDate>
#include <QFileDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

class ScheduleRoadTest : public ShellTest {
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

    // Logs the page's calendar step and broadcasts into log.
    void record(QStringList &log)
    {
        page->calendarSync = [&log](const MeetingDataModel &m, bool sync) {
            log << QStringLiteral("calendar %1 %2").arg(sync).arg(m.roomId);
        };
        NotificationCenter::defaultCenter().addObserver(
            &observer, KVMeetingDidUpdatedNotification, [&log](const Notification &n) {
                const auto u = n.userInfo.value(KVMeetingDidUpdatedUserInfoKey).value<KVMeetingDidUpdated>();
                log << QStringLiteral("post %1 %2 %3").arg(u.type).arg(u.model.roomId, u.model.roomName);
            });
    }

    CreateMeetingViewController *waitForForm()
    {
        processEventsUntil([this] { return page->createMeetingViewController() != nullptr; });
        return page->createMeetingViewController();
    }

    // A form opened for editing has its invitees from the stand-in.
    [[nodiscard]] static bool waitForInvitees(CreateMeetingViewController *form)
    {
        return processEventsUntil([form] { return form->inviteesLoaded(); }) && !form->members().isEmpty();
    }

    DevScheduledMeeting &scheduleToday(const QString &roomId, const QString &name)
    {
        DevScheduledMeeting meeting;
        meeting.roomId = roomId;
        meeting.ownerUserId = kMyPhone;
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        const QVariantMap me{{"userId", AgentRoutes::enc(kMyPhone)}, {"userName", QStringLiteral("张三")}};
        meeting.fields = {{"roomId", roomId}, {"roomName", name}, {"beginTime", today + " 23:58"},     {"duration", 30},
                          {"status", 0},      {"isCycle", 0},     {"invitationList", QVariantList{me}}};
        service.state().scheduled.insert(roomId, meeting);
        return service.state().scheduled[roomId];
    }

    [[nodiscard]] QStringList todayNames() const
    {
        QStringList names;
        for (const MeetingDataModel &m : page->todayMeetings())
            names << m.roomName;
        return names;
    }

    MainPageViewController *page = nullptr;
    QObject observer;
};

MeetingDataModel meeting(const QString &roomId, const QString &name)
{
    MeetingDataModel m;
    m.roomId = roomId;
    m.roomName = name;
    m.beginTime = QStringLiteral("2030-01-02 10:00");
    m.duration = 30;
    return m;
}

KVMResponse quota(int created, int allowed)
{
    return RecordingSchedulingAgent::ok(
        QVariantMap{{"createdRoomNumber", created}, {"allowCreateRoomNumber", allowed}});
}

} // namespace

TEST_F(ScheduleRoadTest, Open_ChecksTheQuotaOnceAndKeepsOneForm)
{
    RecordingSchedulingAgent agent;
    openHome();
    EXPECT_TRUE(page->scheduleButton()->isEnabled());
    page->scheduleButton()->click();
    page->openCreateOrEditMeeting(std::nullopt, false); // while the check runs: ignored
    EXPECT_EQ(agent.pendingCount(QStringLiteral("queryCreatedRoomsInfo")), 1);
    agent.answer(QStringLiteral("queryCreatedRoomsInfo"), quota(5, 5));
    EXPECT_EQ(toastText(), QStringLiteral("您当日创建会议个数已超过上限（5个),暂无法创建会议"));
    EXPECT_EQ(page->createMeetingViewController(), nullptr);

    page->openCreateOrEditMeeting(std::nullopt, false);
    agent.answer(QStringLiteral("queryCreatedRoomsInfo"),
                 RecordingSchedulingAgent::fail(500, QStringLiteral("服务忙")));
    EXPECT_EQ(toastText(), QStringLiteral("服务忙"));
    EXPECT_EQ(page->createMeetingViewController(), nullptr);

    page->openCreateOrEditMeeting(std::nullopt, false);
    agent.answer(QStringLiteral("queryCreatedRoomsInfo"), quota(4, 5));
    QPointer<CreateMeetingViewController> first = page->createMeetingViewController();
    ASSERT_TRUE(first);
    EXPECT_TRUE(page->createMeetingWindow()->isVisible());
    EXPECT_EQ(page->createMeetingWindow()->windowTitle(), QStringLiteral("创建会议"));

    // Editing opens in place of the open form, on this occurrence only.
    MeetingDataModel series = meeting(QStringLiteral("800000001"), QStringLiteral("周会"));
    series.isCycle = true;
    series.cycleType = 1;
    series.onlyUpdateThisMeeting = false;
    page->openCreateOrEditMeeting(series, true);
    agent.answer(QStringLiteral("queryCreatedRoomsInfo"), quota(0, 5));
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(first);
    CreateMeetingViewController *form = page->createMeetingViewController();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->dataModel().isEdit);
    EXPECT_TRUE(form->dataModel().onlyUpdateThisMeeting);
    EXPECT_EQ(page->createMeetingWindow()->windowTitle(), QStringLiteral("修改会议"));

    // Its cancel button closes it.
    form->ui().cancelButton->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(page->createMeetingViewController(), nullptr);
    EXPECT_EQ(page->createMeetingWindow(), nullptr);
}

TEST_F(ScheduleRoadTest, Success_CalendarCallbackBroadcastThenTheHomeList)
{
    RecordingSchedulingAgent agent;
    openHome();
    agent.calls.clear();
    record(agent.calls);
    const auto callback = [&agent](bool ok) { agent.calls << QStringLiteral("callback %1").arg(ok); };

    // An update broadcasts the edited meeting itself.
    MeetingDataModel edited = meeting(QStringLiteral("800000001"), QStringLiteral("新主题"));
    edited.isEdit = true;
    page->createAndUpdateMeetingRoom(edited, false, true, callback);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), QStringLiteral("更新中"));
    agent.answer(QStringLiteral("createOrUpdateMeeting"),
                 RecordingSchedulingAgent::ok(QVariantMap{{"roomId", "800000001"}, {"roomName", "服务端副本"}}));
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);
    EXPECT_EQ(agent.calls, (QStringList{"createOrUpdateMeeting update", "calendar 1 800000001", "callback 1",
                                        "post 0 800000001 新主题", "queryMeetingListIsToday 1"}));
    ASSERT_TRUE(page->editingMeeting());
    EXPECT_EQ(page->editingMeeting()->roomName, QStringLiteral("新主题"));

    // A create broadcasts the reply's meeting.
    agent.calls.clear();
    page->createAndUpdateMeetingRoom(MeetingDataModel::defaultModel(), false, false, callback);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), QStringLiteral("创建会议中"));
    agent.answer(QStringLiteral("createOrUpdateMeeting"),
                 RecordingSchedulingAgent::ok(QVariantMap{{"roomId", "800000009"}, {"roomName", "评审"}}));
    EXPECT_EQ(agent.calls, (QStringList{"createOrUpdateMeeting create", "calendar 0 800000009", "callback 1",
                                        "post 0 800000009 评审", "queryMeetingListIsToday 1"}));

    // A failure: the callback hears it, the message shows, nothing else happens.
    agent.calls.clear();
    page->createAndUpdateMeetingRoom(MeetingDataModel::defaultModel(), false, false, callback);
    agent.answer(QStringLiteral("createOrUpdateMeeting"),
                 RecordingSchedulingAgent::fail(403, QStringLiteral("不可以")));
    EXPECT_EQ(agent.calls, (QStringList{"createOrUpdateMeeting create", "callback 0"}));
    EXPECT_EQ(toastText(), QStringLiteral("不可以"));
}

TEST_F(ScheduleRoadTest, EndAndCancel_PostAndRefreshInTheirOrders)
{
    RecordingSchedulingAgent agent;
    openHome();
    agent.calls.clear();
    record(agent.calls);
    page->endMeeting(meeting(QStringLiteral("800000002"), QStringLiteral("周会")));
    agent.answer(QStringLiteral("endMeeting"), RecordingSchedulingAgent::ok());
    EXPECT_EQ(agent.calls, (QStringList{"endMeeting 800000002", "calendar 0 800000002", "post 1 800000002 周会",
                                        "queryMeetingListIsToday 1"}));

    agent.calls.clear();
    page->cancelMeeting(meeting(QStringLiteral("800000003"), QStringLiteral("晨会")));
    agent.answer(QStringLiteral("cancelMeeting"), RecordingSchedulingAgent::ok());
    EXPECT_EQ(agent.calls, (QStringList{"cancelMeeting 800000003", "calendar 0 800000003", "queryMeetingListIsToday 1",
                                        "post 2 800000003 晨会"}));

    // A change announced elsewhere still refreshes the list.
    agent.calls.clear();
    NotificationCenter::defaultCenter().post(
        KVMeetingDidUpdatedNotification, {},
        KVMeetingDidUpdated::withType(KVMeetingDidUpdated::Ended, MeetingDataModel()).userInfo());
    EXPECT_TRUE(agent.calls.contains(QStringLiteral("queryMeetingListIsToday 1")));
}

// The calendar follows the service though the home page that asked is gone: a cancel and a create
// answered after a sign-out take the cancelled meeting's event out and write the new one's.
TEST_F(ScheduleRoadTest, AnswersAfterSignOut_StillMoveTheCalendar)
{
    RecordingSchedulingAgent agent;
    openHome();
    WMEventCalendarTool &calendar = WMEventCalendarTool::sharedEventCalendar();
    const MeetingDataModel cancelled = meeting(QStringLiteral("800000031"), QStringLiteral("晨会"));
    const QString cancelledKey = KVMCommonUtilCalendar::eventKey(cancelled.roomId);
    const QString createdKey = KVMCommonUtilCalendar::eventKey(QStringLiteral("800000032"));
    bool written = false;
    KVMCommonUtilCalendar::syncCalendar(cancelled, true, {}, [&written] { written = true; });
    ASSERT_TRUE(processEventsUntil([&written] { return written; }));
    ASSERT_TRUE(calendar.checkToEventIdentifier(cancelledKey).has_value());

    page->cancelMeeting(cancelled);
    page->createAndUpdateMeetingRoom(meeting(QString(), QStringLiteral("评审")), false, true, {});
    ASSERT_EQ(agent.pendingCount(QStringLiteral("cancelMeeting")), 1);
    ASSERT_EQ(agent.pendingCount(QStringLiteral("createOrUpdateMeeting")), 1);
    const QPointer<MainPageViewController> asked(page);
    QTest::mouseClick(windows()->mainWindowViewController()->signOutButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
    ASSERT_TRUE(processEventsUntil([&asked] { return asked.isNull(); }));

    agent.answer(QStringLiteral("cancelMeeting"), RecordingSchedulingAgent::ok());
    agent.answer(QStringLiteral("createOrUpdateMeeting"),
                 RecordingSchedulingAgent::ok(QVariantMap{{"roomId", "800000032"},
                                                          {"roomName", QStringLiteral("评审")},
                                                          {"beginTime", "2030-01-03 09:00"},
                                                          {"duration", 30}}));
    ASSERT_TRUE(processEventsUntil(
        [&] { return !calendar.checkToEventIdentifier(cancelledKey) && calendar.checkToEventIdentifier(createdKey); }));
    EXPECT_EQ(calendar.checkToEventIdentifier(createdKey)->title, QStringLiteral("评审"));
    // The cases of a whole run share one calendar.
    EXPECT_TRUE(calendar.deleteEventsOfKey(createdKey));
}

TEST_F(ScheduleRoadTest, FailedUpdate_KeepsTheFormOpenAndTheShownMeetingAsItWas)
{
    scheduleToday(QStringLiteral("800000005"), QStringLiteral("晨会"));
    openHome();
    ASSERT_TRUE(processEventsUntil([this] { return page->todayMeetings().size() == 1; }));
    QStringList log;
    record(log);
    page->openCreateOrEditMeeting(page->todayMeetings()[0], true);
    CreateMeetingViewController *form = waitForForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(waitForInvitees(form));
    form->ui().meetingTitleTextView->setStringValue(QStringLiteral("改名后的晨会"));
    service.state().scheduled[QStringLiteral("800000005")].ownerUserId = kHostPhone; // no longer ours
    form->ui().confirmButton->click();
    ASSERT_TRUE(waitForToast(QStringLiteral("仅创建者可修改会议")));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(page->createMeetingViewController(), form);
    EXPECT_TRUE(page->createMeetingWindow()->isVisible());
    EXPECT_EQ(form->ui().meetingTitleTextView->stringValue(), QStringLiteral("改名后的晨会"));
    EXPECT_EQ(todayNames(), QStringList{QStringLiteral("晨会")});
    ASSERT_TRUE(page->editingMeeting());
    EXPECT_EQ(page->editingMeeting()->roomName, QStringLiteral("晨会"));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ScheduleRoadTest, EndToEnd_ScheduleEditAndCancelAgainstTheStandIn)
{
    openHome();
    page->scheduleButton()->click();
    CreateMeetingViewController *form = waitForForm();
    ASSERT_NE(form, nullptr);
    form->ui().meetingTitleTextView->setStringValue(QStringLiteral("产品评审"));
    form->ui().confirmButton->click();
    ASSERT_TRUE(processEventsUntil([this] { return todayNames().contains(QStringLiteral("产品评审")); }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(page->createMeetingViewController(), nullptr); // closed on success
    const MeetingDataModel created = page->todayMeetings()[todayNames().indexOf(QStringLiteral("产品评审"))];

    // Edit as the details and list windows will: a new subject and a later begin today.
    page->openCreateOrEditMeeting(created, true);
    form = waitForForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(waitForInvitees(form));
    EXPECT_EQ(form->ui().meetingTitleTextView->stringValue(), QStringLiteral("产品评审"));
    EXPECT_EQ(form->members().size(), 1);
    form->ui().meetingTitleTextView->setStringValue(QStringLiteral("产品评审（改期）"));
    const QDateTime later(QDate::currentDate(), QTime(23, 59));
    form->onDatePickBtnClick();
    ASSERT_TRUE(form->ui().datePickView);
    form->ui().datePickView->onSelectedDate(later);
    form->ui().confirmButton->click();
    ASSERT_TRUE(processEventsUntil([this] { return todayNames() == QStringList{QStringLiteral("产品评审（改期）")}; }));
    EXPECT_EQ(page->todayMeetings()[0].beginTime, later.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    EXPECT_EQ(page->todayMeetings()[0].roomId, created.roomId);

    // Cancel as they will: a one-off meeting goes at once.
    page->cancelMeeting(page->todayMeetings()[0]);
    ASSERT_TRUE(processEventsUntil([this] { return page->todayMeetings().isEmpty(); }));
    EXPECT_FALSE(service.state().scheduled.contains(created.roomId));
}

TEST_F(ScheduleRoadTest, EndToEnd_TheListAndTheCalendarFollowTheMeeting_AndItsMemberListIsSaved)
{
    openHome();
    page->scheduleButton()->click();
    CreateMeetingViewController *form = waitForForm();
    ASSERT_NE(form, nullptr);
    form->ui().meetingTitleTextView->setStringValue(QStringLiteral("日历评审"));
    if (!form->syncCalendar())
        form->ui().syncCalendarBtn->click();
    ASSERT_TRUE(form->syncCalendar());
    form->ui().confirmButton->click();
    ASSERT_TRUE(processEventsUntil([this] { return todayNames().contains(QStringLiteral("日历评审")); }));
    const MeetingDataModel created = page->todayMeetings()[todayNames().indexOf(QStringLiteral("日历评审"))];
    const QString key = KVMCommonUtilCalendar::eventKey(created.roomId);
    WMEventCalendarTool &calendar = WMEventCalendarTool::sharedEventCalendar();
    ASSERT_TRUE(processEventsUntil([&] { return calendar.checkToEventIdentifier(key).has_value(); }));
    EXPECT_EQ(calendar.checkToEventIdentifier(key)->title, QStringLiteral("日历评审"));

    page->onAllMeetingListAction();
    MainMeetingListViewController *list = page->meetingListViewController();
    ASSERT_TRUE(processEventsUntil([&] { return list->meetingsList().find(created.roomId).has_value(); }));

    // Its member list, saved where the user chooses.
    QTemporaryDir target;
    int dialogs = 0;
    KVDownloadRecordManage::setDialogOpener([&](QFileDialog *dialog) {
        ++dialogs;
        Q_EMIT dialog->fileSelected(target.filePath(QStringLiteral("members.xlsx")));
        dialog->close();
    });
    list->selectMeeting(list->meetingsList().find(created.roomId)->first,
                        list->meetingsList().find(created.roomId)->second);
    list->onDownloadMembersList();
    ASSERT_TRUE(processEventsUntil([&] { return dialogs == 1; }));
    ASSERT_TRUE(processEventsUntil([] { return KVDownloadRecordManage::savesInProgress() == 0; }));
    EXPECT_TRUE(QFileInfo::exists(target.filePath(QStringLiteral("members.xlsx"))));
    KVDownloadRecordManage::setDialogOpener({});

    // Moved: the list and the event follow.
    page->openCreateOrEditMeeting(created, true);
    form = waitForForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(processEventsUntil([form] { return form->inviteesLoaded(); }));
    form->ui().meetingTitleTextView->setStringValue(QStringLiteral("日历评审（改期）"));
    const QDateTime later(QDate::currentDate(), QTime(23, 59));
    form->onDatePickBtnClick();
    form->ui().datePickView->onSelectedDate(later);
    if (!form->syncCalendar())
        form->ui().syncCalendarBtn->click();
    form->ui().confirmButton->click();
    ASSERT_TRUE(processEventsUntil([&] {
        const auto event = calendar.checkToEventIdentifier(key);
        return event && event->startDate == later;
    }));
    EXPECT_EQ(calendar
                  .checkToStartDate(QDateTime(QDate(2000, 1, 1), QTime()), QDateTime(QDate(2100, 1, 1), QTime()),
                                    QString(), KVMCommonUtilCalendar::kCalendarKey)
                  .size(),
              1);
    ASSERT_TRUE(processEventsUntil([&] {
        const auto at = list->meetingsList().find(created.roomId);
        return at &&
               list->meetingsList().meetingAt(at->first, at->second)->roomName == QStringLiteral("日历评审（改期）");
    }));

    // Cancelled: both go.
    page->cancelMeeting(page->todayMeetings()[0]);
    ASSERT_TRUE(processEventsUntil([&] { return !list->meetingsList().find(created.roomId).has_value(); }));
    ASSERT_TRUE(processEventsUntil([&] { return !calendar.checkToEventIdentifier(key).has_value(); }));
}

TEST_F(ScheduleRoadTest, Confirm_OnePressOneMeeting_NothingMoreIsSentWhileTheRequestIsOnItsWay)
{
    RecordingSchedulingAgent agent;
    openHome();
    QTest::mouseClick(page->scheduleButton(), Qt::LeftButton);
    agent.answer(QStringLiteral("queryCreatedRoomsInfo"), quota(0, 5));
    QPointer<CreateMeetingViewController> form = page->createMeetingViewController();
    ASSERT_TRUE(form);
    QWidget *confirm = form->ui().confirmButton;
    QTest::mouseClick(confirm, Qt::LeftButton);
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_EQ(agent.pendingCount(QStringLiteral("createOrUpdateMeeting")), 1);
    EXPECT_FALSE(confirm->isEnabled());
    form->onConfirmClick(); // as the keyboard's or a screen reader's press would
    EXPECT_EQ(agent.pendingCount(QStringLiteral("createOrUpdateMeeting")), 1);

    // A failure leaves the form open for another try; that one goes once too.
    agent.answer(QStringLiteral("createOrUpdateMeeting"),
                 RecordingSchedulingAgent::fail(500, QStringLiteral("服务忙")));
    ASSERT_TRUE(form);
    EXPECT_TRUE(confirm->isEnabled());
    QTest::mouseClick(confirm, Qt::LeftButton);
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_EQ(agent.pendingCount(QStringLiteral("createOrUpdateMeeting")), 1);
    agent.answer(QStringLiteral("createOrUpdateMeeting"),
                 RecordingSchedulingAgent::ok(QVariantMap{{"roomId", "800000009"}, {"roomName", "评审"}}));
    EXPECT_EQ(page->createMeetingViewController(), nullptr);
}

TEST_F(ScheduleRoadTest, EndToEnd_OneCancelPerMeeting_TheListsButtonWaitsForItsAlertAndItsRequest)
{
    DevScheduledMeeting &series = scheduleToday(QStringLiteral("800000006"), QStringLiteral("周会"));
    series.fields.insert(QStringLiteral("isCycle"), 1);
    series.fields.insert(QStringLiteral("cycleType"), 2);
    series.fields.insert(QStringLiteral("creatorId"), AgentRoutes::enc(kMyPhone));
    const QString roomId = series.roomId; // the service's entry goes with the cancel
    openHome();
    page->onAllMeetingListAction();
    MainMeetingListViewController *list = page->meetingListViewController();
    ASSERT_TRUE(processEventsUntil([&] { return list->meetingsList().find(roomId).has_value(); }));
    const auto at = *list->meetingsList().find(roomId);
    list->selectMeeting(at.first, at.second);
    const MeetingDataModel shown = *list->meetingsList().meetingAt(at.first, at.second);
    QWidget *cancel = list->detailCancelBtn();
    ASSERT_TRUE(cancel->isVisible());
    ASSERT_TRUE(cancel->isEnabled());

    QTest::mouseClick(cancel, Qt::LeftButton);
    KVAlert *alert = waitForAlert(QStringLiteral("cancelMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_FALSE(cancel->isEnabled()) << "its own alert is open";
    // A screen reader's press, which no modality stops, asks nothing more.
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(cancel);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->actionInterface(), nullptr);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    page->cancelMeeting(shown);
    int alerts = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        alerts += w->isVisible() && w->objectName() == QStringLiteral("cancelMeetingAlert") ? 1 : 0;
    EXPECT_EQ(alerts, 1);

    // Keeping the meeting gives the button back.
    QTest::mouseClick(alert->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil([&] { return cancel->isEnabled(); }));

    // Cancelled: one request, whatever is pressed while it is on its way (its answer held back).
    service.delayNextReply(QStringLiteral("/qf/meeting/room/cancel"), 5000);
    QTest::mouseClick(cancel, Qt::LeftButton);
    alert = waitForAlert(QStringLiteral("cancelMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    QTest::mouseClick(alert->confirmButton(), Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/cancel")) == 1; }));
    EXPECT_FALSE(cancel->isEnabled()) << "its request is on its way";
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    page->cancelMeeting(shown);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(visibleAlert(QStringLiteral("cancelMeetingAlert")), nullptr);
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/cancel")), 1);
    clock.clock.advance(std::chrono::seconds(5));
    ASSERT_TRUE(processEventsUntil([&] { return !list->meetingsList().find(roomId).has_value(); }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/cancel")), 1);
}

TEST_F(ScheduleRoadTest, EndToEnd_AStoredPasswordTheFieldWouldNotTake_IsNeverChangedByAnEdit)
{
    for (const QString &stored : {QStringLiteral("ab12cd345"), QStringLiteral("12345678")}) {
        const QString roomId = QStringLiteral("80000001") + QString::number(stored.size());
        scheduleToday(roomId, QStringLiteral("晨会")).fields.insert(QStringLiteral("password"), stored);
        openHome();
        ASSERT_TRUE(processEventsUntil([&] {
            for (const MeetingDataModel &m : page->todayMeetings())
                if (m.roomId == roomId)
                    return true;
            return false;
        }));
        MeetingDataModel shown;
        for (const MeetingDataModel &m : page->todayMeetings())
            if (m.roomId == roomId)
                shown = m;
        page->openCreateOrEditMeeting(shown, true);
        CreateMeetingViewController *form = waitForForm();
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(waitForInvitees(form));
        EXPECT_EQ(form->ui().passwordInputView->stringValue(), stored);
        QTest::mouseClick(form->ui().confirmButton, Qt::LeftButton);
        ASSERT_TRUE(waitForToast(QStringLiteral("请输入3-6位数字密码")));
        ASSERT_TRUE(settleRequests());
        EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/update")), 0);
        EXPECT_EQ(service.state().scheduled[roomId].fields.value(QStringLiteral("password")).toString(), stored);
        form->ui().cancelButton->click();
        ASSERT_TRUE(settleRequests());
    }
}

TEST_F(ScheduleRoadTest, EndToEnd_TheCalendarKeepsNothingOfACancelledSeries_AfterOneOccurrenceAndTheSeriesWereEdited)
{
    TimeZones::inEachTimeZone([this] {
        ASSERT_NO_FATAL_FAILURE(openHome());
        WMEventCalendarTool &calendar = WMEventCalendarTool::sharedEventCalendar();
        const auto events = [&] {
            return calendar.checkToStartDate(QDateTime(QDate(2000, 1, 1), QTime()),
                                             QDateTime(QDate(2100, 1, 1), QTime()), QString(),
                                             KVMCommonUtilCalendar::kCalendarKey);
        };
        // A weekly meeting today at 23:57, with its calendar entry.
        QTest::mouseClick(page->scheduleButton(), Qt::LeftButton);
        CreateMeetingViewController *form = waitForForm();
        ASSERT_NE(form, nullptr);
        const QString name = QStringLiteral("周例会") + QString::fromLatin1(qgetenv("TZ"));
        form->ui().meetingTitleTextView->setStringValue(name);
        const QDateTime first(QDate::currentDate(), QTime(23, 57));
        form->onDatePickBtnClick();
        form->ui().datePickView->onSelectedDate(first);
        QTest::mouseClick(form->ui().weeklyMeetingBtn, Qt::LeftButton);
        if (!form->syncCalendar())
            QTest::mouseClick(form->ui().syncCalendarBtn, Qt::LeftButton);
        QTest::mouseClick(form->ui().confirmButton, Qt::LeftButton);
        ASSERT_TRUE(processEventsUntil([&] { return events().size() == 1; }));
        const auto created = std::find_if(service.state().scheduled.cbegin(), service.state().scheduled.cend(),
                                          [&](const DevScheduledMeeting &m) {
                                              return m.fields.value(QStringLiteral("roomName")).toString() == name;
                                          });
        ASSERT_NE(created, service.state().scheduled.cend());
        const QString roomId = created->roomId;
        ASSERT_TRUE(processEventsUntil([&] { return todayNames().contains(name); }));
        const auto meeting = [&] {
            for (const MeetingDataModel &m : page->todayMeetings())
                if (m.roomId == roomId)
                    return m;
            return MeetingDataModel();
        };

        // This occurrence only (the form opens so), moved to 23:59: a one-off beside the series.
        page->openCreateOrEditMeeting(meeting(), true);
        form = waitForForm();
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(waitForInvitees(form));
        const QDateTime later(QDate::currentDate(), QTime(23, 59));
        form->onDatePickBtnClick();
        form->ui().datePickView->onSelectedDate(later);
        QTest::mouseClick(form->ui().confirmButton, Qt::LeftButton);
        ASSERT_TRUE(processEventsUntil([&] { return events().size() == 2; }));
        for (const CalendarEvent &e : events()) {
            if (e.rrule.isEmpty())
                EXPECT_EQ(e.startDate, later);
            else
                EXPECT_EQ(e.exceptionDates, QList<QDateTime>{first}) << "the series skips the moved occurrence";
        }

        // The whole series: one event again.
        ASSERT_TRUE(processEventsUntil(
            [&] { return meeting().beginTime == later.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }));
        page->openCreateOrEditMeeting(meeting(), true);
        form = waitForForm();
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(waitForInvitees(form));
        QTest::mouseClick(form->ui().cycleSyncButton, Qt::LeftButton);
        ASSERT_FALSE(form->dataModel().onlyUpdateThisMeeting);
        QTest::mouseClick(form->ui().confirmButton, Qt::LeftButton);
        ASSERT_TRUE(processEventsUntil([&] { return events().size() == 1 && !events()[0].rrule.isEmpty(); }));

        // Cancelled, whole series: nothing is left.
        page->cancelMeeting(meeting());
        KVAlert *alert = waitForAlert(QStringLiteral("cancelMeetingAlert"));
        ASSERT_NE(alert, nullptr);
        QTest::mouseClick(alert->findChild<QCheckBox *>(QStringLiteral("wholeSeriesBox")), Qt::LeftButton);
        QTest::mouseClick(alert->confirmButton(), Qt::LeftButton);
        ASSERT_TRUE(processEventsUntil([&] { return events().isEmpty(); }));
        EXPECT_FALSE(calendar.checkToEventIdentifier(KVMCommonUtilCalendar::eventKey(roomId)).has_value());
        ASSERT_TRUE(settleRequests());
    });
}
