#include "shell/FirstPaint.h"

#include "foundation/MainQueue.h"

#include <QCoreApplication>
#include <QEvent>

void FirstPaint::after(QWidget *window, QObject *context, std::function<void()> work)
{
    if (!window || !context || !work)
        return;
    // Goes with the window when it is never painted.
    new FirstPaint(window, context, std::move(work));
}

FirstPaint::FirstPaint(QWidget *window, QObject *context, std::function<void()> work)
    : QObject(window), m_window(window), m_context(context), m_work(std::move(work))
{
    // A window's own paint event may never come (its content covers it): any widget of it will do.
    QCoreApplication::instance()->installEventFilter(this);
}

bool FirstPaint::eventFilter(QObject *watched, QEvent *event)
{
    if (m_painted || event->type() != QEvent::Paint || !watched->isWidgetType() || !m_window ||
        static_cast<QWidget *>(watched)->window() != m_window)
        return false;
    m_painted = true;
    QCoreApplication::instance()->removeEventFilter(this);
    // After the rest of this paint pass.
    MainQueue::async(this, [this] {
        if (m_context && m_work)
            m_work();
        deleteLater();
    });
    return false;
}
