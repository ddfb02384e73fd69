// The window's panel operations: member list, settings, applications, transcription, subtitles,
// chat, the more menu and the recording permission view. Each does nothing until its panel exists;
// then it forwards to the panel (panels().panel<T>()).

#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/models/MeetingInfoModel.h"
#include "uikit/VeskToast.h"

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
// Chat forbidden or allowed for everybody: the room's flag, and the host's notice when chat is
// now forbidden. The chat input follows the room once the chat panel is built.
void MeetingViewController::handleAllowSendIMMessage(const MeetingControlData &data)
{
    if (data.peerId != QLatin1String("-1"))
        return;
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    VeskMeetingManager *manager = agent ? agent->meetingManager() : nullptr;
    const auto room = manager ? manager->roomInfo() : nullptr;
    if (!room)
        return;
    room->imForbid = data.switchStatus == 0;
    if (room->imForbid && !data.imForbidMsg.isEmpty())
        VeskToast::showToastInMeetingFiveSecond(data.imForbidMsg);
}
void MeetingViewController::disableIMAction(VeskButton *) {}
void MeetingViewController::resetItem(VeskButton *) {}
void MeetingViewController::showAllowMeetingRecordView() {}
void MeetingViewController::refreshAllowMeetingRecordView() {}
