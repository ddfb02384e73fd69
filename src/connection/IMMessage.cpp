#include "connection/IMMessage.h"

#include "foundation/JXExtension.h"

#include <QJsonArray>
#include <QJsonDocument>

std::optional<IMMessage> IMMessage::fromJson(const QJsonObject &object)
{
    const QJsonValue type = object.value(QLatin1String("type"));
    const QJsonValue msgId = object.value(QLatin1String("msgId"));
    const QJsonValue data = object.value(QLatin1String("data"));
    if (type.isUndefined() || type.isNull() || msgId.isUndefined() || msgId.isNull() ||
        !(data.isArray() || data.isUndefined()))
        return std::nullopt;
    QJsonObject normalized = object;
    QJsonArray texts;
    for (const QJsonValue &element : data.toArray()) {
        if (element.isString())
            texts.append(element);
        else if (element.isObject())
            texts.append(QString::fromUtf8(QJsonDocument(element.toObject()).toJson(QJsonDocument::Compact)));
        else if (element.isArray())
            texts.append(QString::fromUtf8(QJsonDocument(element.toArray()).toJson(QJsonDocument::Compact)));
        else if (element.isDouble())
            texts.append(QString::number(element.toDouble(), 'g', 17));
        else if (element.isBool())
            texts.append(element.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        else
            texts.append(QString());
    }
    normalized.remove(QLatin1String("data"));
    IMMessage message = jx_objectWithKeyValues<IMMessage>(normalized);
    for (const QJsonValue &t : std::as_const(texts))
        message.data.append(t.toString());
    return message;
}

QJsonObject IMMessage::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("type"), type);
    object.insert(QLatin1String("msgId"), msgId);
    object.insert(QLatin1String("sid"), sid);
    object.insert(QLatin1String("sender"), sender);
    object.insert(QLatin1String("senderName"), senderName);
    object.insert(QLatin1String("data"), QJsonArray::fromStringList(data));
    return object;
}
