#include "TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>

// Sanitizer settings for every test process. Set here rather than through the test environment,
// which ctest's property lists split apart. Leak checking is off: Qt's platform plugins and audio
// backends keep allocations until exit.
extern "C" const char *__asan_default_options();
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0:abort_on_error=1";
}
extern "C" const char *__ubsan_default_options();
extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
#ifdef KORVI_TSAN_SUPPRESSIONS
// A race report fails the test at once. Qt is not instrumented: what it allocates, frees and
// locks inside itself is not taken for accesses of ours (its hand-overs are stated in
// src/foundation/RaceDetector.h).
extern "C" const char *__tsan_default_options();
extern "C" const char *__tsan_default_options()
{
    return "halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:"
           "suppressions=" KORVI_TSAN_SUPPRESSIONS;
}
#endif

std::unique_ptr<QTemporaryDir> prepareTestProcess(const char *platform)
{
    auto home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/korvi-test-XXXXXX"));
    if (!home->isValid())
        return nullptr;
    const QByteArray base = home->path().toLocal8Bit();
    setenv("HOME", base.constData(), 1);
    for (const char *sub : {"config", "data", "state", "cache", "runtime"}) {
        const QByteArray dir = base + '/' + sub;
        QDir().mkpath(QString::fromLocal8Bit(dir));
        QFile::setPermissions(QString::fromLocal8Bit(dir), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    setenv("XDG_CONFIG_HOME", (base + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("XDG_STATE_HOME", (base + "/state").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").constData(), 1);
    setenv("QT_QPA_PLATFORM", platform, 1);
    // A developer's Wayland desktop would otherwise choose the desktop portal for capture.
    unsetenv("XDG_SESSION_TYPE");
    unsetenv("KORVI_DESKTOP_CAPTURE");
    return home;
}

void endTestProcess(int result)
{
    std::fflush(nullptr);
    std::_Exit(result);
}
