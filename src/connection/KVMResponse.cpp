#include "connection/KVMResponse.h"

#include "foundation/JXExtension.h"

#include <QJsonDocument>

#include <cmath>
#include <optional>

namespace {
// The envelope's code as an integer: a JSON integer or a string of digits.
std::optional<qint64> envelopeCode(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.0e15)
            return static_cast<qint64>(d);
        return std::nullopt;
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 code = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return code;
    }
    return std::nullopt;
}
} // namespace

KVMResponse KVMResponse::failure(qint64 localCode, const QString &error, int httpStatus, const QByteArray &body)
{
    KVMResponse response;
    response.successed = false;
    response.code = localCode;
    response.error = error;
    response.httpStatus = httpStatus;
    response.rawResponse = body;
    return response;
}

KVMResponse KVMResponse::fromReply(int httpStatus, const QByteArray &body)
{
    if (httpStatus != 0 && (httpStatus < 200 || httpStatus > 299))
        return failure(HttpStatusCode, QStringLiteral("HTTP status %1").arg(httpStatus), httpStatus, body);

    // Unsigned 64-bit ids beyond the signed range arrive as exact strings, not rounded doubles.
    const QJsonDocument doc = jx_JSONDocument(body);
    if (!doc.isObject())
        return failure(BadReplyCode, QStringLiteral("reply is not a JSON object"), httpStatus, body);
    const QJsonObject envelope = doc.object();
    const std::optional<qint64> code = envelopeCode(envelope.value(QLatin1String("code")));
    if (!code) {
        KVMResponse response = failure(BadReplyCode, QStringLiteral("reply has no code"), httpStatus, body);
        response.json = envelope;
        return response;
    }

    KVMResponse response;
    response.code = *code;
    response.successed = *code == 0;
    const QJsonValue message = envelope.value(QLatin1String("message"));
    response.message = message.isString() ? message.toString() : QString();
    response.data = envelope.value(QLatin1String("data")).toVariant();
    response.rawResponse = body;
    response.json = envelope;
    response.httpStatus = httpStatus;
    return response;
}
