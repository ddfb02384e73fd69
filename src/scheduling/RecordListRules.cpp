#include "scheduling/RecordListRules.h"

#include "scheduling/RecordTexts.h"

#include <QSize>

#include <algorithm>

namespace RecordListRules {

QString pageSizeText(qint64 bytes)
{
    const qint64 kilobytes = bytes / 1024;
    return RecordTexts::kSize.arg(QString::number(double(kilobytes) / 1024.0, 'f', 2));
}

QString cellSizeText(qint64 bytes)
{
    return RecordTexts::kSize.arg(QString::number(double(bytes) / 1024.0 / 1024.0, 'f', 2));
}

QString documentTimeText(double beginTimeMs)
{
    if (!(beginTimeMs >= 0 && beginTimeMs < 1e15))
        return QString();
    return QDateTime::fromMSecsSinceEpoch(qint64(beginTimeMs / 1000.0) * 1000)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString durationText(qint64 minutes)
{
    const qint64 d = std::max<qint64>(0, minutes);
    if (d < 60)
        return RecordTexts::kMinutes.arg(d % 60);
    if (d % 60 == 0)
        return RecordTexts::kHours.arg(d / 60);
    return RecordTexts::kHoursMinutes.arg(d / 60).arg(d % 60);
}

QSize meetingInfoSize(const QSize &screen, bool hasPassword)
{
    return {std::min(screen.width() - 200, 544), std::min(screen.height() - 100, hasPassword ? 570 : 526)};
}

QSize meetingListSize(const QSize &screen)
{
    return {std::min(screen.width() - 200, 822), std::min(screen.height() - 100, 811)};
}

} // namespace RecordListRules
