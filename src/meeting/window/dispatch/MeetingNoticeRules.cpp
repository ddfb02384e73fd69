#include "meeting/window/dispatch/MeetingNoticeRules.h"

#include "foundation/JXExtension.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace MeetingNoticeRules {

namespace {

std::optional<QJsonObject> objectOf(const QString &text)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

int intOf(const QJsonValue &value)
{
    if (value.isString())
        return value.toString().toInt();
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    return value.toInt();
}

bool boolOf(const QJsonValue &value)
{
    if (value.isString())
        return value.toString() == QLatin1String("true") || value.toString().toInt() != 0;
    if (value.isDouble())
        return value.toDouble() != 0;
    return value.toBool();
}

} // namespace

ServerNotice serverNotice(const IMMessage &message)
{
    ServerNotice notice;
    for (const QString &element : message.data) {
        const std::optional<QJsonObject> outer = objectOf(element);
        if (!outer)
            continue;
        const QJsonValue dataValue = outer->value(QStringLiteral("data"));
        if (!dataValue.isString())
            continue;
        const std::optional<QJsonObject> inner = objectOf(dataValue.toString());
        if (!inner)
            continue;
        const auto event = MeetingNoticeEvent(intOf(outer->value(QStringLiteral("event"))));
        if (event == MeetingNoticeEvent::MemberDevice) {
            if (inner->value(QStringLiteral("deviceType")).toString() == QLatin1String("META"))
                notice.requireAssistantInfo = true;
            continue;
        }
        if (event != MeetingNoticeEvent::WaitRoomMemberAdded && event != MeetingNoticeEvent::WaitRoomMemberRemoved)
            continue;
        QVariantMap dictionary = outer->toVariantMap();
        dictionary.insert(QStringLiteral("content"), inner->toVariantMap());
        notice.waitRoomNotices.append(IMSystemMessage::fromDictionary(dictionary));
    }
    return notice;
}

std::optional<HeartbeatAck> heartbeatAck(const IMMessage &message)
{
    if (message.data.isEmpty())
        return std::nullopt;
    const std::optional<QJsonObject> object = objectOf(message.data.first());
    if (!object)
        return std::nullopt;
    HeartbeatAck ack;
    ack.micStatus = intOf(object->value(QStringLiteral("micStatus")));
    if (object->contains(QStringLiteral("cameraAllowStatus")))
        ack.cameraAllowStatus = intOf(object->value(QStringLiteral("cameraAllowStatus")));
    if (object->contains(QStringLiteral("roomInfo"))) {
        ack.hasRoomInfo = true;
        const QJsonObject room = object->value(QStringLiteral("roomInfo")).toObject();
        ack.imAllowStatus = boolOf(room.value(QStringLiteral("imAllowStatus")));
        ack.micAllowStatus = boolOf(room.value(QStringLiteral("micAllowStatus")));
        ack.imForbid = boolOf(object->value(QStringLiteral("imForbid")));
        ack.micForbid = boolOf(object->value(QStringLiteral("micForbid")));
    }
    return ack;
}

RingAction ringAction(const IMMessage &message, const QString &myUserId)
{
    if (message.data.isEmpty())
        return RingAction::Ignore;
    const std::optional<QJsonObject> object = objectOf(message.data.first());
    if (!object)
        return RingAction::Ignore;
    if (object->value(QStringLiteral("event")).toString() == QLatin1String("income")) {
        if (!myUserId.isEmpty() && message.sender == myUserId)
            return RingAction::Ignore;
        return RingAction::Add;
    }
    return RingAction::Remove;
}

} // namespace MeetingNoticeRules
