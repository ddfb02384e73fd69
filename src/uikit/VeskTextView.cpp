#include "uikit/VeskTextView.h"

#include "uikit/VeskCategories.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>

VeskTextView::VeskTextView(QWidget *parent) : QPlainTextEdit(parent)
{
    // Tab moves on to the next control; a tab character has no place in these inputs.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, viewport(), qOverload<>(&QWidget::update));
}

void VeskTextView::setPlaceHolderString(const QString &placeholder)
{
    // The description follows the placeholder unless someone else set it.
    if (accessibleDescription().isEmpty() || accessibleDescription() == m_placeholder)
        setAccessibleDescription(placeholder);
    m_placeholder = placeholder;
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

void VeskTextView::setEditableAndSelectable(bool on)
{
    setReadOnly(!on);
    setTextInteractionFlags(on ? Qt::TextEditorInteraction : Qt::NoTextInteraction);
}

void VeskTextView::keyPressEvent(QKeyEvent *event)
{
    if (shouldChangeTextBlock && !isReadOnly()) {
        QString replacement;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            replacement = QStringLiteral("\n");
        } else {
            // Keys that type nothing (moves, deletions, shortcuts) are not changes of text here.
            const QString text = event->text();
            const bool typesText = !text.isEmpty() && std::none_of(text.cbegin(), text.cend(), [](QChar c) {
                return c.category() == QChar::Other_Control;
            });
            const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            if (typesText && !shortcut)
                replacement = text;
        }
        if (!replacement.isEmpty() && !shouldChangeTextBlock(replacement)) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void VeskTextView::insertFromMimeData(const QMimeData *source)
{
    if (shouldChangeTextBlock && source && source->hasText() && !shouldChangeTextBlock(source->text()))
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

void VeskTextView::inputMethodEvent(QInputMethodEvent *event)
{
    if (shouldChangeTextBlock && !event->commitString().isEmpty() && !shouldChangeTextBlock(event->commitString())) {
        // The composition ends without its text going in.
        QInputMethodEvent dropped;
        QPlainTextEdit::inputMethodEvent(&dropped);
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}
