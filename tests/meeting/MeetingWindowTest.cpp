// The meeting window headless against the stand-in: build and look, the waiting-room screen and
// its poll, room states and banners, join steps, forced ends, leaving on both roads, frames.

#include "MeetingTestSupport.h"

#include "support/AccessibilityWalk.h"

#include "agent/MainSettingModel.h"
#include "agent/engine/KRTCVideoView.h"
#include "agent/engine/MediaBackend.h"
#include "connection/HttpManager.h"
#include "foundation/NotificationCenter.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/SubtitlePanel.h"
#include "meeting/window/NetWorkTipView.h"
#include "meeting/window/dispatch/MeetingDeviceCheck.h"
#include "meeting/window/grid/MeetingActiveView.h"
#include "meeting/window/grid/VideoCollectionViewItem.h"
#include "scheduling/KVMCommonUtilCalendar.h"
#include "scheduling/WMEventCalendarTool.h"
#include "uikit/KVMacWatermarkView.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskTextView.h"

#include <QAccessible>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

const QString kQueryPath = QStringLiteral("/qf/meeting/control/123456789/member/queryAllowEnterStatus");
const QString kLeavePath = QStringLiteral("/qf/meeting/room/leave");
const QString kClosePath = QStringLiteral("/qf/meeting/control/123456789/close");
const QString kHostInfoPath = QStringLiteral("/qf/meeting/room/hostInfo");
const QString kConfigPath = QStringLiteral("/qf/meeting/control/123456789/member/config");

// The stand-in's virtual members of a room: one, by id.
QVariantList metaMembers(const QString &id)
{
    return {QVariantMap{{QStringLiteral("userId"), id}}};
}

int bannerCount(QWidget *view)
{
    int n = 0;
    for (NetWorkTipView *b : view->findChildren<NetWorkTipView *>())
        n += b->isVisible() ? 1 : 0;
    return n;
}

void saveScreenshot(QWidget *w, const QString &name)
{
    const QImage shot = w->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(QDir::home().filePath(name))); // the test run's own folder
}

class MeetingWindowTest : public MeetingTest {
protected:
    // Waiting-room road: the stand-in keeps the user waiting (454) and the page opens on it.
    MeetingViewController *openWaitingPage()
    {
        addRoom().flags.insert(QStringLiteral("roomWaitStatus"), 1);
        EXPECT_EQ(enterRoom(), VeskAppAgent::WaitingRoomCode);
        EXPECT_NE(VeskAppAgent::sharedInstance()->temMeetingInfoModel(), nullptr);
        MeetingViewController *page = navigator->openMeetingPage(true);
        settle();
        return page;
    }

    // Advances the poll by one tick and waits for its reply to be handled.
    void tick(int expectedQueries)
    {
        clock.clock.advance(2s);
        ASSERT_TRUE(processEventsUntil([&] { return requestCount(kQueryPath) == expectedQueries; }));
        ASSERT_TRUE(settleRequests());
    }

    // Joins as openJoinedPage does, with the stand-in's room shaped between the enter and the page
    // (the enter makes the member anew, so a member's flags for this meeting are set here).
    MeetingViewController *openJoinedPageWith(const std::function<void(DevRoom &)> &shape)
    {
        EXPECT_EQ(enterRoom(), 0);
        DevRoom *room = service.state().room(kRoomId);
        EXPECT_NE(room, nullptr);
        if (room)
            shape(*room);
        MeetingViewController *page = navigator->openMeetingPage(false);
        EXPECT_TRUE(processEventsUntil([&] { return manager()->state() == VeskMeetingManager::StateInRoom; }));
        settle();
        return page;
    }

    // The current page outlives its meeting in its own window (the shell lets an ended page go
    // only later); the next meeting gets a new window. The caller owns the old window and page.
    std::unique_ptr<MacBaseWindowController> keepCurrentPage()
    {
        navigator->meetingPage = nullptr;
        return std::move(navigator->window);
    }

    // Own-device reports of any room, the one left included.
    [[nodiscard]] int deviceReports() const
    {
        int n = 0;
        for (const DevRequest &r : service.requests())
            n += r.path.endsWith(QLatin1String("/member/config")) ? 1 : 0;
        return n;
    }
};

// ---- Build ---------------------------------------------------------------------------------------------

TEST_F(MeetingWindowTest, Build_JoinedMember_TitleChatWatermarkAndLook)
{
    // The whole executable's run in one process may have made them in an earlier case.
    const bool mediaBefore = MediaBackend::isStarted();
    signIn();
    DevRoom &room = addRoom();
    room.flags.insert(QStringLiteral("imAllowStatus"), 0);
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return page->view()->isVisible(); }));

    EXPECT_EQ(page->ui->titleLabel->text(), QStringLiteral("周会(123-456-789)"));
    EXPECT_EQ(page->ui->titleLabel->roomId(), kRoomId);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->ui->titleLabel)->text(QAccessible::Name),
              QStringLiteral("周会(123-456-789)"))
        << "the number is read out, not a description of it";
    EXPECT_FALSE(page->ui->endMeetingBtn->isVisible()); // not the creator
    EXPECT_TRUE(page->ui->meetingIdCopyBtn->isVisible());
    EXPECT_FALSE(page->ui->waitingRoomBKView->isVisible());
    EXPECT_FALSE(page->isShowingWaitingRoom());
    // A member in a room whose chat is off starts read-only.
    EXPECT_TRUE(page->ui->IMChatTextView->isReadOnly());
    EXPECT_EQ(page->ui->IMChatTextView->placeHolderString(), QStringLiteral("全员禁言中"));
    EXPECT_EQ(page->ui->IMChatEnableButton->state(), 1);
    EXPECT_EQ(page->view()->findChild<KVMacWatermarkView *>()->watermarkText(), QStringLiteral("张三 0000"));
    EXPECT_EQ(page->ui->speakerBtn->state(), 1);
    EXPECT_EQ(page->panels().panel<SubtitlePanel>().subtitleFont(), 16);
    EXPECT_EQ(page->sharing().state().fileShareMode, 0);
    // An engine on no device of this machine needs no media back-ends: the meeting makes none
    // (their libraries are not even mapped).
    if (!mediaBefore) {
        EXPECT_FALSE(MediaBackend::isStarted());
    }
    // The device pop-ups can be loaded by their interface names (the camera's uses a real camera).
    const std::unique_ptr<QWidget> camera(vesk::loadViewFromNibWithName(QStringLiteral("KVCameraSelectView")));
    const std::unique_ptr<QWidget> audio(vesk::loadViewFromNibWithName(QStringLiteral("KVAudioSelectView")));
    EXPECT_TRUE(camera && audio);
    // Every control a user acts on has a name.
    for (QAbstractButton *b : page->view()->findChildren<QAbstractButton *>())
        EXPECT_FALSE(b->accessibleName().isEmpty() && b->text().isEmpty()) << b->objectName().toStdString();

    saveScreenshot(page->view(), QStringLiteral("meeting_window.png"));
}

TEST_F(MeetingWindowTest, Build_HostKeepsEditableChat_AndSizeFollowsTheScreen)
{
    signIn(kHostPhone, QStringLiteral("主持人"));
    addRoom(kHostPhone).flags.insert(QStringLiteral("imAllowStatus"), 0);
    MeetingViewController *page = openJoinedPage();
    EXPECT_FALSE(page->ui->IMChatTextView->isReadOnly());
    EXPECT_EQ(page->ui->IMChatTextView->placeHolderString(), QStringLiteral("请输入消息"));
    EXPECT_EQ(page->ui->IMChatEnableButton->state(), 1);
    EXPECT_TRUE(page->ui->endMeetingBtn->isVisible()); // user id equals the creator
    // The offscreen screen is small: the floor size at scale 0.72.
    EXPECT_DOUBLE_EQ(page->adjustScale(), 0.72);
    EXPECT_EQ(page->windowContentFrame().size(), QSizeF(1152, 684));
    EXPECT_EQ(page->window()->size(), QSize(1152, 684));

    // Four tiles: the chat input and the forbid box cover no tile's name.
    for (const char *peer : {"peer-a", "peer-b", "peer-c"}) {
        engine().emitMemberJoined(QString::fromLatin1(peer), QStringLiteral("成员") + QLatin1String(peer));
        engine().emitStreamPublished(QString::fromLatin1(peer), KRTCSourceType::Camera, true, true);
    }
    QWidget *root = page->view();
    // Under load the three joins may take more than one settling round to reach the grid.
    ASSERT_TRUE(processEventsUntil([&] { return root->findChildren<VideoCollectionViewItem *>().size() >= 4; }));
    settle();
    const QList<VideoCollectionViewItem *> items = root->findChildren<VideoCollectionViewItem *>();
    ASSERT_TRUE(page->ui->IMChatEnableButton->isVisible());
    const QRect input = page->ui->IMChatTextView->geometry().translated(
        page->ui->IMChatTextView->parentWidget()->mapTo(root, QPoint()));
    const QRect box = page->ui->IMChatEnableButton->geometry().translated(
        page->ui->IMChatEnableButton->parentWidget()->mapTo(root, QPoint()));
    for (VideoCollectionViewItem *item : items) {
        if (!item->isVisible() || !item->activeView())
            continue;
        QLabel *name = item->activeView()->nameLabel();
        const QRect shown(name->mapTo(root, QPoint()), name->size());
        EXPECT_FALSE(shown.intersects(input)) << name->text().toStdString();
        EXPECT_FALSE(shown.intersects(box)) << name->text().toStdString();
    }
    EXPECT_EQ(page->ui->IMChatTextView->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->ui->memberListBtn)->text(QAccessible::Name),
              QStringLiteral("成员 4人"))
        << "the count badge is read out with the button";
}

TEST_F(MeetingWindowTest, Build_CreatorByUserIdOnly_SeesEndButtonButMemberDialog)
{
    signIn(kMyPhone, QStringLiteral("张三"), QStringLiteral("u-1"));
    addRoom(QStringLiteral("u-1"));
    MeetingViewController *page = openJoinedPage();
    EXPECT_TRUE(page->ui->endMeetingBtn->isVisible());
    page->leaveMeeting(nullptr);
    KVAlert *alert = visibleAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->cancelButton()->text(), QStringLiteral("取消"));
    EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("确定"));
    alert->cancelButton()->click();
}

TEST_F(MeetingWindowTest, Handlers_NetworkIconMicStateAndNoVideoRoom)
{
    signIn();
    addRoom();
    ASSERT_EQ(enterRoom(), 0);
    manager()->roomInfo()->streamLevel = 0;
    MeetingViewController *page = navigator->openMeetingPage(false);
    bool appeared = false;
    QObject::connect(page, &MeetingViewController::didAppear, &context, [&] { appeared = true; });
    ASSERT_TRUE(processEventsUntil([&] { return appeared; }));
    EXPECT_FALSE(page->ui->shareBtn->isEnabled());
    EXPECT_FALSE(page->ui->cameraBtn->isEnabled());
    EXPECT_FALSE(page->ui->selectCameraBtn->isEnabled());

    auto post = [](const QVariantMap &info) {
        NotificationCenter::defaultCenter().post(QStringLiteral("MEETINGNETWORKSTATE"), {}, info);
    };
    post({{QStringLiteral("NetworkState"), 1}});
    EXPECT_EQ(page->ui->qosShowButton->property("imageName").toString(), QStringLiteral("top_signal_status_general"));
    post({{QStringLiteral("NetworkState"), 7}});
    EXPECT_EQ(page->ui->qosShowButton->property("imageName").toString(), QStringLiteral("top_signal_status_bad"));
    post({});
    EXPECT_EQ(page->ui->qosShowButton->property("imageName").toString(), QStringLiteral("top_signal_status_bad"));

    page->ui->microphoneBtn->setState(1);
    page->ownDevices().setIsMicOn(false);
    EXPECT_EQ(page->ui->microphoneBtn->state(), 0);
    EXPECT_FALSE(page->ownDevices().isMicOn());
}

// ---- Waiting room ----------------------------------------------------------------------------------------

TEST_F(MeetingWindowTest, WaitingRoom_CoverAndFortyWaitingRepliesGiveFortyQueries)
{
    signIn();
    MeetingViewController *page = openWaitingPage();
    ASSERT_TRUE(processEventsUntil([&] { return page->view()->isVisible(); }));
    EXPECT_TRUE(page->isShowingWaitingRoom());
    EXPECT_TRUE(page->ui->waitingRoomBKView->isVisible());
    EXPECT_FALSE(page->ui->endMeetingBtn->isVisible());
    EXPECT_FALSE(page->ui->meetingIdCopyBtn->isVisible());
    EXPECT_EQ(page->ui->titleLabel->text(), QStringLiteral("周会(123-456-789)"));
    EXPECT_EQ(page->ui->exitWaitingRoomBtn->text(), QStringLiteral("退出会议"));
    EXPECT_TRUE(engines.engine() == nullptr ||
                !engine().callNames().contains(QStringLiteral("joinRoom"))); // no join while waiting
    saveScreenshot(page->view(), QStringLiteral("meeting_waiting_room.png"));

    clock.clock.advance(1999ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kQueryPath), 0); // the first query goes out at 2 s
    clock.clock.advance(1ms);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kQueryPath) == 1; }));
    for (int i = 2; i <= 40; ++i)
        tick(i);
    EXPECT_EQ(requestCount(kQueryPath), 40);
    EXPECT_TRUE(page->isShowingWaitingRoom());
    EXPECT_TRUE(navigator->calls.isEmpty());
}

TEST_F(MeetingWindowTest, WaitingRoom_Admitted_PostsWhileTheRoomIsHeld_AndWaitsOnUntilTheJoinSucceeds)
{
    signIn();
    MeetingViewController *page = openWaitingPage();
    QString heldRoom;
    int posts = 0;
    NotificationCenter::defaultCenter().addObserver(
        &context, QStringLiteral("ENTER_MEETINGROOM_FROM_WAITINGROOM"), [&](const Notification &) {
            ++posts;
            const auto room = VeskAppAgent::sharedInstance()->temMeetingInfoModel();
            heldRoom = room ? room->roomId : QString();
        });
    service.state().room(kRoomId)->extra.insert(QStringLiteral("admitted"), QStringList{kMyPhone});
    tick(1);
    ASSERT_TRUE(processEventsUntil([&] { return posts == 1; }));
    EXPECT_EQ(heldRoom, kRoomId);
    // Nobody joined here (no home page): the user is still where he can be admitted.
    EXPECT_NE(VeskAppAgent::sharedInstance()->temMeetingInfoModel(), nullptr);
    EXPECT_NE(page->loopRequestTimer(), nullptr);
    EXPECT_TRUE(page->isShowingWaitingRoom());
    page->destoryWaitingRoom();
    page->destoryWaitingRoom(); // again: only clears once more
    EXPECT_EQ(VeskAppAgent::sharedInstance()->temMeetingInfoModel(), nullptr);
    clock.clock.advance(6s);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kQueryPath), 1); // the poll stopped
}

TEST_F(MeetingWindowTest, WaitingRoom_RemovedOrEnded_ToastLeaveRequestAndHome)
{
    signIn();
    openWaitingPage();
    QString toastAtSwitch;
    navigator->onSwitch = [&](const QString &) { toastAtSwitch = VeskToast::textOf(VeskToast::currentToast()); };
    service.state().room(kRoomId)->waiting.clear(); // no longer waiting: removed (2)
    tick(1);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    EXPECT_EQ(toastAtSwitch, QStringLiteral("主持人已将您移出等候室"));
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
    EXPECT_EQ(VeskAppAgent::sharedInstance()->temMeetingInfoModel(), nullptr);

    // A late tick of the closed screen sends nothing more.
    clock.clock.advance(4s);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kQueryPath), 1);
}

TEST_F(MeetingWindowTest, WaitingRoom_MeetingEnded_ToastAndHome)
{
    signIn();
    openWaitingPage();
    QString toastAtSwitch;
    navigator->onSwitch = [&](const QString &) { toastAtSwitch = VeskToast::textOf(VeskToast::currentToast()); };
    service.state().room(kRoomId)->closed = true;
    tick(1);
    ASSERT_TRUE(processEventsUntil([&] { return !navigator->calls.isEmpty(); }));
    EXPECT_EQ(toastAtSwitch, QStringLiteral("会议已结束"));
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
}

// The cover covers: Tab meets only its own controls and the top bar above it; nothing under it is shown to a screen
// reader. The window's close asks, as in the meeting.
TEST_F(MeetingWindowTest, WaitingRoom_TheCoverCovers_AndClosingTheWindowAsksFirst)
{
    signIn();
    MeetingViewController *page = openWaitingPage();
    QWidget *window = page->view()->window();
    AccessibilityWalk::activate(window);
    page->ui->exitWaitingRoomBtn->setFocus(Qt::TabFocusReason);
    const QList<QWidget *> stops = AccessibilityWalk::tabStops();
    EXPECT_GT(stops.size(), 1);
    for (QWidget *w : stops) {
        // The page itself takes keys too (it turns a shared document's pages).
        EXPECT_TRUE(w == page->view() || page->ui->waitingRoomBKView->isAncestorOf(w) ||
                    page->ui->topView->isAncestorOf(w))
            << AccessibilityWalk::nameOf(w).toStdString();
    }
    for (QWidget *w : page->view()->findChildren<QWidget *>()) {
        if (page->ui->waitingRoomBKView->isAncestorOf(w) || page->ui->topView->isAncestorOf(w) ||
            !AccessibilityWalk::isControl(w))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        EXPECT_TRUE(!iface || iface->state().invisible) << AccessibilityWalk::nameOf(w).toStdString();
    }

    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    KVAlert *alert = visibleAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    alert->confirmButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
    clock.clock.advance(4s);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kQueryPath), 0); // the poll stopped before its first tick
}

// ---- Room states --------------------------------------------------------------------------------------------

TEST_F(MeetingWindowTest, States_OneBannerForTwoJoiningReports_ReconnectBanner_NoneInRoom)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    page->onRoomStateChanged(1);
    page->onRoomStateChanged(1);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(bannerCount(page->view()), 1);
    EXPECT_EQ(NetWorkTipView::current()->text(), QStringLiteral("正在加入..."));
    page->onRoomStateChanged(3);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(bannerCount(page->view()), 1);
    EXPECT_EQ(NetWorkTipView::current()->text(), QStringLiteral("网络异常，正在尝试重连"));
    page->onRoomStateChanged(2);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(bannerCount(page->view()), 0);
    EXPECT_EQ(page->stateMeeting(), 2);
}

TEST_F(MeetingWindowTest, States_ReconnectFailed_TipThenWholeLeaveAfterTwoSeconds)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    navigator->onSwitch = [](const QString &) {};
    page->onRoomStateChanged(4);
    EXPECT_EQ(tipText(page->view()), QStringLiteral("连接失败，退出会议"));
    clock.clock.advance(1900ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(navigator->calls.isEmpty());
    clock.clock.advance(100ms);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
    EXPECT_EQ(manager()->state(), VeskMeetingManager::StateIdle);
}

TEST_F(MeetingWindowTest, JoinSteps_WaitForStateTwo_RunOnce_DroppedAfterLeaving)
{
    signIn();
    addRoom();
    ASSERT_EQ(enterRoom(), 0);
    int runs = 0;
    MeetingViewController *page = navigator->openMeetingPage(false);
    QObject::connect(page, &MeetingViewController::joinStepsDidRun, &context, [&] { ++runs; });
    ASSERT_TRUE(processEventsUntil([&] { return runs == 1; })); // the real join, after state 2
    EXPECT_EQ(page->stateMeeting(), 2);
    EXPECT_FALSE(page->joinStepsPending());

    page->onRoomStateChanged(1);
    page->onJoinRoomSuccess(true);
    EXPECT_TRUE(page->joinStepsPending());
    EXPECT_EQ(runs, 1); // waits: no sleeping poll, nothing yet
    page->onRoomStateChanged(2);
    EXPECT_EQ(runs, 2);
    page->onRoomStateChanged(2);
    EXPECT_EQ(runs, 2); // once
    page->onJoinRoomSuccess(false);
    EXPECT_EQ(runs, 2);

    page->onRoomStateChanged(1);
    page->onJoinRoomSuccess(true);
    page->leaveRoom();
    page->onRoomStateChanged(2);
    EXPECT_EQ(runs, 2); // left first: dropped
}

// ---- Forced ends --------------------------------------------------------------------------------------------

TEST_F(MeetingWindowTest, RoomClosed_OtherReasonShowsGotItAndGoesHome)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    page->onRoomClosed(QStringLiteral("会议已被主持人结束"));
    KVAlert *alert = visibleAlert(QStringLiteral("roomClosedAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), QStringLiteral("会议已被主持人结束"));
    EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("知道了"));
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; })); // left before the answer
    alert->confirmButton()->click();
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
    // The count-down stop went out once, naming the room, before the room was dropped.
    settle();
    QStringList stops;
    for (const DevRequest &r : service.requests()) {
        if (r.path.endsWith(QStringLiteral("/countdownStop")))
            stops << r.path;
    }
    EXPECT_EQ(stops, QStringList{QStringLiteral("/qf/meeting/control/%1/countdownStop").arg(kRoomId)});
}

// The meeting ended while the user joined and the channel's close never came: a call of the meeting answered that
// it is gone (404 of the shared files) or over (453 of any call) ends the page with the end notice.
TEST_F(MeetingWindowTest, RoomGone_TheSharedFilesAnswerEndsThePageWithTheEndNotice)
{
    signIn();
    addRoom();
    service.failNextReply(QStringLiteral("/qf/client/querySharedFile"),
                          DevService::fail(404, QStringLiteral("会议不存在")));
    // The page asks for the shared files as it opens: the answer may end it before the room is joined.
    ASSERT_EQ(enterRoom(), 0);
    navigator->openMeetingPage(false);
    KVAlert *alert = nullptr;
    ASSERT_TRUE(
        processEventsUntil([&] { return (alert = visibleAlert(QStringLiteral("roomClosedAlert"))) != nullptr; }));
    EXPECT_EQ(alert->message(), QStringLiteral("创建者已结束会议，请退出"));
    alert->confirmButton()->click();
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
}

TEST_F(MeetingWindowTest, RoomOver_AnyCallsAnswerEndsThePageWithTheEndNotice)
{
    signIn();
    addRoom();
    openJoinedPage();
    KVAlert *alert = nullptr;
    service.failNextReply(kConfigPath, DevService::fail(453, QStringLiteral("会议已结束")));
    VeskAppAgent::sharedInstance()->updateSelfMeetingConfigWithCameraStatus(&context, QStringLiteral("0"), QString(),
                                                                            QString(), {});
    ASSERT_TRUE(
        processEventsUntil([&] { return (alert = visibleAlert(QStringLiteral("roomClosedAlert"))) != nullptr; }));
    alert->confirmButton()->click();
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
}

TEST_F(MeetingWindowTest, RoomClosed_OtherDeviceShowsConfirmAndClosingSignsOut)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    page->otherDeviceLogin();
    KVAlert *alert = visibleAlert(QStringLiteral("roomClosedAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), QStringLiteral("您的账号在其他手机端登录"));
    EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("确定"));
    ASSERT_NE(alert->closeButton(), nullptr);
    alert->closeButton()->click();
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showLoginPage")});
}

TEST_F(MeetingWindowTest, HostMovesToWaitingRoom_KeepsTheRoomLeavesWithoutRequestAndWaitsAgain)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    const int opened = navigator->pagesOpened;
    QString heldRoom;
    // As the home page does: join again, which lands in the waiting room.
    NotificationCenter::defaultCenter().addObserver(
        &context, QStringLiteral("ENTER_MEETINGROOM_FROM_WAITINGROOM"), [&](const Notification &) {
            const auto room = VeskAppAgent::sharedInstance()->temMeetingInfoModel();
            heldRoom = room ? room->roomId : QString();
            MainQueue::async(&context, [this, room] {
                VeskAppAgent::sharedInstance()->setTemMeetingInfoModel(room);
                navigator->showMeetingPage(true);
            });
        });
    page->hostMoveConsumerToWaitRoom();
    ASSERT_TRUE(processEventsUntil([&] { return !heldRoom.isEmpty(); }));
    EXPECT_EQ(heldRoom, kRoomId);
    const auto configs = service.requestsFor(QStringLiteral("/qf/meeting/control/123456789/member/config"));
    ASSERT_EQ(configs.size(), 1);
    EXPECT_EQ(configs[0].param(QStringLiteral("cameraStatus")).toString(), QStringLiteral("0"));
    EXPECT_EQ(configs[0].param(QStringLiteral("micStatus")).toString(), QStringLiteral("0"));
    ASSERT_TRUE(processEventsUntil([&] { return navigator->meetingPage && navigator->pagesOpened == opened + 1; }));
    settle();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kLeavePath), 0);
    EXPECT_EQ(manager()->state(), VeskMeetingManager::StateIdle);
    EXPECT_TRUE(navigator->meetingPage->isShowingWaitingRoom());
    EXPECT_EQ(navigator->meetingPage->ui->titleLabel->text(), QStringLiteral("周会(123-456-789)"));
}

// ---- Leaving ----------------------------------------------------------------------------------------------------

TEST_F(MeetingWindowTest, WaitingRoom_ConfirmingTheLeaveDialogLeavesTheWaitingRoom)
{
    signIn();
    MeetingViewController *page = openWaitingPage();
    page->leaveMeeting(nullptr);
    KVAlert *alert = visibleAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    alert->confirmButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
    clock.clock.advance(4s);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kQueryPath), 0);
    EXPECT_EQ(requestCount(kClosePath), 0); // nothing to end from the waiting room
}

TEST_F(MeetingWindowTest, LeaveDialog_MemberCancelStaysConfirmLeaves)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    page->leaveMeeting(page->ui->leaveRoomButton);
    KVAlert *alert = visibleAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), QStringLiteral("确定退出当前会议?"));
    alert->cancelButton()->click();
    settle();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(navigator->calls.isEmpty());
    EXPECT_EQ(manager()->state(), VeskMeetingManager::StateInRoom);
    EXPECT_EQ(requestCount(kLeavePath), 0);

    page->ui->leaveRoomButton->click();
    alert = visibleAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    alert->confirmButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
}

namespace {

// The creator's road out through the leave dialog's 结束会议, with the room scheduled as a weekly
// meeting in the calendar.
class CreatorEndTest : public MeetingWindowTest {
protected:
    void scheduleTheRoom()
    {
        MeetingDataModel scheduled;
        scheduled.roomId = kRoomId;
        scheduled.roomName = QStringLiteral("周会");
        scheduled.beginTime = QStringLiteral("2030-01-02 10:00");
        scheduled.endTime = QStringLiteral("2030-01-02 11:00");
        scheduled.isCycle = true;
        scheduled.cycleType = MeetingDataModel::Weekly;
        bool written = false;
        KVMCommonUtilCalendar::syncCalendar(scheduled, true, {}, [&written] { written = true; });
        ASSERT_TRUE(processEventsUntil([&written] { return written; }));
        ASSERT_TRUE(calendarHoldsTheRoom());
    }

    [[nodiscard]] static bool calendarHoldsTheRoom()
    {
        const QString key = KVMCommonUtilCalendar::eventKey(kRoomId);
        return WMEventCalendarTool::sharedEventCalendar().checkToEventIdentifier(key).has_value() ||
               !WMEventCalendarTool::sharedEventCalendar()
                    .checkToStartDate(QDateTime(QDate(2000, 1, 1), QTime()), QDateTime(QDate(2100, 1, 1), QTime()),
                                      QString(), QString())
                    .isEmpty();
    }

    // Joined as the creator, 结束会议 pressed in the leave dialog; waits for the close's answer.
    void endFromTheLeaveDialog()
    {
        signIn(kHostPhone, QStringLiteral("主持人"));
        addRoom(kHostPhone);
        scheduleTheRoom();
        MeetingViewController *page = openJoinedPage();
        page->leaveMeeting(nullptr);
        KVAlert *alert = visibleAlert(QStringLiteral("leaveMeetingAlert"));
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->cancelButton()->text(), QStringLiteral("结束会议"));
        EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("退出会议"));
        QTest::mouseClick(alert->cancelButton(), Qt::LeftButton);
        ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1 && requestCount(kClosePath) >= 1; }));
        const QStringList paths = requestPaths();
        EXPECT_LT(paths.indexOf(kClosePath), paths.indexOf(kLeavePath));
        EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
        ASSERT_TRUE(settleRequests());
        ASSERT_TRUE(drainMainQueue());
    }
};

} // namespace

TEST_F(CreatorEndTest, Ended_TheMeetingsCalendarEventsGo)
{
    endFromTheLeaveDialog();
    EXPECT_EQ(requestCount(kClosePath), 1);
    EXPECT_TRUE(service.state().room(kRoomId)->closed);
    EXPECT_TRUE(processEventsUntil([] { return !calendarHoldsTheRoom(); }));
}

// A refused or lost end leaves the meeting scheduled at the service: its events stay.
TEST_F(CreatorEndTest, Refused_TheMeetingsCalendarEventsStay)
{
    service.failNextReply(kClosePath, DevService::fail(500, QStringLiteral("会议结束失败")));
    endFromTheLeaveDialog();
    EXPECT_FALSE(service.state().room(kRoomId)->closed);
    processEventsFor(20);
    EXPECT_TRUE(calendarHoldsTheRoom());
}

TEST_F(CreatorEndTest, Lost_TheMeetingsCalendarEventsStay)
{
    // The access manager sends a request again once when its connection drops: every try is lost.
    for (int i = 0; i < 3; ++i)
        service.dropNextReply(kClosePath);
    endFromTheLeaveDialog();
    EXPECT_FALSE(service.state().room(kRoomId)->closed);
    processEventsFor(20);
    EXPECT_TRUE(calendarHoldsTheRoom());
}

TEST_F(MeetingWindowTest, WindowCloseButton_ShowsTheDialogAndKeepsTheWindow)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    QWidget *w = page->window();
    ASSERT_TRUE(processEventsUntil([&] { return w->isVisible(); }));
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    ASSERT_NE(visibleAlert(QStringLiteral("leaveMeetingAlert")), nullptr);
    visibleAlert(QStringLiteral("leaveMeetingAlert"))->cancelButton()->click();
}

TEST_F(MeetingWindowTest, TearDown_HomeRoad_DelegatesClearedMediaStoppedThenLeaveThenHome)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    QPointer<MeetingViewController> alive(page);
    int engineCallsAtSwitch = -1;
    navigator->onSwitch = [&](const QString &) {
        engineCallsAtSwitch = engine().callCount(QStringLiteral("leaveRoom"));
    };
    engine().clearCalls();
    page->leaveRoom();
    EXPECT_TRUE(page->meetingEnded());
    ASSERT_TRUE(processEventsUntil([&] { return manager()->state() == VeskMeetingManager::StateIdle; }));
    const QStringList calls = engine().callNames();
    EXPECT_LT(calls.indexOf(QStringLiteral("stopPreview")), calls.indexOf(QStringLiteral("leaveRoom")));
    EXPECT_LT(calls.indexOf(QStringLiteral("unpublishCamera")), calls.indexOf(QStringLiteral("leaveRoom")));
    EXPECT_EQ(engineCallsAtSwitch, 0); // the switch is asked for; the agent's leave runs on the main queue
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showMainPage 1")});
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    ASSERT_TRUE(processEventsUntil([&] { return alive.isNull(); })); // the page is released
}

TEST_F(MeetingWindowTest, TearDown_LoginRoad_AlsoClearsDelegates)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    navigator->onSwitch = [&](const QString &) {};
    QPointer<MeetingViewController> alive(page);
    // Keep the page to see that no manager event reaches it after the leave.
    navigator->meetingPage = nullptr;
    const QString token = VeskAppAgent::sharedInstance()->myInfo().authorization;
    ASSERT_FALSE(token.isEmpty());
    page->leaveRoomAndLoginOut();
    ASSERT_TRUE(processEventsUntil([&] { return manager()->state() == VeskMeetingManager::StateIdle; }));
    // The leave request reaches the service over a socket: wait for it rather than for a guess.
    EXPECT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) >= 1; }));
    settle();
    ASSERT_FALSE(alive.isNull());
    EXPECT_EQ(page->stateMeeting(), 2); // the state-0 report never came
    EXPECT_EQ(navigator->calls, QStringList{QStringLiteral("showLoginPage")});
    EXPECT_EQ(requestCount(kLeavePath), 1);
    // The leave carries the sign-in it leaves, though the sign-out follows in the same turn, and
    // the service hears it before the channel closes.
    EXPECT_EQ(service.requestsFor(kLeavePath).first().header("Authorization"), token);
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount() == 0; }));
    const QStringList wire = service.wireLog();
    const qsizetype leave = wire.indexOf(QStringLiteral("POST ") + kLeavePath);
    const qsizetype closed = wire.indexOf(QRegularExpression(QStringLiteral("close .*")));
    EXPECT_TRUE(leave >= 0 && leave < closed) << wire.join(QLatin1Char('\n')).toStdString();
    // Signed in elsewhere: the stored sign-in is dropped, so the next start asks again.
    EXPECT_FALSE(VeskAppAgent::sharedInstance()->isSignedIn());
    QPointer<QWidget> view = page->view();
    delete page;
    delete view.data();
}

// ---- After the end: late replies and timers ---------------------------------------------------------------

// Me an assistant with one virtual member in the first meeting; neither in the next.
void shapeFirstMeeting(DevRoom &room)
{
    room.member(kMyPhone)->assistant = true;
    room.extra.insert(QStringLiteral("metaMembers"), metaMembers(QStringLiteral("meta-1")));
}
void shapeNextMeeting(DevRoom &room)
{
    room.extra.insert(QStringLiteral("metaMembers"), metaMembers(QStringLiteral("meta-2")));
}

TEST_F(MeetingWindowTest, LateReply_AssistantQueryOfTheLastMeeting_NeverReachesTheNextOne)
{
    signIn();
    addRoom();
    service.delayNextReply(kHostInfoPath, 5000);
    MeetingViewController *first = openJoinedPageWith(shapeFirstMeeting);
    // Asked on joining, answer held.
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kHostInfoPath) == 1; }));
    QPointer<MeetingViewController> firstAlive(first);
    first->leaveRoom();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1 && firstAlive.isNull(); }));

    MeetingViewController *next = openJoinedPageWith(shapeNextMeeting);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kHostInfoPath) == 2; }));
    ASSERT_TRUE(
        processEventsUntil([&] { return manager()->metaMembersArray() == metaMembers(QStringLiteral("meta-2")); }));

    clock.clock.advance(5s); // the first meeting's answer goes out now
    ASSERT_TRUE(settleRequests());
    settle();
    EXPECT_EQ(manager()->metaMembersArray(), metaMembers(QStringLiteral("meta-2")));
    EXPECT_TRUE(manager()->asssitantRecordArray().isEmpty());
    EXPECT_FALSE(manager()->asssitantHost());
    const auto me = manager()->memberForId(kMyPhone);
    EXPECT_TRUE(!me || !me->isAssistantHost());
    EXPECT_EQ(navigator->meetingPage, next);
    EXPECT_FALSE(next->meetingEnded());
}

TEST_F(MeetingWindowTest, LateReply_PageOutlivingItsMeeting_AssistantAnswerStaysOutOfTheNextOne)
{
    signIn();
    addRoom();
    service.delayNextReply(kHostInfoPath, 5000);
    MeetingViewController *first = openJoinedPageWith(shapeFirstMeeting);
    const std::unique_ptr<MacBaseWindowController> firstWindow = keepCurrentPage();
    QPointer<MeetingViewController> firstAlive(first);
    first->leaveRoom();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    settle();

    MeetingViewController *next = openJoinedPageWith(shapeNextMeeting);
    ASSERT_TRUE(
        processEventsUntil([&] { return manager()->metaMembersArray() == metaMembers(QStringLiteral("meta-2")); }));
    ASSERT_FALSE(firstAlive.isNull()); // the ended page still exists when its answer comes

    clock.clock.advance(5s);
    // The held answer is taken in once nothing is in flight any more.
    ASSERT_TRUE(processEventsUntil([] { return VeskAppAgent::sharedInstance()->http()->pendingRequestCount() == 0; }));
    settle();
    EXPECT_EQ(manager()->metaMembersArray(), metaMembers(QStringLiteral("meta-2")));
    EXPECT_TRUE(manager()->asssitantRecordArray().isEmpty());
    EXPECT_FALSE(manager()->asssitantHost());
    const auto me = manager()->memberForId(kMyPhone);
    EXPECT_TRUE(!me || !me->isAssistantHost());
    EXPECT_FALSE(next->meetingEnded());
}

TEST_F(MeetingWindowTest, LateTimer_MicCloseReportAfterHalfASecond_SilentOnceTheMeetingEnded)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    const std::unique_ptr<MacBaseWindowController> window = keepCurrentPage();
    const int reportsBefore = deviceReports();
    page->ownDevices().setIsMicOn(false);
    page->ownDevices().micphoneChange(); // the "off" report is due in 0.5 s
    clock.clock.advance(200ms);
    page->leaveRoom();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    clock.clock.advance(2s);
    ASSERT_TRUE(settleRequests());
    settle();
    EXPECT_EQ(deviceReports(), reportsBefore);
}

TEST_F(MeetingWindowTest, LateTimer_MicOpenConfirmationOfTheLastMeeting_NeverReportsInTheNextOne)
{
    MeetingDeviceCheck::OverrideScope checks(
        [](MeetingDeviceCheck::Completion done) { MainQueue::async([done] { done(0); }); },
        [](MeetingDeviceCheck::Completion done) { MainQueue::async([done] { done(0); }); });
    signIn();
    addRoom();
    MeetingViewController *first = openJoinedPage();
    const std::unique_ptr<MacBaseWindowController> firstWindow = keepCurrentPage();
    first->ownDevices().setIsMicOn(true);
    first->ownDevices().micphoneChange(); // open quietly, confirmed and reported in 0.8 s
    ASSERT_TRUE(processEventsUntil([&] { return engine().microphoneOpen(); }));
    clock.clock.advance(400ms);
    first->leaveRoom();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kLeavePath) == 1; }));
    settle();

    // The next meeting opens its microphone 0.4 s later than the first did.
    MeetingViewController *next = openJoinedPage();
    const int reportsBefore = deviceReports();
    next->ownDevices().setIsMicOn(true);
    next->ownDevices().micphoneChange();
    ASSERT_TRUE(processEventsUntil([&] { return manager()->micDidOpen(); }));
    clock.clock.advance(400ms); // the first page's step would be due
    ASSERT_TRUE(settleRequests());
    settle();
    EXPECT_EQ(deviceReports(), reportsBefore);
    EXPECT_TRUE(first->meetingEnded());

    clock.clock.advance(400ms); // the next page's own step
    ASSERT_TRUE(processEventsUntil([&] { return deviceReports() == reportsBefore + 1; }));
    ASSERT_TRUE(settleRequests());
    settle();
    EXPECT_EQ(deviceReports(), reportsBefore + 1);
    const auto reports = service.requestsFor(kConfigPath);
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_EQ(reports.last().json.value(QStringLiteral("micStatus")).toString(), QStringLiteral("1"));
}

// ---- Frames --------------------------------------------------------------------------------------------------

KRTCVideoFrame frameWith(qint64 channel, const QString &sei = {})
{
    KRTCVideoFrame f;
    f.image = QImage(16, 9, QImage::Format_RGB32);
    f.image.fill(Qt::blue);
    f.channelIndex = channel;
    f.seiContent = sei;
    return f;
}

TEST_F(MeetingWindowTest, Frames_RoutedFromTheRenderThreadByPeerTypeAndChannel)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    VeskAppAgent::sharedInstance()->settingModel()->setVideoFill(true);
    auto *camA = new KRTCVideoView(page->view());
    auto *camA1 = new KRTCVideoView(page->view());
    auto *shareB = new KRTCVideoView(page->view());
    auto *screen = new KRTCVideoView(page->view());
    page->setActiveMembers({std::make_shared<MeetingActiveModel>(1, "a", "ua", "A", false, camA, 0),
                            std::make_shared<MeetingActiveModel>(1, "a", "ua", "A", false, camA1, 1),
                            std::make_shared<MeetingActiveModel>(2, "b", "ub", "B", false, shareB, 0)});
    page->setScreenShareSourceModel(std::make_shared<MeetingActiveModel>(2, "b", "ub", "B", false, screen, 0));

    std::thread render([&] {
        page->onRender(QStringLiteral("a"), frameWith(1), 1);
        page->onRender(QStringLiteral("b"), frameWith(0), 2);
        page->onRender(QStringLiteral("c"), frameWith(0), 1); // nobody's: dropped
    });
    render.join();
    EXPECT_FALSE(camA->hasFrame());
    EXPECT_TRUE(camA1->hasFrame());
    EXPECT_TRUE(shareB->hasFrame());
    EXPECT_TRUE(screen->hasFrame());
    EXPECT_EQ(camA1->krtcContentMode(), KRTCVideoView::ContentModeFill);

    // After the meeting ends nothing more is drawn.
    page->leaveRoom();
    camA->clearFrame();
    page->onRender(QStringLiteral("a"), frameWith(0), 1);
    EXPECT_FALSE(camA->hasFrame());
}

// Runs a step when its object is about to be deleted later (after the filters installed after it).
class DeleteProbe final : public QObject {
public:
    std::function<void()> step;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::DeferredDelete && step)
            step();
        return false;
    }
};

TEST_F(MeetingWindowTest, Frames_AViewGoingAwayIsNoLongerRoutedBeforeItIsDestroyed)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    QPointer<KRTCVideoView> doomed = new KRTCVideoView(page->view());
    DeleteProbe probe;
    doomed->installEventFilter(&probe); // first in, so it runs after the window's own filter
    page->setActiveMembers({std::make_shared<MeetingActiveModel>(1, QStringLiteral("p"), QStringLiteral("u"),
                                                                 QStringLiteral("P"), false, doomed, 0)});
    page->onRender(QStringLiteral("p"), frameWith(0), 1);
    ASSERT_TRUE(doomed->hasFrame());
    doomed->clearFrame();

    bool drawnWhileDying = false;
    probe.step = [&] {
        page->onRender(QStringLiteral("p"), frameWith(0), 1);
        drawnWhileDying = doomed->hasFrame();
    };
    doomed->deleteLater(); // as a member drops its view before the pipeline replaced the tile
    ASSERT_TRUE(processEventsUntil([&] { return doomed.isNull(); }));
    EXPECT_FALSE(drawnWhileDying);

    // The same with the render thread pouring frames in meanwhile (ASan watches the memory).
    for (int round = 0; round < 10; ++round) {
        QPointer<KRTCVideoView> view = new KRTCVideoView(page->view());
        page->setActiveMembers({std::make_shared<MeetingActiveModel>(1, QStringLiteral("p"), QStringLiteral("u"),
                                                                     QStringLiteral("P"), false, view, 0)});
        std::atomic<bool> stop{false};
        std::thread render([&] {
            while (!stop.load())
                page->onRender(QStringLiteral("p"), frameWith(0), 1);
        });
        view->deleteLater();
        ASSERT_TRUE(processEventsUntil([&] { return view.isNull(); }));
        stop.store(true);
        render.join();
    }
    ASSERT_TRUE(drainMainQueue());
}

TEST_F(MeetingWindowTest, Frames_SeiMovesPlaybackOnTheMainThreadOnlyWithinNineSecondsAndWhenNotDragging)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    // A participant's file stream, as the member pipeline finds it (a later run keeps it).
    engine().emitMemberJoined(QStringLiteral("f"), QStringLiteral("F"));
    engine().emitStreamPublished(QStringLiteral("f"), 3, true, true);
    ASSERT_TRUE(processEventsUntil([&] { return page->avFileShareSourceModel() != nullptr; }));
    KRTCVideoView *fileView = page->avFileShareSourceModel()->videoView();
    ASSERT_NE(fileView, nullptr);
    auto send = [&](const QString &sei, const QString &peer = QStringLiteral("f")) {
        FakeEngine::onForeignThread([&] { engine().emitRenderFrame(peer, frameWith(0, sei), 3); });
    };
    send(QStringLiteral("9"));
    EXPECT_TRUE(fileView->hasFrame());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 0); // not on the engine's thread
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 9);
    send(QStringLiteral("19")); // ten away: kept
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 9);
    send(QStringLiteral("18.7"));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 18);
    send(QStringLiteral("12"), QStringLiteral("other")); // not the file's stream
    send(QStringLiteral("20abc"));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 18);
    page->sharing().setAvFileSharePlaySliderTracking(true);
    send(QStringLiteral("20"));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 18);
}

} // namespace
