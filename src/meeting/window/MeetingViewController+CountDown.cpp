// Count-downs in the meeting window. The three views are made on first use and kept while the
// window lives; the steps of the count-down do nothing until they are built.

#include "meeting/panels/HostCountDownStartView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/RespondCountDownView.h"
#include "meeting/window/MeetingViewController.h"

void MeetingViewController::showHostCountDownView() {}

HostCountDownView *MeetingViewController::hostCountDownView()
{
    QPointer<QWidget> &slot = m_panels->state().hostCountDownViewStorage;
    if (!slot) {
        auto *view = new HostCountDownView();
        view->setGeometry(0, 0, HostCountDownView::kWidth, HostCountDownView::kHeight);
        m_panels->keepView(view);
        slot = view;
    }
    return qobject_cast<HostCountDownView *>(slot.data());
}

HostCountDownStartView *MeetingViewController::hostCountStartView()
{
    QPointer<QWidget> &slot = m_panels->state().hostCountStartViewStorage;
    if (!slot) {
        auto *view = new HostCountDownStartView();
        view->setGeometry(0, 0, HostCountDownStartView::kWidth, HostCountDownStartView::kHeight);
        m_panels->keepView(view);
        slot = view;
    }
    return qobject_cast<HostCountDownStartView *>(slot.data());
}

RespondCountDownView *MeetingViewController::respondCountDownView()
{
    QPointer<QWidget> &slot = m_panels->state().respondCountDownViewStorage;
    if (!slot) {
        auto *view = new RespondCountDownView();
        // Just under the top bar, where the window shows it.
        const int top = ui->topView ? ui->topView->height() : 0;
        view->setGeometry(10, top + 10, RespondCountDownView::kWidth, RespondCountDownView::kHeight);
        m_panels->keepView(view);
        slot = view;
    }
    return qobject_cast<RespondCountDownView *>(slot.data());
}

void MeetingViewController::countDownComming() {}
void MeetingViewController::countDownViewHadEnd() {}
void MeetingViewController::ringringDisplay() {}
