#include "uikit/KVEventView.h"

#include <QChildEvent>
#include <QMouseEvent>

KVEventView::KVEventView(QWidget *parent) : QWidget(parent) {}

void KVEventView::setResponseSubviewsEvent(bool respond)
{
    m_responseSubviews = respond;
    for (QObject *child : children())
        applyToChild(child);
}

void KVEventView::applyToChild(QObject *child) const
{
    auto *w = qobject_cast<QWidget *>(child);
    if (!w || w->isWindow())
        return;
    // Only undo what this view did: a child may be see-through for clicks on its own.
    static const char *kMuted = "kvEventViewMuted";
    if (!m_responseSubviews && !w->testAttribute(Qt::WA_TransparentForMouseEvents)) {
        w->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        w->setProperty(kMuted, true);
    } else if (m_responseSubviews && w->property(kMuted).toBool()) {
        w->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        w->setProperty(kMuted, QVariant());
    }
}

void KVEventView::childEvent(QChildEvent *event)
{
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildPolished || event->type() == QEvent::ChildAdded)
        applyToChild(event->child());
}

void KVEventView::mousePressEvent(QMouseEvent *event)
{
    if (m_mouseDown)
        m_mouseDown(this, event);
    if (m_autoSendToNext)
        event->ignore(); // on to the parent
    else
        event->accept();
}
