// The meeting form's decisions as plain functions: from a model to the controls and back, the
// checks, the lengths and end bounds, the recurrence look, the member count and the window size.

#include "TimeZones.h"
#include "agent/VeskAppAgent.h"
#include "scheduling/CreateMeetingRules.h"
#include "scheduling/KVCreateMeetingDuration.h"

#include <gtest/gtest.h>

#include <limits>

using namespace CreateMeetingRules;

namespace {
QDateTime at(int h, int m)
{
    return QDateTime(QDate(2026, 3, 9), QTime(h, m));
}
} // namespace

TEST(MeetingFormRulesTest, NewMeeting_DefaultsShowAndGoBackUnchanged)
{
    TimeZones::inEachTimeZone([&] {
        VeskUserModel me;
        me.userId = QStringLiteral("13800000000");
        me.userName = QStringLiteral("张三");
        VeskAppAgent::sharedInstance()->setMyInfo(me);
        const MeetingDataModel fresh = MeetingDataModel::defaultModel();
        const MeetingFormControls c = controlsFromModel(fresh, QStringLiteral("2026-03-09 10:00"), 0);
        EXPECT_EQ(c.subject, QStringLiteral("张三创建的会议"));
        EXPECT_EQ(c.beginTime, fresh.beginTime);
        EXPECT_EQ(c.duration, 120);
        EXPECT_EQ(c.periodType, 0);
        EXPECT_FALSE(c.passwordOn);
        EXPECT_FALSE(c.waitingRoom);
        EXPECT_TRUE(c.memberMicrophone && c.memberCamera && c.record && c.transcription && c.membersMayView);
        EXPECT_FALSE(c.shareLimited);
        EXPECT_TRUE(c.uploadAllowed);

        MeetingDataModel back = fresh;
        syncToDataModel(c, back);
        back.invitationList = fresh.invitationList;
        EXPECT_EQ(back, fresh);
        VeskAppAgent::resetSharedInstance();
    });
}

TEST(MeetingFormRulesTest, ControlsToFields)
{
    TimeZones::inEachTimeZone([&] {
        MeetingFormControls c;
        c.subject = QStringLiteral("  ");
        c.beginTime = QStringLiteral("2026-03-09 10:00");
        c.duration = 45;
        c.periodType = 2;
        c.passwordOn = false;
        c.password = QStringLiteral("1234"); // hidden field: ignored
        c.transcription = false;
        c.membersMayView = true; // shown only under the transcription box
        c.shareLimited = false;
        c.shareMembers = {VeskUserModel()};
        c.uploadAllowed = false;
        MeetingDataModel m;
        syncToDataModel(c, m);
        EXPECT_EQ(m.roomName, QStringLiteral("  "));
        EXPECT_EQ(m.password, QStringLiteral(""));
        EXPECT_FALSE(m.password.isNull());
        EXPECT_EQ(m.openTranslateText, 0);
        EXPECT_EQ(m.enableTransStatus, 0);
        EXPECT_TRUE(m.allowShareList.isEmpty());
        EXPECT_EQ(m.sharePermission, 0);
        EXPECT_EQ(m.uploadPermissionType, 1);
        EXPECT_EQ(m.cycleType, 2);
        EXPECT_TRUE(m.isCycle);
        EXPECT_EQ(m.duration, 45);

        c.passwordOn = true;
        c.transcription = true;
        c.shareLimited = true;
        c.uploadAllowed = true;
        c.periodType = 0;
        syncToDataModel(c, m);
        EXPECT_EQ(m.password, QStringLiteral("1234"));
        EXPECT_EQ(m.enableTransStatus, 1);
        c.membersMayView = false;
        syncToDataModel(c, m);
        EXPECT_EQ(m.openTranslateText, 1);
        EXPECT_EQ(m.enableTransStatus, 0);
        EXPECT_EQ(m.sharePermission, 1);
        EXPECT_EQ(m.allowShareList.size(), 1);
        EXPECT_EQ(m.uploadPermissionType, 2);
        EXPECT_FALSE(m.isCycle);

        // A stored value other than 1 shows a box off; a loaded duration below 1 keeps the form's.
        MeetingDataModel odd;
        odd.roomWaitStatus = 2;
        odd.enableRecordStatus = -1;
        odd.duration = 0;
        const MeetingFormControls shown = controlsFromModel(odd, QStringLiteral("2026-03-09 10:00"), 90);
        EXPECT_FALSE(shown.waitingRoom);
        EXPECT_FALSE(shown.record);
        EXPECT_EQ(shown.duration, 90);
        EXPECT_EQ(shown.beginTime, QStringLiteral("2026-03-09 10:00"));
        odd.duration = 1; // the shortest loaded duration is kept
        EXPECT_EQ(controlsFromModel(odd, QStringLiteral("2026-03-09 10:00"), 90).duration, 1);
    });
}

TEST(MeetingFormRulesTest, Validation)
{
    MeetingFormControls c;
    c.subject = QString();
    EXPECT_EQ(validate(c), QStringLiteral("请输入会议主题"));
    c.subject = QStringLiteral(" ");
    EXPECT_EQ(validate(c), QString());
    c.passwordOn = true;
    for (const char *bad : {"1", "12", "1234567", "12a", "١٢٣", ""}) {
        c.password = QString::fromUtf8(bad);
        EXPECT_EQ(validate(c), QStringLiteral("请输入3-6位数字密码")) << bad;
    }
    for (const char *good : {"123", "123456"}) {
        c.password = QString::fromUtf8(good);
        EXPECT_EQ(validate(c), QString()) << good;
    }
    c.passwordOn = false;
    c.password = QStringLiteral("x");
    EXPECT_EQ(validate(c), QString());
}

TEST(MeetingFormRulesTest, LengthsAndEndPickerBounds)
{
    TimeZones::inEachTimeZone([&] {
        using namespace MeetingTimeRules;
        EXPECT_EQ(lengthText(60 * 60), QStringLiteral("1小时"));
        EXPECT_EQ(lengthText(45 * 60), QStringLiteral("45分钟"));
        EXPECT_EQ(lengthText(150 * 60), QStringLiteral("2小时30分钟"));
        EXPECT_EQ(lengthText(75 * 60 + 59), QStringLiteral("1小时15分钟"));

        const QDateTime begin = at(10, 7);
        const auto chosen = chooseEnd(begin.addSecs(30), at(11, 22).addSecs(45)); // seconds dropped
        EXPECT_EQ(chosen.durationMinutes, 75);
        EXPECT_EQ(chosen.lengthText, QStringLiteral("1小时15分钟"));
        EXPECT_EQ(chosen.endText, QStringLiteral("2026-03-09 11:22"));
        EXPECT_EQ(choiceIndexFor(75), -1);
        EXPECT_EQ(durationCaption(75), QStringLiteral("1小时15分钟"));
        EXPECT_EQ(durationCaption(120), QStringLiteral("2小时"));
        EXPECT_EQ(choiceIndexFor(0), -1); // the end-time entry is never the chosen row

        const auto range = endPickerRange(begin, 120);
        EXPECT_EQ(range.beginDate, at(10, 22));
        EXPECT_EQ(range.endDate, at(10, 7).addSecs((23 * 60 + 45) * 60));
        EXPECT_EQ(range.selectedDate, at(12, 7));
        EXPECT_EQ(range.minuteInterval, 15);
        const auto &items = KVCreateMeetingDuration::durationItems();
        ASSERT_EQ(items.size(), 7);
        EXPECT_EQ(items[4].title, QStringLiteral("2小时"));
        EXPECT_EQ(items[6].title, QStringLiteral("选择结束时间"));
        EXPECT_EQ(items[6].duration, 0);
    });
}

TEST(MeetingFormRulesTest, RecurrenceStates)
{
    struct Row {
        bool isEdit, isCycle, onlyThis;
        int bar;
        bool switchShown, locked;
    };
    const Row rows[] = {
        {false, false, true, 94, false, false}, // new meeting
        {false, true, true, 94, false, false},  // new recurring: the lock is for edits only
        {true, false, true, 94, false, false},  // editing a one-off meeting
        {true, true, true, 132, true, true},    // a series, this occurrence
        {true, true, false, 132, true, false},  // a series, the whole series
    };
    for (const Row &r : rows) {
        const auto look = recurrenceLook(r.isEdit, r.isCycle, r.onlyThis);
        EXPECT_EQ(look.titleBarHeight, r.bar);
        EXPECT_EQ(look.seriesSwitchShown, r.switchShown);
        EXPECT_EQ(look.periodLocked, r.locked);
        EXPECT_DOUBLE_EQ(look.periodAlpha, r.locked ? 0.3 : 1.0);
    }
}

TEST(MeetingFormRulesTest, MemberCountAndFieldHeight)
{
    EXPECT_EQ(adjustedMemberCount(30, 20, 21), 31u);
    EXPECT_EQ(adjustedMemberCount(30, 21, 20), 29u);
    EXPECT_EQ(adjustedMemberCount(0, 1, 0), 0u);
    // Counts from the service may reach 2^64 - 1: no signed overflow, no wrap.
    constexpr quint64 top = std::numeric_limits<quint64>::max();
    EXPECT_EQ(adjustedMemberCount(quint64(1) << 63, 1, 2), (quint64(1) << 63) + 1);
    EXPECT_EQ(adjustedMemberCount(top, 1, 3), top);
    EXPECT_EQ(adjustedMemberCount(quint64(1) << 63, 2, 1), (quint64(1) << 63) - 1);
    EXPECT_EQ(adjustedMemberCount(5, 3, 3), 5u); // a tick of someone listed changes nothing
    EXPECT_EQ(memberFieldHeight(0), 34);
    EXPECT_EQ(memberFieldHeight(1), 34);
    EXPECT_EQ(memberFieldHeight(2), 62);
    EXPECT_EQ(memberFieldHeight(5), 62);
}

TEST(MeetingFormRulesTest, WindowSizeFollowsTheDocumentWithinTheScreen)
{
    EXPECT_EQ(initialContentSize(QSize(1920, 1080)), QSize(494, 948));
    EXPECT_EQ(initialContentSize(QSize(640, 800)), QSize(440, 700));
    EXPECT_EQ(clampedContentSize(QSize(494, 948), QSize(1280, 800)), QSize(494, 700));

    FormSizeInput in;
    in.view = QSize(494, 948);
    in.scrollViewHeight = 948 - 158; // title bar 94, buttons 64
    in.visibleScreen = QSize(1920, 1300);

    // Fits: nothing moves, the document fills the scroll view.
    in.neededHeight = 700;
    auto out = updateScrollContentSize(in);
    EXPECT_FALSE(out.contentSize);
    EXPECT_EQ(out.documentHeight, 790);

    // The shown rows need 33 + 33 + 51 more than there is: the window grows to fit.
    in.neededHeight = 790 + 33 + 33 + 51;
    out = updateScrollContentSize(in);
    ASSERT_TRUE(out.contentSize);
    EXPECT_EQ(*out.contentSize, QSize(494, 948 + 117));
    EXPECT_EQ(out.documentHeight, 907);

    // Not beyond the visible height less 100; the document then scrolls.
    in.neededHeight = 2000;
    out = updateScrollContentSize(in);
    EXPECT_EQ(*out.contentSize, QSize(494, 1200));
    EXPECT_EQ(out.documentHeight, 2000);

    // A smaller screen: a window taller than the bound shrinks to it, narrower than 200 less.
    in.visibleScreen = QSize(600, 700);
    in.neededHeight = 500;
    out = updateScrollContentSize(in);
    EXPECT_EQ(*out.contentSize, QSize(400, 600));
}
