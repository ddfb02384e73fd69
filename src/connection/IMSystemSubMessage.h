#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// A waiting-room member as the service's notices carry it.
struct IMSystemSubMessage : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString phoneNumber MEMBER phoneNumber)
    Q_PROPERTY(QString deviceType MEMBER deviceType)
    Q_PROPERTY(bool isFreshMan MEMBER isFreshMan)
    Q_PROPERTY(int waitEnterStatus MEMBER waitEnterStatus)
    Q_PROPERTY(bool waitRedDot MEMBER waitRedDot)
    Q_PROPERTY(QString enterTime MEMBER enterTime)

public:
    QString userId;
    QString userName;
    QString phoneNumber;
    QString deviceType;      // "META" marks a virtual member
    bool isFreshMan = false; // joined the waiting list since the host last looked
    int waitEnterStatus = 0;
    bool waitRedDot = false; // the host has not seen this entry yet
    QString enterTime;

    friend bool operator==(const IMSystemSubMessage &, const IMSystemSubMessage &) = default;
};
