#pragma once

// What a player sees in a recorded file, and real time passing for a recording.

#include "TestEvents.h"

#include <QElapsedTimer>
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

// A recording needs real time to pass; the event loop runs meanwhile.
inline void recordFor(int ms)
{
    QElapsedTimer elapsed;
    elapsed.start();
    processEventsUntil([&] { return elapsed.elapsed() >= ms; }, ms + 1000);
}
