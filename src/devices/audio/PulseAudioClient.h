#pragma once

#include <QString>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_operation;

// One sink or source as the sound server reports it.
struct PulseDeviceInfo {
    quint32 index = 0;
    QString name;        // the server's name; Qt's QAudioDevice::id()
    QString description; // the name shown to people
    bool isMonitor = false;
    quint8 channels = 0;
    quint32 volume = 0; // average of the channels, 0..PA_VOLUME_NORM (65536) and above
};

struct PulseServerInfo {
    QString defaultSinkName;
    QString defaultSourceName;
};

// A blocking client of the PulseAudio server on its own threaded main loop.
// Every call waits for the server's answer, so it must not be made from the
// event handler (which runs on the loop's thread). Connects lazily and again
// after the server went away; never spawns a server of its own.
class PulseAudioClient final {
public:
    // Runs on the loop's thread whenever a sink, source or the server changed.
    using EventHandler = std::function<void()>;

    PulseAudioClient();
    ~PulseAudioClient();
    PulseAudioClient(const PulseAudioClient &) = delete;
    PulseAudioClient &operator=(const PulseAudioClient &) = delete;

    // The process-wide client used by the device layer.
    static PulseAudioClient &shared();
    // Whether a server answers at all (a short-lived connection of its own).
    [[nodiscard]] static bool serverReachable();

    // true when connected (connecting first when needed).
    bool ensureConnected();
    // The server refused us (as opposed to there being no server).
    [[nodiscard]] bool lastFailureWasAccessDenied() const;

    std::optional<std::vector<PulseDeviceInfo>> sinks();
    std::optional<std::vector<PulseDeviceInfo>> sources();
    std::optional<PulseServerInfo> serverInfo();
    std::optional<PulseDeviceInfo> sink(const QString &name);
    std::optional<PulseDeviceInfo> source(const QString &name);
    // Sets every channel to volume (0..65536); false on failure.
    bool setSinkVolume(const QString &name, quint32 volume);
    bool setSourceVolume(const QString &name, quint32 volume);

    // Subscribes to sink, source and server changes; the handler survives reconnects.
    void setEventHandler(EventHandler handler);

    // Disconnects for good and stops the loop's thread; later calls fail.
    // The shared client does this when the application object goes away, so
    // no server event reaches a half-destroyed process.
    void shutdown();

private:
    struct Wait;
    bool connectLocked();
    void disconnectLocked();
    [[nodiscard]] bool readyLocked() const;
    bool runLocked(pa_operation *op, Wait &wait);
    void subscribeLocked();
    std::optional<std::vector<PulseDeviceInfo>> listDevices(bool sinks, const QString &name);
    bool setVolume(bool sink, const QString &name, quint32 volume);

    std::mutex m_callMutex; // one call at a time; the loop lock guards the rest
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    bool m_accessDenied = false;
    bool m_shutDown = false;
    EventHandler m_handler;

public:
    // Internal to the loop's callbacks.
    void notifyEvent();
    void signalLoop();
};
