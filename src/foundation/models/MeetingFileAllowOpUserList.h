#pragma once

#include "foundation/models/VeskModel.h"
#include "foundation/models/VeskUserModel.h"

#include <QList>
#include <QString>

// The operation rights kept for one file of a scheduled meeting.
struct MeetingFileAllowOpUserList : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString fileId MEMBER fileId)
    Q_PROPERTY(qint64 fileType MEMBER fileType)
    Q_PROPERTY(QString uploadUserId MEMBER uploadUserId)
    Q_PROPERTY(qint64 enableOperationFileStatus MEMBER enableOperationFileStatus)
    Q_PROPERTY(QList<VeskUserModel> enableUserList MEMBER enableUserList)

public:
    QString fileId;
    qint64 fileType = 0;
    QString uploadUserId;
    qint64 enableOperationFileStatus = 0;
    QList<VeskUserModel> enableUserList;

    friend bool operator==(const MeetingFileAllowOpUserList &, const MeetingFileAllowOpUserList &) = default;
};
