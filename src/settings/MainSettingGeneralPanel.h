#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "agent/MainSettingModel.h"
#include "settings/MainSettingPanel.h"
#include "uikit/KVCustomButton.h"

#include <QCheckBox>
#include <QLabel>

// The general tab: the two new-meeting switches (home only), the current-speaker switch, and
// the image cache's size with a button that empties it.
class MainSettingGeneralPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingGeneralPanel *panel)>;

    // The current-speaker row's distance from the top, without and with the two switches above.
    static constexpr int kSpeakerTopInMeeting = 11;
    static constexpr int kSpeakerTopAtHome = 83;

    explicit MainSettingGeneralPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    // Shows the model's switches and the cache; the clean button only for a non-empty cache.
    void setModel(MainSettingModel *model) override;
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }
    void setInMeeting(bool inMeeting) override;

    // The size of the image loader's disk cache, into the size label.
    void updateCacheSize();

    // Actions (each control's click).
    void openCameraAction();
    void openMicAction();
    void showSpokesPersonAction();
    void clearCacheAction();

    // The current-speaker switch changed (the settings window passes it to the meeting).
    Block onShowCurrentSpeaker;

    [[nodiscard]] QCheckBox *autoCameraOnButton() const { return m_autoCameraOnButton; }
    [[nodiscard]] QCheckBox *autoMicphoneOnButton() const { return m_autoMicphoneOnButton; }
    [[nodiscard]] QCheckBox *showCurrentSpeakerButton() const { return m_showCurrentSpeakerButton; }
    [[nodiscard]] QLabel *sizeLabel() const { return m_sizeLabel; }
    [[nodiscard]] KVCustomButton *cleanBtn() const { return m_cleanBtn; }
    [[nodiscard]] int speakerTopConst() const { return m_speakerTopConst; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void relayout();

    QPointer<MainSettingModel> m_model;
    bool m_inMeeting = false;
    int m_speakerTopConst = kSpeakerTopAtHome;

    QPointer<QCheckBox> m_autoCameraOnButton;
    QPointer<QCheckBox> m_autoMicphoneOnButton;
    QPointer<QCheckBox> m_showCurrentSpeakerButton;
    QPointer<QLabel> m_cacheTitle;
    QPointer<QLabel> m_sizeLabel;
    QPointer<KVCustomButton> m_cleanBtn;
};
