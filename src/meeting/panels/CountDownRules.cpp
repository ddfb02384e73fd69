#include "meeting/panels/CountDownRules.h"

namespace CountDownRules {

int digitAdd(int value, int limit)
{
    const int next = value + 1;
    return next >= limit ? 0 : next;
}

int digitSubtract(int value, int limit)
{
    const int next = value - 1;
    return next < 0 ? limit - 1 : next;
}

MinutesSeconds split(qint64 totalSeconds)
{
    return {totalSeconds / 60, totalSeconds % 60};
}

MinutesSeconds tick(MinutesSeconds time)
{
    if (time.seconds > 0)
        --time.seconds;
    else if (time.minutes >= 1)
        time = {time.minutes - 1, 59};
    return time;
}

QString twoDigits(qint64 value)
{
    return QString::asprintf("%02lld", static_cast<long long>(value));
}

} // namespace CountDownRules
