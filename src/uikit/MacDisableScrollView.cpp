#include "uikit/MacDisableScrollView.h"

#include <QScrollBar>
#include <QWheelEvent>

MacDisableScrollView::MacDisableScrollView(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    // The bars take wheel events directly when the pointer is over them.
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
}

void MacDisableScrollView::wheelEvent(QWheelEvent *event)
{
    if (!m_enableScroll) {
        event->accept();
        return;
    }
    QScrollArea::wheelEvent(event);
}

bool MacDisableScrollView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && !m_enableScroll &&
        (watched == verticalScrollBar() || watched == horizontalScrollBar())) {
        event->accept();
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}
