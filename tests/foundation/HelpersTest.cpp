#include "TimeZones.h"
#include "foundation/DateHelpers.h"
#include "foundation/StringHelpers.h"

#include <QCoreApplication>
#include <QFont>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {
const QDateTime kSample(QDate(2026, 1, 2), QTime(3, 4, 5, 6));
}

TEST(HelpersPinyinTest, ChineseNamesBecomePinyinAndInitials)
{
    EXPECT_EQ(Additions::transformToPinyin("张三"), "zhangsan");
    EXPECT_EQ(Additions::transformToPinyinFirstLetter("张三"), "zs");
    EXPECT_EQ(Additions::transformToPinyin("李 小 龙"), "lixiaolong");
    EXPECT_EQ(Additions::transformToPinyinFirstLetter("李小龙"), "lxl");
    // Tone marks and ü are folded to plain ASCII.
    EXPECT_EQ(Additions::transformToPinyin("吕"), "lu");
}

TEST(HelpersPinyinTest, LatinMixedAndEmptyInput)
{
    EXPECT_EQ(Additions::transformToPinyin("Tom Lee"), "tomlee");
    EXPECT_EQ(Additions::transformToPinyin("Zoë  Müller\t"), "zoemuller");
    EXPECT_EQ(Additions::transformToPinyin("Tom张三"), "tomzhangsan");
    EXPECT_EQ(Additions::transformToPinyinFirstLetter("Tom 张三"), "tomzs");
    EXPECT_EQ(Additions::transformToPinyinFirstLetter("张3!"), "z3");
    EXPECT_EQ(Additions::transformToPinyinFirstLetter("É"), "e");
    EXPECT_EQ(Additions::transformToPinyin(""), "");
    EXPECT_EQ(Additions::transformToPinyinFirstLetter(""), "");
    EXPECT_EQ(Additions::transformToPinyinFirstLetter("   "), "");
}

TEST(HelpersPinyinTest, SharedTransliteratorIsSafeAcrossThreads)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 100; ++i) {
                if (Additions::transformToPinyin("张三") != "zhangsan" ||
                    Additions::transformToPinyinFirstLetter("李小龙") != "lxl")
                    ++wrong;
            }
        });
    }
    for (auto &th : threads)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(HelpersStringTest, PasswordIsThreeToSixAsciiDigits)
{
    for (const char *ok : {"123", "0000", "12345", "123456"})
        EXPECT_TRUE(vesk::isValidPasswordNumber(ok)) << ok;
    for (const QString &bad :
         {QStringLiteral(""), QStringLiteral("12"), QStringLiteral("1234567"), QStringLiteral("12a"),
          QStringLiteral(" 123"), QStringLiteral("123 "), QStringLiteral("123\n"), QStringLiteral("-123"),
          QStringLiteral("１２３"), QStringLiteral("١٢٣")})
        EXPECT_FALSE(vesk::isValidPasswordNumber(bad)) << bad.toStdString();
}

TEST(HelpersStringTest, WidthGrowsWithTextAndFont)
{
    QFont font;
    font.setPixelSize(14);
    EXPECT_EQ(vesk::widthOfStringwithFont("", font), 0.0);
    const qreal one = vesk::widthOfStringwithFont("会", font);
    EXPECT_GT(one, 0.0);
    EXPECT_GT(vesk::widthOfStringwithFont("会议会议", font), 3 * one);
    QFont bigger = font;
    bigger.setPixelSize(28);
    EXPECT_GT(vesk::widthOfStringwithFont("Korvi", bigger), vesk::widthOfStringwithFont("Korvi", font));
}

TEST(HelpersStringTest, VersionComesFromTheApplication)
{
    EXPECT_EQ(AppInfo::ai_version(), QStringLiteral(KORVI_VERSION));
    const QString before = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("2.3.4");
    EXPECT_EQ(AppInfo::ai_version(), "2.3.4");
    QCoreApplication::setApplicationVersion(QString());
    EXPECT_EQ(AppInfo::ai_version(), QStringLiteral(KORVI_VERSION));
    QCoreApplication::setApplicationVersion(before);
}

TEST(HelpersStringTest, DisplayMeetingIdGroupsByThree)
{
    EXPECT_EQ(toDisplayMeetingId("123456789"), "123-456-789");
    EXPECT_EQ(toDisplayMeetingId("12345678901"), "123-456-789-01");
    EXPECT_EQ(toDisplayMeetingId("1234"), "123-4");
    EXPECT_EQ(toDisplayMeetingId("123"), "123");
    EXPECT_EQ(toDisplayMeetingId("12-3"), "12-3");
    EXPECT_EQ(toDisplayMeetingId(""), "");
}

TEST(HelpersDateTest, FixedFormatsUseOneShapeEach)
{
    TimeZones::inEachTimeZone([&] {
        EXPECT_EQ(StringFormatter::defaultDateString(kSample), "2026-01-02 03:04:05");
        EXPECT_EQ(StringFormatter::defaultDateStringWithOutSecond(kSample), "2026-01-02 03:04");
        EXPECT_EQ(StringFormatter::moreDefaultDateString(kSample), "2026-01-02 03:04:05:006");
        EXPECT_EQ(StringFormatter::defaultDateString(QDateTime()), "");
        EXPECT_EQ(StringFormatter::moreDefaultDateString(QDateTime()), "");
    });
}

TEST(HelpersDateTest, PatternsAreReadAsDatePatterns)
{
    TimeZones::inEachTimeZone([&] {
        EXPECT_EQ(StringFormatter::stringWithFormat(kSample, "yyyy年MM月dd日"), "2026年01月02日");
        EXPECT_EQ(StringFormatter::stringWithFormat(kSample, "yyyy-MM-dd HH:mm:ss:SSS"), "2026-01-02 03:04:05:006");
        EXPECT_EQ(StringFormatter::stringWithFormat(kSample, "yyyyMMddHHmmss"), "20260102030405");
        EXPECT_EQ(StringFormatter::stringWithFormat(kSample, "HH:mm"), "03:04");
        EXPECT_EQ(StringFormatter::stringWithFormat(kSample, "'at' HH 'SSS'"), "at 03 SSS");
        EXPECT_EQ(StringFormatter::stringWithFormat(kSample, "hh:mm a"), "03:04 AM");
        EXPECT_EQ(StringFormatter::stringWithFormat(kSample, "EEE"), "Fri");
        EXPECT_FALSE(StringFormatter::stringWithFormat(kSample, "z").contains("6"));
        EXPECT_EQ(StringFormatter::stringWithFormat(QDateTime(), "yyyy"), "");
    });
}

TEST(HelpersDateTest, ParsingWithoutSecondsAcceptsOnlyThatShape)
{
    TimeZones::inEachTimeZone([&] {
        const QDateTime d = DateFromString::defaultDateWithOutSecondFromString("2026-12-07 09:05");
        ASSERT_TRUE(d.isValid());
        EXPECT_EQ(d.date(), QDate(2026, 12, 7));
        EXPECT_EQ(d.time(), QTime(9, 5));
        EXPECT_EQ(d.timeSpec(), Qt::LocalTime);
        EXPECT_EQ(Date::correctDate("2026-12-07 09:05"), d);
        EXPECT_EQ(StringFormatter::defaultDateStringWithOutSecond(d), "2026-12-07 09:05");

        for (const char *bad : {"", "garbage", "2026-12-07", "2026-13-01 10:00", "2026-02-30 10:00", "2026-12-07 25:00",
                                "2026-12-07 09:05:00", "07/12/2026 09:05"}) {
            EXPECT_FALSE(DateFromString::defaultDateWithOutSecondFromString(bad).isValid()) << bad;
            EXPECT_FALSE(Date::correctDate(bad).isValid()) << bad;
        }
        EXPECT_FALSE(Date::correctDate(QString()).isValid());
    });
}

TEST(HelpersDateTest, WeekdayCountsFromSunday)
{
    TimeZones::inEachTimeZone([&] {
        EXPECT_EQ(Utilities::weekday(QDateTime(QDate(2024, 1, 7), QTime(12, 0))), 1);   // Sunday
        EXPECT_EQ(Utilities::weekday(QDateTime(QDate(2024, 1, 8), QTime(0, 0))), 2);    // Monday
        EXPECT_EQ(Utilities::weekday(QDateTime(QDate(2024, 1, 13), QTime(23, 59))), 7); // Saturday
        EXPECT_EQ(Utilities::weekday(QDateTime()), 0);
    });
}

TEST(HelpersDateTest, AddingMinutesAndHoursCrossesDays)
{
    TimeZones::inEachTimeZone([&] {
        const QDateTime late(QDate(2026, 12, 31), QTime(23, 50));
        EXPECT_EQ(Utilities::dateByAddingMinutes(late, 15), QDateTime(QDate(2027, 1, 1), QTime(0, 5)));
        EXPECT_EQ(Utilities::dateByAddingMinutes(late, -50), QDateTime(QDate(2026, 12, 31), QTime(23, 0)));
        EXPECT_EQ(Utilities::dateByAddingHours(late, 2), QDateTime(QDate(2027, 1, 1), QTime(1, 50)));
        EXPECT_EQ(Utilities::dateByAddingHours(late, -24), QDateTime(QDate(2026, 12, 30), QTime(23, 50)));
        EXPECT_FALSE(Utilities::dateByAddingMinutes(QDateTime(), 5).isValid());
    });
}
