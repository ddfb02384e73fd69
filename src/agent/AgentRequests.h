#pragma once

// Small helpers of the agent's REST table (internal).

#include "agent/VeskAppAgent.h"
#include "foundation/JXExtension.h"

#include <QVariant>

namespace AgentRequests {

// A completion that replaces `data` with map(data) when the reply succeeded.
template <class Map> [[nodiscard]] VeskAppAgent::Completion mapOnSuccess(VeskAppAgent::Completion completion, Map map)
{
    return [completion = std::move(completion), map = std::move(map)](const KVMResponse &response) {
        KVMResponse out = response;
        if (out.successed)
            out.data = map(out.data);
        if (completion)
            completion(out);
    };
}

// A completion that maps `data` to a list of models on success.
template <JxModel T> [[nodiscard]] VeskAppAgent::Completion modelList(VeskAppAgent::Completion completion)
{
    return mapOnSuccess(std::move(completion), [](const QVariant &data) {
        return QVariant::fromValue(jx_objectArrayWithKeyValuesArray<T>(data));
    });
}

// A completion that maps `data` to one model on success.
template <JxModel T> [[nodiscard]] VeskAppAgent::Completion model(VeskAppAgent::Completion completion)
{
    return mapOnSuccess(std::move(completion),
                        [](const QVariant &data) { return QVariant::fromValue(jx_objectWithKeyValues<T>(data)); });
}

[[nodiscard]] inline QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

[[nodiscard]] inline QVariantList toList(const QStringList &strings)
{
    QVariantList out;
    out.reserve(strings.size());
    for (const QString &s : strings)
        out.append(s);
    return out;
}

} // namespace AgentRequests
