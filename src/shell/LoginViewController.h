#pragma once

#include "foundation/KVClock.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>

class KVMResponse;

// The login page: phone number and SMS code, the code request with its count-down, sign-in.
// Input is checked before anything is sent; a bad input gets a message under its field.
class LoginViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    static constexpr int kCountDownSeconds = 60;

    explicit LoginViewController(QObject *parent = nullptr);

    // The code request button: checks the number, asks the service, starts the count-down.
    void sendSmsCode();
    // The sign-in button: checks both fields, signs in, opens the home page.
    void login();

    [[nodiscard]] KVTextFieldView *phoneField() const { return m_phoneField; }
    [[nodiscard]] KVTextFieldView *codeField() const { return m_codeField; }
    [[nodiscard]] VeskButton *codeButton() const { return m_codeButton; }
    [[nodiscard]] VeskButton *loginButton() const { return m_loginButton; }
    [[nodiscard]] QLabel *phoneMessage() const { return m_phoneMessage; }
    [[nodiscard]] QLabel *codeMessage() const { return m_codeMessage; }
    // Seconds left before another code may be requested (0: it may).
    [[nodiscard]] int secondsLeft() const { return m_secondsLeft; }

protected:
    void loadView() override;

private:
    void startCountDown();
    void tick();
    void updateCodeButton();
    [[nodiscard]] bool checkPhone();

    QPointer<KVTextFieldView> m_phoneField;
    QPointer<KVTextFieldView> m_codeField;
    QPointer<QLabel> m_phoneMessage;
    QPointer<QLabel> m_codeMessage;
    QPointer<VeskButton> m_codeButton;
    QPointer<VeskButton> m_loginButton;
    QPointer<KVTimer> m_countDown;
    int m_secondsLeft = 0;
    bool m_sending = false;
    bool m_signingIn = false;
};
