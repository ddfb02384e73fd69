// Two meeting clients, each a process of its own with the local engine, in one room of the
// stand-in that this test runs: what one does to a shared file or screen reaches the other.

#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "e2e/ClientProcess.h"

#include "foundation/KVClock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#ifdef KORVI_MEETING_CLIENT

using namespace std::chrono_literals;

namespace {

const QString kRoom = QStringLiteral("123456789");
class TwoClientsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.start());
        service.state().addUser(kHost, kHost, QStringLiteral("主持人"), QStringLiteral("token-") + kHost);
        service.state().addUser(kSharer, kSharer, QStringLiteral("甲"), QStringLiteral("token-") + kSharer);
        service.state()
            .addRoom(kRoom, kHost, QStringLiteral("周会"))
            .flags.insert(QStringLiteral("allowFileShared"), 1);
    }

    const QString kHost = QStringLiteral("13900000000");
    const QString kSharer = QStringLiteral("13800000000");
    // The stand-in's file clock stands still unless the test moves it.
    VirtualClockScope clock;
    DevService service;
};

TEST_F(TwoClientsTest, AVideoFilePausedSoughtAndPlayedByItsSharer_FollowsAtTheOther)
{
    ClientProcess host(service.port(), kHost, QStringLiteral("主持人"), kRoom);
    ASSERT_TRUE(host.next().value("ready").toBool());
    ClientProcess sharer(service.port(), kSharer, QStringLiteral("甲"), kRoom);
    ASSERT_TRUE(sharer.next().value("ready").toBool());

    ASSERT_TRUE(sharer.ask("shareFile v1 演示.mp4 2 300").value("ok").toBool());
    QJsonObject seen;
    // The host may operate the file, and its stream reaches him at the start.
    ASSERT_TRUE(host.stateUntil(
        [](const QJsonObject &s) { return s["mode"].toInt() == 2 && s["controls"].toBool() && s["playing"].toBool(); },
        &seen))
        << QJsonDocument(seen).toJson().constData();
    EXPECT_EQ(seen["position"].toInt(), 0);
    // The sharer's own stream came back to him: he reported the start.
    ASSERT_TRUE(sharer.stateUntil([](const QJsonObject &s) { return s["processStarted"].toBool(); }, &seen))
        << QJsonDocument(seen).toJson().constData();

    ASSERT_TRUE(sharer.ask("click").value("ok").toBool()); // pause
    ASSERT_TRUE(
        host.stateUntil([](const QJsonObject &s) { return s["button"].toInt() == 1 && !s["playing"].toBool(); }, &seen))
        << QJsonDocument(seen).toJson().constData();

    ASSERT_TRUE(sharer.ask("seek 0.5").value("ok").toBool());
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return s["position"].toInt() == 150; }, &seen))
        << QJsonDocument(seen).toJson().constData();
    EXPECT_EQ(seen["button"].toInt(), 1);

    ASSERT_TRUE(sharer.ask("click").value("ok").toBool()); // play on from there
    ASSERT_TRUE(
        host.stateUntil([](const QJsonObject &s) { return s["button"].toInt() == 0 && s["playing"].toBool(); }, &seen))
        << QJsonDocument(seen).toJson().constData();
    // Five seconds of the file later, the host's frames say so.
    clock.clock.advance(5s);
    ASSERT_TRUE(host.stateUntil(
        [](const QJsonObject &s) { return s["position"].toInt() >= 155 && s["position"].toInt() <= 159; }, &seen))
        << QJsonDocument(seen).toJson().constData();
}

// 甲's share has started: he is in sharing mode (ring, bar, no meeting window) and the host shows his tile.
static void shareSeenByBoth(ClientProcess &sharer, ClientProcess &host, const char *command, QJsonObject &seen)
{
    ASSERT_TRUE(sharer.ask(command).value("ok").toBool());
    ASSERT_TRUE(sharer.stateUntil(
        [](const QJsonObject &s) {
            return s["ownShare"].toBool() && s["ring"].toBool() && s["bar"].toBool() && !s["meetingWindow"].toBool();
        },
        &seen))
        << QJsonDocument(seen).toJson().constData();
    ASSERT_TRUE(
        host.stateUntil([](const QJsonObject &s) { return s["screenTile"].toString() == QStringLiteral("甲"); }, &seen))
        << QJsonDocument(seen).toJson().constData();
}

TEST_F(TwoClientsTest, AMembersScreenShare_RefusesTheHostsShare_UntilTheHostEndsIt)
{
    ClientProcess host(service.port(), kHost, QStringLiteral("主持人"), kRoom);
    ASSERT_TRUE(host.next().value("ready").toBool());
    ClientProcess sharer(service.port(), kSharer, QStringLiteral("甲"), kRoom);
    ASSERT_TRUE(sharer.next().value("ready").toBool());

    QJsonObject seen;
    ASSERT_NO_FATAL_FAILURE(shareSeenByBoth(sharer, host, "shareScreen", seen));

    // The lock is the sharer's: the service refuses the host's share and says why.
    const QJsonObject refused = host.ask("shareScreen");
    EXPECT_FALSE(refused.value("ok").toBool());
    EXPECT_EQ(refused.value("toast").toString(), QStringLiteral("其他成员正在共享"));
    EXPECT_EQ(host.ask("state").value("shareBtn").toInt(), 0);

    // The host ends it: control event 4 from the room's creator, through the service.
    const QJsonObject command{{"event", 4}, {"data", QJsonObject{{"peerId", kSharer}, {"switchStatus", 0}}}};
    const QJsonObject message{
        {"type", 1},
        {"sender", kHost},
        {"senderName", QStringLiteral("主持人")},
        {"data", QJsonArray{QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact))}}};
    ASSERT_EQ(service.sendChannelMessage(kRoom, kSharer, message), 1);
    ASSERT_TRUE(sharer.stateUntil(
        [](const QJsonObject &s) {
            return s["alert"].toString().contains(QStringLiteral("主持人结束了您的共享")) && !s["ownShare"].toBool() &&
                   !s["ring"].toBool() && !s["bar"].toBool() && s["meetingWindow"].toBool() &&
                   s["shareBtn"].toInt() == 0;
        },
        &seen))
        << QJsonDocument(seen).toJson().constData();

    // The lock went back with it: now the host may share.
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return s["screenTile"].toString().isEmpty(); }, &seen))
        << QJsonDocument(seen).toJson().constData();
    ASSERT_TRUE(host.ask("shareScreen").value("ok").toBool());
    ASSERT_TRUE(
        host.stateUntil([](const QJsonObject &s) { return s["ownShare"].toBool() && s["bar"].toBool(); }, &seen))
        << QJsonDocument(seen).toJson().constData();
}

// The shared window's owner closes it: the share ends by itself at the sharer, as if stopped, and
// everywhere else; the lock goes back, so the other may share.
TEST_F(TwoClientsTest, ASharedWindowClosedByItsOwner_EndsTheShareEverywhere_AndFreesTheLock)
{
    ClientProcess host(service.port(), kHost, QStringLiteral("主持人"), kRoom);
    ASSERT_TRUE(host.next().value("ready").toBool());
    ClientProcess sharer(service.port(), kSharer, QStringLiteral("甲"), kRoom);
    ASSERT_TRUE(sharer.next().value("ready").toBool());

    QJsonObject seen;
    ASSERT_NO_FATAL_FAILURE(shareSeenByBoth(sharer, host, "shareWindow", seen));

    ASSERT_TRUE(sharer.ask("closeWindow").value("ok").toBool());
    ASSERT_TRUE(sharer.stateUntil(
        [](const QJsonObject &s) {
            return !s["ownShare"].toBool() && !s["ring"].toBool() && !s["bar"].toBool() &&
                   s["meetingWindow"].toBool() && s["shareBtn"].toInt() == 0;
        },
        &seen))
        << QJsonDocument(seen).toJson().constData();
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return s["screenTile"].toString().isEmpty(); }, &seen))
        << QJsonDocument(seen).toJson().constData();
    ASSERT_TRUE(host.ask("shareScreen").value("ok").toBool()) << "the lock is free";
    ASSERT_TRUE(
        host.stateUntil([](const QJsonObject &s) { return s["ownShare"].toBool() && s["bar"].toBool(); }, &seen))
        << QJsonDocument(seen).toJson().constData();
}

} // namespace

#endif
