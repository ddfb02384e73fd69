// The window's panels: how each panel that needs the window's views or calls is made
// (providePanels), and the panel operations other classes call on the window, each forwarding to
// its panel (panels().panel<T>()). The applications pop-over and the record switches are single
// views the window makes and wires here.

#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationServices.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/MeetingRecordSwitchView.h"
#include "meeting/panels/MemberListPanel.h"
#include "meeting/panels/SettingPagePanel.h"
#include "meeting/panels/SubtitlePanel.h"
#include "meeting/panels/TranscriptionPanel.h"
#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "uikit/KVFlatView.h"
#include "uikit/MacBaseWindowController.h"

#include <QLabel>

void MeetingViewController::providePanels()
{
    MeetingPanels &panels = *m_panels;
    // The views are read as a panel is made: panels are made after the build has made them.
    panels.provide<ChatPanel>([this](MeetingPanels &p) {
        return new ChatPanel(p, {ui->IMView, ui->IMChatTextView, ui->IMChatEnableButton}, {[this](QWidget *in) {
                                 return videoGrid() ? videoGrid()->nameBarRects(in) : QList<QRect>();
                             }});
    });
    panels.provide<MemberListPanel>([this](MeetingPanels &p) {
        return new MemberListPanel(p, {ui->memberListBtn, ui->memberLabel, ui->memberBtnRedDot.data()},
                                   {[this] { return m_sharing->state().screenShareTopWindowController.get(); }});
    });
    panels.provide<SettingPagePanel>([this](MeetingPanels &p) {
        return new SettingPagePanel(
            p, {ui->settingPageBtn},
            {[this](bool show) { showCurrentSpeakerView(show); },
             [this](SubtitleSettingModel *model, bool languageType) { handleSubTitleChangeEvent(model, languageType); },
             [this] { return activeMembers(); }, [this] { return avFileShareSourceModel(); },
             [this] { return screenShareSourceModel(); }});
    });
    panels.provide<SubtitlePanel>([this](MeetingPanels &p) {
        return new SubtitlePanel(
            p, {ui->subtitleBKView, ui->subtitileTextView, ui->subtitleTextViewWidth, ui->subtitleTextViewHeight});
    });
    panels.provide<TranscriptionPanel>([this](MeetingPanels &p) {
        return new TranscriptionPanel(p, {[this] {
                                          // The tile is off already when the pop-over was never made.
                                          if (m_panels->state().applicationView)
                                              applicationStateRecover(ApplicationView::TranscriptionTile);
                                      }});
    });
}

#include "uikit/KVPanelFocus.h"

void MeetingViewController::showOrHideMember(VeskButton *sender)
{
    m_panels->panel<MemberListPanel>().showOrHideMember(sender);
}
MemberListViewController *MeetingViewController::memberListViewController()
{
    return m_panels->panel<MemberListPanel>().memberListViewController();
}

ApplicationView *MeetingViewController::applicationView()
{
    QPointer<ApplicationView> &slot = m_panels->state().applicationView;
    if (!slot) {
        auto *panel = new ApplicationView();
        QPointer<MeetingViewController> weak(this);
        panel->transcriptionActionBlock = [weak](bool on) {
            if (!weak)
                return;
            weak->hideOtherOverViewsExceptView(nullptr);
            weak->showOrHiddeTranscriptionWindow(on, false);
        };
        panel->countDownActionBlock = [weak](bool) {
            if (!weak)
                return;
            // One count-down at a time: while one runs or the setter is up, the tile only stays on.
            if (weak->countDowns().busy()) {
                weak->resetCountDownUIState(true);
                return;
            }
            weak->hideOtherOverViewsExceptView(nullptr);
            weak->countDowns().showHostCountDownView();
        };
        QPointer<ApplicationView> guarded(panel);
        // Closing takes it out of the window with its sub-panels (their arrows off).
        m_panels->setPopOver(
            MeetingPanels::PopOverSlot::Application,
            {[guarded]() -> QWidget * { return guarded && guarded->parentWidget() ? guarded : nullptr; },
             [weak, guarded] {
                 if (!guarded || !guarded->parentWidget())
                     return;
                 guarded->hideAllOverViewsExceptView(nullptr);
                 guarded->removeFromSuperview();
                 if (weak && weak->ui->applicationBtn)
                     weak->ui->applicationBtn->setState(0);
             }});
        m_panels->keepView(panel);
        slot = panel;
    }
    return slot;
}

void MeetingViewController::showApplicationView(VeskButton *sender)
{
    if (!sender || !isViewLoaded())
        return;
    ApplicationView *panel = applicationView();
    if (sender->state() != 1) {
        panel->removeFromSuperview();
        return;
    }
    hideOtherOverViewsExceptView(panel);
    panel->setParent(view());
    panel->show();
    panel->raise();
    panel->layoutSelfWithView(sender);
    KVPanelFocus::openedBy(panel, sender);
}

void MeetingViewController::applicationStateSettingAction(int tile)
{
    applicationView()->applicationStateSettingAction(tile);
}

void MeetingViewController::applicationStateRecover(int tile)
{
    applicationView()->applicationStateRecover(tile);
}

void MeetingViewController::resetCountDownUIState(bool on)
{
    applicationView()->resetCountDownUIState(on ? 1 : 0);
}

void MeetingViewController::showSettingPage(int tab)
{
    m_panels->panel<SettingPagePanel>().showSettingPage(tab);
}
void MeetingViewController::hideSettingPage()
{
    m_panels->panel<SettingPagePanel>().hideSettingPage();
}
void MeetingViewController::handleSettingPageConfig()
{
    m_panels->panel<SettingPagePanel>().handleSettingPageConfig();
}

TranscriptionViewController *MeetingViewController::transcriptionView()
{
    return m_panels->panel<TranscriptionPanel>().transcriptionView();
}
MacBaseWindowController *MeetingViewController::transcriptionWindow()
{
    return m_panels->panel<TranscriptionPanel>().transcriptionWindow();
}
void MeetingViewController::showOrHiddeTranscriptionWindow(bool show, bool fromFloatingWindow)
{
    m_panels->panel<TranscriptionPanel>().showOrHiddeTranscriptionWindow(show, fromFloatingWindow);
}

SubtitleSettingView *MeetingViewController::subtitleSettingView()
{
    return m_panels->panel<SubtitlePanel>().subtitleSettingView();
}
void MeetingViewController::handleSubTitleChangeEvent(SubtitleSettingModel *model, bool languageType)
{
    m_panels->panel<SubtitlePanel>().handleSubTitleChangeEvent(model, languageType);
}
void MeetingViewController::receiveSubTitle(const IMMessage &message)
{
    m_panels->panel<SubtitlePanel>().receiveSubTitle(message);
}
void MeetingViewController::receiveTextTransfer(const IMMessage &message)
{
    m_panels->panel<SubtitlePanel>().receiveTextTransfer(message);
}
void MeetingViewController::showSubtitleViewAction(bool show)
{
    m_panels->panel<SubtitlePanel>().setShowSubtitleView(show);
}
void MeetingViewController::openOrColseSubtitleSettingView(VeskButton *sender)
{
    m_panels->panel<SubtitlePanel>().openOrColseSubtitleSettingView(sender);
}

void MeetingViewController::handleAllowSendIMMessage(const MeetingControlData &data)
{
    m_panels->panel<ChatPanel>().handleAllowSendIMMessage(data);
}
void MeetingViewController::needChangeImAllowDisplay()
{
    m_panels->panel<ChatPanel>().needChangeImAllowDisplay();
}
IMDisplayView *MeetingViewController::floatingIMDisplayView()
{
    return m_panels->panel<ChatPanel>().floatingIMDisplayView();
}

void MeetingViewController::showCurrentSpeakerView(bool show)
{
    if (m_speaker.currentSpeakerView)
        m_speaker.currentSpeakerView->setVisible(show);
}

MeetingRecordSwitchView *MeetingViewController::allowMeetingRecordView()
{
    MeetingPanels::State &state = m_panels->state();
    if (!state.allowMeetingRecordView) {
        const std::shared_ptr<ApplicationServices> services = ApplicationServices::meeting();
        auto *view = new MeetingRecordSwitchView();
        view->setSwitches(services->openTranslateText() != 0, services->roomTranscribeStatus() != 0);
        QPointer<MeetingViewController> weak(this);
        QPointer<MeetingRecordSwitchView> guarded(view);
        view->checkButtonClicked = [weak, guarded, services](VeskButton *box) {
            if (!guarded)
                return;
            // Meeting record changes the view's height: it is shown again at its new size.
            guarded->sendSwitches(box, services, [weak, services](bool on) {
                services->setOpenTranslateText(on ? 1 : 0);
                if (weak)
                    weak->refreshAllowMeetingRecordView();
            });
        };
        m_panels->keepView(view);
        state.allowMeetingRecordView = view;
        state.openTranscribeCheckBtn = view->openTranscribeCheckBtn;
        state.allowMemberViewRecordBtn = view->allowMemberViewRecordBtn;
    }
    return qobject_cast<MeetingRecordSwitchView *>(state.allowMeetingRecordView.data());
}
