#include "foundation/models/MeetingDataModel.h"

#include "foundation/DateHelpers.h"
#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"
#include "foundation/RXEncrypt.h"
#include "foundation/StringHelpers.h"

#include <QStringList>

JX_REGISTER_MODEL(MeetingDataModel)
JX_REGISTER_MODEL(VeskUserModel)
JX_REGISTER_MODEL(MeetingFileAllowOpUserList)

namespace {

QString formatted(const QDateTime &date, const char *pattern)
{
    if (!date.isValid())
        return {};
    return StringFormatter::stringWithFormat(date, QString::fromUtf8(pattern));
}

} // namespace

MeetingDataModel MeetingDataModel::defaultModel()
{
    const ModelContext &context = ModelContext::current();
    MeetingDataModel m;
    m.roomName = QStringLiteral("%1创建的会议").arg(context.myUserName());
    m.beginTime = StringFormatter::defaultDateStringWithOutSecond(QDateTime::currentDateTime());
    m.duration = 120;
    m.cameraAllowStatus = 1;
    m.micAllowStatus = 1;
    m.creatorCameraStatus = context.autoCameraOn() ? 1 : 0;
    m.creatorMicrophoneStatus = context.autoMicphoneOn() ? 1 : 0;
    m.enableTransStatus = 1;
    m.openTranslateText = 1;
    m.enableRecordStatus = 1;
    m.roomWaitStatus = 0;
    m.cycleType = 0;
    m.isCycle = false;
    m.password = QStringLiteral("");
    m.onlyUpdateThisMeeting = true;
    m.uploadPermissionType = 2;
    m.sharePermission = 0;
    m.uploadFileAllowOpUserList.clear();
    m.isEdit = false;
    m.roomId = QString();
    return m;
}

bool MeetingDataModel::isSelf() const
{
    const QString me = ModelContext::current().myUserId();
    if (me.isEmpty() || creatorId.isEmpty())
        return false;
    return RXEncrypt::aes128ecbDecrypt(creatorId) == me;
}

QString MeetingDataModel::displayRoomId() const
{
    if (isCycle && !cycleRoomId.isEmpty())
        return cycleRoomId;
    return roomId;
}

QString MeetingDataModel::statusString() const
{
    switch (status) {
    case NotStarted:
        return QStringLiteral("未开始");
    case InProgress:
        return QStringLiteral("进行中");
    case Ended:
        return QStringLiteral("已结束");
    default:
        return {};
    }
}

QString MeetingDataModel::durationCN() const
{
    if (duration < 60)
        return QStringLiteral("%1分").arg(duration);
    if (duration % 60 == 0)
        return QStringLiteral("%1小时").arg(duration / 60);
    return QStringLiteral("%1小时%2分").arg(duration / 60).arg(duration % 60);
}

QDateTime MeetingDataModel::beginTimeDate() const
{
    return DateFromString::defaultDateWithOutSecondFromString(beginTime);
}

QDateTime MeetingDataModel::endTimeDate() const
{
    return DateFromString::defaultDateWithOutSecondFromString(endTime);
}

QString MeetingDataModel::beginTimeDateCN() const
{
    return formatted(beginTimeDate(), "yyyy年MM月dd日");
}

QString MeetingDataModel::endTimeDateCN() const
{
    return formatted(endTimeDate(), "yyyy年MM月dd日");
}

QString MeetingDataModel::beginTimeDate2() const
{
    return formatted(beginTimeDate(), "yyyy-MM-dd");
}

QString MeetingDataModel::endTimeDate2() const
{
    return formatted(endTimeDate(), "yyyy-MM-dd");
}

QString MeetingDataModel::beginTimeHourMinute() const
{
    return formatted(beginTimeDate(), "HH:mm");
}

QString MeetingDataModel::endTimeHourMinute() const
{
    return formatted(endTimeDate(), "HH:mm");
}

QString MeetingDataModel::invitedUrl() const
{
    return QStringLiteral("%1/#/home?rn=%2").arg(ModelContext::current().webBaseUrl(), displayRoomId());
}

namespace {
// A field of the invitation on its own line: a name or id with a line break in it must not add
// lines (a pasted copy would read a meeting number of the sender's choosing).
QString oneLine(QString field)
{
    for (QChar &c : field) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\v') || c == QLatin1Char('\f') ||
            c == QChar(0x85) || c == QChar(QChar::LineSeparator) || c == QChar(QChar::ParagraphSeparator))
            c = QLatin1Char(' ');
    }
    return field;
}
} // namespace

// The invitation text. Its wording is ours (the service does not read it); every field is
// written on its one line:
//   【Korvi会议邀请】
//   会议主题：<roomName>
//   会议号：<displayRoomId, grouped for reading>
//   会议密码：<password>          (only when there is a password)
//   开始时间：<beginTime>         (these two only when the time is known: a meeting
//   会议时长：<durationCN>         joined by number has none)
//   主持人：<creatorName>
//   会议链接：<invitedUrl>
QString MeetingDataModel::invitedMeetingContent() const
{
    QStringList lines;
    lines << QStringLiteral("【Korvi会议邀请】");
    lines << QStringLiteral("会议主题：%1").arg(oneLine(roomName));
    lines << QStringLiteral("会议号：%1").arg(oneLine(toDisplayMeetingId(displayRoomId())));
    if (!password.isEmpty())
        lines << QStringLiteral("会议密码：%1").arg(oneLine(password));
    if (!beginTime.isEmpty()) {
        lines << QStringLiteral("开始时间：%1").arg(oneLine(beginTime));
        lines << QStringLiteral("会议时长：%1").arg(oneLine(durationCN()));
    }
    lines << QStringLiteral("主持人：%1").arg(oneLine(creatorName));
    lines << QStringLiteral("会议链接：%1").arg(oneLine(invitedUrl()));
    return lines.join(QLatin1Char('\n'));
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingDataModel.cpp"
