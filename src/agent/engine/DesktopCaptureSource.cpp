#include "DesktopCaptureSource.h"

#include "DesktopCaptureBackends.h"

#include "foundation/KVClock.h"

#include <QGuiApplication>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Mean of two pixels, per channel (rounded down), without unpacking them.
inline quint32 mean(quint32 a, quint32 b)
{
    return (a & b) + (((a ^ b) & 0xfefefefeu) >> 1);
}

// A fast filter for share frames: each pixel is the mean of the 2 x 2 source pixels at its place.
// Only the target's pixels are computed, two at a time in a vector, so a frame a third of the
// screen's width reads no more than its rows need. On the calling thread only. The padding byte an
// X server leaves in 32-bit pixels may be anything: the output's is 0xff.
void scaleInto(const QImage &source, QImage &frame, QRect to)
{
    const int sw = source.width();
    const int sh = source.height();
    const int dw = to.width();
    const int dh = to.height();
    const auto place = [](int i, int from, int into) {
        // The source column (row) under the centre of the target's; its pair is the next one.
        const qint64 at = (qint64(2 * i + 1) * from) / (2 * into);
        return int(std::clamp<qint64>(at, 0, from - 1));
    };
    std::vector<int> columns(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x)
        columns[size_t(x)] = place(x, sw, dw);
    // The columns whose right neighbour is in the line (the last one pairs with itself).
    const int paired = int(std::lower_bound(columns.cbegin(), columns.cend(), sw - 1) - columns.cbegin());
    for (int y = 0; y < dh; ++y) {
        const int row = place(y, sh, dh);
        const auto *top = reinterpret_cast<const quint32 *>(source.constScanLine(row));
        const auto *bottom = reinterpret_cast<const quint32 *>(source.constScanLine(qMin(row + 1, sh - 1)));
        auto *out = reinterpret_cast<quint32 *>(frame.scanLine(to.top() + y)) + to.left();
        int i = 0;
#ifdef __SSE2__
        const __m128i opaque = _mm_set1_epi32(int(0xff000000u));
        const auto pairs = [](const quint32 *line, int a, int b) {
            return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(line + a)),
                                      _mm_loadl_epi64(reinterpret_cast<const __m128i *>(line + b)));
        };
        for (; i + 2 <= paired; i += 2) {
            const int a = columns[size_t(i)];
            const int b = columns[size_t(i + 1)];
            // Lanes: a, a + 1, b, b + 1, each the mean of its two rows; then each pair's mean.
            const __m128i rows = _mm_avg_epu8(pairs(top, a, b), pairs(bottom, a, b));
            const __m128i means = _mm_avg_epu8(rows, _mm_srli_epi64(rows, 32));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i),
                             _mm_or_si128(_mm_shuffle_epi32(means, _MM_SHUFFLE(3, 1, 2, 0)), opaque));
        }
#endif
        for (; i < dw; ++i) {
            const int x = columns[size_t(i)];
            const int next = qMin(x + 1, sw - 1);
            out[i] = 0xff000000u | mean(mean(top[x], bottom[x]), mean(top[next], bottom[next]));
        }
    }
}
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

bool DesktopCaptureSource::windowShown(qint64 windowId) const
{
    return windowBounds(windowId).has_value();
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
    const QImage source =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage frame(target, QImage::Format_RGB32);
    if (frame.isNull())
        return {};
    const QSize fitted = source.size().scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QRect to(QPoint((target.width() - fitted.width()) / 2, (target.height() - fitted.height()) / 2), fitted);
    // Only the bars are black: the picture covers the rest.
    for (int y = 0; y < target.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(frame.scanLine(y));
        if (y < to.top() || y > to.bottom()) {
            std::fill(line, line + target.width(), 0xff000000u);
        } else {
            std::fill(line, line + to.left(), 0xff000000u);
            std::fill(line + to.right() + 1, line + target.width(), 0xff000000u);
        }
    }
    scaleInto(source, frame, to);
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
