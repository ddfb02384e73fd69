#include "meeting/window/MeetingTips.h"

#include "agent/VeskMeetingManager.h"
#include "foundation/KVClock.h"
#include "foundation/KVMCommonUtil.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/window/KVSystemTip.h"
#include "meeting/window/MeetingViewControllerUi.h"

#include <QWidget>

MeetingTips::MeetingTips(Ui::MeetingViewController &ui, WindowCalls window, QObject *parent)
    : QObject(parent), m_ui(ui), m_window(std::move(window))
{
}

void MeetingTips::monitoringCpuUseAge()
{
    // The monitor is shared by the process: this window's block replaces an earlier window's.
    QPointer<MeetingTips> weak(this);
    m_state.monitorBlock = KVMCommonUtil::sharedInstance().beginMonitorCpuUseAge([weak](double cpu, double battery) {
        if (!weak)
            return;
        if (cpu > SystemTipRules::kHighCpuPercent)
            weak->showSystemTip(SystemTipRules::HighCpu);
        if (battery < SystemTipRules::kLowBatteryPercent)
            weak->showSystemTip(SystemTipRules::LowBattery);
    });
}

void MeetingTips::endMonitoringCpuUseAge()
{
    KVMCommonUtil &monitor = KVMCommonUtil::sharedInstance();
    if (m_state.monitorBlock && monitor.dropMonitorBlock(m_state.monitorBlock))
        monitor.stopMonitorCpuAndBattery(true);
    m_state.monitorBlock = 0;
}

void MeetingTips::meetingNetWorkWarnning()
{
    showSystemTip(SystemTipRules::PoorNetwork);
}

void MeetingTips::meetingQosWarnning()
{
    showSystemTip(SystemTipRules::OnlyAudio);
}

void MeetingTips::showSystemTip(int style)
{
    QWidget *view = m_window.view();
    if (!view)
        return;
    const VeskMeetingManager *manager = MeetingCurrent::manager();
    SystemTipRules::Context context;
    context.tipShown = m_state.systemTip && m_state.systemTip->parentWidget();
    context.notRemindHighCpuAgain = manager && manager->notRemindHighCpuAgain();
    context.noloogerShowNetWorkPopView = manager && manager->noloogerShowNetWorkPopView();
    context.now = double(KVClock::current().nowMs()) / 1000.0;
    if (!SystemTipRules::admit(style, m_state.systemTipModel, context))
        return;

    if (style == SystemTipRules::OnlyAudio)
        hiddenSystemTip();
    if (style == SystemTipRules::LowBattery)
        KVMCommonUtil::sharedInstance().stopMonitorCpuAndBattery(false); // the processor is still watched
    const double bottom = (m_ui.bottomView ? m_ui.bottomView->height() : 0) + 10;
    KVSystemTip *tip = KVSystemTip::showTipWithStyle(style, view, bottom);
    QPointer<MeetingTips> weak(this);
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
                weak->m_state.systemTipModel.notRemindOnlyAudioWarning = true;
        };
        tip->onOpenOnlyAudioClick = [weak](KVSystemTip *) {
            if (!weak)
                return;
            weak->m_state.systemTipModel.notRemindOnlyAudioWarning = true;
            weak->m_window.openOnlyAudio();
        };
        break;
    default:
        break;
    }
    m_state.systemTip = tip;
}

void MeetingTips::hiddenSystemTip()
{
    if (auto *tip = qobject_cast<KVSystemTip *>(m_state.systemTip.data()))
        tip->dismiss();
}

void MeetingTips::ShowQosPanelAction(QObject *)
{
    m_window.showQosPanel();
}
