#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class OperationQueue;

// The local file log: one file per run, "<state>/meetingLog/yyyy-MM-dd_HH.mm.ss.log" named from the
// start of the run, lines written in order on one serial queue ("_KVWriteLogToFileQueue") so a
// caller never waits for the disk. Callers keep tokens and other secrets out of their lines.
class KVFileLog final {
public:
    static KVFileLog &sharedInstance();

    // A log in folder, named from startTime (tests; the shared one uses the state folder and now).
    KVFileLog(QString folder, const QDateTime &startTime);
    ~KVFileLog(); // writes every line already handed in

    KVFileLog(const KVFileLog &) = delete;
    KVFileLog &operator=(const KVFileLog &) = delete;

    // Appends one line stamped with the current time ("yyyy-MM-dd HH:mm:ss:SSS text").
    void writeLog(const QString &text);
    // Blocks until every line handed in so far is on disk (tests, shutdown).
    void flush();

    [[nodiscard]] QString filePath() const { return m_filePath; }

    // "meetingLog" under the state folder.
    [[nodiscard]] static QString defaultFolder();
    // "yyyy-MM-dd_HH.mm.ss.log".
    [[nodiscard]] static QString fileNameForStartTime(const QDateTime &startTime);

private:
    struct Sink;
    QString m_filePath;
    std::shared_ptr<Sink> m_sink;
    std::unique_ptr<OperationQueue> m_queue;
};
