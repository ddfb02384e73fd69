#pragma once

// The wire decisions of the client and the service in one place: REST header values, the
// message channel's address, signature, framing, encryption and acknowledgements. The stand-in
// service uses these same functions, so the two sides cannot drift apart.
//
// REST
//   "isEncry": "1"            sensitive request fields are encrypted (RXEncrypt) before sending.
//   "clientVersion": the application version (QCoreApplication::applicationVersion(), falling back
//                    to the build's version), e.g. "1.0.0".
//
// Channel address
//   <imUrl>?roomId=<r>&userId=<u>&exp=<e>&ctime=<c>&signature=<s>&isEncry=1
//   The service issues exp, ctime and signature with the room (room-enter reply) and the client
//   passes them as given:
//   ctime: Unix time of issue in seconds; exp: the Unix time after which the service refuses it;
//   signature: lowercase hex HMAC-SHA256, key = the user's "Authorization" token (UTF-8), over
//              "roomId=<r>&userId=<u>&exp=<e>&ctime=<c>".
//   Sub-protocol "protoo".
//
// Framing
//   Heartbeat: the client sends the text frame " " (not encrypted).
//   Every other frame, both ways: a text frame Base64(AES-128-ECB/PKCS#7(UTF-8 JSON object)),
//   key = the first 16 bytes of SHA-256 of the user's "Authorization" token.
//   The JSON object:
//     {"cmd": "message", "msg": {type, msgId, sid, sender, senderName, data}}  a message
//     {"cmd": "ack", "msgId": N, "sid": S}                                   acknowledges the
//                                                         peer's message N of session S
//     {"cmd": "heartbeatAck", "msg": {type, msgId, data: ["<json object>"]}} the service's
//                                                         answer to a heartbeat
//   Message ids are numbered from 1 per sending session; the sender's "sid" names the session
//   (a fresh id per IMEngine), so (sid, msgId) identifies a message across reconnects. A message
//   is resent until acknowledged; the receiver acknowledges repeats again but delivers them once.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace WireProtocol {

inline constexpr const char *IsEncryValue = "1";
inline constexpr const char *Subprotocol = "protoo";
inline constexpr const char *HeartbeatText = " ";
inline constexpr qint64 ChannelValiditySeconds = 86400;

inline constexpr const char *CmdMessage = "message";
inline constexpr const char *CmdAck = "ack";
inline constexpr const char *CmdHeartbeatAck = "heartbeatAck";

[[nodiscard]] QString clientVersion();

// The service's side: the signature over the stated string.
[[nodiscard]] QString channelSignature(const QString &roomId, const QString &userId, const QString &exp,
                                       const QString &ctime, const QString &authorization);
[[nodiscard]] QString channelSignature(const QString &roomId, const QString &userId, qint64 exp, qint64 ctime,
                                       const QString &authorization);
// The channel address with the query keys, credentials as the service issued them.
[[nodiscard]] QUrl channelUrl(const QUrl &address, const QString &roomId, const QString &userId, const QString &exp,
                              const QString &ctime, const QString &signature);

// The service's check of a channel address: signature, expiry and isEncry=1.
[[nodiscard]] bool verifyChannelQuery(const QUrl &url, const QString &authorization, qint64 nowSecs);

[[nodiscard]] QByteArray channelKey(const QString &authorization);
[[nodiscard]] QString encodeFrame(const QJsonObject &frame, const QByteArray &key);
// nullopt when the text is not Base64, does not decrypt or is not a JSON object.
[[nodiscard]] std::optional<QJsonObject> decodeFrame(const QString &text, const QByteArray &key);

} // namespace WireProtocol
