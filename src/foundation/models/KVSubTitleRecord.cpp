#include "foundation/models/KVSubTitleRecord.h"

#include "foundation/JXExtension.h"

#include <QDateTime>

#include <cmath>

JX_REGISTER_MODEL(KVSubTitleRecord)

QString KVSubTitleRecord::timeString() const
{
    if (!std::isfinite(timeStamp))
        return {};
    const auto seconds = static_cast<qint64>(timeStamp / 1000.0);
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("HH:mm:ss"));
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_KVSubTitleRecord.cpp"
