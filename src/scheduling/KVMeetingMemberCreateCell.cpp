#include "scheduling/KVMeetingMemberCreateCell.h"

#include "uikit/KVTextField.h"
#include "uikit/VeskCategories.h"

KVMeetingMemberCreateCell::KVMeetingMemberCreateCell(QWidget *parent) : QWidget(parent), m_input(new KVTextField(this))
{
    m_input->setFrame(false);
    m_input->setFont(vesk::systemFont(12));
    m_input->setTextMargins(0, 0, 0, 0);
    m_input->setStyleSheet(QStringLiteral("background: transparent; color: #333333;"));
    setFocusProxy(m_input);
}

void KVMeetingMemberCreateCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_input->setGeometry(rect());
}
