#pragma once

#include "agent/MainSettingModel.h"
#include "devices/audio/KVAudioManager.h"
#include "foundation/KVClock.h"
#include "foundation/models/KVAudioDevice.h"
#include "settings/KVAudioIndicator.h"
#include "settings/KVDeviceFieldButton.h"
#include "settings/KVDeviceMenu.h"
#include "settings/MainSettingPanel.h"
#include "uikit/KVFlatView.h"
#include "uikit/MacCoverButton.h"
#include "uikit/MacSliderCell.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"
#include "uikit/QFFlatButton.h"
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <QList>
#include <QPointer>

#include <functional>
#include <memory>

// The audio tab: microphone and speaker chosen from the sound server's lists, their system
// volumes, and one test at a time (the microphone played back through the speaker, or the test
// sound on the speaker), each with its level bar. At home also the new-meeting microphone switch.
class MainSettingAudioPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingAudioPanel *panel)>;
    // Asks whether the microphone can be used; answers 0 usable, 1 no device, 2 denied.
    using MicrophoneCheck = std::function<void(std::function<void(qint64)>)>;

    static constexpr int kSpeakerTopInMeeting = 20;
    static constexpr int kSpeakerTopAtHome = 61;
    // The test sound: raw 48 kHz mono 32-bit float, made when the program is built.
    static inline const QString kPcmPath = QStringLiteral(":/sounds/kvaudiotest.pcm");

    explicit MainSettingAudioPanel(QWidget *parent = nullptr);
    ~MainSettingAudioPanel() override; // stops the test unit and drops the help windows

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    // The switch, the microphone check, then the lists (each time the tab shows).
    void setModel(MainSettingModel *model) override;
    void setInMeeting(bool inMeeting) override;
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }
    // Ends any test.
    void stopRunning() override;

    void updateUI();
    void openAudioDeviceAndUpdateVolumeState();
    void updateVolume(std::function<void()> completion = {});
    void updateCheckMic(bool start);
    void updateCheckSpeaker(bool start);

    // User actions.
    void onCheckMicAction();
    void onCheckSpeakerAction();
    void onSelectMicClick();
    void onSelectSpeakerClick();
    void onMicVolumeChanged();
    void onSpeakerVolumeChanged();
    void onOpenMicWhenJoinAction();
    void onOverBtnClick();

    // After the user picked a device.
    Block onMichoneChanged;
    Block onSpeakerChanged;

    // VeskDeviceChecker unless replaced (tests).
    MicrophoneCheck microphoneCheck;

    [[nodiscard]] bool isAvailable() const { return m_isAvailable; }
    [[nodiscard]] bool isMicphoneChecking() const { return m_isMicphoneChecking; }
    [[nodiscard]] bool isSpeakerChecking() const { return m_isSpeakerChecking; }
    // Whether the test unit was started since the last test request (the slider-at-0 rule).
    [[nodiscard]] bool testUnitStarted() const { return m_testUnitStarted; }
    [[nodiscard]] KVAudioManager *audioManager();
    [[nodiscard]] const QList<KVAudioDevice> &recordDevices() const { return m_recordDevices; }
    [[nodiscard]] const QList<KVAudioDevice> &playoutDevices() const { return m_playoutDevices; }
    [[nodiscard]] MoreActionView *selectView() const { return m_deviceMenu->view(); }
    [[nodiscard]] QPushButton *overMaskBtn() const { return m_deviceMenu->mask(); }
    [[nodiscard]] QWidget *noticeWindow(bool speaker) const { return speaker ? m_speakerNotice : m_micNotice; }
    [[nodiscard]] int speakerTopConst() const { return m_speakerTopConst; }

    struct Ui {
        QPointer<QCheckBox> openMicWhenJoinBtn;
        QPointer<QLabel> autoMicphoneOnLabel;
        QPointer<KVFlatView> micBackView;
        QPointer<KVFlatView> speakerBackView;
        QPointer<KVDeviceFieldButton> micSelectBtn;
        QPointer<KVDeviceFieldButton> speakerSelectBtn;
        QPointer<MacSliderCell> micVolumeSlider;
        QPointer<MacSliderCell> speakerVolumeSlider;
        QPointer<QFFlatButton> checkMicBtn;
        QPointer<QFFlatButton> checkSpeakerBtn;
        QPointer<MacCoverButton> micNoticeButton;
        QPointer<MacCoverButton> speakerNoticeButton;
        QPointer<KVAudioIndicator> micphoneIndicator;
        QPointer<KVAudioIndicator> speakerIndicator;
    };
    [[nodiscard]] const Ui &ui() const { return m_ui; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void build();
    void relayout();
    void startMic();
    void startSpeaker();
    void showSelectView(bool microphone);
    void hideOverMaskBtnViews();
    void chooseDevice(bool microphone, const KVAudioDevice &device);
    void setDeviceTitles();
    // What the tab shows of a list: in a meeting the device in use while it is listed, else the
    // first entry (the system default).
    [[nodiscard]] std::optional<KVAudioDevice> shownDevice(const std::optional<KVAudioDevice> &chosen,
                                                           const QList<KVAudioDevice> &listed) const;
    void showNotice(bool speaker, bool show);
    QWidget *createNoticeView(bool speaker);

    QPointer<MainSettingModel> m_model;
    bool m_inMeeting = false;
    bool m_isAvailable = false;
    bool m_isMicphoneChecking = false;
    bool m_isSpeakerChecking = false;
    bool m_testUnitStarted = false;
    bool m_waitingForLists = false;    // the tab is shown before the sound server told its devices
    bool m_checkingMicrophone = false; // the microphone check has not answered yet
    int m_speakerTopConst = kSpeakerTopAtHome;
    std::unique_ptr<KVAudioManager> m_audioManager;
    QList<KVAudioDevice> m_recordDevices;
    QList<KVAudioDevice> m_playoutDevices;
    KVDeviceMenu *m_deviceMenu = nullptr;
    QPointer<QWidget> m_micNotice;
    QPointer<QWidget> m_speakerNotice;
    QPointer<KVTimer> m_refreshTimer;
    Ui m_ui;
};
