#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_operation;
struct pa_time_event;
struct pa_io_event;

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
// after the server went away; never spawns a server of its own. While an event
// handler is set, a lost server is reported to it and the client keeps trying
// to connect again in the background, reporting once it is back.
class PulseAudioClient final {
public:
    // Runs with the loop locked (on the loop's thread, or inside a call that is
    // connecting) whenever a sink, source or the server changed; it must not
    // block or call back into the client.
    using EventHandler = std::function<void()>;

    // server: a server address ("unix:/path"); empty: the environment's server.
    explicit PulseAudioClient(const QString &server = {});
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
    // It also runs when the server went away and when it is back.
    void setEventHandler(EventHandler handler);

    // How long a watched client waits before its attempt-th try (from 0) while the server is away.
    [[nodiscard]] static quint64 reconnectDelayUs(int attempt);

    // Disconnects for good and stops the loop's thread; later calls fail.
    // The shared client does this when the application object goes away, so
    // no server event reaches a half-destroyed process. A call still waiting for
    // the server is told to give up, and waited for a second at most.
    void shutdown();

private:
    struct Wait;
    bool connectLocked();
    bool startContextLocked();
    void contextStateChanged(pa_context *context);
    void scheduleReconnectLocked();
    void reconnectLocked();
    void reconnectNowLocked();
    void watchSocketLocked();
    void unwatchSocketLocked();
    void disconnectLocked();
    void abandonCallInProgress();
    [[nodiscard]] bool readyLocked() const;
    bool runLocked(pa_operation *op, Wait &wait);
    void subscribeLocked();
    std::optional<std::vector<PulseDeviceInfo>> listDevices(bool sinks, const QString &name);
    bool setVolume(bool sink, const QString &name, quint32 volume);

    std::timed_mutex m_callMutex; // one call at a time; the loop lock guards the rest
    QByteArray m_server;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_time_event *m_reconnect = nullptr;
    pa_io_event *m_socketWatch = nullptr; // the socket's folder, while the server is away
    int m_socketWatchFd = -1;
    QByteArray m_socketName;
    int m_reconnectAttempts = 0; // since the server was last reached
    bool m_accessDenied = false;
    bool m_serverLost = false; // the handler was told; it hears again once connected
    std::atomic<bool> m_shutDown{false};
    std::atomic<pa_threaded_mainloop *> m_liveLoop{nullptr}; // m_loop, for a shutdown during a call
    EventHandler m_handler;

public:
    // Internal to the loop's callbacks.
    void notifyEvent();
    void signalLoop();
};
