#pragma once

#include "foundation/models/FileShareInfoModel.h"
#include "foundation/models/FileSliceModel.h"
#include "foundation/models/VeskModel.h"

#include <QList>
#include <QString>

// The document share running when the room is entered.
struct FileSharedResp : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString fileId MEMBER fileId)
    Q_PROPERTY(QString fileName MEMBER fileName)
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString sharedFileStatus MEMBER sharedFileStatus)
    Q_PROPERTY(FileShareInfoModel orderStatus MEMBER orderStatus)
    Q_PROPERTY(QList<FileSliceModel> sliceInfo MEMBER sliceInfo)

public:
    QString fileId;
    QString fileName;
    QString userId;
    QString userName;
    QString roomId;
    QString sharedFileStatus;
    FileShareInfoModel orderStatus;
    QList<FileSliceModel> sliceInfo; // pages

    friend bool operator==(const FileSharedResp &, const FileSharedResp &) = default;
};
