#pragma once

#include <QString>
#include <QtGlobal>

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

[[nodiscard]] MinutesSeconds split(qint64 totalSeconds);
// One second less, borrowing a minute at :00; 00:00 stays.
[[nodiscard]] MinutesSeconds tick(MinutesSeconds time);
// "%02d".
[[nodiscard]] QString twoDigits(qint64 value);

} // namespace CountDownRules
