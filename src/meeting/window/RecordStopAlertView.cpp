#include "meeting/window/RecordStopAlertView.h"

#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

RecordStopAlertView::RecordStopAlertView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RecordStopAlertView"));
    setAccessibleName(QStringLiteral("云录制已停止"));
    using A = KVLayoutConstraint::Attribute;

    auto *title = new QLabel(QStringLiteral("云录制已停止"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setFont(vesk::systemFont(16, QFont::DemiBold));
    title->setStyleSheet(QStringLiteral("color: white;"));
    AutoLayout::autoPinEdgeToSuperviewEdge(title, A::Top, 24);
    AutoLayout::autoPinEdgeToSuperviewEdge(title, A::Leading, 24);
    AutoLayout::autoPinEdgeToSuperviewEdge(title, A::Trailing, 24);
    AutoLayout::autoSetDimension(title, A::Height, 24);

    auto *message =
        new QLabel(QStringLiteral("录制文件将在会议结束后生成，届时可在“历史会议”的会议详情中查看和下载。"), this);
    message->setObjectName(QStringLiteral("messageLabel"));
    message->setWordWrap(true);
    message->setFont(vesk::systemFont(14));
    message->setStyleSheet(QStringLiteral("color: #D7D7D8;"));
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    AutoLayout::autoPinEdgeToSuperviewEdge(message, A::Top, 60);
    AutoLayout::autoPinEdgeToSuperviewEdge(message, A::Leading, 24);
    AutoLayout::autoPinEdgeToSuperviewEdge(message, A::Trailing, 24);
    AutoLayout::autoSetDimension(message, A::Height, 64);

    line = new QWidget(this);
    line->setObjectName(QStringLiteral("line"));
    vesk::setBackgroundColor(line, vesk::colorWithHexString(QStringLiteral("#323338")));
    AutoLayout::autoPinEdgeToSuperviewEdge(line, A::Leading, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(line, A::Trailing, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(line, A::Bottom, 68);
    AutoLayout::autoSetDimension(line, A::Height, 1);

    getItButton = new VeskButton(QStringLiteral("我知道了"), this);
    getItButton->setObjectName(QStringLiteral("getItButton"));
    getItButton->setAccessibleName(QStringLiteral("我知道了"));
    getItButton->setFont(vesk::systemFont(14));
    getItButton->setTextColor(Qt::white);
    vesk::setBackgroundColor(getItButton, vesk::colorWithHexString(QStringLiteral("#007AFF")));
    vesk::setCornerRadius(getItButton, 6.0);
    AutoLayout::autoSetDimensionsToSize(getItButton, QSizeF(120, 36));
    AutoLayout::autoAlignAxisToSuperviewAxis(getItButton, A::CenterX);
    AutoLayout::autoPinEdgeToSuperviewEdge(getItButton, A::Bottom, 16);
    connect(getItButton, &QAbstractButton::clicked, this, [this] { getItAction(getItButton); });

    resize(kWidth, kHeight);
}

RecordStopAlertView::~RecordStopAlertView() = default;

void RecordStopAlertView::getItAction(QObject *)
{
    AutoLayout::removeConstraints(this);
    hide();
    setParent(nullptr);
    deleteLater();
}

void RecordStopAlertView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 4.0, 4.0);
    p.fillPath(path, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
}
