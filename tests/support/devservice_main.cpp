// korvi-devservice: the local stand-in meeting service for development runs.
//   korvi-devservice [--port N] [--channel-port N]
#include "devservice/DevService.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    // Page images are drawn with text, which needs a GUI application; the service shows nothing,
    // so it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvi-devservice"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local stand-in meeting service"));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("REST port (default 8787)"),
                                        QStringLiteral("N"), QStringLiteral("8787"));
    const QCommandLineOption channelOption(QStringLiteral("channel-port"),
                                           QStringLiteral("message channel port (default REST port + 1)"),
                                           QStringLiteral("N"));
    parser.addOption(portOption);
    parser.addOption(channelOption);
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "korvi-devservice: bad --port\n");
        return 2;
    }
    uint channelPort = port == 0 ? 0 : port + 1;
    if (parser.isSet(channelOption)) {
        channelPort = parser.value(channelOption).toUInt(&ok);
        if (!ok || channelPort > 65535) {
            std::fprintf(stderr, "korvi-devservice: bad --channel-port\n");
            return 2;
        }
    }

    DevService service;
    // Uploaded files convert for a few seconds, as on the real service.
    service.state().extra.insert(QStringLiteral("conversionMs"), 4000);
    // As the service does: chat and control messages reach the room's other members.
    service.setRelayMessages(true);
    if (!service.start(quint16(port), quint16(channelPort))) {
        std::fprintf(stderr, "korvi-devservice: cannot listen on 127.0.0.1:%u / %u\n", port, channelPort);
        return 1;
    }
    std::printf("korvi-devservice listening: REST %s (port %u), channel %s (port %u)\n",
                qPrintable(service.baseUrl().toString()), service.port(), qPrintable(service.wsUrl().toString()),
                service.channelPort());
    std::printf("routes: %s\n", qPrintable(DevServiceRoutes::names().join(QStringLiteral(", "))));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
