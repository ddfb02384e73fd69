#include "meeting/window/grid/WindowStateWatcher.h"

#include <QEvent>

WindowStateWatcher::WindowStateWatcher(QWidget *view, QObject *parent) : QObject(parent), m_view(view)
{
    if (view)
        view->installEventFilter(this);
    attach();
}

void WindowStateWatcher::attach()
{
    QWidget *w = m_view ? m_view->window() : nullptr;
    if (w == m_view)
        w = nullptr;
    if (w == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = w;
    if (w) {
        w->installEventFilter(this);
        m_fullScreen = w->isFullScreen();
    }
}

bool WindowStateWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view) {
        if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
            attach();
        return false;
    }
    if (watched != m_window || !m_window)
        return false;
    switch (event->type()) {
    case QEvent::WindowStateChange: {
        const bool full = m_window->windowState().testFlag(Qt::WindowFullScreen);
        if (full == m_fullScreen)
            break;
        m_fullScreen = full;
        if (full && willEnterFullScreen)
            willEnterFullScreen();
        else if (!full && didExitFullScreen)
            didExitFullScreen();
        break;
    }
    case QEvent::Resize:
        // Resizes on the way into full screen are not the windowed size.
        if (!m_window->windowState().testFlag(Qt::WindowFullScreen) && !m_fullScreen && willResize)
            willResize(m_window->size());
        break;
    default:
        break;
    }
    return false;
}
