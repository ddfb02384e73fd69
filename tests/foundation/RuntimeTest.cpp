#include "foundation/AppPaths.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "foundation/OperationQueue.h"
#include "foundation/UserDefaults.h"
#include "support/TestEvents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

TEST(ClockTest, RepeatingTimerFiresOncePerPeriodOfVirtualTime)
{
    VirtualClockScope scope;
    QObject owner;
    int fired = 0;
    KVTimer::repeating(&owner, 2s, [&] { ++fired; });
    scope.clock.advance(1999ms);
    EXPECT_EQ(fired, 0);
    scope.clock.advance(1ms);
    EXPECT_EQ(fired, 1);
    scope.clock.advance(10s);
    EXPECT_EQ(fired, 6);
}

TEST(ClockTest, TimersFireInDueOrderAndOneShotsOnlyOnce)
{
    VirtualClockScope scope;
    QObject owner;
    QStringList order;
    KVTimer::singleShot(&owner, 3s, [&] { order << "c"; });
    KVTimer::singleShot(&owner, 1s, [&] { order << "a"; });
    KVTimer::singleShot(&owner, 2s, [&] { order << "b"; });
    scope.clock.advance(10s);
    scope.clock.advance(10s);
    EXPECT_EQ(order, (QStringList{"a", "b", "c"}));
    EXPECT_EQ(scope.clock.nowMs(), 20000);
}

TEST(ClockTest, TimerOfDeadOwnerOrInvalidatedNeverFires)
{
    VirtualClockScope scope;
    int fired = 0;
    {
        QObject owner;
        KVTimer::repeating(&owner, 1s, [&] { ++fired; });
    }
    QObject owner2;
    QPointer<KVTimer> t = KVTimer::repeating(&owner2, 1s, [&] { ++fired; });
    t->invalidate();
    scope.clock.advance(5s);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(scope.clock.pendingCount(), 0);
}

// A hide timer replaced on every sound-level notice once kept every spent timer as a child of
// its owner for the whole meeting.
TEST(ClockTest, ReplacedAndFiredTimersAreFreed_OnlyALiveOneStaysWithItsOwner)
{
    VirtualClockScope scope;
    QObject owner;
    QPointer<KVTimer> hide;
    int fired = 0;
    for (int i = 0; i < 100; ++i) {
        if (hide)
            hide->invalidate();
        hide = KVTimer::singleShot(&owner, 1s, [&] { ++fired; });
    }
    QPointer<KVTimer> repeating = KVTimer::repeating(&owner, 1s, [] {});
    repeating->invalidate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(owner.findChildren<KVTimer *>().size(), 1);
    EXPECT_TRUE(hide);
    EXPECT_FALSE(repeating);
    scope.clock.advance(1s);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(owner.findChildren<KVTimer *>().isEmpty());
}

TEST(ClockTest, AStoppedTimerIsParkedUntilStartedAgain_AlsoFromItsOwnCallback)
{
    VirtualClockScope scope;
    QObject owner;
    int fired = 0;
    QPointer<KVTimer> t;
    t = KVTimer::repeating(&owner, 1s, [&] {
        if (++fired == 2)
            t->stop();
    });
    scope.clock.advance(5s);
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(t->isActive());
    EXPECT_EQ(scope.clock.pendingCount(), 0);
    t->start();
    scope.clock.advance(1s);
    EXPECT_EQ(fired, 3);
    EXPECT_TRUE(t->isActive());
}

TEST(ClockTest, CallbackMayDestroyItsOwnerSafely)
{
    VirtualClockScope scope;
    auto *owner = new QObject;
    int fired = 0;
    KVTimer::repeating(owner, 1s, [&] {
        ++fired;
        delete owner;
    });
    scope.clock.advance(5s);
    EXPECT_EQ(fired, 1);
}

TEST(ClockTest, RealClockTimerFiresThroughEventLoop)
{
    QObject owner;
    bool fired = false;
    KVTimer::singleShot(&owner, 5ms, [&] { fired = true; });
    EXPECT_TRUE(processEventsUntil([&] { return fired; }));
}

TEST(OperationQueueTest, SerialQueueRunsInOrderOnAWorkerThread)
{
    OperationQueue queue(QStringLiteral("test.serial"), 1);
    std::mutex m;
    std::vector<int> seen;
    std::atomic<bool> offMain{true};
    for (int i = 0; i < 50; ++i)
        queue.addOperation([&, i] {
            if (MainQueue::isMainThread())
                offMain = false;
            std::lock_guard lock(m);
            seen.push_back(i);
        });
    queue.waitUntilAllOperationsAreFinished();
    ASSERT_EQ(seen.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(seen[i], i);
    EXPECT_TRUE(offMain);
}

TEST(OperationQueueTest, CancelDropsQueuedOperations)
{
    OperationQueue queue(QStringLiteral("test.cancel"), 1);
    std::atomic<int> ran{0};
    std::atomic<bool> release{false};
    queue.addOperation([&] {
        while (!release)
            QThread::msleep(1);
        ++ran;
    });
    for (int i = 0; i < 10; ++i)
        queue.addOperation([&] { ++ran; });
    queue.cancelAllOperations();
    release = true;
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(ran, 1);
}

// A worker a queue starts from another thread (an engine's, a log line's) outlives that thread;
// its later operations must not reach back into the ended thread's storage.
TEST(OperationQueueTest, WorkersStartedFromEndedThreadsRunLaterOperations)
{
    // Many threads, so that most of their stacks (and the storage in them) go back to the system.
    std::vector<std::unique_ptr<OperationQueue>> queues;
    for (int i = 0; i < 48; ++i)
        queues.push_back(std::make_unique<OperationQueue>(QStringLiteral("test.started-elsewhere"), 1));
    std::vector<std::thread> starters;
    for (auto &queue : queues)
        starters.emplace_back([&queue] { queue->addOperation([] {}); });
    for (std::thread &starter : starters)
        starter.join();

    std::atomic<int> ran{0};
    for (auto &queue : queues)
        queue->addOperation([&] { ++ran; });
    for (auto &queue : queues)
        queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(ran, 48);
}

TEST(MainQueueTest, AsyncFromWorkerRunsOnMainAndRespectsContext)
{
    std::atomic<bool> onMain{false};
    bool guardedRan = false;
    auto *context = new QObject;
    std::thread worker([&] {
        MainQueue::async([&] { onMain = MainQueue::isMainThread(); });
        MainQueue::async(context, [&] { guardedRan = true; });
    });
    worker.join();
    delete context;
    QCoreApplication::processEvents();
    EXPECT_TRUE(onMain);
    EXPECT_FALSE(guardedRan);
}

TEST(NotificationCenterTest, DeliversToLiveObserversOnlyWithPayload)
{
    NotificationCenter center;
    QVariant seenObject;
    QVariantMap seenInfo;
    int deadCalls = 0;
    QObject live;
    center.addObserver(&live, "N", [&](const Notification &n) {
        seenObject = n.object;
        seenInfo = n.userInfo;
    });
    {
        QObject dead;
        center.addObserver(&dead, "N", [&](const Notification &) { ++deadCalls; });
    }
    center.post("N", QStringLiteral("obj"), {{"NetworkState", 3}});
    center.post("Other");
    EXPECT_EQ(seenObject.toString(), "obj");
    EXPECT_EQ(seenInfo.value("NetworkState").toInt(), 3);
    EXPECT_EQ(deadCalls, 0);
    EXPECT_EQ(center.observerCount("N"), 1);
}

TEST(NotificationCenterTest, HandlerMayRemoveObserversWhilePosting)
{
    NotificationCenter center;
    QObject a;
    int calls = 0;
    center.addObserver(&a, "N", [&](const Notification &) {
        ++calls;
        center.removeObserver(&a);
        center.post("M");
    });
    center.post("N");
    center.post("N");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenterTest, ObserverRemovedByAnEarlierHandlerIsNotCalledInTheSamePost)
{
    // A handler that stops another part (its observers first, then its state) must not have
    // that part's handler run afterwards within the same post.
    NotificationCenter center;
    QObject first;
    QObject second;
    QObject third;
    int secondCalls = 0;
    int thirdCalls = 0;
    quint64 thirdToken = 0;
    center.addObserver(&first, "N", [&](const Notification &) {
        center.removeObserver(&second);
        center.removeObserver(thirdToken);
    });
    center.addObserver(&second, "N", [&](const Notification &) { ++secondCalls; });
    thirdToken = center.addObserver(&third, "N", [&](const Notification &) { ++thirdCalls; });
    center.post("N");
    EXPECT_EQ(secondCalls, 0);
    EXPECT_EQ(thirdCalls, 0);
    EXPECT_EQ(center.observerCount("N"), 1);
}

// Folders that existed before (an older version, another program, a umask of 022) are made
// private too, not only new ones.
TEST(AppPathsTest, ExistingFoldersAreMadePrivate)
{
    QTemporaryDir base;
    const QList<std::pair<const char *, QString (*)()>> folders{{"XDG_CONFIG_HOME", &AppPaths::configDir},
                                                                {"XDG_DATA_HOME", &AppPaths::dataDir},
                                                                {"XDG_STATE_HOME", &AppPaths::stateDir},
                                                                {"XDG_CACHE_HOME", &AppPaths::cacheDir}};
    for (const auto &[variable, folder] : folders) {
        const QByteArray saved = qgetenv(variable);
        const QString root = base.filePath(QString::fromLatin1(variable));
        ASSERT_TRUE(QDir().mkpath(root + "/korvi"));
        ASSERT_TRUE(QFile::setPermissions(root + "/korvi", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                               QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                               QFile::ExeOther));
        qputenv(variable, QFile::encodeName(root));
        EXPECT_EQ(folder(), root + "/korvi");
        EXPECT_EQ(QFile::permissions(root + "/korvi") & 0x0077, QFile::Permissions()) << variable; // group, other
        EXPECT_TRUE(QFile::permissions(root + "/korvi").testFlag(QFile::ExeOwner)) << variable;
        qputenv(variable, saved);
    }
}

TEST(UserDefaultsTest, WriteSurvivesRestartAndFileIsPrivate)
{
    const QString path = AppPaths::configDir() + "/restart.json";
    {
        UserDefaults d(path);
        d.setObject(QVariantMap{{"authorization", "secret"}}, "myInfo");
        d.setBool(true, "flag");
        d.setInteger(42, "n");
    }
    UserDefaults again(path);
    EXPECT_EQ(again.dictionaryForKey("myInfo").value("authorization").toString(), "secret");
    EXPECT_TRUE(again.boolForKey("flag"));
    EXPECT_EQ(again.integerForKey("n"), 42);
    EXPECT_FALSE(again.boolForKey("absent"));
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadOther | QFile::ReadGroup | QFile::WriteOther), 0);
    again.removeObjectForKey("myInfo");
    EXPECT_FALSE(UserDefaults(path).contains("myInfo"));
}

TEST(UserDefaultsTest, InterruptedWriteKeepsPreviousContent)
{
    const QString path = AppPaths::configDir() + "/crash.json";
    {
        UserDefaults d(path);
        d.setObject("kept", "k");
    }
    // A write cut short leaves only a stray temporary file beside the real one.
    QFile stray(path + ".tmp-cut");
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.write("{\"k\":\"ha");
    stray.close();
    EXPECT_EQ(UserDefaults(path).stringForKey("k"), "kept");

    // A corrupt file is ignored rather than crashing, and the next write repairs it.
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\"k\":\"ha");
    broken.close();
    UserDefaults d(path);
    EXPECT_FALSE(d.contains("k"));
    d.setObject("again", "k");
    EXPECT_EQ(UserDefaults(path).stringForKey("k"), "again");
}

TEST(NotificationCenterTest, RemovalByTokenByNameAndByOwnerTouchesOnlyThoseObservers)
{
    NotificationCenter center;
    QObject a;
    QObject b;
    int aN = 0, aM = 0, bN = 0;
    const quint64 first = center.addObserver(&a, "N", [&](const Notification &) { ++aN; });
    center.addObserver(&a, "M", [&](const Notification &) { ++aM; });
    center.addObserver(&b, "N", [&](const Notification &) { ++bN; });

    center.removeObserver(first);
    center.post("N");
    center.post("M");
    EXPECT_EQ(aN, 0);
    EXPECT_EQ(aM, 1);
    EXPECT_EQ(bN, 1);

    center.removeObserver(&a, "M");
    center.post("M");
    EXPECT_EQ(aM, 1);
    EXPECT_EQ(center.observerCount("N"), 1);

    // A destroyed owner takes every observer of its own with it, including ones added later.
    {
        QObject c;
        for (int i = 0; i < 100; ++i)
            center.addObserver(&c, "N", [](const Notification &) {});
        EXPECT_EQ(center.observerCount("N"), 101);
    }
    EXPECT_EQ(center.observerCount("N"), 1);
    center.removeObserver(first); // already gone: harmless
}
