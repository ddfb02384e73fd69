#include "foundation/models/KVSubTitleRecord.h"

#include "foundation/JXExtension.h"

#include <QDateTime>

#include <cmath>

JX_REGISTER_MODEL(KVSubTitleRecord)

QString KVSubTitleRecord::timeString() const
{
    // Past year 9999 (or before year 1) a reply's number is no time; converting it would overflow.
    constexpr double kLimitMs = 253402300799000.0;
    if (!std::isfinite(timeStamp) || timeStamp > kLimitMs || timeStamp < -62135596800000.0)
        return {};
    const auto seconds = static_cast<qint64>(timeStamp / 1000.0);
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("HH:mm:ss"));
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_KVSubTitleRecord.cpp"
