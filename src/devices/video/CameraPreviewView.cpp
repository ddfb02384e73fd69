#include "devices/video/CameraPreviewView.h"

#include "agent/engine/MediaBackend.h"
#include "agent/engine/MediaSignals.h"

#include <QPainter>
#include <QVideoSink>

CameraPreviewView::CameraPreviewView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CameraPreviewView::~CameraPreviewView()
{
    // Before the members go: a frame may be on its way from the capture thread.
    QObject::disconnect(m_frames);
}

QVideoSink *CameraPreviewView::videoSink()
{
    // A sink is made by Qt Multimedia's back-end, which waits for the sound server until it exists.
    if (!m_sink && MediaBackend::isReady()) {
        m_sink = new QVideoSink(this);
        // Direct: the frame is stored on the delivering thread; only the repaint crosses.
        m_frames = MediaSignals::onVideoFrame(m_sink, this, [this](const QVideoFrame &frame) { takeFrame(frame); });
    }
    return m_sink;
}

void CameraPreviewView::takeFrame(const QVideoFrame &frame)
{
    bool queue = false;
    {
        std::lock_guard guard(m_frameMutex);
        m_frame = frame;
        queue = !m_repaintQueued;
        m_repaintQueued = true;
    }
    if (queue) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                {
                    std::lock_guard guard(m_frameMutex);
                    m_repaintQueued = false;
                }
                update();
            },
            Qt::QueuedConnection);
    }
}

void CameraPreviewView::setMirrorMode(bool mirror)
{
    if (m_mirror == mirror)
        return;
    m_mirror = mirror;
    update();
}

void CameraPreviewView::setFillMode(bool fill)
{
    if (m_fill == fill)
        return;
    m_fill = fill;
    update();
}

void CameraPreviewView::clear()
{
    {
        std::lock_guard guard(m_frameMutex);
        m_frame = QVideoFrame();
    }
    update();
}

bool CameraPreviewView::hasFrame() const
{
    std::lock_guard guard(m_frameMutex);
    return m_frame.isValid();
}

QRectF CameraPreviewView::targetRect(const QSizeF &imageSize, const QSizeF &viewSize, bool fill)
{
    if (imageSize.isEmpty() || viewSize.isEmpty())
        return {};
    const QSizeF scaled = imageSize.scaled(viewSize, fill ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio);
    return {QPointF((viewSize.width() - scaled.width()) / 2.0, (viewSize.height() - scaled.height()) / 2.0), scaled};
}

void CameraPreviewView::paintEvent(QPaintEvent *)
{
    QVideoFrame frame;
    {
        std::lock_guard guard(m_frameMutex);
        frame = m_frame;
    }
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame.isValid())
        return;
    const QImage image = frame.toImage();
    if (image.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    if (m_mirror) {
        painter.translate(width(), 0);
        painter.scale(-1, 1);
    }
    painter.drawImage(targetRect(image.size(), size(), m_fill), image);
}
