#include "scheduling/CreateMeetingRules.h"

#include "foundation/StringHelpers.h"
#include "scheduling/SchedulingTexts.h"

#include <algorithm>
#include <limits>

namespace CreateMeetingRules {

MeetingFormControls controlsFromModel(const MeetingDataModel &model, const QString &formBegin, qint64 formDuration)
{
    MeetingFormControls c;
    c.subject = model.roomName.isEmpty() ? QString() : model.roomName;
    c.beginTime = model.beginTime.isEmpty() ? formBegin : model.beginTime;
    c.duration = model.duration >= 1 ? model.duration : formDuration;
    c.periodType = model.cycleType;
    c.passwordOn = !model.password.isEmpty();
    c.password = model.password;
    // Only 1 ticks a box; any other stored value shows it off.
    c.waitingRoom = model.roomWaitStatus == 1;
    c.hostCamera = model.creatorCameraStatus == 1;
    c.hostMicrophone = model.creatorMicrophoneStatus == 1;
    c.memberMicrophone = model.micAllowStatus == 1;
    c.memberCamera = model.cameraAllowStatus == 1;
    c.record = model.enableRecordStatus == 1;
    c.transcription = model.openTranslateText == 1;
    c.membersMayView = model.enableTransStatus == 1;
    c.shareLimited = model.sharePermission != 0;
    c.uploadAllowed = model.uploadPermissionType == 2;
    return c;
}

QString validate(const MeetingFormControls &controls)
{
    if (controls.subject.isEmpty())
        return SchedulingTexts::kSubjectEmpty;
    if (controls.passwordOn && !vesk::isValidPasswordNumber(controls.password))
        return SchedulingTexts::kPasswordInvalid;
    return {};
}

void syncToDataModel(const MeetingFormControls &c, MeetingDataModel &m)
{
    m.roomName = c.subject;
    m.beginTime = c.beginTime;
    m.duration = int(c.duration);
    m.cycleType = int(c.periodType);
    m.isCycle = c.periodType != 0;
    m.password = c.passwordOn ? c.password : QStringLiteral("");
    m.roomWaitStatus = c.waitingRoom ? 1 : 0;
    m.creatorCameraStatus = c.hostCamera ? 1 : 0;
    m.creatorMicrophoneStatus = c.hostMicrophone ? 1 : 0;
    m.micAllowStatus = c.memberMicrophone ? 1 : 0;
    m.cameraAllowStatus = c.memberCamera ? 1 : 0;
    m.enableRecordStatus = c.record ? 1 : 0;
    m.openTranslateText = c.transcription ? 1 : 0;
    m.enableTransStatus = c.transcription && c.membersMayView ? 1 : 0;
    m.sharePermission = c.shareLimited ? 1 : 0;
    m.allowShareList = c.shareLimited ? c.shareMembers : QList<VeskUserModel>();
    m.invitationList = c.members;
    m.uploadPermissionType = c.uploadAllowed ? 2 : 1;
}

RecurrenceLook recurrenceLook(bool isEdit, bool isCycle, bool onlyUpdateThisMeeting)
{
    RecurrenceLook look;
    const bool editingSeries = isEdit && isCycle;
    look.titleBarHeight = editingSeries ? kSeriesTitleBarHeight : kTitleBarHeight;
    look.seriesSwitchShown = editingSeries;
    look.periodLocked = editingSeries && onlyUpdateThisMeeting;
    look.periodAlpha = look.periodLocked ? 0.3 : 1.0;
    return look;
}

quint64 adjustedMemberCount(quint64 count, qsizetype before, qsizetype after)
{
    // In unsigned steps: the service's count may be any 64-bit number, and a signed sum could overflow.
    if (after >= before) {
        const quint64 up = quint64(after - before);
        return count > std::numeric_limits<quint64>::max() - up ? std::numeric_limits<quint64>::max() : count + up;
    }
    const quint64 down = quint64(before - after);
    return count < down ? 0 : count - down;
}

int memberFieldHeight(int lines)
{
    return lines < 2 ? kFieldOneLineHeight : kFieldTwoLinesHeight;
}

QString failureText(const KVMResponse &response)
{
    return response.message.isEmpty() ? SchedulingTexts::kNetworkError : response.message;
}

QSize initialContentSize(const QSize &visibleScreen)
{
    return clampedContentSize(kDesignSize, visibleScreen);
}

QSize clampedContentSize(const QSize &content, const QSize &visibleScreen)
{
    return {std::min(content.width(), visibleScreen.width() - kScreenWidthMargin),
            std::min(content.height(), visibleScreen.height() - kScreenHeightMargin)};
}

FormSizeResult updateScrollContentSize(const FormSizeInput &in)
{
    FormSizeResult out;
    const int bound = in.visibleScreen.height() - kScreenHeightMargin;
    const int widthBound = in.visibleScreen.width() - kScreenWidthMargin;
    // The title bar and the buttons around the scrolling part.
    const int chrome = std::max(0, in.view.height() - in.scrollViewHeight);
    int height = in.view.height();
    if (in.neededHeight > in.scrollViewHeight) {
        const int wanted = std::min(in.neededHeight + chrome, bound);
        if (wanted > in.view.height())
            height = wanted;
    } else if (in.view.height() > bound) {
        height = bound;
    }
    if (height != in.view.height())
        out.contentSize = QSize(std::min(in.view.width(), widthBound), height);
    const int scrollHeight = out.contentSize ? height - chrome : in.scrollViewHeight;
    out.documentHeight = std::max(in.neededHeight, scrollHeight);
    return out;
}

} // namespace CreateMeetingRules
