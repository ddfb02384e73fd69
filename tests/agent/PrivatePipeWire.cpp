#include "PrivatePipeWire.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Generous: beside a whole test run the daemon and the source take seconds to come up.
constexpr int kStartBoundMs = 30000;
constexpr int kToolBoundMs = 5000;
const QString kSourceName = QStringLiteral("korvi-test-source");

// Only what a client and a linked stream need: no devices, no session manager.
constexpr const char *kConfig = R"(context.properties = { core.daemon = true core.name = pipewire-0 }
context.spa-libs = { support.* = support/libspa-support }
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-access }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
]
)";

void stop(std::unique_ptr<QProcess> &process)
{
    if (!process || process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (!process->waitForFinished(kToolBoundMs)) {
        process->kill();
        process->waitForFinished(kToolBoundMs);
    }
}
} // namespace

QString PrivatePipeWire::sourceName()
{
    return kSourceName;
}

PrivatePipeWire::~PrivatePipeWire()
{
    stop(m_source);
    stop(m_daemon);
}

bool PrivatePipeWire::fail(const QString &why)
{
    m_why = why;
    return false;
}

QProcessEnvironment PrivatePipeWire::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    return env;
}

bool PrivatePipeWire::start(QSize size, quint32 argb)
{
    for (const char *tool : {"pipewire", "pw-dump", "pw-link"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return fail(QStringLiteral("%1 is not installed").arg(QLatin1String(tool)));
    if (!m_dir.isValid())
        return fail(QStringLiteral("no runtime folder"));
    QFile config(m_dir.filePath(QStringLiteral("test.conf")));
    if (!config.open(QIODevice::WriteOnly) || config.write(kConfig) < 0)
        return fail(QStringLiteral("config not written"));
    config.close();

    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProcessEnvironment(environment());
    m_daemon->setProcessChannelMode(QProcess::MergedChannels);
    m_daemon->start(QStringLiteral("pipewire"), {QStringLiteral("-c"), config.fileName()});
    const QDeadlineTimer bound(kStartBoundMs);
    while (!QFile::exists(m_dir.filePath(QStringLiteral("pipewire-0")))) {
        if (bound.hasExpired() || m_daemon->state() == QProcess::NotRunning)
            return fail(QStringLiteral("pipewire does not start: %1").arg(QString::fromLocal8Bit(m_daemon->readAll())));
        m_daemon->waitForFinished(20);
    }

    m_source = std::make_unique<QProcess>();
    m_source->setProcessEnvironment(environment());
    m_source->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_source->start(
        QStringLiteral(KORVI_PIPEWIRE_TEST_SOURCE),
        {QString::number(size.width()), QString::number(size.height()), QString::number(argb), kSourceName});
    // The node shows before its first picture has set the port's buffers; a link made in between
    // gets buffers of no known kind and the source crashes (seen on a loaded machine).
    bool buffersSet = false;
    while (m_node == 0 || !buffersSet) {
        if (bound.hasExpired() || m_source->state() == QProcess::NotRunning)
            return fail(
                QStringLiteral("the test source does not appear: %1").arg(QString::fromLocal8Bit(m_source->readAll())));
        const QJsonArray all = objects();
        for (const QJsonValue &object : all) {
            const QJsonObject props = object[QStringLiteral("info")][QStringLiteral("props")].toObject();
            if (props[QStringLiteral("node.name")].toString() == kSourceName)
                m_node = quint32(object[QStringLiteral("id")].toInt());
        }
        for (const QJsonValue &object : all) {
            const QJsonObject info = object[QStringLiteral("info")].toObject();
            if (m_node != 0 && info[QStringLiteral("props")][QStringLiteral("node.id")].toInt() == int(m_node) &&
                !info[QStringLiteral("params")][QStringLiteral("Buffers")].toArray().isEmpty())
                buffersSet = true;
        }
    }
    return true;
}

void PrivatePipeWire::tell(const QByteArray &command)
{
    // Written at once: the caller may not run an event loop (the benchmark waits for its children).
    if (m_source && m_source->write(command) == command.size())
        m_source->waitForBytesWritten(kToolBoundMs);
}

void PrivatePipeWire::setRate(int n)
{
    tell(QStringLiteral("rate %1\n").arg(n).toLatin1());
}

void PrivatePipeWire::changeOnce()
{
    tell("frame\n");
}

void PrivatePipeWire::removeSource()
{
    stop(m_source);
}

QJsonArray PrivatePipeWire::objects() const
{
    QProcess dump;
    dump.setProcessEnvironment(environment());
    dump.start(QStringLiteral("pw-dump"), {});
    if (!dump.waitForFinished(kToolBoundMs))
        dump.kill();
    return QJsonDocument::fromJson(dump.readAllStandardOutput()).array();
}

bool PrivatePipeWire::running(const QString &consumer) const
{
    for (const QJsonValue &object : objects()) {
        const QJsonObject info = object[QStringLiteral("info")].toObject();
        if (info[QStringLiteral("props")][QStringLiteral("node.name")].toString() == consumer)
            return info[QStringLiteral("state")].toString() == QStringLiteral("running");
    }
    return false;
}

QString PrivatePipeWire::describe(const QString &consumer) const
{
    QStringList parts{m_source && m_source->state() == QProcess::Running ? QStringLiteral("source process running")
                                                                         : QStringLiteral("source process gone")};
    for (const QJsonValue &object : objects()) {
        const QJsonObject info = object[QStringLiteral("info")].toObject();
        const QString type = object[QStringLiteral("type")].toString();
        const QString name = info[QStringLiteral("props")][QStringLiteral("node.name")].toString();
        if ((type.endsWith(QLatin1String("Node")) && (name == consumer || name == kSourceName)) ||
            type.endsWith(QLatin1String("Link")))
            parts << QStringLiteral("%1 %2: %3 %4")
                         .arg(type.section(u':', -1), name, info[QStringLiteral("state")].toString(),
                              info[QStringLiteral("error")].toString());
    }
    return parts.join(QStringLiteral("; "));
}

int PrivatePipeWire::connect() const
{
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("pipewire-0")));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || size_t(path.size()) >= sizeof(address.sun_path))
        return -1;
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool PrivatePipeWire::link(const QString &consumer) const
{
    QProcess link;
    link.setProcessEnvironment(environment());
    link.start(QStringLiteral("pw-link"), {kSourceName + QStringLiteral(":out_0"), consumer + QStringLiteral(":in_0")});
    if (!link.waitForFinished(kToolBoundMs)) {
        link.kill();
        return false;
    }
    return link.exitCode() == 0;
}
