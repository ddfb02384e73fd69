// Own microphone and camera, receiving, and screen sharing.

#include "ManagerTestSupport.h"

#include "agent/MainSettingModel.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/models/DesktopCaptureSnapshotModel.h"

using namespace std::chrono_literals;

namespace {

std::shared_ptr<MeetingMemberModel> self(const VeskMeetingManager &m)
{
    return m.memberForId(kMyPhone);
}

TEST_F(ManagerTest, Microphone_OnlyInTheRoom)
{
    manager->joinRoomWith(makeRoom());
    engine().setJoinMode(FakeEngine::JoinMode::Manual);
    manager->joinRoom();
    manager->startMicrophone();
    manager->syncStartMicrophone();
    manager->stopMicrophone();
    EXPECT_EQ(engine().callCount("openMicrophone"), 0);
    EXPECT_EQ(engine().callCount("closeMicrophone"), 0);
    EXPECT_FALSE(manager->micDidOpen());
}

TEST_F(ManagerTest, StartMicrophone_OpensAndReportsAudioOn)
{
    joinToRoom();
    manager->startMicrophone();
    settle();
    EXPECT_TRUE(engine().microphoneOpen());
    EXPECT_TRUE(manager->micDidOpen());
    EXPECT_TRUE(self(*manager)->audioFlag());
}

TEST_F(ManagerTest, StopMicrophone_SoonAfterOpeningClosesOneSecondLater)
{
    joinToRoom();
    manager->syncStartMicrophone();
    settle();
    EXPECT_TRUE(manager->micDidOpen());
    EXPECT_FALSE(self(*manager)->audioFlag()); // the silent open reports nothing
    manager->onMemberConfigChange(kMyPhone, "audio", 1);
    clock.clock.advance(500ms);
    manager->stopMicrophone();
    EXPECT_EQ(engine().callCount("closeMicrophone"), 0);
    clock.clock.advance(999ms);
    EXPECT_EQ(engine().callCount("closeMicrophone"), 0);
    clock.clock.advance(1ms);
    settle();
    EXPECT_EQ(engine().callCount("closeMicrophone"), 1);
    EXPECT_FALSE(manager->micDidOpen());
    EXPECT_FALSE(self(*manager)->audioFlag());
}

TEST_F(ManagerTest, StopMicrophone_LaterClosesAtOnce)
{
    joinToRoom();
    manager->syncStartMicrophone();
    clock.clock.advance(1200ms);
    manager->stopMicrophone();
    EXPECT_EQ(engine().callCount("closeMicrophone"), 1);
    EXPECT_FALSE(manager->micDidOpen());
}

TEST_F(ManagerTest, ReopeningDuringTheDeferredClose_KeepsTheMicrophoneOpen)
{
    joinToRoom();
    manager->syncStartMicrophone();
    manager->stopMicrophone();
    clock.clock.advance(300ms);
    manager->syncStartMicrophone();
    clock.clock.advance(2s);
    EXPECT_EQ(engine().callCount("closeMicrophone"), 0);
    EXPECT_TRUE(engine().microphoneOpen());
    EXPECT_TRUE(manager->micDidOpen());
}

TEST_F(ManagerTest, AudioOverLimit_SetsOpenMicStatusExc)
{
    joinToRoom();
    manager->setOpenMicStatusExc(false);
    engine().emitAudioOverLimit();
    settle();
    EXPECT_TRUE(manager->openMicStatusExc());
    EXPECT_TRUE(recorder.events.contains("audioOverLimit"));
}

TEST_F(ManagerTest, Camera_PublishesReportsAndStops)
{
    joinToRoom();
    manager->startCamera();
    settle();
    EXPECT_TRUE(engine().cameraPublished());
    EXPECT_TRUE(engine().previewing());
    EXPECT_TRUE(manager->currentCameraOn());
    EXPECT_EQ(self(*manager)->activeArr().first()->activeVideoSourceType(), KRTCSourceType::Camera);
    manager->stopCamera();
    settle();
    EXPECT_FALSE(engine().cameraPublished());
    EXPECT_FALSE(engine().previewing());
    EXPECT_FALSE(manager->currentCameraOn());
    EXPECT_FALSE(self(*manager)->videoFlag());
}

TEST_F(ManagerTest, DoCameraOperation_TakesTheMirrorFromSettings)
{
    joinToRoom();
    manager->doCameraOperation();
    EXPECT_EQ(engine().lastCameraOption().mirror, VeskAppAgent::sharedInstance()->settingModel()->videoMirror());
    EXPECT_TRUE(engine().cameraPublished());
}

TEST_F(ManagerTest, PassThroughs_ReachTheEngine)
{
    joinToRoom();
    engine().emitMemberJoined(peer("13700000001"), "甲");
    engine().emitStreamPublished(peer("13700000001"), KRTCSourceType::Camera, false, true);
    settle();
    QPointer<KRTCVideoView> view = manager->memberForId(peer("13700000001"))->cameraView();
    ASSERT_TRUE(view);
    KRTCVideoFrame frame;
    frame.image = QImage(64, 36, QImage::Format_RGB32);
    view->renderFrame(frame, false);
    ASSERT_TRUE(view->hasFrame());
    manager->muteVideo("13700000001", KRTCSourceType::Camera, true); // a plain userId
    const auto call = engine().lastCall("muteVideo");
    ASSERT_EQ(call.args.size(), 3);
    EXPECT_EQ(call.args[0].toString(), peer("13700000001"));
    EXPECT_TRUE(call.args[2].toBool());
    EXPECT_FALSE(view->hasFrame()) << "a tile whose video stops keeps no picture";
    manager->enableSpeaker(false);
    manager->previewMirror(true);
    manager->pushStreamMirror(false);
    EXPECT_EQ(engine().callCount("enableSpeaker"), 1);
    EXPECT_EQ(engine().callCount("previewMirror"), 1);
    EXPECT_EQ(engine().callCount("pushStreamMirror"), 1);
}

TEST_F(ManagerTest, Snapshots_TitleScreensAndDescribeWindows)
{
    manager->joinRoomWith(makeRoom());
    KRTCDesktopSource screen1{7, KRTCScreenOption::TypeScreen, "DP-1", 0, QImage(4, 4, QImage::Format_RGB32), {}};
    KRTCDesktopSource screen2 = screen1;
    screen2.sourceId = 9;
    engine().setScreenSources({screen1, screen2});
    KRTCDesktopSource window{42,   KRTCScreenOption::TypeWindow,       "文档",
                             1234, QImage(4, 4, QImage::Format_RGB32), QImage(2, 2, QImage::Format_ARGB32)};
    engine().setWindowSources({window});

    const auto screens = manager->fetchDesktopScreenSnapshots();
    ASSERT_EQ(screens.size(), 2);
    EXPECT_EQ(screens[0].title, "桌面 1");
    EXPECT_EQ(screens[1].title, "桌面 2");
    EXPECT_EQ(screens[1].id, 9);
    EXPECT_EQ(screens[0].type, DesktopCaptureSnapshotModel::Screen);
    const auto windows = manager->fetchDesktopWidowSnapshots();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0].type, DesktopCaptureSnapshotModel::Window);
    EXPECT_EQ(windows[0].title, "文档");
    EXPECT_EQ(windows[0].pid, 1234);
    EXPECT_FALSE(windows[0].iconImage.isNull());
}

TEST_F(ManagerTest, StartDesktopShare_SizesByStreamLevelAndRefusesLevelZero)
{
    DesktopCaptureSnapshotModel candidate;
    candidate.type = DesktopCaptureSnapshotModel::Window;
    candidate.id = 42;
    const QList<QPair<int, QSize>> levels = {{1, {640, 360}}, {2, {1280, 720}}, {3, {1920, 1080}}, {4, {0, 0}}};
    for (const auto &[level, size] : levels) {
        joinToRoom(makeRoom(level));
        ASSERT_EQ(manager->startDesktopShare(candidate), VeskMeetingManager::DesktopShareResult::Started);
        const KRTCScreenOption o = engine().lastScreenOption();
        EXPECT_EQ(o.m_ScreenOrWindowId(), 42);
        EXPECT_EQ(o.m_eType(), KRTCScreenOption::TypeWindow);
        EXPECT_EQ(QSize(o.m_nWidth(), o.m_nHeight()), size) << level;
        EXPECT_EQ(o.m_nMaxVideoBW(), 5000000);
        EXPECT_EQ(o.m_eVideoEncodeQuality(), 33);
        EXPECT_EQ(o.m_nNumSpatialLayers(), 1);
        EXPECT_TRUE(o.m_reconnectRecoverScreen());
        EXPECT_EQ(o.m_nFPS(), 15);
        settle();
        EXPECT_EQ(self(*manager)->shareFlag(), 1);
        manager->stopDesktopShare();
        settle();
        EXPECT_EQ(self(*manager)->shareFlag(), 0);
        EXPECT_FALSE(engine().screenSharing());
        manager->leaveRoom();
    }

    joinToRoom(makeRoom(0));
    const int before = engine().callCount("startScreenSharing");
    EXPECT_EQ(manager->startDesktopShare(candidate), VeskMeetingManager::DesktopShareResult::NoStreamLevel);
    EXPECT_EQ(engine().callCount("startScreenSharing"), before);
    manager->leaveRoom();
    EXPECT_EQ(manager->startDesktopShare(candidate), VeskMeetingManager::DesktopShareResult::NotInRoom);
}

TEST_F(ManagerTest, ShareEndedByItself_ClearsTheOwnShare)
{
    joinToRoom();
    DesktopCaptureSnapshotModel candidate;
    candidate.type = DesktopCaptureSnapshotModel::Screen;
    manager->setSelfScreenOrWindowSharing(true);
    ASSERT_EQ(manager->startDesktopShare(candidate), VeskMeetingManager::DesktopShareResult::Started);
    settle();
    engine().emitScreenShareFinished(1);
    settle();
    EXPECT_FALSE(manager->selfScreenOrWindowSharing());
    EXPECT_EQ(self(*manager)->shareFlag(), 0);
    EXPECT_TRUE(recorder.events.contains("consumerShareFinsh 1"));
}

} // namespace
