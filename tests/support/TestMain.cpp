// Every test process runs headless, in a fresh HOME and XDG folders of its own,
// so no test reads or writes a user's files.
#include "TestEnvironment.h"

#include "foundation/UserDefaults.h"

#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {
// A whole executable runs its cases in one process, in any order: each starts with the stored
// settings a fresh process would find (none), whatever the case before it stored.
class FreshDefaults final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override
    {
        QFile::remove(UserDefaults::standardUserDefaults().filePath());
        UserDefaults::resetStandardUserDefaults();
    }
};
} // namespace

int main(int argc, char **argv)
{
    int result = 0;
    {
        const auto home = prepareTestProcess("offscreen");
        if (!home)
            return 2;
        ::testing::InitGoogleTest(&argc, argv);
        ::testing::UnitTest::GetInstance()->listeners().Append(new FreshDefaults);
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("korvi"));
        QApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));
        result = RUN_ALL_TESTS();
    }
    endTestProcess(result);
}
