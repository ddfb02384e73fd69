#include "FakePortal.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

namespace {
constexpr int kStartBoundMs = 10000;
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

struct PortalStreamEntry {
    uint node = 0;
    QVariantMap properties;
};

QString senderPart(const QDBusMessage &message)
{
    QString sender = message.service().mid(1);
    return sender.replace(QLatin1Char('.'), QLatin1Char('_'));
}

} // namespace

Q_DECLARE_METATYPE(PortalStreamEntry)

QDBusArgument &operator<<(QDBusArgument &argument, const PortalStreamEntry &entry)
{
    argument.beginStructure();
    argument << entry.node << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalStreamEntry &entry)
{
    argument.beginStructure();
    argument >> entry.node >> entry.properties;
    argument.endStructure();
    return argument;
}

PrivateBus::~PrivateBus()
{
    if (m_daemon && m_daemon->state() != QProcess::NotRunning) {
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(5000))
            m_daemon->kill();
        m_daemon->waitForFinished(5000);
    }
}

bool PrivateBus::start()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty() || !m_dir.isValid()) {
        m_why = QStringLiteral("dbus-daemon is not installed");
        return false;
    }
    m_daemon = std::make_unique<QProcess>();
    m_daemon->start(program,
                    {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                     QStringLiteral("--print-address=1"), QStringLiteral("--address=unix:dir=%1").arg(m_dir.path())});
    QByteArray line;
    const QDeadlineTimer bound(kStartBoundMs);
    while (!line.contains('\n')) {
        if (bound.hasExpired() || (!m_daemon->waitForReadyRead(100) && m_daemon->state() == QProcess::NotRunning)) {
            m_why = QStringLiteral("dbus-daemon gave no address");
            return false;
        }
        line += m_daemon->readAllStandardOutput();
    }
    m_address = QString::fromUtf8(line.trimmed());
    return true;
}

FakePortal::FakePortal(QDBusConnection bus) : m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalStreamEntry>();
    qDBusRegisterMetaType<QList<PortalStreamEntry>>();
    m_bus.registerObject(kPortalPath, this, QDBusConnection::ExportAllSlots);
    m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
}

FakePortal::~FakePortal()
{
    m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    m_bus.unregisterObject(kPortalPath);
    if (!m_sessionPath.isEmpty())
        m_bus.unregisterObject(m_sessionPath);
    delete m_session;
}

bool FakePortal::refused(const QString &method, const QDBusMessage &message)
{
    calls << method;
    if (refuseCall != method)
        return false;
    message.setDelayedReply(true);
    m_bus.send(message.createErrorReply(QDBusError::AccessDenied, QStringLiteral("not allowed here")));
    return true;
}

void FakePortal::closeSession()
{
    if (m_sessionPath.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(m_sessionPath, QStringLiteral("org.freedesktop.portal.Session"),
                                                     QStringLiteral("Closed"));
    signal << QVariantMap();
    m_bus.send(signal);
}

QDBusObjectPath FakePortal::answer(const QString &method, const QVariantMap &options, const QDBusMessage &message,
                                   uint response, const QVariantMap &results, int delayMs)
{
    if (refused(method, message))
        return {};
    const QString path =
        QStringLiteral("%1/request/%2/%3")
            .arg(kPortalPath, senderPart(message), options.value(QStringLiteral("handle_token")).toString());
    const auto send = [this, path, response, results] {
        QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        signal << response << results;
        m_bus.send(signal);
    };
    // The answer comes after the call returned, as the user's choice would.
    if (delayMs < 0)
        m_heldStart = send;
    else
        QTimer::singleShot(delayMs, this, send);
    return QDBusObjectPath(path);
}

bool FakePortal::answerStart()
{
    const std::function<void()> send = std::exchange(m_heldStart, nullptr);
    if (send)
        send();
    return bool(send);
}

QDBusObjectPath FakePortal::CreateSession(const QVariantMap &options, const QDBusMessage &message)
{
    m_sessionPath =
        QStringLiteral("%1/session/%2/%3")
            .arg(kPortalPath, senderPart(message), options.value(QStringLiteral("session_handle_token")).toString());
    if (!m_session) {
        m_session = new FakePortalSession(sessionClosed);
        m_bus.registerObject(m_sessionPath, m_session, QDBusConnection::ExportAllSlots);
    }
    return answer(QStringLiteral("CreateSession"), options, message, 0,
                  {{QStringLiteral("session_handle"), m_sessionPath}});
}

QDBusObjectPath FakePortal::SelectSources(const QDBusObjectPath &, const QVariantMap &options,
                                          const QDBusMessage &message)
{
    selectOptions = options;
    return answer(QStringLiteral("SelectSources"), options, message, 0, {});
}

QDBusObjectPath FakePortal::Start(const QDBusObjectPath &, const QString &, const QVariantMap &options,
                                  const QDBusMessage &message)
{
    QVariantMap results;
    if (startResponse == 0) {
        results.insert(QStringLiteral("streams"), QVariant::fromValue(QList<PortalStreamEntry>{{nodeId, {}}}));
        if (!restoreToken.isEmpty())
            results.insert(QStringLiteral("restore_token"), restoreToken);
    }
    return answer(QStringLiteral("Start"), options, message, startResponse, results, startDelayMs);
}

QDBusUnixFileDescriptor FakePortal::OpenPipeWireRemote(const QDBusObjectPath &, const QVariantMap &,
                                                       const QDBusMessage &message)
{
    if (refused(QStringLiteral("OpenPipeWireRemote"), message))
        return {};
    const int fd = openRemote ? openRemote() : -1;
    if (fd < 0) {
        message.setDelayedReply(true);
        m_bus.send(message.createErrorReply(QDBusError::Failed, QStringLiteral("no PipeWire")));
        return {};
    }
    QDBusUnixFileDescriptor remote(fd); // a copy; ours is closed here
    ::close(fd);
    return remote;
}
