#include "agent/AgentEnvironment.h"

#include <QtGlobal>

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
    case Development: {
        const QString host = QStringLiteral("127.0.0.1:%1").arg(developmentPort());
        env.environment = Development;
        env.serviceAddress = QStringLiteral("http://") + host;
        env.webHost = QStringLiteral("http://") + host;
        env.channelAddress = QStringLiteral("ws://") + host;
        break;
    }
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
    if (kvEnv == QLatin1String("release"))
        return Production;
    if (kvEnv == QLatin1String("debug") || kvEnv == QLatin1String("test"))
        return Test;
    if (kvEnv == QLatin1String("dev"))
        return Development;
    if (kvEnv == QLatin1String("test2"))
        return SecondTest;
    return current;
}

QString AgentEnvironment::effectiveKVEnv(const QString &bakedIn)
{
    const QString fromRun = qEnvironmentVariable("KVEnv");
    return fromRun.isEmpty() ? bakedIn : fromRun;
}

quint16 AgentEnvironment::developmentPort()
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("KORVI_DEV_PORT", &ok);
    return ok && port > 0 && port <= 65535 ? static_cast<quint16>(port) : DefaultDevPort;
}
