#pragma once

// What the share picker's file tab and its permission pop-overs ask of the file service, the
// meeting service, the joined room and the signed-in user. The application's answers come from
// the agent; tests install a fake that answers when told.

#include "agent/VeskAppAgent.h"
#include "connection/KVFileSnapshot.h"
#include "connection/KVMResponse.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>

#include <functional>
#include <memory>
#include <stop_token>

struct MeetingDataModel;

class ShareFileServices {
public:
    using Completion = std::function<void(const KVMResponse &response)>;
    using UploadFinish = VeskAppAgent::UploadFinish;

    virtual ~ShareFileServices() = default;

    // ---- Requests: answers on the main thread, only while owner lives --------------------------
    virtual void queryFileList(QObject *owner, const QString &roomId, Completion completion) = 0;
    virtual void deleteFiles(QObject *owner, const QStringList &fileIds, const QString &uploadUserId,
                             const QString &roomId, Completion completion) = 0;
    virtual void queryFileSliceUrl(QObject *owner, const QString &fileId, const QString &roomId,
                                   Completion completion) = 0;
    virtual void queryFileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                                            const QString &uploadUserId, Completion completion) = 0;
    virtual void startOrStopFileShare(QObject *owner, bool start, const QString &uploadUserId, const QString &fileId,
                                      const QString &fileName, const QString &sliceInfo,
                                      const QString &enableOperationFileStatus, const QVariantList &enableUserList,
                                      Completion completion) = 0;
    virtual void startOrStopAVFileShare(QObject *owner, qint64 type, const QString &uploadUserId, const QString &fileId,
                                        qint64 fileType, const QString &fileName, qint64 duration,
                                        const QString &enableOperationFileStatus, const QVariantList &enableUserList,
                                        Completion completion) = 0;
    // Private copies taken by takeSnapshot: their sizes and MD5s are announced, and the same copy
    // is uploaded.
    virtual void prepareUploadFileWithfileURL(QObject *owner, const QList<std::shared_ptr<KVFileSnapshot>> &files,
                                              const QStringList &identityArray, const QString &roomId,
                                              Completion completion) = 0;
    virtual void uploadFileWithfileURL(QObject *owner, const std::shared_ptr<KVFileSnapshot> &file,
                                       const QString &fileId, const QString &roomId, UploadFinish finish) = 0;
    virtual void fileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                                       const QString &uploadUserId, const QString &fileType, qint64 status,
                                       const QVariantList &userList, Completion completion) = 0;
    virtual void fileUploadPermission(QObject *owner, qint64 uploadPermissionType, const QString &roomId,
                                      Completion completion) = 0;
    virtual void queryMeetingMember(QObject *owner, qint64 isAssistant, const QString &roomId,
                                    Completion completion) = 0;
    virtual void queryUserWithUserName(QObject *owner, const QString &userName, Completion completion) = 0;

    // ---- Off the main thread: the upload workers call it ---------------------------------------
    // The file's private copy with its MD5 (KVFileSnapshot::take), or null with *failure set.
    [[nodiscard]] virtual std::shared_ptr<KVFileSnapshot> takeSnapshot(const QString &path, std::stop_token stop,
                                                                       KVFileSnapshot::Failure *failure) const = 0;

    // ---- The joined room (empty or 0 outside a meeting) and the signed-in user ---------------
    [[nodiscard]] virtual QString joinedRoomId() const = 0;
    [[nodiscard]] virtual QString roomCreatorId() const = 0; // encrypted
    [[nodiscard]] virtual int allowFileUpload() const = 0;
    [[nodiscard]] virtual int roomUploadPermissionType() const = 0;
    virtual void setRoomUploadPermissionType(int type) = 0;
    [[nodiscard]] virtual bool isHost() const = 0;
    [[nodiscard]] virtual bool asssitantHost() const = 0;
    // Plain ids of the assistant hosts.
    [[nodiscard]] virtual QStringList asssitantRecordArray() const = 0;
    [[nodiscard]] virtual bool selfFileSharing() const = 0;
    [[nodiscard]] virtual bool selfAVFileSharing() const = 0;
    [[nodiscard]] virtual QString myUserName() const = 0;
    // The scheduled meeting was created by the signed-in user.
    [[nodiscard]] virtual bool isSelf(const MeetingDataModel &meeting) const = 0;

    // The agent's and the current meeting's answers.
    [[nodiscard]] static std::shared_ptr<ShareFileServices> agent();
    // What new pickers and pop-overs use (the agent's unless a test installed others).
    [[nodiscard]] static std::shared_ptr<ShareFileServices> current();
    static void install(std::shared_ptr<ShareFileServices> services);
};
