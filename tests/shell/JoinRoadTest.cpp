// The home page's join road against the stand-in: the ID check, 413 (password and retry),
// 452, 454, success (broadcast, meeting manager, meeting page) and the quick meeting.

#include "ShellTestSupport.h"

#include "agent/models/KVMeetingDidUpdated.h"
#include "connection/IMEngine.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/window/MeetingViewController.h"
#include "shell/MainPageViewController.h"
#include "shell/MeetingPasswordView.h"
#include "shell/ShellRules.h"
#include "shell/ShellTexts.h"
#include "uikit/KVTextFieldView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <chrono>

using namespace std::chrono_literals;

namespace {

class JoinRoadTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        storeSignedInUser();
        installMeetingManager();
        windows()->showMainPage(false);
        ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
        page = windows()->mainPageViewController();
        ASSERT_NE(page, nullptr);
        NotificationCenter::defaultCenter().addObserver(
            &observer, KVMeetingDidUpdatedNotification, [this](const Notification &n) {
                updates << n.userInfo.value(KVMeetingDidUpdatedUserInfoKey).value<KVMeetingDidUpdated>();
            });
    }

    void typeAndJoin(const QString &text)
    {
        page->meetingIdField()->setStringValue(text);
        page->joinButton()->click();
    }

    [[nodiscard]] MeetingPasswordView *passwordPrompt()
    {
        KVAlert *alert = waitForAlert(QStringLiteral("meetingPasswordAlert"));
        return alert ? qobject_cast<MeetingPasswordView *>(alert->customView()) : nullptr;
    }

    // What the host's client sends for a control of the room.
    void hostControl(const QString &roomId, const QString &action, const QJsonObject &body)
    {
        const DevRoom *room = service.state().room(roomId);
        QNetworkRequest request(
            QUrl(service.baseUrl().toString() + QStringLiteral("/qf/meeting/control/%1/%2").arg(roomId, action)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        request.setRawHeader("Authorization", "token-host");
        request.setRawHeader("sequenceId", room->sequenceId.toUtf8());
        QNetworkAccessManager network;
        QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson());
        ASSERT_TRUE(processEventsUntil([reply] { return reply->isFinished(); }));
        reply->deleteLater();
    }
    void hostTargets(const QString &roomId, const QString &action)
    {
        hostControl(roomId, action, QJsonObject{{"target", QJsonArray{RXEncrypt::aes128ecbEncrypt(kMyPhone)}}});
    }
    void lock(const QString &roomId, bool locked)
    {
        hostControl(roomId, QStringLiteral("switch/lock"), QJsonObject{{"roomLockStatus", locked ? 1 : 0}});
    }

    [[nodiscard]] bool waitForWaitingPage()
    {
        return processEventsUntil([] {
            MeetingViewController *p = MacWindowsManager::sharedManager()->meetingPage();
            return p && p->isShowingWaitingRoom() && MacWindowsManager::sharedManager()->meetingWindow()->isVisible();
        });
    }
    [[nodiscard]] bool waitForJoinedPage()
    {
        return processEventsUntil([] {
            MeetingViewController *p = MacWindowsManager::sharedManager()->meetingPage();
            VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
            return p && !p->enterWaitingRoom() && !p->meetingEnded() && manager &&
                   manager->state() == VeskMeetingManager::StateInRoom;
        });
    }
    // One tick of the waiting room's poll, answered (what it starts may still be on its way).
    void pollOnce()
    {
        const auto asked = [&] {
            int n = 0;
            for (const DevRequest &r : service.requests())
                n += r.path.endsWith(QLatin1String("/member/queryAllowEnterStatus")) ? 1 : 0;
            return n;
        };
        const int before = asked();
        clock.clock.advance(2s);
        ASSERT_TRUE(processEventsUntil([&] { return asked() > before; }));
        ASSERT_TRUE(drainMainQueue());
    }
    [[nodiscard]] bool listedAsWaiting(const QString &roomId)
    {
        const DevRoom *room = service.state().room(roomId);
        return std::any_of(room->waiting.cbegin(), room->waiting.cend(),
                           [](const DevMember &m) { return m.userId == kMyPhone; });
    }

    MainPageViewController *page = nullptr;
    QObject observer;
    QList<KVMeetingDidUpdated> updates;
};

TEST_F(JoinRoadTest, DisplayFormId_JoinsAndOpensTheMeetingPage)
{
    addRoom(QStringLiteral("123456789"));
    typeAndJoin(QStringLiteral("123-456-789"));
    EXPECT_TRUE(page->isJoining());
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));

    const auto enters = service.requestsFor(QStringLiteral("/qf/meeting/room/enter"));
    ASSERT_EQ(enters.size(), 1);
    EXPECT_EQ(enters[0].param(QStringLiteral("roomId")).toString(), QStringLiteral("123456789"));
    ASSERT_EQ(updates.size(), 1);
    EXPECT_EQ(updates[0].type, KVMeetingDidUpdated::Joined);
    EXPECT_EQ(updates[0].model.roomId, QStringLiteral("123456789"));
    EXPECT_EQ(updates[0].model.roomName, QStringLiteral("周会"));
    const auto room = VeskAppAgent::sharedInstance()->meetingManager()->roomInfo();
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->roomId, QStringLiteral("123456789"));
    ASSERT_NE(windows()->meetingPage(), nullptr);
    EXPECT_FALSE(windows()->meetingPage()->enterWaitingRoom());
    EXPECT_EQ(VeskAppAgent::sharedInstance()->currentRoomInfo()->roomName, QStringLiteral("周会"));
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);
}

TEST_F(JoinRoadTest, BadIds_GetAnInlineMessageAndNothingIsSent)
{
    for (const QString &bad :
         {QStringLiteral("12345678"), QStringLiteral(""), QStringLiteral("123456789012345678901")}) {
        typeAndJoin(bad);
        EXPECT_TRUE(page->meetingIdMessage()->isVisibleTo(page->view())) << bad.toStdString();
        EXPECT_EQ(page->meetingIdMessage()->text(), ShellTexts::kMeetingIdInvalid);
    }
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/enter")), 0);
    // Typing again clears the message.
    page->meetingIdField()->setStringValue(QString());
    EXPECT_FALSE(page->isJoining());
}

TEST_F(JoinRoadTest, PasswordNeeded_AsksAndRetriesWithTheTypedPassword)
{
    addRoom(QStringLiteral("987654321")).password = QStringLiteral("8888");
    typeAndJoin(QStringLiteral("987654321"));
    MeetingPasswordView *prompt = passwordPrompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(prompt->messageLabel()->text().isEmpty()); // the first ask is no error
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::HomePage);

    // An empty password is not sent.
    prompt->confirm();
    EXPECT_EQ(prompt->messageLabel()->text(), ShellTexts::kPasswordEmpty);

    // A wrong one: the service says why and the prompt comes again.
    prompt->passwordField()->setStringValue(QStringLiteral("1111"));
    prompt->confirm();
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/enter")) == 2; }));
    processEventsUntil([] { return visibleAlert(QStringLiteral("meetingPasswordAlert")) != nullptr; });
    prompt = passwordPrompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->messageLabel()->text(), QStringLiteral("会议密码错误"));

    prompt->passwordField()->setStringValue(QStringLiteral("8888"));
    prompt->confirm();
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    const auto enters = service.requestsFor(QStringLiteral("/qf/meeting/room/enter"));
    ASSERT_EQ(enters.size(), 3);
    EXPECT_EQ(enters[2].param(QStringLiteral("password")).toString(), QStringLiteral("8888"));
    ASSERT_EQ(updates.size(), 1);
    EXPECT_EQ(updates[0].model.password, QStringLiteral("8888"));
}

TEST_F(JoinRoadTest, PasswordPromptCancelled_StaysHomeAndCanJoinAgain)
{
    addRoom(QStringLiteral("987654321")).password = QStringLiteral("8888");
    typeAndJoin(QStringLiteral("987654321"));
    MeetingPasswordView *prompt = passwordPrompt();
    ASSERT_NE(prompt, nullptr);
    prompt->cancel();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(visibleAlert(QStringLiteral("meetingPasswordAlert")), nullptr);
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::HomePage);
    EXPECT_FALSE(page->isJoining());
    typeAndJoin(QStringLiteral("987654321"));
    EXPECT_NE(passwordPrompt(), nullptr);
}

TEST_F(JoinRoadTest, LockedMeeting_SaysSoAndStaysHome)
{
    addRoom(QStringLiteral("555666777")).flags.insert(QStringLiteral("roomLockStatus"), 1);
    typeAndJoin(QStringLiteral("555666777"));
    ASSERT_TRUE(waitForToast(ShellTexts::kMeetingLocked));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::HomePage);
    EXPECT_TRUE(updates.isEmpty());
    EXPECT_EQ(VeskAppAgent::sharedInstance()->meetingManager()->roomInfo(), nullptr);
}

TEST_F(JoinRoadTest, WaitingRoom_OpensTheMeetingPageWaitingAndAdmissionJoinsAgain)
{
    addRoom(QStringLiteral("111222333"), QStringLiteral("评审会")).flags.insert(QStringLiteral("roomWaitStatus"), 1);
    typeAndJoin(QStringLiteral("111222333"));
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    ASSERT_NE(windows()->meetingPage(), nullptr);
    EXPECT_TRUE(windows()->meetingPage()->enterWaitingRoom());
    const auto waiting = VeskAppAgent::sharedInstance()->temMeetingInfoModel();
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(waiting->roomId, QStringLiteral("111222333"));
    EXPECT_EQ(waiting->roomName, QStringLiteral("评审会"));
    EXPECT_TRUE(updates.isEmpty());

    // The host admits the user; the waiting screen posts the admission.
    DevRoom *room = service.state().room(QStringLiteral("111222333"));
    room->extra.insert(QStringLiteral("admitted"), QStringList{kMyPhone});
    NotificationCenter::defaultCenter().post(QStringLiteral("ENTER_MEETINGROOM_FROM_WAITINGROOM"));
    ASSERT_TRUE(processEventsUntil([this] { return updates.size() == 1; }));
    EXPECT_EQ(updates[0].model.roomId, QStringLiteral("111222333"));
    ASSERT_TRUE(processEventsUntil([] {
        return MacWindowsManager::sharedManager()->meetingPage() &&
               !MacWindowsManager::sharedManager()->meetingPage()->enterWaitingRoom();
    }));
    EXPECT_EQ(VeskAppAgent::sharedInstance()->meetingManager()->roomInfo()->roomId, QStringLiteral("111222333"));
}

// The host moves the user to the waiting room of a room without one: the meeting is left, the home page enters again,
// the service keeps the user waiting, and the meeting page shows the waiting room.
TEST_F(JoinRoadTest, MovedToTheWaitingRoomByTheHost_TheNextEntryWaits_ThePageShowsTheWaitingRoom)
{
    addRoom(QStringLiteral("123456789"));
    typeAndJoin(QStringLiteral("123456789"));
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    ASSERT_TRUE(processEventsUntil([] {
        VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
        return manager && manager->state() == VeskMeetingManager::StateInRoom && manager->imEngine() &&
               manager->imEngine()->isConnected();
    }));
    QPointer<MeetingViewController> joined = windows()->meetingPage();
    ASSERT_FALSE(joined->enterWaitingRoom());

    // What the host's client sends.
    const DevRoom *room = service.state().room(QStringLiteral("123456789"));
    QNetworkRequest request(
        QUrl(service.baseUrl().toString() + QStringLiteral("/qf/meeting/control/123456789/setRoomMemberWaitStatus")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    request.setRawHeader("Authorization", "token-host");
    request.setRawHeader("sequenceId", room->sequenceId.toUtf8());
    QNetworkAccessManager network;
    QNetworkReply *reply = network.post(
        request, QJsonDocument(QJsonObject{{"target", QJsonArray{RXEncrypt::aes128ecbEncrypt(kMyPhone)}}}).toJson());
    ASSERT_TRUE(processEventsUntil([reply] { return reply->isFinished(); }));
    reply->deleteLater();

    ASSERT_TRUE(processEventsUntil([] {
        MeetingViewController *page = MacWindowsManager::sharedManager()->meetingPage();
        return page && page->enterWaitingRoom();
    }));
    EXPECT_FALSE(joined) << "a page of its own";
    const auto enters = service.requestsFor(QStringLiteral("/qf/meeting/room/enter"));
    EXPECT_EQ(enters.size(), 2);
    ASSERT_EQ(service.state().room(QStringLiteral("123456789"))->waiting.size(), 1);
    EXPECT_EQ(service.state().room(QStringLiteral("123456789"))->waiting.first().userId, kMyPhone);
    EXPECT_EQ(service.state().room(QStringLiteral("123456789"))->member(kMyPhone), nullptr);
}

TEST_F(JoinRoadTest, ServiceFailures_ShowTheMessageOrTheNetworkText)
{
    typeAndJoin(QStringLiteral("404404404"));
    ASSERT_TRUE(waitForToast(QStringLiteral("会议不存在")));
    service.failNextReply(QStringLiteral("/qf/meeting/room/enter"), DevService::fail(500, QString()));
    typeAndJoin(QStringLiteral("404404404"));
    ASSERT_TRUE(waitForToast(ShellTexts::kNetworkError));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::HomePage);
}

TEST_F(JoinRoadTest, QuickMeeting_CreatesJoinsAndOpensTheMeetingPage)
{
    page->quickMeetingButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/create")), 1);
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/enter")), 1);
    const auto room = VeskAppAgent::sharedInstance()->meetingManager()->roomInfo();
    ASSERT_NE(room, nullptr);
    EXPECT_FALSE(room->roomId.isEmpty());
    ASSERT_EQ(updates.size(), 1);
    EXPECT_EQ(updates[0].model.roomId, room->roomId);

    // Leaving returns home and tells the service.
    windows()->meetingPage()->leaveRoom();
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/leave")) == 1; }));
}

TEST_F(JoinRoadTest, JoinRoom_FromTheListUsesTheMeetingsPassword)
{
    addRoom(QStringLiteral("246813579")).password = QStringLiteral("2468");
    MeetingDataModel meeting;
    meeting.roomId = QStringLiteral("246813579");
    meeting.roomName = QStringLiteral("周会");
    meeting.password = QStringLiteral("2468");
    page->joinRoom(meeting);
    ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
    EXPECT_EQ(visibleAlert(QStringLiteral("meetingPasswordAlert")), nullptr);
    ASSERT_EQ(updates.size(), 1);
    EXPECT_EQ(updates[0].model.roomName, QStringLiteral("周会"));
}

// The host moves the user out while the meeting is locked: the entry again is refused, and the user waits on a
// live page of its own (the service still lists him), where the host admits him once unlocked.
TEST_F(JoinRoadTest, MovedOutOfALockedMeeting_TheRefusedEntryWaitsOnALivePage_AndIsAdmittedAgain)
{
    const QString id = QStringLiteral("123456789");
    addRoom(id);
    typeAndJoin(id);
    ASSERT_TRUE(waitForJoinedPage());
    ASSERT_TRUE(processEventsUntil([] {
        VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
        return manager->imEngine() && manager->imEngine()->isConnected();
    }));
    QPointer<MeetingViewController> joined = windows()->meetingPage();
    lock(id, true);
    service.delayNextReply(QStringLiteral("/qf/meeting/room/enter"), 2000);
    hostTargets(id, QStringLiteral("setRoomMemberWaitStatus"));
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/enter")) == 2; }));
    // Closed while the entry is on its way: the window stays, with the leave dialog.
    QWidget *window = windows()->meetingWindow();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    KVAlert *dialog = waitForAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    clock.clock.advance(2s);

    ASSERT_TRUE(waitForToast(QStringLiteral("主持人已锁定会议")));
    ASSERT_TRUE(waitForWaitingPage());
    EXPECT_FALSE(joined) << "a page of its own";
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/enter")), 2);
    EXPECT_TRUE(listedAsWaiting(id));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::MeetingPageType);

    lock(id, false);
    hostTargets(id, QStringLiteral("allowMemberEnter"));
    pollOnce();
    ASSERT_TRUE(waitForJoinedPage());
}

// The host admits the user, then locks the meeting before the user's join arrives: the user keeps the waiting room
// and its poll, hears why there, and enters once the meeting is unlocked.
TEST_F(JoinRoadTest, AdmittedThenLocked_TheRefusedJoinKeepsTheWaitingRoomAndItsPoll)
{
    const QString id = QStringLiteral("111222333");
    addRoom(id).flags.insert(QStringLiteral("roomWaitStatus"), 1);
    typeAndJoin(id);
    ASSERT_TRUE(waitForWaitingPage());
    QPointer<MeetingViewController> waiting = windows()->meetingPage();
    hostTargets(id, QStringLiteral("allowMemberEnter"));
    lock(id, true);

    pollOnce();
    ASSERT_TRUE(waitForToast(QStringLiteral("主持人已锁定会议")));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/qf/meeting/room/enter")), 2);
    ASSERT_TRUE(waiting);
    EXPECT_EQ(windows()->meetingPage(), waiting.data());
    EXPECT_TRUE(waiting->isShowingWaitingRoom());
    EXPECT_NE(waiting->loopRequestTimer(), nullptr);
    EXPECT_EQ(VeskToast::hostWindow(), windows()->meetingWindow());

    lock(id, false);
    pollOnce();
    ASSERT_TRUE(waitForJoinedPage());
}

// The user leaves the waiting room while his admission join is on its way: the join's answer, which let him in,
// is left again, and the user stays home.
TEST_F(JoinRoadTest, ExitWhileTheAdmissionJoinIsOnItsWay_StaysHomeAndOutOfTheRoom)
{
    const QString id = QStringLiteral("111222333");
    addRoom(id).flags.insert(QStringLiteral("roomWaitStatus"), 1);
    typeAndJoin(id);
    ASSERT_TRUE(waitForWaitingPage());
    MeetingViewController *waiting = windows()->meetingPage();
    hostTargets(id, QStringLiteral("allowMemberEnter"));
    service.delayNextReply(QStringLiteral("/qf/meeting/room/enter"), 3000);
    pollOnce();
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/enter")) == 2; }));
    ASSERT_TRUE(page->isJoining());

    QTest::mouseClick(waiting->ui->exitWaitingRoomBtn, Qt::LeftButton);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    clock.clock.advance(3s);
    ASSERT_TRUE(processEventsUntil([this] { return !page->isJoining(); }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::HomePage);
    EXPECT_EQ(windows()->meetingPage(), nullptr);
    EXPECT_EQ(service.state().room(id)->member(kMyPhone), nullptr);
    EXPECT_EQ(VeskAppAgent::sharedInstance()->meetingManager()->roomInfo(), nullptr);
    EXPECT_TRUE(windows()->homeWindow()->isVisible());
}

// The creator ends the meeting while the user's join is slowed: a join that reaches the service after the end is
// refused, and one let in just before the end ends for the joiner with the service's notice, on the way home.
TEST_F(JoinRoadTest, EndedWhileJoining_TheJoinerHearsTheEndAndGoesHome)
{
    const QString id = QStringLiteral("123456789");
    addRoom(id);
    service.holdNextRequest(QStringLiteral("/qf/meeting/room/enter"), 2000);
    typeAndJoin(id);
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/enter")) == 1; }));
    hostControl(id, QStringLiteral("close"), {});
    clock.clock.advance(2s);
    ASSERT_TRUE(waitForToast(QStringLiteral("会议已结束")));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::HomePage);

    service.state().room(id)->closed = false;
    service.delayNextReply(QStringLiteral("/qf/meeting/room/enter"), 2000);
    typeAndJoin(id);
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(QStringLiteral("/qf/meeting/room/enter")) == 2; }));
    hostControl(id, QStringLiteral("close"), {});
    clock.clock.advance(2s);
    KVAlert *alert = waitForAlert(QStringLiteral("roomClosedAlert"));
    ASSERT_NE(alert, nullptr);
    QTest::mouseClick(alert->confirmButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_TRUE(windows()->homeWindow()->isVisible());
}

} // namespace
