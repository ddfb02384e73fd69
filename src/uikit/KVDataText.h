#pragma once

#include <QLabel>
#include <QString>

class QWidget;

// Text that comes from the service or another participant (names, chat lines,
// reasons, file names) is data: Qt would read it as HTML wherever it looks like
// markup, so it only ever reaches the screen through these calls.
namespace KVDataText {

// Sets the label's text as plain text; the label never interprets it.
void setText(QLabel *label, const QString &text);
// A new plain-text label showing text.
[[nodiscard]] QLabel *label(const QString &text, QWidget *parent = nullptr);
// A tool tip that shows text literally (tool tips have no plain-text mode).
void setToolTip(QWidget *widget, const QString &text);
// Data escaped for a rich text of our own that embeds it.
[[nodiscard]] QString escaped(const QString &text);

} // namespace KVDataText

// A plain-text label that elides its text to the width it is given.
class KVElidedLabel final : public QLabel {
public:
    explicit KVElidedLabel(QWidget *parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    void setFullText(const QString &text);
    [[nodiscard]] QString fullText() const { return m_fullText; }
    void setElideMode(Qt::TextElideMode mode);

    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateShown();

    QString m_fullText;
    Qt::TextElideMode m_mode;
};
