// Grid tiles: video or audio card, the name bar, the self marker, live levels of the tile's own
// participant only, the delegate call, and the engine views given back, never deleted.

#include "agent/engine/KRTCVideoView.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/StringHelpers.h"
#include "meeting/window/grid/MeetingActiveView.h"
#include "meeting/window/grid/VideoCollectionViewItem.h"
#include "support/HostileText.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

using Tile = std::shared_ptr<MeetingActiveModel>;

Tile tile(qint64 type, const QString &peer, const QString &name, bool self, KRTCVideoView *view)
{
    return std::make_shared<MeetingActiveModel>(type, peer, peer + "-user", name, self, view);
}

void postLevel(const QString &peer, int value)
{
    NotificationCenter::defaultCenter().post(QStringLiteral("VESK_NOTIFFY_VOICE_VALUE_CHANGED"),
                                             QVariantMap{{"peerId", peer}, {"value", value}});
}

class Recorder final : public VideoCollectionViewItemDelegate {
public:
    void fullScreenWithModel(const Tile &model) override { models << model; }
    QList<Tile> models;
};

TEST(Tiles, CameraTileHoldsTheVideoUnderTheOverlayWithTheName)
{
    KRTCVideoView video;
    QPointer<KRTCVideoView> alive(&video);
    VideoCollectionViewItem item;
    item.resize(400, 300);
    item.setActiveModel(tile(1, "p1", "张三", false, &video));
    EXPECT_EQ(video.parentWidget(), item.contentView());
    ASSERT_NE(item.activeView(), nullptr);
    EXPECT_NE(qobject_cast<MeetingVideoView *>(item.activeView()), nullptr);
    EXPECT_EQ(item.activeView()->nameLabel()->text(), "张三");
    EXPECT_EQ(item.activeView()->geometry(), item.rect());
    EXPECT_EQ(video.geometry(), item.contentView()->rect());
    EXPECT_DOUBLE_EQ(item.activeView()->nameBarWidth(), MeetingActiveView::nameBarWidthFor("张三", true));
    EXPECT_EQ(item.activeView()->microphoneIcon()->phoneNumber(), "p1");
    // The full-screen button does nothing in the grid, so it is not offered.
    item.show();
    QApplication::processEvents();
    EXPECT_FALSE(item.activeView()->fullScreenBtn()->isVisible());
    // The view goes back to its participant when the tile moves on: out of sight, not deleted,
    // still in the same window (so the next tile takes it without a focus-chain walk).
    item.setActiveModel(nullptr);
    EXPECT_TRUE(alive);
    EXPECT_NE(video.parentWidget(), item.contentView());
    EXPECT_EQ(video.window(), item.window());
    EXPECT_FALSE(video.isVisible());
}

// Paint events, by widget.
class Paints final : public QObject {
public:
    QHash<QObject *, int> count;
    [[nodiscard]] int besides(QObject *widget) const
    {
        int n = 0;
        for (auto it = count.cbegin(); it != count.cend(); ++it)
            n += it.key() == widget ? 0 : it.value();
        return n;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count[watched];
        return false;
    }
};

void paintPending()
{
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
    }
}

TEST(Tiles, AFrameIsOnePaint_TheOverlayIsDrawnAgainOnlyWhenItChanges)
{
    VirtualClockScope clock;
    KRTCVideoView video;
    VideoCollectionViewItem item;
    item.resize(400, 300);
    const Tile t = tile(1, "p9", "张三", false, &video);
    t->setAudioFlag(true);
    item.setActiveModel(t);
    item.show();
    paintPending();
    KRTCVideoFrame frame;
    frame.image = QImage(320, 240, QImage::Format_RGB32); // the tile's shape: no bars
    frame.image.fill(Qt::blue);

    Paints paints;
    qApp->installEventFilter(&paints);
    video.renderFrame(frame, false);
    paintPending();
    EXPECT_EQ(paints.count.value(&video), 1);
    EXPECT_EQ(paints.besides(&video), 0) << "the overlay's widgets were painted for a frame";

    // The name bar and the button are in the picture all the same.
    auto *overlay = item.activeView();
    const QRect bar(overlay->infoBgView()->mapTo(&item, QPoint()), overlay->infoBgView()->size());
    QImage shot = item.grab().toImage();
    const QRgb underBar = shot.pixel(bar.left() + bar.width() - 6, bar.center().y());
    EXPECT_LT(qBlue(underBar), 120) << "the bar darkens the picture under it";
    EXPECT_GT(qBlue(underBar), qRed(underBar));
    auto greenIn = [&](const QImage &image) {
        const QRect icon(overlay->microphoneIcon()->mapTo(&item, QPoint()), overlay->microphoneIcon()->size());
        for (int y = icon.top(); y <= icon.bottom(); ++y)
            for (int x = icon.left(); x <= icon.right(); ++x)
                if (qGreen(image.pixel(x, y)) > 150 && qRed(image.pixel(x, y)) < 100)
                    return true;
        return false;
    };
    EXPECT_FALSE(greenIn(shot));

    // A level: the video view draws the new icon; the overlay's widgets are still not painted.
    paints.count.clear();
    postLevel("p9", 80);
    paintPending();
    EXPECT_EQ(paints.besides(&video), 0);
    EXPECT_GE(paints.count.value(&video), 1);
    shot = item.grab().toImage();
    EXPECT_TRUE(greenIn(shot)) << "the new level shows";
    qApp->removeEventFilter(&paints);
}

TEST(Tiles, ViewsGivenBackOutliveTheTile)
{
    KRTCVideoView shown;
    KRTCVideoView given;
    {
        VideoCollectionViewItem item;
        item.setActiveModel(tile(1, "p1", "A", false, &given));
        item.setActiveModel(tile(1, "p2", "B", false, &shown));
        ASSERT_EQ(shown.parentWidget(), item.contentView());
    }
    // Both belong to their participants: the tile going takes neither with it.
    EXPECT_EQ(shown.parentWidget(), nullptr);
    EXPECT_EQ(given.parentWidget(), nullptr);
}

TEST(Tiles, AudioOnlyTileIsTheAudioCardWithTheLargerNameBar)
{
    VideoCollectionViewItem item;
    item.setActiveModel(tile(0, "p2", "李四", false, nullptr));
    EXPECT_NE(qobject_cast<MeetingAudioView *>(item.activeView()), nullptr);
    EXPECT_TRUE(item.contentView()->findChildren<QWidget *>().isEmpty());
    const double width = MeetingActiveView::nameBarWidthFor("李四", false);
    EXPECT_DOUBLE_EQ(item.activeView()->nameBarWidth(), width);
    EXPECT_GT(width, MeetingActiveView::nameBarWidthFor("李四", true) + 3);
}

TEST(Tiles, SelfMarkerAndSelfShareTip)
{
    KRTCVideoView share;
    VideoCollectionViewItem item;
    item.setActiveModel(tile(2, "me", "王五", true, &share));
    EXPECT_EQ(item.activeView()->nameLabel()->text(), QStringLiteral("王五(我)"));
    auto *video = qobject_cast<MeetingVideoView *>(item.activeView());
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->isSelfShare());
    EXPECT_FALSE(video->shareTipLabel()->isHidden());
    // Someone else's share and the own camera show no tip.
    item.setActiveModel(tile(1, "me", "王五", true, &share));
    EXPECT_FALSE(qobject_cast<MeetingVideoView *>(item.activeView())->isSelfShare());
    item.setActiveModel(tile(2, "p3", "赵六", false, &share));
    EXPECT_FALSE(qobject_cast<MeetingVideoView *>(item.activeView())->isSelfShare());
}

TEST(Tiles, ShortOrEmptyNamesGetTheSixtyPointBar)
{
    EXPECT_DOUBLE_EQ(MeetingActiveView::nameBarWidthFor("", true), 60);
    EXPECT_DOUBLE_EQ(MeetingActiveView::nameBarWidthFor("", false), 60);
    EXPECT_DOUBLE_EQ(MeetingActiveView::nameBarWidthFor("i", true), 60);
    VideoCollectionViewItem item;
    item.setActiveModel(tile(0, "p4", "", false, nullptr));
    EXPECT_EQ(item.activeView()->nameLabel()->text(), "");
    EXPECT_DOUBLE_EQ(item.activeView()->nameBarWidth(), 60);
    EXPECT_GT(MeetingActiveView::nameBarWidthFor(QStringLiteral("一个很长的名字"), true), 100);
}

TEST(Tiles, SettingModelsAgainLeavesOneOverlayAndOneVideo)
{
    KRTCVideoView a;
    KRTCVideoView b;
    VideoCollectionViewItem item;
    const Tile first = tile(1, "p5", "A", false, &a);
    item.setActiveModel(first);
    item.setActiveModel(first);
    item.setActiveModel(tile(1, "p6", "B", false, &b));
    EXPECT_EQ(item.findChildren<MeetingActiveView *>(Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_EQ(item.contentView()->findChildren<KRTCVideoView *>().size(), 1);
    EXPECT_EQ(b.parentWidget(), item.contentView());
    EXPECT_NE(a.parentWidget(), item.contentView());
    EXPECT_TRUE(a.isHidden());
}

TEST(Tiles, EachTileFollowsOnlyItsOwnParticipantsLevel)
{
    VirtualClockScope clock;
    VideoCollectionViewItem one;
    VideoCollectionViewItem two;
    const Tile a = tile(0, "peer-a", "A", false, nullptr);
    const Tile b = tile(0, "peer-b", "B", false, nullptr);
    a->setAudioFlag(true);
    b->setAudioFlag(true);
    one.setActiveModel(a);
    two.setActiveModel(b);
    EXPECT_EQ(one.activeView()->microphoneIcon()->iconState(), 1);
    postLevel("peer-a", 60);
    EXPECT_DOUBLE_EQ(one.activeView()->microphoneIcon()->level(), 60);
    EXPECT_DOUBLE_EQ(two.activeView()->microphoneIcon()->level(), 0);
    postLevel("peer-b", 30);
    EXPECT_DOUBLE_EQ(two.activeView()->microphoneIcon()->level(), 30);
    EXPECT_DOUBLE_EQ(one.activeView()->microphoneIcon()->level(), 60);
    // A tile moved to another participant stops showing the old one's level.
    one.setActiveModel(b);
    postLevel("peer-a", 90);
    EXPECT_NE(one.activeView()->microphoneIcon()->level(), 90);
}

TEST(Tiles, FullScreenButtonReachesTheDelegateWithTheModel)
{
    Recorder recorder;
    auto item = std::make_unique<VideoCollectionViewItem>();
    item->setDelegate(&recorder);
    const Tile t = tile(0, "p7", "C", false, nullptr);
    item->setActiveModel(t);
    item->activeView()->fullScreenBtn()->click();
    ASSERT_EQ(recorder.models.size(), 1);
    EXPECT_EQ(recorder.models.first(), t);
    // A block kept past its tile does nothing.
    const auto block = item->activeView()->operateBlock;
    item.reset();
    block();
    EXPECT_EQ(recorder.models.size(), 1);
}

TEST(Tiles, DestroyingATileNeverDeletesTheParticipantsView)
{
    auto *video = new KRTCVideoView;
    QPointer<KRTCVideoView> alive(video);
    {
        VideoCollectionViewItem item;
        item.setActiveModel(tile(1, "p8", "D", false, video));
    }
    ASSERT_TRUE(alive);
    EXPECT_EQ(video->parentWidget(), nullptr);
    delete video;
}

// A member's name is shown as written on the tile, whatever markup it carries, and nothing it
// points at is read.
TEST(Tiles, HostileNames_ShowLiterallyOnTheTile)
{
    DiskProbe probe;
    ASSERT_TRUE(probe.isValid());
    KRTCVideoView video;
    VideoCollectionViewItem item;
    item.resize(400, 300);
    item.show();
    for (const QString &name : hostileNames(probe)) {
        for (KRTCVideoView *view : {&video, static_cast<KRTCVideoView *>(nullptr)}) {
            item.setActiveModel(tile(view ? 1 : 0, "p9", name, false, view));
            const QLabel *label = item.activeView()->nameLabel();
            EXPECT_EQ(label->text(), DataText::bounded(name, DataText::kNameLength)); // cut, never changed
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            (void)item.grab();
            EXPECT_EQ(KVDataText::markupHazards({&item}), QStringList());
        }
    }
    EXPECT_FALSE(probe.wasRead());
}

} // namespace
