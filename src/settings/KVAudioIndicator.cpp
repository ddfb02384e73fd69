#include "settings/KVAudioIndicator.h"

#include <QAccessible>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

KVAudioIndicator::KVAudioIndicator(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(20);
    setAccessibleName(QStringLiteral("音量指示"));
    setAccessibleDescription(QStringLiteral("0"));
}

int KVAudioIndicator::barCount(int width)
{
    return int(width * 0.125);
}

int KVAudioIndicator::litCount() const
{
    const int n = barCount(width());
    const float range = maxValue - minValue;
    if (n <= 0 || range <= 0)
        return 0;
    return int(std::ceil(double(n) * double(m_currentValue) / double(range)));
}

void KVAudioIndicator::setCurrentValue(float value)
{
    if (value == m_currentValue)
        return;
    m_currentValue = value;
    setAccessibleDescription(QString::number(qRound(value)));
    update();
}

void KVAudioIndicator::paintEvent(QPaintEvent *)
{
    const int n = barCount(width());
    if (n <= 0)
        return;
    const int lit = litCount();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < n; ++i) {
        painter.setBrush(i < lit ? progressTintColor : progressColor);
        painter.drawRoundedRect(QRectF(8 * i, 0, 2, 20), 1, 1);
    }
}
