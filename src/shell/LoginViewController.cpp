#include "shell/LoginViewController.h"

#include "agent/VeskAppAgent.h"
#include "connection/KVMResponse.h"
#include "foundation/KVClock.h"
#include "shell/ShellLog.h"
#include "shell/ShellRules.h"
#include "shell/ShellStyle.h"
#include "shell/ShellTexts.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

using namespace std::chrono_literals;

namespace {
KVTextFieldView *makeField(const QString &name, const QString &placeholder, int limit, QWidget *parent)
{
    auto *field = new KVTextFieldView(parent);
    field->setOnlySupportNumber(true);
    field->setLimitLength(limit);
    field->setPlaceholder(placeholder);
    field->setAccessibleName(name);
    field->textField()->setAccessibleName(name);
    field->textField()->setToolTip(placeholder);
    field->setFixedHeight(40);
    ShellStyle::applyFieldLook(field);
    return field;
}
} // namespace

LoginViewController::LoginViewController(QObject *parent) : MacBaseViewController(parent) {}

void LoginViewController::loadView()
{
    auto *view = new QWidget();
    ShellStyle::applyWindowLook(view);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(40, 56, 40, 40);
    layout->setSpacing(8);

    QLabel *title = ShellStyle::label(ShellTexts::kLoginTitle, view, 24, false, true);
    title->setAccessibleName(title->text());
    QLabel *subtitle = ShellStyle::label(ShellTexts::kLoginSubtitle, view, 12, true);
    subtitle->setWordWrap(true);
    subtitle->setAccessibleName(subtitle->text());
    layout->addWidget(title);
    layout->addWidget(subtitle);
    layout->addSpacing(32);

    layout->addWidget(ShellStyle::label(ShellTexts::kPhoneLabel, view, 13, true));
    m_phoneField = makeField(ShellTexts::kPhoneLabel, ShellTexts::kPhonePlaceholder, LoginInput::kPhoneLength, view);
    layout->addWidget(m_phoneField);
    m_phoneMessage = ShellStyle::inlineMessage(view);
    m_phoneMessage->setObjectName(QStringLiteral("phoneMessage"));
    layout->addWidget(m_phoneMessage);
    layout->addSpacing(8);

    layout->addWidget(ShellStyle::label(ShellTexts::kCodeLabel, view, 13, true));
    auto *codeRow = new QHBoxLayout();
    codeRow->setSpacing(8);
    m_codeField = makeField(ShellTexts::kCodeLabel, ShellTexts::kCodePlaceholder, LoginInput::kSmsCodeLength, view);
    m_codeButton = ShellStyle::secondaryButton(ShellTexts::kGetCode, view);
    m_codeButton->setObjectName(QStringLiteral("codeButton"));
    // Wide enough for the count-down text with room on both sides.
    m_codeButton->setFixedWidth(
        std::max(128, m_codeButton->fontMetrics().horizontalAdvance(ShellTexts::kCountDown.arg(60)) + 32));
    codeRow->addWidget(m_codeField, 1);
    codeRow->addWidget(m_codeButton);
    layout->addLayout(codeRow);
    m_codeMessage = ShellStyle::inlineMessage(view);
    m_codeMessage->setObjectName(QStringLiteral("codeMessage"));
    layout->addWidget(m_codeMessage);
    layout->addSpacing(24);

    m_loginButton = ShellStyle::primaryButton(ShellTexts::kLoginButton, view, 44);
    m_loginButton->setObjectName(QStringLiteral("loginButton"));
    layout->addWidget(m_loginButton);
    layout->addStretch(1);

    // Typing clears the message of that field.
    m_phoneField->setDidChangedBlock([this](const QString &) {
        ShellStyle::setInlineMessage(m_phoneMessage, {});
        m_phoneField->setUnValidstate(false);
    });
    m_codeField->setDidChangedBlock([this](const QString &) {
        ShellStyle::setInlineMessage(m_codeMessage, {});
        m_codeField->setUnValidstate(false);
    });
    connect(m_codeButton, &QAbstractButton::clicked, this, &LoginViewController::sendSmsCode);
    connect(m_loginButton, &QAbstractButton::clicked, this, &LoginViewController::login);
    connect(m_codeField->textField(), &QLineEdit::returnPressed, this, &LoginViewController::login);
    setView(view);
    QWidget::setTabOrder(m_phoneField->textField(), m_codeField->textField());
}

bool LoginViewController::checkPhone()
{
    const bool ok = LoginInput::isValidPhoneNumber(m_phoneField->stringValue());
    ShellStyle::setInlineMessage(m_phoneMessage, ok ? QString() : ShellTexts::kPhoneInvalid);
    m_phoneField->setUnValidstate(!ok);
    return ok;
}

void LoginViewController::sendSmsCode()
{
    if (m_sending || m_secondsLeft > 0 || !checkPhone())
        return;
    m_sending = true;
    updateCodeButton();
    VeskToast::showLoadingToast(ShellTexts::kSendingCode);
    QPointer<LoginViewController> self(this);
    VeskAppAgent::sharedInstance()->sendSmsCodeWithPhoneNumber(
        this, m_phoneField->stringValue(), [self](const KVMResponse &response) {
            VeskToast::dismissLoadingToast();
            if (!self)
                return;
            self->m_sending = false;
            if (!response.successed) {
                self->updateCodeButton();
                VeskToast::showToast(ReplyText::failureText(response));
                return;
            }
            VeskToast::showToast(ShellTexts::kCodeSent);
            self->startCountDown();
            if (self->m_codeField)
                self->m_codeField->textField()->setFocus();
        });
}

void LoginViewController::startCountDown()
{
    if (m_countDown)
        m_countDown->invalidate();
    m_secondsLeft = kCountDownSeconds;
    m_countDown = KVTimer::repeating(this, 1s, [this] { tick(); });
    updateCodeButton();
}

void LoginViewController::tick()
{
    if (m_secondsLeft > 0)
        --m_secondsLeft;
    if (m_secondsLeft == 0 && m_countDown)
        m_countDown->invalidate();
    updateCodeButton();
}

void LoginViewController::updateCodeButton()
{
    if (!m_codeButton)
        return;
    const QString title = m_secondsLeft > 0 ? ShellTexts::kCountDown.arg(m_secondsLeft) : ShellTexts::kGetCode;
    m_codeButton->setTitle(title);
    m_codeButton->setAccessibleName(title);
    m_codeButton->setEnabled(!m_sending && m_secondsLeft == 0);
}

void LoginViewController::login()
{
    if (m_signingIn)
        return;
    const bool phoneOk = checkPhone();
    const bool codeOk = LoginInput::isValidSmsCode(m_codeField->stringValue());
    ShellStyle::setInlineMessage(m_codeMessage, codeOk ? QString() : ShellTexts::kCodeInvalid);
    m_codeField->setUnValidstate(!codeOk);
    if (!phoneOk || !codeOk)
        return;
    m_signingIn = true;
    m_loginButton->setEnabled(false);
    VeskToast::showLoadingToast(ShellTexts::kSigningIn);
    QPointer<LoginViewController> self(this);
    VeskAppAgent::sharedInstance()->loginWithPhoneNumber(
        this, m_phoneField->stringValue(), m_codeField->stringValue(), [self](const KVMResponse &response) {
            VeskToast::dismissLoadingToast();
            if (!self)
                return;
            self->m_signingIn = false;
            if (self->m_loginButton)
                self->m_loginButton->setEnabled(true);
            if (!response.successed) {
                VeskToast::showToast(ReplyText::failureText(response));
                return;
            }
            qCInfo(lcShell) << "signed in; opening the home page";
            if (KVPageNavigator *navigator = KVPageNavigator::current())
                navigator->showMainPage(false);
        });
}
