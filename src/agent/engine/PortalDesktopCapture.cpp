#include "PortalDesktopCapture.h"

#include "PipeWireFrames.h"
#include "PortalScreenCast.h"

#include "foundation/MainQueue.h"
#include "foundation/UserDefaults.h"

#include <QPointer>

#include <atomic>

namespace {

// The portal's exchange, then the frames of the node it gave. It ends, once, when the portal
// refuses, its dialog is cancelled, its session closes, or the stream stops; an end before
// the first frame is a start that failed.
class PortalStream final : public DesktopCaptureStream {
public:
    PortalStream(const QDBusConnection &bus, const KRTCScreenOption &option, DesktopCaptureSink sink)
        : m_cast(bus), m_size(option.m_nWidth(), option.m_nHeight()), m_fps(option.m_nFPS()), m_sink(std::move(sink))
    {
        const QString token = UserDefaults::standardUserDefaults().stringForKey(
            QString::fromLatin1(PortalDesktopCapture::kRestoreTokenKey));
        m_cast.start(
            token, [this](const PortalScreenCast::Started &started) { onStarted(started); },
            [this](const QString &why) { end(why); });
    }

    [[nodiscard]] bool startsLater() const override { return true; }

private:
    void onStarted(const PortalScreenCast::Started &started)
    {
        if (!started.restoreToken.isEmpty())
            UserDefaults::standardUserDefaults().setObject(started.restoreToken,
                                                           QString::fromLatin1(PortalDesktopCapture::kRestoreTokenKey));
        m_remote = started.remote;
        DesktopCaptureSink frames;
        frames.onFrame = [onFrame = m_sink.onFrame, flowed = m_flowed](const QImage &frame) {
            flowed->store(true);
            if (onFrame)
                onFrame(frame);
        };
        frames.onEnded = [this](const QString &why) { end(why); };
        m_frames = std::make_unique<PipeWireFrames>(m_remote.fileDescriptor(), started.nodeId, m_size, m_fps,
                                                    std::move(frames));
        if (!m_frames->isRunning()) {
            end(QStringLiteral("the PipeWire stream does not start"));
            return;
        }
        // Reported later, as an end is: the owner may act on the stream from its callback.
        MainQueue::async(&m_context, [this] {
            if (!m_ended && m_sink.onStarted)
                m_sink.onStarted();
        });
    }

    // Reported later, so the owner may destroy the stream from its callback.
    void end(const QString &why)
    {
        if (std::exchange(m_ended, true))
            return;
        const auto report = m_flowed->load() || !m_sink.onStartFailed ? m_sink.onEnded : m_sink.onStartFailed;
        MainQueue::async(&m_context, [report, why] {
            if (report)
                report(why);
        });
    }

    QObject m_context;
    PortalScreenCast m_cast;
    QSize m_size;
    int m_fps;
    DesktopCaptureSink m_sink;
    bool m_ended = false;
    std::shared_ptr<std::atomic<bool>> m_flowed = std::make_shared<std::atomic<bool>>(false);
    QDBusUnixFileDescriptor m_remote;
    std::unique_ptr<PipeWireFrames> m_frames; // stopped before the remote closes
};

} // namespace

PortalDesktopCapture::PortalDesktopCapture(QDBusConnection bus) : m_bus(std::move(bus)) {}

QList<KRTCDesktopSource> PortalDesktopCapture::screens(QSize) const
{
    KRTCDesktopSource choice;
    choice.sourceId = kPortalChoiceId;
    choice.type = KRTCScreenOption::TypeScreen;
    choice.title = QStringLiteral("桌面 1");
    return {choice};
}

QList<KRTCDesktopSource> PortalDesktopCapture::windows(QSize) const
{
    return {};
}

QImage PortalDesktopCapture::grab(int, qint64) const
{
    return {};
}

std::unique_ptr<DesktopCaptureStream> PortalDesktopCapture::openStream(const KRTCScreenOption &option,
                                                                       DesktopCaptureSink sink)
{
    if (option.m_eType() != KRTCScreenOption::TypeScreen || option.m_ScreenOrWindowId() != kPortalChoiceId)
        return nullptr;
    return std::make_unique<PortalStream>(m_bus, option, std::move(sink));
}
