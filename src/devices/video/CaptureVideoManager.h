#pragma once

#include "foundation/models/KVVideoDevice.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class CameraPreviewView;
class KVVideoFrameSource;

inline const QString kNoCameraToast = QStringLiteral("未检测到可用的摄像头，请检查设备是否正常后重试");

// The camera preview of the video settings and the camera pop-up: the camera
// list, the chosen camera, and a preview session into a CameraPreviewView.
// Session changes run on the main thread, where Qt's camera objects live; Qt
// starts and stops cameras without blocking it. Lists are re-read at once, so a
// caller reading devices() right after updateCurrentDevices() sees the new list.
// A plug or unplug reported on another thread is handled on the main thread.
class CaptureVideoManager final : public QObject {
    Q_OBJECT
public:
    using CameraCheck = std::function<void(std::function<void(qint64)>)>;

    // Takes the given camera when present, else the system's preferred camera,
    // else the first.
    explicit CaptureVideoManager(const std::optional<KVVideoDevice> &device, QObject *parent = nullptr);
    // The same over another frame source (tests feed generated frames).
    CaptureVideoManager(const std::optional<KVVideoDevice> &device, std::unique_ptr<KVVideoFrameSource> source,
                        QObject *parent = nullptr);
    ~CaptureVideoManager() override;

    // Answers (on the main thread) whether a camera can be used. No camera: the
    // toast kNoCameraToast; access denied: the camera alert. Both answer false.
    void checkAvailable(std::function<void(bool)> block);

    void startRunningOnView(CameraPreviewView *view);
    void stopRunning();
    // Changes the running camera only when it differs from the current one.
    void switchCamera(const KVVideoDevice &device);
    // Re-reads the camera list; reports plugged-in and removed cameras.
    void updateCurrentDevices();

    [[nodiscard]] QList<KVVideoDevice> devices() const { return m_devices; }
    [[nodiscard]] std::optional<KVVideoDevice> currentDevice() const { return m_current; }
    [[nodiscard]] bool isAvailable() const { return m_available; }
    [[nodiscard]] bool isRunning() const;

    // Called with the camera and true when it was removed, false when plugged in.
    void setDidUpdateDevice(std::function<void(const KVVideoDevice &, bool)> block);
    // Called once a re-enumeration that changed the list is done, after the per-camera block:
    // devices() and currentDevice() are then the new ones. Main thread.
    void setDidUpdateDevices(std::function<void()> block);

    // The camera status check (VeskDeviceChecker unless a test installs another).
    void setCameraCheck(CameraCheck check);

private:
    void chooseDevice(const std::optional<KVVideoDevice> &wanted);
    void answerCheck(qint64 result, const std::function<void(bool)> &block);
    // Starts the preview when there is a camera and the view can take its frames.
    bool startPreview();

    std::unique_ptr<KVVideoFrameSource> m_source;
    QList<KVVideoDevice> m_devices;
    std::optional<KVVideoDevice> m_current;
    bool m_available = false;
    QPointer<CameraPreviewView> m_view;
    bool m_wantsPreview = false; // between startRunningOnView and stopRunning
    std::function<void(const KVVideoDevice &, bool)> m_didUpdateDevice;
    std::function<void()> m_didUpdateDevices;
    CameraCheck m_cameraCheck;
};
