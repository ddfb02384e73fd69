// The local engine's diagnostic log upload against the stand-in's log-upload request.
#include "agent/engine/FakeEngine.h"
#include "agent/engine/KRTCEngineFactory.h"
#include "agent/engine/LocalEngine.h"
#include "agent/engine/LocalLogArchive.h"

#include "connection/HttpManager.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/KVClock.h"
#include "foundation/KVFileLog.h"
#include "foundation/KVLogManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <atomic>

using namespace std::chrono_literals;

namespace {

// The entries (name, content) of a tar the upload carries.
QList<std::pair<QString, QByteArray>> untar(const QByteArray &tar)
{
    QList<std::pair<QString, QByteArray>> entries;
    for (qsizetype at = 0; at + 512 <= tar.size();) {
        const QByteArray header = tar.mid(at, 512);
        if (header.count('\0') == 512)
            break;
        const QString name = QString::fromUtf8(header.left(100).constData());
        const qint64 size = header.mid(124, 11).toLongLong(nullptr, 8);
        entries.append({name, tar.mid(at + 512, size)});
        at += 512 + (size + 511) / 512 * 512;
    }
    return entries;
}

QByteArray unpackContent(const QString &base64)
{
    QByteArray stream = QByteArray::fromBase64(base64.toLatin1());
    QByteArray sized(4, '\0');
    qToBigEndian<quint32>(1 << 20, sized.data());
    return qUncompress(sized + stream);
}

class EngineLogUpload : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.start());
        HttpManager::sharedManager()->setBaseUrl(service.baseUrl());
        service.state().addUser(QStringLiteral("u1"), QStringLiteral("u1"), QStringLiteral("张三"),
                                QStringLiteral("tok"));
        LocalEngine::setLogUploadAuthorization([this] { return token; });
        ASSERT_TRUE(logs.isValid());
        write(QStringLiteral("a-first.log"), "first run\n", QDateTime::fromSecsSinceEpoch(1'600'000'000));
        write(QStringLiteral("b-second.log"), "second run\n", QDateTime::fromSecsSinceEpoch(1'700'000'000));
        QDir(logs.path()).mkdir(QStringLiteral("sub"));
    }
    void TearDown() override { LocalEngine::setLogUploadAuthorization({}); }

    void write(const QString &name, const QByteArray &content, const QDateTime &modified)
    {
        QFile file(logs.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.flush(); // a later write would stamp the file with now
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }

    // Starts an upload of the folder; the code lands in `code` from whatever thread answers.
    void upload(const QString &folder)
    {
        LocalEngine::analyzePerformance(QStringLiteral("app-1"), QStringLiteral("enc-u1"), QStringLiteral("张三"),
                                        folder, [this](int c) { code = c; });
    }
    [[nodiscard]] bool answered()
    {
        return processEventsUntil([this] { return code != kNone; });
    }

    static constexpr int kNone = -1000;
    VirtualClockScope clock;
    DevService service;
    QTemporaryDir logs;
    QString token = QStringLiteral("tok");
    std::atomic<int> code{kNone};
};

TEST_F(EngineLogUpload, PacksTheFolderNewestFirstAndSendsItAsTheSignedInUser)
{
    upload(logs.path());
    ASSERT_TRUE(answered());
    EXPECT_EQ(code, KRTCEngineOC::AnalyzeUploaded);

    const QList<DevRequest> sent = service.requestsFor(QStringLiteral("/qf/log/upload"));
    ASSERT_EQ(sent.size(), 1);
    const QJsonObject body = sent[0].json;
    EXPECT_EQ(sent[0].header("Authorization"), QStringLiteral("tok"));
    EXPECT_EQ(body.value("level").toString(), QStringLiteral("ARCHIVE"));
    EXPECT_EQ(body.value("userId").toString(), QStringLiteral("enc-u1"));
    EXPECT_EQ(body.value("applicationId").toString(), QStringLiteral("app-1"));
    EXPECT_EQ(body.value("userName").toString(), QStringLiteral("张三"));
    const auto entries = untar(unpackContent(body.value("content").toString()));
    ASSERT_EQ(entries.size(), 2) << "files only, the sub-folder is left out";
    EXPECT_EQ(entries[0].first, QStringLiteral("b-second.log"));
    EXPECT_EQ(entries[0].second, QByteArray("second run\n"));
    EXPECT_EQ(entries[1].first, QStringLiteral("a-first.log"));
    EXPECT_EQ(entries[1].second, QByteArray("first run\n"));
}

TEST_F(EngineLogUpload, Codes_PackingFailedRefusedAuthorisationAndTimeout)
{
    upload(logs.filePath(QStringLiteral("missing")));
    ASSERT_TRUE(answered());
    EXPECT_EQ(code, KRTCEngineOC::AnalyzePackFailed);
    EXPECT_TRUE(service.requestsFor(QStringLiteral("/qf/log/upload")).isEmpty()) << "nothing is sent";

    code = kNone;
    token = QStringLiteral("expired");
    upload(logs.path());
    ASSERT_TRUE(answered());
    EXPECT_EQ(code, KRTCEngineOC::AnalyzeNotAuthorised);

    code = kNone;
    token = QStringLiteral("tok");
    service.delayNextReply(QStringLiteral("/qf/log/upload"), -1);
    upload(logs.path());
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor(QStringLiteral("/qf/log/upload")).size() == 2; }));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(code, kNone);
    clock.clock.advance(std::chrono::milliseconds(LocalEngine::kLogUploadTimeoutMs));
    ASSERT_TRUE(answered());
    EXPECT_EQ(code, KRTCEngineOC::AnalyzeTimedOut);
}

TEST_F(EngineLogUpload, TheClientsOwnLog_HoldsTheLinesLoggedBeforeTheUpload)
{
    KVLogManager::sharedInstance().logInfo(QStringLiteral("uploadLog"), QStringLiteral("INFO"), {"1.0.0"});
    upload(QString());
    ASSERT_TRUE(answered());
    ASSERT_EQ(code, KRTCEngineOC::AnalyzeUploaded);
    const auto entries = untar(
        unpackContent(service.requestsFor(QStringLiteral("/qf/log/upload")).last().json.value("content").toString()));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].first, QFileInfo(KVFileLog::sharedInstance().filePath()).fileName());
    EXPECT_TRUE(entries[0].second.contains("[INFO] uploadLog-1.0.0")) << entries[0].second.constData();
}

TEST_F(EngineLogUpload, Archive_NewestFilesFirstUpToTheLimit)
{
    write(QStringLiteral("huge.log"), QByteArray(400, 'x'), QDateTime::fromSecsSinceEpoch(1'650'000'000));
    const auto packed = LocalLogArchive::pack(logs.path(), 100);
    ASSERT_TRUE(packed.has_value());
    EXPECT_EQ(packed->fileNames, (QStringList{QStringLiteral("b-second.log"), QStringLiteral("a-first.log")}))
        << "an older file over the remaining budget is skipped, older small ones still go";
    EXPECT_FALSE(LocalLogArchive::pack(logs.path(), 0).has_value());
}

TEST_F(EngineLogUpload, Archive_ANewestLogOverTheLimitGoesFirstWithItsLatestLines)
{
    // This run's log, longer than the limit: numbered lines, the last one the click on upload.
    QByteArray current;
    for (int line = 1; line <= 400; ++line)
        current += QStringLiteral("[INFO] line %1\n").arg(line, 4, 10, QLatin1Char('0')).toUtf8();
    write(QStringLiteral("c-current.log"), current, QDateTime::fromSecsSinceEpoch(1'800'000'000));
    const qint64 limit = 1000;
    ASSERT_GT(current.size(), limit);

    const auto packed = LocalLogArchive::pack(logs.path(), limit);
    ASSERT_TRUE(packed.has_value());
    EXPECT_EQ(packed->fileNames.value(0), QStringLiteral("c-current.log")) << "the run being reported goes";
    const auto unpacked = untar(unpackContent(QString::fromLatin1(packed->archive.toBase64())));
    ASSERT_FALSE(unpacked.isEmpty());
    const QByteArray part = unpacked[0].second;
    EXPECT_LE(part.size(), limit);
    EXPECT_GT(part.size(), limit - 20) << "cut at a line's start, no further";
    EXPECT_TRUE(part.endsWith("[INFO] line 0400\n")) << "its latest part";
    EXPECT_TRUE(part.startsWith("[INFO] line ")) << "from a whole line";
    EXPECT_TRUE(current.endsWith(part));
    // Older logs follow only whole, in what the cut left.
    qint64 total = 0;
    for (const auto &[name, content] : unpacked) {
        total += content.size();
        if (name != unpacked[0].first) {
            QFile whole(logs.filePath(name));
            ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
            EXPECT_EQ(content, whole.readAll()) << name.toStdString();
        }
    }
    EXPECT_LE(total, limit);

    // A limit that holds the newest whole leaves room for the older ones that fit.
    const auto roomy = LocalLogArchive::pack(logs.path(), current.size() + 11);
    ASSERT_TRUE(roomy.has_value());
    EXPECT_EQ(roomy->fileNames, (QStringList{QStringLiteral("c-current.log"), QStringLiteral("b-second.log")}));
}

TEST_F(EngineLogUpload, FakeAnalyze_RecordsTheArgumentsAndAnswersAsTold)
{
    FakeAnalyzeScope fake;
    fake.answerCode.reset();
    KRTCEngineOC::analyzePerformance({}, QStringLiteral("enc"), QStringLiteral("李四"), {},
                                     [this](int c) { code = c; });
    ASSERT_EQ(fake.requests().size(), 1);
    EXPECT_EQ(fake.requests()[0].userName, QStringLiteral("李四"));
    EXPECT_EQ(fake.waitingCount(), 1);
    EXPECT_EQ(code, kNone);
    EXPECT_TRUE(fake.answer(1003));
    EXPECT_EQ(code, 1003);
    EXPECT_FALSE(fake.answer(0));
}

} // namespace
