#pragma once

#include "foundation/StringHelpers.h"

#include <QLabel>
#include <QString>
#include <QStringList>

class QWidget;

// Text that comes from the service or another participant (names, chat lines, reasons, file
// names, device names) is data: Qt reads a label's or tool tip's text as HTML wherever it looks
// like markup, and HTML can load images from any path (`<img src="/dev/zero">` reads until the
// client dies, `<img src="file:///...">` shows a local file). So data only ever reaches the screen
// as plain text:
//   - labels: KVDataText::setText / KVDataText::label (Qt::PlainText), or KVElidedLabel where the
//     layout has to cut it; the kit's own labels (toasts, alerts, tips, the meeting-ID label) are
//     plain text whatever they are given;
//   - tool tips: KVDataText::setToolTip (tool tips have no plain-text mode: the text is escaped
//     inside a paragraph of ours, and the widget is marked as holding that tool tip);
//   - rich text only for texts of our own, set through KVDataText::setOwnRichText (which marks the
//     label), with any data inside passed through KVDataText::escaped.
//
// Data or our own text: markupHazards() walks widgets and reports every label and tool tip that
// Qt would interpret as HTML (Qt::RichText, or Qt::AutoText/MarkdownText whose text Qt takes for
// markup) and that is not marked as ours by the calls above. A text of our own that Qt would not
// interpret (plain Chinese, digits) needs no mark. Tests fill the windows with names and messages
// such as `<b>x</b>`: any of them that reached a label or tool tip by another road looks like
// markup there, is unmarked, and is reported.
namespace KVDataText {

// Data put into a sentence of ours (a title, a chat line with its sender, a toast, a notice) is
// isolated in its direction, and what a view shows of it is bounded (foundation's DataText, which
// the models below the kit use too).
using DataText::bounded;
using DataText::isolated;
using DataText::isolatedName;

// Sets the label's text as plain text; the label never interprets it.
void setText(QLabel *label, const QString &text);
// A new plain-text label showing text.
[[nodiscard]] QLabel *label(const QString &text, QWidget *parent = nullptr);
// A tool tip that shows text literally (tool tips have no plain-text mode); the accessible
// description is the text itself.
void setToolTip(QWidget *widget, const QString &text);
// Data escaped for a rich text of our own that embeds it.
[[nodiscard]] QString escaped(const QString &text);
// A rich text of our own (data inside it escaped), marked as ours for markupHazards().
void setOwnRichText(QLabel *label, const QString &html);

// Every label under (and including) the roots, and every widget's tool tip, that Qt would read as
// HTML and that is not marked as ours: one line per finding naming the widget and its text.
// Qt's own tool-tip window is skipped (it shows what the widgets' tool tips hold).
[[nodiscard]] QStringList markupHazards(const QList<QWidget *> &roots);

} // namespace KVDataText

// A plain-text, one-line label that elides its text to the width it is given. text() (and
// fullText()) keep the whole text, for copying and screen readers; only the painting is cut.
// Line breaks in the text are shown as spaces.
class KVElidedLabel : public QLabel {
public:
    explicit KVElidedLabel(QWidget *parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    void setFullText(const QString &text);
    [[nodiscard]] QString fullText() const { return text(); }
    void setElideMode(Qt::TextElideMode mode);
    [[nodiscard]] Qt::TextElideMode elideMode() const { return m_mode; }
    // What is painted at the current width.
    [[nodiscard]] QString shownText() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::TextElideMode m_mode;
};
