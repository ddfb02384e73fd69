#include "devices/video/QtCameraFrameSource.h"

#include "agent/engine/MediaBackend.h"
#include "agent/engine/MediaSignals.h"
#include "devices/DevicesLog.h"

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

QtCameraFrameSource::QtCameraFrameSource(QObject *parent) : QObject(parent)
{
    // Made once Qt Multimedia's back-ends exist: before, each would wait for the sound server.
    MediaBackend::whenReady(this, [this] {
        m_mediaDevices = new QMediaDevices(this);
        m_session = std::make_unique<QMediaCaptureSession>();
        MediaSignals::onVideoInputsChanged(m_mediaDevices, this, [this] {
            if (m_devicesChanged)
                m_devicesChanged();
        });
        // The cameras can be listed now.
        if (m_devicesChanged)
            m_devicesChanged();
    });
}

QtCameraFrameSource::~QtCameraFrameSource()
{
    stop();
}

QList<KVVideoDevice> QtCameraFrameSource::devices() const
{
    QList<KVVideoDevice> list;
    if (!m_session)
        return list;
    const QList<QCameraDevice> cameras = QMediaDevices::videoInputs();
    for (const QCameraDevice &camera : cameras)
        list.append(KVVideoDevice::deviceUniqueID(QString::fromUtf8(camera.id()), camera.description()));
    return list;
}

KVVideoDevice QtCameraFrameSource::preferredDevice() const
{
    if (!m_session)
        return {};
    const QCameraDevice camera = QMediaDevices::defaultVideoInput();
    if (camera.isNull())
        return {};
    return KVVideoDevice::deviceUniqueID(QString::fromUtf8(camera.id()), camera.description());
}

bool QtCameraFrameSource::start(const KVVideoDevice &device, QVideoSink *sink)
{
    stop();
    if (!m_session || !sink)
        return false;
    const QByteArray id = device.uniqueID.toUtf8();
    QCameraDevice chosen;
    const QList<QCameraDevice> cameras = QMediaDevices::videoInputs();
    for (const QCameraDevice &camera : cameras) {
        if (camera.id() == id)
            chosen = camera;
    }
    if (chosen.isNull()) {
        qCWarning(lcDevices) << "camera" << device.uniqueID << "is not present";
        return false;
    }
    m_camera = std::make_unique<QCamera>(chosen);
    MediaSignals::onCameraError(m_camera.get(), m_camera.get(), [camera = m_camera.get()] {
        qCWarning(lcDevices) << "camera error" << int(camera->error()) << camera->errorString();
    });
    m_session->setCamera(m_camera.get());
    m_session->setVideoSink(sink);
    m_camera->start();
    return true;
}

void QtCameraFrameSource::stop()
{
    if (!m_camera)
        return;
    m_camera->stop();
    m_session->setCamera(nullptr);
    m_session->setVideoSink(nullptr);
    m_camera.reset();
}

bool QtCameraFrameSource::isRunning() const
{
    return m_camera && m_camera->isActive();
}

void QtCameraFrameSource::setDevicesChangedHandler(std::function<void()> handler)
{
    m_devicesChanged = std::move(handler);
}

void QtCameraFrameSource::whenReady(const QObject *context, std::function<void()> fn)
{
    MediaBackend::whenReady(context, std::move(fn));
}
