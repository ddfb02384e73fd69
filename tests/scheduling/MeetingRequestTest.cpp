// What the form sends: each row fills the form, confirms it, sends the meeting through the agent
// to the stand-in and reads the request the stand-in recorded.

#include "agent/AgentTestSupport.h"
#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"
#include "foundation/UserDefaults.h"
#include "scheduling/CreateMeetingViewController.h"
#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectCollectionItem.h"
#include "scheduling/KVMemberSelectView.h"
#include "uikit/KVHitTestButton.h"
#include "uikit/KVTextField.h"

#include <QJsonArray>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

const QString kMe = QStringLiteral("13800000001");

class MeetingRequestTest : public AgentServiceTest {
protected:
    void SetUp() override
    {
        AgentServiceTest::SetUp();
        service.state().addUser(QStringLiteral("13900000009"), QStringLiteral("13900000009"), QStringLiteral("李四"),
                                QStringLiteral("token-lisi"));
        ASSERT_TRUE(run([&](auto done) {
                        agent->loginWithPhoneNumber(&owner, kMe, QStringLiteral("123456"), done);
                    }).successed);
    }

    void TearDown() override
    {
        AgentServiceTest::TearDown();
        UserDefaults::resetStandardUserDefaults();
    }

    // A scheduled meeting of the signed-in user, as the lists would hand it over for editing.
    MeetingDataModel scheduled(bool cycle)
    {
        MeetingDataModel m = MeetingDataModel::defaultModel();
        m.roomName = QStringLiteral("周会");
        m.isCycle = cycle;
        m.cycleType = cycle ? 1 : 0;
        const KVMResponse r = run([&](auto done) { agent->createOrUpdateMeeting(&owner, m, done); });
        EXPECT_TRUE(r.successed);
        MeetingDataModel edited = jx_objectWithKeyValues<MeetingDataModel>(r.data);
        edited.isEdit = true;
        edited.onlyUpdateThisMeeting = true;
        return edited;
    }
};

struct Row {
    const char *name;
    std::optional<bool> editCycle; // none: a new meeting
    std::function<void(MeetingRequestTest &, CreateMeetingViewController &)> fill;
    const char *path;
    std::function<void(const QJsonObject &)> check;
};

QJsonArray meOnly()
{
    return QJsonArray{
        QJsonObject{{"userId", RXEncrypt::aes128ecbEncrypt(kMe)}, {"userName", QStringLiteral("用户0001")}}};
}

} // namespace

TEST_F(MeetingRequestTest, TheBodyFollowsTheForm)
{
    const auto noFill = [](MeetingRequestTest &, CreateMeetingViewController &) {};
    const Row rows[] = {
        {"new meeting", std::nullopt, noFill, "/qf/meeting/room/create",
         [](const QJsonObject &b) {
             EXPECT_FALSE(b.contains("roomId"));
             EXPECT_EQ(b["isCycle"].toInt(), 0);
             EXPECT_FALSE(b.contains("cycleType"));
             EXPECT_FALSE(b.contains("updateCycleType"));
             EXPECT_EQ(b["password"].toString(), QStringLiteral(""));
             EXPECT_EQ(b["duration"].toInt(), 120);
             EXPECT_EQ(b["uploadPermissionType"].toInt(), 2);
             EXPECT_EQ(b["invitationList"].toArray(), meOnly());
             EXPECT_FALSE(b.contains("allowShareList"));
         }},
        {"new meeting with a pre-allocated room", std::nullopt,
         [](MeetingRequestTest &, CreateMeetingViewController &f) {
             MeetingDataModel m = MeetingDataModel::defaultModel();
             m.roomId = QStringLiteral("800000777");
             f.setDataModel(m);
         },
         "/qf/meeting/room/create", [](const QJsonObject &b) { EXPECT_EQ(b["roomId"].toString(), "800000777"); }},
        {"new weekly meeting", std::nullopt,
         [](MeetingRequestTest &, CreateMeetingViewController &f) { f.ui().weeklyMeetingBtn->click(); },
         "/qf/meeting/room/create",
         [](const QJsonObject &b) {
             EXPECT_EQ(b["isCycle"].toInt(), 1);
             EXPECT_EQ(b["cycleType"].toInt(), 2);
             EXPECT_FALSE(b.contains("updateCycleType"));
         }},
        {"one-off made daily", false,
         [](MeetingRequestTest &, CreateMeetingViewController &f) { f.ui().daysMeetingBtn->click(); },
         "/qf/meeting/room/update",
         [](const QJsonObject &b) {
             EXPECT_FALSE(b["roomId"].toString().isEmpty());
             EXPECT_EQ(b["isCycle"].toInt(), 1);
             EXPECT_EQ(b["cycleType"].toInt(), 1);
             EXPECT_EQ(b["updateCycleType"].toInt(), 1);
         }},
        {"series, this occurrence", true, noFill, "/qf/meeting/room/update",
         [](const QJsonObject &b) {
             EXPECT_EQ(b["cycleType"].toInt(), 1);
             EXPECT_EQ(b["updateCycleType"].toInt(), 1);
             EXPECT_EQ(b["invitationList"].toArray(), meOnly());
         }},
        {"series, whole series made once", true,
         [](MeetingRequestTest &, CreateMeetingViewController &f) {
             f.ui().cycleSyncButton->click();
             f.ui().onceMeetingBtn->click();
         },
         "/qf/meeting/room/update",
         [](const QJsonObject &b) {
             EXPECT_EQ(b["isCycle"].toInt(), 0);
             EXPECT_FALSE(b.contains("updateCycleType"));
         }},
        {"series, whole series", true,
         [](MeetingRequestTest &, CreateMeetingViewController &f) { f.ui().cycleSyncButton->click(); },
         "/qf/meeting/room/update", [](const QJsonObject &b) { EXPECT_EQ(b["updateCycleType"].toInt(), 2); }},
        {"sharing limited to a member", std::nullopt,
         [](MeetingRequestTest &, CreateMeetingViewController &f) {
             f.ui().shareLimitMemberBtn->click();
             QTest::sendKeyEvent(QTest::Click, f.ui().shareMemberCollectionView->inputTextField(), Qt::Key_unknown,
                                 QStringLiteral("李"), Qt::NoModifier);
             ASSERT_TRUE(processEventsUntil([&] { return f.ui().memberSelectView && !f.searchMembers().isEmpty(); }));
             f.ui().memberSelectView->rows()[0]->click();
         },
         "/qf/meeting/room/create",
         [](const QJsonObject &b) {
             EXPECT_EQ(b["sharePermission"].toInt(), 1);
             EXPECT_EQ(b["allowShareList"].toArray(),
                       (QJsonArray{QJsonObject{{"userId", RXEncrypt::aes128ecbEncrypt("13900000009")},
                                               {"userName", QStringLiteral("李四")}}}));
         }},
        {"sharing limited to nobody", std::nullopt,
         [](MeetingRequestTest &, CreateMeetingViewController &f) { f.ui().shareLimitMemberBtn->click(); },
         "/qf/meeting/room/create",
         [](const QJsonObject &b) {
             EXPECT_EQ(b["sharePermission"].toInt(), 1);
             EXPECT_FALSE(b.contains("allowShareList"));
         }},
        {"every invitee removed", std::nullopt,
         [](MeetingRequestTest &, CreateMeetingViewController &f) {
             f.ui().confereeCollectionView->chips()[0]->deleteButton()->click();
             ASSERT_TRUE(f.members().isEmpty());
         },
         "/qf/meeting/room/create", [](const QJsonObject &b) { EXPECT_EQ(b["invitationList"].toArray(), meOnly()); }},
    };

    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        service.clearRequests();
        CreateMeetingViewController form;
        if (row.editCycle)
            form.setDataModel(scheduled(*row.editCycle));
        QWidget *view = form.view();
        view->show();
        if (row.editCycle) {
            ASSERT_TRUE(processEventsUntil([&] { return form.inviteesLoaded(); }));
        }
        row.fill(*this, form);
        std::optional<KVMResponse> sent;
        form.onCreateMeeting = [&](CreateMeetingViewController *c) {
            agent->createOrUpdateMeeting(&owner, c->dataModel(), [&](const KVMResponse &r) { sent = r; });
        };
        form.onConfirmClick();
        ASSERT_TRUE(processEventsUntil([&] { return sent.has_value(); }));
        EXPECT_TRUE(sent->successed) << sent->message.toStdString();
        const auto requests = service.requestsFor(QString::fromLatin1(row.path));
        ASSERT_FALSE(requests.isEmpty());
        row.check(requests.last().json);
        view->hide();
    }
}
