// The system monitor of a meeting's settings window: the feed from tiles and statistics
// reports, and the tab's cards, rows and tabs, on synthetic records.
#include "SettingsTestSupport.h"
#include "TestEvents.h"

#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "settings/KVSettingMonitorFeed.h"
#include "settings/KVSettingMonitorPanel.h"

#include <QScrollArea>
#include <QScrollBar>

#include <limits>
#include <thread>

namespace {

using Tile = std::shared_ptr<MeetingActiveModel>;

// The engine's peer id of a member: his encrypted phone number, as tiles and reports carry it.
QString peer(const QString &phone)
{
    return RXEncrypt::aes128ecbEncrypt(phone);
}

// A tile as the meeting manager makes it: the peer id as its phone number, the plain id as its id.
Tile tile(qint64 type, const QString &phone, const QString &name, bool audio, bool isSelf = false)
{
    auto made = std::make_shared<MeetingActiveModel>(type, peer(phone), phone, name, isSelf, nullptr);
    made->setAudioFlag(audio);
    return made;
}

// The members whose records these are, by phone number.
QStringList ids(const KVSettingMonitorPanel::Models &records)
{
    QStringList out;
    for (const auto &record : records)
        out.append(RXEncrypt::aes128ecbDecrypt(record->userId));
    return out;
}

KRTCStatistics report(KRTCStatsKind kind, const QString &phone, qint64 sourceType)
{
    KRTCStatistics stats;
    stats.kind = kind;
    stats.peerId = peer(phone);
    stats.videoSourceType = sourceType;
    stats.audioSourceType = sourceType;
    return stats;
}

void post(const KRTCStatistics &stats)
{
    static const QString names[] = {KVSettingMonitorFeed::kLocalAudio, KVSettingMonitorFeed::kLocalVideo,
                                    KVSettingMonitorFeed::kRemoteAudio, KVSettingMonitorFeed::kRemoteVideo};
    NotificationCenter::defaultCenter().post(names[int(stats.kind)], QVariant::fromValue(stats));
}

class MonitorTest : public SettingsTest {
protected:
    KVSettingMonitorPanel *openMonitor()
    {
        settings = open(true);
        settings->switchTab(6);
        return settings->monitorPanel();
    }
    MainSettingViewController *settings = nullptr;
};

} // namespace

TEST_F(MonitorTest, MemberChange_OwnTilesOpenTheirRecords_OthersByType_AFileShareHidesTheScreenShare)
{
    settings = open(true);
    const Tile me = tile(1, kMyPhone, QStringLiteral("张三"), true, true);
    const QList<Tile> tiles{me, tile(1, "p2", "李四", true), tile(2, "p3", "王五", false), tile(0, "p5", "赵六", true)};
    settings->onMemberChange(tiles, nullptr, tile(2, "p4", "钱七", false));
    // The first member change makes the panel, before its tab is shown.
    KVSettingMonitorPanel *panel = settings->monitorPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->myCameraModel()->open);
    EXPECT_TRUE(panel->myMicModel()->open);
    EXPECT_FALSE(panel->myShareModel()->open);
    EXPECT_EQ(ids(panel->otherMicArray), (QStringList{"p2", "p5"}));
    EXPECT_EQ(ids(panel->otherCameraArray), (QStringList{"p2"}));
    EXPECT_EQ(ids(panel->otherShareArray), (QStringList{"p3", "p4"}));
    EXPECT_EQ(panel->otherCameraArray.first()->name, QStringLiteral("李四"));

    // Members who stay keep their records and figures; an audio/video file hides the screen share;
    // a member who leaves goes; the user's own share of the screen opens the own share card.
    const auto camera = panel->otherCameraArray.first();
    camera->fps = 25;
    settings->onMemberChange({tiles[1], tiles[2]}, tile(3, "p3", "王五", false), tile(2, "p4", "钱七", false));
    EXPECT_EQ(panel->otherCameraArray.first(), camera);
    EXPECT_EQ(camera->fps, 25);
    EXPECT_EQ(ids(panel->otherShareArray), (QStringList{"p3"}));
    EXPECT_EQ(ids(panel->otherMicArray), (QStringList{"p2"}));
    EXPECT_FALSE(panel->myCameraModel()->open);
    settings->onMemberChange({}, nullptr, tile(2, kMyPhone, "张三", false, true));
    EXPECT_TRUE(panel->myShareModel()->open);
    EXPECT_TRUE(panel->otherShareArray.isEmpty());
}

TEST_F(MonitorTest, FiguresAtTheEndsOfTheirType_AreBoundedWhereTheyEnter)
{
    KVSettingMonitorPanel *panel = openMonitor();
    settings->onMemberChange({tile(1, kMyPhone, "张三", true, true)}, nullptr, nullptr);
    const auto extreme = [](KRTCStatsKind kind, const QString &phone, qint64 value) {
        KRTCStatistics stats = report(kind, phone, 1);
        for (qint64 *figure :
             {&stats.videoLostRate, &stats.videoRtt, &stats.videoRecvBitrate, &stats.videoSendBitrate,
              &stats.videoRecvFrameRate, &stats.videoSendFrameRate, &stats.frameWidth, &stats.frameHeight,
              &stats.audioLostRate, &stats.audioRtt, &stats.audioRecvBitrate, &stats.audioSendBitrate})
            *figure = value;
        return stats;
    };
    constexpr qint64 kHuge = std::numeric_limits<qint64>::max() - 1;
    for (const KRTCStatsKind kind :
         {KRTCStatsKind::LocalAudio, KRTCStatsKind::LocalVideo, KRTCStatsKind::RemoteAudio, KRTCStatsKind::RemoteVideo})
        post(extreme(kind, kind == KRTCStatsKind::RemoteAudio ? QStringLiteral("p1") : QStringLiteral("p2"), kHuge));
    ASSERT_TRUE(drainMainQueue());
    const auto &camera = *panel->myCameraModel();
    EXPECT_EQ(camera.lossRate, 100);
    EXPECT_EQ(camera.delay, 99'999);
    EXPECT_GT(camera.bitRate, 0);
    EXPECT_LE(camera.bitRate, 100'000'000'000 / 1024);
    EXPECT_LE(camera.fps, 1'000);
    EXPECT_LE(camera.videoWidth, 65'535);
    ASSERT_EQ(panel->otherMicArray.size(), 1);
    EXPECT_EQ(panel->otherMicArray.first()->lossRate, 100);
    ASSERT_EQ(panel->otherCameraArray.size(), 1);
    EXPECT_LE(panel->otherCameraArray.first()->bitRate, 100'000'000'000 / 1024);

    // Below zero: nothing shows a negative figure.
    post(extreme(KRTCStatsKind::LocalAudio, kMyPhone, std::numeric_limits<qint64>::min()));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(panel->myMicModel()->lossRate, 0);
    EXPECT_EQ(panel->myMicModel()->bitRate, 0);
    EXPECT_EQ(panel->card(0)->delayLabel()->text(), QStringLiteral("0"));
}

TEST_F(MonitorTest, Reports_OwnFramesNeverShrink_BitRatesInKilo_CustomVideoIgnored_UnlistedMembersAdded)
{
    KVSettingMonitorPanel *panel = openMonitor();
    settings->onMemberChange({tile(1, kMyPhone, "张三", true, true)}, nullptr, nullptr);
    KRTCStatistics own = report(KRTCStatsKind::LocalVideo, kMyPhone, 1);
    own.frameWidth = 1280;
    own.frameHeight = 720;
    own.videoSendBitrate = 2048;
    own.videoSendFrameRate = 30;
    post(own);
    own.frameWidth = 640;
    own.frameHeight = 360;
    own.videoSendBitrate = 1023;
    post(own);
    ASSERT_TRUE(drainMainQueue());
    const auto &camera = *panel->myCameraModel();
    EXPECT_EQ(camera.videoWidth, 1280);
    EXPECT_EQ(camera.bitRate, 2) << "the smaller frame's report is ignored whole";
    own.frameWidth = 1280;
    own.frameHeight = 360;
    post(own);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(camera.videoHeight, 360);
    EXPECT_EQ(camera.bitRate, 0);
    EXPECT_EQ(panel->card(1)->resolutionLabel()->text(), QStringLiteral("1280/360"));

    post(report(KRTCStatsKind::RemoteVideo, "p7", 3));
    KRTCStatistics audio = report(KRTCStatsKind::RemoteAudio, "p9", 1);
    audio.audioRecvBitrate = 4096;
    post(audio);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_TRUE(panel->otherCameraArray.isEmpty());
    EXPECT_TRUE(panel->otherShareArray.isEmpty());
    ASSERT_EQ(ids(panel->otherMicArray), (QStringList{"p9"}));
    EXPECT_EQ(panel->otherMicArray.first()->bitRate, 4);
    ASSERT_EQ(panel->visibleCells().size(), 1);
    EXPECT_EQ(panel->visibleCells().first()->nameLabel()->text(), QStringLiteral("用户"));
    settings->onMemberChange({tile(0, "p9", "孙八", true)}, nullptr, nullptr);
    EXPECT_EQ(panel->otherMicArray.first()->bitRate, 4);
    EXPECT_EQ(panel->visibleCells().first()->nameLabel()->text(), QStringLiteral("孙八"));
}

TEST_F(MonitorTest, AReportFromAnotherThread_UpdatesOnTheMainThread_AndNothingOnceTheWindowIsGone)
{
    KVSettingMonitorPanel *panel = openMonitor();
    settings->onMemberChange({tile(0, kMyPhone, "张三", true, true)}, nullptr, nullptr);
    const auto mic = panel->myMicModel();
    KRTCStatistics stats = report(KRTCStatsKind::LocalAudio, kMyPhone, 1);
    stats.audioLostRate = 7;
    std::thread engine([&] { post(stats); });
    engine.join();
    EXPECT_EQ(mic->lossRate, 0) << "nothing changes off the main thread";
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(mic->lossRate, 7);
    EXPECT_EQ(panel->card(0)->lossRateLabel()->text(), QStringLiteral("7%"));

    windows.clear();
    processEventsFor(5);
    stats.audioLostRate = 9;
    std::thread late([&] { post(stats); });
    late.join();
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(mic->lossRate, 7);
}

TEST_F(MonitorTest, Cards_WarnFromElevenPercentAndFrom101Ms_HideFiguresWhileOff_WriteOnlyChanges)
{
    KVSettingMonitorPanel *panel = openMonitor();
    KVSettingMonitorCardView *card = panel->card(0);
    const auto mic = panel->myMicModel();
    EXPECT_TRUE(card->stackView()->isHidden());
    EXPECT_FALSE(card->emptyLabel()->isHidden());
    EXPECT_TRUE(card->fpsView()->isHidden()) << "no frame rate for a microphone";
    mic->open = true;
    mic->lossRate = 10;
    mic->delay = 100;
    mic->setNeedUpdate();
    const auto colour = [](QLabel *label) { return label->palette().color(QPalette::WindowText); };
    EXPECT_EQ(card->lossRateLabel()->text(), QStringLiteral("10%"));
    EXPECT_EQ(colour(card->lossRateLabel()), QColor(Qt::white));
    EXPECT_EQ(colour(card->delayLabel()), QColor(Qt::white));
    mic->lossRate = 11;
    mic->delay = 101;
    mic->setNeedUpdate();
    EXPECT_EQ(colour(card->lossRateLabel()), QColor(0xF2, 0x79, 0x03));
    EXPECT_EQ(colour(card->delayLabel()), QColor(0xF2, 0x79, 0x03));
    const int writes = card->labelWrites();
    mic->setNeedUpdate();
    EXPECT_EQ(card->labelWrites(), writes) << "unchanged texts are not written again";

    mic->open = false;
    mic->setNeedUpdate();
    EXPECT_TRUE(card->stackView()->isHidden());
    EXPECT_FALSE(card->titleBar()->isOn());
    mic->open = true;
    mic->setNeedUpdate();
    EXPECT_FALSE(card->stackView()->isHidden());
    EXPECT_EQ(card->lossRateLabel()->text(), QStringLiteral("11%"));
    EXPECT_FALSE(panel->card(1)->fpsView()->isHidden() && panel->myCameraModel()->open);
}

TEST_F(MonitorTest, Tabs_EmptyTextsIconsAndRowHeights_AnOutOfRangeTabChangesNothing)
{
    KVSettingMonitorPanel *panel = openMonitor();
    EXPECT_EQ(panel->otherEmptyLabel()->text(), QStringLiteral("无人开启麦克风"));
    settings->onMemberChange({tile(1, "p2", "李四", true)}, nullptr, nullptr);
    EXPECT_TRUE(panel->tabBar(0)->isOn());
    EXPECT_TRUE(panel->tabBar(1)->isOn());
    EXPECT_FALSE(panel->tabBar(2)->isOn());
    ASSERT_EQ(panel->visibleCells().size(), 1);
    EXPECT_EQ(panel->visibleCells().first()->height(), 28);
    EXPECT_TRUE(panel->visibleCells().first()->expandContainer()->isHidden());

    panel->tabBar(1)->titleButton()->click();
    EXPECT_EQ(panel->tabType(), 1);
    EXPECT_TRUE(panel->tabBar(1)->selected());
    EXPECT_FALSE(panel->tabBar(1)->titleButton()->isEnabled()) << "the selected tab takes no click";
    ASSERT_EQ(panel->visibleCells().size(), 1);
    EXPECT_EQ(panel->visibleCells().first()->height(), 56);
    EXPECT_TRUE(panel->otherEmptyLabel()->isHidden());

    panel->setTabType(2);
    EXPECT_EQ(panel->otherEmptyLabel()->text(), QStringLiteral("无人开启共享"));
    EXPECT_FALSE(panel->otherEmptyLabel()->isHidden());
    panel->setTabType(5);
    EXPECT_TRUE(panel->tabBar(2)->selected());
    EXPECT_EQ(panel->otherEmptyLabel()->text(), QStringLiteral("无人开启共享"));
    EXPECT_TRUE(panel->visibleCells().isEmpty());
    EXPECT_FALSE(panel->otherCurrentArray());
}

TEST_F(MonitorTest, RowsOutOfView_ShowTheirLatestFiguresWhenScrolledIn)
{
    KVSettingMonitorPanel *panel = openMonitor();
    QList<Tile> many;
    for (int i = 0; i < 40; ++i)
        many.append(tile(0, QStringLiteral("p%1").arg(i), QStringLiteral("成员%1").arg(i), true));
    settings->onMemberChange(many, nullptr, nullptr);
    ASSERT_TRUE(drainMainQueue());
    const auto shows = [&](const QString &name) {
        for (KVSettingMonitorCell *cell : panel->visibleCells()) {
            if (cell->nameLabel()->text() == name)
                return cell;
        }
        return static_cast<KVSettingMonitorCell *>(nullptr);
    };
    ASSERT_EQ(shows(QStringLiteral("成员39")), nullptr) << "the last row is out of view";
    KRTCStatistics audio = report(KRTCStatsKind::RemoteAudio, QStringLiteral("p39"), 1);
    audio.audioLostRate = 33;
    post(audio);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(panel->otherMicArray.last()->lossRate, 33);
    auto *list = panel->findChild<QScrollArea *>();
    ASSERT_TRUE(list);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    KVSettingMonitorCell *last = shows(QStringLiteral("成员39"));
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->isInView());
    EXPECT_EQ(last->lossRateLabel()->text(), QStringLiteral("33%"));
    EXPECT_EQ(last->geometry().bottom() + 1, list->widget()->height()) << "the list ends with it";
}

// A meeting of thousands: the list holds a row widget only for what is in view, whatever the count.
TEST_F(MonitorTest, TwoThousandMembers_RowsOnlyForWhatIsInView_EachScrolledInShowsItsOwnRecord)
{
    KVSettingMonitorPanel *panel = openMonitor();
    QList<Tile> many;
    for (int i = 0; i < 2000; ++i)
        many.append(tile(0, QStringLiteral("p%1").arg(i), QStringLiteral("成员%1").arg(i), true));
    settings->onMemberChange(many, nullptr, nullptr);
    ASSERT_TRUE(drainMainQueue());
    auto *list = panel->findChild<QScrollArea *>();
    const int inView = list->viewport()->height() / KVSettingMonitorCell::kAudioHeight + 2;
    EXPECT_LE(panel->findChildren<KVSettingMonitorCell *>().size(), inView);
    EXPECT_EQ(list->widget()->height(), 2000 * KVSettingMonitorCell::kAudioHeight);
    for (int value : {0, list->verticalScrollBar()->maximum() / 3, list->verticalScrollBar()->maximum()}) {
        list->verticalScrollBar()->setValue(value);
        const QList<KVSettingMonitorCell *> cells = panel->visibleCells();
        ASSERT_FALSE(cells.isEmpty());
        for (KVSettingMonitorCell *cell : cells) {
            const int row = cell->geometry().top() / KVSettingMonitorCell::kAudioHeight;
            EXPECT_EQ(cell->nameLabel()->text(), QStringLiteral("成员%1").arg(row)) << "at " << value;
        }
        EXPECT_LE(panel->findChildren<KVSettingMonitorCell *>().size(), inView);
    }
    // Fewer members: the rows left over go.
    settings->onMemberChange(many.mid(0, 2), nullptr, nullptr);
    EXPECT_EQ(panel->visibleCells().size(), 2);
}
