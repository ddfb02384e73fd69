#pragma once

// What a player sees in a recorded file, and real time passing for a recording.

#include "TestEvents.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QUrl>

#include <gst/pbutils/pbutils.h>

struct RecordedMedia {
    int video = 0;
    int audio = 0;
    double seconds = 0;
};

inline RecordedMedia discover(const QString &path)
{
    RecordedMedia media;
    GstDiscoverer *discoverer = gst_discoverer_new(10 * GST_SECOND, nullptr);
    GstDiscovererInfo *info =
        gst_discoverer_discover_uri(discoverer, QUrl::fromLocalFile(path).toEncoded().constData(), nullptr);
    if (info && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        GList *video = gst_discoverer_info_get_video_streams(info);
        GList *audio = gst_discoverer_info_get_audio_streams(info);
        media.video = int(g_list_length(video));
        media.audio = int(g_list_length(audio));
        media.seconds = double(gst_discoverer_info_get_duration(info)) / GST_SECOND;
        gst_discoverer_stream_info_list_free(video);
        gst_discoverer_stream_info_list_free(audio);
    }
    if (info)
        g_object_unref(info);
    g_object_unref(discoverer);
    return media;
}

// Seconds the file's first track of a kind ("audio" or "video") holds: the sum of its samples'
// durations, so what was lost on the way is missing here even when the track's timestamps span
// the whole recording.
inline double trackSeconds(const QString &path, const char *kind)
{
    GstElement *pipeline = gst_parse_launch(
        QStringLiteral("filesrc name=file ! qtdemux name=demux demux.%1_0 ! fakesink name=sound sync=false")
            .arg(QLatin1String(kind))
            .toUtf8()
            .constData(),
        nullptr);
    if (!pipeline)
        return 0;
    GstElement *file = gst_bin_get_by_name(GST_BIN(pipeline), "file");
    g_object_set(file, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(file);
    GstElement *sound = gst_bin_get_by_name(GST_BIN(pipeline), "sound");
    GstPad *pad = gst_element_get_static_pad(sound, "sink");
    GstClockTime total = 0;
    gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad *, GstPadProbeInfo *info, gpointer sum) {
            const GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info);
            if (GST_BUFFER_DURATION_IS_VALID(buffer))
                *static_cast<GstClockTime *>(sum) += GST_BUFFER_DURATION(buffer);
            return GST_PAD_PROBE_OK;
        },
        &total, nullptr);
    gst_object_unref(pad);
    gst_object_unref(sound);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *end =
        gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool whole = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return whole ? double(total) / GST_SECOND : 0;
}

inline double soundSeconds(const QString &path)
{
    return trackSeconds(path, "audio");
}

// A recording needs real time to pass; the event loop runs meanwhile.
inline void recordFor(int ms)
{
    QElapsedTimer elapsed;
    elapsed.start();
    processEventsUntil([&] { return elapsed.elapsed() >= ms; }, ms + 1000);
}
