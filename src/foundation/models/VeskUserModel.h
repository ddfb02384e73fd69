#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// A person: the signed-in user (`myInfo`), a member row, an invitee; base of
// the member models.
struct VeskUserModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString phoneNumber MEMBER phoneNumber)
    Q_PROPERTY(QString authorization MEMBER authorization)
    Q_PROPERTY(QString applicationId MEMBER applicationId)
    Q_PROPERTY(bool isAssistantHostOrHost MEMBER isAssistantHostOrHost)
    Q_PROPERTY(QString token MEMBER token)
    Q_PROPERTY(int registerStatus MEMBER registerStatus)
    Q_PROPERTY(QString groupName MEMBER groupName)
    Q_PROPERTY(int dvrWaitRead MEMBER dvrWaitRead)
    Q_PROPERTY(QString namePinYin MEMBER namePinYin)
    Q_PROPERTY(QString nameFirstLetter MEMBER nameFirstLetter)
    Q_PROPERTY(QString exp MEMBER exp)
    Q_PROPERTY(QString created MEMBER created)

public:
    QString userId;
    QString userName;
    QString phoneNumber;   // plain
    QString authorization; // bearer token
    QString applicationId;
    bool isAssistantHostOrHost = false;
    QString token;
    int registerStatus = 0;
    QString groupName;
    int dvrWaitRead = 0;
    QString namePinYin;
    QString nameFirstLetter;
    // Expiry and creation time of `authorization`, as the token reply sends
    // them ("exp", "created"); kept as text so any server form survives.
    QString exp;
    QString created;

    // The user is the creator of the joined room.
    [[nodiscard]] bool isHost() const;
    // The user is the signed-in user (by phone number, or by user id).
    [[nodiscard]] bool isSelf() const;

    friend bool operator==(const VeskUserModel &, const VeskUserModel &) = default;
};
