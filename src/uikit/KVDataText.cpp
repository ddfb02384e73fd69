#include "KVDataText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QSet>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QVariant>

#include <cmath>

namespace {
// Markers of texts that are ours (see the header): a label's own rich text, and the exact tool
// tip that setToolTip made (a later plain setToolTip with data no longer matches it).
constexpr auto kOwnRichText = "kvOwnRichText";
constexpr auto kDataToolTip = "kvDataToolTip";

bool interprets(Qt::TextFormat format, const QString &text)
{
    switch (format) {
    case Qt::PlainText:
        return false;
    case Qt::RichText:
        return true;
    case Qt::MarkdownText:
        return !text.isEmpty();
    case Qt::AutoText:
    default:
        return Qt::mightBeRichText(text);
    }
}

bool hasImages(const QTextDocument *document)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat())
                return true;
        }
    }
    return false;
}

QString describe(const QWidget *widget, const QString &what, const QString &text)
{
    const QWidget *top = widget->window();
    return QStringLiteral("%1 of %2 '%3' in %4 '%5': %6")
        .arg(what, QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
             QString::fromLatin1(top->metaObject()->className()), top->objectName(), text.left(120));
}

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(QChar::LineSeparator) ||
            c == QChar(QChar::ParagraphSeparator))
            c = QLatin1Char(' ');
    }
    return text;
}
} // namespace

namespace KVDataText {

void setText(QLabel *label, const QString &text)
{
    label->setTextFormat(Qt::PlainText);
    label->setProperty(kOwnRichText, QVariant());
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
    const QString tip =
        text.isEmpty() ? QString() : QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(escaped(text));
    widget->setToolTip(tip);
    widget->setProperty(kDataToolTip, tip.isEmpty() ? QVariant() : QVariant(tip));
    // Screen readers read the tool tip as the description: they get the text itself, not our markup.
    widget->setAccessibleDescription(text);
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

void setOwnRichText(QLabel *label, const QString &html)
{
    label->setTextFormat(Qt::RichText);
    label->setProperty(kOwnRichText, true);
    label->setText(html);
}

QStringList markupHazards(const QList<QWidget *> &roots)
{
    QStringList found;
    QSet<const QWidget *> seen;
    for (QWidget *root : roots) {
        if (!root)
            continue;
        QList<QWidget *> widgets = root->findChildren<QWidget *>();
        widgets.prepend(root);
        for (const QWidget *w : std::as_const(widgets)) {
            if (seen.contains(w))
                continue;
            seen.insert(w);
            if (w->inherits("QTipLabel"))
                continue;
            if (const auto *l = qobject_cast<const QLabel *>(w);
                l && !l->property(kOwnRichText).toBool() && interprets(l->textFormat(), l->text()))
                found.append(describe(w, QStringLiteral("label"), l->text()));
            if (const auto *edit = qobject_cast<const QTextEdit *>(w);
                edit && !edit->property(kOwnRichText).toBool() && hasImages(edit->document()))
                found.append(describe(w, QStringLiteral("text view with images"), edit->toPlainText()));
            const QString tip = w->toolTip();
            if (!tip.isEmpty() && Qt::mightBeRichText(tip) && w->property(kDataToolTip).toString() != tip)
                found.append(describe(w, QStringLiteral("tool tip"), tip));
        }
    }
    return found;
}

} // namespace KVDataText

KVElidedLabel::KVElidedLabel(QWidget *parent, Qt::TextElideMode mode) : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void KVElidedLabel::setFullText(const QString &text)
{
    setTextFormat(Qt::PlainText);
    setText(text);
}

void KVElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    update();
}

QString KVElidedLabel::shownText() const
{
    const int room = contentsRect().width() - 2 * margin() - 2 * qMax(0, indent());
    const QString line = oneLine(text());
    // elidedText measures in fractions: a text given exactly its own width must not be cut.
    if (QFontMetricsF(font()).horizontalAdvance(line) <= room)
        return line;
    return fontMetrics().elidedText(line, m_mode, qMax(0, room));
}

QSize KVElidedLabel::sizeHint() const
{
    // One line of the whole text: it may be cut, never wrapped.
    const QFontMetricsF fm(font());
    const QMargins m = contentsMargins();
    return {int(std::ceil(fm.horizontalAdvance(oneLine(text())))) + m.left() + m.right() + 2 * qMax(0, indent()) +
                2 * margin(),
            int(std::ceil(fm.height())) + m.top() + m.bottom() + 2 * margin()};
}

QSize KVElidedLabel::minimumSizeHint() const
{
    // Elided text may shrink to nothing; only the height is a minimum.
    return {0, sizeHint().height()};
}

void KVElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (indent() > 0)
        area.adjust(indent(), 0, -indent(), 0);
    style()->drawItemText(&painter, area, int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(), shownText(),
                          foregroundRole());
}
