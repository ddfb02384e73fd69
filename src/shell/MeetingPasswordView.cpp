#include "shell/MeetingPasswordView.h"

#include "shell/ShellStyle.h"
#include "shell/ShellTexts.h"
#include "uikit/KVAlert.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

MeetingPasswordView::MeetingPasswordView(const QString &message, QWidget *parent) : QWidget(parent)
{
    setAccessibleName(ShellTexts::kPasswordTitle);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->setSpacing(10);
    QLabel *title = ShellStyle::label(ShellTexts::kPasswordTitle, this, 16, false, true);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    m_field = new KVTextFieldView(this);
    m_field->setPlaceholder(ShellTexts::kPasswordPlaceholder);
    m_field->setAccessibleName(ShellTexts::kPasswordPlaceholder);
    m_field->textField()->setAccessibleName(ShellTexts::kPasswordPlaceholder);
    m_field->textField()->setEchoMode(QLineEdit::Password);
    m_field->setFixedHeight(36);
    ShellStyle::applyFieldLook(m_field);
    layout->addWidget(m_field);
    m_message = ShellStyle::inlineMessage(this);
    ShellStyle::setInlineMessage(m_message, message);
    layout->addWidget(m_message);
    layout->addStretch(1);
    auto *row = new QHBoxLayout();
    row->setSpacing(12);
    m_cancel = ShellStyle::secondaryButton(ShellTexts::kCancel, this, 32);
    m_confirm = ShellStyle::primaryButton(ShellTexts::kJoinMeeting, this, 32);
    row->addWidget(m_cancel);
    row->addWidget(m_confirm);
    layout->addLayout(row);
    connect(m_cancel, &QAbstractButton::clicked, this, &MeetingPasswordView::cancel);
    connect(m_confirm, &QAbstractButton::clicked, this, &MeetingPasswordView::confirm);
    connect(m_field->textField(), &QLineEdit::returnPressed, this, &MeetingPasswordView::confirm);
    m_field->setDidChangedBlock([this](const QString &) { ShellStyle::setInlineMessage(m_message, {}); });
}

QAbstractButton *MeetingPasswordView::cancelButton() const
{
    return m_cancel;
}
QAbstractButton *MeetingPasswordView::confirmButton() const
{
    return m_confirm;
}

void MeetingPasswordView::confirm()
{
    const QString password = m_field->stringValue();
    if (password.isEmpty()) {
        ShellStyle::setInlineMessage(m_message, ShellTexts::kPasswordEmpty);
        m_field->setUnValidstate(true);
        return;
    }
    auto done = onConfirm;
    close();
    if (done)
        done(password);
}

void MeetingPasswordView::cancel()
{
    auto done = onCancel;
    close();
    if (done)
        done();
}

void MeetingPasswordView::close()
{
    if (auto *alert = qobject_cast<KVAlert *>(parentWidget()))
        alert->dismiss();
}
