#include "OperationQueue.h"

#include "RaceDetector.h"

#include <QCoreApplication>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>

namespace {
// Qt 6.4 ties an object's properties to the thread that made it, and a pool's worker is made by
// the thread that started it: an engine's or a log line's, which may have ended since. Renaming
// such a worker would read the ended thread's storage, so only workers of the main thread take
// the queue's name.
void nameWorker(const QString &name)
{
    QThread *self = QThread::currentThread();
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && self->thread() == app->thread() && self->objectName() != name)
        self->setObjectName(name);
}

// The pool hands an operation over under its own lock, and reports the end of the last one the
// same way; the race detector is told both orderings (see RaceDetector.h).
class Operation final : public QRunnable {
public:
    Operation(QString name, std::function<void()> op, const void *queue)
        : m_name(std::move(name)), m_op(std::move(op)), m_queue(queue)
    {
        RaceDetector::happensBefore(this);
    }
    void run() override
    {
        RaceDetector::happensAfter(this);
        nameWorker(m_name);
        m_op();
        RaceDetector::happensBefore(m_queue);
    }

private:
    QString m_name;
    std::function<void()> m_op;
    const void *m_queue;
};
} // namespace

OperationQueue::OperationQueue(QString name, int maxConcurrentOperationCount)
    : m_name(std::move(name)), m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setObjectName(m_name);
    m_pool->setMaxThreadCount(std::max(1, maxConcurrentOperationCount));
    m_pool->setExpiryTimeout(30000);
}

OperationQueue::~OperationQueue()
{
    m_pool->clear();
    m_pool->waitForDone();
    RaceDetector::happensAfter(this);
}

void OperationQueue::addOperation(std::function<void()> op)
{
    if (!op)
        return;
    m_pool->start(new Operation(m_name, std::move(op), this));
}

void OperationQueue::cancelAllOperations()
{
    m_pool->clear();
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    m_pool->waitForDone();
    RaceDetector::happensAfter(this);
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    m_pool->setMaxThreadCount(std::max(1, count));
}

int OperationQueue::maxConcurrentOperationCount() const
{
    return m_pool->maxThreadCount();
}
