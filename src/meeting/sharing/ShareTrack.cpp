#include "meeting/sharing/ShareTrack.h"

#include "agent/engine/DesktopCaptureSource.h"
#include "foundation/KVClock.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QScreen>

#include <chrono>

namespace {
QPointer<ShareTrack> g_track;

// The capture speaks device pixels of the desktop; our windows are placed in Qt's units.
QRect fromDevice(const QRect &r)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    if (qFuzzyCompare(ratio, 1.0))
        return r;
    return QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio).toAlignedRect();
}
} // namespace

const QColor ShareBorderWindow::kBorderColor(0x34, 0xC7, 0x59);

ShareBorderWindow::ShareBorderWindow(bool onTop)
    // No window manager handles it: it is stacked where we put it, never framed or focused.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           (onTop ? Qt::WindowStaysOnTopHint : Qt::Widget))
{
    setObjectName(QStringLiteral("ShareBorderWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("共享边框"));
}

void ShareBorderWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kBorderColor);
}

void ShareBorderWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect all = rect();
    setMask(QRegion(all).subtracted(QRegion(all.adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth))));
}

bool ShareTrack::startWithModel(const DesktopCaptureSnapshotModel &model)
{
    stop();
    const std::shared_ptr<DesktopCaptureSource> desktop = DesktopCaptureSource::current();
    if (model.type == DesktopCaptureSnapshotModel::Window && !desktop->windowBounds(model.id))
        return false;
    g_track = new ShareTrack(model);
    return true;
}

void ShareTrack::stop()
{
    if (ShareTrack *track = g_track) {
        g_track = nullptr;
        delete track;
    }
}

ShareTrack *ShareTrack::current()
{
    return g_track;
}

QRect ShareTrack::matchedScreenGeometry(const DesktopCaptureSnapshotModel &model)
{
    if (model.type != DesktopCaptureSnapshotModel::Window) {
        if (const std::optional<QRect> bounds = DesktopCaptureSource::current()->screenBounds(model.id))
            return fromDevice(*bounds);
    }
    QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry() : QRect();
}

ShareTrack::ShareTrack(const DesktopCaptureSnapshotModel &model)
    : m_isScreen(model.type == DesktopCaptureSnapshotModel::Screen)
{
    if (!m_isScreen)
        setTrackWindowId(model.id);
    // The portal's compositor marks the shared content itself.
    if (DesktopCaptureSource::current()->usesPortal())
        return;
    m_borderWindow = new ShareBorderWindow(m_isScreen);
    // The ring is never part of a captured picture.
    m_borderWindow->winId();
    DesktopCaptureSource::current()->excludeFromCapture(m_borderWindow->windowHandle());
    if (m_isScreen) {
        m_borderWindow->setGeometry(matchedScreenGeometry(model));
        m_borderWindow->show();
        return;
    }
    m_trackTimer = KVTimer::repeating(this, std::chrono::milliseconds(kFollowIntervalMs), [this] { refreshFrame(); });
}

ShareTrack::~ShareTrack()
{
    stopTrackTimer();
    if (m_borderWindow) {
        DesktopCaptureSource::current()->includeInCapture(m_borderWindow->windowHandle());
        delete m_borderWindow;
    }
}

void ShareTrack::setTrackWindowId(qint64 windowId)
{
    m_trackWindowId = windowId;
    DesktopCaptureSource::current()->raiseWindowOwner(windowId);
}

void ShareTrack::stopTrackTimer()
{
    if (m_trackTimer)
        m_trackTimer->invalidate();
    m_trackTimer = nullptr;
}

void ShareTrack::refreshFrame()
{
    if (!m_borderWindow)
        return;
    const std::shared_ptr<DesktopCaptureSource> desktop = DesktopCaptureSource::current();
    const std::optional<QRect> reading = desktop->windowBounds(m_trackWindowId);
    // A window not shown (minimised, on another desktop) has bounds but no ring, as a closed one.
    if (!reading || !desktop->windowShown(m_trackWindowId)) {
        m_borderWindow->hide();
        return;
    }
    // Root coordinates as they are: the ring sits on the window on every monitor.
    const QRect bounds = fromDevice(*reading);
    const bool still = m_borderWindow->geometry() == bounds;
    m_borderWindow->setGeometry(bounds);
    if (still) {
        if (!m_borderWindow->isVisible())
            m_borderWindow->show();
        desktop->stackAbove(m_borderWindow->windowHandle(), m_trackWindowId);
    } else {
        m_borderWindow->hide();
    }
}
