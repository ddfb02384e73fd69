// The user's own screen share in the joined meeting window against the stand-in: the share button
// takes the lock, the picker shows the engine's candidates, the count-down starts the share with
// its tool bar and strip (every member at once), and the tool bar's end-share button gives
// everything back.

#include "DispatchWindowSupport.h"
#include "ShareTestSupport.h"

#include "meeting/sharing/ScreenShareWindowViewController.h"
#include "meeting/sharing/ShareSelectCells.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "meeting/sharing/ShareTrack.h"
#include "meeting/window/FloatingMediaView.h"
#include "uikit/KVAlert.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskToast.h"

#include "foundation/RXEncrypt.h"

#include <QLabel>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class ShareWindowTest : public DispatchWindowTest {
protected:
    // From the share button through the picker and the count-down to a running share of screen 0.
    void shareTheScreen()
    {
        KRTCDesktopSource screen;
        screen.sourceId = 0;
        screen.type = KRTCScreenOption::TypeScreen;
        engine().setScreenSources({screen});
        click(page->ui->shareBtn);
        ScreenShareControl *control = page->sharing().shareControl();
        ASSERT_TRUE(processEventsUntil([&] { return control->currentShareSelectPanel() != nullptr; }));
        ShareSelectPanel *picker = control->currentShareSelectPanel();
        ASSERT_EQ(picker->screenItems().size(), 1);
        picker->screenItems()[0]->click();
        picker->startShareButton->click();
        clock.clock.advance(4s);
        ASSERT_TRUE(processEventsUntil([&] { return engine().screenSharing(); }));
    }
    [[nodiscard]] static QString alertText()
    {
        QStringList texts;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *a = qobject_cast<KVAlert *>(w); a && a->isVisible())
                for (QLabel *l : a->findChildren<QLabel *>())
                    texts << l->text();
        return texts.join('|');
    }
};

TEST_F(ShareWindowTest, ShareAScreen_ThenEndItFromTheFloatingToolBar)
{
    ShareDesktopScope desktop;
    KRTCDesktopSource screen;
    screen.sourceId = 0;
    screen.type = KRTCScreenOption::TypeScreen;
    signIn();
    addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
    page = openJoinedPage();
    engine().emitMemberJoined(QStringLiteral("13700000006"), QStringLiteral("乙"));
    engine().emitMemberJoined(QStringLiteral("13700000007"), QStringLiteral("丙"));
    ASSERT_TRUE(processEventsUntil([&] { return page->activeMembers().size() == 3; }));
    engine().setScreenSources({screen});
    QWidget *meetingWindow = page->view()->window();
    meetingWindow->show();

    click(page->ui->shareBtn);
    ScreenShareControl *control = page->sharing().shareControl();
    ASSERT_TRUE(processEventsUntil([&] { return control->currentShareSelectPanel() != nullptr; }));
    ShareSelectPanel *picker = control->currentShareSelectPanel();
    EXPECT_EQ(picker->parentWidget(), page->view());
    EXPECT_EQ(picker->size(), QSize(888, 500));
    ASSERT_EQ(picker->screenItems().size(), 1);
    EXPECT_EQ(picker->screenItems()[0]->accessibleName(), "桌面 1");
    picker->screenItems()[0]->click();
    picker->startShareButton->click();

    clock.clock.advance(4s);
    ASSERT_TRUE(processEventsUntil([&] { return engine().screenSharing(); }));
    EXPECT_NE(ShareTrack::current(), nullptr);
    EXPECT_FALSE(meetingWindow->isVisible());
    const auto &barWindow = page->sharing().state().screenShareTopWindowController;
    ASSERT_NE(barWindow, nullptr);
    auto *bar = qobject_cast<ScreenShareWindowViewController *>(barWindow->contentViewController());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->screenSharing());
    // The strip beside it shows everyone at once, as the meeting window's strip does.
    KVWindow *stripWindow = page->sharing().state().floatingMediaViewWindow;
    ASSERT_NE(stripWindow, nullptr);
    auto *strip = qobject_cast<FloatingMediaView *>(stripWindow->contentView());
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->activeMembers(), page->activeMembers());
    EXPECT_EQ(strip->mode(), FloatingMediaView::Mode::All);
    EXPECT_EQ(stripWindow->size(), FloatingMediaView::contentSizeFor(FloatingMediaView::Mode::All, 3));

    bar->stopScreenShareButton->click();
    ASSERT_TRUE(processEventsUntil([&] { return !engine().screenSharing(); }));
    settle();
    EXPECT_EQ(ShareTrack::current(), nullptr);
    EXPECT_EQ(page->sharing().state().screenShareTopWindowController, nullptr);
    EXPECT_TRUE(meetingWindow->isVisible());
    EXPECT_EQ(page->ui->shareBtn->state(), 0);
    EXPECT_TRUE(requestPaths().contains(QStringLiteral("/qf/meeting/control/%1/releaseShareLock").arg(kRoomId)));
}

// The engine ends the share by itself: a shared window that closed, the desktop that ended the
// capture, or a portal that refused (or whose dialog was cancelled) after the count-down.
TEST_F(ShareWindowTest, TheEngineEndsTheShare_EverythingOfTheShareGoes_TheLockIsFree_ANewShareStartsClean)
{
    ShareDesktopScope desktop;
    signIn();
    addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
    page = openJoinedPage();
    QWidget *meetingWindow = page->view()->window();
    meetingWindow->show();
    const QString releasePath = QStringLiteral("/qf/meeting/control/%1/releaseShareLock").arg(kRoomId);
    const auto strips = [] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *k = qobject_cast<KVWindow *>(w);
                k && k->isVisible() && k->identifier() == QStringLiteral("floatingMediaViewWindow"))
                ++n;
        return n;
    };
    for (const int reason : {KRTCShareEnd::SourceGone, KRTCShareEnd::StartFailed}) {
        shareTheScreen();
        ASSERT_FALSE(meetingWindow->isVisible());
        ASSERT_NE(page->sharing().state().screenShareTopWindowController, nullptr);
        EXPECT_EQ(strips(), 1) << reason;
        const qsizetype released = requestPaths().count(releasePath);

        engine().emitScreenShareFinished(reason);
        ASSERT_TRUE(processEventsUntil([&] { return meetingWindow->isVisible(); })) << reason;
        ASSERT_TRUE(settleRequests());
        EXPECT_EQ(requestPaths().count(releasePath), released + 1) << "the lock goes back";
        EXPECT_EQ(ShareTrack::current(), nullptr);
        EXPECT_EQ(page->sharing().state().screenShareTopWindowController, nullptr);
        EXPECT_EQ(strips(), 0);
        EXPECT_FALSE(manager()->selfScreenOrWindowSharing());
        EXPECT_EQ(page->ui->shareBtn->state(), 0);
        EXPECT_FALSE(page->ui->finishShareBtn->isVisible());
        EXPECT_EQ(tipText().contains(QStringLiteral("屏幕共享失败，请重新选择共享内容")),
                  reason == KRTCShareEnd::StartFailed);
        clock.clock.advance(3s);
    }
    // Another share opens its picker in the window shown and one strip beside its bar.
    shareTheScreen();
    EXPECT_EQ(strips(), 1);
}

// A Wayland share: after the count-down the portal's dialog asks the user. Until the share runs
// the meeting window stays and no tool bar comes; a cancel keeps the window, with the banner.
TEST_F(ShareWindowTest, APortalShare_TheMeetingWindowStaysUntilItRuns_ACancelKeepsItWithTheBanner)
{
    ShareDesktopScope desktop;
    signIn();
    addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
    page = openJoinedPage();
    QWidget *meetingWindow = page->view()->window();
    meetingWindow->show();
    const QString releasePath = QStringLiteral("/qf/meeting/control/%1/releaseShareLock").arg(kRoomId);
    for (const bool chosen : {false, true}) {
        engine().setResult(QStringLiteral("startScreenSharing"), KRTCShareStart::Pending);
        shareTheScreen();
        settle();
        EXPECT_TRUE(meetingWindow->isVisible()) << "gone while the user still chooses";
        EXPECT_EQ(page->sharing().state().screenShareTopWindowController, nullptr) << chosen;
        EXPECT_TRUE(page->ui->finishShareBtn->isHidden());
        ASSERT_TRUE(settleRequests());
        const qsizetype released = requestPaths().count(releasePath);
        if (!chosen) {
            engine().emitScreenShareFinished(KRTCShareEnd::StartFailed);
            ASSERT_TRUE(processEventsUntil([&] { return page->ui->shareBtn->state() == 0; }));
            ASSERT_TRUE(settleRequests());
            EXPECT_TRUE(meetingWindow->isVisible());
            EXPECT_EQ(page->sharing().state().screenShareTopWindowController, nullptr);
            EXPECT_EQ(tipText(), QStringLiteral("屏幕共享失败，请重新选择共享内容"));
            EXPECT_EQ(requestPaths().count(releasePath), released + 1) << "the lock goes back";
            EXPECT_FALSE(manager()->selfScreenOrWindowSharing());
            clock.clock.advance(3s);
            continue;
        }
        engine().emitStreamPublished(engine().lastJoinConfig().peerId, KRTCSourceType::Share, false, true);
        ASSERT_TRUE(processEventsUntil([&] { return !meetingWindow->isVisible(); })) << "the share runs";
        EXPECT_NE(page->sharing().state().screenShareTopWindowController, nullptr);
        EXPECT_FALSE(page->ui->finishShareBtn->isHidden());
        EXPECT_EQ(requestPaths().count(releasePath), released);
        engine().emitScreenShareFinished(KRTCShareEnd::SourceGone);
        EXPECT_TRUE(processEventsUntil([&] { return meetingWindow->isVisible(); }));
    }
}

TEST_F(ShareWindowTest, HostWithdrawsTheRightToShare_TheOwnShareEnds_TheButtonIsRefused)
{
    ShareDesktopScope desktop;
    signIn();
    addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
    page = openJoinedPage();
    page->view()->window()->show();
    shareTheScreen();
    ASSERT_FALSE(page->view()->window()->isVisible());

    receive(controlMessage(912, {{"allowFileShared", 0}, {"sharePermission", 2}}));
    ASSERT_TRUE(processEventsUntil([&] { return !engine().screenSharing(); }));
    settle();
    EXPECT_EQ(ShareTrack::current(), nullptr);
    EXPECT_EQ(page->sharing().state().screenShareTopWindowController, nullptr);
    EXPECT_TRUE(page->view()->window()->isVisible());
    EXPECT_TRUE(alertText().contains(QStringLiteral("主持人结束了您的共享")));
    EXPECT_EQ(page->ui->shareBtn->state(), 0);

    // The room now forbids it: the button asks for no lock.
    const QString lockPath = QStringLiteral("/qf/meeting/control/%1/getShareLock").arg(kRoomId);
    const qsizetype asked = requestPaths().count(lockPath);
    click(page->ui->shareBtn);
    EXPECT_EQ(requestPaths().count(lockPath), asked);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("主持人已关闭您的共享权限"));
    EXPECT_EQ(page->ui->shareBtn->state(), 0);
}

// The service's own 912 carries no name: the alert names the host's role, never an empty name.
TEST_F(ShareWindowTest, TheServiceWithdrawsTheRightToShare_TheAlertNamesTheHost)
{
    ShareDesktopScope desktop;
    signIn();
    addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
    page = openJoinedPage();
    page->view()->window()->show();
    shareTheScreen();
    receive(controlMessage(912, {{"allowFileShared", 0}, {"sharePermission", 2}}, {}, QStringLiteral("mccServer"),
                           QString()));
    ASSERT_TRUE(processEventsUntil([&] { return !engine().screenSharing(); }));
    settle();
    EXPECT_EQ(alertText(), QStringLiteral("主持人结束了您的共享"));
    // Escape closes it, as every panel closes.
    QWidget *alert = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<KVAlert *>(w) && w->isVisible())
            alert = w;
    ASSERT_NE(alert, nullptr);
    QTest::keyClick(alert, Qt::Key_Escape);
    EXPECT_TRUE(alertText().isEmpty());
}

// The floating tool bar's more menu opens from its button and closes with Escape, the button off.
TEST_F(ShareWindowTest, TheFloatingBarsMoreMenuClosesWithEscape)
{
    ShareDesktopScope desktop;
    signIn();
    addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
    page = openJoinedPage();
    page->view()->window()->show();
    shareTheScreen();
    auto *bar = qobject_cast<ScreenShareWindowViewController *>(
        page->sharing().state().screenShareTopWindowController->contentViewController());
    ASSERT_NE(bar, nullptr);
    VeskButton *more = bar->moreButton;
    QTest::mouseClick(more, Qt::LeftButton);
    const QPointer<QWidget> &menu = page->sharing().state().moreItemViewStorage;
    ASSERT_TRUE(processEventsUntil([&] { return menu && menu->isVisible(); }));
    EXPECT_EQ(more->state(), 1);
    QWidget *focused = menu->window()->focusWidget();
    QTest::keyClick(focused ? focused : menu->window(), Qt::Key_Escape);
    EXPECT_TRUE(processEventsUntil([&] { return !menu || !menu->isVisible(); }));
    EXPECT_EQ(more->state(), 0);
}

TEST_F(ShareWindowTest, TheAllowedSharersChange_TheHostAsksForTheListAgain)
{
    join(true);
    const QString listPath = QStringLiteral("/qf/meeting/room/getAllowShareUsers");
    ASSERT_TRUE(settleRequests());
    // The window opening, the join and the assistants' list all want it: one request serves them.
    EXPECT_EQ(requestPaths().count(listPath), 1);
    const qsizetype asked = requestPaths().count(listPath);
    receive(controlMessage(913, {{"sharePermission", 1}}));
    EXPECT_EQ(requestPaths().count(listPath), asked + 1);
    EXPECT_EQ(room()->sharePermission, 1);
    // Two changes in a row while the list is on its way: one more fresh answer, not a stale one.
    service.delayNextReply(listPath, 100);
    page->sharing().querySharePermission(true);
    ASSERT_TRUE(processEventsUntil([&] { return requestPaths().count(listPath) == asked + 2; }));
    page->sharing().querySharePermission(true);
    page->sharing().querySharePermission(true);
    clock.clock.advance(150ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestPaths().count(listPath), asked + 3);
}

// A member who leaves while sharing a file ends the share for everyone: the stop reaches the
// service though the window that sent it goes at once, and the lock is free again.
class LeaveWhileSharingTest : public ShareWindowTest {
protected:
    void leaveWhileSharing(const QString &fileType, const QString &fileName)
    {
        ShareDesktopScope desktop;
        signIn();
        addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
        page = openJoinedPage();
        DevFile file;
        file.fileId = QStringLiteral("f-") + fileType;
        file.fileName = fileName;
        file.roomId = kRoomId;
        file.extra = {{"status", 1}, {"owner", kMyPhone}, {"pages", 3}, {"duration", 300}};
        service.state().files.insert(file.fileId, file);

        // The share button takes the lock and opens the picker; its file tab starts the share at
        // the service and then hands it to the window.
        click(page->ui->shareBtn);
        ScreenShareControl *control = page->sharing().shareControl();
        ASSERT_TRUE(processEventsUntil([&] { return control->currentShareSelectPanel() != nullptr; }));
        ShareSelectPanel *picker = control->currentShareSelectPanel();
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        std::optional<KVMResponse> started;
        const QString me = RXEncrypt::aes128ecbEncrypt(kMyPhone);
        if (fileType == QLatin1String("1")) {
            agent->startOrStopFileShare(&context, true, me, file.fileId, fileName, QStringLiteral("[]"),
                                        QStringLiteral("1"), {}, [&](const KVMResponse &r) { started = r; });
            ASSERT_TRUE(processEventsUntil([&] { return started.has_value(); }));
            ASSERT_TRUE(started->successed) << qPrintable(started->message);
            FileShareDatailModel document;
            document.fileId = file.fileId;
            document.fileName = fileName;
            document.sliceInfo.resize(3);
            picker->fileShareStartShareBlock(document);
        } else {
            agent->startOrStopAVFileShare(&context, 1, me, file.fileId, fileType.toLongLong(), fileName, 300,
                                          QStringLiteral("1"), {}, [&](const KVMResponse &r) { started = r; });
            ASSERT_TRUE(processEventsUntil([&] { return started.has_value(); }));
            ASSERT_TRUE(started->successed) << qPrintable(started->message);
            FileShareModel shared;
            shared.fileId = file.fileId;
            shared.fileName = fileName;
            shared.fileType = fileType;
            shared.duration = 300;
            shared.userId = me;
            picker->avFileShareStartShareBlock(shared);
        }
        settle();
        DevRoom *room = service.state().room(kRoomId);
        ASSERT_EQ(room->flags.value(QStringLiteral("isSharingFiles")).toInt(), fileType.toInt());
        ASSERT_EQ(page->sharing().state().fileShareMode, fileType == QLatin1String("1") ? 1 : 2);

        page->leaveRoom();
        EXPECT_TRUE(processEventsUntil([&] {
            return room->flags.value(QStringLiteral("isSharingFiles")).toInt() == 0 &&
                   !room->extra.contains(QStringLiteral("sharedFile")) &&
                   !room->extra.contains(QStringLiteral("sharedAudVid")) &&
                   !room->extra.contains(QStringLiteral("avPlayback"));
        })) << "still shared: "
            << room->flags.value(QStringLiteral("isSharingFiles")).toInt();
        EXPECT_FALSE(room->extra.contains(QStringLiteral("shareLock")));
        EXPECT_FALSE(navigator->meetingPage);
    }
};

TEST_F(LeaveWhileSharingTest, ADocument)
{
    leaveWhileSharing(QStringLiteral("1"), QStringLiteral("方案.pdf"));
}

TEST_F(LeaveWhileSharingTest, AnAudioFile)
{
    leaveWhileSharing(QStringLiteral("3"), QStringLiteral("歌.mp3"));
}

TEST_F(LeaveWhileSharingTest, AVideoFile)
{
    leaveWhileSharing(QStringLiteral("2"), QStringLiteral("片.mp4"));
}

} // namespace
