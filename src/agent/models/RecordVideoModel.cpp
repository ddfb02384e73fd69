#include "agent/models/RecordVideoModel.h"

#include "foundation/JXExtension.h"

#include <cmath>

JX_REGISTER_MODEL(RecordVideoInfo)
JX_REGISTER_MODEL(RecordVideoModel)
JX_REGISTER_MODEL(RecordVideoProgressInfo)
JX_REGISTER_MODEL(RecordFileModel)

QString RecordVideoInfo::durationDisplay() const
{
    // Counted here rather than through a clock time, so a length of a day or more keeps its hours.
    // A length outside [0, about 31,000 years] is no length.
    if (!std::isfinite(dvrTimeLength) || dvrTimeLength < 0 || dvrTimeLength > 1e12)
        return QStringLiteral("00:00");
    const auto total = static_cast<qint64>(dvrTimeLength);
    const qint64 hours = total / 3600;
    const qint64 minutes = total % 3600 / 60;
    const qint64 seconds = total % 60;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (dvrTimeLength / 3600.0 >= 1.0)
        return two(hours) + QLatin1Char(':') + two(minutes) + QLatin1Char(':') + two(seconds);
    return two(minutes) + QLatin1Char(':') + two(seconds);
}
