// The main of the tests that need a real X server with a window manager: one Xvfb with openbox
// per process, on the xcb platform. Without Xvfb or openbox the tests skip (X11Tests::unavailable()
// says why); listing the tests starts nothing.
#include "TestEnvironment.h"
#include "X11Session.h"
#include "X11Tests.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {
X11Session *g_session = nullptr;
QString g_unavailable;
} // namespace

namespace X11Tests {
X11Session *session()
{
    return g_session;
}
QString unavailable()
{
    return g_unavailable;
}
} // namespace X11Tests

namespace {
int runTests(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    X11Session session;
    const bool listing = ::testing::GTEST_FLAG(list_tests);
    bool up = false;
    if (!listing) {
#ifdef KORVI_X11_SECOND_SCREEN
        up = session.start(X11Tests::kScreen, X11Tests::kSecondScreen);
#else
        up = session.start(X11Tests::kScreen);
#endif
        if (!up)
            g_unavailable = session.why();
    }
    const auto home = prepareTestProcess(up ? "xcb" : "offscreen");
    if (!home)
        return 2;
    if (up) {
        qputenv("DISPLAY", session.display().toLocal8Bit());
        g_session = &session;
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("korvi"));
        result = RUN_ALL_TESTS();
    }
    g_session = nullptr;
    session.stop();
    return result;
}
} // namespace

int main(int argc, char **argv)
{
    endTestProcess(runTests(argc, argv));
}
