#include "EngineWorker.h"

#include <QThread>

EngineWorker::EngineWorker(QString name) : m_name(std::move(name)) {}

EngineWorker::~EngineWorker()
{
    stop(false);
}

void EngineWorker::start()
{
    std::lock_guard lock(m_mutex);
    if (m_running)
        return;
    m_running = true;
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
}

bool EngineWorker::post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_running || m_stopping || !task)
            return false;
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
    return true;
}

void EngineWorker::clear()
{
    std::deque<std::function<void()>> dropped;
    std::lock_guard lock(m_mutex);
    dropped.swap(m_tasks);
}

void EngineWorker::stop(bool drain)
{
    std::thread thread;
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return;
        m_stopping = true;
        if (!drain)
            dropped.swap(m_tasks);
        thread = std::move(m_thread);
    }
    m_wake.notify_one();
    if (thread.joinable())
        thread.join();
    std::lock_guard lock(m_mutex);
    m_running = false;
    m_stopping = false;
    m_tasks.clear();
}

bool EngineWorker::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running && !m_stopping;
}

bool EngineWorker::isCurrentThread() const
{
    std::lock_guard lock(m_mutex);
    return m_thread.get_id() == std::this_thread::get_id();
}

int EngineWorker::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_tasks.size());
}

void EngineWorker::run()
{
    QThread::currentThread()->setObjectName(m_name);
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return; // stopping and drained
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}
