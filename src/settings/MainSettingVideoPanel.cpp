#include "settings/MainSettingVideoPanel.h"

#include "agent/VeskAppAgent.h"
#include "devices/video/CameraPreviewView.h"
#include "devices/video/CaptureVideoManager.h"
#include "devices/video/KVVideoFrameSource.h"
#include "foundation/MainQueue.h"
#include "settings/KVDeviceFieldButton.h"
#include "settings/SettingTexts.h"
#include "uikit/KVFlatView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kLeft = 40;
constexpr int kPreviewWidth = 400;
constexpr int kPreviewHeight = 225;
constexpr int kDocumentHeight = 600;

std::optional<KVVideoDevice> findByID(const QList<KVVideoDevice> &list, const QString &uniqueID)
{
    for (const KVVideoDevice &device : list) {
        if (device.uniqueID == uniqueID)
            return device;
    }
    return std::nullopt;
}

} // namespace

MainSettingVideoPanel::MainSettingVideoPanel(QWidget *parent, std::unique_ptr<KVVideoFrameSource> source)
    : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("MainSettingVideoPanel"));
    m_deviceMenu = new KVDeviceMenu(this, QStringLiteral("关闭摄像头列表"));
    build();
    std::optional<KVVideoDevice> wanted;
    if (VeskAppAgent *agent = VeskAppAgent::existingInstance())
        wanted = agent->settingModel()->currentCamera();
    m_videoManager = source ? std::make_unique<CaptureVideoManager>(wanted, std::move(source))
                            : std::make_unique<CaptureVideoManager>(wanted);
    QPointer<MainSettingVideoPanel> self(this);
    // Told on the main thread once the list is re-read, so the panel never reads a half-built one.
    m_videoManager->setDidUpdateDevices([self] {
        if (self)
            self->devicesUpdated();
    });
}

MainSettingVideoPanel::~MainSettingVideoPanel()
{
    if (m_videoManager) {
        m_videoManager->setDidUpdateDevices({});
        m_videoManager->stopRunning();
    }
}

// ---- Views ---------------------------------------------------------------------------------------

void MainSettingVideoPanel::build()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_ui.scrollView = new QScrollArea(this);
    m_ui.scrollView->setFrameShape(QFrame::NoFrame);
    m_ui.scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab goes to the controls in it, which it scrolls into view; the area is no stop of its own.
    m_ui.scrollView->setFocusPolicy(Qt::NoFocus);
    auto *document = new QWidget(m_ui.scrollView);
    document->setObjectName(QStringLiteral("videoDocument"));
    document->setFixedHeight(kDocumentHeight);
    m_ui.scrollView->setWidget(document);
    m_ui.scrollView->setWidgetResizable(true);
    outer->addWidget(m_ui.scrollView);

    m_ui.showCameraCaptureView = new QWidget(document);
    m_ui.showCameraCaptureView->setAccessibleName(SettingTexts::kCameraPreview);
    auto *previewLayout = new QVBoxLayout(m_ui.showCameraCaptureView);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    m_videoView = new CameraPreviewView(m_ui.showCameraCaptureView);
    m_videoView->setAccessibleName(SettingTexts::kCameraPreview);
    previewLayout->addWidget(m_videoView);

    KVFlatView *field = nullptr;
    m_ui.selectBoxBtn = KVDeviceFieldButton::makeField(document, SettingTexts::kCamera, &field);
    m_ui.deviceBackView = field;
    connect(m_ui.selectBoxBtn, &QAbstractButton::clicked, this, [this] { onSelectBox(); });

    const auto check = [document](const QString &text) {
        auto *box = new QCheckBox(text, document);
        box->setFont(vesk::systemFont(14));
        return box;
    };
    m_ui.autoCameraOnButton = new QCheckBox(document);
    m_ui.autoCameraOnButton->setAccessibleName(SettingTexts::kAutoCameraOn);
    m_ui.autoCameraOnLabel = new QLabel(SettingTexts::kAutoCameraOn, document);
    m_ui.autoCameraOnLabel->setFont(vesk::systemFont(14));
    m_ui.autoCameraOnLabel->setBuddy(m_ui.autoCameraOnButton);
    m_ui.videoMirrorButton = check(SettingTexts::kVideoMirror);
    m_ui.videoFillButton = check(SettingTexts::kVideoFill);
    connect(m_ui.autoCameraOnButton, &QCheckBox::toggled, this, [this] { openCameraAction(); });
    connect(m_ui.videoMirrorButton, &QCheckBox::toggled, this, [this] { videoMirrorAction(); });
    connect(m_ui.videoFillButton, &QCheckBox::toggled, this, [this] { videoPaddingAction(); });
    setTabOrder(m_ui.selectBoxBtn, m_ui.autoCameraOnButton);
    setTabOrder(m_ui.autoCameraOnButton, m_ui.videoMirrorButton);
    setTabOrder(m_ui.videoMirrorButton, m_ui.videoFillButton);
    relayout();
}

void MainSettingVideoPanel::resizeEvent(QResizeEvent *event)
{
    MainSettingPanel::resizeEvent(event);
    relayout();
}

void MainSettingVideoPanel::relayout()
{
    m_ui.showCameraCaptureView->setGeometry(kLeft, 20, kPreviewWidth, kPreviewHeight);
    const int fieldTop = 20 + kPreviewHeight + 12;
    m_ui.deviceBackView->setGeometry(kLeft, fieldTop, kPreviewWidth, 32);
    const int below = fieldTop + 32;
    m_ui.autoCameraOnButton->setGeometry(kLeft, below + 12, 20, 21);
    m_ui.autoCameraOnLabel->setGeometry(kLeft + 26, below + 12, 300, 21);
    m_ui.videoMirrorButton->setGeometry(kLeft, below + m_videoMirrorTopConst, 300, 21);
    m_ui.videoFillButton->setGeometry(kLeft, below + m_videoMirrorTopConst + 36, 300, 21);
    m_deviceMenu->hostResized();
}

void MainSettingVideoPanel::setInMeeting(bool inMeeting)
{
    m_inMeeting = inMeeting;
    m_ui.autoCameraOnButton->setVisible(!inMeeting);
    m_ui.autoCameraOnLabel->setVisible(!inMeeting);
    m_videoMirrorTopConst = inMeeting ? kMirrorTopInMeeting : kMirrorTopAtHome;
    relayout();
}

// ---- Model and cameras ---------------------------------------------------------------------------

void MainSettingVideoPanel::setModel(MainSettingModel *model)
{
    m_model = model;
    if (model) {
        const QSignalBlocker a(m_ui.autoCameraOnButton);
        const QSignalBlocker b(m_ui.videoMirrorButton);
        const QSignalBlocker c(m_ui.videoFillButton);
        m_ui.autoCameraOnButton->setChecked(model->autoCameraOn());
        m_ui.videoMirrorButton->setChecked(model->videoMirror());
        m_ui.videoFillButton->setChecked(model->videoFill());
        m_videoView->setMirrorMode(model->videoMirror());
        m_videoView->setFillMode(model->videoFill());
    }
    QPointer<MainSettingVideoPanel> self(this);
    m_videoManager->checkAvailable([self](bool) { MainQueue::safe(self, [self] { self->updateUI(); }); });
}

void MainSettingVideoPanel::updateUI()
{
    if (!m_videoManager->isAvailable()) {
        m_ui.selectBoxBtn->setEnabled(false);
        return;
    }
    m_ui.selectBoxBtn->setEnabled(true);
    const QList<KVVideoDevice> devices = m_videoManager->devices();
    m_currentDevice.reset();
    if (m_model) {
        if (const auto chosen = m_model->currentCamera(); chosen && !chosen->isEmpty())
            m_currentDevice = findByID(devices, chosen->uniqueID);
    }
    if (!m_currentDevice) {
        m_currentDevice = m_videoManager->currentDevice();
        if (m_model && m_currentDevice)
            m_model->setCurrentCamera(KVVideoDevice::deviceUniqueID(m_currentDevice->uniqueID, m_currentDevice->name));
    }
    setButtonTitle();
    if (m_currentDevice)
        m_videoManager->switchCamera(*m_currentDevice);
}

void MainSettingVideoPanel::devicesUpdated()
{
    const QList<KVVideoDevice> devices = m_videoManager->devices();
    std::optional<KVVideoDevice> kept = m_currentDevice ? findByID(devices, m_currentDevice->uniqueID) : std::nullopt;
    if (!kept && !devices.isEmpty())
        kept = devices.first();
    m_currentDevice = kept;
    setButtonTitle();
    if (m_deviceMenu->view())
        showDeviceSelectView();
    const QString chosenID = m_model && m_model->currentCamera() ? m_model->currentCamera()->uniqueID : QString();
    const QString currentID = m_currentDevice ? m_currentDevice->uniqueID : QString();
    if (m_model && chosenID != currentID) {
        // The last camera gone leaves a camera record without id and name.
        m_model->setCurrentCamera(m_currentDevice ? *m_currentDevice : KVVideoDevice());
        if (m_currentDevice)
            m_videoManager->switchCamera(*m_currentDevice);
    }
    if (onVideoDeviceChanged)
        onVideoDeviceChanged(this);
}

void MainSettingVideoPanel::setButtonTitle()
{
    m_ui.selectBoxBtn->setDeviceName(m_currentDevice ? m_currentDevice->name : QString());
}

void MainSettingVideoPanel::startRunning()
{
    m_videoManager->startRunningOnView(m_videoView);
}

void MainSettingVideoPanel::stopRunning()
{
    m_videoManager->stopRunning();
}

// ---- Actions -------------------------------------------------------------------------------------

void MainSettingVideoPanel::openCameraAction()
{
    if (m_model)
        m_model->setAutoCameraOn(m_ui.autoCameraOnButton->isChecked());
}

void MainSettingVideoPanel::videoMirrorAction()
{
    if (!m_model)
        return;
    m_model->setVideoMirror(m_ui.videoMirrorButton->isChecked());
    m_videoView->setMirrorMode(m_model->videoMirror());
    if (onVideoMirror)
        onVideoMirror(this);
}

void MainSettingVideoPanel::videoPaddingAction()
{
    if (!m_model)
        return;
    m_model->setVideoFill(m_ui.videoFillButton->isChecked());
    m_videoView->setFillMode(m_model->videoFill());
    if (onVideoFill)
        onVideoFill(this);
}

void MainSettingVideoPanel::onSelectBox()
{
    showDeviceSelectView();
}

void MainSettingVideoPanel::onOverBtnClick()
{
    hideOverMaskBtnViews();
}

// ---- Camera drop-down ----------------------------------------------------------------------------

void MainSettingVideoPanel::showDeviceSelectView()
{
    m_ui.scrollView->verticalScrollBar()->setValue(0);
    QList<KVDeviceMenu::Entry> entries;
    for (const KVVideoDevice &device : m_videoManager->devices())
        entries.append({device.name, QVariant::fromValue(device),
                        m_currentDevice && m_currentDevice->uniqueID == device.uniqueID});
    const QRect field(m_ui.deviceBackView->mapTo(this, QPoint(0, 0)), m_ui.deviceBackView->size());
    QPointer<MainSettingVideoPanel> self(this);
    // Rebuilt behind the user's back (the devices changed) it leaves the focus where it is.
    m_deviceMenu->open(entries, field, SettingTexts::kCamera, m_ui.selectBoxBtn, KVDeviceMenu::Focus::WhenOpenerHasIt,
                       [self](const QVariant &device) {
                           if (self)
                               self->chooseCamera(device.value<KVVideoDevice>());
                       });
}

void MainSettingVideoPanel::chooseCamera(const KVVideoDevice &device)
{
    m_currentDevice = device;
    setButtonTitle();
    m_videoManager->switchCamera(*m_currentDevice);
    if (m_model)
        m_model->setCurrentCamera(KVVideoDevice::deviceUniqueID(m_currentDevice->uniqueID, m_currentDevice->name));
    if (onVideoDeviceChanged)
        onVideoDeviceChanged(this);
}

void MainSettingVideoPanel::hideOverMaskBtnViews()
{
    m_deviceMenu->close();
}
