// The own microphone, camera and speaker from the tool bar: the host's bans, the device checks,
// what is reported to the service and when.

#include "DispatchWindowSupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

namespace {

using OwnDevicesTest = DispatchWindowTest;

TEST_F(OwnDevicesTest, Microphone_MemberRefusedWhileTheHostForbids_ButtonBackNothingOpened)
{
    join();
    room()->micAllowStatus = false;
    click(page->ui->microphoneBtn);
    EXPECT_EQ(toastText(), QStringLiteral("主持人不允许开麦"));
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(micChecks, 0);
    EXPECT_EQ(engine().callCount(QStringLiteral("openMicrophone")), 0);
}

TEST_F(OwnDevicesTest, ToolBar_EveryControlIsNamedAndItsAccessibilityActionIsTheClick)
{
    join(true);
    room()->micAllowStatus = true;
    int controls = 0;
    for (QAbstractButton *button : page->ui->bottomView->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(page->view()))
            continue;
        ++controls;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(iface, nullptr);
        EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty()) << button->objectName().toStdString();
        const QStringList actions = iface->actionInterface()->actionNames();
        EXPECT_TRUE(actions.contains(QAccessibleActionInterface::pressAction()) ||
                    actions.contains(QAccessibleActionInterface::toggleAction()))
            << iface->text(QAccessible::Name).toStdString();
    }
    EXPECT_GE(controls, 8);

    // "麦克风" switched from the accessibility bus: opened and reported, as by a click.
    QAccessibleInterface *mic = QAccessible::queryAccessibleInterface(page->ui->microphoneBtn);
    EXPECT_EQ(mic->role(), QAccessible::CheckBox);
    mic->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    ASSERT_TRUE(processEventsUntil([&] { return page->ownDevices().isMicOn() && engine().microphoneOpen(); }));
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")).size() == 1; }));
    EXPECT_TRUE(mic->state().checked);
    mic->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_FALSE(mic->state().checked);
    clock.clock.advance(1100ms); // the engine's minimum open time
    EXPECT_TRUE(processEventsUntil([&] { return !engine().microphoneOpen(); }));
}

TEST_F(OwnDevicesTest, Microphone_HostPassesTheBan_OpensAndReportsAtOnce)
{
    join(true);
    room()->micAllowStatus = false;
    openMicFromButton();
    EXPECT_EQ(page->ui->microphoneBtn->state(), 1);
    EXPECT_EQ(tipText(), QStringLiteral("您的麦克风已开启"));
    EXPECT_EQ(reports(QStringLiteral("micStatus")), QStringList{"1"});
}

TEST_F(OwnDevicesTest, Microphone_SwitchedOffFromTheButton_ClosesAndReportsNothing)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    click(page->ui->microphoneBtn);
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_EQ(tipText(), QStringLiteral("您麦克风已关闭"));
    clock.clock.advance(1100ms); // the engine's minimum open time
    ASSERT_TRUE(processEventsUntil([&] { return !engine().microphoneOpen(); }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(reports(QStringLiteral("micStatus")), QStringList{"1"});
}

TEST_F(OwnDevicesTest, Microphone_ClickOutsideTheRoom_ButtonBackAndNothingReported)
{
    join();
    room()->micAllowStatus = true;
    page->onRoomStateChanged(VeskMeetingManager::StateReconnecting);
    click(page->ui->microphoneBtn);
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(engine().callCount(QStringLiteral("openMicrophone")), 0);
    EXPECT_TRUE(reports(QStringLiteral("micStatus")).isEmpty());
}

TEST_F(OwnDevicesTest, Microphone_EngineRefuses_NotReportedOpen)
{
    join();
    room()->micAllowStatus = true;
    engine().setResult(QStringLiteral("openMicrophone"), -1);
    click(page->ui->microphoneBtn);
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_TRUE(reports(QStringLiteral("micStatus")).isEmpty());
}

TEST_F(OwnDevicesTest, Microphone_NoDeviceOrDenied_ButtonOffWithTheirTexts)
{
    join();
    room()->micAllowStatus = true;
    micAnswer = 1;
    click(page->ui->microphoneBtn);
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_EQ(tipText(), QStringLiteral("未检测到可用的麦克风，请检查设备是否正常后重试"));

    micAnswer = 2;
    click(page->ui->microphoneBtn);
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    KVAlert *alert = visibleAlert(QStringLiteral("microphoneDeniedAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QStringLiteral("无法使用麦克风"));
    EXPECT_EQ(alert->message(), QStringLiteral("请在“设置”-“隐私”中开启麦克风使用权限，并重新启动程序"));
    EXPECT_EQ(alert->cancelButton()->text(), QStringLiteral("取消"));
    EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("前往设置"));
    alert->cancelButton()->click();
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_TRUE(reports(QStringLiteral("micStatus")).isEmpty());
}

TEST_F(OwnDevicesTest, MicphoneChange_OpenConfirmedAfterPointEightCloseReportedAfterPointFive)
{
    join();
    page->ownDevices().setIsMicOn(true);
    page->ownDevices().micphoneChange();
    ASSERT_TRUE(processEventsUntil([&] { return engine().microphoneOpen(); }));
    clock.clock.advance(799ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(reports(QStringLiteral("micStatus")).isEmpty());
    clock.clock.advance(1ms);
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == QStringList{"1"}; }));
    EXPECT_EQ(toastText(), QStringLiteral("您的麦克风已开启"));
    // The members learn of it from the "audio" change sent at that moment.
    ASSERT_TRUE(processEventsUntil([&] {
        const auto me = manager()->memberForId(kMyPhone);
        return me && me->audioFlag();
    }));

    page->ownDevices().setIsMicOn(false);
    page->ownDevices().micphoneChange();
    EXPECT_EQ(toastText(), QStringLiteral("您的麦克风已关闭"));
    clock.clock.advance(499ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(reports(QStringLiteral("micStatus")), QStringList{"1"});
    clock.clock.advance(1ms);
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == (QStringList{"1", "0"}); }));
}

TEST_F(OwnDevicesTest, MicphoneChange_OffReportDroppedWhenTheMicrophoneIsOnAgainByThen)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    clock.clock.advance(1300ms);
    // The host closes every microphone; the user opens his again before the off report is due.
    receive(controlMessage(Event::Microphone, {{"peerId", "-1"}, {"switchStatus", 0}}));
    ASSERT_FALSE(page->ownDevices().isMicOn());
    click(page->ui->microphoneBtn);
    ASSERT_TRUE(processEventsUntil([&] { return page->ownDevices().isMicOn() && engine().microphoneOpen(); }));
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == (QStringList{"1", "1"}); }));
    clock.clock.advance(500ms);
    ASSERT_TRUE(settleRequests());
    // The service must not be left believing the open microphone is off.
    EXPECT_EQ(reports(QStringLiteral("micStatus")), (QStringList{"1", "1"}));

    // A quiet open (confirmed only after 0.8 s) does not overtake the off report: "0" then "1".
    clock.clock.advance(1300ms);
    page->ownDevices().setIsMicOn(false);
    page->ownDevices().micphoneChange();
    page->ownDevices().setIsMicOn(true);
    page->ownDevices().micphoneChange();
    ASSERT_TRUE(processEventsUntil([&] { return engine().microphoneOpen(); }));
    clock.clock.advance(500ms);
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")).size() == 3; }));
    EXPECT_EQ(reports(QStringLiteral("micStatus")).last(), QStringLiteral("0"));
    clock.clock.advance(300ms);
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")).size() == 4; }));
    EXPECT_EQ(reports(QStringLiteral("micStatus")).last(), QStringLiteral("1"));
}

TEST_F(OwnDevicesTest, MicphoneChange_AudioOverLimit_NeverReportedOpen)
{
    join();
    page->ownDevices().setIsMicOn(true);
    page->ownDevices().micphoneChange();
    ASSERT_TRUE(processEventsUntil([&] { return engine().microphoneOpen(); }));
    manager()->setOpenMicStatusExc(true);
    clock.clock.advance(800ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_TRUE(reports(QStringLiteral("micStatus")).isEmpty());
}

TEST_F(OwnDevicesTest, Camera_BanDeniedAndOpen)
{
    join();
    room()->cameraAllowStatus = false;
    click(page->ui->cameraBtn);
    EXPECT_EQ(toastText(), QStringLiteral("主持人不允许开摄像头"));
    EXPECT_EQ(page->ui->cameraBtn->state(), 0);
    EXPECT_EQ(cameraChecks, 0);

    room()->cameraAllowStatus = true;
    cameraAnswer = 2;
    click(page->ui->cameraBtn);
    EXPECT_FALSE(page->ownDevices().isCameraOn());
    EXPECT_EQ(page->ui->cameraBtn->state(), 0);
    KVAlert *alert = visibleAlert(QStringLiteral("cameraDeniedAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QStringLiteral("无法使用摄像头"));
    EXPECT_EQ(alert->message(), QStringLiteral("请在“设置”-“隐私”中开启摄像头使用权限，并重新启动程序"));
    alert->cancelButton()->click();

    cameraAnswer = 1;
    click(page->ui->cameraBtn);
    EXPECT_EQ(tipText(), QStringLiteral("未检测到可用的摄像头，请检查设备是否正常后重试"));
    EXPECT_EQ(page->ui->cameraBtn->state(), 0);

    cameraAnswer = 0;
    click(page->ui->cameraBtn);
    EXPECT_TRUE(page->ownDevices().isCameraOn());
    EXPECT_EQ(page->ui->cameraBtn->state(), 1);
    EXPECT_TRUE(engine().cameraPublished());
    EXPECT_EQ(tipText(), QStringLiteral("您的摄像头已开启"));
    // The camera path reports nothing itself.
    EXPECT_TRUE(reports(QStringLiteral("cameraStatus")).isEmpty());

    click(page->ui->cameraBtn);
    EXPECT_FALSE(page->ownDevices().isCameraOn());
    EXPECT_FALSE(engine().cameraPublished());
    EXPECT_EQ(tipText(), QStringLiteral("您的摄像头已关闭"));
}

TEST_F(OwnDevicesTest, Speaker_NoBanNoCheck)
{
    join();
    room()->micAllowStatus = false;
    room()->cameraAllowStatus = false;
    ASSERT_EQ(page->ui->speakerBtn->state(), 1);
    click(page->ui->speakerBtn);
    EXPECT_EQ(tipText(), QStringLiteral("您的扬声器已关闭"));
    EXPECT_EQ(engine().lastCall(QStringLiteral("enableSpeaker")).args, QVariantList{false});
    click(page->ui->speakerBtn);
    EXPECT_EQ(tipText(), QStringLiteral("您的扬声器已开启"));
    EXPECT_EQ(engine().lastCall(QStringLiteral("enableSpeaker")).args, QVariantList{true});
    EXPECT_EQ(micChecks + cameraChecks, 0);
}

} // namespace
