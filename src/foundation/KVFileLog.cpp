#include "KVFileLog.h"

#include "AppPaths.h"
#include "DateHelpers.h"
#include "OperationQueue.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcFileLog, "korvi.log")

// Touched only by operations of the serial queue, one at a time.
struct KVFileLog::Sink {
    QString folder;
    QString path;
    QFile file;
    bool failed = false;

    void write(const QByteArray &line)
    {
        if (failed)
            return;
        if (!file.isOpen()) {
            if (!QDir(folder).exists() && QDir().mkpath(folder))
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            file.setFileName(path);
            // Append: a second run started in the same second shares the file rather than wiping it.
            if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
                qCWarning(lcFileLog) << "cannot open the log file" << path << file.errorString();
                failed = true;
                return;
            }
            // Lines carry phone numbers and room ids: readable by the user only.
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        file.write(line);
        // Flushed per line so a crash keeps everything up to it.
        file.flush();
    }
};

KVFileLog &KVFileLog::sharedInstance()
{
    static KVFileLog log(defaultFolder(), QDateTime::currentDateTime());
    return log;
}

KVFileLog::KVFileLog(QString folder, const QDateTime &startTime)
    : m_sink(std::make_shared<Sink>()),
      m_queue(std::make_unique<OperationQueue>(QStringLiteral("_KVWriteLogToFileQueue"), 1))
{
    m_filePath = QDir(folder).filePath(fileNameForStartTime(startTime));
    m_sink->folder = std::move(folder);
    m_sink->path = m_filePath;
}

KVFileLog::~KVFileLog()
{
    // Lines handed in before shutdown are written, not dropped with the queue.
    m_queue->waitUntilAllOperationsAreFinished();
}

void KVFileLog::writeLog(const QString &text)
{
    // Stamped here, not on the queue, so the time is when it happened.
    QByteArray line = StringFormatter::moreDefaultDateString(QDateTime::currentDateTime()).toUtf8();
    line += ' ';
    line += text.toUtf8();
    line += '\n';
    m_queue->addOperation([sink = m_sink, line = std::move(line)] { sink->write(line); });
}

void KVFileLog::flush()
{
    m_queue->waitUntilAllOperationsAreFinished();
}

QString KVFileLog::defaultFolder()
{
    return AppPaths::stateDir() + QStringLiteral("/meetingLog");
}

QString KVFileLog::fileNameForStartTime(const QDateTime &startTime)
{
    return StringFormatter::stringWithFormat(startTime, QStringLiteral("yyyy-MM-dd_HH.mm.ss")) + QStringLiteral(".log");
}
