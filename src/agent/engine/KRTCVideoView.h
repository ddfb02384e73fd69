#pragma once

#include "KRTCTypes.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <mutex>

// Draws a participant's video. renderFrame() may be called from ANY thread (the engine's render
// thread): it keeps the latest frame under a lock and schedules one repaint on the main thread.
// Everything else is main-thread only.
class KRTCVideoView final : public QWidget {
    Q_OBJECT
public:
    // Content modes of setKrtcContentMode.
    static constexpr int ContentModeFit = 1;  // whole picture, bars where the shapes differ
    static constexpr int ContentModeFill = 2; // covers the view, cropping the overflow

    explicit KRTCVideoView(QWidget *parent = nullptr);
    ~KRTCVideoView() override;

    // isSelf: the own camera, drawn mirrored while the preview mirror is on. Frames come
    // unmirrored from the engine (as they are sent). The picture is scaled here, once, to the
    // size it is drawn at, so a paint only copies it and a large frame is not kept.
    void renderFrame(const KRTCVideoFrame &frame, bool isSelf);
    // Stopped: the frame is dropped and frames still on their way are refused until the video
    // starts again (main thread), so a tile nobody sees holds no picture.
    void setVideoStopped(bool stopped);
    [[nodiscard]] bool videoStopped() const { return m_stopped.load(); }
    // Off screen (a tile scrolled out of sight, kept receiving to be ready when it comes back):
    // frames are kept as they come, neither scaled nor painted. Back on screen, the latest one is
    // scaled once and painted (main thread). On screen by default.
    void setOnScreen(bool onScreen);
    [[nodiscard]] bool onScreen() const { return m_onScreen.load(); }
    // Any thread; an unknown mode is taken as fit.
    void setKrtcContentMode(int mode);
    [[nodiscard]] int krtcContentMode() const { return m_contentMode.load(); }
    // Preview mirror of every view, set by the engine's previewMirror() (on by default: a
    // mirror is what people expect of their own picture). Any thread.
    static void setPreviewMirror(bool mirror);
    [[nodiscard]] static bool previewMirror();

    // What is drawn above the picture in the same paint (main thread): a tile's name bar and
    // buttons, so a frame costs one paint and never repaints the widgets of an overlay. dirty is
    // the part being painted. Empty: nothing.
    using Overlay = std::function<void(QPainter &painter, const QRect &dirty)>;
    void setOverlay(Overlay overlay);

    // Drops the frame; the view shows its background again (main thread).
    void clearFrame();
    [[nodiscard]] bool hasFrame() const;
    [[nodiscard]] KRTCVideoFrame latestFrame() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void scheduleRepaint();
    // Where a picture of that size goes: centred, fitted or filling by the content mode.
    [[nodiscard]] QRectF pictureRect(const QSize &picture) const;
    [[nodiscard]] static QSizeF pictureSize(const QSize &picture, const QSizeF &view, int mode);
    // The view's size in device pixels, for the render thread.
    void storeDeviceSize();
    void drawPicture(QPainter &painter, const QImage &image, bool isSelf) const;

    // The frame as it is drawn, scaled for the view.
    [[nodiscard]] KRTCVideoFrame scaledForView(const KRTCVideoFrame &frame) const;

    mutable std::mutex m_mutex;
    KRTCVideoFrame m_frame;     // guarded by m_mutex
    KRTCVideoFrame m_unseen;    // guarded by m_mutex: the latest frame that came off screen
    quint64 m_frameCount = 0;   // guarded by m_mutex: frames scaled as they came
    bool m_frameIsSelf = false; // guarded by m_mutex
    std::atomic<int> m_contentMode{ContentModeFit};
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_onScreen{true};
    std::atomic<quint64> m_deviceSize{0}; // width << 32 | height; 0 until laid out
    std::atomic<qreal> m_deviceRatio{1.0};
    std::atomic<bool> m_repaintPending{false};
    Overlay m_overlay; // main thread
};
