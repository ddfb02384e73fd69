#include "PulseTestSupport.h"

#include "devices/VeskDeviceChecker.h"

#include <QDir>
#include <QThread>

#include <cerrno>

using namespace PulseTestSupport;

TEST(VeskDeviceChecker, NodeRuleTellsUsableMissingAndDenied)
{
    const auto opening = [](QMap<QString, int> errors) {
        return [errors](const QString &node) { return errors.value(node, ENOENT); };
    };
    const QString a = QStringLiteral("/dev/video0");
    const QString b = QStringLiteral("/dev/video1");

    EXPECT_EQ(VeskDeviceChecker::statusForNodes({}, opening({})), VeskDeviceChecker::NoDevice);
    EXPECT_EQ(VeskDeviceChecker::statusForNodes({a}, opening({{a, 0}})), VeskDeviceChecker::Usable);
    EXPECT_EQ(VeskDeviceChecker::statusForNodes({a, b}, opening({{a, EACCES}, {b, EPERM}})), VeskDeviceChecker::Denied);
    // One camera the user may open is enough, whatever the others say.
    EXPECT_EQ(VeskDeviceChecker::statusForNodes({a, b}, opening({{a, EACCES}, {b, 0}})), VeskDeviceChecker::Usable);
    // A node that vanished between listing and opening is no device.
    EXPECT_EQ(VeskDeviceChecker::statusForNodes({a}, opening({{a, ENOENT}})), VeskDeviceChecker::NoDevice);
    // A busy camera exists and is not a permission problem.
    EXPECT_EQ(VeskDeviceChecker::statusForNodes({a}, opening({{a, EBUSY}})), VeskDeviceChecker::Usable);
}

TEST(VeskDeviceChecker, ChecksAnswerOnTheMainThread)
{
    QThread *mainThread = QThread::currentThread();
    std::optional<qint64> camera;
    bool cameraOnMain = false;
    VeskDeviceChecker::checkCameraWithCompletionBlock([&](qint64 result) {
        camera = result;
        cameraOnMain = QThread::currentThread() == mainThread;
    });
    EXPECT_FALSE(camera.has_value()) << "the check runs off the main thread";
    ASSERT_TRUE(spinUntil([&] { return camera.has_value(); }));
    EXPECT_TRUE(cameraOnMain);
    // Looked up here without the checker: a machine without camera nodes (as CI) has no camera.
    if (QDir(QStringLiteral("/dev")).entryList({QStringLiteral("video*")}, QDir::System).isEmpty()) {
        EXPECT_EQ(*camera, VeskDeviceChecker::NoDevice);
    }
}

TEST(VeskDeviceChecker, MicrophoneFromTheSoundServerIsUsable)
{
    KORVI_REQUIRE_PULSE();
    QThread *mainThread = QThread::currentThread();
    std::optional<qint64> result;
    bool onMain = false;
    VeskDeviceChecker::checkMicrophoneWithCompletionBlock([&](qint64 value) {
        result = value;
        onMain = QThread::currentThread() == mainThread;
    });
    ASSERT_TRUE(spinUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(onMain);
    EXPECT_EQ(*result, VeskDeviceChecker::Usable); // the sine source
}
