#pragma once

#include "foundation/models/MeetingMessageModel.h"

#include <QFont>
#include <QRect>
#include <QWidget>

class QPainter;

// One row of the chat list: the line's text, on a dark rounded bubble in the window's overlay and
// without one in the floating chat panel. The list paints its rows through one cell
// (paintCell), so a long chat costs no widget per line. A line is measured with the font it is
// drawn with: bold 12 on the bubble, bold 14 without.
class MeetingMessageCell final : public QWidget {
    Q_OBJECT
public:
    static inline const QString kIdentifier = QStringLiteral("MessageCellViewIdentifier");
    static constexpr double kBubbleWidth = 248;
    static constexpr int kTextTop = 7;
    static constexpr int kBubbleTextInset = 10;

    explicit MeetingMessageCell(QWidget *parent = nullptr);

    void setCellWidth(double width);
    [[nodiscard]] double cellWidth() const { return m_cellWidth; }
    void setEnableBK(bool enable);
    [[nodiscard]] bool enableBK() const { return m_enableBK; }
    void setMessageModel(const MeetingMessageModel &model);
    [[nodiscard]] const MeetingMessageModel &messageModel() const { return m_model; }

    [[nodiscard]] static QFont fontFor(bool enableBK);
    // The line's text size at a cell width, and the row's height (text plus 14).
    [[nodiscard]] static QSizeF lineSize(const MeetingMessageModel &line, double cellWidth, bool enableBK);
    [[nodiscard]] static int rowHeight(const MeetingMessageModel &line, double cellWidth, bool enableBK);

    // Where the text and the bubble go in a row of that height (the bubble is empty without one).
    [[nodiscard]] QRect messageLabelFrame() const;
    [[nodiscard]] QRect bubbleFrame(int rowHeight) const;
    [[nodiscard]] QRect messageLabelFrame(const MeetingMessageModel &line) const;
    [[nodiscard]] QRect bubbleFrame(const MeetingMessageModel &line, int rowHeight) const;
    static inline const QColor kBubbleColor = QColor::fromRgbF(0, 0, 0, 0.7);
    static constexpr double kBubbleRadius = 6;

    // Paints the row into rect (the cell itself), or a line of the list in this cell's width and
    // state: the line's text as it was laid out when measured, never laid out again here.
    void paintCell(QPainter &painter, const QRect &rect) const;
    void paintCell(QPainter &painter, const QRect &rect, const MeetingMessageModel &line) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_cellWidth = kBubbleWidth;
    bool m_enableBK = true;
    MeetingMessageModel m_model;
};
