// Frame routing by peer id, source type and channel index, and the snapshot the render thread
// reads while the main thread replaces the tiles.

#include "agent/engine/KRTCVideoView.h"
#include "meeting/window/MeetingFrameRouter.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Tile = MeetingFrameRouter::Tile;

Tile tile(qint64 type, const QString &peer, qint64 channel = 0)
{
    return std::make_shared<MeetingActiveModel>(type, peer, QStringLiteral("u-") + peer, peer, false, nullptr, channel);
}

QStringList route(const MeetingFrameRouter &router, const QString &peer, qint64 type, qint64 channel)
{
    QStringList hits;
    MeetingFrameRouter::forEachMatch(*router.targets(), peer, type, channel, [&](const Tile &t) {
        hits << QStringLiteral("%1/%2/%3").arg(t->phoneNumber()).arg(t->activeVideoSourceType()).arg(t->channelIndex());
    });
    return hits;
}

TEST(MeetingFrameRouterTest, MatchesPeerSourceTypeAndChannel)
{
    MeetingFrameRouter router;
    router.setTiles({tile(1, QStringLiteral("a")), tile(2, QStringLiteral("a")), tile(1, QStringLiteral("b")),
                     tile(1, QStringLiteral("b"), 1), tile(0, QStringLiteral("c"))});

    EXPECT_EQ(route(router, QStringLiteral("a"), 1, 0), QStringList{QStringLiteral("a/1/0")});
    EXPECT_EQ(route(router, QStringLiteral("a"), 2, 0), QStringList{QStringLiteral("a/2/0")});
    EXPECT_EQ(route(router, QStringLiteral("b"), 1, 1), QStringList{QStringLiteral("b/1/1")});
    EXPECT_TRUE(route(router, QStringLiteral("b"), 1, 2).isEmpty()); // unknown channel
    EXPECT_TRUE(route(router, QStringLiteral("z"), 1, 0).isEmpty()); // unknown peer: dropped
    EXPECT_TRUE(route(router, QStringLiteral("a"), 3, 0).isEmpty()); // unknown source type
}

TEST(MeetingFrameRouterTest, ShareStreamsFirstThenGridTiles)
{
    MeetingFrameRouter router;
    const Tile screen = tile(2, QStringLiteral("s"));
    router.setTiles({tile(2, QStringLiteral("s")), tile(3, QStringLiteral("f"))});
    router.setScreenShareSource(screen);
    router.setAvFileShareSource(tile(3, QStringLiteral("f")));

    EXPECT_EQ(route(router, QStringLiteral("s"), 2, 0).size(), 2); // strip tile and share view
    EXPECT_EQ(route(router, QStringLiteral("f"), 3, 0).size(), 2);
    // A share stream that does not match only skips its own drawing.
    router.setScreenShareSource(tile(2, QStringLiteral("other")));
    EXPECT_EQ(route(router, QStringLiteral("s"), 2, 0).size(), 1);

    router.clear();
    EXPECT_TRUE(route(router, QStringLiteral("f"), 3, 0).isEmpty());
}

TEST(MeetingFrameRouterTest, DropView_RemovesEveryTargetDrawingIntoIt)
{
    MeetingFrameRouter router;
    KRTCVideoView gone;
    KRTCVideoView kept;
    auto on = [](KRTCVideoView *v, qint64 type) {
        return std::make_shared<MeetingActiveModel>(type, QStringLiteral("p"), QStringLiteral("u"), QStringLiteral("n"),
                                                    false, v, 0);
    };
    router.setTiles({on(&gone, 1), on(&kept, 1)});
    router.setScreenShareSource(on(&gone, 2));
    router.setAvFileShareSource(on(&kept, 3));
    router.dropView(&gone);
    const auto t = router.targets();
    ASSERT_EQ(t->tiles.size(), 1);
    EXPECT_EQ(t->tiles[0]->videoView(), &kept);
    EXPECT_EQ(t->screenShareSource, nullptr);
    EXPECT_NE(t->avFileShareSource, nullptr);
}

TEST(MeetingFrameRouterTest, RenderThreadReadsWhileMainReplacesTiles)
{
    MeetingFrameRouter router;
    KRTCVideoView view;
    std::atomic<bool> stop{false};
    std::atomic<int> routed{0};
    std::atomic<int> mixed{0};
    // Every published snapshot holds n tiles named n: a frame routed against a torn or freed
    // snapshot would see some other count. Several readers make a collision likely.
    std::vector<std::thread> renderers;
    for (int r = 0; r < 3; ++r) {
        renderers.emplace_back([&] {
            while (!stop.load()) {
                QStringList names;
                router.route(QStringLiteral("p"), 1, 0, [&](const Tile &t) { names << t->userName(); });
                for (const QString &name : std::as_const(names))
                    mixed += name == QString::number(names.size()) ? 0 : 1;
                routed += names.isEmpty() ? 0 : 1;
            }
        });
    }
    // Replace the tiles until the render thread has routed plenty of frames meanwhile.
    for (int i = 0; i < 3000 || routed.load() < 300; ++i) {
        const int n = i % 5;
        QList<Tile> tiles;
        for (int k = 0; k < n; ++k)
            tiles << std::make_shared<MeetingActiveModel>(1, QStringLiteral("p"), QStringLiteral("u"),
                                                          QString::number(n), false, &view, 0);
        router.setTiles(tiles);
    }
    stop.store(true);
    for (auto &r : renderers)
        r.join();
    EXPECT_EQ(mixed.load(), 0);
}

TEST(MeetingFrameRouterTest, DropView_WaitsForTheFrameBeingDrawnIntoIt)
{
    using namespace std::chrono_literals;
    MeetingFrameRouter router;
    KRTCVideoView view;
    router.setTiles({std::make_shared<MeetingActiveModel>(1, QStringLiteral("p"), QStringLiteral("u"),
                                                          QStringLiteral("n"), false, &view, 0)});
    std::atomic<bool> drawing{false};
    std::atomic<bool> dropped{false};
    std::atomic<bool> drawnAfterDrop{false};
    std::thread render([&] {
        router.route(QStringLiteral("p"), 1, 0, [&](const Tile &) {
            drawing.store(true);
            // A slow frame: the drop must wait for it, so it never sees the drop done.
            for (int i = 0; i < 100 && !dropped.load(); ++i)
                std::this_thread::sleep_for(1ms);
            drawnAfterDrop.store(dropped.load());
        });
    });
    while (!drawing.load())
        std::this_thread::yield();
    router.dropView(&view);
    dropped.store(true);
    render.join();
    EXPECT_FALSE(drawnAfterDrop.load());
    EXPECT_TRUE(router.targets()->tiles.isEmpty());
}

} // namespace
