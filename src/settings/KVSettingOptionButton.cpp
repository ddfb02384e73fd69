#include "settings/KVSettingOptionButton.h"

#include "uikit/KVAccessibility.h"
#include "uikit/VeskCategories.h"

#include <QPainter>

KVSettingOptionButton::KVSettingOptionButton(const QString &title, QWidget *parent) : QAbstractButton(parent)
{
    // Before anything asks for its interface.
    KVAccessibility::install();
    setText(title);
    setAccessibleName(title);
    setFont(vesk::systemFont(13));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    // One of a group: a radio button whose checked state is the chosen one.
    setCheckable(true);
    KVAccessibility::setRole(this, QAccessible::RadioButton);
}

void KVSettingOptionButton::setChosen(bool chosen)
{
    m_chosen = chosen;
    setChecked(chosen);
    update();
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
    if (m_chosen) {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
    } else {
        p.setPen(QPen(hasFocus() ? blue : vesk::colorWithHexString(QStringLiteral("C8C9CC")), 1));
        p.setBrush(Qt::NoBrush);
    }
    p.drawRoundedRect(box, 4, 4);
    p.setPen(m_chosen ? QColor(Qt::white) : palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignCenter, text());
}
