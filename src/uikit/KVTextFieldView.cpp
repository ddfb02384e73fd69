#include "uikit/KVTextFieldView.h"

#include "uikit/KVTextField.h"
#include "uikit/VeskCategories.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

KVTextFieldView::KVTextFieldView(QWidget *parent) : QWidget(parent), m_field(new KVTextField(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 4, 10, 4);
    layout->addWidget(m_field);
    m_field->setFont(vesk::systemFont(14));
    m_field->installEventFilter(this);
    setFocusProxy(m_field);
    setMinimumHeight(32);
    connect(m_field, &QLineEdit::textEdited, this, &KVTextFieldView::userEdited);
    // Text set through the accessibility interface (a screen reader or dictation tool sets the whole
    // text) is no typing: it is reported as it is, so the owner's checks judge every change.
    // The field's text, not the signal's: a typed change emits its text again after ours cut it.
    connect(m_field, &QLineEdit::textChanged, this, [this] {
        const QString text = m_field->text();
        if (text == m_reported)
            return;
        m_reported = text;
        if (m_didChanged)
            m_didChanged(text);
    });
}

QString KVTextFieldView::normalizedText(const QString &text, bool onlyNumber, int limit)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        // ASCII digits only: full-width or other scripts' digits are not a number here.
        if (onlyNumber && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            continue;
        out.append(c);
    }
    if (limit > 0 && out.size() > limit) {
        // Never split a surrogate pair.
        const bool splitsPair = out.at(limit - 1).isHighSurrogate();
        out.truncate(splitsPair ? limit - 1 : limit);
    }
    return out;
}

void KVTextFieldView::userEdited(const QString &text)
{
    const QString kept = normalizedText(text, m_onlyNumber, m_limit);
    m_reported = kept;
    if (kept != text) {
        const int removedBeforeCursor =
            m_field->cursorPosition() - normalizedText(text.left(m_field->cursorPosition()), m_onlyNumber, 0).size();
        const int cursor = std::clamp(m_field->cursorPosition() - removedBeforeCursor, 0, int(kept.size()));
        m_field->setText(kept);
        m_field->setCursorPosition(cursor);
    }
    if (m_didChanged)
        m_didChanged(kept);
}

void KVTextFieldView::setOnlySupportNumber(bool only)
{
    m_onlyNumber = only;
    m_field->setInputMethodHints(only ? Qt::ImhDigitsOnly : Qt::ImhNone);
}

void KVTextFieldView::setLimitLength(int length)
{
    m_limit = std::max(0, length);
}

void KVTextFieldView::setUnValidstate(bool invalid)
{
    if (m_invalid == invalid)
        return;
    m_invalid = invalid;
    update();
}

void KVTextFieldView::setStringValue(const QString &value)
{
    // A stored value shows as it is: the typing rules are for typing, and a value the user did
    // not touch must not change behind his back (the form's checks judge it when confirmed).
    if (value != m_field->text()) {
        m_reported = value;
        m_field->setText(value);
    }
}

QString KVTextFieldView::stringValue() const
{
    return m_field->text();
}

void KVTextFieldView::setPlaceholder(const QString &placeholder)
{
    vesk::setPlaceholder(m_field, placeholder, vesk::colorWithHexString(QStringLiteral("B4B4B4")));
    if (m_field->accessibleName().isEmpty() || m_field->accessibleName() == m_field->property("kvPlaceholderName"))
        m_field->setAccessibleName(placeholder);
    m_field->setProperty("kvPlaceholderName", placeholder);
}

QString KVTextFieldView::placeholder() const
{
    return m_field->placeholderText();
}

void KVTextFieldView::endEditing()
{
    if (m_field->hasFocus())
        m_field->clearFocus();
}

bool KVTextFieldView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update();
    return QWidget::eventFilter(watched, event);
}

void KVTextFieldView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const char *border = m_invalid ? "FF656B" : (m_field->hasFocus() ? "007AFF" : "D9D9D9");
    p.setPen(QPen(vesk::colorWithHexString(QLatin1String(border)), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}
