#include "scheduling/MeetingListIcons.h"

#include "uikit/VeskCategories.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>

namespace MeetingListIcons {

namespace {
QPixmap draw(const QString &name, int side)
{
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(side, side) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1, 1, side - 2, side - 2);
    if (name == kPeriodicDay || name == kPeriodicWeek) {
        p.setPen(Qt::NoPen);
        p.setBrush(vesk::colorWithHexString(QStringLiteral("007AFF")));
        p.drawRoundedRect(box, 3, 3);
        p.setPen(Qt::white);
        p.setFont(vesk::systemFont(side * 0.6));
        p.drawText(box, Qt::AlignCenter, name == kPeriodicDay ? QStringLiteral("日") : QStringLiteral("周"));
    } else if (name == kRecordFile) {
        p.setPen(QPen(vesk::colorWithHexString(QStringLiteral("2ABA00")), 1.2));
        p.drawRect(box.adjusted(side * 0.15, 0, -side * 0.15, 0));
        for (int i = 1; i <= 3; ++i)
            p.drawLine(QPointF(side * 0.3, side * 0.22 * i + 1), QPointF(side * 0.7, side * 0.22 * i + 1));
    } else if (name == kRecordVideo) {
        p.setPen(Qt::NoPen);
        p.setBrush(vesk::colorWithHexString(QStringLiteral("FF6B4A")));
        p.drawRoundedRect(QRectF(1, side * 0.25, side * 0.65, side * 0.5), 2, 2);
        const QPointF tri[3] = {{side * 0.68, side * 0.5}, {side - 1.0, side * 0.28}, {side - 1.0, side * 0.72}};
        p.drawPolygon(tri, 3);
    } else {
        return QPixmap();
    }
    return pm;
}
} // namespace

QPixmap image(const QString &name, int side)
{
    static QHash<QString, QPixmap> cache;
    const QString key = name + QLatin1Char('@') + QString::number(side);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const QPixmap pm = draw(name, side);
    cache.insert(key, pm);
    return pm;
}

std::optional<QString> periodImageName(int cycleType)
{
    switch (cycleType) {
    case 0:
        return QString();
    case 1:
        return kPeriodicDay;
    case 2:
        return kPeriodicWeek;
    default:
        return std::nullopt;
    }
}

} // namespace MeetingListIcons
