#include "meeting/panels/InviteView.h"

#include "agent/VeskAppAgent.h"
#include "meeting/panels/InviteMemberCell.h"
#include "meeting/panels/InviteSearchRemindView.h"
#include "meeting/panels/PanelIcons.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
constexpr int kMargin = 16;
constexpr int kFieldTop = 44;
constexpr int kFieldHeight = 32;
constexpr int kListTop = kFieldTop + kFieldHeight + 8;
} // namespace

InviteView::InviteView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("InviteView"));
    setAccessibleName(QStringLiteral("邀请参会人"));
    resize(kWidth, kHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
    vesk::setCornerRadius(this, 3.0);

    auto *title = new QLabel(QStringLiteral("邀请参会人"), this);
    title->setFont(vesk::systemFont(14, QFont::Medium));
    title->setStyleSheet(QStringLiteral("color: white;"));
    title->setGeometry(kMargin, 12, 160, 22);

    closeButton = new VeskButton(this);
    closeButton->setImage(PanelIcons::image(QStringLiteral("panel_close"), 18));
    closeButton->setAccessibleName(QStringLiteral("关闭"));
    closeButton->setToolTip(QStringLiteral("关闭"));
    closeButton->setGeometry(kWidth - 34, 8, 26, 26);
    connect(closeButton, &VeskButton::clicked, this, [this] { closeSelf(); });

    inputField = new VeskTextField(this);
    inputField->setAccessibleName(QStringLiteral("用户名"));
    inputField->setAttribute(Qt::WA_MacShowFocusRect, false);
    inputField->setFrame(false);
    inputField->setStyleSheet(
        QStringLiteral("QLineEdit { color: white; background: #2B2C31; border-radius: 2px; padding: 0 8px; }"));
    vesk::setPlaceholder(inputField, QStringLiteral("请输入用户名"),
                         vesk::colorWithHexString(QStringLiteral("#999999")));
    inputField->setGeometry(kMargin, kFieldTop, kWidth - 2 * kMargin, kFieldHeight);
    inputField->setResponderDelegate(this);
    // Every change of the text, typed or set by assistive technology, searches.
    connect(inputField, &QLineEdit::textChanged, this, [this] { controlTextDidChange(); });
    connect(inputField, &QLineEdit::editingFinished, this, [this] { controlTextDidEndEditing(); });

    userTableView = new QScrollArea(this);
    userTableView->setFrameShape(QFrame::NoFrame);
    userTableView->setWidgetResizable(true);
    userTableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    userTableView->setFocusPolicy(Qt::NoFocus); // Tab goes to its rows
    userTableView->setStyleSheet(
        QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    userTableView->setGeometry(kMargin, kListTop, kWidth - 2 * kMargin, kHeight - kListTop - 52);
    m_rows = new QWidget();
    m_rowsLayout = new QVBoxLayout(m_rows);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch(1);
    userTableView->setWidget(m_rows);

    sendButton = new VeskButton(QStringLiteral("发送邀请"), this);
    sendButton->setFont(vesk::systemFont(14));
    sendButton->setTextColor(Qt::white);
    sendButton->setGeometry((kWidth - 120) / 2, kHeight - 44, 120, 32);
    vesk::setBackgroundColor(sendButton, vesk::colorWithHexString(QStringLiteral("#007AFF")));
    vesk::setCornerRadius(sendButton, 4.0);
    connect(sendButton, &VeskButton::clicked, this, [this] { inviteMember(); });

    // The drop-down lies over the list, under the field.
    remindViewContainer = new QWidget(this);
    remindViewContainer->setGeometry(kMargin, kFieldTop + kFieldHeight, kWidth - 2 * kMargin, 0);
    remindView = new InviteSearchRemindView(remindViewContainer);
    auto *pin = new QVBoxLayout(remindViewContainer);
    pin->setContentsMargins(0, 0, 0, 0);
    pin->addWidget(remindView);
    remindView->selectedModelBlock = [this](const VeskUserModel &user) {
        addAction(user);
        setRemindHeight(0);
        inputField->setFocus(Qt::OtherFocusReason);
    };
    // The suggestions stay while the keyboard is in the field or in them.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (m_remindHeight > 0 && now && now != inputField && !remindView->isAncestorOf(now))
            setRemindHeight(0);
    });
    setRemindHeight(0);
    updateSendButton();
}

void InviteView::layoutSelfWithView(QWidget *hostView)
{
    if (!parentWidget() || !hostView)
        return;
    AutoLayout::removeConstraints(this);
    AutoLayout::autoSetDimensionsToSize(this, QSizeF(kWidth, kHeight));
    AutoLayout::autoPinEdgeToSuperviewEdge(this, AutoLayout::Attribute::Bottom, 70);
    AutoLayout::autoPinEdge(this, AutoLayout::Attribute::Leading, AutoLayout::Attribute::Leading, hostView, 10);
}

void InviteView::setInviteDelivery(Delivery delivery)
{
    m_delivery = std::move(delivery);
    updateSendButton();
}

void InviteView::updateSendButton()
{
    sendButton->setEnabled(m_delivery && !m_sending);
}

void InviteView::setRemindHeight(int height)
{
    m_remindHeight = height;
    remindViewContainer->resize(remindViewContainer->width(), height);
    remindViewContainer->setVisible(height > 0);
    remindViewContainer->raise();
}

void InviteView::textFieldBecomeFirstResponder(VeskTextField *)
{
    remindViewUpdate();
}

void InviteView::controlTextDidChange()
{
    remindViewUpdate();
}

void InviteView::controlTextDidEndEditing()
{
    // Tab went on into the suggestions.
    if (remindView->isAncestorOf(QApplication::focusWidget()))
        return;
    remindViewUpdate();
    setRemindHeight(0);
}

void InviteView::remindViewUpdate()
{
    const QString text = inputField->text();
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    QList<VeskUserModel> suggestions;
    if (agent) {
        for (const VeskUserModel &user : agent->onlineUsers()) {
            if (!text.isEmpty() && !user.userName.contains(text, Qt::CaseSensitive))
                continue;
            const bool known = std::any_of(suggestions.cbegin(), suggestions.cend(),
                                           [&](const VeskUserModel &u) { return u.userId == user.userId; });
            if (!known)
                suggestions.append(user);
        }
    }
    // The same suggestions keep their rows (and a row that has the focus keeps it).
    const auto same = [](const VeskUserModel &a, const VeskUserModel &b) {
        return a.userId == b.userId && a.userName == b.userName;
    };
    const QList<VeskUserModel> &shown = remindView->userArr();
    if (!std::equal(suggestions.cbegin(), suggestions.cend(), shown.cbegin(), shown.cend(), same))
        remindView->setUserArr(suggestions);
    setRemindHeight(std::min(kRemindMaxHeight, int(suggestions.size()) * kRemindRowHeight));
    // Tab goes from the field into the suggestions.
    QWidget *previous = inputField;
    for (RemindCell *cell : remindView->cells()) {
        QWidget::setTabOrder(previous, cell);
        previous = cell;
    }
}

void InviteView::addAction(const VeskUserModel &user)
{
    const bool listed = std::any_of(m_inviteArr.cbegin(), m_inviteArr.cend(),
                                    [&](const VeskUserModel &u) { return u.userId == user.userId; });
    if (listed) {
        VeskToast::showToast(QStringLiteral("该用户已经添加"));
        return;
    }
    m_inviteArr.append(user);
    reloadList();
}

void InviteView::removeMember(const VeskUserModel &user)
{
    const auto it = std::find_if(m_inviteArr.begin(), m_inviteArr.end(),
                                 [&](const VeskUserModel &u) { return u.userId == user.userId; });
    if (it == m_inviteArr.end())
        return;
    m_inviteArr.erase(it);
    reloadList();
}

QList<InviteMemberCell *> InviteView::cells() const
{
    return m_rows ? m_rows->findChildren<InviteMemberCell *>() : QList<InviteMemberCell *>();
}

void InviteView::reloadList()
{
    // Later: a row may be the one whose remove button brought this about.
    for (InviteMemberCell *cell : cells()) {
        cell->hide();
        cell->setParent(nullptr);
        cell->deleteLater();
    }
    int at = 0;
    for (const VeskUserModel &user : std::as_const(m_inviteArr)) {
        auto *cell = new InviteMemberCell(user, m_rows);
        cell->removeBlock = [this](const VeskUserModel &u) { removeMember(u); };
        m_rowsLayout->insertWidget(at++, cell);
    }
}

void InviteView::showTip(const QString &text)
{
    VeskMeetingToast::showNomalTip(window(), text);
}

void InviteView::inviteMember()
{
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
    if (m_inviteArr.isEmpty()) {
        showTip(QStringLiteral("请输入邀请成员"));
        return;
    }
    if (!m_delivery || m_sending)
        return;
    m_sending = true;
    updateSendButton();
    // Counts the answers; the tip comes once every invitation has one.
    struct Round {
        qsizetype waiting = 0;
        bool failed = false;
    };
    auto round = std::make_shared<Round>();
    round->waiting = m_inviteArr.size();
    QPointer<InviteView> self(this);
    const QList<VeskUserModel> users = m_inviteArr;
    for (const VeskUserModel &user : users) {
        auto answered = std::make_shared<bool>(false);
        m_delivery(user, [self, round, answered](bool delivered) {
            if (*answered)
                return;
            *answered = true;
            round->failed = round->failed || !delivered;
            if (--round->waiting > 0 || !self)
                return;
            self->m_sending = false;
            self->updateSendButton();
            self->showTip(round->failed ? QStringLiteral("邀请发送失败，请稍后重试")
                                        : QStringLiteral("您的邀请已发送成功"));
        });
    }
}

void InviteView::closeSelf()
{
    if (closedBlock)
        closedBlock();
}
