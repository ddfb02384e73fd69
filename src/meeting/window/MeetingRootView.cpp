#include "meeting/window/MeetingRootView.h"

#include <QList>

MeetingRootView::MeetingRootView(QWidget *parent) : QWidget(parent) {}

void MeetingRootView::setBars(QWidget *topBar, QWidget *toolBar)
{
    m_topBar = topBar;
    m_toolBar = toolBar;
    orderFocusChain();
}

void MeetingRootView::orderFocusChain()
{
    QList<QWidget *> top;
    QList<QWidget *> middle;
    QList<QWidget *> bottom;
    // Each part keeps the order its views have among themselves (the bars' is left to right).
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        // A widget whose focus goes to a proxy is no stop of its own.
        if (!isAncestorOf(w) || w->focusPolicy() == Qt::NoFocus || w->focusProxy())
            continue;
        if (m_topBar && m_topBar->isAncestorOf(w))
            top << w;
        else if (m_toolBar && m_toolBar->isAncestorOf(w))
            bottom << w;
        else
            middle << w;
    }
    QWidget *previous = this;
    for (const QList<QWidget *> *part : {&top, &middle, &bottom}) {
        for (QWidget *w : *part) {
            QWidget::setTabOrder(previous, w);
            previous = w;
        }
    }
}

bool MeetingRootView::focusNextPrevChild(bool next)
{
    orderFocusChain();
    return QWidget::focusNextPrevChild(next);
}
