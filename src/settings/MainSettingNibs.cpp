#include "settings/MainSettingNibs.h"

#include "settings/MainSettingPanel.h"
#include "settings/MainSettingTabs.h"
#include "uikit/VeskCategories.h"

void registerSettingNibs()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const MainSettingTabRow &row : MainSettingTabs::all())
        vesk::registerNib(row.nibName, [make = row.make]() -> QWidget * { return make(); });
}
