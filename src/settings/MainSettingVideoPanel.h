#pragma once

#include "agent/MainSettingModel.h"
#include "settings/MainSettingPanel.h"

#include <QPointer>

#include <functional>

// The video tab: camera choice, preview, mirror and fill.
class MainSettingVideoPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingVideoPanel *panel)>;

    explicit MainSettingVideoPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    void setModel(MainSettingModel *model) override { m_model = model; }
    void setInMeeting(bool inMeeting) override { m_inMeeting = inMeeting; }
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }

    Block onVideoMirror;
    Block onVideoFill;
    Block onVideoDeviceChanged;

private:
    QPointer<MainSettingModel> m_model;
    bool m_inMeeting = false;
};
