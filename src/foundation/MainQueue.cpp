#include "MainQueue.h"

#include "RaceDetector.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace MainQueue {

bool isMainThread()
{
    auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void async(std::function<void()> fn)
{
    auto *app = QCoreApplication::instance();
    if (!app || !fn)
        return;
    // The event queue's lock is Qt's: the race detector is told the hand-over (RaceDetector.h).
    static const char handOver = 0;
    RaceDetector::happensBefore(&handOver);
    QMetaObject::invokeMethod(
        app,
        [fn = std::move(fn)] {
            RaceDetector::happensAfter(&handOver);
            fn();
        },
        Qt::QueuedConnection);
}

void async(const QObject *context, std::function<void()> fn)
{
    QPointer<const QObject> guard(context);
    async([guard, fn = std::move(fn)] {
        if (guard)
            fn();
    });
}

void safe(const QObject *context, std::function<void()> fn)
{
    if (isMainThread()) {
        if (context && fn)
            fn();
        return;
    }
    async(context, std::move(fn));
}

} // namespace MainQueue
