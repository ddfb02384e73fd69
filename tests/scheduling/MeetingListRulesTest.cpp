// The decisions of the details and all-meetings windows, without a display.
#include "scheduling/MeetingListRules.h"
#include "TimeZones.h"

#include <gtest/gtest.h>

using namespace MeetingListRules;

namespace {

MeetingDataModel meeting(const QString &roomId, const QString &beginTime)
{
    MeetingDataModel m;
    m.roomId = roomId;
    m.beginTime = beginTime;
    return m;
}

MeetingListDataModel page(const QList<MeetingDataModel> &list, int pages, int pageSize = 10)
{
    MeetingListDataModel p;
    p.list = list;
    p.pages = pages;
    p.pageSize = pageSize;
    return p;
}

TEST(MeetingListRulesTest, ButtonTables_ByCreatorAndStatus)
{
    const auto other = infoButtons(false, 1);
    EXPECT_EQ(other.edit, Show::Hidden);
    EXPECT_EQ(other.cancel, Show::Hidden);
    EXPECT_EQ(other.end, Show::Hidden);
    const auto notStarted = infoButtons(true, 0);
    EXPECT_EQ(notStarted.edit, Show::Shown);
    EXPECT_EQ(notStarted.cancel, Show::Shown);
    EXPECT_EQ(notStarted.end, Show::Hidden);
    const auto running = infoButtons(true, 1);
    EXPECT_EQ(running.end, Show::Shown);
    EXPECT_EQ(running.cancel, Show::Hidden);
    const auto ended = infoButtons(true, 2);
    EXPECT_EQ(ended.edit, Show::Hidden);
    EXPECT_EQ(ended.cancel, Show::Unchanged);
    EXPECT_EQ(ended.end, Show::Unchanged);

    const auto listOther = listButtons(false, 0);
    EXPECT_EQ(listOther.edit, Show::Hidden);
    EXPECT_EQ(listOther.join, Show::Shown);
    EXPECT_EQ(listOther.joinEnabled, false);
    EXPECT_EQ(listButtons(true, 0).cancel, Show::Shown);
    EXPECT_EQ(listButtons(true, 1).end, Show::Shown);
    EXPECT_EQ(listButtons(false, 1).end, Show::Hidden);
    EXPECT_EQ(listButtons(false, 1).joinEnabled, true);
    EXPECT_EQ(listButtons(true, 2).join, Show::Hidden);
    EXPECT_EQ(listButtons(true, 7).join, Show::Unchanged);
}

TEST(MeetingListRulesTest, HistoryGrouping_ADayOverTwoPagesStaysOneSection_AndFullLastPageEndsPaging)
{
    TimeZones::inEachTimeZone([&] {
        MeetingSections sections;
        QList<MeetingDataModel> first;
        for (int i = 0; i < 9; ++i)
            first.append(meeting(QString::number(i), QStringLiteral("2030-01-0%1 10:00").arg(i < 5 ? 1 : 2)));
        first.append(meeting(QStringLiteral("skipped"), QString()));
        EXPECT_TRUE(sections.appendHistoryPage(page(first, 2), 1));
        ASSERT_EQ(sections.sections().size(), 2);
        EXPECT_EQ(sections.sections()[0].title, QStringLiteral("2030年01月01日  周二"));
        EXPECT_FALSE(sections.find(QStringLiteral("skipped")));

        EXPECT_FALSE(
            sections.appendHistoryPage(page({meeting(QStringLiteral("x"), QStringLiteral("2030-01-02 18:00"))}, 2), 2));
        ASSERT_EQ(sections.sections().size(), 2);
        EXPECT_EQ(sections.sections()[1].rows.size(), 5);

        // Ten entries on the only page: no more.
        MeetingSections one;
        QList<MeetingDataModel> ten;
        for (int i = 0; i < 10; ++i)
            ten.append(meeting(QString::number(i), QStringLiteral("2030-01-01 10:00")));
        EXPECT_FALSE(one.appendHistoryPage(page(ten, 1), 1));
    });
}

TEST(MeetingListRulesTest, SelectionAfterReload_KeptByRoomId_ElseFirstRow)
{
    MeetingSections sections;
    sections.setUnfinished({{QStringLiteral("2030-01-01"), QStringLiteral("a"), {meeting(QStringLiteral("1"), {})}},
                            {QStringLiteral("2030-01-02"),
                             QStringLiteral("b"),
                             {meeting(QStringLiteral("2"), {}), meeting(QStringLiteral("3"), {})}}});
    EXPECT_EQ(selectionAfterReload(sections, QStringLiteral("3")), (std::pair{1, 1}));
    EXPECT_EQ(selectionAfterReload(sections, QStringLiteral("gone")), (std::pair{0, 0}));
    EXPECT_EQ(selectionAfterReload(sections, std::nullopt), (std::pair{0, 0}));
    EXPECT_FALSE(selectionAfterReload(MeetingSections(), QStringLiteral("1")));
    const auto unfinished = unfinishedSections(
        {QVariantMap{{"orderDate", "2030-01-02"}, {"meetList", QVariantList{QVariantMap{{"roomId", "9"}}}}}});
    ASSERT_EQ(unfinished.size(), 1);
    EXPECT_EQ(unfinished[0].title, QStringLiteral("2030年01月02日  周三"));
    EXPECT_EQ(unfinished[0].rows.value(0).roomId, QStringLiteral("9"));
}

} // namespace
