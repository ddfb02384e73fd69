#include "DevShape.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace {

bool isFlagText(const QString &text)
{
    return text == QLatin1String("0") || text == QLatin1String("1");
}

bool fitsJson(const QJsonValue &value, unsigned types)
{
    if ((types & DevKey::Flag) && ((value.isString() && isFlagText(value.toString())) ||
                                   (value.isDouble() && (value.toDouble() == 0 || value.toDouble() == 1))))
        return true;
    switch (value.type()) {
    case QJsonValue::String:
        return types & DevKey::String;
    case QJsonValue::Bool:
        return types & DevKey::Boolean;
    case QJsonValue::Array:
        return types & DevKey::Array;
    case QJsonValue::Object:
        return types & DevKey::Object;
    case QJsonValue::Double: {
        if (types & DevKey::Number)
            return true;
        const double d = value.toDouble();
        return (types & DevKey::Integer) && std::isfinite(d) && d == std::floor(d);
    }
    default:
        return false; // null and undefined fit no key
    }
}

// Query and form values are text: a number must read as one.
bool fitsText(const QString &value, unsigned types)
{
    if (types & DevKey::String)
        return true;
    if ((types & DevKey::Flag) && isFlagText(value))
        return true;
    bool ok = false;
    if (types & DevKey::Integer) {
        (void)value.toLongLong(&ok);
        if (ok)
            return true;
    }
    if (types & DevKey::Number) {
        (void)value.toDouble(&ok);
        if (ok)
            return true;
    }
    return (types & DevKey::Boolean) && (value == QLatin1String("true") || value == QLatin1String("false") ||
                                         value == QLatin1String("0") || value == QLatin1String("1"));
}

} // namespace

QString DevShape::mismatch(const DevRequest &request) const
{
    const auto declared = [this](const QString &name, DevKey::In in) {
        return std::any_of(m_keys.cbegin(), m_keys.cend(),
                           [&](const DevKey &k) { return k.name == name && k.in == in; });
    };
    for (auto it = request.json.constBegin(); it != request.json.constEnd(); ++it) {
        if (!declared(it.key(), DevKey::In::Body))
            return QStringLiteral("unexpected body key %1").arg(it.key());
    }
    for (auto it = request.query.constBegin(); it != request.query.constEnd(); ++it) {
        if (!declared(it.key(), DevKey::In::Query))
            return QStringLiteral("unexpected query key %1").arg(it.key());
    }
    for (auto it = request.form.constBegin(); it != request.form.constEnd(); ++it) {
        if (!declared(it.key(), DevKey::In::Form))
            return QStringLiteral("unexpected form key %1").arg(it.key());
    }
    for (const DevKey &key : m_keys) {
        bool present = false;
        bool fits = false;
        switch (key.in) {
        case DevKey::In::Body:
            present = request.json.contains(key.name);
            fits = present && fitsJson(request.json.value(key.name), key.types);
            break;
        case DevKey::In::Query:
            present = request.query.contains(key.name);
            fits = present && fitsText(request.query.value(key.name).toString(), key.types);
            break;
        case DevKey::In::Form:
            present = request.form.contains(key.name);
            fits = present && fitsText(request.form.value(key.name).toString(), key.types);
            break;
        }
        if (!present && key.required)
            return QStringLiteral("missing %1").arg(key.name);
        if (present && !fits)
            return QStringLiteral("wrong type of %1").arg(key.name);
    }
    return {};
}

QString DevShape::mismatch(const QJsonObject &object) const
{
    DevRequest inside;
    inside.json = object;
    return mismatch(inside);
}

DevHandler DevShape::guard(DevHandler handler) const
{
    return [shape = *this, handler = std::move(handler)](const DevRequest &request) {
        const QString why = shape.mismatch(request);
        if (!why.isEmpty())
            return DevService::fail(400, QStringLiteral("参数错误: %1").arg(why));
        return handler(request);
    };
}
