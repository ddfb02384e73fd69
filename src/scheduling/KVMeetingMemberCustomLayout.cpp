#include "scheduling/KVMeetingMemberCustomLayout.h"

#include "scheduling/KVMeetingMemberCell.h"

KVMeetingMemberCustomLayout::KVMeetingMemberCustomLayout(QWidget *parent) : MemberChipLayout(parent) {}

int KVMeetingMemberCustomLayout::heightForWidth(int width) const
{
    const auto pass = MemberChipGeometry::twoLines(itemSizes(), width, m_spacing);
    return std::max(pass.contentHeight, minimumSize().height());
}

void KVMeetingMemberCustomLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const auto pass = MemberChipGeometry::twoLines(itemSizes(), rect.width(), m_spacing);
    m_moreIndex = pass.moreIndex;
    m_visibleCount = pass.visibleCount;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        QLayoutItem *item = m_items[i];
        // Chips past the "..." get no room: they are out of sight and out of reach.
        item->setGeometry(i < pass.visibleCount ? pass.frames[i].translated(rect.topLeft())
                                                : QRect(rect.topLeft(), QSize(0, 0)));
        if (auto *cell = qobject_cast<KVMeetingMemberCell *>(item->widget()))
            cell->setTowLineLastItem(i == pass.moreIndex);
    }
}
