#include "settings/KVDeviceManageCell.h"

#include "settings/MainSettingRules.h"
#include "settings/SettingTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/KVFlatView.h"
#include "uikit/VeskCategories.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

KVDeviceManageCell::KVDeviceManageCell(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(56);
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
    // Names and types come from the service: plain text only.
    m_deviceNameLabel->setFullText(model.deviceName);
    m_deviceTypeLabel->setFullText(SettingTexts::kDeviceTypeFormat.arg(model.deviceType));
    KVDataText::setText(m_timeLabel, MainSettingRules::lastLoginText(model.lastLoginTime));
    m_currentDeviceIcon->setVisible(model.isLastest);
    m_currentDeviceLabel->setVisible(model.isLastest);
    setAccessibleName(model.deviceName);
}
