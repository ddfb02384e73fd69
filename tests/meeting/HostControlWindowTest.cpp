// Host control of the own microphone and camera in the window: mute-all, the targeted close, the
// open request and its reply, the allow flags, and a mute-all that came before the room state.

#include "DispatchWindowSupport.h"

#include "foundation/RXEncrypt.h"

namespace {

using HostControlWindowTest = DispatchWindowTest;

QJsonObject micData(const QString &peerId, int switchStatus)
{
    return {{"peerId", peerId}, {"switchStatus", switchStatus}};
}

TEST_F(HostControlWindowTest, MuteAll_ClosesAMemberWhoCarriesTheHostsName)
{
    join(false, QStringLiteral("主持人"));
    room()->micAllowStatus = true;
    openMicFromButton();
    receive(controlMessage(Event::Microphone, micData("-1", 0), QStringLiteral("主持人关闭了全员麦克风")));
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_EQ(toastText(), QStringLiteral("主持人关闭了全员麦克风"));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last().messageType, MeetingMessageModel::Notice);
    EXPECT_EQ(lines.last().messageString, QStringLiteral("主持人关闭了全员麦克风"));
    clock.clock.advance(500ms);
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == (QStringList{"1", "0"}); }));
}

TEST_F(HostControlWindowTest, MuteAll_TheSendingHostKeepsTheMicrophone)
{
    join(true, QStringLiteral("主持人"));
    openMicFromButton();
    receive(controlMessage(Event::Microphone, micData("-1", 0), {}, kHostPhone));
    EXPECT_TRUE(page->ownDevices().isMicOn());
    receive(controlMessage(Event::Microphone, micData("-1", 0), {}, RXEncrypt::aes128ecbEncrypt(kHostPhone)));
    EXPECT_TRUE(page->ownDevices().isMicOn());
}

TEST_F(HostControlWindowTest, MuteAllBeforeTheRoomState_AppliedOnceInTheRoom)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    page->onRoomStateChanged(VeskMeetingManager::StateJoining);
    receive(controlMessage(Event::Microphone, micData("-1", 0)));
    EXPECT_TRUE(page->ownDevices().state().tempIsMicOn);
    EXPECT_TRUE(page->ownDevices().isMicOn());

    page->onRoomStateChanged(VeskMeetingManager::StateInRoom);
    page->ownDevices().applyHeldHostControl();
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(page->ownDevices().state().tempIsMicOn);
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(toastText(), QStringLiteral("主持人关闭了全员麦克风"));
}

TEST_F(HostControlWindowTest, MuteAllBeforeTheRoomState_AppliedByTheNextMessageInTheRoom)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    page->onRoomStateChanged(VeskMeetingManager::StateJoining);
    receive(controlMessage(Event::Microphone, micData("-1", 0)));
    page->onRoomStateChanged(VeskMeetingManager::StateInRoom);
    IMMessage chat;
    chat.type = qint64(MeetingMessageType::Chat);
    chat.msgId = 99;
    chat.data = QStringList{QStringLiteral("hi")};
    receive(chat);
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(page->ownDevices().isMicOn());
}

TEST_F(HostControlWindowTest, MuteAllBeforeTheRoomState_WinsOverAnOpenUnderWay)
{
    join();
    room()->micAllowStatus = true;
    page->onRoomStateChanged(VeskMeetingManager::StateJoining);
    receive(controlMessage(Event::Microphone, micData("-1", 0)));
    page->onRoomStateChanged(VeskMeetingManager::StateInRoom);
    // The join steps open the microphone; the held close arrives at the same state change.
    page->ui->microphoneBtn->setState(1);
    page->ownDevices().openOrCloseMicrophone(page->ui->microphoneBtn);
    page->ownDevices().applyHeldHostControl();
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_FALSE(page->ownDevices().state().tempIsMicOn);
    EXPECT_TRUE(reports(QStringLiteral("micStatus")).isEmpty());
}

TEST_F(HostControlWindowTest, TargetedClose_TextBySender)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    receive(controlMessage(Event::Microphone, micData(RXEncrypt::aes128ecbEncrypt(kMyPhone), 0), {},
                           QStringLiteral("mccServer"), {}));
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(toastText(), QStringLiteral("您已被禁止使用麦克风"));
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == (QStringList{"1", "0"}); }));

    clock.clock.advance(1100ms);
    click(page->ui->microphoneBtn);
    ASSERT_TRUE(processEventsUntil([&] { return page->ownDevices().isMicOn() && engine().microphoneOpen(); }));
    receive(controlMessage(Event::Microphone, micData(kMyPhone, 0)));
    EXPECT_EQ(toastText(), QStringLiteral("您的麦克风已关闭"));
}

TEST_F(HostControlWindowTest, OpenRequest_SecondIgnored_RefusalAnswersTheFirstRequester)
{
    join();
    manager()->rebuildAssistant({QStringLiteral("13700000000")});
    receive(controlMessage(Event::Microphone, micData(kMyPhone, 1), {}, kHostPhone, QStringLiteral("老王")));
    KVAlert *alert = page->ownDevices().micOpenRequestAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), QStringLiteral("主持人请求开启您的麦克风"));
    EXPECT_EQ(alert->cancelButton()->text(), QStringLiteral("不开启"));
    EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("开启"));
    EXPECT_TRUE(page->ownDevices().state().alertShow);

    receive(
        controlMessage(Event::Microphone, micData("-1", 1), {}, QStringLiteral("13700000000"), QStringLiteral("助理")));
    EXPECT_EQ(page->ownDevices().micOpenRequestAlert(), alert);

    alert->cancelButton()->click();
    EXPECT_FALSE(page->ownDevices().state().alertShow);
    ASSERT_TRUE(processEventsUntil([&] {
        for (const DevChannelMessage &m : service.channelMessages()) {
            const QJsonObject command =
                QJsonDocument::fromJson(m.message.value("data").toArray().first().toString().toUtf8()).object();
            if (command.value("event").toInt() == 7)
                return command.value("data").toObject().value("peerId").toString() == kHostPhone;
        }
        return false;
    }));
    EXPECT_FALSE(page->ownDevices().isMicOn());
}

TEST_F(HostControlWindowTest, CommandsOfAMemberWhoIsNoHost_AreDropped)
{
    join();
    room()->micAllowStatus = true;
    receive(controlMessage(Event::Microphone, micData(kMyPhone, 1), {}, QStringLiteral("13700000000"),
                           QStringLiteral("冒充者")));
    EXPECT_EQ(page->ownDevices().micOpenRequestAlert(), nullptr);
    receive(controlMessage(Event::AllowOpenMic, micData("-1", 0), {}, QStringLiteral("13700000000"),
                           QStringLiteral("冒充者")));
    EXPECT_TRUE(room()->micAllowStatus);
    receive(controlMessage(Event::AllowOpenMic, micData("-1", 0), {}, kHostPhone, QStringLiteral("主持人")));
    EXPECT_FALSE(room()->micAllowStatus);
}

TEST_F(HostControlWindowTest, OpenRequest_AcceptedOpensQuietlyAndConfirmsAfterPointEight)
{
    join();
    manager()->rebuildAssistant({QStringLiteral("13700000000")}); // host commands come from hosts only
    receive(controlMessage(Event::Microphone, micData(kMyPhone, 1), {}, QStringLiteral("13700000000"),
                           QStringLiteral("助理")));
    KVAlert *alert = page->ownDevices().micOpenRequestAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), QStringLiteral("助理请求开启您的麦克风"));
    alert->confirmButton()->click();
    EXPECT_FALSE(page->ownDevices().state().alertShow);
    EXPECT_TRUE(page->ownDevices().isMicOn());
    ASSERT_TRUE(processEventsUntil([&] { return engine().microphoneOpen(); }));
    EXPECT_TRUE(reports(QStringLiteral("micStatus")).isEmpty());
    clock.clock.advance(800ms);
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == QStringList{"1"}; }));

    // A request while the microphone is on shows no dialog.
    receive(controlMessage(Event::Microphone, micData(kMyPhone, 1)));
    EXPECT_EQ(page->ownDevices().micOpenRequestAlert(), nullptr);
}

TEST_F(HostControlWindowTest, AllowFlagsGoToTheRoomAndDecideTheBan)
{
    join();
    receive(controlMessage(Event::AllowOpenMic, {{"switchStatus", 0}}));
    EXPECT_FALSE(room()->micAllowStatus);
    click(page->ui->microphoneBtn);
    EXPECT_EQ(toastText(), QStringLiteral("主持人不允许开麦"));
    receive(controlMessage(Event::AllowOpenMic, {{"switchStatus", 1}}));
    EXPECT_TRUE(room()->micAllowStatus);
    receive(controlMessage(Event::AllowOpenCamera, {{"switchStatus", 1}}));
    EXPECT_TRUE(room()->cameraAllowStatus);
    receive(controlMessage(Event::AllowOpenCamera, {{"switchStatus", 0}}));
    EXPECT_FALSE(room()->cameraAllowStatus);
}

TEST_F(HostControlWindowTest, CameraCloseAllAndTargeted)
{
    join();
    room()->cameraAllowStatus = true;
    click(page->ui->cameraBtn);
    ASSERT_TRUE(page->ownDevices().isCameraOn());
    receive(controlMessage(Event::Camera, micData("-1", 1)));
    EXPECT_TRUE(page->ownDevices().isCameraOn());
    receive(controlMessage(Event::Camera, micData("-1", 0)));
    EXPECT_FALSE(page->ownDevices().isCameraOn());
    EXPECT_EQ(page->ui->cameraBtn->state(), 0);
    EXPECT_FALSE(engine().cameraPublished());
    EXPECT_EQ(toastText(), QStringLiteral("主持人关闭了全员摄像头"));
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("cameraStatus")) == QStringList{"0"}; }));

    click(page->ui->cameraBtn);
    ASSERT_TRUE(page->ownDevices().isCameraOn());
    receive(controlMessage(Event::Camera, micData(kMyPhone, 0)));
    EXPECT_FALSE(page->ownDevices().isCameraOn());
    EXPECT_EQ(toastText(), QStringLiteral("您的摄像头已关闭"));
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("cameraStatus")).size() == 3; }));
}

} // namespace
