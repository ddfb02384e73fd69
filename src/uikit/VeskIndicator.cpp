#include "uikit/VeskIndicator.h"

#include "foundation/KVClock.h"

#include <QPainter>

namespace {
constexpr int kSpokes = 12;
constexpr std::chrono::milliseconds kStep{80};
} // namespace

VeskIndicator::VeskIndicator(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("加载中"));
}

void VeskIndicator::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void VeskIndicator::startAnimating()
{
    if (m_timer)
        return;
    m_timer = KVTimer::repeating(this, kStep, [this] {
        m_phase = (m_phase + 1) % kSpokes;
        update();
    });
}

void VeskIndicator::stopAnimating()
{
    if (!m_timer)
        return;
    m_timer->invalidate();
    m_timer = nullptr;
}

void VeskIndicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    const qreal outer = side / 2.0;
    const qreal inner = outer * 0.45;
    QPen pen(m_color);
    pen.setWidthF(std::max<qreal>(1.5, side / 10.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        // Spokes fade behind the leading one.
        const int age = (m_phase - i + kSpokes) % kSpokes;
        QColor c = m_color;
        c.setAlphaF(float(c.alphaF() * (1.0 - age / double(kSpokes) * 0.85)));
        pen.setColor(c);
        p.setPen(pen);
        p.save();
        p.rotate(i * 360.0 / kSpokes);
        p.drawLine(QPointF(0, -inner), QPointF(0, -outer + pen.widthF()));
        p.restore();
    }
}
