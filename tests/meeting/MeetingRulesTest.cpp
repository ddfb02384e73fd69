// The meeting window's plain rules: sizing, watermark, chat input by role, share restore,
// admission, state reactions, network icon, SEI position, leave dialog.

#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/window/MeetingWindowSizing.h"

#include <QVariantMap>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace R = MeetingWindowRules;
namespace S = MeetingWindowSizing;

namespace {

void expectSize(const QSizeF &visible, double w, double h, double scale)
{
    const S::NormalSize n = S::normalSize(visible);
    EXPECT_DOUBLE_EQ(n.size.width(), w) << visible.width() << "x" << visible.height();
    EXPECT_DOUBLE_EQ(n.size.height(), h) << visible.width() << "x" << visible.height();
    EXPECT_DOUBLE_EQ(n.adjustScale, scale) << visible.width() << "x" << visible.height();
}

TEST(MeetingWindowSizingTest, NormalSize_FitsRatioHalfScreenAndFloor)
{
    expectSize({1440, 875}, 1152, 684, 0.72); // ratio fit, half width, then the floor
    expectSize({2560, 1340}, 1280, 760, 0.8); // half the width wins
    expectSize({3840, 2060}, 1600, 950, 1.0); // the cap stays
    expectSize({}, 1152, 684, 0.72);          // no main screen
    expectSize({1000, 100}, 1152, 684, 0.72); // a zero height cannot divide
}

TEST(MeetingWindowSizingTest, ImInputWidth_ClampedBetween210And282)
{
    EXPECT_DOUBLE_EQ(S::imInputViewWidth(1.0), 282);
    EXPECT_DOUBLE_EQ(S::imInputViewWidth(0.8), 225.6);
    EXPECT_DOUBLE_EQ(S::imInputViewWidth(0.72), 210);
    EXPECT_DOUBLE_EQ(S::imInputViewWidth(1.5), 282);
}

TEST(MeetingWindowRulesTest, Watermark_LastFourDigitsOnlyForElevenCharacters)
{
    EXPECT_EQ(R::watermarkText(QStringLiteral("张三"), QStringLiteral("13800001234")), QStringLiteral("张三 1234"));
    EXPECT_EQ(R::watermarkText(QStringLiteral("张三"), QStringLiteral("1380000123")), QStringLiteral("张三 "));
    EXPECT_EQ(R::watermarkText(QStringLiteral("张三"), QStringLiteral("138000012345")), QStringLiteral("张三 "));
}

TEST(MeetingWindowRulesTest, ChatInput_ByRoleAndRoomPermission)
{
    const R::ChatInputState memberForbidden = R::chatInputState(false, false);
    EXPECT_EQ(memberForbidden.enableButtonState, 1);
    EXPECT_FALSE(memberForbidden.editable);
    EXPECT_EQ(memberForbidden.placeholder, QStringLiteral("全员禁言中"));

    const R::ChatInputState hostForbidden = R::chatInputState(true, false);
    EXPECT_EQ(hostForbidden.enableButtonState, 1);
    EXPECT_TRUE(hostForbidden.editable);
    EXPECT_EQ(hostForbidden.placeholder, QStringLiteral("请输入消息"));

    for (bool privileged : {false, true}) {
        const R::ChatInputState open = R::chatInputState(privileged, true);
        EXPECT_EQ(open.enableButtonState, 0);
        EXPECT_TRUE(open.editable);
        EXPECT_EQ(open.placeholder, QStringLiteral("请输入消息"));
    }
}

TEST(MeetingWindowRulesTest, ShareRestore_ForEachIsSharingFiles)
{
    MeetingInfoModel room;
    room.allowOpFileShared = 1;
    room.sharedAudVidResp.userId = QStringLiteral("13900000000");

    room.isSharingFiles = 0;
    EXPECT_EQ(R::shareRestore(room, QStringLiteral("13800000000")).fileShareMode, 0);
    room.isSharingFiles = 7;
    EXPECT_EQ(R::shareRestore(room, QStringLiteral("13800000000")).fileShareMode, 0);

    room.isSharingFiles = 1;
    R::ShareRestore doc = R::shareRestore(room, QStringLiteral("13800000000"));
    EXPECT_TRUE(doc.document);
    EXPECT_TRUE(doc.userCanControl);
    EXPECT_FALSE(doc.audioVideo);

    room.isSharingFiles = 2;
    R::ShareRestore video = R::shareRestore(room, QStringLiteral("13800000000"));
    EXPECT_EQ(video.fileShareMode, 2);
    EXPECT_EQ(video.fileType, QStringLiteral("2"));
    EXPECT_TRUE(video.audioAnimationHidden);
    EXPECT_TRUE(video.avFileSharePlaying);
    EXPECT_FALSE(video.selfAVFileSharing);

    room.isSharingFiles = 3;
    room.allowOpFileShared = 0;
    R::ShareRestore own = R::shareRestore(room, QStringLiteral("13900000000"));
    EXPECT_EQ(own.fileType, QStringLiteral("3"));
    EXPECT_FALSE(own.audioAnimationHidden);
    EXPECT_TRUE(own.selfAVFileSharing);
    EXPECT_FALSE(own.avFileSharePlaying);
    EXPECT_FALSE(own.userCanControl);
}

TEST(MeetingWindowRulesTest, Admission_StatusTable)
{
    auto status = [](const QVariant &v) { return QVariant(QVariantMap{{QStringLiteral("enterStatus"), v}}); };
    EXPECT_EQ(R::admission(true, status(1)), R::Admission::Enter);
    EXPECT_EQ(R::admission(true, status(2)), R::Admission::Removed);
    EXPECT_EQ(R::admission(true, status(4)), R::Admission::Removed);
    EXPECT_EQ(R::admission(true, status(5)), R::Admission::Ended);
    EXPECT_EQ(R::admission(true, status("1")), R::Admission::Enter);
    for (const QVariant &keep : {QVariant(3), QVariant(0), QVariant(6), QVariant(QStringLiteral("x")), QVariant()})
        EXPECT_EQ(R::admission(true, status(keep)), R::Admission::KeepWaiting) << keep.toString().toStdString();
    EXPECT_EQ(R::admission(false, status(1)), R::Admission::KeepWaiting);
    EXPECT_EQ(R::admission(true, QVariant()), R::Admission::KeepWaiting);
    EXPECT_EQ(R::admissionToast(R::Admission::Removed), QStringLiteral("主持人已将您移出等候室"));
    EXPECT_EQ(R::admissionToast(R::Admission::Ended), QStringLiteral("会议已结束"));
    EXPECT_TRUE(R::admissionToast(R::Admission::Enter).isEmpty());
}

TEST(MeetingWindowRulesTest, StateReaction_Table)
{
    EXPECT_EQ(R::stateReaction(1).banner, QStringLiteral("正在加入..."));
    EXPECT_TRUE(R::stateReaction(2).refreshShareData);
    EXPECT_TRUE(R::stateReaction(2).banner.isEmpty());
    EXPECT_EQ(R::stateReaction(3).banner, QStringLiteral("网络异常，正在尝试重连"));
    EXPECT_TRUE(R::stateReaction(3).pausePlayback);
    EXPECT_EQ(R::stateReaction(4).tip, QStringLiteral("连接失败，退出会议"));
    EXPECT_TRUE(R::stateReaction(4).leaveAfterDelay);
    for (qint64 other : {0, 5, -1}) {
        const R::StateReaction r = R::stateReaction(other);
        EXPECT_TRUE(r.banner.isEmpty() && r.tip.isEmpty() && !r.leaveAfterDelay && !r.refreshShareData);
    }
}

TEST(MeetingWindowRulesTest, NetworkIcon_LevelsAndMissingKey)
{
    auto icon = [](const QVariant &v) { return R::networkIconName({{QStringLiteral("NetworkState"), v}}); };
    EXPECT_EQ(icon(0), QStringLiteral("top_signal_status_good"));
    EXPECT_EQ(icon(1), QStringLiteral("top_signal_status_general"));
    for (int level : {2, 3, 4, 5, -1, 99})
        EXPECT_EQ(icon(level), QStringLiteral("top_signal_status_bad")) << level;
    EXPECT_FALSE(R::networkIconName({}).has_value());
    EXPECT_FALSE(R::networkIconName({{QStringLiteral("Other"), 0}}).has_value());
}

TEST(MeetingWindowRulesTest, Sei_NineSecondsMovesTenDoesNotGarbageIgnored)
{
    EXPECT_EQ(R::seiPlaybackPosition(QStringLiteral("29"), 20), 29);
    EXPECT_FALSE(R::seiPlaybackPosition(QStringLiteral("30"), 20).has_value());
    EXPECT_EQ(R::seiPlaybackPosition(QStringLiteral("11"), 20), 11);
    EXPECT_FALSE(R::seiPlaybackPosition(QStringLiteral("10"), 20).has_value());
    EXPECT_EQ(R::seiPlaybackPosition(QStringLiteral("25.9"), 20), 25); // rounded down
    for (const QString &bad :
         {QStringLiteral(""), QStringLiteral("12abc"), QStringLiteral("abc"), QStringLiteral("nan"),
          QStringLiteral("inf"), QStringLiteral("-3"), QStringLiteral("1e300"), QStringLiteral("0x10")})
        EXPECT_FALSE(R::seiPlaybackPosition(bad, 0).has_value()) << bad.toStdString();
    // The current position comes from a control message: any value is compared without overflow.
    for (qint64 current :
         {std::numeric_limits<qint64>::min(), qint64(-4'700'000'000'000'000'000), std::numeric_limits<qint64>::max()})
        EXPECT_FALSE(R::seiPlaybackPosition(QStringLiteral("4611686018427387000"), current).has_value()) << current;
    EXPECT_EQ(R::clampedPlaybackSeconds(std::numeric_limits<qint64>::min()), 0);
    EXPECT_EQ(R::clampedPlaybackSeconds(std::numeric_limits<qint64>::max()), 1'000'000'000'000);
    EXPECT_EQ(R::clampedPlaybackSeconds(125), 125);
}

TEST(MeetingWindowRulesTest, LeaveDialog_CreatorByPhoneNumberOnly)
{
    const R::LeaveDialog creator = R::leaveDialog(QStringLiteral("13800000000"), QStringLiteral("13800000000"));
    EXPECT_TRUE(creator.creator);
    EXPECT_EQ(creator.message, QStringLiteral("确定退出当前会议?"));
    EXPECT_EQ(creator.cancelTitle, QStringLiteral("结束会议"));
    EXPECT_EQ(creator.confirmTitle, QStringLiteral("退出会议"));
    EXPECT_TRUE(creator.redStyle);

    const R::LeaveDialog member = R::leaveDialog(QStringLiteral("u-1"), QStringLiteral("13800000000"));
    EXPECT_FALSE(member.creator);
    EXPECT_EQ(member.cancelTitle, QStringLiteral("取消"));
    EXPECT_EQ(member.confirmTitle, QStringLiteral("确定"));
    EXPECT_FALSE(member.redStyle);
    EXPECT_FALSE(R::leaveDialog(QString(), QString()).creator); // no room, no user: never the creator
}

TEST(MeetingWindowRulesTest, TitlesAndClosedReasons)
{
    EXPECT_EQ(R::waitingRoomTitle(QStringLiteral("周会"), QStringLiteral("123456789")),
              QStringLiteral("周会(123-456-789)"));
    EXPECT_EQ(R::joinedTitle(QStringLiteral("周会"), QStringLiteral("123456789")), QStringLiteral("周会(123-456-789)"));
    EXPECT_EQ(R::roomClosedButtonTitle(QStringLiteral("您的账号在其他手机端登录")), QStringLiteral("确定"));
    EXPECT_EQ(R::roomClosedButtonTitle(QStringLiteral("会议已结束")), QStringLiteral("知道了"));

    MeetingInfoModel room;
    room.creatorId = QStringLiteral("u-1");
    EXPECT_TRUE(R::showsEndMeetingButton(room, QStringLiteral("u-1")));
    EXPECT_FALSE(R::showsEndMeetingButton(room, QStringLiteral("13800000000")));
    room.cameraStatus = 1;
    room.cameraAllowStatus = false;
    EXPECT_FALSE(R::openCameraAtJoin(room)); // asked for but not allowed
    room.cameraAllowStatus = true;
    EXPECT_TRUE(R::openCameraAtJoin(room));
    room.microphoneStatus = 0;
    room.micAllowStatus = true;
    EXPECT_FALSE(R::openMicrophoneAtJoin(room));
}

// The speaker's label and the count-downs under the top bar: the label keeps its place while nothing is in its way,
// goes under what it would cover, and beside it when the window has no room below.
TEST(MeetingWindowRulesTest, SpeakerLabel_UnderTheCountDownsItWouldCoverOrBesideThem)
{
    const QRect home(20, 66, 196, 40);
    const QRect window(0, 0, 1152, 684);
    EXPECT_EQ(MeetingWindowRules::speakerLabelFrame(home, {}, window), home);
    EXPECT_EQ(MeetingWindowRules::speakerLabelFrame(home, {QRect(500, 300, 278, 203)}, window), home);
    // The attendee's display, then the host's running view below it.
    const QRect display(10, 66, 151, 76);
    EXPECT_EQ(MeetingWindowRules::speakerLabelFrame(home, {display}, window), QRect(20, 66 + 76 + 10, 196, 40));
    const QRect running(20, 150, 150, 156);
    const QRect twice = MeetingWindowRules::speakerLabelFrame(home, {display, running}, window);
    EXPECT_FALSE(twice.intersects(display) || twice.intersects(running));
    EXPECT_EQ(twice.top(), running.bottom() + 1 + 10);
    // A window too short for it below: beside them.
    const QRect beside = MeetingWindowRules::speakerLabelFrame(home, {QRect(20, 66, 150, 600)}, QRect(0, 0, 1152, 684));
    EXPECT_EQ(beside, QRect(180, 66, 196, 40));
}

} // namespace
