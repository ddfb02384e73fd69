#include "PulseTestSupport.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace PulseTestSupport;

namespace {

// A sound server of the test's own, on its own socket, that the test stops and starts again;
// the server of the test run is shared with other tests and must stay up.
class OwnSoundServer {
public:
    explicit OwnSoundServer(const QString &folder) : m_folder(folder), m_socket(folder + QStringLiteral("/native")) {}
    ~OwnSoundServer() { stop(); }

    [[nodiscard]] QString address() const { return QStringLiteral("unix:") + m_socket; }

    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_folder);
        env.insert(QStringLiteral("PULSE_STATE_PATH"), m_folder + QStringLiteral("/state"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("pulseaudio"),
                        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--use-pid-file=no"),
                         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--realtime=no"),
                         QStringLiteral("--high-priority=no"), QStringLiteral("--log-target=stderr"),
                         QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                         QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1").arg(m_socket),
                         QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=own_first_sink")});
        if (!m_process.waitForStarted(10000))
            return false;
        return spinUntil([this] { return ctl({QStringLiteral("info")}) == 0; });
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    int ctl(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), address());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("pactl"), arguments);
        if (!process.waitForFinished(10000))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private:
    QString m_folder;
    QString m_socket;
    QProcess m_process;
};

bool hasSink(const std::optional<std::vector<PulseDeviceInfo>> &sinks, const QString &name)
{
    return sinks && std::any_of(sinks->begin(), sinks->end(), [&](const PulseDeviceInfo &d) { return d.name == name; });
}

} // namespace

TEST(PulseAudioClient, DeviceEventsGoOnAfterTheSoundServerRestarts)
{
    KORVI_REQUIRE_PULSE();
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
        GTEST_SKIP() << "pulseaudio is not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    OwnSoundServer server(folder.path());
    ASSERT_TRUE(server.start());

    PulseAudioClient client(server.address());
    std::atomic<int> events{0};
    client.setEventHandler([&] { ++events; });
    ASSERT_TRUE(hasSink(client.sinks(), QStringLiteral("own_first_sink")));

    // The server goes away: every device went with it, and the watcher hears so.
    server.stop();
    ASSERT_TRUE(spinUntil([&] { return events > 0; })) << "the lost server was not reported";
    EXPECT_FALSE(client.sinks());

    // It comes back: the client connects again by itself, reports it, and keeps reporting.
    const int beforeRestart = events;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(spinUntil([&] { return events > beforeRestart; })) << "the returned server was not reported";
    const int beforePlug = events;
    ASSERT_EQ(server.ctl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                          QStringLiteral("sink_name=own_second_sink")}),
              0);
    ASSERT_TRUE(spinUntil([&] { return events > beforePlug; })) << "no device events after the restart";
    EXPECT_TRUE(hasSink(client.sinks(), QStringLiteral("own_second_sink")));
}

// A server that takes the connection and never answers holds a call for libpulse's 30 s. Shutting
// the client down (the application going away) does not wait for that call, which gives up.
TEST(PulseAudioClient, ShutdownDuringACallToAServerThatNeverAnswers_ReturnsAtOnceAndTheCallGivesUp)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QLocalServer silent;
    const QString path = folder.filePath(QStringLiteral("native"));
    ASSERT_TRUE(silent.listen(path));
    QObject::connect(&silent, &QLocalServer::newConnection, &silent, [&silent] {
        while (QLocalSocket *taken = silent.nextPendingConnection())
            taken->setParent(&silent);
    });

    PulseAudioClient client(QStringLiteral("unix:") + path);
    std::atomic<bool> answered{false};
    std::optional<std::vector<PulseDeviceInfo>> sinks{std::vector<PulseDeviceInfo>{}};
    std::thread caller([&] {
        sinks = client.sinks();
        answered = true;
    });
    // The call is under way: the server has its connection.
    ASSERT_TRUE(spinUntil([&] { return !silent.findChildren<QLocalSocket *>().isEmpty(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(answered);

    QElapsedTimer took;
    took.start();
    client.shutdown();
    EXPECT_LT(took.elapsed(), 3000) << "the application's end does not wait for the server";
    EXPECT_TRUE(spinUntil([&] { return answered.load(); }, std::chrono::seconds(3)));
    caller.join();
    EXPECT_FALSE(sinks.has_value());
    EXPECT_FALSE(client.ensureConnected()) << "shut down for good";
}
