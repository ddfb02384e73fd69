#include "meeting/panels/MemberListPanel.h"

#include "agent/VeskMeetingManager.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/MemberListContext.h"
#include "meeting/panels/MemberListViewController.h"
#include "uikit/KVFlatView.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskCategories.h"

#include <QLabel>

#include <cmath>

MemberListPanel::MemberListPanel(MeetingPanels &panels, Views views, Calls calls)
    : QObject(&panels), m_panels(panels), m_views(std::move(views)), m_calls(std::move(calls))
{
}

MemberListViewController *MemberListPanel::memberListViewController()
{
    MeetingPanels::State &state = m_panels.state();
    if (MemberListViewController *list = state.memberListViewController; list && state.memberWindow)
        return list;
    const int height = int(std::lround(kDesignHeight * m_panels.adjustScale()));
    auto *window = new KVWindow(QRect(0, 0, kWidth, height));
    window->setObjectName(QStringLiteral("MemberListViewWindow"));
    window->setIdentifier(QStringLiteral("MemberListViewWindow"));
    window->setWindowTitle(QStringLiteral("成员管理"));
    window->setMovableByWindowBackground(true);
    state.memberWindow = std::make_unique<MacBaseWindowController>(window);
    auto *list = new MemberListViewController();
    state.memberWindow->setContentViewController(list);
    // The list hears its window's close, also the window manager's.
    list->resetWindowDelegate();
    window->setGeometry(0, 0, kWidth, height);
    state.memberListViewController = list;
    if (VeskMeetingManager *manager = MemberListContext::manager())
        manager->setWaitMemberDelegate(list, list);
    QPointer<MemberListPanel> weak(this);
    list->removeBlock = [weak] {
        if (!weak)
            return;
        if (weak->m_views.memberListBtn)
            weak->m_views.memberListBtn->setState(0);
        if (weak->m_views.memberLabel)
            vesk::setBackgroundColor(weak->m_views.memberLabel, Qt::white);
        // Closed: waiting-room arrivals show the red dot again.
        weak->m_panels.state().isMemberListShow = false;
        if (MacBaseWindowController *bar = weak->m_calls.shareToolBar ? weak->m_calls.shareToolBar() : nullptr) {
            if (QObject *content = bar->contentViewController())
                content->setProperty("memberListShow", false);
        }
    };
    return list;
}

void MemberListPanel::showOrHideMember(VeskButton *sender)
{
    if (!sender || sender->state() != 0)
        open(sender);
    else
        close();
}

void MemberListPanel::open(VeskButton *sender)
{
    if (m_views.memberLabel)
        vesk::setBackgroundColor(m_views.memberLabel, vesk::colorWithHexString(QStringLiteral("#007AFF")));
    if (m_views.memberListBtn)
        m_views.memberListBtn->setState(1);
    QWidget *meetingView = m_panels.view();
    QWidget *mainWindow = meetingView ? meetingView->window() : nullptr;
    memberListViewController();
    MacBaseWindowController *memberWindow = m_panels.state().memberWindow.get();
    m_panels.keepAboveMeetingWindow(memberWindow->window());
    memberWindow->showWindow();
    QWidget *anchor = mainWindow;
    double adjustY = 0;
    if (sender != static_cast<VeskButton *>(m_views.memberListBtn.data())) {
        MacBaseWindowController *bar = m_calls.shareToolBar ? m_calls.shareToolBar() : nullptr;
        anchor = bar ? bar->window() : nullptr;
        adjustY = kShareBarAdjustY;
    }
    m_panels.placeWindowAtIndex(memberWindow->window(), anchor, 0.0, adjustY);
    m_panels.hideOtherOverViewsExceptView(nullptr);
    if (m_views.memberBtnRedDot)
        m_views.memberBtnRedDot->hide();
    m_panels.state().isMemberListShow = true;
    // The keyboard goes with the user into the list; Escape closes it as its close button does.
    QPointer<MemberListViewController> list(memberListViewController());
    KVPanelFocus::opened(list->view(), sender, [list] {
        if (list && list->closeButton())
            list->closeButton()->click();
    });
}

void MemberListPanel::close()
{
    m_panels.state().isMemberListShow = false;
    if (m_views.memberLabel)
        vesk::setBackgroundColor(m_views.memberLabel, Qt::white);
    if (const auto &memberWindow = m_panels.state().memberWindow)
        memberWindow->close();
}
