#include "KRTCVideoView.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {
std::atomic<bool> g_previewMirror{true};

// Bilinear, as a smooth paint scales: a filtering scale costs several times as much per frame.
QImage scaledForView(const QImage &image, const QSize &target)
{
    QImage out(target, QImage::Format_RGB32);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRect(QPoint(0, 0), target), image);
    return out;
}
} // namespace

KRTCVideoView::KRTCVideoView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

KRTCVideoView::~KRTCVideoView() = default;

void KRTCVideoView::renderFrame(const KRTCVideoFrame &frame, bool isSelf)
{
    if (frame.isNull() || m_stopped.load())
        return;
    if (!m_onScreen.load()) {
        // Nobody sees it: kept as it came (no copy), scaled only if the view comes back first.
        std::lock_guard lock(m_mutex);
        if (!m_stopped.load() && !m_onScreen.load()) {
            m_unseen = frame;
            m_frameIsSelf = isSelf;
            return;
        }
    }
    // Scaled on the producing thread, once a frame, instead of by every paint.
    KRTCVideoFrame shown = scaledForView(frame);
    {
        std::lock_guard lock(m_mutex);
        // A stop between the check and here wins: its frame is not kept.
        if (m_stopped.load())
            return;
        m_frame = std::move(shown);
        ++m_frameCount;
        m_unseen = {};
        m_frameIsSelf = isSelf;
    }
    scheduleRepaint();
}

KRTCVideoFrame KRTCVideoView::scaledForView(const KRTCVideoFrame &frame) const
{
    KRTCVideoFrame shown = frame;
    const quint64 packed = m_deviceSize.load();
    const QSizeF device(double(packed >> 32), double(packed & 0xffffffffU));
    if (!device.isEmpty()) {
        const QSizeF fitted = pictureSize(frame.image.size(), device, m_contentMode.load());
        const QSize target(qMax(1, qRound(fitted.width())), qMax(1, qRound(fitted.height())));
        if (target != frame.image.size())
            shown.image = ::scaledForView(frame.image, target);
        shown.image.setDevicePixelRatio(m_deviceRatio.load());
    }
    return shown;
}

void KRTCVideoView::setOnScreen(bool onScreen)
{
    if (m_onScreen.exchange(onScreen) == onScreen || !onScreen)
        return;
    KRTCVideoFrame unseen;
    quint64 count = 0;
    {
        std::lock_guard lock(m_mutex);
        unseen = std::exchange(m_unseen, {});
        count = m_frameCount;
    }
    if (unseen.isNull())
        return;
    storeDeviceSize();
    KRTCVideoFrame shown = scaledForView(unseen);
    {
        std::lock_guard lock(m_mutex);
        // A newer frame that came meanwhile (scaled on its own thread) wins.
        if (m_stopped.load() || m_frameCount != count)
            return;
        m_frame = std::move(shown);
    }
    update();
}

void KRTCVideoView::setVideoStopped(bool stopped)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped.exchange(stopped) == stopped)
            return;
        if (stopped) {
            m_frame = {};
            m_unseen = {};
            m_frameIsSelf = false;
        }
    }
    update();
}

void KRTCVideoView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    storeDeviceSize();
}

void KRTCVideoView::storeDeviceSize()
{
    const qreal ratio = devicePixelRatioF();
    const QSize device = (QSizeF(size()) * ratio).toSize();
    m_deviceRatio.store(ratio);
    m_deviceSize.store(device.isEmpty() ? 0 : (quint64(device.width()) << 32) | quint64(device.height()));
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
        m_unseen = {};
        m_frameIsSelf = false;
    }
    update();
}

bool KRTCVideoView::hasFrame() const
{
    std::lock_guard lock(m_mutex);
    return !m_frame.isNull() || !m_unseen.isNull();
}

KRTCVideoFrame KRTCVideoView::latestFrame() const
{
    std::lock_guard lock(m_mutex);
    return m_unseen.isNull() ? m_frame : m_unseen;
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
    // A view shown or resized before its first frame: the next frame comes at this size.
    storeDeviceSize();
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

QSizeF KRTCVideoView::pictureSize(const QSize &picture, const QSizeF &view, int mode)
{
    return QSizeF(picture).scaled(view, mode == ContentModeFill ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio);
}

QRectF KRTCVideoView::pictureRect(const QSize &picture) const
{
    // A frame scaled for this view carries its device pixel ratio: its logical size is its place.
    const QSizeF target = pictureSize(picture, QSizeF(size()), krtcContentMode());
    return QRectF(QPointF((width() - target.width()) / 2.0, (height() - target.height()) / 2.0), target);
}

void KRTCVideoView::drawPicture(QPainter &painter, const QImage &image, bool isSelf) const
{
    painter.save();
    const QRectF dest = pictureRect(image.size());
    painter.setClipRect(rect());
    if (isSelf && previewMirror()) {
        painter.translate(width(), 0);
        painter.scale(-1, 1);
    }
    const qreal ratio = image.devicePixelRatio();
    if (qAbs(dest.width() * ratio - image.width()) < 1.0 && qAbs(dest.height() * ratio - image.height()) < 1.0) {
        // Scaled for this view when it was produced: a copy, no scaling.
        painter.drawImage(QPointF(std::round(dest.left()), std::round(dest.top())), image);
    } else {
        // Sized for another view size (a resize since): scaled until the next frame.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(dest, image);
    }
    painter.restore();
}
