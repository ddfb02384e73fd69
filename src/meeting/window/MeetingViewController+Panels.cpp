// The window's panel operations: member list, settings, applications, transcription, subtitles,
// chat, the more menu and the recording permission view. Each does nothing until its panel exists;
// then it forwards to the panel (panels().panel<T>()).

#include "meeting/window/MeetingViewController.h"

#include "meeting/panels/ChatPanel.h"

void MeetingViewController::showOrHideMember(VeskButton *) {}
void MeetingViewController::showSettingPage(int) {}
void MeetingViewController::showApplicationView(VeskButton *) {}
void MeetingViewController::handleSettingPageConfig() {}
void MeetingViewController::applicationStateSettingAction(QObject *) {}
void MeetingViewController::applicationStateRecover(int) {}
void MeetingViewController::showOrHiddeTranscriptionWindow(bool, bool) {}
void MeetingViewController::handleSubTitleChangeEvent(int, int) {}
void MeetingViewController::receiveSubTitle(const IMMessage &) {}
void MeetingViewController::receiveTextTransfer(const IMMessage &) {}
void MeetingViewController::showSubtitleViewAction(bool) {}

void MeetingViewController::showOrHideIMVIew(VeskButton *sender) { m_panels->panel<ChatPanel>().showOrHideIMVIew(sender); }
void MeetingViewController::handleAllowSendIMMessage(const MeetingControlData &data)
{
    m_panels->panel<ChatPanel>().handleAllowSendIMMessage(data);
}
void MeetingViewController::disableIMAction(VeskButton *sender) { m_panels->panel<ChatPanel>().disableIMAction(sender); }
void MeetingViewController::needChangeImAllowDisplay() { m_panels->panel<ChatPanel>().needChangeImAllowDisplay(); }
IMDisplayView *MeetingViewController::floatingIMDisplayView()
{
    return m_panels->panel<ChatPanel>().floatingIMDisplayView();
}

void MeetingViewController::resetItem(VeskButton *) {}
void MeetingViewController::showAllowMeetingRecordView() {}
void MeetingViewController::refreshAllowMeetingRecordView() {}
