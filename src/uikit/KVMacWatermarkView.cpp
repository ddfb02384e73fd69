#include "uikit/KVMacWatermarkView.h"

#include "uikit/VeskCategories.h"

#include <QPainter>

namespace {
constexpr qreal kAngle = -30.0;
constexpr int kGapX = 120;
constexpr int kGapY = 90;
} // namespace

KVMacWatermarkView::KVMacWatermarkView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void KVMacWatermarkView::setWatermarkText(const QString &text)
{
    m_text = text;
    update();
}

void KVMacWatermarkView::paintEvent(QPaintEvent *)
{
    const QString text = m_text.trimmed();
    if (text.isEmpty())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = vesk::systemFont(14);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 46));
    const QFontMetrics fm(font);
    const int stepX = fm.horizontalAdvance(text) + kGapX;
    const int stepY = fm.height() + kGapY;
    // Rotate about the centre and cover the whole diagonal extent.
    p.translate(width() / 2.0, height() / 2.0);
    p.rotate(kAngle);
    const int reach = int(std::hypot(width(), height()) / 2) + stepX;
    int row = 0;
    for (int y = -reach; y <= reach; y += stepY, ++row) {
        const int shift = (row % 2) * stepX / 2;
        for (int x = -reach - shift; x <= reach; x += stepX)
            p.drawText(QPoint(x, y), text);
    }
}
