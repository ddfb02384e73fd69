#include "meeting/common/MeetingWindowRules.h"

#include "foundation/StringHelpers.h"
#include "foundation/models/MeetingInfoModel.h"

#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>

namespace MeetingWindowRules {

QString waitingRoomTitle(const QString &roomName, const QString &roomId)
{
    return QStringLiteral("%1(%2)").arg(DataText::isolatedName(roomName), toDisplayMeetingId(roomId));
}

QString joinedTitle(const QString &roomName, const QString &roomId)
{
    return QStringLiteral("%1(%2)").arg(DataText::isolatedName(roomName), toDisplayMeetingId(roomId));
}

QString watermarkText(const QString &userName, const QString &phoneNumber)
{
    const QString tail = phoneNumber.size() == 11 ? phoneNumber.mid(7, 4) : QString();
    return QStringLiteral("%1 %2").arg(DataText::isolated(userName), tail);
}

ChatInputState chatInputState(bool privileged, bool imAllowStatus)
{
    if (privileged)
        return {imAllowStatus ? 0 : 1, true, kChatPlaceholder};
    if (imAllowStatus)
        return {0, true, kChatPlaceholder};
    return {1, false, kChatForbiddenPlaceholder};
}

ShareRestore shareRestore(const MeetingInfoModel &room, const QString &myPhoneNumber)
{
    ShareRestore r;
    r.userCanControl = room.allowOpFileShared == 1;
    switch (room.isSharingFiles) {
    case MeetingInfoModel::SharingDocument:
        r.document = true;
        r.fileShareMode = 1;
        break;
    case MeetingInfoModel::SharingVideoFile:
    case MeetingInfoModel::SharingAudioFile:
        r.audioVideo = true;
        r.fileShareMode = 2;
        r.fileType =
            room.isSharingFiles == MeetingInfoModel::SharingVideoFile ? QStringLiteral("2") : QStringLiteral("3");
        r.selfAVFileSharing = !myPhoneNumber.isEmpty() && room.sharedAudVidResp.userId == myPhoneNumber;
        r.avFileSharePlaying = !r.selfAVFileSharing;
        r.audioAnimationHidden = r.fileType == QStringLiteral("2");
        break;
    default:
        r.fileShareMode = 0;
        break;
    }
    return r;
}

Admission admission(bool successed, const QVariant &data)
{
    if (!successed)
        return Admission::KeepWaiting;
    bool ok = false;
    const int status = data.toMap().value(QStringLiteral("enterStatus")).toInt(&ok);
    if (!ok)
        return Admission::KeepWaiting;
    switch (status) {
    case 1:
        return Admission::Enter;
    case 2:
    case 4:
        return Admission::Removed;
    case 5:
        return Admission::Ended;
    default:
        return Admission::KeepWaiting;
    }
}

QString admissionToast(Admission a)
{
    switch (a) {
    case Admission::Removed:
        return kRemovedFromWaitingRoom;
    case Admission::Ended:
        return kMeetingEnded;
    default:
        return {};
    }
}

bool joinRefusalEndsWaiting(qint64 code)
{
    constexpr qint64 kNotFound = 404, kEnded = 453, kRemoved = 456;
    return code == kNotFound || code == kEnded || code == kRemoved;
}

QString joinRefusalText(const QString &message)
{
    return message.isEmpty() ? kNetworkErrorText : message;
}

StateReaction stateReaction(qint64 state)
{
    StateReaction r;
    switch (state) {
    case 1:
        r.banner = kJoiningBanner;
        break;
    case 2:
        r.refreshShareData = true;
        break;
    case 3:
        r.banner = kReconnectingBanner;
        r.pausePlayback = true;
        break;
    case 4:
        r.tip = kConnectFailedTip;
        r.leaveAfterDelay = true;
        break;
    default:
        break;
    }
    return r;
}

std::optional<QString> networkIconName(const QVariantMap &userInfo)
{
    const auto it = userInfo.constFind(QStringLiteral("NetworkState"));
    if (it == userInfo.constEnd())
        return std::nullopt;
    bool ok = false;
    const qint64 level = it->toLongLong(&ok);
    if (ok && level == 0)
        return QStringLiteral("top_signal_status_good");
    if (ok && level == 1)
        return QStringLiteral("top_signal_status_general");
    return QStringLiteral("top_signal_status_bad");
}

QString networkQualityText(const QString &iconName)
{
    if (iconName == QLatin1String("top_signal_status_good"))
        return QStringLiteral("良好");
    if (iconName == QLatin1String("top_signal_status_general"))
        return QStringLiteral("一般");
    return QStringLiteral("较差");
}

std::optional<qint64> seiSeconds(const QString &sei)
{
    if (sei.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double seconds = sei.toDouble(&ok);
    // Garbage must not move the playback position.
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds >= double(std::numeric_limits<qint64>::max() / 2))
        return std::nullopt;
    return qint64(std::floor(seconds));
}

std::optional<qint64> seiPlaybackPosition(const QString &sei, qint64 currentSeconds)
{
    const auto seconds = seiSeconds(sei);
    return seconds ? playbackPositionNear(*seconds, currentSeconds) : std::nullopt;
}

std::optional<qint64> playbackPositionNear(qint64 frameSeconds, qint64 currentSeconds)
{
    // The current position came from a control message and may be anything: compare without a
    // subtraction that could overflow (frame seconds are bounded well inside the range).
    if (frameSeconds < 0 || frameSeconds >= std::numeric_limits<qint64>::max() / 2 ||
        currentSeconds < frameSeconds - 9 || currentSeconds > frameSeconds + 9)
        return std::nullopt;
    return frameSeconds;
}

qint64 clampedPlaybackSeconds(qint64 seconds)
{
    return std::clamp<qint64>(seconds, 0, 1'000'000'000'000);
}

bool openCameraAtJoin(const MeetingInfoModel &room)
{
    return room.cameraStatus == 1 && room.cameraAllowStatus;
}

bool openMicrophoneAtJoin(const MeetingInfoModel &room)
{
    return room.microphoneStatus == 1 && room.micAllowStatus;
}

bool showsEndMeetingButton(const MeetingInfoModel &room, const QString &myUserId)
{
    return !myUserId.isEmpty() && room.creatorId == myUserId;
}

LeaveDialog leaveDialog(const QString &creatorId, const QString &myPhoneNumber)
{
    LeaveDialog d;
    d.message = kLeaveQuestion;
    d.creator = !myPhoneNumber.isEmpty() && creatorId == myPhoneNumber;
    if (d.creator) {
        d.cancelTitle = kEndMeetingTitle;
        d.confirmTitle = kLeaveMeetingTitle;
        d.redStyle = true;
    } else {
        d.cancelTitle = kCancelTitle;
        d.confirmTitle = kConfirmTitle;
    }
    return d;
}

bool isOtherDeviceReason(const QString &reason)
{
    return reason == kOtherDeviceReason;
}

QString roomClosedButtonTitle(const QString &reason)
{
    return isOtherDeviceReason(reason) ? kConfirmTitle : kGotItTitle;
}

namespace {

// Moved along one axis past every rectangle it covers, until it covers none.
QRect pushedPast(QRect frame, const QList<QRect> &keepClear, bool down)
{
    for (qsizetype round = 0; round <= keepClear.size(); ++round) {
        bool moved = false;
        for (const QRect &r : keepClear) {
            if (!r.isValid() || !frame.intersects(r))
                continue;
            if (down)
                frame.moveTop(r.bottom() + 1 + kSpeakerLabelGap);
            else
                frame.moveLeft(r.right() + 1 + kSpeakerLabelGap);
            moved = true;
        }
        if (!moved)
            break;
    }
    return frame;
}

} // namespace

QRect speakerLabelFrame(const QRect &home, const QList<QRect> &keepClear, const QRect &bounds)
{
    const QRect below = pushedPast(home, keepClear, true);
    if (bounds.isEmpty() || bounds.contains(below))
        return below;
    const QRect beside = pushedPast(home, keepClear, false);
    return bounds.contains(beside) ? beside : below;
}

} // namespace MeetingWindowRules
