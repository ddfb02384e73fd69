// The manager with the local engine against the stand-in: members in the order they joined, a
// stand-in that stops answering as a lost media server (reconnect, recovery, the watch's end), and
// a room whose network the stand-in makes poorer.

#include "FakePortal.h"
#include "ManagerTestSupport.h"
#include "PrivatePipeWire.h"

#include "agent/engine/KRTCEngineFactory.h"
#include "agent/engine/LocalEngine.h"
#include "agent/engine/PortalDesktopCapture.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/NotificationCenter.h"
#include "routes/EngineRoutes.h"

#include <QTcpServer>

#include <algorithm>

using namespace std::chrono_literals;

namespace {

const QString kRoom = QStringLiteral("123456789");

class ManagerLocalEngineTest : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        ASSERT_TRUE(service.start());
        NotificationCenter::defaultCenter().addObserver(
            &observer, QStringLiteral("MEETINGNETWORKSTATE"),
            [this](const Notification &n) { levels << n.userInfo.value("NetworkState").toInt(); });
    }

    // Three participants already in the room, joined as 甲, 乙, 丙 in an order their peer ids
    // do not sort in.
    void seatThree()
    {
        QStringList phones{QStringLiteral("19900000101"), QStringLiteral("19900000102"), QStringLiteral("19900000103")};
        std::sort(phones.begin(), phones.end(), [](const QString &a, const QString &b) {
            return RXEncrypt::aes128ecbEncrypt(a) > RXEncrypt::aes128ecbEncrypt(b);
        });
        const QStringList names{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")};
        for (int i = 0; i < 3; ++i)
            ids << EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, names[i], phones[i], true, false, false});
    }

    void joinLocal()
    {
        auto room = makeRoom();
        room->signalUrl = service.baseUrl().toString();
        manager->joinRoomWith(room);
        manager->joinRoom();
        ASSERT_TRUE(processEventsUntil([&] {
            settle();
            return manager->state() == VeskMeetingManager::StateInRoom && recorder.lastMembers.size() == 4;
        }));
    }

    [[nodiscard]] QString memberNames() const
    {
        QStringList out;
        for (const auto &m : recorder.lastMembers)
            out << m->userName;
        return out.join(QLatin1Char(' '));
    }

    // Project time passes a second at a time, the event loop running between. The engine's poll
    // goes over a real socket: time waits for its answer, or a loaded machine would see it time
    // out; what the last second set off may still be on its way, so an outcome is waited for.
    void runFor(std::chrono::seconds total, const std::function<bool()> &stopWhen = {})
    {
        for (auto done = 0s; done < total; done += 1s) {
            processEventsUntil([&] { return !engine || !engine->requestInFlight(); });
            settle();
            if (stopWhen && stopWhen())
                return;
            clock.clock.advance(1s);
            processEventsFor(3);
            settle();
            if (stopWhen && stopWhen())
                return;
        }
        if (stopWhen)
            processEventsUntil([&] {
                settle();
                return stopWhen();
            });
    }

    // The own share as the stand-in was told of it ("share" true or false), in order.
    [[nodiscard]] QList<bool> shareCalls() const
    {
        QList<bool> out;
        for (const DevRequest &r : service.requests())
            if (r.path.startsWith(QStringLiteral("/engine/room/")) && r.path.endsWith(QStringLiteral("/share")))
                out << r.json.value(QStringLiteral("share")).toBool();
        return out;
    }

    // The portal desktop on a private bus; the test body runs with it.
    void withPortal(const std::function<void(FakePortal &)> &body)
    {
        PrivateBus bus;
        if (!bus.start())
            GTEST_SKIP() << bus.why().toStdString();
        {
            QDBusConnection client =
                QDBusConnection::connectToBus(bus.address(), QStringLiteral("korvi-manager-client"));
            QDBusConnection portalSide =
                QDBusConnection::connectToBus(bus.address(), QStringLiteral("korvi-manager-portal"));
            FakePortal portal(portalSide);
            DesktopCaptureSource::setCurrent(std::make_shared<PortalDesktopCapture>(client));
            seatThree();
            joinLocal();
            body(portal);
            manager->leaveRoom();
            DesktopCaptureSource::setCurrent(nullptr);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("korvi-manager-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("korvi-manager-portal"));
    }

    // The user pressed 共享屏幕 and the portal's dialog is open: nobody has heard of the share.
    void startWhileTheDialogIsOpen(FakePortal &portal)
    {
        DesktopCaptureSnapshotModel candidate;
        candidate.type = DesktopCaptureSnapshotModel::Screen;
        candidate.id = DesktopCaptureSource::kPortalChoiceId;
        portal.startDelayMs = -1;
        portal.calls.clear();
        recorder.events.clear();
        service.clearRequests();
        manager->setSelfScreenOrWindowSharing(true);
        ASSERT_EQ(manager->startDesktopShare(candidate), VeskMeetingManager::DesktopShareResult::Pending);
        ASSERT_TRUE(processEventsUntil([&] { return portal.startHeld(); }));
        runFor(3s); // the others' polls go on while the user chooses
        EXPECT_TRUE(shareCalls().isEmpty()) << "the stand-in was told of a share the user has not chosen";
        EXPECT_EQ(manager->memberForId(kMyPhone)->shareFlag(), 0);
        EXPECT_FALSE(recorder.events.contains(QStringLiteral("consumerShareStarted")));
    }

    DevService service;
    QPointer<LocalEngine> engine;
    KRTCEngineFactory::ScopedCreator local{[this](const KRTCEngineConfig &config) {
        auto made = std::make_unique<LocalEngine>(config);
        made->setUseRealDevices(false);
        engine = made.get();
        return made;
    }};
    QObject observer;
    QList<int> levels;
    QStringList ids;
};

TEST_F(ManagerLocalEngineTest, StandInAwayFiveSeconds_ReconnectsAndRefreshesTheMembersInJoinOrder)
{
    seatThree();
    joinLocal();
    EXPECT_EQ(memberNames(), QStringLiteral("张三 甲 乙 丙")) << "own member first, then as they joined";

    service.stop();
    QTcpServer other;
    EXPECT_FALSE(other.listen(QHostAddress::LocalHost, service.port())) << "no other program takes the port meanwhile";
    recorder.events.clear();
    runFor(2s, [&] { return manager->state() == VeskMeetingManager::StateReconnecting; });
    ASSERT_EQ(manager->state(), VeskMeetingManager::StateReconnecting);
    ASSERT_FALSE(levels.isEmpty());
    EXPECT_EQ(levels.last(), 4) << "the network icon shows the loss";

    // 乙 leaves and 丁 comes while the client cannot hear of it.
    ASSERT_TRUE(EngineRoutes::removeSimulatedPeer(service, kRoom, ids[1]));
    EngineRoutes::addSimulatedPeer(service, kRoom, {{}, {}, QStringLiteral("丁"), {}, true, false, false});
    runFor(3s);
    ASSERT_TRUE(service.start(service.port(), service.channelPort()));
    runFor(4s, [&] {
        return manager->state() == VeskMeetingManager::StateInRoom && memberNames() == QStringLiteral("张三 甲 丙 丁");
    });

    EXPECT_EQ(manager->state(), VeskMeetingManager::StateInRoom);
    EXPECT_EQ(recorder.only("state"), (QStringList{"state 3", "state 2"}));
    EXPECT_EQ(memberNames(), QStringLiteral("张三 甲 丙 丁"));
    EXPECT_FALSE(recorder.events.contains("reconnectOutTimes"));
    EXPECT_EQ(levels.mid(levels.indexOf(4)).value(1, -1), 0) << "the icon leaves the loss behind";
}

TEST_F(ManagerLocalEngineTest, StandInAwayFortySeconds_TheWatchGivesUpAfterThirty)
{
    seatThree();
    joinLocal();
    service.stop();
    recorder.events.clear();
    runFor(3s, [&] { return manager->state() == VeskMeetingManager::StateReconnecting; });
    ASSERT_EQ(manager->state(), VeskMeetingManager::StateReconnecting);

    runFor(29s);
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateReconnecting) << "the watch runs 30 s";
    runFor(8s, [&] { return manager->state() == VeskMeetingManager::StateReconnectFailed; });
    EXPECT_EQ(manager->state(), VeskMeetingManager::StateReconnectFailed);
    EXPECT_EQ(recorder.only("state"), (QStringList{"state 3", "state 4"}));
    EXPECT_TRUE(recorder.events.contains("reconnectOutTimes"));
}

TEST_F(ManagerLocalEngineTest, APoorerNetworkAtTheStandIn_WarnsOfItThenAdvisesAudioOnly)
{
    int network = 0;
    int qos = 0;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(&observer, QStringLiteral("MEETINGNETWORKWARNNING"), [&](const Notification &) { ++network; });
    center.addObserver(&observer, QStringLiteral("MEETINGQOSWARNNING"), [&](const Notification &) { ++qos; });
    seatThree();
    joinLocal();
    runFor(3s);
    EXPECT_EQ(network + qos, 0);

    // The engine hears of the change with its next poll, over a real socket: time runs until the
    // outcome, with room for a reply that comes late.
    ASSERT_TRUE(EngineRoutes::setNetwork(service, kRoom, 1000, 0));
    runFor(20s, [&] { return network > 0; });
    EXPECT_EQ(network, 1);
    EXPECT_EQ(levels.last(), 3);

    ASSERT_TRUE(EngineRoutes::setNetwork(service, kRoom, 0, 40));
    runFor(40s, [&] { return qos > 0; });
    EXPECT_EQ(qos, 1) << "the worst level held for ten seconds";
    EXPECT_EQ(levels.last(), 4);
}

// A Wayland share: the portal answers its dialog only after the count-down, refusing it or with
// the user's Cancel. Nobody ever hears of the share; it ends as a start that failed.
TEST_F(ManagerLocalEngineTest, APortalThatRefusesOrIsCancelledLate_NothingIsAnnounced_AStartThatFailed)
{
    withPortal([&](FakePortal &portal) {
        for (const uint response : {1u, 2u}) {
            portal.startResponse = response;
            startWhileTheDialogIsOpen(portal);
            ASSERT_TRUE(portal.answerStart());
            ASSERT_TRUE(processEventsUntil([&] {
                settle();
                return recorder.events.contains(QStringLiteral("consumerShareFinsh %1").arg(KRTCShareEnd::StartFailed));
            })) << response;
            runFor(1s);
            EXPECT_TRUE(shareCalls().isEmpty()) << "a share call for a share that never ran";
            EXPECT_FALSE(manager->selfScreenOrWindowSharing());
            EXPECT_EQ(manager->memberForId(kMyPhone)->shareFlag(), 0);
            EXPECT_FALSE(recorder.events.contains(QStringLiteral("consumerShareStarted")));
            EXPECT_FALSE(
                recorder.events.contains(QStringLiteral("consumerShareFinsh %1").arg(KRTCShareEnd::SourceGone)));
        }
    });
}

// The user chose in the portal's dialog: then, and only then, the share is announced.
TEST_F(ManagerLocalEngineTest, APortalShare_IsAnnouncedOnceTheUserChose)
{
    PrivatePipeWire pipewire;
    if (!pipewire.start(QSize(320, 240), 0xff00c000))
        GTEST_SKIP() << "no private PipeWire: " << pipewire.why().toStdString();
    withPortal([&](FakePortal &portal) {
        portal.nodeId = pipewire.sourceNode();
        portal.openRemote = [&pipewire] { return pipewire.connect(); };
        portal.startResponse = 0;
        startWhileTheDialogIsOpen(portal);
        ASSERT_TRUE(portal.answerStart());
        ASSERT_TRUE(processEventsUntil([&] {
            settle();
            return recorder.events.contains(QStringLiteral("consumerShareStarted"));
        }));
        EXPECT_EQ(manager->memberForId(kMyPhone)->shareFlag(), 1);
        EXPECT_TRUE(processEventsUntil([&] { return shareCalls() == QList<bool>{true}; }));
        manager->stopDesktopShare();
        EXPECT_TRUE(processEventsUntil([&] { return shareCalls() == QList<bool>({true, false}); }));
    });
}

} // namespace
