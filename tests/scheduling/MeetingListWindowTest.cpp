// The all-meetings window's history paging and the details window's member strip, against the
// stand-in service.
#include "fixtures/StandInServiceTest.h"

#include "foundation/RXEncrypt.h"
#include "scheduling/KVMeetingInfoViewController.h"
#include "scheduling/KVMeetingMemberCollectionView.h"
#include "scheduling/MainMeetingListModel.h"
#include "scheduling/MainMeetingListViewController.h"

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

} // namespace
