#include "meeting/panels/PanelIcons.h"

#include "meeting/common/MeetingIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using MeetingIcons::Painter;

const QColor kWhite(0xF2, 0xF2, 0xF7);
const QColor kBlue(0x00, 0x7A, 0xFF);

QPen pen(const QColor &c, double s)
{
    QPen p(c, s * 0.08);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

void stopwatch(QPainter &p, double s, const QColor &c)
{
    p.setPen(pen(c, s));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(s * 0.5, s * 0.56), s * 0.34, s * 0.34);
    p.drawLine(QPointF(s * 0.4, s * 0.1), QPointF(s * 0.6, s * 0.1));
    p.drawLine(QPointF(s * 0.5, s * 0.1), QPointF(s * 0.5, s * 0.22));
    p.drawLine(QPointF(s * 0.5, s * 0.56), QPointF(s * 0.5, s * 0.36));
    p.drawLine(QPointF(s * 0.5, s * 0.56), QPointF(s * 0.64, s * 0.64));
}

void transcript(QPainter &p, double s, const QColor &c)
{
    p.setPen(pen(c, s));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(s * 0.18, s * 0.1, s * 0.64, s * 0.8), s * 0.08, s * 0.08);
    for (int i = 0; i < 3; ++i) {
        const double y = s * (0.32 + 0.18 * i);
        p.drawLine(QPointF(s * 0.32, y), QPointF(s * (i == 2 ? 0.52 : 0.68), y));
    }
}

void headset(QPainter &p, double s, const QColor &c)
{
    p.setPen(pen(c, s));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(s * 0.16, s * 0.14, s * 0.68, s * 0.7), 0, 180 * 16);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(s * 0.12, s * 0.5, s * 0.16, s * 0.3), s * 0.05, s * 0.05);
    p.drawRoundedRect(QRectF(s * 0.72, s * 0.5, s * 0.16, s * 0.3), s * 0.05, s * 0.05);
}

void gear(QPainter &p, double s, const QColor &c)
{
    p.setPen(pen(c, s));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.14, s * 0.14);
    p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.28, s * 0.28);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(s * 0.5, s * 0.5);
        p.rotate(45 * i);
        p.drawLine(QPointF(0, -s * 0.3), QPointF(0, -s * 0.4));
        p.restore();
    }
}

void chatBubble(QPainter &p, double s, const QColor &c)
{
    p.setPen(pen(c, s));
    p.setBrush(Qt::NoBrush);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(s * 0.12, s * 0.16, s * 0.76, s * 0.54), s * 0.12, s * 0.12);
    p.drawPath(bubble);
    p.drawPolyline(QPolygonF{{s * 0.3, s * 0.7}, {s * 0.26, s * 0.88}, {s * 0.48, s * 0.7}});
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(s * (0.34 + 0.16 * i), s * 0.43), s * 0.04, s * 0.04);
}

void checkBox(QPainter &p, double s, bool on)
{
    const QRectF box(s * 0.06, s * 0.06, s * 0.88, s * 0.88);
    p.setPen(on ? Qt::NoPen : QPen(QColor(0xC8, 0xC8, 0xCC), s * 0.08));
    p.setBrush(on ? kBlue : Qt::transparent);
    p.drawRoundedRect(box, s * 0.18, s * 0.18);
    if (on) {
        p.setPen(pen(Qt::white, s * 1.4));
        p.drawPolyline(QPolygonF{{s * 0.26, s * 0.52}, {s * 0.43, s * 0.68}, {s * 0.74, s * 0.32}});
    }
}

QHash<QString, Painter> painters()
{
    QHash<QString, Painter> h;
    h.insert(QStringLiteral("countdown_nor"), [](QPainter &p, double s) { stopwatch(p, s, kWhite); });
    h.insert(QStringLiteral("countdown_on"), [](QPainter &p, double s) { stopwatch(p, s, kBlue); });
    h.insert(QStringLiteral("transcribe"), [](QPainter &p, double s) { transcript(p, s, kWhite); });
    h.insert(QStringLiteral("transcribe_on"), [](QPainter &p, double s) { transcript(p, s, kBlue); });
    h.insert(QStringLiteral("setting"), [](QPainter &p, double s) { gear(p, s, kWhite); });
    h.insert(QStringLiteral("setting_bule"), [](QPainter &p, double s) { gear(p, s, kBlue); });
    h.insert(QStringLiteral("chat"), [](QPainter &p, double s) { chatBubble(p, s, kWhite); });
    h.insert(QStringLiteral("chat_on"), [](QPainter &p, double s) { chatBubble(p, s, kBlue); });
    h.insert(QStringLiteral("headset"), [](QPainter &p, double s) { headset(p, s, kWhite); });
    h.insert(QStringLiteral("headset_blue"), [](QPainter &p, double s) { headset(p, s, kBlue); });
    h.insert(QStringLiteral("panel_arrow_up"), [](QPainter &p, double s) {
        p.setPen(pen(kWhite, s));
        p.drawPolyline(QPolygonF{{s * 0.3, s * 0.6}, {s * 0.5, s * 0.4}, {s * 0.7, s * 0.6}});
    });
    h.insert(QStringLiteral("panel_close"), [](QPainter &p, double s) {
        p.setPen(pen(kWhite, s));
        p.drawLine(QPointF(s * 0.28, s * 0.28), QPointF(s * 0.72, s * 0.72));
        p.drawLine(QPointF(s * 0.72, s * 0.28), QPointF(s * 0.28, s * 0.72));
    });
    h.insert(QStringLiteral("check_box_off"), [](QPainter &p, double s) { checkBox(p, s, false); });
    h.insert(QStringLiteral("check_box_on"), [](QPainter &p, double s) { checkBox(p, s, true); });
    h.insert(QStringLiteral("member_camera_on"),
             [](QPainter &p, double s) { MeetingIcons::paint(QStringLiteral("toolbar_camera_on"), p, s); });
    h.insert(QStringLiteral("member_camera_off"),
             [](QPainter &p, double s) { MeetingIcons::paint(QStringLiteral("toolbar_camera_off"), p, s); });
    return h;
}

const QHash<QString, Painter> &table()
{
    static const QHash<QString, Painter> t = painters();
    return t;
}

} // namespace

namespace PanelIcons {

QPixmap image(const QString &name, int side)
{
    const auto it = table().constFind(name);
    return it == table().constEnd() ? QPixmap() : MeetingIcons::render(*it, side);
}

} // namespace PanelIcons
