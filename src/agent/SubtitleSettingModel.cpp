#include "agent/SubtitleSettingModel.h"

#include "agent/SettingValues.h"
#include "foundation/UserDefaults.h"

SubtitleSettingModel::SubtitleSettingModel(QObject *parent) : QObject(parent)
{
    if (!loadFromLocal()) {
        m_subTitleLevel = 1;
        m_subTitleLanguageType = 0;
        m_myLanguageType = 0;
        saveToLocal();
    }
}

void SubtitleSettingModel::store(qint32 &field, qint32 value)
{
    field = value;
    if (m_loading)
        return;
    saveToLocal();
    Q_EMIT changed();
}

void SubtitleSettingModel::setSubTitleLevel(qint32 value)
{
    store(m_subTitleLevel, value);
}

void SubtitleSettingModel::setSubTitleLanguageType(qint32 value)
{
    store(m_subTitleLanguageType, value);
}

void SubtitleSettingModel::setMyLanguageType(qint32 value)
{
    store(m_myLanguageType, value);
}

void SubtitleSettingModel::saveToLocal()
{
    const QVariantMap dict{
        {QStringLiteral("subTitleLevel"), m_subTitleLevel},
        {QStringLiteral("subTitleLanguageType"), m_subTitleLanguageType},
        {QStringLiteral("myLanguageType"), m_myLanguageType},
    };
    auto &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(dict, kDefaultsKey);
    defaults.synchronize();
}

bool SubtitleSettingModel::loadFromLocal()
{
    const auto &defaults = UserDefaults::standardUserDefaults();
    const QVariant stored = defaults.objectForKey(kDefaultsKey);
    if (stored.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap dict = stored.toMap();
    m_loading = true;
    setSubTitleLevel(SettingValues::intValue(dict, QStringLiteral("subTitleLevel")));
    setSubTitleLanguageType(SettingValues::intValue(dict, QStringLiteral("subTitleLanguageType")));
    setMyLanguageType(SettingValues::intValue(dict, QStringLiteral("myLanguageType")));
    m_loading = false;
    saveToLocal();
    Q_EMIT changed();
    return true;
}
