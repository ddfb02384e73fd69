// Visible-tile video: only camera tiles on screen receive video, the stream size follows the
// number of tiles, and nothing is sent twice. Against the real grid in a scroll area, and in the
// meeting window with the engine's side of it.

#include "MeetingTestSupport.h"

#include "agent/engine/KRTCVideoView.h"
#include "foundation/RXEncrypt.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "meeting/window/grid/VisibleTileSubscription.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

using Call = VisibleTileSubscription::Call;
using Tile = std::shared_ptr<MeetingActiveModel>;

struct Room {
    MeetingMemberList members;
    QList<Tile> tiles;

    void add(const QString &id, qint64 type = 1, bool videoFlag = true)
    {
        VeskUserModel user;
        user.userId = id;
        user.phoneNumber = "peer-" + id;
        auto m = std::make_shared<MeetingMemberModel>(user);
        m->setVideoFlag(videoFlag);
        members << m;
        tiles << std::make_shared<MeetingActiveModel>(type, user.phoneNumber, id, id, false, nullptr);
    }
    // Tiles stacked 100 high, one per row.
    QList<VisibleTileSubscription::TilePlacement> column() const
    {
        QList<VisibleTileSubscription::TilePlacement> out;
        for (qsizetype i = 0; i < tiles.size(); ++i)
            out.append({tiles[i], QRectF(0, i * 100, 200, 100)});
        return out;
    }
};

Call start(const QString &id)
{
    return {Call::MuteVideo, id, "peer-" + id, false, 0};
}
Call stop(const QString &id)
{
    return {Call::MuteVideo, id, "peer-" + id, true, 0};
}
Call size(const QString &id, int type)
{
    return {Call::SetPlayStreamVideoType, id, "peer-" + id, false, type};
}

TEST(Subscription, ThreeCameraTilesOnScreenGetTheLargeStreamOnce)
{
    Room room;
    for (const char *id : {"a", "b", "c"})
        room.add(id);
    const QRectF visible(0, 0, 200, 300);
    const auto calls = VisibleTileSubscription::check(room.column(), visible, room.members, "me");
    EXPECT_EQ(calls, (QList<Call>{start("a"), size("a", 2), start("b"), size("b", 2), start("c"), size("c", 2)}));
    EXPECT_TRUE(room.members[0]->videoStreamingReceive());
    EXPECT_EQ(room.members[0]->streamingStatus(), 2);
    // Nothing changed: nothing is sent again.
    EXPECT_TRUE(VisibleTileSubscription::check(room.column(), visible, room.members, "me").isEmpty());
}

TEST(Subscription, FourthTileSwitchesEveryoneToSmallAndBack)
{
    Room room;
    for (const char *id : {"a", "b", "c"})
        room.add(id);
    const QRectF visible(0, 0, 200, 400);
    (void)VisibleTileSubscription::check(room.column(), visible, room.members, "me");
    room.add("d");
    const auto four = VisibleTileSubscription::check(room.column(), visible, room.members, "me");
    EXPECT_EQ(four, (QList<Call>{size("a", 1), size("b", 1), size("c", 1), start("d"), size("d", 1)}));
    room.members.removeLast();
    room.tiles.removeLast();
    const auto three = VisibleTileSubscription::check(room.column(), visible, room.members, "me");
    EXPECT_EQ(three, (QList<Call>{size("a", 2), size("b", 2), size("c", 2)}));
}

TEST(Subscription, LeadingShareTileAllowsFourLargeStreams)
{
    Room room;
    room.add("s", 2);
    for (const char *id : {"a", "b", "c"})
        room.add(id);
    EXPECT_TRUE(VisibleTileSubscription::wantsLargeStream(3, 4, true));
    EXPECT_FALSE(VisibleTileSubscription::wantsLargeStream(3, 4, false));
    EXPECT_FALSE(VisibleTileSubscription::wantsLargeStream(0, 5, true));
    const auto calls = VisibleTileSubscription::check(room.column(), QRectF(0, 0, 200, 400), room.members, "me");
    // The share tile itself is never subscribed here.
    EXPECT_EQ(calls, (QList<Call>{start("a"), size("a", 2), start("b"), size("b", 2), start("c"), size("c", 2)}));
}

TEST(Subscription, OwnTileSharersAndCamerasOffAreLeftAlone)
{
    Room room;
    room.add("me");
    room.add("sharer");
    room.members[1]->setShareFlag(1);
    room.add("nocam", 1, false);
    const auto calls = VisibleTileSubscription::check(room.column(), QRectF(0, 0, 200, 300), room.members, "me");
    // No receive switch for the sharer or the camera that is off; their size still follows.
    EXPECT_EQ(calls, (QList<Call>{size("sharer", 2), size("nocam", 2)}));
    EXPECT_FALSE(room.members[0]->videoStreamingReceive());
    EXPECT_EQ(room.members[0]->streamingStatus(), 0);
}

TEST(Subscription, EveryTileIsExaminedAgainstTheVisibleRectWithAMargin)
{
    const QRectF visible(0, 1000, 200, 500);
    EXPECT_TRUE(VisibleTileSubscription::isOnScreen(QRectF(0, 1100, 200, 100), visible));
    // Within the margin above and below.
    EXPECT_TRUE(VisibleTileSubscription::isOnScreen(QRectF(0, 850, 200, 100), visible));
    EXPECT_TRUE(VisibleTileSubscription::isOnScreen(QRectF(0, 1550, 200, 100), visible));
    // Far away, and anything when nothing is visible.
    EXPECT_FALSE(VisibleTileSubscription::isOnScreen(QRectF(0, 700, 200, 100), visible));
    EXPECT_FALSE(VisibleTileSubscription::isOnScreen(QRectF(0, 1700, 200, 100), visible));
    EXPECT_FALSE(VisibleTileSubscription::isOnScreen(QRectF(0, 0, 200, 100), QRectF()));
}

TEST(Subscription, ScrollingTheGridStopsTilesLeavingAndStartsTilesComing)
{
    Room room;
    for (int i = 0; i < 18; ++i)
        room.add(QString::number(i));
    QScrollArea area;
    area.resize(900, 604);
    auto *grid = new VideoCollectionView(&area);
    area.show();
    grid->reloadData(room.tiles);
    QApplication::processEvents();
    auto placements = [&] {
        QList<VisibleTileSubscription::TilePlacement> out;
        for (qsizetype i = 0; i < room.tiles.size(); ++i)
            out.append({room.tiles[i], grid->itemFrames().value(i)});
        return out;
    };
    auto received = [&] {
        QStringList ids;
        for (const auto &m : room.members)
            if (m->videoStreamingReceive())
                ids << m->userId;
        return ids;
    };
    // 18 tiles, three rows of three on screen (the fourth within the margin).
    (void)VisibleTileSubscription::check(placements(), grid->visibleRect(), room.members, "me");
    EXPECT_TRUE(received().contains("0"));
    EXPECT_FALSE(received().contains("17"));
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum());
    QApplication::processEvents();
    const auto calls = VisibleTileSubscription::check(placements(), grid->visibleRect(), room.members, "me");
    EXPECT_TRUE(calls.contains(stop("0")));
    EXPECT_TRUE(calls.contains(start("17")));
    EXPECT_FALSE(received().contains("0"));
    EXPECT_TRUE(received().contains("17"));
    EXPECT_TRUE(VisibleTileSubscription::check(placements(), grid->visibleRect(), room.members, "me").isEmpty());
    // Back to the top: the first tile starts again.
    area.verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    EXPECT_TRUE(
        VisibleTileSubscription::check(placements(), grid->visibleRect(), room.members, "me").contains(start("0")));
}

using SubscriptionWindowTest = MeetingTest;

TEST_F(SubscriptionWindowTest, ThirtyCamerasNineOnScreen_TheEngineSendsOnlyTheirVideo_ScrollingMovesTheSet)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    auto *grid = qobject_cast<VideoCollectionView *>(page->ui->videoCollectionView.data());
    ASSERT_TRUE(grid);
    QStringList ids;
    for (int i = 0; i < 30; ++i) {
        ids << RXEncrypt::aes128ecbEncrypt(QString::number(13700000000LL + i));
        engine().emitMemberJoined(ids.last(), QStringLiteral("成员%1").arg(i));
        engine().emitStreamPublished(ids.last(), 1, true, true);
    }
    ASSERT_TRUE(processEventsUntil([&] { return grid->numberOfItems() == 31; }));
    settle();

    // What the engine sends: every camera until told otherwise.
    auto sent = [&] {
        QHash<QString, bool> receiving;
        for (const QString &id : ids)
            receiving.insert(id, true);
        for (const FakeEngine::Call &call : engine().calls()) {
            if (call.name == QLatin1String("muteVideo") && call.args.value(1).toLongLong() == 1)
                receiving.insert(call.args.value(0).toString(), !call.args.value(2).toBool());
        }
        QSet<QString> out;
        for (auto it = receiving.cbegin(); it != receiving.cend(); ++it)
            if (it.value())
                out.insert(it.key());
        return out;
    };
    // The tiles on screen and within 100 points of it.
    auto near = [&] {
        const QRectF area = grid->visibleRect().adjusted(0, -100, 0, 100);
        QSet<QString> out;
        for (qsizetype i = 0; i < grid->numberOfItems(); ++i)
            if (ids.contains(grid->tiles()[i]->phoneNumber()) && grid->itemFrames()[i].intersects(area))
                out.insert(grid->tiles()[i]->phoneNumber());
        return out;
    };
    const QSet<QString> top = near();
    EXPECT_GE(top.size(), 8);
    EXPECT_LE(top.size(), 12);
    EXPECT_EQ(sent(), top);

    grid->scrollArea()->verticalScrollBar()->setValue(grid->scrollArea()->verticalScrollBar()->maximum());
    settle();
    const QSet<QString> bottom = near();
    EXPECT_TRUE(bottom.contains(ids.last()));
    EXPECT_FALSE(bottom.intersects(top));
    EXPECT_EQ(sent(), bottom);
}

} // namespace
