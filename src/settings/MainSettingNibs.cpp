#include "settings/MainSettingNibs.h"

#include "settings/MainSettingAboutUsPanel.h"
#include "settings/MainSettingAccountAndSecurityPanel.h"
#include "settings/MainSettingDevicePanels.h"
#include "settings/MainSettingGeneralPanel.h"
#include "settings/MainSettingSubtitlesPanel.h"
#include "uikit/VeskCategories.h"

void registerSettingNibs()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    vesk::registerNib(QStringLiteral("MainSettingGeneralPanel"), [] { return new MainSettingGeneralPanel; });
    vesk::registerNib(QStringLiteral("MainSettingVideoPanel"), [] { return new MainSettingVideoPanel; });
    vesk::registerNib(QStringLiteral("MainSettingAudioPanel"), [] { return new MainSettingAudioPanel; });
    vesk::registerNib(QStringLiteral("MainSettingSubtitlesPanel"), [] { return new MainSettingSubtitlesPanel; });
    vesk::registerNib(QStringLiteral("MainSettingAccountAndSecurityPanel"),
                      [] { return new MainSettingAccountAndSecurityPanel; });
    vesk::registerNib(QStringLiteral("MainSettingAboutUsPanel"), [] { return new MainSettingAboutUsPanel; });
    vesk::registerNib(QStringLiteral("KVSettingMonitorPanel"), [] { return new KVSettingMonitorPanel; });
}
