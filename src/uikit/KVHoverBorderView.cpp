#include "uikit/KVHoverBorderView.h"

#include "uikit/VeskCategories.h"

#include <QApplication>
#include <QPainter>

KVHoverBorderView::KVHoverBorderView(QWidget *parent)
    : QWidget(parent), m_normal(vesk::colorWithHexString(QStringLiteral("D9D9D9")))
{
    setAttribute(Qt::WA_Hover);
    connect(qApp, &QApplication::focusChanged, this, [this] { update(); });
}

void KVHoverBorderView::setAlwaysHighlight(bool highlight)
{
    if (m_always == highlight)
        return;
    m_always = highlight;
    update();
}

bool KVHoverBorderView::isHighlighted() const
{
    const QWidget *focus = QApplication::focusWidget();
    return m_always || m_hovered || (focus && isAncestorOf(focus));
}

void KVHoverBorderView::setNormalBorderColor(const QColor &color)
{
    m_normal = color;
    update();
}

void KVHoverBorderView::setCornerRadius(qreal radius)
{
    m_radius = radius;
    update();
}

void KVHoverBorderView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_hovered = true;
    update();
}

void KVHoverBorderView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_hovered = false;
    update();
}

void KVHoverBorderView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(isHighlighted() ? vesk::colorWithHexString(QStringLiteral("007AFF")) : m_normal, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
}
