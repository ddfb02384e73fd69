#include "scheduling/WMEventCalendarTool.h"

#include "foundation/AppPaths.h"
#include "foundation/MainQueue.h"
#include "foundation/UserDefaults.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTimeZone>
#include <QUuid>

#include <libical/ical.h>

#include <algorithm>
#include <memory>

namespace {

constexpr const char *kNameProperty = "X-WR-CALNAME";
constexpr const char *kIdProperty = "X-WR-RELCALID";
// On each event: the user-defaults key it was written under, so every event written for a
// meeting can be found and removed, also those a later one replaced under the key.
constexpr const char *kKeyProperty = "X-KORVI-EVENT-KEY";

struct ComponentFree {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

struct CalendarFile {
    QString path;
    Component calendar;
};

CalendarError storeFailed()
{
    return {WMEventCalendarTool::kStoreFailedCode, QStringLiteral("存储失败")};
}

CalendarError noIdentifier()
{
    return {WMEventCalendarTool::kStoreFailedCode, QStringLiteral("eventIdentifier不存在")};
}

void complete(const WMEventCalendarTool::Completion &completion, bool ok, std::optional<CalendarError> error)
{
    if (!completion)
        return;
    MainQueue::async([completion, ok, error] { completion(ok, error); });
}

QString xProperty(icalcomponent *component, const char *name)
{
    for (icalproperty *p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
        if (qstrcmp(icalproperty_get_x_name(p), name) == 0)
            return QString::fromUtf8(icalproperty_get_x(p));
    }
    return QString();
}

void addXProperty(icalcomponent *component, const char *name, const QString &value)
{
    icalproperty *p = icalproperty_new_x(value.toUtf8().constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(component, p);
}

Component parse(const QString &path)
{
    QFile file(path);
    // Only our own regular files: a link planted here is never read.
    if (QFileInfo(path).isSymLink() || !file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray text = file.readAll();
    icalcomponent *c = icalparser_parse_string(text.constData());
    if (c && icalcomponent_isa(c) != ICAL_VCALENDAR_COMPONENT) {
        icalcomponent_free(c);
        c = nullptr;
    }
    return Component(c);
}

// Every calendar file, in file-name order.
std::vector<CalendarFile> loadAll()
{
    std::vector<CalendarFile> out;
    const QDir dir(WMEventCalendarTool::folder());
    for (const QString &name : dir.entryList({QStringLiteral("*.ics")}, QDir::Files | QDir::NoSymLinks, QDir::Name)) {
        const QString path = dir.filePath(name);
        if (Component c = parse(path))
            out.push_back({path, std::move(c)});
    }
    return out;
}

bool save(const CalendarFile &file)
{
    char *text = icalcomponent_as_ical_string_r(file.calendar.get());
    if (!text)
        return false;
    const QByteArray bytes(text);
    free(text);
    // QSaveFile writes through a link to its target: a link in our file's place goes first, so
    // the new file replaces the link and nothing outside the folder is touched.
    if (QFileInfo(file.path).isSymLink() && !QFile::remove(file.path))
        return false;
    QSaveFile out(file.path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

// The zone events are written in: the system's, as libical knows it, so a calendar program shows
// the meeting at the wall-clock time it was scheduled for and a series keeps it across summer
// time. UTC (written as true UTC) when the system runs in UTC or libical does not know its zone.
struct WriteZone {
    icaltimezone *ical;
    QTimeZone qt;
};

WriteZone writeZone()
{
    const QByteArray id = QTimeZone::systemTimeZoneId();
    if (!id.isEmpty() && id != "UTC" && id != "Etc/UTC") {
        const QTimeZone qt(id);
        if (icaltimezone *tz = icaltimezone_get_builtin_timezone(id.constData()); tz && qt.isValid())
            return {tz, qt};
    }
    return {icaltimezone_get_utc_timezone(), QTimeZone::utc()};
}

// The moment as wall-clock time in the zone, tagged with it (written with its TZID, or with "Z").
icaltimetype toIcal(const QDateTime &dt, const WriteZone &zone)
{
    const QDateTime wall = dt.toTimeZone(zone.qt);
    icaltimetype t = icaltime_null_time();
    t.year = wall.date().year();
    t.month = wall.date().month();
    t.day = wall.date().day();
    t.hour = wall.time().hour();
    t.minute = wall.time().minute();
    t.second = wall.time().second();
    icaltime_set_timezone(&t, zone.ical);
    return t;
}

QDateTime fromIcal(icaltimetype t)
{
    if (icaltime_is_null_time(t))
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(qint64(icaltime_as_timet_with_zone(t, t.zone)));
}

void ensureZone(icalcomponent *calendar, icaltimezone *zone)
{
    if (zone == icaltimezone_get_utc_timezone())
        return;
    const char *tzid = icaltimezone_get_tzid(zone);
    for (icalcomponent *c = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        icalproperty *p = icalcomponent_get_first_property(c, ICAL_TZID_PROPERTY);
        if (p && qstrcmp(icalproperty_get_tzid(p), tzid) == 0)
            return;
    }
    if (icalcomponent *vtz = icaltimezone_get_component(zone)) {
        // The zone's rules from a year back only: its whole history holds rules some calendar
        // programs refuse to read (a yearly rule ending in UTC beside a local start), and no
        // meeting is written that far back.
        icalcomponent *copy = icalcomponent_new_clone(vtz);
        icaltimezone *utc = icaltimezone_get_utc_timezone();
        icaltimezone_truncate_vtimezone(
            copy, icaltime_from_timet_with_zone(time_t(QDateTime::currentSecsSinceEpoch() - 366 * 86400), 0, utc),
            icaltime_null_time(), 0);
        icalcomponent_add_component(calendar, copy);
    }
}

icalcomponent *findEvent(icalcomponent *calendar, const QString &uid)
{
    const QByteArray id = uid.toUtf8();
    for (icalcomponent *e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const char *eventUid = icalcomponent_get_uid(e);
        if (eventUid && id == eventUid)
            return e;
    }
    return nullptr;
}

// The series skips the occurrence starting then (written in the zone of its start, as readers
// match exclusions against occurrences).
void addExceptionDate(icalcomponent *e, const QDateTime &at)
{
    const icaltimetype start = icalcomponent_get_dtstart(e);
    icaltimezone *utc = icaltimezone_get_utc_timezone();
    auto *zone = const_cast<icaltimezone *>(start.zone ? start.zone : utc);
    icaltimetype t = icaltime_from_timet_with_zone(time_t(at.toSecsSinceEpoch()), 0, utc);
    icaltimezone_convert_time(&t, utc, zone);
    icaltime_set_timezone(&t, zone);
    icalproperty *exdate = icalproperty_new_exdate(t);
    if (!icaltime_is_utc(t))
        icalproperty_add_parameter(exdate, icalparameter_new_tzid(icaltimezone_get_tzid(zone)));
    icalcomponent_add_property(e, exdate);
}

// The events written under the key: tagged with it, or (written before the tag) the one whose
// identifier is stored there.
QList<icalcomponent *> eventsOfKey(icalcomponent *calendar, const QString &key, const QString &storedUid)
{
    QList<icalcomponent *> out;
    for (icalcomponent *e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const char *uid = icalcomponent_get_uid(e);
        if (xProperty(e, kKeyProperty) == key || (!storedUid.isEmpty() && uid && storedUid == QString::fromUtf8(uid)))
            out.append(e);
    }
    return out;
}

CalendarEvent toEvent(icalcomponent *e, const QString &calendarId)
{
    CalendarEvent ev;
    ev.eventIdentifier = QString::fromUtf8(icalcomponent_get_uid(e));
    ev.calendarIdentifier = calendarId;
    ev.title = QString::fromUtf8(icalcomponent_get_summary(e));
    ev.location = QString::fromUtf8(icalcomponent_get_location(e));
    ev.notes = QString::fromUtf8(icalcomponent_get_description(e));
    if (icalproperty *url = icalcomponent_get_first_property(e, ICAL_URL_PROPERTY))
        ev.url = QUrl(QString::fromUtf8(icalproperty_get_url(url)));
    const icaltimetype start = icalcomponent_get_dtstart(e);
    ev.startDate = fromIcal(start);
    ev.endDate = fromIcal(icalcomponent_get_dtend(e));
    ev.allDay = start.is_date;
    if (icalproperty *rrule = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY)) {
        icalrecurrencetype recur = icalproperty_get_rrule(rrule);
        ev.rrule = QString::fromUtf8(icalrecurrencetype_as_string(&recur));
    }
    for (icalproperty *x = icalcomponent_get_first_property(e, ICAL_EXDATE_PROPERTY); x;
         x = icalcomponent_get_next_property(e, ICAL_EXDATE_PROPERTY))
        ev.exceptionDates.append(fromIcal(icalproperty_get_datetime_with_component(x, e)));
    for (icalcomponent *a = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(e, ICAL_VALARM_COMPONENT)) {
        if (icalproperty *trigger = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY))
            ev.alarms.append(icaldurationtype_as_int(icalproperty_get_trigger(trigger).duration));
    }
    return ev;
}

} // namespace

WMEventCalendarTool &WMEventCalendarTool::sharedEventCalendar()
{
    static WMEventCalendarTool tool;
    return tool;
}

QString WMEventCalendarTool::folder()
{
    return AppPaths::dataDir() + QStringLiteral("/calendars");
}

QString WMEventCalendarTool::recurrenceRule(int period, const QDateTime &startDate)
{
    static const char *const days[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    switch (period) {
    case 1:
        return QStringLiteral("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR");
    case 2:
        return QStringLiteral("FREQ=WEEKLY;BYDAY=%1")
            .arg(QLatin1String(days[std::clamp(startDate.date().dayOfWeek(), 1, 7) - 1]));
    default:
        return QString();
    }
}

void WMEventCalendarTool::checkCalendarCanUsedCompletion(Completion completion)
{
    const QString dir = folder();
    // A link in the folder's place is removed as a link: the calendars are never written elsewhere.
    if (QFileInfo(dir).isSymLink())
        QFile::remove(dir);
    bool granted = QDir().mkpath(dir) && !QFileInfo(dir).isSymLink();
    if (granted) {
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QTemporaryFile probe(dir + QStringLiteral("/.korvi-probe-XXXXXX"));
        granted = probe.open() && probe.write("x", 1) == 1;
    }
    if (granted)
        complete(completion, true, std::nullopt);
    else
        complete(completion, false, CalendarError{kNotAuthorizedCode, RecordTexts::kNotAuthorized});
}

void WMEventCalendarTool::createCalendarIdentifier(const QString &key, const QString &title, Completion completion)
{
    std::vector<CalendarFile> all = loadAll();
    QString identifier;
    bool created = false;
    for (const CalendarFile &file : all) {
        if (xProperty(file.calendar.get(), kNameProperty) == title) {
            identifier = xProperty(file.calendar.get(), kIdProperty);
            break;
        }
    }
    if (identifier.isEmpty()) {
        identifier = QUuid::createUuid().toString(QUuid::WithoutBraces);
        CalendarFile file{QDir(folder()).filePath(identifier + QStringLiteral(".ics")),
                          Component(icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                                        icalproperty_new_prodid("-//Korvi//Korvi//ZH"),
                                                        static_cast<void *>(nullptr)))};
        addXProperty(file.calendar.get(), kNameProperty, title);
        addXProperty(file.calendar.get(), kIdProperty, identifier);
        if (!save(file)) {
            complete(completion, false, storeFailed());
            return;
        }
        created = true;
    }
    if (key.isEmpty()) {
        complete(completion, false, noIdentifier());
        return;
    }
    UserDefaults::standardUserDefaults().setObject(identifier, key);
    complete(completion, created, std::nullopt);
}

void WMEventCalendarTool::createEventIdentifier(const QString &key, const QString &title, const QString &location,
                                                const QDateTime &startDate, const QDateTime &endDate, bool allDay,
                                                const QStringList &alarms, const QString &notes, const QUrl &url,
                                                const QString &calendarKey, int period, Completion completion)
{
    // The stored calendar, else the first one there is.
    const QString calendarId = UserDefaults::standardUserDefaults().objectForKey(calendarKey).toString();
    std::vector<CalendarFile> all = loadAll();
    CalendarFile *target = nullptr;
    for (CalendarFile &file : all) {
        if (!calendarId.isEmpty() && xProperty(file.calendar.get(), kIdProperty) == calendarId) {
            target = &file;
            break;
        }
    }
    if (!target && !all.empty())
        target = &all.front();
    if (!target || !startDate.isValid() || !endDate.isValid()) {
        complete(completion, false, noIdentifier());
        return;
    }
    const WriteZone zone = writeZone();
    icalcomponent *event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    icalcomponent_set_uid(event, uid.toUtf8().constData());
    icalcomponent_set_dtstamp(event, icaltime_current_time_with_zone(icaltimezone_get_utc_timezone()));
    icalcomponent_set_summary(event, title.toUtf8().constData());
    icalcomponent_set_location(event, location.toUtf8().constData());
    icaltimetype start = toIcal(startDate, zone);
    icaltimetype end = toIcal(endDate, zone);
    if (allDay) {
        start.is_date = 1;
        end.is_date = 1;
    }
    icalcomponent_set_dtstart(event, start);
    icalcomponent_set_dtend(event, end);
    // The weekday of the start where it is written, so the series falls on the day chosen.
    const QString rule = recurrenceRule(period, startDate.toTimeZone(zone.qt));
    if (!rule.isEmpty())
        icalcomponent_add_property(event,
                                   icalproperty_new_rrule(icalrecurrencetype_from_string(rule.toUtf8().constData())));
    if (!notes.isEmpty())
        icalcomponent_set_description(event, notes.toUtf8().constData());
    if (url.isValid())
        icalcomponent_add_property(event, icalproperty_new_url(url.toString().toUtf8().constData()));
    for (const QString &alarm : alarms) {
        icalcomponent *valarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icalcomponent_add_property(valarm, icalproperty_new_description(title.toUtf8().constData()));
        icaltriggertype trigger;
        trigger.time = icaltime_null_time();
        trigger.duration = icaldurationtype_from_int(alarm.toInt());
        icalcomponent_add_property(valarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_component(event, valarm);
    }
    if (!key.isEmpty())
        addXProperty(event, kKeyProperty, key);
    ensureZone(target->calendar.get(), zone.ical);
    icalcomponent_add_component(target->calendar.get(), event);
    if (!save(*target)) {
        complete(completion, false, storeFailed());
        return;
    }
    if (key.isEmpty()) {
        complete(completion, false, noIdentifier());
        return;
    }
    UserDefaults::standardUserDefaults().setObject(uid, key);
    complete(completion, true, std::nullopt);
}

std::optional<CalendarEvent> WMEventCalendarTool::checkToEventIdentifier(const QString &key) const
{
    const QString uid = UserDefaults::standardUserDefaults().objectForKey(key).toString();
    if (uid.isEmpty())
        return std::nullopt;
    for (const CalendarFile &file : loadAll()) {
        if (icalcomponent *e = findEvent(file.calendar.get(), uid))
            return toEvent(e, xProperty(file.calendar.get(), kIdProperty));
    }
    return std::nullopt;
}

QList<CalendarEvent> WMEventCalendarTool::checkToStartDate(const QDateTime &startDate, const QDateTime &endDate,
                                                           const QString &title, const QString &calendarKey) const
{
    const QString calendarId =
        calendarKey.isEmpty() ? QString() : UserDefaults::standardUserDefaults().objectForKey(calendarKey).toString();
    QList<CalendarEvent> out;
    for (const CalendarFile &file : loadAll()) {
        const QString id = xProperty(file.calendar.get(), kIdProperty);
        if (!calendarKey.isEmpty() && id != calendarId)
            continue;
        for (icalcomponent *e = icalcomponent_get_first_component(file.calendar.get(), ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(file.calendar.get(), ICAL_VEVENT_COMPONENT)) {
            CalendarEvent ev = toEvent(e, id);
            if (ev.startDate < endDate && ev.endDate > startDate && (title.isEmpty() || ev.title == title))
                out.append(ev);
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const CalendarEvent &a, const CalendarEvent &b) { return a.startDate < b.startDate; });
    return out;
}

bool WMEventCalendarTool::deleteCalendarEventIdentifier(const QString &eventIdentifier, int period)
{
    if (eventIdentifier.isEmpty())
        return false;
    for (CalendarFile &file : loadAll()) {
        icalcomponent *e = findEvent(file.calendar.get(), eventIdentifier);
        if (!e)
            continue;
        const bool series = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY) != nullptr;
        if (period == 0 && series) {
            // This occurrence only: the series skips its first one.
            addExceptionDate(e, fromIcal(icalcomponent_get_dtstart(e)));
        } else {
            icalcomponent_remove_component(file.calendar.get(), e);
            icalcomponent_free(e);
        }
        return save(file);
    }
    return false;
}

bool WMEventCalendarTool::deleteEventsOfKey(const QString &key)
{
    if (key.isEmpty())
        return true;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    const QString stored = defaults.objectForKey(key).toString();
    bool ok = true;
    for (CalendarFile &file : loadAll()) {
        const QList<icalcomponent *> events = eventsOfKey(file.calendar.get(), key, stored);
        if (events.isEmpty())
            continue;
        for (icalcomponent *e : events) {
            icalcomponent_remove_component(file.calendar.get(), e);
            icalcomponent_free(e);
        }
        ok = save(file) && ok;
    }
    // Only once they are gone: a failed write keeps the way to find them.
    if (ok)
        defaults.removeObjectForKey(key);
    return ok;
}

bool WMEventCalendarTool::skipOccurrence(const QString &key, const QDateTime &occurrenceStart)
{
    if (key.isEmpty() || !occurrenceStart.isValid())
        return false;
    const QString stored = UserDefaults::standardUserDefaults().objectForKey(key).toString();
    bool ok = true;
    for (CalendarFile &file : loadAll()) {
        bool changed = false;
        for (icalcomponent *e : eventsOfKey(file.calendar.get(), key, stored)) {
            if (icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY)) {
                addExceptionDate(e, occurrenceStart);
                changed = true;
            } else if (fromIcal(icalcomponent_get_dtstart(e)) == occurrenceStart) {
                // The occurrence was changed once before: its one-off goes.
                icalcomponent_remove_component(file.calendar.get(), e);
                icalcomponent_free(e);
                changed = true;
            }
        }
        if (changed)
            ok = save(file) && ok;
    }
    return ok;
}

bool WMEventCalendarTool::deleteCalendarStartDate(const QDateTime &startDate, const QDateTime &endDate,
                                                  const QString &title, const QString &calendarKey)
{
    bool ok = true;
    for (const CalendarEvent &ev : checkToStartDate(startDate, endDate, title, calendarKey))
        ok = deleteCalendarEventIdentifier(ev.eventIdentifier, 0) && ok;
    return ok;
}

void WMEventCalendarTool::modifyEventIdentifier(const QString &key, const QString &title, const QString &location,
                                                const QDateTime &startDate, const QDateTime &endDate, bool allDay,
                                                const QStringList &alarms, const QString &notes, const QUrl &url,
                                                const QString &calendarKey, Completion completion)
{
    if (const auto old = checkToEventIdentifier(key))
        deleteCalendarEventIdentifier(old->eventIdentifier, 0);
    createEventIdentifier(key, title, location, startDate, endDate, allDay, alarms, notes, url, calendarKey, 0,
                          std::move(completion));
}
