#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvi"));
    QApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));

    QLabel starting(QStringLiteral("Korvi 正在启动…"));
    starting.setAccessibleName(starting.text());
    starting.setMinimumSize(360, 120);
    starting.setAlignment(Qt::AlignCenter);
    starting.show();
    return QApplication::exec();
}
