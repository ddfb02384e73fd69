#pragma once

// The signed common parameters of the file service, shared by the client and the local
// stand-in service (header only: the stand-in does not link the agent).
//
//   "appType"    "desktop"
//   "roomId"     the room
//   "userId"     the signed-in user's id, encrypted (aes128ecbEncrypt)
//   "expire"     Unix seconds after which the service refuses the parameters (createTime + 3600)
//   "createTime" Unix seconds when they were made
//   "sign"       lowercase hex HMAC-SHA256 over
//                "appType=<a>&createTime=<c>&expire=<e>&roomId=<r>&userId=<u>"
//                (keys in that order, values as sent), keyed with the user's "Authorization".

#include "foundation/RXEncrypt.h"

#include <QString>
#include <QVariantMap>

namespace FileServiceSignature {

inline constexpr qint64 ValiditySeconds = 3600;
inline const QString AppType = QStringLiteral("desktop");

[[nodiscard]] inline QString signingString(const QVariantMap &p)
{
    return QStringLiteral("appType=%1&createTime=%2&expire=%3&roomId=%4&userId=%5")
        .arg(p.value(QStringLiteral("appType")).toString(), p.value(QStringLiteral("createTime")).toString(),
             p.value(QStringLiteral("expire")).toString(), p.value(QStringLiteral("roomId")).toString(),
             p.value(QStringLiteral("userId")).toString());
}

[[nodiscard]] inline QString sign(const QVariantMap &p, const QString &authorization)
{
    return RXEncrypt::hmacSha256Hex(authorization.toUtf8(), signingString(p).toUtf8());
}

// The parameters for a room; nowSecs is the Unix time of the call.
[[nodiscard]] inline QVariantMap parameters(const QString &roomId, const QString &plainUserId,
                                            const QString &authorization, qint64 nowSecs)
{
    QVariantMap p{
        {QStringLiteral("appType"), AppType},
        {QStringLiteral("roomId"), roomId},
        {QStringLiteral("userId"), RXEncrypt::aes128ecbEncrypt(plainUserId)},
        {QStringLiteral("expire"), QString::number(nowSecs + ValiditySeconds)},
        {QStringLiteral("createTime"), QString::number(nowSecs)},
    };
    p.insert(QStringLiteral("sign"), sign(p, authorization));
    return p;
}

// The service's check: every key present, signature right, not expired.
[[nodiscard]] inline bool verify(const QVariantMap &p, const QString &authorization, qint64 nowSecs)
{
    for (const char *key : {"appType", "roomId", "userId", "expire", "createTime", "sign"}) {
        if (p.value(QLatin1String(key)).toString().isEmpty())
            return false;
    }
    if (p.value(QStringLiteral("sign")).toString() != sign(p, authorization))
        return false;
    return p.value(QStringLiteral("expire")).toString().toLongLong() >= nowSecs;
}

} // namespace FileServiceSignature
