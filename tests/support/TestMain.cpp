// Every test process runs headless, in a fresh HOME and XDG folders of its own,
// so no test reads or writes a user's files.
#include "TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const auto home = prepareTestProcess("offscreen");
    if (!home)
        return 2;
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    QApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));
    return RUN_ALL_TESTS();
}
