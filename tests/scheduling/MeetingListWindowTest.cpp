// The all-meetings window's history paging, tabs, record documents, rows and detail pane, and the
// details window, against the stand-in service, by mouse and over the accessibility bus.
#include "TimeZones.h"
#include "fixtures/StandInServiceTest.h"
#include "support/HostileText.h"

#include "foundation/RXEncrypt.h"
#include "scheduling/KVMCommonUtilCalendar.h"
#include "scheduling/KVMeetingInfoViewController.h"
#include "scheduling/KVMeetingMemberCollectionView.h"
#include "scheduling/MainMeetingListModel.h"
#include "scheduling/MainMeetingListViewController.h"
#include "scheduling/MeetingListIcons.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/WMEventCalendarTool.h"
#include "uikit/KVDataText.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class MeetingListWindowTest : public StandInServiceTest {
protected:
    void SetUp() override
    {
        StandInServiceTest::SetUp();
        signInUser(kMyPhone, QStringLiteral("张三"));
    }

    void addEnded(int n)
    {
        for (int i = 0; i < n; ++i) {
            DevScheduledMeeting m;
            m.roomId = QString::number(800000100 + i);
            m.ownerUserId = kMyPhone;
            // Two a day, so a day runs over the page boundary.
            m.fields = {{"roomId", m.roomId},
                        {"roomName", QStringLiteral("例会%1").arg(i)},
                        {"beginTime", QDate(2030, 1, 1).addDays(-i / 2).toString("yyyy-MM-dd") + " 10:00"},
                        {"duration", 30},
                        {"status", 2},
                        {"creatorId", RXEncrypt::aes128ecbEncrypt(kMyPhone)}};
            service.state().scheduled.insert(m.roomId, m);
        }
    }

    // A meeting of the signed-in user (status 0 later today, 2 ended) with extra fields.
    DevScheduledMeeting &addMeeting(const QString &roomId, const QString &name, int status,
                                    const QVariantMap &extra = {})
    {
        DevScheduledMeeting m;
        m.roomId = roomId;
        m.ownerUserId = kMyPhone;
        const QString day = status == 2 ? QStringLiteral("2030-01-01") : QDate::currentDate().toString("yyyy-MM-dd");
        m.fields = {{"roomId", roomId},
                    {"roomName", name},
                    {"beginTime", day + " 23:00"},
                    {"endTime", day + " 23:30"},
                    {"duration", 30},
                    {"status", status},
                    {"creatorId", RXEncrypt::aes128ecbEncrypt(kMyPhone)}};
        for (auto it = extra.cbegin(); it != extra.cend(); ++it)
            m.fields.insert(it.key(), it.value());
        service.state().scheduled.insert(roomId, m);
        return service.state().scheduled[roomId];
    }

    // The window shown at its size and settled on its first list.
    void show(MainMeetingListViewController &list)
    {
        list.view()->resize(822, 700);
        list.view()->show();
        ASSERT_TRUE(settleRequests());
    }

    // A real click on the list's row of (section, row).
    static void clickRow(MainMeetingListViewController &list, int section, int row)
    {
        QListView *view = list.meetingListCollectionView();
        const QModelIndex index = list.listModel()->index(list.listModel()->listRow(section, row));
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    [[nodiscard]] static int meetingCount(const MainMeetingListViewController &list)
    {
        int n = 0;
        for (const auto &section : list.meetingsList().sections())
            n += int(section.rows.size());
        return n;
    }
};

TEST_F(MeetingListWindowTest, History_PagesByTen_OneRequestAtATime_AndAFailedPageIsAskedAgain)
{
    addEnded(11);
    MainMeetingListViewController list;
    list.view()->resize(822, 300); // a short list: the last row is not in view
    list.view()->show();
    ASSERT_TRUE(settleRequests());
    list.finishedBtn()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(meetingCount(list), 10);
    EXPECT_TRUE(list.hasMore());
    EXPECT_EQ(list.meetingsList().sections().size(), 5);
    // The selected meeting is an ended one: no join, edit, cancel or end.
    EXPECT_FALSE(list.detailJoinBtn()->isVisible());
    EXPECT_FALSE(list.detailEditBtn()->isVisible());

    const QString path = QStringLiteral("/qf/meeting/room/historyAgenda");
    const int before = requestCount(path);
    service.failNextReply(path, DevService::fail(500, QStringLiteral("忙")));
    list.loadMoreListData();
    list.loadMoreListData(); // one at a time
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(path), before + 1);
    EXPECT_EQ(toastText(), QStringLiteral("忙"));
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(meetingCount(list), 10);
    EXPECT_FALSE(list.isLatestRequestSuccess());

    // Shown again: the failed page is asked for again, and the day over two pages stays one section.
    list.viewWillAppear();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(service.requestsFor(path).last().param("pageNum").toInt(), 2);
    EXPECT_EQ(meetingCount(list), 11);
    EXPECT_EQ(list.meetingsList().sections().size(), 6);
    EXPECT_FALSE(list.hasMore());
    EXPECT_EQ(list.listModel()->rowCount(), 17);
}

TEST_F(MeetingListWindowTest, Details_ShowTwentyOfThirtyFiveMembers_AndSizeByScreenAndPassword)
{
    DevRoom &room = service.state().addRoom(QStringLiteral("900000009"), kMyPhone, QStringLiteral("大会"));
    for (int i = 0; i < 35; ++i)
        room.members.append(DevMember{QString::number(13900000100LL + i), QStringLiteral("成员%1").arg(i)});
    MeetingDataModel m;
    m.roomId = room.roomId;
    m.roomName = room.roomName;
    m.beginTime = QStringLiteral("2030-01-02 10:00");
    m.endTime = QStringLiteral("2030-01-02 11:30");
    m.duration = 90;
    m.status = 1;
    m.password = QStringLiteral("1234");
    m.creatorId = RXEncrypt::aes128ecbEncrypt(kMyPhone);
    KVMeetingInfoViewController info;
    info.screenSize = [] { return QSize(1440, 600); };
    info.setDataModel(m);
    info.viewWillAppear();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(info.view()->height(), 500);
    EXPECT_EQ(info.participants().size(), 20);
    EXPECT_EQ(info.collectionView()->chips().size(), 20);
    EXPECT_EQ(info.usersCountLabel()->text(), QStringLiteral("共 35 人"));
    EXPECT_EQ(info.totalTimeLabel()->text(), QStringLiteral("1小时30分钟"));
    EXPECT_EQ(info.statusLabel()->palette().color(QPalette::WindowText), QColor(0x2A, 0xBA, 0x00)); // running
    EXPECT_EQ(info.shareFileTopConst(), 76);
    EXPECT_TRUE(info.joinMeetingBtn()->isEnabled());
    EXPECT_FALSE(info.editMeetingBtn()->isVisible());
    EXPECT_EQ(info.shareFileCountButton()->title(), QStringLiteral("共0个文件"));
    info.screenSize = [] { return QSize(1440, 1000); };
    info.updateData();
    EXPECT_EQ(info.view()->height(), 570);

    // An hour exactly is an hour, not minutes.
    m.duration = 60;
    m.endTime = QStringLiteral("2030-01-02 11:00");
    info.setDataModel(m);
    info.updateData();
    EXPECT_EQ(info.totalTimeLabel()->text(), QStringLiteral("1小时"));
}

TEST_F(MeetingListWindowTest, ARecordDocumentDeleted_StaysDeletedWhenItsMeetingIsChosenAgain_AndGoesOnce)
{
    addMeeting("800000201", "复盘会", 2, {{"hasRecord", true}});
    addMeeting("800000202", "周会", 2);
    service.state().extra.insert("recordFiles", QVariantList{QVariantMap{{"roomId", "800000201"},
                                                                         {"roomName", "复盘会"},
                                                                         {"fileName", "复盘会-会议记录.pdf"},
                                                                         {"beginTime", 0.0},
                                                                         {"owner", kMyPhone}}});
    MainMeetingListViewController list;
    show(list);
    QTest::mouseClick(list.finishedBtn(), Qt::LeftButton);
    ASSERT_TRUE(settleRequests());
    const auto at = list.meetingsList().find("800000201");
    ASSERT_TRUE(at);
    clickRow(list, at->first, at->second);
    ASSERT_EQ(list.currentDetailModel()->roomId, QStringLiteral("800000201"));
    ASSERT_TRUE(list.detailRecordFileContainerView()->isVisible());

    auto *remove = list.view()->findChild<QAbstractButton *>("detailDeleteFileBtn");
    ASSERT_TRUE(remove);
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseClick(remove, Qt::LeftButton); // a second press while the first is on its way
    ASSERT_TRUE(settleRequests());
    const QString path = QStringLiteral("/qf/user/deleteRecord");
    EXPECT_EQ(requestCount(path), 1);
    EXPECT_FALSE(list.detailRecordFileContainerView()->isVisible());
    EXPECT_FALSE(MainMeetingListCell::fromModel(*list.meetingsList().meetingAt(at->first, at->second)).recordFile)
        << "the row keeps its record document mark";

    // Another meeting, then this one again: the pane copies the row, which knows the document is gone.
    const auto other = list.meetingsList().find("800000202");
    ASSERT_TRUE(other);
    clickRow(list, other->first, other->second);
    clickRow(list, at->first, at->second);
    EXPECT_EQ(list.currentDetailModel()->roomId, QStringLiteral("800000201"));
    EXPECT_FALSE(list.currentDetailModel()->hasRecord);
    EXPECT_FALSE(list.detailRecordFileContainerView()->isVisible()) << "the deleted document is offered again";
    EXPECT_EQ(requestCount(path), 1);
    EXPECT_NE(toastText(), QStringLiteral("会议记录不存在"));
}

TEST_F(MeetingListWindowTest, SwitchingTabs_EachShowsWhatItKnowsUntilItsRowsArrive_AndAFailureKeepsThem)
{
    addMeeting("800000301", "晨会", 0);
    addMeeting("800000302", "复盘会", 2);
    MainMeetingListViewController list;
    show(list);
    ASSERT_EQ(meetingCount(list), 1);

    // The history's first rows are on their way: nothing claims there are none, and the unfinished
    // meeting is not shown under the history's name.
    const QString history = QStringLiteral("/qf/meeting/room/historyAgenda");
    const QString unfinished = QStringLiteral("/qf/meeting/room/orderAgenda");
    service.delayNextReply(history, 1000);
    QTest::mouseClick(list.finishedBtn(), Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(history) == 1; }));
    EXPECT_FALSE(list.emptyView()->isVisible()) << "暂无会议 while the history loads";
    EXPECT_EQ(meetingCount(list), 0);
    clock.clock.advance(1000ms);
    ASSERT_TRUE(settleRequests());
    ASSERT_EQ(meetingCount(list), 1);
    EXPECT_EQ(list.currentDetailModel()->roomId, QStringLiteral("800000302"));

    // Back to the unfinished tab: its rows show at once, and stay when the reload fails.
    service.failNextReply(unfinished, DevService::fail(500, QStringLiteral("忙")));
    QTest::mouseClick(list.unfinishBtn(), Qt::LeftButton);
    EXPECT_EQ(meetingCount(list), 1);
    EXPECT_EQ(list.currentDetailModel()->roomId, QStringLiteral("800000301"));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(toastText(), QStringLiteral("忙"));
    EXPECT_EQ(meetingCount(list), 1);
    EXPECT_TRUE(list.meetingListCollectionView()->isVisible());
    EXPECT_FALSE(list.emptyView()->isVisible()) << "暂无会议 beside the failure";
    EXPECT_EQ(list.listModel()->rowCount(), 2);

    // A tab whose only request failed knows nothing: it claims nothing either.
    MainMeetingListViewController fresh;
    show(fresh);
    service.failNextReply(history, DevService::fail(500, QStringLiteral("忙")));
    QTest::mouseClick(fresh.finishedBtn(), Qt::LeftButton);
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(fresh.emptyView()->isVisible());
    // Known to be empty, it says so.
    service.state().scheduled.remove("800000302");
    fresh.refreshListData();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(fresh.emptyView()->isVisible());
    EXPECT_EQ(static_cast<QLabel *>(fresh.emptyView())->text(), RecordTexts::kNoMeetings);
}

TEST_F(MeetingListWindowTest, EveryRecurringMeeting_ShowsARecurrenceMarkInItsRow_WhateverItsCycleType)
{
    addMeeting("800000401", "无周期", 0, {{"isCycle", 0}, {"cycleType", 0}});
    addMeeting("800000402", "每日", 0, {{"isCycle", 1}, {"cycleType", 1}});
    addMeeting("800000403", "每周", 0, {{"isCycle", 1}, {"cycleType", 2}});
    addMeeting("800000404", "周期未名", 0, {{"isCycle", 1}, {"cycleType", 0}});
    MainMeetingListViewController list;
    show(list);
    ASSERT_EQ(meetingCount(list), 4);
    // The mark is drawn in the row's top right corner, blue on the white row.
    QListView *view = list.meetingListCollectionView();
    list.meetingListCollectionView()->clearSelection();
    const QImage picture = view->viewport()->grab().toImage();
    const auto markPixels = [&](const QString &roomId) {
        const auto at = list.meetingsList().find(roomId);
        const QRect row = view->visualRect(list.listModel()->index(list.listModel()->listRow(at->first, at->second)));
        const QRect corner(row.right() - 40, row.top() + 10, 36, 24);
        int blue = 0;
        const qreal ratio = picture.devicePixelRatio();
        for (int y = int(corner.top() * ratio); y < int(corner.bottom() * ratio); ++y) {
            for (int x = int(corner.left() * ratio); x < int(corner.right() * ratio); ++x) {
                const QColor c = picture.pixelColor(x, y);
                blue += c.blue() > 200 && c.red() < 60 ? 1 : 0;
            }
        }
        return blue;
    };
    EXPECT_EQ(markPixels("800000401"), 0);
    for (const char *roomId : {"800000402", "800000403", "800000404"})
        EXPECT_GT(markPixels(roomId), 20) << roomId << ": a recurring meeting without its mark";
    MeetingDataModel unnamed;
    unnamed.isCycle = true;
    unnamed.cycleType = 0;
    EXPECT_EQ(MainMeetingListCell::fromModel(unnamed).periodicImage, MeetingListIcons::kPeriodic);
    EXPECT_FALSE(MeetingListIcons::image(MeetingListIcons::kPeriodic).isNull());
}

TEST_F(MeetingListWindowTest, ToggleOnARow_ChoosesItAsAClickDoes_OneRowChosen_AndEditActsOnIt)
{
    addMeeting("800000501", "晨会", 0);
    addMeeting("800000502", "夕会", 0, {{"beginTime", QDate::currentDate().toString("yyyy-MM-dd") + " 23:40"}});
    MainMeetingListViewController list;
    QStringList edited;
    list.onEditMeeting = [&](MainMeetingListViewController *, const MeetingDataModel &m) { edited << m.roomId; };
    show(list);
    ASSERT_EQ(list.currentDetailModel()->roomId, QStringLiteral("800000501"));
    QListView *view = list.meetingListCollectionView();
    QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(view);
    ASSERT_TRUE(rows);
    const int second = list.listModel()->listRow(0, 1);
    QAccessibleInterface *row = rows->child(second);
    ASSERT_TRUE(row && row->actionInterface());
    row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(view->selectionModel()->selectedIndexes().size(), 1) << "two rows marked chosen";
    EXPECT_TRUE(row->state().selected);
    EXPECT_EQ(view->currentIndex().row(), second);
    EXPECT_EQ(list.currentDetailModel()->roomId, QStringLiteral("800000502")) << "the pane stays on the old meeting";
    EXPECT_TRUE(list.detailTitleLabel()->text().contains(QStringLiteral("夕会")));

    QAccessibleInterface *edit = QAccessible::queryAccessibleInterface(list.detailEditBtn());
    edit->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(edited, QStringList{"800000502"});

    // A day's header is read, never chosen.
    QAccessibleInterface *header = rows->child(0);
    EXPECT_TRUE(header->actionInterface()->actionNames().isEmpty());
    EXPECT_FALSE(header->state().selectable);
}

TEST_F(MeetingListWindowTest, HiddenButtons_AreDisabledToo_APressOnThemOpensNothing)
{
    // Another's meeting, not started: no edit, cancel or end, here or in its details window.
    addMeeting("800000601", "他人会议", 0,
               {{"creatorId", RXEncrypt::aes128ecbEncrypt(kHostPhone)}, {"password", "135790"}});
    MainMeetingListViewController list;
    int opened = 0;
    const auto count = [&](MainMeetingListViewController *, const MeetingDataModel &) { ++opened; };
    list.onEditMeeting = count;
    list.onCancelMeeting = count;
    list.onEndMeeting = count;
    show(list);
    ASSERT_EQ(list.currentDetailModel()->roomId, QStringLiteral("800000601"));
    for (QFFlatButton *button : {list.detailEditBtn(), list.detailCancelBtn(), list.detailEndBtn()}) {
        EXPECT_FALSE(button->isVisible());
        EXPECT_FALSE(button->isEnabled()) << button->title().toStdString();
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
        EXPECT_TRUE(iface->actionInterface()->actionNames().isEmpty());
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    list.onDetailEditAction();
    EXPECT_EQ(opened, 0) << "another's meeting opened in the edit form";
    // It has no record document: the hidden row's download and delete neither offer nor do anything.
    for (const char *name : {"detailDownloadFileBtn", "detailDeleteFileBtn"}) {
        auto *button = list.view()->findChild<QFFlatButton *>(QLatin1String(name));
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isVisible());
        EXPECT_FALSE(button->isEnabled()) << name;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
        EXPECT_TRUE(iface->actionInterface()->actionNames().isEmpty()) << name;
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/user/deleteRecord")), 0) << "a hidden button deleted the record";

    KVMeetingInfoViewController info;
    int infoOpened = 0;
    info.onEditMeeting = [&](KVMeetingInfoViewController *, const MeetingDataModel &) { ++infoOpened; };
    info.onCancelMeeting = info.onEditMeeting;
    info.setDataModel(*list.currentDetailModel());
    info.viewWillAppear();
    info.view()->show();
    for (QFFlatButton *button : {info.editMeetingBtn(), info.cancelMeetingBtn(), info.endMeetingBtn()}) {
        EXPECT_FALSE(button->isVisible());
        EXPECT_FALSE(button->isEnabled()) << button->title().toStdString();
        QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
    }
    info.onEditMeetingClicked();
    EXPECT_EQ(infoOpened, 0);
    ASSERT_TRUE(settleRequests());
}

TEST_F(MeetingListWindowTest, Titles_StayOnOneLine_AreBounded_AndIsolatedInTheRowsAndTheDetails)
{
    const QString reversing = QStringLiteral("计划\u202E会议");
    addMeeting("800000701", QStringLiteral("第一行\n第二行"), 0);
    addMeeting("800000702", reversing + QString(300, QLatin1Char('x')), 0,
               {{"beginTime", QDate::currentDate().toString("yyyy-MM-dd") + " 23:40"}});
    MainMeetingListViewController list;
    show(list);
    ASSERT_EQ(meetingCount(list), 2);
    const QModelIndex first = list.listModel()->index(list.listModel()->listRow(0, 0));
    const QModelIndex second = list.listModel()->index(list.listModel()->listRow(0, 1));
    const MainMeetingListCell lines = MainMeetingListCell::fromModel(*list.meetingsList().meetingAt(0, 0));
    EXPECT_EQ(lines.meetingName, QStringLiteral("第一行 第二行")) << "a line break in a row";
    EXPECT_FALSE(first.data(Qt::AccessibleTextRole).toString().contains(QLatin1Char('\n')));

    // The row's spoken text: the title bounded like the title, isolated before the number after it.
    const QString spoken = second.data(Qt::AccessibleTextRole).toString();
    EXPECT_LT(spoken.size(), 260) << "an unbounded title in the row's name";
    EXPECT_TRUE(spoken.contains(QStringLiteral("计划会议"))) << "the title does not read as stored";
    EXPECT_FALSE(spoken.contains(QChar(0x202E))) << "the title's override reaches the number";
    EXPECT_TRUE(shownInOrder(spoken, QStringLiteral(" 800000702 "))) << "the number after the title reads reversed";

    clickRow(list, 0, 1);
    const QString detail = list.detailTitleLabel()->text();
    EXPECT_TRUE(detail.startsWith(QStringLiteral("计划会议"))) << "the detail pane's title keeps its override";
    EXPECT_LE(detail.size(), 202);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list.detailTitleLabel())->text(QAccessible::Name), detail);
}

} // namespace

namespace {

// 2027-03-14 02:30 does not exist in New York (the clock goes from 02:00 to 03:00): the row, the
// details and the calendar file read the time the skip leads to.
TEST_F(MeetingListWindowTest, ABeginTheClockSkips_ReadsAsTheNextValidTime_InTheRowDetailsAndCalendar)
{
    const TimeZones::ScopedTimeZone newYork("America/New_York");
    MeetingDataModel m;
    m.roomId = QStringLiteral("800000077");
    m.roomName = QStringLiteral("夏令时");
    m.beginTime = QStringLiteral("2027-03-14 02:30");
    m.endTime = QStringLiteral("2027-03-14 04:00");
    m.duration = 90;
    m.creatorId = RXEncrypt::aes128ecbEncrypt(kMyPhone);
    EXPECT_EQ(MainMeetingListCell::fromModel(m).meetingTime, QStringLiteral("03:30-04:00"));

    KVMeetingInfoViewController info;
    info.screenSize = [] { return QSize(1440, 1000); };
    info.setDataModel(m);
    info.viewWillAppear();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(info.beginTimeLabel()->text(), QStringLiteral("03:30"));
    EXPECT_EQ(info.beginDateLabel()->text(), QStringLiteral("2027年03月14日"));

    bool written = false;
    KVMCommonUtilCalendar::syncCalendar(m, true, {}, [&] { written = true; });
    ASSERT_TRUE(processEventsUntil([&] { return written; }));
    const QStringList files = QDir(WMEventCalendarTool::folder()).entryList({QStringLiteral("*.ics")});
    ASSERT_EQ(files.size(), 1);
    QFile file(QDir(WMEventCalendarTool::folder()).filePath(files.first()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Long lines are folded: a line break and a blank continue the line.
    const QByteArray ics = file.readAll().replace("\r\n ", "").replace("\n ", "");
    EXPECT_TRUE(ics.contains("America/New_York:20270314T033000")) << ics.toStdString();
    bool removed = false;
    KVMCommonUtilCalendar::removeMeeting(m.roomId, [&] { removed = true; });
    ASSERT_TRUE(processEventsUntil([&] { return removed; }));
    QDir(WMEventCalendarTool::folder()).removeRecursively();
}

} // namespace
