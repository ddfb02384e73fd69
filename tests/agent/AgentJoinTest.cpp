// The join road: the room model, the codes the caller reacts to, the waiting room, leaving.
#include "AgentTestSupport.h"
#include "foundation/StringHelpers.h"

#include "agent/MainSettingModel.h"
#include "connection/HttpManager.h"
#include "devservice/DevTlsCertificate.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingListDataModel.h"

#include <QSslSocket>
#include <QTemporaryDir>

namespace {

class AgentJoinTest : public AgentServiceTest {
protected:
    // A meeting of another user ("host") that the signed-in user then joins.
    QString meetingOfAnotherHost(const std::function<void(DevRoom &)> &adjust = {})
    {
        EXPECT_TRUE(signIn(QStringLiteral("13800000001")).successed);
        const QString roomId = createMeeting([](MeetingDataModel &m) { m.password = QStringLiteral("8888"); });
        EXPECT_TRUE(enter(roomId, QStringLiteral("8888")).successed);
        if (adjust)
            adjust(*service.state().room(roomId));
        agent->logout();
        EXPECT_TRUE(signIn(QStringLiteral("13800000002")).successed);
        return roomId;
    }
};

TEST_F(AgentJoinTest, Success_GivesTheRoomModel_WithCreatorDecrypted_AndKeepsItAsCurrentRoom)
{
    const QString roomId = meetingOfAnotherHost();
    const KVMResponse r = enter(roomId, QStringLiteral("8888"));
    ASSERT_TRUE(r.successed) << r.message.toStdString();
    const auto room = r.data.value<std::shared_ptr<MeetingInfoModel>>();
    ASSERT_TRUE(room);
    EXPECT_EQ(room->roomId, roomId);
    EXPECT_EQ(room->roomName, QStringLiteral("周会"));
    EXPECT_EQ(room->creatorId, QStringLiteral("13800000001"));
    EXPECT_NE(room->sequenceId, 0u);
    EXPECT_FALSE(room->token.isEmpty());
    EXPECT_FALSE(room->imUrl.isEmpty());
    EXPECT_FALSE(room->signature.isEmpty());
    // The window's copy button has an invitation to copy, with the room's number and password.
    const QStringList invitation = room->invitedMeetingContent.split('\n');
    ASSERT_GE(invitation.size(), 4);
    EXPECT_EQ(invitation[0], QStringLiteral("【Korvi会议邀请】"));
    EXPECT_EQ(invitation[1], QStringLiteral("会议主题：周会"));
    EXPECT_TRUE(invitation.contains(QStringLiteral("会议号：%1").arg(toDisplayMeetingId(roomId))));
    EXPECT_TRUE(invitation.contains(QStringLiteral("会议密码：8888")));
    EXPECT_EQ(agent->currentRoomInfo(), room);
    EXPECT_FALSE(agent->myInfo().isHost());
}

TEST_F(AgentJoinTest, PasswordLockedAndWaitingCodes_ReachTheCaller)
{
    const QString roomId = meetingOfAnotherHost();
    const KVMResponse noPassword = enter(roomId);
    EXPECT_EQ(noPassword.code, VeskAppAgent::PasswordNeededCode);
    EXPECT_FALSE(noPassword.successed);
    EXPECT_FALSE(agent->currentRoomInfo());

    service.state().room(roomId)->flags.insert("roomLockStatus", 1);
    EXPECT_EQ(enter(roomId, "8888").code, VeskAppAgent::MeetingLockedCode);

    service.state().room(roomId)->flags.insert("roomLockStatus", 0);
    service.state().room(roomId)->flags.insert("roomWaitStatus", 1);
    const KVMResponse waiting = enter(roomId, "8888");
    EXPECT_EQ(waiting.code, VeskAppAgent::WaitingRoomCode);
    ASSERT_TRUE(agent->temMeetingInfoModel());
    EXPECT_EQ(agent->temMeetingInfoModel()->roomId, roomId);
    EXPECT_FALSE(agent->currentRoomInfo()); // not in the room yet
}

TEST_F(AgentJoinTest, WaitingRoom_StatusFollowsTheHostsAdmission)
{
    const QString roomId = meetingOfAnotherHost([](DevRoom &room) { room.flags.insert("roomWaitStatus", 1); });
    ASSERT_EQ(enter(roomId, "8888").code, VeskAppAgent::WaitingRoomCode);
    const auto status = [&] {
        const KVMResponse r = run([&](auto d) { agent->queryAllowEnterStatusCompletionBlock(&owner, d); });
        return r.dataMap().value("enterStatus").toInt();
    };
    EXPECT_EQ(status(), 3);
    // The host admits everybody waiting.
    DevRoom *room = service.state().room(roomId);
    room->extra.insert("admitted", QStringList{QStringLiteral("13800000002")});
    room->waiting.clear();
    EXPECT_EQ(status(), 1);
    const KVMResponse entered = enter(roomId, "8888");
    EXPECT_TRUE(entered.successed);
    EXPECT_TRUE(service.state().room(roomId)->member("13800000002"));
}

TEST_F(AgentJoinTest, QuickMeeting_CreatesThenEnters_WithTheSettingsDefaults)
{
    ASSERT_TRUE(signIn(QStringLiteral("13800000001")).successed);
    agent->settingModel()->setAutoCameraOn(true);
    const KVMResponse r = run([&](auto d) { agent->startQuickMeeting(&owner, d); });
    ASSERT_TRUE(r.successed) << r.message.toStdString();
    const QList<DevRequest> created = service.requestsFor("/qf/meeting/room/create");
    ASSERT_EQ(created.size(), 1);
    EXPECT_EQ(created.first().json.value("creatorCameraStatus").toInt(), 1);
    const auto room = r.data.value<std::shared_ptr<MeetingInfoModel>>();
    ASSERT_TRUE(room);
    EXPECT_TRUE(service.state().scheduled.contains(room->roomId));
    EXPECT_TRUE(agent->myInfo().isHost());
}

TEST_F(AgentJoinTest, LeaveMeeting_SendsLeaveAndDropsTheRoomAtOnce_NothingWithoutARoom)
{
    const QString roomId = hostInRoom();
    agent->leaveMeeting();
    ASSERT_TRUE(processEventsUntil([&] { return !service.requestsFor("/qf/meeting/room/leave").isEmpty(); }));
    EXPECT_FALSE(agent->currentRoomInfo());
    EXPECT_FALSE(service.state().room(roomId)->member("13800000001"));

    service.clearRequests();
    agent->leaveMeeting();
    agent->endMeeting();
    ASSERT_TRUE(settleRequests(*agent->http()));
    EXPECT_TRUE(service.requests().isEmpty());
}

TEST_F(AgentJoinTest, EndMeeting_ClosesTheRoom_AndTheMeetingMovesToHistory)
{
    const QString roomId = hostInRoom();
    agent->endMeeting();
    ASSERT_TRUE(processEventsUntil([&] { return service.state().room(roomId)->closed; }));
    const KVMResponse history = run([&](auto d) { agent->queryHistoryMeetingListWithPageNum(&owner, 1, d); });
    ASSERT_TRUE(history.successed);
    const auto page = history.data.value<MeetingListDataModel>();
    ASSERT_EQ(page.list.size(), 1);
    EXPECT_EQ(page.list.first().roomId, roomId);
    EXPECT_EQ(page.list.first().creatorId, QStringLiteral("13800000001")); // decrypted
    EXPECT_EQ(page.list.first().status, 2);
}

// REST over TLS: the room's credentials must not then go over a plain channel, whatever the reply says.
class AgentTlsJoinTest : public AgentServiceTest {
protected:
    void SetUp() override
    {
        if (!QSslSocket::supportsSsl())
            GTEST_SKIP() << "no TLS backend";
        const DevTlsCertificate cert = DevTlsCertificate::generate();
        ASSERT_TRUE(cert.isValid());
        ASSERT_TRUE(service.useTls(cert.certificatePem, cert.privateKeyPem));
        AgentServiceTest::SetUp();
        ASSERT_TRUE(cert.writeCertificate(caDir.filePath("ca.pem")));
        ASSERT_TRUE(HttpManager::sharedManager()->setExtraTrustedCaFile(caDir.filePath("ca.pem")));
        HttpManager::sharedManager()->setBaseUrl(service.baseUrl());
    }
    void TearDown() override
    {
        HttpManager::sharedManager()->setExtraTrustedCaFile(QString());
        AgentServiceTest::TearDown();
    }
    QTemporaryDir caDir;
};

TEST_F(AgentTlsJoinTest, ChannelAddressOfTheRoomIsWss)
{
    ASSERT_EQ(service.baseUrl().scheme(), "https");
    hostInRoom();
    ASSERT_NE(agent->currentRoomInfo(), nullptr);
    const QUrl channel(agent->currentRoomInfo()->imUrl);
    EXPECT_EQ(channel.scheme(), "wss");
    EXPECT_EQ(channel.port(), service.wsUrl().port());

    EXPECT_EQ(AgentEnvironment::channelAddressFor("ws://im.example.com:81/c", QUrl("https://api.example.com")),
              "wss://im.example.com:81/c");
    EXPECT_EQ(AgentEnvironment::channelAddressFor("wss://im.example.com/", QUrl("https://api.example.com")),
              "wss://im.example.com/");
    for (const char *bad : {"http://im.example.com/", "file:///tmp/s", "", "wss:///nohost"})
        EXPECT_EQ(AgentEnvironment::channelAddressFor(bad, QUrl("https://api.example.com")), "") << bad;
    EXPECT_EQ(AgentEnvironment::channelAddressFor("ws://127.0.0.1:1/", QUrl("http://127.0.0.1:2")),
              "ws://127.0.0.1:1/");
}

} // namespace
