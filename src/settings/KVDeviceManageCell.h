#pragma once

#include "foundation/models/MeetingRecordDeviceModel.h"

#include <QPointer>
#include <QWidget>

#include "uikit/KVDataText.h"
#include "uikit/KVFlatView.h"

#include <QAbstractListModel>
#include <QLabel>
#include <QStyledItemDelegate>

#include <memory>

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

// The login devices as a list model: one row per record, in the order given. The display text
// is the device name; the accessible text names every part of the row.
class KVDeviceListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int DeviceRole = Qt::UserRole + 1; // the record (QVariant of the model)

    using QAbstractListModel::QAbstractListModel;

    void setDevices(const QList<MeetingRecordDeviceModel> &devices);
    [[nodiscard]] const QList<MeetingRecordDeviceModel> &devices() const { return m_devices; }

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;

private:
    QList<MeetingRecordDeviceModel> m_devices;
};

// Draws the rows of the device list with one KVDeviceManageCell, so a long list costs only the
// rows on screen.
class KVDeviceManageCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit KVDeviceManageCellDelegate(QObject *parent = nullptr);
    ~KVDeviceManageCellDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    std::unique_ptr<KVDeviceManageCell> m_cell;
};
