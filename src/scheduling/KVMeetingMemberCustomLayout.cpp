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
    KVMeetingMemberCell *more =
        pass.moreIndex >= 0 ? qobject_cast<KVMeetingMemberCell *>(m_items[pass.moreIndex]->widget()) : nullptr;
    // The "..." may move with every pass: the chip that showed it shows its name again.
    if (m_moreCell && m_moreCell != more)
        m_moreCell->setTowLineLastItem(false);
    if (more)
        more->setTowLineLastItem(true);
    m_moreCell = more;
    m_moreIndex = pass.moreIndex;
    m_visibleCount = pass.visibleCount;
    QList<QRect> frames;
    frames.reserve(m_items.size());
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        // Chips past the "..." get no room: they are out of sight and out of reach.
        frames.append(i < pass.visibleCount ? pass.frames[i].translated(rect.topLeft())
                                            : QRect(rect.topLeft(), QSize(0, 0)));
    }
    placeAll(std::move(frames));
}
