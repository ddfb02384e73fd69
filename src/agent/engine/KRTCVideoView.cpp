#include "KRTCVideoView.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {
std::atomic<bool> g_previewMirror{true};
}

KRTCVideoView::KRTCVideoView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

KRTCVideoView::~KRTCVideoView() = default;

void KRTCVideoView::renderFrame(const KRTCVideoFrame &frame, bool isSelf)
{
    if (frame.isNull())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_frame = frame;
        m_frameIsSelf = isSelf;
    }
    scheduleRepaint();
}

void KRTCVideoView::setKrtcContentMode(int mode)
{
    const int fixed = mode == ContentModeFill ? ContentModeFill : ContentModeFit;
    if (m_contentMode.exchange(fixed) != fixed)
        scheduleRepaint();
}

void KRTCVideoView::setPreviewMirror(bool mirror)
{
    g_previewMirror.store(mirror);
}

bool KRTCVideoView::previewMirror()
{
    return g_previewMirror.load();
}

void KRTCVideoView::setOverlay(Overlay overlay)
{
    m_overlay = std::move(overlay);
    update();
}

void KRTCVideoView::clearFrame()
{
    {
        std::lock_guard lock(m_mutex);
        m_frame = {};
        m_frameIsSelf = false;
    }
    update();
}

bool KRTCVideoView::hasFrame() const
{
    std::lock_guard lock(m_mutex);
    return !m_frame.isNull();
}

KRTCVideoFrame KRTCVideoView::latestFrame() const
{
    std::lock_guard lock(m_mutex);
    return m_frame;
}

void KRTCVideoView::scheduleRepaint()
{
    // One queued repaint at a time: frames arriving faster than the screen paints collapse into
    // the latest one.
    if (m_repaintPending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_repaintPending.store(false);
            update();
        },
        Qt::QueuedConnection);
}

void KRTCVideoView::paintEvent(QPaintEvent *event)
{
    QImage image;
    bool isSelf = false;
    {
        std::lock_guard lock(m_mutex);
        image = m_frame.image;
        isSelf = m_frameIsSelf;
    }
    QPainter painter(this);
    if (!image.isNull() && width() > 0 && height() > 0) {
        // Black only where the picture leaves the view uncovered (a whole-view fill per frame
        // costs as much as the picture).
        const QRectF dest = pictureRect(image.size());
        const QRect covered(QPoint(int(std::ceil(dest.left())), int(std::ceil(dest.top()))),
                            QPoint(int(std::floor(dest.right())) - 1, int(std::floor(dest.bottom())) - 1));
        for (const QRect &bar : QRegion(rect()).subtracted(covered))
            painter.fillRect(bar, Qt::black);
        drawPicture(painter, image, isSelf);
    } else {
        painter.fillRect(rect(), Qt::black);
    }
    if (m_overlay) {
        painter.resetTransform();
        painter.setClipRect(event->rect());
        m_overlay(painter, event->rect());
    }
}

QRectF KRTCVideoView::pictureRect(const QSize &picture) const
{
    const QSize target = picture.scaled(size(), krtcContentMode() == ContentModeFill ? Qt::KeepAspectRatioByExpanding
                                                                                     : Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - target.width()) / 2.0, (height() - target.height()) / 2.0), target);
}

void KRTCVideoView::drawPicture(QPainter &painter, const QImage &image, bool isSelf) const
{
    painter.save();
    const QRectF dest = pictureRect(image.size());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    if (isSelf && previewMirror()) {
        painter.translate(width(), 0);
        painter.scale(-1, 1);
    }
    painter.drawImage(dest, image);
    painter.restore();
}
