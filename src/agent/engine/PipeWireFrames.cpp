#include "PipeWireFrames.h"

#include "EngineLog.h"

#include "foundation/MainQueue.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <atomic>
#include <mutex>
#include <thread>

struct PipeWireFrames::Pipeline {
    GstElement *pipeline = nullptr;
    QSize size;
    std::mutex mutex;
    DesktopCaptureSink sink; // guarded by mutex: cleared when the reader goes away
    bool ended = false;      // guarded by mutex
    // Main thread: false once the reader is gone, so a queued end is dropped.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    ~Pipeline()
    {
        if (!pipeline)
            return;
        GstBus *bus = gst_element_get_bus(pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }

    void end(const QString &why)
    {
        std::lock_guard lock(mutex);
        if (ended || !sink.onEnded)
            return;
        ended = true;
        MainQueue::async([onEnded = sink.onEnded, alive = alive, why] {
            if (*alive)
                onEnded(why);
        });
    }

    static GstFlowReturn onSample(GstAppSink *appsink, gpointer data)
    {
        auto *self = static_cast<Pipeline *>(data);
        GstSample *sample = gst_app_sink_pull_sample(appsink);
        if (!sample)
            return GST_FLOW_EOS;
        int width = 0;
        int height = 0;
        if (GstCaps *caps = gst_sample_get_caps(sample)) {
            const GstStructure *structure = gst_caps_get_structure(caps, 0);
            gst_structure_get_int(structure, "width", &width);
            gst_structure_get_int(structure, "height", &height);
        }
        GstBuffer *buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (buffer && width > 0 && height > 0 && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            // BGRx rows, 4-byte aligned: the memory layout of Format_RGB32.
            if (map.size >= gsize(width) * gsize(height) * 4) {
                const auto *bits = static_cast<const uchar *>(map.data);
                QImage frame = DesktopCaptureSource::fitFrame(
                    QImage(bits, width, height, width * 4, QImage::Format_RGB32), self->size);
                if (frame.constBits() == bits)
                    frame = frame.copy();
                std::lock_guard lock(self->mutex);
                if (self->sink.onFrame)
                    self->sink.onFrame(frame);
            }
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
        return GST_FLOW_OK;
    }

    static GstBusSyncReply onMessage(GstBus *, GstMessage *message, gpointer data)
    {
        auto *self = static_cast<Pipeline *>(data);
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError *error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            const QString why = QString::fromUtf8(error ? error->message : "stream error");
            g_clear_error(&error);
            self->end(why);
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            self->end(QStringLiteral("the stream ended"));
        }
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
};

PipeWireFrames::PipeWireFrames(int remoteFd, quint32 nodeId, QSize size, int fps, DesktopCaptureSink sink)
{
    GError *error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        qCWarning(lcEngine) << "PipeWire frames: GStreamer unavailable:" << (error ? error->message : "");
        g_clear_error(&error);
        return;
    }
    // The node name lets a session manager (or a test) find our end of the link.
    const QString description = QStringLiteral("pipewiresrc fd=%1 path=%2 always-copy=true client-name=korvi"
                                               " stream-properties=\"props,node.name=korvi-share\""
                                               " ! videoconvert ! video/x-raw,format=BGRx ! videorate max-rate=%3"
                                               " ! appsink name=frames max-buffers=1 drop=true sync=false")
                                    .arg(remoteFd)
                                    .arg(nodeId)
                                    .arg(qBound(1, fps, 60));
    GstElement *pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (!pipeline || error) {
        qCWarning(lcEngine) << "PipeWire frames: pipeline not built:" << (error ? error->message : "");
        g_clear_error(&error);
        if (pipeline)
            gst_object_unref(pipeline);
        return;
    }
    d = std::make_shared<Pipeline>();
    d->pipeline = pipeline;
    d->size = size;
    d->sink = std::move(sink);
    GstElement *frames = gst_bin_get_by_name(GST_BIN(pipeline), "frames");
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &Pipeline::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(frames), &callbacks, d.get(), nullptr);
    gst_object_unref(frames);
    GstBus *bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, &Pipeline::onMessage, d.get(), nullptr);
    gst_object_unref(bus);
    // pipewiresrc's start waits until its node is linked and negotiated: never on the main thread.
    std::thread([held = d] {
        if (gst_element_set_state(held->pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
            held->end(QStringLiteral("the PipeWire stream does not start"));
    }).detach();
}

PipeWireFrames::~PipeWireFrames()
{
    if (!d)
        return;
    *d->alive = false;
    {
        std::lock_guard lock(d->mutex);
        d->sink = {};
    }
    // A start still waiting for its link holds the pipeline's state lock: tear down beside it.
    std::thread([last = std::move(d)]() mutable { last.reset(); }).detach();
}

bool PipeWireFrames::isRunning() const
{
    return d != nullptr;
}
