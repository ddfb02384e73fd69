#include "LocalPicture.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QtMath>

namespace LocalPicture {

quint32 seedFor(const QString &peerId)
{
    return static_cast<quint32>(qHash(peerId, 0x5eed));
}

QImage participant(QSize size, const QString &name, qint64 tick, quint32 seed)
{
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    const int hue = static_cast<int>(seed % 360);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor::fromHsv(hue, 120, 110));
    gradient.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 160, 50));
    painter.fillRect(image.rect(), gradient);

    // A ball circling the middle shows the picture is live.
    const double angle = static_cast<double>(tick) * 0.12;
    const double radius = qMin(size.width(), size.height()) * 0.3;
    const QPointF centre(size.width() / 2.0 + radius * qCos(angle), size.height() / 2.0 + radius * qSin(angle));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((hue + 180) % 360, 200, 230));
    const double ball = qMax(4.0, qMin(size.width(), size.height()) * 0.08);
    painter.drawEllipse(centre, ball, ball);

    QFont font = painter.font();
    font.setPixelSize(qMax(10, size.height() / 8));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, name);
    return image;
}

QImage screen(QSize size, const QString &title, qint64 tick)
{
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(38, 70, 110));
    const int w = size.width();
    const int h = size.height();
    painter.fillRect(QRect(0, h - h / 16, w, h / 16), QColor(25, 25, 30));
    const int x = static_cast<int>((tick * 4) % qMax(1, w / 2));
    const QRect window(x + w / 8, h / 6, w / 2, h / 2);
    painter.fillRect(window, QColor(240, 240, 240));
    painter.fillRect(QRect(window.topLeft(), QSize(window.width(), qMax(4, h / 24))), QColor(90, 90, 100));
    QFont font = painter.font();
    font.setPixelSize(qMax(10, h / 14));
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(window, Qt::AlignCenter, title);
    return image;
}

} // namespace LocalPicture
