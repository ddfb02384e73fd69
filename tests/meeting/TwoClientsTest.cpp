// Two meeting clients, each a process of its own with the local engine, in one room of the
// stand-in that this test runs: what one does to a shared file reaches the other.

#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "e2e/ClientProcess.h"

#include "foundation/KVClock.h"

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
        service.state().addRoom(kRoom, kHost, QStringLiteral("周会"));
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

} // namespace

#endif
