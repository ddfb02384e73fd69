#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// One device the account signed in from.
struct MeetingRecordDeviceModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString deviceName MEMBER deviceName)
    Q_PROPERTY(QString deviceType MEMBER deviceType)
    Q_PROPERTY(QString createTime MEMBER createTime)
    Q_PROPERTY(qint64 lastLoginTime MEMBER lastLoginTime)
    Q_PROPERTY(bool isLastest MEMBER isLastest)

public:
    QString deviceName;
    QString deviceType;
    QString createTime;
    qint64 lastLoginTime = 0; // ms since 1970, compared numerically
    bool isLastest = false;   // set by the settings window

    friend bool operator==(const MeetingRecordDeviceModel &, const MeetingRecordDeviceModel &) = default;
};
