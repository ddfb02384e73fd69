#pragma once

#include "connection/KVMResponse.h"
#include "foundation/models/MeetingDataModel.h"

#include <QObject>
#include <QString>

#include <functional>

// The service calls of the scheduling windows and of the home page's scheduling road, behind
// one seam: the agent in production, a recording fake in tests (so a test decides when and
// how each reply comes). Every completion runs on the main thread, and never once its owner
// is gone.
class SchedulingAgent {
public:
    using Completion = std::function<void(const KVMResponse &response)>;

    virtual ~SchedulingAgent() = default;

    // The agent in force: the application agent unless a test installed another.
    static SchedulingAgent &current();
    // Installs an agent (tests); nullptr puts the application agent back.
    static void install(SchedulingAgent *agent);

    // POST ".../create" or ".../update" with the meeting's body.
    virtual void createOrUpdateMeeting(QObject *owner, const MeetingDataModel &meeting, Completion completion) = 0;
    // data: {"createdRoomNumber", "allowCreateRoomNumber"}.
    virtual void queryCreatedRoomsInfoWithCompletionBlock(QObject *owner, Completion completion) = 0;
    // data: an array of user dictionaries.
    virtual void queryUserWithUserName(QObject *owner, const QString &userName, Completion completion) = 0;
    // data becomes a QList<VeskUserModel> on success (the three list calls).
    virtual void queryMeetingInvitationListWithRoomId(QObject *owner, const QString &roomId, Completion completion) = 0;
    virtual void queryMeetingMembersListWithRoomId(QObject *owner, const QString &roomId, Completion completion) = 0;
    virtual void queryMeetingAllowShareListWithRoomId(QObject *owner, const QString &roomId, bool isInMeeting,
                                                      Completion completion) = 0;
    // data: {"files": QList<FileShareModel>, "fileTypes": ...}.
    virtual void queryFileList(QObject *owner, const QString &roomId, Completion completion) = 0;
    // The home list: day sections of the meetings left today.
    virtual void queryMeetingListIsToday(QObject *owner, bool isToday, Completion completion) = 0;
    virtual void endMeetingWithRoomId(QObject *owner, const QString &roomId, Completion completion) = 0;
    virtual void cancelMeetingWithRoomId(QObject *owner, const QString &roomId, bool wholeSeries,
                                         Completion completion) = 0;

    // The lists and records (the application agent unless a test overrides them).
    // data becomes a MeetingListDataModel.
    virtual void queryHistoryMeetingListWithPageNum(QObject *owner, qint64 pageNum, Completion completion);
    // data becomes a QList<RecordVideoModel>; an empty room id asks for all of the user's.
    virtual void queryRecordVideoListWithRoomId(QObject *owner, const QString &roomId, Completion completion);
    // data becomes a QList<RecordFileModel>.
    virtual void queryRecordFileListWith(QObject *owner, qint64 pageNum, qint64 pageSize, Completion completion);
    virtual void deleteRecordVideoWithRoomId(QObject *owner, const QString &roomId, const QString &dvrSequenceId,
                                             Completion completion);
    // The meeting's record document.
    virtual void deleteRecordFileWithRoomId(QObject *owner, const QString &roomId, Completion completion);
};
