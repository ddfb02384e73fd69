#include "PulseTestSupport.h"
#include "support/TestEvents.h"

#include "agent/MainSettingModel.h"
#include "devices/audio/KVAudioDeviceObserver.h"
#include "devices/audio/KVAudioLevel.h"
#include "devices/audio/KVAudioManager.h"
#include "foundation/NotificationCenter.h"

#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cmath>

using namespace PulseTestSupport;

namespace {

std::optional<KVAudioDevice> byUniqueID(const QList<KVAudioDevice> &list, const QString &uniqueID)
{
    for (const KVAudioDevice &device : list) {
        if (device.uniqueID == uniqueID)
            return device;
    }
    return std::nullopt;
}

class AudioManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KORVI_REQUIRE_PULSE();
        KVAudioManager::loadAudioCache();
        // The lists are what is known; these cases read them once the server has told them.
        KVAudioDeviceObserver::shared().waitUntilLoaded();
    }
};

} // namespace

TEST_F(AudioManagerTest, ListsComeFromTheServerWithTheDefaultEntryFirst)
{
    const QList<KVAudioDevice> speakers = KVAudioManager::playoutDevices();
    const QList<KVAudioDevice> microphones = KVAudioManager::recordDevices();
    ASSERT_GE(speakers.size(), 2);
    ASSERT_GE(microphones.size(), 2);

    // The wrapper makes its devices the defaults.
    EXPECT_TRUE(speakers.first().isSystemDefault());
    EXPECT_EQ(speakers.first().name, QStringLiteral("default (Korvi-Null-Sink)"));
    EXPECT_EQ(speakers.first().displayName(), QStringLiteral("系统默认 (Korvi-Null-Sink)"));
    const auto source = PulseAudioClient::shared().source(kSineSource);
    ASSERT_TRUE(source);
    EXPECT_EQ(microphones.first().name, QStringLiteral("default (%1)").arg(source->description));

    const auto sink = byUniqueID(speakers, kNullSink);
    ASSERT_TRUE(sink);
    EXPECT_EQ(sink->name, QStringLiteral("Korvi-Null-Sink"));
    EXPECT_EQ(sink->deviceID, KVAudioDevice::deviceIDForUniqueID(kNullSink));
    EXPECT_TRUE(byUniqueID(microphones, kSineSource));
    // A speaker's monitor is no microphone.
    EXPECT_FALSE(byUniqueID(microphones, kNullSink + QStringLiteral(".monitor")));
}

TEST_F(AudioManagerTest, LoopBackMeasuresTheSineSourceAboveZeroOnTheAudioThread)
{
    const auto sine = byUniqueID(KVAudioManager::recordDevices(), kSineSource);
    ASSERT_TRUE(sine);
    KVAudioManager manager;
    std::atomic<int> peak{0};
    std::atomic<bool> offMainThread{true};
    QThread *mainThread = QThread::currentThread();
    manager.setSoundLevelCallback([&](int level) {
        if (QThread::currentThread() == mainThread)
            offMainThread = false;
        EXPECT_GE(level, 0);
        EXPECT_LE(level, 100);
        if (level > peak)
            peak = level;
    });
    bool opened = false;
    bool openedOnMain = false;
    manager.openSpeaker(0, sine->deviceID, [&](bool ok) {
        opened = ok;
        openedOnMain = QThread::currentThread() == mainThread;
    });
    manager.start();
    ASSERT_TRUE(spinUntil([&] { return opened && peak > 0; })) << "no level from the sine source";
    EXPECT_TRUE(openedOnMain);
    EXPECT_TRUE(offMainThread);

    // Requests queued back to back: tearing a stream down runs the next one
    // from inside Qt's destructor, which must not tear the same stream down twice.
    for (int i = 0; i < 10; ++i) {
        manager.start();
        manager.stop();
        manager.stop();
        manager.openSpeaker(0, sine->deviceID, {});
    }
    manager.stop();
    manager.waitUntilIdle();
    std::atomic<bool> after{false};
    manager.setSoundLevelCallback([&](int) { after = true; });
    QCoreApplication::processEvents();
    manager.waitUntilIdle();
    EXPECT_FALSE(after);
}

TEST_F(AudioManagerTest, SpeakerTestLoopsThePcmFileAndMetersIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kvaudiotest.pcm"));
    {
        // 10 ms of a 1 kHz tone at half scale: shorter than one device period,
        // so the level only keeps coming if the file loops.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 480; ++i) {
            const float sample = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * 1000.0 * i / 48000.0));
            file.write(reinterpret_cast<const char *>(&sample), sizeof sample);
        }
    }
    KVAudioManager manager;
    std::atomic<int> calls{0};
    std::atomic<int> peak{0};
    manager.setSoundLevelCallback([&](int level) {
        ++calls;
        if (level > peak)
            peak = level;
    });
    std::optional<bool> loaded;
    manager.openSpeaker(0, 0, {});
    manager.playPCM(path, [&](bool ok) { loaded = ok; });
    manager.start();
    ASSERT_TRUE(spinUntil([&] { return loaded.has_value() && calls > 20; }));
    EXPECT_TRUE(*loaded);
    // Half scale is -6 dBFS.
    EXPECT_GE(peak, 88);
    EXPECT_LE(peak, 91);
    manager.stop();

    std::optional<bool> missing;
    manager.playPCM(dir.filePath(QStringLiteral("absent.pcm")), [&](bool ok) { missing = ok; });
    ASSERT_TRUE(spinUntil([&] { return missing.has_value(); }));
    EXPECT_FALSE(*missing);
}

TEST_F(AudioManagerTest, VolumesRoundTripOnTheServerOnTheSliderScale)
{
    const auto sink = byUniqueID(KVAudioManager::playoutDevices(), kNullSink);
    ASSERT_TRUE(sink);
    KVAudioManager manager;
    manager.openMixerSpeaker(sink->deviceID);

    bool available = false;
    EXPECT_EQ(manager.speakerVolumeIsAvailable(available), 0);
    EXPECT_TRUE(available);
    quint32 max = 0;
    quint32 min = 99;
    EXPECT_EQ(manager.maxSpeakerVolume(max), 0);
    EXPECT_EQ(manager.minSpeakerVolume(min), 0);
    EXPECT_EQ(max, 255u);
    EXPECT_EQ(min, 0u);

    for (const quint32 wanted : {128u, 255u, 1u, 200u}) {
        ASSERT_EQ(manager.setSpeakerVolume(wanted), 0);
        quint32 read = 0;
        ASSERT_EQ(manager.speakerVolume(read), 0);
        EXPECT_EQ(read, wanted);
        // The server itself holds the level, not a cache of ours.
        EXPECT_EQ(PulseAudioClient::shared().sink(kNullSink)->volume, KVAudioLevel::toPulseVolume(wanted));
    }

    // The default entry reaches the default sink (the null sink under the wrapper).
    manager.openMixerSpeaker(0);
    ASSERT_EQ(manager.setSpeakerVolume(64), 0);
    EXPECT_EQ(PulseAudioClient::shared().sink(kNullSink)->volume, KVAudioLevel::toPulseVolume(64));
    manager.setSpeakerVolume(255);

    // The microphone side, on the sine source; never 0, other tests listen to it.
    const auto sine = byUniqueID(KVAudioManager::recordDevices(), kSineSource);
    ASSERT_TRUE(sine);
    manager.openMixerMicrophone(sine->deviceID);
    EXPECT_EQ(manager.microphoneVolumeIsAvailable(available), 0);
    EXPECT_TRUE(available);
    ASSERT_EQ(manager.setMicrophoneVolume(180), 0);
    quint32 mic = 0;
    EXPECT_EQ(manager.micphoneVolume(mic), 0);
    EXPECT_EQ(mic, 180u);
    manager.setMicrophoneVolume(255);
}

TEST_F(AudioManagerTest, SlidersReadAndSetOffTheMainThread_TheLatestSetWins_AReadFromBeforeASetIsDropped)
{
    const auto sink = byUniqueID(KVAudioManager::playoutDevices(), kNullSink);
    ASSERT_TRUE(sink);
    KVAudioManager manager;
    manager.openMixerSpeaker(sink->deviceID);

    // A drag: only the last value need reach the server.
    manager.setVolumeLater(true, 10);
    manager.setVolumeLater(true, 90);
    manager.setVolumeLater(true, 120);
    manager.waitUntilIdle();
    EXPECT_EQ(PulseAudioClient::shared().sink(kNullSink)->volume, KVAudioLevel::toPulseVolume(120));

    int answers = 0;
    KVAudioManager::MixerVolume shown;
    const auto read = [&] {
        manager.readVolumes([&](const KVAudioManager::MixerVolume &, const KVAudioManager::MixerVolume &speaker) {
            ++answers;
            shown = speaker;
        });
    };
    read();
    manager.setVolumeLater(true, 200); // the user moves the slider before the answer is in
    manager.waitUntilIdle();
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(answers, 0) << "an answer from before the move would move the slider back";
    read();
    manager.waitUntilIdle();
    ASSERT_TRUE(drainMainQueue());
    ASSERT_EQ(answers, 1);
    EXPECT_TRUE(shown.available);
    EXPECT_EQ(shown.value, 200u);
    EXPECT_EQ(shown.max, 255u);
    manager.setVolumeLater(true, 255);
    manager.waitUntilIdle();
}

TEST_F(AudioManagerTest, VolumeCallsOnAnUnknownDeviceFailWithMinusOne)
{
    KVAudioManager manager;
    manager.openMixerSpeaker(KVAudioDevice::deviceIDForUniqueID(QStringLiteral("unplugged_headset")));
    manager.openMixerMicrophone(KVAudioDevice::deviceIDForUniqueID(QStringLiteral("unplugged_mic")));
    bool available = true;
    quint32 volume = 77;
    EXPECT_EQ(manager.speakerVolumeIsAvailable(available), -1);
    EXPECT_FALSE(available);
    EXPECT_EQ(manager.microphoneVolumeIsAvailable(available), -1);
    EXPECT_FALSE(available);
    EXPECT_EQ(manager.speakerVolume(volume), -1);
    EXPECT_EQ(manager.maxMicrophoneVolume(volume), -1);
    EXPECT_EQ(manager.setSpeakerVolume(100), -1);
    EXPECT_EQ(manager.setMicrophoneVolume(100), -1);
    EXPECT_EQ(volume, 77u); // out-parameters untouched on failure
}

TEST_F(AudioManagerTest, ObserverResetsTheModelOnTheMainThreadAndThenPosts)
{
    MainSettingModel model;
    QThread *mainThread = QThread::currentThread();
    std::atomic<int> providerCalls{0};
    std::atomic<bool> providerOnMain{true};
    KVAudioDeviceObserver::setModelProvider([&]() -> MainSettingModel * {
        ++providerCalls;
        if (QThread::currentThread() != mainThread)
            providerOnMain = false;
        return &model;
    });
    const auto sink = byUniqueID(KVAudioManager::playoutDevices(), kNullSink);
    const auto sine = byUniqueID(KVAudioManager::recordDevices(), kSineSource);
    ASSERT_TRUE(sink && sine);
    model.setCurrentSpeaker(*sink);
    model.setCurrentMicphone(*sine);

    // Plug in a speaker. Other tests plug theirs into the same server meanwhile: only the
    // change that shows this one counts.
    const QString extra = QStringLiteral("korvi_extra_%1").arg(QCoreApplication::applicationPid());
    auto listsShowExtra = [&] { return byUniqueID(KVAudioManager::playoutDevices(), extra).has_value(); };
    QObject owner;
    bool posted = false;
    bool postedOnMain = false;
    std::optional<KVAudioDevice> speakerWhenPosted;
    KVAudioManager manager;
    bool deviceChanged = false;
    manager.deviceChanged = [&] { deviceChanged = deviceChanged || listsShowExtra(); };
    NotificationCenter::defaultCenter().addObserver(&owner, kKVAudioDeviceDidChangedNotification,
                                                    [&](const Notification &) {
                                                        if (!listsShowExtra())
                                                            return;
                                                        posted = true;
                                                        postedOnMain = QThread::currentThread() == mainThread;
                                                        speakerWhenPosted = model.currentSpeaker();
                                                    });
    QByteArray module;
    ASSERT_EQ(
        pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + extra},
              &module),
        0);
    const std::unique_ptr<void, std::function<void(void *)>> unplug(&module, [&](void *) {
        pactl({QStringLiteral("unload-module"), QString::fromLatin1(module)});
    });
    ASSERT_TRUE(spinUntil([&] { return posted && deviceChanged; })) << "no device-change notification";

    EXPECT_TRUE(postedOnMain);
    EXPECT_TRUE(providerOnMain);
    EXPECT_GE(providerCalls, 1);
    const QList<KVAudioDevice> speakers = KVAudioManager::playoutDevices();
    EXPECT_TRUE(byUniqueID(speakers, extra));
    // Both choices went back to the first entry, and were there before the post.
    ASSERT_TRUE(speakerWhenPosted);
    EXPECT_TRUE(speakerWhenPosted->isSystemDefault());
    EXPECT_EQ(model.currentSpeaker(), speakers.first());
    EXPECT_EQ(model.currentMicphone(), KVAudioManager::recordDevices().first());

    KVAudioDeviceObserver::setModelProvider({});
}

TEST(AudioDeviceOrder, EngineNamesFirstInTheEngineOrderTheRestAfterAndTheDefaultStaysFirst)
{
    auto device = [](const QString &name) { return KVAudioDevice::device(QStringLiteral("pa.") + name, name); };
    KVAudioDevice systemDefault;
    systemDefault.name = QStringLiteral("default (B)");
    const QList<KVAudioDevice> list{systemDefault, device("A"), device("B"), device("C"), device("D")};
    auto names = [](const QList<KVAudioDevice> &devices) {
        QStringList out;
        for (const KVAudioDevice &d : devices)
            out << d.name;
        return out;
    };

    EXPECT_EQ(names(KVAudioDeviceObserver::orderedLike(list, {"C", "A"})),
              (QStringList{"default (B)", "C", "A", "B", "D"}));
    // Names the sound server does not know change nothing; no names keep the server's order.
    EXPECT_EQ(names(KVAudioDeviceObserver::orderedLike(list, {"X", "D"})),
              (QStringList{"default (B)", "D", "A", "B", "C"}));
    EXPECT_EQ(names(KVAudioDeviceObserver::orderedLike(list, {})), names(list));
    EXPECT_TRUE(KVAudioDeviceObserver::orderedLike({}, {"A"}).isEmpty());
}

TEST_F(AudioManagerTest, EngineOrderHoldsForTheCurrentListsAndEveryRebuild)
{
    // A second speaker, so there is an order to change.
    const QString extra = QStringLiteral("korvi_order_%1").arg(QCoreApplication::applicationPid());
    QByteArray module;
    ASSERT_EQ(
        pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + extra},
              &module),
        0);
    const std::unique_ptr<void, std::function<void(void *)>> unplug(&module, [&](void *) {
        pactl({QStringLiteral("unload-module"), QString::fromLatin1(module)});
    });
    ASSERT_TRUE(spinUntil([&] { return byUniqueID(KVAudioManager::playoutDevices(), extra).has_value(); }));

    KVAudioDeviceObserver &observer = KVAudioDeviceObserver::shared();
    const QList<KVAudioDevice> speakers = KVAudioManager::playoutDevices();
    ASSERT_GE(speakers.size(), 3);
    QStringList reversed;
    for (qsizetype i = speakers.size() - 1; i >= 1; --i)
        reversed << speakers.at(i).name;

    observer.setEngineOrder({}, reversed);
    auto shownOrder = [] {
        QStringList out;
        for (const KVAudioDevice &d : KVAudioManager::playoutDevices())
            out << d.name;
        return out;
    };
    EXPECT_TRUE(KVAudioManager::playoutDevices().first().isSystemDefault());
    EXPECT_EQ(shownOrder().mid(1), reversed);

    observer.refresh();
    observer.waitUntilIdle();
    EXPECT_EQ(shownOrder().mid(1), reversed);

    observer.setEngineOrder({}, {});
    observer.refresh();
    observer.waitUntilIdle();
    EXPECT_EQ(KVAudioManager::playoutDevices(), speakers);
}
