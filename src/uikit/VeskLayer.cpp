#include "uikit/VeskLayer.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace {
constexpr auto kLayerName = "VeskLayer";
}

VeskLayer::VeskLayer(QWidget *widget) : QObject(widget), m_widget(widget)
{
    setObjectName(QLatin1String(kLayerName));
    widget->installEventFilter(this);
}

VeskLayer *VeskLayer::of(QWidget *widget)
{
    if (!widget)
        return nullptr;
    if (auto *existing = find(widget))
        return existing;
    return new VeskLayer(widget);
}

VeskLayer *VeskLayer::find(const QWidget *widget)
{
    if (!widget)
        return nullptr;
    return widget->findChild<VeskLayer *>(QLatin1String(kLayerName), Qt::FindDirectChildrenOnly);
}

void VeskLayer::setBackgroundColor(const QColor &color)
{
    if (m_background == color)
        return;
    m_background = color;
    changed();
}

void VeskLayer::setCornerRadius(qreal radius)
{
    radius = std::max<qreal>(0, radius);
    if (qFuzzyCompare(m_radius + 1, radius + 1))
        return;
    m_radius = radius;
    changed();
}

void VeskLayer::setMasksToBounds(bool masks)
{
    if (m_masks == masks)
        return;
    m_masks = masks;
    changed();
}

void VeskLayer::setBorderColor(const QColor &color)
{
    if (m_borderColor == color)
        return;
    m_borderColor = color;
    changed();
}

void VeskLayer::setBorderWidth(qreal width)
{
    width = std::max<qreal>(0, width);
    if (qFuzzyCompare(m_borderWidth + 1, width + 1))
        return;
    m_borderWidth = width;
    changed();
}

void VeskLayer::changed()
{
    updateMask();
    m_widget->update();
}

void VeskLayer::updateMask()
{
    if (!m_masks || m_radius <= 0) {
        if (!m_widget->mask().isEmpty())
            m_widget->clearMask();
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(m_widget->rect()), m_radius, m_radius);
    m_widget->setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void VeskLayer::paint()
{
    const bool hasBackground = m_background.alpha() > 0;
    const bool hasBorder = m_borderWidth > 0 && m_borderColor.alpha() > 0;
    if (!hasBackground && !hasBorder)
        return;
    QPainter p(m_widget);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal inset = hasBorder ? m_borderWidth / 2 : 0;
    const QRectF r = QRectF(m_widget->rect()).adjusted(inset, inset, -inset, -inset);
    p.setPen(hasBorder ? QPen(m_borderColor, m_borderWidth) : QPen(Qt::NoPen));
    p.setBrush(hasBackground ? QBrush(m_background) : QBrush(Qt::NoBrush));
    if (m_radius > 0)
        p.drawRoundedRect(r, m_radius, m_radius);
    else
        p.drawRect(r);
}

bool VeskLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget) {
        if (event->type() == QEvent::Paint)
            paint();
        else if (event->type() == QEvent::Resize)
            updateMask();
    }
    return QObject::eventFilter(watched, event);
}
