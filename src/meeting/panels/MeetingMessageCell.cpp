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
    return vesk::systemFont(enableBK ? 12 : 14, QFont::Bold);
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
    const QSizeF size = lineSize(m_model, m_cellWidth, m_enableBK);
    const int x = m_enableBK ? kBubbleTextInset : 0;
    return {x, kTextTop, int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

QRect MeetingMessageCell::bubbleFrame(int rowHeight) const
{
    if (!m_enableBK)
        return {};
    // From the leading edge to 10 after the text, the row's full height.
    return {0, 0, messageLabelFrame().right() + 1 + kBubbleTextInset, rowHeight};
}

void MeetingMessageCell::paintCell(QPainter &painter, const QRect &rect) const
{
    painter.save();
    painter.translate(rect.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_enableBK) {
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(bubbleFrame(rect.height())), kBubbleRadius, kBubbleRadius);
        painter.fillPath(bubble, kBubbleColor);
    }
    const QRect label = messageLabelFrame();
    QTextDocument document;
    MeetingMessageModel::prepareDocument(document, m_model.getDisplayMessage(fontFor(m_enableBK)), m_cellWidth);
    painter.translate(label.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, QColor(242, 242, 247));
    context.clip = QRectF(0, 0, label.width() + 1, label.height() + 1);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void MeetingMessageCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCell(painter, rect());
}
