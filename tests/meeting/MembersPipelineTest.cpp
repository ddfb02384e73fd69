// The member change pipeline: tiles from member lists, share permission, share tiles taken out,
// the display chosen, and in the window: lists applied in order, the end of a file share
// announced once, the grid and badge following the list.

#include "MeetingTestSupport.h"

#include "agent/engine/FakeEngine.h"
#include "foundation/RXEncrypt.h"
#include "meeting/common/AssistantRecords.h"
#include "meeting/window/grid/MemberPipeline.h"
#include "meeting/window/grid/VerticalShowCollection.h"
#include "meeting/window/grid/VideoCollectionView.h"

#include <QAccessible>
#include <QLabel>

#include <functional>

using namespace std::chrono_literals;

namespace {

std::shared_ptr<MeetingMemberModel> makeMember(const QString &id, const QString &name, bool camera = false,
                                               int share = 0, bool customVideo = false)
{
    VeskUserModel user;
    user.userId = id;
    user.phoneNumber = QStringLiteral("peer-") + id;
    user.userName = name;
    auto m = std::make_shared<MeetingMemberModel>(user);
    m->setVideoFlag(camera);
    m->setShareFlag(share);
    m->setCustomVideoFlag(customVideo);
    return m;
}

QList<qint64> typesOf(const QList<MemberPipeline::Tile> &tiles)
{
    QList<qint64> out;
    for (const auto &t : tiles)
        out << t->activeVideoSourceType();
    return out;
}

TEST(MemberPipeline, TilesFollowMemberOrderAndShareTilesLeaveTheGrid)
{
    MemberPipeline::Input in;
    in.members = {makeMember("a", "A", true), makeMember("b", "B", true, 1), makeMember("c", "C", false, 0, true)};
    const auto r = MemberPipeline::build(in);
    // A camera; B camera (+ share, taken out); C audio only (+ file, taken out).
    EXPECT_EQ(typesOf(r.activeMembers), (QList<qint64>{1, 1, 0}));
    EXPECT_EQ(r.activeMembers[0]->userId(), "a");
    EXPECT_EQ(r.activeMembers[2]->userId(), "c");
    ASSERT_TRUE(r.screenShareSource);
    EXPECT_EQ(r.screenShareSource->userId(), "b");
    ASSERT_TRUE(r.avFileShareSource);
    EXPECT_EQ(r.avFileShareSource->userId(), "c");
    EXPECT_TRUE(r.didOtherOpenCamera);
    EXPECT_EQ(r.allMembers, in.members);
}

TEST(MemberPipeline, LastShareTileWinsAndEarlierOnesStayInTheGrid)
{
    MemberPipeline::Input in;
    in.members = {makeMember("a", "A", false, 1), makeMember("b", "B", false, 1)};
    const auto r = MemberPipeline::build(in);
    EXPECT_EQ(r.screenShareSource->userId(), "b");
    EXPECT_EQ(typesOf(r.activeMembers), (QList<qint64>{2, 0, 0}));
    EXPECT_FALSE(r.didOtherOpenCamera);
}

TEST(MemberPipeline, EmptyListClearsEverything)
{
    const auto r = MemberPipeline::build({});
    EXPECT_TRUE(r.activeMembers.isEmpty());
    EXPECT_FALSE(r.screenShareSource);
    EXPECT_FALSE(r.avFileShareSource);
    EXPECT_FALSE(r.didOtherOpenCamera);
}

TEST(MemberPipeline, SharePermissionByRoomSetting)
{
    const auto creator = makeMember("100", "Creator");
    const auto assistant = makeMember("200", "Assistant");
    const auto listed = makeMember("300", "Listed");
    const auto refused = makeMember("400", "Refused");
    const auto unknown = makeMember("500", "Unknown");
    MemberPipeline::Input in;
    in.members = {creator, assistant, listed, refused, unknown};
    in.creatorId = "100";
    // The manager keeps encrypted ids; the raw cipher must not be compared.
    in.assistantIds = AssistantRecords::plainIds({RXEncrypt::aes128ecbEncrypt("200")});
    MeetingMemberShareStatusModel yes;
    yes.allowShareStatus = 1;
    MeetingMemberShareStatusModel no;
    no.allowShareStatus = 0;
    in.sharePermissionInfo.insert("300", yes);
    in.sharePermissionInfo.insert("400", no);

    in.sharePermission = 0;
    for (const auto &v : MemberPipeline::build(in).sharePermission)
        EXPECT_EQ(v, std::optional<bool>(true));

    in.sharePermission = 1;
    EXPECT_EQ(MemberPipeline::build(in).sharePermission,
              (QList<std::optional<bool>>{std::nullopt, std::nullopt, true, false, std::nullopt}));

    in.sharePermission = 2;
    EXPECT_EQ(MemberPipeline::build(in).sharePermission, (QList<std::optional<bool>>{true, true, false, false, false}));

    in.sharePermission = 7;
    EXPECT_EQ(MemberPipeline::build(in).sharePermission, (QList<std::optional<bool>>(5, std::nullopt)));
}

TEST(MemberPipeline, AssistantRecordsCompareDecryptedIds)
{
    const QStringList records{RXEncrypt::aes128ecbEncrypt("13800000000"), QString()};
    EXPECT_TRUE(AssistantRecords::contains(records, "13800000000"));
    EXPECT_TRUE(AssistantRecords::contains(records, "", "13800000000"));
    EXPECT_FALSE(AssistantRecords::contains(records, records.first().left(8)));
    EXPECT_FALSE(AssistantRecords::contains(records, ""));
}

TEST(MemberPipeline, ShareEndAnnouncedOnlyForARemoteShareThatWasThere)
{
    const auto file = makeMember("c", "小王", false, 0, true)->activeArr().last();
    EXPECT_EQ(MemberPipeline::shareEndedAnnouncement(file, false, false), QStringLiteral("小王的共享已结束"));
    EXPECT_TRUE(MemberPipeline::shareEndedAnnouncement(file, true, false).isEmpty());
    EXPECT_TRUE(MemberPipeline::shareEndedAnnouncement(file, false, true).isEmpty());
    EXPECT_TRUE(MemberPipeline::shareEndedAnnouncement(nullptr, false, false).isEmpty());
    const auto own = std::make_shared<MeetingActiveModel>(3, "me", "u", QStringLiteral("我"), true, nullptr, 0);
    EXPECT_TRUE(MemberPipeline::shareEndedAnnouncement(own, false, false).isEmpty());
}

// In the window, against the stand-in.
class MembersWindowTest : public MeetingTest {
protected:
    void apply(MeetingViewController *page)
    {
        page->serialOperationQueue()->waitUntilAllOperationsAreFinished();
        ASSERT_TRUE(settleRequests());
    }
};

TEST_F(MembersWindowTest, ListsApplyInArrivalOrderAndTheGridFollows)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    MeetingMemberList big;
    for (int i = 0; i < 12; ++i)
        big << makeMember(QString::number(i), QStringLiteral("成员%1").arg(i), i % 2 == 0);
    const MeetingMemberList small{makeMember("x", "X", true), makeMember("y", "Y")};
    // Many lists in a burst: only the last one may be on screen afterwards.
    for (int round = 0; round < 5; ++round) {
        page->onMemberChange(big);
        page->onMemberChange(small);
    }
    apply(page);
    EXPECT_EQ(page->allMembers(), small);
    ASSERT_EQ(page->activeMembers().size(), 2);
    EXPECT_EQ(page->activeMembers()[0]->userId(), "x");
    ASSERT_NE(page->videoGrid(), nullptr);
    EXPECT_EQ(page->videoGrid()->numberOfItems(), 2);
    EXPECT_EQ(page->ui->memberLabel->text(), "2");
    EXPECT_FALSE(page->ui->noPeopleTipView->isVisible());
    EXPECT_TRUE(manager()->didOtherOpenCamera());

    page->onMemberChange({});
    apply(page);
    EXPECT_TRUE(page->ui->memberLabel->isHidden());
    EXPECT_EQ(page->videoGrid()->numberOfItems(), 0);
    EXPECT_FALSE(page->ui->noPeopleTipView->isHidden());
}

TEST_F(MembersWindowTest, ScreenShareGoesToItsViewAndFileShareEndIsAnnouncedOnce)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    const auto sharer = makeMember("b", "小李", true, 1);
    const auto filer = makeMember("c", "小王", false, 0, true);
    page->onMemberChange({sharer, filer});
    apply(page);
    ASSERT_TRUE(page->screenShareSourceModel());
    EXPECT_EQ(page->screenShareSourceModel()->userId(), "b");
    ASSERT_TRUE(page->avFileShareSourceModel());
    EXPECT_EQ(page->avFileShareSourceModel()->userId(), "c");
    EXPECT_EQ(page->activeMembers().size(), 2); // B's camera, C's audio card
    EXPECT_FALSE(page->ui->screenShareRenderView->isHidden());
    EXPECT_EQ(sharer->shareVideoView()->parentWidget(), page->ui->screenShareRenderView.data());
    EXPECT_FALSE(page->ui->verticalShowScrollView->isHidden());
    // On the accessibility bus: reached from the window, a picture named by its sharer.
    page->view()->window()->show();
    const std::function<QAccessibleInterface *(QAccessibleInterface *)> find =
        [&](QAccessibleInterface *node) -> QAccessibleInterface * {
        if (!node)
            return nullptr;
        if (node->object() == page->ui->screenShareRenderView.data())
            return node;
        for (int i = 0; i < node->childCount(); ++i)
            if (QAccessibleInterface *hit = find(node->child(i)))
                return hit;
        return nullptr;
    };
    QAccessibleInterface *screen = find(QAccessible::queryAccessibleInterface(page->view()->window()));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->text(QAccessible::Name), QStringLiteral("小李的屏幕共享"));
    EXPECT_EQ(screen->role(), QAccessible::Graphic);

    VeskToast::dismissToast();
    filer->setCustomVideoFlag(false);
    sharer->setShareFlag(0);
    page->onMemberChange({sharer, filer});
    apply(page);
    EXPECT_FALSE(page->avFileShareSourceModel());
    EXPECT_FALSE(page->screenShareSourceModel());
    ASSERT_NE(VeskToast::currentToast(), nullptr);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("小王的共享已结束"));
    EXPECT_TRUE(page->ui->screenShareRenderView->isHidden());

    VeskToast::dismissToast();
    page->onMemberChange({sharer, filer});
    apply(page);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
}

// Another participant shares his screen: the share takes the middle, the member strip stands beside it at the right
// edge, and the strip's tiles are in sight. The share ends: the grid comes back without the strip.
TEST_F(MembersWindowTest, ARemoteScreenShareShowsTheMemberStripBesideIt_ItsTilesInSight)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    page->view()->window()->show();
    engine().emitMemberJoined(QStringLiteral("13700000006"), QStringLiteral("赵六"));
    engine().emitStreamPublished(QStringLiteral("13700000006"), KRTCSourceType::Camera, true, true);
    engine().emitStreamPublished(QStringLiteral("13700000006"), KRTCSourceType::Share, false, true);
    ASSERT_TRUE(processEventsUntil([&] { return bool(page->screenShareSourceModel()); }));
    clock.clock.advance(400ms); // the strip opens in 0.3 s
    processEventsFor(5);

    QWidget *middle = page->ui->middleView;
    QWidget *strip = page->ui->verticalShowScrollView;
    QWidget *share = page->ui->screenShareRenderView;
    ASSERT_TRUE(share->isVisible());
    ASSERT_TRUE(strip->isVisible()) << "shown, in a view that is shown";
    const QRect stripRect(strip->mapTo(middle, QPoint(0, 0)), strip->size());
    const QRect shareRect(share->mapTo(middle, QPoint(0, 0)), share->size());
    EXPECT_GT(stripRect.width(), 0);
    EXPECT_EQ(stripRect.right(), middle->rect().right()) << "at the right edge";
    EXPECT_EQ(shareRect.left(), 0);
    EXPECT_EQ(shareRect.right() + 1, stripRect.left()) << "the share beside the strip, not under it";
    // The tiles: one a tile left in the grid (the sharer's camera, mine), each in sight within the strip.
    const QList<QWidget *> tiles = page->ui->verticalShowCollectionView->findChildren<QWidget *>(
        QString::fromLatin1(VerticalShowCollection::kIdentifier), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(tiles.size(), page->activeMembers().size());
    ASSERT_FALSE(tiles.isEmpty());
    for (QWidget *tile : tiles) {
        EXPECT_TRUE(tile->isVisible());
        const QRect inStrip(tile->mapTo(strip, QPoint(0, 0)), tile->size());
        EXPECT_TRUE(strip->rect().intersects(inStrip));
        EXPECT_GT(tile->width(), 0);
    }

    engine().emitStreamUnpublished(QStringLiteral("13700000006"), KRTCSourceType::Share);
    ASSERT_TRUE(processEventsUntil([&] { return !page->screenShareSourceModel(); }));
    settle();
    EXPECT_FALSE(share->isVisible());
    EXPECT_FALSE(strip->isVisible());
    EXPECT_TRUE(page->ui->scrollView->isVisible());
}

TEST_F(MembersWindowTest, SharePermissionFlagsAreSetOnTheMainThreadStep)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    manager()->roomInfo()->sharePermission = 1;
    const auto listed = makeMember("300", "Listed");
    const auto unlisted = makeMember("500", "Unlisted");
    unlisted->setAllowSharePermissionFlag(true);
    MeetingMemberShareStatusModel no;
    no.allowShareStatus = 0;
    page->sharePermissionInfo().insert("300", no);
    listed->setAllowSharePermissionFlag(true);
    page->onMemberChange({listed, unlisted});
    apply(page);
    EXPECT_FALSE(listed->allowSharePermissionFlag());
    EXPECT_TRUE(unlisted->allowSharePermissionFlag()); // no entry: kept
}

TEST_F(MembersWindowTest, VisibleCameraTilesAreSubscribedOnceThroughTheManager)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    auto engineCalls = [&] {
        QStringList out;
        for (const FakeEngine::Call &c : engine().calls()) {
            if (c.name == "muteVideo" || c.name == "setPlayStreamVideoType")
                out << c.name + ":" + c.args.value(0).toString() + ":" + c.args.value(2).toString();
        }
        return out;
    };
    const qsizetype before = engineCalls().size();
    page->onMemberChange({makeMember("a", "A", true), makeMember("b", "B", true)});
    apply(page);
    const QStringList calls = engineCalls().mid(before);
    EXPECT_TRUE(calls.contains("muteVideo:a:false"));
    EXPECT_TRUE(calls.contains("setPlayStreamVideoType:peer-a:2"));
    EXPECT_TRUE(calls.contains("setPlayStreamVideoType:peer-b:2"));
    const qsizetype after = engineCalls().size();
    page->checkCellPositionAction();
    page->scrollViewScrollAction();
    EXPECT_EQ(engineCalls().size(), after);
}

TEST_F(MembersWindowTest, WhileTheUserSharesTheCheckFollowsTheGridsOwnTiles)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    const auto a = makeMember("a", "A", true);
    const auto b = makeMember("b", "B", true);
    page->onMemberChange({a, b});
    apply(page);
    ASSERT_EQ(page->videoGrid()->numberOfItems(), 2);

    // Sharing the own screen: the grid is not reloaded, so its frames still describe A and B
    // while activeMembers now leads with someone new.
    manager()->setSelfScreenOrWindowSharing(true);
    page->onMemberChange({makeMember("n", "N", true), a, b});
    apply(page);
    ASSERT_EQ(page->activeMembers().size(), 3);
    ASSERT_EQ(page->videoGrid()->numberOfItems(), 2);
    const qsizetype before = engine().calls().size();
    page->checkCellPositionAction();
    // A and B stay as they were: nothing is switched off or moved to another stream.
    for (qsizetype i = before; i < engine().calls().size(); ++i) {
        const FakeEngine::Call &c = engine().calls().at(i);
        EXPECT_NE(c.name, QStringLiteral("muteVideo")) << c.args.value(0).toString().toStdString();
        EXPECT_NE(c.name, QStringLiteral("setPlayStreamVideoType")) << c.args.value(0).toString().toStdString();
    }
    manager()->setSelfScreenOrWindowSharing(false);
}

} // namespace
