#pragma once

#include "foundation/models/FileSliceModel.h"
#include "foundation/models/MeetingControlData.h"

#include <QList>
#include <QString>
#include <QVariantList>

#include <optional>

// The window's decisions about the own devices and the host's commands on them.
namespace MeetingHostControlRules {

inline const QString kServerSender = QStringLiteral("mccServer");
inline const QString kEveryone = QStringLiteral("-1");

// ---- Texts ----
inline const QString kMicBanned = QStringLiteral("主持人不允许开麦");
inline const QString kCameraBanned = QStringLiteral("主持人不允许开摄像头");
inline const QString kSubtitlesBanned = QStringLiteral("主持人已关闭转录权限");
inline const QString kMicOpened = QStringLiteral("您的麦克风已开启");
inline const QString kMicClosedTip = QStringLiteral("您麦克风已关闭");
inline const QString kMicClosed = QStringLiteral("您的麦克风已关闭");
inline const QString kCameraOpened = QStringLiteral("您的摄像头已开启");
inline const QString kCameraClosed = QStringLiteral("您的摄像头已关闭");
inline const QString kSpeakerOn = QStringLiteral("您的扬声器已开启");
inline const QString kSpeakerOff = QStringLiteral("您的扬声器已关闭");
inline const QString kNoMicrophone = QStringLiteral("未检测到可用的麦克风，请检查设备是否正常后重试");
inline const QString kNoCamera = QStringLiteral("未检测到可用的摄像头，请检查设备是否正常后重试");
inline const QString kMicDeniedTitle = QStringLiteral("无法使用麦克风");
inline const QString kMicDeniedMessage = QStringLiteral("请在“设置”-“隐私”中开启麦克风使用权限，并重新启动程序");
inline const QString kMicDeniedOperationMessage =
    QStringLiteral("请在Mac的“设置-隐私与安全性-麦克风”中允许Korvi会议访问您的麦克风");
inline const QString kCameraDeniedTitle = QStringLiteral("无法使用摄像头");
inline const QString kCameraDeniedMessage = QStringLiteral("请在“设置”-“隐私”中开启摄像头使用权限，并重新启动程序");
inline const QString kCancel = QStringLiteral("取消");
inline const QString kGoToSettings = QStringLiteral("前往设置");
inline const QString kAllMicsClosed = QStringLiteral("主持人关闭了全员麦克风");
inline const QString kAllCamerasClosed = QStringLiteral("主持人关闭了全员摄像头");
inline const QString kMicForbidden = QStringLiteral("您已被禁止使用麦克风");
inline const QString kOpenRequest = QStringLiteral("%1请求开启您的麦克风");
inline const QString kHostTitle = QStringLiteral("主持人");
inline const QString kDontOpen = QStringLiteral("不开启");
inline const QString kOpen = QStringLiteral("开启");

// ---- Who the user is ----
struct Me {
    QString phoneNumber; // plain
    QString userId;
    bool isHost = false;
    bool isAssistantHost = false;
    [[nodiscard]] bool privileged() const { return isHost || isAssistantHost; }
};

// The command was sent by the signed-in user: its sender (decrypted when it is in the encrypted
// form) is the user's phone number or user id. The service is never the user.
[[nodiscard]] bool isFromMe(const QString &sender, const Me &me);
// The command addresses the user: peerId (decrypted when encrypted) is the user's phone number.
[[nodiscard]] bool addressesMe(const QString &peerId, const Me &me);

// ---- The host's bans on the tool-bar buttons ----
// The toast that refuses switching on, or "" when it is allowed: the room allows it or the
// user is privileged. Switching off is never refused.
[[nodiscard]] QString banToast(const QString &banText, bool roomAllows, const Me &me, bool switchingOn);

// ---- Microphone command (event 1) ----
enum class MicAction {
    None,
    HoldUntilInRoom, // a close for everyone before the room state: kept and applied at state 2
    CloseAll,        // everyone's microphone closed by the host
    CloseMine,       // the user's microphone closed by the host or the service
    AskToOpen,       // the request dialog
};
struct MicState {
    bool isMicOn = false;
    bool micDidOpen = false;
    qint64 stateMeeting = 0;
    bool alertShow = false;
};
[[nodiscard]] MicAction micAction(const MeetingControlData &data, const Me &me, const MicState &state);

// ---- Camera command (event 803) ----
enum class CameraAction { None, CloseAll, CloseMine };
struct CameraState {
    bool isCameraOn = false;
    bool currentCameraOn = false;
    qint64 stateMeeting = 0;
};
[[nodiscard]] CameraAction cameraAction(const MeetingControlData &data, const Me &me, const CameraState &state);

// The name the open request shows: "主持人" for the room's creator, else the sender's name.
[[nodiscard]] QString requesterName(const MeetingControlData &data, const QString &creatorId);

// ---- Shared files ----
// A page flip applies only when newer than everything sent or received, and in range.
[[nodiscard]] bool followApplies(quint64 sequenceId, quint64 lastReceived, quint64 lastSent);
// The index of the page with that slice id, or nullopt.
[[nodiscard]] std::optional<int> pageIndexForSlice(const QList<FileSliceModel> &slices, const QString &sliceId);
// A seek position in milliseconds as whole seconds.
[[nodiscard]] qint64 seekSeconds(qint64 seekPositionMs);
enum class RightsTarget { None, Document, AVFile };
[[nodiscard]] RightsTarget rightsTarget(int fileShareMode, const QString &commandFileId, const QString &documentFileId,
                                        const QString &avFileId);

// Sequence ids travel as JSON numbers: above 2^53 - 1 a double no longer holds them exactly, and a
// larger one would wrap once sent back. Records beyond it are refused; ours never pass it.
inline constexpr quint64 kMaxSequenceId = (quint64(1) << 53) - 1;
// The id a start or an entry announces, or 0 when it is out of range.
[[nodiscard]] quint64 announcedSequenceId(quint64 sequenceId);
// The id after this one, held at kMaxSequenceId.
[[nodiscard]] quint64 nextSequenceId(quint64 sequenceId);

// ---- Who may drive a shared file ----
// What a document or audio/video event asks of the file on show: a share started or switched
// (only the service announces those), ended or its rights changed (the service, the sharer, the
// hosts), or operated: a page, scroll, play, pause, seek or position (the service, the sharer, the
// hosts, and under rights 2 the members listed). A rights change names its file by id.
enum class SharedFileCommand { None, Start, Manage, Operate };
enum class SharedFileKind { Document, AVFile, Named };
struct SharedFileEvent {
    SharedFileCommand command = SharedFileCommand::None;
    SharedFileKind kind = SharedFileKind::Document;
};
[[nodiscard]] SharedFileEvent sharedFileEvent(qint64 event, int sharedFileStatus);
// The file on show as the rule reads it.
struct SharedFileOnShow {
    QString sharerId; // phone number or peer id, plain or encrypted
    int rights = 0;   // enableOperationFileStatus
    QVariantList enableUserList;
};
struct CommandSender {
    QString id; // the channel's sender, plain or encrypted
    bool service = false;
    bool hostOrAssistant = false;
};
[[nodiscard]] bool sharedFileSenderAllowed(SharedFileCommand command, const CommandSender &sender,
                                           const std::optional<SharedFileOnShow> &shown);

} // namespace MeetingHostControlRules
