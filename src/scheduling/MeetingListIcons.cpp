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
    } else if (name == kPeriodic) {
        // Two arrows chasing each other round.
        p.setPen(Qt::NoPen);
        p.setBrush(vesk::colorWithHexString(QStringLiteral("007AFF")));
        p.drawRoundedRect(box, 3, 3);
        const QRectF ring = box.adjusted(side * 0.22, side * 0.22, -side * 0.22, -side * 0.22);
        p.setPen(QPen(Qt::white, std::max(1.0, side / 12.0), Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(ring, 30 * 16, 130 * 16);
        p.drawArc(ring, 210 * 16, 130 * 16);
        const qreal tip = side * 0.14;
        const QPointF top(ring.center().x() - ring.width() / 2 * 0.64, ring.top() + ring.height() * 0.1);
        const QPointF bottom(ring.center().x() + ring.width() / 2 * 0.64, ring.bottom() - ring.height() * 0.1);
        p.drawLine(top, top + QPointF(-tip, tip * 0.2));
        p.drawLine(top, top + QPointF(tip * 0.2, tip));
        p.drawLine(bottom, bottom + QPointF(tip, -tip * 0.2));
        p.drawLine(bottom, bottom + QPointF(-tip * 0.2, -tip));
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

QString rowPeriodImageName(bool isCycle, int cycleType)
{
    if (!isCycle)
        return QString();
    const QString named = periodImageName(cycleType).value_or(QString());
    return named.isEmpty() ? kPeriodic : named;
}

} // namespace MeetingListIcons
