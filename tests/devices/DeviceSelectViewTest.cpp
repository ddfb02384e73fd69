#include "FrameSupport.h"
#include "PulseTestSupport.h"
#include "support/TestEvents.h"

#include "agent/MainSettingModel.h"
#include "devices/VeskDeviceChecker.h"
#include "devices/audio/KVAudioManager.h"
#include "devices/video/CameraPreviewView.h"
#include "devices/video/CaptureVideoManager.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVCameraSelectView.h"
#include "devices/views/KVDeviceListView.h"
#include "devices/views/KVDeviceNibs.h"
#include "uikit/VeskCategories.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

using namespace FrameSupport;

namespace {

const KVVideoDevice kFront = camera(QStringLiteral("/dev/video0"), QStringLiteral("Front"));
const KVVideoDevice kUsb = camera(QStringLiteral("/dev/video2"), QStringLiteral("USB Camera"));

struct CameraRig {
    MediaReady media;
    FakeFrameSource *source = nullptr;
    std::unique_ptr<KVCameraSelectView> view;

    explicit CameraRig(QList<KVVideoDevice> cameras)
    {
        auto fake = std::make_unique<FakeFrameSource>();
        fake->present = std::move(cameras);
        source = fake.get();
        auto manager = std::make_unique<CaptureVideoManager>(std::nullopt, std::move(fake));
        manager->setCameraCheck([](std::function<void(qint64)> done) { done(VeskDeviceChecker::Usable); });
        view = std::make_unique<KVCameraSelectView>(std::move(manager));
    }
};

} // namespace

TEST(KVCameraSelectView, ShowsTheModelsCameraLiveAndStoresAChoice)
{
    MainSettingModel model;
    model.setVideoMirror(false);
    model.setVideoFill(true);
    CameraRig rig({kFront, kUsb});
    rig.view->setModel(&model);

    // With no camera chosen yet the pop-up stores the one it shows.
    EXPECT_EQ(model.currentCamera(), kFront);
    EXPECT_EQ(rig.view->deviceList()->count(), 2);
    EXPECT_EQ(rig.view->deviceList()->selectedIndex(), 0);
    EXPECT_FALSE(rig.view->previewView()->mirrorMode());
    EXPECT_TRUE(rig.view->previewView()->fillMode());
    EXPECT_TRUE(rig.source->isRunning());
    EXPECT_TRUE(rig.view->previewView()->hasFrame());

    KVCameraSelectView *reported = nullptr;
    rig.view->onVideoDeviceChanged = [&](KVCameraSelectView *view) { reported = view; };
    rig.view->deviceList()->rowAt(1)->click();
    EXPECT_EQ(reported, rig.view.get());
    EXPECT_EQ(model.currentCamera(), kUsb);
    EXPECT_EQ(rig.source->started, kUsb);
    EXPECT_EQ(rig.view->deviceList()->selectedIndex(), 1);

    bool settings = false;
    rig.view->onSettingCamera = [&] { settings = true; };
    rig.view->settingButton()->click();
    EXPECT_TRUE(settings);
    EXPECT_EQ(rig.view->settingButton()->accessibleName(), QStringLiteral("视频设置"));

    rig.view->stopRunning();
    EXPECT_FALSE(rig.source->isRunning());
}

TEST(KVCameraSelectView, UnpluggingTheChosenCameraUpdatesTheModelAndReports)
{
    MainSettingModel model;
    model.setCurrentCamera(kUsb);
    CameraRig rig({kFront, kUsb});
    rig.view->setModel(&model);
    EXPECT_EQ(rig.view->deviceList()->selectedIndex(), 1);

    int reports = 0;
    rig.view->onVideoDeviceChanged = [&](KVCameraSelectView *) { ++reports; };
    rig.source->replug({kFront});
    EXPECT_EQ(model.currentCamera(), kFront);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(rig.view->deviceList()->count(), 1);

    // The last one goes: the model keeps a camera record without id and name.
    rig.source->replug({});
    EXPECT_EQ(model.currentCamera(), KVVideoDevice());
    EXPECT_EQ(reports, 2);
}

// The sound server and the cameras report devices at any time; an open menu keeps its rows (and a
// keyboard user's focus on one) and meets a new row right after the last one, shown at once.
TEST(KVCameraSelectView, ADeviceComingWhileTheMenuIsOpenKeepsTheRowsAndTheirTabOrder)
{
    MainSettingModel model;
    CameraRig rig({kFront, kUsb});
    rig.view->setModel(&model);
    rig.view->show();
    KVDeviceListView *list = rig.view->deviceList();
    QAbstractButton *first = list->rowAt(0);

    rig.source->replug({kFront, kUsb, camera(QStringLiteral("/dev/video4"), QStringLiteral("Third"))});
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->rowAt(0), first);
    EXPECT_EQ(list->rowAt(2)->accessibleName(), QStringLiteral("Third"));
    EXPECT_TRUE(list->rowAt(2)->isVisible());
    EXPECT_EQ(list->rowAt(1)->nextInFocusChain(), list->rowAt(2));
}

TEST(KVDeviceNibs, PopUpsLoadByTheirInterfaceNames)
{
    registerDeviceNibs();
    std::unique_ptr<KVCameraSelectView> cameraView(
        vesk::loadViewFromNibWithName<KVCameraSelectView>(QStringLiteral("KVCameraSelectView")));
    ASSERT_NE(cameraView, nullptr);
    EXPECT_EQ(cameraView->size(), QSize(350, 360));
    std::unique_ptr<KVAudioSelectView> audioView(
        vesk::loadViewFromNibWithName<KVAudioSelectView>(QStringLiteral("KVAudioSelectView")));
    ASSERT_NE(audioView, nullptr);
    EXPECT_EQ(audioView->size(), QSize(300, 207));
}

TEST(KVAudioSelectView, MicrophonePopUpTicksTheChoiceShowsItsVolumeAndStoresAPick)
{
    KORVI_REQUIRE_PULSE();
    MainSettingModel model;
    KVAudioSelectView view;
    view.setIsSpeaker(false);
    view.setModel(&model);

    // Shown at once; the menu fills when the sound server has told its devices.
    ASSERT_TRUE(PulseTestSupport::spinUntil([&] { return view.deviceList()->count() > 0; }));
    EXPECT_TRUE(view.loadingLabel()->isHidden());
    const QList<KVAudioDevice> microphones = KVAudioManager::recordDevices();
    ASSERT_GE(microphones.size(), 2);
    // No choice yet: the first entry (the system default) is taken and ticked.
    EXPECT_EQ(model.currentMicphone(), microphones.first());
    EXPECT_EQ(view.deviceList()->count(), microphones.size());
    EXPECT_EQ(view.deviceList()->selectedIndex(), 0);
    EXPECT_EQ(view.deviceList()->rowAt(0)->accessibleName(), microphones.first().displayName());
    EXPECT_TRUE(PulseTestSupport::spinUntil([&] { return view.volumeSlider()->isEnabled(); }));
    EXPECT_FALSE(view.levelBar()->isHidden());

    int pick = -1;
    for (int i = 0; i < microphones.size(); ++i) {
        if (microphones.at(i).uniqueID == PulseTestSupport::kSineSource)
            pick = i;
    }
    ASSERT_GT(pick, 0);
    KVAudioSelectView *reported = nullptr;
    view.onDeviceChanged = [&](KVAudioSelectView *v) { reported = v; };
    view.deviceList()->rowAt(pick)->click();
    EXPECT_EQ(reported, &view);
    EXPECT_EQ(model.currentMicphone(), microphones.at(pick));
    EXPECT_EQ(view.deviceList()->selectedIndex(), pick);

    // The meter follows the sine source.
    EXPECT_TRUE(PulseTestSupport::spinUntil([&] { return view.levelBar()->value() > 0; }));
}

// A device plugged in elsewhere while the microphone pop-up is open: the list shows it, and the
// chosen microphone's volume stays usable, with a keyboard user still on it.
TEST(KVAudioSelectView, ADeviceComingElsewhereLeavesTheChosenOnesVolumeUsableAndFocused)
{
    KORVI_REQUIRE_PULSE();
    MainSettingModel model;
    KVAudioSelectView view;
    view.setIsSpeaker(false);
    view.setModel(&model);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(PulseTestSupport::spinUntil([&] { return view.deviceList()->count() > 0; }));
    ASSERT_TRUE(PulseTestSupport::spinUntil([&] { return view.volumeSlider()->isEnabled(); }));
    view.volumeSlider()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(PulseTestSupport::spinUntil([&] { return QApplication::focusWidget() == view.volumeSlider(); }));
    const qsizetype before = view.deviceList()->count();

    const EventCounter changes(view.volumeSlider(), QEvent::EnabledChange);
    const QString extra = QStringLiteral("korvi_popup_mic_%1").arg(QCoreApplication::applicationPid());
    QByteArray module;
    ASSERT_EQ(PulseTestSupport::pactl({QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                                       QStringLiteral("source_name=") + extra},
                                      &module),
              0);
    const std::unique_ptr<void, std::function<void(void *)>> unplug(&module, [&](void *) {
        PulseTestSupport::pactl({QStringLiteral("unload-module"), QString::fromLatin1(module)});
    });
    ASSERT_TRUE(PulseTestSupport::spinUntil([&] { return view.deviceList()->count() > before; }));
    // The volume read again has come back.
    view.audioManager()->waitUntilIdle();
    PulseTestSupport::spinUntil([] { return false; }, std::chrono::seconds(1));

    EXPECT_EQ(changes.count(), 0) << "the volume was taken away while another device came";
    EXPECT_TRUE(view.volumeSlider()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), view.volumeSlider());
    const auto chosen = model.currentMicphone();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(view.deviceList()->rowAt(view.deviceList()->selectedIndex())->accessibleName(), chosen->displayName());
}

TEST(KVAudioSelectView, SpeakerPopUpHasNoMeterAndItsSliderSetsTheVolume)
{
    KORVI_REQUIRE_PULSE();
    MainSettingModel model;
    KVAudioSelectView view;
    view.setIsSpeaker(true);
    view.setModel(&model);
    ASSERT_TRUE(PulseTestSupport::spinUntil([&] { return view.deviceList()->count() > 0; }));
    ASSERT_FALSE(KVAudioManager::playoutDevices().isEmpty());
    EXPECT_EQ(model.currentSpeaker(), KVAudioManager::playoutDevices().first());
    EXPECT_TRUE(view.levelBar()->isHidden());
    ASSERT_TRUE(PulseTestSupport::spinUntil([&] { return view.volumeSlider()->isEnabled(); }));

    // Set off the main thread, the last of a drag winning.
    view.volumeSlider()->setValue(30);
    view.volumeSlider()->setValue(100);
    view.audioManager()->waitUntilIdle();
    quint32 volume = 0;
    ASSERT_EQ(view.audioManager()->speakerVolume(volume), 0);
    EXPECT_EQ(volume, 100u);
    view.volumeSlider()->setValue(255);
    view.audioManager()->waitUntilIdle();

    bool settings = false;
    view.onSettingAction = [&] { settings = true; };
    view.settingButton()->click();
    EXPECT_TRUE(settings);
}
