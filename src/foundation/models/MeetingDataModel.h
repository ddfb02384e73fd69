#pragma once

#include "foundation/models/MeetingFileAllowOpUserList.h"
#include "foundation/models/VeskModel.h"
#include "foundation/models/VeskUserModel.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

// A scheduled or past meeting.
struct MeetingDataModel : VeskModel {
    Q_GADGET
    Q_CLASSINFO("jx_replacedKeyFromPropertyName", "enableTransStatus=roomTranscribeStatus")
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString cycleRoomId MEMBER cycleRoomId)
    Q_PROPERTY(QString roomName MEMBER roomName)
    Q_PROPERTY(QString beginTime MEMBER beginTime)
    Q_PROPERTY(QString endTime MEMBER endTime)
    Q_PROPERTY(QString password MEMBER password)
    Q_PROPERTY(QString creatorId MEMBER creatorId)
    Q_PROPERTY(QString creatorName MEMBER creatorName)
    Q_PROPERTY(QString quickEnterUrl MEMBER quickEnterUrl)
    Q_PROPERTY(int duration MEMBER duration)
    Q_PROPERTY(int creatorCameraStatus MEMBER creatorCameraStatus)
    Q_PROPERTY(int creatorMicrophoneStatus MEMBER creatorMicrophoneStatus)
    Q_PROPERTY(int openTranslateText MEMBER openTranslateText)
    Q_PROPERTY(int enableTransStatus MEMBER enableTransStatus)
    Q_PROPERTY(int cameraAllowStatus MEMBER cameraAllowStatus)
    Q_PROPERTY(int micAllowStatus MEMBER micAllowStatus)
    Q_PROPERTY(int roomWaitStatus MEMBER roomWaitStatus)
    Q_PROPERTY(int enableRecordStatus MEMBER enableRecordStatus)
    Q_PROPERTY(int sharePermission MEMBER sharePermission)
    Q_PROPERTY(int uploadPermissionType MEMBER uploadPermissionType)
    Q_PROPERTY(int status MEMBER status)
    Q_PROPERTY(int cycleType MEMBER cycleType)
    Q_PROPERTY(qint64 fileCount MEMBER fileCount)
    Q_PROPERTY(quint64 totalMemberCount MEMBER totalMemberCount)
    Q_PROPERTY(bool isCycle MEMBER isCycle)
    Q_PROPERTY(bool onlyUpdateThisMeeting MEMBER onlyUpdateThisMeeting)
    Q_PROPERTY(bool isEdit MEMBER isEdit)
    Q_PROPERTY(bool hasRecord MEMBER hasRecord)
    Q_PROPERTY(bool hasDvr MEMBER hasDvr)
    Q_PROPERTY(QList<VeskUserModel> invitationList MEMBER invitationList)
    Q_PROPERTY(QList<VeskUserModel> allowShareList MEMBER allowShareList)
    Q_PROPERTY(QList<VeskUserModel> meetingMemberList MEMBER meetingMemberList)
    Q_PROPERTY(QMap<QString, MeetingFileAllowOpUserList> uploadFileAllowOpUserList MEMBER uploadFileAllowOpUserList)

public:
    enum Status { NotStarted = 0, InProgress = 1, Ended = 2 };
    enum CycleType { Daily = 1, Weekly = 2 };

    QString roomId;
    QString cycleRoomId;
    QString roomName;
    QString beginTime; // "yyyy-MM-dd HH:mm"
    QString endTime;
    QString password;
    QString creatorId; // encrypted
    QString creatorName;
    QString quickEnterUrl;
    int duration = 0; // minutes
    int creatorCameraStatus = 0;
    int creatorMicrophoneStatus = 0;
    int openTranslateText = 0;
    int enableTransStatus = 0; // JSON "roomTranscribeStatus"
    int cameraAllowStatus = 0;
    int micAllowStatus = 0;
    int roomWaitStatus = 0;
    int enableRecordStatus = 0;
    int sharePermission = 0;
    int uploadPermissionType = 0;
    int status = 0;    // Status
    int cycleType = 0; // CycleType
    qint64 fileCount = 0;
    quint64 totalMemberCount = 0;
    bool isCycle = false;
    bool onlyUpdateThisMeeting = false;
    bool isEdit = false;
    bool hasRecord = false;
    bool hasDvr = false;
    QList<VeskUserModel> invitationList;
    QList<VeskUserModel> allowShareList;
    QList<VeskUserModel> meetingMemberList;
    QMap<QString, MeetingFileAllowOpUserList> uploadFileAllowOpUserList; // by file id

    // A new meeting as the scheduling form starts it.
    [[nodiscard]] static MeetingDataModel defaultModel();

    // The signed-in user created it.
    [[nodiscard]] bool isSelf() const;
    // cycleRoomId for a recurring meeting that has one, else roomId.
    [[nodiscard]] QString displayRoomId() const;
    // "未开始", "进行中", "已结束"; "" for an unknown status.
    [[nodiscard]] QString statusString() const;
    // "45分", "2小时", "2小时5分".
    [[nodiscard]] QString durationCN() const;
    // Parsed beginTime / endTime; invalid when empty or unparsable.
    [[nodiscard]] QDateTime beginTimeDate() const;
    [[nodiscard]] QDateTime endTimeDate() const;
    // "yyyy年MM月dd日"; "" when the time is unparsable (as the other forms).
    [[nodiscard]] QString beginTimeDateCN() const;
    [[nodiscard]] QString endTimeDateCN() const;
    // "yyyy-MM-dd".
    [[nodiscard]] QString beginTimeDate2() const;
    [[nodiscard]] QString endTimeDate2() const;
    // "HH:mm".
    [[nodiscard]] QString beginTimeHourMinute() const;
    [[nodiscard]] QString endTimeHourMinute() const;
    // The web join link: "<web base>/#/home?rn=<displayRoomId>".
    [[nodiscard]] QString invitedUrl() const;
    // The invitation text copied to the pasteboard (see the .cpp for its lines).
    [[nodiscard]] QString invitedMeetingContent() const;

    friend bool operator==(const MeetingDataModel &, const MeetingDataModel &) = default;
};
