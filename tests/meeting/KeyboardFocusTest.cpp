// The meeting window by keyboard: Tab goes as the screen reads, and the focused tool-bar button
// shows it.

#include "MeetingTestSupport.h"

#include "support/AccessibilityWalk.h"

#include "meeting/common/MeetingBottomButton.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskTextView.h"

#include <QScrollArea>
#include <QTest>

namespace {

using namespace AccessibilityWalk;

class KeyboardFocusTest : public MeetingTest {
protected:
    // As the host, whose top bar and chat have the most controls.
    MeetingViewController *joinShown()
    {
        signIn(kHostPhone, QStringLiteral("主持人"));
        addRoom();
        return openShownPage();
    }
};

TEST_F(KeyboardFocusTest, TabGoesTopBarThenGridAndWhatLiesOverItThenToolBar)
{
    MeetingViewController *page = joinShown();
    // A view made after the build (as a count-down or a panel is) joins the middle, not the end.
    auto *late = new VeskButton(QStringLiteral("后来的视图"), page->ui->middleView);
    late->show();
    page->ui->qosShowButton->setFocus();
    const QList<QWidget *> stops = tabStops();
    const QList<QWidget *> screenOrder{page->ui->qosShowButton.data(),
                                       page->ui->endMeetingBtn.data(),
                                       page->ui->scrollView.data(),
                                       page->ui->IMChatTextView.data(),
                                       late,
                                       page->ui->microphoneBtn.data(),
                                       page->ui->settingPageBtn.data(),
                                       page->ui->leaveRoomButton.data()};
    qsizetype last = -1;
    for (QWidget *w : screenOrder) {
        const qsizetype at = stops.indexOf(w);
        EXPECT_GT(at, last) << nameOf(w).toStdString() << " out of the screen's order";
        last = at;
    }
}

TEST_F(KeyboardFocusTest, ToolBarButtonShowsARingWhenTheKeyboardFocusesIt)
{
    MeetingViewController *page = joinShown();
    MeetingBottomButton *mic = page->ui->microphoneBtn;
    const QImage unfocused = mic->grab().toImage();
    // Focus given by the program, not the keyboard (a panel handing it back after a click): no ring.
    mic->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(mic->hasFocus());
    EXPECT_EQ(mic->grab().toImage(), unfocused);
    // Tab from the stop before it.
    page->ui->IMChatEnableButton->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), mic);
    EXPECT_NE(mic->grab().toImage(), unfocused);
}

} // namespace
