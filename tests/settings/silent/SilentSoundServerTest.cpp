// A sound server that takes the connection and never answers: libpulse gives up only after 30 s,
// and whatever waits for it waits that long. The windows open and close at once all the same and
// show what is known. A process of its own: the sound server is the process's (PULSE_SERVER), and
// the device lists and Qt Multimedia's back-ends are made once per process.

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/engine/KRTCEngineFactory.h"
#include "agent/engine/LocalEngine.h"
#include "agent/engine/MediaBackend.h"
#include "devices/VeskDeviceChecker.h"
#include "devices/audio/KVAudioManager.h"
#include "devices/audio/PulseAudioClient.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVDeviceListView.h"
#include "settings/KVDeviceFieldButton.h"
#include "settings/MainSettingAudioPanel.h"
#include "settings/MainSettingTabs.h"
#include "settings/MainSettingViewController.h"
#include "settings/MainSettingWindow.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Far less than the 30 s a wait for this server takes, and far more than opening a window needs,
// even on a loaded machine.
constexpr qint64 kAtOnceMs = 10000;

// Takes every connection and says nothing, for the life of the test process.
class SilentSoundServer final : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(m_dir->isValid());
        m_server = std::make_unique<QLocalServer>();
        const QString path = m_dir->filePath(QStringLiteral("native"));
        ASSERT_TRUE(m_server->listen(path)) << m_server->errorString().toStdString();
        QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
            while (QLocalSocket *taken = m_server->nextPendingConnection())
                taken->setParent(m_server.get());
        });
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(path));
    }
    void TearDown() override { m_server.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QLocalServer> m_server;
};

const auto *const g_server = ::testing::AddGlobalTestEnvironment(new SilentSoundServer);

// A microphone chosen before: what the settings remember from an earlier run.
KVAudioDevice chooseHeadset(MainSettingModel &model)
{
    KVAudioDevice microphone;
    microphone.name = QStringLiteral("USB Headset");
    model.setCurrentMicphone(microphone);
    return microphone;
}

} // namespace

TEST(SilentSoundServer, TheMicrophonePopUpOpensAtOnceWithWhatIsKnownAndClosesAtOnce)
{
    MainSettingModel model;
    const KVAudioDevice chosen = chooseHeadset(model);

    QElapsedTimer took;
    took.start();
    auto popUp = std::make_unique<KVAudioSelectView>();
    popUp->setIsSpeaker(false);
    popUp->setModel(&model);
    popUp->show();
    QApplication::processEvents();
    EXPECT_LT(took.elapsed(), kAtOnceMs);

    // The lists are not known: the menu says it is loading, the choice made stays, the volume
    // waits for the server's word, and the rest of the pop-up works.
    EXPECT_FALSE(KVAudioManager::listsLoaded());
    EXPECT_TRUE(popUp->loadingLabel()->isVisible());
    EXPECT_EQ(popUp->loadingLabel()->text(), KVAudioSelectView::kLoadingText);
    EXPECT_EQ(popUp->deviceList()->count(), 0);
    EXPECT_EQ(model.currentMicphone(), chosen);
    EXPECT_FALSE(popUp->volumeSlider()->isEnabled());
    bool settings = false;
    popUp->onSettingAction = [&] { settings = true; };
    QTest::mouseClick(popUp->settingButton(), Qt::LeftButton);
    EXPECT_TRUE(settings);

    // Its test unit may be waiting for the server: closing does not wait for it.
    took.restart();
    popUp.reset();
    EXPECT_LT(took.elapsed(), kAtOnceMs);
}

TEST(SilentSoundServer, ATestUnitWaitingForTheServerIsLetGoAtOnce)
{
    // Preparing the loop-back finds its devices on the unit's thread, which waits for the server.
    auto unit = std::make_unique<KVAudioManager>();
    bool prepared = false;
    unit->openSpeaker(0, 0, [&prepared](bool) { prepared = true; });
    QTest::qWait(200);
    EXPECT_FALSE(prepared);
    QElapsedTimer took;
    took.start();
    unit.reset();
    EXPECT_LT(took.elapsed(), kAtOnceMs);
    QApplication::processEvents();
    EXPECT_FALSE(prepared) << "nothing answers for a unit that went";
}

TEST(SilentSoundServer, TheSettingsWindowOpensOnTheAudioTabAndClosesFromItAtOnce)
{
    QElapsedTimer took;
    took.start();
    auto window = MainSettingWindow::instantiate();
    MainSettingViewController *settings = MainSettingWindow::controllerOf(window.get());
    settings->setInMeeting(false);
    int closeBlocks = 0;
    settings->windowShouldCloseBlock = [&closeBlocks] {
        ++closeBlocks;
        return true;
    };
    window->showWindow();
    settings->switchTab(MainSettingRules::Audio);
    QApplication::processEvents();
    MainSettingAudioPanel *audio = settings->audioPanel();
    ASSERT_NE(audio, nullptr);
    EXPECT_TRUE(audio->isVisible());
    EXPECT_LT(took.elapsed(), kAtOnceMs);
    // The microphone check waits for the server: the fields say the tab is loading.
    EXPECT_FALSE(audio->isAvailable());
    EXPECT_EQ(audio->ui().micSelectBtn->deviceName(), KVAudioSelectView::kLoadingText);
    EXPECT_EQ(audio->ui().speakerSelectBtn->deviceName(), KVAudioSelectView::kLoadingText);

    // Closing stops the tab's tests, which (no microphone known yet) says so: the window goes,
    // once, at once.
    took.restart();
    EXPECT_TRUE(window->window()->close());
    EXPECT_LT(took.elapsed(), kAtOnceMs);
    EXPECT_FALSE(window->window()->isVisible());
    EXPECT_EQ(closeBlocks, 1);
    if (QWidget *toast = VeskToast::currentToast()) {
        EXPECT_NE(toast->window(), window->window()) << "never over the window that went";
    }
    VeskToast::dismissToast();
}

TEST(SilentSoundServer, TheAudioTabWithAUsableMicrophoneShowsTheChoiceAtOnceAndItsMenusWait)
{
    MainSettingModel model;
    chooseHeadset(model);

    QElapsedTimer took;
    took.start();
    auto panel = std::make_unique<MainSettingAudioPanel>();
    panel->resize(610, 520);
    panel->show();
    // The check says a microphone is there: the tab goes on to its lists and volumes.
    panel->microphoneCheck = [](std::function<void(qint64)> done) { done(VeskDeviceChecker::Usable); };
    panel->setModel(&model);
    QApplication::processEvents();
    EXPECT_LT(took.elapsed(), kAtOnceMs);
    ASSERT_TRUE(panel->isAvailable());
    EXPECT_FALSE(KVAudioManager::listsLoaded());
    // The choice made shows, the field with none says it is loading; the menus open once the
    // server has told its devices.
    EXPECT_EQ(panel->ui().micSelectBtn->deviceName(), QStringLiteral("USB Headset"));
    EXPECT_EQ(panel->ui().speakerSelectBtn->deviceName(), KVAudioSelectView::kLoadingText);
    EXPECT_FALSE(panel->ui().micSelectBtn->isEnabled());
    EXPECT_FALSE(panel->ui().speakerSelectBtn->isEnabled());

    took.restart();
    panel.reset();
    EXPECT_LT(took.elapsed(), kAtOnceMs);
}

TEST(SilentSoundServer, TheEngineNamesNoDeviceYetInsteadOfWaiting)
{
    // The meeting window asks the engine for its devices as it is built.
    QElapsedTimer took;
    took.start();
    KRTCEngineConfig config;
    LocalEngine engine(config);
    engine.setUseRealDevices(true);
    EXPECT_TRUE(engine.deviceNames(KRTCDeviceKind::Speaker).isEmpty() || MediaBackend::isReady());
    EXPECT_LT(took.elapsed(), kAtOnceMs);
    KVAudioManager::loadAudioCache();
    EXPECT_LT(took.elapsed(), kAtOnceMs);
}
