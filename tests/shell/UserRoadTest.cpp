// The user's road where the service takes the lead: the creator ends the meeting for everybody,
// and the service stops accepting the sign-in (at home and in a meeting).

#include "ShellTestSupport.h"

#include "agent/engine/FakeEngine.h"
#include "shell/MainPageViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/ShellTexts.h"
#include "shell/TodayMeetingCell.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>

using namespace std::chrono_literals;

namespace {

const QString kRoom = QStringLiteral("800000001");
const QString kClosePath = QStringLiteral("/qf/meeting/control/") + kRoom + QStringLiteral("/close");

class UserRoadTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        storeSignedInUser();
        installMeetingManager();
        QObject::connect(VeskAppAgent::sharedInstance(), &VeskAppAgent::signInExpired, &observer,
                         [this] { ++expiredReports; });
    }

    // A meeting today, owned by owner.
    void scheduleToday(const QString &owner)
    {
        DevScheduledMeeting meeting;
        meeting.roomId = kRoom;
        meeting.ownerUserId = owner;
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        meeting.fields = {{"roomId", kRoom},
                          {"roomName", QStringLiteral("周会")},
                          {"beginTime", today + QStringLiteral(" 23:00")},
                          {"duration", 30},
                          {"status", 0},
                          {"creatorId", owner}};
        service.state().scheduled.insert(kRoom, meeting);
    }

    // What another client does, as plain requests: the envelope's code.
    qint64 callAs(const QString &token, const QString &path, const QJsonObject &body, const QByteArray &sequenceId = {})
    {
        QNetworkRequest request(QUrl(service.baseUrl().toString() + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        request.setRawHeader("Authorization", token.toUtf8());
        if (!sequenceId.isEmpty())
            request.setRawHeader("sequenceId", sequenceId);
        QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson());
        EXPECT_TRUE(processEventsUntil([reply] { return reply->isFinished(); }));
        reply->deleteLater();
        return QJsonDocument::fromJson(reply->readAll()).object().value("code").toInteger(-1);
    }

    void openHome()
    {
        windows()->showMainPage(false);
        ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
        home = windows()->mainPageViewController();
        ASSERT_NE(home, nullptr);
    }

    // Joined from the home page by number, in the room with the message channel open.
    void joinByNumber()
    {
        openHome();
        home->meetingIdField()->setStringValue(kRoom);
        home->joinButton()->click();
        ASSERT_TRUE(waitForPage(MacWindowsManager::MeetingPageType));
        ASSERT_TRUE(processEventsUntil([this] {
            return VeskAppAgent::sharedInstance()->meetingManager()->state() == VeskMeetingManager::StateInRoom &&
                   service.channelConnectionCount(kRoom, kMyPhone) == 1;
        }));
    }

    [[nodiscard]] bool homeListsRunningMeeting() const
    {
        for (const MeetingDataModel &m : home->todayMeetings()) {
            if (m.roomId == kRoom && m.status == MeetingDataModel::InProgress)
                return true;
        }
        return false;
    }

    QNetworkAccessManager network;
    MainPageViewController *home = nullptr;
    QObject observer;
    int expiredReports = 0;
};

TEST_F(UserRoadTest, CreatorEndsTheMeeting_TheOthersAreToldWhyAndLandHome)
{
    scheduleToday(kHostPhone);
    // The creator is in the meeting on another client.
    ASSERT_EQ(callAs(QStringLiteral("token-host"), "/qf/meeting/room/enter", {{"roomId", kRoom}}), 0);
    joinByNumber();

    const QByteArray sequence = service.state().room(kRoom)->sequenceId.toUtf8();
    ASSERT_EQ(callAs(QStringLiteral("token-host"), "/qf/meeting/control/" + kRoom + "/close", {}, sequence), 0);

    KVAlert *alert = waitForAlert(QStringLiteral("roomClosedAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), AgentRoutes::RoomEndedReason);
    EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("知道了"));
    EXPECT_EQ(VeskAppAgent::sharedInstance()->meetingManager()->state(), VeskMeetingManager::StateIdle)
        << "left before the alert";
    alert->confirmButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    EXPECT_EQ(service.channelConnectionCount(kRoom), 0);
}

TEST_F(UserRoadTest, RemovedByTheHost_IsToldWhyAndLandsHome)
{
    scheduleToday(kHostPhone);
    ASSERT_EQ(callAs(QStringLiteral("token-host"), "/qf/meeting/room/enter", {{"roomId", kRoom}}), 0);
    joinByNumber();

    const QByteArray sequence = service.state().room(kRoom)->sequenceId.toUtf8();
    ASSERT_EQ(callAs(QStringLiteral("token-host"), "/qf/meeting/control/" + kRoom + "/removeMember",
                     {{"target", QJsonArray{AgentRoutes::enc(kMyPhone)}}, {"forbidEnterStatus", "0"}}, sequence),
              0);
    KVAlert *alert = waitForAlert(QStringLiteral("roomClosedAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), AgentRoutes::MemberRemovedReason);
    alert->confirmButton()->click();
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
}

TEST_F(UserRoadTest, CreatorEndsTheMeeting_HisHomeListNoLongerShowsItRunning)
{
    scheduleToday(kMyPhone);
    joinByNumber();
    // The list as fetched while the meeting runs.
    home->reloadData();
    ASSERT_TRUE(processEventsUntil([this] { return homeListsRunningMeeting(); }));
    windows()->meetingPage()->leaveMeeting(nullptr);
    KVAlert *alert = waitForAlert(QStringLiteral("leaveMeetingAlert"));
    ASSERT_NE(alert, nullptr);
    ASSERT_EQ(alert->cancelButton()->text(), QStringLiteral("结束会议"));
    // The close is overtaken on its way by the list fetched as the window goes.
    service.holdNextRequest(kClosePath, 1000);
    alert->cancelButton()->click();

    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    ASSERT_TRUE(processEventsUntil([this] { return requestCount(kClosePath) == 1; }));
    clock.clock.advance(1000ms);
    EXPECT_TRUE(processEventsUntil([this] { return !homeListsRunningMeeting(); }));
    EXPECT_TRUE(service.state().room(kRoom)->closed);
}

TEST_F(UserRoadTest, SignInRefusedAtHome_SignsOutOnceAndShowsTheLoginPageWithTheServicesWord)
{
    scheduleToday(kMyPhone);
    openHome();
    ASSERT_TRUE(processEventsUntil([this] { return homeListsRunningMeeting() || !home->todayMeetings().isEmpty(); }));

    // The service restarted and forgot the sign-in: every call is refused from now on.
    service.state().tokens.clear();
    home->meetingIdField()->setStringValue(kRoom);
    home->joinButton()->click();
    windows()->mainWindowViewController()->reloadData();

    ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
    EXPECT_TRUE(waitForToast(QStringLiteral("登录已失效，请重新登录")));
    EXPECT_FALSE(VeskAppAgent::sharedInstance()->isSignedIn());
    EXPECT_FALSE(UserDefaults::standardUserDefaults().objectForKey(VeskAppAgent::kMyInfoKey).isValid());
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(expiredReports, 1) << "several refused calls, one sign-out";
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::LoginPage);
}

TEST_F(UserRoadTest, SignInRefusedInAMeeting_TearsTheMeetingDownFirst)
{
    scheduleToday(kHostPhone);
    joinByNumber();
    FakeEngine *engine = engines.engine();
    ASSERT_NE(engine, nullptr);

    // The host changed the assistants; asking who they are now is refused with HTTP status 401
    // and no envelope: the client's own text.
    service.failNextReply("/qf/meeting/room/hostInfo", DevReply::json({{"error", "unauthorized"}}, 401));
    const QJsonObject command{{"event", 12}, {"data", QJsonObject{}}, {"message", QString()}};
    ASSERT_EQ(service.sendChannelMessage(
                  kRoom, kMyPhone,
                  {{"type", 1},
                   {"sender", kHostPhone},
                   {"senderName", QStringLiteral("主持人")},
                   {"data", QJsonArray{QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact))}}}),
              1);

    ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
    EXPECT_TRUE(waitForToast(ShellTexts::kSignInExpired));
    EXPECT_EQ(VeskAppAgent::sharedInstance()->meetingManager()->state(), VeskMeetingManager::StateIdle);
    EXPECT_EQ(engine->callCount(QStringLiteral("leaveRoom")), 1);
    EXPECT_TRUE(processEventsUntil([this] { return requestCount("/qf/meeting/room/leave") == 1; }));
    EXPECT_EQ(windows()->meetingPage(), nullptr);
    EXPECT_FALSE(VeskAppAgent::sharedInstance()->isSignedIn());
    EXPECT_EQ(expiredReports, 1);
}

} // namespace
