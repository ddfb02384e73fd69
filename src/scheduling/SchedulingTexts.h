#pragma once

#include <QString>

// Every text the scheduling windows show, in one place.
namespace SchedulingTexts {

// ---- Shared -------------------------------------------------------------------------------
inline const QString kNetworkError = QStringLiteral("网络不给力，请稍后重试");
inline const QString kCancel = QStringLiteral("取消");
inline const QString kConfirm = QStringLiteral("确定");
inline const QString kComingLater = QStringLiteral("即将推出"); // tool tip of what comes later

// ---- Meeting form -------------------------------------------------------------------------
inline const QString kCreateTitle = QStringLiteral("创建会议");
inline const QString kEditTitle = QStringLiteral("修改会议");
inline const QString kSubjectPlaceholder = QStringLiteral("请输入会议主题");
inline const QString kSubjectEmpty = QStringLiteral("请输入会议主题");
inline const QString kPasswordPlaceholder = QStringLiteral("请输入3-6位数字密码");
inline const QString kPasswordInvalid = QStringLiteral("请输入3-6位数字密码");
inline const QString kFileCount = QStringLiteral("共%1个文件>");
inline const QString kSelectedCount = QStringLiteral("已选%1人");
inline const QString kDefaultSubject = QStringLiteral("%1创建的会议");

inline const QString kSubjectLabel = QStringLiteral("会议主题");
inline const QString kBeginLabel = QStringLiteral("开始时间");
inline const QString kDurationLabel = QStringLiteral("会议时长");
inline const QString kPeriodLabel = QStringLiteral("重复");
inline const QString kPeriodOnce = QStringLiteral("单次");
inline const QString kPeriodDaily = QStringLiteral("每天");
inline const QString kPeriodWeekly = QStringLiteral("每周");
inline const QString kInviteesLabel = QStringLiteral("参会人");
inline const QString kInviteeSearch = QStringLiteral("搜索并添加参会人");
inline const QString kShareMemberSearch = QStringLiteral("搜索并添加可共享成员");
inline const QString kSecurityLabel = QStringLiteral("会议安全");
inline const QString kPasswordBox = QStringLiteral("入会密码");
inline const QString kWaitingRoomBox = QStringLiteral("开启等候室");
inline const QString kEntryLabel = QStringLiteral("入会设置");
inline const QString kHostCameraBox = QStringLiteral("入会时开启主持人摄像头");
inline const QString kHostMicBox = QStringLiteral("入会时开启主持人麦克风");
inline const QString kMemberMicBox = QStringLiteral("允许成员自主开启麦克风");
inline const QString kMemberCameraBox = QStringLiteral("允许成员自主开启摄像头");
inline const QString kRecordingLabel = QStringLiteral("录制与纪要");
inline const QString kRecordBox = QStringLiteral("开启云录制");
inline const QString kTranscriptionBox = QStringLiteral("开启会议纪要");
inline const QString kMembersMayViewBox = QStringLiteral("允许成员查看会议纪要");
inline const QString kShareLabel = QStringLiteral("共享权限");
inline const QString kShareAll = QStringLiteral("全体成员可共享");
inline const QString kShareLimited = QStringLiteral("仅指定成员可共享");
inline const QString kShareMembersName = QStringLiteral("可共享成员");
inline const QString kFilesLabel = QStringLiteral("会议文件");
inline const QString kUploadAllowedBox = QStringLiteral("允许成员上传文件");
inline const QString kUploadFiles = QStringLiteral("上传文件");
inline const QString kCalendarBox = QStringLiteral("同步到日历");
inline const QString kSeriesText = QStringLiteral("这是一个周期会议");
inline const QString kSeriesSwitch = QStringLiteral("修改全部周期会议");
inline const QString kDateFieldName = QStringLiteral("开始时间：%1");     // accessible name
inline const QString kDurationFieldName = QStringLiteral("会议时长：%1"); // accessible name
inline const QString kRefetchInvitees = QStringLiteral("参会人尚未加载，请稍后重试");

// ---- Begin, duration and end -----------------------------------------------------------------
inline const QString kDuration15 = QStringLiteral("15分钟");
inline const QString kDuration30 = QStringLiteral("30分钟");
inline const QString kDuration45 = QStringLiteral("45分钟");
inline const QString kDuration60 = QStringLiteral("1小时");
inline const QString kDuration120 = QStringLiteral("2小时");
inline const QString kDuration180 = QStringLiteral("3小时");
inline const QString kChooseEnd = QStringLiteral("选择结束时间");
inline const QString kHoursMinutes = QStringLiteral("%1小时%2分钟");
inline const QString kHours = QStringLiteral("%1小时");
inline const QString kMinutes = QStringLiteral("%1分钟");
inline const QString kPleaseChoose = QStringLiteral("请选择");
inline const QString kNoLength = QStringLiteral("- -");
inline const QString kEndLabel = QStringLiteral("结束时间");
inline const QString kLengthLabel = QStringLiteral("会议时长");
inline const QString kClose = QStringLiteral("关闭");

// ---- Member picker and chips ---------------------------------------------------------------
inline const QString kNoSearchResult = QStringLiteral("未找到相关成员");
inline const QString kRemoveMember = QStringLiteral("移除%1"); // accessible name: the member's name
inline const QString kMore = QStringLiteral("...");
inline const QString kMoreMembers = QStringLiteral("更多成员");

// ---- Home page -----------------------------------------------------------------------------
inline const QString kUpdating = QStringLiteral("更新中");
inline const QString kCreating = QStringLiteral("创建会议中");
inline const QString kQuotaReached = QStringLiteral("您当日创建会议个数已超过上限（%1个),暂无法创建会议");

} // namespace SchedulingTexts
