#include "settings/KVSettingMonitorTitleBar.h"

#include "settings/SettingTexts.h"
#include "uikit/KVAccessibility.h"
#include "uikit/VeskCategories.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kIconSize = 16;
constexpr int kIconGap = 6;
constexpr int kTrailing = 4;
constexpr int kHeight = 32;

void drawMicrophone(QPainter &p, const QColor &c)
{
    p.setPen(QPen(c, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(5.5, 1.5, 5, 8.5), 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 4.5, 10, 8), 180 * 16, 180 * 16);
    p.drawLine(QPointF(8, 12.5), QPointF(8, 14.5));
}

void drawCamera(QPainter &p, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(1.5, 4, 9, 8), 1.5, 1.5);
    QPainterPath lens;
    lens.moveTo(11.5, 7);
    lens.lineTo(14.5, 5);
    lens.lineTo(14.5, 11);
    lens.lineTo(11.5, 9);
    lens.closeSubpath();
    p.drawPath(lens);
}

void drawShare(QPainter &p, const QColor &c)
{
    p.setPen(QPen(c, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 1.5, 1.5);
    p.drawLine(QPointF(5.5, 14), QPointF(10.5, 14));
    p.drawLine(QPointF(8, 9.5), QPointF(8, 5));
    p.drawLine(QPointF(6, 7), QPointF(8, 5));
    p.drawLine(QPointF(10, 7), QPointF(8, 5));
}

} // namespace

QPixmap KVSettingMonitorTitleBar::icon(qint64 type, bool on)
{
    const qreal ratio = 2;
    QPixmap pixmap(QSize(kIconSize, kIconSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = vesk::colorWithHexString(on ? QStringLiteral("007AFF") : QStringLiteral("8E8E93"));
    if (type == 0)
        drawMicrophone(painter, color);
    else if (type == 1)
        drawCamera(painter, color);
    else if (type == 2)
        drawShare(painter, color);
    return pixmap;
}

KVSettingMonitorTitleBar::KVSettingMonitorTitleBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KVSettingMonitorTitleBar"));
    setFixedHeight(kHeight);
    m_iconBtn = new VeskButton(this);
    m_iconBtn->setToggle(true);
    m_iconBtn->setFocusPolicy(Qt::NoFocus);
    // It shows whether anyone has such a stream; the bar's title button is what acts.
    KVAccessibility::setRole(m_iconBtn, QAccessible::Indicator);
    m_iconBtn->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel = new QLabel(this);
    m_titleLabel->setFont(vesk::systemFont(13));
    m_selectLine = new QWidget(this);
    m_selectLine->setAutoFillBackground(true);
    QPalette line = m_selectLine->palette();
    line.setColor(QPalette::Window, vesk::colorWithHexString(QStringLiteral("007AFF")));
    m_selectLine->setPalette(line);
    m_selectLine->hide();
    // The bar's click: a flat button over the whole bar, named by the title.
    m_titleButton = new VeskButton(this);
    m_titleButton->setFocusPolicy(Qt::StrongFocus);
    m_titleButton->setEnabled(false);
    connect(m_titleButton, &QAbstractButton::clicked, this, [this] { onTitleButtonClick(); });
}

QSize KVSettingMonitorTitleBar::sizeHint() const
{
    return {kIconSize + kIconGap + m_titleLabel->sizeHint().width() + kTrailing, kHeight};
}

void KVSettingMonitorTitleBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_iconBtn->setGeometry(0, (height() - kIconSize) / 2, kIconSize, kIconSize);
    m_titleLabel->setGeometry(kIconSize + kIconGap, 0, width() - kIconSize - kIconGap, height() - 2);
    m_selectLine->setGeometry(0, height() - 2, width(), 2);
    m_titleButton->setGeometry(rect());
    m_titleButton->raise();
}

void KVSettingMonitorTitleBar::setType(qint64 type)
{
    if (type < 0 || type > 2)
        return;
    m_type = type;
    const QString title = SettingTexts::monitorTitle(type);
    m_titleLabel->setText(title);
    updateGeometry();
    m_titleButton->setAccessibleName(title);
    m_iconBtn->setImage(icon(type, false));
    m_iconBtn->setAlternateImage(icon(type, true));
    m_iconBtn->setAccessibleName(title);
}

void KVSettingMonitorTitleBar::setIsOn(bool isOn)
{
    m_isOn = isOn;
    m_iconBtn->setState(isOn ? 1 : 0);
    updateButtonState();
}

void KVSettingMonitorTitleBar::setSelected(bool selected)
{
    m_selected = selected;
    m_selectLine->setVisible(selected);
    m_titleButton->setEnabled(!selected);
    updateButtonState();
}

void KVSettingMonitorTitleBar::setEnableClick(bool enable)
{
    m_enableClick = enable;
    m_titleButton->setEnabled(enable);
    updateButtonState();
}

void KVSettingMonitorTitleBar::updateButtonState()
{
    // What a screen reader says of the tab: selected, and whether anyone has such a stream.
    QStringList state{m_isOn ? QStringLiteral("有人开启") : QStringLiteral("无人开启")};
    if (m_selected && m_enableClick)
        state.prepend(QStringLiteral("已选中"));
    m_titleButton->setAccessibleDescription(state.join(QStringLiteral("，")));
}

void KVSettingMonitorTitleBar::onTitleButtonClick()
{
    if (onTitleBtnClick)
        onTitleBtnClick(m_titleButton, this);
}
