// The host's commands on microphones and cameras, the bans of the tool-bar buttons, the sender
// rule and the shared-file steps, as plain decisions.

#include "foundation/RXEncrypt.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/window/dispatch/MeetingToolBarRules.h"

#include <gtest/gtest.h>

namespace {

namespace R = MeetingHostControlRules;

R::Me member()
{
    R::Me me;
    me.phoneNumber = QStringLiteral("13800000000");
    me.userId = QStringLiteral("u-me");
    return me;
}

MeetingControlData command(const QString &peerId, int switchStatus,
                           const QString &sender = QStringLiteral("13900000000"),
                           const QString &senderName = QStringLiteral("主持人"))
{
    MeetingControlData d;
    d.peerId = peerId;
    d.switchStatus = switchStatus;
    d.sender = sender;
    d.senderName = senderName;
    return d;
}

R::MicState inRoom(bool micOn)
{
    R::MicState s;
    s.isMicOn = micOn;
    s.micDidOpen = micOn;
    s.stateMeeting = 2;
    return s;
}

TEST(HostControlSender, DecidedByIdNotByName)
{
    const R::Me me = member();
    EXPECT_TRUE(R::isFromMe(QStringLiteral("13800000000"), me));
    EXPECT_TRUE(R::isFromMe(RXEncrypt::aes128ecbEncrypt(QStringLiteral("13800000000")), me));
    EXPECT_TRUE(R::isFromMe(QStringLiteral("u-me"), me));
    EXPECT_FALSE(R::isFromMe(QStringLiteral("13900000000"), me));
    EXPECT_FALSE(R::isFromMe(QStringLiteral("mccServer"), me));
    EXPECT_FALSE(R::isFromMe(QString(), me));
    EXPECT_FALSE(R::isFromMe(QString(), R::Me()));
}

TEST(HostControlMic, MuteAllClosesEveryoneButTheSender)
{
    const R::Me me = member();
    EXPECT_EQ(R::micAction(command("-1", 0), me, inRoom(true)), R::MicAction::CloseAll);
    // The host's own command leaves the host's microphone alone.
    EXPECT_EQ(R::micAction(command("-1", 0, "13800000000", "主持人"), me, inRoom(true)), R::MicAction::None);
    // A member who carries the host's name is still muted.
    R::Me namesake = me;
    EXPECT_EQ(R::micAction(command("-1", 0, "13900000000", "张三"), namesake, inRoom(true)), R::MicAction::CloseAll);
    // Assistant hosts are muted too.
    R::Me assistant = me;
    assistant.isAssistantHost = true;
    EXPECT_EQ(R::micAction(command("-1", 0), assistant, inRoom(true)), R::MicAction::CloseAll);
    // A microphone already off shows nothing.
    EXPECT_EQ(R::micAction(command("-1", 0), me, inRoom(false)), R::MicAction::None);
}

TEST(HostControlMic, MuteAllBeforeTheRoomIsHeld)
{
    R::MicState joining = inRoom(false);
    joining.stateMeeting = 1;
    EXPECT_EQ(R::micAction(command("-1", 0), member(), joining), R::MicAction::HoldUntilInRoom);
    joining.isMicOn = true;
    EXPECT_EQ(R::micAction(command("-1", 0), member(), joining), R::MicAction::HoldUntilInRoom);
}

TEST(HostControlMic, OpenRequests)
{
    const R::Me me = member();
    EXPECT_EQ(R::micAction(command("-1", 1), me, inRoom(false)), R::MicAction::AskToOpen);
    EXPECT_EQ(R::micAction(command("-1", 1), me, inRoom(true)), R::MicAction::None);
    EXPECT_EQ(R::micAction(command("13800000000", 1), me, inRoom(false)), R::MicAction::AskToOpen);
    EXPECT_EQ(R::micAction(command("13800000000", 1), me, inRoom(true)), R::MicAction::None);
    EXPECT_EQ(R::micAction(command("13800000000", 1, "mccServer", ""), me, inRoom(false)), R::MicAction::None);
    R::MicState dialogOpen = inRoom(false);
    dialogOpen.alertShow = true;
    EXPECT_EQ(R::micAction(command("13800000000", 1), me, dialogOpen), R::MicAction::None);
    EXPECT_EQ(R::micAction(command("-1", 1), me, dialogOpen), R::MicAction::None);
}

TEST(HostControlMic, CloseAddressedToMePlainOrEncrypted)
{
    const R::Me me = member();
    EXPECT_EQ(R::micAction(command("13800000000", 0), me, inRoom(true)), R::MicAction::CloseMine);
    EXPECT_EQ(R::micAction(command(RXEncrypt::aes128ecbEncrypt("13800000000"), 0), me, inRoom(true)),
              R::MicAction::CloseMine);
    R::MicState openedByEngineOnly = inRoom(false);
    openedByEngineOnly.micDidOpen = true;
    EXPECT_EQ(R::micAction(command("13800000000", 0), me, openedByEngineOnly), R::MicAction::CloseMine);
    EXPECT_EQ(R::micAction(command("13800000000", 0), me, inRoom(false)), R::MicAction::None);
    EXPECT_EQ(R::micAction(command("13700000000", 0), me, inRoom(true)), R::MicAction::None);
}

TEST(HostControlCamera, OnlyClosingActs)
{
    const R::Me me = member();
    R::CameraState on{true, true, 2};
    EXPECT_EQ(R::cameraAction(command("-1", 0), me, on), R::CameraAction::CloseAll);
    EXPECT_EQ(R::cameraAction(command("-1", 1), me, on), R::CameraAction::None);
    EXPECT_EQ(R::cameraAction(command("13800000000", 1), me, on), R::CameraAction::None);
    EXPECT_EQ(R::cameraAction(command("13800000000", 0), me, on), R::CameraAction::CloseMine);
    // Camera commands name the member in plain only.
    EXPECT_EQ(R::cameraAction(command(RXEncrypt::aes128ecbEncrypt("13800000000"), 0), me, on), R::CameraAction::None);
    R::CameraState joining{true, true, 1};
    EXPECT_EQ(R::cameraAction(command("-1", 0), me, joining), R::CameraAction::None);
    R::CameraState off{false, false, 2};
    EXPECT_EQ(R::cameraAction(command("-1", 0), me, off), R::CameraAction::None);
    EXPECT_EQ(R::cameraAction(command("13800000000", 0), me, off), R::CameraAction::None);
}

TEST(HostControlCamera, AssistantKeepsCameraHostDoesNot)
{
    R::CameraState on{true, true, 2};
    R::Me assistant = member();
    assistant.isAssistantHost = true;
    EXPECT_EQ(R::cameraAction(command("-1", 0), assistant, on), R::CameraAction::None);
    R::Me host = member();
    host.isHost = true;
    EXPECT_EQ(R::cameraAction(command("-1", 0), host, on), R::CameraAction::CloseAll);
    EXPECT_EQ(R::cameraAction(command("-1", 0, "13800000000"), host, on), R::CameraAction::None);
}

TEST(HostBan, AllowedWhenRoomAllowsOrPrivileged)
{
    R::Me plain = member();
    R::Me host = member();
    host.isHost = true;
    R::Me assistant = member();
    assistant.isAssistantHost = true;
    for (const QString &ban : {R::kMicBanned, R::kCameraBanned, R::kSubtitlesBanned}) {
        EXPECT_EQ(R::banToast(ban, false, plain, true), ban);
        EXPECT_EQ(R::banToast(ban, true, plain, true), QString());
        EXPECT_EQ(R::banToast(ban, false, host, true), QString());
        EXPECT_EQ(R::banToast(ban, false, assistant, true), QString());
        EXPECT_EQ(R::banToast(ban, false, plain, false), QString());
    }
}

TEST(HostControlRequest, HostIsNamedByRole)
{
    MeetingControlData d = command("13800000000", 1, "13900000000", "老王");
    EXPECT_EQ(R::requesterName(d, QStringLiteral("13900000000")), QStringLiteral("主持人"));
    EXPECT_EQ(R::requesterName(d, QStringLiteral("13700000000")), QStringLiteral("老王"));
    d.sender = RXEncrypt::aes128ecbEncrypt("13900000000");
    EXPECT_EQ(R::requesterName(d, QStringLiteral("13900000000")), QStringLiteral("主持人"));
}

TEST(SharedFileSteps, FollowSeekAndRights)
{
    EXPECT_TRUE(R::followApplies(5, 4, 4));
    EXPECT_FALSE(R::followApplies(5, 5, 0));
    EXPECT_FALSE(R::followApplies(5, 0, 5));
    EXPECT_FALSE(R::followApplies(0, 0, 0));
    // Ids a JSON number holds exactly, and no more: a larger one would come back wrapped.
    EXPECT_TRUE(R::followApplies(R::kMaxSequenceId, R::kMaxSequenceId - 1, 0));
    EXPECT_FALSE(R::followApplies(R::kMaxSequenceId + 1, 0, 0));
    EXPECT_FALSE(R::followApplies(~quint64(0), 0, 0));
    EXPECT_EQ(R::announcedSequenceId(~quint64(0)), 0u);
    EXPECT_EQ(R::announcedSequenceId(41), 41u);
    EXPECT_EQ(R::nextSequenceId(41), 42u);
    EXPECT_EQ(R::nextSequenceId(R::kMaxSequenceId), R::kMaxSequenceId);

    QList<FileSliceModel> slices(3);
    slices[0].sliceId = "a";
    slices[1].sliceId = "b";
    slices[2].sliceId = "b";
    EXPECT_EQ(R::pageIndexForSlice(slices, "b"), 1);
    EXPECT_FALSE(R::pageIndexForSlice(slices, "z"));

    EXPECT_EQ(R::seekSeconds(61999), 61);
    EXPECT_EQ(R::seekSeconds(999), 0);

    using RT = R::RightsTarget;
    EXPECT_EQ(R::rightsTarget(1, "f", "f", "g"), RT::Document);
    EXPECT_EQ(R::rightsTarget(2, "g", "f", "g"), RT::AVFile);
    EXPECT_EQ(R::rightsTarget(2, "f", "f", "g"), RT::None);
    EXPECT_EQ(R::rightsTarget(0, "f", "f", "f"), RT::None);
    EXPECT_EQ(R::rightsTarget(1, "", "", ""), RT::None);
}

TEST(SharedFileSenders, StartsOnlyFromTheService_EndsFromTheSharerOrHosts_OperationsAlsoFromThoseListed)
{
    using C = R::SharedFileCommand;
    using K = R::SharedFileKind;
    const auto kindOf = [](qint64 event, int status = 0) { return R::sharedFileEvent(event, status); };
    EXPECT_EQ(kindOf(901, 1).command, C::Start);
    EXPECT_EQ(kindOf(901, 0).command, C::Manage);
    EXPECT_EQ(kindOf(902).command, C::Start);
    EXPECT_EQ(kindOf(903).command, C::Operate);
    EXPECT_EQ(kindOf(903).kind, K::Document);
    EXPECT_EQ(kindOf(707).command, C::Start);
    EXPECT_EQ(kindOf(707).kind, K::AVFile);
    EXPECT_EQ(kindOf(706).command, C::Manage);
    for (const qint64 event : {266, 701, 702, 703, 704, 705, 708, 709}) {
        EXPECT_EQ(kindOf(event).command, C::Operate) << event;
        EXPECT_EQ(kindOf(event).kind, K::AVFile) << event;
    }
    EXPECT_EQ(kindOf(914).command, C::Manage);
    EXPECT_EQ(kindOf(914).kind, K::Named);
    for (const qint64 event : {1, 4, 202, 700, 710, 900, 904, 912})
        EXPECT_EQ(kindOf(event).command, C::None) << event;

    const QString sharer = QStringLiteral("13700000001");
    const QString listed = QStringLiteral("13700000002");
    const QString stranger = QStringLiteral("13700000003");
    // As the service sends them: the sharer's peer id and the list encrypted.
    R::SharedFileOnShow shown{RXEncrypt::aes128ecbEncrypt(sharer), 1,
                              QVariantList{QVariantMap{{"userId", RXEncrypt::aes128ecbEncrypt(listed)}}}};
    const auto allowed = [&](C command, const QString &id, bool host = false) {
        return R::sharedFileSenderAllowed(command, {id, false, host}, shown);
    };
    EXPECT_TRUE(R::sharedFileSenderAllowed(C::Start, {QStringLiteral("mccServer"), true, false}, std::nullopt));
    EXPECT_FALSE(allowed(C::Start, sharer));
    EXPECT_FALSE(allowed(C::Start, stranger, true)) << "not even a host starts a share on the channel";
    for (const C command : {C::Manage, C::Operate}) {
        EXPECT_TRUE(allowed(command, sharer));
        EXPECT_TRUE(allowed(command, RXEncrypt::aes128ecbEncrypt(sharer))) << "sent encrypted";
        EXPECT_TRUE(allowed(command, stranger, true));
        EXPECT_FALSE(allowed(command, stranger));
        EXPECT_FALSE(allowed(command, listed)) << "the list counts under rights 2 only";
        EXPECT_FALSE(allowed(command, QString()));
    }
    shown.rights = 2;
    EXPECT_TRUE(allowed(C::Operate, listed));
    EXPECT_FALSE(allowed(C::Manage, listed)) << "those given rights operate, they do not end the share";
    EXPECT_FALSE(allowed(C::Operate, stranger));
    // Nothing on show: nothing for a member to operate or end.
    EXPECT_FALSE(R::sharedFileSenderAllowed(C::Operate, {sharer, false, true}, std::nullopt));
    EXPECT_TRUE(R::sharedFileSenderAllowed(C::None, {stranger, false, false}, std::nullopt));
}

TEST(ToolBarPageTurn, KeysOnlyInDocumentModeSwipesOnlyVertical)
{
    using MeetingToolBarRules::PageTurn;
    EXPECT_EQ(MeetingToolBarRules::keyPageTurn(1, Qt::Key_Right), PageTurn::Next);
    EXPECT_EQ(MeetingToolBarRules::keyPageTurn(1, Qt::Key_Left), PageTurn::Previous);
    EXPECT_EQ(MeetingToolBarRules::keyPageTurn(1, Qt::Key_Up), PageTurn::None);
    for (int mode : {0, 2}) {
        EXPECT_EQ(MeetingToolBarRules::keyPageTurn(mode, Qt::Key_Right), PageTurn::None);
        EXPECT_EQ(MeetingToolBarRules::keyPageTurn(mode, Qt::Key_Left), PageTurn::None);
    }
    EXPECT_EQ(MeetingToolBarRules::swipePageTurn(0, 20.5), PageTurn::Previous);
    EXPECT_EQ(MeetingToolBarRules::swipePageTurn(0, -20.5), PageTurn::Next);
    EXPECT_EQ(MeetingToolBarRules::swipePageTurn(0, 20.0), PageTurn::None);
    EXPECT_EQ(MeetingToolBarRules::swipePageTurn(0, -20.0), PageTurn::None);
    EXPECT_EQ(MeetingToolBarRules::swipePageTurn(0.1, 40), PageTurn::None);
}

} // namespace
