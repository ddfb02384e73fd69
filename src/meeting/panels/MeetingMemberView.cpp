#include "meeting/panels/MeetingMemberView.h"

#include "agent/MeetingMemberModel.h"
#include "meeting/panels/MemberCellView.h"
#include "meeting/panels/PanelIcons.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

MeetingMemberView::MeetingMemberView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MeetingMemberView"));
    setAccessibleName(QStringLiteral("参会人员"));
    resize(kWidth, kHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
    vesk::setCornerRadius(this, 3.0);

    title = new QLabel(this);
    title->setTextFormat(Qt::PlainText);
    title->setFont(vesk::systemFont(14, QFont::Medium));
    title->setStyleSheet(QStringLiteral("color: white;"));
    title->setGeometry(16, 12, 200, 22);

    closeButton = new VeskButton(this);
    closeButton->setImage(PanelIcons::image(QStringLiteral("panel_close"), 18));
    closeButton->setAccessibleName(QStringLiteral("关闭"));
    closeButton->setToolTip(QStringLiteral("关闭"));
    closeButton->setGeometry(kWidth - 34, 10, 26, 26);
    connect(closeButton, &VeskButton::clicked, this, [this] { closeSelf(); });

    memberTableView = new QScrollArea(this);
    memberTableView->setFrameShape(QFrame::NoFrame);
    memberTableView->setWidgetResizable(true);
    memberTableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memberTableView->setStyleSheet(
        QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    memberTableView->setGeometry(0, 44, kWidth, kHeight - 52);
    m_rows = new QWidget();
    m_rowsLayout = new QVBoxLayout(m_rows);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch(1);
    memberTableView->setWidget(m_rows);
    setMembers({});
}

void MeetingMemberView::layoutSelf()
{
    if (!parentWidget())
        return;
    AutoLayout::removeConstraints(this);
    AutoLayout::autoSetDimensionsToSize(this, QSizeF(kWidth, kHeight));
    AutoLayout::autoAlignAxisToSuperviewAxis(this, AutoLayout::Attribute::CenterY);
    AutoLayout::autoPinEdgeToSuperviewEdge(this, AutoLayout::Attribute::Trailing, 20);
}

void MeetingMemberView::setMembers(const QList<std::shared_ptr<MeetingMemberModel>> &members)
{
    m_members = members;
    title->setText(QStringLiteral("参会人员(%1)").arg(members.size()));
    for (MemberCellView *cell : cells())
        delete cell;
    int at = 0;
    for (const auto &member : members) {
        auto *cell = new MemberCellView(m_rows);
        cell->setModel(member);
        m_rowsLayout->insertWidget(at++, cell);
    }
}

QList<MemberCellView *> MeetingMemberView::cells() const
{
    return m_rows ? m_rows->findChildren<MemberCellView *>() : QList<MemberCellView *>();
}

void MeetingMemberView::closeSelf()
{
    if (memberViewClosedBlock)
        memberViewClosedBlock();
}
