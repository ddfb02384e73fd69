#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVariant>

// The result of every REST call. The service's envelope {"code", "message", "data"} lands here;
// anything that is not a well-formed envelope becomes a failure with one of the local codes
// below and an empty message, so callers fall back to their generic "try again" text.
class KVMResponse final {
public:
    // Codes of our own for replies that never produced an envelope. The service only uses
    // non-negative codes, so these cannot collide with its answers.
    enum LocalCode : qint64 {
        NetworkErrorCode = -1001, // transport failure (refused, reset, TLS, DNS)
        HttpStatusCode = -1002,   // HTTP status outside 2xx
        BadReplyCode = -1003,     // body not JSON, not an object, or no "code"
        TimeoutCode = -1004,      // no reply within the request's timeout
    };

    bool successed = false; // YES when the service's code is 0
    qint64 code = 0;
    QString message; // the service's text; empty for local failures
    QVariant data;   // the envelope's "data" (a caller may replace it with mapped models)

    QByteArray rawResponse; // the body as received
    QJsonObject json;       // the parsed envelope (empty when the body was not one)
    int httpStatus = 0;     // 0 when no HTTP status was received
    QString error;          // diagnostic text for logs, never shown to the user

    // Parses a finished reply. Never throws, never reports success for a bad body.
    [[nodiscard]] static KVMResponse fromReply(int httpStatus, const QByteArray &body);
    [[nodiscard]] static KVMResponse failure(qint64 localCode, const QString &error, int httpStatus = 0,
                                             const QByteArray &body = {});

    // The envelope's data as an object / list (empty when it is something else).
    [[nodiscard]] QVariantMap dataMap() const { return data.toMap(); }
    [[nodiscard]] QVariantList dataList() const { return data.toList(); }
};
