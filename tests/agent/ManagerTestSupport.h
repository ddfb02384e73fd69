#pragma once

// Shared helpers of the meeting-manager tests: a recording delegate and a fixture with a fake
// engine, virtual time and a signed-in user.

#include "agent/MeetingMemberModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/VeskMemberWaitRoomDelegate.h"
#include "agent/VeskMemeberAssistantsDelegate.h"
#include "agent/VeskRedPointDelegate.h"
#include "agent/VeskRoomDelegate.h"
#include "agent/engine/FakeEngine.h"
#include "connection/IMMessage.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingInfoModel.h"

#include <QCoreApplication>
#include <QObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <ostream>

// Readable failure output for Qt strings.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// Records every delegate call as a line, and whether any arrived off the main thread.
class Recorder final : public QObject,
                       public VeskRoomDelegate,
                       public VeskMemberWaitRoomDelegate,
                       public VeskRedPointDelegate,
                       public VeskMemeberAssistantsDelegate {
public:
    QStringList events;
    bool offMain = false;
    MeetingMemberList lastMembers;
    int memberChanges = 0;
    QList<IMMessage> messages;
    std::atomic<int> frames{0};
    std::atomic<bool> frameOnMain{false};

    void note(const QString &line)
    {
        if (!MainQueue::isMainThread())
            offMain = true;
        events << line;
    }
    [[nodiscard]] QStringList only(const QString &prefix) const
    {
        QStringList out;
        for (const QString &e : events)
            if (e.startsWith(prefix))
                out << e;
        return out;
    }

    void selfJoinRoomSuccess() override { note("selfJoinRoomSuccess"); }
    void onJoinRoomSuccess(bool success) override { note(QString("onJoinRoomSuccess %1").arg(success)); }
    void onRoomStateChanged(qint64 state) override { note(QString("state %1").arg(state)); }
    void onRender(const QString &, const KRTCVideoFrame &, qint64) override
    {
        if (MainQueue::isMainThread())
            frameOnMain = true;
        ++frames;
    }
    void onMemberChange(const MeetingMemberList &members) override
    {
        note(QString("members %1").arg(members.size()));
        lastMembers = members;
        ++memberChanges;
    }
    void onRoomClosed(const QString &reason) override { note("onRoomClosed " + reason); }
    void onRoomClosed() override { note("onRoomClosed"); }
    void otherDeviceLogin() override { note("otherDeviceLogin"); }
    void hostMoveConsumerToWaitRoom() override { note("hostMoveConsumerToWaitRoom"); }
    void receiveMessage(const IMMessage &m) override
    {
        note(QString("message %1 %2").arg(m.type).arg(m.senderName));
        messages << m;
    }
    void receiveHeartbeatAck(const IMMessage &) override { note("heartbeatAck"); }
    void ringringDisplay() override { note("ringringDisplay"); }
    void onLocalAudioStats(const KRTCStatistics &) override { note("localAudioStats"); }
    void onRemoteVideoStats(const KRTCStatistics &) override { note("remoteVideoStats"); }
    void reconnectOutTimes() override { note("reconnectOutTimes"); }
    void audioOverLimit() override { note("audioOverLimit"); }
    void consumerShareFinsh(const QString &, int reason) override
    {
        note(QString("consumerShareFinsh %1").arg(reason));
    }
    void consumerShareStarted(const QString &) override { note("consumerShareStarted"); }

    void needUpdateUIFitMember() override { note("waitMember"); }
    void needUpdateUIFitNoBoay() override { note("waitNoBody"); }
    void updateUIRedpoint(bool show) override { note(QString("redPoint %1").arg(show)); }
    void needUpdateUIFitAssistantChange() override { note("assistantChange"); }
    void needUpdateUIFitMetaMemberChange() override { note("metaMemberChange"); }
};

inline const QString kMyPhone = QStringLiteral("13800000000");

class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VeskUserModel me;
        me.userId = QStringLiteral("u-self");
        me.phoneNumber = kMyPhone;
        me.userName = QStringLiteral("张三");
        me.authorization = QStringLiteral("token-self");
        me.applicationId = QStringLiteral("app-1");
        VeskAppAgent::sharedInstance()->setMyInfo(me);
        manager = std::make_unique<VeskMeetingManager>();
        attach(recorder);
    }
    void TearDown() override
    {
        manager.reset();
        settle();
        VeskAppAgent::resetSharedInstance();
    }

    void attach(Recorder &r)
    {
        manager->setDelegate(&r);
        manager->setWaitMemberDelegate(&r);
        manager->setRedPointDelegate(&r);
        manager->setAssistantsDelegate(&r);
    }

    // Queued work (main queue and the manager's two queues) settles; no time passes.
    void settle()
    {
        for (int i = 0; i < 6; ++i) {
            if (manager)
                manager->waitForQueues();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    static std::shared_ptr<MeetingInfoModel> makeRoom(int streamLevel = 2)
    {
        auto room = std::make_shared<MeetingInfoModel>();
        room->roomId = QStringLiteral("123456789");
        room->token = QStringLiteral("room-token");
        room->signalUrl = QStringLiteral("wss://media.example.com:7443/signal");
        room->streamLevel = streamLevel;
        return room;
    }

    // Joined and in state 2.
    void joinToRoom(std::shared_ptr<MeetingInfoModel> room = makeRoom())
    {
        manager->joinRoomWith(std::move(room));
        manager->joinRoom();
        settle();
        ASSERT_EQ(manager->state(), VeskMeetingManager::StateInRoom);
    }

    [[nodiscard]] FakeEngine &engine() const { return *engines.engine(); }
    [[nodiscard]] static QString peer(const QString &phone) { return RXEncrypt::aes128ecbEncrypt(phone); }

    VirtualClockScope clock;
    FakeEngineScope engines;
    std::unique_ptr<VeskMeetingManager> manager;
    Recorder recorder;
};
