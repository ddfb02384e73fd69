// The meeting window and each of its panels, pop-ups and setters as a keyboard and screen-reader
// user meets them: every control reached by Tab, named, free of markup, its checked state told;
// an opened panel takes the focus, Escape closes it and the focus goes back to its opener.

#include "MeetingTestSupport.h"

#include "support/AccessibilityWalk.h"

#include "ShareTestSupport.h"
#include "agent/engine/FakeEngine.h"
#include "agent/engine/VeskScreenRecord.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/FloatingIMView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/IMDisplayView.h"
#include "meeting/panels/MeetingRecordSwitchView.h"
#include "meeting/panels/MeetingRowCell.h"
#include "meeting/panels/MemberListViewController.h"
#include "meeting/panels/MemberMoreActionView.h"
#include "meeting/panels/MemberMorePanelView.h"
#include "meeting/panels/MemberTableView.h"
#include "meeting/panels/SubtitleSettingView.h"
#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/FileSharePermissionSettingView.h"
#include "meeting/sharing/FileUploadPermissionPanelView.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/sharing/ScreenShareControl.h"
#include "meeting/sharing/ScreenShareWindowViewController.h"
#include "meeting/sharing/ShareSelectCells.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "meeting/window/FloatingMediaView.h"
#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingRecording.h"
#include "routes/EngineRoutes.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskTextView.h"

#include <QClipboard>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include <algorithm>

namespace {

using namespace AccessibilityWalk;

// A local recorder that records nothing and says it started; a stop just stops.
class WalkRecorder final : public VeskScreenRecord {
public:
    using VeskScreenRecord::VeskScreenRecord;
    int *started = nullptr;
    [[nodiscard]] bool isRecord() const override { return m_on; }
    void start() override
    {
        m_on = true;
        ++*started;
        delegate()->recordStart();
    }
    void stop() override { m_on = false; }

private:
    bool m_on = false;
};

class PanelWalkTest : public MeetingTest {
protected:
    MeetingViewController *joinAsHost()
    {
        signIn(kHostPhone, QStringLiteral("主持人"));
        addRoom();
        return openShownPage();
    }

    // Opens a panel by its opener's accessibility action; the panel must then hold the focus.
    // Walks it, then Escape must close it and give the focus back to the opener.
    void walkPanel(const char *what, QWidget *opener, const std::function<QWidget *()> &panel, int &total)
    {
        SCOPED_TRACE(what);
        activate(opener->window());
        opener->setFocus();
        ASSERT_TRUE(press(opener));
        settle();
        QWidget *shown = panel();
        ASSERT_TRUE(shown && shown->isVisible());
        // As its user meets it: a device pop-up's volume opens once the sound server answered
        // (the moment before is the silent server's tests' own).
        processEventsUntil([shown] {
            const auto sliders = shown->findChildren<QSlider *>();
            return std::all_of(sliders.cbegin(), sliders.cend(),
                               [](const QSlider *slider) { return !slider->isVisible() || slider->isEnabled(); });
        });
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus && (focus == shown || shown->isAncestorOf(focus)))
            << "the focus stays on " << (focus ? nameOf(focus).toStdString() : "nothing");
        const Report report = walk(shown->window(), shown);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        EXPECT_GT(report.checked, 0);
        total += report.checked;
        shown->window() == shown ? activate(shown) : void();
        QWidget *first = KVPanelFocusFirst(shown);
        if (first)
            first->setFocus();
        escape();
        settle();
        EXPECT_FALSE(panel() && panel()->isVisible()) << "Escape leaves it open";
        EXPECT_EQ(QApplication::focusWidget(), opener) << "the focus does not go back to its opener";
    }

    static QWidget *KVPanelFocusFirst(QWidget *panel)
    {
        for (QWidget *w : panel->findChildren<QWidget *>()) {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled())
                return w;
        }
        return nullptr;
    }
};

TEST_F(PanelWalkTest, HostView_EveryPanelReachableNamedAndClosedWithEscape)
{
    MeetingViewController *page = joinAsHost();
    MemberListViewController *list = page->memberListViewController();
    EngineSimPeer waiting;
    waiting.userName = QStringLiteral("等候者");
    EngineRoutes::addSimulatedWaiting(service, kRoomId, waiting);
    const QString memberName = QStringLiteral("成员");
    engine().emitMemberJoined(QStringLiteral("13700000006"), memberName);
    engine().emitStreamPublished(QStringLiteral("13700000006"), KRTCSourceType::Camera, true, true);
    ASSERT_TRUE(processEventsUntil([&] { return list->waitingRoomArray().size() == 1; }));
    ASSERT_TRUE(processEventsUntil([&] { return list->membersArray().size() == 2; }));
    int total = 0;
    // The red dot of a waiting participant is in the member button's name; the network icon's
    // quality is its value.
    EXPECT_EQ(nameOf(page->ui->memberListBtn), QStringLiteral("成员 2人，有人等候"));
    QAccessibleInterface *network = QAccessible::queryAccessibleInterface(page->ui->qosShowButton);
    EXPECT_EQ(network->text(QAccessible::Value), QStringLiteral("良好"));
    EXPECT_EQ(network->text(QAccessible::Description), QStringLiteral("网络状态：良好"));

    // The meeting window itself.
    {
        const Report report = walk(page->view()->window());
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }

    // The member list, on the joined tab: its rows before the bottom buttons, each row's actions
    // reachable.
    walkPanel(
        "member list", page->ui->memberListBtn, [&] { return page->panels().state().memberWindow->window(); }, total);
    page->ui->memberListBtn->click();
    settle();
    list->meetingButton()->click();
    settle();
    QWidget *listWindow = page->panels().state().memberWindow->window();
    activate(listWindow);
    list->searchTextField()->setFocus();
    const QList<QWidget *> stops = tabStops();
    MeetingRowCell *peerRow = nullptr;
    for (int i = 0; i < list->membersDisplayArray().size(); ++i) {
        if (list->membersDisplayArray().at(i)->userName == memberName)
            peerRow = qobject_cast<MeetingRowCell *>(list->tableView()->rowViewAtRow(i));
    }
    ASSERT_TRUE(peerRow);
    EXPECT_TRUE(stops.contains(peerRow->moreButton())) << "the row's more actions are mouse-only";
    EXPECT_LT(stops.indexOf(peerRow->cameraButton()), stops.indexOf(list->leftButton()));
    QAccessibleInterface *camera = QAccessible::queryAccessibleInterface(peerRow->cameraButton());
    EXPECT_TRUE(camera->state().checkable);
    EXPECT_TRUE(camera->state().checked);

    // Shift+F10 on a row opens its menu with the focus in it; Escape closes it, back on the row.
    peerRow->cameraButton()->setFocus();
    QTest::keyClick(peerRow->cameraButton(), Qt::Key_F10, Qt::ShiftModifier);
    MemberMoreActionView *menu = list->moreActionView();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_TRUE(menu->isAncestorOf(QApplication::focusWidget()));
    {
        Report report;
        audit(menu, tabStops(), report);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }
    escape();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), peerRow->moreButton());

    // The more panel: its switches are checkable and say whether they are on.
    walkPanel(
        "more panel", list->rightButton(), [&] { return list->memberMorePanelView(); }, total);
    EXPECT_TRUE(
        QAccessible::queryAccessibleInterface(list->memberMorePanelView()->lockMeetingRoomButton())->state().checkable);

    // The tabs are page tabs, one selected.
    QAccessibleInterface *joinedTab = QAccessible::queryAccessibleInterface(list->meetingButton());
    EXPECT_EQ(joinedTab->role(), QAccessible::PageTab);
    EXPECT_TRUE(joinedTab->state().selected);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(list->waitingMeetingButton())->state().selected);

    escape();
    settle();
    EXPECT_FALSE(listWindow->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), page->ui->memberListBtn.data());

    // The pop-ups of the tool bar and the count-down setter.
    walkPanel(
        "applications", page->ui->applicationBtn,
        [&]() -> QWidget * { return page->panels().state().applicationView.data(); }, total);
    walkPanel(
        "subtitle settings", page->ui->subtitleSettingBtn,
        [&]() -> QWidget * { return page->panels().state().subtitleSettingView.data(); }, total);
    walkPanel(
        "microphones", page->ui->selectMicrophoneBtn, [&] { return page->panels().state().audioSelectView.data(); },
        total);
    walkPanel(
        "cameras", page->ui->selectCameraBtn, [&] { return page->panels().state().videoSelectView.data(); }, total);
    walkPanel(
        "screenshot and local recording", page->ui->selectRecordBtn,
        [&]() -> QWidget * { return page->recording().state().moreView.data(); }, total);
    {
        // Its switch: a screen reader's Toggle and Press start and stop the local recording as
        // clicks do.
        SCOPED_TRACE("local recording switch");
        int started = 0;
        MeetingRecording::RecorderFactoryScope recorders([&started](QObject *parent) {
            auto *recorder = new WalkRecorder(parent);
            recorder->started = &started;
            return recorder;
        });
        activate(page->view()->window());
        ASSERT_TRUE(press(page->ui->selectRecordBtn));
        settle();
        QWidget *more = page->recording().state().moreView.data();
        ASSERT_TRUE(more && more->isVisible());
        Report report;
        actLikeClicks(more, report);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        EXPECT_EQ(report.checked, 1);
        EXPECT_EQ(started, 1);
        total += report.checked;
        ASSERT_TRUE(press(page->ui->selectRecordBtn));
        settle();
        EXPECT_FALSE(page->recording().state().moreView);
    }

    page->countDowns().showHostCountDownView();
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    {
        activate(page->view()->window());
        EXPECT_TRUE(setter->isAncestorOf(QApplication::focusWidget()));
        const Report report = walk(page->view()->window(), setter);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
        // The digits' + and - are presses that change the digit; the start is a press too.
        QAccessibleInterface *plus = QAccessible::queryAccessibleInterface(setter->secondsAddButton);
        EXPECT_EQ(plus->role(), QAccessible::Button);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(setter->startButton)->role(), QAccessible::Button);
        const QString before = setter->secondLabel->text();
        ASSERT_TRUE(press(setter->secondsAddButton));
        EXPECT_NE(setter->secondLabel->text(), before);
        setter->startButton->setFocus();
        escape();
        EXPECT_FALSE(setter->isVisible());
    }
    std::cout << "[ walked ] meeting window and 8 panels: " << total << " controls checked\n";
}

TEST_F(PanelWalkTest, HostView_ChatTranscriptFloatingChatAndTitle)
{
    MeetingViewController *page = joinAsHost();
    int total = 0;

    // A chat line typed and sent: the list reads it, and its rows offer nothing that does nothing.
    VeskTextView *input = page->ui->IMChatTextView;
    input->setFocus();
    QTest::keyClicks(input, QStringLiteral("hello"));
    QTest::keyClick(input, Qt::Key_Return);
    ASSERT_TRUE(processEventsUntil([&] { return !page->ui->IMView->msgDataArr().isEmpty(); }));
    settle();
    {
        const Report report = walk(page->view()->window());
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }

    // The title's action copies the meeting ID.
    QApplication::clipboard()->clear();
    ASSERT_TRUE(press(page->ui->titleLabel));
    EXPECT_EQ(QApplication::clipboard()->text(), kRoomId);

    // The transcript in its window: focus in it, Escape closes it.
    page->showOrHiddeTranscriptionWindow(true, false);
    QWidget *transcript = page->transcriptionWindow()->window();
    ASSERT_TRUE(processEventsUntil([&] { return transcript->isVisible(); }));
    {
        activate(transcript);
        EXPECT_TRUE(transcript->isAncestorOf(QApplication::focusWidget()));
        const Report report = walk(transcript);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
        escape();
        settle();
        EXPECT_FALSE(transcript->isVisible()) << "Escape leaves the transcript open";
    }

    // The floating chat, as the share bar's more menu opens it.
    ChatPanel &chat = page->panels().panel<ChatPanel>();
    page->showFloatingWindowAtView(nullptr, chat.floatingIMView(),
                                   QSizeF(FloatingIMView::kWidth, FloatingIMView::kHeight), 0, 0);
    QPointer<FloatingIMView> floating = chat.floatingIMView();
    ASSERT_TRUE(processEventsUntil([&] { return floating->isVisible(); }));
    {
        activate(floating->window());
        EXPECT_TRUE(floating->isAncestorOf(QApplication::focusWidget()));
        const Report report = walk(floating->window());
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
        escape();
        settle();
        EXPECT_TRUE(!floating || !floating->isVisible()) << "Escape leaves the floating chat open";
    }
    std::cout << "[ walked ] chat, transcript and floating chat: " << total << " controls checked\n";
}

TEST_F(PanelWalkTest, HostView_SharePickerFileTabAndItsPermissionPopOvers)
{
    DevFile file;
    file.fileId = QStringLiteral("walk-1");
    file.fileName = QStringLiteral("方案.pdf");
    file.roomId = kRoomId;
    file.extra = {{"status", 1}, {"owner", kHostPhone}, {"userName", QStringLiteral("主持人")}};
    service.state().files.insert(file.fileId, file);
    signIn(kHostPhone, QStringLiteral("主持人"));
    addRoom().flags.insert(QStringLiteral("allowFileShared"), 1);
    MeetingViewController *page = openShownPage();
    int total = 0;
    // The picker on its file tab, then each row's rights and the upload setting.
    page->ui->shareBtn->setFocus();
    ASSERT_TRUE(press(page->ui->shareBtn));
    ASSERT_TRUE(processEventsUntil([&] { return page->sharing().shareControl()->currentShareSelectPanel(); }));
    ShareSelectPanel *picker = page->sharing().shareControl()->currentShareSelectPanel();
    ASSERT_TRUE(press(picker->fileShareButton));
    ASSERT_TRUE(processEventsUntil([&] { return picker->showArray().size() == 1; }));
    settle();
    {
        const Report report = walk(page->view()->window(), picker);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }
    auto *row = picker->fileRowsView()->findChild<FileShareCollectionViewItem *>();
    ASSERT_TRUE(row);
    walkPanel(
        "file rights", row->permissionBtn, [&]() -> QWidget * { return picker->fileSharePermissionSettingView(); },
        total);
    walkPanel(
        "upload permission", picker->allowUploadFilePermissionBtn,
        [&]() -> QWidget * { return picker->fileUploadPermissionPanelView(); }, total);
    std::cout << "[ walked ] share picker's file tab and 2 pop-overs: " << total << " controls checked\n";
}

TEST_F(PanelWalkTest, MemberView_WindowAndMemberListWithoutHostActions)
{
    signIn();
    addRoom();
    MeetingViewController *page = openShownPage();
    engine().emitMemberJoined(kHostPhone, QStringLiteral("主持人"));
    MemberListViewController *list = page->memberListViewController();
    ASSERT_TRUE(processEventsUntil([&] { return list->membersArray().size() == 2; }));
    int total = 0;
    {
        const Report report = walk(page->view()->window());
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }
    walkPanel(
        "member list", page->ui->memberListBtn, [&] { return page->panels().state().memberWindow->window(); }, total);
    std::cout << "[ walked ] member's meeting window and member list: " << total << " controls checked\n";
}

TEST_F(PanelWalkTest, OwnShare_PickerAndFloatingToolBarByKeyboardAndBus)
{
    ShareDesktopScope desktop;
    signIn(kHostPhone, QStringLiteral("主持人"));
    addRoom().flags.insert(QStringLiteral("allowFileShared"), 1);
    MeetingViewController *page = openShownPage();
    KRTCDesktopSource screen;
    screen.sourceId = 0;
    screen.type = KRTCScreenOption::TypeScreen;
    screen.title = QStringLiteral("桌面 1");
    QList<KRTCDesktopSource> windows;
    for (const auto &[id, pid] : {std::pair{11, 100}, {12, 200}, {13, 100}}) {
        KRTCDesktopSource window;
        window.sourceId = id;
        window.type = KRTCScreenOption::TypeWindow;
        window.title = QStringLiteral("窗口%1").arg(id);
        window.ownerPid = pid;
        windows << window;
    }
    engine().setScreenSources({screen});
    engine().setWindowSources(windows);
    int total = 0;

    // The picker: opened by the share button's action, it holds the focus; each tile is reached
    // by Tab and chosen by its action; Escape closes it and gives the focus back.
    ScreenShareControl *control = page->sharing().shareControl();
    page->ui->shareBtn->setFocus();
    ASSERT_TRUE(press(page->ui->shareBtn));
    ASSERT_TRUE(processEventsUntil([&] { return control->currentShareSelectPanel() != nullptr; }));
    ShareSelectPanel *picker = control->currentShareSelectPanel();
    EXPECT_TRUE(picker->isAncestorOf(QApplication::focusWidget()) || picker->hasFocus());
    {
        // Tab keeps to the picker (the window under it is covered), in reading order.
        const QList<QWidget *> stops = tabStops();
        for (QWidget *stop : stops)
            EXPECT_TRUE(stop == picker || picker->isAncestorOf(stop))
                << "Tab left the picker for " << nameOf(stop).toStdString();
        EXPECT_EQ(stops.indexOf(picker->startShareButton), stops.size() - 1) << "the start comes after the tiles";
        const Report report = walk(page->view()->window(), picker);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        EXPECT_GE(report.checked, 9) << "tabs, close, start, a screen, three applications, three windows";
        total += report.checked;
    }
    ASSERT_EQ(picker->applicationItems().size(), 3);
    EXPECT_EQ(nameOf(picker->applicationItems()[0]), QStringLiteral("全部窗口"));
    ASSERT_TRUE(press(picker->applicationItems()[2])); // the second application: its one window
    ASSERT_EQ(picker->windowItems().size(), 1);
    EXPECT_EQ(nameOf(picker->windowItems()[0]), QStringLiteral("窗口12"));
    ASSERT_TRUE(press(picker->windowItems()[0]));
    QAccessibleInterface *chosen = QAccessible::queryAccessibleInterface(picker->windowItems()[0]);
    EXPECT_TRUE(chosen->state().checked) << "the chosen tile says so";
    picker->windowItems()[0]->setFocus();
    escape();
    settle();
    EXPECT_EQ(control->currentShareSelectPanel(), nullptr) << "Escape leaves the picker open";
    EXPECT_EQ(QApplication::focusWidget(), page->ui->shareBtn.data());

    // Shared: the floating tool bar's every control is reached and named, and its actions are
    // its clicks.
    ASSERT_TRUE(processEventsUntil([&] { return page->ui->shareBtn->state() == 0; }));
    ASSERT_TRUE(press(page->ui->shareBtn));
    ASSERT_TRUE(processEventsUntil([&] { return control->currentShareSelectPanel() != nullptr; }));
    picker = control->currentShareSelectPanel();
    ASSERT_TRUE(press(picker->screenItems()[0]));
    ASSERT_TRUE(press(picker->startShareButton));
    clock.clock.advance(std::chrono::seconds(4));
    ASSERT_TRUE(processEventsUntil([&] { return page->sharing().state().screenShareTopWindowController != nullptr; }));
    auto *bar = qobject_cast<ScreenShareWindowViewController *>(
        page->sharing().state().screenShareTopWindowController->contentViewController());
    ASSERT_NE(bar, nullptr);
    QWidget *barWindow = bar->view()->window();
    barWindow->show();
    activate(barWindow);
    bar->micButton->setFocus();
    {
        const Report report = walk(barWindow);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        EXPECT_GE(report.checked, 11) << "ten buttons and the end of the share";
        total += report.checked;
    }
    QAccessibleInterface *share = QAccessible::queryAccessibleInterface(bar->shareButton);
    EXPECT_TRUE(share->state().checkable);
    EXPECT_TRUE(share->state().checked);
    ASSERT_TRUE(press(bar->selectMicButton));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(bar->selectMicButton)->state().checked);
    ASSERT_TRUE(press(bar->selectCameraButton));
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(bar->selectMicButton)->state().checked)
        << "one device menu at a time, by the bus as by a click";
    ASSERT_TRUE(press(bar->selectCameraButton));

    // The member strip beside it.
    KVWindow *strip = page->sharing().state().floatingMediaViewWindow;
    ASSERT_NE(strip, nullptr);
    {
        const Report report = walk(strip);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }

    ASSERT_TRUE(press(bar->stopScreenShareButton));
    EXPECT_TRUE(processEventsUntil([&] { return page->sharing().state().screenShareTopWindowController == nullptr; }))
        << "the end of the share by the bus";
    std::cout << "[ walked ] share picker, floating tool bar and strip: " << total << " controls checked\n";
}

// By mouse: the applications panel's arrow opens its sub-panel with the focus in it, a click on
// the sub-panel's text keeps the focus there, and each Escape closes one panel, innermost first.
TEST_F(PanelWalkTest, ApplicationsSubPanelOpenedByMouse_TakesTheFocusAndEscapeClosesItFirst)
{
    MeetingViewController *page = joinAsHost();
    activate(page->view()->window());
    QTest::mouseClick(page->ui->applicationBtn, Qt::LeftButton);
    settle();
    auto *apps = qobject_cast<ApplicationView *>(page->panels().state().applicationView.data());
    ASSERT_TRUE(apps && apps->isVisible());
    processEventsFor(200); // the sub-panels' own reopening
    QTest::mouseClick(apps->rightMoreButton, Qt::LeftButton);
    settle();
    MeetingRecordSwitchView *record = apps->allowMeetingRecordView();
    ASSERT_TRUE(record->isVisible());
    EXPECT_TRUE(record->isAncestorOf(QApplication::focusWidget()));
    QLabel *text = record->findChild<QLabel *>();
    ASSERT_TRUE(text);
    QTest::mouseClick(text, Qt::LeftButton);
    QWidget *focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == record || record->isAncestorOf(focus)) << nameOf(focus).toStdString();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(record->isVisible());
    EXPECT_TRUE(apps->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), apps->rightMoreButton.data());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(apps->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), page->ui->applicationBtn.data());
}

} // namespace
