// Count-downs in the meeting window against the stand-in on virtual time: the host's setter,
// running view and stop, the attendee's display on 801 and 802, and the two together end to end.

#include "DispatchWindowSupport.h"

#include "agent/MainSettingModel.h"
#include "agent/engine/FakeEngine.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/CountDownSound.h"
#include "meeting/panels/HostCountDownStartView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/MoreItemView.h"
#include "meeting/panels/RespondCountDownView.h"
#include "meeting/window/CurrentSpeakerView.h"
#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingToolBar.h"
#include "uikit/KVWindow.h"

#include <QJsonDocument>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

const QString kStart = QStringLiteral("/qf/meeting/control/123456789/countdownStart");
const QString kStop = QStringLiteral("/qf/meeting/control/123456789/countdownStop");
const QString kQuery = QStringLiteral("/qf/meeting/room/queryCountdown");

class CountDownFlowTest : public DispatchWindowTest {
protected:
    void SetUp() override
    {
        DispatchWindowTest::SetUp();
        CountDownSoundPlayer::installFactory([]() -> std::unique_ptr<CountDownSoundPlayer> { return nullptr; });
    }
    void TearDown() override
    {
        DispatchWindowTest::TearDown();
        CountDownSoundPlayer::installFactory({});
    }

    // The setter from 05:00 to 00:15, as the host presses its digits, then its start button.
    void startFifteenSeconds()
    {
        HostCountDownView *setter = page->countDowns().hostCountDownView();
        for (int i = 0; i < 5; ++i)
            setter->oneMinutesSubtractAction(setter->minutesSubtractButton);
        setter->tenSecondAddAction(setter->tenSecondsAddButton);
        for (int i = 0; i < 5; ++i)
            setter->oneSecondAddAction(setter->secondsAddButton);
        setter->startButton->click();
        ASSERT_TRUE(settleRequests());
    }

    void tick(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            clock.clock.advance(1000ms);
            processEventsFor(2);
        }
    }

    void control(int event)
    {
        IMMessage message = controlMessage(event, {}, QString(), QStringLiteral("mccServer"), QString());
        message.msgId = ++m_msgId;
        receive(message);
    }

    [[nodiscard]] QString shown(const CountDownDisplay *view) const
    {
        return view->minutesLabel->text() + QLatin1Char(':') + view->secondLabel->text();
    }
    [[nodiscard]] QWidget *middle() const { return page->ui->middleView; }
    [[nodiscard]] int underTopBar() const { return page->ui->topView->height() + 10 - middle()->y(); }
    [[nodiscard]] bool flag() const { return manager()->respondCoundownRuning(); }

    // What the host does from another client: the envelope's code.
    qint64 hostPosts(const QString &path, const QJsonObject &body) { return postsAs("token-host", path, body); }
    qint64 postsAs(const QByteArray &token, const QString &path, const QJsonObject &body)
    {
        QNetworkRequest request(QUrl(service.baseUrl().toString() + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        request.setRawHeader("Authorization", token);
        request.setRawHeader("sequenceId", service.state().room(kRoomId)->sequenceId.toUtf8());
        QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson());
        EXPECT_TRUE(processEventsUntil([reply] { return reply->isFinished(); }));
        reply->deleteLater();
        return QJsonDocument::fromJson(reply->readAll()).object().value("code").toInteger(-1);
    }

    // The setter's start pressed as the user presses it, 00:15 set.
    void startFifteenSecondsByPointer()
    {
        HostCountDownView *setter = page->countDowns().hostCountDownView();
        for (int i = 0; i < 5; ++i)
            setter->oneMinutesSubtractAction(setter->minutesSubtractButton);
        setter->tenSecondAddAction(setter->tenSecondsAddButton);
        for (int i = 0; i < 5; ++i)
            setter->oneSecondAddAction(setter->secondsAddButton);
        clickAt(setter->startButton);
        ASSERT_TRUE(settleRequests());
    }

    // Somebody with a tile speaks.
    void speak(const QString &peerId)
    {
        NotificationCenter::defaultCenter().post(
            QStringLiteral("VESK_NOTIFFY_VOICE_VALUE_CHANGED"),
            QVariantMap{{QStringLiteral("peerId"), peerId}, {QStringLiteral("value"), 40.0}});
    }
    [[nodiscard]] CurrentSpeakerView *speakerLabel() const
    {
        return page->view()->findChild<CurrentSpeakerView *>(QString(), Qt::FindDirectChildrenOnly);
    }
    // A view's rectangle in the window's view.
    [[nodiscard]] QRect inWindow(const QWidget *view) const
    {
        return QRect(view->mapTo(page->view(), QPoint(0, 0)), view->size());
    }
    // Another participant in the room, with a tile, who speaks.
    void withASpeakingTile()
    {
        VeskAppAgent::sharedInstance()->settingModel()->setShowCurrentSpeaker(true);
        engine().emitMemberJoined(QStringLiteral("13700000001"), QStringLiteral("王五"));
        engine().emitStreamPublished(QStringLiteral("13700000001"), KRTCSourceType::Camera, true, true);
        ASSERT_TRUE(processEventsUntil([&] {
            for (const auto &tile : page->activeMembers()) {
                if (tile->phoneNumber() == QStringLiteral("13700000001"))
                    return true;
            }
            return false;
        }));
        page->view()->window()->show();
        speak(QStringLiteral("13700000001"));
        ASSERT_TRUE(speakerLabel() && speakerLabel()->isVisible());
    }

    QNetworkAccessManager network;
    qint64 m_msgId = 100;
};

TEST_F(CountDownFlowTest, HostStartsFifteenSeconds_RunsUnderTheTopBar_NaturalEndBringsTheSetterBackSilently)
{
    join(true);
    page->countDowns().showHostCountDownView();
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    ASSERT_EQ(setter->parentWidget(), middle());
    EXPECT_EQ(setter->size(), QSize(278, 203));
    EXPECT_LE((setter->geometry().center() - middle()->rect().center()).manhattanLength(), 1);

    startFifteenSeconds();
    const QList<DevRequest> starts = service.requestsFor(kStart);
    ASSERT_EQ(starts.size(), 1);
    EXPECT_EQ(starts.first().json.value("countdown").toInteger(), 15000);
    EXPECT_EQ(requestCount(kQuery), 1);
    EXPECT_FALSE(VeskToast::currentLoadingToast());
    HostCountDownStartView *running = page->countDowns().hostCountStartView();
    ASSERT_EQ(running->parentWidget(), middle());
    EXPECT_EQ(running->geometry(), QRect(20, underTopBar(), 150, 156));
    EXPECT_EQ(shown(running), QStringLiteral("00:15"));
    EXPECT_FALSE(setter->parentWidget());

    tick(15);
    EXPECT_FALSE(running->parentWidget());
    EXPECT_FALSE(running->isRunning());
    ASSERT_EQ(setter->parentWidget(), middle());
    EXPECT_EQ(setter->minutes(), 5);
    EXPECT_EQ(setter->seconds(), 0);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kStop), 0);
}

TEST_F(CountDownFlowTest, HostStart_TimeLeftInPartSecondsIsShownRoundedDown)
{
    join(true);
    page->countDowns().showHostCountDownView();
    // The service answers a moment after the start: not a whole number of seconds.
    service.failNextReply(kQuery, DevService::ok(QJsonObject{{"countdown", 14999}}));
    startFifteenSeconds();
    HostCountDownStartView *running = page->countDowns().hostCountStartView();
    ASSERT_EQ(running->parentWidget(), middle());
    EXPECT_EQ(shown(running), QStringLiteral("00:14"));
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    EXPECT_EQ(setter->tenSecondLabel->text() + setter->secondLabel->text(), QStringLiteral("14"));
    tick(14);
    EXPECT_FALSE(running->isRunning());
}

TEST_F(CountDownFlowTest, StartRefusedWhileADisplayRuns_FailedStartLeavesTheSetter)
{
    join(true);
    page->countDowns().showHostCountDownView();
    manager()->setRespondCoundownRuning(true);
    startFifteenSeconds();
    EXPECT_EQ(toastText(), QStringLiteral("已有倒计时进行中"));
    EXPECT_EQ(requestCount(kStart), 0);

    manager()->setRespondCoundownRuning(false);
    service.failNextReply(kStart, DevService::fail(500, QString()));
    startFifteenSeconds();
    EXPECT_EQ(toastText(), QStringLiteral("网络不给力，请稍后重试"));
    EXPECT_FALSE(VeskToast::currentLoadingToast());
    EXPECT_EQ(requestCount(kQuery), 0);
    EXPECT_EQ(page->countDowns().hostCountDownView()->parentWidget(), middle());
    EXPECT_FALSE(page->countDowns().hostCountStartView()->parentWidget());
}

TEST_F(CountDownFlowTest, StopAndClose_FailuresKeepItRunning_SuccessesEndIt_An802LeavesItAtZero)
{
    join(true);
    page->countDowns().showHostCountDownView();
    startFifteenSeconds();
    HostCountDownStartView *running = page->countDowns().hostCountStartView();
    tick(1);
    ASSERT_TRUE(running->isRunning());

    service.failNextReply(kStop, DevService::fail(500, QStringLiteral("停止失败")));
    running->stopButton->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(toastText(), QStringLiteral("停止失败"));
    EXPECT_TRUE(running->isRunning());

    // Close asks first; a failed stop behind it leaves the count-down running.
    running->closeButton->click();
    KVAlert *alert = visibleAlert(QStringLiteral("countDownCloseAlert"));
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), QStringLiteral("终止计时"));
    EXPECT_EQ(alert->message(), QStringLiteral("关闭窗口后，计时会自动停止，确认关闭子窗口？"));
    EXPECT_EQ(alert->geometry().bottomLeft() + QPoint(0, 1),
              running->mapToGlobal(QPoint(running->width(), running->height())));
    service.failNextReply(kStop, DevService::fail(500, QString()));
    alert->confirmButton()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(toastText(), QStringLiteral("网络不给力，请稍后重试"));
    EXPECT_TRUE(running->isRunning());
    EXPECT_EQ(running->parentWidget(), middle());

    // Shown again while it runs: the applications tile turns on, the setter stays away.
    page->viewWillAppear();
    EXPECT_TRUE(page->applicationView()->countDownShow());
    EXPECT_FALSE(page->countDowns().hostCountDownView()->parentWidget());
    running->closeButton->click();
    alert = visibleAlert(QStringLiteral("countDownCloseAlert"));
    ASSERT_TRUE(alert);
    alert->confirmButton()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(running->isRunning());
    EXPECT_FALSE(running->parentWidget());
    EXPECT_FALSE(page->countDowns().hostCountDownView()->parentWidget());
    EXPECT_FALSE(page->applicationView()->countDownShow());

    // Started again, an 802 leaves it at 00:00 where it is; its stop brings the setter back.
    page->countDowns().showHostCountDownView();
    startFifteenSeconds();
    tick(2);
    control(802);
    EXPECT_FALSE(running->isRunning());
    EXPECT_EQ(running->parentWidget(), middle());
    tick(1);
    EXPECT_EQ(shown(running), QStringLiteral("00:00"));
    running->stopButton->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_FALSE(running->parentWidget());
    EXPECT_EQ(page->countDowns().hostCountDownView()->parentWidget(), middle());
    EXPECT_EQ(page->countDowns().hostCountDownView()->minutes(), 5);
    EXPECT_EQ(requestCount(kStop), 5);
}

TEST_F(CountDownFlowTest, ClosingTheSetterSendsNothing_TheTileStaysOnWhileTheSetterIsUp)
{
    join(true);
    ApplicationView *panel = page->applicationView();
    page->applicationStateSettingAction(ApplicationView::CountDownTile);
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    ASSERT_EQ(setter->parentWidget(), middle());
    panel->counDownButton->click();
    EXPECT_TRUE(panel->countDownShow());
    EXPECT_EQ(setter->parentWidget(), middle());

    setter->closeButton->click();
    EXPECT_FALSE(setter->parentWidget());
    EXPECT_FALSE(panel->countDownShow());

    // Closed in a floating window, it takes the window with it.
    page->showFloatingWindowAtView(nullptr, setter, QSizeF(278, 203), 0, 8);
    QPointer<KVWindow> floating = qobject_cast<KVWindow *>(setter->parentWidget());
    ASSERT_TRUE(floating);
    setter->closeButton->click();
    EXPECT_FALSE(setter->parentWidget());
    EXPECT_TRUE(!floating || !floating->isVisible());
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kStart) + requestCount(kStop), 0);
}

TEST_F(CountDownFlowTest, StartedFromTheMoreMenu_ItsItemGoesOffWithTheWindow_TheNextPressOpensTheSetter)
{
    join(true);
    MoreItemView *menu = page->moreItemView();
    menu->countDownBtn->click();
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    QPointer<KVWindow> floating = qobject_cast<KVWindow *>(setter->parentWidget());
    ASSERT_TRUE(floating);

    startFifteenSeconds();
    EXPECT_EQ(page->countDowns().hostCountStartView()->parentWidget(), middle());
    EXPECT_TRUE(!floating || !floating->isVisible());
    EXPECT_EQ(menu->countDownBtn->state(), 0);
    menu->countDownBtn->click();
    EXPECT_TRUE(qobject_cast<KVWindow *>(setter->parentWidget())) << "one press opens it again";
}

TEST_F(CountDownFlowTest, AttendeeDisplayFollows801_RestartsInPlace_AndEndsOn802)
{
    // Joining while a count-down runs: the time left, rounded down to whole seconds.
    signIn();
    addRoom();
    service.state().room(kRoomId)->extra.insert(QStringLiteral("countdownEnd"), clock.clock.nowMs() + 90999);
    page = openJoinedPage();
    ASSERT_TRUE(settleRequests());
    RespondCountDownView *display = page->countDowns().respondCountDownView();
    ASSERT_TRUE(processEventsUntil([&] { return display->parentWidget() == middle(); }));
    EXPECT_EQ(display->geometry(), QRect(10, underTopBar(), 151, 76));
    EXPECT_EQ(shown(display), QStringLiteral("01:30"));
    EXPECT_TRUE(flag());

    // A new start while it shows: the same display from the new time.
    service.state().room(kRoomId)->extra.insert(QStringLiteral("countdownEnd"), clock.clock.nowMs() + 20000);
    control(801);
    ASSERT_TRUE(processEventsUntil([&] { return shown(display) == QStringLiteral("00:20"); }));
    EXPECT_EQ(middle()->findChildren<RespondCountDownView *>().size(), 1);

    // More than the setter can show (99:59) is no count-down: gone.
    service.state().room(kRoomId)->extra.insert(QStringLiteral("countdownEnd"), std::numeric_limits<qint64>::max());
    control(801);
    ASSERT_TRUE(processEventsUntil([&] { return !display->parentWidget(); }));
    EXPECT_FALSE(flag());
    service.state().room(kRoomId)->extra.insert(QStringLiteral("countdownEnd"), clock.clock.nowMs() + 20000);
    control(801);
    ASSERT_TRUE(processEventsUntil([&] { return display->parentWidget() == middle(); }));

    // Nothing left: gone, and the host may start again.
    service.state().room(kRoomId)->extra.remove(QStringLiteral("countdownEnd"));
    control(801);
    ASSERT_TRUE(processEventsUntil([&] { return !display->parentWidget(); }));
    EXPECT_FALSE(flag());

    service.state().room(kRoomId)->extra.insert(QStringLiteral("countdownEnd"), clock.clock.nowMs() + 20000);
    control(801);
    ASSERT_TRUE(processEventsUntil([&] { return display->parentWidget() == middle(); }));
    const int stopsBefore = requestCount(kStop);
    control(802);
    EXPECT_EQ(toastText(), QStringLiteral("主持人已停止计时"));
    EXPECT_EQ(shown(display), QStringLiteral("00:00"));
    EXPECT_FALSE(flag());
    EXPECT_EQ(requestCount(kStop), stopsBefore + 1);
    tick(2);
    EXPECT_FALSE(display->parentWidget());

    // Leaving ends a shown count-down too, and asks the service to stop.
    service.state().room(kRoomId)->extra.insert(QStringLiteral("countdownEnd"), clock.clock.nowMs() + 20000);
    control(801);
    ASSERT_TRUE(processEventsUntil([&] { return flag(); }));
    page->leaveRoom();
    EXPECT_FALSE(flag());
    EXPECT_EQ(shown(display), QStringLiteral("00:00"));
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kStop) == stopsBefore + 2; }));
}

// The service tells nobody when a count-down runs out. An attendee's display that ran out lets the next one start:
// an assistant host who watched the host's count-down end starts one, and the host who watched an assistant's.
TEST_F(CountDownFlowTest, ADisplayThatRanOutLetsTheNextStart_AnAssistantAfterTheHosts)
{
    join();
    DevRoom *room = service.state().room(kRoomId);
    ASSERT_TRUE(processEventsUntil([&] { return room->member(kMyPhone) != nullptr; }));
    room->member(kMyPhone)->assistant = true;
    RespondCountDownView *display = page->countDowns().respondCountDownView();
    ASSERT_EQ(hostPosts(kStart, {{"countdown", 15000}}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return display->parentWidget() == middle() && flag(); }));
    tick(15);
    EXPECT_EQ(shown(display), QStringLiteral("00:00"));
    EXPECT_FALSE(flag());
    tick(2);
    EXPECT_FALSE(display->parentWidget());

    page->countDowns().showHostCountDownView();
    startFifteenSecondsByPointer();
    EXPECT_NE(toastText(), QStringLiteral("已有倒计时进行中"));
    ASSERT_EQ(requestCount(kStart), 2);
    EXPECT_EQ(page->countDowns().hostCountStartView()->parentWidget(), middle());
    EXPECT_EQ(shown(page->countDowns().hostCountStartView()), QStringLiteral("00:15"));
    EXPECT_TRUE(page->countDowns().hostCountStartView()->isTicking());
}

TEST_F(CountDownFlowTest, ADisplayThatRanOutLetsTheNextStart_TheHostAfterAnAssistants)
{
    join(true);
    const QString assistantPhone = QStringLiteral("13900000007");
    service.state().addUser(assistantPhone, assistantPhone, QStringLiteral("助理"), QStringLiteral("assistant-token"));
    DevMember assistant{assistantPhone, QStringLiteral("助理"), assistantPhone};
    assistant.assistant = true;
    service.state().room(kRoomId)->members.append(assistant);
    RespondCountDownView *display = page->countDowns().respondCountDownView();
    ASSERT_EQ(postsAs("assistant-token", kStart, {{"countdown", 15000}}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return display->parentWidget() == middle() && flag(); }));
    tick(15);
    EXPECT_FALSE(flag());

    page->countDowns().showHostCountDownView();
    startFifteenSecondsByPointer();
    EXPECT_NE(toastText(), QStringLiteral("已有倒计时进行中"));
    ASSERT_EQ(requestCount(kStart), 2);
    EXPECT_EQ(shown(page->countDowns().hostCountStartView()), QStringLiteral("00:15"));
    EXPECT_TRUE(page->countDowns().hostCountStartView()->isTicking());
}

// The current speaker's label and a count-down are both in sight while someone speaks: they never overlap, and the
// running count-down's × takes a real click.
TEST_F(CountDownFlowTest, TheSpeakerLabelNeverCoversTheCountDown_TheCloseButtonTakesTheClick)
{
    join(true);
    withASpeakingTile();
    page->countDowns().showHostCountDownView();
    startFifteenSecondsByPointer();
    HostCountDownStartView *running = page->countDowns().hostCountStartView();
    ASSERT_TRUE(running->isVisible());
    speak(QStringLiteral("13700000001"));
    CurrentSpeakerView *label = speakerLabel();
    ASSERT_TRUE(label->isVisible());
    EXPECT_FALSE(inWindow(label).intersects(inWindow(running)));
    EXPECT_TRUE(page->view()->rect().contains(inWindow(label)));

    clickAt(running->closeButton);
    EXPECT_NE(visibleAlert(QStringLiteral("countDownCloseAlert")), nullptr) << "the × took the click";
    if (KVAlert *alert = visibleAlert(QStringLiteral("countDownCloseAlert")))
        alert->close();

    // The label shown first, the count-down after: it makes room too.
    tick(15);
    clock.clock.advance(5s);
    EXPECT_FALSE(label->isVisible());
    speak(QStringLiteral("13700000001"));
    ASSERT_TRUE(label->isVisible());
    EXPECT_EQ(label->pos(), QPoint(20, page->ui->topView->height() + 10)) << "home again with no count-down";
    startFifteenSecondsByPointer();
    ASSERT_TRUE(running->isVisible());
    EXPECT_FALSE(inWindow(label).intersects(inWindow(running)));
}

TEST_F(CountDownFlowTest, TheSpeakerLabelNeverCoversTheAttendeesDisplay)
{
    join();
    withASpeakingTile();
    // The bars hidden as the count-down comes (the pointer left the window); they come back later, moving the middle
    // view and the display in it.
    page->toolBar().mouseExited();
    for (int i = 0; i < 60 && !page->toolBar().toolBarsHidden(); ++i)
        tick(1);
    ASSERT_TRUE(page->toolBar().toolBarsHidden());
    for (int i = 0; i < 25; ++i) {
        clock.clock.advance(40ms);
        processEventsFor(1);
    }
    RespondCountDownView *display = page->countDowns().respondCountDownView();
    ASSERT_EQ(hostPosts(kStart, {{"countdown", 15000}}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return display->isVisible(); }));
    speak(QStringLiteral("13700000001"));
    ASSERT_TRUE(speakerLabel()->isVisible());
    EXPECT_FALSE(inWindow(speakerLabel()).intersects(inWindow(display)));
    const QRect before = inWindow(display);
    page->toolBar().toolBarShowAction();
    for (int i = 0; i < 25; ++i) {
        clock.clock.advance(40ms);
        processEventsFor(1);
    }
    ASSERT_NE(inWindow(display), before) << "the display moved with the middle view";
    EXPECT_FALSE(inWindow(speakerLabel()).intersects(inWindow(display)));
    // Where the user drags the display, the label still makes room.
    display->move(display->x() + 30, display->y() + 60);
    EXPECT_FALSE(inWindow(speakerLabel()).intersects(inWindow(display)));
}

TEST_F(CountDownFlowTest, EndToEnd_HostsStartAndStopReachTheAttendeesDisplayThroughTheChannel)
{
    join();
    RespondCountDownView *display = page->countDowns().respondCountDownView();
    ASSERT_EQ(hostPosts(kStart, {{"countdown", 15000}}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return display->parentWidget() == middle(); }));
    EXPECT_EQ(shown(display), QStringLiteral("00:15"));
    EXPECT_TRUE(flag());
    tick(3);
    EXPECT_EQ(shown(display), QStringLiteral("00:12"));

    ASSERT_EQ(hostPosts(kStop, {{"roomId", kRoomId}}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return toastText() == QStringLiteral("主持人已停止计时"); }));
    EXPECT_EQ(shown(display), QStringLiteral("00:00"));
    EXPECT_FALSE(flag());
    tick(2);
    EXPECT_FALSE(display->parentWidget());
}

} // namespace
