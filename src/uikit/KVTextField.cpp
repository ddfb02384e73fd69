#include "uikit/KVTextField.h"

KVTextField::KVTextField(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (m_didEnd)
            m_didEnd(text());
    });
}

void KVTextField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_didBegin)
        m_didBegin(text());
}
