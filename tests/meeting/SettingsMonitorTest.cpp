// The settings window opened from a meeting on its system monitor tab: the meeting's tiles and
// the engine's statistics reach the cards and lists through the meeting manager.
#include "DispatchWindowSupport.h"
#include "MeetingTestSupport.h"

#include "agent/engine/FakeEngine.h"
#include "meeting/panels/MeetingSettingPage.h"
#include "meeting/panels/SettingPagePanel.h"
#include "settings/KVSettingMonitorPanel.h"
#include "settings/MainSettingViewController.h"

namespace {

class SettingsMonitorTest : public MeetingTest {};

QStringList ids(const KVSettingMonitorPanel::Models &records)
{
    QStringList out;
    for (const auto &record : records)
        out.append(record->userId);
    return out;
}

} // namespace

TEST_F(SettingsMonitorTest, EndToEnd_TilesAndEngineStatisticsReachTheMonitorThroughTheManager)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    page->showSettingPage(6);
    settle();
    MeetingSettingPage *opened = page->panels().panel<SettingPagePanel>().settingPage();
    ASSERT_TRUE(opened);
    auto *settings = qobject_cast<MainSettingViewController *>(opened->content());
    ASSERT_TRUE(settings);
    KVSettingMonitorPanel *monitor = settings->monitorPanel();
    ASSERT_TRUE(monitor);
    EXPECT_EQ(settings->currentTab(), 6);

    // A member arrives with camera and microphone: the open page's lists follow the tiles.
    engine().emitMemberJoined(QStringLiteral("peer-a"), QStringLiteral("甲"));
    engine().emitStreamPublished(QStringLiteral("peer-a"), KRTCSourceType::Camera, true, true);
    ASSERT_TRUE(processEventsUntil([&] { return ids(monitor->otherCameraArray) == QStringList{"peer-a"}; }));
    EXPECT_EQ(ids(monitor->otherMicArray), (QStringList{"peer-a"}));
    EXPECT_EQ(monitor->otherCameraArray.first()->name, QStringLiteral("甲"));

    KRTCStatistics remote;
    remote.kind = KRTCStatsKind::RemoteVideo;
    remote.peerId = QStringLiteral("peer-a");
    remote.videoSourceType = KRTCSourceType::Camera;
    remote.videoLostRate = 12;
    remote.videoRecvBitrate = 3 * 1024;
    remote.frameWidth = 640;
    remote.frameHeight = 360;
    engine().emitStatistics(remote);
    KRTCStatistics local;
    local.kind = KRTCStatsKind::LocalAudio;
    local.audioSourceType = 1;
    local.audioRtt = 150;
    engine().emitStatistics(local);
    settle();
    const auto &camera = *monitor->otherCameraArray.first();
    EXPECT_EQ(camera.lossRate, 12);
    EXPECT_EQ(camera.bitRate, 3);
    EXPECT_EQ(camera.videoWidth, 640);
    EXPECT_EQ(monitor->myMicModel()->delay, 150);
    monitor->setTabType(1);
    ASSERT_EQ(monitor->visibleCells().size(), 1);
    EXPECT_EQ(monitor->visibleCells().first()->lossRateLabel()->text(), QStringLiteral("12%"));
    EXPECT_EQ(monitor->visibleCells().first()->nameLabel()->text(), QStringLiteral("甲"));
}

TEST_F(DispatchWindowTest, SettingsMonitor_TheUsersOpenMicrophone_IsHisOwnCard_NotAnotherMembersRow)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    page->showSettingPage(6);
    settle();
    MeetingSettingPage *opened = page->panels().panel<SettingPagePanel>().settingPage();
    ASSERT_TRUE(opened);
    auto *settings = qobject_cast<MainSettingViewController *>(opened->content());
    ASSERT_TRUE(settings);
    KVSettingMonitorPanel *monitor = settings->monitorPanel();
    ASSERT_TRUE(monitor);
    // The tile carries the engine's peer id, the user's id is plain: the tile's own mark decides.
    EXPECT_TRUE(monitor->myMicModel()->open) << "the own microphone card says 未开启 while it is on";
    EXPECT_FALSE(monitor->card(0)->stackView()->isHidden());
    EXPECT_TRUE(monitor->otherMicArray.isEmpty()) << "the user is listed among the others";
}
