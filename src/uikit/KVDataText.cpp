#include "KVDataText.h"

#include <QEvent>
#include <QFontMetrics>

namespace KVDataText {

void setText(QLabel *label, const QString &text)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
}

QLabel *label(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(parent);
    setText(l, text);
    return l;
}

void setToolTip(QWidget *widget, const QString &text)
{
    // Escaped inside a paragraph of our own, so the tool tip shows the text
    // as written whatever it contains.
    widget->setToolTip(text.isEmpty() ? QString()
                                      : QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(escaped(text)));
}

QString escaped(const QString &text) { return text.toHtmlEscaped(); }

} // namespace KVDataText

KVElidedLabel::KVElidedLabel(QWidget *parent, Qt::TextElideMode mode) : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
}

void KVElidedLabel::setFullText(const QString &text)
{
    if (m_fullText == text && !text.isEmpty())
        return;
    m_fullText = text;
    updateShown();
}

void KVElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_mode = mode;
    updateShown();
}

QSize KVElidedLabel::minimumSizeHint() const
{
    // Elided text may shrink to nothing; only the height is a minimum.
    return {0, QLabel::minimumSizeHint().height()};
}

void KVElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateShown();
}

void KVElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateShown();
}

void KVElidedLabel::updateShown()
{
    const QString shown = fontMetrics().elidedText(m_fullText, m_mode, qMax(0, contentsRect().width()));
    if (text() != shown)
        QLabel::setText(shown);
}
