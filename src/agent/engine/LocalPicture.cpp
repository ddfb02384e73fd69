#include "LocalPicture.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QtMath>

#include <cmath>

namespace LocalPicture {

quint32 seedFor(const QString &peerId)
{
    return static_cast<quint32>(qHash(peerId, 0x5eed));
}

namespace {

QImage stillPart(QSize size, const QString &name, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    const int hue = static_cast<int>(seed % 360);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor::fromHsv(hue, 120, 110));
    gradient.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 160, 50));
    painter.fillRect(image.rect(), gradient);
    QFont font = painter.font();
    font.setPixelSize(qMax(10, size.height() / 8));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, name);
    return image;
}

// A ball circling the middle shows the picture is live.
double ballRadius(QSize size)
{
    return qMax(4.0, qMin(size.width(), size.height()) * 0.08);
}

QPointF ballCentre(QSize size, qint64 tick)
{
    const double angle = static_cast<double>(tick) * 0.12;
    const double radius = qMin(size.width(), size.height()) * 0.3;
    return {size.width() / 2.0 + radius * qCos(angle), size.height() / 2.0 + radius * qSin(angle)};
}

QColor ballColour(quint32 seed)
{
    return QColor::fromHsv((static_cast<int>(seed % 360) + 180) % 360, 200, 230);
}

void drawBall(QImage &image, qint64 tick, quint32 seed)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ballColour(seed));
    const double ball = ballRadius(image.size());
    painter.drawEllipse(ballCentre(image.size(), tick), ball, ball);
}

// The ball drawn once, premultiplied, to be laid onto each frame.
QImage ballSprite(QSize size, quint32 seed)
{
    const double ball = ballRadius(size);
    const int side = static_cast<int>(std::ceil(ball * 2)) + 2;
    QImage sprite(side, side, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    QPainter painter(&sprite);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ballColour(seed));
    painter.drawEllipse(QPointF(side / 2.0, side / 2.0), ball, ball);
    return sprite;
}

// Source-over of a premultiplied sprite onto an opaque frame, without a painter per frame.
void layOn(QImage &frame, const QImage &sprite, QPoint at)
{
    const QRect area = QRect(at, sprite.size()) & frame.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *to = reinterpret_cast<QRgb *>(frame.scanLine(y));
        const auto *from = reinterpret_cast<const QRgb *>(sprite.constScanLine(y - at.y()));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb s = from[x - at.x()];
            const int a = qAlpha(s);
            if (a == 0)
                continue;
            const QRgb d = to[x];
            const int keep = 255 - a;
            to[x] = qRgb(qRed(s) + (qRed(d) * keep + 127) / 255, qGreen(s) + (qGreen(d) * keep + 127) / 255,
                         qBlue(s) + (qBlue(d) * keep + 127) / 255);
        }
    }
}

} // namespace

QImage participant(QSize size, const QString &name, qint64 tick, quint32 seed)
{
    if (size.isEmpty())
        return {};
    QImage image = stillPart(size, name, seed);
    drawBall(image, tick, seed);
    return image;
}

QImage ParticipantPainter::paint(const QString &peerId, QSize size, const QString &name, qint64 tick, quint32 seed)
{
    if (size.isEmpty())
        return {};
    Still &still = m_stills[peerId + QLatin1Char('@') + QString::number(size.width()) + QLatin1Char('x') +
                            QString::number(size.height())];
    if (still.image.isNull() || still.name != name || still.seed != seed) {
        still.image = stillPart(size, name, seed);
        still.ball = ballSprite(size, seed);
        still.name = name;
        still.seed = seed;
    }
    still.used = true;
    // A copy of its own: the last frame may still be on its way to the screen.
    QImage image = still.image.copy();
    const QPointF centre = ballCentre(size, tick);
    layOn(image, still.ball,
          QPoint(qRound(centre.x() - still.ball.width() / 2.0), qRound(centre.y() - still.ball.height() / 2.0)));
    return image;
}

void ParticipantPainter::endFrame()
{
    for (auto it = m_stills.begin(); it != m_stills.end();) {
        if (!it->used) {
            it = m_stills.erase(it);
        } else {
            it->used = false;
            ++it;
        }
    }
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
