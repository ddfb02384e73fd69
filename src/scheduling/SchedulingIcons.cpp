#include "scheduling/SchedulingIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace SchedulingIcons {

QPixmap image(const QString &name, int side)
{
    if (name != kDropdown && name != kUp && name != kDelete && name != kTick)
        return {};
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    if (name == kDropdown || name == kUp) {
        p.setPen(QPen(QColor(0x99, 0x99, 0x99), s * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal top = name == kDropdown ? s * 0.38 : s * 0.62;
        const qreal tip = name == kDropdown ? s * 0.62 : s * 0.38;
        p.drawPolyline(QPolygonF{{s * 0.25, top}, {s * 0.5, tip}, {s * 0.75, top}});
    } else if (name == kDelete) {
        p.setPen(QPen(QColor(0x99, 0x99, 0x99), s * 0.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.3, s * 0.3), QPointF(s * 0.7, s * 0.7));
        p.drawLine(QPointF(s * 0.7, s * 0.3), QPointF(s * 0.3, s * 0.7));
    } else {
        p.setPen(QPen(QColor(0x00, 0x7A, 0xFF), s * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{{s * 0.2, s * 0.52}, {s * 0.42, s * 0.72}, {s * 0.8, s * 0.3}});
    }
    return pixmap;
}

} // namespace SchedulingIcons
