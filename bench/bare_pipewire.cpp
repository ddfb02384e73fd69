// The yardstick of the Wayland share: a bare program that reads the frames of a PipeWire node with
// pipewiresrc into an appsink, taking the newest one at most fps times a second, and nothing
// else; with a size, it also scales each frame it takes to that size with GStreamer's scaler
// (linear, two taps), the stream's picture the client makes. It links its own stream to the
// source (the test PipeWire has no session manager).
//
//   bare_pipewire <source node name> <fps> <seconds> [<width>x<height>]
//   PIPEWIRE_RUNTIME_DIR names the daemon. Prints "cpu=<share of one core> frames=<a second>".

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6 + double(usage.ru_stime.tv_sec) +
           double(usage.ru_stime.tv_usec) / 1e6;
}

bool link(const std::string &source)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string from = source + ":out_0";
        execlp("pw-link", "pw-link", from.c_str(), "bare-share:in_0", static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    gst_init(&argc, &argv);
    if (argc < 4)
        return 2;
    const std::string source = argv[1];
    const auto period = std::chrono::microseconds(1000000 / std::max(1, std::atoi(argv[2])));
    const double seconds = std::atof(argv[3]);
    int fitWidth = 0;
    int fitHeight = 0;
    if (argc > 4)
        std::sscanf(argv[4], "%dx%d", &fitWidth, &fitHeight);
    GstVideoConverter *converter = nullptr;
    GstVideoInfo out;
    std::vector<unsigned char> picture;
    GError *error = nullptr;
    GstElement *pipeline =
        gst_parse_launch("pipewiresrc client-name=bare stream-properties=\"props,node.name=bare-share\""
                         " ! appsink name=frames max-buffers=1 drop=true sync=false enable-last-sample=false",
                         &error);
    if (!pipeline || error)
        return 3;
    GstAppSink *frames = GST_APP_SINK(gst_bin_get_by_name(GST_BIN(pipeline), "frames"));
    std::thread start([pipeline] { gst_element_set_state(pipeline, GST_STATE_PLAYING); });
    // Linked a moment after the stream appears, as a session manager does (and the client's
    // portal in the benchmark): the test source does not take a link while its stream is new.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    for (int i = 0; i < 100 && !link(source); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    start.join();

    // As long as the client warms up, then measured.
    const auto warm = Clock::now() + std::chrono::seconds(2);
    double cpu = 0;
    Clock::time_point from;
    long taken = 0;
    bool measuring = false;
    for (;;) {
        const auto now = Clock::now();
        if (!measuring && now >= warm) {
            measuring = true;
            cpu = cpuSeconds();
            from = now;
            taken = 0;
        }
        if (measuring && now - from >= std::chrono::duration<double>(seconds))
            break;
        GstSample *sample = gst_app_sink_try_pull_sample(frames, 100 * GST_MSECOND);
        if (!sample)
            continue;
        GstBuffer *buffer = gst_sample_get_buffer(sample);
        GstVideoInfo in;
        GstVideoFrame frame;
        if (buffer && gst_video_info_from_caps(&in, gst_sample_get_caps(sample)) &&
            gst_video_frame_map(&frame, &in, buffer, GST_MAP_READ)) {
            if (fitWidth > 0 && fitHeight > 0) {
                if (!converter) {
                    gst_video_info_set_format(&out, GST_VIDEO_INFO_FORMAT(&in), guint(fitWidth), guint(fitHeight));
                    GST_VIDEO_INFO_FPS_N(&out) = GST_VIDEO_INFO_FPS_N(&in);
                    GST_VIDEO_INFO_FPS_D(&out) = GST_VIDEO_INFO_FPS_D(&in);
                    converter = gst_video_converter_new(
                        &in, &out,
                        gst_structure_new("GstVideoConverter", GST_VIDEO_CONVERTER_OPT_RESAMPLER_METHOD,
                                          GST_TYPE_VIDEO_RESAMPLER_METHOD, GST_VIDEO_RESAMPLER_METHOD_LINEAR,
                                          GST_VIDEO_CONVERTER_OPT_RESAMPLER_TAPS, G_TYPE_UINT, 2u, nullptr));
                    picture.resize(GST_VIDEO_INFO_SIZE(&out));
                }
                GstBuffer *wrapped = gst_buffer_new_wrapped_full(GstMemoryFlags(0), picture.data(), picture.size(), 0,
                                                                 picture.size(), nullptr, nullptr);
                GstVideoFrame to;
                if (gst_video_frame_map(&to, &out, wrapped, GST_MAP_WRITE)) {
                    gst_video_converter_frame(converter, &frame, &to);
                    gst_video_frame_unmap(&to);
                }
                gst_buffer_unref(wrapped);
            }
            gst_video_frame_unmap(&frame);
        }
        gst_sample_unref(sample);
        ++taken;
        std::this_thread::sleep_until(now + period);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - from).count();
    std::printf("cpu=%.5f frames=%.2f\n", (cpuSeconds() - cpu) / wall, double(taken) / wall);
    std::fflush(stdout);
    if (converter)
        gst_video_converter_free(converter);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(frames);
    gst_object_unref(pipeline);
    return 0;
}
