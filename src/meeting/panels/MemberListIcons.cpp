#include "meeting/panels/MemberListIcons.h"

#include "meeting/common/MeetingIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using MeetingIcons::Painter;

const QColor kWhite(0xF0, 0xF0, 0xF0);
const QColor kGrey(0x8E, 0x8E, 0x93);
const QColor kBlue(0x00, 0x7A, 0xFF);

void share(QPainter &p, double s, bool on)
{
    p.setPen(QPen(on ? kBlue : kGrey, s * 0.08));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(s * 0.1, s * 0.18, s * 0.8, s * 0.56), s * 0.06, s * 0.06);
    p.drawLine(QPointF(s * 0.5, s * 0.62), QPointF(s * 0.5, s * 0.32));
    p.drawLine(QPointF(s * 0.38, s * 0.44), QPointF(s * 0.5, s * 0.32));
    p.drawLine(QPointF(s * 0.62, s * 0.44), QPointF(s * 0.5, s * 0.32));
    p.drawLine(QPointF(s * 0.3, s * 0.86), QPointF(s * 0.7, s * 0.86));
}

void checkbox(QPainter &p, double s, int kind) // 0 empty, 1 ticked, 2 disabled
{
    const QRectF box(s * 0.15, s * 0.15, s * 0.7, s * 0.7);
    p.setPen(QPen(kind == 2 ? QColor(0x55, 0x55, 0x55) : kGrey, s * 0.07));
    p.setBrush(kind == 1 ? kBlue : (kind == 2 ? QColor(0x3A, 0x3A, 0x3C) : Qt::transparent));
    if (kind == 1)
        p.setPen(Qt::NoPen);
    p.drawRoundedRect(box, s * 0.12, s * 0.12);
    if (kind == 1) {
        p.setPen(QPen(Qt::white, s * 0.09));
        p.drawPolyline(QPolygonF{{s * 0.3, s * 0.5}, {s * 0.45, s * 0.65}, {s * 0.7, s * 0.36}});
    }
}

void arrow(QPainter &p, double s, bool up, const QColor &colour = Qt::white)
{
    p.setPen(QPen(colour, s * 0.1));
    const double a = up ? 0.62 : 0.4;
    const double b = up ? 0.4 : 0.62;
    p.drawLine(QPointF(s * 0.28, s * a), QPointF(s * 0.5, s * b));
    p.drawLine(QPointF(s * 0.72, s * a), QPointF(s * 0.5, s * b));
}

QHash<QString, Painter> painters()
{
    QHash<QString, Painter> h;
    h.insert(QStringLiteral("microphone"),
             [](QPainter &p, double s) { MeetingIcons::paint(QStringLiteral("toolbar_mic_on"), p, s); });
    h.insert(QStringLiteral("microphone_off"),
             [](QPainter &p, double s) { MeetingIcons::paint(QStringLiteral("toolbar_mic_off"), p, s); });
    h.insert(QStringLiteral("camera_on"),
             [](QPainter &p, double s) { MeetingIcons::paint(QStringLiteral("toolbar_camera_on"), p, s); });
    h.insert(QStringLiteral("camera_off"),
             [](QPainter &p, double s) { MeetingIcons::paint(QStringLiteral("toolbar_camera_off"), p, s); });
    h.insert(QStringLiteral("ic_share_ing"), [](QPainter &p, double s) { share(p, s, true); });
    h.insert(QStringLiteral("ic_share_disable"), [](QPainter &p, double s) { share(p, s, false); });
    h.insert(QStringLiteral("checkbox_dark_nor"), [](QPainter &p, double s) { checkbox(p, s, 0); });
    h.insert(QStringLiteral("checkbox_dark_sel"), [](QPainter &p, double s) { checkbox(p, s, 1); });
    h.insert(QStringLiteral("checkbox_dark_disable"), [](QPainter &p, double s) { checkbox(p, s, 2); });
    h.insert(QStringLiteral("arrow_down_talk"), [](QPainter &p, double s) { arrow(p, s, false); });
    h.insert(QStringLiteral("arrow_up备份"), [](QPainter &p, double s) { arrow(p, s, true); });
    // The down arrow of a drop-down that is open.
    h.insert(QStringLiteral("arrow_down"), [](QPainter &p, double s) { arrow(p, s, false, kBlue); });
    h.insert(QStringLiteral("ic_menu_sel"), [](QPainter &p, double s) {
        p.setPen(QPen(kBlue, s * 0.1));
        p.drawPolyline(QPolygonF{{s * 0.2, s * 0.5}, {s * 0.42, s * 0.72}, {s * 0.8, s * 0.3}});
    });
    h.insert(QStringLiteral("member_more"), [](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(kWhite);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(s * (0.25 + 0.25 * i), s * 0.5), s * 0.07, s * 0.07);
    });
    h.insert(QStringLiteral("member_close"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawLine(QPointF(s * 0.28, s * 0.28), QPointF(s * 0.72, s * 0.72));
        p.drawLine(QPointF(s * 0.72, s * 0.28), QPointF(s * 0.28, s * 0.72));
    });
    h.insert(QStringLiteral("member_search"), [](QPainter &p, double s) {
        p.setPen(QPen(kGrey, s * 0.08));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.18, s * 0.18, s * 0.46, s * 0.46));
        p.drawLine(QPointF(s * 0.56, s * 0.56), QPointF(s * 0.82, s * 0.82));
    });
    return h;
}

const QHash<QString, Painter> &table()
{
    static const QHash<QString, Painter> t = painters();
    return t;
}

// Pixmaps made, by their cache key (copies share it), with their names.
QHash<qint64, QString> &madeNames()
{
    static QHash<qint64, QString> made;
    return made;
}

} // namespace

namespace MemberListIcons {

QPixmap image(const QString &name, int side)
{
    const auto it = table().constFind(name);
    if (it == table().constEnd() || side <= 0)
        return {};
    // One pixmap per name and size: the views share it, and its name can be read back.
    static QHash<QString, QPixmap> cache;
    const QString key = name + QLatin1Char('@') + QString::number(side);
    if (const auto hit = cache.constFind(key); hit != cache.constEnd())
        return *hit;
    const QPixmap pm = MeetingIcons::render(*it, side);
    cache.insert(key, pm);
    madeNames().insert(pm.cacheKey(), name);
    return pm;
}

QString nameOf(const QPixmap &pixmap)
{
    return pixmap.isNull() ? QString() : madeNames().value(pixmap.cacheKey());
}

QStringList names()
{
    return table().keys();
}

} // namespace MemberListIcons
