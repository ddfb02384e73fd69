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
    EXPECT_TRUE(R::followApplies(quint64(1) << 63, (quint64(1) << 63) - 1, 0));

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
