// The meeting's events in the app's calendar file, read back as a calendar program reads them:
// libical's parser, the series expanded in the file's own zone, in UTC, Asia/Shanghai and
// America/New_York.
#include "TestEvents.h"
#include "TimeZones.h"

#include "foundation/UserDefaults.h"
#include "scheduling/KVMCommonUtilCalendar.h"
#include "scheduling/WMEventCalendarTool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <libical/ical.h>

namespace {

using namespace KVMCommonUtilCalendar;
using TimeZones::inEachTimeZone;

class CalendarTest : public ::testing::Test {
protected:
    // Each case starts with no calendar file: the folder outlives a case within one process.
    void SetUp() override { fresh(); }
    void TearDown() override
    {
        UserDefaults::resetStandardUserDefaults();
        QDir(WMEventCalendarTool::folder()).removeRecursively();
    }
    // As a fresh process finds it: no calendar file, no stored keys.
    static void fresh()
    {
        QFile::remove(WMEventCalendarTool::folder()); // a link or file in the folder's place
        QDir(WMEventCalendarTool::folder()).removeRecursively();
        QFile::remove(UserDefaults::standardUserDefaults().filePath());
        UserDefaults::resetStandardUserDefaults();
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
    static bool sync(const MeetingDataModel &m, bool wish, int *refused = nullptr,
                     const QDateTime &editedOccurrence = {})
    {
        bool finished = false;
        syncCalendar(
            m, wish,
            [refused] {
                if (refused)
                    ++*refused;
            },
            [&finished] { finished = true; }, editedOccurrence);
        return processEventsUntil([&finished] { return finished; });
    }
    static QDateTime local(const QString &text)
    {
        return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
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
    // The starts of an event's occurrences from..to as a calendar program lists them: the rule
    // expanded in the zone of the file's own VTIMEZONE, exclusions left out; as local times here.
    static QList<QDateTime> occurrences(icalcomponent *e, const QDateTime &from, const QDateTime &to)
    {
        QList<QDateTime> out;
        icaltimezone *utc = icaltimezone_get_utc_timezone();
        icalcomponent_foreach_recurrence(
            e, icaltime_from_timet_with_zone(time_t(from.toSecsSinceEpoch()), 0, utc),
            icaltime_from_timet_with_zone(time_t(to.toSecsSinceEpoch()), 0, utc),
            [](icalcomponent *, struct icaltime_span *span, void *data) {
                static_cast<QList<QDateTime> *>(data)->append(QDateTime::fromSecsSinceEpoch(span->start));
            },
            &out);
        return out;
    }
    // The start is written with a zone the file defines (or as UTC): never a bare time, never a
    // zone only the writer knows.
    static void expectZonedStart(icalcomponent *calendar, icalcomponent *e)
    {
        icalproperty *dtstart = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY);
        ASSERT_NE(dtstart, nullptr);
        const icaltimetype start = icalproperty_get_dtstart(dtstart);
        icalparameter *tzid = icalproperty_get_first_parameter(dtstart, ICAL_TZID_PARAMETER);
        if (qgetenv("TZ") == "UTC") {
            EXPECT_TRUE(icaltime_is_utc(start));
            return;
        }
        ASSERT_NE(tzid, nullptr) << "a local time must name its zone";
        EXPECT_FALSE(icaltime_is_utc(start));
        bool defined = false;
        for (icalcomponent *z = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); z;
             z = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT))
            defined = defined || qstrcmp(icalproperty_get_tzid(icalcomponent_get_first_property(z, ICAL_TZID_PROPERTY)),
                                         icalparameter_get_tzid(tzid)) == 0;
        EXPECT_TRUE(defined) << icalparameter_get_tzid(tzid);
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
    inEachTimeZone([] {
        fresh();
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
        expectZonedStart(parsed->calendar, e);
        icaltimetype start = icalcomponent_get_dtstart(e);
        EXPECT_EQ(QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(start, start.zone)),
                  local(QStringLiteral("2030-01-02 10:00")));
        EXPECT_EQ(rruleOf(e), QStringLiteral("FREQ=WEEKLY;BYDAY=WE"));
        icalcomponent *alarm = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT);
        ASSERT_NE(alarm, nullptr);
        EXPECT_EQ(icalproperty_get_action(icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY)),
                  ICAL_ACTION_DISPLAY);
        EXPECT_STREQ(
            icaldurationtype_as_ical_string(
                icalproperty_get_trigger(icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY)).duration),
            "PT25S");
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        EXPECT_EQ(defaults.objectForKey(eventKey(QStringLiteral("900000001"))).toString(),
                  QString::fromUtf8(icalcomponent_get_uid(e)));
        EXPECT_FALSE(defaults.objectForKey(kCalendarKey).toString().isEmpty());
        EXPECT_TRUE(getCalendarIsAuthorized());
    });
    EXPECT_EQ(WMEventCalendarTool::recurrenceRule(1, QDateTime()), QStringLiteral("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"));
    EXPECT_EQ(WMEventCalendarTool::recurrenceRule(0, QDateTime()), QString());
}

TEST_F(CalendarTest, Series_ARepeatingMeetingIsReadAtItsLocalTimeOnItsDays_AlsoAcrossSummerTime)
{
    inEachTimeZone([] {
        // Tuesday 17:41, weekly, read over five months (New York changes to summer time on
        // 2027-03-14): every Tuesday at 17:41 here, none on another day.
        fresh();
        ASSERT_TRUE(sync(meeting(QStringLiteral("2026-12-08 17:41"), 2), true));
        {
            auto parsed = readCalendar();
            const auto events = parsed->events();
            ASSERT_EQ(events.size(), 1);
            expectZonedStart(parsed->calendar, events[0]);
            const QList<QDateTime> shown = occurrences(events[0], local(QStringLiteral("2026-12-01 00:00")),
                                                       local(QStringLiteral("2027-05-01 00:00")));
            ASSERT_EQ(shown.size(), 21); // the Tuesdays from 12-08 to 04-27
            for (const QDateTime &at : shown) {
                EXPECT_EQ(at.date().dayOfWeek(), Qt::Tuesday) << at.toString().toStdString();
                EXPECT_EQ(at.time(), QTime(17, 41)) << at.toString().toStdString();
            }
            EXPECT_EQ(shown.first(), local(QStringLiteral("2026-12-08 17:41")));
        }

        // Early and late on Tuesdays: where UTC is already on another day, the rule still falls on
        // the day chosen here.
        for (const QString &at : {QStringLiteral("2026-12-08 07:30"), QStringLiteral("2026-12-08 22:30")}) {
            fresh();
            ASSERT_TRUE(sync(meeting(at, 2), true));
            auto parsed = readCalendar();
            const auto events = parsed->events();
            ASSERT_EQ(events.size(), 1);
            const QList<QDateTime> shown = occurrences(events[0], local(QStringLiteral("2026-12-01 00:00")),
                                                       local(QStringLiteral("2027-01-01 00:00")));
            ASSERT_EQ(shown.size(), 4) << at.toStdString();
            for (const QDateTime &day : shown) {
                EXPECT_EQ(day.date().dayOfWeek(), Qt::Tuesday) << day.toString().toStdString();
                EXPECT_EQ(day.time(), local(at).time()) << day.toString().toStdString();
            }
        }

        // An early meeting on working days: Monday to Friday at 07:30 here (in UTC+8 that is the
        // evening before in UTC, where a rule in UTC would fall on Sunday to Thursday).
        fresh();
        ASSERT_TRUE(sync(meeting(QStringLiteral("2030-01-07 07:30"), 1), true));
        auto parsed = readCalendar();
        const auto events = parsed->events();
        ASSERT_EQ(events.size(), 1);
        const QList<QDateTime> shown = occurrences(events[0], local(QStringLiteral("2030-01-07 00:00")),
                                                   local(QStringLiteral("2030-01-21 00:00")));
        ASSERT_EQ(shown.size(), 10);
        for (const QDateTime &at : shown) {
            EXPECT_LE(at.date().dayOfWeek(), Qt::Friday) << at.toString().toStdString();
            EXPECT_EQ(at.time(), QTime(7, 30)) << at.toString().toStdString();
        }
    });
}

TEST_F(CalendarTest, AMovedMeeting_LeavesOneEvent_AndACancelRemovesIt)
{
    inEachTimeZone([] {
        fresh();
        MeetingDataModel m = meeting(QStringLiteral("2030-01-02 10:00"), 0);
        ASSERT_TRUE(sync(m, true));
        // Moved as the form moves it: a new begin and length, the end time still the old one.
        m.beginTime = QStringLiteral("2030-02-03 09:00");
        m.duration = 45;
        ASSERT_TRUE(sync(m, true)); // the old event goes by its identifier, wherever it was
        {
            auto parsed = readCalendar();
            const auto events = parsed->events();
            ASSERT_EQ(events.size(), 1);
            EXPECT_EQ(rruleOf(events[0]), QString());
            expectZonedStart(parsed->calendar, events[0]);
            icaltimetype start = icalcomponent_get_dtstart(events[0]);
            EXPECT_EQ(QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(start, start.zone)),
                      local(QStringLiteral("2030-02-03 09:00")));
            icaltimetype end = icalcomponent_get_dtend(events[0]);
            EXPECT_EQ(QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(end, end.zone)),
                      local(QStringLiteral("2030-02-03 09:45")));
        }
        ASSERT_TRUE(sync(m, false));
        EXPECT_TRUE(readCalendar()->events().isEmpty());
        EXPECT_FALSE(UserDefaults::standardUserDefaults().contains(eventKey(m.roomId)));
    });
}

TEST_F(CalendarTest, Spans_ThisOccurrenceSkipsTheFirst_ThisAndFutureRemovesTheSeries)
{
    inEachTimeZone([] {
        fresh();
        MeetingDataModel m = meeting(QStringLiteral("2030-01-02 10:00"), 1);
        ASSERT_TRUE(sync(m, true));
        WMEventCalendarTool &tool = WMEventCalendarTool::sharedEventCalendar();
        const QString uid = UserDefaults::standardUserDefaults().objectForKey(eventKey(m.roomId)).toString();
        ASSERT_TRUE(tool.deleteCalendarEventIdentifier(uid, 0));
        const auto event = tool.checkToEventIdentifier(eventKey(m.roomId));
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->rrule, QStringLiteral("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"));
        EXPECT_EQ(event->startDate, local(QStringLiteral("2030-01-02 10:00")));
        EXPECT_EQ(event->exceptionDates.value(0), local(QStringLiteral("2030-01-02 10:00")));
        {
            auto parsed = readCalendar();
            const QList<QDateTime> shown =
                occurrences(parsed->events().value(0), local(QStringLiteral("2030-01-01 00:00")),
                            local(QStringLiteral("2030-01-05 00:00")));
            EXPECT_EQ(shown, (QList<QDateTime>{local(QStringLiteral("2030-01-03 10:00")),
                                               local(QStringLiteral("2030-01-04 10:00"))}));
        }
        ASSERT_TRUE(tool.deleteCalendarEventIdentifier(uid, 1));
        EXPECT_FALSE(tool.checkToEventIdentifier(eventKey(m.roomId)).has_value());
        EXPECT_FALSE(tool.deleteCalendarEventIdentifier(QString(), 0));
    });
}

TEST_F(CalendarTest, OneOccurrenceEdited_IsAOneOffBesideTheSeries_AndNothingOutlivesTheMeeting)
{
    inEachTimeZone([] {
        fresh();
        // A weekly meeting on Tuesdays at 17:41.
        MeetingDataModel m = meeting(QStringLiteral("2026-12-08 17:41"), 2);
        ASSERT_TRUE(sync(m, true));

        // Its occurrence of 12-15 moved to Wednesday 12-16 09:00, this occurrence only.
        MeetingDataModel occurrence = m;
        occurrence.isEdit = true;
        occurrence.onlyUpdateThisMeeting = true;
        occurrence.beginTime = QStringLiteral("2026-12-16 09:00");
        occurrence.endTime = QStringLiteral("2026-12-16 10:00");
        ASSERT_TRUE(sync(occurrence, true, nullptr, local(QStringLiteral("2026-12-15 17:41"))));
        {
            auto parsed = readCalendar();
            const auto events = parsed->events();
            ASSERT_EQ(events.size(), 2);
            icalcomponent *series = rruleOf(events[0]).isEmpty() ? events[1] : events[0];
            icalcomponent *oneOff = series == events[0] ? events[1] : events[0];
            EXPECT_EQ(rruleOf(oneOff), QString()) << "this occurrence is a one-off, not a second series";
            EXPECT_EQ(occurrences(oneOff, local(QStringLiteral("2026-12-01 00:00")),
                                  local(QStringLiteral("2027-02-01 00:00"))),
                      QList<QDateTime>{local(QStringLiteral("2026-12-16 09:00"))});
            EXPECT_EQ(
                occurrences(series, local(QStringLiteral("2026-12-01 00:00")),
                            local(QStringLiteral("2026-12-31 00:00"))),
                (QList<QDateTime>{local(QStringLiteral("2026-12-08 17:41")), local(QStringLiteral("2026-12-22 17:41")),
                                  local(QStringLiteral("2026-12-29 17:41"))}));
        }
        // The same occurrence edited again: its one-off is replaced, not doubled.
        MeetingDataModel again = occurrence;
        again.beginTime = QStringLiteral("2026-12-16 11:00");
        again.endTime = QStringLiteral("2026-12-16 12:00");
        ASSERT_TRUE(sync(again, true, nullptr, local(QStringLiteral("2026-12-16 09:00"))));
        EXPECT_EQ(readCalendar()->events().size(), 2);

        // Then the whole series: one series at its new time, nothing else.
        MeetingDataModel series = m;
        series.isEdit = true;
        series.onlyUpdateThisMeeting = false;
        series.beginTime = QStringLiteral("2026-12-10 08:00");
        series.endTime = QStringLiteral("2026-12-10 09:00");
        ASSERT_TRUE(sync(series, true));
        {
            auto parsed = readCalendar();
            const auto events = parsed->events();
            ASSERT_EQ(events.size(), 1);
            EXPECT_EQ(rruleOf(events[0]), QStringLiteral("FREQ=WEEKLY;BYDAY=TH"));
        }

        // Then cancelled: nothing is left of the meeting, and nothing of another one is touched.
        MeetingDataModel other = meeting(QStringLiteral("2026-12-09 10:00"), 0);
        other.roomId = QStringLiteral("900000002");
        ASSERT_TRUE(sync(other, true));
        ASSERT_TRUE(sync(m, false));
        const auto parsed = readCalendar();
        const auto left = parsed->events();
        ASSERT_EQ(left.size(), 1);
        EXPECT_EQ(QString::fromUtf8(icalcomponent_get_uid(left[0])),
                  UserDefaults::standardUserDefaults().objectForKey(eventKey(other.roomId)).toString());
        EXPECT_FALSE(UserDefaults::standardUserDefaults().contains(eventKey(m.roomId)));
    });
}

TEST_F(CalendarTest, ASeriesMadeAOneOff_LeavesOnlyTheOneOff_AndAnEndedOneLeavesNothing)
{
    MeetingDataModel m = meeting(QStringLiteral("2030-01-02 10:00"), 1);
    ASSERT_TRUE(sync(m, true));
    MeetingDataModel once = m;
    once.isEdit = true;
    once.onlyUpdateThisMeeting = false;
    once.isCycle = false;
    once.cycleType = 0;
    ASSERT_TRUE(sync(once, true));
    const auto parsed = readCalendar();
    const auto events = parsed->events();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(rruleOf(events[0]), QString());

    bool removed = false;
    removeMeeting(m.roomId, [&removed] { removed = true; });
    ASSERT_TRUE(processEventsUntil([&removed] { return removed; }));
    EXPECT_TRUE(readCalendar()->events().isEmpty());
}

TEST_F(CalendarTest, ALinkPlantedInTheFolder_IsNeverFollowed)
{
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const QString victim = outside.filePath(QStringLiteral("victim.ics"));

    // A link in place of the app's calendar file, to a calendar file elsewhere that reads as ours.
    ASSERT_TRUE(sync(meeting(QStringLiteral("2030-01-02 10:00"), 0), true));
    const QDir dir(WMEventCalendarTool::folder());
    const QString file = dir.filePath(dir.entryList({QStringLiteral("*.ics")}).value(0));
    ASSERT_TRUE(QFile::copy(file, victim));
    const QFileDevice::Permissions mode =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(victim, mode));
    const QFileDevice::Permissions modeBefore = QFile::permissions(victim);
    const QByteArray before = [&] {
        QFile f(victim);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::link(victim, file));
    MeetingDataModel second = meeting(QStringLiteral("2030-01-03 10:00"), 0);
    second.roomId = QStringLiteral("900000002");
    ASSERT_TRUE(sync(second, true));
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QFile::permissions(victim), modeBefore);

    // And one in place of the folder.
    ASSERT_TRUE(QDir(WMEventCalendarTool::folder()).removeRecursively());
    ASSERT_TRUE(QFile::link(outside.path(), WMEventCalendarTool::folder()));
    ASSERT_TRUE(sync(second, true));
    EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("victim.ics")});
    EXPECT_FALSE(QFileInfo(WMEventCalendarTool::folder()).isSymLink());
    const auto parsed = readCalendar();
    const auto events = parsed->events();
    ASSERT_EQ(events.size(), 1);
    EXPECT_STREQ(icalcomponent_get_summary(events[0]), "周会");
}

TEST_F(CalendarTest, EventLink_OnlyTheServicesHttpsAddress_OrTheStandInsInDevelopment)
{
    const AgentEnvironment production = AgentEnvironment::forEnvironment(AgentEnvironment::Production);
    const AgentEnvironment dev = AgentEnvironment::forEnvironment(AgentEnvironment::Development);
    const QString standIn = dev.serviceAddress + QStringLiteral("/#/home?rn=900000001");
    EXPECT_EQ(eventUrl(QStringLiteral("https://meet.example.com/j/900000001"), production).toString(),
              QStringLiteral("https://meet.example.com/j/900000001"));
    EXPECT_EQ(eventUrl(standIn, dev).toString(), standIn);
    for (const char *bad : {"javascript:alert(1)", "file:///etc/passwd", "http://meet.example.com/j/1",
                            "https://user:pw@meet.example.com/j/1", "data:text/html,<b>x</b>", "", "https://"})
        EXPECT_TRUE(eventUrl(QString::fromUtf8(bad), production).isEmpty()) << bad;
    EXPECT_TRUE(eventUrl(standIn, production).isEmpty()) << "plain http only in development";
    EXPECT_TRUE(eventUrl(QStringLiteral("http://evil.example.com/j/1"), dev).isEmpty());

    // A meeting whose link is not one carries none.
    MeetingDataModel m = meeting(QStringLiteral("2030-01-02 10:00"), 0);
    m.quickEnterUrl = QStringLiteral("javascript:alert(1)");
    ASSERT_TRUE(sync(m, true));
    const auto parsed = readCalendar();
    const auto events = parsed->events();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(icalcomponent_get_first_property(events[0], ICAL_URL_PROPERTY), nullptr);
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
