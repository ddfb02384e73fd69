#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

// Why a calendar call failed: a code and its text (3072 "未授权", 512 for a missing identifier or
// a failed write).
struct CalendarError {
    qint64 code = 0;
    QString text;
};

// One event as the calendar file holds it.
struct CalendarEvent {
    QString eventIdentifier; // the event's UID
    QString calendarIdentifier;
    QString title;
    QString location;
    QString notes;
    QUrl url;
    QDateTime startDate;
    QDateTime endDate;
    bool allDay = false;
    QList<qint64> alarms; // seconds relative to the start
    QString rrule;        // "" when it does not repeat
    QList<QDateTime> exceptionDates;
};

// The app's calendars on Linux: one iCalendar file per calendar in "calendars" of the user's data
// folder, read and written with libical and saved whole (QSaveFile; links in the folder are
// neither read nor written through). A calendar's identifier is a UUID kept in its file; an
// event's identifier is its UID, and it carries the key it was written under. Times are written
// as wall-clock times of the system's zone with its TZID (its VTIMEZONE in the file), so a
// calendar program shows a meeting when it was scheduled, a series on the chosen weekday and
// across summer time. Calendar programs can subscribe to the file. Linux asks no permission:
// access is granted when the folder can be made and written.
// Main thread only; each call's completion runs once, later, on the main thread.
class WMEventCalendarTool final {
public:
    using Completion = std::function<void(bool ok, const std::optional<CalendarError> &error)>;

    static constexpr qint64 kNotAuthorizedCode = 3072;
    static constexpr qint64 kStoreFailedCode = 512;

    static WMEventCalendarTool &sharedEventCalendar();

    // The calendars' folder.
    [[nodiscard]] static QString folder();

    // Granted when the folder can be made and a file written in it; else (NO, 3072 "未授权").
    void checkCalendarCanUsedCompletion(Completion completion);
    // Finds the calendar titled so (the first in file-name order) or creates it, and stores its
    // identifier under the user-defaults key.
    void createCalendarIdentifier(const QString &key, const QString &title, Completion completion);
    // Writes one event into the calendar stored under calendarKey and stores its identifier
    // under key. Period 1: Monday to Friday; 2: weekly on the start's weekday; else no repeat.
    void createEventIdentifier(const QString &key, const QString &title, const QString &location,
                               const QDateTime &startDate, const QDateTime &endDate, bool allDay,
                               const QStringList &alarms, const QString &notes, const QUrl &url,
                               const QString &calendarKey, int period, Completion completion);
    // The event whose identifier is stored under the key.
    [[nodiscard]] std::optional<CalendarEvent> checkToEventIdentifier(const QString &key) const;
    // Events overlapping start..end, in the calendar stored under calendarKey (all when empty),
    // with that exact title when one is given; by start date.
    [[nodiscard]] QList<CalendarEvent> checkToStartDate(const QDateTime &startDate, const QDateTime &endDate,
                                                        const QString &title, const QString &calendarKey) const;
    // Period 0 removes this occurrence (the event's first: an exception date on a series, the
    // event when it does not repeat); any other period this and the following ones (the event).
    bool deleteCalendarEventIdentifier(const QString &eventIdentifier, int period = 0);
    // Removes every event written under the key (also those a later one replaced there) and then
    // forgets the key; false when a calendar could not be written.
    bool deleteEventsOfKey(const QString &key);
    // The events written under the key leave out the occurrence starting then: a series skips it,
    // a one-off starting then goes. False when a calendar could not be written.
    bool skipOccurrence(const QString &key, const QDateTime &occurrenceStart);
    bool deleteCalendarStartDate(const QDateTime &startDate, const QDateTime &endDate, const QString &title,
                                 const QString &calendarKey);
    // Replaces the event stored under the key (removed, then written again, period 0).
    void modifyEventIdentifier(const QString &key, const QString &title, const QString &location,
                               const QDateTime &startDate, const QDateTime &endDate, bool allDay,
                               const QStringList &alarms, const QString &notes, const QUrl &url,
                               const QString &calendarKey, Completion completion);

    // The RRULE of a period for an event starting then ("" for none).
    [[nodiscard]] static QString recurrenceRule(int period, const QDateTime &startDate);

private:
    WMEventCalendarTool() = default;
};
