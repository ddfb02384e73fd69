#include "agent/KVMoreSetting.h"

#include "foundation/UserDefaults.h"

KVMoreSetting KVMoreSetting::getMoreSettingFromLocal()
{
    KVMoreSetting setting;
    const QVariant stored = UserDefaults::standardUserDefaults().objectForKey(kDefaultsKey);
    if (stored.typeId() == QMetaType::QVariantMap) {
        const QVariant path = stored.toMap().value(QStringLiteral("mattingPath"));
        if (path.typeId() == QMetaType::QString)
            setting.mattingPath = path.toString();
    }
    return setting;
}

void KVMoreSetting::removeMoreSetting()
{
    UserDefaults::standardUserDefaults().removeObjectForKey(kDefaultsKey);
}

void KVMoreSetting::saveMoreSettingLocal() const
{
    QVariantMap dict;
    if (!mattingPath.isNull())
        dict.insert(QStringLiteral("mattingPath"), mattingPath);
    auto &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(dict, kDefaultsKey);
    defaults.synchronize();
}
