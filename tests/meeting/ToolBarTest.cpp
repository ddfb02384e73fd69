// The tool bar: the bars' auto-hide on virtual time, the subtitle ban, the settings switch,
// copying the meeting information.

#include "DispatchWindowSupport.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/window/MeetingToolBar.h"
#include "uikit/KVEventView.h"

#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QTest>

namespace {

using ToolBarTest = DispatchWindowTest;

TEST_F(ToolBarTest, BarsHideFiveSecondsAfterThePointerLeft_ReturnAtOnce)
{
    join();
    page->toolBar().mouseExited();
    clock.clock.advance(4999ms);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    QWidget *area = page->ui->eventView;
    const int height = area->height();
    ASSERT_GT(height, 200);
    EXPECT_EQ(page->ui->topView->y(), 0);
    EXPECT_EQ(page->ui->bottomView->geometry().bottom(), height - 1);
    clock.clock.advance(1ms);
    EXPECT_TRUE(page->toolBar().toolBarsHidden());
    // They slide out over 0.8 s, and the video area grows with them.
    clock.clock.advance(400ms);
    EXPECT_LT(page->ui->topView->y(), 0);
    EXPECT_GT(page->ui->topView->y(), -52);
    clock.clock.advance(400ms);
    EXPECT_EQ(page->ui->topView->y(), -52);
    EXPECT_EQ(page->ui->bottomView->y(), height + 72 - page->ui->bottomView->height());
    EXPECT_EQ(page->ui->middleView->geometry().top(), page->ui->topView->geometry().bottom() + 1);
    EXPECT_EQ(page->ui->middleView->geometry().bottom(), page->ui->bottomView->y() - 1);
    // Back at once when the pointer returns.
    page->toolBar().mouseEntered();
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    EXPECT_EQ(page->ui->topView->y(), 0);
    EXPECT_EQ(page->ui->bottomView->geometry().bottom(), height - 1);
}

TEST_F(ToolBarTest, ReenteringCancels_LeavingAgainRestartsTheFullDelay)
{
    join();
    page->toolBar().mouseExited();
    clock.clock.advance(3s);
    page->toolBar().mouseEntered();
    clock.clock.advance(3s);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    page->toolBar().mouseExited();
    clock.clock.advance(4s);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    clock.clock.advance(1s);
    EXPECT_TRUE(page->toolBar().toolBarsHidden());
}

TEST_F(ToolBarTest, TheKeyboardBringsTheBarsBack_ABarHoldingTheFocusStays)
{
    join();
    QWidget *window = page->view()->window();
    window->activateWindow();
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::activeWindow() == window; }));
    const auto inBar = [&](const QWidget *w) {
        return w && (page->ui->topView->isAncestorOf(w) || page->ui->bottomView->isAncestorOf(w));
    };
    page->toolBar().mouseExited();
    clock.clock.advance(5800ms);
    ASSERT_TRUE(page->toolBar().toolBarsHidden());
    ASSERT_EQ(page->ui->topView->y(), -52);

    // Tab into a bar: it is there, and stays while it holds the focus.
    for (int i = 0; i < 100 && !inBar(QApplication::focusWidget()); ++i) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, Qt::Key_Tab);
    }
    ASSERT_TRUE(inBar(QApplication::focusWidget()));
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    EXPECT_EQ(page->ui->topView->y(), 0);
    clock.clock.advance(20s);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());

    // Out of the bars they go 5 s later; a key pressed in the window brings them back.
    QApplication::focusWidget()->clearFocus();
    clock.clock.advance(5s);
    EXPECT_TRUE(page->toolBar().toolBarsHidden());
    QTest::keyClick(window, Qt::Key_Shift);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    clock.clock.advance(5s);
    EXPECT_TRUE(page->toolBar().toolBarsHidden());
}

TEST_F(ToolBarTest, AnOpenPopupButtonOrAShareKeepsTheBars)
{
    join();
    page->ui->applicationBtn->setState(1);
    page->toolBar().mouseExited();
    clock.clock.advance(5s);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    page->ui->applicationBtn->setState(0);
    clock.clock.advance(10s);
    EXPECT_FALSE(page->toolBar().toolBarsHidden()); // only a later exit and a fresh 5 s
    page->toolBar().mouseEntered();
    page->toolBar().mouseExited();
    clock.clock.advance(5s);
    EXPECT_TRUE(page->toolBar().toolBarsHidden());

    // While a document is shown the bars come back and stay.
    page->sharing().state().fileShareMode = 1;
    page->toolBar().mouseExited();
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
    clock.clock.advance(10s);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
}

TEST_F(ToolBarTest, HoverCoverSitsBehindTheButtonTallerByItsExtraSize)
{
    join();
    MeetingBottomButton *mic = page->ui->microphoneBtn;
    ASSERT_TRUE(mic);
    EXPECT_EQ(mic->textColor(), QColor(0xD7, 0xD7, 0xD8));
    EXPECT_EQ(mic->alternateTextColor(), QColor(0x0A, 0x8A, 0xF9));
    auto hover = [](QWidget *w, bool in) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, in ? static_cast<QEvent *>(&enter) : &leave);
    };

    hover(mic, true);
    QWidget *cover = mic->bgLayer();
    ASSERT_TRUE(cover);
    EXPECT_TRUE(cover->isVisibleTo(mic->parentWidget()));
    EXPECT_EQ(cover->geometry(), mic->geometry().adjusted(0, -5, 0, 5));
    EXPECT_EQ(cover->parentWidget(), mic->parentWidget());
    // Just below the button among its siblings, so the button stays on top.
    const QObjectList siblings = mic->parentWidget()->children();
    EXPECT_EQ(siblings.indexOf(cover) + 1, siblings.indexOf(mic));
    hover(mic, false);
    EXPECT_FALSE(cover->isVisibleTo(mic->parentWidget()));

    // The small arrows' cover is the button's own frame; a disabled button gets none.
    MeetingBottomButton *arrow = page->ui->selectMicrophoneBtn;
    ASSERT_TRUE(arrow);
    hover(arrow, true);
    ASSERT_TRUE(arrow->bgLayer());
    EXPECT_EQ(arrow->bgLayer()->geometry(), arrow->geometry());
    hover(arrow, false);
    MeetingBottomButton *camera = page->ui->cameraBtn;
    camera->setEnabled(false);
    hover(camera, true);
    EXPECT_FALSE(camera->bgLayer()->isVisibleTo(camera->parentWidget()));
}

TEST_F(ToolBarTest, TheMeetingViewReportsThePointer)
{
    join();
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(page->view(), &leave);
    EXPECT_FALSE(page->toolBar().state().mouseEnterFlag);
    clock.clock.advance(5s);
    EXPECT_TRUE(page->toolBar().toolBarsHidden());
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QCoreApplication::sendEvent(page->view(), &enter);
    EXPECT_TRUE(page->toolBar().state().mouseEnterFlag);
    EXPECT_FALSE(page->toolBar().toolBarsHidden());
}

TEST_F(ToolBarTest, Subtitles_MemberRefusedWhileTranscriptionIsOff_HostPasses)
{
    join();
    room()->roomTranscribeStatus = 0;
    click(page->ui->selectSubtitiletn);
    EXPECT_EQ(toastText(), QStringLiteral("主持人已关闭转录权限"));
    EXPECT_EQ(page->ui->selectSubtitiletn->state(), 0);
    VeskToast::dismissToast();
    room()->roomTranscribeStatus = 1;
    click(page->ui->selectSubtitiletn);
    EXPECT_EQ(page->ui->selectSubtitiletn->state(), 1);
    EXPECT_EQ(toastText(), QString());
}

TEST_F(ToolBarTest, Subtitles_HostAlwaysPasses)
{
    join(true);
    room()->roomTranscribeStatus = 0;
    click(page->ui->selectSubtitiletn);
    EXPECT_EQ(page->ui->selectSubtitiletn->state(), 1);
}

TEST_F(ToolBarTest, SettingsSwitchedOffWithoutAWindowDoesNothing_OtherTagsIgnored)
{
    join();
    page->ui->settingPageBtn->setState(0);
    page->toolBar().bottomToolButtonClick(page->ui->settingPageBtn);
    EXPECT_EQ(page->panels().state().settingPage, nullptr);
    VeskButton stray;
    stray.setTag(12345);
    stray.setState(1);
    page->toolBar().bottomToolButtonClick(&stray);
    page->toolBar().bottomToolButtonClick(nullptr);
}

TEST_F(ToolBarTest, CopyPutsTheInvitationOnTheClipboard)
{
    join();
    room()->invitedMeetingContent = QStringLiteral("张三邀请您参加会议\n会议号：123-456-789");
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    page->ui->meetingIdCopyBtn->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("张三邀请您参加会议\n会议号：123-456-789"));
    EXPECT_EQ(tipText(), QStringLiteral("会议信息已复制"));
}

} // namespace
