#pragma once

#include "foundation/models/VeskModel.h"

#include <QList>
#include <QMetaType>
#include <QString>

// One cloud recording of a meeting.
struct RecordVideoInfo : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString dvrSequenceId MEMBER dvrSequenceId)
    Q_PROPERTY(QString dvrName MEMBER dvrName)
    Q_PROPERTY(double dvrTimeLength MEMBER dvrTimeLength)
    Q_PROPERTY(qint64 dvrSize MEMBER dvrSize)
    Q_PROPERTY(qint32 dvrStatus MEMBER dvrStatus)
    Q_PROPERTY(QString dvrDownPath MEMBER dvrDownPath)
    Q_PROPERTY(QString dvrPicPath MEMBER dvrPicPath)
    Q_PROPERTY(QString dvrPlayUrl MEMBER dvrPlayUrl)
    Q_PROPERTY(qint32 progress MEMBER progress)
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString meetingBeginTime MEMBER meetingBeginTime)

public:
    static constexpr qint32 StatusReady = 3;

    QString dvrSequenceId;
    QString dvrName;
    double dvrTimeLength = 0; // seconds
    qint64 dvrSize = 0;       // bytes
    qint32 dvrStatus = 0;     // 3 ready for download
    QString dvrDownPath;
    QString dvrPicPath;
    QString dvrPlayUrl;
    qint32 progress = 0;
    QString roomId;           // copied from the owning meeting by the records page
    QString meetingBeginTime; // likewise

    // "HH:mm:ss" from one hour on, else "mm:ss" (GMT clock of the length).
    [[nodiscard]] QString durationDisplay() const;

    friend bool operator==(const RecordVideoInfo &, const RecordVideoInfo &) = default;
};

// The cloud recordings of one meeting (one element of the recordings list).
struct RecordVideoModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString roomName MEMBER roomName)
    Q_PROPERTY(QString meetingBeginTime MEMBER meetingBeginTime)
    Q_PROPERTY(QList<RecordVideoInfo> dvrList MEMBER dvrList)

public:
    QString roomId;
    QString roomName;
    QString meetingBeginTime;
    QList<RecordVideoInfo> dvrList;

    friend bool operator==(const RecordVideoModel &, const RecordVideoModel &) = default;
};

// Progress of one recording.
struct RecordVideoProgressInfo : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString dvrSequenceId MEMBER dvrSequenceId)
    Q_PROPERTY(qint32 dvrStatus MEMBER dvrStatus)
    Q_PROPERTY(qint32 progress MEMBER progress)
    Q_PROPERTY(QString dvrPlayUrl MEMBER dvrPlayUrl)
    Q_PROPERTY(QString dvrDownPath MEMBER dvrDownPath)

public:
    QString roomId;
    QString dvrSequenceId;
    qint32 dvrStatus = 0;
    qint32 progress = 0;
    QString dvrPlayUrl;
    QString dvrDownPath;

    friend bool operator==(const RecordVideoProgressInfo &, const RecordVideoProgressInfo &) = default;
};

// One meeting record document (an element of data "list" of the documents reply).
struct RecordFileModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString roomName MEMBER roomName)
    Q_PROPERTY(QString fileName MEMBER fileName)
    Q_PROPERTY(double beginTime MEMBER beginTime)

public:
    QString roomId; // also the key for download and delete
    QString roomName;
    QString fileName;
    double beginTime = 0; // ms since 1970

    friend bool operator==(const RecordFileModel &, const RecordFileModel &) = default;
};

Q_DECLARE_METATYPE(RecordVideoInfo)
Q_DECLARE_METATYPE(RecordVideoModel)
Q_DECLARE_METATYPE(RecordVideoProgressInfo)
Q_DECLARE_METATYPE(RecordFileModel)
