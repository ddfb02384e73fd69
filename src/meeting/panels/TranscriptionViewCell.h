#pragma once

#include "foundation/models/KVSubTitleRecord.h"
#include "meeting/panels/TranscriptLines.h"

#include <QRect>
#include <QWidget>

class QPainter;

// One line of the transcript: the speaker's initial in a circle, the name, the time and the text
// below. The list paints its rows through one cell; the row's height follows the text's height at
// the text width. The text is laid out once, when it is measured, and painted as laid out.
class TranscriptionViewCell final : public QWidget {
    Q_OBJECT
public:
    static inline const QString kIdentifier = QStringLiteral("TranscriptionViewCell");
    // The row of the design width (342) lays its text out 245 wide.
    static constexpr int kDesignRowWidth = 342;
    static constexpr int kMinTextHeight = 20;

    explicit TranscriptionViewCell(QWidget *parent = nullptr);

    void setRecord(const KVSubTitleRecord &record, int textHeight, std::shared_ptr<const QTextLayout> layout = nullptr);
    [[nodiscard]] QString contentString() const { return m_record.content; }

    // The width of the text in a row `rowWidth` wide: from the text's left edge to the row's right
    // margin, so a row of any width shows whole lines.
    [[nodiscard]] static int textWidth(int rowWidth);
    // The text laid out at textWidth in the text's font (white system 12), and its height.
    [[nodiscard]] static TranscriptLines::Measured layOutText(const QString &text, int textWidth);
    [[nodiscard]] static int measureTextHeight(const QString &text, int textWidth)
    {
        return layOutText(text, textWidth).height;
    }
    // max(20, h) + 10: the text view's height; the row adds 33 above and 30 below it.
    [[nodiscard]] static int textViewHeight(int textHeight);
    [[nodiscard]] static int rowHeight(int textHeight);
    // The first character of the name, or "".
    [[nodiscard]] static QString initialOf(const QString &name);

    // Where each part goes in a row `rowWidth` wide: the time keeps to the right edge, so that a
    // narrow window (a small scale) still shows it whole.
    [[nodiscard]] QRect surnnameFrame() const;
    [[nodiscard]] QRect nameFrame(int rowWidth) const;
    [[nodiscard]] QRect timeFrame(int rowWidth) const;
    [[nodiscard]] QRect contentFrame(int rowWidth) const;

    void paintCell(QPainter &painter, const QRect &rect) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    KVSubTitleRecord m_record;
    int m_textHeight = kMinTextHeight;
    std::shared_ptr<const QTextLayout> m_layout;
};
