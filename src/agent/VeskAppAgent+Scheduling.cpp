// Scheduling, meeting lists, records and account calls of the agent.
#include "agent/AgentLog.h"
#include "agent/AgentRequests.h"
#include "agent/VeskAppAgent.h"
#include "agent/models/RecordVideoModel.h"
#include "connection/HttpManager.h"
#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingListDataModel.h"
#include "foundation/models/MeetingRecordDeviceModel.h"

namespace {
QVariantList encryptedUsers(const QList<VeskUserModel> &users)
{
    QVariantList out;
    for (const VeskUserModel &user : users) {
        out.append(QVariantMap{
            {QStringLiteral("userId"), RXEncrypt::aes128ecbEncrypt(user.userId)},
            {QStringLiteral("userName"), user.userName},
        });
    }
    return out;
}
} // namespace

QVariantMap VeskAppAgent::meetingBody(const MeetingDataModel &m) const
{
    const bool update = m.isEdit && !m.roomId.isEmpty();
    QVariantMap body;
    if (!m.roomId.isEmpty())
        body.insert(QStringLiteral("roomId"), m.roomId);
    body.insert(QStringLiteral("isCycle"), m.isCycle ? 1 : 0);
    if (m.isCycle) {
        body.insert(QStringLiteral("cycleType"), m.cycleType);
        if (update)
            body.insert(QStringLiteral("updateCycleType"), m.onlyUpdateThisMeeting ? 1 : 2);
    }
    body.insert(QStringLiteral("roomName"), m.roomName);
    body.insert(QStringLiteral("beginTime"), m.beginTime);
    body.insert(QStringLiteral("password"), m.password.isNull() ? QStringLiteral("") : m.password);
    body.insert(QStringLiteral("duration"), m.duration);
    body.insert(QStringLiteral("creatorCameraStatus"), m.creatorCameraStatus);
    body.insert(QStringLiteral("creatorMicrophoneStatus"), m.creatorMicrophoneStatus);
    body.insert(QStringLiteral("enableTransStatus"), m.enableTransStatus);
    body.insert(QStringLiteral("micAllowStatus"), m.micAllowStatus);
    body.insert(QStringLiteral("roomWaitStatus"), m.roomWaitStatus);
    body.insert(QStringLiteral("cameraAllowStatus"), m.cameraAllowStatus);
    body.insert(QStringLiteral("enableRecordStatus"), m.enableRecordStatus);
    body.insert(QStringLiteral("openTranslateText"), m.openTranslateText);
    body.insert(QStringLiteral("uploadPermissionType"), m.uploadPermissionType);
    body.insert(QStringLiteral("sharePermission"), m.sharePermission);

    QList<VeskUserModel> invitees = m.invitationList;
    if (invitees.isEmpty())
        invitees.append(m_myInfo);
    body.insert(QStringLiteral("invitationList"), encryptedUsers(invitees));
    if (m.sharePermission == 1 && !m.allowShareList.isEmpty())
        body.insert(QStringLiteral("allowShareList"), encryptedUsers(m.allowShareList));
    if (!m.uploadFileAllowOpUserList.isEmpty()) {
        QVariantList rights;
        for (const auto &entry : m.uploadFileAllowOpUserList) {
            rights.append(QVariantMap{
                {QStringLiteral("fileId"), entry.fileId},
                {QStringLiteral("fileType"), entry.fileType},
                {QStringLiteral("uploadUserId"), entry.uploadUserId},
                {QStringLiteral("enableOperationFileStatus"), entry.enableOperationFileStatus},
                {QStringLiteral("enableUserList"), encryptedUsers(entry.enableUserList)},
            });
        }
        body.insert(QStringLiteral("uploadFileAllowOpUserList"), rights);
    }
    return body;
}

void VeskAppAgent::createOrUpdateMeeting(QObject *owner, const MeetingDataModel &meeting, Completion completion)
{
    const bool update = meeting.isEdit && !meeting.roomId.isEmpty();
    post(owner, update ? QStringLiteral("/qf/meeting/room/update") : QStringLiteral("/qf/meeting/room/create"),
         meetingBody(meeting), authHeaders(), std::move(completion));
}

void VeskAppAgent::startQuickMeeting(QObject *owner, Completion completion)
{
    MeetingDataModel meeting = MeetingDataModel::defaultModel();
    QPointer<VeskAppAgent> self(this);
    QPointer<QObject> guardOwner(owner ? owner : this);
    createOrUpdateMeeting(owner, meeting, [self, guardOwner, completion](const KVMResponse &created) {
        const QString roomId = created.dataMap().value(QStringLiteral("roomId")).toString();
        if (!created.successed || roomId.isEmpty() || !self || !guardOwner) {
            if (completion)
                completion(created);
            return;
        }
        self->joinMeetingRoomWithRoomId(guardOwner, roomId, QString(), 0, completion);
    });
}

void VeskAppAgent::queryCreatedRoomsInfoWithCompletionBlock(QObject *owner, Completion completion)
{
    get(owner, QStringLiteral("/qf/user/createdRoomsInfo"), {}, authHeaders(), std::move(completion));
}

void VeskAppAgent::getPreRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    QVariantMap query;
    if (!roomId.isEmpty())
        query.insert(QStringLiteral("roomId"), roomId);
    QPointer<VeskAppAgent> self(this);
    get(owner, QStringLiteral("/qf/meeting/room/getPreRoomId"), query, authHeaders(),
        [self, completion = std::move(completion)](const KVMResponse &response) {
            if (response.successed && self) {
                const QVariantMap data = response.dataMap();
                const QString token = data.value(QStringLiteral("authorization")).toString();
                if (!token.isEmpty()) {
                    self->m_myInfo.authorization = token;
                    self->m_myInfo.exp = data.value(QStringLiteral("exp")).toString();
                    self->m_myInfo.created = data.value(QStringLiteral("created")).toString();
                    self->saveMyInfoToLocal();
                }
            }
            if (completion)
                completion(response);
        });
}

void VeskAppAgent::queryMeetingInvitationListWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    get(owner, QStringLiteral("/qf/meeting/room/invitationList"), {{QStringLiteral("roomId"), roomId}}, authHeaders(),
        AgentRequests::modelList<VeskUserModel>(std::move(completion)));
}

void VeskAppAgent::queryMeetingMembersListWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    get(owner, QStringLiteral("/qf/meeting/room/members"), {{QStringLiteral("roomId"), roomId}}, authHeaders(),
        AgentRequests::modelList<VeskUserModel>(std::move(completion)));
}

void VeskAppAgent::queryMeetingListIsToday(QObject *owner, bool isToday, Completion completion)
{
    get(owner, QStringLiteral("/qf/meeting/room/orderAgenda"), {{QStringLiteral("isToday"), isToday ? 1 : 0}},
        authHeaders(), std::move(completion));
}

void VeskAppAgent::queryHistoryMeetingListWithPageNum(QObject *owner, qint64 pageNum, Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("pageNum"), pageNum},
        {QStringLiteral("pageSize"), QStringLiteral("10")},
    };
    post(owner, QStringLiteral("/qf/meeting/room/historyAgenda"), body, authHeaders(),
         AgentRequests::mapOnSuccess(std::move(completion), [](const QVariant &data) {
             auto page = jx_objectWithKeyValues<MeetingListDataModel>(data);
             for (MeetingDataModel &meeting : page.list)
                 meeting.creatorId = RXEncrypt::aes128ecbDecrypt(meeting.creatorId);
             return QVariant::fromValue(page);
         }));
}

void VeskAppAgent::queryRecordVideoListWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    QVariantMap query;
    if (!roomId.isEmpty())
        query.insert(QStringLiteral("roomId"), roomId);
    get(owner, QStringLiteral("/qf/user/dvr/list"), query, authHeaders(),
        AgentRequests::modelList<RecordVideoModel>(std::move(completion)));
}

void VeskAppAgent::deleteRecordVideoWithRoomId(QObject *owner, const QString &roomId, const QString &dvrSequenceId,
                                               Completion completion)
{
    const QVariantList dvrList{QVariantMap{
        {QStringLiteral("roomId"), roomId.isNull() ? QStringLiteral("") : roomId},
        {QStringLiteral("dvrSequenceId"), dvrSequenceId.isNull() ? QStringLiteral("") : dvrSequenceId},
    }};
    post(owner, QStringLiteral("/qf/user/dvr/delete"), {{QStringLiteral("dvrList"), dvrList}}, authHeaders(),
         std::move(completion));
}

void VeskAppAgent::deleteRecordVideoWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    get(owner, QStringLiteral("/qf/user/deleteRecord"), {{QStringLiteral("roomId"), roomId}}, authHeaders(),
        std::move(completion));
}

void VeskAppAgent::queryRecordFileListWith(QObject *owner, qint64 pageNum, qint64 pageSize, Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("pageNum"), pageNum},
        {QStringLiteral("pageSize"), QString::number(pageSize)},
    };
    post(owner, QStringLiteral("/qf/user/queryRecord"), body, authHeaders(),
         [completion = std::move(completion)](const KVMResponse &response) {
             KVMResponse out = response;
             const QVariantMap data = out.dataMap();
             if (out.successed && data.contains(QStringLiteral("list")))
                 out.data = QVariant::fromValue(
                     jx_objectArrayWithKeyValuesArray<RecordFileModel>(data.value(QStringLiteral("list"))));
             if (completion)
                 completion(out);
         });
}

void VeskAppAgent::downloadRecordVideoWithUrl(QObject *owner, const QString &url, DownloadFinish finish)
{
    // The storage host is not the service: the address as given, and none of the service's headers.
    // Its refusal still ends the sign-in that asked, as any other.
    http()->downloadFileWithUrl(owner ? owner : this, url, {},
                                checkedDownload(m_myInfo.authorization, std::move(finish)),
                                HttpManager::Headers::OnlyGiven);
}

void VeskAppAgent::downloadMeetingMembersListWithRoomId(QObject *owner, const QString &roomId, DownloadFinish finish)
{
    download(owner, QStringLiteral("/qf/meeting/room/members/download"), {{QStringLiteral("roomId"), roomId}},
             authHeaders(), std::move(finish));
}

void VeskAppAgent::updateUserInfoWithUserName(QObject *owner, const QString &userName, Completion completion)
{
    if (m_myInfo.authorization.isEmpty()) {
        failLater(owner, QStringLiteral("user info without sign-in"), std::move(completion));
        return;
    }
    post(owner, QStringLiteral("/qf/user/info"), {{QStringLiteral("userName"), userName}}, authHeaders(),
         std::move(completion));
}

void VeskAppAgent::getTheDeviceInfoCompletionBlock(QObject *owner, Completion completion)
{
    get(owner, QStringLiteral("/qf/client/getHistoryLoginDevice"), {}, authHeaders(),
        AgentRequests::modelList<MeetingRecordDeviceModel>(std::move(completion)));
}
