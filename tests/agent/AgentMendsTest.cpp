// Calls that could not be sent complete once with a failure; completions follow their owner.
#include "AgentTestSupport.h"

#include "foundation/KVClock.h"

using namespace std::chrono_literals;

namespace {

class AgentMendsTest : public AgentServiceTest {
protected:
    // Runs a call that must fail locally: exactly one completion, nothing sent.
    void expectFailsWithoutSending(const Call &call)
    {
        service.clearRequests();
        int calls = 0;
        KVMResponse last;
        call([&](const KVMResponse &r) {
            ++calls;
            last = r;
        });
        EXPECT_EQ(calls, 0) << "completion must not run inside the call";
        ASSERT_TRUE(processEventsUntil([&] { return calls > 0; }));
        ASSERT_TRUE(settleRequests(*agent->http()));
        EXPECT_EQ(calls, 1);
        EXPECT_FALSE(last.successed);
        EXPECT_EQ(last.code, VeskAppAgent::NotSentCode);
        EXPECT_TRUE(last.message.isEmpty()); // the caller shows its generic text
        EXPECT_TRUE(service.requests().isEmpty());
    }
};

TEST_F(AgentMendsTest, ShareToken_WithoutSignInOrRoomSequence_FailsOnce)
{
    expectFailsWithoutSending([&](auto d) { agent->getShareTokenWithRoomId(&owner, "800000001", "138", "张三", d); });
    ASSERT_TRUE(signIn(QStringLiteral("13800000001")).successed);
    // Signed in, but no room joined: no sequence id.
    expectFailsWithoutSending([&](auto d) { agent->getShareTokenWithRoomId(&owner, "800000001", "138", "张三", d); });
}

TEST_F(AgentMendsTest, FileRights_WithEmptyFileId_FailsOnce)
{
    const QString roomId = hostInRoom();
    expectFailsWithoutSending(
        [&](auto d) { agent->fileShareOPPermission(&owner, QString(), roomId, "13800000001", "1", 1, {}, d); });
}

TEST_F(AgentMendsTest, SubtitleQuery_WithEmptyRoom_FailsOnce)
{
    ASSERT_TRUE(signIn(QStringLiteral("13800000001")).successed);
    expectFailsWithoutSending([&](auto d) { agent->querySubTitleListWithRoomId(&owner, QString(), 0, true, true, d); });
}

TEST_F(AgentMendsTest, UserInfoWithoutSignIn_AndWaitingStatusWithoutRoom_FailOnce)
{
    expectFailsWithoutSending([&](auto d) { agent->updateUserInfoWithUserName(&owner, "新名字", d); });
    expectFailsWithoutSending([&](auto d) { agent->queryAllowEnterStatusCompletionBlock(&owner, d); });
}

TEST_F(AgentMendsTest, CompletionOfADeadOwner_NeverRuns_ForRepliesAndLocalFailures)
{
    ASSERT_TRUE(signIn(QStringLiteral("13800000001")).successed);
    VirtualClockScope clock;
    bool ran = false;
    {
        QObject shortLived;
        service.delayNextReply("/qf/user/createdRoomsInfo", 100);
        agent->queryCreatedRoomsInfoWithCompletionBlock(&shortLived, [&](const KVMResponse &) { ran = true; });
        ASSERT_TRUE(processEventsUntil([&] { return !service.requestsFor("/qf/user/createdRoomsInfo").isEmpty(); }));
        // A local failure is queued; the owner dies before it is delivered.
        agent->querySubTitleListWithRoomId(&shortLived, QString(), 0, true, true,
                                           [&](const KVMResponse &) { ran = true; });
    }
    // The held reply goes out after the owner died; the queued failure is delivered too.
    clock.clock.advance(100ms);
    ASSERT_TRUE(settleRequests(*agent->http()));
    EXPECT_FALSE(ran);
    // The agent still answers a live owner afterwards.
    EXPECT_TRUE(run([&](auto d) { agent->queryCreatedRoomsInfoWithCompletionBlock(&owner, d); }).successed);
}

TEST_F(AgentMendsTest, ResetAgent_DropsPendingCompletions)
{
    ASSERT_TRUE(signIn(QStringLiteral("13800000001")).successed);
    VirtualClockScope clock;
    bool ran = false;
    service.delayNextReply("/qf/user/createdRoomsInfo", 100);
    agent->queryCreatedRoomsInfoWithCompletionBlock(nullptr, [&](const KVMResponse &) { ran = true; });
    ASSERT_TRUE(processEventsUntil([&] { return !service.requestsFor("/qf/user/createdRoomsInfo").isEmpty(); }));
    VeskAppAgent::resetSharedInstance();
    clock.clock.advance(100ms); // the reply goes out to a client whose agent is gone
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(ran);
    agent = VeskAppAgent::sharedInstance();
}

} // namespace
