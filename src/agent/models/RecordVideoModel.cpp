#include "agent/models/RecordVideoModel.h"

#include "foundation/JXExtension.h"

#include <QDateTime>

#include <cmath>

JX_REGISTER_MODEL(RecordVideoInfo)
JX_REGISTER_MODEL(RecordVideoModel)
JX_REGISTER_MODEL(RecordVideoProgressInfo)
JX_REGISTER_MODEL(RecordFileModel)

QString RecordVideoInfo::durationDisplay() const
{
    // A length from the reply outside [0, about 31,000 years] is no length; converting it to
    // milliseconds would overflow.
    if (!std::isfinite(dvrTimeLength) || dvrTimeLength < 0 || dvrTimeLength > 1e12)
        return QStringLiteral("00:00");
    const auto ms = static_cast<qint64>(dvrTimeLength * 1000.0);
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    return at.toString(dvrTimeLength / 3600.0 >= 1.0 ? QStringLiteral("HH:mm:ss") : QStringLiteral("mm:ss"));
}
