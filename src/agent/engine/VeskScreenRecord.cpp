#include "VeskScreenRecord.h"

#include "DesktopCaptureSource.h"
#include "EngineLog.h"
#include "PortalScreenCast.h"

#include "foundation/AppPaths.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <gst/gst.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// Bounds the wait for a file's end when the recorder goes away while recording.
constexpr GstClockTime kFinishBound = 10 * GST_SECOND;
constexpr int kFramesPerSecond = 15;

bool gstreamerReady()
{
    static const bool ready = [] {
        GError *error = nullptr;
        const bool ok = gst_init_check(nullptr, nullptr, &error);
        if (!ok)
            qCWarning(lcEngine) << "screen recorder: GStreamer unavailable:" << (error ? error->message : "");
        g_clear_error(&error);
        return ok;
    }();
    return ready;
}

// The first microphone of the sound server that is not the monitor of an output.
GstElement *firstMicrophone()
{
    GstDeviceMonitor *monitor = gst_device_monitor_new();
    GstCaps *caps = gst_caps_new_empty_simple("audio/x-raw");
    gst_device_monitor_add_filter(monitor, "Audio/Source", caps);
    gst_caps_unref(caps);
    GList *devices = gst_device_monitor_get_devices(monitor);
    GstElement *source = nullptr;
    for (GList *at = devices; at && !source; at = at->next) {
        GstDevice *device = GST_DEVICE(at->data);
        GstStructure *properties = gst_device_get_properties(device);
        const gchar *kind = properties ? gst_structure_get_string(properties, "device.class") : nullptr;
        const bool outputMonitor = g_strcmp0(kind, "monitor") == 0;
        if (properties)
            gst_structure_free(properties);
        if (outputMonitor)
            continue;
        GstElement *element = gst_device_create_element(device, nullptr);
        if (!element)
            continue;
        GstElementFactory *factory = gst_element_get_factory(element);
        if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "pulsesrc") == 0) {
            gchar *name = gst_device_get_display_name(device);
            qCInfo(lcEngine) << "screen recorder: microphone" << name;
            g_free(name);
            source = element;
        } else
            gst_object_unref(gst_object_ref_sink(element));
    }
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
    return source;
}

// A recording that failed before anything was written leaves no empty file behind; what was
// written stays, being the user's.
void removeIfEmpty(const QString &path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile() && QFileInfo(path).size() == 0)
        QFile::remove(path);
}

// Ends every source of the pipeline, the screen first. A screen that sends nothing more (its
// PipeWire node went) starves the muxer, which then takes no sound: the microphone's branch
// fills and its source holds its stream lock until the muxer moves, so an end sent there first
// waits for ever. The screen's end lets the muxer drain the sound.
void endSources(GstElement *pipeline)
{
    GstElement *screen = gst_bin_get_by_name(GST_BIN(pipeline), "screen");
    if (screen) {
        GstPad *pad = gst_element_get_static_pad(screen, "src");
        // A PipeWire source whose node went has stopped its thread and passes no end on.
        if (pad && gst_pad_get_task_state(pad) != GST_TASK_STARTED)
            gst_pad_push_event(pad, gst_event_new_eos());
        else
            gst_element_send_event(screen, gst_event_new_eos());
        if (pad)
            gst_object_unref(pad);
    }
    GstIterator *sources = gst_bin_iterate_sources(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    for (bool more = true; more;) {
        switch (gst_iterator_next(sources, &item)) {
        case GST_ITERATOR_OK:
            if (auto *source = GST_ELEMENT(g_value_get_object(&item)); source != screen)
                gst_element_send_event(source, gst_event_new_eos());
            g_value_reset(&item);
            break;
        case GST_ITERATOR_RESYNC:
            gst_iterator_resync(sources);
            break;
        default:
            more = false;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(sources);
    if (screen)
        gst_object_unref(screen);
}

} // namespace

// Messages of the pipeline's threads reach the recorder on the main thread, while it lives.
struct Relay {
    QPointer<VeskScreenRecord> owner; // main thread only
    GstElement *pipeline = nullptr;   // not owned; set before the first message
    std::atomic<bool> playing{false};
    std::mutex mutex;
    QString firstError; // guarded by mutex: read when a state change fails
};

struct VeskScreenRecord::Pipeline {
    GstElement *pipeline = nullptr;
    std::shared_ptr<Relay> relay = std::make_shared<Relay>();
    bool tearDownAside = false; // a PipeWire start may still wait for its link, holding the state lock

    ~Pipeline()
    {
        if (!pipeline)
            return;
        GstBus *bus = gst_element_get_bus(pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        const auto down = [](GstElement *element) {
            gst_element_set_state(element, GST_STATE_NULL);
            gst_object_unref(element);
        };
        if (tearDownAside)
            std::thread(down, pipeline).detach();
        else
            down(pipeline);
    }

    static GstBusSyncReply onMessage(GstBus *, GstMessage *message, gpointer data)
    {
        const std::shared_ptr<Relay> relay = *static_cast<std::shared_ptr<Relay> *>(data);
        int kind = 0;
        QString text;
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STATE_CHANGED &&
            GST_MESSAGE_SRC(message) == GST_OBJECT_CAST(relay->pipeline)) {
            GstState now = GST_STATE_VOID_PENDING;
            gst_message_parse_state_changed(message, nullptr, &now, nullptr);
            if (now == GST_STATE_PLAYING && !relay->playing.exchange(true))
                kind = GST_MESSAGE_STATE_CHANGED;
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            kind = GST_MESSAGE_EOS;
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            kind = GST_MESSAGE_ERROR;
            GError *error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            text = QString::fromUtf8(error ? error->message : "");
            g_clear_error(&error);
            std::lock_guard lock(relay->mutex);
            if (relay->firstError.isEmpty())
                relay->firstError = text;
        }
        if (kind) {
            MainQueue::async([relay, kind, text] {
                if (VeskScreenRecord *owner = relay->owner)
                    owner->onBusMessage(kind, text);
            });
        }
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
};

VeskScreenRecord::VeskScreenRecord(QObject *parent) : QObject(parent) {}

VeskScreenRecord::~VeskScreenRecord()
{
    if (!m_pipeline)
        return;
    m_pipeline->relay->owner = nullptr;
    if (m_isRecord) {
        // Finish the file: end of stream, then wait (bounded) until the muxer wrote it. The end
        // is sent only once the pipeline plays: sent while its live sources still wait for
        // PLAYING, it deadlocks against the pending state change.
        GstBus *bus = gst_element_get_bus(m_pipeline->pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        GstState state = GST_STATE_NULL;
        gst_element_get_state(m_pipeline->pipeline, &state, nullptr, kFinishBound);
        if (state == GST_STATE_PLAYING) {
            if (!m_eosSent)
                endSources(m_pipeline->pipeline);
            if (GstMessage *done =
                    gst_bus_timed_pop_filtered(bus, kFinishBound, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)))
                gst_message_unref(done);
        } else
            qCWarning(lcEngine) << "screen recorder: never played, the file stays unfinished";
        gst_object_unref(bus);
    }
    m_pipeline.reset();
    removeIfEmpty(m_filePath);
}

QString VeskScreenRecord::folder() const
{
    return m_folder.isEmpty() ? AppPaths::dataDir() + QStringLiteral("/ScreenRecord") : m_folder;
}

QString VeskScreenRecord::nextFilePath() const
{
    const QString stem =
        folder() + QStringLiteral("/tarnid_") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    // Two recordings in one second never share a file.
    QString path = stem + QStringLiteral(".mp4");
    for (int n = 1; QFile::exists(path); ++n)
        path = stem + QStringLiteral("_%1.mp4").arg(n);
    return path;
}

bool VeskScreenRecord::createCaptureSession()
{
    QRect area(0, 0, 0, 0);
    if (QScreen *primary = QGuiApplication::primaryScreen()) {
        const qreal ratio = primary->devicePixelRatio();
        const QRect logical = primary->geometry();
        area = QRect(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)), logical.size() * ratio);
    }
    // Even sizes: the encoder's 4:2:0 pictures need them.
    area.setWidth(area.width() & ~1);
    area.setHeight(area.height() & ~1);
    const QString screen = area.isEmpty() ? QStringLiteral("ximagesrc show-pointer=true use-damage=false")
                                          : QStringLiteral("ximagesrc show-pointer=true use-damage=false startx=%1 "
                                                           "starty=%2 endx=%3 endy=%4")
                                                .arg(area.left())
                                                .arg(area.top())
                                                .arg(area.right())
                                                .arg(area.bottom());
    return buildPipeline(screen);
}

bool VeskScreenRecord::buildPipeline(const QString &screen)
{
    m_pipeline.reset();
    if (!gstreamerReady())
        return false;
    GstElement *microphone = firstMicrophone();
    if (!microphone) {
        qCInfo(lcEngine) << "screen recorder: no microphone";
        return false;
    }
    const QString description =
        screen +
        QStringLiteral(" ! videorate ! video/x-raw,framerate=%1/1 ! videoconvert ! video/x-raw,format=I420 ! queue"
                       " ! x264enc speed-preset=ultrafast tune=zerolatency key-int-max=30 ! queue ! mp4mux name=mux"
                       " ! filesink name=file audioconvert name=audio ! audioresample ! queue ! avenc_aac ! queue"
                       " ! mux.")
            .arg(kFramesPerSecond);
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (!pipeline || error) {
        qCWarning(lcEngine) << "screen recorder: pipeline not built:" << (error ? error->message : "");
        g_clear_error(&error);
        if (pipeline)
            gst_object_unref(pipeline);
        gst_object_unref(gst_object_ref_sink(microphone));
        return false;
    }
    GstElement *audio = gst_bin_get_by_name(GST_BIN(pipeline), "audio");
    gst_bin_add(GST_BIN(pipeline), microphone);
    const bool linked = audio && gst_element_link(microphone, audio);
    if (audio)
        gst_object_unref(audio);
    auto built = std::make_unique<Pipeline>();
    built->pipeline = pipeline;
    if (!linked) {
        qCWarning(lcEngine) << "screen recorder: microphone not linked";
        return false;
    }
    built->relay->owner = this;
    built->relay->pipeline = pipeline;
    GstBus *bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, &Pipeline::onMessage, new std::shared_ptr<Relay>(built->relay),
                             [](gpointer data) { delete static_cast<std::shared_ptr<Relay> *>(data); });
    gst_object_unref(bus);
    m_pipeline = std::move(built);
    return true;
}

void VeskScreenRecord::start()
{
    if (m_isRecord || m_pipeline || m_cast)
        return;
    if (m_portalBus || DesktopCaptureSource::current()->usesPortal()) {
        startThroughPortal(m_portalBus.value_or(QDBusConnection::sessionBus()));
        return;
    }
    if (!createCaptureSession()) {
        if (m_delegate)
            m_delegate->recordFail(QString());
        return;
    }
    record(false);
}

void VeskScreenRecord::startThroughPortal(const QDBusConnection &bus)
{
    // Without a microphone the user is not asked for a screen at all.
    GstElement *microphone = gstreamerReady() ? firstMicrophone() : nullptr;
    if (!microphone) {
        if (m_delegate)
            m_delegate->recordFail(QString());
        return;
    }
    gst_object_unref(gst_object_ref_sink(microphone));
    m_cast = std::make_unique<PortalScreenCast>(bus);
    QPointer<VeskScreenRecord> weak(this);
    // No restore token: a recording always asks, so it never silently takes what a share chose.
    m_cast->start(
        QString(),
        [weak](const PortalScreenCast::Started &started) {
            if (!weak)
                return;
            // The portal's session lives as long as the cast: kept until the recording ends.
            weak->m_remote = started.remote;
            // A portal sends a frame only when the screen changes: while it stays still the last
            // one is sent again at the recording's rate, or the muxer starves and the sound is lost.
            const QString screen = QStringLiteral("pipewiresrc name=screen fd=%1 path=%2 always-copy=true"
                                                  " do-timestamp=true keepalive-time=%3"
                                                  " stream-properties=\"props,node.name=korvi-record\"")
                                       .arg(weak->m_remote.fileDescriptor())
                                       .arg(started.nodeId)
                                       .arg(1000 / kFramesPerSecond);
            if (!weak->buildPipeline(screen)) {
                weak->endPortal(QString());
                return;
            }
            weak->m_pipeline->tearDownAside = true;
            weak->record(true);
            weak->watchScreen();
        },
        [weak](const QString &why) {
            if (!weak)
                return;
            // The desktop ended a running cast (its own stop): the file is finished as on a stop.
            if (weak->m_isRecord) {
                qCInfo(lcEngine) << "screen recorder: the portal ended the screen:" << why;
                weak->stop();
                return;
            }
            qCInfo(lcEngine) << "screen recorder: the portal gave no screen:" << why;
            weak->endPortal(why);
        });
}

void VeskScreenRecord::endPortal(const QString &why)
{
    // Called from the cast's own report: it is freed once that returned.
    QPointer<VeskScreenRecord> weak(this);
    MainQueue::async(this, [weak, why] {
        if (!weak)
            return;
        weak->m_cast.reset();
        weak->m_remote = {};
        if (weak->m_delegate)
            weak->m_delegate->recordFail(why);
    });
}

void VeskScreenRecord::record(bool offThread)
{
    const QString where = folder();
    if (QDir().mkpath(where))
        QFile::setPermissions(where, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_filePath = nextFilePath();
    GstElement *file = gst_bin_get_by_name(GST_BIN(m_pipeline->pipeline), "file");
    g_object_set(file, "location", QFile::encodeName(m_filePath).constData(), nullptr);
    gst_object_unref(file);
    m_stopping = false;
    m_eosSent = false;
    if (offThread) {
        std::thread([pipeline = GST_ELEMENT(gst_object_ref(m_pipeline->pipeline)), relay = m_pipeline->relay] {
            if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
                QString why;
                {
                    std::lock_guard lock(relay->mutex);
                    why = relay->firstError;
                }
                MainQueue::async([relay, why] {
                    if (VeskScreenRecord *owner = relay->owner)
                        owner->onBusMessage(GST_MESSAGE_ERROR, why);
                });
            }
            gst_object_unref(pipeline);
        }).detach();
    } else if (gst_element_set_state(m_pipeline->pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        QString why;
        {
            std::lock_guard lock(m_pipeline->relay->mutex);
            why = m_pipeline->relay->firstError;
        }
        teardown();
        removeIfEmpty(m_filePath);
        qCWarning(lcEngine) << "screen recorder: not started:" << why;
        if (m_delegate)
            m_delegate->recordFail(why);
        return;
    }
    m_isRecord = true;
    if (m_delegate)
        m_delegate->recordStart();
}

void VeskScreenRecord::stop()
{
    if (!m_isRecord || m_stopping || !m_pipeline)
        return;
    m_stopping = true;
    sendEndWhenPlaying();
}

void VeskScreenRecord::sendEndWhenPlaying()
{
    // Until the pipeline plays, the end waits for its PLAYING message (see the destructor).
    if (!m_stopping || m_eosSent || !m_pipeline || !m_pipeline->relay->playing)
        return;
    m_eosSent = true;
    // A source's end waits for its stream lock, held while its branch waits for the muxer.
    std::thread([pipeline = GST_ELEMENT(gst_object_ref(m_pipeline->pipeline))] {
        endSources(pipeline);
        gst_object_unref(pipeline);
    }).detach();
}

void VeskScreenRecord::watchScreen()
{
    // pipewiresrc stops its streaming thread, silently, once its node is gone.
    m_screenWatch = KVTimer::repeating(this, std::chrono::seconds(1), [this] {
        if (!m_isRecord || m_stopping || !m_pipeline || !m_pipeline->relay->playing)
            return;
        GstElement *screen = gst_bin_get_by_name(GST_BIN(m_pipeline->pipeline), "screen");
        GstPad *pad = screen ? gst_element_get_static_pad(screen, "src") : nullptr;
        const bool stopped = pad && gst_pad_get_task_state(pad) != GST_TASK_STARTED;
        if (pad)
            gst_object_unref(pad);
        if (screen)
            gst_object_unref(screen);
        if (stopped) {
            qCInfo(lcEngine) << "screen recorder: the portal's screen is gone";
            stop();
        }
    });
}

void VeskScreenRecord::teardown()
{
    if (m_screenWatch)
        m_screenWatch->invalidate();
    if (m_pipeline)
        m_pipeline->relay->owner = nullptr;
    m_pipeline.reset();
    m_cast.reset(); // closes the portal's session
    m_remote = {};
    m_isRecord = false;
    m_stopping = false;
    m_eosSent = false;
}

void VeskScreenRecord::onBusMessage(int kind, const QString &text)
{
    if (!m_pipeline)
        return;
    if (kind == GST_MESSAGE_STATE_CHANGED) {
        sendEndWhenPlaying();
        return;
    }
    const bool wasRecording = m_isRecord;
    teardown();
    if (kind == GST_MESSAGE_EOS) {
        if (wasRecording && m_delegate)
            m_delegate->recordSuccess(QUrl::fromLocalFile(m_filePath));
        return;
    }
    removeIfEmpty(m_filePath);
    qCWarning(lcEngine) << "screen recorder: failed:" << text;
    if (m_delegate)
        m_delegate->recordFail(text);
}
