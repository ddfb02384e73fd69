#pragma once

#include "foundation/models/KVAudioDevice.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class MainSettingModel;
class OperationQueue;

inline const QString kKVAudioDeviceDidChangedNotification = QStringLiteral("kKVAudioDeviceDidChangedNotification");

// The microphone and speaker lists as the device layer shows them; index 0 is
// the entry that follows the system default ("default (<its name>)").
struct KVAudioDeviceLists {
    QList<KVAudioDevice> recordDevices;
    QList<KVAudioDevice> playoutDevices;
    friend bool operator==(const KVAudioDeviceLists &, const KVAudioDeviceLists &) = default;
};

// Watches the sound server for added and removed devices and a changed default.
// It rebuilds the lists on its background queue; after a real change it resets
// the settings model's currentSpeaker and currentMicphone and then posts
// "kKVAudioDeviceDidChangedNotification", both on the main thread, so main-thread
// readers of the model never race the observer. At home the reset takes the first
// entry of each list; in a meeting it keeps the devices the engine uses: the
// chosen ones while listed, else the first entry, the system default, which the
// engine is told to keep to once its chosen device went.
class KVAudioDeviceObserver final {
public:
    using ModelProvider = std::function<MainSettingModel *()>;

    static KVAudioDeviceObserver &shared();

    // Subscribes to the server and builds the lists once, on the background queue.
    void start();
    // Blocks until the first build is done; it waits for the sound server, so never on the
    // main thread (tests may).
    void waitUntilLoaded();
    [[nodiscard]] bool isLoaded() const;
    // What is known: empty lists until the first build is done.
    [[nodiscard]] KVAudioDeviceLists lists() const;
    // On the main thread: runs fn once the first build is done (at once when it is), while
    // context lives. Starts the observer.
    void whenLoaded(const QObject *context, std::function<void()> fn);

    // Re-reads the server now, as a device event does (also after a reconnect).
    void refresh();
    // Blocks until queued rebuilds have run (tests).
    void waitUntilIdle();

    // Where the reset goes: the agent's settings model unless a test installs
    // another. Called on the main thread.
    static void setModelProvider(ModelProvider provider);

    // Builds the lists from the sound server; empty lists when no server answers.
    [[nodiscard]] static KVAudioDeviceLists buildLists();

    // Once the media engine exists its device order (by shown name) is the order of the
    // lists, this build and every later one. Empty names keep the sound server's order.
    void setEngineOrder(const QStringList &microphones, const QStringList &speakers);
    // Engine-named devices first, in the engine's order; the others after them in their
    // own order; the system default entry stays first.
    [[nodiscard]] static QList<KVAudioDevice> orderedLike(QList<KVAudioDevice> list, const QStringList &names);

private:
    KVAudioDeviceObserver();
    ~KVAudioDeviceObserver() = delete; // lives for the process
    void rebuild(bool initial);

    std::unique_ptr<OperationQueue> m_queue;
    mutable std::mutex m_mutex;
    std::condition_variable m_loadedCondition;
    KVAudioDeviceLists m_lists;
    QStringList m_engineMicrophones;
    QStringList m_engineSpeakers;
    bool m_loaded = false;
    std::vector<std::pair<QPointer<const QObject>, std::function<void()>>> m_whenLoaded;
    std::once_flag m_started;
    std::atomic<bool> m_rebuildQueued{false};
};
