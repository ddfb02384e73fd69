#include "settings/KVSettingMonitorPanel.h"

KVSettingMonitorPanel::KVSettingMonitorPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("KVSettingMonitorPanel"));
}
