#include "uikit/MacBorderView.h"

#include "uikit/VeskCategories.h"

#include <QPainter>

MacBorderView::MacBorderView(QWidget *parent)
    : QWidget(parent), m_border(vesk::colorWithHexString(QStringLiteral("D9D9D9")))
{
}

void MacBorderView::setBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void MacBorderView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QPen(m_border, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
