#include "MediaSignals.h"

#include <QCamera>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

namespace {

// Lives as the context's child, so the connection ends with the context.
class Relay final : public QObject {
    Q_OBJECT
public:
    explicit Relay(QObject *context) : QObject(context) {}

    std::function<void(const QVideoFrame &)> frame;
    std::function<void()> signal;

    Q_SLOT void relayFrame(const QVideoFrame &videoFrame) { frame(videoFrame); }
    Q_SLOT void relaySignal() { signal(); }
};

QMetaObject::Connection connectRelay(QObject *sender, const char *signal, Relay *relay, const char *slot,
                                     Qt::ConnectionType type)
{
    QMetaObject::Connection connection = QObject::connect(sender, signal, relay, slot, type);
    if (!connection)
        delete relay;
    return connection;
}

} // namespace

namespace MediaSignals {

QMetaObject::Connection onVideoFrame(QVideoSink *sink, QObject *context, std::function<void(const QVideoFrame &)> fn)
{
    auto *relay = new Relay(context);
    relay->frame = std::move(fn);
    // Direct: the sink may deliver from the capture thread, and fn says what crosses.
    return connectRelay(sink, SIGNAL(videoFrameChanged(QVideoFrame)), relay, SLOT(relayFrame(QVideoFrame)),
                        Qt::DirectConnection);
}

QMetaObject::Connection onCameraError(QCamera *camera, QObject *context, std::function<void()> fn)
{
    auto *relay = new Relay(context);
    relay->signal = std::move(fn);
    return connectRelay(camera, SIGNAL(errorOccurred(QCamera::Error, QString)), relay, SLOT(relaySignal()),
                        Qt::AutoConnection);
}

QMetaObject::Connection onVideoInputsChanged(QMediaDevices *devices, QObject *context, std::function<void()> fn)
{
    auto *relay = new Relay(context);
    relay->signal = std::move(fn);
    return connectRelay(devices, SIGNAL(videoInputsChanged()), relay, SLOT(relaySignal()), Qt::AutoConnection);
}

} // namespace MediaSignals

#include "MediaSignals.moc"
