#include "devices/audio/KVAudioManager.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/MediaBackend.h"

#include "devices/DevicesLog.h"
#include "devices/audio/KVAudioDeviceObserver.h"
#include "devices/audio/KVAudioLevel.h"
#include "devices/audio/PulseAudioClient.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "foundation/OperationQueue.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMediaDevices>
#include <QPointer>
#include <QThread>

#include <cstring>
#include <utility>

namespace {

QAudioFormat testFormat()
{
    // The test file's format; the server converts for devices that differ.
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

std::span<const float> floatsOf(const char *data, qint64 bytes)
{
    return {reinterpret_cast<const float *>(data), static_cast<size_t>(bytes) / sizeof(float)};
}

std::optional<KVAudioDevice> deviceWithID(const QList<KVAudioDevice> &list, quint32 deviceID)
{
    for (const KVAudioDevice &device : list) {
        if (device.deviceID == deviceID)
            return device;
    }
    return std::nullopt;
}

// Endless reading of a PCM buffer for the speaker test; measures what it hands out.
class LoopingPcmDevice final : public QIODevice {
public:
    LoopingPcmDevice(QByteArray pcm, std::function<void(int)> level, QObject *parent)
        : QIODevice(parent), m_pcm(std::move(pcm)), m_level(std::move(level))
    {
    }
    [[nodiscard]] bool isSequential() const override { return true; }
    [[nodiscard]] qint64 bytesAvailable() const override { return m_pcm.size() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 wanted = maxSize - maxSize % static_cast<qint64>(sizeof(float));
        qint64 done = 0;
        while (done < wanted) {
            const qint64 chunk = qMin<qint64>(wanted - done, m_pcm.size() - m_offset);
            std::memcpy(data + done, m_pcm.constData() + m_offset, static_cast<size_t>(chunk));
            done += chunk;
            m_offset = (m_offset + chunk) % m_pcm.size();
        }
        if (done > 0)
            m_level(KVAudioLevel::levelOfSamples(floatsOf(data, done)));
        return done;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_pcm;
    qint64 m_offset = 0;
    std::function<void(int)> m_level;
};

// The unit threads still ending. At exit the application gives them a moment, so none is still
// stopping a stream while Qt Multimedia is torn down; one the sound server holds is left behind.
std::mutex g_endingMutex;
QList<QPointer<QThread>> &endingThreads()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

void waitForEndingThreads()
{
    QList<QPointer<QThread>> threads;
    {
        std::lock_guard guard(g_endingMutex);
        threads.swap(endingThreads());
    }
    const QDeadlineTimer deadline(1000);
    for (const QPointer<QThread> &thread : std::as_const(threads)) {
        if (thread)
            thread->wait(deadline);
    }
}

// Volumes are read and set here, one request at a time, never on the main thread. Never deleted:
// a request may still wait for the sound server when the process ends.
OperationQueue &mixerQueue()
{
    static auto *queue = new OperationQueue(QStringLiteral("com.kvaudio.mixer.queue"));
    return *queue;
}

} // namespace

struct KVAudioManager::LevelSink {
    std::mutex mutex;
    std::function<void(int)> callback;

    void report(int level)
    {
        std::function<void(int)> to;
        {
            std::lock_guard guard(mutex);
            to = callback;
        }
        // Called without the lock held.
        if (to)
            to(level);
    }
};

struct KVAudioManager::PendingVolumes {
    std::mutex mutex;
    std::optional<std::pair<quint32, quint32>> microphone; // device, volume
    std::optional<std::pair<quint32, quint32>> speaker;
    bool queued = false;
};

// The streams of one test unit; lives on the unit's thread and is touched only there.
class KVAudioUnit final : public QObject {
public:
    explicit KVAudioUnit(std::shared_ptr<KVAudioManager::LevelSink> level) : m_level(std::move(level)) {}
    ~KVAudioUnit() override { stopStreams(); }

    void open(const QAudioDevice &speaker, const QAudioDevice &micphone)
    {
        const quint64 mine = ++m_requests;
        stopStreams();
        if (mine != m_requests)
            return; // a later request ran while the old streams went; it wins
        m_speaker = speaker;
        m_micphone = micphone;
        m_pcm.clear();
    }

    void setPcm(QByteArray pcm) { m_pcm = std::move(pcm); }

    void start(bool meterOnly)
    {
        const quint64 mine = ++m_requests;
        stopStreams();
        // A later request that ran while the old streams went has the last word; starting
        // now would leave its streams (and the microphone) running unowned.
        if (mine != m_requests)
            return;
        if (meterOnly)
            startCapture(false);
        else if (!m_pcm.isEmpty())
            startPlayback();
        else
            startCapture(true);
    }

    void stop()
    {
        ++m_requests;
        stopStreams();
    }

    // Deletes the unit and ends its thread, once no teardown of its streams is under way: a
    // stream's teardown runs queued requests, this one among them.
    void finish()
    {
        if (m_tearingDown > 0) {
            QMetaObject::invokeMethod(
                this, [this] { finish(); }, Qt::QueuedConnection);
            return;
        }
        stopStreams();
        QThread *thread = QThread::currentThread();
        delete this;
        thread->quit();
    }

    void stopStreams()
    {
        ++m_tearingDown;
        // Qt's audio streams process events while they are destroyed, which can
        // run the next queued request of this unit; so the members are cleared
        // before anything is deleted and a nested call finds nothing to stop.
        QAudioSource *source = std::exchange(m_source, nullptr);
        QAudioSink *sink = std::exchange(m_sink, nullptr);
        QIODevice *pcmDevice = std::exchange(m_pcmDevice, nullptr);
        if (QIODevice *input = std::exchange(m_input, nullptr))
            disconnect(input, nullptr, this, nullptr);
        m_output = nullptr;
        if (source)
            source->stop();
        if (sink)
            sink->stop();
        delete source;
        delete sink;
        delete pcmDevice;
        --m_tearingDown;
    }

private:
    void startPlayback()
    {
        if (m_speaker.isNull()) {
            qCWarning(lcDevices) << "speaker test: no speaker";
            return;
        }
        m_sink = new QAudioSink(m_speaker, testFormat(), this);
        m_pcmDevice = new LoopingPcmDevice(
            m_pcm, [level = m_level](int value) { level->report(value); }, this);
        m_pcmDevice->open(QIODevice::ReadOnly);
        m_sink->start(m_pcmDevice);
        if (m_sink->error() != QAudio::NoError)
            qCWarning(lcDevices) << "speaker test failed to start:" << m_sink->error();
    }

    void startCapture(bool loopBack)
    {
        if (m_micphone.isNull()) {
            qCWarning(lcDevices) << "microphone test: no microphone";
            return;
        }
        if (loopBack && !m_speaker.isNull()) {
            m_sink = new QAudioSink(m_speaker, testFormat(), this);
            m_output = m_sink->start();
        }
        m_source = new QAudioSource(m_micphone, testFormat(), this);
        m_input = m_source->start();
        if (!m_input) {
            qCWarning(lcDevices) << "microphone test failed to start:" << m_source->error();
            return;
        }
        connect(m_input, &QIODevice::readyRead, this, [this] { pump(); });
    }

    void pump()
    {
        if (!m_input)
            return;
        QByteArray data = m_input->readAll();
        data.truncate(data.size() - data.size() % static_cast<qsizetype>(sizeof(float)));
        if (data.isEmpty())
            return;
        m_level->report(KVAudioLevel::levelOfSamples(floatsOf(data.constData(), data.size())));
        if (m_output && m_sink) {
            // Drop what the speaker cannot take now rather than let the delay grow.
            qint64 room = m_sink->bytesFree();
            room -= room % static_cast<qint64>(sizeof(float));
            m_output->write(data.constData(), qMin<qint64>(room, data.size()));
        }
    }

    std::shared_ptr<KVAudioManager::LevelSink> m_level;
    quint64 m_requests = 0; // open, start and stop requests run so far, in order
    int m_tearingDown = 0;  // streams being torn down, nested ones included
    QAudioDevice m_speaker;
    QAudioDevice m_micphone;
    QByteArray m_pcm;
    QAudioSource *m_source = nullptr;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_input = nullptr;
    QIODevice *m_output = nullptr;
    QIODevice *m_pcmDevice = nullptr;
};

// ---- class side ----

void KVAudioManager::loadAudioCache()
{
    KVAudioDeviceObserver &observer = KVAudioDeviceObserver::shared();
    observer.start();
    // Called while the meeting window is built, when the engine exists: from then on the
    // lists follow the engine's order, so an index means the same device to both.
    VeskAppAgent *agent = QCoreApplication::closingDown() ? nullptr : VeskAppAgent::existingInstance();
    VeskMeetingManager *manager = agent ? agent->meetingManager() : nullptr;
    if (!manager || !manager->engine())
        return;
    const auto askEngine = [manager] {
        if (const KRTCEngineOC *engine = manager->engine())
            KVAudioDeviceObserver::shared().setEngineOrder(engine->deviceNames(KRTCDeviceKind::Microphone),
                                                           engine->deviceNames(KRTCDeviceKind::Speaker));
    };
    // An engine on real devices names them once Qt Multimedia's back-ends exist (asking earlier
    // would wait for the sound server), and starts making them when first asked; one that uses
    // none never starts them, so its process maps no media library.
    if (!MediaBackend::isReady()) {
        askEngine();
        if (!MediaBackend::isStarted())
            return;
    }
    MediaBackend::whenReady(manager, askEngine);
}

QList<KVAudioDevice> KVAudioManager::recordDevices()
{
    KVAudioDeviceObserver::shared().start();
    return KVAudioDeviceObserver::shared().lists().recordDevices;
}

QList<KVAudioDevice> KVAudioManager::playoutDevices()
{
    KVAudioDeviceObserver::shared().start();
    return KVAudioDeviceObserver::shared().lists().playoutDevices;
}

bool KVAudioManager::listsLoaded()
{
    return KVAudioDeviceObserver::shared().isLoaded();
}

QString KVAudioManager::serverNameFor(quint32 deviceID, bool speaker)
{
    if (deviceID == 0) {
        const auto server = PulseAudioClient::shared().serverInfo();
        if (!server)
            return {};
        return speaker ? server->defaultSinkName : server->defaultSourceName;
    }
    KVAudioDeviceObserver::shared().waitUntilLoaded();
    const auto device = deviceWithID(speaker ? playoutDevices() : recordDevices(), deviceID);
    return device ? device->uniqueID : QString();
}

static QAudioDevice qtDeviceFor(quint32 deviceID, bool speaker)
{
    MediaBackend::waitUntilReady();
    const QAudioDevice fallback = speaker ? QMediaDevices::defaultAudioOutput() : QMediaDevices::defaultAudioInput();
    if (deviceID == 0)
        return fallback;
    KVAudioDeviceObserver::shared().waitUntilLoaded();
    const auto device =
        deviceWithID(speaker ? KVAudioManager::playoutDevices() : KVAudioManager::recordDevices(), deviceID);
    if (device) {
        const QByteArray id = device->uniqueID.toUtf8();
        const QList<QAudioDevice> all = speaker ? QMediaDevices::audioOutputs() : QMediaDevices::audioInputs();
        for (const QAudioDevice &candidate : all) {
            if (candidate.id() == id)
                return candidate;
        }
    }
    qCWarning(lcDevices) << "audio device" << deviceID << "is gone; using the system default";
    return fallback;
}

QAudioDevice KVAudioManager::audioInputFor(quint32 deviceID)
{
    return qtDeviceFor(deviceID, false);
}

QAudioDevice KVAudioManager::audioOutputFor(quint32 deviceID)
{
    return qtDeviceFor(deviceID, true);
}

// ---- instance side ----

KVAudioManager::KVAudioManager(QObject *parent)
    : QObject(parent), m_thread(new QThread), m_level(std::make_shared<LevelSink>()),
      m_pendingVolumes(std::make_shared<PendingVolumes>())
{
    static const bool waitsAtExit = [] {
        qAddPostRoutine(waitForEndingThreads);
        return true;
    }();
    (void)waitsAtExit;
    m_thread->setObjectName(QStringLiteral("com.kvaudio.manager.queue"));
    m_unit = new KVAudioUnit(m_level);
    m_unit->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->start();

    NotificationCenter::defaultCenter().addObserver(this, kKVAudioDeviceDidChangedNotification,
                                                    [this](const Notification &) {
                                                        MainQueue::safe(this, [this] {
                                                            if (deviceChanged)
                                                                deviceChanged();
                                                        });
                                                    });
}

KVAudioManager::~KVAudioManager()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    setSoundLevelCallback({});
    // The unit stops its streams and goes on its own thread, and the thread ends after it; nothing
    // waits here: a stream being opened may be waiting for the sound server.
    {
        std::lock_guard guard(g_endingMutex);
        endingThreads().append(m_thread);
    }
    KVAudioUnit *unit = m_unit;
    QMetaObject::invokeMethod(
        unit, [unit] { unit->finish(); }, Qt::QueuedConnection);
}

void KVAudioManager::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_unit, std::move(work), Qt::QueuedConnection);
}

void KVAudioManager::waitUntilIdle()
{
    QMetaObject::invokeMethod(
        m_unit, [] {}, Qt::BlockingQueuedConnection);
    mixerQueue().waitUntilAllOperationsAreFinished();
}

void KVAudioManager::openSpeaker(quint32 speakerId, quint32 micphoneId, std::function<void(bool)> callback)
{
    m_mixerSpeaker = speakerId;
    m_mixerMicrophone = micphoneId;
    KVAudioUnit *unit = m_unit;
    QPointer<KVAudioManager> self(this);
    post([unit, speakerId, micphoneId, self, callback = std::move(callback)] {
        // The devices are found here, off the main thread: finding them may wait for the server.
        unit->open(audioOutputFor(speakerId), audioInputFor(micphoneId));
        if (callback)
            MainQueue::async([self, callback] {
                if (self)
                    callback(true);
            });
    });
}

void KVAudioManager::playPCM(const QString &path, std::function<void(bool)> callback)
{
    KVAudioUnit *unit = m_unit;
    QPointer<KVAudioManager> self(this);
    post([unit, path, self, callback = std::move(callback)] {
        QFile file(path);
        QByteArray pcm;
        if (file.open(QIODevice::ReadOnly))
            pcm = file.readAll();
        pcm.truncate(pcm.size() - pcm.size() % static_cast<qsizetype>(sizeof(float)));
        const bool ok = !pcm.isEmpty();
        if (!ok)
            qCWarning(lcDevices) << "speaker test sound unreadable:" << path;
        unit->setPcm(std::move(pcm));
        if (callback)
            MainQueue::async([self, callback, ok] {
                if (self)
                    callback(ok);
            });
    });
}

void KVAudioManager::start()
{
    KVAudioUnit *unit = m_unit;
    post([unit] { unit->start(false); });
}

void KVAudioManager::startMeter()
{
    const quint32 microphone = m_mixerMicrophone;
    KVAudioUnit *unit = m_unit;
    post([unit, microphone] {
        unit->open({}, audioInputFor(microphone));
        unit->start(true);
    });
}

void KVAudioManager::stop()
{
    KVAudioUnit *unit = m_unit;
    post([unit] { unit->stop(); });
}

void KVAudioManager::openMixerSpeaker(quint32 speakerId)
{
    m_mixerSpeaker = speakerId;
}

void KVAudioManager::openMixerMicrophone(quint32 micphoneId)
{
    m_mixerMicrophone = micphoneId;
}

namespace {

std::optional<PulseDeviceInfo> mixerDevice(quint32 deviceID, bool speaker)
{
    const QString name = KVAudioManager::serverNameFor(deviceID, speaker);
    return speaker ? PulseAudioClient::shared().sink(name) : PulseAudioClient::shared().source(name);
}

int volumeAvailable(quint32 deviceID, bool speaker, bool &available)
{
    // The server scales any device in software, so a device that exists can be set.
    available = mixerDevice(deviceID, speaker).has_value();
    return available ? 0 : -1;
}

int volumeBound(quint32 deviceID, bool speaker, quint32 bound, quint32 &volume)
{
    if (!mixerDevice(deviceID, speaker))
        return -1;
    volume = bound;
    return 0;
}

int currentVolume(quint32 deviceID, bool speaker, quint32 &volume)
{
    const auto device = mixerDevice(deviceID, speaker);
    if (!device)
        return -1;
    volume = KVAudioLevel::fromPulseVolume(device->volume);
    return 0;
}

int applyVolume(quint32 deviceID, bool speaker, quint32 volume)
{
    const QString name = KVAudioManager::serverNameFor(deviceID, speaker);
    const quint32 level = KVAudioLevel::toPulseVolume(volume);
    const bool ok = speaker ? PulseAudioClient::shared().setSinkVolume(name, level)
                            : PulseAudioClient::shared().setSourceVolume(name, level);
    if (!ok)
        qCWarning(lcDevices) << "setting the volume of" << name << "failed";
    return ok ? 0 : -1;
}

} // namespace

namespace {

KVAudioManager::MixerVolume mixerVolume(quint32 deviceID, bool speaker)
{
    KVAudioManager::MixerVolume volume;
    // One question to the server answers all four.
    const auto device = mixerDevice(deviceID, speaker);
    if (!device)
        return volume;
    volume.available = true;
    volume.max = KVAudioLevel::kMaxVolume;
    volume.min = 0;
    volume.value = KVAudioLevel::fromPulseVolume(device->volume);
    return volume;
}

} // namespace

void KVAudioManager::readVolumes(std::function<void(const MixerVolume &, const MixerVolume &)> done)
{
    const quint32 microphone = m_mixerMicrophone;
    const quint32 speaker = m_mixerSpeaker;
    const quint64 asked = m_volumeSets;
    QPointer<KVAudioManager> self(this);
    mixerQueue().addOperation([self, microphone, speaker, asked, done = std::move(done)] {
        const MixerVolume in = mixerVolume(microphone, false);
        const MixerVolume out = mixerVolume(speaker, true);
        MainQueue::async([self, done, in, out, asked] {
            // A volume set since it was asked: the answer may be from before, and would move
            // the slider the user just moved.
            if (self && done && self->m_volumeSets == asked)
                done(in, out);
        });
    });
}

void KVAudioManager::setVolumeLater(bool speaker, quint32 volume)
{
    ++m_volumeSets;
    const std::shared_ptr<PendingVolumes> pending = m_pendingVolumes;
    {
        std::lock_guard guard(pending->mutex);
        (speaker ? pending->speaker : pending->microphone) =
            std::pair(speaker ? m_mixerSpeaker : m_mixerMicrophone, volume);
        // A slider dragged while the server is slow queues one setting, the latest.
        if (std::exchange(pending->queued, true))
            return;
    }
    mixerQueue().addOperation([pending] {
        std::optional<std::pair<quint32, quint32>> in;
        std::optional<std::pair<quint32, quint32>> out;
        {
            std::lock_guard guard(pending->mutex);
            in = std::exchange(pending->microphone, std::nullopt);
            out = std::exchange(pending->speaker, std::nullopt);
            pending->queued = false;
        }
        if (in)
            applyVolume(in->first, false, in->second);
        if (out)
            applyVolume(out->first, true, out->second);
    });
}

int KVAudioManager::microphoneVolumeIsAvailable(bool &available) const
{
    return volumeAvailable(m_mixerMicrophone, false, available);
}

int KVAudioManager::speakerVolumeIsAvailable(bool &available) const
{
    return volumeAvailable(m_mixerSpeaker, true, available);
}

int KVAudioManager::maxMicrophoneVolume(quint32 &volume) const
{
    return volumeBound(m_mixerMicrophone, false, KVAudioLevel::kMaxVolume, volume);
}

int KVAudioManager::minMicrophoneVolume(quint32 &volume) const
{
    return volumeBound(m_mixerMicrophone, false, 0, volume);
}

int KVAudioManager::micphoneVolume(quint32 &volume) const
{
    return currentVolume(m_mixerMicrophone, false, volume);
}

int KVAudioManager::maxSpeakerVolume(quint32 &volume) const
{
    return volumeBound(m_mixerSpeaker, true, KVAudioLevel::kMaxVolume, volume);
}

int KVAudioManager::minSpeakerVolume(quint32 &volume) const
{
    return volumeBound(m_mixerSpeaker, true, 0, volume);
}

int KVAudioManager::speakerVolume(quint32 &volume) const
{
    return currentVolume(m_mixerSpeaker, true, volume);
}

int KVAudioManager::setMicrophoneVolume(quint32 volume)
{
    return applyVolume(m_mixerMicrophone, false, volume);
}

int KVAudioManager::setSpeakerVolume(quint32 volume)
{
    return applyVolume(m_mixerSpeaker, true, volume);
}

void KVAudioManager::setSoundLevelCallback(std::function<void(int)> callback)
{
    std::lock_guard guard(m_level->mutex);
    m_level->callback = std::move(callback);
}

std::function<void(int)> KVAudioManager::soundLevelCallback() const
{
    std::lock_guard guard(m_level->mutex);
    return m_level->callback;
}
