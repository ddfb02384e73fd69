// Count-downs in the meeting window. Their views are the panels' (lazy, null until built); the
// steps do nothing until the count-down views exist.

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
