#pragma once

#include "foundation/models/FileSliceModel.h"
#include "foundation/models/VeskModel.h"

#include <QList>
#include <QString>
#include <QVariantList>

// The data of a control command, received or sent; created empty to send one.
struct MeetingControlData : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString peerId MEMBER peerId)
    Q_PROPERTY(QString sender MEMBER sender)
    Q_PROPERTY(QString senderName MEMBER senderName)
    Q_PROPERTY(QString imForbidMsg MEMBER imForbidMsg)
    Q_PROPERTY(QString message MEMBER message)
    Q_PROPERTY(QString fileId MEMBER fileId)
    Q_PROPERTY(QString fileName MEMBER fileName)
    Q_PROPERTY(QString peerName MEMBER peerName)
    Q_PROPERTY(QString sliceId MEMBER sliceId)
    Q_PROPERTY(int switchStatus MEMBER switchStatus)
    Q_PROPERTY(int fileType MEMBER fileType)
    Q_PROPERTY(int sharedFileStatus MEMBER sharedFileStatus)
    Q_PROPERTY(int sliceCount MEMBER sliceCount)
    Q_PROPERTY(int flipOverType MEMBER flipOverType)
    Q_PROPERTY(int enableOperationFileStatus MEMBER enableOperationFileStatus)
    Q_PROPERTY(int allowFileUpload MEMBER allowFileUpload)
    Q_PROPERTY(int uploadPermissionType MEMBER uploadPermissionType)
    Q_PROPERTY(int allowFileShared MEMBER allowFileShared)
    Q_PROPERTY(int sharePermission MEMBER sharePermission)
    Q_PROPERTY(int openTranslateText MEMBER openTranslateText)
    Q_PROPERTY(int roomTranscribeStatus MEMBER roomTranscribeStatus)
    Q_PROPERTY(qint64 duration MEMBER duration)
    Q_PROPERTY(qint64 seekPosition MEMBER seekPosition)
    Q_PROPERTY(quint64 sequenceId MEMBER sequenceId)
    Q_PROPERTY(double offsetScale MEMBER offsetScale)
    Q_PROPERTY(QList<FileSliceModel> sliceInfo MEMBER sliceInfo)
    Q_PROPERTY(QVariantList enableUserList MEMBER enableUserList)

public:
    QString peerId; // "-1" every member, else a phone number (plain or encrypted)
    QString sender; // "mccServer" when the service sends
    QString senderName;
    QString imForbidMsg;
    QString message;
    QString fileId;
    QString fileName;
    QString peerName;
    QString sliceId;
    int switchStatus = 0; // 0 close/forbid, 1 open/allow
    int fileType = 0;
    int sharedFileStatus = 0;
    int sliceCount = 0;
    int flipOverType = 0;
    int enableOperationFileStatus = 0;
    int allowFileUpload = 0;
    int uploadPermissionType = 0;
    int allowFileShared = 0;
    int sharePermission = 0;
    int openTranslateText = 0;
    int roomTranscribeStatus = 0;
    qint64 duration = 0;     // seconds; the play position for event 266
    qint64 seekPosition = 0; // milliseconds
    quint64 sequenceId = 0;
    double offsetScale = 0;
    QList<FileSliceModel> sliceInfo;
    QVariantList enableUserList; // dictionaries with at least "userId"

    friend bool operator==(const MeetingControlData &, const MeetingControlData &) = default;
};
