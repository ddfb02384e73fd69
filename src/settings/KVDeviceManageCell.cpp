#include "settings/KVDeviceManageCell.h"

#include "settings/MainSettingRules.h"
#include "settings/SettingTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/KVFlatView.h"
#include "uikit/VeskCategories.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {
constexpr int kRowHeight = 56;
}

KVDeviceManageCell::KVDeviceManageCell(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(kRowHeight);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 6, 12, 6);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    m_deviceNameLabel = new KVElidedLabel(this);
    m_deviceNameLabel->setFont(vesk::systemFont(14, QFont::Medium));
    m_deviceTypeLabel = new KVElidedLabel(this);
    m_deviceTypeLabel->setFont(vesk::systemFont(12));
    m_timeLabel = KVDataText::label(QString(), this);
    m_timeLabel->setFont(vesk::systemFont(12));
    m_currentDeviceIcon = new KVFlatView(this);
    m_currentDeviceIcon->setFixedSize(8, 8);
    m_currentDeviceIcon->setCornerRadius(4);
    m_currentDeviceIcon->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("34C759")));
    m_currentDeviceLabel = new QLabel(SettingTexts::kCurrentDevice, this);
    m_currentDeviceLabel->setFont(vesk::systemFont(12));
    auto *mark = new QHBoxLayout();
    mark->setSpacing(4);
    mark->addWidget(m_currentDeviceIcon);
    mark->addWidget(m_currentDeviceLabel);
    grid->addWidget(m_deviceNameLabel, 0, 0);
    grid->addLayout(mark, 0, 1, Qt::AlignRight);
    grid->addWidget(m_deviceTypeLabel, 1, 0);
    grid->addWidget(m_timeLabel, 1, 1, Qt::AlignRight);
    grid->setColumnStretch(0, 1);
    setDeviceModel({});
}

void KVDeviceManageCell::setDeviceModel(const MeetingRecordDeviceModel &model)
{
    m_deviceModel = model;
    // Names and types come from the service: plain text only, cut and isolated inside ours.
    m_deviceNameLabel->setFullText(KVDataText::isolatedName(model.deviceName));
    m_deviceTypeLabel->setFullText(SettingTexts::kDeviceTypeFormat.arg(KVDataText::isolatedName(model.deviceType)));
    KVDataText::setText(m_timeLabel, MainSettingRules::lastLoginText(model.lastLoginTime));
    m_currentDeviceIcon->setVisible(model.isLastest);
    m_currentDeviceLabel->setVisible(model.isLastest);
    setAccessibleName(KVDataText::isolatedName(model.deviceName));
}

void KVDeviceListModel::setDevices(const QList<MeetingRecordDeviceModel> &devices)
{
    beginResetModel();
    m_devices = devices;
    endResetModel();
}

int KVDeviceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_devices.size());
}

QVariant KVDeviceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_devices.size())
        return {};
    const MeetingRecordDeviceModel &device = m_devices[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return KVDataText::isolatedName(device.deviceName);
    case Qt::AccessibleTextRole: {
        QStringList parts{KVDataText::isolatedName(device.deviceName),
                          SettingTexts::kDeviceTypeFormat.arg(KVDataText::isolatedName(device.deviceType)),
                          MainSettingRules::lastLoginText(device.lastLoginTime)};
        if (device.isLastest)
            parts.append(SettingTexts::kCurrentDevice);
        return parts.join(QStringLiteral(", "));
    }
    case DeviceRole:
        return QVariant::fromValue(device);
    default:
        return {};
    }
}

KVDeviceManageCellDelegate::KVDeviceManageCellDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_cell(std::make_unique<KVDeviceManageCell>())
{
    m_cell->setAttribute(Qt::WA_DontShowOnScreen);
}

KVDeviceManageCellDelegate::~KVDeviceManageCellDelegate() = default;

void KVDeviceManageCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    m_cell->setPalette(option.palette);
    m_cell->setDeviceModel(index.data(KVDeviceListModel::DeviceRole).value<MeetingRecordDeviceModel>());
    m_cell->resize(option.rect.size());
    m_cell->layout()->activate();
    painter->save();
    painter->translate(option.rect.topLeft());
    m_cell->render(painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter->restore();
}

QSize KVDeviceManageCellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width(), kRowHeight};
}
