#include "devices/views/KVCameraSelectView.h"

#include "agent/MainSettingModel.h"
#include "devices/video/CameraPreviewView.h"
#include "devices/video/CaptureVideoManager.h"
#include "devices/views/KVDeviceListView.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

KVCameraSelectView::KVCameraSelectView(QWidget *parent)
    : KVCameraSelectView(std::make_unique<CaptureVideoManager>(std::nullopt), parent)
{
}

KVCameraSelectView::KVCameraSelectView(std::unique_ptr<CaptureVideoManager> manager, QWidget *parent)
    : QWidget(parent), m_manager(std::move(manager))
{
    build();
}

KVCameraSelectView::~KVCameraSelectView()
{
    m_manager->setDidUpdateDevice({});
    m_manager->stopRunning();
}

void KVCameraSelectView::build()
{
    KVDevicePopup::styleFrame(this, kSize);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 8);
    layout->setSpacing(8);

    m_preview = new CameraPreviewView(this);
    m_preview->setFixedSize(326, 183);
    m_preview->setAccessibleName(QStringLiteral("摄像头预览"));
    layout->addWidget(m_preview);

    auto *title = new QLabel(QStringLiteral("选择摄像头"), this);
    title->setStyleSheet(QStringLiteral("color: #999999;"));
    layout->addWidget(title);

    m_list = new KVDeviceListView(this);
    m_list->onSelect = [this](int index) { selectRow(index); };
    auto *scroll = KVDevicePopup::scrollingList(this, m_list);
    layout->addWidget(scroll, 1);

    m_settingButton = KVDevicePopup::settingsLink(QStringLiteral("视频设置"), this);
    connect(m_settingButton, &QPushButton::clicked, this, [this] {
        if (onSettingCamera)
            onSettingCamera();
    });
    layout->addWidget(m_settingButton);

    m_manager->setDidUpdateDevice([this](const KVVideoDevice &, bool) { devicesUpdated(); });
}

void KVCameraSelectView::setModel(MainSettingModel *model)
{
    m_model = model;
    if (!model)
        return;
    m_preview->setMirrorMode(model->videoMirror());
    m_preview->setFillMode(model->videoFill());
    if (const auto chosen = model->currentCamera(); chosen && !chosen->isEmpty())
        m_manager->switchCamera(*chosen);
    else if (const auto current = m_manager->currentDevice())
        model->setCurrentCamera(*current);
    reloadList();
    QPointer<KVCameraSelectView> self(this);
    m_manager->checkAvailable([self](bool available) {
        if (self && available)
            self->m_manager->startRunningOnView(self->m_preview);
    });
}

void KVCameraSelectView::stopRunning()
{
    m_manager->stopRunning();
}

void KVCameraSelectView::reloadList()
{
    const QList<KVVideoDevice> devices = m_manager->devices();
    const auto current = m_manager->currentDevice();
    QStringList titles;
    int selected = -1;
    for (int i = 0; i < devices.size(); ++i) {
        titles.append(devices.at(i).name);
        if (current && devices.at(i).uniqueID == current->uniqueID)
            selected = i;
    }
    m_list->setDevices(titles, selected);
}

void KVCameraSelectView::selectRow(int index)
{
    const QList<KVVideoDevice> devices = m_manager->devices();
    if (index < 0 || index >= devices.size())
        return;
    const KVVideoDevice device = devices.at(index);
    m_manager->switchCamera(device);
    if (m_model)
        m_model->setCurrentCamera(device);
    reloadList();
    if (onVideoDeviceChanged)
        onVideoDeviceChanged(this);
}

void KVCameraSelectView::devicesUpdated()
{
    // The manager already moved to another camera when the chosen one left.
    reloadList();
    if (!m_model)
        return;
    const auto current = m_manager->currentDevice();
    const auto stored = m_model->currentCamera();
    const QString currentID = current ? current->uniqueID : QString();
    if (!stored || stored->uniqueID != currentID) {
        m_model->setCurrentCamera(current.value_or(KVVideoDevice()));
        if (onVideoDeviceChanged)
            onVideoDeviceChanged(this);
    }
}
