#pragma once

#include "foundation/models/KVAudioDevice.h"

#include "agent/MainSettingModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class KVAudioManager;
class KVDeviceListView;

class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

// The in-meeting microphone or speaker pop-up (300 x 207): the device menu with
// the current one ticked, the device's system volume (0..255), the live
// microphone level, and the settings link.
class KVAudioSelectView final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{300, 207};
    // Shown in the menu until the sound server has told its devices.
    static inline const QString kLoadingText = QStringLiteral("加载中…");

    explicit KVAudioSelectView(QWidget *parent = nullptr);
    ~KVAudioSelectView() override; // stops the level meter

    // Set before the model: which list the pop-up shows.
    void setIsSpeaker(bool isSpeaker);
    [[nodiscard]] bool isSpeaker() const { return m_isSpeaker; }

    // Lists the devices, ticks the model's current one (storing the first entry
    // when the model has none) and shows its volume; the microphone pop-up
    // starts its level meter.
    void setModel(MainSettingModel *model);
    [[nodiscard]] MainSettingModel *model() const { return m_model; }

    // After the user chose a device (stored as currentSpeaker or currentMicphone).
    std::function<void(KVAudioSelectView *)> onDeviceChanged;
    // The settings link.
    std::function<void()> onSettingAction;

    [[nodiscard]] KVDeviceListView *deviceList() const { return m_list; }
    // The "loading" line, visible while the lists are not known yet.
    [[nodiscard]] QLabel *loadingLabel() const { return m_loading; }
    [[nodiscard]] QSlider *volumeSlider() const { return m_volume; }
    [[nodiscard]] QProgressBar *levelBar() const { return m_level; }
    [[nodiscard]] QPushButton *settingButton() const { return m_settingButton; }
    [[nodiscard]] KVAudioManager *audioManager() const { return m_audio.get(); }

private:
    void build();
    void reload();
    void selectRow(int index);
    void openMixer();
    // keepUsable: the device shown is the same, so its volume stays usable while it is read again.
    void updateVolume(bool keepUsable = false);
    [[nodiscard]] std::optional<KVAudioDevice> current() const;

    bool m_isSpeaker = false;
    QPointer<MainSettingModel> m_model;
    std::unique_ptr<KVAudioManager> m_audio;
    QList<KVAudioDevice> m_devices;
    KVDeviceListView *m_list = nullptr;
    QLabel *m_loading = nullptr;
    QWidget *m_listArea = nullptr;
    bool m_waitingForLists = false;
    // The device whose mixer (and meter) is open, if any.
    std::optional<std::pair<quint32, bool>> m_opened; // device id, meter on
    QSlider *m_volume = nullptr;
    QProgressBar *m_level = nullptr;
    QPushButton *m_settingButton = nullptr;
};
