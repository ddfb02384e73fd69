#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QVariantMap>

#include <optional>

struct MeetingInfoModel;

// The meeting window's plain decisions: what a role, a reply or a state report makes the window
// do. The controller applies them to its views.
namespace MeetingWindowRules {

// ---- Texts the window shows ------------------------------------------------------------------
inline const QString kMeetingIdCopiedTip = QStringLiteral("会议ID已复制");
inline const QString kChatPlaceholder = QStringLiteral("请输入消息");
inline const QString kChatForbiddenPlaceholder = QStringLiteral("全员禁言中");
inline const QString kExitWaitingRoomTitle = QStringLiteral("退出会议");
inline const QString kRemovedFromWaitingRoom = QStringLiteral("主持人已将您移出等候室");
inline const QString kMeetingEnded = QStringLiteral("会议已结束");
inline const QString kJoiningBanner = QStringLiteral("正在加入...");
inline const QString kReconnectingBanner = QStringLiteral("网络异常，正在尝试重连");
inline const QString kConnectFailedTip = QStringLiteral("连接失败，退出会议");
inline const QString kOtherDeviceReason = QStringLiteral("您的账号在其他手机端登录");
inline const QString kLeaveQuestion = QStringLiteral("确定退出当前会议?");
inline const QString kEndMeetingTitle = QStringLiteral("结束会议");
inline const QString kLeaveMeetingTitle = QStringLiteral("退出会议");
inline const QString kCancelTitle = QStringLiteral("取消");
inline const QString kConfirmTitle = QStringLiteral("确定");
inline const QString kGotItTitle = QStringLiteral("知道了");
inline const QString kCreatorEndedNotice = QStringLiteral("创建者已结束会议，请退出");
inline const QString kNetworkErrorText = QStringLiteral("网络不给力，请稍后重试");
inline const QString kEnterFromWaitingRoomNotification = QStringLiteral("ENTER_MEETINGROOM_FROM_WAITINGROOM");

// ---- The tool bar's share box ----------------------------------------------------------------
// The share button alone, and with the arrow of the room's shared files beside it.
inline constexpr int kShareBox = 58;
inline constexpr int kShareBoxWithArrow = 72;

// ---- Title ------------------------------------------------------------------------------------
// "name(123-456-789)", on the waiting-room screen and in the room alike.
[[nodiscard]] QString waitingRoomTitle(const QString &roomName, const QString &roomId);
[[nodiscard]] QString joinedTitle(const QString &roomName, const QString &roomId);

// ---- Watermark ----------------------------------------------------------------------------------
// "<name> <last four digits>" for an 11-character number, else "<name> ".
[[nodiscard]] QString watermarkText(const QString &userName, const QString &phoneNumber);

// ---- Chat input by role -------------------------------------------------------------------------
struct ChatInputState {
    qint64 enableButtonState = 0; // the forbid-all switch: 1 = chat forbidden
    bool editable = true;
    QString placeholder;
};
// privileged: host or assistant host. imAllowStatus: the room lets participants chat.
[[nodiscard]] ChatInputState chatInputState(bool privileged, bool imAllowStatus);

// ---- A share already running when the window opens ------------------------------------------------
struct ShareRestore {
    int fileShareMode = 0; // 0 grid, 1 document, 2 audio/video file
    bool document = false; // load the document's pages (queryFileShareList 1)
    bool audioVideo = false;
    QString fileType; // "2" video, "3" audio
    bool userCanControl = false;
    bool selfAVFileSharing = false;  // the user shares the file himself
    bool avFileSharePlaying = false; // someone else's file plays
    bool audioAnimationHidden = true;
};
[[nodiscard]] ShareRestore shareRestore(const MeetingInfoModel &room, const QString &myPhoneNumber);

// ---- Admission poll of the waiting room ------------------------------------------------------------
enum class Admission { KeepWaiting, Enter, Removed, Ended };
// The reaction to one reply of the admission query ("enterStatus" of the reply's data).
[[nodiscard]] Admission admission(bool successed, const QVariant &data);
// The toast of a removal or an end ("" for the others).
[[nodiscard]] QString admissionToast(Admission admission);
// A join from the waiting room refused: whether the service holds the user there no longer (the
// meeting over or gone, the user removed), and what the user is told (the service's message, else
// the network text).
[[nodiscard]] bool joinRefusalEndsWaiting(qint64 code);
[[nodiscard]] QString joinRefusalText(const QString &message);

// ---- Room state reports ----------------------------------------------------------------------------
struct StateReaction {
    QString banner;                // the joining/reconnecting banner, "" for none
    bool refreshShareData = false; // state 2
    bool pausePlayback = false;    // state 3: a playing file shows as paused
    QString tip;                   // state 4: the failure tip
    bool leaveAfterDelay = false;  // state 4: the whole leave 2 s after the tip
};
[[nodiscard]] StateReaction stateReaction(qint64 state);

// ---- Network icon --------------------------------------------------------------------------------
// The image name for "MEETINGNETWORKSTATE"'s user info; nullopt without "NetworkState".
[[nodiscard]] std::optional<QString> networkIconName(const QVariantMap &userInfo);
// The quality the network icon shows, in words for a screen reader.
[[nodiscard]] QString networkQualityText(const QString &iconName);

// ---- Shared-file playback position from SEI ---------------------------------------------------------
// The SEI text as whole seconds (rounded down) when it is a finite, non-negative number and
// nothing else; nullopt otherwise.
[[nodiscard]] std::optional<qint64> seiSeconds(const QString &sei);
// The new playback position a frame's SEI gives, or nullopt when it leaves the position alone:
// only a number at most 9 s away from the current position is taken.
[[nodiscard]] std::optional<qint64> seiPlaybackPosition(const QString &sei, qint64 currentSeconds);
// The frame's position when it lies within 9 s of the shown one.
[[nodiscard]] std::optional<qint64> playbackPositionNear(qint64 frameSeconds, qint64 currentSeconds);
// A playback position from a control message, kept to [0, 10^12] seconds: the position ticks up
// every second and is compared with others, which must not overflow.
[[nodiscard]] qint64 clampedPlaybackSeconds(qint64 seconds);

// ---- Joining ----------------------------------------------------------------------------------------
// Camera / microphone opened at join: the room asks for it and allows it.
[[nodiscard]] bool openCameraAtJoin(const MeetingInfoModel &room);
[[nodiscard]] bool openMicrophoneAtJoin(const MeetingInfoModel &room);
// The end button of the top bar: only the creator, by user id.
[[nodiscard]] bool showsEndMeetingButton(const MeetingInfoModel &room, const QString &myUserId);

// ---- Leaving ----------------------------------------------------------------------------------------
struct LeaveDialog {
    bool creator = false; // cancel ends the meeting for everybody, confirm leaves
    QString message;
    QString cancelTitle;
    QString confirmTitle;
    bool redStyle = false;
};
// The creator is told apart by phone number (as the user model's isHost).
[[nodiscard]] LeaveDialog leaveDialog(const QString &creatorId, const QString &myPhoneNumber);

// ---- Room closed by the service -------------------------------------------------------------------
[[nodiscard]] bool isOtherDeviceReason(const QString &reason);
[[nodiscard]] QString roomClosedButtonTitle(const QString &reason);

// ---- The current speaker's label ------------------------------------------------------------------
// Where the label goes: home, unless it would cover a count-down shown (keepClear, in the same
// coordinates); then just under the lowest of those it would cover, kSpeakerLabelGap apart, until it
// covers none. Without room for that inside bounds, beside them on the right.
inline constexpr int kSpeakerLabelGap = 10;
[[nodiscard]] QRect speakerLabelFrame(const QRect &home, const QList<QRect> &keepClear, const QRect &bounds);

} // namespace MeetingWindowRules
