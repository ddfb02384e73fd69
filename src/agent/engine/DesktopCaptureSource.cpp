#include "DesktopCaptureSource.h"

#include "DesktopCaptureBackends.h"

#include "foundation/KVClock.h"

#include <QGuiApplication>
#include <QObject>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

#include <chrono>
#include <mutex>

namespace {
std::mutex g_mutex;
std::shared_ptr<DesktopCaptureSource> g_source;

// The fallback stream: grabs on the main thread at the option's rate through the project clock.
class PollingStream final : public DesktopCaptureStream {
public:
    PollingStream(const DesktopCaptureSource &source, const KRTCScreenOption &option, DesktopCaptureSink sink)
        : m_source(source), m_option(option), m_sink(std::move(sink))
    {
        const int fps = qBound(1, option.m_nFPS(), 60);
        m_timer = KVTimer::repeating(&m_owner, std::chrono::milliseconds(1000 / fps), [this] { tick(); });
    }

private:
    void tick()
    {
        const QImage picture = m_source.grab(m_option.m_eType(), m_option.m_ScreenOrWindowId());
        if (picture.isNull()) {
            m_timer->invalidate();
            if (m_sink.onEnded)
                m_sink.onEnded(QStringLiteral("source gone"));
            return;
        }
        if (m_sink.onFrame)
            m_sink.onFrame(DesktopCaptureSource::fitFrame(picture, QSize(m_option.m_nWidth(), m_option.m_nHeight())));
    }

    const DesktopCaptureSource &m_source;
    KRTCScreenOption m_option;
    DesktopCaptureSink m_sink;
    QObject m_owner;
    QPointer<KVTimer> m_timer;
};
} // namespace

std::shared_ptr<DesktopCaptureSource> DesktopCaptureSource::current()
{
    std::lock_guard lock(g_mutex);
    if (!g_source)
        g_source = DesktopCaptureBackends::create();
    return g_source;
}

void DesktopCaptureSource::setCurrent(std::shared_ptr<DesktopCaptureSource> source)
{
    std::lock_guard lock(g_mutex);
    g_source = std::move(source);
}

std::optional<QRect> DesktopCaptureSource::windowBounds(qint64) const
{
    return std::nullopt;
}

std::optional<QRect> DesktopCaptureSource::screenBounds(qint64) const
{
    return std::nullopt;
}

bool DesktopCaptureSource::raiseWindowOwner(qint64)
{
    return false;
}

bool DesktopCaptureSource::stackAbove(QWindow *, qint64)
{
    return false;
}

void DesktopCaptureSource::excludeFromCapture(QWindow *) {}

void DesktopCaptureSource::includeInCapture(QWindow *) {}

std::unique_ptr<DesktopCaptureStream> DesktopCaptureSource::openStream(const KRTCScreenOption &option,
                                                                       DesktopCaptureSink sink)
{
    if (grab(option.m_eType(), option.m_ScreenOrWindowId()).isNull())
        return nullptr;
    return std::make_unique<PollingStream>(*this, option, std::move(sink));
}

QImage DesktopCaptureSource::fitFrame(const QImage &picture, QSize target)
{
    if (picture.isNull())
        return {};
    if (target.isEmpty() || picture.size() == target)
        return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage frame(target, QImage::Format_RGB32);
    frame.fill(Qt::black);
    const QSize fitted = picture.size().scaled(target, Qt::KeepAspectRatio);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(
        QRect(QPoint((target.width() - fitted.width()) / 2, (target.height() - fitted.height()) / 2), fitted), picture);
    return frame;
}

QList<KRTCDesktopSource> QtDesktopCaptureSource::screens(QSize thumbnailSize) const
{
    QList<KRTCDesktopSource> result;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (qsizetype i = 0; i < all.size(); ++i) {
        KRTCDesktopSource source;
        source.sourceId = i;
        source.type = KRTCScreenOption::TypeScreen;
        source.title = QStringLiteral("桌面 %1").arg(i + 1);
        if (thumbnailSize.isValid() && !thumbnailSize.isEmpty()) {
            const QImage shot = grab(KRTCScreenOption::TypeScreen, i);
            if (!shot.isNull())
                source.snapshot = shot.scaled(thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        result << source;
    }
    return result;
}

QList<KRTCDesktopSource> QtDesktopCaptureSource::windows(QSize) const
{
    return {};
}

QImage QtDesktopCaptureSource::grab(int type, qint64 sourceId) const
{
    const QList<QScreen *> all = QGuiApplication::screens();
    if (type != KRTCScreenOption::TypeScreen || sourceId < 0 || sourceId >= all.size())
        return {};
    return all.at(sourceId)->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

std::optional<QRect> QtDesktopCaptureSource::screenBounds(qint64 screenId) const
{
    const QList<QScreen *> all = QGuiApplication::screens();
    if (screenId < 0 || screenId >= all.size())
        return std::nullopt;
    QScreen *screen = all.at(screenId);
    const QRect logical = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    return QRect(logical.topLeft(), logical.size() * ratio);
}
