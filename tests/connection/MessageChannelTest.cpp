// The message channel (WebSocketManager, IMEngine) against the stand-in service over loopback.
#include "connection/IMEngine.h"
#include "connection/IMSystemMessage.h"
#include "connection/WebSocketManager.h"
#include "connection/WireProtocol.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/RXEncrypt.h"

#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct Recorder : IMEngineDelegate {
    void receiveMessage(const IMMessage &m) override
    {
        messages.append(m);
        onMain = onMain && MainQueue::isMainThread();
    }
    void receiveHeartbeatAck(const IMMessage &m) override { heartbeatAcks.append(m); }
    void otherDeviceLogin() override { events.append("otherDeviceLogin"); }
    void hostMoveConsumerToWaitRoom() override { events.append("hostMoveConsumerToWaitRoom"); }
    void onRoomClosed(const QString &reason) override { events.append("onRoomClosed:" + reason); }
    void imEngineDidConnect() override { ++connects; }
    void imEngineWillReconnect() override { events.append("willReconnect"); }
    void imEngineDidDisconnect() override { events.append("didDisconnect"); }

    QList<IMMessage> messages;
    QList<IMMessage> heartbeatAcks;
    QStringList events;
    int connects = 0;
    bool onMain = true;
};

class MessageChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.start());
        service.state().addUser("u1", "13800000001", "张三", "tok-1");
        service.state().addRoom("123456789", "u1");
        engine.setDelegate(&recorder);
    }

    KVChannelParams params(const QString &userId = "u1", const QString &token = "tok-1")
    {
        const QJsonObject c = service.channelCredentials("123456789", userId);
        return {QUrl(c["imUrl"].toString()), "123456789", userId, c["exp"].toString(), c["ctime"].toString(),
                c["signature"].toString(),   token};
    }

    void connectEngine()
    {
        const int before = recorder.connects;
        engine.connectToRoom(params());
        ASSERT_TRUE(processEventsUntil([&] { return recorder.connects == before + 1; }));
        ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount("123456789", "u1") == 1; }));
    }

    IMMessage chat(const QString &text)
    {
        IMMessage m;
        m.type = 0;
        m.sender = "13800000001";
        m.senderName = "张三";
        m.data = {text};
        return m;
    }

    // A marker message from the client reaches the service: every frame sent before it has been
    // taken (the channel keeps order).
    void roundTrip()
    {
        const qsizetype before = service.channelMessages().size();
        engine.sendMessage(chat("标记"));
        ASSERT_TRUE(processEventsUntil([&] { return service.channelMessages().size() == before + 1; }));
    }

    QStringList deliveredTexts() const
    {
        QStringList out;
        for (const DevChannelMessage &m : service.channelMessages())
            out.append(m.message["data"].toArray().first().toString());
        return out;
    }

    VirtualClockScope time;
    DevService service;
    Recorder recorder;
    IMEngine engine;
};

TEST_F(MessageChannelTest, Connect_UsesProtooAndTheSignedQuery)
{
    connectEngine(); // the service refuses a connection that did not agree on "protoo"
    const QUrlQuery query(engine.webSocketManager()->url());
    for (const char *key : {"roomId", "userId", "exp", "ctime", "signature"})
        EXPECT_FALSE(query.queryItemValue(key).isEmpty()) << key;
    EXPECT_EQ(query.queryItemValue("isEncry"), "1");
    EXPECT_TRUE(engine.isConnected());
    EXPECT_EQ(service.channelConnectionsRefused(), 0);
}

TEST_F(MessageChannelTest, Connect_WithAForgedSignatureIsRefused)
{
    KVChannelParams p = params();
    p.signature = RXEncrypt::hmacSha256Hex("guess", "roomId=123456789");
    engine.connectToRoom(p);
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionsRefused() == 1; }));
    EXPECT_EQ(service.channelConnectionsAccepted(), 0);
}

TEST_F(MessageChannelTest, CloseCodes_EachLeadToItsRoad)
{
    struct Case {
        int code;
        QString expected; // event recorded; "willReconnect" means a new connection follows
    };
    const QList<Case> cases = {
        {4003, "otherDeviceLogin"},        {4007, "hostMoveConsumerToWaitRoom"},
        {4000, "onRoomClosed:会议已结束"}, {4001, "onRoomClosed:会议已结束"},
        {4002, "onRoomClosed:会议已结束"}, {4004, "onRoomClosed:会议已结束"},
        {4008, "onRoomClosed:会议已结束"}, {1011, "onRoomClosed:会议已结束"},
        {4005, "willReconnect"},           {4006, "willReconnect"},
        {4100, "willReconnect"},           {1000, "didDisconnect"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        recorder.events.clear();
        connectEngine();
        const int accepted = service.channelConnectionsAccepted();
        ASSERT_EQ(service.closeChannel("123456789", "u1", c.code, "会议已结束"), 1);
        ASSERT_TRUE(processEventsUntil([&] { return !recorder.events.isEmpty(); }));
        EXPECT_EQ(recorder.events, QStringList{c.expected});
        const int attempts = engine.webSocketManager()->connectAttempts();
        time.clock.advance(3000ms); // a reconnect starts within this, or never
        EXPECT_EQ(engine.webSocketManager()->connectAttempts(), attempts + (c.expected == "willReconnect" ? 1 : 0));
        if (c.expected == "willReconnect") {
            ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionsAccepted() == accepted + 1; }));
            ASSERT_TRUE(processEventsUntil([&] { return engine.isConnected(); }));
        } else {
            EXPECT_EQ(service.channelConnectionsAccepted(), accepted) << "no reconnect after " << c.code;
            EXPECT_FALSE(engine.isConnected());
        }
        engine.close();
        processEventsUntil([&] { return service.channelConnectionCount() == 0; });
    }
}

TEST_F(MessageChannelTest, DroppedConnection_ReconnectsAfterThreeSeconds_WithoutLimit)
{
    connectEngine();
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        const int accepted = service.channelConnectionsAccepted();
        recorder.events.clear();
        ASSERT_EQ(service.dropChannel("123456789", "u1"), 1);
        ASSERT_TRUE(processEventsUntil([&] { return recorder.events.contains("willReconnect"); }));
        const int attempts = engine.webSocketManager()->connectAttempts();
        time.clock.advance(2900ms);
        EXPECT_EQ(engine.webSocketManager()->connectAttempts(), attempts); // not yet
        time.clock.advance(100ms);
        ASSERT_TRUE(processEventsUntil([&] { return engine.isConnected(); }));
        EXPECT_EQ(service.channelConnectionsAccepted(), accepted + 1);
    }
}

TEST_F(MessageChannelTest, ClosedOnPurpose_NeverReconnects)
{
    connectEngine();
    const int accepted = service.channelConnectionsAccepted();
    const int attempts = engine.webSocketManager()->connectAttempts();
    engine.close();
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount() == 0; }));
    time.clock.advance(10000ms);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(engine.webSocketManager()->connectAttempts(), attempts);
    EXPECT_EQ(service.channelConnectionsAccepted(), accepted);
    EXPECT_TRUE(recorder.events.isEmpty());
}

TEST_F(MessageChannelTest, ServiceUnreachable_KeepsRetryingEveryThreeSeconds)
{
    KVChannelParams p = params();
    const quint16 port = service.channelPort();
    p.address = QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(quint16(port == 1 ? 2 : 1))); // nobody listens
    engine.connectToRoom(p);
    WebSocketManager *ws = engine.webSocketManager();
    ASSERT_TRUE(processEventsUntil([&] { return ws->state() == WebSocketManager::State::WaitingToReconnect; }));
    for (int attempt = 2; attempt <= 4; ++attempt) {
        time.clock.advance(3000ms);
        ASSERT_TRUE(processEventsUntil([&] { return ws->connectAttempts() == attempt; }));
        ASSERT_TRUE(processEventsUntil([&] { return ws->state() == WebSocketManager::State::WaitingToReconnect; }));
    }
}

TEST_F(MessageChannelTest, HandshakeThatNeverAnswers_GivesUpAndRetries)
{
    // A server that takes the connection but never answers the opening handshake must not hold
    // the channel forever: the attempt is given up on the project clock and retried.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket *> held;
    QObject::connect(&silent, &QTcpServer::newConnection, &silent, [&] {
        while (QTcpSocket *s = silent.nextPendingConnection())
            held.append(s); // kept open, never written to
    });
    KVChannelParams p = params();
    p.address = QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(silent.serverPort()));
    engine.connectToRoom(p);
    WebSocketManager *ws = engine.webSocketManager();
    ASSERT_TRUE(processEventsUntil([&] { return held.size() == 1 && held[0]->bytesAvailable() > 0; }));
    EXPECT_EQ(ws->state(), WebSocketManager::State::Connecting);

    time.clock.advance(std::chrono::milliseconds(WebSocketManager::ConnectTimeoutMs));
    ASSERT_TRUE(processEventsUntil([&] { return ws->state() == WebSocketManager::State::WaitingToReconnect; }));
    EXPECT_TRUE(recorder.events.contains("willReconnect"));
    time.clock.advance(3000ms);
    ASSERT_TRUE(processEventsUntil([&] { return ws->connectAttempts() == 2 && held.size() == 2; }));
    engine.close();
}

TEST_F(MessageChannelTest, Messages_AreEncryptedNumberedAndAcknowledged)
{
    connectEngine();
    const qint64 first = engine.sendMessage(chat("大家好"));
    const qint64 second = engine.sendMessage(chat("第二条"));
    EXPECT_EQ(second, first + 1);
    ASSERT_TRUE(processEventsUntil([&] { return service.channelMessages().size() == 2; }));
    ASSERT_TRUE(processEventsUntil([&] { return engine.unacknowledgedCount() == 0; }));
    const QJsonObject m = service.channelMessages()[0].message;
    EXPECT_EQ(m["msgId"].toInteger(), first);
    EXPECT_EQ(m["sid"].toString(), engine.sessionId());
    EXPECT_EQ(m["senderName"].toString(), "张三");
    EXPECT_EQ(deliveredTexts(), (QStringList{"大家好", "第二条"}));
}

TEST_F(MessageChannelTest, UnacknowledgedMessage_IsResentOnTheNextHeartbeat_AndDeliveredOnce)
{
    connectEngine();
    service.withholdAcks(1);
    engine.sendMessage(chat("重要"));
    ASSERT_TRUE(processEventsUntil([&] { return service.channelFramesReceived() == 1; }));
    ASSERT_TRUE(drainMainQueue()); // the service took the frame and kept its ack
    EXPECT_EQ(engine.unacknowledgedCount(), 1);

    time.clock.advance(3000ms); // heartbeat: " " plus the resend
    ASSERT_TRUE(processEventsUntil([&] { return service.channelFramesReceived() == 2; }));
    ASSERT_TRUE(processEventsUntil([&] { return engine.unacknowledgedCount() == 0; }));
    EXPECT_EQ(service.heartbeatsReceived(), 1);
    EXPECT_EQ(deliveredTexts(), QStringList{"重要"});

    time.clock.advance(3000ms); // acknowledged: not sent again
    ASSERT_TRUE(processEventsUntil([&] { return service.heartbeatsReceived() == 2; }));
    roundTrip();
    EXPECT_EQ(service.channelFramesReceived(), 3); // the message and the marker
}

TEST_F(MessageChannelTest, MessagesQueuedWhileDisconnected_GoOutAfterReconnectInOrderOnce)
{
    connectEngine();
    service.dropChannel("123456789", "u1");
    ASSERT_TRUE(processEventsUntil([&] { return recorder.events.contains("willReconnect"); }));
    engine.sendMessage(chat("一"));
    engine.sendMessage(chat("二"));
    engine.sendMessage(chat("三"));
    EXPECT_EQ(engine.unacknowledgedCount(), 3);
    time.clock.advance(3000ms);
    ASSERT_TRUE(processEventsUntil([&] { return service.channelMessages().size() == 3; }));
    ASSERT_TRUE(processEventsUntil([&] { return engine.unacknowledgedCount() == 0; }));
    time.clock.advance(6000ms); // two heartbeats: nothing left to resend
    roundTrip();
    EXPECT_EQ(deliveredTexts(), (QStringList{"一", "二", "三", "标记"}));
}

TEST_F(MessageChannelTest, HeartbeatAck_IsHandedOnWithTheRoomState)
{
    connectEngine();
    service.setHeartbeatAckData("123456789", {{"micStatus", 1},
                                              {"cameraAllowStatus", 0},
                                              {"roomInfo", QJsonObject{{"imAllowStatus", 0}, {"micAllowStatus", 1}}},
                                              {"imForbid", true},
                                              {"micForbid", false}});
    time.clock.advance(3000ms);
    ASSERT_TRUE(processEventsUntil([&] { return recorder.heartbeatAcks.size() == 1; }));
    const QJsonObject data = QJsonDocument::fromJson(recorder.heartbeatAcks[0].payload().toUtf8()).object();
    EXPECT_EQ(data["micStatus"].toInt(), 1);
    EXPECT_TRUE(data.contains("cameraAllowStatus"));
    EXPECT_TRUE(data["imForbid"].toBool());
    EXPECT_TRUE(recorder.messages.isEmpty());
    time.clock.advance(3000ms);
    ASSERT_TRUE(processEventsUntil([&] { return recorder.heartbeatAcks.size() == 2; }));
}

TEST_F(MessageChannelTest, IncomingMessage_ReachesTheDelegateOnTheMainThread_AndCanBeAcknowledged)
{
    connectEngine();
    const QJsonObject notice{{"event", 108}, {"data", R"({"userId":"u9","userName":"李四","waitRedDot":1})"}};
    service.sendChannelMessage("123456789", "u1",
                               {{"type", 4},
                                {"msgId", 41},
                                {"sender", "service"},
                                {"data", QJsonArray{QString::fromUtf8(QJsonDocument(notice).toJson())}}});
    ASSERT_TRUE(processEventsUntil([&] { return recorder.messages.size() == 1; }));
    const IMMessage m = recorder.messages[0];
    EXPECT_EQ(m.type, 4);
    EXPECT_EQ(m.msgId, 41);
    EXPECT_TRUE(recorder.onMain);
    engine.ackMessage(m);
    ASSERT_TRUE(processEventsUntil([&] { return service.channelAcks() == QList<qint64>{41}; }));
}

TEST_F(MessageChannelTest, GarbageFrames_AreDroppedAndTheChannelStaysUp)
{
    connectEngine();
    const QByteArray key = WireProtocol::channelKey("tok-1");
    const QStringList garbage = {
        "not base64 at all!!",
        QString::fromLatin1(QByteArray("0123456789abcdef0123456789abcdef").toBase64()), // not our cipher
        QString::fromLatin1(RXEncrypt::aes128EcbEncryptBytes("{not json", key).toBase64()),
        WireProtocol::encodeFrame({{"cmd", "message"}, {"msg", QJsonObject{{"type", 0}}}}, key), // no msgId
        WireProtocol::encodeFrame({{"cmd", "message"}, {"msg", QJsonObject{{"type", 0}, {"msgId", 1}, {"data", 5}}}},
                                  key),
        WireProtocol::encodeFrame({{"cmd", "ack"}, {"msgId", "x"}}, key),
        WireProtocol::encodeFrame({{"cmd", "whatever"}}, key),
        WireProtocol::encodeFrame({{"cmd", "message"}, {"msg", QJsonObject{{"type", 0}, {"msgId", 1}}}},
                                  WireProtocol::channelKey("other-token")),
        "",
    };
    for (const QString &g : garbage)
        service.sendChannelRawText("123456789", "u1", g);
    service.sendChannelMessage("123456789", "u1", {{"type", 0}, {"msgId", 7}, {"data", QJsonArray{"还在"}}});
    ASSERT_TRUE(processEventsUntil([&] { return recorder.messages.size() == 1; }));
    EXPECT_EQ(recorder.messages[0].payload(), "还在");
    EXPECT_TRUE(engine.isConnected());
    EXPECT_TRUE(recorder.events.isEmpty());
    engine.sendMessage(chat("回复"));
    ASSERT_TRUE(processEventsUntil([&] { return service.channelMessages().size() == 1; }));
}

// A message larger than any the service sends is not held: the connection closes and comes back,
// and the channel goes on.
TEST_F(MessageChannelTest, OversizedMessage_ClosesTheConnection_WhichComesBack)
{
    connectEngine();
    const int accepted = service.channelConnectionsAccepted();
    service.sendChannelRawText("123456789", "u1", QString(WebSocketManager::MaxMessageBytes + 1, QLatin1Char('x')));
    ASSERT_TRUE(processEventsUntil([&] { return recorder.events.contains("willReconnect"); }));
    time.clock.advance(3000ms);
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionsAccepted() == accepted + 1; }));
    ASSERT_TRUE(processEventsUntil([&] { return engine.isConnected(); }));
    service.sendChannelMessage("123456789", "u1", {{"type", 0}, {"msgId", 8}, {"data", QJsonArray{"还在"}}});
    ASSERT_TRUE(processEventsUntil([&] { return recorder.messages.size() == 1; }));
    EXPECT_EQ(recorder.messages[0].payload(), "还在");
}

TEST_F(MessageChannelTest, DestroyedDelegate_IsNotCalled)
{
    struct ObjectDelegate : QObject, IMEngineDelegate {
        void receiveMessage(const IMMessage &) override { ADD_FAILURE() << "called after destruction"; }
    };
    connectEngine();
    auto delegate = std::make_unique<ObjectDelegate>();
    engine.setDelegate(delegate.get());
    delegate.reset();
    // Connected after the engine's own handler: it sees the frame once the engine has handled it.
    auto *socket = engine.webSocketManager()->findChild<QWebSocket *>();
    ASSERT_NE(socket, nullptr);
    int frames = 0;
    QObject::connect(socket, &QWebSocket::textMessageReceived, socket, [&] { ++frames; });
    service.sendChannelMessage("123456789", "u1", {{"type", 0}, {"msgId", 1}, {"data", QJsonArray{"x"}}});
    ASSERT_TRUE(processEventsUntil([&] { return frames == 1; }));
}

TEST(IMMessageTest, FromJson_NormalisesDataAndRejectsMissingFields)
{
    const auto m = IMMessage::fromJson(QJsonObject{
        {"type", "3"}, {"msgId", 12}, {"sender", "138"}, {"data", QJsonArray{QJsonObject{{"a", 1}}, "t", 2}}});
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->type, 3);
    EXPECT_EQ(m->data, (QStringList{R"({"a":1})", "t", "2"}));
    EXPECT_FALSE(IMMessage::fromJson({{"msgId", 1}}).has_value());
    EXPECT_FALSE(IMMessage::fromJson({{"type", 1}}).has_value());
    EXPECT_FALSE(IMMessage::fromJson({{"type", 1}, {"msgId", 1}, {"data", "x"}}).has_value());
    const auto empty = IMMessage::fromJson({{"type", 0}, {"msgId", 2}});
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->payload().isEmpty());
}

TEST(IMMessageTest, SystemMessage_ReadsTheWaitingMember)
{
    const IMSystemMessage s = IMSystemMessage::fromDictionary({{"event", 108},
                                                               {"content", QVariantMap{{"userId", "u9"},
                                                                                       {"userName", "李四"},
                                                                                       {"isFreshMan", 1},
                                                                                       {"waitEnterStatus", "2"},
                                                                                       {"waitRedDot", true},
                                                                                       {"deviceType", "PC"}}},
                                                               {"other", "kept out"}});
    EXPECT_EQ(s.event, 108);
    EXPECT_EQ(s.content.userId, "u9");
    EXPECT_EQ(s.content.userName, "李四");
    EXPECT_TRUE(s.content.isFreshMan);
    EXPECT_EQ(s.content.waitEnterStatus, 2);
    EXPECT_TRUE(s.content.waitRedDot);
}

TEST(WireProtocolTest, DecodeFrame_KeepsEveryDigitOfUnsigned64BitIds)
{
    const QByteArray key = WireProtocol::channelKey("tok-1");
    const QByteArray plain =
        R"({"cmd":"message","msg":{"type":1,"msgId":3,"data":[{"event":201,"data":{"sequenceId":18446744073709551615}}]}})";
    const auto frame =
        WireProtocol::decodeFrame(QString::fromLatin1(RXEncrypt::aes128EcbEncryptBytes(plain, key).toBase64()), key);
    ASSERT_TRUE(frame.has_value());
    const auto message = IMMessage::fromJson(frame->value("msg").toObject());
    ASSERT_TRUE(message.has_value());
    const QVariantMap control = jx_JSONObject(message->payload()).toMap();
    EXPECT_EQ(control.value("data").toMap().value("sequenceId").toString(), "18446744073709551615");
}

TEST(WireProtocolTest, ChannelSignature_CoversEveryKey)
{
    const QString secret = "tok-1";
    const QUrl url =
        WireProtocol::channelUrl(QUrl("wss://im.example/ws"), "r1", "u1", "2000000000", "1700000000",
                                 WireProtocol::channelSignature("r1", "u1", "2000000000", "1700000000", secret));
    EXPECT_TRUE(WireProtocol::verifyChannelQuery(url, secret, 1800000000));
    EXPECT_FALSE(WireProtocol::verifyChannelQuery(url, secret, 2000000001)); // expired
    EXPECT_FALSE(WireProtocol::verifyChannelQuery(url, "other", 1800000000));
    for (const char *key : {"roomId", "userId", "exp", "ctime"}) {
        QUrl changed = url;
        QUrlQuery q(changed);
        const QString v = q.queryItemValue(key);
        q.removeQueryItem(key);
        q.addQueryItem(key, v + "1");
        changed.setQuery(q);
        EXPECT_FALSE(WireProtocol::verifyChannelQuery(changed, secret, 1800000000)) << key;
    }
}

TEST_F(MessageChannelTest, StandInRelay_StampsTheChannelsSender_AndRefusesHostCommandsFromMembers)
{
    service.setRelayMessages(true);
    service.state().addUser("u2", "13800000002", "李四", "tok-2");
    DevMember member;
    member.userId = "u2";
    member.userName = "李四";
    service.state().room("123456789")->members.append(member);
    connectEngine();
    Recorder other;
    IMEngine memberEngine;
    memberEngine.setDelegate(&other);
    memberEngine.connectToRoom(params("u2", "tok-2"));
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount("123456789", "u2") == 1; }));

    const auto command = [](int event, const QString &sender) {
        IMMessage m;
        m.type = 1;
        m.sender = sender;
        m.data = {QStringLiteral(R"({"event":%1,"data":{"peerId":"-1","switchStatus":0}})").arg(event)};
        return m;
    };
    // A member posing as the host: the command never reaches the host; chat does, in its own name.
    memberEngine.sendMessage(command(13, "u1"));
    IMMessage forged = chat("你好");
    forged.sender = "u1";
    memberEngine.sendMessage(forged);
    ASSERT_TRUE(processEventsUntil([&] { return recorder.messages.size() == 1; }));
    EXPECT_EQ(recorder.messages[0].type, 0);
    EXPECT_EQ(recorder.messages[0].sender, "u2");
    EXPECT_EQ(recorder.messages[0].senderName, "李四");

    // The host's command reaches the member.
    engine.sendMessage(command(13, "u1"));
    ASSERT_TRUE(processEventsUntil([&] { return other.messages.size() == 1; }));
    EXPECT_EQ(other.messages[0].type, 1);
    EXPECT_EQ(other.messages[0].sender, "u1");
    roundTrip();
    EXPECT_EQ(recorder.messages.size(), 1);
}

// Document and audio/video events are the service's: a member's own is passed on only when he may
// do what it says (the sharer, or one given rights); a share never starts on the channel.
TEST_F(MessageChannelTest, StandInRelay_PassesAMembersFileEventsOnlyWhenHeMayDriveTheFile)
{
    service.setRelayMessages(true);
    service.state().addUser("u2", "13800000002", "李四", "tok-2");
    DevRoom *room = service.state().room("123456789");
    DevMember member;
    member.userId = "u2";
    member.userName = "李四";
    room->members.append(member);
    room->extra.insert("sharedFile", QVariantMap{{"userId", RXEncrypt::aes128ecbEncrypt("u9")}, {"fileId", "d1"}});
    connectEngine();
    Recorder other;
    IMEngine memberEngine;
    memberEngine.setDelegate(&other);
    memberEngine.connectToRoom(params("u2", "tok-2"));
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount("123456789", "u2") == 1; }));

    const auto command = [](int event, const QString &data) {
        IMMessage m;
        m.type = 1;
        m.data = {QStringLiteral(R"({"event":%1,"data":%2})").arg(event).arg(data)};
        return m;
    };
    // Another's document: no page, no end, no start of his own.
    memberEngine.sendMessage(command(903, R"({"fileId":"d1","sliceId":"d1-3","flipOverType":0,"sequenceId":9})"));
    memberEngine.sendMessage(command(901, R"({"sharedFileStatus":0,"fileId":"d1"})"));
    memberEngine.sendMessage(command(707, R"({"fileId":"v","duration":30})"));
    memberEngine.sendMessage(chat("你好"));
    ASSERT_TRUE(processEventsUntil([&] { return recorder.messages.size() == 1; }));
    EXPECT_EQ(recorder.messages[0].type, 0);

    // His own: he turns its pages and ends it, and still starts nothing on the channel.
    room->extra.insert("sharedFile", QVariantMap{{"userId", RXEncrypt::aes128ecbEncrypt("u2")}, {"fileId", "d1"}});
    memberEngine.sendMessage(command(707, R"({"fileId":"v","duration":30})"));
    memberEngine.sendMessage(command(903, R"({"fileId":"d1","sliceId":"d1-3","flipOverType":0,"sequenceId":9})"));
    memberEngine.sendMessage(command(901, R"({"sharedFileStatus":0,"fileId":"d1"})"));
    ASSERT_TRUE(processEventsUntil([&] { return recorder.messages.size() == 3; }));
    roundTrip();
    ASSERT_EQ(recorder.messages.size(), 3);
    EXPECT_TRUE(recorder.messages[1].payload().contains("903"));
    EXPECT_TRUE(recorder.messages[2].payload().contains("901"));
}

} // namespace
