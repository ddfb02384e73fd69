#include "meeting/sharing/ShareIcons.h"

#include "meeting/common/MeetingIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace {

void allApplications(QPainter &p, double s)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0xF2, 0xF7));
    const double cell = s * 0.36;
    const double gap = s * 0.1;
    const double origin = (s - 2 * cell - gap) / 2;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col)
            p.drawRoundedRect(QRectF(origin + col * (cell + gap), origin + row * (cell + gap), cell, cell), s * 0.06,
                              s * 0.06);
}

// A window with a title bar: an application that gives no icon of its own.
void anyApplication(QPainter &p, double s)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0xF2, 0xF7));
    p.drawRoundedRect(QRectF(s * 0.1, s * 0.16, s * 0.8, s * 0.68), s * 0.08, s * 0.08);
    p.setBrush(QColor(0x63, 0x63, 0x66));
    p.drawRect(QRectF(s * 0.16, s * 0.32, s * 0.68, s * 0.46));
}

// A page with a folded corner in the kind's colour and its short mark.
void fileKind(QPainter &p, double s, const QColor &colour, const QString &mark)
{
    QPainterPath page;
    page.moveTo(s * 0.2, s * 0.08);
    page.lineTo(s * 0.62, s * 0.08);
    page.lineTo(s * 0.8, s * 0.26);
    page.lineTo(s * 0.8, s * 0.92);
    page.lineTo(s * 0.2, s * 0.92);
    page.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(page);
    p.setBrush(colour.lighter(140));
    p.drawPolygon(QPolygonF{{s * 0.62, s * 0.08}, {s * 0.8, s * 0.26}, {s * 0.62, s * 0.26}});
    QFont font = p.font();
    font.setPixelSize(qMax(1, int(s * 0.22)));
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(s * 0.2, s * 0.42, s * 0.6, s * 0.4), Qt::AlignCenter, mark);
}

using Painter = MeetingIcons::Painter;

const QHash<QString, Painter> &table()
{
    static const QHash<QString, Painter> t = {
        {QStringLiteral("all"), allApplications},
        {QStringLiteral("application"), anyApplication},
        {QStringLiteral("ic_video"), [](QPainter &p, double s) { fileKind(p, s, QColor(0x7B, 0x61, 0xFF), "VID"); }},
        {QStringLiteral("ic_audio"), [](QPainter &p, double s) { fileKind(p, s, QColor(0xFF, 0x9F, 0x0A), "AUD"); }},
        {QStringLiteral("ppt"), [](QPainter &p, double s) { fileKind(p, s, QColor(0xFF, 0x6A, 0x3D), "P"); }},
        {QStringLiteral("word"), [](QPainter &p, double s) { fileKind(p, s, QColor(0x2F, 0x7B, 0xF6), "W"); }},
        {QStringLiteral("ic_excel"), [](QPainter &p, double s) { fileKind(p, s, QColor(0x21, 0xA3, 0x66), "X"); }},
        {QStringLiteral("ic_pdf"), [](QPainter &p, double s) { fileKind(p, s, QColor(0xE5, 0x3E, 0x3E), "PDF"); }},
        {QStringLiteral("ic_img"), [](QPainter &p, double s) { fileKind(p, s, QColor(0x12, 0xB5, 0xCB), "IMG"); }},
        {QStringLiteral("ic_txt"), [](QPainter &p, double s) { fileKind(p, s, QColor(0x8E, 0x8E, 0x93), "TXT"); }},
    };
    return t;
}

} // namespace

namespace ShareIcons {

QPixmap image(const QString &name, int side)
{
    const auto found = table().constFind(name);
    if (found == table().cend())
        return {};
    return MeetingIcons::render(*found, side);
}

QString imageNameForClassify(const QString &classify)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("video"), QStringLiteral("ic_video")}, {QStringLiteral("audio"), QStringLiteral("ic_audio")},
        {QStringLiteral("ppt"), QStringLiteral("ppt")},        {QStringLiteral("doc"), QStringLiteral("word")},
        {QStringLiteral("excel"), QStringLiteral("ic_excel")}, {QStringLiteral("pdf"), QStringLiteral("ic_pdf")},
        {QStringLiteral("picture"), QStringLiteral("ic_img")}, {QStringLiteral("text"), QStringLiteral("ic_txt")},
    };
    return names.value(classify);
}

} // namespace ShareIcons
