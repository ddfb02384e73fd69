// The settings window's plain rules: tabs per mode, cache size texts, the name check, the
// current device, sign-in times and the log upload's answers.
#include "TimeZones.h"
#include "foundation/DateHelpers.h"
#include "settings/MainSettingRules.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <limits>

using namespace MainSettingRules;

namespace {

QList<qint64> types(const QList<KVMainSettingItem> &items)
{
    QList<qint64> out;
    for (const KVMainSettingItem &item : items)
        out.append(item.type);
    return out;
}

TEST(SettingsRules, Tabs_AccountAndAboutAtHome_MonitorInAMeeting)
{
    EXPECT_EQ(types(settingItems(false)), (QList<qint64>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(types(settingItems(true)), (QList<qint64>{0, 1, 2, 3, 6}));
    EXPECT_EQ(settingItems(false)[4].title, QStringLiteral("账号与安全"));
    EXPECT_EQ(settingItems(true)[4].title, QStringLiteral("系统监控"));
    EXPECT_EQ(rowOfTab(settingItems(true), 6), 4);
    EXPECT_EQ(rowOfTab(settingItems(true), 4), -1);
    EXPECT_EQ(rowOfTab(settingItems(false), 9), -1);
}

TEST(SettingsRules, CacheSize_EachRangeAndItsEdges)
{
    EXPECT_EQ(fileSizeWithInterge(0), QStringLiteral("0M"));
    EXPECT_EQ(fileSizeWithInterge(1), QStringLiteral("1B"));
    EXPECT_EQ(fileSizeWithInterge(1023), QStringLiteral("1023B"));
    EXPECT_EQ(fileSizeWithInterge(1024), QStringLiteral("1K"));
    EXPECT_EQ(fileSizeWithInterge(2047), QStringLiteral("1K")) << "whole kilobytes";
    EXPECT_EQ(fileSizeWithInterge(1048575), QStringLiteral("1023K"));
    EXPECT_EQ(fileSizeWithInterge(1048576), QStringLiteral("1.00M"));
    EXPECT_EQ(fileSizeWithInterge(3670016), QStringLiteral("3.50M")) << "3.5 MB keeps its fraction";
    EXPECT_EQ(fileSizeWithInterge(1073741824), QStringLiteral("1.00G"));
    EXPECT_EQ(fileSizeWithInterge(1610612736), QStringLiteral("1.50G"));
}

TEST(SettingsRules, NameCheck_FirstRuleThatAppliesInUtf16Units)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    EXPECT_EQ(userNameState(QString()), QStringLiteral("用户名不能为空"));
    EXPECT_EQ(userNameState(QStringLiteral("王")), QStringLiteral("不能少于2个字符"));
    EXPECT_EQ(userNameState(QStringLiteral("<")), QStringLiteral("不能少于2个字符")) << "length before characters";
    EXPECT_EQ(userNameState(QString(20, QLatin1Char('a'))), QString());
    EXPECT_EQ(userNameState(QString(21, QLatin1Char('a'))), QStringLiteral("不能超过20个字符"));
    EXPECT_EQ(userNameState(QString(20, QLatin1Char('a')) + QLatin1Char('<')), QStringLiteral("不能超过20个字符"));
    EXPECT_EQ(userNameState(emoji.repeated(10)), QString()) << "ten emoji are twenty units";
    EXPECT_EQ(userNameState(emoji.repeated(10) + QLatin1Char('x')), QStringLiteral("不能超过20个字符"));
    for (const QString &name : {QStringLiteral("a<b"), QStringLiteral("a>b"), QStringLiteral("a&b")})
        EXPECT_EQ(userNameState(name), QStringLiteral("不支持&、<、 >等特殊字符")) << name.toStdString();
    EXPECT_EQ(userNameState(QStringLiteral("John O'Neil-2 张")), QString()) << "spaces, punctuation, any script";
}

TEST(SettingsRules, CurrentDevice_TheFirstOfTheGreatestSaneSignInTimes)
{
    TimeZones::inEachTimeZone([&] {
        constexpr qint64 t = 1'700'000'000'000;
        QList<MeetingRecordDeviceModel> devices(6);
        devices[0].lastLoginTime = t + 100;
        devices[1].lastLoginTime = t + 300;
        devices[2].lastLoginTime = t + 300;
        devices[3].lastLoginTime = t + 200;
        devices[3].isLastest = true;                                   // as a stale record might say
        devices[4].lastLoginTime = std::numeric_limits<qint64>::max(); // year 292278994
        devices[5].lastLoginTime = -5;
        markLatestDevice(devices);
        EXPECT_EQ(latestDeviceIndex(devices), 1);
        QList<bool> marked;
        for (const auto &d : devices)
            marked.append(d.isLastest);
        EXPECT_EQ(marked, (QList<bool>{false, true, false, false, false, false}));
        EXPECT_EQ(latestDeviceIndex({}), -1);
        EXPECT_EQ(latestDeviceIndex(devices.mid(4)), -1);
    });
}

TEST(SettingsRules, LastLogin_WholeSecondsOfTheMilliseconds_NoTimeOutsideASaneRange)
{
    TimeZones::inEachTimeZone([&] {
        EXPECT_EQ(lastLoginText(1'700'000'000'999),
                  QStringLiteral("最后登陆时间: ") +
                      StringFormatter::defaultDateString(QDateTime::fromSecsSinceEpoch(1'700'000'000)));
        for (const qint64 insane : {std::numeric_limits<qint64>::max(), qint64(-5), qint64(0)})
            EXPECT_EQ(lastLoginText(insane), QString()) << insane;
    });
}

TEST(SettingsRules, UploadAnswers_CodeTable)
{
    EXPECT_EQ(uploadResultText(0), QStringLiteral("上传成功"));
    EXPECT_EQ(uploadResultText(94), QStringLiteral("打包失败,请稍后再试"));
    EXPECT_EQ(uploadResultText(1001), QStringLiteral("应用异常,请稍后再试"));
    EXPECT_EQ(uploadResultText(1002), QStringLiteral("上传超时,请稍后再试"));
    EXPECT_EQ(uploadResultText(1003), QStringLiteral("鉴权失败,请稍后再试"));
    EXPECT_EQ(uploadResultText(2), QStringLiteral("上传失败"));
    EXPECT_EQ(uploadResultText(-1), QStringLiteral("上传失败"));
}

} // namespace
