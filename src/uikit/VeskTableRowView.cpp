#include "uikit/VeskTableRowView.h"

#include "uikit/VeskCategories.h"

#include <QPainter>

VeskTableRowView::VeskTableRowView(QWidget *parent)
    : QWidget(parent), m_highlight(vesk::colorWithHexString(QStringLiteral("#E5F1FF")))
{
}

void VeskTableRowView::setHighlightColor(const QColor &color)
{
    m_highlight = color;
    update();
}

void VeskTableRowView::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void VeskTableRowView::paintEvent(QPaintEvent *)
{
    if (!m_selected || !m_highlight.isValid())
        return;
    QPainter p(this);
    p.fillRect(rect(), m_highlight);
}
