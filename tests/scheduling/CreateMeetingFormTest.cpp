// The meeting form headless with a recording agent: filling from a model, the pop-ups and the
// mask, recurrence, the checks, the member lists and the window size.

#include "SchedulingTestSupport.h"
#include "TimeZones.h"
#include "support/AccessibilityWalk.h"

#include "agent/models/FileShareModel.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/NotificationCenter.h"
#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectCollectionItem.h"
#include "scheduling/KVMemberSelectView.h"
#include "scheduling/KVSelectTimeView.h"
#include "uikit/KVDatePickerView.h"
#include "uikit/KVHitTestButton.h"
#include "uikit/KVHoverBorderView.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"
#include "uikit/QFFlatButton.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QTest>

#include <optional>

namespace {

QStringList chipNames(KVMemberEnterCollectionView *view)
{
    QStringList names;
    for (KVMeetingMemberCell *chip : view->chips())
        names << chip->model().userName;
    return names;
}

QString markedDuration(const CreateMeetingViewController::Ui &ui)
{
    for (MoreActionItem *item : ui.durationView->items()) {
        if (item->isSelect())
            return item->title();
    }
    return {};
}

QVariant users(const QList<VeskUserModel> &list)
{
    return QVariant::fromValue(list);
}

QList<VeskUserModel> people(int n, const QString &prefix)
{
    QList<VeskUserModel> out;
    for (int i = 0; i < n; ++i)
        out << schedulingUser(prefix + QString::number(i), prefix + QStringLiteral("成员%1").arg(i));
    return out;
}

} // namespace

TEST_F(CreateMeetingFormTest, NewMeeting_ShowsTheDefaultsAndTheSignedInUserAlone)
{
    TimeZones::inEachTimeZone([&] {
        auto &f = open();
        const auto &ui = f.ui();
        EXPECT_EQ(ui.titleLabel->text(), QStringLiteral("创建会议"));
        EXPECT_EQ(ui.meetingTitleTextView->stringValue(), QStringLiteral("张三创建的会议"));
        EXPECT_EQ(ui.durationButton->title(), QStringLiteral("2小时"));
        EXPECT_EQ(f.duration(), 120);
        // After a load all three are enabled; the chosen one clicked again stays chosen.
        EXPECT_TRUE(ui.onceMeetingBtn->isChecked());
        EXPECT_TRUE(ui.onceMeetingBtn->isEnabled());
        ui.onceMeetingBtn->click();
        EXPECT_TRUE(ui.onceMeetingBtn->isChecked());
        EXPECT_FALSE(ui.onceMeetingBtn->isEnabled());
        EXPECT_TRUE(ui.daysMeetingBtn->isEnabled());
        EXPECT_TRUE(ui.passwordRow->isHidden());
        EXPECT_TRUE(ui.recordMeetingContentBtn->isChecked());
        EXPECT_FALSE(ui.meetingContentRow->isHidden());
        EXPECT_TRUE(ui.shareAllowAllBtn->isChecked());
        EXPECT_TRUE(ui.shareMemberRow->isHidden());
        EXPECT_TRUE(ui.allowUploadFileButton->isChecked());
        EXPECT_TRUE(ui.uploadFilesCountBtn->isHidden());
        EXPECT_TRUE(ui.uploadFileButton->isEnabled());
        EXPECT_EQ(chipNames(ui.confereeCollectionView), QStringList{QStringLiteral("张三")});
        EXPECT_EQ(ui.memberSelectLabel->text(), QStringLiteral("已选1人"));
        EXPECT_EQ(ui.confereeCollectionBackView->height(), 34);
        EXPECT_EQ(ui.titleBar->height(), 94);
        EXPECT_TRUE(agent.calls.isEmpty()); // nothing to fetch for a new meeting

        f.onDurationClick();
        ASSERT_TRUE(ui.durationView);
        EXPECT_EQ(markedDuration(ui), QStringLiteral("2小时"));
        EXPECT_EQ(f.durationIconName(), QStringLiteral("ic_input_up"));
        ui.durationView->items()[1]->click(); // "30分钟"
        EXPECT_FALSE(ui.durationView);
        EXPECT_EQ(f.duration(), 30);
        EXPECT_EQ(ui.durationButton->title(), QStringLiteral("30分钟"));
        EXPECT_EQ(f.durationIconName(), QStringLiteral("ic_input_dropdown"));
    });
}

TEST_F(CreateMeetingFormTest, EditFill_TitlePasswordDurationAndFileLinkFollowTheModel)
{
    MeetingDataModel m = scheduled();
    m.password = QStringLiteral("4321");
    m.duration = 0; // a form that never had a duration keeps 0
    m.fileCount = 3;
    m.roomWaitStatus = 1;
    auto &f = open(m);
    const auto &ui = f.ui();
    EXPECT_EQ(ui.titleLabel->text(), QStringLiteral("修改会议"));
    EXPECT_TRUE(ui.passwordBtn->isChecked());
    EXPECT_FALSE(ui.passwordRow->isHidden());
    EXPECT_EQ(ui.passwordInputView->stringValue(), QStringLiteral("4321"));
    EXPECT_EQ(f.duration(), 0);
    EXPECT_EQ(ui.datePickerButton->title(), QStringLiteral("2030-01-02 10:00"));
    EXPECT_TRUE(ui.waitingRoomButton->isChecked());
    EXPECT_FALSE(ui.uploadFilesCountBtn->isHidden());
    EXPECT_EQ(ui.uploadFilesCountBtn->title(), QStringLiteral("共3个文件>"));

    // The allowed sharers first, then the invitation list (status 0).
    EXPECT_EQ(agent.calls, QStringList{QStringLiteral("queryMeetingAllowShareList 800000001")});
    agent.answer(QStringLiteral("queryMeetingAllowShareList"), RecordingSchedulingAgent::ok(users({})));
    EXPECT_EQ(agent.calls.last(), QStringLiteral("queryMeetingInvitationList 800000001"));

    // An empty password hides the field; 0 files hide the link; status 1 asks for the members.
    m.password.clear();
    m.fileCount = 0;
    m.duration = 75;
    m.status = 1;
    f.setDataModel(m);
    EXPECT_FALSE(ui.passwordBtn->isChecked());
    EXPECT_TRUE(ui.passwordRow->isHidden());
    EXPECT_TRUE(ui.uploadFilesCountBtn->isHidden());
    EXPECT_EQ(f.duration(), 75);
    EXPECT_EQ(ui.durationButton->title(), QStringLiteral("1小时15分钟"));
    // Duration 0 now keeps the form's 75.
    m.duration = 0;
    f.setDataModel(m);
    EXPECT_EQ(f.duration(), 75);
    agent.answer(QStringLiteral("queryMeetingAllowShareList"), RecordingSchedulingAgent::ok(users({})));
    EXPECT_EQ(agent.calls.last(), QStringLiteral("queryMeetingMembersList 800000001"));
}

TEST_F(CreateMeetingFormTest, Recurrence_SeriesSwitchLocksAndUnlocksThePeriod)
{
    auto &f = open(scheduled(true));
    const auto &ui = f.ui();
    EXPECT_EQ(ui.titleBar->height(), 132);
    EXPECT_FALSE(ui.cycleSyncButton->isHidden());
    EXPECT_FALSE(ui.cycleSyncButton->isChecked());
    EXPECT_TRUE(ui.daysMeetingBtn->isChecked());
    const auto alpha = [](QRadioButton *b) {
        return qobject_cast<QGraphicsOpacityEffect *>(b->graphicsEffect())->opacity();
    };
    for (QRadioButton *b : {ui.onceMeetingBtn.data(), ui.daysMeetingBtn.data(), ui.weeklyMeetingBtn.data()}) {
        EXPECT_FALSE(b->isEnabled());
        EXPECT_DOUBLE_EQ(alpha(b), 0.3);
    }
    ui.cycleSyncButton->click(); // the whole series
    EXPECT_FALSE(f.dataModel().onlyUpdateThisMeeting);
    EXPECT_TRUE(ui.onceMeetingBtn->isEnabled());
    EXPECT_TRUE(ui.daysMeetingBtn->isEnabled()); // the chosen one too
    EXPECT_DOUBLE_EQ(alpha(ui.weeklyMeetingBtn), 1.0);
    ui.weeklyMeetingBtn->click();
    EXPECT_EQ(f.periodType(), 2);
    EXPECT_FALSE(ui.weeklyMeetingBtn->isEnabled());
    ui.cycleSyncButton->click(); // back to this occurrence
    EXPECT_TRUE(f.dataModel().onlyUpdateThisMeeting);
    EXPECT_FALSE(ui.onceMeetingBtn->isEnabled());

    // A period outside 0 to 2 is kept without touching the buttons.
    f.setPeriodType(7);
    EXPECT_EQ(f.periodType(), 7);
    EXPECT_TRUE(ui.weeklyMeetingBtn->isChecked());

    // A one-off meeting being edited has no switch.
    f.setDataModel(scheduled(false));
    EXPECT_TRUE(ui.cycleSyncButton->isHidden());
    EXPECT_EQ(ui.titleBar->maximumHeight(), 94);
}

TEST_F(CreateMeetingFormTest, Mask_ClosesThePopUpsButNotTheEndPanel)
{
    TimeZones::inEachTimeZone([&] {
        auto &f = open();
        const auto &ui = f.ui();
        f.onDatePickBtnClick();
        ASSERT_TRUE(ui.datePickView);
        EXPECT_TRUE(ui.datePickBackView->alwaysHighlight());
        EXPECT_EQ(ui.datePickView->size(), QSize(346, 270));
        ASSERT_TRUE(ui.overMaskBtn && ui.overMaskBtn->isVisible());
        const QPoint outside(5, f.view()->height() - 5);
        EXPECT_FALSE(f.maskLetsThrough(outside));
        EXPECT_TRUE(f.maskLetsThrough(ui.datePickView->geometry().center()));
        // The begin applies at once.
        ui.datePickView->onSelectedDate(QDateTime(QDate(2030, 5, 6), QTime(9, 30)));
        EXPECT_EQ(ui.datePickerButton->title(), QStringLiteral("2030-05-06 09:30"));
        ui.overMaskBtn->click();
        EXPECT_FALSE(ui.datePickView);
        EXPECT_FALSE(ui.overMaskBtn->isVisible());
        EXPECT_FALSE(ui.datePickBackView->alwaysHighlight());

        // The end panel stays when the mask closes its picker.
        f.onDurationClick();
        ui.durationView->items().last()->click(); // "选择结束时间"
        ASSERT_TRUE(ui.selectTimeView);
        EXPECT_FALSE(ui.durationView);
        EXPECT_EQ(ui.selectTimeView->size(), QSize(458, 265));
        EXPECT_EQ(ui.selectTimeView->datePickerButton()->title(), QStringLiteral("请选择"));
        EXPECT_EQ(ui.selectTimeView->durationLabel()->text(), QStringLiteral("- -"));
        ui.selectTimeView->datePickerButton()->click();
        ASSERT_TRUE(ui.durationDatePickView);
        EXPECT_EQ(ui.durationDatePickView->minuteInterval(), 15);
        EXPECT_EQ(ui.durationDatePickView->model().beginDate, QDateTime(QDate(2030, 5, 6), QTime(9, 45)));
        EXPECT_EQ(ui.durationDatePickView->model().endDate, QDateTime(QDate(2030, 5, 7), QTime(9, 15)));
        EXPECT_EQ(ui.durationDatePickView->model().selectedDate, QDateTime(QDate(2030, 5, 6), QTime(11, 30)));
        ui.durationDatePickView->onSelectedDate(QDateTime(QDate(2030, 5, 6), QTime(10, 45)));
        EXPECT_EQ(ui.selectTimeView->durationTime(), QStringLiteral("1小时15分钟"));
        ui.overMaskBtn->click();
        EXPECT_FALSE(ui.durationDatePickView);
        ASSERT_TRUE(ui.selectTimeView);
        EXPECT_TRUE(ui.durationBackView->alwaysHighlight());

        // Its confirm sets 75 minutes; the menu then marks no row.
        ui.selectTimeView->confirmButton()->click();
        QApplication::processEvents();
        EXPECT_FALSE(ui.selectTimeView);
        EXPECT_EQ(f.duration(), 75);
        EXPECT_EQ(ui.durationButton->title(), QStringLiteral("1小时15分钟"));
        EXPECT_FALSE(ui.durationBackView->alwaysHighlight());
        f.onDurationClick();
        EXPECT_EQ(markedDuration(ui), QString());
        f.onDurationClick(); // a second click on the field closes the menu
        EXPECT_FALSE(ui.durationView);

        // Confirming a panel with no end chosen changes nothing.
        f.openSelectTimeView();
        ui.selectTimeView->confirmButton()->click();
        EXPECT_EQ(f.duration(), 75);
        EXPECT_EQ(ui.durationButton->title(), QStringLiteral("1小时15分钟"));
    });
}

TEST_F(CreateMeetingFormTest, AccessibleActions_DoWhatClicksDo)
{
    auto &f = open();
    const auto &ui = f.ui();
    const auto act = [](QWidget *w) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        ASSERT_TRUE(a && a->actionInterface());
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty());
        a->actionInterface()->doAction(a->actionInterface()->actionNames().first());
        QApplication::processEvents();
    };
    act(ui.passwordBtn);
    EXPECT_FALSE(ui.passwordRow->isHidden());
    act(ui.weeklyMeetingBtn);
    EXPECT_EQ(f.periodType(), 2);
    EXPECT_FALSE(ui.onceMeetingBtn->isChecked());
    act(ui.shareLimitMemberBtn);
    EXPECT_FALSE(ui.shareMemberRow->isHidden());
    act(ui.durationButton); // a press is an animated click: it lands a moment later
    ASSERT_TRUE(processEventsUntil([&] { return ui.durationView != nullptr; }));
    act(ui.overMaskBtn);
    EXPECT_TRUE(processEventsUntil([&] { return ui.durationView == nullptr; }));
}

TEST_F(CreateMeetingFormTest, Confirm_ChecksSubjectAndPasswordBeforeHandingOver)
{
    auto &f = open();
    const auto &ui = f.ui();
    int handed = 0;
    f.onCreateMeeting = [&](CreateMeetingViewController *) { ++handed; };

    ui.meetingTitleTextView->setStringValue(QString());
    ui.confirmButton->click();
    EXPECT_EQ(toastText(), QStringLiteral("请输入会议主题"));
    EXPECT_EQ(handed, 0);

    ui.meetingTitleTextView->setStringValue(QStringLiteral("   "));
    ui.passwordBtn->click();
    EXPECT_FALSE(ui.passwordRow->isHidden());
    QTest::keyClicks(ui.passwordInputView->textField(), "1a");
    EXPECT_EQ(ui.passwordInputView->stringValue(), QStringLiteral("1"));
    ui.confirmButton->click();
    EXPECT_EQ(toastText(), QStringLiteral("请输入3-6位数字密码"));
    EXPECT_EQ(handed, 0);
    EXPECT_EQ(f.dataModel().password, QStringLiteral("")); // nothing was copied

    QTest::keyClicks(ui.passwordInputView->textField(), "234567");
    EXPECT_EQ(ui.passwordInputView->stringValue(), QStringLiteral("123456"));
    ui.confirmButton->click();
    EXPECT_EQ(handed, 1);
    EXPECT_EQ(f.dataModel().roomName, QStringLiteral("   "));
    EXPECT_EQ(f.dataModel().password, QStringLiteral("123456"));
    EXPECT_EQ(f.dataModel().invitationList.size(), 1);
}

TEST_F(CreateMeetingFormTest, EditedMeeting_AStoredPasswordTheFieldWouldNotTakeIsShownAsIs_AndStopsTheConfirm)
{
    for (const QString &stored : {QStringLiteral("ab12cd345"), QStringLiteral("12345678")}) {
        MeetingDataModel m = scheduled();
        m.password = stored;
        auto &f = open(m);
        const auto &ui = f.ui();
        agent.answer(QStringLiteral("queryMeetingAllowShareList"), RecordingSchedulingAgent::ok(users({})));
        agent.answer(QStringLiteral("queryMeetingInvitationList"),
                     RecordingSchedulingAgent::ok(users({schedulingUser("13800000000", "张三")})));
        int handed = 0;
        f.onCreateMeeting = [&](CreateMeetingViewController *) { ++handed; };
        EXPECT_EQ(ui.passwordInputView->stringValue(), stored) << "shown as stored, not cut to what typing allows";
        QTest::mouseClick(ui.confirmButton, Qt::LeftButton);
        EXPECT_EQ(toastText(), QStringLiteral("请输入3-6位数字密码"));
        EXPECT_EQ(handed, 0);
        EXPECT_EQ(f.dataModel().password, stored);
    }
}

TEST_F(CreateMeetingFormTest, FileWindow_StartsFromTheFormsBox_ItsUploadChoiceIsWhatTheFormSaves)
{
    auto &f = open();
    const auto &ui = f.ui();
    std::optional<MeetingDataModel> opened;
    f.onUploadShareFile = [&](CreateMeetingViewController *c) { opened = c->dataModel(); };
    f.onCreateMeeting = [](CreateMeetingViewController *) {};
    ui.allowUploadFileButton->click(); // hosts only
    ui.uploadFileButton->click();
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->uploadPermissionType, 1);
    opened->uploadPermissionType = 2; // the window lets everyone upload
    f.adoptUploadShare(*opened);
    ui.confirmButton->click();
    EXPECT_EQ(f.dataModel().uploadPermissionType, 2);
}

TEST_F(CreateMeetingFormTest, Search_ALateReplyForAnOlderTextOrTheOtherListIsDropped)
{
    auto &f = open();
    const auto &ui = f.ui();
    KVTextField *entry = ui.confereeCollectionView->inputTextField();
    QTest::keyClicks(entry, "ab");
    QTest::keyClicks(entry, "c");
    EXPECT_EQ(agent.calls,
              (QStringList{"queryUserWithUserName a", "queryUserWithUserName ab", "queryUserWithUserName abc"}));
    agent.answer(QStringLiteral("queryUserWithUserName"),
                 RecordingSchedulingAgent::ok(users(people(3, QStringLiteral("abc")))), QStringLiteral("abc"));
    ASSERT_TRUE(ui.memberSelectView);
    EXPECT_EQ(f.searchMembers().size(), 3);
    // The reply for "ab" comes last: it would replace the results of "abc".
    agent.answer(QStringLiteral("queryUserWithUserName"),
                 RecordingSchedulingAgent::ok(users(people(7, QStringLiteral("ab")))), QStringLiteral("ab"));
    EXPECT_EQ(f.searchMembers().size(), 3);
    EXPECT_EQ(ui.memberSelectView->rows().size(), 3);

    // The same text again does not search; in the other list it does, and the late reply for
    // the invitee list is dropped.
    const qsizetype before = agent.calls.size();
    f.memberTextChanged(CreateMeetingViewController::Invitees, QStringLiteral("abc"));
    EXPECT_EQ(agent.calls.size(), before);
    f.memberTextChanged(CreateMeetingViewController::Invitees, QStringLiteral("xy"));
    f.memberTextChanged(CreateMeetingViewController::ShareMembers, QStringLiteral("xy"));
    EXPECT_EQ(agent.pendingCount(QStringLiteral("queryUserWithUserName")), 3);
    agent.answer(QStringLiteral("queryUserWithUserName"), RecordingSchedulingAgent::ok(users(people(2, "x"))),
                 QStringLiteral("xy"));
    EXPECT_EQ(f.searchMembers().size(), 3);
    agent.answer(QStringLiteral("queryUserWithUserName"), RecordingSchedulingAgent::ok(users(people(1, "x"))),
                 QStringLiteral("xy"));
    EXPECT_EQ(f.searchMembers().size(), 1);

    // A failed search shows an empty picker and no toast.
    f.memberTextChanged(CreateMeetingViewController::ShareMembers, QStringLiteral("zz"));
    agent.answer(QStringLiteral("queryUserWithUserName"), RecordingSchedulingAgent::fail(500, QStringLiteral("坏")),
                 QStringLiteral("zz"));
    EXPECT_TRUE(f.searchMembers().isEmpty());
    EXPECT_FALSE(ui.memberSelectView->emptyLabel()->isHidden());
    EXPECT_EQ(toastText(), QString());
}

TEST_F(CreateMeetingFormTest, Picker_TicksEditTheListAndTheCountNeverGoesBelowZero)
{
    auto &f = open();
    const auto &ui = f.ui();
    f.memberTextChanged(CreateMeetingViewController::Invitees, QStringLiteral("李"));
    QList<VeskUserModel> found = people(2, QStringLiteral("李"));
    found << schedulingUser(QStringLiteral("13800000000"), QStringLiteral("张三（我）"));
    agent.answer(QStringLiteral("queryUserWithUserName"), RecordingSchedulingAgent::ok(users(found)));
    KVMemberSelectView *picker = ui.memberSelectView;
    ASSERT_TRUE(picker);
    EXPECT_TRUE(picker->isRowSelected(2)); // the signed-in user is listed already
    EXPECT_EQ(picker->height(), 3 * 34 + 8);
    EXPECT_EQ(picker->width(), ui.confereeCollectionView->width());
    // Typing goes on in the served list; elsewhere the mask takes the click.
    EXPECT_TRUE(f.maskLetsThrough(ui.confereeCollectionView->mapTo(f.view(), QPoint(10, 10))));
    EXPECT_FALSE(f.maskLetsThrough(ui.meetingTitleTextView->mapTo(f.view(), QPoint(10, 10))));

    QTest::mouseClick(picker->rows()[0], Qt::LeftButton);
    QTest::mouseClick(picker->rows()[2], Qt::LeftButton); // unticks the signed-in user
    EXPECT_EQ(chipNames(ui.confereeCollectionView), QStringList{QStringLiteral("李成员0")});
    EXPECT_EQ(f.dataModel().totalMemberCount, 1u);
    QTest::mouseClick(picker->rows()[1], Qt::LeftButton);
    EXPECT_EQ(ui.memberSelectLabel->text(), QStringLiteral("已选2人"));

    // Chips deleted down to none: the count stops at 0 and the picker keeps no tick.
    ui.confereeCollectionView->chips()[0]->deleteButton()->click();
    ui.confereeCollectionView->chips()[0]->deleteButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(f.members().isEmpty());
    EXPECT_EQ(f.dataModel().totalMemberCount, 0u);
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(picker->isRowSelected(row));
    QTest::mouseClick(picker->rows()[0], Qt::LeftButton);
    QTest::mouseClick(picker->rows()[0], Qt::LeftButton);
    EXPECT_EQ(f.dataModel().totalMemberCount, 0u);
    EXPECT_EQ(ui.memberSelectLabel->text(), QStringLiteral("已选0人"));
}

TEST_F(CreateMeetingFormTest, Picker_ComesNextAfterItsField_WhatItCoversTakesNoFocus_EscapeGoesBack)
{
    auto &f = open();
    const auto &ui = f.ui();
    ui.passwordBtn->window()->activateWindow();
    KVTextField *entry = ui.confereeCollectionView->inputTextField();
    entry->setFocus();
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::focusWidget() == entry; }));
    QTest::keyClicks(entry, "user003");
    agent.answer(QStringLiteral("queryUserWithUserName"),
                 RecordingSchedulingAgent::ok(users(people(3, QStringLiteral("user003")))), QStringLiteral("user003"));
    QPointer<KVMemberSelectView> picker = ui.memberSelectView;
    ASSERT_TRUE(picker && picker->isVisible());
    const QList<KVMemberSelectCollectionItem *> rows = picker->rows();
    QTest::keyClick(entry, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), rows[0]);
    QTest::keyClick(rows[0], Qt::Key_Escape);
    EXPECT_TRUE(!picker || !picker->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), entry);

    QTest::keyClick(entry, '4');
    agent.answer(QStringLiteral("queryUserWithUserName"),
                 RecordingSchedulingAgent::ok(users(people(3, QStringLiteral("user0034")))),
                 QStringLiteral("user0034"));
    picker = ui.memberSelectView;
    ASSERT_TRUE(picker && picker->isVisible());
    QTest::keyClick(entry, Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), picker->rows()[0]);
    QTest::keyClick(picker->rows()[0], Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), picker->rows()[1]);
    QTest::keyClick(picker->rows()[1], Qt::Key_Space);
    EXPECT_TRUE(picker->isRowSelected(1));
    EXPECT_EQ(f.members().size(), 2);

    // On while it is open: nothing under it takes the focus (Space would tick it unseen).
    const QRect covered = picker->geometry();
    int coveredControls = 0;
    for (QWidget *w : ui.document->findChildren<QWidget *>())
        coveredControls += w->isVisible() && QRect(w->mapTo(f.view(), QPoint()), w->size()).intersects(covered) &&
                           (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w));
    EXPECT_GT(coveredControls, 0);
    int steps = 0;
    for (; steps < 60 && picker && picker->isVisible(); ++steps) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        const bool under =
            !picker->isAncestorOf(focus) && QRect(focus->mapTo(f.view(), QPoint()), focus->size()).intersects(covered);
        EXPECT_FALSE(under) << AccessibilityWalk::nameOf(focus).toStdString();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_GT(steps, 2);
}

TEST_F(CreateMeetingFormTest, EditInvitees_AllFetchedAreKeptAndSent)
{
    auto &f = open(scheduled());
    const auto &ui = f.ui();
    int handed = 0;
    f.onCreateMeeting = [&](CreateMeetingViewController *) { ++handed; };
    // Confirming before the invitees came would send a partial list: it fetches again instead.
    ui.confirmButton->click();
    EXPECT_EQ(handed, 0);
    agent.answer(QStringLiteral("queryMeetingAllowShareList"),
                 RecordingSchedulingAgent::ok(users({schedulingUser("s1", QStringLiteral("共享者"))})));
    EXPECT_EQ(chipNames(ui.shareMemberCollectionView), QStringList{QStringLiteral("共享者")});
    const QList<VeskUserModel> invited = people(35, QStringLiteral("u"));
    while (agent.pendingCount(QStringLiteral("queryMeetingInvitationList")) > 0)
        agent.answer(QStringLiteral("queryMeetingInvitationList"), RecordingSchedulingAgent::ok(users(invited)));
    QApplication::processEvents();
    EXPECT_EQ(f.members().size(), 35);
    EXPECT_EQ(f.dataModel().totalMemberCount, 35u);
    EXPECT_EQ(ui.memberSelectLabel->text(), QStringLiteral("已选35人"));
    EXPECT_EQ(ui.confereeCollectionBackView->height(), 62); // and it scrolls

    ui.confirmButton->click();
    ASSERT_EQ(handed, 1);
    EXPECT_EQ(f.dataModel().invitationList.size(), 35);
    EXPECT_EQ(f.dataModel().invitationList.last().userId, QStringLiteral("u34"));
}

TEST_F(CreateMeetingFormTest, Size_TheOptionalRowsAddTheirHeightsAndTheFileCountRefreshes)
{
    MeetingDataModel m = scheduled();
    m.openTranslateText = 0;
    auto &f = open(m);
    const auto &ui = f.ui();
    const int base = f.neededHeight();
    ui.passwordBtn->click();
    EXPECT_EQ(f.neededHeight(), base + 33);
    ui.recordMeetingContentBtn->click();
    EXPECT_EQ(f.neededHeight(), base + 33 + 33);
    ui.shareLimitMemberBtn->click();
    EXPECT_EQ(f.neededHeight(), base + 33 + 33 + 51);
    EXPECT_FALSE(ui.shareLimitMemberBtn->isEnabled());
    EXPECT_TRUE(ui.shareAllowAllBtn->isEnabled());

    NotificationCenter::defaultCenter().post(KVMeetingUploadShareFileChangedNotification);
    ASSERT_EQ(agent.calls.last(), QStringLiteral("queryFileList 800000001"));
    agent.answer(QStringLiteral("queryFileList"),
                 RecordingSchedulingAgent::ok(
                     QVariantMap{{QStringLiteral("files"), QVariant::fromValue(QList<FileShareModel>(2))}}));
    EXPECT_EQ(ui.uploadFilesCountBtn->title(), QStringLiteral("共2个文件>"));
    EXPECT_FALSE(ui.uploadFilesCountBtn->isHidden());
}

TEST_F(CreateMeetingFormTest, Walk_EveryControlReachableAndNamed_APopUpTakesTheFocusAndEscapeGivesItBack)
{
    auto &f = open();
    const auto &ui = f.ui();
    QWidget *window = ui.passwordBtn->window();
    const AccessibilityWalk::Report report = AccessibilityWalk::walk(window);
    EXPECT_TRUE(report.faults.isEmpty()) << report.text();
    EXPECT_GT(report.checked, 10);

    ui.durationButton->setFocus();
    ASSERT_TRUE(AccessibilityWalk::press(ui.durationButton));
    ASSERT_TRUE(processEventsUntil([&] { return ui.durationView != nullptr && ui.durationView->isVisible(); }));
    EXPECT_TRUE(ui.durationView->isAncestorOf(QApplication::focusWidget()));
    EXPECT_FALSE(AccessibilityWalk::nameOf(QApplication::focusWidget()).isEmpty()) << "the focus is on no item";
    AccessibilityWalk::escape();
    EXPECT_TRUE(processEventsUntil([&] { return ui.durationView == nullptr || !ui.durationView->isVisible(); }));
    EXPECT_EQ(QApplication::focusWidget(), ui.durationButton.data());
    std::cout << "[ walked ] scheduling form: " << report.checked << " controls checked\n";
}
