// The window's panel operations: member list, settings, applications, transcription, subtitles,
// chat, the more menu and the recording permission view. Each does nothing until its panel exists;
// then it forwards to the panel (panels().panel<T>()).

#include "meeting/window/MeetingViewController.h"

#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/SettingPagePanel.h"
#include "meeting/panels/SubtitlePanel.h"
#include "meeting/panels/TranscriptionPanel.h"

void MeetingViewController::showOrHideMember(VeskButton *) {}
void MeetingViewController::showSettingPage(int tab) { m_panels->panel<SettingPagePanel>().showSettingPage(tab); }
void MeetingViewController::hideSettingPage() { m_panels->panel<SettingPagePanel>().hideSettingPage(); }
void MeetingViewController::handleSettingPageConfig() { m_panels->panel<SettingPagePanel>().handleSettingPageConfig(); }
void MeetingViewController::showApplicationView(VeskButton *) {}
void MeetingViewController::applicationStateSettingAction(QObject *) {}
void MeetingViewController::applicationStateRecover(int) {}

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

void MeetingViewController::showCurrentSpeakerView(bool show)
{
    if (m_tips.currentSpeakerView)
        m_tips.currentSpeakerView->setVisible(show);
}

void MeetingViewController::resetItem(VeskButton *) {}
void MeetingViewController::showAllowMeetingRecordView() {}
void MeetingViewController::refreshAllowMeetingRecordView() {}
