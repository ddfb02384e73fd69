// The window's own handling of server notices, rings and heartbeat acknowledgements.

#include "DispatchWindowSupport.h"

#include "meeting/common/MeetingHostControlRules.h"

namespace {

using DispatchWindowMessagesTest = DispatchWindowTest;

IMMessage serverNotice(qint64 msgId, const QStringList &elements)
{
    IMMessage m;
    m.type = qint64(MeetingMessageType::ServerNotice);
    m.msgId = msgId;
    m.data = elements;
    return m;
}

QString waitNotice(int event, const QString &userId)
{
    return jsonText({{"event", event}, {"data", jsonText({{"userId", userId}, {"userName", userId}})}});
}

IMMessage heartbeat(const QJsonObject &data)
{
    IMMessage m;
    m.data = QStringList{jsonText(data)};
    return m;
}

QStringList waitingIds()
{
    QStringList ids;
    for (const IMSystemSubMessage &m : VeskAppAgent::sharedInstance()->meetingManager()->waitRoomMemberArray())
        ids << m.userId;
    return ids;
}

TEST_F(DispatchWindowMessagesTest, ServerNotices_HostAppliesInOrder_RepeatIgnored)
{
    join(true);
    receive(serverNotice(1, {waitNotice(108, "a"), waitNotice(108, "b"), waitNotice(109, "a")}));
    manager()->waitForQueues();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(waitingIds(), QStringList{"b"});

    // The same message again changes nothing.
    receive(serverNotice(1, {waitNotice(108, "c")}));
    manager()->waitForQueues();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(waitingIds(), QStringList{"b"});

    // A device notice does not drop the waiting-room entries of the same message.
    receive(serverNotice(2, {waitNotice(108, "d"),
                             jsonText({{"event", 110}, {"data", jsonText({{"userId", "v"}, {"deviceType", "META"}})}}),
                             QStringLiteral("broken")}));
    manager()->waitForQueues();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(waitingIds(), (QStringList{"b", "d"}));
}

TEST_F(DispatchWindowMessagesTest, ServerNotices_MemberIgnores)
{
    join();
    receive(serverNotice(1, {waitNotice(108, "a")}));
    manager()->waitForQueues();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(waitingIds().isEmpty());
}

TEST_F(DispatchWindowMessagesTest, Rings_AddedOnceRemovedOnHangup)
{
    join();
    IMMessage ring;
    ring.type = qint64(MeetingMessageType::Ring);
    ring.msgId = 5;
    ring.sender = QStringLiteral("caller");
    ring.data = QStringList{jsonText({{"event", "income"}})};
    receive(ring);
    receive(ring);
    EXPECT_EQ(manager()->ringRecordArray(), QStringList{"caller"});
    ring.msgId = 6;
    ring.data = QStringList{jsonText({{"event", "hangup"}})};
    receive(ring);
    receive(ring);
    EXPECT_TRUE(manager()->ringRecordArray().isEmpty());
    // Repeating the first ring does nothing any more.
    ring.msgId = 5;
    ring.data = QStringList{jsonText({{"event", "income"}})};
    receive(ring);
    EXPECT_TRUE(manager()->ringRecordArray().isEmpty());
}

TEST_F(DispatchWindowMessagesTest, Heartbeat_MicForbidClosesTheOpenMicrophone)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    page->receiveHeartbeatAck(heartbeat({{"micStatus", 1},
                                         {"roomInfo", QJsonObject{{"imAllowStatus", 0}, {"micAllowStatus", 0}}},
                                         {"imForbid", true},
                                         {"micForbid", false}}));
    EXPECT_TRUE(page->ownDevices().isMicOn());
    EXPECT_TRUE(room()->imForbid);
    EXPECT_FALSE(room()->imAllowStatus);
    EXPECT_FALSE(room()->micAllowStatus);

    page->receiveHeartbeatAck(heartbeat({{"micStatus", 1},
                                         {"roomInfo", QJsonObject{{"imAllowStatus", 1}, {"micAllowStatus", 0}}},
                                         {"micForbid", true}}));
    EXPECT_FALSE(page->ownDevices().isMicOn());
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_TRUE(room()->micForbid);
}

TEST_F(DispatchWindowMessagesTest, Heartbeat_ServerViewDiffers_ReportedAgainUnlessAHostCloseIsHeld)
{
    join();
    room()->micAllowStatus = true;
    openMicFromButton();
    page->receiveHeartbeatAck(heartbeat({{"micStatus", 0}}));
    ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")) == (QStringList{"1", "1"}); }));
    page->receiveHeartbeatAck(heartbeat({{"micStatus", 1}}));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(reports(QStringLiteral("micStatus")).size(), 2);

    // A host's close of every microphone while the user is joining again is held.
    page->onRoomStateChanged(VeskMeetingManager::StateJoining);
    MeetingControlData closeAll;
    closeAll.peerId = MeetingHostControlRules::kEveryone;
    page->ownDevices().controlMicWithData(closeAll);
    page->receiveHeartbeatAck(heartbeat({{"micStatus", 0}}));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(reports(QStringLiteral("micStatus")).size(), 2);

    // Not an object: nothing changes.
    page->receiveHeartbeatAck(heartbeat({}));
    IMMessage junk;
    junk.data = QStringList{QStringLiteral("[]")};
    page->receiveHeartbeatAck(junk);
    page->receiveHeartbeatAck(IMMessage());
    EXPECT_TRUE(page->ownDevices().isMicOn());
}

TEST_F(DispatchWindowMessagesTest, CameraPermissionFromTheHeartbeat)
{
    join();
    room()->cameraAllowStatus = false;
    page->receiveHeartbeatAck(heartbeat({{"micStatus", 0}, {"cameraAllowStatus", 1}}));
    EXPECT_TRUE(room()->cameraAllowStatus);
}

TEST_F(DispatchWindowMessagesTest, ControlStepsOnTheRoom)
{
    join();
    receive(controlMessage(Event::TranscriptionSwitch, {{"openTranslateText", 1}, {"roomTranscribeStatus", 1}}));
    EXPECT_EQ(room()->openTranslateText, 1);
    EXPECT_EQ(room()->roomTranscribeStatus, 1);
    receive(controlMessage(Event::RoomName, {}, QStringLiteral("新周会")));
    EXPECT_EQ(room()->roomName, QStringLiteral("新周会"));
    receive(controlMessage(Event::RoomWait, {{"switchStatus", 1}}));
    EXPECT_TRUE(room()->roomWaitStatus);
    int posted = 0;
    NotificationCenter::defaultCenter().addObserver(&context, QStringLiteral("RoomUploadPermissionTypeChange"),
                                                    [&](const Notification &) { ++posted; });
    receive(controlMessage(Event::UploadPermission, {{"allowFileUpload", 1}, {"uploadPermissionType", 2}}));
    EXPECT_EQ(room()->allowFileUpload, 1);
    EXPECT_EQ(room()->uploadPermissionType, 2);
    EXPECT_EQ(posted, 1);
    receive(controlMessage(Event::SharePermissionList, {{"sharePermission", 2}}));
    EXPECT_EQ(room()->sharePermission, 2);
}

TEST_F(DispatchWindowMessagesTest, FileRightsDoNotMovePlayback_SeekOnlyWithTheSliderShown)
{
    join();
    // The join's own answers (the assistant hosts' lay the share out again) come before the file.
    ASSERT_TRUE(settleRequests());
    auto file = std::make_shared<FileShareModel>();
    file->fileId = QStringLiteral("f1");
    file->fileType = QStringLiteral("3");
    file->duration = 300;
    page->sharing().state().avFileShareModel = file;
    page->sharing().state().fileShareMode = 2;
    page->sharing().setAvFileSharePlayTimerCount(42);
    receive(controlMessage(Event::FileRights, {{"fileId", "f1"},
                                               {"enableOperationFileStatus", 2},
                                               {"enableUserList", QJsonArray{QJsonObject{{"userId", "x"}}}}}));
    EXPECT_EQ(file->enableOperationFileStatus, 2);
    EXPECT_EQ(file->enableUserList.size(), 1);
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 42);

    // 266 on the shown audio file moves playback.
    receive(controlMessage(Event::PlaybackPosition, {{"fileId", "f1"}, {"duration", 77}}));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 77);

    page->ui->avFileShareSliderBKView->hide();
    receive(controlMessage(Event::PlaybackSought, {{"seekPosition", 61999}}));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 77);
    page->ui->avFileShareSliderBKView->show();
    receive(controlMessage(Event::PlaybackSought, {{"seekPosition", 61999}}));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 61);

    receive(controlMessage(Event::PlaybackEnded));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 300);
    EXPECT_EQ(page->ui->avFileSharePlayButton->state(), 1);
}

TEST_F(DispatchWindowMessagesTest, PlaybackStartPauseResume_SetTheFlagAndThePlayButton)
{
    join();
    // As the service tells them.
    const auto fromService = [](Event event, const QJsonObject &data = {}) {
        return controlMessage(event, data, {}, QStringLiteral("mccServer"), QString());
    };
    receive(fromService(Event::PlaybackPaused));
    EXPECT_FALSE(page->sharing().state().avFileSharePlaying);
    EXPECT_EQ(page->ui->avFileSharePlayButton->state(), 1);
    receive(fromService(Event::PlaybackResumed));
    EXPECT_TRUE(page->sharing().state().avFileSharePlaying);
    EXPECT_EQ(page->ui->avFileSharePlayButton->state(), 0);
    receive(fromService(Event::PlaybackPaused));
    receive(fromService(Event::PlaybackStarted));
    EXPECT_TRUE(page->sharing().state().avFileSharePlaying);
    EXPECT_EQ(page->ui->avFileSharePlayButton->state(), 0);
}

TEST_F(DispatchWindowMessagesTest, PageFollow_OldSequenceIgnored_FlipEndsAfterATenthOfASecond)
{
    join();
    const auto fromService = [](Event event, const QJsonObject &data) {
        return controlMessage(event, data, {}, QStringLiteral("mccServer"), QString());
    };
    page->sharing().state().fileShareFlipOverSendSequenceId = 10;
    receive(fromService(Event::DocumentFollow, {{"sequenceId", 10}, {"flipOverType", 1}}));
    EXPECT_FALSE(page->sharing().state().flipOverDuration);
    EXPECT_EQ(page->sharing().state().fileShareFlipOverReceiveSequenceId, 0u);
    receive(fromService(Event::DocumentFollow, {{"sequenceId", 11}, {"flipOverType", 0}, {"sliceId", "none"}}));
    EXPECT_TRUE(page->sharing().state().flipOverDuration);
    EXPECT_EQ(page->sharing().state().fileShareFlipOverReceiveSequenceId, 11u);
    clock.clock.advance(99ms);
    EXPECT_TRUE(page->sharing().state().flipOverDuration);
    clock.clock.advance(1ms);
    EXPECT_FALSE(page->sharing().state().flipOverDuration);
}

} // namespace
