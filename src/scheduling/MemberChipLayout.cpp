#include "scheduling/MemberChipLayout.h"

#include <QWidget>

MemberChipLayout::MemberChipLayout(QWidget *parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
}

MemberChipLayout::~MemberChipLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void MemberChipLayout::setFlowSpacing(const MemberChipGeometry::FlowSpacing &spacing)
{
    m_spacing = spacing;
    invalidate();
}

void MemberChipLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
    invalidate();
}

QLayoutItem *MemberChipLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
}

QLayoutItem *MemberChipLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem *item = m_items.takeAt(index);
    invalidate();
    return item;
}

void MemberChipLayout::removeAllItems()
{
    qDeleteAll(m_items);
    m_items.clear();
    invalidate();
}

QSize MemberChipLayout::sizeHint() const
{
    return minimumSize();
}

QSize MemberChipLayout::minimumSize() const
{
    const QMargins &in = m_spacing.insets;
    return {in.left() + in.right(), in.top() + in.bottom() + MemberChipGeometry::kChipHeight};
}

const QList<QSize> &MemberChipLayout::itemSizes() const
{
    if (!m_sizesValid) {
        m_sizes.clear();
        m_sizes.reserve(m_items.size());
        for (QLayoutItem *item : m_items)
            m_sizes.append(item->sizeHint());
        m_sizesValid = true;
    }
    return m_sizes;
}

void MemberChipLayout::invalidate()
{
    m_sizesValid = false;
    m_placed.clear();
    QLayout::invalidate();
}

void MemberChipLayout::place(qsizetype i, const QRect &frame)
{
    if (m_placed.size() != m_items.size())
        m_placed = QList<QRect>(m_items.size(), QRect(0, 0, -1, -1)); // no frame equals it
    if (m_placed[i] == frame)
        return;
    m_placed[i] = frame;
    // Chips take the frame as it is (no alignment, no size limits): straight to the widget.
    if (QWidget *widget = m_items[i]->widget())
        widget->setGeometry(frame);
    else
        m_items[i]->setGeometry(frame);
}
