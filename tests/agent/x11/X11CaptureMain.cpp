// Desktop capture on a real X server: one Xvfb with openbox per process, on the xcb platform.
// Without Xvfb or openbox the tests skip; listing the tests starts nothing.
#include "TestEnvironment.h"
#include "X11CaptureTests.h"
#include "x11/X11Session.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {
X11Session *g_session = nullptr;
QString g_unavailable;
} // namespace

namespace X11CaptureTests {
X11Session *session()
{
    return g_session;
}
QString unavailable()
{
    return g_unavailable;
}
} // namespace X11CaptureTests

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    X11Session session;
    bool up = false;
    if (!::testing::GTEST_FLAG(list_tests)) {
        up = session.start(X11CaptureTests::kScreen);
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
        result = RUN_ALL_TESTS();
    }
    g_session = nullptr;
    session.stop();
    return result;
}
