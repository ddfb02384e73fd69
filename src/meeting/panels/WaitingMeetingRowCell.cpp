#include "meeting/panels/WaitingMeetingRowCell.h"

#include "meeting/panels/MemberListTexts.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

using A = KVLayoutConstraint::Attribute;

namespace {

VeskButton *smallButton(QWidget *parent, const QString &objectName, const QString &title, const QColor &text,
                        const QColor &background, const QColor &border)
{
    auto *b = new VeskButton(title, parent);
    b->setObjectName(objectName);
    b->setFont(vesk::systemFont(12));
    b->setTextColor(text);
    vesk::setBackgroundColor(b, background);
    vesk::setButtonBordered(b, border, border.alpha() ? 1 : 0);
    vesk::setCornerRadius(b, 4);
    AutoLayout::autoSetDimensionsToSize(b, QSizeF(48, 24));
    AutoLayout::autoAlignAxisToSuperviewAxis(b, A::CenterY);
    return b;
}

} // namespace

WaitingMeetingRowCell::WaitingMeetingRowCell(QWidget *parent)
    : QWidget(parent), m_nameLabel(new KVElidedLabel(this, Qt::ElideMiddle))
{
    setObjectName(kIdentifier);
    setAttribute(Qt::WA_Hover);
    vesk::setBackgroundColor(this, Qt::transparent);
    const QColor blue = vesk::colorWithHexString(QStringLiteral("#007AFF"));
    const QColor red = vesk::colorWithHexString(QStringLiteral("#FF656B"));
    m_moveOutButton =
        smallButton(this, QStringLiteral("moveOutButton"), MemberListTexts::kMoveOut, red, Qt::transparent, red);
    m_agreeButton =
        smallButton(this, QStringLiteral("agreeButton"), MemberListTexts::kAdmit, Qt::white, blue, Qt::transparent);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_moveOutButton, A::Trailing, 20);
    AutoLayout::autoPinEdge(m_agreeButton, A::Trailing, A::Leading, m_moveOutButton, -8);

    m_nameLabel->setObjectName(QStringLiteral("nameLabel"));
    m_nameLabel->setFont(vesk::systemFont(14));
    m_nameLabel->setStyleSheet(QStringLiteral("color: #F0F0F0;"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_nameLabel, A::Leading, 21);
    AutoLayout::autoPinEdge(m_nameLabel, A::Trailing, A::Leading, m_agreeButton, -8);
    AutoLayout::autoSetDimension(m_nameLabel, A::Height, 20);
    AutoLayout::autoAlignAxisToSuperviewAxis(m_nameLabel, A::CenterY);

    connect(m_agreeButton, &QAbstractButton::clicked, this, [this] { agreeEnterMeetingAction(); });
    connect(m_moveOutButton, &QAbstractButton::clicked, this, [this] { moveOutAction(); });
}

void WaitingMeetingRowCell::setModel(const IMSystemSubMessage &model)
{
    m_model = model;
    const QString name = KVDataText::bounded(model.userName, DataText::kNameLength);
    m_nameLabel->setFullText(name);
    m_agreeButton->setAccessibleName(name + QLatin1Char(' ') + MemberListTexts::kAdmit);
    m_moveOutButton->setAccessibleName(name + QLatin1Char(' ') + MemberListTexts::kMoveOut);
}

void WaitingMeetingRowCell::agreeEnterMeetingAction()
{
    if (agreeEntrMeetingBlock)
        agreeEntrMeetingBlock(m_model);
}

void WaitingMeetingRowCell::moveOutAction()
{
    if (moveOutBlock)
        moveOutBlock(m_model);
}

void WaitingMeetingRowCell::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#303030")));
}

void WaitingMeetingRowCell::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    vesk::setBackgroundColor(this, Qt::transparent);
}
