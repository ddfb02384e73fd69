#pragma once

#include "DesktopCaptureSource.h"

#include <QSize>

#include <memory>

// The frames of one PipeWire node, read over an already connected remote (the descriptor the
// desktop portal hands out) with GStreamer's pipewiresrc. A portal sends a frame when the screen
// changes: frames are taken as they come, at most fps a second (the newest one when they come
// faster, never one twice), converted to Format_RGB32 and fitted into size (the node's own size
// when empty) on a thread of the reader's own, and handed to the sink there. The sink's onEnded
// runs once, on the main thread, when the stream breaks, ends, never starts, or stops flowing
// because its node went away. Destroying the reader stops the frames at once; the pipeline is
// started and torn down on threads of its own, as PipeWire's start waits for the link.
class PipeWireFrames final {
public:
    // remoteFd stays the caller's; it must stay open while the reader lives.
    PipeWireFrames(int remoteFd, quint32 nodeId, QSize size, int fps, DesktopCaptureSink sink);
    ~PipeWireFrames();
    PipeWireFrames(const PipeWireFrames &) = delete;
    PipeWireFrames &operator=(const PipeWireFrames &) = delete;

    // False when the pipeline could not be built (the sink is never called).
    [[nodiscard]] bool isRunning() const;

    // How long a stream may be quiet before the reader asks whether its source still flows.
    static constexpr int kQuietCheckMs = 1000;

    struct Pipeline;

private:
    std::shared_ptr<Pipeline> d;
};
