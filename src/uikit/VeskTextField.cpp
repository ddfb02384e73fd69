#include "uikit/VeskTextField.h"

VeskTextField::VeskTextField(QWidget *parent) : QLineEdit(parent) {}

void VeskTextField::setResponderDelegate(VeskTextFieldFirstResponderDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = m_delegateObject != nullptr;
}

VeskTextFieldFirstResponderDelegate *VeskTextField::responderDelegate() const
{
    if (m_delegateIsObject && !m_delegateObject)
        return nullptr;
    return m_delegate;
}

void VeskTextField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (auto *d = responderDelegate())
        d->textFieldBecomeFirstResponder(this);
}
