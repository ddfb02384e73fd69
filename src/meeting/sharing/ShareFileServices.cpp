#include "meeting/sharing/ShareFileServices.h"

#include "agent/VeskMeetingManager.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingLog.h"

namespace {

VeskAppAgent *agentInstance()
{
    return VeskAppAgent::sharedInstance();
}

class AgentShareFileServices final : public ShareFileServices {
public:
    void queryFileList(QObject *owner, const QString &roomId, Completion completion) override
    {
        // The picker's list maps only the rows it does not hold already.
        agentInstance()->queryFileList(owner, roomId, std::move(completion), VeskAppAgent::FileRows::AsSent);
    }
    void deleteFiles(QObject *owner, const QStringList &fileIds, const QString &uploadUserId, const QString &roomId,
                     Completion completion) override
    {
        agentInstance()->deleteFiles(owner, fileIds, uploadUserId, roomId, std::move(completion));
    }
    void queryFileSliceUrl(QObject *owner, const QString &fileId, const QString &roomId, Completion completion) override
    {
        agentInstance()->queryFileSliceUrl(owner, fileId, roomId, std::move(completion));
    }
    void queryFileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                                    const QString &uploadUserId, Completion completion) override
    {
        agentInstance()->queryFileShareOPPermission(owner, fileId, roomId, uploadUserId, std::move(completion));
    }
    void startOrStopFileShare(QObject *owner, bool start, const QString &uploadUserId, const QString &fileId,
                              const QString &fileName, const QString &sliceInfo,
                              const QString &enableOperationFileStatus, const QVariantList &enableUserList,
                              Completion completion) override
    {
        agentInstance()->startOrStopFileShare(owner, start, uploadUserId, fileId, fileName, sliceInfo,
                                              enableOperationFileStatus, enableUserList, std::move(completion));
    }
    void startOrStopAVFileShare(QObject *owner, qint64 type, const QString &uploadUserId, const QString &fileId,
                                qint64 fileType, const QString &fileName, qint64 duration,
                                const QString &enableOperationFileStatus, const QVariantList &enableUserList,
                                Completion completion) override
    {
        agentInstance()->startOrStopAVFileShare(owner, type, uploadUserId, fileId, fileType, fileName, duration,
                                                enableOperationFileStatus, enableUserList, std::move(completion));
    }
    void prepareUploadFileWithfileURL(QObject *owner, const QList<std::shared_ptr<KVFileSnapshot>> &files,
                                      const QStringList &identityArray, const QString &roomId,
                                      Completion completion) override
    {
        agentInstance()->prepareUploadFileWithfileURL(owner, files, identityArray, roomId, std::move(completion));
    }
    void uploadFileWithfileURL(QObject *owner, const std::shared_ptr<KVFileSnapshot> &file, const QString &fileId,
                               const QString &roomId, UploadFinish finish) override
    {
        agentInstance()->uploadFileWithfileURL(
            owner, {file}, {fileId}, roomId, [](double) {}, std::move(finish));
    }
    void fileShareOPPermission(QObject *owner, const QString &fileId, const QString &roomId,
                               const QString &uploadUserId, const QString &fileType, qint64 status,
                               const QVariantList &userList, Completion completion) override
    {
        agentInstance()->fileShareOPPermission(owner, fileId, roomId, uploadUserId, fileType, status, userList,
                                               std::move(completion));
    }
    void fileUploadPermission(QObject *owner, qint64 uploadPermissionType, const QString &roomId,
                              Completion completion) override
    {
        agentInstance()->fileUploadPermission(owner, uploadPermissionType, roomId, std::move(completion));
    }
    void queryMeetingMember(QObject *owner, qint64 isAssistant, const QString &roomId, Completion completion) override
    {
        agentInstance()->queryMeetingMember(owner, isAssistant, roomId, std::move(completion));
    }
    void queryUserWithUserName(QObject *owner, const QString &userName, Completion completion) override
    {
        agentInstance()->queryUserWithUserName(owner, userName, std::move(completion));
    }

    [[nodiscard]] std::shared_ptr<KVFileSnapshot> takeSnapshot(const QString &path, std::stop_token stop,
                                                               KVFileSnapshot::Failure *failure) const override
    {
        QString error;
        auto snapshot = KVFileSnapshot::take(path, &error, std::move(stop), failure);
        if (!snapshot)
            qCInfo(lcMeeting) << "not uploaded:" << error;
        return snapshot;
    }

    [[nodiscard]] QString joinedRoomId() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->roomId : QString();
    }
    [[nodiscard]] QString roomCreatorId() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->creatorId : QString();
    }
    [[nodiscard]] int allowFileUpload() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->allowFileUpload : 0;
    }
    [[nodiscard]] int roomUploadPermissionType() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->uploadPermissionType : 0;
    }
    void setRoomUploadPermissionType(int type) override
    {
        if (const auto room = MeetingCurrent::room())
            room->uploadPermissionType = type;
    }
    [[nodiscard]] bool isHost() const override { return agentInstance()->myInfo().isHost(); }
    [[nodiscard]] bool asssitantHost() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->asssitantHost();
    }
    [[nodiscard]] QStringList asssitantRecordArray() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m ? m->asssitantRecordArray() : QStringList();
    }
    [[nodiscard]] bool selfFileSharing() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->selfFileSharing();
    }
    [[nodiscard]] bool selfAVFileSharing() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->selfAVFileSharing();
    }
    [[nodiscard]] QString myUserName() const override { return agentInstance()->myInfo().userName; }
    // A meeting not yet created has no creator: the user scheduling it owns it.
    [[nodiscard]] bool isSelf(const MeetingDataModel &meeting) const override
    {
        return meeting.creatorId.isEmpty() || meeting.isSelf();
    }
};

std::shared_ptr<ShareFileServices> &installed()
{
    static std::shared_ptr<ShareFileServices> services;
    return services;
}

} // namespace

std::shared_ptr<ShareFileServices> ShareFileServices::agent()
{
    return std::make_shared<AgentShareFileServices>();
}

std::shared_ptr<ShareFileServices> ShareFileServices::current()
{
    if (!installed())
        installed() = agent();
    return installed();
}

void ShareFileServices::install(std::shared_ptr<ShareFileServices> services)
{
    installed() = std::move(services);
}
