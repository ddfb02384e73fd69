// The window's panel operations: member list, settings, applications, transcription, subtitles,
// chat, the more menu and the recording permission view. Each does nothing until its panel exists;
// then it forwards to the panel (panels().panel<T>()).

#include "meeting/window/MeetingViewController.h"

#include "meeting/panels/MemberListPanel.h"

void MeetingViewController::showOrHideMember(VeskButton *sender)
{
    m_panels->panel<MemberListPanel>().showOrHideMember(sender);
}
MemberListViewController *MeetingViewController::memberListViewController()
{
    return m_panels->panel<MemberListPanel>().memberListViewController();
}
void MeetingViewController::showSettingPage(int) {}
void MeetingViewController::hideSettingPage() {}
void MeetingViewController::showApplicationView(VeskButton *) {}
void MeetingViewController::handleSettingPageConfig() {}
void MeetingViewController::applicationStateSettingAction(QObject *) {}
void MeetingViewController::applicationStateRecover(int) {}
void MeetingViewController::showOrHiddeTranscriptionWindow(bool, bool) {}
void MeetingViewController::handleSubTitleChangeEvent(int, int) {}
void MeetingViewController::receiveSubTitle(const IMMessage &) {}
void MeetingViewController::receiveTextTransfer(const IMMessage &) {}
void MeetingViewController::showSubtitleViewAction(bool) {}
void MeetingViewController::showOrHideIMVIew(VeskButton *) {}
void MeetingViewController::handleAllowSendIMMessage(const MeetingControlData &) {}
void MeetingViewController::disableIMAction(VeskButton *) {}
void MeetingViewController::resetItem(VeskButton *) {}
void MeetingViewController::showAllowMeetingRecordView() {}
void MeetingViewController::refreshAllowMeetingRecordView() {}
