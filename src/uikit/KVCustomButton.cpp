#include "uikit/KVCustomButton.h"

#include "uikit/VeskCategories.h"

#include <QPainter>

KVCustomButton::KVCustomButton(QWidget *parent) : KVCustomButton(QString(), parent) {}

KVCustomButton::KVCustomButton(const QString &title, QWidget *parent) : VeskButton(title, parent)
{
    setFont(vesk::systemFont(14));
    setTextColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
}

void KVCustomButton::setBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

void KVCustomButton::setHoverBackgroundColor(const QColor &color)
{
    m_hoverBackground = color;
    update();
}

void KVCustomButton::setBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void KVCustomButton::setBorderWidth(qreal width)
{
    m_borderWidth = std::max<qreal>(0, width);
    update();
}

void KVCustomButton::setCornerRadius(qreal radius)
{
    m_radius = std::max<qreal>(0, radius);
    update();
}

void KVCustomButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor bg = isHovered() && m_hoverBackground.isValid() ? m_hoverBackground : m_background;
    const qreal inset = m_borderWidth / 2;
    p.setPen(m_borderWidth > 0 ? QPen(m_border, m_borderWidth) : QPen(Qt::NoPen));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), m_radius, m_radius);
    paintContent(p, rect());
}
