#pragma once

#include <QString>

// Every text the shell shows, in one place.
namespace ShellTexts {

// ---- Shared -------------------------------------------------------------------------------
inline const QString kNetworkError = QStringLiteral("网络不给力，请稍后重试");
inline const QString kCancel = QStringLiteral("取消");
inline const QString kConfirm = QStringLiteral("确定");
// Shown when the user quits while a meeting is open (quitting is refused).
inline const QString kQuitRefusedInMeeting = QStringLiteral("会议进行中，请先离开会议再退出");
// Shown on the login page when the service no longer accepts the sign-in and sent no text.
inline const QString kSignInExpired = QStringLiteral("登录已失效，请重新登录");

// ---- Login window ------------------------------------------------------------------------
inline const QString kLoginWindowTitle = QStringLiteral("Korvi 登录");
inline const QString kLoginTitle = QStringLiteral("欢迎使用 Korvi");
inline const QString kLoginSubtitle = QStringLiteral("手机号验证码登录，未注册的手机号验证后自动注册");
inline const QString kPhoneLabel = QStringLiteral("手机号");
inline const QString kPhonePlaceholder = QStringLiteral("请输入手机号");
inline const QString kCodeLabel = QStringLiteral("验证码");
inline const QString kCodePlaceholder = QStringLiteral("请输入验证码");
inline const QString kGetCode = QStringLiteral("获取验证码");
inline const QString kCountDown = QStringLiteral("%1秒后重新获取"); // seconds left
inline const QString kLoginButton = QStringLiteral("登录");
inline const QString kPhoneInvalid = QStringLiteral("请输入11位手机号");
inline const QString kCodeInvalid = QStringLiteral("请输入6位数字验证码");
inline const QString kSendingCode = QStringLiteral("正在发送验证码");
inline const QString kCodeSent = QStringLiteral("验证码已发送");
inline const QString kSigningIn = QStringLiteral("登录中");

// ---- Home window --------------------------------------------------------------------------
inline const QString kHomeWindowTitle = QStringLiteral("Korvi");
inline const QString kMeetingIdPlaceholder = QStringLiteral("请输入会议号");
inline const QString kJoinMeeting = QStringLiteral("加入会议");
inline const QString kQuickMeeting = QStringLiteral("快速会议");
inline const QString kScheduleMeeting = QStringLiteral("预约会议");
inline const QString kAllMeetings = QStringLiteral("全部会议");
inline const QString kRecords = QStringLiteral("会议记录");
inline const QString kHomeTab = QStringLiteral("首页");
inline const QString kInfoRow = QStringLiteral("详情");
inline const QString kInviteRow = QStringLiteral("邀请");
inline const QString kSettings = QStringLiteral("设置");
inline const QString kSignOut = QStringLiteral("退出登录");
inline const QString kComingLater = QStringLiteral("即将推出"); // tool tip of the disabled buttons
inline const QString kTodayMeetings = QStringLiteral("今日会议");
inline const QString kNoMeetingToday = QStringLiteral("今日暂无会议");
inline const QString kJoinRow = QStringLiteral("加入");
inline const QString kMeetingIdInvalid = QStringLiteral("请输入9-20位数字的会议号");
inline const QString kJoining = QStringLiteral("正在加入会议");
inline const QString kStartingQuickMeeting = QStringLiteral("正在创建会议");
inline const QString kPasswordTitle = QStringLiteral("请输入会议密码");
inline const QString kPasswordPlaceholder = QStringLiteral("会议密码");
inline const QString kPasswordEmpty = QStringLiteral("请输入会议密码");
inline const QString kMeetingLocked = QStringLiteral("主持人已锁定会议，暂时无法加入");
inline const QString kEnding = QStringLiteral("结束中");
inline const QString kCancelling = QStringLiteral("取消中");
inline const QString kCancelMeetingAsk = QStringLiteral("确定取消会议「%1」吗？");
inline const QString kCancelWholeSeries = QStringLiteral("同时取消该周期会议的全部场次");
inline const QString kCancelMeetingConfirm = QStringLiteral("取消会议");
inline const QString kKeepMeeting = QStringLiteral("暂不取消");
inline const QString kMeetingIdLine = QStringLiteral("会议号：%1");
// The offer of a copied invitation (room name, display id).
inline const QString kInvitationFound =
    QStringLiteral("检测到剪贴板中的会议邀请\n「%1」（会议号：%2）\n是否加入该会议？");

// ---- Version check ------------------------------------------------------------------------
inline const QString kUpToDate = QStringLiteral("当前已是最新版本");
inline const QString kNewVersionTitle = QStringLiteral("发现新版本 %1");
inline const QString kUpdateNow = QStringLiteral("立即更新");
inline const QString kUpdateLater = QStringLiteral("以后再说");

// ---- Meeting page -------------------------------------------------------------------------
inline const QString kInMeeting = QStringLiteral("会议中");

} // namespace ShellTexts
