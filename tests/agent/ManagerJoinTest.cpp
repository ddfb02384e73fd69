// The join road, leaving, the reconnect watch, delivery threads, and the channel's close codes.

#include "ManagerTestSupport.h"

#include "connection/IMEngine.h"
#include "connection/WebSocketManager.h"

#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"

#include <QJsonObject>

using namespace std::chrono_literals;

namespace {

class ManagerChannelTest : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        ASSERT_TRUE(service.start());
        service.state().addUser(QStringLiteral("u-self"), kMyPhone, QStringLiteral("张三"),
                                QStringLiteral("token-self"));
        service.state().addRoom(QStringLiteral("123456789"), QStringLiteral("u-self"));
    }

    std::shared_ptr<MeetingInfoModel> channelRoom()
    {
        auto room = makeRoom();
        const QJsonObject cred = service.channelCredentials(room->roomId, QStringLiteral("u-self"));
        room->imUrl = cred.value("imUrl").toString();
        room->exp = cred.value("exp").toString();
        room->ctime = cred.value("ctime").toString();
        room->signature = cred.value("signature").toString();
        return room;
    }

    DevService service;
};

TEST_F(ManagerChannelTest, JoinRoad_EngineJoinThenChannelThenOwnPeerGivesStateTwo)
{
    auto room = channelRoom();
    manager->joinRoomWith(room);
    ASSERT_NE(manager->engine(), nullptr);
    EXPECT_EQ(engine().config().domain, "media.example.com");
    EXPECT_EQ(engine().config().port, 7443);
    EXPECT_EQ(engine().config().reconnectTimes, -1);
    EXPECT_EQ(manager->roomInfo(), room);

    engine().setJoinMode(FakeEngine::JoinMode::Manual);
    manager->joinRoom();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateJoining);
    EXPECT_EQ(engine().lastJoinAuthority().token, "room-token");
    EXPECT_EQ(engine().lastJoinConfig().roomId, "123456789");
    EXPECT_EQ(engine().lastJoinConfig().peerId, peer(kMyPhone));
    EXPECT_EQ(service.channelConnectionCount(), 0); // the channel waits for the engine

    engine().emitJoinRoomResult(true);
    settle();
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount("123456789", "u-self") == 1; }));
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateJoining);

    engine().emitRoomEvent(KRTCRoomEvent::SelfJoined, peer("13999999999")); // not us
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateJoining);

    engine().emitRoomEvent(KRTCRoomEvent::SelfJoined, peer(kMyPhone));
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateInRoom);
    EXPECT_EQ(recorder.events,
              (QStringList{"state 1", "onJoinRoomSuccess 1", "members 1", "state 2", "selfJoinRoomSuccess"}));
    ASSERT_EQ(recorder.lastMembers.size(), 1);
    EXPECT_TRUE(recorder.lastMembers[0]->isSelf());
    EXPECT_FALSE(recorder.offMain);
}

TEST_F(ManagerChannelTest, CloseCodes_ReachTheirDelegateMethods)
{
    const QList<QPair<int, QString>> cases = {
        {4003, "otherDeviceLogin"}, {4007, "hostMoveConsumerToWaitRoom"}, {4000, "onRoomClosed 会议已结束"}};
    for (const auto &[code, expected] : cases) {
        recorder.events.clear();
        manager->joinRoomWith(channelRoom());
        manager->joinRoom();
        settle();
        ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount("123456789") == 1; }));
        service.closeChannel("123456789", "u-self", code, "会议已结束");
        ASSERT_TRUE(processEventsUntil([&] { return recorder.events.contains(expected); })) << code;
        EXPECT_FALSE(recorder.offMain);
        manager->leaveRoom();
        ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount() == 0; }));
    }
}

// The meeting ended while the user joined: the service takes him into its channel no more, and tells why.
TEST_F(ManagerChannelTest, AnEndedRoom_ClosesTheChannelAtOnceWithTheEnd)
{
    service.state().room(QStringLiteral("123456789"))->closed = true;
    manager->joinRoomWith(channelRoom());
    manager->joinRoom();
    settle();
    ASSERT_TRUE(
        processEventsUntil([&] { return recorder.events.contains(QStringLiteral("onRoomClosed 主持人已结束会议")); }));
    EXPECT_EQ(service.channelConnectionCount(), 0);
}

TEST_F(ManagerChannelTest, ReceivedMessages_AreAcknowledgedAndHandedOn)
{
    manager->joinRoomWith(channelRoom());
    manager->joinRoom();
    settle();
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount("123456789") == 1; }));
    service.sendChannelMessage("123456789", "u-self",
                               {{"type", 0},
                                {"msgId", 41},
                                {"sid", "s"},
                                {"sender", "13700000000"},
                                {"senderName", "李四"},
                                {"data", QJsonArray{"你好"}}});
    ASSERT_TRUE(processEventsUntil([&] { return recorder.messages.size() == 1; }));
    EXPECT_EQ(recorder.messages[0].data, QStringList{"你好"});
    ASSERT_TRUE(processEventsUntil([&] { return service.channelAcks().contains(41); }));
}

TEST_F(ManagerTest, JoinRefused_ReportsFailureAndReturnsToIdle)
{
    manager->joinRoomWith(makeRoom());
    engine().setJoinResult(false, 403, "denied");
    manager->joinRoom();
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateIdle);
    EXPECT_EQ(recorder.events, (QStringList{"state 1", "onJoinRoomSuccess 0", "state 0"}));
}

TEST_F(ManagerTest, JoinRoomWith_MakesTheEngineOnce_ARoomWithoutChannelAddressOpensNoChannel)
{
    manager->joinRoomWith(makeRoom());
    manager->joinRoomWith(makeRoom());
    EXPECT_EQ(engines.createdCount(), 1);
    ASSERT_NE(manager->imEngine(), nullptr);
    manager->joinRoom();
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateInRoom);
    EXPECT_EQ(manager->imEngine()->webSocketManager()->connectAttempts(), 0);
}

TEST_F(ManagerTest, Leave_ClearsListsStateAndIgnoresLateEvents)
{
    joinToRoom();
    engine().emitMemberJoined(peer("13700000001"), "李四");
    engine().emitStreamPublished(peer("13700000001"), KRTCSourceType::Camera, true, true);
    IMSystemSubMessage waiting;
    waiting.userId = "w1";
    manager->waitRoomAddMember(waiting);
    manager->addRecordToRingBuffer("13700000001");
    manager->rebuildAssistant({QVariantMap{{"userId", RXEncrypt::aes128ecbEncrypt("13700000001")}}});
    manager->rebuildMetaMembers({QVariantMap{{"userId", "META1"}}});
    manager->setAsssitantHost(true);
    settle();
    ASSERT_EQ(manager->memberList().size(), 2);
    ASSERT_EQ(manager->waitRoomMemberArray().size(), 1);
    ASSERT_EQ(manager->asssitantRecordArray().size(), 1);

    manager->leaveRoom();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateIdle);
    EXPECT_TRUE(manager->memberList().isEmpty());
    EXPECT_TRUE(manager->waitRoomMemberArray().isEmpty());
    EXPECT_TRUE(manager->ringRecordArray().isEmpty());
    EXPECT_EQ(manager->roomInfo(), nullptr);
    EXPECT_FALSE(manager->micDidOpen());
    EXPECT_EQ(engine().callCount("leaveRoom"), 1);
    EXPECT_TRUE(VeskAppAgent::sharedInstance()->onlineUsers().isEmpty());
    // The next meeting does not inherit this one's assistant hosts.
    EXPECT_TRUE(manager->asssitantRecordArray().isEmpty());
    EXPECT_TRUE(manager->metaMembersArray().isEmpty());
    EXPECT_FALSE(manager->asssitantHost());

    // An event the engine had already sent must not bring the old meeting back.
    engine().emitMemberJoined(peer("13700000002"), "王五");
    settle();
    EXPECT_TRUE(manager->memberList().isEmpty());
    EXPECT_EQ(recorder.only("state").last(), "state 0");
}

TEST_F(ManagerTest, ReconnectWatch_GivesUpAfterThirtyVirtualSeconds)
{
    joinToRoom();
    engine().emitReconnecting();
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateReconnecting);
    clock.clock.advance(29s);
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateReconnecting);
    EXPECT_FALSE(recorder.events.contains("reconnectOutTimes"));
    clock.clock.advance(1s);
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateReconnectFailed);
    EXPECT_EQ(recorder.only("reconnectOutTimes").size(), 1);
    clock.clock.advance(60s);
    settle();
    EXPECT_EQ(recorder.only("reconnectOutTimes").size(), 1);
}

TEST_F(ManagerTest, ReconnectWatch_StopsWhenTheEngineIsBack)
{
    joinToRoom();
    engine().emitReconnecting();
    settle();
    clock.clock.advance(20s);
    engine().emitReconnected();
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateInRoom);
    clock.clock.advance(60s);
    settle();
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateInRoom);
    EXPECT_EQ(recorder.only("state"), (QStringList{"state 1", "state 2", "state 3", "state 2"}));
}

TEST_F(ManagerTest, ForeignThreadEvents_ReachTheDelegateOnTheMainThreadInOrder)
{
    joinToRoom();
    recorder.events.clear();
    FakeEngine::onForeignThread([&] {
        engine().emitMemberJoined(peer("13700000001"), "甲");
        engine().emitMemberJoined(peer("13700000002"), "乙");
        engine().emitMemberLeft(peer("13700000001"));
        engine().emitReconnecting();
        KRTCStatistics stats;
        stats.kind = KRTCStatsKind::LocalAudio;
        engine().emitStatistics(stats);
        manager->setState(VeskMeetingManager::StateReconnecting); // a state set off the main thread
    });
    settle();
    EXPECT_FALSE(recorder.offMain);
    EXPECT_EQ(recorder.events,
              (QStringList{"message 7 甲", "message 7 乙", "message 8 甲", "members 2", "state 3", "localAudioStats"}));
}

TEST_F(ManagerTest, Frames_StayOnTheEngineThreadAndStopWithTheDelegate)
{
    joinToRoom();
    KRTCVideoFrame frame;
    FakeEngine::onForeignThread([&] { engine().emitRenderFrame(peer("13700000001"), frame, 1); });
    EXPECT_EQ(recorder.frames.load(), 1);
    EXPECT_FALSE(recorder.frameOnMain.load());
    manager->setDelegate(nullptr);
    FakeEngine::onForeignThread([&] { engine().emitRenderFrame(peer("13700000001"), frame, 1); });
    EXPECT_EQ(recorder.frames.load(), 1);
}

TEST_F(ManagerTest, DestroyedDelegate_IsNeverCalled)
{
    QStringList log;
    struct Window final : QObject, VeskRoomDelegate {
        QStringList *log = nullptr;
        void onRoomStateChanged(qint64 s) override { log->append(QString::number(s)); }
        void onMemberChange(const MeetingMemberList &) override { log->append("members"); }
        void onRender(const QString &, const KRTCVideoFrame &, qint64) override { log->append("frame"); }
        void consumerShareFinsh(const QString &, int) override {}
    };
    auto *window = new Window;
    window->log = &log;
    manager->setDelegate(window);
    joinToRoom();
    ASSERT_FALSE(log.isEmpty());
    engine().emitMemberJoined(peer("13700000001"), "甲"); // queued while the window lives
    delete window;
    log.clear();
    settle();
    engine().emitReconnecting();
    FakeEngine::onForeignThread([&] { engine().emitRenderFrame(peer("13700000001"), KRTCVideoFrame{}, 1); });
    manager->leaveRoom();
    settle();
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ManagerTest, OtherDelegates_AreHeldWeaklyToo)
{
    auto *other = new Recorder;
    manager->setWaitMemberDelegate(other);
    manager->setRedPointDelegate(other);
    IMSystemSubMessage waiting;
    waiting.userId = "w1";
    manager->waitRoomAddMember(waiting);
    settle();
    EXPECT_EQ(other->events, (QStringList{"redPoint 1", "waitMember"})); // told while it lives
    waiting.userId = "w2";
    manager->waitRoomAddMember(waiting);
    delete other;
    settle(); // the same news again, with the recorder gone: ASan catches any call into it
    EXPECT_EQ(manager->waitRoomMemberArray().size(), 2);
}

} // namespace
