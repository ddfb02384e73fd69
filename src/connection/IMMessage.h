#pragma once

#include "foundation/models/VeskModel.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// One message of the meeting's message channel.
// Types: 0 chat, 1 control command, 3 transcription/subtitle items, 4 server notice for hosts,
// 5 transcription on/off, 6 ring, 7/8 member joined/left (made locally); others are ignored.
struct IMMessage : VeskModel {
    Q_GADGET
    Q_PROPERTY(qint64 type MEMBER type)
    Q_PROPERTY(qint64 msgId MEMBER msgId)
    Q_PROPERTY(QString sid MEMBER sid)
    Q_PROPERTY(QString sender MEMBER sender)
    Q_PROPERTY(QString senderName MEMBER senderName)
    Q_PROPERTY(QStringList data MEMBER data)

public:
    qint64 type = 0;
    qint64 msgId = 0;
    QString sid;
    QString sender;
    QString senderName;
    // The first element is the payload text: the chat text itself, or JSON text.
    QStringList data;

    // From the channel's message object; elements of "data" that are not strings become their
    // compact JSON text. nullopt when the object lacks "type" or "msgId" or "data" is not a list.
    [[nodiscard]] static std::optional<IMMessage> fromJson(const QJsonObject &object);
    [[nodiscard]] QJsonObject toJson() const;
    // The first data element, or "" when there is none.
    [[nodiscard]] QString payload() const { return data.isEmpty() ? QString() : data.first(); }

    friend bool operator==(const IMMessage &, const IMMessage &) = default;
};
