// Member list and tiles from engine events, audio-only mode, sound levels.

#include "ManagerTestSupport.h"

#include "foundation/NotificationCenter.h"

namespace {

QList<qint64> tileTypes(const std::shared_ptr<MeetingMemberModel> &m)
{
    QList<qint64> out;
    for (const auto &t : m->activeArr())
        out << t->activeVideoSourceType();
    return out;
}

// A phone number whose encrypted form holds "fc" somewhere (not only at the end).
QString phoneWithFcInPeerId()
{
    for (qint64 n = 13700000000; n < 13700100000; ++n) {
        const QString phone = QString::number(n);
        const QString id = RXEncrypt::aes128ecbEncrypt(phone);
        if (id.indexOf("fc") > 0 && id.indexOf("fc") < id.size() - 4)
            return phone;
    }
    return {};
}

TEST_F(ManagerTest, MemberEvents_BuildTheListAndTiles)
{
    joinToRoom();
    recorder.memberChanges = 0;
    const QString a = peer("13700000001"), b = peer("13700000002");
    engine().emitMemberJoined(a, "甲");
    engine().emitMemberJoined(b, "乙");
    engine().emitStreamPublished(a, KRTCSourceType::Camera, true, true);
    engine().emitStreamPublished(b, KRTCSourceType::Share, false, true);
    engine().emitStreamPublished(b, KRTCSourceType::CustomVideo, true, true);
    settle();

    EXPECT_EQ(recorder.memberChanges, 1); // one burst, one list
    const MeetingMemberList &list = recorder.lastMembers;
    ASSERT_EQ(list.size(), 3);
    EXPECT_TRUE(list[0]->isSelf());
    EXPECT_EQ(list[1]->phoneNumber, a);
    EXPECT_EQ(list[1]->userId, "13700000001");
    EXPECT_EQ(list[1]->userName, "甲");
    EXPECT_TRUE(list[1]->audioFlag());
    EXPECT_TRUE(list[1]->videoFlag());
    EXPECT_EQ(tileTypes(list[1]), (QList<qint64>{KRTCSourceType::Camera}));
    EXPECT_EQ(tileTypes(list[2]),
              (QList<qint64>{KRTCSourceType::Share, KRTCSourceType::Audio, KRTCSourceType::CustomVideo}));
    const auto cameraTile = list[1]->activeArr().first();
    EXPECT_NE(cameraTile->videoView(), nullptr);
    EXPECT_TRUE(cameraTile->audioFlag());
    EXPECT_EQ(cameraTile->channelIndex(), 0);
    EXPECT_TRUE(cameraTile->matches(a, KRTCSourceType::Camera, 0));
    EXPECT_FALSE(cameraTile->matches(a, KRTCSourceType::Camera, 1));
    EXPECT_TRUE(list[2]->activeArr()[2]->customAudioFlag());

    // Everybody but the user is online for the invitation panel.
    const auto online = VeskAppAgent::sharedInstance()->onlineUsers();
    ASSERT_EQ(online.size(), 2);
    EXPECT_EQ(online[0].userName, "甲");

    engine().emitStreamUnpublished(a, KRTCSourceType::Camera);
    engine().emitMemberLeft(b);
    settle();
    ASSERT_EQ(recorder.lastMembers.size(), 2);
    EXPECT_FALSE(recorder.lastMembers[1]->audioFlag());
    EXPECT_EQ(tileTypes(recorder.lastMembers[1]), (QList<qint64>{KRTCSourceType::Audio}));
    QStringList lines;
    for (const auto &m : recorder.messages)
        lines << QString("%1 %2 %3").arg(m.type).arg(m.sender, m.senderName);
    EXPECT_EQ(lines, (QStringList{"7 13700000001 甲", "7 13700000002 乙", "8 13700000002 乙"}));
}

TEST_F(ManagerTest, CameraStream_TellsWhetherTheMicrophoneIsOnUnlessAnAudioStreamCarriesIt)
{
    joinToRoom();
    const QString a = peer("13700000001"), b = peer("13700000002");
    engine().emitMemberJoined(a, "甲");
    engine().emitMemberJoined(b, "乙");
    engine().emitStreamPublished(a, KRTCSourceType::Camera, true, true);
    engine().emitStreamPublished(b, KRTCSourceType::Audio, true, false);
    engine().emitStreamPublished(b, KRTCSourceType::Camera, false, true);
    settle();
    ASSERT_TRUE(manager->memberForId(a)->audioFlag());
    ASSERT_TRUE(manager->memberForId(b)->audioFlag());

    // The camera stays on while the microphone goes off: the stream now carries no audio.
    engine().emitStreamPublished(a, KRTCSourceType::Camera, false, true);
    settle();
    EXPECT_FALSE(manager->memberForId(a)->audioFlag());
    EXPECT_TRUE(manager->memberForId(a)->videoFlag());
    EXPECT_FALSE(manager->memberForId(a)->activeArr().first()->audioFlag());

    // The microphone of b comes through its audio stream: the camera ending leaves it on.
    engine().emitStreamUnpublished(b, KRTCSourceType::Camera);
    settle();
    EXPECT_TRUE(manager->memberForId(b)->audioFlag());
    engine().emitStreamUnpublished(b, KRTCSourceType::Audio);
    settle();
    EXPECT_FALSE(manager->memberForId(b)->audioFlag());
}

TEST_F(ManagerTest, TileIdentity_SurvivesUnrelatedChanges)
{
    joinToRoom();
    const QString a = peer("13700000001");
    engine().emitMemberJoined(a, "甲");
    engine().emitStreamPublished(a, KRTCSourceType::Share, false, true);
    settle();
    const auto share = manager->memberForId(a)->activeArr().first();
    engine().emitStreamPublished(a, KRTCSourceType::Audio, true, false);
    settle();
    EXPECT_EQ(manager->memberForId(a)->activeArr().first(), share);
    EXPECT_TRUE(share->audioFlag());
}

TEST_F(ManagerTest, MemberConfigChange_FindsTheMemberByPlainPhoneOnTheMainQueue)
{
    joinToRoom();
    engine().emitMemberJoined(peer("13700000001"), "甲");
    settle();
    manager->onMemberConfigChange("13700000001", "share", 1);
    EXPECT_EQ(manager->memberForId("13700000001")->shareFlag(), 0); // not before the main queue ran
    settle();
    EXPECT_EQ(manager->memberForId("13700000001")->shareFlag(), 1);
    EXPECT_EQ(tileTypes(recorder.lastMembers[1]), (QList<qint64>{KRTCSourceType::Share, KRTCSourceType::Audio}));
    manager->onMemberConfigChange("13799999999", "audio", 1); // unknown: nothing happens
    settle();
}

TEST_F(ManagerTest, OnlyAudioMode_DropsRemoteVideoAndBringsItBack)
{
    joinToRoom();
    const QString a = peer("13700000001");
    engine().emitMemberJoined(a, "甲");
    engine().emitStreamPublished(a, KRTCSourceType::Camera, true, true);
    engine().emitStreamPublished(a, KRTCSourceType::Share, false, true);
    manager->onMemberConfigChange(kMyPhone, "video", 1);
    settle();

    manager->useOnlyAudioMode(true);
    settle();
    EXPECT_TRUE(manager->isOnlyAudio());
    EXPECT_EQ(tileTypes(manager->memberForId(a)), (QList<qint64>{KRTCSourceType::Audio}));
    EXPECT_EQ(manager->memberForId(a)->cameraView(), nullptr);
    EXPECT_TRUE(manager->memberForId(a)->videoFlag()); // the flag itself is kept
    EXPECT_EQ(tileTypes(manager->memberForId(kMyPhone)), (QList<qint64>{KRTCSourceType::Camera}));

    manager->setIsOnlyAudioAllowScreenShare(true);
    manager->useOnlyAudioMode(true);
    settle();
    EXPECT_EQ(tileTypes(manager->memberForId(a)), (QList<qint64>{KRTCSourceType::Share, KRTCSourceType::Audio}));

    manager->useOnlyAudioMode(false);
    EXPECT_TRUE(manager->resetOnlyAudio());
    settle();
    EXPECT_FALSE(manager->resetOnlyAudio());
    EXPECT_EQ(tileTypes(manager->memberForId(a)), (QList<qint64>{KRTCSourceType::Camera, KRTCSourceType::Share}));
}

TEST_F(ManagerTest, SoundLevels_TenIsIgnoredElevenReachesTheMember)
{
    joinToRoom();
    const QString phone = phoneWithFcInPeerId();
    ASSERT_FALSE(phone.isEmpty());
    const QString id = peer(phone);
    engine().emitMemberJoined(id, "甲");
    settle();

    QObject observer;
    QList<QVariantMap> voice, custom;
    bool offMain = false;
    auto &center = NotificationCenter::defaultCenter();
    center.addObserver(&observer, "VESK_NOTIFFY_VOICE_VALUE_CHANGED", [&](const Notification &n) {
        offMain |= !MainQueue::isMainThread();
        voice << n.object.toMap();
    });
    center.addObserver(&observer, "VESK_NOTIFFY_CUSTOM_AUDIO_VALUE_CHANGED",
                       [&](const Notification &n) { custom << n.object.toMap(); });

    FakeEngine::onForeignThread([&] { engine().emitSpeakerVolumeChange(KRTCPeerId::levelId(id, true), true, 10); });
    settle();
    EXPECT_TRUE(voice.isEmpty());
    FakeEngine::onForeignThread([&] { engine().emitSpeakerVolumeChange(KRTCPeerId::levelId(id, true), true, 11); });
    settle();
    ASSERT_EQ(voice.size(), 1);
    EXPECT_EQ(voice[0].value("peerId").toString(), id);
    EXPECT_EQ(voice[0].value("value").toInt(), 11);
    EXPECT_FALSE(offMain);
    EXPECT_FLOAT_EQ(manager->memberForId(id)->soundStrength(), 11);

    engine().emitSpeakerVolumeChange(KRTCPeerId::levelId(id, false), false, 40);
    settle();
    ASSERT_EQ(custom.size(), 1);
    EXPECT_FLOAT_EQ(manager->memberForId(id)->customSoundStrength(), 40);
}

TEST_F(ManagerTest, SoundLevels_ANewLevelReplacesOnlyThatParticipantsQueuedOne)
{
    joinToRoom();
    QStringList ids;
    for (int i = 0; i < 20; ++i) {
        ids << peer(QString::number(13700000000LL + i));
        engine().emitMemberJoined(ids.last(), QStringLiteral("成员%1").arg(i));
    }
    settle();
    QObject observer;
    QHash<QString, QList<int>> voice;
    NotificationCenter::defaultCenter().addObserver(
        &observer, "VESK_NOTIFFY_VOICE_VALUE_CHANGED", [&](const Notification &n) {
            const QVariantMap level = n.object.toMap();
            voice[level.value("peerId").toString()] << level.value("value").toInt();
        });

    // Everybody speaks at once; the first one twice, and the shared file of the second.
    for (int i = 0; i < ids.size(); ++i)
        engine().emitSpeakerVolumeChange(KRTCPeerId::levelId(ids[i], true), true, 20 + i);
    engine().emitSpeakerVolumeChange(KRTCPeerId::levelId(ids[0], true), true, 90);
    engine().emitSpeakerVolumeChange(KRTCPeerId::levelId(ids[1], false), false, 70);
    settle();

    for (int i = 1; i < ids.size(); ++i)
        EXPECT_EQ(voice.value(ids[i]), QList<int>{20 + i}) << i;
    EXPECT_EQ(voice.value(ids[0]), QList<int>{90});
    EXPECT_FLOAT_EQ(manager->memberForId(ids[1])->customSoundStrength(), 70);

    // The levels of a room of thirty arrive together from the engine's thread: the main thread
    // takes them in a pass or two, not a pass for each participant; a reset forgets those queued.
    for (int i = 20; i < 30; ++i)
        ids << peer(QString::number(13700000000LL + i));
    for (int i = 20; i < 30; ++i)
        engine().emitMemberJoined(ids[i], QStringLiteral("成员%1").arg(i));
    settle();
    struct Passes final : QObject {
        int calls = 0;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            calls += watched == qApp && event->type() == QEvent::MetaCall;
            return false;
        }
    } passes;
    qApp->installEventFilter(&passes);
    voice.clear();
    FakeEngine::onForeignThread([&] {
        for (int i = 0; i < ids.size(); ++i)
            engine().emitSpeakerVolumeChange(KRTCPeerId::levelId(ids[i], true), true, 40 + i);
    });
    settle();
    qApp->removeEventFilter(&passes);
    EXPECT_EQ(voice.size(), 30);
    EXPECT_EQ(voice.value(ids[29]), QList<int>{69});
    EXPECT_LE(passes.calls, 4);
}

} // namespace
