#include "meeting/panels/CountDownRules.h"

#include <algorithm>

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

std::optional<qint64> remainingMs(const QVariant &value)
{
    qint64 ms = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        ms = value.toLongLong();
        break;
    case QMetaType::ULongLong:
        if (value.toULongLong() > quint64(kLongestMs + 1000))
            return std::nullopt;
        ms = qint64(value.toULongLong());
        break;
    case QMetaType::Double: {
        const double d = value.toDouble();
        // A double outside the range would overflow the conversion.
        if (!(d >= 0 && d <= double(kLongestMs + 1000)))
            return std::nullopt;
        ms = qint64(d);
        break;
    }
    default:
        return std::nullopt;
    }
    if (ms < 0 || ms > kLongestMs + 1000)
        return std::nullopt;
    return std::min(ms, kLongestMs);
}

} // namespace CountDownRules
