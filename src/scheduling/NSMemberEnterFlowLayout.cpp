#include "scheduling/NSMemberEnterFlowLayout.h"

NSMemberEnterFlowLayout::NSMemberEnterFlowLayout(QWidget *parent) : MemberChipLayout(parent) {}

int NSMemberEnterFlowLayout::linesForWidth(int width) const
{
    return MemberChipGeometry::enterFlow(itemSizes(), width, m_spacing).lines;
}

int NSMemberEnterFlowLayout::heightForWidth(int width) const
{
    const auto pass = MemberChipGeometry::enterFlow(itemSizes(), width, m_spacing);
    return std::max(pass.contentHeight, minimumSize().height());
}

void NSMemberEnterFlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const auto pass = MemberChipGeometry::enterFlow(itemSizes(), rect.width(), m_spacing);
    m_lines = pass.lines;
    for (qsizetype i = 0; i < m_items.size(); ++i)
        place(i, pass.frames[i].translated(rect.topLeft()));
}
