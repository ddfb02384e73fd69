#pragma once

// One meeting client in a process of its own (e2e/MeetingClientMain.cpp), joined to a room of the
// stand-in that the test runs, driven by one command per line.

#include "devservice/DevServiceTestUtil.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <functional>

#ifdef KORVI_MEETING_CLIENT

// Real processes on a loaded machine: bounds for things that take a second or two.
constexpr int kBoundMs = 60000;

// One client process, driven by one command per line.
class ClientProcess final {
public:
    ClientProcess(quint16 port, const QString &phone, const QString &name, const QString &room)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVI_DEV_PORT"), QString::number(port));
        env.remove(QStringLiteral("KVEnv"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(KORVI_MEETING_CLIENT), {phone, name, QStringLiteral("token-") + phone, room});
    }
    ~ClientProcess()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("quit\n");
        // The stand-in runs on this thread: it must keep answering while the client leaves.
        if (!processEventsUntil([this] { return m_process.state() == QProcess::NotRunning; }, 10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The next line the client writes.
    QJsonObject next()
    {
        QJsonObject line;
        processEventsUntil(
            [&] {
                m_buffer += m_process.readAllStandardOutput();
                const qsizetype end = m_buffer.indexOf('\n');
                if (end < 0)
                    return m_process.state() == QProcess::NotRunning;
                line = QJsonDocument::fromJson(m_buffer.left(end)).object();
                m_buffer.remove(0, end + 1);
                return true;
            },
            kBoundMs);
        return line;
    }
    QJsonObject ask(const QByteArray &command)
    {
        m_process.write(command + '\n');
        return next();
    }
    // Asks for the state until it satisfies cond.
    bool stateUntil(const std::function<bool(const QJsonObject &)> &cond, QJsonObject *last = nullptr)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < kBoundMs && m_process.state() == QProcess::Running) {
            const QJsonObject state = ask("state");
            if (last)
                *last = state;
            if (cond(state))
                return true;
            processEventsFor(10);
        }
        return false;
    }

private:
    QProcess m_process;
    QByteArray m_buffer;
};

#endif
