#include "meeting/panels/MemberListPanel.h"

#include "agent/VeskMeetingManager.h"
#include "meeting/panels/MemberListContext.h"
#include "meeting/panels/MemberListViewController.h"
#include "meeting/window/MeetingBottomButton.h"
#include "meeting/window/MeetingViewController.h"
#include "uikit/KVFlatView.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskCategories.h"

#include <QLabel>

#include <cmath>

MemberListPanel::MemberListPanel(MeetingViewController *window, QObject *parent) : QObject(parent), m_window(window) {}

MemberListViewController *MemberListPanel::memberListViewController()
{
    MeetingPanels::State &state = m_window->panels().state();
    if (auto *list = qobject_cast<MemberListViewController *>(state.memberListViewController.data());
        list && state.memberWindow)
        return list;
    const int height = int(std::lround(kDesignHeight * m_window->adjustScale()));
    auto *window = new KVWindow(QRect(0, 0, kWidth, height));
    window->setObjectName(QStringLiteral("MemberListViewWindow"));
    window->setIdentifier(QStringLiteral("MemberListViewWindow"));
    window->setWindowTitle(QStringLiteral("成员管理"));
    window->setMovableByWindowBackground(true);
    state.memberWindow = std::make_unique<MacBaseWindowController>(window);
    auto *list = new MemberListViewController();
    state.memberWindow->setContentViewController(list);
    window->setGeometry(0, 0, kWidth, height);
    state.memberListViewController = list;
    if (VeskMeetingManager *manager = MemberListContext::manager())
        manager->setWaitMemberDelegate(list, list);
    QPointer<MeetingViewController> weak(m_window);
    list->removeBlock = [weak] {
        if (!weak)
            return;
        if (weak->ui->memberListBtn)
            weak->ui->memberListBtn->setState(0);
        if (weak->ui->memberLabel)
            vesk::setBackgroundColor(weak->ui->memberLabel, Qt::white);
        // Closed: waiting-room arrivals show the red dot again.
        weak->panels().state().isMemberListShow = false;
        if (const auto &bar = weak->sharing().state().screenShareTopWindowController) {
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
    Ui::MeetingViewController &ui = *m_window->ui;
    if (ui.memberLabel)
        vesk::setBackgroundColor(ui.memberLabel, vesk::colorWithHexString(QStringLiteral("#007AFF")));
    if (ui.memberListBtn)
        ui.memberListBtn->setState(1);
    QWidget *mainWindow = m_window->window();
    memberListViewController();
    MacBaseWindowController *memberWindow = m_window->panels().state().memberWindow.get();
    memberWindow->showWindow();
    QWidget *anchor = mainWindow;
    double adjustY = 0;
    if (sender != ui.memberListBtn.data()) {
        const auto &bar = m_window->sharing().state().screenShareTopWindowController;
        anchor = bar ? bar->window() : nullptr;
        adjustY = kShareBarAdjustY;
    }
    m_window->placeWindowAtIndex(memberWindow->window(), anchor, 0.0, adjustY);
    m_window->hideOtherOverViewsExceptView(nullptr);
    if (ui.memberBtnRedDot)
        ui.memberBtnRedDot->hide();
    m_window->panels().state().isMemberListShow = true;
    // The keyboard goes with the user into the list; Escape closes it as its close button does.
    QPointer<MemberListViewController> list(memberListViewController());
    KVPanelFocus::opened(list->view(), sender, [list] {
        if (list && list->closeButton())
            list->closeButton()->click();
    });
}

void MemberListPanel::close()
{
    m_window->panels().state().isMemberListShow = false;
    if (m_window->ui->memberLabel)
        vesk::setBackgroundColor(m_window->ui->memberLabel, Qt::white);
    if (const auto &memberWindow = m_window->panels().state().memberWindow)
        memberWindow->close();
}
