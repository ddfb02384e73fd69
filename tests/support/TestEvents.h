#pragma once

// Ways for a test to know that something has had its chance to happen, so that asserting it did
// not happen is not a matter of being quick.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <functional>

// Real socket I/O needs the event loop: runs it until cond holds, for at most boundMs of real
// time (a generous safety bound, never a stand-in for a timer: timers run on virtual time).
inline bool processEventsUntil(const std::function<bool()> &cond, int boundMs = 10000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!cond()) {
        if (elapsed.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::usleep(200);
    }
    return true;
}

// Runs the event loop for a few rounds (tear-down, letting windows close). It proves nothing:
// before asserting that something did not happen, use drainMainQueue() or settleRequests().
inline void processEventsFor(int rounds = 50)
{
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::usleep(200);
    }
}

// Delivers everything posted to the main thread before the call: a marker posted now must come
// back, and posted events arrive in order. Each further hop also covers what those events posted.
// False when a marker did not come back within the (generous, real-time) bound.
inline bool drainMainQueue(int hops = 3, int boundMs = 10000)
{
    for (int hop = 0; hop < hops; ++hop) {
        bool back = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&back] { back = true; }, Qt::QueuedConnection);
        QElapsedTimer elapsed;
        elapsed.start();
        while (!back) {
            if (elapsed.elapsed() > boundMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (!back)
                QThread::usleep(200);
        }
    }
    return true;
}

// Counts the events of one type that an object receives.
class EventCounter : public QObject {
public:
    EventCounter(QObject *watched, QEvent::Type type) : m_watched(watched), m_type(type)
    {
        watched->installEventFilter(this);
    }
    ~EventCounter() override
    {
        if (m_watched)
            m_watched->removeEventFilter(this);
    }
    [[nodiscard]] int count() const { return m_count; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_watched && event->type() == m_type)
            ++m_count;
        return false;
    }

private:
    QPointer<QObject> m_watched;
    QEvent::Type m_type;
    int m_count = 0;
};

// Counts the paint events a widget receives (a repaint that was asked for and delivered).
class PaintCounter final : public EventCounter {
public:
    explicit PaintCounter(QWidget *widget) : EventCounter(widget, QEvent::Paint) {}
};
