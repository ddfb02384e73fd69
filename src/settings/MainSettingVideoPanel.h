#pragma once

#include "agent/MainSettingModel.h"
#include "devices/video/CameraPreviewView.h"
#include "devices/video/CaptureVideoManager.h"
#include "devices/video/KVVideoFrameSource.h"
#include "foundation/models/KVVideoDevice.h"
#include "settings/KVDeviceFieldButton.h"
#include "settings/KVDeviceMenu.h"
#include "settings/MainSettingPanel.h"
#include "uikit/KVFlatView.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"
#include "uikit/VeskButton.h"
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

// The video tab: the chosen camera's live preview (running only while the tab shows), the camera
// drop-down, and the new-meeting camera (home only), mirror and fill switches.
class MainSettingVideoPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingVideoPanel *panel)>;

    static constexpr int kMirrorTopInMeeting = 12;
    static constexpr int kMirrorTopAtHome = 48;

    // The cameras come from the platform unless a source is given (tests feed generated frames).
    explicit MainSettingVideoPanel(QWidget *parent = nullptr, std::unique_ptr<KVVideoFrameSource> source = nullptr);
    ~MainSettingVideoPanel() override; // stops the preview

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    // The switches and the preview's modes from the model, then the availability check.
    void setModel(MainSettingModel *model) override;
    void setInMeeting(bool inMeeting) override;
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }
    void startRunning() override;
    void stopRunning() override;

    void updateUI();

    // User actions.
    void openCameraAction();
    void videoMirrorAction();
    void videoPaddingAction();
    void onSelectBox();
    void onOverBtnClick();

    Block onVideoMirror;
    Block onVideoFill;
    Block onVideoDeviceChanged;

    [[nodiscard]] CaptureVideoManager *videoManager() const { return m_videoManager.get(); }
    [[nodiscard]] CameraPreviewView *videoView() const { return m_videoView; }
    [[nodiscard]] std::optional<KVVideoDevice> currentDevice() const { return m_currentDevice; }
    [[nodiscard]] MoreActionView *deviceSelectView() const { return m_deviceMenu->view(); }
    [[nodiscard]] int videoMirrorTopConst() const { return m_videoMirrorTopConst; }

    struct Ui {
        QPointer<QScrollArea> scrollView;
        QPointer<QWidget> showCameraCaptureView;
        QPointer<QCheckBox> autoCameraOnButton;
        QPointer<QLabel> autoCameraOnLabel;
        QPointer<QCheckBox> videoMirrorButton;
        QPointer<QCheckBox> videoFillButton;
        QPointer<KVDeviceFieldButton> selectBoxBtn;
        QPointer<KVFlatView> deviceBackView;
    };
    [[nodiscard]] const Ui &ui() const { return m_ui; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void build();
    void relayout();
    void devicesUpdated();
    void showDeviceSelectView();
    void hideOverMaskBtnViews();
    void chooseCamera(const KVVideoDevice &device);
    void setButtonTitle();

    QPointer<MainSettingModel> m_model;
    bool m_inMeeting = false;
    int m_videoMirrorTopConst = kMirrorTopAtHome;
    std::unique_ptr<CaptureVideoManager> m_videoManager;
    QPointer<CameraPreviewView> m_videoView;
    std::optional<KVVideoDevice> m_currentDevice;
    KVDeviceMenu *m_deviceMenu = nullptr;
    Ui m_ui;
};
