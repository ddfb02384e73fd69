#pragma once

#include "foundation/models/KVVideoDevice.h"

#include <QList>

#include <functional>

class QObject;
class QVideoSink;

// Where the preview's pictures come from: the cameras (QtCameraFrameSource) or,
// in tests, generated frames fed into the same sink and view.
class KVVideoFrameSource {
public:
    virtual ~KVVideoFrameSource() = default;

    // The cameras now present, in the system's order.
    [[nodiscard]] virtual QList<KVVideoDevice> devices() const = 0;
    // The camera the system prefers, when it names one.
    [[nodiscard]] virtual KVVideoDevice preferredDevice() const { return {}; }
    // Starts delivering the device's frames into sink; false when it cannot.
    virtual bool start(const KVVideoDevice &device, QVideoSink *sink) = 0;
    virtual void stop() = 0;
    [[nodiscard]] virtual bool isRunning() const = 0;
    // Called on the main thread after cameras were plugged in or removed (also when a source
    // that could not list them yet now can).
    virtual void setDevicesChangedHandler(std::function<void()> handler) = 0;
    // fn runs on the main thread once the source lists cameras without waiting (at once when it
    // does), while context lives.
    virtual void whenReady(const QObject *context, std::function<void()> fn)
    {
        (void)context;
        fn();
    }
};
