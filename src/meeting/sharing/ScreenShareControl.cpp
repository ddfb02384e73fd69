#include "meeting/sharing/ScreenShareControl.h"

#include "agent/models/FileShareModel.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/StringHelpers.h"
#include "foundation/models/ShareTokenModel.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "meeting/sharing/ShareStartAnimationView.h"
#include "meeting/sharing/ShareTrack.h"
#include "uikit/KVAlert.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QEvent>

#include <chrono>

namespace {

template <typename F, typename... Args> void call(const F &f, Args &&...args)
{
    if (f)
        f(std::forward<Args>(args)...);
}

} // namespace

ScreenShareControl::ScreenShareControl(std::shared_ptr<ShareControlServices> services, WindowCalls window,
                                       QObject *parent)
    : QObject(parent), m_services(std::move(services)), m_window(std::move(window))
{
}

ScreenShareControl::~ScreenShareControl()
{
    // Nothing of this meeting's share may outlive it: no count-down completion, no ring.
    ShareStartAnimationView::remove();
    ShareTrack::stop();
    delete m_shareSelectPanel;
}

void ScreenShareControl::setOff(VeskButton *button)
{
    if (button)
        button->setState(0);
}

// ---- Starting -----------------------------------------------------------------------------------

void ScreenShareControl::prepareToShare(VeskButton *sender)
{
    ShareControlServices &s = *m_services;
    if (m_isPrepareScreenShare) {
        if (sender)
            sender->setState(1);
        return;
    }
    if (s.selfScreenOrWindowSharing() && sender && sender->state() == 0) {
        if (m_showShareView) {
            closePicker();
            m_showShareView = false;
        }
        stopScreenShare(false);
        m_isPrepareScreenShare = false;
        return;
    }
    if ((s.selfScreenOrWindowSharing() || s.selfFileSharing() || s.selfAVFileSharing()) && shareBtn())
        shareBtn()->setState(1);
    if (!s.allowFileShared()) {
        setOff(sender);
        m_isPrepareScreenShare = false;
        VeskToast::showToastInMeeting(QStringLiteral("主持人已关闭您的共享权限"));
        return;
    }
    if (s.screenCapturePermitted()) {
        m_isPrepareScreenShare = true;
        VeskToast::showLoadingToast(QStringLiteral("正在获取共享令牌"));
        QPointer<ScreenShareControl> weak(this);
        QPointer<VeskButton> button(sender);
        afterStops([weak, button] {
            // A stop answered meanwhile reset the controls: the start is still under way.
            weak->m_isPrepareScreenShare = true;
            if (button)
                button->setState(1);
            weak->m_services->getShareLock(weak, [weak, button](const KVMResponse &response) {
                if (weak)
                    weak->onShareLock(response, button);
            });
        });
        return;
    }
    setOff(shareBtn());
    KVAlert *alert = KVAlert::alertWithTitle(QStringLiteral("无法使用屏幕录制"),
                                             QStringLiteral("请在“设置”-“隐私”中开启屏幕录制权限，并重新启动程序"),
                                             QStringLiteral("取消"), QStringLiteral("前往设置"), nullptr, nullptr);
    alert->showInCenterOfWindow(view() ? view()->window() : nullptr);
}

void ScreenShareControl::withShareLock(std::function<void()> then)
{
    ShareControlServices &s = *m_services;
    if (s.selfScreenOrWindowSharing() || s.selfFileSharing() || s.selfAVFileSharing()) {
        then();
        return;
    }
    if (!s.allowFileShared()) {
        VeskToast::showToastInMeeting(QStringLiteral("主持人已关闭您的共享权限"));
        return;
    }
    if (m_lockForListInFlight)
        return;
    m_lockForListInFlight = true;
    QPointer<ScreenShareControl> weak(this);
    afterStops([weak, then = std::move(then)] {
        weak->m_services->getShareLock(weak, [weak, then](const KVMResponse &response) {
            if (!weak)
                return;
            weak->m_lockForListInFlight = false;
            if (response.successed && response.data.value<ShareTokenModel>().isCanShare) {
                then();
                return;
            }
            if (response.successed)
                VeskToast::showToast(
                    QStringLiteral("正在共享%1，您暂时无法共享")
                        .arg(weak->m_services->shareStyleIsFile() ? QStringLiteral("文件") : QStringLiteral("屏幕")));
            else
                VeskToast::showToast(response.message.isEmpty() ? QStringLiteral("网络不给力，请稍后重试")
                                                                : response.message);
        });
    });
}

void ScreenShareControl::onShareLock(const KVMResponse &response, const QPointer<VeskButton> &sender)
{
    VeskToast::dismissLoadingToast();
    const bool mayShare = response.successed && response.data.value<ShareTokenModel>().isCanShare;
    const bool screenOnShow = m_window.judgeSharing && m_window.judgeSharing();
    if (mayShare && !screenOnShow) {
        m_services->logShareStarted();
        showShareSelectView(sender);
        return;
    }
    m_isPrepareScreenShare = false;
    setOff(sender);
    if (response.successed) {
        VeskToast::showToast(
            QStringLiteral("正在共享%1，您暂时无法共享")
                .arg(m_services->shareStyleIsFile() ? QStringLiteral("文件") : QStringLiteral("屏幕")));
        return;
    }
    VeskToast::showToast(response.message.isEmpty() ? QStringLiteral("网络不给力，请稍后重试") : response.message);
    m_services->logShareLockFailure(response.message);
}

void ScreenShareControl::showShareSelectView(VeskButton *sender)
{
    const QList<DesktopCaptureSnapshotModel> screens = m_services->fetchDesktopScreenSnapshots();
    const QList<DesktopCaptureSnapshotModel> windows = m_services->fetchDesktopWidowSnapshots();
    m_fetchShareScreenDataFailed = screens.isEmpty();
    if (screens.isEmpty())
        KVTimer::singleShot(this, std::chrono::milliseconds(kNoScreensToastDelayMs),
                            [] { VeskToast::showToast(QStringLiteral("网络异常，请稍后重试")); });
    ShareSelectPanel *panel = shareSelectPanel();
    panel->setScreenArray(screens);
    panel->setWindowsArray(windows);
    QPointer<ScreenShareControl> weak(this);
    QPointer<VeskButton> button(sender);
    panel->closeSharePanelBlock = [weak, button](bool byCloseButton) {
        if (!weak)
            return;
        ScreenShareControl &self = *weak;
        self.m_isPrepareScreenShare = false;
        call(self.m_window.queryAllShareFileInfo);
        self.closePicker();
        self.m_showShareView = false;
        if (byCloseButton) {
            if (!self.m_services->selfFileSharing() && !self.m_services->selfAVFileSharing())
                setOff(button);
            self.releaseLockIgnoringAnswer();
        }
    };
    m_showShareView = true;
    m_pickerOpener = sender;
    placePicker();
    panel->reloadView();
    panel->show();
    panel->raise();
    panel->setFocus(Qt::OtherFocusReason);
}

ShareSelectPanel *ScreenShareControl::shareSelectPanel()
{
    if (m_shareSelectPanel)
        return m_shareSelectPanel;
    auto *panel = new ShareSelectPanel(view());
    panel->hide();
    panel->setDarkMode(true);
    panel->setCreatorName(m_services->creatorName());
    QPointer<ScreenShareControl> weak(this);
    panel->generalStartShareBlock = [weak](const DesktopCaptureSnapshotModel &model) {
        if (weak)
            weak->generalStart(model);
    };
    panel->fileShareStartShareBlock = [weak](const FileShareDatailModel &document) {
        if (!weak)
            return;
        weak->m_isPrepareScreenShare = false;
        call(weak->m_window.startFileShare, document);
    };
    // A start from a list, carried out by the picker out of sight, gives its lock back when it fails;
    // in the open picker the user may still choose another.
    panel->startFailedBlock = [weak] {
        if (!weak || weak->m_showShareView)
            return;
        const ShareControlServices &s = *weak->m_services;
        if (!s.selfScreenOrWindowSharing() && !s.selfFileSharing() && !s.selfAVFileSharing())
            weak->releaseLockIgnoringAnswer();
    };
    panel->mayStartBlock = [weak] {
        if (!weak)
            return false;
        if (weak->m_services->allowFileShared())
            return true;
        weak->closePicker();
        weak->refuseForbidden();
        return false;
    };
    panel->avFileShareStartShareBlock = [weak](const FileShareModel &file) {
        if (!weak)
            return;
        weak->m_isPrepareScreenShare = false;
        if (VeskButton *button = weak->shareBtn())
            button->setState(1);
        weak->m_services->setSelfAVFileSharing(true);
        call(weak->m_window.startAVFileShare, file);
    };
    m_shareSelectPanel = panel;
    return panel;
}

void ScreenShareControl::placePicker()
{
    QWidget *view = this->view();
    if (!m_shareSelectPanel || !view)
        return;
    if (m_watchedView != view) {
        m_watchedView = view;
        view->installEventFilter(this);
    }
    QRect frame(QPoint(), ShareSelectPanel::kSize);
    frame.moveCenter(view->rect().center());
    m_shareSelectPanel->setGeometry(frame);
}

void ScreenShareControl::closePicker()
{
    if (!m_shareSelectPanel)
        return;
    ShareSelectPanel *panel = m_shareSelectPanel;
    m_shareSelectPanel = nullptr;
    const bool hadFocus = panel->isAncestorOf(QApplication::focusWidget()) || panel->hasFocus();
    panel->hide();
    panel->deleteLater();
    // Focus goes back to the button that opened the picker.
    if (hadFocus && m_pickerOpener && m_pickerOpener->isVisible())
        m_pickerOpener->setFocus(Qt::OtherFocusReason);
}

void ScreenShareControl::generalStart(const DesktopCaptureSnapshotModel &model)
{
    // The host may have forbidden sharing while the picker was open.
    if (!m_services->allowFileShared()) {
        closePicker();
        refuseForbidden();
        return;
    }
    m_services->setSelfScreenOrWindowSharing(true);
    QPointer<ScreenShareControl> weak(this);
    ShareStartAnimationView::showStartAnimationInView(view(), [weak, model] {
        if (weak)
            weak->afterCountDown(model);
    });
    closePicker();
}

void ScreenShareControl::afterCountDown(const DesktopCaptureSnapshotModel &model)
{
    // A stop, a leave or the host's end during the count-down took the share back: nothing starts.
    if (!m_services->selfScreenOrWindowSharing())
        return;
    m_isPrepareScreenShare = false;
    if (!m_services->allowFileShared()) {
        refuseForbidden();
        return;
    }
    if (!ShareTrack::startWithModel(model)) {
        failStart();
        return;
    }
    // The manager refuses a room without a share size (stream level 0): as for a vanished window.
    const ShareControlServices::StartResult started = m_services->startDesktopShare(model);
    if (started == ShareControlServices::StartResult::Refused) {
        ShareTrack::stop();
        failStart();
        return;
    }
    // The portal's dialog is still open: the meeting window stays until the user chose.
    m_ownScreenSharePending = started == ShareControlServices::StartResult::Pending;
    if (!m_ownScreenSharePending)
        shareRuns();
}

void ScreenShareControl::shareStartedByEngine()
{
    if (std::exchange(m_ownScreenSharePending, false))
        shareRuns();
}

void ScreenShareControl::shareRuns()
{
    m_ownScreenShareRunning = true;
    if (VeskButton *finish = finishShareBtn())
        finish->show();
    endOwnFileShare();
    call(m_window.setFileShareMode, 0);
    call(m_window.openFloatingWindows);
}

// The screen replaces the user's own document or file share: the service ends that share too, or
// the others would stay on it. The lock stays with the screen share.
void ScreenShareControl::endOwnFileShare()
{
    ShareControlServices &s = *m_services;
    const int mode = m_window.fileShareMode ? m_window.fileShareMode() : 0;
    const auto ignore = [](const KVMResponse &) {};
    if (mode == 1 && s.selfFileSharing()) {
        call(m_window.closeFileSwitchPanel);
        if (const auto document = m_window.document ? m_window.document() : nullptr)
            s.stopFileShare(this, *document, ignore);
        s.setSelfFileSharing(false);
    } else if (mode == 2 && s.selfAVFileSharing()) {
        call(m_window.closeFileSwitchPanel);
        const auto file = m_window.avFile ? m_window.avFile() : nullptr;
        if (file && !file->fileId.isEmpty())
            s.stopAVFileShare(this, *file, ignore);
        call(m_window.avFileShareStopped);
        s.setSelfAVFileSharing(false);
    }
}

void ScreenShareControl::failStart()
{
    m_showShareView = false;
    m_services->setSelfScreenOrWindowSharing(false);
    VeskMeetingToast::showErrorTip(view(), QStringLiteral("屏幕共享失败，请重新选择共享内容"));
    setOff(shareBtn());
    releaseLockIgnoringAnswer();
}

void ScreenShareControl::refuseForbidden()
{
    m_showShareView = false;
    m_isPrepareScreenShare = false;
    m_services->setSelfScreenOrWindowSharing(false);
    setOff(shareBtn());
    VeskToast::showToastInMeeting(QStringLiteral("主持人已关闭您的共享权限"));
    releaseLockIgnoringAnswer();
}

void ScreenShareControl::releaseLockIgnoringAnswer()
{
    ++m_stopsInFlight;
    QPointer<ScreenShareControl> weak(this);
    m_services->releaseShareLock(this, [weak](const KVMResponse &) {
        if (weak)
            weak->stopAnswered();
    });
}

void ScreenShareControl::afterStops(std::function<void()> askForLock)
{
    if (m_stopsInFlight == 0) {
        askForLock();
        return;
    }
    m_afterStops.append(std::move(askForLock));
}

void ScreenShareControl::stopAnswered()
{
    if (--m_stopsInFlight > 0)
        return;
    const QList<std::function<void()>> waiting = std::exchange(m_afterStops, {});
    for (const std::function<void()> &askForLock : waiting)
        askForLock();
}

void ScreenShareControl::refreshShareDataIfNeeded()
{
    if (!m_fetchShareScreenDataFailed || !m_shareSelectPanel || !m_shareSelectPanel->parentWidget())
        return;
    const QList<DesktopCaptureSnapshotModel> screens = m_services->fetchDesktopScreenSnapshots();
    const QList<DesktopCaptureSnapshotModel> windows = m_services->fetchDesktopWidowSnapshots();
    if (!screens.isEmpty())
        m_fetchShareScreenDataFailed = false;
    m_shareSelectPanel->setScreenArray(screens);
    m_shareSelectPanel->setWindowsArray(windows);
    m_shareSelectPanel->reloadView();
}

// ---- Ending -------------------------------------------------------------------------------------

void ScreenShareControl::cancelCountDown()
{
    ShareStartAnimationView::remove();
    m_services->setSelfScreenOrWindowSharing(false);
    resetShareStatus();
    releaseLockIgnoringAnswer();
}

void ScreenShareControl::stopScreenShare(bool force)
{
    ShareControlServices &s = *m_services;
    if (!force && !s.selfScreenOrWindowSharing() && !s.selfFileSharing() && !s.selfAVFileSharing())
        return;
    // Nothing started yet: end it here, the lock goes back.
    if (ShareStartAnimationView::current() && s.selfScreenOrWindowSharing()) {
        cancelCountDown();
        return;
    }
    QPointer<ScreenShareControl> weak(this);
    // The file share has ended at the service: it ends here too, whatever the release answers.
    const auto releaseThenReset = [weak](const KVMResponse &stopped) {
        if (!weak)
            return;
        if (stopped.code == 0) {
            call(weak->m_window.avFileShareStopped);
            weak->resetShareStatus();
            weak->releaseLockIgnoringAnswer();
        }
        weak->stopAnswered();
    };
    const int mode = m_window.fileShareMode ? m_window.fileShareMode() : 0;
    if (mode == 1) {
        call(m_window.closeFileSwitchPanel);
        const auto document = m_window.document ? m_window.document() : nullptr;
        ++m_stopsInFlight;
        s.stopFileShare(this, document ? *document : FileShareDatailModel(), releaseThenReset);
        return;
    }
    if (mode == 2) {
        call(m_window.closeFileSwitchPanel);
        const auto file = m_window.avFile ? m_window.avFile() : nullptr;
        if (!file || file->fileId.isEmpty())
            return;
        ++m_stopsInFlight;
        s.stopAVFileShare(this, *file, releaseThenReset);
        return;
    }
    endThenRelease();
}

// A stop, whoever asks for it, ends the share here at once: a late or refused release must not
// leave a share running that its own controls can no longer end.
void ScreenShareControl::endThenRelease()
{
    localEnd();
    releaseLockIgnoringAnswer();
}

void ScreenShareControl::shareEndedByEngine(bool startFailed)
{
    // Refused or cancelled in the portal's dialog: nobody saw it, the meeting window never went.
    if (std::exchange(m_ownScreenSharePending, false)) {
        ShareTrack::stop();
        failStart();
        return;
    }
    // Only a share this control started and has not ended: a late report of an ended one changes nothing.
    if (!m_ownScreenShareRunning)
        return;
    localEnd();
    if (startFailed)
        VeskMeetingToast::showErrorTip(view(), QStringLiteral("屏幕共享失败，请重新选择共享内容"));
    // Nothing remains to keep: the lock goes back whatever the answer.
    releaseLockIgnoringAnswer();
}

// The order matters: the engine share and the ring go before the windows that accompany them.
void ScreenShareControl::localEnd()
{
    m_services->stopDesktopShare();
    ShareTrack::stop();
    call(m_window.closeShareWindows);
    resetShareStatus();
}

void ScreenShareControl::resetShareStatus()
{
    ShareStartAnimationView::remove();
    call(m_window.reloadGrid);
    setOff(shareBtn());
    if (VeskButton *finish = finishShareBtn())
        finish->hide();
    m_showShareView = false;
    call(m_window.hideFilePagePanel);
    m_services->setSelfFileSharing(false);
    m_services->setSelfAVFileSharing(false);
    m_services->setSelfScreenOrWindowSharing(false);
    call(m_window.setFileShareMode, 0);
    m_isPrepareScreenShare = false;
    m_ownScreenShareRunning = false;
    m_ownScreenSharePending = false;
}

void ScreenShareControl::closeScreenShare()
{
    ShareControlServices &s = *m_services;
    const auto file = m_window.avFile ? m_window.avFile() : nullptr;
    const auto document = m_window.document ? m_window.document() : nullptr;
    const bool memberScreen = m_window.memberScreenShareOnShow && m_window.memberScreenShareOnShow();
    const bool inControl = (file && file->userCanControl()) || (document && document->userCanControl()) ||
                           (memberScreen && (s.isHost() || s.asssitantHost()));
    const bool ownShare = s.selfScreenOrWindowSharing() || s.selfFileSharing() || s.selfAVFileSharing();
    stopScreenShare(inControl && !ownShare);
}

void ScreenShareControl::controlScreenShareWithData(const MeetingControlData &data)
{
    call(m_window.setMemberShareFlag, data.peerId, int(data.switchStatus));
    QPointer<ScreenShareControl> weak(this);
    MainQueue::async(this, [weak, data] {
        if (!weak || data.peerId != weak->m_services->myPhoneNumber())
            return;
        weak->stopScreenShare(true);
        weak->m_services->setSelfScreenOrWindowSharing(false);
        // The service itself (a change of who may share) gives no name: it acts for the host. Anyone
        // else is named, even without a name: an assistant host is not the host.
        const bool byHost =
            data.sender == weak->m_services->creatorId() || data.sender == MeetingHostControlRules::kServerSender;
        const QString who = byHost ? MeetingHostControlRules::kHostTitle : DataText::isolatedName(data.senderName);
        KVAlert *alert =
            KVAlert::alertWithMessage(QStringLiteral("%1结束了您的共享").arg(who), QStringLiteral("知道了"), nullptr);
        alert->showInCenterOfWindow(weak->view() ? weak->view()->window() : nullptr);
    });
}

void ScreenShareControl::querySharePermission(bool afterChange)
{
    if (!m_services->isHost() && !m_services->asssitantHost())
        return;
    if (m_listInFlight) {
        m_listAgain = m_listAgain || afterChange;
        return;
    }
    if (!afterChange && m_listAnsweredAtMs >= 0 && KVClock::current().nowMs() - m_listAnsweredAtMs < kFreshListMs)
        return;
    m_listInFlight = true;
    QPointer<ScreenShareControl> weak(this);
    m_services->queryAllowShareMemberList(this, [weak](const KVMResponse &response) {
        if (!weak)
            return;
        weak->m_listInFlight = false;
        weak->m_listAnsweredAtMs = response.code == 0 ? KVClock::current().nowMs() : -1;
        if (std::exchange(weak->m_listAgain, false)) {
            weak->querySharePermission(true);
            return;
        }
        if (response.code == 0) {
            // A fresh map, swapped in whole on the main thread: no reader sees it half filled.
            QMap<QString, MeetingMemberShareStatusModel> fresh;
            for (const MeetingMemberShareStatusModel &member :
                 jx_objectArrayWithKeyValuesArray<MeetingMemberShareStatusModel>(response.data))
                fresh.insert(member.userId, member);
            call(weak->m_window.setSharePermissionInfo, fresh);
        }
        call(weak->m_window.refreshShareBottomPanel);
    });
}

bool ScreenShareControl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedView && event->type() == QEvent::Resize)
        placePicker();
    return QObject::eventFilter(watched, event);
}
