#pragma once

#include <QString>
#include <QStringList>

// The settings window's own texts.
namespace SettingTexts {

inline const QString kWindowTitle = QStringLiteral("设置");

// Side bar, by tab type.
inline const QString kGeneral = QStringLiteral("常规设置");
inline const QString kVideo = QStringLiteral("视频设置");
inline const QString kAudio = QStringLiteral("音频设置");
inline const QString kSubtitles = QStringLiteral("字幕设置");
inline const QString kAccount = QStringLiteral("账号与安全");
inline const QString kAbout = QStringLiteral("关于我们");
inline const QString kMonitor = QStringLiteral("系统监控");

inline const QString kNetworkFailed = QStringLiteral("网络不给力，请稍后重试");

// General.
inline const QString kAutoCameraOn = QStringLiteral("创建会议时开启摄像头");
inline const QString kAutoMicphoneOn = QStringLiteral("创建会议时开启麦克风");
inline const QString kShowCurrentSpeaker = QStringLiteral("显示当前发言人");
inline const QString kCache = QStringLiteral("图片缓存");
inline const QString kCleanCache = QStringLiteral("清理缓存");
inline const QString kCleaned = QStringLiteral("清理成功");

// Subtitles.
inline const QString kFontSize = QStringLiteral("字幕字号");
inline const QString kFontLarge = QStringLiteral("大");
inline const QString kFontMiddle = QStringLiteral("中");
inline const QString kFontSmall = QStringLiteral("小");
inline const QString kSubTitleLanguage = QStringLiteral("字幕显示语言");
inline const QString kChinese = QStringLiteral("中文");
inline const QString kEnglish = QStringLiteral("English");
inline const QString kMyLanguage = QStringLiteral("我的发言语言");
inline const QString kMandarin = QStringLiteral("普通话");
inline const QString kEnglishSpoken = QStringLiteral("英语");
inline const QString kSichuan = QStringLiteral("四川话");
inline const QString kSampleChinese = QStringLiteral("字幕示例");
inline const QString kSampleEnglish = QStringLiteral("Example captions");
inline const QString kSample = QStringLiteral("预览");

// About.
inline const QString kVersionFormat = QStringLiteral("V%1");
inline const QString kCheckUpdate = QStringLiteral("检查更新");
inline const QString kInstructions = QStringLiteral("使用手册");
inline const QString kUploadLog = QStringLiteral("上传日志");
inline const QString kFeedback = QStringLiteral("意见反馈");
inline const QString kUserProtocol = QStringLiteral("用户协议");
inline const QString kPrivacyStrategy = QStringLiteral("隐私政策");
inline const QString kUploading = QStringLiteral("正在上传");
inline const QString kUploaded = QStringLiteral("上传成功");
inline const QString kPackFailed = QStringLiteral("打包失败,请稍后再试");
inline const QString kEngineFailed = QStringLiteral("应用异常,请稍后再试");
inline const QString kUploadTimedOut = QStringLiteral("上传超时,请稍后再试");
inline const QString kNotAuthorised = QStringLiteral("鉴权失败,请稍后再试");
inline const QString kUploadFailed = QStringLiteral("上传失败");

// Account.
inline const QString kUserName = QStringLiteral("用户名");
inline const QString kPhone = QStringLiteral("手机号");
inline const QString kModify = QStringLiteral("修改");
inline const QString kNamePlaceholder = QStringLiteral("2-20个中文或英文字符，不支持字符&、<、 >");
inline const QString kNameEmpty = QStringLiteral("用户名不能为空");
inline const QString kNameTooLong = QStringLiteral("不能超过20个字符");
inline const QString kNameTooShort = QStringLiteral("不能少于2个字符");
inline const QString kNameSpecial = QStringLiteral("不支持&、<、 >等特殊字符");
inline const QString kLoginDevices = QStringLiteral("登录设备");
inline const QString kDeviceTypeFormat = QStringLiteral("设备: %1");
inline const QString kLastLoginFormat = QStringLiteral("最后登陆时间: %1");
inline const QString kCurrentDevice = QStringLiteral("当前设备");
inline const QString kLogOut = QStringLiteral("退出登录");

// Audio.
inline const QString kMicrophone = QStringLiteral("麦克风");
inline const QString kSpeaker = QStringLiteral("扬声器");
inline const QString kVolume = QStringLiteral("音量");
inline const QString kInputLevel = QStringLiteral("输入等级");
inline const QString kOutputLevel = QStringLiteral("输出等级");
inline const QString kCheckMic = QStringLiteral("检测麦克风");
inline const QString kCheckSpeaker = QStringLiteral("检测扬声器");
inline const QString kStopCheck = QStringLiteral("停止检测");
inline const QString kNoPermission = QStringLiteral("未获取权限");
inline const QString kNoMicrophone = QStringLiteral("未检测到可用的麦克风，请检查设备是否正常后重试");
inline const QString kMicHelp = QStringLiteral("麦克风帮助");
inline const QString kSpeakerHelp = QStringLiteral("扬声器帮助");
inline const QString kMicHelpTitle = QStringLiteral("麦克风没有声音？");
inline const QString kSpeakerHelpTitle = QStringLiteral("扬声器没有声音？");
// The help pop-ups' hints; the speaker's end with the service's telephone number, set when the
// program is configured (KORVI_SERVICE_PHONE).
[[nodiscard]] QStringList speakerHelpLines();
// The first hint points to the desktop's own sound settings.
[[nodiscard]] QStringList micHelpLines();

// Video.
inline const QString kCamera = QStringLiteral("摄像头");
inline const QString kVideoMirror = QStringLiteral("视频镜像");
inline const QString kVideoFill = QStringLiteral("视频画面填充");
inline const QString kCameraPreview = QStringLiteral("摄像头预览");

// System monitor.
inline const QString kLossRate = QStringLiteral("丢包率");
inline const QString kDelay = QStringLiteral("延迟(ms)");
inline const QString kBitrate = QStringLiteral("码率(kbps)");
inline const QString kFps = QStringLiteral("帧率");
inline const QString kResolution = QStringLiteral("分辨率");
inline const QString kStreamOff = QStringLiteral("未开启");
inline const QString kUnnamedUser = QStringLiteral("用户");
inline const QString kMonitorOthers = QStringLiteral("其他成员");
// By stream kind: 0 microphone, 1 camera, 2 share.
[[nodiscard]] inline QString monitorTitle(qint64 type)
{
    static const QString titles[] = {QStringLiteral("麦克风"), QStringLiteral("摄像头"), QStringLiteral("共享画面")};
    return type >= 0 && type <= 2 ? titles[type] : QString();
}
[[nodiscard]] inline QString monitorEmpty(qint64 type)
{
    static const QString texts[] = {QStringLiteral("无人开启麦克风"), QStringLiteral("无人开启摄像头"),
                                    QStringLiteral("无人开启共享")};
    return type >= 0 && type <= 2 ? texts[type] : QString();
}

} // namespace SettingTexts
