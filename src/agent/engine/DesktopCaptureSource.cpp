#include "DesktopCaptureSource.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <mutex>

namespace {
std::mutex g_mutex;
std::shared_ptr<DesktopCaptureSource> g_source;
} // namespace

std::shared_ptr<DesktopCaptureSource> DesktopCaptureSource::current()
{
    std::lock_guard lock(g_mutex);
    if (!g_source)
        g_source = std::make_shared<QtDesktopCaptureSource>();
    return g_source;
}

void DesktopCaptureSource::setCurrent(std::shared_ptr<DesktopCaptureSource> source)
{
    std::lock_guard lock(g_mutex);
    g_source = std::move(source);
}

QList<KRTCDesktopSource> QtDesktopCaptureSource::screens(QSize thumbnailSize) const
{
    QList<KRTCDesktopSource> result;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (qsizetype i = 0; i < all.size(); ++i) {
        KRTCDesktopSource source;
        source.sourceId = i;
        source.type = KRTCScreenOption::TypeScreen;
        source.title = all.at(i)->name();
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
