#include "meeting/window/CurrentSpeakerView.h"

#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QPainter>
#include <QPainterPath>

CurrentSpeakerView::CurrentSpeakerView(QWidget *parent)
    : DraggableView(parent), m_bkColor(vesk::colorWithHexString(QStringLiteral("#3D3F47")))
{
    setObjectName(QStringLiteral("CurrentSpeakerView"));
    setAccessibleName(QStringLiteral("当前发言人"));
    nameLabel = new KVElidedLabel(this);
    nameLabel->setObjectName(QStringLiteral("nameLabel"));
    nameLabel->setFont(vesk::systemFont(14));
    nameLabel->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    nameLabel->setStyleSheet(QStringLiteral("color: white;"));
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(nameLabel, {0, 12, 0, 12});
}

CurrentSpeakerView::~CurrentSpeakerView() = default;

void CurrentSpeakerView::setBkColor(const QColor &color)
{
    m_bkColor = color;
    update();
}

void CurrentSpeakerView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 6, 6);
    p.fillPath(path, m_bkColor);
}
