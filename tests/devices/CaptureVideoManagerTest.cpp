#include "FrameSupport.h"

#include "devices/VeskDeviceChecker.h"
#include "devices/video/CameraPreviewView.h"
#include "devices/video/CaptureVideoManager.h"
#include "uikit/VeskToast.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace FrameSupport;

namespace {

struct Rig {
    FakeFrameSource *source = nullptr;
    std::unique_ptr<CaptureVideoManager> manager;

    Rig(QList<KVVideoDevice> cameras, std::optional<KVVideoDevice> wanted, KVVideoDevice preferred = {})
    {
        auto fake = std::make_unique<FakeFrameSource>();
        fake->present = std::move(cameras);
        fake->preferred = std::move(preferred);
        source = fake.get();
        manager = std::make_unique<CaptureVideoManager>(std::move(wanted), std::move(fake));
    }
};

const KVVideoDevice kFront = camera(QStringLiteral("/dev/video0"), QStringLiteral("Front"));
const KVVideoDevice kUsb = camera(QStringLiteral("/dev/video2"), QStringLiteral("USB Camera"));
const KVVideoDevice kDesk = camera(QStringLiteral("/dev/video4"), QStringLiteral("Desk Camera"));

} // namespace

TEST(CaptureVideoManager, TakesTheGivenCameraElseThePreferredElseTheFirst)
{
    EXPECT_EQ(Rig({kFront, kUsb, kDesk}, kDesk, kUsb).manager->currentDevice(), kDesk);
    // A camera saved earlier but now unplugged falls back to the system's choice.
    const KVVideoDevice unplugged = camera(QStringLiteral("/dev/video9"), QStringLiteral("Gone"));
    EXPECT_EQ(Rig({kFront, kUsb, kDesk}, unplugged, kUsb).manager->currentDevice(), kUsb);
    EXPECT_EQ(Rig({kFront, kUsb}, std::nullopt).manager->currentDevice(), kFront);
    EXPECT_FALSE(Rig({}, kFront).manager->currentDevice().has_value());
}

TEST(CaptureVideoManager, RunsThePreviewAndSwitchesOnlyToAnotherCamera)
{
    const MediaReady media;
    Rig rig({kFront, kUsb}, kFront);
    CameraPreviewView view;
    view.resize(64, 32);
    view.setMirrorMode(false);
    rig.manager->startRunningOnView(&view);
    EXPECT_TRUE(rig.manager->isRunning());
    EXPECT_EQ(rig.source->starts, 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(near(view.grab().toImage().pixelColor(5, 16), Qt::red));

    rig.manager->switchCamera(kFront);
    EXPECT_EQ(rig.source->starts, 1);
    rig.manager->switchCamera(kUsb);
    EXPECT_EQ(rig.source->starts, 2);
    EXPECT_EQ(rig.source->started, kUsb);
    EXPECT_EQ(rig.manager->currentDevice(), kUsb);

    rig.manager->stopRunning();
    EXPECT_FALSE(rig.manager->isRunning());
    EXPECT_FALSE(view.hasFrame());
    // Switching while stopped remembers the choice without starting anything.
    rig.manager->switchCamera(kFront);
    EXPECT_EQ(rig.source->starts, 2);
    EXPECT_EQ(rig.manager->currentDevice(), kFront);
}

TEST(CaptureVideoManager, ReportsPlugAndUnplugAndLeavesARemovedCamera)
{
    const MediaReady media;
    Rig rig({kFront, kUsb}, kUsb);
    CameraPreviewView view;
    rig.manager->startRunningOnView(&view);
    QList<std::pair<QString, bool>> reports;
    rig.manager->setDidUpdateDevice([&](const KVVideoDevice &device, bool removed) {
        reports.append({device.uniqueID, removed});
    });

    rig.source->replug({kFront, kUsb, kDesk});
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.at(0), std::make_pair(kDesk.uniqueID, false));
    EXPECT_EQ(rig.manager->devices().size(), 3);
    EXPECT_EQ(rig.manager->currentDevice(), kUsb); // plugging another keeps the choice

    reports.clear();
    rig.source->replug({kFront, kDesk});
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.at(0), std::make_pair(kUsb.uniqueID, true));
    // The chosen camera left: the preview moves on to the first remaining one.
    EXPECT_EQ(rig.manager->currentDevice(), kFront);
    EXPECT_EQ(rig.source->started, kFront);
    EXPECT_TRUE(rig.manager->isRunning());

    reports.clear();
    rig.source->replug({});
    EXPECT_EQ(reports.size(), 2);
    EXPECT_FALSE(rig.manager->currentDevice().has_value());
    EXPECT_FALSE(rig.manager->isRunning());
}

TEST(CaptureVideoManager, CheckAvailableToastsWhenThereIsNoCamera)
{
    Rig none({}, std::nullopt);
    none.manager->setCameraCheck([](std::function<void(qint64)> done) { done(VeskDeviceChecker::NoDevice); });
    std::optional<bool> answer;
    none.manager->checkAvailable([&](bool available) { answer = available; });
    QCoreApplication::processEvents();
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(*answer);
    EXPECT_FALSE(none.manager->isAvailable());
    ASSERT_NE(VeskToast::currentToast(), nullptr);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), kNoCameraToast);
    VeskToast::dismissToast();

    // The node check passing is not enough when the preview lists no camera.
    none.manager->setCameraCheck([](std::function<void(qint64)> done) { done(VeskDeviceChecker::Usable); });
    answer.reset();
    none.manager->checkAvailable([&](bool available) { answer = available; });
    QCoreApplication::processEvents();
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(*answer);

    Rig one({kFront}, std::nullopt);
    one.manager->setCameraCheck([](std::function<void(qint64)> done) { done(VeskDeviceChecker::Usable); });
    answer.reset();
    one.manager->checkAvailable([&](bool available) { answer = available; });
    QCoreApplication::processEvents();
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(*answer);
    EXPECT_TRUE(one.manager->isAvailable());
}
