#include "X11Tests.h"

#include "RecordedMedia.h"

#include "TestEvents.h"
#include "agent/engine/VeskScreenRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Reports final : public VeskScreenRecordDelegate {
public:
    void recordStart() override { events << QStringLiteral("start"); }
    void recordFail(const QString &message) override { events << QStringLiteral("fail:") + message; }
    void recordSuccess(const QUrl &fileURL) override
    {
        events << QStringLiteral("success");
        files << fileURL.toLocalFile();
    }
    QStringList events;
    QStringList files;
};

class ScreenRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!X11Tests::session())
            GTEST_SKIP() << X11Tests::unavailable().toStdString();
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            GTEST_SKIP() << "needs the test sound server (scripts/with-pulseaudio.sh)";
        recorder = std::make_unique<VeskScreenRecord>();
        recorder->setDelegate(&reports);
        recorder->setFolder(dir.path() + QStringLiteral("/ScreenRecord"));
    }
    bool waitFor(const QString &event)
    {
        return processEventsUntil([&] { return reports.events.contains(event); }, 30000);
    }

    QTemporaryDir dir;
    Reports reports;
    std::unique_ptr<VeskScreenRecord> recorder;
};

TEST_F(ScreenRecord, ThreeSeconds_GiveAPlayableMp4OfAboutThreeSeconds)
{
    recorder->start();
    ASSERT_EQ(reports.events, QStringList{QStringLiteral("start")});
    EXPECT_TRUE(recorder->isRecord());
    recordFor(3000);
    recorder->stop();
    ASSERT_TRUE(waitFor(QStringLiteral("success"))) << reports.events.join(' ').toStdString();
    EXPECT_FALSE(recorder->isRecord());

    const QString file = reports.files.value(0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/ScreenRecord/tarnid_\\d{14}\\.mp4$")).match(file).hasMatch())
        << file.toStdString();
    EXPECT_EQ(QFile(dir.path() + QStringLiteral("/ScreenRecord")).permissions() & 0x0077, 0) << "a private folder";
    const RecordedMedia media = discover(file);
    EXPECT_EQ(media.video, 1);
    EXPECT_EQ(media.audio, 1);
    EXPECT_GT(media.seconds, 2.0);
    EXPECT_LT(media.seconds, 6.0);
    const double sound = soundSeconds(file);
    EXPECT_GT(sound, 2.0) << "the microphone's sound all along";
    EXPECT_LT(sound, 6.0);
}

TEST_F(ScreenRecord, StartStopStartInOneSecond_TwoFiles_RepeatedCallsChangeNothing)
{
    recorder->stop();
    EXPECT_TRUE(reports.events.isEmpty()) << "a stop without a recording does nothing";

    recorder->start();
    recorder->start();
    EXPECT_EQ(reports.events, QStringList{QStringLiteral("start")}) << "a start while recording does nothing";
    recorder->stop();
    ASSERT_TRUE(waitFor(QStringLiteral("success")));
    recorder->start();
    recorder->stop();
    ASSERT_TRUE(processEventsUntil([&] { return reports.files.size() == 2; }, 30000))
        << reports.events.join(' ').toStdString();
    EXPECT_EQ(reports.events.count(QStringLiteral("start")), 2);
    EXPECT_NE(reports.files[0], reports.files[1]) << "the second recording never overwrites the first";
    const QString firstStem = reports.files[0].chopped(4);
    if (reports.files[1].startsWith(firstStem)) {
        EXPECT_EQ(reports.files[1], firstStem + QStringLiteral("_1.mp4"));
    }
    EXPECT_TRUE(QFile::exists(reports.files[0]) && QFile::exists(reports.files[1]));
}

TEST_F(ScreenRecord, WithoutASoundServer_FailsWithEmptyText)
{
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QFile::encodeName(dir.path() + QStringLiteral("/no-such-socket")).prepend("unix:"));
    recorder->start();
    qputenv("PULSE_SERVER", server);
    EXPECT_EQ(reports.events, QStringList{QStringLiteral("fail:")});
    EXPECT_FALSE(recorder->isRecord());
}

TEST_F(ScreenRecord, UnwritableFolder_FailsWithTheErrorsText)
{
    QFile blocker(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    recorder->setFolder(blocker.fileName() + QStringLiteral("/ScreenRecord"));
    recorder->start();
    ASSERT_EQ(reports.events.size(), 1);
    EXPECT_TRUE(reports.events[0].startsWith(QStringLiteral("fail:")));
    EXPECT_GT(reports.events[0].size(), 5) << "the error's text";
    EXPECT_FALSE(recorder->isRecord());
}

// The file is opened before the screen is: a screen that cannot be grabbed leaves no empty file.
TEST_F(ScreenRecord, AScreenThatCannotBeGrabbed_FailsAndLeavesNoEmptyFile)
{
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":97");
    recorder->start();
    qputenv("DISPLAY", display);
    ASSERT_TRUE(processEventsUntil(
        [&] { return !reports.events.isEmpty() && reports.events.last().startsWith(QStringLiteral("fail:")); }, 30000))
        << reports.events.join(' ').toStdString();
    EXPECT_FALSE(recorder->isRecord());
    const QDir folder(dir.path() + QStringLiteral("/ScreenRecord"));
    EXPECT_TRUE(folder.entryList(QDir::Files).isEmpty()) << folder.entryList(QDir::Files).join(' ').toStdString();
}

TEST_F(ScreenRecord, DestroyedWhileRecording_LeavesAPlayableFile)
{
    recorder->start();
    ASSERT_TRUE(recorder->isRecord());
    recordFor(1500);
    const QString file = recorder->filePath();
    recorder.reset();
    const RecordedMedia media = discover(file);
    EXPECT_EQ(media.video, 1);
    EXPECT_GT(media.seconds, 0.5);
}

// A headset pulled out while recording: the screen goes on being recorded, and the stop still
// finishes the file though the microphone sends nothing more.
TEST_F(ScreenRecord, TheMicrophonePulledOutWhileRecording_TheStopStillFinishesTheFile)
{
    const auto pactl = [](const QStringList &arguments) {
        QProcess process;
        process.start(QStringLiteral("pactl"), arguments);
        process.waitForFinished(10000);
        return process.exitCode() == 0 ? process.readAllStandardOutput().trimmed() : QByteArray();
    };
    // The newest microphone is the one the recorder takes.
    const QByteArray module =
        pactl({QStringLiteral("load-module"), QStringLiteral("module-sine-source"),
               QStringLiteral("source_name=korvi-headset-%1").arg(QCoreApplication::applicationPid()),
               QStringLiteral("source_properties=device.description=Korvi-Headset")});
    ASSERT_FALSE(module.isEmpty());
    recorder->start();
    ASSERT_EQ(reports.events, QStringList{QStringLiteral("start")});
    recordFor(2000);
    pactl({QStringLiteral("unload-module"), QString::fromLatin1(module)});
    recordFor(1000);
    recorder->stop();
    ASSERT_TRUE(processEventsUntil([&] { return reports.events.size() == 2; }, 30000))
        << reports.events.join(' ').toStdString();
    EXPECT_EQ(reports.events.last(), QStringLiteral("success"));
    EXPECT_FALSE(recorder->isRecord());
    const RecordedMedia media = discover(reports.files.value(0));
    EXPECT_EQ(media.video, 1);
    EXPECT_EQ(media.audio, 1);
    EXPECT_GT(media.seconds, 1.0);
}

} // namespace
