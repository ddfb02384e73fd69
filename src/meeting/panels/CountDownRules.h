#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <optional>

// The arithmetic of the count-down views, apart from their widgets.
namespace CountDownRules {

// The setter's digits change on their own, without carry: + past the last value gives 0, − below 0
// gives the last value. limit is the number of values (6 for tens, 10 for units).
[[nodiscard]] int digitAdd(int value, int limit);
[[nodiscard]] int digitSubtract(int value, int limit);

// The shortest count-down the host may start, in seconds.
inline constexpr qint64 kShortestStart = 15;

struct MinutesSeconds {
    qint64 minutes = 0;
    qint64 seconds = 0;
    friend bool operator==(const MinutesSeconds &, const MinutesSeconds &) = default;
};

// The longest count-down the setter can show: 99:59.
inline constexpr qint64 kLongestMs = (99 * 60 + 59) * 1000LL;
// The time left a reply of the service names, in ms: a whole number from 0 to kLongestMs (one second
// of slack for the service's rounding); anything else, or a value that is no number, is no count-down.
[[nodiscard]] std::optional<qint64> remainingMs(const QVariant &value);

[[nodiscard]] MinutesSeconds split(qint64 totalSeconds);
// One second less, borrowing a minute at :00; 00:00 stays.
[[nodiscard]] MinutesSeconds tick(MinutesSeconds time);
// "%02d".
[[nodiscard]] QString twoDigits(qint64 value);

} // namespace CountDownRules
