#pragma once

#include "foundation/models/MeetingRecordDeviceModel.h"

#include <QPointer>
#include <QWidget>

#include "uikit/KVDataText.h"
#include "uikit/KVFlatView.h"

#include <QLabel>

// One row of the account tab's login devices: name, type, last sign-in and the current mark.
class KVDeviceManageCell final : public QWidget {
    Q_OBJECT
public:
    explicit KVDeviceManageCell(QWidget *parent = nullptr);

    [[nodiscard]] const MeetingRecordDeviceModel &deviceModel() const { return m_deviceModel; }
    void setDeviceModel(const MeetingRecordDeviceModel &model);

    [[nodiscard]] KVElidedLabel *deviceNameLabel() const { return m_deviceNameLabel; }
    [[nodiscard]] KVElidedLabel *deviceTypeLabel() const { return m_deviceTypeLabel; }
    [[nodiscard]] QLabel *timeLabel() const { return m_timeLabel; }
    [[nodiscard]] QLabel *currentDeviceLabel() const { return m_currentDeviceLabel; }
    [[nodiscard]] KVFlatView *currentDeviceIcon() const { return m_currentDeviceIcon; }

private:
    MeetingRecordDeviceModel m_deviceModel;
    QPointer<KVElidedLabel> m_deviceNameLabel;
    QPointer<KVElidedLabel> m_deviceTypeLabel;
    QPointer<QLabel> m_timeLabel;
    QPointer<QLabel> m_currentDeviceLabel;
    QPointer<KVFlatView> m_currentDeviceIcon;
};
