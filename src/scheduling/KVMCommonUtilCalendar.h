#pragma once

#include "agent/AgentEnvironment.h"
#include "foundation/models/MeetingDataModel.h"

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

struct CalendarError;

// The calendar functions of the shared utility, over WMEventCalendarTool: the app's calendar
// "Korvi会议" under "EventCalendar_1", an event per meeting under "EventIdentifier_" + its room
// id. Each completion runs once, on the main thread.
namespace KVMCommonUtilCalendar {

inline const QString kCalendarKey = QStringLiteral("EventCalendar_1");
inline const QString kHadAllowedKey = QStringLiteral("kKVCalendarHadAllowed");
inline const QString kSyncCalendarKey = QStringLiteral("kSyncCalendarKey");

using Completion = std::function<void(bool ok, const std::optional<CalendarError> &error)>;

// The event key of a meeting (both the writing and the removing side).
[[nodiscard]] QString eventKey(const QString &roomId);

// The access check; a granted one records "kKVCalendarHadAllowed", a refused one writes nothing.
void checkCalendarCanUsedCompletion(Completion completion);
// The recorded grant (false when absent).
[[nodiscard]] bool getCalendarIsAuthorized();
// Finds or makes the app's calendar, then writes the meeting's event under key.
void createEventCalendarTitle(const QString &title, const QString &url, const QDateTime &startDate,
                              const QDateTime &endDate, int period, const QString &key, Completion completion);
// Removes the event stored under key (by its identifier, wherever the meeting has moved), then
// forgets the key; ok tells whether an event was removed.
void deteleteEventCalendarTitleStartDate(const QDateTime &startDate, const QDateTime &endDate, const QString &key,
                                         int period, std::function<void(bool ok)> completion);

// The period of a meeting's event: 0 for this occurrence only or a one-off meeting, else 1 daily
// and 2 weekly by its cycle type.
[[nodiscard]] int periodOf(const MeetingDataModel &meeting);

// The link an event carries: the service's https address (or, in the development environment,
// the stand-in's http one); anything else (javascript:, file:, another http host) gives none.
[[nodiscard]] QUrl eventUrl(const QString &link, const AgentEnvironment &environment);

// The home page's calendar step after a create, update, end or cancel: wish false and never
// allowed touches nothing; else every event written for the meeting goes and, when wished, the
// meeting's is written. An edit of one occurrence of a series (editedOccurrence: where that
// occurrence began) only takes that occurrence out of what was written and writes it as a
// one-off. noAccess is called when access is refused and the event was wished (the home page's
// toast).
void syncCalendar(const MeetingDataModel &meeting, bool sync, std::function<void()> noAccess,
                  std::function<void()> done = {}, const QDateTime &editedOccurrence = {});
// A meeting that is gone (ended from its window): every event written for it goes.
void removeMeeting(const QString &roomId, std::function<void()> done = {});

} // namespace KVMCommonUtilCalendar
