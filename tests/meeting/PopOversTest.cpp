// The meeting window's pop-overs closed together and by a click, and the member button's red dot.

#include "DispatchWindowSupport.h"
#include "agent/engine/KRTCTypes.h"
#include "connection/IMSystemSubMessage.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVCameraSelectView.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/SubtitleSettingView.h"
#include "uikit/KVEventView.h"
#include "uikit/KVFlatView.h"
#include "uikit/KVWindow.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

namespace {

using PopOverWindowTest = DispatchWindowTest;

template <class View = QWidget> View *popUp(QWidget *parent, const QRect &geometry)
{
    auto *view = new View(parent);
    // Real pop-overs come with their own size: here each takes the rectangle given.
    view->setFixedSize(geometry.size());
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
    panels.subtitleSettingView = popUp<SubtitleSettingView>(view, QRect(10, 10, 60, 60));
    panels.audioSelectView = popUp(view, QRect(80, 10, 60, 60));
    panels.videoSelectView = popUp(view, QRect(150, 10, 60, 60));
    QPointer<QWidget> sharePanel = popUp(view, QRect(220, 10, 60, 60));
    page->sharing().state().fileShareSpeedSwicthPanelBottom = sharePanel;
    panels.applicationView = popUp<ApplicationView>(view, QRect(290, 10, 60, 60));
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

void pressAccessibly(QWidget *control)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

// Centred on its button, its bottom 100 above the meeting view's bottom.
void expectAboveToolBar(QWidget *popUp, QWidget *view, QWidget *button, QSize size)
{
    ASSERT_NE(popUp, nullptr);
    EXPECT_EQ(popUp->parentWidget(), view);
    EXPECT_FALSE(popUp->isHidden());
    EXPECT_EQ(popUp->size(), size);
    EXPECT_NEAR(popUp->geometry().center().x(), button->mapTo(view, button->rect().center()).x(), 1);
    EXPECT_EQ(popUp->geometry().bottom() + 1, view->height() - 100);
}

TEST_F(PopOverWindowTest, DeviceSelectorsAreExclusive_PopUpsSitAboveTheirButton_ChoicesReachTheEngine)
{
    join();
    QWidget *view = page->view();
    MeetingPanels::State &panels = page->panels().state();
    Ui::MeetingViewController &ui = *page->ui;
    MainSettingModel *model = VeskAppAgent::sharedInstance()->settingModel();
    engine().clearCalls();

    pressAccessibly(ui.selectMicrophoneBtn);
    auto *microphone = qobject_cast<KVAudioSelectView *>(panels.audioSelectView);
    expectAboveToolBar(microphone, view, ui.selectMicrophoneBtn, QSize(300, 207));
    ASSERT_NE(microphone, nullptr);
    EXPECT_FALSE(microphone->isSpeaker());
    EXPECT_EQ(ui.selectMicrophoneBtn->state(), 1);
    // The unnamed entry is the system default: nothing to switch.
    model->setCurrentMicphone(KVAudioDevice());
    microphone->onDeviceChanged(microphone);
    EXPECT_EQ(engine().callCount(QStringLiteral("switchDevice")), 0);
    model->setCurrentMicphone(KVAudioDevice::device(QStringLiteral("usb-mic"), QStringLiteral("USB 麦克风")));
    microphone->onDeviceChanged(microphone);
    EXPECT_EQ(engine().lastCall(QStringLiteral("switchDevice")).args,
              QVariantList({KRTCDeviceKind::Microphone, QStringLiteral("USB 麦克风")}));

    ui.selectCameraBtn->click();
    processEventsFor(5);
    EXPECT_TRUE(panels.audioSelectView.isNull());
    EXPECT_EQ(ui.selectMicrophoneBtn->state(), 0);
    EXPECT_EQ(ui.selectCameraBtn->state(), 1);
    auto *camera = qobject_cast<KVCameraSelectView *>(panels.videoSelectView);
    expectAboveToolBar(camera, view, ui.selectCameraBtn, QSize(350, 360));
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->model(), model);
    // The camera choice is passed on whatever its name.
    engine().clearCalls();
    model->setCurrentCamera(KVVideoDevice());
    camera->onVideoDeviceChanged(camera);
    EXPECT_EQ(engine().lastCall(QStringLiteral("switchDevice")).args,
              QVariantList({KRTCDeviceKind::Camera, QString()}));

    ui.selectSpeakerBtn->click();
    processEventsFor(5);
    EXPECT_TRUE(panels.videoSelectView.isNull());
    EXPECT_EQ(ui.selectCameraBtn->state(), 0);
    auto *speaker = qobject_cast<KVAudioSelectView *>(panels.audioSelectView);
    expectAboveToolBar(speaker, view, ui.selectSpeakerBtn, QSize(300, 207));
    ASSERT_NE(speaker, nullptr);
    EXPECT_TRUE(speaker->isSpeaker());
    model->setCurrentSpeaker(KVAudioDevice::device(QStringLiteral("hdmi"), QStringLiteral("HDMI")));
    speaker->onDeviceChanged(speaker);
    EXPECT_EQ(engine().lastCall(QStringLiteral("switchDevice")).args,
              QVariantList({KRTCDeviceKind::Speaker, QStringLiteral("HDMI")}));

    ui.selectSpeakerBtn->click();
    processEventsFor(5);
    EXPECT_TRUE(panels.audioSelectView.isNull());
    EXPECT_EQ(ui.selectSpeakerBtn->state(), 0);
}

TEST_F(PopOverWindowTest, SettingsLinkTurnsTheSelectorOff_AShareToolBarPopUpHangsUnderItsButtonAndLeavesNoWindow)
{
    join();
    MeetingPanels::State &panels = page->panels().state();
    Ui::MeetingViewController &ui = *page->ui;

    ui.selectCameraBtn->click();
    auto *camera = qobject_cast<KVCameraSelectView *>(panels.videoSelectView);
    ASSERT_NE(camera, nullptr);
    camera->settingButton()->click();
    processEventsFor(5);
    EXPECT_TRUE(panels.videoSelectView.isNull());
    EXPECT_EQ(ui.selectCameraBtn->state(), 0);

    // A selector of the share tool bar, in a window of its own.
    QWidget bar;
    bar.setGeometry(200, 100, 120, 40);
    VeskButton shareBarButton(&bar);
    shareBarButton.setToggle(true);
    shareBarButton.setGeometry(40, 0, 18, 40);
    bar.show();
    shareBarButton.setState(1);
    page->selectMicrophone(&shareBarButton);
    ASSERT_FALSE(panels.audioSelectView.isNull());
    QPointer<KVWindow> floating = qobject_cast<KVWindow *>(panels.audioSelectView->window());
    ASSERT_FALSE(floating.isNull());
    EXPECT_EQ(floating->identifier(), QStringLiteral("showFloatingWindowAtView"));
    const QRect buttonOnScreen(shareBarButton.mapToGlobal(QPoint(0, 0)), shareBarButton.size());
    EXPECT_EQ(floating->geometry().top(), buttonOnScreen.bottom() + 1 + 66);
    EXPECT_NEAR(floating->geometry().center().x(), buttonOnScreen.center().x(), 1);
    EXPECT_EQ(shareBarButton.state(), 1);

    qobject_cast<KVAudioSelectView *>(panels.audioSelectView)->settingButton()->click();
    processEventsFor(5);
    EXPECT_EQ(shareBarButton.state(), 0);
    EXPECT_TRUE(panels.audioSelectView.isNull());
    EXPECT_TRUE(floating.isNull());

    // Switched off from the bar: the camera's floating window goes with it.
    shareBarButton.setState(1);
    page->selectCamera(&shareBarButton);
    ASSERT_FALSE(panels.videoSelectView.isNull());
    floating = qobject_cast<KVWindow *>(panels.videoSelectView->window());
    ASSERT_FALSE(floating.isNull());
    shareBarButton.setState(0);
    page->selectCamera(&shareBarButton);
    processEventsFor(5);
    EXPECT_TRUE(panels.videoSelectView.isNull());
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
