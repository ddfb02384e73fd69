#include "settings/KVDeviceFieldButton.h"

#include "uikit/KVDataText.h"
#include "uikit/KVFlatView.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kArrowArea = 20;

} // namespace

KVDeviceFieldButton *KVDeviceFieldButton::makeField(QWidget *host, const QString &label, KVFlatView **frame)
{
    auto *back = new KVFlatView(host);
    back->setCornerRadius(4);
    back->setBorderWidth(1);
    back->setBorderColor(vesk::colorWithHexString(QStringLiteral("D8DBE4")));
    auto *button = new KVDeviceFieldButton(label, back);
    auto *row = new QHBoxLayout(back);
    // Inside the frame's border.
    row->setContentsMargins(1, 1, 1, 1);
    row->addWidget(button);
    if (frame)
        *frame = back;
    return button;
}

KVDeviceFieldButton::KVDeviceFieldButton(const QString &label, QWidget *parent) : VeskButton(parent), m_label(label)
{
    setFont(vesk::systemFont(14));
    setFocusPolicy(Qt::StrongFocus);
    // The whole field is the button, whatever name it shows.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Named before the device list arrives, which may take a while.
    setAccessibleName(label);
    setAccessibleDescription(label);
}

void KVDeviceFieldButton::setDeviceName(const QString &name)
{
    m_deviceName = name;
    // The title is what the button reads; isolated, the system's text keeps to itself.
    setTitle(KVDataText::isolated(name));
    setAccessibleName(name.isEmpty() ? m_label : m_label + QStringLiteral(": ") + KVDataText::isolated(name));
}

QSize KVDeviceFieldButton::sizeHint() const
{
    return {200, QFontMetrics(font()).height() + 8};
}

void KVDeviceFieldButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor ink = palette().color(QPalette::WindowText);
    if (!isEnabled())
        ink.setAlphaF(0.5f);
    const QRect text = rect().adjusted(10, 0, -kArrowArea - 4, 0);
    p.setPen(ink);
    p.setFont(font());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(title(), Qt::ElideRight, text.width()));
    // The drop-down's arrow.
    const QPointF centre(width() - kArrowArea / 2.0 - 4, height() / 2.0);
    QPainterPath arrow;
    arrow.moveTo(centre + QPointF(-4, -2));
    arrow.lineTo(centre + QPointF(0, 2));
    arrow.lineTo(centre + QPointF(4, -2));
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrow);
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        p.setPen(QPen(QColor(0x0A, 0x8A, 0xF9), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
}
