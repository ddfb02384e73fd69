#pragma once

#include "DesktopCaptureSource.h"

#include <QSize>

#include <memory>

// The frames of one PipeWire node, read over an already connected remote (the descriptor the
// desktop portal hands out) with GStreamer's pipewiresrc: converted to Format_RGB32, at most
// fps a second, fitted into size (the node's own size when empty) on the streaming thread and
// handed to the sink there. The sink's onEnded runs once, on the main thread, when the stream
// breaks, ends or never starts. Destroying the reader stops the frames at once; the pipeline
// is started and torn down on threads of its own, as PipeWire's start waits for the link.
class PipeWireFrames final {
public:
    // remoteFd stays the caller's; it must stay open while the reader lives.
    PipeWireFrames(int remoteFd, quint32 nodeId, QSize size, int fps, DesktopCaptureSink sink);
    ~PipeWireFrames();
    PipeWireFrames(const PipeWireFrames &) = delete;
    PipeWireFrames &operator=(const PipeWireFrames &) = delete;

    // False when the pipeline could not be built (the sink is never called).
    [[nodiscard]] bool isRunning() const;

    struct Pipeline;

private:
    std::shared_ptr<Pipeline> d;
};
