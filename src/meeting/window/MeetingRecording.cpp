#include "meeting/window/MeetingRecording.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/VeskScreenRecord.h"
#include "connection/KVMResponse.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/window/MeetingMoreView.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "meeting/window/RecordStopAlertView.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVAlert.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWorkspace.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QUrl>
#include <QWidget>

namespace {

const QString kRecordBanned = QStringLiteral("主持人关闭云录制权限");
const QString kRecordStarted = QStringLiteral("云录制已开启");
const QString kRecordStopped = QStringLiteral("云录制已停止");
const QString kNetworkError = QStringLiteral("网络不给力，请稍后重试");
const QString kLocalRecordFailed = QStringLiteral("录制失败");
const QString kLocalRecordSaved = QStringLiteral("录制已结束，视频为您保存到默认路径");
const QString kConfirm = QStringLiteral("确定");

MeetingRecording::RecorderFactory &recorderFactory()
{
    static MeetingRecording::RecorderFactory factory;
    return factory;
}

void setStates(VeskButton *sender, MeetingBottomButton *recordButton, qint64 state)
{
    if (sender)
        sender->setState(state);
    if (recordButton)
        recordButton->setState(state);
}

} // namespace

MeetingRecording::RecorderFactoryScope::RecorderFactoryScope(RecorderFactory factory)
{
    recorderFactory() = std::move(factory);
}

MeetingRecording::RecorderFactoryScope::~RecorderFactoryScope()
{
    recorderFactory() = nullptr;
}

MeetingRecording::MeetingRecording(Ui::MeetingViewController &ui, WindowCalls window, QObject *parent)
    : QObject(parent), m_ui(ui), m_window(std::move(window))
{
}

void MeetingRecording::openOrCloseMoreView(VeskButton *sender)
{
    QWidget *view = m_window.view();
    if (m_state.moreView || !view || m_window.meetingEnded()) {
        closeMoreView();
        return;
    }
    auto *more = new MeetingMoreView(view);
    more->shotWindow = view->window();
    auto *running = qobject_cast<VeskScreenRecord *>(m_state.screenRecord.data());
    more->setIsRecord(running && running->isRecord());
    QPointer<MeetingRecording> weak(this);
    more->recordBlock = [weak](bool on) {
        if (weak)
            weak->screenRecord(on);
    };
    more->closedBlock = [weak] {
        if (weak)
            weak->closeMoreView();
    };
    m_state.moreView = more;
    more->layoutSelfWithView(m_ui.recordButton);
    if (sender)
        sender->setState(1);
    KVPanelFocus::presented(more, sender, [weak] {
        if (weak)
            weak->closeMoreView();
    });
}

void MeetingRecording::closeMoreView()
{
    if (m_ui.selectRecordBtn)
        m_ui.selectRecordBtn->setState(0);
    QWidget *more = m_state.moreView;
    m_state.moreView.clear();
    if (!more)
        return;
    AutoLayout::removeConstraints(more);
    more->hide();
    more->deleteLater();
}

void MeetingRecording::screenRecord(bool on)
{
    auto *running = qobject_cast<VeskScreenRecord *>(m_state.screenRecord.data());
    if (!on) {
        if (running)
            running->stop(); // recordSuccess: or recordFail: follows
        return;
    }
    if (m_window.meetingEnded())
        return;
    // One recorder at a time: a running one ignores the start, one still waiting for the
    // portal's dialog goes on waiting.
    if (!running) {
        running = recorderFactory() ? recorderFactory()(this) : new VeskScreenRecord(this);
        running->setDelegate(m_window.recordDelegate);
        m_state.screenRecord = running;
    }
    running->start();
}

void MeetingRecording::dropRecorder()
{
    // Its report may still be on the stack: gone once it returned.
    if (QObject *recorder = m_state.screenRecord.data())
        recorder->deleteLater();
    m_state.screenRecord.clear();
}

void MeetingRecording::startOrStopRecord(VeskButton *sender)
{
    QPointer<VeskButton> button = sender ? sender : static_cast<VeskButton *>(m_ui.recordButton.data());
    if (!button || m_window.meetingEnded())
        return;
    const bool on = button->state() == 1;
    // Starting needs the room's leave or a host's rights; a recording already running may always
    // be stopped, so a member's own recording never outlives a later ban.
    const auto room = MeetingCurrent::room();
    const QString ban = MeetingHostControlRules::banToast(kRecordBanned, room && room->enableRecordStatus == 1,
                                                          MeetingCurrent::me(), on);
    if (!ban.isEmpty()) {
        setStates(button, m_ui.recordButton, 0);
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
    QPointer<MeetingRecording> weak(this);
    agent->onRecordVideoCompletionBlock(this, [weak, button](const KVMResponse &reply) {
        if (!weak || weak->m_window.meetingEnded())
            return;
        MeetingRecording *self = weak;
        if (reply.successed) {
            VeskToast::showToastInMeeting(kRecordStarted);
            if (self->m_ui.recordingTipContainer)
                self->m_ui.recordingTipContainer->show();
            setStates(nullptr, self->m_ui.recordButton, 1);
        } else {
            setStates(button, self->m_ui.recordButton, 0);
            VeskToast::showToastInMeeting(reply.message);
        }
    });
}

void MeetingRecording::stopRecordAction(QObject *sender)
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent || m_window.meetingEnded())
        return;
    QPointer<VeskButton> button = qobject_cast<VeskButton *>(sender);
    QPointer<MeetingRecording> weak(this);
    agent->offRecordVideoCompletionBlock(this, [weak, button](const KVMResponse &reply) {
        if (!weak || weak->m_window.meetingEnded())
            return;
        MeetingRecording *self = weak;
        if (!reply.successed) {
            // The recording goes on.
            setStates(button, self->m_ui.recordButton, 1);
            VeskToast::showToastInMeeting(reply.message.isEmpty() ? kNetworkError : reply.message);
            return;
        }
        self->showRecordStopAlert();
        setStates(button, self->m_ui.recordButton, 0);
        VeskToast::showToastInMeeting(kRecordStopped);
        if (self->m_ui.recordingTipContainer)
            self->m_ui.recordingTipContainer->hide();
    });
}

void MeetingRecording::showRecordStopAlert()
{
    QWidget *view = m_window.view();
    if (!view)
        return;
    // One notice at a time: a later stop replaces one still on screen.
    if (auto *old = qobject_cast<RecordStopAlertView *>(m_state.recordStopAlertView.data()))
        old->getItAction();
    auto *notice = new RecordStopAlertView(view);
    using A = KVLayoutConstraint::Attribute;
    // Under the top bar (it follows the bar when the bar slides away), against the right edge.
    AutoLayout::autoSetDimensionsToSize(notice, QSizeF(RecordStopAlertView::kWidth, RecordStopAlertView::kHeight));
    if (m_ui.topView)
        AutoLayout::autoPinEdge(notice, A::Top, A::Bottom, m_ui.topView, 10);
    else
        AutoLayout::autoPinEdgeToSuperviewEdge(notice, A::Top, 10);
    AutoLayout::autoPinEdgeToSuperviewEdge(notice, A::Trailing, 24);
    notice->raise();
    notice->show();
    m_state.recordStopAlertView = notice;
}

void MeetingRecording::recordStart()
{
    if (auto *more = qobject_cast<MeetingMoreView *>(m_state.moreView.data()))
        more->setIsRecord(true);
}

void MeetingRecording::recordFail(const QString &)
{
    if (auto *more = qobject_cast<MeetingMoreView *>(m_state.moreView.data()))
        more->setIsRecord(false);
    dropRecorder();
    if (QWidget *view = m_window.view())
        VeskMeetingToast::showErrorTip(view, kLocalRecordFailed);
}

void MeetingRecording::recordSuccess(const QUrl &fileURL)
{
    // Also when the recording ended by itself (the desktop ended the screen) with the menu open.
    if (auto *more = qobject_cast<MeetingMoreView *>(m_state.moreView.data()))
        more->setIsRecord(false);
    dropRecorder();
    QPointer<MeetingRecording> weak(this);
    const QString path = fileURL.toLocalFile();
    // The cloud recording's mark stays as the cloud recording is: members rely on it.
    const auto done = [weak, path] {
        if (weak)
            KVWorkspace::revealInFileViewer(path);
    };
    KVAlert *alert = KVAlert::alertWithMessage(kLocalRecordSaved, kConfirm, done, done);
    alert->setObjectName(QStringLiteral("recordSavedAlert"));
    QWidget *view = m_window.view();
    alert->showInCenterOfWindow(view ? view->window() : nullptr);
}
