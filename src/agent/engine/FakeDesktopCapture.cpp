#include "FakeDesktopCapture.h"

#include <algorithm>

class FakeDesktopCapture::Stream final : public DesktopCaptureStream {
public:
    explicit Stream(FakeDesktopCapture &owner) : m_owner(owner) {}
    ~Stream() override { m_owner.release(this); }

private:
    FakeDesktopCapture &m_owner;
};

void FakeDesktopCapture::closeWindow(qint64 windowId)
{
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [&](const KRTCDesktopSource &source) { return source.sourceId == windowId; }),
                    m_windows.end());
    m_windowBounds.remove(windowId);
    QList<DesktopCaptureSink> ended;
    {
        std::lock_guard lock(m_mutex);
        for (const Open &open : std::as_const(m_open)) {
            if (open.option.m_eType() == KRTCScreenOption::TypeWindow && open.option.m_ScreenOrWindowId() == windowId)
                ended << open.sink;
        }
    }
    for (const DesktopCaptureSink &sink : std::as_const(ended)) {
        if (sink.onEnded)
            sink.onEnded(QStringLiteral("window closed"));
    }
}

void FakeDesktopCapture::pushFrame(const QImage &picture)
{
    QList<Open> open;
    {
        std::lock_guard lock(m_mutex);
        open = m_open;
    }
    for (const Open &each : std::as_const(open)) {
        if (each.sink.onFrame)
            each.sink.onFrame(fitFrame(picture, QSize(each.option.m_nWidth(), each.option.m_nHeight())));
    }
}

QList<QWindow *> FakeDesktopCapture::excluded() const
{
    QList<QWindow *> out;
    for (const QPointer<QWindow> &window : m_excluded) {
        if (window)
            out << window.data();
    }
    return out;
}

int FakeDesktopCapture::openStreams() const
{
    std::lock_guard lock(m_mutex);
    return int(m_open.size());
}

QList<KRTCDesktopSource> FakeDesktopCapture::screens(QSize) const
{
    return m_screens;
}

QList<KRTCDesktopSource> FakeDesktopCapture::windows(QSize) const
{
    return m_windows;
}

QImage FakeDesktopCapture::grab(int type, qint64 sourceId) const
{
    const QList<KRTCDesktopSource> &list = type == KRTCScreenOption::TypeWindow ? m_windows : m_screens;
    for (const KRTCDesktopSource &source : list) {
        if (source.sourceId == sourceId) {
            if (!source.snapshot.isNull())
                return source.snapshot.convertToFormat(QImage::Format_RGB32);
            QImage picture(640, 360, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            return picture;
        }
    }
    return {};
}

std::optional<QRect> FakeDesktopCapture::windowBounds(qint64 windowId) const
{
    const auto found = m_windowBounds.constFind(windowId);
    if (found == m_windowBounds.cend() || !hasWindow(windowId))
        return std::nullopt;
    return *found;
}

std::optional<QRect> FakeDesktopCapture::screenBounds(qint64 screenId) const
{
    const auto found = m_screenBounds.constFind(screenId);
    if (found == m_screenBounds.cend())
        return std::nullopt;
    return *found;
}

bool FakeDesktopCapture::raiseWindowOwner(qint64 windowId)
{
    if (!hasWindow(windowId))
        return false;
    m_raised << windowId;
    return true;
}

bool FakeDesktopCapture::stackAbove(QWindow *ours, qint64 windowId)
{
    if (!hasWindow(windowId))
        return false;
    m_stacked << Stack{ours, windowId};
    return true;
}

void FakeDesktopCapture::excludeFromCapture(QWindow *ours)
{
    if (ours && !excluded().contains(ours))
        m_excluded << QPointer<QWindow>(ours);
}

void FakeDesktopCapture::includeInCapture(QWindow *ours)
{
    m_excluded.removeIf([&](const QPointer<QWindow> &window) { return !window || window == ours; });
}

std::unique_ptr<DesktopCaptureStream> FakeDesktopCapture::openStream(const KRTCScreenOption &option,
                                                                     DesktopCaptureSink sink)
{
    if (grab(option.m_eType(), option.m_ScreenOrWindowId()).isNull())
        return nullptr;
    auto stream = std::make_unique<Stream>(*this);
    ++m_streamsOpened;
    m_lastOption = option;
    std::lock_guard lock(m_mutex);
    m_open << Open{stream.get(), option, std::move(sink)};
    return stream;
}

bool FakeDesktopCapture::hasWindow(qint64 windowId) const
{
    return std::any_of(m_windows.cbegin(), m_windows.cend(),
                       [&](const KRTCDesktopSource &source) { return source.sourceId == windowId; });
}

void FakeDesktopCapture::release(Stream *stream)
{
    std::lock_guard lock(m_mutex);
    m_open.removeIf([&](const Open &open) { return open.stream == stream; });
}
