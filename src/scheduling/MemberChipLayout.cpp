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

QSize MemberChipLayout::sizeHint() const
{
    return minimumSize();
}

QSize MemberChipLayout::minimumSize() const
{
    const QMargins &in = m_spacing.insets;
    return {in.left() + in.right(), in.top() + in.bottom() + MemberChipGeometry::kChipHeight};
}

QList<QSize> MemberChipLayout::itemSizes() const
{
    QList<QSize> sizes;
    sizes.reserve(m_items.size());
    for (QLayoutItem *item : m_items)
        sizes.append(item->sizeHint());
    return sizes;
}
