// Control commands from the stand-in's message channel reach the window and change what the
// user sees: mute all, forbid chat, lock; the host's lock and waiting room set at the service reach
// the other members, and an assistant host's change of who may share reaches the host.

#include "DispatchWindowSupport.h"

namespace {

using DispatchEndToEndTest = DispatchWindowTest;

QJsonObject channelCommand(qint64 event, const QJsonObject &data, const QString &message)
{
    const QJsonObject command{{"event", event}, {"data", data}, {"message", message}};
    return {{"type", 1},
            {"sender", kHostPhone},
            {"senderName", QStringLiteral("主持人")},
            {"data", QJsonArray{jsonText(command)}}};
}

TEST_F(DispatchEndToEndTest, MuteAllForbidChatAndLockFromTheChannel)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();

    // Mute all.
    ASSERT_EQ(service.sendChannelMessage(
                  kRoomId, kMyPhone,
                  channelCommand(1, {{"peerId", "-1"}, {"switchStatus", 0}}, QStringLiteral("主持人关闭了全员麦克风"))),
              1);
    ASSERT_TRUE(processEventsUntil([&] { return page->ui->microphoneBtn->state() == 0; }));
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(toastText(), QStringLiteral("主持人关闭了全员麦克风"));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last().messageString, QStringLiteral("主持人关闭了全员麦克风"));
    clock.clock.advance(1100ms);
    ASSERT_TRUE(processEventsUntil([&] { return !engine().microphoneOpen(); }));
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == (QStringList{"1", "0"}); }));

    // Forbid chat: the command alone sets the room's flag (no heartbeat answer carries it) and
    // shows the host's text, without a notice line of its own; allowing clears the flag.
    const int linesBefore = int(lines.size());
    ASSERT_EQ(service.sendChannelMessage(
                  kRoomId, kMyPhone,
                  channelCommand(10, {{"peerId", "-1"}, {"switchStatus", 0}}, QStringLiteral("主持人已开启全员禁言"))),
              1);
    ASSERT_TRUE(processEventsUntil([&] { return room()->imForbid; }));
    EXPECT_EQ(toastText(), QStringLiteral("主持人已开启全员禁言"));
    EXPECT_EQ(lines.size(), linesBefore);
    service.sendChannelMessage(kRoomId, kMyPhone, channelCommand(10, {{"peerId", "-1"}, {"switchStatus", 1}}, {}));
    ASSERT_TRUE(processEventsUntil([&] { return !room()->imForbid; }));

    // Lock.
    service.sendChannelMessage(kRoomId, kMyPhone,
                               channelCommand(13, {{"switchStatus", 1}}, QStringLiteral("主持人已锁定会议")));
    ASSERT_TRUE(processEventsUntil([&] { return room()->roomLockStatus; }));
    EXPECT_EQ(lines.last().messageString, QStringLiteral("主持人已锁定会议"));
    EXPECT_EQ(lines.last().messageType, MeetingMessageModel::Notice);
}

// The service tells the room when its host locks it or turns the waiting room on.
TEST_F(DispatchEndToEndTest, TheHostsLockAndWaitingRoomSetAtTheServiceReachAMember)
{
    join();
    service.state().addUser(kHostPhone, kHostPhone, QStringLiteral("主持人"), QStringLiteral("host-token"));
    const QVariantMap host{{"Authorization", "host-token"}, {"sequenceId", service.state().room(kRoomId)->sequenceId}};
    const auto post = [&](const QString &action, const QJsonObject &body) {
        std::optional<KVMResponse> reply;
        VeskAppAgent::sharedInstance()->http()->POST(&context, "/qf/meeting/control/" + kRoomId + "/" + action, body,
                                                     host, [&](const KVMResponse &r) { reply = r; });
        EXPECT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
        return reply.value_or(KVMResponse()).code;
    };
    ASSERT_EQ(post("switch/lock", {{"roomLockStatus", "1"}}), 0);
    EXPECT_TRUE(processEventsUntil([&] { return room()->roomLockStatus; }));
    ASSERT_EQ(post("setRoomWaitStatus", {{"roomWaitStatus", "1"}}), 0);
    EXPECT_TRUE(processEventsUntil([&] { return room()->roomWaitStatus; }));
}

// An assistant host changes who may share: the host hears that the list changed and asks for it.
TEST_F(DispatchEndToEndTest, AnAssistantsSharePermissionReachesTheHost_WhoAsksForTheListAgain)
{
    join(true);
    const QString assistantPhone = QStringLiteral("13900000007");
    service.state().addUser(assistantPhone, assistantPhone, QStringLiteral("助理"), QStringLiteral("assistant-token"));
    DevRoom *devRoom = service.state().room(kRoomId);
    DevMember assistant{assistantPhone, QStringLiteral("助理"), assistantPhone};
    assistant.assistant = true;
    devRoom->members.append(assistant);
    ASSERT_TRUE(settleRequests());
    const QString listPath = QStringLiteral("/qf/meeting/room/getAllowShareUsers");
    const qsizetype asked = service.requestsFor(listPath).size();

    std::optional<KVMResponse> reply;
    VeskAppAgent::sharedInstance()->http()->POST(
        &context, QStringLiteral("/qf/client/setSharePermission"),
        QJsonObject{{"roomId", kRoomId}, {"sharePermission", 2}, {"allowShareList", QJsonArray{}}},
        QVariantMap{{"Authorization", "assistant-token"}, {"sequenceId", devRoom->sequenceId}},
        [&](const KVMResponse &r) { reply = r; });
    ASSERT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
    ASSERT_EQ(reply->code, 0) << reply->message.toStdString();
    EXPECT_TRUE(processEventsUntil([&] { return service.requestsFor(listPath).size() > asked; }));
    EXPECT_EQ(room()->sharePermission, 2);
}

} // namespace
