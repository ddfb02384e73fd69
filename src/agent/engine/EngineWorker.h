#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// One engine thread: runs queued tasks in order on its own std::thread.
class EngineWorker final {
public:
    explicit EngineWorker(QString name);
    ~EngineWorker();
    EngineWorker(const EngineWorker &) = delete;
    EngineWorker &operator=(const EngineWorker &) = delete;

    // Starts the thread (again after stop()).
    void start();
    // Queues a task; false (task dropped) when the thread is not running.
    bool post(std::function<void()> task);
    // Drops the tasks not started yet.
    void clear();
    // Ends the thread and waits for it; with drain the queued tasks run first, else they are
    // dropped. A task already running finishes. Must not be called from the worker itself.
    void stop(bool drain);
    [[nodiscard]] bool isRunning() const;
    [[nodiscard]] bool isCurrentThread() const;
    [[nodiscard]] int pendingCount() const;

private:
    void run();

    const QString m_name;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    std::thread m_thread;
    bool m_running = false;
    bool m_stopping = false;
};
