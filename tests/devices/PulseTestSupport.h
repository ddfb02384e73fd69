#pragma once

#include "devices/audio/PulseAudioClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

// The audio tests talk to a real sound server: scripts/with-pulseaudio.sh starts
// a private one with "korvi_null_sink" and "korvi_sine_source". Without it they
// skip, and nothing may spawn a server in the developer's session.
namespace PulseTestSupport {

inline const QString kNullSink = QStringLiteral("korvi_null_sink");
inline const QString kSineSource = QStringLiteral("korvi_sine_source");

inline bool serverReachable()
{
    if (!qEnvironmentVariableIsSet("PULSE_CLIENTCONFIG")) {
        // In the test run's own folder: runs side by side must not share the file.
        const QString path = QDir::home().filePath(QStringLiteral("korvi-devices-tests-client.conf"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write("autospawn = no\n");
        qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(path));
    }
    return PulseAudioClient::serverReachable();
}

// Processes events until done() holds or the audio has had ample time to arrive.
inline bool spinUntil(const std::function<bool()> &done, std::chrono::seconds limit = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::yield();
    }
    return true;
}

inline int pactl(const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000))
        return -1;
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return process.exitCode();
}

} // namespace PulseTestSupport

#define KORVI_REQUIRE_PULSE()                                                                                          \
    do {                                                                                                               \
        if (!PulseTestSupport::serverReachable())                                                                      \
            GTEST_SKIP() << "no PulseAudio server reachable; run under scripts/with-pulseaudio.sh";                    \
    } while (false)
