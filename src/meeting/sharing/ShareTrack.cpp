#include "meeting/sharing/ShareTrack.h"

#include "foundation/KVClock.h"
#include "meeting/sharing/ShareTrackDesktop.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QScreen>

#include <chrono>

namespace {
QPointer<ShareTrack> g_track;
} // namespace

const QColor ShareBorderWindow::kBorderColor(0x34, 0xC7, 0x59);

ShareBorderWindow::ShareBorderWindow(bool onTop)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | (onTop ? Qt::WindowStaysOnTopHint : Qt::Widget))
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
    const std::shared_ptr<ShareTrackDesktop> desktop = ShareTrackDesktop::current();
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
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (model.type != DesktopCaptureSnapshotModel::Window && model.id >= 0 && model.id < screens.size())
        return screens.at(int(model.id))->geometry();
    QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry() : QRect();
}

ShareTrack::ShareTrack(const DesktopCaptureSnapshotModel &model)
    : m_isScreen(model.type == DesktopCaptureSnapshotModel::Screen)
{
    if (!m_isScreen)
        setTrackWindowId(model.id);
    // The portal's compositor marks the shared content itself.
    if (!ShareTrackDesktop::current()->drawsBorder())
        return;
    m_borderWindow = new ShareBorderWindow(m_isScreen);
    if (m_isScreen) {
        m_borderWindow->setGeometry(matchedScreenGeometry(model));
        m_borderWindow->show();
        m_borderWindow->lower();
        return;
    }
    m_trackTimer = KVTimer::repeating(this, std::chrono::milliseconds(kFollowIntervalMs), [this] { refreshFrame(); });
}

ShareTrack::~ShareTrack()
{
    stopTrackTimer();
    delete m_borderWindow;
}

void ShareTrack::setTrackWindowId(qint64 windowId)
{
    m_trackWindowId = windowId;
    ShareTrackDesktop::current()->raiseOwner(windowId);
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
    const std::shared_ptr<ShareTrackDesktop> desktop = ShareTrackDesktop::current();
    const std::optional<QRect> bounds = desktop->windowBounds(m_trackWindowId);
    if (!bounds) {
        m_borderWindow->hide();
        return;
    }
    // Root coordinates as they are: the ring sits on the window on every monitor.
    const bool still = m_borderWindow->geometry() == *bounds;
    m_borderWindow->setGeometry(*bounds);
    if (still) {
        if (!m_borderWindow->isVisible())
            m_borderWindow->show();
        desktop->stackAbove(m_borderWindow, m_trackWindowId);
    } else {
        m_borderWindow->hide();
    }
}
