#include "meeting/panels/FloatingIMView.h"

#include "meeting/panels/ChatRules.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskTextView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QWidget *separator(QWidget *parent, const QString &name)
{
    auto *line = new QWidget(parent);
    line->setObjectName(name);
    line->setFixedHeight(1);
    vesk::setBackgroundColor(line, vesk::colorWithHexString(QStringLiteral("#323338")));
    return line;
}

} // namespace

FloatingIMView::FloatingIMView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FloatingIMView"));
    setAccessibleName(QStringLiteral("聊天"));
    // Its look is set once; drawing only draws.
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
    vesk::setCornerRadius(this, 8);

    auto *title = new QLabel(QStringLiteral("聊天"), this);
    title->setStyleSheet(QStringLiteral("color: #F2F2F7;"));
    title->setFont(vesk::systemFont(14, QFont::Medium));
    m_closeButton = new VeskButton(QStringLiteral("关闭"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setTextColor(vesk::colorWithHexString(QStringLiteral("#D7D7D8")));
    m_closeButton->setToolTip(QStringLiteral("关闭"));
    connect(m_closeButton, &QAbstractButton::clicked, this, [this] { closeAction(); });

    m_contentView = new QWidget(this);
    m_contentView->setObjectName(QStringLiteral("contentView"));

    m_inputView = new QWidget(this);
    m_inputView->setObjectName(QStringLiteral("inputView"));
    vesk::setBackgroundColor(m_inputView, vesk::colorWithHexString(QStringLiteral("#323232")));
    vesk::setCornerRadius(m_inputView, 6);
    m_chatTextFiled = new VeskTextView(m_inputView);
    m_chatTextFiled->setObjectName(QStringLiteral("chatTextFiled"));
    m_chatTextFiled->setAccessibleName(QStringLiteral("聊天输入"));
    m_chatTextFiled->setPlaceHolderString(ChatRules::kPlaceholder);
    m_chatTextFiled->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_chatTextFiled->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_chatTextFiled->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: transparent; color: #F2F2F7; border: none; }"));
    auto *inputBox = new QHBoxLayout(m_inputView);
    inputBox->setContentsMargins(8, 4, 8, 4);
    inputBox->addWidget(m_chatTextFiled);

    m_allowBtn = new VeskButton(QStringLiteral("全员禁言"), this);
    m_allowBtn->setObjectName(QStringLiteral("allowBtn"));
    m_allowBtn->setToggle(true);
    m_allowBtn->setTextColor(vesk::colorWithHexString(QStringLiteral("#D7D7D8")));
    m_allowBtn->setAlternateTextColor(vesk::colorWithHexString(QStringLiteral("#0A8AF9")));
    m_allowBtn->setToolTip(QStringLiteral("全员禁言"));
    connect(m_allowBtn, &QAbstractButton::clicked, this, [this] {
        if (allowIMBlock)
            allowIMBlock(m_allowBtn);
    });

    m_line1 = separator(this, QStringLiteral("line1"));
    m_line2 = separator(this, QStringLiteral("line2"));
    m_line3 = separator(this, QStringLiteral("line3"));

    auto *header = new QHBoxLayout;
    header->setContentsMargins(16, 10, 10, 10);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(m_closeButton);
    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(16, 6, 16, 10);
    footer->addStretch(1);
    footer->addWidget(m_allowBtn);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(m_line1);
    column->addWidget(m_contentView, 1);
    column->addWidget(m_line2);
    auto *inputRow = new QHBoxLayout;
    inputRow->setContentsMargins(12, 8, 12, 8);
    inputRow->addWidget(m_inputView);
    m_inputView->setFixedHeight(64);
    column->addLayout(inputRow);
    column->addWidget(m_line3);
    column->addLayout(footer);
}

void FloatingIMView::setEnableIM(bool enable)
{
    m_enableIM = enable;
    m_allowBtn->setState(enable ? 0 : 1);
    m_chatTextFiled->setEditableAndSelectable(enable);
}

void FloatingIMView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Opened from a menu: the focus comes in, Escape closes as the close button does, and the
    // focus goes back to what had it.
    QWidget *opener = QApplication::focusWidget();
    KVPanelFocus::opened(this, opener && !isAncestorOf(opener) ? opener : nullptr, [this] { closeAction(); });
}

void FloatingIMView::closeAction()
{
    if (closeBlock)
        closeBlock();
}
