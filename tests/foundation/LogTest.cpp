#include "TimeZones.h"
#include "foundation/AppPaths.h"
#include "foundation/KVFileLog.h"
#include "foundation/KVLogManager.h"
#include "foundation/TLWLogManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

QStringList linesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The text after the "yyyy-MM-dd HH:mm:ss:SSS " stamp, or "" when the stamp is missing.
QString body(const QString &line)
{
    static const QRegularExpression stamp(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\d{3} )"));
    const auto m = stamp.match(line);
    return m.hasMatch() ? line.mid(m.capturedLength()) : QString();
}

} // namespace

TEST(LogFileTest, OneFilePerRunNamedFromTheStartTime)
{
    TimeZones::inEachTimeZone([&] {
        EXPECT_EQ(KVFileLog::fileNameForStartTime(QDateTime(QDate(2026, 12, 7), QTime(4, 5, 6, 789))),
                  "2026-12-07_04.05.06.log");
        EXPECT_EQ(KVFileLog::defaultFolder(), AppPaths::stateDir() + "/meetingLog");
        EXPECT_TRUE(KVFileLog::defaultFolder().startsWith(qEnvironmentVariable("XDG_STATE_HOME")));

        KVFileLog &shared = KVFileLog::sharedInstance();
        EXPECT_EQ(QFileInfo(shared.filePath()).absolutePath(), KVFileLog::defaultFolder());
        EXPECT_TRUE(QFileInfo(shared.filePath())
                        .fileName()
                        .contains(QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\d_\d\d\.\d\d\.\d\d\.log$)"))));
        shared.writeLog("shared line");
        shared.flush();
        // The last line: earlier cases of the same process may have logged before.
        EXPECT_EQ(body(linesOf(shared.filePath()).value(linesOf(shared.filePath()).size() - 1)), "shared line");
    });
}

TEST(LogFileTest, LinesAreStampedInOrderAndPrivate)
{
    TimeZones::inEachTimeZone([&] {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString folder = dir.filePath("a/meetingLog"); // created on first write
        KVFileLog log(folder, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        EXPECT_EQ(log.filePath(), folder + "/2026-01-02_03.04.05.log");
        log.writeLog("first");
        log.writeLog("第二行");
        log.writeLog("");
        log.flush();
        const QStringList lines = linesOf(log.filePath());
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(body(lines[0]), "first");
        EXPECT_EQ(body(lines[1]), "第二行");
        EXPECT_EQ(lines[2].size(), 23 + 1);
        EXPECT_EQ(QFile::permissions(log.filePath()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
    });
}

TEST(LogFileTest, WritesFromManyThreadsLoseNothingAndKeepEachThreadsOrder)
{
    QTemporaryDir dir;
    KVFileLog log(dir.path(), QDateTime::currentDateTime());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < 200; ++i)
                log.writeLog(QStringLiteral("t%1 %2").arg(t).arg(i));
        });
    }
    for (auto &th : threads)
        th.join();
    log.flush();
    const QStringList lines = linesOf(log.filePath());
    ASSERT_EQ(lines.size(), 800);
    int next[4] = {0, 0, 0, 0};
    for (const QString &line : lines) {
        const QStringList parts = body(line).split(u' ');
        ASSERT_EQ(parts.size(), 2) << line.toStdString();
        const int t = parts[0].mid(1).toInt();
        EXPECT_EQ(parts[1].toInt(), next[t]++);
    }
}

TEST(LogFileTest, PendingLinesAreWrittenAtShutdownAndAFailedFolderDoesNotStopTheCaller)
{
    QTemporaryDir dir;
    QString path;
    {
        KVFileLog log(dir.path(), QDateTime::currentDateTime());
        path = log.filePath();
        for (int i = 0; i < 50; ++i)
            log.writeLog(QString::number(i));
    }
    EXPECT_EQ(linesOf(path).size(), 50);

    // The folder path is taken by a plain file: nothing can be written, nothing may crash or hang.
    QFile blocker(dir.filePath("taken"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    KVFileLog broken(dir.filePath("taken"), QDateTime::currentDateTime());
    broken.writeLog("lost");
    broken.writeLog("lost again");
    broken.flush();
    EXPECT_FALSE(QFile::exists(broken.filePath()));
}

TEST(LogManagerTest, ExtrasAreJoinedWithDashes)
{
    EXPECT_EQ(KVLogManager::joinedLine("joinRoom", {"1001", "ok"}), "joinRoom-1001-ok");
    EXPECT_EQ(KVLogManager::joinedLine("joinRoom", {}), "joinRoom");
    EXPECT_EQ(KVLogManager::joinedLine("a", {"", "c"}), "a--c");
}

TEST(LogManagerTest, LinesReachTheUploaderInOrderOffTheCallerAndTheFile)
{
    QTemporaryDir dir;
    KVFileLog file(dir.path(), QDateTime::currentDateTime());
    KVLogManager manager(&file);

    std::mutex m;
    QStringList got;
    bool onCaller = false;
    QThread *const caller = QThread::currentThread();
    manager.logInfo("before uploader", "INFO");
    manager.waitUntilIdle();
    manager.setUploader([&](const QString &level, const QString &line) {
        std::lock_guard lock(m);
        got << level + "|" + line;
        onCaller = onCaller || QThread::currentThread() == caller;
    });
    manager.logInfo("enter", "INFO", {"room", "1001"});
    manager.logInfo("fail", "ERROR", {"code", "-1"});
    manager.waitUntilIdle();
    EXPECT_EQ(got, (QStringList{"INFO|enter-room-1001", "ERROR|fail-code--1"}));
    EXPECT_FALSE(onCaller);

    manager.setUploader({});
    manager.logInfo("after removal", "INFO");
    manager.waitUntilIdle();
    EXPECT_EQ(got.size(), 2);

    file.flush();
    QStringList bodies;
    for (const QString &l : linesOf(file.filePath()))
        bodies << body(l);
    EXPECT_EQ(bodies, (QStringList{"[INFO] before uploader", "[INFO] enter-room-1001", "[ERROR] fail-code--1",
                                   "[INFO] after removal"}));
}

TEST(LogManagerTest, AnUploaderMayLogAgainWithoutDeadlock)
{
    KVLogManager manager(nullptr);
    std::atomic<int> calls{0};
    manager.setUploader([&](const QString &, const QString &line) {
        ++calls;
        if (line == "outer")
            manager.logInfo("inner", "INFO");
    });
    manager.logInfo("outer", "ERROR");
    manager.waitUntilIdle();
    EXPECT_EQ(calls.load(), 2);
}

TEST(LogManagerTest, SharedInstanceWritesToTheRunsFile)
{
    KVLogManager::sharedInstance().logInfo("shared", "INFO", {"x"});
    KVLogManager::sharedInstance().waitUntilIdle();
    KVFileLog::sharedInstance().flush();
    const QStringList lines = linesOf(KVFileLog::sharedInstance().filePath());
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(body(lines.last()), "[INFO] shared-x");
}

TEST(LogOperationRecordTest, RecordCarriesTheAgreedKeys)
{
    const QDateTime start(QDate(2026, 3, 4), QTime(5, 6, 7, 8));
    const QDateTime end = start.addMSecs(1500);
    const QVariantMap ok = TLWLogManager::operationRecord("joinRoom", start, end, true, {}, "-1", "meeting", "1001");
    EXPECT_EQ(ok.value("operationType").toString(), "joinRoom");
    EXPECT_EQ(ok.value("startTime").toString(), "2026-03-04 05:06:07:008");
    EXPECT_EQ(ok.value("endTime").toString(), "2026-03-04 05:06:08:508");
    EXPECT_EQ(ok.value("status").toString(), "0");
    EXPECT_EQ(ok.value("peerId").toString(), "-1");
    EXPECT_EQ(ok.value("logName").toString(), "meeting");
    EXPECT_EQ(ok.value("meetingId").toString(), "1001");
    EXPECT_FALSE(ok.contains("message"));

    const QVariantMap failed = TLWLogManager::operationRecord("openCamera", start, end, false, "设备被占用");
    EXPECT_EQ(failed.value("status").toString(), "-1");
    EXPECT_EQ(failed.value("message").toString(), "设备被占用");
    EXPECT_EQ(failed.size(), 8);
    TLWLogManager::uploadOperationLogWithContent(failed); // the hook accepts any record
}
