#pragma once

#include <QString>

#include <functional>
#include <memory>

class QThreadPool;

// A queue of operations run on worker threads, at most N at a time
// (N = 1 gives the serial queues). Queued operations can be cancelled.
class OperationQueue final {
public:
    explicit OperationQueue(QString name, int maxConcurrentOperationCount = 1);
    ~OperationQueue(); // waits for running operations; drops queued ones

    OperationQueue(const OperationQueue &) = delete;
    OperationQueue &operator=(const OperationQueue &) = delete;

    void addOperation(std::function<void()> op);
    // Drops every operation not yet started.
    void cancelAllOperations();
    // Blocks until every operation has run (tests, shutdown).
    void waitUntilAllOperationsAreFinished();

    void setMaxConcurrentOperationCount(int count);
    [[nodiscard]] int maxConcurrentOperationCount() const;
    [[nodiscard]] const QString &name() const { return m_name; }

private:
    QString m_name;
    std::unique_ptr<QThreadPool> m_pool;
};
