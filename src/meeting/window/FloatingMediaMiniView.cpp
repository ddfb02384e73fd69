#include "meeting/window/FloatingMediaMiniView.h"

#include "meeting/common/MeetingIcons.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace {
const QString kUnfoldNormal = QStringLiteral("collapse_unfold_nor");
const QString kUnfoldHover = QStringLiteral("collapse_unfold_hover");
} // namespace

QPainterPath FloatingMediaMiniView::tabShape(const QRectF &bounds, qreal radius)
{
    const qreal r = std::min({radius, bounds.width() / 2, bounds.height() / 2});
    QPainterPath path;
    path.moveTo(bounds.right(), bounds.top());
    path.lineTo(bounds.right(), bounds.bottom());
    path.lineTo(bounds.left() + r, bounds.bottom());
    path.quadTo(bounds.left(), bounds.bottom(), bounds.left(), bounds.bottom() - r);
    path.lineTo(bounds.left(), bounds.top() + r);
    path.quadTo(bounds.left(), bounds.top(), bounds.left() + r, bounds.top());
    path.closeSubpath();
    return path;
}

FloatingMediaMiniView::FloatingMediaMiniView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FloatingMediaMiniView"));
    // Also its window's title, which is what a screen reader calls the window.
    setAccessibleName(QStringLiteral("参会者视频（已收起）"));
    miniBtn = new VeskButton(this);
    miniBtn->setObjectName(QStringLiteral("miniBtn"));
    miniBtn->setImage(MeetingIcons::image(kUnfoldNormal, 20));
    miniBtn->setProperty("imageName", kUnfoldNormal);
    miniBtn->setAccessibleName(QStringLiteral("展开视频"));
    miniBtn->setToolTip(QStringLiteral("展开视频"));
    connect(miniBtn, &QAbstractButton::clicked, this, [this] { miniBtnAction(miniBtn); });
    resize(40, 34);
    applyRoundedCorners();
}

FloatingMediaMiniView::~FloatingMediaMiniView() = default;

void FloatingMediaMiniView::miniBtnAction(QObject *)
{
    if (unflodBlock)
        unflodBlock();
}

void FloatingMediaMiniView::mouseEntered()
{
    miniBtn->setImage(MeetingIcons::image(kUnfoldHover, 20));
    miniBtn->setProperty("imageName", kUnfoldHover);
}

void FloatingMediaMiniView::mouseExited()
{
    miniBtn->setImage(MeetingIcons::image(kUnfoldNormal, 20));
    miniBtn->setProperty("imageName", kUnfoldNormal);
}

void FloatingMediaMiniView::applyRoundedCorners()
{
    miniBtn->setGeometry(rect());
    setMask(QRegion(tabShape(QRectF(rect())).toFillPolygon().toPolygon()));
}

void FloatingMediaMiniView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    mouseEntered();
}

void FloatingMediaMiniView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    mouseExited();
}

void FloatingMediaMiniView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyRoundedCorners();
}

void FloatingMediaMiniView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(tabShape(QRectF(rect())), vesk::colorWithHexString(QStringLiteral("#191919")));
}
