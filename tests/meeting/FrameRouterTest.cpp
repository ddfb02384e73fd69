// Frame routing by peer id, source type and channel index, and the snapshot the render thread
// reads while the main thread replaces the tiles.

#include "agent/engine/KRTCVideoView.h"
#include "meeting/window/MeetingFrameRouter.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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
    std::atomic<int> drawn{0};
    KRTCVideoFrame frame;
    frame.image = QImage(8, 8, QImage::Format_RGB32);
    frame.image.fill(Qt::red);

    std::thread render([&] {
        while (!stop.load()) {
            const auto targets = router.targets();
            MeetingFrameRouter::forEachMatch(*targets, QStringLiteral("p"), 1, 0, [&](const Tile &t) {
                EXPECT_EQ(t->phoneNumber(), QStringLiteral("p"));
                ++drawn;
            });
        }
    });
    for (int i = 0; i < 2000; ++i) {
        QList<Tile> tiles;
        for (int k = 0; k < i % 5; ++k)
            tiles << std::make_shared<MeetingActiveModel>(1, QStringLiteral("p"), QStringLiteral("u"),
                                                          QStringLiteral("n"), false, &view, 0);
        router.setTiles(tiles);
    }
    stop.store(true);
    render.join();
    SUCCEED() << drawn.load() << " frames routed";
}

} // namespace
