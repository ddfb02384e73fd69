// The window's sharing methods: share permission, documents, audio/video files, own screen share.
// Bodies still to come are empty; each is listed in the header's section of this file.

#include "meeting/window/MeetingViewController.h"
#include "meeting/window/MeetingWindowRules.h"

void MeetingViewController::querySharePermission() {}
void MeetingViewController::queryFileShareList(int) {}
void MeetingViewController::queryAllShareFileInfo() {}
void MeetingViewController::setFileShareMode(int) {}
void MeetingViewController::setCurrentPageNum(int) {}
void MeetingViewController::scrollToItemAtIndex(int) {}
void MeetingViewController::scrollToPosition(double) {}
void MeetingViewController::leftFlipOverAction(QObject *) {}
void MeetingViewController::rightFlipOverAction(QObject *) {}
bool MeetingViewController::fileShareDisplayEnableScroll()
{
    return false;
}
void MeetingViewController::stopScreenShare(bool) {}
void MeetingViewController::controlScreenShareWithData(const MeetingControlData &) {}
void MeetingViewController::prepareToShare(VeskButton *) {}
void MeetingViewController::refreshShareDataIfNeeded() {}
void MeetingViewController::avFileShareRecvStream(const QString &) {}
void MeetingViewController::startAVFileShareTimer() {}
void MeetingViewController::resumeAVFileShareTimer() {}
void MeetingViewController::pauseAVFileShareTimer() {}
void MeetingViewController::stopAVFileShareTimer(bool) {}
// Any thread (the render thread calls it): the position is an atomic. The time label and the
// slider follow on the main queue with the sharing work.
void MeetingViewController::setAvFileSharePlayTimerCount(qint64 seconds)
{
    m_avFileSharePlayTimerCount.store(MeetingWindowRules::clampedPlaybackSeconds(seconds));
}
void MeetingViewController::scrollViewDidScroll() {}
void MeetingViewController::shareSelectPanelSwitchFile(const Notification &) {}
void MeetingViewController::sliderStartTracking(const Notification &) {}
void MeetingViewController::sliderStopTracking(const Notification &) {}
void MeetingViewController::addAudioRotationAnimationView() {}
void MeetingViewController::showFloatingWindowMoreView(VeskButton *) {}
QWidget *MeetingViewController::floatingMediaView()
{
    return floatingMediaViewStorage;
}
QWidget *MeetingViewController::floatingMediaMiniView()
{
    return floatingMediaMiniViewStorage;
}
void MeetingViewController::sreenShareFloatingWindow() {}
