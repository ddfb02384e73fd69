#pragma once

#include "KRTCTypes.h"

#include <QWidget>

#include <atomic>
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
    // unmirrored from the engine (as they are sent).
    void renderFrame(const KRTCVideoFrame &frame, bool isSelf);
    // Any thread; an unknown mode is taken as fit.
    void setKrtcContentMode(int mode);
    [[nodiscard]] int krtcContentMode() const { return m_contentMode.load(); }
    // Preview mirror of every view, set by the engine's previewMirror() (on by default: a
    // mirror is what people expect of their own picture). Any thread.
    static void setPreviewMirror(bool mirror);
    [[nodiscard]] static bool previewMirror();

    // Drops the frame; the view shows its background again (main thread).
    void clearFrame();
    [[nodiscard]] bool hasFrame() const;
    [[nodiscard]] KRTCVideoFrame latestFrame() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void scheduleRepaint();

    mutable std::mutex m_mutex;
    KRTCVideoFrame m_frame;     // guarded by m_mutex
    bool m_frameIsSelf = false; // guarded by m_mutex
    std::atomic<int> m_contentMode{ContentModeFit};
    std::atomic<bool> m_repaintPending{false};
};
