#pragma once

#include "agent/AgentEnvironment.h"
#include "agent/KVMoreSetting.h"
#include "connection/HttpManager.h"
#include "connection/KVMResponse.h"
#include "foundation/models/VeskUserModel.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>

class AgentModelContext;
class KVFileSnapshot;
class MainSettingModel;
class VeskMeetingManager;
struct MeetingDataModel;
struct MeetingInfoModel;

// The application-wide agent: server environment, the signed-in user, the settings model and
// every REST call of the meeting service.
//
// Main thread only. Every REST call takes an owner: its completion runs once, on the main
// thread, and only while the owner lives (a dead owner's request is aborted). Completions get a
// KVMResponse; where a call maps the reply, `data` holds the model (QVariant::fromValue) instead
// of the raw JSON. Calls on the joined room put its id where the path has a room segment and
// send "sequenceId" ("" when the room has none).
class VeskAppAgent final : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const KVMResponse &response)>;
    // File path of the finished download (empty on failure) and why it failed.
    using DownloadError = HttpManager::DownloadError;
    using DownloadFinish = HttpManager::DownloadFinish;
    using Progress = std::function<void(double fractionCompleted)>;
    // Once per file: the file, success, the reply's envelope, an error text.
    using UploadFinish =
        std::function<void(const QUrl &fileURL, bool ok, const QVariantMap &reply, const QString &error)>;

    // Codes of the service the join road reacts to.
    static constexpr qint64 PasswordNeededCode = 413; // ask for the meeting password, retry
    static constexpr qint64 MeetingLockedCode = 452;  // the host locked the meeting
    static constexpr qint64 WaitingRoomCode = 454;    // admitted to the waiting room
    static constexpr qint64 MeetingEndedCode = 453;   // the meeting is over
    static constexpr qint64 NotFoundCode = 404;       // no such meeting (or thing asked for)
    // Sign-in: the number has no account yet; the agent registers it with the same code.
    static constexpr qint64 UnregisteredCode = 461;
    // Local failure: the call could not be sent (no sign-in, no room, missing id). Message empty.
    static constexpr qint64 NotSentCode = -2001;
    // Local: a join the user gave up (he left the waiting room) while it was on its way. Message empty.
    static constexpr qint64 JoinCancelledCode = -2002;

    // The user-defaults key of the signed-in user (the model's dictionary).
    static inline const QString kMyInfoKey = QStringLiteral("KVMyInfo");

    static VeskAppAgent *sharedInstance();
    // The instance when one exists, else nullptr (never creates one).
    static VeskAppAgent *existingInstance();
    // Tests: destroys the instance (pending requests are dropped); the next sharedInstance()
    // starts clean and reads user defaults again.
    static void resetSharedInstance();

    ~VeskAppAgent() override;

    // ---- Environment ---------------------------------------------------------------------
    [[nodiscard]] int serverEnvironment() const { return m_environment.environment; }
    // Sets the environment and points the REST client at its service address.
    void setServerEnvironment(int environment);
    // Start-up: environment 1, then the rule of KVEnv (the value baked in at build time, or the
    // environment variable "KVEnv" when set).
    void setServerEnvironmentFromKVEnv(const QString &bakedInKVEnv);
    [[nodiscard]] const AgentEnvironment &environment() const { return m_environment; }
    [[nodiscard]] QString serviceAddress() const { return m_environment.serviceAddress; }
    [[nodiscard]] QString webHost() const { return m_environment.webHost; }

    [[nodiscard]] QString getUserHandlerBook() const; // manual page
    [[nodiscard]] QString privacy1UrlString() const;  // second policy page
    [[nodiscard]] QString privacyUrlString() const;   // privacy page

    // ---- Signed-in user --------------------------------------------------------------------
    [[nodiscard]] const VeskUserModel &myInfo() const { return m_myInfo; }
    [[nodiscard]] bool isSignedIn() const { return !m_myInfo.authorization.isEmpty(); }
    void setMyInfo(const VeskUserModel &user);
    // Stores myInfo under kMyInfoKey (the user-defaults file is readable by its owner only).
    void saveMyInfoToLocal();
    // Drops myInfo from memory and storage and removes "KVMoreSetting_Key", then tells
    // signedOut; the caller opens the login page.
    void logout();
    // A reply that says the sign-in is no longer valid: code 401 in its body or HTTP status 401.
    [[nodiscard]] static bool isSignInExpired(const KVMResponse &response);

    // ---- Settings and state --------------------------------------------------------------------
    // Created on first call, kept for the process.
    [[nodiscard]] MainSettingModel *settingModel();
    [[nodiscard]] KVMoreSetting &moreSetting() { return m_moreSetting; }

    [[nodiscard]] VeskMeetingManager *meetingManager() const { return m_meetingManager.get(); }
    void setMeetingManager(std::unique_ptr<VeskMeetingManager> manager);

    // The meeting being entered while the user waits in the waiting room.
    [[nodiscard]] std::shared_ptr<MeetingInfoModel> temMeetingInfoModel() const { return m_temMeetingInfoModel; }
    void setTemMeetingInfoModel(std::shared_ptr<MeetingInfoModel> room);

    // Other users online in the room; the meeting manager keeps it.
    [[nodiscard]] const QList<VeskUserModel> &onlineUsers() const { return m_onlineUsers; }
    void setOnlineUsers(const QList<VeskUserModel> &users);

    // The room the REST calls address: the manager's room, else the room last entered here.
    [[nodiscard]] std::shared_ptr<MeetingInfoModel> currentRoomInfo() const;

    // ---- Sign-in ---------------------------------------------------------------------------
    // POST "/qf/user/sendSmsCode" {"phoneNumber" (encrypted)}.
    void sendSmsCodeWithPhoneNumber(QObject *owner, const QString &phoneNumber, Completion completion);
    // POST "/qf/user/login" {"phoneNumber" (encrypted), "code"}; a number without an account
    // (UnregisteredCode) is registered at once: POST "/qf/user/register" with the same body. On
    // success data is the VeskUserModel, stored as myInfo and saved.
    void loginWithPhoneNumber(QObject *owner, const QString &phoneNumber, const QString &code, Completion completion);

    // ---- Joining and leaving -------------------------------------------------------------------
    // POST "/qf/meeting/room/enter" {"roomId", "password", "enterStyle"}. Success: data is a
    // MeetingInfoModel with creatorId decrypted, kept as the current room. 454: the room (when
    // sent) is kept as temMeetingInfoModel and is data. 413/452 and others: as the service sent.
    // A success clears temMeetingInfoModel of that room (the waiting is over). A join of a room
    // whose waiting room is left while it is on its way completes with JoinCancelledCode; had the
    // service let the user in (or into the waiting room), he leaves again at once.
    void joinMeetingRoomWithRoomId(QObject *owner, const QString &roomId, const QString &password, qint64 enterStyle,
                                   Completion completion);
    // A meeting now: create with the new-meeting defaults, then enter it. The completion gets
    // the create failure or the enter reply.
    void startQuickMeeting(QObject *owner, Completion completion);
    void queryAllowEnterStatusCompletionBlock(QObject *owner, Completion completion);
    // Also cancels the joins of that room still on their way (see joinMeetingRoomWithRoomId).
    void leaveWaitRoomAction(const QString &roomId);
    // The leave request goes out at once, with the sign-in it leaves (a sign-out may follow in the
    // same turn) and before the channel closes; the rest of the leave runs on the main queue.
    void leaveMeeting();
    void leaveMeetingWithOutRequestMethod();
    // POST ".../close"; answered gets the reply (a refused or failed end leaves the meeting on).
    void endMeeting(Completion answered = {});
    // Runs then at once, or, while an end from the meeting is on its way, once it is answered: a
    // list fetched on the way home would otherwise overtake the close and show the meeting running.
    void afterEndAnswered(QObject *owner, std::function<void()> then);
    // From the home page, by room id: POST "/qf/meeting/room/end" {"roomId"}.
    void endMeetingWithRoomId(QObject *owner, const QString &roomId, Completion completion);
    // POST "/qf/meeting/room/cancel" {"roomId", "cancelType": 1 this meeting, 2 the whole series}.
    void cancelMeetingWithRoomId(QObject *owner, const QString &roomId, bool wholeSeries, Completion completion);
    // GET "/qf/client/version" {"platform": "linux", "clientVersion"}: data {"version",
    // "downloadUrl", "forceUpdate", "description"}.
    void checkVersion(QObject *owner, Completion completion);

    // ---- Meeting control -------------------------------------------------------------------
    // GET "/qf/meeting/room/hostInfo" {"roomId"}: data becomes a MeetingHostModel.
    void getAssistanthostInfoWith(QObject *owner, const QString &roomId, Completion completion);
    // Null strings are left out.
    void updateSelfMeetingConfigWithCameraStatus(QObject *owner, const QString &cameraStatus, const QString &micStatus,
                                                 const QString &myLanguage, Completion completion);
    void onRecordVideoCompletionBlock(QObject *owner, Completion completion);
    void offRecordVideoCompletionBlock(QObject *owner, Completion completion);
    // target: encrypted phone numbers; micAllowStatus from the room.
    void switchMicWithAct(QObject *owner, qint64 act, const QStringList &target, Completion completion);
    void switchAllMicWithAct(QObject *owner, qint64 act, const QStringList &target, qint64 micAllowStatus,
                             Completion completion);
    void handleConsumerAllOpenCamera(QObject *owner, qint64 act, const QStringList &target, qint64 cameraAllowStatus,
                                     Completion completion);
    void allowMemberOpenByselfCompletionBlock(QObject *owner, Completion completion);
    void allowMemberOpenCameraByselfCompletionBlock(QObject *owner, Completion completion);
    // allowShareList: [{"userId", "userName", "allowShareStatus"}].
    void sharePermission(QObject *owner, qint64 sharePermission, const QVariantList &allowShareList,
                         Completion completion);
    // phoneNumbers plain; each is encrypted here.
    void assginMember(QObject *owner, const QStringList &phoneNumbers, bool backupHost, Completion completion);
    void memberMoveIntoWaitingRoom(QObject *owner, const QStringList &target, Completion completion);
    void memberMoveOutfromMeetingRoom(QObject *owner, const QStringList &target, bool forbid, Completion completion);
    void agreeEnterInmeeting(QObject *owner, const QStringList &target, Completion completion);
    void readWaitMemberSingle(QObject *owner, const QStringList &target, Completion completion);
    void meetingWaitingRoom(QObject *owner, bool on, Completion completion);
    void meetingLockStatus(QObject *owner, bool on, Completion completion);
    void switchIM(QObject *owner, qint64 imAllowStatus, Completion completion);
    void hostHandleOpenTranscribe(QObject *owner, bool openTranslateText, bool allowMemberViewRecord,
                                  Completion completion);
    void requstCountDownInfoCompletionBlock(QObject *owner, Completion completion);
    void hostStartnewCountDownWith(QObject *owner, qint64 countdownMs, Completion completion);
    void hostTerminalCountDownCompletionBlock(QObject *owner, Completion completion);

    // ---- Subtitles ----------------------------------------------------------------------------
    // data becomes a KVSubTitleListModel. An empty room id fails at once (nothing sent).
    void querySubTitleListWithRoomId(QObject *owner, const QString &roomId, qint64 timeStamp, bool isAfter, bool isDesc,
                                     Completion completion);
    void querySubTitleKeyTimesWithRoomId(QObject *owner, const QString &roomId, const QString &key,
                                         Completion completion);
    void downloadSubTitleFileWithRoomId(QObject *owner, const QString &roomId, DownloadFinish finish);

    // ---- Sharing -------------------------------------------------------------------------------
    // data becomes a ShareTokenModel. Without a sign-in or a room sequence id it fails at once.
    void getShareTokenWithRoomId(QObject *owner, const QString &roomId, const QString &phoneNumber,
                                 const QString &userName, Completion completion);
    void releaseShareTokenWithRoomId(QObject *owner, const QString &roomId, Completion completion);
    void queryAllowShareMemberList(QObject *owner, bool inMeeting, Completion completion);
    // data becomes a QList<VeskUserModel>.
    void queryMeetingAllowShareListWithRoomId(QObject *owner, const QString &roomId, bool isInMeeting,
                                              Completion completion);
    // A start whose owner goes before a successful answer (its picker closed, its meeting left) is
    // stopped again in the same room: nobody would be left to end that share.
    void startOrStopFileShare(QObject *owner, bool start, const QString &uploadUserId, const QString &fileId,
                              const QString &fileName, const QString &sliceInfo,
                              const QString &enableOperationFileStatus, const QVariantList &enableUserList,
                              Completion completion);
    // type 1 start, 2 stop (3 carries rights too); fileType 2 video, 3 audio.
    void startOrStopAVFileShare(QObject *owner, qint64 type, const QString &uploadUserId, const QString &fileId,
                                qint64 fileType, const QString &fileName, qint64 duration,
                                const QString &enableOperationFileStatus, const QVariantList &enableUserList,
                                Completion completion);
    void queryAllShareFileInfo(QObject *owner, Completion completion);
    void flipOver(QObject *owner, const QString &roomId, const QString &orderStatus, const QString &fileId,
                  Completion completion);
    // type 2 play or resume, 3 pause, 4 seek; seekPosition in seconds.
    void playAVFileShare(QObject *owner, qint64 type, const QString &fileId, qint64 fileType, qint64 seekPosition,
                         Completion completion);
    void avFileShareProcessStart(QObject *owner, const QString &fileId, Completion completion);
    // data becomes {"files": QList<FileShareModel>, "fileTypes": QList<SupportFileShareTypeModel>};
    // with FileRows::AsSent the files stay the key-value lists the service sent, for a list that
    // maps only the rows it does not hold already.
    enum class FileRows { Models, AsSent };
    void queryFileList(QObject *owner, const QString &roomId, Completion completion, FileRows rows = FileRows::Models);
    void queryFileSliceUrl(QObject *owner, const QString &fileId, const QString &roomId, Completion completion);
    // Files go as private copies taken off the main thread (KVFileSnapshot::take): the size and
    // MD5 announced are those of the bytes uploaded, and nothing here reads a file.
    void prepareUploadFileWithfileURL(QObject *owner, const QList<std::shared_ptr<KVFileSnapshot>> &files,
                                      const QStringList &identityArray, const QString &roomId, Completion completion);
    // One multipart request per file; finish gets the copied file's URL.
    void uploadFileWithfileURL(QObject *owner, const QList<std::shared_ptr<KVFileSnapshot>> &files,
                               const QStringList &fileIds, const QString &roomId, Progress progress,
                               UploadFinish finish);
    void deleteFiles(QObject *owner, const QStringList &fileIds, const QString &uploadUserId, const QString &roomId,
                     Completion completion);
    void queryFileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                                    const QString &uploadUserId, Completion completion);
    // An empty file id fails at once (nothing sent). userList: [{"userId", "userName"}].
    void fileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                               const QString &uploadUserId, const QString &fileType, qint64 status,
                               const QVariantList &userList, Completion completion);
    void fileUploadPermission(QObject *owner, qint64 uploadPermissionType, const QString &roomId,
                              Completion completion);
    void queryMeetingMember(QObject *owner, qint64 isAssistant, const QString &roomId, Completion completion);
    void queryUserWithUserName(QObject *owner, const QString &userName, Completion completion);

    // ---- Scheduling and records ----------------------------------------------------------------
    void createOrUpdateMeeting(QObject *owner, const MeetingDataModel &meeting, Completion completion);
    void queryCreatedRoomsInfoWithCompletionBlock(QObject *owner, Completion completion);
    // Stores the fresh token of the reply on myInfo and saves it.
    void getPreRoomId(QObject *owner, const QString &roomId, Completion completion);
    // data becomes a QList<VeskUserModel>.
    void queryMeetingInvitationListWithRoomId(QObject *owner, const QString &roomId, Completion completion);
    void queryMeetingMembersListWithRoomId(QObject *owner, const QString &roomId, Completion completion);
    // data: day sections [{"orderDate": "yyyy-MM-dd", "meetList": [meetings]}]; for today the
    // same shape holding today's section only (none when nothing is left today).
    void queryMeetingListIsToday(QObject *owner, bool isToday, Completion completion);
    // data becomes a MeetingListDataModel (creator ids decrypted).
    void queryHistoryMeetingListWithPageNum(QObject *owner, qint64 pageNum, Completion completion);
    // data becomes a QList<RecordVideoModel>. An empty room id asks for every recording.
    void queryRecordVideoListWithRoomId(QObject *owner, const QString &roomId, Completion completion);
    void deleteRecordVideoWithRoomId(QObject *owner, const QString &roomId, const QString &dvrSequenceId,
                                     Completion completion);
    void deleteRecordVideoWithRoomId(QObject *owner, const QString &roomId, Completion completion);
    // data becomes a QList<RecordFileModel> when the reply has "list".
    void queryRecordFileListWith(QObject *owner, qint64 pageNum, qint64 pageSize, Completion completion);
    void downloadRecordVideoWithUrl(QObject *owner, const QString &url, DownloadFinish finish);
    void downloadMeetingMembersListWithRoomId(QObject *owner, const QString &roomId, DownloadFinish finish);

    // ---- Account -------------------------------------------------------------------------------
    void updateUserInfoWithUserName(QObject *owner, const QString &userName, Completion completion);
    // data becomes a QList<MeetingRecordDeviceModel>.
    void getTheDeviceInfoCompletionBlock(QObject *owner, Completion completion);

    // ---- Helpers -------------------------------------------------------------------------------
    // MD5 of a file in 1024-byte chunks, 32 lowercase hex; "" when it cannot be opened.
    [[nodiscard]] static QString calculateMD5ForFileAtPath(const QString &path);
    // The signed common parameters of the file service for a room (see FileServiceSignature.h).
    [[nodiscard]] QVariantMap fileServiceParameters(const QString &roomId) const;
    // POST "/qf/log/upload" {"level", "content", "userId", "applicationId"} when signed in (the
    // KVLogManager uploader); failures are dropped silently so they cannot feed back into logs.
    void uploadLogLine(const QString &level, const QString &line);
    // POST "/qf/statistics/micOpenTime" {"roomId", "userId", "startTime", "endTime", "seconds"}.
    void uploadMicOpenTime(const QString &roomId, qint64 startMs, qint64 endMs);

    [[nodiscard]] HttpManager *http() const;

Q_SIGNALS:
    // A call made with the current sign-in was refused because the sign-in is no longer valid.
    // Once per sign-in, after the call's own completion; message is the service's text (may be
    // empty). The shell signs the user out and shows the login page.
    void signInExpired(const QString &message);
    // The sign-in ended (logout): what belonged to it, such as running downloads and their
    // saves, ends with it. Emitted from logout(), before the caller changes pages.
    void signedOut();
    // A join was refused (not let in, not sent to the waiting room, not cancelled), after the
    // join's own completion: the page that asked for it from the waiting room answers it.
    void joinRefused(const QString &roomId, qint64 code, const QString &message);
    // A call on the joined room was answered that the meeting is over or gone (453 on any call,
    // 404 on the query of the room's shared files), after the call's own completion.
    void joinedRoomEnded(const QString &roomId, const QString &message);

private:
    VeskAppAgent();

    struct RoomScope {
        QString roomId;
        QString sequenceId; // "" when the room has none
    };
    [[nodiscard]] RoomScope joinedRoom() const;
    [[nodiscard]] QVariantMap authHeaders() const;
    [[nodiscard]] QVariantMap seqHeaders(const QString &sequenceId) const;
    [[nodiscard]] QVariantMap joinedRoomHeaders() const;
    [[nodiscard]] static QString controlPath(const QString &roomId, const QString &action);

    void get(QObject *owner, const QString &path, const QVariantMap &query, const QVariantMap &headers,
             Completion completion);
    void post(QObject *owner, const QString &path, const QVariantMap &body, const QVariantMap &headers,
              Completion completion);
    // Completes once, later on the main thread, with a NotSentCode failure.
    void failLater(QObject *owner, const QString &why, Completion completion);
    // Tells of an expired sign-in when a reply to a call made with authorization says so.
    void checkSignIn(const QString &authorization, const KVMResponse &response);
    // Tells of the joined room's end when a reply to a call sent for roomId says so.
    void checkRoomEnded(const QString &roomId, const KVMResponse &response, bool notFoundEnds);
    void download(QObject *owner, const QString &pathOrUrl, const QVariantMap &query, const QVariantMap &headers,
                  DownloadFinish finish);
    // finish, then the sign-in check of the download's answer (its status, or the service's
    // envelope in place of a file), as for every other call.
    [[nodiscard]] DownloadFinish checkedDownload(const QString &authorization, DownloadFinish finish);
    void storeSignedInUser(const QVariantMap &userDict);
    // The create/update body of a scheduled meeting.
    [[nodiscard]] QVariantMap meetingBody(const MeetingDataModel &meeting) const;
    void leaveRoomLocally();
    // A share's start, sent whatever becomes of owner; stop is sent once it started without him.
    void postStart(QObject *owner, const QString &path, const QVariantMap &body, const QVariantMap &stop,
                   const QVariantMap &headers, Completion completion);

    AgentEnvironment m_environment;
    VeskUserModel m_myInfo;
    MainSettingModel *m_settingModel = nullptr;
    KVMoreSetting m_moreSetting;
    std::unique_ptr<VeskMeetingManager> m_meetingManager;
    std::shared_ptr<MeetingInfoModel> m_temMeetingInfoModel;
    std::shared_ptr<MeetingInfoModel> m_enteredRoom;
    QString m_leaveSentFor;            // the room whose leave request went out, until the leave has run
    QPointer<QObject> m_leaveInFlight; // lives until that request is answered
    QPointer<QObject> m_endInFlight;   // likewise for the end from the meeting
    QList<VeskUserModel> m_onlineUsers;
    std::unique_ptr<AgentModelContext> m_modelContext;
    QString m_expiredAuthorization; // the sign-in already reported as expired
    // Joins on their way (serial -> room id) and those the user gave up.
    quint64 m_joinSerial = 0;
    QMap<quint64, QString> m_joinsInFlight;
    QSet<quint64> m_cancelledJoins;
};
