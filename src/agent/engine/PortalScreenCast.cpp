#include "PortalScreenCast.h"

#include "EngineLog.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <atomic>

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
constexpr uint kMonitor = 1;
constexpr uint kWindow = 2;
constexpr uint kPersistUntilRevoked = 2;
// A portal call itself answers at once; the user's choice comes later in a Response.
constexpr int kCallTimeoutMs = 25000;

// Tokens are unique in the process, so two casts never watch the same request path.
QString nextToken(const char *prefix)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("korvi_%1%2").arg(QLatin1String(prefix)).arg(++counter);
}
} // namespace

PortalScreenCast::PortalScreenCast(QDBusConnection bus, QObject *parent) : QObject(parent), m_bus(std::move(bus)) {}

PortalScreenCast::~PortalScreenCast()
{
    if (!m_requestPath.isEmpty())
        m_bus.disconnect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this,
                         SLOT(onResponse(QDBusMessage)));
    const QString session = m_session;
    watchSession(QString());
    if (!session.isEmpty())
        m_bus.send(QDBusMessage::createMethodCall(kService, session, kSession, QStringLiteral("Close")));
}

void PortalScreenCast::start(const QString &restoreToken, std::function<void(const Started &)> onStarted,
                             std::function<void(const QString &why)> onEnded)
{
    if (m_step != Step::Idle)
        return;
    m_restoreToken = restoreToken;
    m_onStarted = std::move(onStarted);
    m_onEnded = std::move(onEnded);
    if (!m_bus.isConnected()) {
        fail(QStringLiteral("no session bus"));
        return;
    }
    request(Step::CreateSession, QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), nextToken("session")}});
}

void PortalScreenCast::watchRequest(const QString &path)
{
    if (!m_requestPath.isEmpty())
        m_bus.disconnect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this,
                         SLOT(onResponse(QDBusMessage)));
    m_requestPath = path;
    if (!path.isEmpty())
        m_bus.connect(kService, path, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
}

void PortalScreenCast::watchSession(const QString &path)
{
    if (!m_session.isEmpty())
        m_bus.disconnect(kService, m_session, kSession, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
    m_session = path;
    if (!path.isEmpty())
        m_bus.connect(kService, path, kSession, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
}

// The desktop's own stop, a revoked permission or the portal ending the cast: nothing more comes.
void PortalScreenCast::onSessionClosed()
{
    watchSession(QString());
    if (m_step != Step::Done) {
        fail(QStringLiteral("the portal closed the session"));
        return;
    }
    // A portal closes the session of a cast that failed too: nobody listens to that one.
    if (auto onEnded = std::exchange(m_onEnded, nullptr)) {
        qCInfo(lcEngine) << "desktop portal: the portal closed the session";
        onEnded(QStringLiteral("the portal closed the session"));
    }
}

void PortalScreenCast::request(Step step, const QString &method, QVariantList arguments, QVariantMap options)
{
    const QString token = nextToken("request");
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    // The portal names the request after our unique name and the token; watching it before the
    // call means a quick answer is never missed.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    watchRequest(QStringLiteral("%1/request/%2/%3").arg(kPath, sender, token));
    m_step = step;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenCast, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, step, method](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        if (m_step != step)
            return;
        const QDBusPendingReply<QDBusObjectPath> reply = *done;
        if (reply.isError()) {
            fail(QStringLiteral("%1: %2").arg(method, reply.error().message()));
            return;
        }
        // Older portals choose the request path themselves.
        if (reply.value().path() != m_requestPath)
            watchRequest(reply.value().path());
    });
}

void PortalScreenCast::onResponse(const QDBusMessage &message)
{
    if (message.path() != m_requestPath || message.arguments().size() < 2)
        return;
    watchRequest(QString());
    const uint response = message.arguments().at(0).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(message.arguments().at(1));
    if (response != 0) {
        fail(response == 1 ? QStringLiteral("cancelled in the portal's dialog")
                           : QStringLiteral("refused by the portal (%1)").arg(response));
        return;
    }
    switch (m_step) {
    case Step::CreateSession: {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        watchSession(handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString());
        if (m_session.isEmpty()) {
            fail(QStringLiteral("the portal gave no session"));
            return;
        }
        QVariantMap options{{QStringLiteral("types"), kMonitor | kWindow},
                            {QStringLiteral("multiple"), false},
                            {QStringLiteral("persist_mode"), kPersistUntilRevoked}};
        if (!m_restoreToken.isEmpty())
            options.insert(QStringLiteral("restore_token"), m_restoreToken);
        request(Step::SelectSources, QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(m_session))},
                options);
        return;
    }
    case Step::SelectSources:
        request(Step::Start, QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {});
        return;
    case Step::Start:
        openRemote(results);
        return;
    default:
        return;
    }
}

void PortalScreenCast::openRemote(const QVariantMap &results)
{
    // streams: a(ua{sv}), the node id and its properties; one source was asked for.
    bool found = false;
    const QDBusArgument streams = results.value(QStringLiteral("streams")).value<QDBusArgument>();
    if (streams.currentType() == QDBusArgument::ArrayType) {
        streams.beginArray();
        while (!streams.atEnd()) {
            quint32 node = 0;
            QVariantMap properties; // position, size, source type: the frames tell the size
            streams.beginStructure();
            streams >> node >> properties;
            streams.endStructure();
            if (!found)
                m_started.nodeId = node;
            found = true;
        }
        streams.endArray();
    }
    if (!found) {
        fail(QStringLiteral("the portal started no stream"));
        return;
    }
    m_started.restoreToken = results.value(QStringLiteral("restore_token")).toString();
    m_step = Step::OpenRemote;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kScreenCast, QStringLiteral("OpenPipeWireRemote"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()});
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *done;
        if (reply.isError() || !reply.value().isValid()) {
            fail(QStringLiteral("OpenPipeWireRemote: %1")
                     .arg(reply.isError() ? reply.error().message() : QStringLiteral("no descriptor")));
            return;
        }
        m_step = Step::Done;
        m_started.remote = reply.value();
        if (auto onStarted = std::exchange(m_onStarted, nullptr))
            onStarted(m_started);
    });
}

void PortalScreenCast::fail(const QString &why)
{
    m_step = Step::Done;
    watchRequest(QString());
    qCInfo(lcEngine) << "desktop portal:" << why;
    m_onStarted = nullptr;
    if (auto onEnded = std::exchange(m_onEnded, nullptr))
        onEnded(why);
}
