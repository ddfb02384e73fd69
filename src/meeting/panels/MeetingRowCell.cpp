#include "meeting/panels/MeetingRowCell.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/MainQueue.h"
#include "foundation/RXEncrypt.h"
#include "meeting/panels/MemberListContext.h"
#include "meeting/panels/MemberListIcons.h"
#include "meeting/panels/MemberListTexts.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QApplication>
#include <QKeyEvent>

using A = KVLayoutConstraint::Attribute;
using namespace MemberListRules;

namespace {

constexpr int kIconSide = 18;

VeskButton *iconButton(QWidget *parent, const QString &objectName, const QString &image)
{
    auto *b = new VeskButton(parent);
    b->setObjectName(objectName);
    b->setImage(MemberListIcons::image(image, kIconSide));
    b->setFocusPolicy(Qt::TabFocus);
    AutoLayout::autoSetDimensionsToSize(b, QSizeF(20, 20));
    AutoLayout::autoAlignAxisToSuperviewAxis(b, A::CenterY);
    return b;
}

} // namespace

MeetingRowCell::MeetingRowCell(QWidget *parent)
    : QWidget(parent), m_bkView(new QWidget(this)), m_nameLabel(new KVElidedLabel(this, Qt::ElideMiddle)),
      m_checkButton(iconButton(this, QStringLiteral("checkButton"), QStringLiteral("checkbox_dark_nor"))),
      m_microButton(new VeskMicrophoneIcon(this)),
      m_cameraButton(iconButton(this, QStringLiteral("cameraButton"), QStringLiteral("camera_off"))),
      m_shareButton(iconButton(this, QStringLiteral("shareButton"), QStringLiteral("ic_share_disable"))),
      m_moreButton(iconButton(this, QStringLiteral("moreButton"), QStringLiteral("member_more")))
{
    setObjectName(kIdentifier);
    setAttribute(Qt::WA_Hover);
    vesk::setBackgroundColor(this, Qt::transparent);
    m_bkView->setObjectName(QStringLiteral("bkView"));
    m_bkView->setAttribute(Qt::WA_TransparentForMouseEvents);
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(m_bkView);
    vesk::setBackgroundColor(m_bkView, Qt::transparent);
    m_bkView->lower();

    AutoLayout::autoPinEdgeToSuperviewEdge(m_checkButton, A::Leading, 12);
    m_checkButton->hide();

    m_nameLabel->setObjectName(QStringLiteral("nameLabel"));
    m_nameLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    m_nameLabel->setFont(vesk::systemFont(14));
    m_nameLabel->setStyleSheet(QStringLiteral("color: #F0F0F0;"));
    m_nameLeftConstraint = AutoLayout::autoPinEdgeToSuperviewEdge(m_nameLabel, A::Leading, 21);
    m_nameLabelWidthConstraint = AutoLayout::autoSetDimension(m_nameLabel, A::Width, kNameBaseWidth);
    AutoLayout::autoSetDimension(m_nameLabel, A::Height, 20);
    AutoLayout::autoAlignAxisToSuperviewAxis(m_nameLabel, A::CenterY);

    // The more button sits right of the name; it takes no room until the pointer is over the row.
    AutoLayout::removeConstraints(m_moreButton);
    m_moreButtonLeftConstraint = AutoLayout::autoPinEdge(m_moreButton, A::Leading, A::Trailing, m_nameLabel, 0);
    m_moreButtonWidthConstraint = AutoLayout::autoSetDimension(m_moreButton, A::Width, 0);
    AutoLayout::autoSetDimension(m_moreButton, A::Height, 18);
    AutoLayout::autoAlignAxisToSuperviewAxis(m_moreButton, A::CenterY);
    m_moreButton->hide();

    m_microButton->setObjectName(QStringLiteral("microButton"));
    m_microButton->setOnImage(MemberListIcons::image(QStringLiteral("microphone"), kIconSide));
    m_microButton->setOffImage(MemberListIcons::image(QStringLiteral("microphone_off"), kIconSide));
    m_microButton->setFocusPolicy(Qt::TabFocus);
    AutoLayout::autoSetDimensionsToSize(m_microButton, QSizeF(20, 20));
    AutoLayout::autoAlignAxisToSuperviewAxis(m_microButton, A::CenterY);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_microButton, A::Trailing, 20);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_cameraButton, A::Trailing, 52);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_shareButton, A::Trailing, 84);
    m_shareButton->hide();

    connect(m_microButton, &QAbstractButton::clicked, this, [this] { micAction(); });
    connect(m_cameraButton, &QAbstractButton::clicked, this, [this] { cameraAction(); });
    connect(m_shareButton, &QAbstractButton::clicked, this, [this] { shareAcrion(); });
    connect(m_moreButton, &QAbstractButton::clicked, this, [this] { moreAction(); });
    connect(m_checkButton, &QAbstractButton::clicked, this, [this] { checkButtonAction(); });
    // A row that holds the focus shows its actions, as one under the pointer does.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        // An alert or another window taking the keyboard leaves this window's focus where it is: it
        // comes back there.
        if (!now || now->window() != window())
            return;
        const bool within = isAncestorOf(now);
        if (within == m_focusWithin)
            return;
        m_focusWithin = within;
        if (within)
            mouseEntered();
        else if (!underMouse())
            mouseExited();
    });
    setAccessibleNames();
}

void MeetingRowCell::keyPressEvent(QKeyEvent *event)
{
    // The menu key and Shift+F10 open the member's menu, as a press of its more button does.
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if ((menuKey || shiftF10) && m_model && hoverAllowed(MemberListContext::viewer(), *m_model)) {
        mouseEntered();
        m_moreButton->setFocus(Qt::ShortcutFocusReason);
        if (!m_model->isExpand)
            moreAction();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MeetingRowCell::setModel(const MemberRow &model)
{
    m_model = model;
    // The controls are named for the member they act on from the moment they do.
    setAccessibleNames();
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    MainQueue::async(this, [this] {
        m_refreshPending = false;
        refresh();
    });
}

void MeetingRowCell::refresh()
{
    if (!m_model)
        return;
    // Kept while the row holds the focus (hiding the focused more button would throw the focus away)
    // and while the member's menu is open under it.
    setMoreShown(m_hovering && (m_focusWithin || m_model->isExpand));
    m_nameLabel->setFullText(displayName(*m_model));
    m_microButton->setPhoneNumber(m_model->peerId);
    showMic(m_model->audioFlag);
    showCamera(m_model->videoFlag);
    const Viewer viewer = MemberListContext::viewer();
    if (!viewer.myPhoneNumber.isEmpty() && m_model->phoneNumber == viewer.myPhoneNumber) {
        const auto room = MemberListContext::room();
        m_model->allowSharePermissionFlag = room && room->allowFileShared;
    }
    shareButtonUI();
    updateNameLabelLayout();
    updateCheckButtonState();
    setAccessibleNames();
}

void MeetingRowCell::setAccessibleNames()
{
    const QString name = m_model ? m_model->userName + QLatin1Char(' ') : QString();
    m_microButton->setAccessibleName(name + MemberListTexts::kMicrophone);
    m_cameraButton->setAccessibleName(name + MemberListTexts::kCamera);
    m_shareButton->setAccessibleName(name + MemberListTexts::kShare);
    m_moreButton->setAccessibleName(name + MemberListTexts::kMoreActions);
    m_checkButton->setAccessibleName(name + MemberListTexts::kTick);
    for (QWidget *w : {static_cast<QWidget *>(m_microButton), static_cast<QWidget *>(m_cameraButton),
                       static_cast<QWidget *>(m_shareButton), static_cast<QWidget *>(m_moreButton),
                       static_cast<QWidget *>(m_checkButton)})
        KVDataText::setToolTip(w, w->accessibleName());
}

void MeetingRowCell::setCheckModel(bool on)
{
    m_checkModel = on;
    m_nameLeftConstraint->setConstant(on ? 40 : 21);
    updateCheckButtonState();
    updateNameLabelLayout();
}

bool MeetingRowCell::canCheck() const
{
    return m_model && !m_model->checkIsHost() && !m_model->checkIsMe();
}

void MeetingRowCell::clearBKView()
{
    vesk::setBackgroundColor(m_bkView, Qt::transparent);
}

void MeetingRowCell::updateCheckButtonState()
{
    if (!m_checkModel) {
        m_checkButton->hide();
        return;
    }
    m_checkButton->show();
    m_checkButton->setState(m_model->isCheck ? 1 : 0);
    if (canCheck()) {
        m_checkButton->setImage(MemberListIcons::image(
            m_model->isCheck ? QStringLiteral("checkbox_dark_sel") : QStringLiteral("checkbox_dark_nor"), kIconSide));
        m_checkButton->setEnabled(true);
    } else {
        m_checkButton->setImage(MemberListIcons::image(QStringLiteral("checkbox_dark_disable"), kIconSide));
        m_checkButton->setEnabled(false);
    }
}

void MeetingRowCell::updateNameLabelLayout()
{
    m_nameLabel->setElideMode(Qt::ElideMiddle);
    m_nameLabelBaseWidth = kNameBaseWidth;
    // Narrower while the more button shows beside it (the member's menu open under the row).
    m_nameLabelWidthConstraint->setConstant(nameWidth(m_checkModel, m_moreButton->isVisibleTo(this)));
}

void MeetingRowCell::shareButtonUI()
{
    if (!MemberListContext::viewer().privileged) {
        m_shareButton->hide();
        return;
    }
    m_shareButton->show();
    showShare(m_model && m_model->allowSharePermissionFlag);
}

void MeetingRowCell::showMic(bool on)
{
    m_microButton->setIconState(on ? 1 : 0);
    // Read as on or off, as the camera is.
    m_microButton->setState(on ? 1 : 0);
}

void MeetingRowCell::showCamera(bool on)
{
    m_cameraButton->setState(on ? 1 : 0);
    m_cameraButton->setImage(
        MemberListIcons::image(on ? QStringLiteral("camera_on") : QStringLiteral("camera_off"), kIconSide));
}

void MeetingRowCell::showShare(bool on)
{
    m_shareButton->setState(on ? 1 : 0);
    m_shareButton->setImage(
        MemberListIcons::image(on ? QStringLiteral("ic_share_ing") : QStringLiteral("ic_share_disable"), kIconSide));
}

void MeetingRowCell::setMoreShown(bool shown)
{
    m_moreButtonLeftConstraint->setConstant(shown ? 10 : 0);
    m_moreButtonWidthConstraint->setConstant(shown ? 18 : 0);
    m_moreButton->setVisible(shown);
}

// ---- Pointer ---------------------------------------------------------------------------------------

void MeetingRowCell::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    mouseEntered();
}

void MeetingRowCell::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    mouseExited();
}

void MeetingRowCell::mouseEntered()
{
    if (!m_model || !hoverAllowed(MemberListContext::viewer(), *m_model))
        return;
    m_hovering = true;
    setMoreShown(true);
    vesk::setBackgroundColor(m_bkView, vesk::colorWithHexString(QStringLiteral("#303030")));
    if (mouseEnteredOrExitedHandleBlock)
        mouseEnteredOrExitedHandleBlock(m_model->isExpand);
    m_nameLabelWidthConstraint->setConstant(nameWidth(m_checkModel, true));
}

void MeetingRowCell::mouseExited()
{
    // While the member's menu is open the row keeps its hover look.
    if (!m_model || !hoverAllowed(MemberListContext::viewer(), *m_model) || m_model->isExpand)
        return;
    m_hovering = false;
    setMoreShown(false);
    clearBKView();
    if (mouseEnteredOrExitedHandleBlock)
        mouseEnteredOrExitedHandleBlock(false);
    m_nameLabelWidthConstraint->setConstant(nameWidth(m_checkModel, false));
}

// ---- Buttons ---------------------------------------------------------------------------------------

void MeetingRowCell::micAction()
{
    if (!m_model)
        return;
    const MemberRow row = m_model;
    switch (micPress(MemberListContext::viewer(), *row)) {
    case Press::Refuse:
    case Press::Ignore:
    case Press::ToggleShare:
        showMic(row->audioFlag);
        return;
    case Press::AskToOpen:
        // Still off until the member opens it.
        showMic(row->audioFlag);
        if (micHandleBlock)
            micHandleBlock(row, true);
        return;
    case Press::Close:
        break;
    }
    QPointer<MeetingRowCell> self(this);
    VeskAppAgent::sharedInstance()->switchMicWithAct(this, 0, {RXEncrypt::aes128ecbEncrypt(row->phoneNumber)},
                                                     [self, row](const KVMResponse &reply) {
                                                         if (!self)
                                                             return;
                                                         // A failure leaves the microphone shown as it is: on.
                                                         if (self->isCurrent(row))
                                                             self->showMic(reply.code != 0);
                                                         if (reply.code == 0 && self->micHandleBlock)
                                                             self->micHandleBlock(row, false);
                                                     });
}

void MeetingRowCell::cameraAction()
{
    if (!m_model)
        return;
    const MemberRow row = m_model;
    if (cameraPress(MemberListContext::viewer(), *row) != Press::Close) {
        showCamera(row->videoFlag);
        return;
    }
    const auto room = MemberListContext::room();
    QPointer<MeetingRowCell> self(this);
    VeskAppAgent::sharedInstance()->handleConsumerAllOpenCamera(
        this, 0, {RXEncrypt::aes128ecbEncrypt(row->phoneNumber)}, room && room->cameraAllowStatus ? 1 : 0,
        [self, row](const KVMResponse &reply) {
            if (!self)
                return;
            if (self->isCurrent(row))
                self->showCamera(reply.code != 0);
            if (reply.code == 0 && self->cameraHandleBlock)
                self->cameraHandleBlock(row);
        });
}

void MeetingRowCell::shareAcrion()
{
    if (!m_model)
        return;
    const MemberRow row = m_model;
    if (sharePress(MemberListContext::viewer(), *row) != Press::ToggleShare) {
        showShare(row->allowSharePermissionFlag);
        return;
    }
    const QVariantList list{QVariantMap{{QStringLiteral("userId"), RXEncrypt::aes128ecbEncrypt(row->phoneNumber)},
                                        {QStringLiteral("userName"), row->userName},
                                        {QStringLiteral("allowShareStatus"), row->allowSharePermissionFlag ? 0 : 1}}};
    QPointer<MeetingRowCell> self(this);
    VeskAppAgent::sharedInstance()->sharePermission(this, 1, list, [self, row](const KVMResponse &reply) {
        if (!self)
            return;
        if (reply.code != 0) {
            if (self->isCurrent(row))
                self->showShare(row->allowSharePermissionFlag);
            return;
        }
        if (const auto room = MemberListContext::room())
            room->sharePermission = 1;
        row->allowSharePermissionFlag = !row->allowSharePermissionFlag;
        if (self->isCurrent(row))
            self->shareButtonUI();
        if (self->sharePermisssionChangeBlock)
            self->sharePermisssionChangeBlock();
    });
}

void MeetingRowCell::moreAction()
{
    if (!m_model)
        return;
    m_model->isExpand = !m_model->isExpand;
    if (!moreHandleBlock || !MemberListContext::viewer().privileged)
        return;
    const QPoint at = parentWidget() ? m_moreButton->mapTo(parentWidget(), QPoint(0, 0)) : m_moreButton->pos();
    moreHandleBlock(m_model, at.x(), at.y());
}

void MeetingRowCell::checkButtonAction()
{
    if (!m_model)
        return;
    m_model->isCheck = !m_model->isCheck;
    updateCheckButtonState();
    if (removeModelCheckAction)
        removeModelCheckAction(m_model->isCheck);
}
