// The floating share tool bar: its slide rules on virtual time with synthetic enter and leave,
// the end-share order, the exclusive device menus, and where the sharing part puts it.

#include "ShareTestSupport.h"
#include "TestEvents.h"

#include "foundation/KVClock.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/sharing/ScreenShareWindowViewController.h"
#include "meeting/window/FloatingMediaMiniView.h"
#include "meeting/window/FloatingMediaView.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class ShareBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller = std::make_unique<MacBaseWindowController>(ScreenShareWindowViewController::makeWindow());
        bar = new ScreenShareWindowViewController();
        controller->setWindowContentViewController(bar, QRect(300, 0, 640, 112));
        bar->setOriginalPosition(QPoint(300, 0));
        bar->screenShareBlock = [this](VeskButton *b) { reports << QStringLiteral("share:%1").arg(b->state()); };
        bar->selectCameraBlock = [this](VeskButton *) { reports << "camera menu"; };
        bar->selectMicBlock = [this](VeskButton *) { reports << "mic menu"; };
    }
    [[nodiscard]] int y() const { return controller->window()->geometry().y(); }
    // Below the bar, in screen coordinates.
    [[nodiscard]] QPoint below() const { return bar->view()->mapToGlobal(QPoint(10, bar->view()->height() + 5)); }

    VirtualClockScope clock;
    std::unique_ptr<MacBaseWindowController> controller;
    ScreenShareWindowViewController *bar = nullptr;
    QStringList reports;
};

TEST_F(ShareBarTest, SlidesUpAfterFiveSecondsOrALeaveDownwards_UnlessAMenuIsOpen)
{
    QCursor::setPos(QPoint(5000, 5000)); // not over the bar
    clock.clock.advance(4999ms);
    EXPECT_EQ(y(), 0);
    clock.clock.advance(1ms);
    clock.clock.advance(300ms);
    EXPECT_EQ(y(), -72);
    EXPECT_FALSE(bar->toolBarView->isVisible());

    // Back when the pointer enters the end-share area; a second request restarts nothing.
    bar->mouseEntered(bar->stopScreenShareButtonBKView->mapToGlobal(QPoint(5, 5)));
    EXPECT_EQ(bar->targetFrame().y(), 0);
    bar->mouseEntered(bar->stopScreenShareButtonBKView->mapToGlobal(QPoint(5, 5)));
    clock.clock.advance(300ms);
    EXPECT_EQ(y(), 0);
    EXPECT_TRUE(bar->toolBarView->isVisibleTo(bar->view()));

    // Sideways or upwards: it stays.
    bar->mouseExited(bar->view()->mapToGlobal(QPoint(-5, 10)));
    bar->mouseExited(bar->view()->mapToGlobal(QPoint(10, -5)));
    clock.clock.advance(300ms);
    EXPECT_EQ(y(), 0);

    // With a menu open neither the leave nor anything else slides it.
    bar->selectMicButton->click();
    bar->mouseExited(below());
    clock.clock.advance(300ms);
    EXPECT_EQ(y(), 0);
    bar->selectMicButton->click();
    bar->mouseExited(below());
    clock.clock.advance(300ms);
    EXPECT_EQ(y(), -72);

    // The keyboard's way back: the focus coming to the end-share button by Tab.
    QFocusEvent tabbedIn(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(bar->stopScreenShareButton, &tabbedIn);
    clock.clock.advance(300ms);
    EXPECT_EQ(y(), 0);
    EXPECT_TRUE(bar->toolBarView->isVisibleTo(bar->view()));
}

TEST_F(ShareBarTest, MenusExclusive_EndShareTurnsShareOffBeforeReporting)
{
    bar->setScreenSharing(true);
    EXPECT_EQ(bar->shareButton->state(), 1);
    bar->selectMicButton->click();
    bar->selectSpeakerButton->setState(1);
    bar->selectCameraButton->click();
    EXPECT_EQ(bar->selectMicButton->state(), 0);
    EXPECT_EQ(bar->selectSpeakerButton->state(), 0);
    EXPECT_EQ(bar->selectCameraButton->state(), 1);
    EXPECT_EQ(reports, QStringList({"mic menu", "camera menu"}));

    reports.clear();
    bar->stopScreenShareButton->click();
    EXPECT_EQ(reports, QStringList({"share:0"}));
    EXPECT_EQ(bar->stopScreenShareButton->text(), "结束屏幕共享");
    // The member window closing sets the mirror back.
    bar->setProperty("memberListShow", true);
    EXPECT_EQ(bar->memberButton->state(), 1);
    bar->setProperty("memberListShow", false);
    EXPECT_EQ(bar->memberButton->state(), 0);
}

TEST(ShareFloatingWindowsTest, BarTopCentre_StripBesideIt_MeetingWindowHidden_AllGoneAtTheEnd)
{
    VirtualClockScope clock;
    Ui::MeetingViewController ui;
    MeetingSharing sharing({ui.fileShareCollectionView, ui.verticalShowCollectionView, ui.avFileSharePlayButton,
                            ui.avFileShareSliderBKView, ui.audioAnimationBKView, fileShareDocumentViews(ui),
                            avFileShareViews(ui)},
                           {});
    QWidget meeting;
    meeting.show();
    MeetingBottomButton share, record, camera, mic, speaker, members;
    for (MeetingBottomButton *b : {&share, &record, &camera, &mic, &speaker, &members})
        b->setToggle(true);
    share.setState(1);
    mic.setState(1);
    OwnShareCalls calls;
    QStringList order;
    calls.meetingWindow = [&meeting] { return &meeting; };
    calls.mirroredButtons = [&] { return QList<VeskButton *>{&share, &record, &camera, &mic, &speaker, &members}; };
    calls.showFloatingWindowAtFrame = [](const QRect &frame, QWidget *content, const QSizeF &size, double dx,
                                         double dy) {
        return KVWindow::showFloating(KVWindowPlacement::frameBesideFrame(frame, size.toSize(), dx, dy), content,
                                      QStringLiteral("showFloatingWindowAtFrame"));
    };
    calls.makeFloatingMediaView = [](std::function<void()> collapse) -> QWidget * {
        auto *strip = new FloatingMediaView();
        strip->miniActionBlock = std::move(collapse);
        return strip;
    };
    calls.makeFloatingMediaMiniView = [](std::function<void()> unfold) -> QWidget * {
        auto *tab = new FloatingMediaMiniView();
        tab->unflodBlock = std::move(unfold);
        return tab;
    };
    calls.hideSelectWindow = [&order] { order << "device pop-ups"; };
    calls.closeMemberAndTranscriptionWindows = [&order] { order << "member and transcription"; };
    sharing.installOwnShare(calls, std::make_shared<FakeShareServices>());

    sharing.sreenShareFloatingWindow();
    EXPECT_FALSE(meeting.isVisible());
    QWidget *barWindow = sharing.state().screenShareTopWindowController->window();
    const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(barWindow->y(), visible.y());
    EXPECT_EQ(barWindow->x(), visible.x() + (visible.width() - barWindow->width()) / 2);
    auto *bar = qobject_cast<ScreenShareWindowViewController *>(
        sharing.state().screenShareTopWindowController->contentViewController());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->screenSharing());
    EXPECT_TRUE(bar->micCapturing());
    EXPECT_FALSE(bar->cameraCapturing());
    KVWindow *strip = sharing.state().floatingMediaViewWindow;
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->identifier(), "floatingMediaViewWindow");
    EXPECT_EQ(strip->geometry(),
              QRect(barWindow->frameGeometry().right() + 1 + 10, barWindow->frameGeometry().y(), 216, 74));

    // The tab in the top-right corner, the strip out of view; and back.
    auto *media = qobject_cast<FloatingMediaView *>(sharing.floatingMediaView());
    media->miniMediaBtn->click();
    KVWindow *mini = sharing.state().floatingMediaMiniViewWindow;
    ASSERT_NE(mini, nullptr);
    EXPECT_EQ(mini->geometry(), QRect(visible.right() + 1 - 40, visible.y(), 40, 34));
    EXPECT_FALSE(strip->isVisible());

    // The local end closes everything and brings the meeting window back.
    sharing.stopScreenShare(true);
    FakeShareServices &services = static_cast<FakeShareServices &>(sharing.shareControl()->services());
    services.answer("release", FakeShareServices::code(0));
    processEventsFor(3);
    EXPECT_EQ(order, QStringList({"device pop-ups", "member and transcription"}));
    EXPECT_EQ(sharing.state().screenShareTopWindowController, nullptr);
    EXPECT_EQ(sharing.state().floatingMediaViewWindow, nullptr);
    EXPECT_EQ(sharing.state().floatingMediaMiniViewWindow, nullptr);
    EXPECT_TRUE(meeting.isVisible());
}

} // namespace
