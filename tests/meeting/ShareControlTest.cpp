// The user's own share against fake service answers and virtual time: the lock, the picker, the
// count-down, the start, the stop chain by kind, the host's end and the allowed-sharer list.

#include "ShareTestSupport.h"
#include "TestEvents.h"
#include "support/HostileText.h"

#include "ShareFileTestSupport.h"
#include "foundation/KVClock.h"
#include "meeting/sharing/ScreenShareControl.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "meeting/sharing/ShareStartAnimationView.h"
#include "meeting/sharing/ShareTrack.h"
#include "uikit/KVAlert.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr qint64 kScreen = DesktopCaptureSnapshotModel::Screen;
constexpr qint64 kWindow = DesktopCaptureSnapshotModel::Window;

class ShareControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The picker's file tab asks a file service that never answers.
        ShareFileServices::install(files);
        view.resize(1200, 800);
        shareBtn = new VeskButton(QStringLiteral("共享屏幕"), &view);
        shareBtn->setToggle(true);
        finishShareBtn = new VeskButton(QStringLiteral("结束共享"), &view);
        finishShareBtn->hide();
        services->screens = {shareCandidate(kScreen, 0)};
        services->windows = {shareCandidate(kWindow, 77, 10)};
        desktop.place(77, QRect(100, 100, 400, 300));
        ScreenShareControl::WindowCalls w;
        w.view = [this] { return &view; };
        w.shareBtn = [this] { return shareBtn.data(); };
        w.finishShareBtn = [this] { return finishShareBtn.data(); };
        w.judgeSharing = [this] { return screenOnShow; };
        w.memberScreenShareOnShow = [this] { return memberScreenOnShow; };
        w.fileShareMode = [this] { return mode; };
        w.setFileShareMode = [this](int m) { mode = m; };
        w.document = [this] { return document; };
        w.avFile = [this] { return avFile; };
        w.avFileShareStopped = [this] { services->log << "avFileStopped"; };
        w.openFloatingWindows = [this] { services->log << "openFloating"; };
        w.closeShareWindows = [this] {
            services->log << QStringLiteral("closeWindows(ring %1)").arg(ShareTrack::current() ? "on" : "off");
        };
        w.setSharePermissionInfo = [this](const QMap<QString, MeetingMemberShareStatusModel> &fresh) {
            permissions = fresh;
            services->log << "swapped";
        };
        w.refreshShareBottomPanel = [this] { services->log << "bottomPanel"; };
        w.setMemberShareFlag = [this](const QString &peer, int status) {
            services->log << QStringLiteral("shareFlag:%1=%2").arg(peer).arg(status);
        };
        control = std::make_unique<ScreenShareControl>(services, w);
        QObject::connect(shareBtn, &QAbstractButton::clicked, &view, [this] { control->prepareToShare(shareBtn); });
        view.show();
    }
    void TearDown() override
    {
        ShareFileServices::install(nullptr);
        control.reset();
        ShareTrack::stop();
        VeskToast::dismissToast();
        VeskToast::dismissLoadingToast();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<KVAlert *>(w))
                w->deleteLater();
        processEventsFor(5);
    }

    // Presses the share button as a user does (the toggle flips it first).
    void press() { shareBtn->click(); }
    // Up to an open picker.
    void openPicker()
    {
        // The releases still on their way are answered first: a new start waits for them.
        while (services->answer("release", FakeShareServices::code(0))) {
        }
        press();
        ASSERT_TRUE(services->answer("lock", FakeShareServices::lock(true)));
        ASSERT_NE(control->currentShareSelectPanel(), nullptr);
    }
    // Up to a running screen or window share.
    void startSharing(qint64 type = kWindow)
    {
        openPicker();
        ShareSelectPanel *panel = control->currentShareSelectPanel();
        if (type == kWindow)
            panel->selectWindow(0);
        else
            panel->selectScreen(0);
        panel->startShareAction();
        clock.clock.advance(4s);
    }
    [[nodiscard]] static QString toast()
    {
        QWidget *t = VeskToast::currentToast();
        return t ? VeskToast::textOf(t) : QString();
    }
    [[nodiscard]] static KVAlert *alert()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *a = qobject_cast<KVAlert *>(w); a && a->isVisible())
                return a;
        return nullptr;
    }
    [[nodiscard]] static QString alertText(KVAlert *a)
    {
        QStringList texts;
        for (QLabel *l : a->findChildren<QLabel *>())
            texts << l->text();
        return texts.join('|');
    }

    VirtualClockScope clock;
    ShareDesktopScope desktop;
    std::shared_ptr<FakeFileServices> files = std::make_shared<FakeFileServices>();
    std::shared_ptr<FakeShareServices> services = std::make_shared<FakeShareServices>();
    QWidget view;
    QPointer<VeskButton> shareBtn;
    QPointer<VeskButton> finishShareBtn;
    std::unique_ptr<ScreenShareControl> control;
    bool screenOnShow = false;
    bool memberScreenOnShow = false;
    int mode = 0;
    std::shared_ptr<FileShareDatailModel> document;
    std::shared_ptr<FileShareModel> avFile;
    QMap<QString, MeetingMemberShareStatusModel> permissions;
};

TEST_F(ShareControlTest, LockAnswers_EachEndsAsTheUserExpects)
{
    // A second press while the lock is asked for sends nothing and keeps the button on.
    press();
    EXPECT_TRUE(control->isPrepareScreenShare());
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), "正在获取共享令牌");
    press();
    EXPECT_EQ(services->waiting("lock"), 1);
    EXPECT_EQ(shareBtn->state(), 1);

    // Refused with the service's message, then without one: toast, log line, idle.
    services->answer("lock", FakeShareServices::code(500, "锁已被占用"));
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);
    EXPECT_EQ(toast(), "锁已被占用");
    EXPECT_FALSE(control->isPrepareScreenShare());
    EXPECT_EQ(shareBtn->state(), 0);
    EXPECT_TRUE(services->log.contains("lockFailure:锁已被占用"));
    press();
    services->answer("lock", KVMResponse::failure(KVMResponse::NetworkErrorCode, "refused"));
    EXPECT_EQ(toast(), "网络不给力，请稍后重试");
    EXPECT_FALSE(control->isPrepareScreenShare());

    // Granted while someone's screen is on show: no picker, the lock is kept.
    screenOnShow = true;
    press();
    services->answer("lock", FakeShareServices::lock(true));
    EXPECT_EQ(toast(), "正在共享屏幕，您暂时无法共享");
    EXPECT_EQ(control->currentShareSelectPanel(), nullptr);
    EXPECT_EQ(services->waiting("release"), 0);
    services->styleIsFile = true;
    screenOnShow = false;
    press();
    services->answer("lock", FakeShareServices::lock(false));
    EXPECT_EQ(toast(), "正在共享文件，您暂时无法共享");
    EXPECT_EQ(shareBtn->state(), 0);

    // The room forbids sharing: no request at all.
    services->allowShare = false;
    const int before = services->waiting("lock");
    press();
    EXPECT_EQ(services->waiting("lock"), before);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), "主持人已关闭您的共享权限");
    EXPECT_EQ(shareBtn->state(), 0);

    // No screen-recording permission: the alert, nothing sent.
    services->allowShare = true;
    services->permitted = false;
    press();
    EXPECT_EQ(services->waiting("lock"), before);
    ASSERT_NE(alert(), nullptr);
    EXPECT_TRUE(alertText(alert()).contains("无法使用屏幕录制"));
    EXPECT_EQ(shareBtn->state(), 0);
}

TEST_F(ShareControlTest, Picker_OpensCentredWithTheCandidates_CloseReleasesTheLock)
{
    openPicker();
    ShareSelectPanel *panel = control->currentShareSelectPanel();
    EXPECT_TRUE(control->showShareView());
    EXPECT_TRUE(control->isPrepareScreenShare());
    EXPECT_TRUE(services->log.contains("shareStarted"));
    EXPECT_EQ(panel->geometry(), QRect(156, 150, 888, 500));
    EXPECT_EQ(panel->screenItems().size(), 1);
    EXPECT_EQ(panel->windowItems().size(), 1);
    EXPECT_TRUE(panel->isVisible());

    panel->closeSharePanelAction();
    processEventsFor(3);
    EXPECT_EQ(control->currentShareSelectPanel(), nullptr);
    EXPECT_FALSE(control->showShareView());
    EXPECT_FALSE(control->isPrepareScreenShare());
    EXPECT_EQ(shareBtn->state(), 0);
    EXPECT_EQ(services->waiting("release"), 1);

    // While a document is shared the close keeps the button on.
    services->fileSharing = true;
    openPicker();
    control->currentShareSelectPanel()->closeSharePanelAction();
    EXPECT_EQ(shareBtn->state(), 1);
    EXPECT_EQ(services->waiting("release"), 1);
}

TEST_F(ShareControlTest, NoScreens_ToastOneSecondLater_RefilledOnReturnToTheRoom)
{
    services->screens.clear();
    openPicker();
    EXPECT_TRUE(control->fetchShareScreenDataFailed());
    clock.clock.advance(999ms);
    EXPECT_NE(toast(), "网络异常，请稍后重试");
    clock.clock.advance(1ms);
    EXPECT_EQ(toast(), "网络异常，请稍后重试");
    ShareSelectPanel *panel = control->currentShareSelectPanel();
    EXPECT_TRUE(panel->screenItems().isEmpty());

    services->screens = {shareCandidate(kScreen, 0), shareCandidate(kScreen, 1)};
    control->refreshShareDataIfNeeded();
    EXPECT_EQ(control->currentShareSelectPanel(), panel); // the same picker, not reopened
    EXPECT_EQ(panel->screenItems().size(), 2);
    EXPECT_FALSE(control->fetchShareScreenDataFailed());
}

TEST_F(ShareControlTest, CountDown_ThenRingEngineShareAndFloatingWindows)
{
    openPicker();
    ShareSelectPanel *panel = control->currentShareSelectPanel();
    panel->selectWindow(0);
    panel->startShareAction();
    EXPECT_EQ(control->currentShareSelectPanel(), nullptr);
    EXPECT_TRUE(services->screenSharing);
    ShareStartAnimationView *overlay = ShareStartAnimationView::current();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->geometry(), view.rect());
    QStringList shown{overlay->countDownLabel->text()};
    for (int s = 1; s <= 3; ++s) {
        clock.clock.advance(1s);
        shown << overlay->countDownLabel->text();
    }
    EXPECT_EQ(shown, QStringList({"3", "2", "1", "0"}));
    EXPECT_FALSE(services->engineSharing); // not at 3 s
    clock.clock.advance(1s);
    EXPECT_EQ(ShareStartAnimationView::current(), nullptr);
    EXPECT_TRUE(services->engineSharing);
    ASSERT_NE(ShareTrack::current(), nullptr);
    EXPECT_EQ(ShareTrack::current()->trackWindowId(), 77);
    EXPECT_TRUE(finishShareBtn->isVisibleTo(&view));
    EXPECT_TRUE(services->log.contains("openFloating"));
    EXPECT_FALSE(control->isPrepareScreenShare());
    EXPECT_TRUE(control->showShareView());
}

TEST_F(ShareControlTest, StartFails_WindowGoneOrNoStreamLevel_BannerFlagsClearedLockReleased)
{
    for (const bool windowGone : {true, false}) {
        desktop.place(77, QRect(100, 100, 400, 300));
        services->refuseStart = !windowGone;
        openPicker();
        ShareSelectPanel *panel = control->currentShareSelectPanel();
        panel->selectWindow(0);
        panel->startShareAction();
        if (windowGone)
            desktop.desktop->closeWindow(77);
        const int releases = services->waiting("release");
        clock.clock.advance(4s);
        EXPECT_EQ(ShareTrack::current(), nullptr) << windowGone;
        EXPECT_FALSE(services->engineSharing);
        EXPECT_FALSE(services->screenSharing);
        EXPECT_FALSE(control->showShareView());
        EXPECT_EQ(shareBtn->state(), 0);
        EXPECT_FALSE(services->log.contains("openFloating"));
        EXPECT_EQ(services->waiting("release"), releases + 1);
        EXPECT_TRUE(shareTipText(&view).contains("屏幕共享失败，请重新选择共享内容"));
        clock.clock.advance(3s);
    }
}

// Sharing forbidden while the picker is open or the count-down runs: the start is refused with the
// room's text, nothing is shared and the lock goes back.
TEST_F(ShareControlTest, SharingForbiddenMeanwhile_TheStartIsRefusedAndTheLockGoesBack)
{
    for (const bool duringCountDown : {false, true}) {
        openPicker();
        ShareSelectPanel *panel = control->currentShareSelectPanel();
        panel->selectWindow(0);
        if (!duringCountDown)
            services->allowShare = false;
        panel->startShareAction();
        if (duringCountDown) {
            ASSERT_NE(ShareStartAnimationView::current(), nullptr);
            services->allowShare = false;
            clock.clock.advance(4s);
        }
        EXPECT_EQ(ShareStartAnimationView::current(), nullptr) << duringCountDown;
        EXPECT_EQ(control->currentShareSelectPanel(), nullptr);
        EXPECT_FALSE(services->engineSharing) << duringCountDown;
        EXPECT_FALSE(services->screenSharing);
        EXPECT_EQ(ShareTrack::current(), nullptr);
        EXPECT_EQ(shareBtn->state(), 0);
        EXPECT_FALSE(control->isPrepareScreenShare());
        EXPECT_EQ(toast(), QStringLiteral("主持人已关闭您的共享权限"));
        EXPECT_EQ(services->waiting("release"), 1) << duringCountDown;
        clock.clock.advance(4s);
        EXPECT_FALSE(services->engineSharing) << duringCountDown;
        services->allowShare = true;
    }
}

// The same for a document or a media file chosen in the open picker, also once its rights came.
TEST_F(ShareControlTest, SharingForbiddenMeanwhile_AFileStartSendsNothing)
{
    for (const bool afterRights : {false, true}) {
        for (const QString &name : {QStringLiteral("a.pdf"), QStringLiteral("b.mp4")}) {
            openPicker();
            ShareSelectPanel *panel = control->currentShareSelectPanel();
            const QString type = name.endsWith(QLatin1String(".pdf")) ? QStringLiteral("1") : QStringLiteral("2");
            if (!afterRights)
                services->allowShare = false;
            panel->startFileShare(1, QStringLiteral("u1"), QStringLiteral("f1"), name, type, 10, true);
            if (afterRights) {
                files->answer(
                    QStringLiteral("slices"),
                    FakeFileServices::code(
                        0, QVariantMap{{QStringLiteral("sliceInfo"),
                                        QVariantList{QVariantMap{{QStringLiteral("url"), QStringLiteral("p")}}}}}));
                services->allowShare = false;
                ASSERT_TRUE(files->answer(QStringLiteral("rights"), FakeFileServices::code(0, QVariantList{})))
                    << name.toStdString();
            }
            EXPECT_EQ(files->count(QStringLiteral("document")) + files->count(QStringLiteral("av")), 0)
                << name.toStdString() << afterRights;
            EXPECT_EQ(control->currentShareSelectPanel(), nullptr);
            EXPECT_EQ(toast(), QStringLiteral("主持人已关闭您的共享权限"));
            EXPECT_EQ(services->waiting("release"), 1) << name.toStdString() << afterRights;
            services->allowShare = true;
        }
    }
}

TEST_F(ShareControlTest, StopDuringCountDown_DropsTheOverlayAndStartsNothing)
{
    // A stop, a reset, and the host's end (event 4) during the count-down.
    for (int way = 0; way < 3; ++way) {
        openPicker();
        control->currentShareSelectPanel()->selectScreen(0);
        control->currentShareSelectPanel()->startShareAction();
        clock.clock.advance(2s);
        const int releases = services->waiting("release");
        if (way == 0) {
            control->stopScreenShare(false);
        } else if (way == 1) {
            control->resetShareStatus();
        } else {
            MeetingControlData data;
            data.peerId = services->myPhoneNumber();
            control->controlScreenShareWithData(data);
            ASSERT_TRUE(drainMainQueue());
        }
        processEventsFor(3);
        EXPECT_EQ(ShareStartAnimationView::current(), nullptr) << way;
        clock.clock.advance(5s);
        EXPECT_EQ(ShareTrack::current(), nullptr) << way;
        EXPECT_FALSE(services->engineSharing) << way;
        EXPECT_FALSE(services->screenSharing) << way;
        if (way != 1) {
            EXPECT_EQ(services->waiting("release"), releases + 1) << way;
        }
        if (KVAlert *a = alert())
            a->dismiss();
    }
}

// A stop, by the user's button or by the host (event 4), ends the share here at once: a release
// that is refused or never answered leaves nothing running that its controls could not end.
TEST_F(ShareControlTest, AStop_EndsTheScreenShareAtOnce_WhateverTheReleaseAnswers)
{
    const KVMResponse timedOut = KVMResponse::failure(KVMResponse::TimeoutCode, "timeout");
    for (const bool byHost : {false, true}) {
        startSharing();
        ASSERT_TRUE(services->engineSharing);
        services->log.clear();
        if (byHost) {
            MeetingControlData data;
            data.peerId = services->myPhoneNumber();
            data.sender = QStringLiteral("creator");
            control->controlScreenShareWithData(data);
            services->log.clear(); // the member's flag
            ASSERT_TRUE(drainMainQueue());
            ASSERT_NE(alert(), nullptr);
            alert()->dismiss();
        } else {
            press(); // the button off
        }
        EXPECT_EQ(services->log, QStringList({"stopDesktopShare", "closeWindows(ring off)", "release"})) << byHost;
        EXPECT_FALSE(services->screenSharing);
        EXPECT_FALSE(finishShareBtn->isVisibleTo(&view));
        EXPECT_EQ(shareBtn->state(), 0);
        EXPECT_FALSE(control->showShareView());
        services->answer("release", byHost ? timedOut : FakeShareServices::code(1));
        EXPECT_FALSE(services->engineSharing) << byHost;
        EXPECT_EQ(ShareTrack::current(), nullptr);
        // The button starts a new share with the lock, not a picker in a window out of sight.
        press();
        EXPECT_EQ(services->waiting("lock"), 1) << byHost;
        EXPECT_EQ(control->currentShareSelectPanel(), nullptr);
        services->answer("lock", FakeShareServices::lock(false));
    }

    // Nothing of one's own: a plain stop does nothing.
    services->log.clear();
    control->stopScreenShare(false);
    EXPECT_TRUE(services->log.isEmpty());
}

// A new start after a stop asks for the lock only once the stop is answered: asked before, the
// late release would free the lock the new share was just given, and another could take it too.
TEST_F(ShareControlTest, ANewStartWaitsForTheStopOnItsWay)
{
    startSharing();
    press(); // the button off: the share ends, its release is on its way
    ASSERT_EQ(services->waiting("release"), 1);
    press();
    int listStarts = 0;
    control->withShareLock([&] { ++listStarts; });
    EXPECT_EQ(services->waiting("lock"), 0);
    EXPECT_TRUE(control->isPrepareScreenShare());
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), "正在获取共享令牌");
    services->answer("release", KVMResponse::failure(KVMResponse::TimeoutCode, "timeout"));
    ASSERT_EQ(services->waiting("lock"), 2);
    services->answer("lock", FakeShareServices::lock(true));
    EXPECT_NE(control->currentShareSelectPanel(), nullptr);
    EXPECT_EQ(shareBtn->state(), 1);
    control->currentShareSelectPanel()->closeSharePanelBlock(true);
    services->answer("lock", FakeShareServices::lock(true));
    EXPECT_EQ(listStarts, 1);

    // A document's stop, then its release: the start waits for both.
    services->answer("release", FakeShareServices::code(0));
    mode = 1;
    services->fileSharing = true;
    document = std::make_shared<FileShareDatailModel>();
    control->stopScreenShare(false);
    press();
    services->answer("stopFile", FakeShareServices::code(0));
    EXPECT_EQ(services->waiting("lock"), 0);
    services->answer("release", FakeShareServices::code(0));
    EXPECT_EQ(services->waiting("lock"), 1);
    EXPECT_TRUE(control->isPrepareScreenShare());
}

// The engine's end of a share (the window closed, the desktop ended it, the portal refused or the
// user cancelled its dialog after the count-down): the user's stop at once, without asking first.
TEST_F(ShareControlTest, TheEngineEndsTheShare_TheLocalEndRunsAndTheLockGoesBack_AFailedStartSaysSo)
{
    for (const bool startFailed : {false, true}) {
        startSharing();
        ASSERT_TRUE(services->engineSharing);
        ASSERT_TRUE(services->log.contains("openFloating"));
        // The manager took its flag back before it told the window.
        services->screenSharing = false;
        services->log.clear();
        control->shareEndedByEngine(startFailed);
        EXPECT_EQ(services->log, QStringList({"stopDesktopShare", "closeWindows(ring off)", "release"})) << startFailed;
        EXPECT_EQ(ShareTrack::current(), nullptr);
        EXPECT_FALSE(finishShareBtn->isVisibleTo(&view));
        EXPECT_EQ(shareBtn->state(), 0);
        EXPECT_FALSE(control->showShareView());
        EXPECT_EQ(shareTipText(&view).contains("屏幕共享失败，请重新选择共享内容"), startFailed);
        // Whatever the service answers, nothing more happens; a second report changes nothing.
        services->answer("release", FakeShareServices::code(1));
        services->log.clear();
        control->shareEndedByEngine(startFailed);
        EXPECT_TRUE(services->log.isEmpty()) << services->log.join(',').toStdString();

        // The next press asks for the lock and opens the picker again.
        openPicker();
        EXPECT_TRUE(control->currentShareSelectPanel()->isVisibleTo(&view));
        control->currentShareSelectPanel()->closeSharePanelBlock(true);
        services->answer("release", FakeShareServices::code(0));
    }
    // A report with no share of this control's running (a document share, say) is not an end.
    services->fileSharing = true;
    mode = 1;
    services->log.clear();
    control->shareEndedByEngine(false);
    EXPECT_TRUE(services->log.isEmpty());
    EXPECT_TRUE(services->fileSharing);
}

TEST_F(ShareControlTest, StopChain_DocumentAndAudioVideo_EndsOnceStopped_WhateverTheReleaseAnswers)
{
    mode = 1;
    services->fileSharing = true;
    document = std::make_shared<FileShareDatailModel>();
    control->stopScreenShare(false);
    services->answer("stopFile", FakeShareServices::code(3));
    EXPECT_EQ(services->waiting("release"), 0); // the stop was refused: nothing more
    control->stopScreenShare(false);
    services->answer("stopFile", FakeShareServices::code(0));
    EXPECT_FALSE(services->fileSharing); // ended at the service: ended here, the release on its way
    EXPECT_EQ(mode, 0);
    EXPECT_TRUE(services->log.contains("avFileStopped"));
    EXPECT_EQ(services->waiting("release"), 1);
    services->answer("release", FakeShareServices::code(0));

    mode = 2;
    services->avSharing = true;
    avFile = std::make_shared<FileShareModel>(); // no file id: nothing is sent
    control->stopScreenShare(false);
    EXPECT_EQ(services->waiting("stopAVFile"), 0);
    EXPECT_TRUE(services->avSharing);
    avFile->fileId = QStringLiteral("f1");
    control->stopScreenShare(false);
    services->answer("stopAVFile", FakeShareServices::code(2));
    EXPECT_TRUE(services->avSharing); // the stop refused: the file plays on
    control->stopScreenShare(false);
    services->answer("stopAVFile", FakeShareServices::code(0));
    EXPECT_FALSE(services->avSharing);
    services->answer("release", FakeShareServices::code(2));
    EXPECT_FALSE(services->avSharing);
}

TEST_F(ShareControlTest, AScreenShareReplacingTheOwnDocument_EndsItAtTheServiceAndKeepsTheLock)
{
    mode = 1;
    services->fileSharing = true;
    document = std::make_shared<FileShareDatailModel>();
    document->fileId = QStringLiteral("doc-1");
    startSharing();
    EXPECT_TRUE(services->engineSharing);
    EXPECT_EQ(services->waiting("stopFile"), 1);
    EXPECT_FALSE(services->fileSharing);
    EXPECT_EQ(mode, 0);
    services->answer("stopFile", FakeShareServices::code(0));
    EXPECT_EQ(services->waiting("release"), 0);
}

TEST_F(ShareControlTest, CloseScreenShare_HostEndsAMembersScreenByForce)
{
    control->closeScreenShare(); // neither in control nor sharing: nothing
    EXPECT_EQ(services->waiting("release"), 0);
    memberScreenOnShow = true;
    control->closeScreenShare(); // not the host
    EXPECT_EQ(services->waiting("release"), 0);
    services->host = true;
    control->closeScreenShare();
    ASSERT_EQ(services->waiting("release"), 1);
    services->answer("release", FakeShareServices::code(0));
    EXPECT_TRUE(services->log.contains("stopDesktopShare"));
}

TEST_F(ShareControlTest, HostEndsTheShare_Event4ForMeAndForAnother)
{
    MeetingControlData other;
    other.peerId = QStringLiteral("13900000009");
    other.switchStatus = 0;
    control->controlScreenShareWithData(other);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_TRUE(services->log.contains("shareFlag:13900000009=0"));
    EXPECT_EQ(alert(), nullptr);

    startSharing();
    MeetingControlData mine;
    mine.peerId = services->myPhoneNumber();
    mine.sender = QStringLiteral("creator");
    control->controlScreenShareWithData(mine);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_FALSE(services->screenSharing);
    ASSERT_NE(alert(), nullptr);
    EXPECT_TRUE(alertText(alert()).contains("主持人结束了您的共享"));
    alert()->dismiss();
    services->answer("release", FakeShareServices::code(0));
    EXPECT_EQ(ShareTrack::current(), nullptr);
    EXPECT_FALSE(services->engineSharing);

    // Another sender is named, as plain text in its own direction.
    startSharing();
    mine.sender = QStringLiteral("someone");
    // A closing isolate of its own ends nothing of ours.
    mine.senderName = QStringLiteral("<b>乙</b>\u2069\u202E");
    control->controlScreenShareWithData(mine);
    ASSERT_TRUE(drainMainQueue());
    ASSERT_NE(alert(), nullptr);
    EXPECT_TRUE(alertText(alert()).contains(QStringLiteral("<b>乙</b>")));
    EXPECT_TRUE(shownInOrder(alertText(alert()), QStringLiteral("结束了您的共享")));

    // A 912 without a name from one who is neither the creator nor the service is not the host's.
    alert()->dismiss();
    startSharing();
    mine.senderName.clear();
    control->controlScreenShareWithData(mine);
    ASSERT_TRUE(drainMainQueue());
    ASSERT_NE(alert(), nullptr);
    EXPECT_TRUE(alertText(alert()).contains(QStringLiteral("结束了您的共享")));
    EXPECT_FALSE(alertText(alert()).contains(QStringLiteral("主持人")));
}

TEST_F(ShareControlTest, AllowedSharers_HostsOnly_FailureKeepsTheList)
{
    control->querySharePermission();
    EXPECT_EQ(services->waiting("allowList"), 0);
    services->assistant = true;
    control->querySharePermission();
    KVMResponse ok = FakeShareServices::code(0);
    ok.data = QVariantList{QVariantMap{{"userId", "u1"}, {"userName", "甲"}, {"allowShareStatus", 1}},
                           QVariantMap{{"userId", "u2"}, {"userName", "乙"}, {"allowShareStatus", 1}}};
    services->answer("allowList", ok);
    EXPECT_EQ(permissions.keys(), QStringList({"u1", "u2"}));
    EXPECT_EQ(services->log.mid(services->log.indexOf("swapped")), QStringList({"swapped", "bottomPanel"}));

    control->querySharePermission();
    services->answer("allowList", FakeShareServices::code(500));
    EXPECT_EQ(permissions.size(), 2);
}

} // namespace
