#include "agent/AgentEnvironment.h"

#include <QtGlobal>

namespace {
// The environment a KVEnv value names, or -1.
int namedEnvironment(const QString &kvEnv)
{
    if (kvEnv == QLatin1String("release"))
        return AgentEnvironment::Production;
    if (kvEnv == QLatin1String("debug") || kvEnv == QLatin1String("test"))
        return AgentEnvironment::Test;
    if (kvEnv == QLatin1String("dev"))
        return AgentEnvironment::Development;
    if (kvEnv == QLatin1String("test2"))
        return AgentEnvironment::SecondTest;
    return -1;
}
} // namespace

QList<int> AgentEnvironment::compiledIn()
{
#ifdef KORVI_WITH_DEVELOPMENT_ENVIRONMENT
    return {Production, Test, Development, SecondTest};
#else
    return {Production, Test, SecondTest};
#endif
}

AgentEnvironment AgentEnvironment::forEnvironment(int environment)
{
    AgentEnvironment env;
    switch (environment) {
    case Production:
        env.environment = Production;
        env.serviceAddress = QStringLiteral("https://api.korvi.example.com");
        env.webHost = QStringLiteral("https://meet.korvi.example.com");
        env.channelAddress = QStringLiteral("wss://im.korvi.example.com");
        break;
#ifdef KORVI_WITH_DEVELOPMENT_ENVIRONMENT
    case Development: {
        const QString host = QStringLiteral("127.0.0.1:%1").arg(developmentPort());
        env.environment = Development;
        env.serviceAddress = QStringLiteral("http://") + host;
        env.webHost = QStringLiteral("http://") + host;
        env.channelAddress = QStringLiteral("ws://") + host;
        break;
    }
#endif
    case SecondTest:
        env.environment = SecondTest;
        env.serviceAddress = QStringLiteral("https://api-test2.korvi.example.com");
        env.webHost = QStringLiteral("https://meet-test2.korvi.example.com");
        env.channelAddress = QStringLiteral("wss://im-test2.korvi.example.com");
        break;
    case Test:
    default:
        env.environment = Test;
        env.serviceAddress = QStringLiteral("https://api-test.korvi.example.com");
        env.webHost = QStringLiteral("https://meet-test.korvi.example.com");
        env.channelAddress = QStringLiteral("wss://im-test.korvi.example.com");
        break;
    }
    return env;
}

int AgentEnvironment::environmentForKVEnv(const QString &kvEnv, int current)
{
    return environmentForKVEnv(kvEnv, current, compiledIn());
}

int AgentEnvironment::environmentForKVEnv(const QString &kvEnv, int current, const QList<int> &available)
{
    const int named = namedEnvironment(kvEnv);
    return available.contains(named) ? named : current;
}

QString AgentEnvironment::effectiveKVEnv(const QString &bakedIn)
{
    return effectiveKVEnv(bakedIn, compiledIn());
}

QString AgentEnvironment::effectiveKVEnv(const QString &bakedIn, const QList<int> &available)
{
    // The variable may only choose among what the build holds: a release build cannot be sent to
    // a local service by whoever sets it.
    const QString fromRun = qEnvironmentVariable("KVEnv");
    return available.contains(namedEnvironment(fromRun)) ? fromRun : bakedIn;
}

QString AgentEnvironment::channelAddressFor(const QString &imUrl, const QUrl &restBase)
{
    if (restBase.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return imUrl;
    QUrl channel(imUrl);
    const QString scheme = channel.scheme().toLower();
    if (scheme == QLatin1String("ws"))
        channel.setScheme(QStringLiteral("wss"));
    else if (scheme != QLatin1String("wss") || channel.host().isEmpty())
        return {};
    return channel.toString();
}

quint16 AgentEnvironment::developmentPort()
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("KORVI_DEV_PORT", &ok);
    return ok && port > 0 && port <= 65535 ? static_cast<quint16>(port) : DefaultDevPort;
}

qint64 AgentEnvironment::developmentDownloadLimitMb()
{
    bool ok = false;
    const qint64 mb = qEnvironmentVariable("KORVI_DEV_DOWNLOAD_MAX_MB").toLongLong(&ok);
    return ok && mb > 0 && mb < (qint64(1) << 30) ? mb : 0;
}
