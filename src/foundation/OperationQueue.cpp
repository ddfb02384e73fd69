#include "OperationQueue.h"

#include <QThread>
#include <QThreadPool>

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
}

void OperationQueue::addOperation(std::function<void()> op)
{
    if (!op)
        return;
    m_pool->start([name = m_name, op = std::move(op)] {
        QThread::currentThread()->setObjectName(name);
        op();
    });
}

void OperationQueue::cancelAllOperations() { m_pool->clear(); }

void OperationQueue::waitUntilAllOperationsAreFinished() { m_pool->waitForDone(); }

void OperationQueue::setMaxConcurrentOperationCount(int count) { m_pool->setMaxThreadCount(std::max(1, count)); }

int OperationQueue::maxConcurrentOperationCount() const { return m_pool->maxThreadCount(); }
