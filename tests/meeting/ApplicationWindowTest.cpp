// The applications panel in the meeting window against the stand-in: opened from the tool bar in
// both layouts, the record switches on the service and spread by event 5, audio-only, and the
// window's own record switches.

#include "DispatchWindowSupport.h"

#include "agent/engine/KRTCTypes.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/MeetingRecordSwitchView.h"
#include "meeting/panels/PanelViews.h"
#include "meeting/window/MeetingCountDowns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

const QString kSwitchPath = QStringLiteral("/qf/meeting/control/123456789/switch/transcribe");

class ApplicationWindowTest : public DispatchWindowTest {
protected:
    ApplicationView *openPanel()
    {
        page->ui->applicationBtn->click();
        processEventsFor(5);
        ApplicationView *panel = page->applicationView();
        EXPECT_EQ(panel->parentWidget(), page->view());
        return panel;
    }

    // What the host does on another client: the envelope's code.
    qint64 hostSwitches(bool record, bool viewing)
    {
        QNetworkRequest request(QUrl(service.baseUrl().toString() + kSwitchPath));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        request.setRawHeader("Authorization", "token-host");
        request.setRawHeader("sequenceId", service.state().room(kRoomId)->sequenceId.toUtf8());
        const QJsonObject body{{"openTranslateText", record ? "1" : "0"},
                               {"roomTranscribeStatus", viewing ? "1" : "0"}};
        QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson());
        EXPECT_TRUE(processEventsUntil([reply] { return reply->isFinished(); }));
        reply->deleteLater();
        return QJsonDocument::fromJson(reply->readAll()).object().value("code").toInteger(-1);
    }

    QNetworkAccessManager network;
};

TEST_F(ApplicationWindowTest, ToolBarOpensTheMemberLayout_TheHostLayoutOnceMadeAssistant_AndClosesIt)
{
    join();
    ApplicationView *panel = openPanel();
    EXPECT_EQ(panel->width(), ApplicationView::kMemberWidth);
    EXPECT_FALSE(panel->rightMoreButton->isVisible());

    // Made assistant host while the panel is open.
    service.state().room(kRoomId)->member(kMyPhone)->assistant = true;
    service.sendChannelMessage(kRoomId, kMyPhone,
                               {{"type", 1},
                                {"sender", kHostPhone},
                                {"senderName", QStringLiteral("主持人")},
                                {"data", QJsonArray{jsonText(QJsonObject{{"event", 12}, {"data", QJsonObject{}}})}}});
    ASSERT_TRUE(processEventsUntil([&] { return panel->width() == ApplicationView::kHostWidth; }));
    EXPECT_TRUE(panel->rightMoreButton->isVisible());

    page->ui->applicationBtn->click();
    EXPECT_EQ(panel->parentWidget(), nullptr);
    EXPECT_EQ(page->applicationView(), panel) << "kept for the next time";
}

TEST_F(ApplicationWindowTest, HostRecordSwitchesReachTheServiceWithBothFields)
{
    join(true);
    ApplicationView *panel = openPanel();
    EXPECT_EQ(panel->width(), ApplicationView::kHostWidth);
    panel->rightMoreButton->click();
    MeetingRecordSwitchView *switches = panel->allowMeetingRecordView();
    ASSERT_TRUE(switches->isVisible());
    switches->openTranscribeCheckBtn->click();
    ASSERT_TRUE(processEventsUntil([&] { return room()->openTranslateText == 1; }));
    ASSERT_EQ(requestCount(kSwitchPath), 1);
    const DevRequest sent = service.requestsFor(kSwitchPath).first();
    EXPECT_EQ(sent.json.value("openTranslateText").toString(), QStringLiteral("1"));
    EXPECT_EQ(sent.json.value("roomTranscribeStatus").toString(), QStringLiteral("0"));
    EXPECT_EQ(toastText(), QStringLiteral("你已打开会议记录"));
    EXPECT_EQ(service.state().room(kRoomId)->flags.value("openTranslateText").toInt(), 1);

    // Refused by the service: the box goes back.
    service.failNextReply(kSwitchPath, DevService::fail(403, QStringLiteral("无权限")));
    switches->allowMemberViewRecordBtn->click();
    ASSERT_TRUE(processEventsUntil([&] { return switches->allowMemberViewRecordBtn->state() == 0; }));
    EXPECT_EQ(room()->roomTranscribeStatus, 0);
}

TEST_F(ApplicationWindowTest, MemberLearnsTheSwitchesFromEvent5AndTheTileThenOpensTheTranscript)
{
    join();
    ApplicationView *panel = openPanel();
    panel->transcriptionButton->click();
    EXPECT_EQ(toastText(), QStringLiteral("主持人已关闭会议记录"));
    EXPECT_EQ(panel->transcriptionButton->state(), 0);

    ASSERT_EQ(hostSwitches(true, true), 0);
    ASSERT_TRUE(
        processEventsUntil([&] { return room()->openTranslateText == 1 && room()->roomTranscribeStatus == 1; }));
    VeskToast::dismissToast();
    panel->transcriptionButton->click();
    EXPECT_EQ(toastText(), QString());
    EXPECT_EQ(panel->transcriptionButton->state(), 1);
    EXPECT_EQ(panel->imageNameOf(ApplicationView::TranscriptionTile), QStringLiteral("transcribe_on"));
    EXPECT_EQ(panel->parentWidget(), nullptr) << "opening the transcript closes the pop-overs";
    EXPECT_EQ(page->ui->applicationBtn->state(), 0);
}

TEST_F(ApplicationWindowTest, AudioOnlyDropsRemoteVideo)
{
    join();
    engine().emitMemberJoined(QStringLiteral("peer-a"), QStringLiteral("甲"));
    engine().emitStreamPublished(QStringLiteral("peer-a"), KRTCSourceType::Camera, true, true);
    settle();
    auto cameras = [&] {
        int n = 0;
        for (const auto &tile : page->activeMembers())
            n += tile && !tile->isSelf() && tile->activeVideoSourceType() == KRTCSourceType::Camera;
        return n;
    };
    ASSERT_TRUE(processEventsUntil([&] { return cameras() == 1; }));
    ApplicationView *panel = openPanel();
    panel->onlyAudioButton->click();
    // The switch and the engine's stream changes come back asynchronously.
    EXPECT_TRUE(processEventsUntil([&] { return manager()->isOnlyAudio() && cameras() == 0; }));

    // The system tip's suggestion turns it on the same way; the tile turned off brings video back.
    panel->onlyAudioButton->click();
    EXPECT_TRUE(processEventsUntil([&] { return !manager()->isOnlyAudio() && cameras() == 1; }));
    page->applicationStateSettingAction(ApplicationView::OnlyAudioTile);
    EXPECT_TRUE(processEventsUntil([&] { return cameras() == 0; }));
    EXPECT_EQ(panel->imageNameOf(ApplicationView::OnlyAudioTile), QStringLiteral("headset_blue"));
}

TEST_F(ApplicationWindowTest, CountDownTileOnlyStaysOnWhileTheSetterIsShown)
{
    join(true);
    ApplicationView *panel = openPanel();
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    EXPECT_EQ(setter, page->countDowns().hostCountDownView());
    setter->setParent(page->ui->middleView);
    panel->counDownButton->click(); // on
    panel->counDownButton->click(); // off, but the setter is up: back on, nothing else
    EXPECT_TRUE(panel->countDownShow());
    EXPECT_EQ(panel->imageNameOf(ApplicationView::CountDownTile), QStringLiteral("countdown_on"));
    EXPECT_EQ(panel->parentWidget(), page->view());

    PanelViews::removeFromSuperview(setter);
    panel->counDownButton->click(); // the pop-overs close for the setter
    EXPECT_EQ(panel->parentWidget(), nullptr);
    EXPECT_EQ(page->ui->applicationBtn->state(), 0);
}

TEST_F(ApplicationWindowTest, WindowRecordSwitches_RecordReplySetsTheRoomWithoutAToast)
{
    join(true);
    room()->roomTranscribeStatus = 1;
    MeetingRecordSwitchView *view = page->allowMeetingRecordView();
    EXPECT_EQ(view, page->allowMeetingRecordView());
    EXPECT_EQ(view->openTranscribeCheckBtn->state(), 0);
    EXPECT_EQ(view->allowMemberViewRecordBtn->state(), 1);

    view->openTranscribeCheckBtn->click();
    ASSERT_TRUE(processEventsUntil([&] { return room()->openTranslateText == 1; }));
    EXPECT_EQ(toastText(), QString());
    const DevRequest sent = service.requestsFor(kSwitchPath).last();
    EXPECT_EQ(sent.json.value("roomTranscribeStatus").toString(), QStringLiteral("1"));

    view->allowMemberViewRecordBtn->click();
    ASSERT_TRUE(processEventsUntil([&] { return room()->roomTranscribeStatus == 0; }));
    EXPECT_EQ(toastText(), QStringLiteral("你已关闭转录\n关闭后全员不可见"));
}

} // namespace
