#pragma once

#include <QDateTime>
#include <QString>

// Date categories. Dates are local times; formatting and parsing use fixed patterns with ASCII
// digits whatever the user's locale, since these strings travel to and from the service.
// An invalid QDateTime formats as "" and an unparsable text gives an invalid QDateTime.
// Every function is thread-safe.

namespace StringFormatter {
// "yyyy-MM-dd HH:mm:ss" (server times).
[[nodiscard]] QString defaultDateString(const QDateTime &date);
// "yyyy-MM-dd HH:mm" (scheduled meeting begin and end).
[[nodiscard]] QString defaultDateStringWithOutSecond(const QDateTime &date);
// "yyyy-MM-dd HH:mm:ss:SSS" (operation records).
[[nodiscard]] QString moreDefaultDateString(const QDateTime &date);
// The date in a date pattern as callers write them ("yyyy年MM月dd日", "HH:mm:ss", "...:SSS"):
// "S" fractions, "E" weekday names, "a" am/pm and "z" zone are taken in their date-pattern meaning.
[[nodiscard]] QString stringWithFormat(const QDateTime &date, const QString &pattern);
} // namespace StringFormatter

namespace DateFromString {
// Parses "yyyy-MM-dd HH:mm"; invalid for empty or unparsable text. A wall time the clock skips
// (summer time begins) reads as the time the skip leads to (02:30 as 03:30).
[[nodiscard]] QDateTime defaultDateWithOutSecondFromString(const QString &text);
} // namespace DateFromString

namespace Utilities {
[[nodiscard]] QDateTime dateByAddingMinutes(const QDateTime &date, qint64 minutes);
[[nodiscard]] QDateTime dateByAddingHours(const QDateTime &date, qint64 hours);
// 1 = Sunday ... 7 = Saturday; 0 for an invalid date.
[[nodiscard]] int weekday(const QDateTime &date);
} // namespace Utilities
