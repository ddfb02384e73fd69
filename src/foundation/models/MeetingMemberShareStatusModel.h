#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// One member allowed to share.
struct MeetingMemberShareStatusModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(int allowShareStatus MEMBER allowShareStatus)

public:
    QString userId;
    QString userName;
    QString roomId;
    int allowShareStatus = 0;

    friend bool operator==(const MeetingMemberShareStatusModel &, const MeetingMemberShareStatusModel &) = default;
};
