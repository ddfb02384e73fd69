// Count-downs in the meeting window.
// Bodies still to come are empty; each is listed in the header's section of this file.

#include "meeting/window/MeetingViewController.h"

void MeetingViewController::showHostCountDownView() {}
QWidget *MeetingViewController::hostCountDownView()
{
    return m_panels->state().hostCountDownViewStorage;
}
QWidget *MeetingViewController::hostCountStartView()
{
    return m_panels->state().hostCountStartViewStorage;
}
QWidget *MeetingViewController::respondCountDownView()
{
    return m_panels->state().respondCountDownViewStorage;
}
void MeetingViewController::countDownComming() {}
void MeetingViewController::countDownViewHadEnd() {}
void MeetingViewController::ringringDisplay() {}
