#include "meeting/common/AssistantRecords.h"

#include "foundation/RXEncrypt.h"

namespace AssistantRecords {

QSet<QString> plainIds(const QStringList &asssitantRecordArray)
{
    QSet<QString> out;
    for (const QString &entry : asssitantRecordArray) {
        if (!entry.isEmpty())
            out.insert(RXEncrypt::aes128ecbDecrypt(entry));
    }
    return out;
}

bool contains(const QSet<QString> &plain, const QString &id, const QString &otherId)
{
    return (!id.isEmpty() && plain.contains(id)) || (!otherId.isEmpty() && plain.contains(otherId));
}

bool contains(const QStringList &asssitantRecordArray, const QString &id, const QString &otherId)
{
    return contains(plainIds(asssitantRecordArray), id, otherId);
}

} // namespace AssistantRecords
