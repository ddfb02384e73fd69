// Calls without a completion: leaving without telling the service, the microphone statistics,
// the log uploader, and the "sequenceId" header of a room that has none.
#include "AgentTestSupport.h"

#include "agent/OmbrelManager.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/FakeEngine.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "connection/HttpManager.h"
#include "foundation/KVClock.h"
#include "foundation/KVLogManager.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"

#include <thread>

namespace {

const QString kHostPhone = QStringLiteral("13800000001");

QString controlPath(const QString &roomId, const char *action)
{
    return QStringLiteral("/qf/meeting/control/%1/%2").arg(roomId, QLatin1String(action));
}

// ---- Leaving without the leave request -------------------------------------------------------

class AgentLeaveQuietlyTest : public AgentServiceTest {
protected:
    // The joined room handed to a meeting manager on a fake engine, as the meeting window does.
    VeskMeetingManager *managerInRoom()
    {
        auto manager = std::make_unique<VeskMeetingManager>();
        manager->joinRoomWith(agent->currentRoomInfo());
        manager->joinRoom();
        VeskMeetingManager *raw = manager.get();
        agent->setMeetingManager(std::move(manager));
        EXPECT_TRUE(processEventsUntil([&] { return raw->state() == VeskMeetingManager::StateInRoom; }));
        return raw;
    }

    VirtualClockScope clock; // no heartbeat or timeout fires while the test runs
    FakeEngineScope engines;
};

TEST_F(AgentLeaveQuietlyTest, LeaveWithoutRequest_DropsRoomManagerAndOnlineUsers_ButTellsTheServiceNothing)
{
    const QString roomId = hostInRoom(kHostPhone);
    VeskMeetingManager *manager = managerInRoom();
    ASSERT_TRUE(engines.engine());
    VeskUserModel other;
    other.userId = QStringLiteral("13800000002");
    agent->setOnlineUsers({other});
    // Even while sharing: the share lock is not released either (that is the service's business).
    manager->setSelfScreenOrWindowSharing(true);
    engines.engine()->clearCalls();
    service.clearRequests();

    agent->leaveMeetingWithOutRequestMethod();
    ASSERT_TRUE(processEventsUntil([&] { return !agent->currentRoomInfo(); }));
    ASSERT_TRUE(settleRequests());

    EXPECT_EQ(manager->state(), VeskMeetingManager::StateIdle);
    EXPECT_FALSE(manager->roomInfo());
    EXPECT_TRUE(agent->onlineUsers().isEmpty());
    EXPECT_EQ(engines.engine()->callCount(QStringLiteral("leaveRoom")), 1);
    EXPECT_EQ(engines.engine()->callCount(QStringLiteral("resetBackgroundReplacement")), 1);
    EXPECT_TRUE(service.requestsFor(QStringLiteral("/qf/meeting/room/leave")).isEmpty());
    EXPECT_TRUE(service.requestsFor(controlPath(roomId, "releaseShareLock")).isEmpty());
    // The service still counts the user in the room.
    EXPECT_TRUE(service.state().room(roomId)->member(kHostPhone));

    // Out of the room a second leave is a no-op, with or without the request.
    service.clearRequests();
    agent->leaveMeetingWithOutRequestMethod();
    agent->leaveMeeting();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(service.requests().isEmpty());
    EXPECT_EQ(engines.engine()->callCount(QStringLiteral("leaveRoom")), 1);
}

TEST_F(AgentLeaveQuietlyTest, LeaveWithoutRequest_QueuedThenAgentDestroyed_DoesNothing)
{
    hostInRoom(kHostPhone);
    service.clearRequests();
    agent->leaveMeetingWithOutRequestMethod();
    VeskAppAgent::resetSharedInstance(); // before the queued leave runs
    agent = nullptr;
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(service.requests().isEmpty());
    EXPECT_EQ(VeskAppAgent::existingInstance(), nullptr);
}

// ---- Microphone statistics --------------------------------------------------------------------

class AgentMicOpenTimeTest : public AgentServiceTest {
protected:
    void SetUp() override
    {
        AgentServiceTest::SetUp();
        forgetDates();
    }
    void TearDown() override
    {
        forgetDates();
        AgentServiceTest::TearDown();
    }
    static void forgetDates()
    {
        OmbrelManager::sharedInstance().setStartMicDate({});
        OmbrelManager::sharedInstance().setEndMicDate({});
    }

    // Sets the dates (invalid ones stay unset), uploads and reports how many requests went out.
    qsizetype uploadWith(const QDateTime &start, const QDateTime &end)
    {
        service.clearRequests();
        OmbrelManager &ombrel = OmbrelManager::sharedInstance();
        ombrel.setStartMicDate(start);
        ombrel.setEndMicDate(end);
        ombrel.uploadOmbrelMicOpenTime();
        // Whatever happened, both dates are forgotten.
        EXPECT_FALSE(ombrel.startMicDate().isValid());
        EXPECT_FALSE(ombrel.endMicDate().isValid());
        EXPECT_TRUE(settleRequests());
        return service.requestsFor(QStringLiteral("/qf/statistics/micOpenTime")).size();
    }

    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000LL);
    const QDateTime end = start.addMSecs(90'500); // 90.5 s open
};

TEST_F(AgentMicOpenTimeTest, Guards_MissingDateEndBeforeStartOrNoRoom_SendNothing)
{
    ASSERT_TRUE(signIn(kHostPhone).successed);
    // Signed in, both dates right, but outside a room.
    EXPECT_EQ(uploadWith(start, end), 0);

    ASSERT_TRUE(enter(createMeeting()).successed);
    EXPECT_EQ(uploadWith({}, {}), 0);
    EXPECT_EQ(uploadWith(start, {}), 0);
    EXPECT_EQ(uploadWith({}, end), 0);
    EXPECT_EQ(uploadWith(end, start), 0);

    // A waiting room is not a joined room.
    agent->leaveMeetingWithOutRequestMethod();
    ASSERT_TRUE(processEventsUntil([&] { return !agent->currentRoomInfo(); }));
    agent->setTemMeetingInfoModel(std::make_shared<MeetingInfoModel>());
    agent->temMeetingInfoModel()->roomId = QStringLiteral("800000001");
    EXPECT_EQ(uploadWith(start, end), 0);
}

TEST_F(AgentMicOpenTimeTest, InARoom_OneRequestWithRoomUserTimesAndWholeSeconds_ThenDatesAreSpent)
{
    const QString roomId = hostInRoom(kHostPhone);
    ASSERT_EQ(uploadWith(start, end), 1);
    const DevRequest req = service.requestsFor(QStringLiteral("/qf/statistics/micOpenTime")).first();
    EXPECT_EQ(req.method, QStringLiteral("POST"));
    EXPECT_EQ(req.header("Authorization"), agent->myInfo().authorization);
    EXPECT_EQ(req.json.value("roomId").toString(), roomId);
    EXPECT_EQ(req.json.value("userId").toString(), RXEncrypt::aes128ecbEncrypt(kHostPhone));
    EXPECT_EQ(req.json.value("startTime").toInteger(), start.toMSecsSinceEpoch());
    EXPECT_EQ(req.json.value("endTime").toInteger(), end.toMSecsSinceEpoch());
    EXPECT_EQ(req.json.value("seconds").toInteger(), 90);
    // The service took it.
    const QVariantList stats = service.state().extra.value("micOpenTimes").toList();
    ASSERT_EQ(stats.size(), 1);
    EXPECT_EQ(stats.first().toMap().value("roomId").toString(), roomId);

    // The dates were spent: a second upload without new dates sends nothing.
    service.clearRequests();
    OmbrelManager::sharedInstance().uploadOmbrelMicOpenTime();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(service.requestsFor(QStringLiteral("/qf/statistics/micOpenTime")).isEmpty());
}

// ---- A room without a sequence id --------------------------------------------------------------

class AgentNoSequenceTest : public AgentServiceTest {
protected:
    // The header is present and empty (not left out).
    static void expectEmptySequenceHeader(const QList<DevRequest> &requests, const char *what)
    {
        ASSERT_EQ(requests.size(), 1) << what;
        const DevRequest &req = requests.first();
        EXPECT_TRUE(req.headers.contains("sequenceid")) << what << ": header left out";
        EXPECT_TRUE(req.headers.value("sequenceid").isEmpty()) << what;
        EXPECT_FALSE(req.header("Authorization").isEmpty()) << what;
    }
};

TEST_F(AgentNoSequenceTest, RoomWithoutSequence_SendsAnEmptyHeader_AndShareLockFailsWithoutSending)
{
    const QString roomId = hostInRoom(kHostPhone);
    // The service now gives the room without a sequence id; entering again takes that model.
    service.state().room(roomId)->sequenceId.clear();
    ASSERT_TRUE(enter(roomId).successed);
    ASSERT_TRUE(agent->currentRoomInfo());
    ASSERT_EQ(agent->currentRoomInfo()->sequenceId, 0u);
    service.clearRequests();

    const KVMResponse lock = run([&](auto d) { agent->meetingLockStatus(&owner, true, d); });
    EXPECT_TRUE(lock.successed) << lock.message.toStdString();
    expectEmptySequenceHeader(service.requestsFor(controlPath(roomId, "switch/lock")), "lock (POST)");
    EXPECT_EQ(service.state().room(roomId)->flags.value("roomLockStatus").toInt(), 1);

    const KVMResponse dvr = run([&](auto d) { agent->onRecordVideoCompletionBlock(&owner, d); });
    EXPECT_TRUE(dvr.successed) << dvr.message.toStdString();
    expectEmptySequenceHeader(service.requestsFor(controlPath(roomId, "onDvr")), "record (GET)");

    const KVMResponse allowed = run([&](auto d) { agent->queryAllowShareMemberList(&owner, true, d); });
    EXPECT_TRUE(allowed.successed) << allowed.message.toStdString();
    expectEmptySequenceHeader(service.requestsFor(QStringLiteral("/qf/meeting/room/getAllowShareUsers")),
                              "allowed sharers");

    // The share lock needs the sequence id: it fails at once and sends nothing.
    service.clearRequests();
    const KVMResponse token =
        run([&](auto d) { agent->getShareTokenWithRoomId(&owner, roomId, kHostPhone, "张三", d); });
    EXPECT_FALSE(token.successed);
    EXPECT_EQ(token.code, VeskAppAgent::NotSentCode);
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(service.requests().isEmpty());

    // Ending the meeting carries the empty header too, and the service closes the room; the reply
    // announces nothing (no list fetches twice), and what waits for it runs once it came.
    QObject listener;
    int announced = 0;
    NotificationCenter::defaultCenter().addObserver(&listener, KVMeetingDidUpdatedNotification,
                                                    [&](const Notification &) { ++announced; });
    agent->endMeeting();
    bool answered = false;
    agent->afterEndAnswered(&listener, [&] { answered = service.state().room(roomId)->closed; });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(announced, 0);
    expectEmptySequenceHeader(service.requestsFor(controlPath(roomId, "close")), "close");
}

// ---- The log uploader --------------------------------------------------------------------------

class AgentLogUploadTest : public AgentServiceTest {
protected:
    static void logFromWorker(const QString &info, const QString &level, const QStringList &extras = {})
    {
        std::thread worker([&] { KVLogManager::sharedInstance().logInfo(info, level, extras); });
        worker.join();
    }
    [[nodiscard]] QList<DevRequest> uploads() const { return service.requestsFor(QStringLiteral("/qf/log/upload")); }
    // Lines logged while signing in are uploaded too; let them reach the service before counting.
    void settleUploads()
    {
        KVLogManager::sharedInstance().waitUntilIdle();
        ASSERT_TRUE(processEventsUntil([&] { return agent->http()->pendingRequestCount() == 0; }));
        service.clearRequests();
    }
};

TEST_F(AgentLogUploadTest, LineFromAWorkerThread_ReachesTheService_OnlyWhileSignedInAndTheAgentLives)
{
    // Not signed in (a user stored by an earlier test would still be signed in): the line stays local.
    agent->logout();
    logFromWorker(QStringLiteral("启动"), QStringLiteral("INFO"));
    KVLogManager::sharedInstance().waitUntilIdle();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(uploads().isEmpty());

    ASSERT_TRUE(signIn(kHostPhone).successed);
    settleUploads();
    logFromWorker(QStringLiteral("开麦失败"), QStringLiteral("ERROR"), {QStringLiteral("code"), QStringLiteral("7")});
    ASSERT_TRUE(processEventsUntil([&] { return !uploads().isEmpty(); }));
    ASSERT_TRUE(settleRequests());
    ASSERT_EQ(uploads().size(), 1);
    const DevRequest req = uploads().first();
    EXPECT_EQ(req.header("Authorization"), agent->myInfo().authorization);
    EXPECT_EQ(req.json.value("level").toString(), QStringLiteral("ERROR"));
    EXPECT_EQ(req.json.value("content").toString(), QStringLiteral("开麦失败-code-7"));
    EXPECT_EQ(req.json.value("userId").toString(), RXEncrypt::aes128ecbEncrypt(kHostPhone));
    EXPECT_EQ(req.json.value("applicationId").toString(), agent->myInfo().applicationId);
    EXPECT_FALSE(agent->myInfo().applicationId.isEmpty());
    EXPECT_EQ(service.state().extra.value("logs").toList().size(), 1);

    // The line has been handed to the main thread, but the agent is gone before it runs there.
    service.clearRequests();
    logFromWorker(QStringLiteral("退出"), QStringLiteral("INFO"));
    KVLogManager::sharedInstance().waitUntilIdle();
    VeskAppAgent::resetSharedInstance();
    agent = nullptr;
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(service.requests().isEmpty());
}

TEST_F(AgentLogUploadTest, FailingUploads_AreNotLoggedAgain_AndLaterLinesStillGoOut)
{
    ASSERT_TRUE(signIn(kHostPhone).successed);
    // Every upload fails: a failure that turned into a log line would upload again, without end.
    service.route("POST", "/qf/log/upload", [](const DevRequest &) {
        return DevReply::json(QJsonObject{{"code", 500}, {"message", "日志服务不可用"}}, 500);
    });
    settleUploads();

    logFromWorker(QStringLiteral("第一行"), QStringLiteral("ERROR"));
    ASSERT_TRUE(processEventsUntil([&] { return !uploads().isEmpty(); }));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(settleRequests());
        KVLogManager::sharedInstance().waitUntilIdle();
    }
    ASSERT_TRUE(settleRequests());
    ASSERT_EQ(uploads().size(), 1);

    logFromWorker(QStringLiteral("第二行"), QStringLiteral("INFO"));
    ASSERT_TRUE(processEventsUntil([&] { return uploads().size() >= 2; }));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(settleRequests());
        KVLogManager::sharedInstance().waitUntilIdle();
    }
    ASSERT_TRUE(settleRequests());
    const QList<DevRequest> all = uploads();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all.at(1).json.value("content").toString(), QStringLiteral("第二行"));
}

} // namespace
