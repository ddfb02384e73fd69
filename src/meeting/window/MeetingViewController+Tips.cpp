// Network, QoS and system tips, pop-over housekeeping, the member button's red dot.
// Bodies still to come are empty; each is listed in the header's section of this file.

#include "meeting/window/MeetingViewController.h"

void MeetingViewController::monitoringCpuUseAge() {}
void MeetingViewController::meetingNetWorkWarnning() {}
void MeetingViewController::meetingQosWarnning() {}
void MeetingViewController::showSystemTip(int) {}
void MeetingViewController::hiddenSystemTip() {}
void MeetingViewController::ShowQosPanelAction(QObject *) {}
void MeetingViewController::hideOtherOverViewsExceptView(QWidget *view)
{
    m_panels->hideOtherOverViewsExceptView(view);
}
void MeetingViewController::handleFullScreenMouseDown(QMouseEvent *event)
{
    m_panels->handleFullScreenMouseDown(event);
}
void MeetingViewController::updateRedpoint(bool) {}
// The manager's red-point callback has no effect in the meeting window (the waiting-room
// handling drives the dot through updateRedpoint).
void MeetingViewController::updateUIRedpoint(bool) {}
