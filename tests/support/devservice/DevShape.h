#pragma once

// What a route of the stand-in takes, as the service's tables give it: each key, its JSON type and
// where it goes (the JSON body, the query, or an urlencoded form). A request with a key the route
// does not take there, without a required key, or with a value of another type is refused with
// the service's parameter error, before the route's handler runs.

#include "DevService.h"

#include <QList>
#include <QString>

#include <utility>

struct DevKey {
    // JSON types a value may have (a bit set: some keys take a string or a number).
    // Flag: the text "1" or "0", or the number 1 or 0 (the service's switches).
    enum Type : unsigned { String = 1, Integer = 2, Boolean = 4, Array = 8, Object = 16, Number = 32, Flag = 64 };
    enum class In { Body, Query, Form };

    QString name;
    unsigned types = String;
    In in = In::Body;
    bool required = true;
};

class DevShape final {
public:
    DevShape() = default;
    DevShape(std::initializer_list<DevKey> keys) : m_keys(keys) {}
    explicit DevShape(QList<DevKey> keys) : m_keys(std::move(keys)) {}

    // Why the request does not fit, or empty when it does.
    [[nodiscard]] QString mismatch(const DevRequest &request) const;
    // The same for one object inside a body (an element of an array): its keys are body keys.
    [[nodiscard]] QString mismatch(const QJsonObject &object) const;
    // A handler that answers a request that does not fit with the parameter error.
    [[nodiscard]] DevHandler guard(DevHandler handler) const;

private:
    QList<DevKey> m_keys;
};

// A body key (required unless said).
[[nodiscard]] inline DevKey body(const QString &name, unsigned types, bool required = true)
{
    return {name, types, DevKey::In::Body, required};
}
[[nodiscard]] inline DevKey query(const QString &name, unsigned types, bool required = true)
{
    return {name, types, DevKey::In::Query, required};
}
[[nodiscard]] inline DevKey form(const QString &name, unsigned types, bool required = true)
{
    return {name, types, DevKey::In::Form, required};
}
