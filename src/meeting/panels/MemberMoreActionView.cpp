#include "meeting/panels/MemberMoreActionView.h"

#include "meeting/panels/MemberListTexts.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

using A = KVLayoutConstraint::Attribute;

namespace {

VeskButton *entry(QWidget *parent, const QString &objectName, const QString &title, int top)
{
    auto *b = new VeskButton(title, parent);
    b->setObjectName(objectName);
    vesk::setButtonAttribute(b, title, Qt::white, vesk::systemFont(14));
    AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Top, top);
    AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Leading, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Trailing, 0);
    AutoLayout::autoSetDimension(b, A::Height, 34);
    return b;
}

} // namespace

MemberMoreActionView::MemberMoreActionView(QWidget *parent) : QWidget(parent), m_bkView(new QWidget(this))
{
    setObjectName(QStringLiteral("MemberMoreActionView"));
    resize(kWidth, kHeight);
    vesk::setBackgroundColor(this, Qt::transparent);
    vesk::setCornerRadius(this, 6);
    m_bkView->setObjectName(QStringLiteral("bkView"));
    vesk::setBackgroundColor(m_bkView, vesk::colorWithHexString(QStringLiteral("#37383D")));
    vesk::setCornerRadius(m_bkView, 6);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(m_bkView);
    m_assistantLabel = entry(m_bkView, QStringLiteral("assistantLabel"), MemberListTexts::kMakeAssistant, 4);
    m_waitingRoomButton = entry(m_bkView, QStringLiteral("waitingRoomButton"), MemberListTexts::kMoveToWaitingRoom, 38);
    m_moveOutButton = entry(m_bkView, QStringLiteral("moveOutButton"), MemberListTexts::kMoveOutOfMeeting, 72);
    connect(m_assistantLabel, &QAbstractButton::clicked, this, [this] { assistantHostACtion(); });
    connect(m_waitingRoomButton, &QAbstractButton::clicked, this, [this] { removeToWAitingRoomAction(); });
    connect(m_moveOutButton, &QAbstractButton::clicked, this, [this] { moveOutMeetingRoomAction(); });
}

void MemberMoreActionView::setModel(const MemberRow &model)
{
    m_model = model;
    const bool assistant = model && model->isAssistantHost;
    vesk::setButtonAttribute(
        m_assistantLabel, assistant ? MemberListTexts::kWithdrawAssistant : MemberListTexts::kMakeAssistant,
        assistant ? vesk::colorWithHexString(QStringLiteral("#007AFF")) : QColor(Qt::white), vesk::systemFont(14));
}

void MemberMoreActionView::closeMenu()
{
    if (parentWidget()) {
        hide();
        setParent(nullptr);
    }
}

void MemberMoreActionView::assistantHostACtion()
{
    closeMenu();
    if (assistantHostBlock && m_model)
        assistantHostBlock(m_model, !m_model->isAssistantHost);
}

void MemberMoreActionView::removeToWAitingRoomAction()
{
    closeMenu();
    if (removeToWaitingRoomBlock && m_model)
        removeToWaitingRoomBlock(m_model);
}

void MemberMoreActionView::moveOutMeetingRoomAction()
{
    closeMenu();
    if (moveOutMeetingRoomBlock && m_model)
        moveOutMeetingRoomBlock(m_model);
}
