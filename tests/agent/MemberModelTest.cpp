// Participant models: tiles, views, level notifications, the member-list copy.

#include "agent/MeetingMemberModel.h"
#include "agent/MeetingMemberModelCopy.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"

#include <QCoreApplication>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <thread>

namespace {

std::shared_ptr<MeetingMemberModel> makeMember(std::shared_ptr<MeetingMediaPolicy> policy = {})
{
    VeskUserModel user;
    user.phoneNumber = RXEncrypt::aes128ecbEncrypt("13700000001");
    user.userId = "13700000001";
    user.userName = "甲";
    return std::make_shared<MeetingMemberModel>(user, std::move(policy));
}

QList<qint64> types(const MeetingMemberModel &m)
{
    QList<qint64> out;
    for (const auto &t : m.activeArr())
        out << t->activeVideoSourceType();
    return out;
}

TEST(MemberModel, TilesComeInOrderCameraShareAudioCustom)
{
    auto m = makeMember();
    EXPECT_EQ(types(*m), (QList<qint64>{0})); // a fresh member is heard, not seen
    m->setCustomVideoFlag(true);
    m->setShareFlag(1);
    m->setVideoFlag(true);
    EXPECT_EQ(types(*m), (QList<qint64>{1, 2, 3}));
    m->setVideoFlag(false);
    EXPECT_EQ(types(*m), (QList<qint64>{2, 0, 3}));
    for (const auto &t : m->activeArr()) {
        EXPECT_EQ(t->phoneNumber(), m->phoneNumber);
        EXPECT_EQ(t->userName(), "甲");
        EXPECT_EQ(t->videoView() != nullptr, t->activeVideoSourceType() != 0);
    }
}

TEST(MemberModel, AnAudioFileIsAFileTileWithoutPicture)
{
    auto m = makeMember();
    m->setCustomAudioFlag(true);
    ASSERT_EQ(types(*m), (QList<qint64>{0, 3}));
    EXPECT_EQ(m->activeArr().last()->videoView(), nullptr);
    EXPECT_TRUE(m->activeArr().last()->customAudioFlag());
    m->setCustomAudioFlag(false);
    EXPECT_EQ(types(*m), (QList<qint64>{0}));
}

TEST(MemberModel, ShareFlagMakesAndDropsTheShareView)
{
    auto m = makeMember();
    m->setShareFlag(1);
    QPointer<KRTCVideoView> view = m->shareVideoView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(m->activeArr().first()->shareView(), view.data());
    m->setShareFlag(0);
    EXPECT_EQ(m->shareVideoView(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(view.isNull());
}

TEST(MemberModel, ViewsGoWithTheMember)
{
    auto m = makeMember();
    m->setVideoFlag(true);
    QPointer<KRTCVideoView> view = m->cameraView();
    m.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(view.isNull());
}

TEST(MemberModel, OnlyAudioPolicyHidesRemoteVideoButNotTheOwn)
{
    auto policy = std::make_shared<MeetingMediaPolicy>();
    auto remote = makeMember(policy);
    auto own = makeMember(policy);
    own->setIsSelf(true);
    policy->isOnlyAudio = true;
    remote->setVideoFlag(true);
    remote->setShareFlag(1);
    own->setVideoFlag(true);
    EXPECT_EQ(types(*remote), (QList<qint64>{0}));
    EXPECT_EQ(types(*own), (QList<qint64>{1}));
    policy->isOnlyAudioAllowScreenShare = true;
    remote->rebuildTiles();
    EXPECT_EQ(types(*remote), (QList<qint64>{2, 0}));
}

TEST(MemberModel, LevelsAboveTenPostTheMapOnTheMainThread)
{
    auto m = makeMember();
    QObject owner;
    QList<QVariantMap> voice, custom;
    bool offMain = false;
    auto &center = NotificationCenter::defaultCenter();
    center.addObserver(&owner, "VESK_NOTIFFY_VOICE_VALUE_CHANGED", [&](const Notification &n) {
        offMain |= !MainQueue::isMainThread();
        EXPECT_TRUE(n.userInfo.isEmpty());
        voice << n.object.toMap();
    });
    center.addObserver(&owner, "VESK_NOTIFFY_CUSTOM_AUDIO_VALUE_CHANGED",
                       [&](const Notification &n) { custom << n.object.toMap(); });

    m->setSoundStrength(10);
    EXPECT_TRUE(voice.isEmpty());
    EXPECT_FLOAT_EQ(m->soundStrength(), 10);
    m->setSoundStrength(10.5f);
    ASSERT_EQ(voice.size(), 1);
    EXPECT_EQ(voice[0].value("peerId").toString(), m->phoneNumber);
    EXPECT_DOUBLE_EQ(voice[0].value("value").toDouble(), 10.5);

    std::thread([&] { m->setSoundStrength(60); }).join();
    EXPECT_EQ(voice.size(), 1); // not on the foreign thread
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(voice.size(), 2);
    EXPECT_FALSE(offMain);

    m->setCustomSoundStrength(11);
    m->setCustomSoundStrength(3);
    EXPECT_EQ(custom.size(), 1);
    EXPECT_FLOAT_EQ(m->customSoundStrength(), 3);
}

TEST(MemberModel, CopyStartsClearAndCopiesAMemberDecrypted)
{
    const MeetingMemberModelCopy fresh;
    EXPECT_FALSE(fresh.audioFlag || fresh.videoFlag || fresh.shareFlag || fresh.allowSharePermissionFlag ||
                 fresh.videoStreamingReceive || fresh.isExpand || fresh.isCheck || fresh.isAssistantHost);

    auto m = makeMember();
    m->setAudioFlag(true);
    m->setShareFlag(1);
    m->setStreamingStatus(2);
    m->setIsAssistantHost(true);
    const auto row = MeetingMemberModelCopy::fromMember(*m);
    EXPECT_EQ(row.phoneNumber, "13700000001");
    EXPECT_EQ(row.userName, "甲");
    EXPECT_TRUE(row.audioFlag);
    EXPECT_TRUE(row.shareFlag);
    EXPECT_FALSE(row.videoFlag);
    EXPECT_EQ(row.streamingStatus, 2);
    EXPECT_TRUE(row.isAssistantHost);
}

} // namespace
