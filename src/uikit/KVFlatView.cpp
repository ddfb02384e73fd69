#include "uikit/KVFlatView.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>

KVFlatView::KVFlatView(QWidget *parent) : QWidget(parent) {}

void KVFlatView::setBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

void KVFlatView::setBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void KVFlatView::setBorderWidth(qreal width)
{
    m_borderWidth = std::max<qreal>(0, width);
    update();
}

void KVFlatView::setCornerRadius(qreal radius)
{
    m_radius = std::max<qreal>(0, radius);
    update();
}

QGraphicsDropShadowEffect *KVFlatView::shadow()
{
    if (!m_shadow) {
        m_shadow = new QGraphicsDropShadowEffect(this);
        m_shadow->setBlurRadius(6);
        m_shadow->setOffset(0, 0);
        m_shadow->setColor(Qt::transparent);
        setGraphicsEffect(m_shadow);
    }
    return m_shadow;
}

void KVFlatView::setShadowColor(const QColor &color)
{
    shadow()->setColor(color);
}

void KVFlatView::setShadowOffset(const QPointF &offset)
{
    shadow()->setOffset(offset.x(), -offset.y());
}

void KVFlatView::setShadowBlurRadius(qreal radius)
{
    shadow()->setBlurRadius(radius);
}

void KVFlatView::paintEvent(QPaintEvent *)
{
    const bool border = m_borderWidth > 0 && m_border.alpha() > 0;
    if (m_background.alpha() == 0 && !border)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal inset = border ? m_borderWidth / 2 : 0;
    p.setPen(border ? QPen(m_border, m_borderWidth) : QPen(Qt::NoPen));
    p.setBrush(m_background);
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), m_radius, m_radius);
}
