#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class KVFileLog;
class OperationQueue;

// The client's log entry point: a line is written to the local file log and handed, on a serial
// queue, to the uploader the agent installs. Lines logged before an uploader exists only reach the file.
class KVLogManager final {
public:
    using Uploader = std::function<void(const QString &level, const QString &line)>;

    static KVLogManager &sharedInstance();

    // fileLog null: lines go to no file (tests).
    explicit KVLogManager(KVFileLog *fileLog);
    ~KVLogManager(); // hands on every line already logged

    KVLogManager(const KVLogManager &) = delete;
    KVLogManager &operator=(const KVLogManager &) = delete;

    // level "INFO" or "ERROR"; info and the extras are joined with "-". Never blocks on I/O.
    void logInfo(const QString &info, const QString &level, const QStringList &logStr = {});
    // Runs on the log queue for every later line; an empty function removes it.
    void setUploader(Uploader uploader);
    // Blocks until every line logged so far has been handed on (tests, shutdown).
    void waitUntilIdle();

    // info + extras joined with "-".
    [[nodiscard]] static QString joinedLine(const QString &info, const QStringList &logStr);

private:
    struct State;
    KVFileLog *m_fileLog;
    std::shared_ptr<State> m_state;
    std::unique_ptr<OperationQueue> m_queue;
};
