// A file's private copy for an upload: only a regular file is read, the read can be stopped, and
// nothing is left behind by one that was not finished.
#include "connection/KVFileSnapshot.h"
#include "foundation/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include <sys/stat.h>

namespace {

using Failure = KVFileSnapshot::Failure;

QStringList copiesLeft()
{
    return QDir(AppPaths::cacheDir()).entryList({QStringLiteral(".korvi-upload-*")}, QDir::Files | QDir::Hidden);
}

// A FIFO is refused before it is opened: opening it for reading would wait for a writer. A device
// and a folder are refused too, before a byte of them is read.
TEST(FileSnapshotTest, OnlyARegularFileIsRead_AFifoADeviceAndAFolderAreRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString device = dir.filePath(QStringLiteral("zero.pdf"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));

    for (const QString &path : {fifo, device, dir.path()}) {
        std::atomic<Failure> failure{Failure::None};
        auto taken = std::async(std::launch::async, [&] {
            Failure why = Failure::None;
            const bool copied = KVFileSnapshot::take(path, nullptr, {}, &why) != nullptr;
            failure = why;
            return copied;
        });
        if (taken.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << path.toStdString() << " was waited on";
            // Let a read that waits for a writer go, so the case can end.
            QFile writer(fifo);
            if (writer.open(QIODevice::WriteOnly))
                writer.close();
        }
        EXPECT_FALSE(taken.get()) << path.toStdString();
        EXPECT_EQ(failure.load(), Failure::NotRegular) << path.toStdString();
    }
    EXPECT_TRUE(copiesLeft().isEmpty());
}

TEST(FileSnapshotTest, AStopEndsTheReadAtTheNextChunk_AndTheCopyGoes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.pdf"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4 * 1024 * 1024, 'x'));
    }
    std::stop_source stop;
    int chunks = 0;
    KVFileSnapshot::setChunkHookForTesting([&](qint64) {
        ++chunks;
        stop.request_stop();
    });
    Failure why = Failure::None;
    QString error;
    const auto copy = KVFileSnapshot::take(path, &error, stop.get_token(), &why);
    KVFileSnapshot::setChunkHookForTesting({});
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(why, Failure::Cancelled) << error.toStdString();
    EXPECT_EQ(chunks, 1);
    EXPECT_TRUE(copiesLeft().isEmpty());

    // Not stopped: the whole file, with its size and digest.
    const auto whole = KVFileSnapshot::take(path, nullptr, std::stop_source().get_token(), &why);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(why, Failure::None);
    EXPECT_EQ(whole->size(), 4 * 1024 * 1024);
    EXPECT_EQ(whole->md5().size(), 32);
}

} // namespace
