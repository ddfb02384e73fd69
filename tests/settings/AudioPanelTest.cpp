// The audio tab on the private sound server (null sink, sine source): lists, tests, volumes,
// device changes, device menus, the level bar and the help pop-ups.
#include "TestEvents.h"
#include "devices/PulseTestSupport.h"

#include "agent/MainSettingModel.h"
#include "devices/VeskDeviceChecker.h"
#include "foundation/KVClock.h"
#include "settings/KVAudioIndicator.h"
#include "settings/MainSettingAudioNoticeView.h"
#include "settings/MainSettingAudioPanel.h"
#include "uikit/VeskToast.h"

#include <QFile>

using namespace PulseTestSupport;

namespace {

class AudioPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KORVI_REQUIRE_PULSE();
        KVAudioManager::loadAudioCache();
        panel = std::make_unique<MainSettingAudioPanel>();
        panel->resize(610, 520);
        panel->show();
    }
    void TearDown() override
    {
        panel.reset();
        VeskToast::dismissToast();
    }

    // The tab shown on a usable microphone, with the volumes read.
    void showTab()
    {
        panel->setModel(&model);
        ASSERT_TRUE(processEventsUntil([&] {
            return panel->isAvailable() && !panel->recordDevices().isEmpty() &&
                   panel->ui().micVolumeSlider->isEnabled();
        }));
    }
    // Everything asked of the test unit and the volume queue so far has run and answered, also
    // what the answers asked for in turn.
    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            panel->audioManager()->waitUntilIdle();
            ASSERT_TRUE(drainMainQueue());
        }
    }
    [[nodiscard]] int stopButtons() const
    {
        return int(panel->ui().checkMicBtn->title() == "停止检测") +
               int(panel->ui().checkSpeakerBtn->title() == "停止检测");
    }

    VirtualClockScope clock;
    MainSettingModel model;
    std::unique_ptr<MainSettingAudioPanel> panel;
};

} // namespace

TEST_F(AudioPanelTest, ListsStartAtTheDefault_MicrophoneTestMeters_OneTestAtATime_NoLoopBackAtZero)
{
    model.setCurrentSpeaker(KVAudioDevice::device(kNullSink, QStringLiteral("Korvi-Null-Sink")));
    showTab();
    ASSERT_GE(panel->recordDevices().size(), 2);
    ASSERT_GE(panel->playoutDevices().size(), 2);
    // Showing the tab takes the first entries again, the system default ones.
    EXPECT_TRUE(model.currentSpeaker()->isSystemDefault());
    EXPECT_TRUE(model.currentMicphone()->isSystemDefault());
    EXPECT_EQ(panel->ui().speakerSelectBtn->title(), QStringLiteral("系统默认 (Korvi-Null-Sink)"));

    panel->ui().checkMicBtn->click();
    EXPECT_EQ(panel->ui().checkMicBtn->title(), QStringLiteral("停止检测"));
    ASSERT_TRUE(spinUntil([&] { return panel->ui().micphoneIndicator->currentValue() > 0; }))
        << "the sine source never reached the bar";
    EXPECT_EQ(panel->ui().speakerIndicator->currentValue(), 0);

    panel->ui().checkSpeakerBtn->click();
    EXPECT_FALSE(panel->isMicphoneChecking());
    EXPECT_TRUE(panel->isSpeakerChecking());
    EXPECT_EQ(panel->ui().checkMicBtn->title(), QStringLiteral("检测麦克风"));
    EXPECT_EQ(panel->ui().micphoneIndicator->currentValue(), 0);
    EXPECT_EQ(stopButtons(), 1);
    // The speaker test plays the built-in test sound.
    ASSERT_TRUE(spinUntil([&] { return panel->ui().speakerIndicator->currentValue() > 0; }));
    panel->ui().checkSpeakerBtn->click();
    EXPECT_EQ(stopButtons(), 0);
    EXPECT_FALSE(panel->isSpeakerChecking());

    // The microphone slider at 0: the test shows as running, but nothing is looped back.
    MacSliderCell *slider = panel->ui().micVolumeSlider;
    const int before = slider->value();
    slider->setValue(0);
    panel->onMicVolumeChanged();
    panel->updateCheckMic(true);
    settle();
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(panel->ui().checkMicBtn->title(), QStringLiteral("停止检测"));
    EXPECT_FALSE(panel->testUnitStarted());
    panel->stopRunning();
    slider->setValue(before);
    panel->onMicVolumeChanged();
    settle(); // set on the server before the case ends: the next one listens to this microphone
}

TEST_F(AudioPanelTest, ASinkPluggedInDuringTheSpeakerTest_StopsItAndRefreshesBothListsHalfASecondLater)
{
    showTab();
    panel->ui().checkSpeakerBtn->click();
    const QString extra = QStringLiteral("korvi_settings_%1").arg(QCoreApplication::applicationPid());
    QByteArray module;
    ASSERT_EQ(
        pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + extra},
              &module),
        0);
    const std::unique_ptr<void, std::function<void(void *)>> unplug(&module, [&](void *) {
        pactl({QStringLiteral("unload-module"), QString::fromLatin1(module)});
    });
    // The change reaches the panel, which waits on the project clock.
    ASSERT_TRUE(spinUntil([&] { return clock.clock.pendingCount() > 0; }));
    const auto listed = [&] {
        for (const KVAudioDevice &device : panel->playoutDevices()) {
            if (device.uniqueID == extra)
                return true;
        }
        return false;
    };
    clock.clock.advance(std::chrono::milliseconds(499));
    EXPECT_TRUE(panel->isSpeakerChecking());
    EXPECT_FALSE(listed());
    clock.clock.advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(panel->isSpeakerChecking());
    EXPECT_EQ(panel->ui().checkSpeakerBtn->title(), QStringLiteral("检测扬声器"));
    EXPECT_TRUE(listed());
    EXPECT_EQ(panel->recordDevices(), KVAudioManager::recordDevices());
}

TEST_F(AudioPanelTest, SliderValues_AreSetOnTheServerAndReadBack)
{
    showTab();
    const auto sink = std::find_if(panel->playoutDevices().begin(), panel->playoutDevices().end(),
                                   [](const KVAudioDevice &d) { return d.uniqueID == kNullSink; });
    ASSERT_NE(sink, panel->playoutDevices().end());
    MacSliderCell *slider = panel->ui().speakerVolumeSlider;
    EXPECT_EQ(slider->maximum(), 255);
    slider->setValue(100);
    panel->onSpeakerVolumeChanged();
    settle();

    KVAudioManager reader;
    reader.openMixerSpeaker(sink->deviceID);
    quint32 volume = 0;
    ASSERT_EQ(reader.speakerVolume(volume), 0);
    EXPECT_NEAR(int(volume), 100, 1);
    slider->setValue(7);
    panel->updateVolume();
    settle();
    EXPECT_NEAR(slider->value(), 100, 1) << "the slider shows the server's value";
}

TEST_F(AudioPanelTest, WithoutAMicrophone_TheMenusAreOffAndEveryTestRequestToasts)
{
    panel->microphoneCheck = [](std::function<void(qint64)> done) { done(VeskDeviceChecker::NoDevice); };
    panel->setModel(&model);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()),
              QStringLiteral("未检测到可用的麦克风，请检查设备是否正常后重试"));
    EXPECT_FALSE(panel->ui().micSelectBtn->isEnabled());
    EXPECT_FALSE(panel->ui().speakerSelectBtn->isEnabled());
    const std::function<void()> requests[] = {[&] { panel->ui().checkMicBtn->click(); },
                                              [&] { panel->ui().checkSpeakerBtn->click(); },
                                              [&] { panel->stopRunning(); }};
    for (const auto &request : requests) {
        VeskToast::dismissToast();
        request();
        EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("未获取权限"));
    }
    EXPECT_FALSE(panel->isMicphoneChecking());
    EXPECT_FALSE(panel->isSpeakerChecking());
    EXPECT_FALSE(panel->testUnitStarted());
}

TEST_F(AudioPanelTest, ChoosingAMicrophone_StoresItStopsTheTestAndReportsOnce)
{
    showTab();
    int reports = 0;
    panel->onMichoneChanged = [&](MainSettingAudioPanel *p) {
        ++reports;
        EXPECT_EQ(p, panel.get());
    };
    panel->ui().checkSpeakerBtn->click();
    panel->ui().micSelectBtn->click();
    MoreActionView *menu = panel->selectView();
    ASSERT_TRUE(menu);
    const QList<MoreActionItem *> rows = menu->items();
    ASSERT_EQ(rows.size(), panel->recordDevices().size());
    EXPECT_TRUE(rows.first()->isSelect());
    EXPECT_EQ(menu->height(), std::min<int>(rows.size(), 3) * 34 + 8);
    EXPECT_EQ(menu->width(), panel->ui().micBackView->width());
    EXPECT_EQ(menu->y(), panel->ui().micBackView->geometry().bottom() + 1 + 10);

    MoreActionItem *sine = nullptr;
    for (MoreActionItem *row : rows) {
        if (row->associatedObject().value<KVAudioDevice>().uniqueID == kSineSource)
            sine = row;
    }
    ASSERT_TRUE(sine);
    sine->click();
    EXPECT_EQ(model.currentMicphone()->uniqueID, kSineSource);
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(panel->selectView());
    EXPECT_FALSE(panel->isSpeakerChecking());
    EXPECT_EQ(panel->ui().micSelectBtn->title(), model.currentMicphone()->displayName());

    // A click beside an open menu closes it without a choice.
    panel->ui().speakerSelectBtn->click();
    ASSERT_TRUE(panel->selectView());
    panel->overMaskBtn()->click();
    EXPECT_FALSE(panel->selectView());
    EXPECT_EQ(reports, 1);
}

TEST(AudioIndicator, BarsEveryEightPointsLitRoundedUp)
{
    KVAudioIndicator indicator;
    indicator.resize(100, 20);
    EXPECT_EQ(KVAudioIndicator::barCount(100), 12);
    indicator.setCurrentValue(50);
    EXPECT_EQ(indicator.litCount(), 6);
    indicator.setCurrentValue(55);
    EXPECT_EQ(indicator.litCount(), 7);
    indicator.setCurrentValue(0);
    EXPECT_EQ(indicator.litCount(), 0);
    indicator.resize(7, 20);
    indicator.setCurrentValue(100);
    EXPECT_EQ(indicator.litCount(), 0);
}

TEST_F(AudioPanelTest, HelpPopUps_SizedAndPlacedUnderTheirButtons_MadeOnce)
{
    EXPECT_FALSE(panel->noticeWindow(false));
    for (bool speaker : {false, true}) {
        MacCoverButton *button = speaker ? panel->ui().speakerNoticeButton : panel->ui().micNoticeButton;
        button->mouseEnterBlock();
        QWidget *notice = panel->noticeWindow(speaker);
        ASSERT_TRUE(notice);
        EXPECT_TRUE(notice->isVisible());
        EXPECT_EQ(notice->size(), QSize(308, speaker ? 149 : 203));
        EXPECT_EQ(notice->pos(), button->mapToGlobal(QPoint(-5, button->height() + 12)));
        EXPECT_EQ(notice->parentWidget(), panel->window());
        button->mouseExitBlock();
        EXPECT_FALSE(notice->isVisible());
        button->mouseEnterBlock();
        EXPECT_EQ(panel->noticeWindow(speaker), notice);
    }
    const auto *mic = panel->noticeWindow(false)->findChild<MainSettingAudioNoticeView *>();
    ASSERT_TRUE(mic);
    EXPECT_EQ(mic->contentLines().size(), 3);
    EXPECT_FALSE(mic->contentLines().join(QString()).contains(QChar(0xF8FF)));
}

TEST(AudioTestSound, IsBuiltInAsFloatSamplesAtASoftLevel)
{
    QFile file(MainSettingAudioPanel::kPcmPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pcm = file.readAll();
    ASSERT_EQ(pcm.size() % 4, 0);
    ASSERT_GE(pcm.size(), 48000 * 4 / 2) << "at least half a second";
    const auto *samples = reinterpret_cast<const float *>(pcm.constData());
    float peak = 0;
    for (qsizetype i = 0; i < pcm.size() / 4; ++i)
        peak = std::max(peak, std::abs(samples[i]));
    EXPECT_GT(peak, 0.05f);
    EXPECT_LE(peak, 0.5f);
}
