#include "meeting/sharing/FileShareDocumentServices.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "connection/KVImageLoader.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"

namespace {

QString roomId()
{
    const auto room = MeetingCurrent::room();
    return room ? room->roomId : QString();
}

class AgentDocumentServices final : public FileShareDocumentServices {
public:
    void flipOver(QObject *owner, const QString &orderStatus, const QString &fileId, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->flipOver(owner, roomId(), orderStatus, fileId, std::move(completion));
    }
    void queryFileSliceUrl(QObject *owner, const QString &fileId, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryFileSliceUrl(owner, fileId, roomId(), std::move(completion));
    }
    void queryAllShareFileInfo(QObject *owner, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryAllShareFileInfo(owner, std::move(completion));
    }
    void prefetch(const QStringList &urls) override { KVImageLoader::sharedLoader()->prefetchURLs(urls); }

    [[nodiscard]] Me me() const override
    {
        const VeskUserModel &info = VeskAppAgent::sharedInstance()->myInfo();
        VeskMeetingManager *manager = MeetingCurrent::manager();
        return {info.userId, info.phoneNumber, info.userName, info.isHost(), manager && manager->asssitantHost()};
    }
    [[nodiscard]] FileSharedResp runningShare() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->sharedFileResp : FileSharedResp();
    }
    [[nodiscard]] bool selfFileSharing() const override
    {
        VeskMeetingManager *manager = MeetingCurrent::manager();
        return manager && manager->selfFileSharing();
    }
    void setSelfFileSharing(bool on) override
    {
        if (VeskMeetingManager *manager = MeetingCurrent::manager())
            manager->setSelfFileSharing(on);
    }
    [[nodiscard]] bool selfScreenOrWindowSharing() const override
    {
        VeskMeetingManager *manager = MeetingCurrent::manager();
        return manager && manager->selfScreenOrWindowSharing();
    }
};

} // namespace

std::shared_ptr<FileShareDocumentServices> FileShareDocumentServices::agent()
{
    return std::make_shared<AgentDocumentServices>();
}
