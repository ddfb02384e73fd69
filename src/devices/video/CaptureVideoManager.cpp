#include "devices/video/CaptureVideoManager.h"

#include "agent/engine/MediaBackend.h"
#include "devices/DevicesLog.h"
#include "devices/VeskDeviceChecker.h"
#include "devices/video/CameraPreviewView.h"
#include "devices/video/QtCameraFrameSource.h"
#include "devices/views/KVDevicePermissionAlert.h"
#include "foundation/MainQueue.h"
#include "uikit/VeskToast.h"

namespace {

std::optional<KVVideoDevice> findByID(const QList<KVVideoDevice> &list, const QString &uniqueID)
{
    for (const KVVideoDevice &device : list) {
        if (device.uniqueID == uniqueID)
            return device;
    }
    return std::nullopt;
}

} // namespace

CaptureVideoManager::CaptureVideoManager(const std::optional<KVVideoDevice> &device, QObject *parent)
    : CaptureVideoManager(device, std::make_unique<QtCameraFrameSource>(), parent)
{
}

CaptureVideoManager::CaptureVideoManager(const std::optional<KVVideoDevice> &device,
                                         std::unique_ptr<KVVideoFrameSource> source, QObject *parent)
    : QObject(parent), m_source(std::move(source)), m_cameraCheck(&VeskDeviceChecker::checkCameraWithCompletionBlock)
{
    m_devices = m_source->devices();
    chooseDevice(device);
    // Sources may report from the platform's own thread; the list is only touched here.
    QPointer<CaptureVideoManager> self(this);
    m_source->setDevicesChangedHandler([self] { MainQueue::safe(self, [self] { self->updateCurrentDevices(); }); });
}

CaptureVideoManager::~CaptureVideoManager()
{
    m_source->setDevicesChangedHandler({});
    m_source->stop();
}

void CaptureVideoManager::chooseDevice(const std::optional<KVVideoDevice> &wanted)
{
    m_current.reset();
    if (wanted && !wanted->isEmpty())
        m_current = findByID(m_devices, wanted->uniqueID);
    if (!m_current) {
        const KVVideoDevice preferred = m_source->preferredDevice();
        if (!preferred.isEmpty())
            m_current = findByID(m_devices, preferred.uniqueID);
    }
    if (!m_current && !m_devices.isEmpty())
        m_current = m_devices.first();
}

void CaptureVideoManager::setCameraCheck(CameraCheck check)
{
    m_cameraCheck = std::move(check);
}

void CaptureVideoManager::checkAvailable(std::function<void(bool)> block)
{
    QPointer<CaptureVideoManager> self(this);
    m_cameraCheck([self, block = std::move(block)](qint64 result) {
        // The cameras are known once the source can list them without waiting.
        MainQueue::safe(self, [self, block, result] {
            self->m_source->whenReady(self, [self, block, result] { self->answerCheck(result, block); });
        });
    });
}

void CaptureVideoManager::answerCheck(qint64 result, const std::function<void(bool)> &block)
{
    // A camera Qt cannot list is no camera to the preview either.
    const bool present = !m_source->devices().isEmpty();
    bool available = false;
    if (result == VeskDeviceChecker::Denied) {
        KVDevicePermissionAlert::showCameraDenied();
    } else if (result == VeskDeviceChecker::NoDevice || !present) {
        VeskToast::showToast(kNoCameraToast);
    } else {
        available = true;
    }
    m_available = available;
    if (block)
        block(available);
}

void CaptureVideoManager::startRunningOnView(CameraPreviewView *view)
{
    m_view = view;
    m_wantsPreview = view != nullptr;
    if (!startPreview())
        qCInfo(lcDevices) << "no camera to preview yet";
}

bool CaptureVideoManager::startPreview()
{
    if (!m_view || !m_current)
        return false;
    QVideoSink *sink = m_view->videoSink();
    if (!sink) {
        // The view's sink is made once Qt Multimedia answers without waiting for the sound server.
        QPointer<CaptureVideoManager> self(this);
        MediaBackend::whenReady(this, [self] {
            if (self->m_wantsPreview && !self->m_source->isRunning())
                self->startPreview();
        });
        return false;
    }
    return m_source->start(*m_current, sink);
}

void CaptureVideoManager::stopRunning()
{
    m_wantsPreview = false;
    m_source->stop();
    if (m_view)
        m_view->clear();
}

bool CaptureVideoManager::isRunning() const
{
    return m_source->isRunning();
}

void CaptureVideoManager::switchCamera(const KVVideoDevice &device)
{
    if (device.isEmpty() || (m_current && m_current->uniqueID == device.uniqueID))
        return;
    const auto present = findByID(m_devices, device.uniqueID);
    if (!present) {
        qCWarning(lcDevices) << "cannot switch to missing camera" << device.uniqueID;
        return;
    }
    m_current = present;
    if (m_source->isRunning() && m_view)
        m_source->start(*m_current, m_view->videoSink());
}

void CaptureVideoManager::updateCurrentDevices()
{
    const QList<KVVideoDevice> before = m_devices;
    m_devices = m_source->devices();
    QList<std::pair<KVVideoDevice, bool>> changes;
    for (const KVVideoDevice &old : before) {
        if (!findByID(m_devices, old.uniqueID))
            changes.append({old, true});
    }
    for (const KVVideoDevice &now : m_devices) {
        if (!findByID(before, now.uniqueID))
            changes.append({now, false});
    }
    if (m_current && !findByID(m_devices, m_current->uniqueID)) {
        const bool wasRunning = m_source->isRunning();
        m_source->stop();
        chooseDevice(std::nullopt);
        if (wasRunning && m_current && m_view)
            m_source->start(*m_current, m_view->videoSink());
        else if (m_view)
            m_view->clear();
    } else if (!m_current) {
        chooseDevice(std::nullopt);
        // The preview was asked for before a camera could be listed (the source not ready yet).
        if (m_wantsPreview && m_current && !m_source->isRunning())
            startPreview();
    }
    // Copied: the blocks may replace themselves.
    const auto block = m_didUpdateDevice;
    for (const auto &[device, removed] : changes) {
        qCInfo(lcDevices) << "camera" << (removed ? "removed:" : "connected:") << device.name;
        if (block)
            block(device, removed);
    }
    const auto done = m_didUpdateDevices;
    if (!changes.isEmpty() && done)
        done();
}

void CaptureVideoManager::setDidUpdateDevices(std::function<void()> block)
{
    m_didUpdateDevices = std::move(block);
}

void CaptureVideoManager::setDidUpdateDevice(std::function<void(const KVVideoDevice &, bool)> block)
{
    m_didUpdateDevice = std::move(block);
}
