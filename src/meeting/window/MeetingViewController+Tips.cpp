// Network, QoS and system tips, the member button's red dot; pop-overs are the panels' (panels()).
// A tip does nothing until the tips are built.

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
