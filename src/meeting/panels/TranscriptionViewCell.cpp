#include "meeting/panels/TranscriptionViewCell.h"

#include "uikit/VeskCategories.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLeft = 16;
constexpr int kTextLeft = 52;
constexpr int kTextTop = 33;
constexpr int kBottom = 30;
constexpr int kTimeWidth = 56;
constexpr int kTimeRight = 12;
// Right of the text, as the design row leaves it.
constexpr int kTextRight = 45;
constexpr int kMinTextWidth = 40;

QFont textFont()
{
    return vesk::systemFont(12);
}

} // namespace

TranscriptionViewCell::TranscriptionViewCell(QWidget *parent) : QWidget(parent)
{
    setObjectName(kIdentifier);
}

void TranscriptionViewCell::setRecord(const KVSubTitleRecord &record, int textHeight,
                                      std::shared_ptr<const QTextLayout> layout)
{
    m_record = record;
    m_textHeight = textHeight;
    m_layout = std::move(layout);
    update();
}

int TranscriptionViewCell::textWidth(int rowWidth)
{
    return std::max(kMinTextWidth, rowWidth - kTextLeft - kTextRight);
}

TranscriptLines::Measured TranscriptionViewCell::layOutText(const QString &text, int textWidth)
{
    if (text.isEmpty())
        return {};
    auto layout = std::make_shared<QTextLayout>(text, textFont());
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    const qreal leading = QFontMetricsF(textFont()).leading();
    qreal y = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(std::max(kMinTextWidth, textWidth));
        line.setPosition(QPointF(0, y));
        y += line.height() + leading;
    }
    layout->endLayout();
    return {int(std::ceil(y - leading)), std::move(layout)};
}

int TranscriptionViewCell::textViewHeight(int textHeight)
{
    return std::max(kMinTextHeight, textHeight) + 10;
}

int TranscriptionViewCell::rowHeight(int textHeight)
{
    return textViewHeight(textHeight) + kTextTop + kBottom;
}

QString TranscriptionViewCell::initialOf(const QString &name)
{
    if (name.isEmpty())
        return {};
    // A whole character, also outside the basic plane.
    return name.at(0).isHighSurrogate() && name.size() > 1 ? name.left(2) : name.left(1);
}

QRect TranscriptionViewCell::surnnameFrame() const
{
    return {kLeft, 10, 28, 28};
}

QRect TranscriptionViewCell::nameFrame(int rowWidth) const
{
    return {kTextLeft, 10, std::clamp(timeFrame(rowWidth).left() - 6 - kTextLeft, 0, 150), 18};
}

QRect TranscriptionViewCell::timeFrame(int rowWidth) const
{
    return {std::min(kTextLeft + 156, rowWidth - kTimeRight - kTimeWidth), 10, kTimeWidth, 18};
}

QRect TranscriptionViewCell::contentFrame(int rowWidth) const
{
    return {kTextLeft, kTextTop, textWidth(rowWidth), textViewHeight(m_textHeight)};
}

void TranscriptionViewCell::paintCell(QPainter &painter, const QRect &rect) const
{
    painter.save();
    painter.translate(rect.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    // Everything the service sent is drawn as plain text.
    painter.setBrush(vesk::colorWithHexString(QStringLiteral("#0A8AF9")));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(surnnameFrame());
    painter.setPen(Qt::white);
    painter.setFont(vesk::systemFont(13, QFont::Medium));
    painter.drawText(surnnameFrame(), Qt::AlignCenter, initialOf(m_record.name));
    painter.setFont(vesk::systemFont(12, QFont::Medium));
    painter.setPen(vesk::colorWithHexString(QStringLiteral("#D7D7D8")));
    const QFontMetrics nameMetrics(painter.font());
    const QRect name = nameFrame(rect.width());
    painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                     nameMetrics.elidedText(m_record.name, Qt::ElideRight, name.width()));
    painter.setFont(vesk::systemFont(11));
    painter.setPen(vesk::colorWithHexString(QStringLiteral("#8E8E93")));
    painter.drawText(timeFrame(rect.width()), Qt::AlignRight | Qt::AlignVCenter, m_record.timeString());
    if (m_layout) {
        painter.setPen(Qt::white);
        const QRect text = contentFrame(rect.width()).adjusted(0, 5, 0, 0);
        m_layout->draw(&painter, text.topLeft());
    }
    painter.restore();
}

void TranscriptionViewCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCell(painter, rect());
}
