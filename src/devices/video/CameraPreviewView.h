#pragma once

#include <QImage>
#include <QVideoFrame>
#include <QWidget>

#include <mutex>

class QVideoSink;

// The live camera picture. Frames arrive through videoSink() from any thread
// (the camera, or a test's frame source) into a lock-protected latest-frame
// slot; the view repaints on the main thread.
//
// Mirror mode YES shows the picture as a mirror does (the user's raised right
// hand on the right), NO as the camera sees it. Fill mode YES fills the view
// and crops (aspect fill), NO fits the whole picture with black bars (aspect fit).
class CameraPreviewView final : public QWidget {
    Q_OBJECT
public:
    explicit CameraPreviewView(QWidget *parent = nullptr);
    ~CameraPreviewView() override;

    // Where frames go; nullptr until Qt Multimedia answers without waiting for the sound server
    // (MediaBackend), made then on first request.
    [[nodiscard]] QVideoSink *videoSink();

    void setMirrorMode(bool mirror);
    void setFillMode(bool fill);
    [[nodiscard]] bool mirrorMode() const { return m_mirror; }
    [[nodiscard]] bool fillMode() const { return m_fill; }

    // Drops the last picture (the preview stopped).
    void clear();
    [[nodiscard]] bool hasFrame() const;

    // Where a picture of imageSize lands in a view of viewSize (before mirroring).
    [[nodiscard]] static QRectF targetRect(const QSizeF &imageSize, const QSizeF &viewSize, bool fill);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void takeFrame(const QVideoFrame &frame);

    QVideoSink *m_sink = nullptr;
    QMetaObject::Connection m_frames;
    bool m_mirror = true;
    bool m_fill = false;
    mutable std::mutex m_frameMutex;
    QVideoFrame m_frame;
    bool m_repaintQueued = false;
};
