// The service's cloud recording, and the local recorder's reports.

#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "connection/KVMResponse.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/window/MeetingMoreView.h"
#include "meeting/window/RecordStopAlertView.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVAlert.h"
#include "uikit/KVWorkspace.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

namespace {

const QString kRecordBanned = QStringLiteral("主持人关闭云录制权限");
const QString kRecordStarted = QStringLiteral("云录制已开启");
const QString kRecordStopped = QStringLiteral("云录制已停止");
const QString kNetworkError = QStringLiteral("网络不给力，请稍后重试");
const QString kLocalRecordFailed = QStringLiteral("录制失败");
const QString kLocalRecordSaved = QStringLiteral("录制已结束，视频为您保存到默认路径");
const QString kConfirm = QStringLiteral("确定");

void setStates(VeskButton *sender, MeetingBottomButton *recordButton, qint64 state)
{
    if (sender)
        sender->setState(state);
    if (recordButton)
        recordButton->setState(state);
}

} // namespace

void MeetingViewController::startOrStopRecord(VeskButton *sender)
{
    QPointer<VeskButton> button = sender ? sender : static_cast<VeskButton *>(ui->recordButton.data());
    if (!button || m_lifetime.meetingEnded)
        return;
    const bool on = button->state() == 1;
    // Starting needs the room's leave or a host's rights; a recording already running may always
    // be stopped, so a member's own recording never outlives a later ban.
    const auto room = MeetingCurrent::room();
    const QString ban = MeetingHostControlRules::banToast(kRecordBanned, room && room->enableRecordStatus == 1,
                                                          MeetingCurrent::me(), on);
    if (!ban.isEmpty()) {
        setStates(button, ui->recordButton, 0);
        VeskToast::showToastInMeeting(ban);
        return;
    }
    if (!on) {
        stopRecordAction(button);
        return;
    }
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return;
    QPointer<MeetingViewController> weak(this);
    agent->onRecordVideoCompletionBlock(this, [weak, button](const KVMResponse &reply) {
        if (!weak || weak->m_lifetime.meetingEnded)
            return;
        MeetingViewController *self = weak;
        if (reply.successed) {
            VeskToast::showToastInMeeting(kRecordStarted);
            if (self->ui->recordingTipContainer)
                self->ui->recordingTipContainer->show();
            setStates(nullptr, self->ui->recordButton, 1);
        } else {
            setStates(button, self->ui->recordButton, 0);
            VeskToast::showToastInMeeting(reply.message);
        }
    });
}

void MeetingViewController::stopRecordAction(QObject *sender)
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent || m_lifetime.meetingEnded)
        return;
    QPointer<VeskButton> button = qobject_cast<VeskButton *>(sender);
    QPointer<MeetingViewController> weak(this);
    agent->offRecordVideoCompletionBlock(this, [weak, button](const KVMResponse &reply) {
        if (!weak || weak->m_lifetime.meetingEnded)
            return;
        MeetingViewController *self = weak;
        if (!reply.successed) {
            // The recording goes on.
            setStates(button, self->ui->recordButton, 1);
            VeskToast::showToastInMeeting(reply.message.isEmpty() ? kNetworkError : reply.message);
            return;
        }
        self->showRecordStopAlert();
        setStates(button, self->ui->recordButton, 0);
        VeskToast::showToastInMeeting(kRecordStopped);
        if (self->ui->recordingTipContainer)
            self->ui->recordingTipContainer->hide();
    });
}

void MeetingViewController::showRecordStopAlert()
{
    if (!isViewLoaded())
        return;
    // One notice at a time: a later stop replaces one still on screen.
    if (auto *old = qobject_cast<RecordStopAlertView *>(m_recording.recordStopAlertView.data()))
        old->getItAction();
    auto *notice = new RecordStopAlertView(view());
    using A = KVLayoutConstraint::Attribute;
    // Under the top bar (it follows the bar when the bar slides away), against the right edge.
    AutoLayout::autoSetDimensionsToSize(notice, QSizeF(RecordStopAlertView::kWidth, RecordStopAlertView::kHeight));
    if (ui->topView)
        AutoLayout::autoPinEdge(notice, A::Top, A::Bottom, ui->topView, 10);
    else
        AutoLayout::autoPinEdgeToSuperviewEdge(notice, A::Top, 10);
    AutoLayout::autoPinEdgeToSuperviewEdge(notice, A::Trailing, 24);
    notice->raise();
    notice->show();
    m_recording.recordStopAlertView = notice;
}

void MeetingViewController::recordStart()
{
    if (auto *more = qobject_cast<MeetingMoreView *>(m_panels->state().moreView.data()))
        more->setIsRecord(true);
}

void MeetingViewController::recordFail(const QString &)
{
    if (auto *more = qobject_cast<MeetingMoreView *>(m_panels->state().moreView.data()))
        more->setIsRecord(false);
    m_recording.screenRecord.clear();
    if (isViewLoaded())
        VeskMeetingToast::showErrorTip(view(), kLocalRecordFailed);
}

void MeetingViewController::recordSuccess(const QUrl &fileURL)
{
    m_recording.screenRecord.clear();
    QPointer<MeetingViewController> weak(this);
    const QString path = fileURL.toLocalFile();
    const auto done = [weak, path] {
        if (!weak)
            return;
        if (weak->ui->recordingTipContainer)
            weak->ui->recordingTipContainer->hide();
        KVWorkspace::revealInFileViewer(path);
    };
    KVAlert *alert = KVAlert::alertWithMessage(kLocalRecordSaved, kConfirm, done, done);
    alert->setObjectName(QStringLiteral("recordSavedAlert"));
    alert->showInCenterOfWindow(isViewLoaded() ? view()->window() : nullptr);
}
