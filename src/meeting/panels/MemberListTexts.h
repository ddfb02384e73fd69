#pragma once

#include <QString>

// The member list's texts.
namespace MemberListTexts {

inline const QString kMe = QStringLiteral("我");
inline const QString kHost = QStringLiteral("主持人");
inline const QString kAssistant = QStringLiteral("助理主持");
inline const QString kTagsFormat = QStringLiteral("（%1）");

inline const QString kJoinedTab = QStringLiteral("已入会(%1)");
inline const QString kWaitingTab = QStringLiteral("等候室(%1)");
inline const QString kTitle = QStringLiteral("成员管理(%1)");
inline const QString kSearchPlaceholder = QStringLiteral("搜索成员");
inline const QString kNoSuchUser = QStringLiteral("该用户不存在");
inline const QString kClose = QStringLiteral("关闭");

inline const QString kMuteAll = QStringLiteral("全员闭麦");
inline const QString kAllowSelfUnmute = QStringLiteral("允许成员自行开麦");
inline const QString kMore = QStringLiteral("更多");
inline const QString kCancel = QStringLiteral("取消");
inline const QString kRemove = QStringLiteral("移除");
inline const QString kAdmitAll = QStringLiteral("全部准入");
inline const QString kRemoveAll = QStringLiteral("全部移出");

// Row buttons (names for screen readers).
inline const QString kMicrophone = QStringLiteral("麦克风");
inline const QString kCamera = QStringLiteral("摄像头");
inline const QString kShare = QStringLiteral("共享权限");
inline const QString kMoreActions = QStringLiteral("更多操作");
inline const QString kTick = QStringLiteral("选中");
inline const QString kAdmit = QStringLiteral("准入");
inline const QString kMoveOut = QStringLiteral("移出");

// Host actions.
inline const QString kAskToOpenMicSent = QStringLiteral("已发起开麦请求等待成员确认");
inline const QString kAllMicsClosedMessage = QStringLiteral("主持人关闭了全员麦克风");
inline const QString kAllCamerasClosedMessage = QStringLiteral("主持人关闭了全员摄像头");
inline const QString kAssistantLimit = QStringLiteral("最多可设置2人为助理主持");
inline const QString kMoveToWaitingAsk = QStringLiteral("将%1移至等候室");
inline const QString kMovedToWaiting = QStringLiteral("已将%1移至等候室");
inline const QString kRemoveAsk = QStringLiteral("将%1移出会议");
inline const QString kRemoved = QStringLiteral("已将%1移出会议");
inline const QString kNoReEntry = QStringLiteral("不允许再次入会");
inline const QString kNobodyMicOn = QStringLiteral("当前无人开启麦克风");
inline const QString kMuteAllAsk = QStringLiteral("确认关闭全员的麦克风？");
inline const QString kNoSelfUnmute = QStringLiteral("不允许成员自行开启麦克风");
inline const QString kSelfUnmuteAllowed = QStringLiteral("已允许成员自行开麦");
inline const QString kNobodyCameraOn = QStringLiteral("当前无人开启摄像头");
inline const QString kCamerasOffAsk = QStringLiteral("确认关闭全员的摄像头？");
inline const QString kNoSelfCamera = QStringLiteral("不允许成员自行开启摄像头");
inline const QString kBatchRemoveAsk = QStringLiteral("确认将选中成员全部移出会议吗?");
inline const QString kNetworkFailure = QStringLiteral("网络不给力，请稍后重试");

// Menu.
inline const QString kMakeAssistant = QStringLiteral("设为助理主持");
inline const QString kWithdrawAssistant = QStringLiteral("取消助理主持");
inline const QString kMoveToWaitingRoom = QStringLiteral("移至等候室");
inline const QString kMoveOutOfMeeting = QStringLiteral("移出会议");

// Waiting room.
inline const QString kRemoveWaitingAsk = QStringLiteral("将%1移出等候室");
inline const QString kRemovedWaiting = QStringLiteral("已将%1移出等候室");
inline const QString kRemoveAllWaitingAsk = QStringLiteral("将所有人移除等候室吗?");

// The host "more" panel (each item text begins with five blanks).
inline const QString kCloseAllCameras = QStringLiteral("     全体关闭摄像头");
inline const QString kAllowMemberMic = QStringLiteral("     允许成员开启麦克风");
inline const QString kAllowMemberCamera = QStringLiteral("     允许成员开启摄像头");
inline const QString kOpenWaitingRoom = QStringLiteral("     开启等候室");
inline const QString kLockMeeting = QStringLiteral("     锁定会议");
inline const QString kExportMembers = QStringLiteral("     导出参会成员");
inline const QString kBatchRemove = QStringLiteral("     批量移除");
inline const QString kSelfCameraAllowed = QStringLiteral("已允许成员自行开摄像头");
inline const QString kWaitingRoomOn = QStringLiteral("已开启等候室\n新成员将进入等候室等候");
inline const QString kWaitingRoomOff = QStringLiteral("已关闭等候室\n新成员可加入");
inline const QString kLocked = QStringLiteral("会议已锁定\n新成员将无法加入");
inline const QString kUnlocked = QStringLiteral("会议已解锁\n新成员可加入");

} // namespace MemberListTexts
