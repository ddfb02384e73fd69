#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>

// Operation and event logs.
class TLWLogManager final {
public:
    // Takes an operation record; the hook does nothing with it (no service path exists for it).
    static void uploadOperationLogWithContent(const QVariantMap &content);

    // The operation record {"operationType", "startTime", "endTime", "status" ("0" success,
    // "-1" failure), "message" (only when given), "peerId", "logName", "meetingId"}, times as
    // "yyyy-MM-dd HH:mm:ss:SSS".
    [[nodiscard]] static QVariantMap operationRecord(const QString &operationType, const QDateTime &startTime,
                                                     const QDateTime &endTime, bool success,
                                                     const QString &message = {}, const QString &peerId = {},
                                                     const QString &logName = {}, const QString &meetingId = {});
};
