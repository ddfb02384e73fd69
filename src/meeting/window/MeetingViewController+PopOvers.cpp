// How the pop-overs close (the panels close them together) and the member button's red dot.

#include "meeting/window/MeetingViewController.h"

#include "agent/VeskMeetingManager.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/SubtitleSettingView.h"
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
