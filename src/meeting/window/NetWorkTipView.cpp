#include "meeting/window/NetWorkTipView.h"

#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskIndicator.h"

#include <QLabel>
#include <QMouseEvent>

namespace {
const QColor kTipColor(10, 138, 249);
}

QPointer<NetWorkTipView> &NetWorkTipView::slot()
{
    static QPointer<NetWorkTipView> current;
    return current;
}

NetWorkTipView *NetWorkTipView::current()
{
    return slot().data();
}

NetWorkTipView *NetWorkTipView::showInView(QWidget *view, const QString &string)
{
    remove();
    if (!view)
        return nullptr;
    auto *tip = new NetWorkTipView(string, view);
    using A = KVLayoutConstraint::Attribute;
    AutoLayout::autoPinEdgeToSuperviewEdge(tip, A::Leading, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(tip, A::Trailing, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(tip, A::Bottom, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(tip, A::Top, kTopInset);
    tip->raise();
    tip->show();
    slot() = tip;
    return tip;
}

void NetWorkTipView::remove()
{
    QPointer<NetWorkTipView> tip = slot();
    slot().clear();
    if (tip) {
        tip->hide();
        tip->setParent(nullptr);
        tip->deleteLater();
    }
}

NetWorkTipView::NetWorkTipView(const QString &string, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("NetWorkTipView"));
    m_indicator = new VeskIndicator(this);
    m_indicator->setColor(kTipColor);
    using A = KVLayoutConstraint::Attribute;
    AutoLayout::autoSetDimensionsToSize(m_indicator, QSizeF(20, 20));
    AutoLayout::autoAlignAxisToSuperviewAxis(m_indicator, A::CenterX);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_indicator, A::Top, 20);
    m_indicator->startAnimating();

    m_label = KVDataText::label(string, this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setFont(vesk::systemFont(14));
    QPalette p = m_label->palette();
    p.setColor(QPalette::WindowText, kTipColor);
    m_label->setPalette(p);
    m_label->adjustSize();
    AutoLayout::autoAlignAxisToSuperviewAxis(m_label, A::CenterX);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_label, A::Top, 52);
    setAccessibleName(string);
}

NetWorkTipView::~NetWorkTipView() = default;

QString NetWorkTipView::text() const
{
    return m_label->text();
}

void NetWorkTipView::mousePressEvent(QMouseEvent *event)
{
    // The controls underneath stay out of reach while the banner shows.
    event->accept();
}
