#include "devices/audio/PulseAudioClient.h"

#include "devices/DevicesLog.h"

#include <pulse/pulseaudio.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <utility>

namespace {

// Where the server's socket appears when it starts; empty for a server not on a local socket.
QByteArray socketPath(const QByteArray &server)
{
    QByteArray address = server.isEmpty() ? qgetenv("PULSE_SERVER") : server;
    if (address.startsWith("unix:"))
        return address.mid(5);
    if (address.startsWith('/'))
        return address;
    if (!address.isEmpty())
        return {};
    const QByteArray runtime = qgetenv("PULSE_RUNTIME_PATH");
    if (!runtime.isEmpty())
        return runtime + "/native";
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    return xdg.isEmpty() ? QByteArray() : xdg + "/pulse/native";
}

QString fromUtf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

PulseDeviceInfo makeInfo(quint32 index, const char *name, const char *description, bool isMonitor,
                         const pa_cvolume &volume)
{
    PulseDeviceInfo info;
    info.index = index;
    info.name = fromUtf8(name);
    info.description = fromUtf8(description);
    if (info.description.isEmpty())
        info.description = info.name;
    info.isMonitor = isMonitor;
    info.channels = volume.channels;
    info.volume = volume.channels > 0 ? pa_cvolume_avg(&volume) : 0;
    return info;
}

} // namespace

// What one blocking request collects while the loop runs its callbacks.
struct PulseAudioClient::Wait {
    PulseAudioClient *client = nullptr;
    std::vector<PulseDeviceInfo> devices;
    PulseServerInfo server;
    bool success = true;
};

PulseAudioClient::PulseAudioClient(const QString &server) : m_server(server.toUtf8()) {}

PulseAudioClient::~PulseAudioClient()
{
    shutdown();
}

void PulseAudioClient::shutdown()
{
    std::unique_lock guard(m_callMutex, std::try_to_lock);
    if (!guard.owns_lock()) {
        // A call is waiting: told to give up, it returns at once, and the loop is freed after it
        // (left for the process's end only if it does not).
        abandonCallInProgress();
        if (!guard.try_lock_for(std::chrono::seconds(1)))
            return;
    }
    if (!m_loop) {
        m_shutDown = true;
        return;
    }
    pa_threaded_mainloop_lock(m_loop);
    m_shutDown = true; // the loop's callbacks read it too
    if (m_reconnect) {
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        api->time_free(m_reconnect);
        m_reconnect = nullptr;
    }
    unwatchSocketLocked();
    disconnectLocked();
    m_handler = {};
    pa_threaded_mainloop_unlock(m_loop);
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
    m_loop = nullptr;
    m_liveLoop = nullptr;
}

void PulseAudioClient::abandonCallInProgress()
{
    // A call is waiting for the server (one that never answers holds it for libpulse's 30 s): it is
    // woken and told to give up.
    pa_threaded_mainloop *loop = m_liveLoop.load();
    if (!loop) {
        m_shutDown = true;
        return;
    }
    pa_threaded_mainloop_lock(loop);
    m_shutDown = true; // the call looks at it each time it wakes
    m_handler = {};
    pa_threaded_mainloop_signal(loop, 0);
    pa_threaded_mainloop_unlock(loop);
}

PulseAudioClient &PulseAudioClient::shared()
{
    // Never deleted (audio threads may still ask it during exit), but shut down
    // with the application object.
    static PulseAudioClient *client = [] {
        auto *made = new PulseAudioClient;
        qAddPostRoutine([] { PulseAudioClient::shared().shutdown(); });
        return made;
    }();
    return *client;
}

bool PulseAudioClient::serverReachable()
{
    PulseAudioClient probe;
    return probe.ensureConnected();
}

void PulseAudioClient::signalLoop()
{
    pa_threaded_mainloop_signal(m_loop, 0);
}

void PulseAudioClient::notifyEvent()
{
    if (m_handler)
        m_handler();
}

bool PulseAudioClient::ensureConnected()
{
    std::lock_guard guard(m_callMutex);
    if (m_shutDown)
        return false;
    if (!m_loop) {
        m_loop = pa_threaded_mainloop_new();
        if (!m_loop)
            return false;
        pa_threaded_mainloop_set_name(m_loop, "korvi-pulse");
        if (pa_threaded_mainloop_start(m_loop) < 0) {
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
            return false;
        }
        m_liveLoop = m_loop;
    }
    pa_threaded_mainloop_lock(m_loop);
    const bool ok = connectLocked();
    pa_threaded_mainloop_unlock(m_loop);
    return ok;
}

bool PulseAudioClient::lastFailureWasAccessDenied() const
{
    return m_accessDenied;
}

bool PulseAudioClient::connectLocked()
{
    // A context still on its way (a background reconnect) is waited for, not replaced.
    if (!m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
        disconnectLocked();
        if (!startContextLocked())
            return false;
    }
    for (;;) {
        if (m_shutDown)
            return false;
        const pa_context_state_t state = pa_context_get_state(m_context);
        if (state == PA_CONTEXT_READY)
            break;
        if (!PA_CONTEXT_IS_GOOD(state)) {
            m_accessDenied = pa_context_errno(m_context) == PA_ERR_ACCESS;
            qCDebug(lcDevices) << "PulseAudio connection failed:" << pa_strerror(pa_context_errno(m_context));
            disconnectLocked();
            return false;
        }
        pa_threaded_mainloop_wait(m_loop);
    }
    m_accessDenied = false;
    return true;
}

bool PulseAudioClient::startContextLocked()
{
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Korvi");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "korvi");
    m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), "Korvi", props);
    pa_proplist_free(props);
    if (!m_context)
        return false;

    pa_context_set_state_callback(
        m_context,
        [](pa_context *context, void *self) { static_cast<PulseAudioClient *>(self)->contextStateChanged(context); },
        this);
    if (pa_context_connect(m_context, m_server.isEmpty() ? nullptr : m_server.constData(), PA_CONTEXT_NOAUTOSPAWN,
                           nullptr) < 0) {
        m_accessDenied = pa_context_errno(m_context) == PA_ERR_ACCESS;
        disconnectLocked();
        scheduleReconnectLocked();
        return false;
    }
    return true;
}

void PulseAudioClient::contextStateChanged(pa_context *context)
{
    // Runs with the loop locked: on the loop's thread, or inside a call that connects.
    signalLoop();
    if (context != m_context || !m_handler)
        return;
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        m_reconnectAttempts = 0;
        unwatchSocketLocked();
        subscribeLocked();
        // Back after a loss: the devices may differ from before.
        if (std::exchange(m_serverLost, false))
            notifyEvent();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        // The server went away (or is not there yet): its devices are gone, and no event
        // will come until a new connection subscribes again.
        if (!std::exchange(m_serverLost, true))
            notifyEvent();
        scheduleReconnectLocked();
    }
}

quint64 PulseAudioClient::reconnectDelayUs(int attempt)
{
    // Soon after a server restart, then seldom: a machine without one is not woken twice a second.
    const int doublings = qBound(0, attempt, 3);
    return (PA_USEC_PER_SEC / 2) << doublings;
}

void PulseAudioClient::watchSocketLocked()
{
    if (m_socketWatch || !m_loop)
        return;
    const QFileInfo socket(QString::fromLocal8Bit(socketPath(m_server)));
    if (socket.fileName().isEmpty() || !socket.dir().exists())
        return;
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return;
    if (inotify_add_watch(fd, QFile::encodeName(socket.absolutePath()).constData(), IN_CREATE | IN_MOVED_TO) < 0) {
        ::close(fd);
        return;
    }
    m_socketName = QFile::encodeName(socket.fileName());
    m_socketWatchFd = fd;
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    m_socketWatch = api->io_new(
        api, fd, PA_IO_EVENT_INPUT,
        [](pa_mainloop_api *, pa_io_event *, int fd, pa_io_event_flags_t, void *self) {
            auto *client = static_cast<PulseAudioClient *>(self);
            alignas(inotify_event) char buffer[4096];
            bool appeared = false;
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
                for (ssize_t at = 0; at < n;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                    appeared = appeared || (event->len > 0 && client->m_socketName == event->name);
                    at += ssize_t(sizeof(inotify_event) + event->len);
                }
            }
            if (appeared)
                client->reconnectNowLocked();
        },
        this);
}

void PulseAudioClient::unwatchSocketLocked()
{
    if (m_socketWatch) {
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        api->io_free(m_socketWatch);
        m_socketWatch = nullptr;
    }
    if (m_socketWatchFd >= 0)
        ::close(m_socketWatchFd);
    m_socketWatchFd = -1;
}

void PulseAudioClient::reconnectNowLocked()
{
    // The server's socket appeared: no need to wait out the back-off.
    if (m_reconnect) {
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        api->time_free(m_reconnect);
        m_reconnect = nullptr;
    }
    m_reconnectAttempts = 0;
    reconnectLocked();
}

void PulseAudioClient::scheduleReconnectLocked()
{
    if (m_reconnect || !m_handler || m_shutDown || !m_loop)
        return;
    // Where the socket can be watched, its appearing brings the server back at once.
    watchSocketLocked();
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, reconnectDelayUs(m_reconnectAttempts++));
    m_reconnect = api->time_new(
        api, &when,
        [](pa_mainloop_api *a, pa_time_event *event, const timeval *, void *self) {
            auto *client = static_cast<PulseAudioClient *>(self);
            a->time_free(event);
            client->m_reconnect = nullptr;
            client->reconnectLocked();
        },
        this);
}

void PulseAudioClient::reconnectLocked()
{
    // On the loop's thread: connects without waiting; the state callback takes it from here.
    if (!m_handler || m_shutDown)
        return;
    if (m_context && PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)))
        return; // a call connected (or is connecting) meanwhile
    disconnectLocked();
    startContextLocked();
}

bool PulseAudioClient::readyLocked() const
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

void PulseAudioClient::disconnectLocked()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

bool PulseAudioClient::runLocked(pa_operation *op, Wait &wait)
{
    if (!op)
        return false;
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) {
        // A dying context cancels the operation and wakes us through the state callback; a client
        // shut down meanwhile gives up.
        if (m_shutDown || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
            pa_operation_cancel(op);
            break;
        }
        pa_threaded_mainloop_wait(m_loop);
    }
    const bool done = pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_unref(op);
    return done && wait.success;
}

void PulseAudioClient::subscribeLocked()
{
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *, pa_subscription_event_type_t type, uint32_t, void *self) {
            const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
            const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
            // Volume changes arrive as "change" of a sink or source; only new and removed
            // devices, and the server (its defaults), change the lists.
            if (facility == PA_SUBSCRIPTION_EVENT_SERVER ||
                ((facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE) &&
                 kind != PA_SUBSCRIPTION_EVENT_CHANGE))
                static_cast<PulseAudioClient *>(self)->notifyEvent();
        },
        this);
    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                                          PA_SUBSCRIPTION_MASK_SERVER);
    pa_operation *op = pa_context_subscribe(m_context, mask, nullptr, nullptr);
    if (op)
        pa_operation_unref(op);
}

void PulseAudioClient::setEventHandler(EventHandler handler)
{
    std::lock_guard guard(m_callMutex);
    if (m_loop)
        pa_threaded_mainloop_lock(m_loop);
    m_handler = std::move(handler);
    if (m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY)
        subscribeLocked();
    if (m_loop)
        pa_threaded_mainloop_unlock(m_loop);
}

std::optional<std::vector<PulseDeviceInfo>> PulseAudioClient::listDevices(bool sinks, const QString &name)
{
    if (!ensureConnected())
        return std::nullopt;
    std::lock_guard guard(m_callMutex);
    if (!m_loop)
        return std::nullopt;
    pa_threaded_mainloop_lock(m_loop);
    if (!readyLocked()) {
        pa_threaded_mainloop_unlock(m_loop);
        return std::nullopt;
    }
    Wait wait;
    wait.client = this;
    pa_operation *op = nullptr;
    const QByteArray wanted = name.toUtf8();
    if (sinks) {
        auto cb = [](pa_context *, const pa_sink_info *info, int eol, void *data) {
            auto *w = static_cast<Wait *>(data);
            if (eol < 0)
                w->success = false;
            if (info)
                w->devices.push_back(makeInfo(info->index, info->name, info->description, false, info->volume));
            if (eol != 0)
                w->client->signalLoop();
        };
        op = name.isEmpty() ? pa_context_get_sink_info_list(m_context, cb, &wait)
                            : pa_context_get_sink_info_by_name(m_context, wanted.constData(), cb, &wait);
    } else {
        auto cb = [](pa_context *, const pa_source_info *info, int eol, void *data) {
            auto *w = static_cast<Wait *>(data);
            if (eol < 0)
                w->success = false;
            if (info)
                w->devices.push_back(makeInfo(info->index, info->name, info->description,
                                              info->monitor_of_sink != PA_INVALID_INDEX, info->volume));
            if (eol != 0)
                w->client->signalLoop();
        };
        op = name.isEmpty() ? pa_context_get_source_info_list(m_context, cb, &wait)
                            : pa_context_get_source_info_by_name(m_context, wanted.constData(), cb, &wait);
    }
    const bool ok = runLocked(op, wait);
    pa_threaded_mainloop_unlock(m_loop);
    if (!ok)
        return std::nullopt;
    return std::move(wait.devices);
}

std::optional<std::vector<PulseDeviceInfo>> PulseAudioClient::sinks()
{
    return listDevices(true, {});
}

std::optional<std::vector<PulseDeviceInfo>> PulseAudioClient::sources()
{
    return listDevices(false, {});
}

std::optional<PulseDeviceInfo> PulseAudioClient::sink(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    auto list = listDevices(true, name);
    if (!list || list->empty())
        return std::nullopt;
    return list->front();
}

std::optional<PulseDeviceInfo> PulseAudioClient::source(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    auto list = listDevices(false, name);
    if (!list || list->empty())
        return std::nullopt;
    return list->front();
}

std::optional<PulseServerInfo> PulseAudioClient::serverInfo()
{
    if (!ensureConnected())
        return std::nullopt;
    std::lock_guard guard(m_callMutex);
    if (!m_loop)
        return std::nullopt;
    pa_threaded_mainloop_lock(m_loop);
    if (!readyLocked()) {
        pa_threaded_mainloop_unlock(m_loop);
        return std::nullopt;
    }
    Wait wait;
    wait.client = this;
    pa_operation *op = pa_context_get_server_info(
        m_context,
        [](pa_context *, const pa_server_info *info, void *data) {
            auto *w = static_cast<Wait *>(data);
            if (info) {
                w->server.defaultSinkName = fromUtf8(info->default_sink_name);
                w->server.defaultSourceName = fromUtf8(info->default_source_name);
            } else {
                w->success = false;
            }
            w->client->signalLoop();
        },
        &wait);
    const bool ok = runLocked(op, wait);
    pa_threaded_mainloop_unlock(m_loop);
    if (!ok)
        return std::nullopt;
    return wait.server;
}

bool PulseAudioClient::setVolume(bool sink, const QString &name, quint32 volume)
{
    // The channel count comes from the device, so every channel gets the same level.
    const auto device = sink ? this->sink(name) : source(name);
    if (!device || device->channels == 0)
        return false;
    std::lock_guard guard(m_callMutex);
    if (!m_loop)
        return false;
    pa_threaded_mainloop_lock(m_loop);
    if (!readyLocked()) {
        pa_threaded_mainloop_unlock(m_loop);
        return false;
    }
    pa_cvolume levels;
    pa_cvolume_set(&levels, device->channels, static_cast<pa_volume_t>(qMin<quint32>(volume, PA_VOLUME_MAX)));
    Wait wait;
    wait.client = this;
    const QByteArray key = name.toUtf8();
    auto done = [](pa_context *, int success, void *data) {
        auto *w = static_cast<Wait *>(data);
        w->success = success != 0;
        w->client->signalLoop();
    };
    pa_operation *op = sink ? pa_context_set_sink_volume_by_name(m_context, key.constData(), &levels, done, &wait)
                            : pa_context_set_source_volume_by_name(m_context, key.constData(), &levels, done, &wait);
    const bool ok = runLocked(op, wait);
    pa_threaded_mainloop_unlock(m_loop);
    return ok;
}

bool PulseAudioClient::setSinkVolume(const QString &name, quint32 volume)
{
    return setVolume(true, name, volume);
}

bool PulseAudioClient::setSourceVolume(const QString &name, quint32 volume)
{
    return setVolume(false, name, volume);
}
