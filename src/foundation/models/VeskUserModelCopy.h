#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// A member-list row copy (base of MeetingMemberModelCopy), made fresh on every
// list update; ids are stored decrypted.
struct VeskUserModelCopy : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString phoneNumber MEMBER phoneNumber)
    Q_PROPERTY(QString token MEMBER token)
    Q_PROPERTY(QString authorization MEMBER authorization)
    Q_PROPERTY(int registerStatus MEMBER registerStatus)
    Q_PROPERTY(QString groupName MEMBER groupName)
    Q_PROPERTY(int dvrWaitRead MEMBER dvrWaitRead)
    Q_PROPERTY(QString namePinYin MEMBER namePinYin)
    Q_PROPERTY(QString nameFirstLetter MEMBER nameFirstLetter)
    Q_PROPERTY(bool isAssistantHost MEMBER isAssistantHost)

public:
    QString userId;
    QString userName;
    QString phoneNumber;
    QString token;
    QString authorization;
    int registerStatus = 0;
    QString groupName;
    int dvrWaitRead = 0;
    QString namePinYin;
    QString nameFirstLetter;
    bool isAssistantHost = false;

    // The row is the signed-in user (by phone number, or by user id).
    [[nodiscard]] bool checkIsMe() const;
    // The row's phone number, without a leading "META", is the joined room's creator.
    [[nodiscard]] bool checkIsHost() const;

    friend bool operator==(const VeskUserModelCopy &, const VeskUserModelCopy &) = default;
};
