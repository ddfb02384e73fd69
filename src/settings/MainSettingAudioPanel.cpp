#include "settings/MainSettingAudioPanel.h"

MainSettingAudioPanel::MainSettingAudioPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("MainSettingAudioPanel"));
}
