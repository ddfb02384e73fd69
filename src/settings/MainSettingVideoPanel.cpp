#include "settings/MainSettingVideoPanel.h"

MainSettingVideoPanel::MainSettingVideoPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("MainSettingVideoPanel"));
}
