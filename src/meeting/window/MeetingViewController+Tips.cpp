// Network, QoS and system tips, the member button's red dot, and how the pop-overs close (the
// panels room closes them together).

#include "meeting/window/MeetingViewController.h"

#include "agent/VeskMeetingManager.h"
#include "foundation/KVClock.h"
#include "foundation/KVMCommonUtil.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/SubtitleSettingView.h"
#include "meeting/window/KVSystemTip.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVFlatView.h"

namespace {

bool onScreen(const QWidget *view)
{
    return view && view->parentWidget() && !view->isHidden();
}

void setStateOff(MeetingBottomButton *button)
{
    if (button)
        button->setState(0);
}

} // namespace

void MeetingViewController::monitoringCpuUseAge()
{
    // The monitor is shared by the process: this window's block replaces an earlier window's.
    QPointer<MeetingViewController> weak(this);
    m_tips.monitorBlock = KVMCommonUtil::sharedInstance().beginMonitorCpuUseAge([weak](double cpu, double battery) {
        if (!weak)
            return;
        if (cpu > SystemTipRules::kHighCpuPercent)
            weak->showSystemTip(SystemTipRules::HighCpu);
        if (battery < SystemTipRules::kLowBatteryPercent)
            weak->showSystemTip(SystemTipRules::LowBattery);
    });
}

void MeetingViewController::endMonitoringCpuUseAge()
{
    KVMCommonUtil &monitor = KVMCommonUtil::sharedInstance();
    if (m_tips.monitorBlock && monitor.dropMonitorBlock(m_tips.monitorBlock))
        monitor.stopMonitorCpuAndBattery(true);
    m_tips.monitorBlock = 0;
}

void MeetingViewController::meetingNetWorkWarnning()
{
    showSystemTip(SystemTipRules::PoorNetwork);
}

void MeetingViewController::meetingQosWarnning()
{
    showSystemTip(SystemTipRules::OnlyAudio);
}

void MeetingViewController::showSystemTip(int style)
{
    if (!isViewLoaded())
        return;
    const VeskMeetingManager *manager = MeetingCurrent::manager();
    SystemTipRules::Context context;
    context.tipShown = m_tips.systemTip && m_tips.systemTip->parentWidget();
    context.notRemindHighCpuAgain = manager && manager->notRemindHighCpuAgain();
    context.noloogerShowNetWorkPopView = manager && manager->noloogerShowNetWorkPopView();
    context.now = double(KVClock::current().nowMs()) / 1000.0;
    if (!SystemTipRules::admit(style, m_tips.systemTipModel, context))
        return;

    if (style == SystemTipRules::OnlyAudio)
        hiddenSystemTip();
    if (style == SystemTipRules::LowBattery)
        KVMCommonUtil::sharedInstance().stopMonitorCpuAndBattery(false); // the processor is still watched
    const double bottom = (ui->bottomView ? ui->bottomView->height() : 0) + 10;
    KVSystemTip *tip = KVSystemTip::showTipWithStyle(style, view(), bottom);
    QPointer<MeetingViewController> weak(this);
    switch (style) {
    case SystemTipRules::HighCpu:
        tip->onNotRemindAgain = [](KVSystemTip *) {
            if (VeskMeetingManager *m = MeetingCurrent::manager())
                m->setNotRemindHighCpuAgain(true);
        };
        break;
    case SystemTipRules::PoorNetwork:
        tip->onNotRemindAgain = [](KVSystemTip *) {
            if (VeskMeetingManager *m = MeetingCurrent::manager())
                m->setNoloogerShowNetWorkPopView(true);
        };
        break;
    case SystemTipRules::OnlyAudio:
        tip->onNotRemindAgain = [weak](KVSystemTip *) {
            if (weak)
                weak->m_tips.systemTipModel.notRemindOnlyAudioWarning = true;
        };
        tip->onOpenOnlyAudioClick = [weak](KVSystemTip *) {
            if (!weak)
                return;
            weak->m_tips.systemTipModel.notRemindOnlyAudioWarning = true;
            weak->applicationStateSettingAction(ApplicationView::OnlyAudioTile);
        };
        break;
    default:
        break;
    }
    m_tips.systemTip = tip;
}

void MeetingViewController::hiddenSystemTip()
{
    if (auto *tip = qobject_cast<KVSystemTip *>(m_tips.systemTip.data()))
        tip->dismiss();
}

void MeetingViewController::ShowQosPanelAction(QObject *)
{
    showSettingPage(6); // the system-monitor tab with the live network statistics
}

void MeetingViewController::installPopOvers()
{
    using Slot = MeetingPanels::PopOverSlot;
    MeetingPanels &panels = *m_panels;
    panels.setPopOver(Slot::SubtitleSetting, {[&panels] { return panels.state().subtitleSettingView.data(); },
                                              [this, &panels] {
                                                  QWidget *view = panels.state().subtitleSettingView;
                                                  if (onScreen(view))
                                                      view->hide();
                                                  setStateOff(ui->subtitleSettingBtn);
                                              }});
    panels.setPopOver(Slot::AudioSelect,
                      {[&panels] { return panels.state().audioSelectView.data(); }, [this] { hideAudioSelectView(); }});
    panels.setPopOver(Slot::VideoSelect,
                      {[&panels] { return panels.state().videoSelectView.data(); }, [this] { hideVideoSelectView(); }});
    panels.setPopOver(Slot::ShareBottomPanel,
                      {[this] { return m_sharing->state().fileShareSpeedSwicthPanelBottom.data(); },
                       [this] {
                           QPointer<QWidget> &view = m_sharing->state().fileShareSpeedSwicthPanelBottom;
                           if (!onScreen(view))
                               return;
                           AutoLayout::removeConstraints(view);
                           view->hide();
                           view->deleteLater();
                           view = nullptr;
                           setStateOff(ui->shareSettingBtn);
                       }});
    panels.setPopOver(Slot::Application, {[&panels] { return panels.state().applicationView.data(); },
                                          [this, &panels] {
                                              ApplicationView *view = panels.state().applicationView;
                                              if (!onScreen(view))
                                                  return;
                                              // The panel's own pop-overs go first.
                                              view->hideAllOverViewsExceptView(nullptr);
                                              view->hide();
                                              setStateOff(ui->applicationBtn);
                                          }});
}

void MeetingViewController::hideOtherOverViewsExceptView(QWidget *view)
{
    m_panels->hideOtherOverViewsExceptView(view);
}

void MeetingViewController::handleFullScreenMouseDown(QMouseEvent *event)
{
    m_panels->handleFullScreenMouseDown(event);
}

void MeetingViewController::updateRedpoint(bool show)
{
    if (!ui->memberBtnRedDot)
        return;
    if (m_panels->state().isMemberListShow) {
        ui->memberBtnRedDot->hide();
        return;
    }
    if (show) {
        ui->memberBtnRedDot->show();
        return;
    }
    // Someone still waits: the dot stays.
    const VeskMeetingManager *manager = MeetingCurrent::manager();
    if (!manager || manager->waitRoomMemberArray().isEmpty())
        ui->memberBtnRedDot->hide();
}

// The manager's red-point callback has no effect in the meeting window (the waiting-room
// handling drives the dot through updateRedpoint).
void MeetingViewController::updateUIRedpoint(bool) {}
