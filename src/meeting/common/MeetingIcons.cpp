#include "meeting/common/MeetingIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using MeetingIcons::Painter;

const QColor kWhite(0xF2, 0xF2, 0xF7);
const QColor kRed(0xFF, 0x65, 0x6B);
const QColor kGreen(0x34, 0xC7, 0x59);
const QColor kYellow(0xF6, 0xCF, 0x4D);
const QColor kBlue(0x00, 0x7A, 0xFF);

void signalBars(QPainter &p, double s, int lit, const QColor &on)
{
    const QColor off(0x5C, 0x5E, 0x66);
    for (int i = 0; i < 4; ++i) {
        const double h = s * (0.25 + 0.18 * i);
        const QRectF bar(s * (0.12 + 0.2 * i), s * 0.9 - h, s * 0.14, h);
        p.fillRect(bar, i < lit ? on : off);
    }
}

void camera(QPainter &p, double s, bool on)
{
    p.setPen(QPen(on ? kWhite : kRed, s * 0.08));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(s * 0.1, s * 0.28, s * 0.55, s * 0.44), s * 0.08, s * 0.08);
    QPolygonF lens{{s * 0.68, s * 0.45}, {s * 0.9, s * 0.32}, {s * 0.9, s * 0.68}, {s * 0.68, s * 0.55}};
    p.drawPolygon(lens);
    if (!on)
        p.drawLine(QPointF(s * 0.12, s * 0.12), QPointF(s * 0.88, s * 0.88));
}

void microphone(QPainter &p, double s, bool on)
{
    p.setPen(QPen(on ? kWhite : kRed, s * 0.08));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(s * 0.37, s * 0.1, s * 0.26, s * 0.5), s * 0.13, s * 0.13);
    p.drawArc(QRectF(s * 0.24, s * 0.3, s * 0.52, s * 0.45), 180 * 16, 180 * 16);
    p.drawLine(QPointF(s * 0.5, s * 0.75), QPointF(s * 0.5, s * 0.9));
    if (!on)
        p.drawLine(QPointF(s * 0.15, s * 0.12), QPointF(s * 0.85, s * 0.88));
}

void speaker(QPainter &p, double s, bool on)
{
    p.setPen(QPen(on ? kWhite : kRed, s * 0.08));
    QPolygonF body{{s * 0.12, s * 0.38}, {s * 0.3, s * 0.38}, {s * 0.5, s * 0.18},
                   {s * 0.5, s * 0.82},  {s * 0.3, s * 0.62}, {s * 0.12, s * 0.62}};
    p.drawPolygon(body);
    if (on) {
        p.drawArc(QRectF(s * 0.45, s * 0.3, s * 0.3, s * 0.4), -60 * 16, 120 * 16);
        p.drawArc(QRectF(s * 0.45, s * 0.18, s * 0.45, s * 0.64), -60 * 16, 120 * 16);
    } else {
        p.drawLine(QPointF(s * 0.62, s * 0.38), QPointF(s * 0.86, s * 0.62));
        p.drawLine(QPointF(s * 0.86, s * 0.38), QPointF(s * 0.62, s * 0.62));
    }
}

// The floating media strip's header, its tab and the more menu.
void addStripIcons(QHash<QString, Painter> &h)
{
    h.insert(QStringLiteral("floating_media_hide"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawLine(QPointF(s * 0.2, s * 0.5), QPointF(s * 0.8, s * 0.5));
    });
    h.insert(QStringLiteral("floating_media_one"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawRoundedRect(QRectF(s * 0.15, s * 0.25, s * 0.7, s * 0.5), s * 0.06, s * 0.06);
    });
    h.insert(QStringLiteral("floating_media_all"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF(s * 0.2, s * (0.12 + 0.27 * i), s * 0.6, s * 0.2), s * 0.04, s * 0.04);
    });
    h.insert(QStringLiteral("floating_media_mini"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawPolyline(QPolygonF{{s * 0.4, s * 0.25}, {s * 0.65, s * 0.5}, {s * 0.4, s * 0.75}});
    });
    const auto unfold = [](QPainter &p, double s, const QColor &c) {
        p.setPen(QPen(c, s * 0.09));
        p.drawPolyline(QPolygonF{{s * 0.6, s * 0.25}, {s * 0.35, s * 0.5}, {s * 0.6, s * 0.75}});
    };
    h.insert(QStringLiteral("collapse_unfold_nor"), [unfold](QPainter &p, double s) { unfold(p, s, kWhite); });
    h.insert(QStringLiteral("collapse_unfold_hover"), [unfold](QPainter &p, double s) { unfold(p, s, kBlue); });
    h.insert(QStringLiteral("more_screenshot"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawPolyline(QPolygonF{{s * 0.3, s * 0.1}, {s * 0.3, s * 0.7}, {s * 0.9, s * 0.7}});
        p.drawPolyline(QPolygonF{{s * 0.1, s * 0.3}, {s * 0.7, s * 0.3}, {s * 0.7, s * 0.9}});
    });
    h.insert(QStringLiteral("recording_dot"), [](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QRectF(s * 0.25, s * 0.25, s * 0.5, s * 0.5));
    });
}

QHash<QString, Painter> painters()
{
    QHash<QString, Painter> h;
    h.insert(QStringLiteral("top_signal_status_good"), [](QPainter &p, double s) { signalBars(p, s, 4, kGreen); });
    h.insert(QStringLiteral("top_signal_status_general"), [](QPainter &p, double s) { signalBars(p, s, 3, kYellow); });
    h.insert(QStringLiteral("top_signal_status_bad"), [](QPainter &p, double s) { signalBars(p, s, 1, kRed); });
    h.insert(QStringLiteral("btn_progress_ctrl_nor"), [](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6));
    });
    h.insert(QStringLiteral("btn_progress_ctrl_hover"), [](QPainter &p, double s) {
        p.setPen(QPen(kBlue, s * 0.1));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.76));
    });
    h.insert(QStringLiteral("toolbar_camera_on"), [](QPainter &p, double s) { camera(p, s, true); });
    h.insert(QStringLiteral("toolbar_camera_off"), [](QPainter &p, double s) { camera(p, s, false); });
    h.insert(QStringLiteral("toolbar_mic_on"), [](QPainter &p, double s) { microphone(p, s, true); });
    h.insert(QStringLiteral("toolbar_mic_off"), [](QPainter &p, double s) { microphone(p, s, false); });
    h.insert(QStringLiteral("toolbar_speaker_on"), [](QPainter &p, double s) { speaker(p, s, true); });
    h.insert(QStringLiteral("toolbar_speaker_off"), [](QPainter &p, double s) { speaker(p, s, false); });
    h.insert(QStringLiteral("toolbar_share"), [](QPainter &p, double s) {
        p.setPen(QPen(kGreen, s * 0.08));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.18, s * 0.8, s * 0.56), s * 0.06, s * 0.06);
        p.drawLine(QPointF(s * 0.5, s * 0.62), QPointF(s * 0.5, s * 0.32));
        p.drawLine(QPointF(s * 0.38, s * 0.44), QPointF(s * 0.5, s * 0.32));
        p.drawLine(QPointF(s * 0.62, s * 0.44), QPointF(s * 0.5, s * 0.32));
        p.drawLine(QPointF(s * 0.3, s * 0.86), QPointF(s * 0.7, s * 0.86));
    });
    h.insert(QStringLiteral("toolbar_members"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawEllipse(QRectF(s * 0.3, s * 0.12, s * 0.3, s * 0.3));
        p.drawArc(QRectF(s * 0.15, s * 0.5, s * 0.6, s * 0.5), 0, 180 * 16);
        p.drawArc(QRectF(s * 0.6, s * 0.2, s * 0.22, s * 0.22), -90 * 16, 180 * 16);
    });
    h.insert(QStringLiteral("toolbar_record"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawEllipse(QRectF(s * 0.14, s * 0.14, s * 0.72, s * 0.72));
        p.setBrush(kRed);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(s * 0.34, s * 0.34, s * 0.32, s * 0.32));
    });
    h.insert(QStringLiteral("toolbar_setting"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawEllipse(QRectF(s * 0.36, s * 0.36, s * 0.28, s * 0.28));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(s * 0.5, s * 0.5);
            p.rotate(45 * i);
            p.drawLine(QPointF(0, -s * 0.24), QPointF(0, -s * 0.4));
            p.restore();
        }
    });
    h.insert(QStringLiteral("toolbar_application"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c)
                p.drawRoundedRect(QRectF(s * (0.14 + 0.4 * c), s * (0.14 + 0.4 * r), s * 0.3, s * 0.3), s * 0.05,
                                  s * 0.05);
    });
    h.insert(QStringLiteral("toolbar_subtitle"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.22, s * 0.8, s * 0.56), s * 0.08, s * 0.08);
        p.drawLine(QPointF(s * 0.24, s * 0.56), QPointF(s * 0.5, s * 0.56));
        p.drawLine(QPointF(s * 0.56, s * 0.56), QPointF(s * 0.76, s * 0.56));
    });
    h.insert(QStringLiteral("select_arrow"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.1));
        p.drawLine(QPointF(s * 0.3, s * 0.4), QPointF(s * 0.5, s * 0.6));
        p.drawLine(QPointF(s * 0.7, s * 0.4), QPointF(s * 0.5, s * 0.6));
    });
    h.insert(QStringLiteral("meeting_id_copy"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawRoundedRect(QRectF(s * 0.3, s * 0.3, s * 0.5, s * 0.55), s * 0.06, s * 0.06);
        p.drawPolyline(QPolygonF{{s * 0.2, s * 0.7}, {s * 0.2, s * 0.15}, {s * 0.6, s * 0.15}});
    });
    h.insert(QStringLiteral("full_screen"), [](QPainter &p, double s) {
        p.setPen(QPen(kWhite, s * 0.08));
        p.drawPolyline(QPolygonF{{s * 0.15, s * 0.4}, {s * 0.15, s * 0.15}, {s * 0.4, s * 0.15}});
        p.drawPolyline(QPolygonF{{s * 0.6, s * 0.15}, {s * 0.85, s * 0.15}, {s * 0.85, s * 0.4}});
        p.drawPolyline(QPolygonF{{s * 0.85, s * 0.6}, {s * 0.85, s * 0.85}, {s * 0.6, s * 0.85}});
        p.drawPolyline(QPolygonF{{s * 0.4, s * 0.85}, {s * 0.15, s * 0.85}, {s * 0.15, s * 0.6}});
    });
    h.insert(QStringLiteral("av_file_play"), [](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF{{s * 0.35, s * 0.25}, {s * 0.75, s * 0.5}, {s * 0.35, s * 0.75}});
    });
    addStripIcons(h);
    return h;
}

const QHash<QString, Painter> &table()
{
    static const QHash<QString, Painter> t = painters();
    return t;
}

} // namespace

namespace MeetingIcons {

bool paint(const QString &name, QPainter &p, double side)
{
    const auto it = table().constFind(name);
    if (it == table().constEnd())
        return false;
    (*it)(p, side);
    return true;
}

QPixmap render(const Painter &painter, int side)
{
    if (!painter || side <= 0)
        return {};
    const qreal dpr = 2.0;
    QPixmap pm(int(side * dpr), int(side * dpr));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    painter(p, side);
    return pm;
}

QPixmap image(const QString &name, int side)
{
    const auto it = table().constFind(name);
    return it == table().constEnd() ? QPixmap() : render(*it, side);
}

QStringList names()
{
    return table().keys();
}

} // namespace MeetingIcons
