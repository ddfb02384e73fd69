// The sharing operations of the window: each is the sharing room's (meeting/sharing).

#include "meeting/window/MeetingViewController.h"

void MeetingViewController::querySharePermission()
{
    m_sharing->querySharePermission();
}

void MeetingViewController::queryFileShareList(int from)
{
    m_sharing->queryFileShareList(from);
}

void MeetingViewController::queryAllShareFileInfo()
{
    m_sharing->queryAllShareFileInfo();
}

void MeetingViewController::setFileShareMode(int mode)
{
    m_sharing->setFileShareMode(mode);
}

void MeetingViewController::setCurrentPageNum(int page)
{
    m_sharing->setCurrentPageNum(page);
}

void MeetingViewController::scrollToItemAtIndex(int index)
{
    m_sharing->scrollToItemAtIndex(index);
}

void MeetingViewController::scrollToPosition(double position)
{
    m_sharing->scrollToPosition(position);
}

bool MeetingViewController::fileShareDisplayEnableScroll()
{
    return m_sharing->fileShareDisplayEnableScroll();
}

void MeetingViewController::stopScreenShare(bool force)
{
    m_sharing->stopScreenShare(force);
}

void MeetingViewController::controlScreenShareWithData(const MeetingControlData &data)
{
    m_sharing->controlScreenShareWithData(data);
}

void MeetingViewController::refreshShareDataIfNeeded()
{
    m_sharing->refreshShareDataIfNeeded();
}

void MeetingViewController::avFileShareRecvStream(const QString &peerId)
{
    m_sharing->avFileShareRecvStream(peerId);
}

void MeetingViewController::startAVFileShareTimer()
{
    m_sharing->startAVFileShareTimer();
}

void MeetingViewController::resumeAVFileShareTimer()
{
    m_sharing->resumeAVFileShareTimer();
}

void MeetingViewController::pauseAVFileShareTimer()
{
    m_sharing->pauseAVFileShareTimer();
}

void MeetingViewController::stopAVFileShareTimer(bool keepAnimation)
{
    m_sharing->stopAVFileShareTimer(keepAnimation);
}

void MeetingViewController::setAvFileSharePlayTimerCount(qint64 seconds)
{
    m_sharing->setAvFileSharePlayTimerCount(seconds);
}

void MeetingViewController::scrollViewDidScroll()
{
    m_sharing->scrollViewDidScroll();
}

void MeetingViewController::shareSelectPanelSwitchFile(const Notification &notification)
{
    m_sharing->shareSelectPanelSwitchFile(notification);
}

void MeetingViewController::sliderStartTracking(const Notification &notification)
{
    m_sharing->sliderStartTracking(notification);
}

void MeetingViewController::sliderStopTracking(const Notification &notification)
{
    m_sharing->sliderStopTracking(notification);
}

void MeetingViewController::addAudioRotationAnimationView()
{
    m_sharing->addAudioRotationAnimationView();
}

void MeetingViewController::showFloatingWindowMoreView(VeskButton *button)
{
    m_sharing->showFloatingWindowMoreView(button);
}

QWidget *MeetingViewController::floatingMediaView()
{
    return m_sharing->floatingMediaView();
}

QWidget *MeetingViewController::floatingMediaMiniView()
{
    return m_sharing->floatingMediaMiniView();
}

void MeetingViewController::sreenShareFloatingWindow()
{
    m_sharing->sreenShareFloatingWindow();
}
