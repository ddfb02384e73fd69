// Sharing calls of the agent: the share lock, share permissions, shared documents and
// audio/video files, and the member look-ups of the permission panels.
#include "agent/AgentRequests.h"
#include "agent/VeskAppAgent.h"
#include "foundation/models/MeetingInfoModel.h"
#include "foundation/models/ShareTokenModel.h"

using AgentRequests::flag;

void VeskAppAgent::getShareTokenWithRoomId(QObject *owner, const QString &roomId, const QString &phoneNumber,
                                           const QString &userName, Completion completion)
{
    const RoomScope room = joinedRoom();
    // Without these the service cannot answer; fail at once instead of leaving the caller waiting.
    if (m_myInfo.authorization.isEmpty() || room.sequenceId.isEmpty()) {
        failLater(owner, QStringLiteral("share lock without sign-in or room sequence"), std::move(completion));
        return;
    }
    get(owner, controlPath(roomId, QStringLiteral("getShareLock")), {}, seqHeaders(room.sequenceId),
        [completion = std::move(completion), roomId, phoneNumber, userName](const KVMResponse &response) {
            KVMResponse out = response;
            ShareTokenModel token;
            token.roomId = roomId;
            token.phoneNumber = phoneNumber;
            token.userName = userName;
            token.isCanShare = response.successed;
            out.data = QVariant::fromValue(token);
            if (completion)
                completion(out);
        });
}

void VeskAppAgent::releaseShareTokenWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    get(owner, controlPath(roomId, QStringLiteral("releaseShareLock")), {}, joinedRoomHeaders(), std::move(completion));
}

void VeskAppAgent::queryAllowShareMemberList(QObject *owner, bool inMeeting, Completion completion)
{
    const RoomScope room = joinedRoom();
    get(owner, QStringLiteral("/qf/meeting/room/getAllowShareUsers"),
        {{QStringLiteral("roomId"), room.roomId}, {QStringLiteral("isInMeeting"), inMeeting ? 1 : 0}},
        seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::queryMeetingAllowShareListWithRoomId(QObject *owner, const QString &roomId, bool isInMeeting,
                                                        Completion completion)
{
    get(owner, QStringLiteral("/qf/meeting/room/getAllowShareUsers"),
        {{QStringLiteral("roomId"), roomId}, {QStringLiteral("isInMeeting"), isInMeeting ? 1 : 0}}, authHeaders(),
        AgentRequests::modelList<VeskUserModel>(std::move(completion)));
}

void VeskAppAgent::sharePermission(QObject *owner, qint64 sharePermission, const QVariantList &allowShareList,
                                   Completion completion)
{
    const RoomScope room = joinedRoom();
    const QVariantMap body{
        {QStringLiteral("roomId"), room.roomId},
        {QStringLiteral("sharePermission"), sharePermission},
        {QStringLiteral("allowShareList"), allowShareList},
    };
    post(owner, QStringLiteral("/qf/client/setSharePermission"), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::startOrStopFileShare(QObject *owner, bool start, const QString &uploadUserId, const QString &fileId,
                                        const QString &fileName, const QString &sliceInfo,
                                        const QString &enableOperationFileStatus, const QVariantList &enableUserList,
                                        Completion completion)
{
    const RoomScope room = joinedRoom();
    QVariantMap body{
        {QStringLiteral("roomId"), room.roomId},  {QStringLiteral("sharedFileStatus"), start ? 1 : 0},
        {QStringLiteral("sliceInfo"), sliceInfo}, {QStringLiteral("fileId"), fileId},
        {QStringLiteral("fileName"), fileName},   {QStringLiteral("uploadUserId"), uploadUserId},
    };
    if (!start) {
        post(owner, QStringLiteral("/qf/client/sharedFile"), body, seqHeaders(room.sequenceId), std::move(completion));
        return;
    }
    QVariantMap stop = body;
    stop.insert(QStringLiteral("sharedFileStatus"), 0);
    stop.insert(QStringLiteral("sliceInfo"), QString());
    body.insert(QStringLiteral("enableOperationFileStatus"), enableOperationFileStatus);
    if (enableOperationFileStatus == QLatin1String("2"))
        body.insert(QStringLiteral("enableUserList"), enableUserList);
    postStart(owner, QStringLiteral("/qf/client/sharedFile"), body, stop, seqHeaders(room.sequenceId),
              std::move(completion));
}

void VeskAppAgent::startOrStopAVFileShare(QObject *owner, qint64 type, const QString &uploadUserId,
                                          const QString &fileId, qint64 fileType, const QString &fileName,
                                          qint64 duration, const QString &enableOperationFileStatus,
                                          const QVariantList &enableUserList, Completion completion)
{
    const RoomScope room = joinedRoom();
    const auto info = currentRoomInfo();
    QVariantMap body{
        {QStringLiteral("roomId"), room.roomId}, {QStringLiteral("type"), type},
        {QStringLiteral("fileType"), fileType},  {QStringLiteral("token"), info ? info->token : QString()},
        {QStringLiteral("fileId"), fileId},      {QStringLiteral("fileName"), fileName},
        {QStringLiteral("duration"), duration},  {QStringLiteral("uploadUserId"), uploadUserId},
    };
    if (type != 1 && type != 3) {
        post(owner, QStringLiteral("/qf/client/audVidShare"), body, seqHeaders(room.sequenceId), std::move(completion));
        return;
    }
    QVariantMap stop = body;
    stop.insert(QStringLiteral("type"), 2);
    body.insert(QStringLiteral("enableOperationFileStatus"), enableOperationFileStatus);
    if (enableOperationFileStatus == QLatin1String("2"))
        body.insert(QStringLiteral("enableUserList"), enableUserList);
    postStart(owner, QStringLiteral("/qf/client/audVidShare"), body, stop, seqHeaders(room.sequenceId),
              std::move(completion));
}

// The request is the agent's, so it is not cut off with its asker: once sent, the service may
// start the share whether or not the asker still waits.
void VeskAppAgent::postStart(QObject *owner, const QString &path, const QVariantMap &body, const QVariantMap &stop,
                             const QVariantMap &headers, Completion completion)
{
    if (!owner) {
        post(nullptr, path, body, headers, std::move(completion));
        return;
    }
    post(this, path, body, headers,
         [this, asker = QPointer<QObject>(owner), path, stop, headers,
          completion = std::move(completion)](const KVMResponse &response) {
             if (asker) {
                 if (completion)
                     completion(response);
                 return;
             }
             if (response.successed)
                 post(this, path, stop, headers, {});
         });
}

void VeskAppAgent::queryAllShareFileInfo(QObject *owner, Completion completion)
{
    const RoomScope room = joinedRoom();
    // Its "no such meeting" means the room is gone.
    get(owner, QStringLiteral("/qf/client/querySharedFile"), {{QStringLiteral("roomId"), room.roomId}},
        seqHeaders(room.sequenceId),
        [self = QPointer<VeskAppAgent>(this), roomId = room.roomId,
         completion = std::move(completion)](const KVMResponse &r) {
            if (completion)
                completion(r);
            if (self && r.code == NotFoundCode)
                self->checkRoomEnded(roomId, r, true);
        });
}

void VeskAppAgent::flipOver(QObject *owner, const QString &roomId, const QString &orderStatus, const QString &fileId,
                            Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("roomId"), roomId},
        {QStringLiteral("orderStatus"), orderStatus},
        {QStringLiteral("fileId"), fileId},
    };
    post(owner, QStringLiteral("/qf/client/fileOp"), body, joinedRoomHeaders(), std::move(completion));
}

void VeskAppAgent::playAVFileShare(QObject *owner, qint64 type, const QString &fileId, qint64 fileType,
                                   qint64 seekPosition, Completion completion)
{
    const RoomScope room = joinedRoom();
    const QVariantMap body{
        {QStringLiteral("roomId"), room.roomId},        {QStringLiteral("type"), type},
        {QStringLiteral("fileType"), fileType},         {QStringLiteral("fileId"), fileId},
        {QStringLiteral("seekPosition"), seekPosition},
    };
    post(owner, QStringLiteral("/qf/client/AudVidPlay"), body, seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::avFileShareProcessStart(QObject *owner, const QString &fileId, Completion completion)
{
    const RoomScope room = joinedRoom();
    post(owner, QStringLiteral("/qf/client/processStart"),
         {{QStringLiteral("roomId"), room.roomId}, {QStringLiteral("fileId"), fileId}}, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::queryFileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                                              const QString &uploadUserId, Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("roomId"), roomId},
        {QStringLiteral("fileId"), fileId},
        {QStringLiteral("uploadUserId"), uploadUserId},
    };
    post(owner, QStringLiteral("/qf/client/querySharedFileAllowOpUser"), body, joinedRoomHeaders(),
         std::move(completion));
}

void VeskAppAgent::fileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                                         const QString &uploadUserId, const QString &fileType, qint64 status,
                                         const QVariantList &userList, Completion completion)
{
    if (fileId.isEmpty()) {
        failLater(owner, QStringLiteral("file rights without a file id"), std::move(completion));
        return;
    }
    QVariantMap body{
        {QStringLiteral("roomId"), roomId},
        {QStringLiteral("fileId"), fileId},
        {QStringLiteral("fileType"), fileType},
        {QStringLiteral("enableOperationFileStatus"), status},
        {QStringLiteral("uploadUserId"), uploadUserId},
    };
    if (status == 2)
        body.insert(QStringLiteral("enableUserList"), userList);
    post(owner, QStringLiteral("/qf/client/allowOPFileShared"), body, joinedRoomHeaders(), std::move(completion));
}

void VeskAppAgent::fileUploadPermission(QObject *owner, qint64 uploadPermissionType, const QString &roomId,
                                        Completion completion)
{
    get(owner, QStringLiteral("/qf/client/uploadFilePermission"),
        {{QStringLiteral("roomId"), roomId}, {QStringLiteral("uploadPermissionType"), uploadPermissionType}},
        joinedRoomHeaders(), std::move(completion));
}

void VeskAppAgent::queryMeetingMember(QObject *owner, qint64 isAssistant, const QString &roomId, Completion completion)
{
    get(owner, QStringLiteral("/qf/client/getMeetingMember"),
        {{QStringLiteral("roomId"), roomId}, {QStringLiteral("isAssistant"), isAssistant}}, joinedRoomHeaders(),
        std::move(completion));
}

void VeskAppAgent::queryUserWithUserName(QObject *owner, const QString &userName, Completion completion)
{
    post(owner, QStringLiteral("/qf/user/query"), {{QStringLiteral("userName"), userName}}, authHeaders(),
         std::move(completion));
}
