// The meeting window's pop-overs closed together and by a click, and the member button's red dot.

#include "DispatchWindowSupport.h"
#include "connection/IMSystemSubMessage.h"
#include "uikit/KVEventView.h"
#include "uikit/KVFlatView.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace {

using PopOverWindowTest = DispatchWindowTest;

QWidget *popUp(QWidget *parent, const QRect &geometry)
{
    auto *view = new QWidget(parent);
    view->setGeometry(geometry);
    view->show();
    return view;
}

TEST_F(PopOverWindowTest, AClickInsideTheCameraPopUpKeepsItAndClosesTheOthers_AClickOutsideClosesIt)
{
    join();
    QWidget *view = page->view();
    MeetingPanels::State &panels = page->panels().state();
    Ui::MeetingViewController &ui = *page->ui;
    panels.subtitleSettingView = popUp(view, QRect(10, 10, 60, 60));
    panels.audioSelectView = popUp(view, QRect(80, 10, 60, 60));
    panels.videoSelectView = popUp(view, QRect(150, 10, 60, 60));
    QPointer<QWidget> sharePanel = popUp(view, QRect(220, 10, 60, 60));
    page->sharing().state().fileShareSpeedSwicthPanelBottom = sharePanel;
    panels.applicationView = popUp(view, QRect(290, 10, 60, 60));
    // The subtitle and share-settings buttons belong to panels not built here.
    for (MeetingBottomButton *b : {ui.selectMicrophoneBtn.data(), ui.selectCameraBtn.data(), ui.applicationBtn.data()})
        b->setState(1);

    const QPoint inCamera = panels.videoSelectView->mapToGlobal(QPoint(5, 5));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(inCamera), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    page->handleFullScreenMouseDown(&press);
    processEventsFor(5);
    EXPECT_TRUE(panels.subtitleSettingView->isHidden());
    EXPECT_TRUE(panels.audioSelectView.isNull());
    EXPECT_EQ(ui.selectMicrophoneBtn->state(), 0);
    EXPECT_TRUE(sharePanel.isNull());
    EXPECT_TRUE(page->sharing().state().fileShareSpeedSwicthPanelBottom.isNull());
    EXPECT_TRUE(panels.applicationView->isHidden());
    EXPECT_EQ(ui.applicationBtn->state(), 0);
    ASSERT_FALSE(panels.videoSelectView.isNull());
    EXPECT_FALSE(panels.videoSelectView->isHidden());
    EXPECT_EQ(ui.selectCameraBtn->state(), 1);

    // A press on the meeting view outside it closes it too.
    const QPointF outside(5, ui.eventView->height() - 5);
    QMouseEvent pressOutside(QEvent::MouseButtonPress, outside, ui.eventView->mapToGlobal(outside), Qt::LeftButton,
                             Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ui.eventView, &pressOutside);
    EXPECT_TRUE(panels.videoSelectView.isNull());
    EXPECT_EQ(ui.selectCameraBtn->state(), 0);

    // A pop-up in its own floating window takes the window with it.
    panels.audioSelectView = new QWidget;
    page->showFloatingWindowAtView(ui.selectMicrophoneBtn, panels.audioSelectView, QSizeF(300, 207), 0, 66);
    QPointer<QWidget> floating = panels.audioSelectView->window();
    ASSERT_NE(floating.data(), view->window());
    page->hideOtherOverViewsExceptView(nullptr);
    processEventsFor(5);
    EXPECT_TRUE(floating.isNull());
}

TEST_F(PopOverWindowTest, RedDotStaysWhileSomeoneWaits_HiddenWhileTheMemberListIsShown)
{
    join(true);
    QWidget *dot = page->ui->memberBtnRedDot;
    page->updateRedpoint(true);
    EXPECT_FALSE(dot->isHidden());

    IMSystemSubMessage a;
    a.userId = QStringLiteral("a");
    IMSystemSubMessage b;
    b.userId = QStringLiteral("b");
    manager()->waitRoomAddMember(a);
    manager()->waitRoomAddMember(b);
    manager()->waitForQueues();
    page->updateRedpoint(false);
    EXPECT_FALSE(dot->isHidden());

    manager()->waitRoomRemoveMember(a);
    manager()->waitRoomRemoveMember(b);
    manager()->waitForQueues();
    page->updateRedpoint(false);
    EXPECT_TRUE(dot->isHidden());

    page->panels().state().isMemberListShow = true;
    page->updateRedpoint(true);
    EXPECT_TRUE(dot->isHidden());
}

} // namespace
