#include "PipeWireFrames.h"

#include "EngineLog.h"

#include "foundation/MainQueue.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Fits a BGRx frame into the stream's size, letterboxed on black: a plain copy when the sizes
// match, else one pass of GStreamer's scaler with a two-tap linear filter (half the time of its
// default taps for a screen shrunk by 1.5), kept while the source's size stays.
class Fitter {
public:
    Fitter() = default;
    Fitter(const Fitter &) = delete;
    Fitter &operator=(const Fitter &) = delete;
    ~Fitter()
    {
        if (m_converter)
            gst_video_converter_free(m_converter);
    }

    QImage fit(GstVideoFrame &in, QSize target)
    {
        const int width = GST_VIDEO_FRAME_WIDTH(&in);
        const int height = GST_VIDEO_FRAME_HEIGHT(&in);
        const auto *bits = static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&in, 0));
        // BGRx rows: the memory layout of Format_RGB32. The copy frees PipeWire's buffer at once.
        if (target.isEmpty() || target == QSize(width, height))
            return QImage(bits, width, height, GST_VIDEO_FRAME_PLANE_STRIDE(&in, 0), QImage::Format_RGB32).copy();
        QImage out(target, QImage::Format_RGB32);
        if (out.isNull() || !prepare(in.info, target))
            return {};
        GstBuffer *wrapped = gst_buffer_new_wrapped_full(GstMemoryFlags(0), out.bits(), gsize(out.sizeInBytes()), 0,
                                                         gsize(out.sizeInBytes()), nullptr, nullptr);
        GstVideoFrame to;
        if (gst_video_frame_map(&to, &m_out, wrapped, GST_MAP_WRITE)) {
            gst_video_converter_frame(m_converter, &in, &to);
            gst_video_frame_unmap(&to);
        }
        gst_buffer_unref(wrapped);
        return out;
    }

private:
    bool prepare(const GstVideoInfo &in, QSize target)
    {
        if (m_converter && GST_VIDEO_INFO_WIDTH(&m_in) == GST_VIDEO_INFO_WIDTH(&in) &&
            GST_VIDEO_INFO_HEIGHT(&m_in) == GST_VIDEO_INFO_HEIGHT(&in) && m_target == target)
            return true;
        if (m_converter)
            gst_video_converter_free(m_converter);
        m_converter = nullptr;
        m_in = in;
        m_target = target;
        gst_video_info_set_format(&m_out, GST_VIDEO_FORMAT_BGRx, guint(target.width()), guint(target.height()));
        GST_VIDEO_INFO_FPS_N(&m_out) = GST_VIDEO_INFO_FPS_N(&in);
        GST_VIDEO_INFO_FPS_D(&m_out) = GST_VIDEO_INFO_FPS_D(&in);
        const QSize fitted =
            QSize(GST_VIDEO_INFO_WIDTH(&in), GST_VIDEO_INFO_HEIGHT(&in)).scaled(target, Qt::KeepAspectRatio);
        GstStructure *config = gst_structure_new(
            "GstVideoConverter", GST_VIDEO_CONVERTER_OPT_RESAMPLER_METHOD, GST_TYPE_VIDEO_RESAMPLER_METHOD,
            GST_VIDEO_RESAMPLER_METHOD_LINEAR, GST_VIDEO_CONVERTER_OPT_RESAMPLER_TAPS, G_TYPE_UINT, 2u,
            GST_VIDEO_CONVERTER_OPT_DEST_X, G_TYPE_INT, (target.width() - fitted.width()) / 2,
            GST_VIDEO_CONVERTER_OPT_DEST_Y, G_TYPE_INT, (target.height() - fitted.height()) / 2,
            GST_VIDEO_CONVERTER_OPT_DEST_WIDTH, G_TYPE_INT, fitted.width(), GST_VIDEO_CONVERTER_OPT_DEST_HEIGHT,
            G_TYPE_INT, fitted.height(), GST_VIDEO_CONVERTER_OPT_FILL_BORDER, G_TYPE_BOOLEAN, TRUE,
            GST_VIDEO_CONVERTER_OPT_BORDER_ARGB, G_TYPE_UINT, 0xff000000u, nullptr);
        m_converter = gst_video_converter_new(&m_in, &m_out, config);
        return m_converter != nullptr;
    }

    GstVideoConverter *m_converter = nullptr;
    GstVideoInfo m_in{};
    GstVideoInfo m_out{};
    QSize m_target;
};

} // namespace

struct PipeWireFrames::Pipeline {
    GstElement *pipeline = nullptr;
    GstElement *source = nullptr; // the pipewiresrc
    GstElement *frames = nullptr; // the appsink, holding the newest frame only
    QSize size;
    Clock::duration period{};
    std::mutex mutex;
    DesktopCaptureSink sink; // guarded by mutex: cleared when the reader goes away
    bool ended = false;      // guarded by mutex
    bool stopping = false;   // guarded by mutex
    std::condition_variable wake;
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
        gst_object_unref(frames);
        gst_object_unref(source);
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

    // False once the reader is stopping.
    bool rest(Clock::duration span)
    {
        std::unique_lock lock(mutex);
        return !wake.wait_for(lock, span, [this] { return stopping; });
    }

    // pipewiresrc stops its streaming thread, silently, when its stream leaves the streaming state:
    // what a removed node looks like from here.
    [[nodiscard]] bool sourceStopped() const
    {
        GstPad *pad = gst_element_get_static_pad(source, "src");
        const bool stopped = pad && gst_pad_get_task_state(pad) != GST_TASK_STARTED;
        if (pad)
            gst_object_unref(pad);
        return stopped;
    }

    // The reader's thread: starts the pipeline (pipewiresrc's start may wait for its link), then
    // takes the newest frame at most once a period. A frame that comes sooner waits for its turn,
    // replaced by any newer one meanwhile, so the last picture of a burst is never lost.
    void run()
    {
        if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            end(QStringLiteral("the PipeWire stream does not start"));
            return;
        }
        Fitter fitter;
        Clock::time_point turn = Clock::now();
        Clock::time_point lastFrame;
        bool flowed = false;
        for (;;) {
            const Clock::time_point now = Clock::now();
            if (now < turn) {
                if (!rest(turn - now))
                    return;
                continue;
            }
            {
                std::lock_guard lock(mutex);
                if (stopping)
                    return;
            }
            GstSample *sample = gst_app_sink_try_pull_sample(GST_APP_SINK(frames), 100 * GST_MSECOND);
            if (!sample) {
                if (gst_app_sink_is_eos(GST_APP_SINK(frames))) {
                    end(QStringLiteral("the stream ended"));
                    return;
                }
                // Not playing yet, the pull comes back at once.
                if (Clock::now() - now < std::chrono::milliseconds(50) && !rest(std::chrono::milliseconds(100)))
                    return;
                if (flowed && Clock::now() - lastFrame >= std::chrono::milliseconds(kQuietCheckMs) && sourceStopped()) {
                    end(QStringLiteral("the PipeWire stream stopped, its node is gone"));
                    return;
                }
                continue;
            }
            flowed = true;
            lastFrame = Clock::now();
            turn = lastFrame + period;
            deliver(sample, fitter);
            gst_sample_unref(sample);
        }
    }

    void deliver(GstSample *sample, Fitter &fitter)
    {
        GstVideoInfo info;
        GstCaps *caps = gst_sample_get_caps(sample);
        GstBuffer *buffer = gst_sample_get_buffer(sample);
        if (!caps || !buffer || !gst_video_info_from_caps(&info, caps) ||
            GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx)
            return;
        GstVideoFrame frame;
        if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
            return;
        const QImage picture = fitter.fit(frame, size);
        gst_video_frame_unmap(&frame);
        if (picture.isNull())
            return;
        std::lock_guard lock(mutex);
        if (sink.onFrame)
            sink.onFrame(picture);
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
    // The node name lets a session manager (or a test) find our end of the link. The sink keeps
    // the newest frame only and no last sample, so PipeWire gets its buffers back at once.
    const QString description =
        QStringLiteral("pipewiresrc name=source fd=%1 path=%2 client-name=korvi"
                       " stream-properties=\"props,node.name=korvi-share\" ! videoconvert ! video/x-raw,format=BGRx"
                       " ! appsink name=frames max-buffers=1 drop=true sync=false enable-last-sample=false")
            .arg(remoteFd)
            .arg(nodeId);
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
    d->source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
    d->frames = gst_bin_get_by_name(GST_BIN(pipeline), "frames");
    d->size = size;
    d->period = std::chrono::microseconds(1000000 / qBound(1, fps, 60));
    d->sink = std::move(sink);
    GstBus *bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, &Pipeline::onMessage, d.get(), nullptr);
    gst_object_unref(bus);
    std::thread([held = d] { held->run(); }).detach();
}

PipeWireFrames::~PipeWireFrames()
{
    if (!d)
        return;
    *d->alive = false;
    {
        std::lock_guard lock(d->mutex);
        d->sink = {};
        d->stopping = true;
    }
    d->wake.notify_all();
    // A start still waiting for its link holds the pipeline's state lock: tear down beside it.
    std::thread([last = std::move(d)]() mutable { last.reset(); }).detach();
}

bool PipeWireFrames::isRunning() const
{
    return d != nullptr;
}
