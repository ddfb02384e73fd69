#include "settings/KVSettingOptionButton.h"

#include "uikit/VeskCategories.h"

#include <QPainter>

KVSettingOptionButton::KVSettingOptionButton(const QString &title, QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setText(title);
    setAccessibleName(title);
    setFont(vesk::systemFont(13));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QSize KVSettingOptionButton::sizeHint() const
{
    return {std::max(88, fontMetrics().horizontalAdvance(text()) + 24), 30};
}

void KVSettingOptionButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue = vesk::colorWithHexString(QStringLiteral("007AFF"));
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (isChecked()) {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
    } else {
        p.setPen(QPen(hasFocus() ? blue : vesk::colorWithHexString(QStringLiteral("C8C9CC")), 1));
        p.setBrush(Qt::NoBrush);
    }
    p.drawRoundedRect(box, 4, 4);
    p.setPen(isChecked() ? QColor(Qt::white) : palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignCenter, text());
}
