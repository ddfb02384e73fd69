#pragma once

#include "foundation/models/AVFileSharedResp.h"
#include "foundation/models/FileSharedResp.h"
#include "foundation/models/VeskModel.h"

#include <QString>

// The joined room (the meeting manager's `roomInfo`, the agent's
// `temMeetingInfoModel`): plain read-write fields without side effects,
// filled from the room-enter reply. Held shared as std::shared_ptr.
struct MeetingInfoModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString roomName MEMBER roomName)
    Q_PROPERTY(QString creatorId MEMBER creatorId)
    Q_PROPERTY(QString creatorName MEMBER creatorName)
    Q_PROPERTY(QString password MEMBER password)
    Q_PROPERTY(quint64 sequenceId MEMBER sequenceId)
    Q_PROPERTY(QString token MEMBER token)
    Q_PROPERTY(QString signalUrl MEMBER signalUrl)
    Q_PROPERTY(QString imUrl MEMBER imUrl)
    Q_PROPERTY(QString exp MEMBER exp)
    Q_PROPERTY(QString ctime MEMBER ctime)
    Q_PROPERTY(QString signature MEMBER signature)
    Q_PROPERTY(int streamLevel MEMBER streamLevel)
    Q_PROPERTY(int isSharingFiles MEMBER isSharingFiles)
    Q_PROPERTY(FileSharedResp sharedFileResp MEMBER sharedFileResp)
    Q_PROPERTY(AVFileSharedResp sharedAudVidResp MEMBER sharedAudVidResp)
    Q_PROPERTY(int allowOpFileShared MEMBER allowOpFileShared)
    Q_PROPERTY(int countdown MEMBER countdown)
    Q_PROPERTY(int cameraStatus MEMBER cameraStatus)
    Q_PROPERTY(int microphoneStatus MEMBER microphoneStatus)
    Q_PROPERTY(bool micAllowStatus MEMBER micAllowStatus)
    Q_PROPERTY(bool cameraAllowStatus MEMBER cameraAllowStatus)
    Q_PROPERTY(bool micForbid MEMBER micForbid)
    Q_PROPERTY(bool imAllowStatus MEMBER imAllowStatus)
    Q_PROPERTY(bool imForbid MEMBER imForbid)
    Q_PROPERTY(int openTranslateText MEMBER openTranslateText)
    Q_PROPERTY(int roomTranscribeStatus MEMBER roomTranscribeStatus)
    Q_PROPERTY(bool roomLockStatus MEMBER roomLockStatus)
    Q_PROPERTY(bool roomWaitStatus MEMBER roomWaitStatus)
    Q_PROPERTY(int sharePermission MEMBER sharePermission)
    Q_PROPERTY(bool allowFileShared MEMBER allowFileShared)
    Q_PROPERTY(int allowFileUpload MEMBER allowFileUpload)
    Q_PROPERTY(int uploadPermissionType MEMBER uploadPermissionType)
    Q_PROPERTY(int enableRecordStatus MEMBER enableRecordStatus)
    Q_PROPERTY(QString invitedMeetingContent MEMBER invitedMeetingContent)

public:
    enum SharingFiles { SharingNone = 0, SharingDocument = 1, SharingVideoFile = 2, SharingAudioFile = 3 };
    enum SharePermission { ShareAll = 0, ShareAuthorised = 1, ShareHostAndAssistants = 2 };

    QString roomId;
    QString roomName; // rewritten by control event 201
    // The creator's user id. The reply may carry it encrypted: the agent stores
    // it decrypted on entry, so readers always compare against a plain id.
    QString creatorId;
    QString creatorName;
    QString password;
    quint64 sequenceId = 0; // sent back as header "sequenceId"
    QString token;          // room token: engine join, A/V share requests

    // Addresses and channel credentials from the room-enter reply (the reply's
    // keys are ours to name): `signalUrl` is the media signalling address the
    // engine takes its domain and port from; `imUrl` the "wss://" message
    // channel address, joined with roomId, userId and the credentials `exp`
    // (expiry), `ctime` (issue time) and `signature`, all passed as given.
    QString signalUrl;
    QString imUrl;
    QString exp;
    QString ctime;
    QString signature;

    // Video level 1 to 3; 0 means a room without video (share and camera off).
    int streamLevel = 0;
    // SharingFiles: 1 document, 2 video file, 3 audio file; anything else none.
    // Use isSharingDocument()/isSharingAudioVideo() rather than comparing.
    int isSharingFiles = 0;
    FileSharedResp sharedFileResp;
    AVFileSharedResp sharedAudVidResp;
    int allowOpFileShared = 0; // 1 members may operate the running shared file
    int countdown = 0;         // > 0 while a count-down runs
    int cameraStatus = 0;      // the room asks members to start with the camera on
    int microphoneStatus = 0;
    bool micAllowStatus = false; // members may open the device themselves
    bool cameraAllowStatus = false;
    bool micForbid = false;
    bool imAllowStatus = false;   // participants may chat
    bool imForbid = false;        // chat forbidden for all
    int openTranslateText = 0;    // meeting record on when non-zero
    int roomTranscribeStatus = 0; // participants may view record/transcription
    bool roomLockStatus = false;
    bool roomWaitStatus = false;
    // SharePermission: 0 all members, 1 authorised members, 2 host (creator)
    // and assistant hosts only.
    int sharePermission = 0;
    bool allowFileShared = false;  // the user may share at all
    int allowFileUpload = 0;       // 1 members may upload
    int uploadPermissionType = 0;  // 1 host only, 2 all
    int enableRecordStatus = 0;    // 1 members may start cloud recording
    QString invitedMeetingContent; // invitation text for the pasteboard

    [[nodiscard]] bool hasVideo() const { return streamLevel != 0; }
    [[nodiscard]] bool isSharingDocument() const { return isSharingFiles == SharingDocument; }
    [[nodiscard]] bool isSharingAudioVideo() const
    {
        return isSharingFiles == SharingVideoFile || isSharingFiles == SharingAudioFile;
    }

    friend bool operator==(const MeetingInfoModel &, const MeetingInfoModel &) = default;
};
