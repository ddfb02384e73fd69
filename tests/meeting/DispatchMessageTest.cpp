// Message types: each reaches its handler; chat, join and leave lines; server notices element by
// element; heartbeat acknowledgements; ring messages.

#include "DispatchTestSupport.h"

#include "meeting/window/dispatch/MeetingMessageDispatch.h"
#include "meeting/window/dispatch/MeetingNoticeRules.h"

#include <gtest/gtest.h>

namespace {

IMMessage message(qint64 type, const QStringList &data = {QStringLiteral("hello")})
{
    IMMessage m;
    m.type = type;
    m.msgId = 7;
    m.sid = QStringLiteral("s");
    m.sender = QStringLiteral("13900000000");
    m.senderName = QStringLiteral("主持人");
    m.data = data;
    return m;
}

TEST(DispatchMessage, EveryTypeReachesItsHandler)
{
    struct Row {
        qint64 type;
        QStringList calls;
    };
    const QList<Row> table = {
        {0, {"addChatLine 3"}},
        {1, {}}, // not a command: dropped by the control dispatcher
        {2, {}},
        {3, {"transcriptionItems"}},
        {4, {"serverNotice"}},
        {5, {"transcriptionStatus"}},
        {6, {"ring"}},
        {7, {"addChatLine 1"}},
        {8, {"addChatLine 2"}},
        {9, {}},
        {301, {}},
        {302, {}},
    };
    for (const Row &row : table) {
        RecordingDispatchTarget target;
        MeetingMessageDispatch::dispatchMessage(message(row.type), target);
        EXPECT_EQ(target.calls, row.calls) << "type " << row.type;
    }
    RecordingDispatchTarget control;
    MeetingMessageDispatch::dispatchMessage(controlMessage(12), control);
    EXPECT_EQ(control.calls, QStringList{"assistantsChanged"});
}

TEST(DispatchMessage, TranscriptionItemsReachSubtitlesOnlyWhileShown)
{
    RecordingDispatchTarget target;
    target.subtitles = true;
    MeetingMessageDispatch::dispatchMessage(message(3), target);
    EXPECT_EQ(target.calls, (QStringList{"transcriptionItems", "subtitleItems"}));
}

TEST(DispatchMessage, ChatLineCarriesTheMessage)
{
    const auto line = MeetingMessageDispatch::chatLine(message(0));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->messageType, MeetingMessageModel::Chat);
    EXPECT_EQ(line->phoneNumber, QStringLiteral("13900000000"));
    EXPECT_EQ(line->userName, QStringLiteral("主持人"));
    EXPECT_EQ(line->msgId, 7);
    EXPECT_EQ(line->sid, QStringLiteral("s"));
    EXPECT_EQ(line->type, 0);
    EXPECT_EQ(line->messageString, QStringLiteral("hello"));
}

TEST(DispatchMessage, PauseNoteAndEmptyChatAreNotShown)
{
    EXPECT_FALSE(MeetingMessageDispatch::chatLine(message(0, {QStringLiteral("对方已暂停共享")})));
    EXPECT_TRUE(MeetingMessageDispatch::chatLine(message(0, {QStringLiteral("对方已暂停共享 ")})));
    EXPECT_FALSE(MeetingMessageDispatch::chatLine(message(0, {})));
    EXPECT_FALSE(MeetingMessageDispatch::chatLine(message(0, {QString()})));
    // Join and leave lines name the member even without text.
    const auto joined = MeetingMessageDispatch::chatLine(message(7, {}));
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->messageType, MeetingMessageModel::Joined);
    EXPECT_TRUE(joined->messageString.isEmpty());
}

QString notice(int event, const QJsonObject &inner)
{
    return jsonText({{"event", event}, {"data", jsonText(inner)}});
}

TEST(ServerNotice, WaitingRoomEntriesInOrder)
{
    const auto result = MeetingNoticeRules::serverNotice(message(
        4, {notice(108, {{"userId", "u1"}, {"userName", "甲"}}), notice(109, {{"userId", "u2"}, {"userName", "乙"}})}));
    ASSERT_EQ(result.waitRoomNotices.size(), 2);
    EXPECT_EQ(result.waitRoomNotices[0].event, 108);
    EXPECT_EQ(result.waitRoomNotices[0].content.userId, QStringLiteral("u1"));
    EXPECT_EQ(result.waitRoomNotices[0].content.userName, QStringLiteral("甲"));
    EXPECT_EQ(result.waitRoomNotices[1].event, 109);
    EXPECT_EQ(result.waitRoomNotices[1].content.userId, QStringLiteral("u2"));
    EXPECT_FALSE(result.requireAssistantInfo);
}

TEST(ServerNotice, DeviceNoticeDoesNotDropTheOtherElements)
{
    const auto result = MeetingNoticeRules::serverNotice(
        message(4, {notice(108, {{"userId", "u1"}}), notice(110, {{"userId", "v"}, {"deviceType", "META"}}),
                    notice(109, {{"userId", "u3"}})}));
    EXPECT_TRUE(result.requireAssistantInfo);
    ASSERT_EQ(result.waitRoomNotices.size(), 2);
    EXPECT_EQ(result.waitRoomNotices[0].content.userId, QStringLiteral("u1"));
    EXPECT_EQ(result.waitRoomNotices[1].content.userId, QStringLiteral("u3"));

    const auto plainDevice =
        MeetingNoticeRules::serverNotice(message(4, {notice(110, {{"userId", "v"}, {"deviceType", "PC"}})}));
    EXPECT_FALSE(plainDevice.requireAssistantInfo);
    EXPECT_TRUE(plainDevice.waitRoomNotices.isEmpty());
}

TEST(ServerNotice, MalformedElementsAreSkippedAlone)
{
    const auto result = MeetingNoticeRules::serverNotice(
        message(4, {QStringLiteral("garbage"), jsonText({{"event", 108}, {"data", QJsonObject{{"userId", "x"}}}}),
                    jsonText({{"event", 108}, {"data", "not json"}}), jsonText({{"event", 108}}),
                    notice(108, {{"userId", "ok"}}), notice(555, {{"userId", "other"}})}));
    ASSERT_EQ(result.waitRoomNotices.size(), 1);
    EXPECT_EQ(result.waitRoomNotices[0].content.userId, QStringLiteral("ok"));
    EXPECT_TRUE(MeetingNoticeRules::serverNotice(message(4, {})).waitRoomNotices.isEmpty());
}

TEST(HeartbeatAck, ReadsTheServersView)
{
    const auto ack = MeetingNoticeRules::heartbeatAck(
        message(0, {jsonText({{"micStatus", 1},
                              {"cameraAllowStatus", 0},
                              {"roomInfo", QJsonObject{{"imAllowStatus", 1}, {"micAllowStatus", 0}}},
                              {"imForbid", false},
                              {"micForbid", true}})}));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->micStatus, 1);
    ASSERT_TRUE(ack->cameraAllowStatus);
    EXPECT_EQ(*ack->cameraAllowStatus, 0);
    EXPECT_TRUE(ack->hasRoomInfo);
    EXPECT_TRUE(ack->imAllowStatus);
    EXPECT_FALSE(ack->micAllowStatus);
    EXPECT_FALSE(ack->imForbid);
    EXPECT_TRUE(ack->micForbid);

    const auto bare = MeetingNoticeRules::heartbeatAck(message(0, {QStringLiteral("{}")}));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->micStatus, 0);
    EXPECT_FALSE(bare->cameraAllowStatus);
    EXPECT_FALSE(bare->hasRoomInfo);

    EXPECT_FALSE(MeetingNoticeRules::heartbeatAck(message(0, {})));
    EXPECT_FALSE(MeetingNoticeRules::heartbeatAck(message(0, {QStringLiteral("[1]")})));
    EXPECT_FALSE(MeetingNoticeRules::heartbeatAck(message(0, {QStringLiteral("x")})));
}

TEST(Ring, IncomingFromOthersAddsHangupRemoves)
{
    using MeetingNoticeRules::RingAction;
    IMMessage income = message(6, {jsonText({{"event", "income"}})});
    income.sender = QStringLiteral("u-other");
    EXPECT_EQ(MeetingNoticeRules::ringAction(income, QStringLiteral("u-me")), RingAction::Add);
    income.sender = QStringLiteral("u-me");
    EXPECT_EQ(MeetingNoticeRules::ringAction(income, QStringLiteral("u-me")), RingAction::Ignore);
    EXPECT_EQ(MeetingNoticeRules::ringAction(message(6, {jsonText({{"event", "hangup"}})}), QStringLiteral("u-me")),
              RingAction::Remove);
    EXPECT_EQ(MeetingNoticeRules::ringAction(message(6, {}), QStringLiteral("u-me")), RingAction::Ignore);
    EXPECT_EQ(MeetingNoticeRules::ringAction(message(6, {QStringLiteral("zz")}), QStringLiteral("u-me")),
              RingAction::Ignore);
}

} // namespace
