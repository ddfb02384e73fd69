#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The manager keeps the assistant hosts' ids as the service sends them (encrypted); compare the
// decrypted entries, never the raw ones. Shared by the meeting window and the member list.
namespace AssistantRecords {

// The decrypted ids of asssitantRecordArray (entries already plain pass through unchanged).
[[nodiscard]] QSet<QString> plainIds(const QStringList &asssitantRecordArray);
// Whether the person with any of these ids (plain phone number, user id) is an assistant host.
[[nodiscard]] bool contains(const QSet<QString> &plain, const QString &id, const QString &otherId = QString());
[[nodiscard]] bool contains(const QStringList &asssitantRecordArray, const QString &id,
                            const QString &otherId = QString());

} // namespace AssistantRecords
