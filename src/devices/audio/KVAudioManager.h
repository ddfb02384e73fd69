#pragma once

#include "foundation/models/KVAudioDevice.h"

#include <QAudioDevice>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QThread;
class KVAudioUnit;

// The device test unit of the audio settings (one per panel), and on its class
// side the cached microphone and speaker lists of the whole process.
//
// Streams run on the unit's own thread "com.kvaudio.manager.queue", a serial
// queue with an event loop (Qt's audio streams need one). Volumes are the
// sound server's device volumes on a 0..255 scale. The main thread never waits
// for the sound server: the lists are what is known, and volumes are read and
// set on a queue of their own (readVolumes, setVolumeLater).
class KVAudioManager final : public QObject {
    Q_OBJECT
public:
    // Class side. Index 0 of each list is the system default entry. Empty until the
    // first build is done (listsLoaded); nothing here waits for the sound server.
    [[nodiscard]] static QList<KVAudioDevice> recordDevices();
    [[nodiscard]] static QList<KVAudioDevice> playoutDevices();
    [[nodiscard]] static bool listsLoaded();
    // Once, off the main thread: starts the device observer and builds the lists.
    static void loadAudioCache();

    explicit KVAudioManager(QObject *parent = nullptr);
    // Stops the unit and lets its thread end on its own: nothing waits for it (it may
    // be waiting for the sound server).
    ~KVAudioManager() override;

    // Prepares the loop-back pair (0 = the system default entry); the callback
    // gets true on the main thread once the pair is ready.
    void openSpeaker(quint32 speakerId, quint32 micphoneId, std::function<void(bool)> callback);
    // The speaker test: loops a raw 48 kHz mono 32-bit float file on the speaker
    // from the next start. The callback gets whether the file could be read.
    void playPCM(const QString &path, std::function<void(bool)> callback);
    // Starts the prepared test: the loop-back, or the file after playPCM.
    void start();
    // Stops the test, asynchronously on the unit's queue.
    void stop();
    // Captures the mixer microphone for the level alone, with no loop-back
    // (the in-meeting microphone pop-up's meter). stop() ends it.
    void startMeter();

    // The devices whose volumes the volume calls below read and set.
    void openMixerSpeaker(quint32 speakerId);
    void openMixerMicrophone(quint32 micphoneId);

    // What a volume slider shows: set only where the server answered.
    struct MixerVolume {
        bool available = false; // the device's volume can be set
        std::optional<quint32> max;
        std::optional<quint32> min;
        std::optional<quint32> value;
    };
    // Reads the mixer microphone's and speaker's volumes off the main thread; done gets them on
    // the main thread while this manager lives, unless a volume was set meanwhile.
    void readVolumes(std::function<void(const MixerVolume &microphone, const MixerVolume &speaker)> done);
    // Sets a volume off the main thread; of the settings not yet made, only the latest is.
    void setVolumeLater(bool speaker, quint32 volume);

    // Each returns 0 on success and -1 on failure (no such device, no server). They wait
    // for the sound server: never on the main thread.
    int microphoneVolumeIsAvailable(bool &available) const;
    int speakerVolumeIsAvailable(bool &available) const;
    int maxMicrophoneVolume(quint32 &volume) const;
    int minMicrophoneVolume(quint32 &volume) const;
    int micphoneVolume(quint32 &volume) const;
    int maxSpeakerVolume(quint32 &volume) const;
    int minSpeakerVolume(quint32 &volume) const;
    int speakerVolume(quint32 &volume) const;
    int setMicrophoneVolume(quint32 volume);
    int setSpeakerVolume(quint32 volume);

    // Runs on the main thread when "kKVAudioDeviceDidChangedNotification" arrives.
    std::function<void()> deviceChanged;

    // Level 0..100 of what the running test captures or plays, called on the
    // audio thread. Guarded: it may be replaced while a test runs.
    void setSoundLevelCallback(std::function<void(int)> callback);
    [[nodiscard]] std::function<void(int)> soundLevelCallback() const;

    // The device a list entry stands for (the current default for entry 0). They wait for the
    // lists and for Qt Multimedia: never on the main thread.
    [[nodiscard]] static QAudioDevice audioInputFor(quint32 deviceID);
    [[nodiscard]] static QAudioDevice audioOutputFor(quint32 deviceID);
    // The sound server's name of a list entry (the current default for entry 0).
    [[nodiscard]] static QString serverNameFor(quint32 deviceID, bool speaker);

    // Blocks until the unit's queue, and the volume queue, have run what was asked of them so far
    // (tests).
    void waitUntilIdle();

    // Where the unit reports levels; shared with it, as it may outlive this manager a little.
    struct LevelSink;
    // The volumes asked to be set and not set yet; shared with the volume queue.
    struct PendingVolumes;

private:
    void post(std::function<void()> work);

    QThread *m_thread = nullptr;   // ends and deletes itself after the unit
    KVAudioUnit *m_unit = nullptr; // lives on m_thread
    quint32 m_mixerSpeaker = 0;
    quint32 m_mixerMicrophone = 0;
    std::shared_ptr<LevelSink> m_level;
    std::shared_ptr<PendingVolumes> m_pendingVolumes;
    quint64 m_volumeSets = 0; // main thread
};
