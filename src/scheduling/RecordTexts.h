#pragma once

#include <QString>

// The texts of the records page, the downloads, the meeting lists, the details window, the
// invitation card and the calendar step.
namespace RecordTexts {

// ---- Downloads ----------------------------------------------------------------------------
inline const QString kDownloading = QStringLiteral("正在下载中");
inline const QString kDownloadFailed = QStringLiteral("下载失败：%1-%2"); // code, the error's text
inline const QString kNoErrorObject = QStringLiteral("(null)");
inline const QString kCancel = QStringLiteral("取消");
inline const QString kReplace = QStringLiteral("替换");
inline const QString kReplaceQuestion = QStringLiteral("“%1”已存在，要替换它吗？");
inline const QString kSaveToLocal = QStringLiteral("保存文件到本地");
inline const QString kSaved = QStringLiteral("保存成功");
inline const QString kSaveFailed = QStringLiteral("保存失败");

// ---- Records page -------------------------------------------------------------------------
inline const QString kRecordVideos = QStringLiteral("云录制");
inline const QString kRecordDocuments = QStringLiteral("会议记录");
inline const QString kVideoTips = QStringLiteral("会议录制文件保存时长为30天 请及时查看并下载");
inline const QString kDocumentTips = QStringLiteral("会议记录文件保存时长为7天 请及时查看并下载");
inline const QString kVideoNameTitle = QStringLiteral("文件");
inline const QString kDocumentNameTitle = QStringLiteral("会议");
inline const QString kVideoTimeTitle = QStringLiteral("录制时间");
inline const QString kDocumentTimeTitle = QStringLiteral("记录生成时间");
inline const QString kSizeTitle = QStringLiteral("大小");
inline const QString kActionTitle = QStringLiteral("操作");
inline const QString kNoVideos = QStringLiteral("暂无录制文件");
inline const QString kNoDocuments = QStringLiteral("暂无会议记录");
inline const QString kDeleting = QStringLiteral("删除中");
inline const QString kVideoProcessing = QStringLiteral("录制文件处理中，请稍后重试");
inline const QString kDownload = QStringLiteral("下载");
inline const QString kDelete = QStringLiteral("删除");
inline const QString kDownloadOf = QStringLiteral("下载%1"); // accessible name: the entry's name
inline const QString kDeleteOf = QStringLiteral("删除%1");

// ---- Lists, details and the card ----------------------------------------------------------
inline const QString kUnfinished = QStringLiteral("未结束");
inline const QString kFinished = QStringLiteral("已结束");
inline const QString kAllMeetingsTitle = QStringLiteral("全部会议");
inline const QString kNoMeetings = QStringLiteral("暂无会议");
inline const QString kMeetingInfoTitle = QStringLiteral("会议详情");
inline const QString kJoin = QStringLiteral("加入会议");
inline const QString kEdit = QStringLiteral("修改会议");
inline const QString kCancelMeeting = QStringLiteral("取消会议");
inline const QString kEndMeeting = QStringLiteral("结束会议");
inline const QString kCopyInvite = QStringLiteral("复制邀请");
inline const QString kInviteCopied = QStringLiteral("会议邀请已复制");
inline const QString kInfoCopied = QStringLiteral("会议信息已复制");
inline const QString kMeetingId = QStringLiteral("会议号");
inline const QString kPassword = QStringLiteral("会议密码");
inline const QString kCreator = QStringLiteral("发起人");
inline const QString kBeginTime = QStringLiteral("开始时间");
inline const QString kLink = QStringLiteral("会议链接");
inline const QString kMembersCount = QStringLiteral("共 %1 人");
inline const QString kParticipants = QStringLiteral("%1人参与");
inline const QString kFilesLink = QStringLiteral("共%1个文件>");
inline const QString kFiles = QStringLiteral("共%1个文件");
inline const QString kMinutes = QStringLiteral("%1分钟");
inline const QString kHours = QStringLiteral("%1小时");
inline const QString kHoursMinutes = QStringLiteral("%1小时%2分钟");
inline const QString kDownloadMembers = QStringLiteral("下载参会人列表");
inline const QString kCloudRecords = QStringLiteral("云录制文件");
inline const QString kRecordDocument = QStringLiteral("会议记录");
inline const QString kSize = QStringLiteral("%1M");
inline const QString kClose = QStringLiteral("关闭");
inline const QString kRecurring = QStringLiteral("周期会议");

// ---- Calendar -----------------------------------------------------------------------------
inline const QString kCalendarTitle = QStringLiteral("Korvi会议");
inline const QString kCalendarNotes = QStringLiteral("点击url可快速入会");
inline const QString kNoCalendarAccess = QStringLiteral("未取得日历权限");
inline const QString kNotAuthorized = QStringLiteral("未授权");

} // namespace RecordTexts
