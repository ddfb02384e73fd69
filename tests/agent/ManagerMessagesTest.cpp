// Messages, duplicates, the waiting list, rings and the host lists.

#include "ManagerTestSupport.h"

#include "connection/IMEngine.h"
#include "foundation/models/MeetingControlData.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

IMMessage message(qint64 type, qint64 msgId, const QString &sender)
{
    IMMessage m;
    m.type = type;
    m.msgId = msgId;
    m.sender = sender;
    return m;
}

IMSystemSubMessage waiting(const QString &userId, const QString &name = {})
{
    IMSystemSubMessage m;
    m.userId = userId;
    m.userName = name;
    return m;
}

TEST_F(ManagerTest, JudegeDuplicates_KeysByIdAndTypeAndForFiveAndSixBySender)
{
    EXPECT_TRUE(manager->judegeDuplicates(message(1, 7, "a")));
    EXPECT_FALSE(manager->judegeDuplicates(message(1, 7, "b"))); // type 1: the sender is no part of it
    EXPECT_TRUE(manager->judegeDuplicates(message(0, 7, "a")));  // another type
    EXPECT_TRUE(manager->judegeDuplicates(message(5, 7, "a")));
    EXPECT_TRUE(manager->judegeDuplicates(message(5, 7, "b")));
    EXPECT_FALSE(manager->judegeDuplicates(message(5, 7, "b")));
    EXPECT_TRUE(manager->judegeDuplicates(message(6, 7, "a")));
    EXPECT_FALSE(manager->judegeDuplicates(message(6, 7, "a")));
    EXPECT_TRUE(manager->judegeDuplicates(message(6, 8, "a")));
}

TEST_F(ManagerTest, WaitingList_DropsDuplicatesByUserIdAndTellsTheDelegates)
{
    manager->waitRoomAddMember(waiting("w1", "甲"));
    manager->waitRoomAddMember(waiting("w1", "甲again"));
    manager->waitRoomAddMember(waiting("w2", "乙"));
    settle();
    const auto list = manager->waitRoomMemberArray();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].userName, "甲");
    EXPECT_EQ(list[1].userId, "w2");
    EXPECT_EQ(recorder.events, (QStringList{"redPoint 1", "waitMember", "redPoint 1", "waitMember"}));

    recorder.events.clear();
    manager->waitRoomRemoveMember(waiting("w1"));
    manager->waitRoomRemoveMember(waiting("w1")); // gone already: no change, no call
    manager->waitRoomRemoveMember(waiting("w2"));
    settle();
    EXPECT_TRUE(manager->waitRoomMemberArray().isEmpty());
    EXPECT_EQ(recorder.events, (QStringList{"waitMember", "waitNoBody"}));
    EXPECT_FALSE(recorder.offMain);

    manager->waitRoomAddMember(waiting("w3"));
    manager->waitRoomRemoveAllMember();
    settle();
    manager->clearRedPoint();
    EXPECT_TRUE(manager->waitRoomMemberArray().isEmpty());
    EXPECT_EQ(recorder.events.mid(2), (QStringList{"redPoint 1", "waitMember", "waitNoBody", "redPoint 0"}));
}

TEST_F(ManagerTest, WaitingList_ChangesAskedForBeforeLeavingNeverReachTheNextMeeting)
{
    // The changes run on the waiting-member queue; leaving right after asking for them (a burst
    // of waiting-room messages followed by the room's end) must not let them land afterwards.
    for (int round = 0; round < 20; ++round) {
        joinToRoom();
        for (int i = 0; i < 40; ++i)
            manager->waitRoomAddMember(waiting(QStringLiteral("w%1-%2").arg(round).arg(i)));
        manager->leaveRoom();
        EXPECT_TRUE(manager->waitRoomMemberArray().isEmpty()) << "round " << round;
        settle();
        ASSERT_TRUE(manager->waitRoomMemberArray().isEmpty()) << "round " << round;
    }
}

TEST_F(ManagerTest, SendMessage_EchoesAtOnceButNotRings)
{
    manager->joinRoomWith(makeRoom());
    IMMessage chat;
    chat.type = 0;
    chat.senderName = "张三";
    chat.data = {"大家好"};
    manager->sendMessage(chat);
    ASSERT_EQ(recorder.messages.size(), 1); // at once, before any event loop turn
    EXPECT_EQ(recorder.messages[0].sender, kMyPhone);
    EXPECT_GT(recorder.messages[0].msgId, 0);
    EXPECT_EQ(manager->imEngine()->unacknowledgedCount(), 1);

    IMMessage ring;
    ring.type = 6;
    ring.data = {R"({"event":"hangup"})"};
    manager->sendMessage(ring);
    settle();
    EXPECT_EQ(recorder.messages.size(), 1);
    EXPECT_EQ(manager->imEngine()->unacknowledgedCount(), 2);
}

TEST_F(ManagerTest, SendMeetingControl_SendsTheCommandAsTypeOneJson)
{
    manager->joinRoomWith(makeRoom());
    MeetingControlData data;
    data.peerId = "-1";
    data.switchStatus = 1;
    manager->sendMeetingControlWithType(9, data, {"peerId", "switchStatus"}, QString(""));
    manager->sendMeetingControlWithType(201, MeetingControlData{}, {}, QStringLiteral("新名字"));
    ASSERT_EQ(recorder.messages.size(), 2);
    EXPECT_EQ(recorder.messages[0].type, 1);
    const QJsonObject first = QJsonDocument::fromJson(recorder.messages[0].data.value(0).toUtf8()).object();
    EXPECT_EQ(first.value("event").toInt(), 9);
    EXPECT_EQ(first.value("data").toObject().value("peerId").toString(), "-1");
    EXPECT_EQ(first.value("data").toObject().value("switchStatus").toInt(), 1);
    // Only the fields the sender set; an empty text is still sent.
    EXPECT_EQ(first.value("data").toObject().keys(), (QStringList{"peerId", "switchStatus"}));
    EXPECT_EQ(first.value("message"), QJsonValue(""));
    const QJsonObject second = QJsonDocument::fromJson(recorder.messages[1].data.value(0).toUtf8()).object();
    EXPECT_EQ(second.value("message").toString(), "新名字");
    EXPECT_TRUE(second.value("data").toObject().isEmpty());
}

TEST_F(ManagerTest, RingRecords_ChangeOnceAndDriveTheDisplay)
{
    manager->addRecordToRingBuffer("13700000001");
    manager->addRecordToRingBuffer("13700000001");
    manager->addRecordToRingBuffer("13700000002");
    EXPECT_EQ(manager->ringRecordArray(), (QStringList{"13700000001", "13700000002"}));
    manager->deleteRecordFromRingBuffer("13700000001");
    manager->deleteRecordFromRingBuffer("13700000009");
    EXPECT_EQ(manager->ringRecordArray(), QStringList{"13700000002"});
    EXPECT_EQ(recorder.only("ringringDisplay").size(), 3);
}

TEST_F(ManagerTest, RebuildAssistant_MarksMembersAndCallsTheDelegate)
{
    joinToRoom();
    engine().emitMemberJoined(peer("13700000001"), "甲");
    engine().emitMemberJoined(peer("13700000002"), "乙");
    settle();
    // The service may send encrypted ids or member dictionaries.
    manager->rebuildAssistant({peer("13700000001"), QVariantMap{{"phoneNumber", "13700000009"}}});
    EXPECT_EQ(manager->asssitantRecordArray(), (QStringList{peer("13700000001"), "13700000009"}));
    EXPECT_TRUE(manager->memberForId("13700000001")->isAssistantHost());
    EXPECT_FALSE(manager->memberForId("13700000002")->isAssistantHost());
    manager->rebuildMetaMembers({QVariantMap{{"userId", "META1"}}});
    EXPECT_EQ(manager->metaMembersArray().size(), 1);
    EXPECT_EQ(recorder.only("assistantChange").size(), 1);
    EXPECT_EQ(recorder.only("metaMemberChange").size(), 1);

    engine().emitMemberJoined(peer("13700000009"), "丙"); // an assistant arriving later
    settle();
    EXPECT_TRUE(manager->memberForId("13700000009")->isAssistantHost());
}

} // namespace
