#pragma once

#include "agent/MainSettingModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class CameraPreviewView;
class CaptureVideoManager;
class KVDeviceListView;

class QPushButton;

// The in-meeting camera pop-up (350 x 360): the live preview of the chosen
// camera, the camera menu with the current one ticked, and the settings link.
class KVCameraSelectView final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{350, 360};

    explicit KVCameraSelectView(QWidget *parent = nullptr);
    // Over a given capture manager (tests use one fed with generated frames).
    explicit KVCameraSelectView(std::unique_ptr<CaptureVideoManager> manager, QWidget *parent = nullptr);
    ~KVCameraSelectView() override;

    // Shows the model's camera (choosing and storing one when it has none),
    // mirror and fill, and starts the preview when a camera can be used.
    void setModel(MainSettingModel *model);
    [[nodiscard]] MainSettingModel *model() const { return m_model; }

    // Stops the preview.
    void stopRunning();

    // After the user chose a camera (stored as the model's currentCamera).
    std::function<void(KVCameraSelectView *)> onVideoDeviceChanged;
    // The settings link.
    std::function<void()> onSettingCamera;

    [[nodiscard]] CameraPreviewView *previewView() const { return m_preview; }
    [[nodiscard]] CaptureVideoManager *videoManager() const { return m_manager.get(); }
    [[nodiscard]] KVDeviceListView *deviceList() const { return m_list; }
    [[nodiscard]] QPushButton *settingButton() const { return m_settingButton; }

private:
    void build();
    void reloadList();
    void selectRow(int index);
    void devicesUpdated();

    std::unique_ptr<CaptureVideoManager> m_manager;
    QPointer<MainSettingModel> m_model;
    CameraPreviewView *m_preview = nullptr;
    KVDeviceListView *m_list = nullptr;
    QPushButton *m_settingButton = nullptr;
};
