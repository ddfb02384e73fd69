#pragma once

// A scheduling agent for tests: every call is logged as "name arg" in calls (tests add their
// own markers to the same log to check orders) and waits until the test answers it.

#include "scheduling/SchedulingAgent.h"

#include <QPointer>
#include <QStringList>

#include <functional>

class RecordingSchedulingAgent final : public SchedulingAgent {
public:
    struct Pending {
        QString name;
        QString arg;
        QPointer<QObject> owner;
        Completion completion;
    };

    QStringList calls;
    QList<Pending> pending;
    QList<MeetingDataModel> sentMeetings;

    RecordingSchedulingAgent() { SchedulingAgent::install(this); }
    ~RecordingSchedulingAgent() override { SchedulingAgent::install(nullptr); }

    [[nodiscard]] static KVMResponse ok(const QVariant &data = {})
    {
        KVMResponse r;
        r.successed = true;
        r.data = data;
        return r;
    }
    [[nodiscard]] static KVMResponse fail(qint64 code, const QString &message)
    {
        KVMResponse r;
        r.code = code;
        r.message = message;
        return r;
    }

    [[nodiscard]] int pendingCount(const QString &name) const
    {
        int n = 0;
        for (const Pending &p : pending)
            n += p.name == name ? 1 : 0;
        return n;
    }

    // Answers the oldest waiting call of that name (or with that argument); false when none waits.
    bool answer(const QString &name, const KVMResponse &response, const QString &arg = QString())
    {
        for (qsizetype i = 0; i < pending.size(); ++i) {
            if (pending[i].name != name || (!arg.isNull() && pending[i].arg != arg))
                continue;
            Pending p = pending.takeAt(i);
            if (p.owner && p.completion)
                p.completion(response);
            return true;
        }
        return false;
    }

    void createOrUpdateMeeting(QObject *owner, const MeetingDataModel &meeting, Completion completion) override
    {
        sentMeetings << meeting;
        record(QStringLiteral("createOrUpdateMeeting"),
               meeting.isEdit ? QStringLiteral("update") : QStringLiteral("create"), owner, std::move(completion));
    }
    void queryCreatedRoomsInfoWithCompletionBlock(QObject *owner, Completion completion) override
    {
        record(QStringLiteral("queryCreatedRoomsInfo"), {}, owner, std::move(completion));
    }
    void queryUserWithUserName(QObject *owner, const QString &userName, Completion completion) override
    {
        record(QStringLiteral("queryUserWithUserName"), userName, owner, std::move(completion));
    }
    void queryMeetingInvitationListWithRoomId(QObject *owner, const QString &roomId, Completion completion) override
    {
        record(QStringLiteral("queryMeetingInvitationList"), roomId, owner, std::move(completion));
    }
    void queryMeetingMembersListWithRoomId(QObject *owner, const QString &roomId, Completion completion) override
    {
        record(QStringLiteral("queryMeetingMembersList"), roomId, owner, std::move(completion));
    }
    void queryMeetingAllowShareListWithRoomId(QObject *owner, const QString &roomId, bool,
                                              Completion completion) override
    {
        record(QStringLiteral("queryMeetingAllowShareList"), roomId, owner, std::move(completion));
    }
    void queryFileList(QObject *owner, const QString &roomId, Completion completion) override
    {
        record(QStringLiteral("queryFileList"), roomId, owner, std::move(completion));
    }
    void queryMeetingListIsToday(QObject *owner, bool isToday, Completion completion) override
    {
        record(QStringLiteral("queryMeetingListIsToday"), isToday ? QStringLiteral("1") : QStringLiteral("0"), owner,
               std::move(completion));
    }
    void endMeetingWithRoomId(QObject *owner, const QString &roomId, Completion completion) override
    {
        record(QStringLiteral("endMeeting"), roomId, owner, std::move(completion));
    }
    void cancelMeetingWithRoomId(QObject *owner, const QString &roomId, bool wholeSeries,
                                 Completion completion) override
    {
        record(QStringLiteral("cancelMeeting"), roomId + (wholeSeries ? QStringLiteral(" series") : QString()), owner,
               std::move(completion));
    }

private:
    void record(const QString &name, const QString &arg, QObject *owner, Completion completion)
    {
        calls << (arg.isEmpty() ? name : name + QLatin1Char(' ') + arg);
        pending.append({name, arg, owner, std::move(completion)});
    }
};
