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
    auto pass = MemberChipGeometry::enterFlow(itemSizes(), rect.width(), m_spacing);
    m_lines = pass.lines;
    for (QRect &frame : pass.frames)
        frame.translate(rect.topLeft());
    placeAll(std::move(pass.frames));
}
