#include "meeting/panels/MeetingMessageCell.h"

#include "uikit/VeskCategories.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>

#include <cmath>

MeetingMessageCell::MeetingMessageCell(QWidget *parent) : QWidget(parent)
{
    setObjectName(kIdentifier);
    setAttribute(Qt::WA_TranslucentBackground);
}

void MeetingMessageCell::setCellWidth(double width)
{
    m_cellWidth = width;
}

void MeetingMessageCell::setEnableBK(bool enable)
{
    m_enableBK = enable;
}

void MeetingMessageCell::setMessageModel(const MeetingMessageModel &model)
{
    m_model = model;
    update();
}

QFont MeetingMessageCell::fontFor(bool enableBK)
{
    // Made once: the lines' caches compare fonts, and copies of one font compare at once.
    static const QFont bubble = vesk::systemFont(12, QFont::Bold);
    static const QFont plain = vesk::systemFont(14, QFont::Bold);
    return enableBK ? bubble : plain;
}

QSizeF MeetingMessageCell::lineSize(const MeetingMessageModel &line, double cellWidth, bool enableBK)
{
    return line.getMessageSizeWithMaxWidth(cellWidth, fontFor(enableBK));
}

int MeetingMessageCell::rowHeight(const MeetingMessageModel &line, double cellWidth, bool enableBK)
{
    return int(std::ceil(lineSize(line, cellWidth, enableBK).height())) + 2 * kTextTop;
}

QRect MeetingMessageCell::messageLabelFrame() const
{
    return messageLabelFrame(m_model);
}

QRect MeetingMessageCell::messageLabelFrame(const MeetingMessageModel &line) const
{
    const QSizeF size = lineSize(line, m_cellWidth, m_enableBK);
    const int x = m_enableBK ? kBubbleTextInset : 0;
    return {x, kTextTop, int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

QRect MeetingMessageCell::bubbleFrame(int rowHeight) const
{
    return bubbleFrame(m_model, rowHeight);
}

QRect MeetingMessageCell::bubbleFrame(const MeetingMessageModel &line, int rowHeight) const
{
    if (!m_enableBK)
        return {};
    // From the leading edge to 10 after the text, the row's full height.
    return {0, 0, messageLabelFrame(line).right() + 1 + kBubbleTextInset, rowHeight};
}

void MeetingMessageCell::paintCell(QPainter &painter, const QRect &rect) const
{
    paintCell(painter, rect, m_model);
}

void MeetingMessageCell::paintCell(QPainter &painter, const QRect &rect, const MeetingMessageModel &line) const
{
    painter.save();
    painter.translate(rect.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_enableBK) {
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(bubbleFrame(line, rect.height())), kBubbleRadius, kBubbleRadius);
        painter.fillPath(bubble, kBubbleColor);
    }
    const QRect label = messageLabelFrame(line);
    const QTextDocument &document = line.laidOutDocument(m_cellWidth, fontFor(m_enableBK));
    painter.translate(label.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, QColor(242, 242, 247));
    // Only the lines in view are drawn: under a live tile the overlay paints with every frame.
    QRectF clip(0, 0, label.width() + 1, label.height() + 1);
    if (painter.hasClipping())
        clip &= painter.clipBoundingRect();
    context.clip = clip;
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void MeetingMessageCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCell(painter, rect());
}
