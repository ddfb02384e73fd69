#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// The audio or video file share running when the room is entered.
struct AVFileSharedResp : VeskModel {
    Q_GADGET
    Q_PROPERTY(int fileType MEMBER fileType)
    Q_PROPERTY(QString fileId MEMBER fileId)
    Q_PROPERTY(QString fileName MEMBER fileName)
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(qint64 duration MEMBER duration)
    Q_PROPERTY(qint64 seekPosition MEMBER seekPosition)
    Q_PROPERTY(qint64 playType MEMBER playType)

public:
    int fileType = 0;
    QString fileId;
    QString fileName;
    QString userId;
    QString userName;
    qint64 duration = 0;
    qint64 seekPosition = 0;
    qint64 playType = 0;

    friend bool operator==(const AVFileSharedResp &, const AVFileSharedResp &) = default;
};
