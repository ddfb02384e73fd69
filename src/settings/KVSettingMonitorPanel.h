#pragma once

#include "agent/MainSettingModel.h"
#include "settings/MainSettingPanel.h"

#include <QPointer>

// The system monitor tab of a meeting.
class KVSettingMonitorPanel : public MainSettingPanel {
    Q_OBJECT
public:
    explicit KVSettingMonitorPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    void setModel(MainSettingModel *model) override { m_model = model; }

private:
    QPointer<MainSettingModel> m_model;
};
