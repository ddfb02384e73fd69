#include "scheduling/MemberChipLayout.h"

#include <QWidget>

namespace {
const QRect kUnplaced(QPoint(0, 0), QSize(-1, -1)); // no pass gives such a frame

// Whether a chip at frame can be seen in area; an empty frame (a chip the list hides) is its corner.
bool inSight(const QRect &area, const QRect &frame)
{
    return area.intersects(frame.isEmpty() ? QRect(frame.topLeft(), QSize(1, 1)) : frame);
}
} // namespace

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
    m_applied.append(kUnplaced);
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
    m_applied.removeAt(index);
    if (index < m_frames.size())
        m_frames.removeAt(index);
    invalidate();
    return item;
}

void MemberChipLayout::removeAllItems()
{
    qDeleteAll(m_items);
    m_items.clear();
    m_applied.clear();
    m_frames.clear();
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
    QLayout::invalidate();
}

void MemberChipLayout::placeAll(QList<QRect> frames)
{
    m_frames = std::move(frames);
    placeInSight();
}

void MemberChipLayout::placeInSight()
{
    const QRect area = m_visibleArea ? m_visibleArea() : QRect();
    const qsizetype n = std::min(m_frames.size(), m_items.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QRect &frame = m_frames[i];
        const QRect &now = m_applied[i];
        if (now == frame)
            continue;
        // A chip never placed sits at the corner: it goes to its frame at once.
        if (now != kUnplaced && !area.isEmpty() && !inSight(area, frame) && !inSight(area, now))
            continue;
        placeItem(i);
    }
}

void MemberChipLayout::placeItem(qsizetype i)
{
    if (i < 0 || i >= std::min(m_frames.size(), m_items.size()) || m_applied[i] == m_frames[i])
        return;
    m_applied[i] = m_frames[i];
    // Chips take the frame as it is (no alignment, no size limits): straight to the widget.
    if (QWidget *widget = m_items[i]->widget())
        widget->setGeometry(m_frames[i]);
    else
        m_items[i]->setGeometry(m_frames[i]);
}
