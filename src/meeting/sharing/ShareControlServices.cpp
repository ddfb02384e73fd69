#include "meeting/sharing/ShareControlServices.h"

#include "agent/OmbrelManager.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/DesktopCaptureSource.h"
#include "agent/models/FileShareModel.h"
#include "foundation/KVLogManager.h"
#include "foundation/RXEncrypt.h"
#include "foundation/TLWLogManager.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/sharing/VeskPermissionChecker.h"

#include <QDateTime>
#include <QPointer>

namespace {

// A stop or a release must reach the service even when the window that sent it goes at once (a
// leave tears the share control down): the agent carries the request, and only the answer waits
// for its owner.
ShareControlServices::Completion whileAlive(QObject *owner, ShareControlServices::Completion completion)
{
    return [guard = QPointer<QObject>(owner), completion = std::move(completion)](const KVMResponse &response) {
        if (guard && completion)
            completion(response);
    };
}

class AgentShareControlServices final : public ShareControlServices {
public:
    void getShareLock(QObject *owner, Completion completion) override
    {
        const VeskUserModel &me = VeskAppAgent::sharedInstance()->myInfo();
        VeskAppAgent::sharedInstance()->getShareTokenWithRoomId(owner, roomId(), me.phoneNumber, me.userName,
                                                                std::move(completion));
    }
    void releaseShareLock(QObject *owner, Completion completion) override
    {
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        agent->releaseShareTokenWithRoomId(agent, roomId(), whileAlive(owner, std::move(completion)));
    }
    void queryAllowShareMemberList(QObject *owner, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryAllowShareMemberList(owner, true, std::move(completion));
    }
    void stopFileShare(QObject *owner, const FileShareDatailModel &document, Completion completion) override
    {
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        agent->startOrStopFileShare(agent, false, RXEncrypt::aes128ecbEncrypt(document.userId), document.fileId,
                                    document.fileName, QString(), QString(), {},
                                    whileAlive(owner, std::move(completion)));
    }
    void stopAVFileShare(QObject *owner, const FileShareModel &file, Completion completion) override
    {
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        agent->startOrStopAVFileShare(agent, 2, RXEncrypt::aes128ecbEncrypt(file.userId), file.fileId,
                                      file.fileType.toLongLong(), file.fileName, file.duration, QString(), {},
                                      whileAlive(owner, std::move(completion)));
    }
    void logShareLockFailure(const QString &message) override
    {
        const VeskUserModel &me = VeskAppAgent::sharedInstance()->myInfo();
        KVLogManager::sharedInstance().logInfo(QStringLiteral("获取共享锁"), QStringLiteral("ERROR"),
                                               {me.phoneNumber, me.userName, QStringLiteral("失败"), message});
    }
    void logShareStarted() override
    {
        TLWLogManager::uploadOperationLogWithContent({{QStringLiteral("operationType"), QStringLiteral("recordStart")},
                                                      {QStringLiteral("logName"), QStringLiteral("共享开始")},
                                                      {QStringLiteral("meetingId"), roomId()},
                                                      {QStringLiteral("status"), QStringLiteral("0")}});
        OmbrelManager::sharedInstance().setStartShareDate(QDateTime::currentDateTime());
    }

    [[nodiscard]] bool allowFileShared() const override
    {
        const auto room = MeetingCurrent::room();
        return room && room->allowFileShared;
    }
    [[nodiscard]] bool isHost() const override { return VeskAppAgent::sharedInstance()->myInfo().isHost(); }
    [[nodiscard]] bool asssitantHost() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->asssitantHost();
    }
    [[nodiscard]] QString myPhoneNumber() const override
    {
        return VeskAppAgent::sharedInstance()->myInfo().phoneNumber;
    }
    [[nodiscard]] QString creatorId() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->creatorId : QString();
    }
    [[nodiscard]] QString creatorName() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->creatorName : QString();
    }

    [[nodiscard]] bool selfScreenOrWindowSharing() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->selfScreenOrWindowSharing();
    }
    void setSelfScreenOrWindowSharing(bool on) override
    {
        if (VeskMeetingManager *m = MeetingCurrent::manager())
            m->setSelfScreenOrWindowSharing(on);
    }
    [[nodiscard]] bool selfFileSharing() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->selfFileSharing();
    }
    void setSelfFileSharing(bool on) override
    {
        if (VeskMeetingManager *m = MeetingCurrent::manager())
            m->setSelfFileSharing(on);
    }
    [[nodiscard]] bool selfAVFileSharing() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->selfAVFileSharing();
    }
    void setSelfAVFileSharing(bool on) override
    {
        if (VeskMeetingManager *m = MeetingCurrent::manager())
            m->setSelfAVFileSharing(on);
    }
    [[nodiscard]] bool shareStyleIsFile() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->shareStyleIsFile();
    }
    [[nodiscard]] QList<DesktopCaptureSnapshotModel> fetchDesktopScreenSnapshots() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        QList<DesktopCaptureSnapshotModel> screens =
            m ? m->fetchDesktopScreenSnapshots() : QList<DesktopCaptureSnapshotModel>();
        // Under the portal the one tile opens the portal's own choice.
        if (DesktopCaptureSource::current()->usesPortal())
            for (DesktopCaptureSnapshotModel &screen : screens)
                screen.title = QStringLiteral("选择共享内容");
        return screens;
    }
    [[nodiscard]] QList<DesktopCaptureSnapshotModel> fetchDesktopWidowSnapshots() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m ? m->fetchDesktopWidowSnapshots() : QList<DesktopCaptureSnapshotModel>();
    }
    StartResult startDesktopShare(const DesktopCaptureSnapshotModel &candidate) override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        switch (m ? m->startDesktopShare(candidate) : VeskMeetingManager::DesktopShareResult::NotInRoom) {
        case VeskMeetingManager::DesktopShareResult::Started:
            return StartResult::Started;
        case VeskMeetingManager::DesktopShareResult::Pending:
            return StartResult::Pending;
        default:
            return StartResult::Refused;
        }
    }
    void stopDesktopShare() override
    {
        if (VeskMeetingManager *m = MeetingCurrent::manager())
            m->stopDesktopShare();
    }
    [[nodiscard]] bool screenCapturePermitted() const override
    {
        return VeskPermissionChecker::ScreeningRecordPermissionCheck();
    }

private:
    static QString roomId()
    {
        const auto room = MeetingCurrent::room();
        return room ? room->roomId : QString();
    }
};

} // namespace

std::shared_ptr<ShareControlServices> ShareControlServices::agent()
{
    return std::make_shared<AgentShareControlServices>();
}
