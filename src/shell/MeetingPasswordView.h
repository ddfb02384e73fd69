#pragma once

#include "uikit/KVAlertProtocol.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <functional>

// The meeting-password prompt shown in an alert when the service asks for one. It checks the
// field is not empty; the alert around it closes on either answer.
class MeetingPasswordView final : public QWidget, public KVAlertProtocol {
    Q_OBJECT
public:
    // message: shown under the field (the service's word after a wrong password), may be empty.
    explicit MeetingPasswordView(const QString &message, QWidget *parent = nullptr);

    std::function<void(const QString &password)> onConfirm;
    std::function<void()> onCancel;

    [[nodiscard]] KVTextFieldView *passwordField() const { return m_field; }
    [[nodiscard]] QLabel *messageLabel() const { return m_message; }
    void confirm();
    void cancel();

    [[nodiscard]] QSize preferredSize() const override { return {340, 210}; }
    [[nodiscard]] QAbstractButton *cancelButton() const override;
    [[nodiscard]] QAbstractButton *confirmButton() const override;

private:
    void close();

    QPointer<KVTextFieldView> m_field;
    QPointer<QLabel> m_message;
    QPointer<VeskButton> m_cancel;
    QPointer<VeskButton> m_confirm;
};
