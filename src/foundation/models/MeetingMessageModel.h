#pragma once

#include "foundation/models/KVAttributedText.h"
#include "foundation/models/VeskModel.h"

#include <QFont>
#include <QSizeF>
#include <QString>

#include <memory>

// One line of the chat panel. Touched on the main thread only (its caches lay
// out text).
struct MeetingMessageModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(int msgId MEMBER msgId)
    Q_PROPERTY(int type MEMBER type)
    Q_PROPERTY(QString phoneNumber MEMBER phoneNumber)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString messageString MEMBER messageString)
    Q_PROPERTY(QString messageTime MEMBER messageTime)
    Q_PROPERTY(qint64 messageType MEMBER messageType)
    Q_PROPERTY(QString sid MEMBER sid)
    Q_PROPERTY(double occTime MEMBER occTime)

public:
    enum MessageType { Joined = 1, Left = 2, Chat = 3, Notice = 4 };

    int msgId = 0;
    int type = 0;
    QString phoneNumber;
    QString userName;
    QString messageString;
    QString messageTime;
    qint64 messageType = 0; // MessageType
    QString sid;
    double occTime = 0;

    // Caches of getDisplayMessage / getMessageSizeWithMaxWidth; a copy starts without them.
    mutable std::shared_ptr<const KVAttributedText> displayMessage; // null until built
    mutable QSizeF displaySize{0, 0};                               // (0, 0) until laid out

    MeetingMessageModel() = default;
    MeetingMessageModel(const MeetingMessageModel &other);
    MeetingMessageModel &operator=(const MeetingMessageModel &other);
    MeetingMessageModel(MeetingMessageModel &&) = default;
    MeetingMessageModel &operator=(MeetingMessageModel &&) = default;
    ~MeetingMessageModel() = default;

    // The coloured line, built once and kept in displayMessage.
    const KVAttributedText &getDisplayMessage(const QFont &font) const;
    // The line's size wrapped at `width` (unbounded when width <= 0), kept in
    // displaySize once its width is non-zero.
    QSizeF getMessageSizeWithMaxWidth(double width, const QFont &font) const;

    // Equal fields; the caches don't count.
    friend bool operator==(const MeetingMessageModel &a, const MeetingMessageModel &b)
    {
        return a.msgId == b.msgId && a.type == b.type && a.phoneNumber == b.phoneNumber && a.userName == b.userName &&
               a.messageString == b.messageString && a.messageTime == b.messageTime && a.messageType == b.messageType &&
               a.sid == b.sid && a.occTime == b.occTime;
    }
};
