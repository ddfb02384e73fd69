// The meeting's event in the app's calendar file, read back with libical's parser.
#include "TestEvents.h"

#include "foundation/UserDefaults.h"
#include "scheduling/KVMCommonUtilCalendar.h"
#include "scheduling/WMEventCalendarTool.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <libical/ical.h>

namespace {

using namespace KVMCommonUtilCalendar;

class CalendarTest : public ::testing::Test {
protected:
    // Each case starts with no calendar file: the folder outlives a case within one process.
    void SetUp() override { QDir(WMEventCalendarTool::folder()).removeRecursively(); }
    void TearDown() override
    {
        UserDefaults::resetStandardUserDefaults();
        QDir(WMEventCalendarTool::folder()).removeRecursively();
    }

    static MeetingDataModel meeting(const QString &begin, int cycleType)
    {
        MeetingDataModel m;
        m.roomId = QStringLiteral("900000001");
        m.roomName = QStringLiteral("周会");
        m.beginTime = begin;
        m.endTime = begin.left(11) + QStringLiteral("23:00");
        m.quickEnterUrl = QStringLiteral("https://meet.example.com/j/900000001");
        m.isCycle = cycleType != 0;
        m.cycleType = cycleType;
        return m;
    }

    // Runs the calendar step to its end.
    static bool sync(const MeetingDataModel &m, bool wish, int *refused = nullptr)
    {
        bool finished = false;
        syncCalendar(
            m, wish,
            [refused] {
                if (refused)
                    ++*refused;
            },
            [&finished] { finished = true; });
        return processEventsUntil([&finished] { return finished; });
    }

    // The app's calendar file, parsed.
    struct Parsed {
        icalcomponent *calendar = nullptr;
        ~Parsed()
        {
            if (calendar)
                icalcomponent_free(calendar);
        }
        QList<icalcomponent *> events() const
        {
            QList<icalcomponent *> out;
            for (icalcomponent *e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
                 e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
                out.append(e);
            return out;
        }
    };
    static std::unique_ptr<Parsed> readCalendar()
    {
        const QStringList files = QDir(WMEventCalendarTool::folder()).entryList({QStringLiteral("*.ics")});
        EXPECT_EQ(files.size(), 1);
        QFile f(QDir(WMEventCalendarTool::folder()).filePath(files.value(0)));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        auto parsed = std::make_unique<Parsed>();
        parsed->calendar = icalparser_parse_string(f.readAll().constData());
        return parsed;
    }
    static QString rruleOf(icalcomponent *e)
    {
        icalproperty *p = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY);
        if (!p)
            return QString();
        icalrecurrencetype r = icalproperty_get_rrule(p);
        return QString::fromUtf8(icalrecurrencetype_as_string(&r));
    }
};

TEST_F(CalendarTest, WrittenEvent_HasItsFieldsRuleAndAlarm_UnderTheRoomsKey)
{
    // 2030-01-02 is a Wednesday.
    ASSERT_TRUE(sync(meeting(QStringLiteral("2030-01-02 10:00"), 2), true));
    auto parsed = readCalendar();
    ASSERT_NE(parsed->calendar, nullptr);
    const auto events = parsed->events();
    ASSERT_EQ(events.size(), 1);
    icalcomponent *e = events[0];
    EXPECT_STREQ(icalcomponent_get_summary(e), "周会");
    EXPECT_STREQ(icalcomponent_get_location(e), "Korvi会议");
    EXPECT_STREQ(icalcomponent_get_description(e), "点击url可快速入会");
    EXPECT_STREQ(icalproperty_get_url(icalcomponent_get_first_property(e, ICAL_URL_PROPERTY)),
                 "https://meet.example.com/j/900000001");
    icaltimetype start = icalcomponent_get_dtstart(e);
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(start, start.zone)),
              QDateTime(QDate(2030, 1, 2), QTime(10, 0)));
    EXPECT_EQ(rruleOf(e), QStringLiteral("FREQ=WEEKLY;BYDAY=WE"));
    icalcomponent *alarm = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT);
    ASSERT_NE(alarm, nullptr);
    EXPECT_EQ(icalproperty_get_action(icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY)),
              ICAL_ACTION_DISPLAY);
    EXPECT_STREQ(icaldurationtype_as_ical_string(
                     icalproperty_get_trigger(icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY)).duration),
                 "PT25S");
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults.objectForKey(eventKey(QStringLiteral("900000001"))).toString(),
              QString::fromUtf8(icalcomponent_get_uid(e)));
    EXPECT_FALSE(defaults.objectForKey(kCalendarKey).toString().isEmpty());
    EXPECT_TRUE(getCalendarIsAuthorized());

    EXPECT_EQ(WMEventCalendarTool::recurrenceRule(1, QDateTime()), QStringLiteral("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"));
    EXPECT_EQ(WMEventCalendarTool::recurrenceRule(0, QDateTime()), QString());
}

TEST_F(CalendarTest, AMovedMeeting_LeavesOneEvent_AndACancelRemovesIt)
{
    MeetingDataModel m = meeting(QStringLiteral("2030-01-02 10:00"), 0);
    ASSERT_TRUE(sync(m, true));
    m.beginTime = QStringLiteral("2030-02-03 09:00");
    m.endTime = QStringLiteral("2030-02-03 10:00");
    ASSERT_TRUE(sync(m, true)); // the old event goes by its identifier, wherever it was
    {
        auto parsed = readCalendar();
        const auto events = parsed->events();
        ASSERT_EQ(events.size(), 1);
        EXPECT_EQ(rruleOf(events[0]), QString());
        icaltimetype start = icalcomponent_get_dtstart(events[0]);
        EXPECT_EQ(QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(start, start.zone)),
                  QDateTime(QDate(2030, 2, 3), QTime(9, 0)));
    }
    ASSERT_TRUE(sync(m, false));
    EXPECT_TRUE(readCalendar()->events().isEmpty());
    EXPECT_FALSE(UserDefaults::standardUserDefaults().contains(eventKey(m.roomId)));
}

TEST_F(CalendarTest, Spans_ThisOccurrenceSkipsTheFirst_ThisAndFutureRemovesTheSeries)
{
    MeetingDataModel m = meeting(QStringLiteral("2030-01-02 10:00"), 1);
    ASSERT_TRUE(sync(m, true));
    WMEventCalendarTool &tool = WMEventCalendarTool::sharedEventCalendar();
    const QString uid = UserDefaults::standardUserDefaults().objectForKey(eventKey(m.roomId)).toString();
    ASSERT_TRUE(tool.deleteCalendarEventIdentifier(uid, 0));
    const auto event = tool.checkToEventIdentifier(eventKey(m.roomId));
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->rrule, QStringLiteral("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"));
    EXPECT_EQ(event->exceptionDates.value(0), QDateTime(QDate(2030, 1, 2), QTime(10, 0)));
    ASSERT_TRUE(tool.deleteCalendarEventIdentifier(uid, 1));
    EXPECT_FALSE(tool.checkToEventIdentifier(eventKey(m.roomId)).has_value());
    EXPECT_FALSE(tool.deleteCalendarEventIdentifier(QString(), 0));
}

TEST_F(CalendarTest, NoAccess_IsToldOnlyWhenWished_AndNeverAllowedWithoutAWishTouchesNothing)
{
    // As a fresh process finds it, whatever an earlier case of this one wrote.
    QDir(WMEventCalendarTool::folder()).removeRecursively();
    const MeetingDataModel m = meeting(QStringLiteral("2030-01-02 10:00"), 0);
    int refused = 0;
    ASSERT_TRUE(sync(m, false, &refused));
    EXPECT_FALSE(QFileInfo::exists(WMEventCalendarTool::folder()));
    EXPECT_EQ(refused, 0);

    // A file where the folder should be: nothing can be written.
    QDir().mkpath(QFileInfo(WMEventCalendarTool::folder()).absolutePath());
    {
        QFile blocker(WMEventCalendarTool::folder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    std::optional<CalendarError> error;
    bool answered = false;
    checkCalendarCanUsedCompletion([&](bool granted, const std::optional<CalendarError> &e) {
        EXPECT_FALSE(granted);
        error = e;
        answered = true;
    });
    ASSERT_TRUE(processEventsUntil([&answered] { return answered; }));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, 3072);
    EXPECT_EQ(error->text, QStringLiteral("未授权"));
    EXPECT_FALSE(getCalendarIsAuthorized());
    ASSERT_TRUE(sync(m, true, &refused));
    EXPECT_EQ(refused, 1);
    ASSERT_TRUE(sync(m, false, &refused));
    EXPECT_EQ(refused, 1);
    QFile::remove(WMEventCalendarTool::folder()); // the blocker goes: the next case finds no file there
}

} // namespace
