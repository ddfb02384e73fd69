#include "uikit/VeskTextView.h"

#include "uikit/VeskCategories.h"

#include <QPainter>
#include <QTextDocument>

VeskTextView::VeskTextView(QWidget *parent) : QPlainTextEdit(parent)
{
    // Tab moves on to the next control; a tab character has no place in these inputs.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, viewport(), qOverload<>(&QWidget::update));
}

void VeskTextView::setPlaceHolderString(const QString &placeholder)
{
    m_placeholder = placeholder;
    if (accessibleDescription().isEmpty() || accessibleDescription() == m_placeholder)
        setAccessibleDescription(placeholder);
    if (accessibleName().isEmpty())
        setAccessibleName(placeholder);
    viewport()->update();
}

void VeskTextView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    if (m_placeholder.isEmpty() || !document()->isEmpty())
        return;
    QPainter p(viewport());
    p.setFont(vesk::systemFont(12));
    p.setPen(vesk::colorWithHexString(QStringLiteral("999999")));
    const int margin = int(document()->documentMargin());
    p.drawText(viewport()->rect().adjusted(margin + 1, margin, -margin, -margin),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_placeholder);
}
