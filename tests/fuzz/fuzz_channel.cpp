// Message-channel frames as the service (or anyone on the path) sends them: decoding,
// decryption and the message objects inside never misbehave, and what is encoded decodes again.
#include "FuzzSupport.h"

#include "connection/IMMessage.h"
#include "connection/IMSystemMessage.h"
#include "connection/WireProtocol.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray key = WireProtocol::channelKey(QStringLiteral("token-fuzz"));
    const QByteArray input = FuzzInput::bytes(data, size);
    // As a frame off the wire.
    if (const auto frame = WireProtocol::decodeFrame(QString::fromLatin1(input), key)) {
        if (const auto message = IMMessage::fromJson(frame->value(QStringLiteral("msg")).toObject()))
            (void)message->toJson();
    }
    // As the JSON inside a frame: a message, a system message, and the frame round trip.
    const QJsonObject object = QJsonDocument::fromJson(input).object();
    if (const auto message = IMMessage::fromJson(object)) {
        (void)message->toJson();
        for (const QString &element : message->data)
            (void)IMSystemMessage::fromDictionary(QJsonDocument::fromJson(element.toUtf8()).toVariant().toMap());
    }
    (void)IMSystemMessage::fromDictionary(object.toVariantMap());
    // Whatever is encoded decodes again, with the same keys (numbers past the 64-bit range come
    // back as their exact digits, by design).
    const auto back = WireProtocol::decodeFrame(WireProtocol::encodeFrame(object, key), key);
    FUZZ_CHECK(back.has_value() && back->keys() == object.keys());
    return 0;
}
