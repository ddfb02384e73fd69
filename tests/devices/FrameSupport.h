#pragma once

#include "agent/engine/MediaBackend.h"
#include "devices/video/KVVideoFrameSource.h"

#include <QColor>
#include <QImage>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QVideoSink>

#include <cstring>

// Generated pictures for the preview path, and a frame source that plays the
// part of the cameras.
namespace FrameSupport {

// A preview takes frames once Qt Multimedia's back-ends exist (they are made off the main thread
// on first use, see MediaBackend): a test that feeds one waits for them first.
struct MediaReady {
    MediaReady() { MediaBackend::waitUntilReady(); }
};

// Left half `left`, right half `right`.
inline QImage halves(QSize size, const QColor &left, const QColor &right)
{
    QImage image(size, QImage::Format_RGBA8888);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y, x < size.width() / 2 ? left : right);
    }
    return image;
}

inline QVideoFrame frameOf(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGBA8888);
    QVideoFrame frame(QVideoFrameFormat(image.size(), QVideoFrameFormat::Format_RGBA8888));
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    const int rowBytes = image.width() * 4;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(frame.bits(0) + y * frame.bytesPerLine(0), image.constScanLine(y), static_cast<size_t>(rowBytes));
    frame.unmap();
    return frame;
}

// Near a colour, allowing for smoothing at edges.
inline bool near(const QColor &actual, const QColor &expected, int tolerance = 24)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

class FakeFrameSource final : public KVVideoFrameSource {
public:
    QList<KVVideoDevice> present;
    KVVideoDevice preferred;
    QImage picture = halves({64, 32}, Qt::red, Qt::blue);
    int starts = 0;
    KVVideoDevice started;
    QVideoSink *sink = nullptr;
    std::function<void()> changed;

    [[nodiscard]] QList<KVVideoDevice> devices() const override { return present; }
    [[nodiscard]] KVVideoDevice preferredDevice() const override { return preferred; }
    bool start(const KVVideoDevice &device, QVideoSink *target) override
    {
        ++starts;
        started = device;
        sink = target;
        sink->setVideoFrame(frameOf(picture));
        return true;
    }
    void stop() override { sink = nullptr; }
    [[nodiscard]] bool isRunning() const override { return sink != nullptr; }
    void setDevicesChangedHandler(std::function<void()> handler) override { changed = std::move(handler); }

    // Plugs cameras in or out and tells the manager, as Qt does.
    void replug(QList<KVVideoDevice> now)
    {
        present = std::move(now);
        if (changed)
            changed();
    }
};

inline KVVideoDevice camera(const QString &id, const QString &name)
{
    return KVVideoDevice::deviceUniqueID(id, name);
}

} // namespace FrameSupport
