#include "meeting/panels/ChatPanel.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCodes.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/panels/ChatRules.h"
#include "meeting/panels/FloatingIMView.h"
#include "meeting/panels/IMDisplayView.h"
#include "meeting/panels/MeetingPanels.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskTextView.h"
#include "uikit/VeskToast.h"

#include <QTextCursor>

namespace {

bool userIsPrivileged()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    VeskMeetingManager *manager = MeetingCurrent::manager();
    return (agent && agent->myInfo().isHost()) || (manager && manager->asssitantHost());
}

bool roomAllowsChat()
{
    const auto room = MeetingCurrent::room();
    return room && room->imAllowStatus;
}

} // namespace

ChatPanel::ChatPanel(MeetingPanels &panels, Views views, Calls calls)
    : QObject(&panels), m_panels(panels), m_views(std::move(views)), m_calls(std::move(calls))
{
}

void ChatPanel::setupChat()
{
    QPointer<ChatPanel> self(this);
    if (VeskTextView *input = m_views.input) {
        input->shouldChangeTextBlock = [self, input](const QString &replacement) {
            return !self || self->shouldChangeText(input, replacement, self->m_panels.view());
        };
    }
    if (IMDisplayView *overlay = m_views.overlay)
        overlay->keepClearBlock = [self] { return self ? self->nameBarRects() : QList<QRect>(); };
}

void ChatPanel::gridAreaChanged()
{
    // The tiles settle after the grid's signal; the overlay is placed once they have.
    if (m_placementQueued || !m_views.overlay)
        return;
    m_placementQueued = true;
    MainQueue::async(this, [this] {
        m_placementQueued = false;
        if (m_views.overlay)
            m_views.overlay->updatePlacement();
    });
}

QList<QRect> ChatPanel::nameBarRects() const
{
    IMDisplayView *overlay = m_views.overlay;
    if (!overlay || !overlay->parentWidget() || !m_calls.keepClearRects)
        return {};
    return m_calls.keepClearRects(overlay->parentWidget());
}

// ---- Lines -------------------------------------------------------------------------------------

void ChatPanel::addSingleMessage(const MeetingMessageModel &line)
{
    if (m_views.overlay)
        m_views.overlay->addSingleMessage(line);
    floatingIMDisplayView()->addSingleMessage(MeetingMessageModel(line));
}

IMDisplayView *ChatPanel::floatingIMDisplayView()
{
    if (!m_floatingIMDisplayView) {
        m_floatingIMDisplayView = vesk::loadViewFromNibWithName<IMDisplayView>(QStringLiteral("IMDisplayView"));
        if (!m_floatingIMDisplayView)
            m_floatingIMDisplayView = new IMDisplayView();
        m_floatingIMDisplayView->setObjectName(QStringLiteral("floatingIMDisplayView"));
        // Kept while the window lives; the floating panel borrows it.
        m_floatingIMDisplayView->setParent(m_panels.view());
        m_floatingIMDisplayView->hide();
        vesk::setBackgroundColor(m_floatingIMDisplayView, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
        vesk::setCornerRadius(m_floatingIMDisplayView, 0);
    }
    m_floatingIMDisplayView->setFloatingState(true);
    return m_floatingIMDisplayView;
}

FloatingIMView *ChatPanel::floatingIMView()
{
    if (m_floatingIMView)
        return m_floatingIMView;
    auto *panel = new FloatingIMView();
    m_floatingIMView = panel;
    IMDisplayView *list = floatingIMDisplayView();
    list->setParent(panel->contentView());
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(list);
    list->show();
    QPointer<ChatPanel> self(this);
    panel->closeBlock = [self] {
        if (self)
            self->closeFloatingIMView();
    };
    panel->allowIMBlock = [self](VeskButton *sender) {
        if (self)
            self->allowIMAction(sender);
    };
    panel->chatTextFiled()->shouldChangeTextBlock = [self, panel](const QString &replacement) {
        return !self || self->shouldChangeText(panel->chatTextFiled(), replacement, panel);
    };
    // The room's permission as the panel opens, by role as in the window.
    const ChatRules::PermissionDisplay display = ChatRules::permissionDisplay(roomAllowsChat(), userIsPrivileged());
    panel->setEnableIM(display.floatingEnabled);
    panel->allowBtn()->setState(roomAllowsChat() ? 0 : 1);
    panel->allowBtn()->setVisible(userIsPrivileged());
    return panel;
}

void ChatPanel::closeFloatingIMView()
{
    QPointer<FloatingIMView> panel = m_floatingIMView;
    m_floatingIMView = nullptr;
    if (!panel)
        return;
    // The list stays with the window for the next opening.
    if (m_floatingIMDisplayView) {
        AutoLayout::removeConstraints(m_floatingIMDisplayView);
        m_floatingIMDisplayView->hide();
        m_floatingIMDisplayView->setParent(m_panels.view());
    }
    QWidget *floatingWindow = panel->window();
    panel->hide();
    if (floatingWindow && floatingWindow != panel.data())
        floatingWindow->close();
    panel->deleteLater();
    m_panels.moreMenuItemDidClose(MoreItemView::MessageItem);
}

// ---- Typing ------------------------------------------------------------------------------------

bool ChatPanel::shouldChangeText(VeskTextView *input, const QString &replacement, QWidget *tipView)
{
    if (!input)
        return true;
    const QTextCursor cursor = input->textCursor();
    const ChatRules::InputDecision decision =
        ChatRules::inputDecision(input->string(), replacement, cursor.selectionStart(), cursor.selectionEnd());
    switch (decision.kind) {
    case ChatRules::InputDecision::Kind::Send:
        sendLine(decision.text);
        input->setString(QString());
        return false;
    case ChatRules::InputDecision::Kind::Refuse:
        if (tipView)
            VeskMeetingToast::showNomalTip(tipView, decision.tip);
        return false;
    case ChatRules::InputDecision::Kind::Accept:
        break;
    }
    return true;
}

void ChatPanel::sendLine(const QString &text)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (!manager)
        return;
    IMMessage message;
    message.type = qint64(MeetingMessageType::Chat);
    if (VeskAppAgent *agent = VeskAppAgent::existingInstance())
        message.senderName = agent->myInfo().userName;
    message.data = QStringList{text};
    manager->sendMessage(message);
}

// ---- Forbidding and allowing ---------------------------------------------------------------------

void ChatPanel::disableIMAction(VeskButton *sender)
{
    if (!sender)
        return;
    if (userIsPrivileged()) {
        requestSwitch(sender);
        return;
    }
    // Only the room decides: the click puts the switch and the input back in line with it.
    const ChatRules::InputState state = ChatRules::participantInputState(roomAllowsChat());
    applyWindowInput(state.editable, state.enableButtonState, state.placeholder, state.emptied);
}

void ChatPanel::allowIMAction(VeskButton *sender)
{
    if (!sender)
        return;
    if (userIsPrivileged()) {
        requestSwitch(sender);
        return;
    }
    const bool allowed = roomAllowsChat();
    sender->setState(allowed ? 0 : 1);
    if (m_floatingIMView)
        m_floatingIMView->chatTextFiled()->setEditableAndSelectable(allowed);
}

void ChatPanel::requestSwitch(VeskButton *sender)
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return;
    // One request at a time. The switch keeps the focus while it waits (disabled, it would hand the
    // keyboard to the next control); a press meanwhile only takes back the flip it made.
    if (m_switchInFlight) {
        sender->setState(sender->state() != 0 ? 0 : 1);
        return;
    }
    m_switchInFlight = true;
    const qint64 wanted = ChatRules::requestedAllowStatus(sender->state());
    QPointer<VeskButton> button(sender);
    QPointer<ChatPanel> self(this);
    agent->switchIM(this, wanted, [self, button, wanted](const KVMResponse &reply) {
        if (!self)
            return;
        self->m_switchInFlight = false;
        if (!reply.successed || reply.code != 0) {
            if (button)
                button->setState(wanted == 0 ? 0 : 1);
            return;
        }
        VeskToast::showToast(wanted == 0 ? ChatRules::kForbidDoneToast : ChatRules::kAllowDoneToast);
        VeskMeetingManager *manager = MeetingCurrent::manager();
        if (!manager)
            return;
        if (const auto room = manager->roomInfo())
            room->imAllowStatus = wanted == 1;
        MeetingControlData data;
        data.peerId = QStringLiteral("-1");
        data.switchStatus = int(wanted);
        manager->sendMeetingControlWithType(qint64(MeetingControlEvent::AllowSendIMMessage), data,
                                            {QStringLiteral("peerId"), QStringLiteral("switchStatus")});
    });
}

void ChatPanel::handleAllowSendIMMessage(const MeetingControlData &data)
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    const ChatRules::PermissionCommand command = ChatRules::permissionCommand(
        data.peerId, data.switchStatus, agent ? agent->myInfo().phoneNumber : QString(), userIsPrivileged());
    if (!command.addressed)
        return;
    if (command.setsRoomForbid) {
        if (const auto room = MeetingCurrent::room())
            room->imForbid = command.forbid;
        if (command.showsForbidToast)
            VeskToast::showToastInMeetingFiveSecond(data.imForbidMsg);
    }
    if (!command.touchesInputs)
        return;
    applyWindowInput(command.input.editable, command.input.enableButtonState, command.input.placeholder,
                     command.input.emptied);
    if (m_floatingIMView)
        m_floatingIMView->setEnableIM(command.floatingEnabled);
}

void ChatPanel::needChangeImAllowDisplay()
{
    const bool privileged = userIsPrivileged();
    const ChatRules::PermissionDisplay display = ChatRules::permissionDisplay(roomAllowsChat(), privileged);
    if (VeskTextView *input = m_views.input) {
        input->setEditableAndSelectable(display.editable);
        if (display.emptiedWithForbiddenPlaceholder) {
            input->setString(QString());
            input->setPlaceHolderString(ChatRules::kForbiddenPlaceholder);
        }
    }
    // Who may forbid changes with the assistant hosts.
    if (m_views.enableButton)
        m_views.enableButton->setVisible(privileged);
    if (m_floatingIMView) {
        m_floatingIMView->setEnableIM(display.floatingEnabled);
        m_floatingIMView->allowBtn()->setVisible(privileged);
    }
}

void ChatPanel::applyWindowInput(bool editable, qint64 switchState, const QString &placeholder, bool emptied)
{
    if (VeskTextView *input = m_views.input) {
        input->setEditableAndSelectable(editable);
        if (emptied)
            input->setString(QString());
        if (!placeholder.isEmpty())
            input->setPlaceHolderString(placeholder);
    }
    if (VeskButton *button = m_views.enableButton)
        button->setState(switchState);
}

void ChatPanel::showOrHideIMVIew(VeskButton *sender)
{
    if (m_views.overlay && sender)
        m_views.overlay->setVisible(sender->state() <= 0);
}
