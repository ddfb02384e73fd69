// korvi: the desktop meeting client.
#include "shell/AppDelegateMac.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvi"));
    QApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));

    AppDelegateMac delegate{QStringLiteral(KORVI_KVENV)};
    if (delegate.applicationDidFinishLaunching() == AppDelegateMac::Launch::HandedOver)
        return 0;
    return QApplication::exec();
}
