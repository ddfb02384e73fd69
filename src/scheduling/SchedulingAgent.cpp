#include "scheduling/SchedulingAgent.h"

#include "agent/VeskAppAgent.h"

namespace {

// Every call goes to the application agent of the moment (tests replace that one too).
class AppSchedulingAgent final : public SchedulingAgent {
public:
    void createOrUpdateMeeting(QObject *owner, const MeetingDataModel &meeting, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->createOrUpdateMeeting(owner, meeting, std::move(completion));
    }
    void queryCreatedRoomsInfoWithCompletionBlock(QObject *owner, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryCreatedRoomsInfoWithCompletionBlock(owner, std::move(completion));
    }
    void queryUserWithUserName(QObject *owner, const QString &userName, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryUserWithUserName(owner, userName, std::move(completion));
    }
    void queryMeetingInvitationListWithRoomId(QObject *owner, const QString &roomId, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryMeetingInvitationListWithRoomId(owner, roomId, std::move(completion));
    }
    void queryMeetingMembersListWithRoomId(QObject *owner, const QString &roomId, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryMeetingMembersListWithRoomId(owner, roomId, std::move(completion));
    }
    void queryMeetingAllowShareListWithRoomId(QObject *owner, const QString &roomId, bool isInMeeting,
                                              Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryMeetingAllowShareListWithRoomId(owner, roomId, isInMeeting,
                                                                             std::move(completion));
    }
    void queryFileList(QObject *owner, const QString &roomId, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryFileList(owner, roomId, std::move(completion));
    }
    void queryMeetingListIsToday(QObject *owner, bool isToday, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->queryMeetingListIsToday(owner, isToday, std::move(completion));
    }
    void endMeetingWithRoomId(QObject *owner, const QString &roomId, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->endMeetingWithRoomId(owner, roomId, std::move(completion));
    }
    void cancelMeetingWithRoomId(QObject *owner, const QString &roomId, bool wholeSeries,
                                 Completion completion) override
    {
        VeskAppAgent::sharedInstance()->cancelMeetingWithRoomId(owner, roomId, wholeSeries, std::move(completion));
    }
};

SchedulingAgent *&installed()
{
    static SchedulingAgent *agent = nullptr;
    return agent;
}

} // namespace

void SchedulingAgent::queryHistoryMeetingListWithPageNum(QObject *owner, qint64 pageNum, Completion completion)
{
    VeskAppAgent::sharedInstance()->queryHistoryMeetingListWithPageNum(owner, pageNum, std::move(completion));
}

void SchedulingAgent::queryRecordVideoListWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    VeskAppAgent::sharedInstance()->queryRecordVideoListWithRoomId(owner, roomId, std::move(completion));
}

void SchedulingAgent::queryRecordFileListWith(QObject *owner, qint64 pageNum, qint64 pageSize, Completion completion)
{
    VeskAppAgent::sharedInstance()->queryRecordFileListWith(owner, pageNum, pageSize, std::move(completion));
}

void SchedulingAgent::deleteRecordVideoWithRoomId(QObject *owner, const QString &roomId, const QString &dvrSequenceId,
                                                  Completion completion)
{
    VeskAppAgent::sharedInstance()->deleteRecordVideoWithRoomId(owner, roomId, dvrSequenceId, std::move(completion));
}

void SchedulingAgent::deleteRecordFileWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    VeskAppAgent::sharedInstance()->deleteRecordVideoWithRoomId(owner, roomId, std::move(completion));
}

SchedulingAgent &SchedulingAgent::current()
{
    static AppSchedulingAgent app;
    SchedulingAgent *agent = installed();
    return agent ? *agent : app;
}

void SchedulingAgent::install(SchedulingAgent *agent)
{
    installed() = agent;
}
