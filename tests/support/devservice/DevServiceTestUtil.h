#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

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

// Runs the event loop for a few rounds so that queued work settles (used to show that something
// did NOT happen). Bounded by iterations, not by time.
inline void processEventsFor(int rounds = 50)
{
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::usleep(200);
    }
}
