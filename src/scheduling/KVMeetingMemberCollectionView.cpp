#include "scheduling/KVMeetingMemberCollectionView.h"

#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMeetingMemberCustomLayout.h"
#include "scheduling/MemberChipGeometry.h"

#include <QWheelEvent>

KVMeetingMemberCollectionView::KVMeetingMemberCollectionView(QWidget *parent)
    : QWidget(parent), m_layout(new KVMeetingMemberCustomLayout(this))
{
    MemberChipGeometry::FlowSpacing spacing;
    spacing.insets = QMargins(0, 0, 0, 0);
    m_layout->setFlowSpacing(spacing);
    const int height = 2 * MemberChipGeometry::kChipHeight + spacing.lineSpacing;
    setFixedHeight(height);
}

QSize KVMeetingMemberCollectionView::sizeHint() const
{
    return {200, 2 * MemberChipGeometry::kChipHeight + MemberChipGeometry::kSpacing};
}

void KVMeetingMemberCollectionView::setMembers(const QList<VeskUserModel> &members)
{
    m_layout->removeAllItems();
    MemberChipLayout::deleteLater(m_chips);
    m_chips.clear();
    m_chips.reserve(members.size());
    for (const VeskUserModel &member : members) {
        auto *chip = new KVMeetingMemberCell(this);
        chip->setModel(member);
        m_layout->addWidget(chip);
        chip->show();
        m_chips.append(chip);
    }
    m_layout->invalidate();
}

void KVMeetingMemberCollectionView::wheelEvent(QWheelEvent *event)
{
    // The list never scrolls; the wheel goes to what holds it.
    event->ignore();
}
