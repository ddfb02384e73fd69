#include "TLWLogManager.h"

#include "DateHelpers.h"

void TLWLogManager::uploadOperationLogWithContent(const QVariantMap &content)
{
    Q_UNUSED(content);
}

QVariantMap TLWLogManager::operationRecord(const QString &operationType, const QDateTime &startTime,
                                           const QDateTime &endTime, bool success, const QString &message,
                                           const QString &peerId, const QString &logName, const QString &meetingId)
{
    QVariantMap record{
        {QStringLiteral("operationType"), operationType},
        {QStringLiteral("startTime"), StringFormatter::moreDefaultDateString(startTime)},
        {QStringLiteral("endTime"), StringFormatter::moreDefaultDateString(endTime)},
        {QStringLiteral("status"), success ? QStringLiteral("0") : QStringLiteral("-1")},
        {QStringLiteral("peerId"), peerId},
        {QStringLiteral("logName"), logName},
        {QStringLiteral("meetingId"), meetingId},
    };
    if (!message.isEmpty())
        record.insert(QStringLiteral("message"), message);
    return record;
}
