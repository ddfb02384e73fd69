#pragma once

#include "agent/MainSettingModel.h"
#include "settings/MainSettingPanel.h"

#include <QPointer>

#include <functional>

// The audio tab: microphone and speaker choice and their tests.
class MainSettingAudioPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingAudioPanel *panel)>;

    explicit MainSettingAudioPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    void setModel(MainSettingModel *model) override { m_model = model; }
    void setInMeeting(bool inMeeting) override { m_inMeeting = inMeeting; }
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }

    Block onMichoneChanged;
    Block onSpeakerChanged;

private:
    QPointer<MainSettingModel> m_model;
    bool m_inMeeting = false;
};
