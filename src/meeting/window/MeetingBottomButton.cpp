#include "meeting/window/MeetingBottomButton.h"

#include "uikit/VeskCategories.h"

#include <QPainter>

#include <algorithm>

MeetingBottomButton::MeetingBottomButton(QWidget *parent) : VeskButton(parent)
{
    setImagePosition(ImagePosition::Above);
    setImageSpacing(4);
    setFont(vesk::systemFont(12));
    setCursor(Qt::PointingHandCursor);
}

MeetingBottomButton::MeetingBottomButton(const QString &title, const QPixmap &image, QWidget *parent)
    : MeetingBottomButton(parent)
{
    setTitle(title);
    setImage(image);
    setToolTip(title);
}

QSize MeetingBottomButton::sizeHint() const
{
    const QSize base = VeskButton::sizeHint();
    return {std::max(base.width() + 12, 56), std::max(base.height() + 8, 52)};
}

void MeetingBottomButton::paintEvent(QPaintEvent *event)
{
    if (isHovered() && isEnabled()) {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 26));
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }
    VeskButton::paintEvent(event);
}
