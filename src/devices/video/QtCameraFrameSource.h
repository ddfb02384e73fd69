#pragma once

#include "devices/video/KVVideoFrameSource.h"

#include <QObject>

#include <memory>

class QCamera;
class QMediaCaptureSession;
class QMediaDevices;

// The cameras through Qt Multimedia: a QCamera in a capture session whose
// video output is the preview's sink. It lists no camera until Qt Multimedia
// answers without waiting for the sound server (MediaBackend), and then tells
// its handler the devices changed.
class QtCameraFrameSource final : public QObject, public KVVideoFrameSource {
    Q_OBJECT
public:
    explicit QtCameraFrameSource(QObject *parent = nullptr);
    ~QtCameraFrameSource() override;

    [[nodiscard]] QList<KVVideoDevice> devices() const override;
    [[nodiscard]] KVVideoDevice preferredDevice() const override;
    bool start(const KVVideoDevice &device, QVideoSink *sink) override;
    void stop() override;
    [[nodiscard]] bool isRunning() const override;
    void setDevicesChangedHandler(std::function<void()> handler) override;
    void whenReady(const QObject *context, std::function<void()> fn) override;

private:
    QMediaDevices *m_mediaDevices = nullptr;
    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QCamera> m_camera;
    std::function<void()> m_devicesChanged;
};
