#include "KVLogManager.h"

#include "KVFileLog.h"
#include "OperationQueue.h"

#include <mutex>

struct KVLogManager::State {
    std::mutex mutex;
    Uploader uploader;
};

KVLogManager &KVLogManager::sharedInstance()
{
    // The file log is reached first so it outlives this manager at exit.
    static KVLogManager manager(&KVFileLog::sharedInstance());
    return manager;
}

KVLogManager::KVLogManager(KVFileLog *fileLog)
    : m_fileLog(fileLog), m_state(std::make_shared<State>()),
      m_queue(std::make_unique<OperationQueue>(QStringLiteral("KVLogManagerQueue"), 1))
{
}

KVLogManager::~KVLogManager()
{
    m_queue->waitUntilAllOperationsAreFinished();
}

QString KVLogManager::joinedLine(const QString &info, const QStringList &logStr)
{
    QStringList parts;
    parts.reserve(logStr.size() + 1);
    parts << info << logStr;
    return parts.join(u'-');
}

void KVLogManager::logInfo(const QString &info, const QString &level, const QStringList &logStr)
{
    QString line = joinedLine(info, logStr);
    if (m_fileLog)
        m_fileLog->writeLog(QStringLiteral("[%1] %2").arg(level, line));
    m_queue->addOperation([state = m_state, level, line = std::move(line)] {
        Uploader uploader;
        {
            std::lock_guard lock(state->mutex);
            uploader = state->uploader;
        }
        // Called outside the lock: the uploader may log in turn.
        if (uploader)
            uploader(level, line);
    });
}

void KVLogManager::setUploader(Uploader uploader)
{
    std::lock_guard lock(m_state->mutex);
    m_state->uploader = std::move(uploader);
}

void KVLogManager::waitUntilIdle()
{
    m_queue->waitUntilAllOperationsAreFinished();
}
