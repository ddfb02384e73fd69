// The panels' methods of the window: member list, settings, applications, transcription, subtitles, chat, more menu.
// Bodies still to come are empty; each is listed in the header's section of this file.

#include "meeting/window/MeetingViewController.h"

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
void MeetingViewController::showOrHideIMVIew(VeskButton *) {}
void MeetingViewController::handleAllowSendIMMessage(const MeetingControlData &) {}
void MeetingViewController::disableIMAction(VeskButton *) {}
void MeetingViewController::resetItem(VeskButton *) {}
void MeetingViewController::showAllowMeetingRecordView() {}
void MeetingViewController::refreshAllowMeetingRecordView() {}
