#include "uikit/MoreActionItem.h"

#include "foundation/MainQueue.h"
#include "uikit/KVAccessibility.h"
#include "uikit/VeskCategories.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace {
constexpr int kTickArea = 32;
QColor hex(const char *h)
{
    return vesk::colorWithHexString(QLatin1String(h));
}
} // namespace

MoreActionItem::MoreActionItem(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setFont(vesk::systemFont(14));
    KVAccessibility::install();
}

MoreActionItem *MoreActionItem::itemStyle2WithTitle(const QString &title, const QVariant &associatedObject,
                                                    OnClick onClick)
{
    auto *item = new MoreActionItem();
    item->m_title = title;
    item->m_associatedObject = associatedObject;
    item->m_onClick = std::move(onClick);
    item->setAccessibleName(title);
    return item;
}

void MoreActionItem::setSelect(bool select)
{
    if (m_select == select)
        return;
    m_select = select;
    setAccessibleDescription(select ? QStringLiteral("已选中") : QString());
    update();
}

void MoreActionItem::setTextAlignment(Qt::Alignment alignment)
{
    m_alignment = (alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
    update();
}

void MoreActionItem::setImmutableTitleColor(const QColor &color)
{
    m_immutableColor = color;
    update();
}

void MoreActionItem::setTitleSpacing(qreal spacing)
{
    m_titleSpacing = std::max<qreal>(0, spacing);
    update();
}

void MoreActionItem::setItemSize(const QSize &size)
{
    m_itemSize = size;
    if (size.isValid())
        resize(size);
    updateGeometry();
}

QSize MoreActionItem::sizeHint() const
{
    if (m_itemSize.isValid())
        return m_itemSize;
    return {int(m_titleSpacing) + fontMetrics().horizontalAdvance(m_title) + kTickArea, 34};
}

void MoreActionItem::click()
{
    auto block = m_onClick;
    if (block)
        block(this, this);
}

void MoreActionItem::clickAfterEvent()
{
    // The block usually closes the menu: run it once the input event is done with this row.
    MainQueue::async(this, [this] { click(); });
}

void MoreActionItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The row the keyboard is on shows as the mouse's would.
    if (m_hovered || hasFocus())
        p.fillRect(rect(), hex("F2F3F5"));
    QColor color = m_immutableColor.isValid() ? m_immutableColor : (m_select ? hex("007AFF") : hex("333333"));
    p.setPen(color);
    p.setFont(font());
    const QRect textRect = rect().adjusted(int(m_titleSpacing), 0, -kTickArea, 0);
    p.drawText(textRect, int(m_alignment), fontMetrics().elidedText(m_title, Qt::ElideRight, textRect.width()));
    if (m_select) {
        QPainterPath tick;
        const qreal cx = width() - kTickArea / 2.0;
        const qreal cy = height() / 2.0;
        tick.moveTo(cx - 5, cy);
        tick.lineTo(cx - 1.5, cy + 3.5);
        tick.lineTo(cx + 5, cy - 4);
        p.setPen(QPen(hex("007AFF"), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
}

void MoreActionItem::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        clickAfterEvent();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void MoreActionItem::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        event->accept();
        clickAfterEvent();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MoreActionItem::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_hovered = true;
    update();
}

void MoreActionItem::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_hovered = false;
    update();
}
