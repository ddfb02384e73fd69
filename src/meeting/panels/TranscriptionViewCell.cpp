#include "meeting/panels/TranscriptionViewCell.h"

#include "uikit/VeskCategories.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLeft = 16;
constexpr int kTextLeft = 52;
constexpr int kTextTop = 33;
constexpr int kBottom = 30;
constexpr int kTimeWidth = 56;
constexpr int kTimeRight = 12;
constexpr int kTextFlags = Qt::TextWordWrap | Qt::TextWrapAnywhere | Qt::AlignLeft | Qt::AlignTop;

QFont textFont()
{
    return vesk::systemFont(12);
}

} // namespace

TranscriptionViewCell::TranscriptionViewCell(QWidget *parent) : QWidget(parent)
{
    setObjectName(kIdentifier);
}

void TranscriptionViewCell::setRecord(const KVSubTitleRecord &record, int textHeight)
{
    m_record = record;
    m_textHeight = textHeight;
    update();
}

int TranscriptionViewCell::measureTextHeight(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const QFontMetricsF metrics(textFont());
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, kTextWidth, 1e7), kTextFlags, text);
    return int(std::ceil(bounds.height()));
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

QRect TranscriptionViewCell::contentFrame() const
{
    return {kTextLeft, kTextTop, kTextWidth, textViewHeight(m_textHeight)};
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
    painter.setFont(textFont());
    painter.setPen(Qt::white);
    painter.drawText(contentFrame().adjusted(0, 5, 0, 0), kTextFlags, m_record.content);
    painter.restore();
}

void TranscriptionViewCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCell(painter, rect());
}
