#include "connection/WireProtocol.h"

#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QJsonDocument>
#include <QUrlQuery>

namespace WireProtocol {

QString clientVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral(KORVI_VERSION) : version;
}

QString channelSignature(const QString &roomId, const QString &userId, const QString &exp, const QString &ctime,
                         const QString &authorization)
{
    const QString text = QStringLiteral("roomId=%1&userId=%2&exp=%3&ctime=%4").arg(roomId, userId, exp, ctime);
    return RXEncrypt::hmacSha256Hex(authorization.toUtf8(), text.toUtf8());
}

QString channelSignature(const QString &roomId, const QString &userId, qint64 exp, qint64 ctime,
                         const QString &authorization)
{
    return channelSignature(roomId, userId, QString::number(exp), QString::number(ctime), authorization);
}

QUrl channelUrl(const QUrl &address, const QString &roomId, const QString &userId, const QString &exp,
                const QString &ctime, const QString &signature)
{
    QUrl url = address;
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("roomId"), roomId);
    query.addQueryItem(QStringLiteral("userId"), userId);
    query.addQueryItem(QStringLiteral("exp"), exp);
    query.addQueryItem(QStringLiteral("ctime"), ctime);
    query.addQueryItem(QStringLiteral("signature"), signature);
    query.addQueryItem(QStringLiteral("isEncry"), QStringLiteral("1"));
    url.setQuery(query);
    return url;
}

bool verifyChannelQuery(const QUrl &url, const QString &authorization, qint64 nowSecs)
{
    const QUrlQuery query(url);
    const auto value = [&query](const char *key) {
        return query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
    };
    bool expOk = false;
    const qint64 exp = value("exp").toLongLong(&expOk);
    if (!expOk || exp < nowSecs || value("isEncry") != QLatin1String("1"))
        return false;
    return channelSignature(value("roomId"), value("userId"), value("exp"), value("ctime"), authorization) ==
           value("signature");
}

QByteArray channelKey(const QString &authorization)
{
    return QCryptographicHash::hash(authorization.toUtf8(), QCryptographicHash::Sha256).left(16);
}

QString encodeFrame(const QJsonObject &frame, const QByteArray &key)
{
    const QByteArray plain = QJsonDocument(frame).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(RXEncrypt::aes128EcbEncryptBytes(plain, key).toBase64());
}

std::optional<QJsonObject> decodeFrame(const QString &text, const QByteArray &key)
{
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    const auto plain = RXEncrypt::aes128EcbDecryptBytes(decoded.decoded, key);
    if (!plain)
        return std::nullopt;
    // Unsigned 64-bit ids beyond the signed range arrive as exact strings, not rounded doubles.
    const QJsonDocument doc = jx_JSONDocument(*plain);
    if (!doc.isObject())
        return std::nullopt;
    return doc.object();
}

} // namespace WireProtocol
