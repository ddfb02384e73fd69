#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// The share-lock answer.
struct ShareTokenModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(bool isCanShare MEMBER isCanShare)
    Q_PROPERTY(bool isShared MEMBER isShared)
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString phoneNumber MEMBER phoneNumber)
    Q_PROPERTY(QString userName MEMBER userName)

public:
    bool isCanShare = false;
    bool isShared = false;
    QString roomId;
    QString phoneNumber;
    QString userName;

    friend bool operator==(const ShareTokenModel &, const ShareTokenModel &) = default;
};
