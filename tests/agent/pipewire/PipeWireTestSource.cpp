// A screen as the desktop portal's PipeWire node offers it, for the tests: a video source of
// variable rate (framerate 0/1) that sends a frame only when its picture changes. Solid colour
// with the frame's number in the top-left 16 x 16 block (red = low byte, green = high byte) and a
// band along the top edge, right of it, that moves with each frame.
//
//   pipewire_test_source <width> <height> <argb> <node name>
//   stdin:  rate <n>   n changed frames a second from now on (0: the picture stays still)
//           frame      one changed frame now
//   stdout: "ready" once the node is there; the daemon comes from PIPEWIRE_RUNTIME_DIR.
// Ending the process removes the node.

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Source {
    GstElement *pipeline = nullptr;
    GstAppSrc *appsrc = nullptr;
    int width = 0;
    int height = 0;
    guint32 colour = 0;
    guint32 frame = 0;
    guint timer = 0;
    GMainLoop *loop = nullptr;
};

void push(Source &s)
{
    const gsize stride = gsize(s.width) * 4;
    GstBuffer *buffer = gst_buffer_new_allocate(nullptr, stride * gsize(s.height), nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    auto *pixels = reinterpret_cast<guint32 *>(map.data);
    const guint32 number = 0xff000080u | ((s.frame & 0xffu) << 16) | (((s.frame >> 8) & 0xffu) << 8);
    const int band = std::max(1, s.height / 24);
    const int bandX = 16 + int((s.frame * 13u) % guint32(std::max(1, s.width - 48)));
    for (int y = 0; y < s.height; ++y) {
        guint32 *line = pixels + gsize(y) * gsize(s.width);
        for (int x = 0; x < s.width; ++x)
            line[x] = s.colour;
        if (y < 16)
            for (int x = 0; x < std::min(16, s.width); ++x)
                line[x] = number;
        if (y < band)
            for (int x = bandX; x < std::min(s.width, bandX + 32); ++x)
                line[x] = 0xffffffffu;
    }
    gst_buffer_unmap(buffer, &map);
    ++s.frame;
    gst_app_src_push_buffer(s.appsrc, buffer);
}

gboolean onTick(gpointer data)
{
    push(*static_cast<Source *>(data));
    return G_SOURCE_CONTINUE;
}

gboolean onInput(GIOChannel *channel, GIOCondition, gpointer data)
{
    auto &s = *static_cast<Source *>(data);
    gchar *line = nullptr;
    if (g_io_channel_read_line(channel, &line, nullptr, nullptr, nullptr) != G_IO_STATUS_NORMAL) {
        g_main_loop_quit(s.loop);
        return G_SOURCE_REMOVE;
    }
    const std::string command = line ? g_strstrip(line) : "";
    g_free(line);
    if (command == "frame") {
        push(s);
    } else if (command.rfind("rate ", 0) == 0) {
        if (s.timer)
            g_source_remove(s.timer);
        s.timer = 0;
        const int rate = std::atoi(command.c_str() + 5);
        if (rate > 0)
            s.timer = g_timeout_add(guint(1000 / rate), &onTick, &s);
    }
    return G_SOURCE_CONTINUE;
}

} // namespace

int main(int argc, char **argv)
{
    gst_init(&argc, &argv);
    if (argc < 5)
        return 2;
    Source s;
    s.width = std::atoi(argv[1]);
    s.height = std::atoi(argv[2]);
    s.colour = guint32(std::strtoul(argv[3], nullptr, 0));
    const std::string description =
        // videoconvert (a pass-through here) asks pipewiresink for its buffers, which the PipeWire
        // daemon then shares; straight from appsrc the link fails.
        "appsrc name=screen is-live=true do-timestamp=true format=time ! videoconvert ! pipewiresink mode=provide "
        "stream-properties=\"props,node.name=" +
        std::string(argv[4]) + ",media.class=Video/Source\"";
    GError *error = nullptr;
    s.pipeline = gst_parse_launch(description.c_str(), &error);
    if (!s.pipeline || error) {
        std::fprintf(stderr, "%s\n", error ? error->message : "no pipeline");
        return 3;
    }
    s.appsrc = GST_APP_SRC(gst_bin_get_by_name(GST_BIN(s.pipeline), "screen"));
    GstCaps *caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT, s.width,
                                        "height", G_TYPE_INT, s.height, "framerate", GST_TYPE_FRACTION, 0, 1,
                                        "max-framerate", GST_TYPE_FRACTION, 60, 1, nullptr);
    gst_app_src_set_caps(s.appsrc, caps);
    gst_caps_unref(caps);
    s.loop = g_main_loop_new(nullptr, FALSE);
    GIOChannel *input = g_io_channel_unix_new(0);
    g_io_add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), &onInput, &s);
    if (gst_element_set_state(s.pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return 4;
    // The first picture sets the sink's format and buffer needs before anyone links, as a portal's
    // node offers them; a link made earlier gets buffers of no known kind and the sink crashes.
    push(s);
    std::printf("ready\n");
    std::fflush(stdout);
    g_main_loop_run(s.loop);
    gst_element_set_state(s.pipeline, GST_STATE_NULL);
    gst_object_unref(s.appsrc);
    gst_object_unref(s.pipeline);
    g_io_channel_unref(input);
    g_main_loop_unref(s.loop);
    return 0;
}
