#pragma once

#include "foundation/models/VeskUserModel.h"
#include "uikit/VeskTextField.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class InviteMemberCell;
class InviteSearchRemindView;
class QScrollArea;
class QVBoxLayout;
class VeskButton;

// An invitation panel: the user types part of a name, picks users online in the room from the
// suggestions, collects them in a list and sends. Sending goes through the delivery its owner
// sets, one call per listed user; without one the send button stays disabled.
class InviteView final : public QWidget, public VeskTextFieldFirstResponderDelegate {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 316;
    static constexpr int kRemindRowHeight = 40;
    static constexpr int kRemindMaxHeight = 180;

    // Delivers one invitation; done(delivered) once, on the main thread.
    using Delivery = std::function<void(const VeskUserModel &user, std::function<void(bool delivered)> done)>;

    explicit InviteView(QWidget *parent = nullptr);

    // 300 x 316, 70 above the bottom of its superview, 10 right of the host view's leading edge.
    void layoutSelfWithView(QWidget *hostView);

    void setInviteDelivery(Delivery delivery);

    // The field's callbacks: focus, a change and the end of editing.
    void textFieldBecomeFirstResponder(VeskTextField *field) override;
    void controlTextDidChange();
    void controlTextDidEndEditing();

    void addAction(const VeskUserModel &user);
    void removeMember(const VeskUserModel &user);
    // The suggestions for the field's text.
    void remindViewUpdate();
    // The send button.
    void inviteMember();
    // The close button.
    void closeSelf();

    [[nodiscard]] const QList<VeskUserModel> &inviteArr() const { return m_inviteArr; }
    // The drop-down's height (0: closed).
    [[nodiscard]] int heightForRemindViewContainer() const { return m_remindHeight; }
    [[nodiscard]] QList<InviteMemberCell *> cells() const;

    std::function<void()> closedBlock;

    QPointer<VeskTextField> inputField;
    QPointer<QScrollArea> userTableView;
    QPointer<QWidget> remindViewContainer;
    QPointer<InviteSearchRemindView> remindView;
    QPointer<VeskButton> sendButton;
    QPointer<VeskButton> closeButton;

private:
    void setRemindHeight(int height);
    void reloadList();
    void updateSendButton();
    void showTip(const QString &text);

    QList<VeskUserModel> m_inviteArr;
    int m_remindHeight = 0;
    Delivery m_delivery;
    bool m_sending = false;
    QPointer<QWidget> m_rows;
    QPointer<QVBoxLayout> m_rowsLayout;
};
