#pragma once

#include <QVariantMap>

// Reading stored preference dictionaries: a missing inner key or a value that
// is not a number loads as NO / 0.
namespace SettingValues {

[[nodiscard]] inline bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

[[nodiscard]] inline bool boolValue(const QVariantMap &dict, const QString &key)
{
    const QVariant v = dict.value(key);
    // A number is true when its integral part is not zero (0.5 is false).
    return isNumber(v) && static_cast<qint64>(v.toDouble()) != 0;
}

[[nodiscard]] inline qint32 intValue(const QVariantMap &dict, const QString &key)
{
    const QVariant v = dict.value(key);
    if (!isNumber(v))
        return 0;
    // Truncated toward zero, not rounded.
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float ? static_cast<qint32>(v.toDouble())
                                                                             : static_cast<qint32>(v.toLongLong());
}

} // namespace SettingValues
