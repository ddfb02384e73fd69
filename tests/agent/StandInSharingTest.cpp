// The stand-in refuses what the service would of the sharing calls, and tells the room what the
// service tells it: a share starts only with the right to share and the lock, a file share is
// ended, played or reported only by whom it belongs to, the lists and records only reach those
// who took part, and a switch (902), a start report (708) and a seek to the end (709) are heard.
#include "AgentTestSupport.h"

#include "connection/HttpManager.h"
#include "foundation/RXEncrypt.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <optional>

namespace {

const QString kHost = QStringLiteral("13800000001");
const QString kSharer = QStringLiteral("13800000002");
const QString kOther = QStringLiteral("13800000003");
const QString kOutsider = QStringLiteral("13800000004");

class StandInSharingTest : public AgentServiceTest {
protected:
    // The host in a room with two more members, each with a sign-in of his own.
    void SetUp() override
    {
        AgentServiceTest::SetUp();
        roomId = hostInRoom(kHost);
        room = service.state().room(roomId);
        for (const QString &phone : {kSharer, kOther, kOutsider})
            otherUser(phone, QStringLiteral("成员") + phone.right(1));
        for (const QString &phone : {kSharer, kOther})
            room->members.append(DevMember{phone, QStringLiteral("成员") + phone.right(1), phone});
    }

    // A call as one user (the host's sign-in is the agent's own).
    KVMResponse as(const QString &phone, const char *method, const QString &path, const QJsonObject &body = {},
                   const QVariantMap &query = {})
    {
        const QString token = phone == kHost ? agent->myInfo().authorization : QStringLiteral("token-") + phone;
        const QVariantMap headers{{"Authorization", token}, {"sequenceId", room->sequenceId}};
        return run([&](auto done) {
            if (QByteArray(method) == "GET")
                agent->http()->GET(&owner, path, query, headers, done);
            else
                agent->http()->POST(&owner, path, body, headers, done);
        });
    }
    qint64 lock(const QString &phone)
    {
        return as(phone, "GET", QStringLiteral("/qf/meeting/control/%1/getShareLock").arg(roomId)).code;
    }
    qint64 document(const QString &phone, int status, const QString &fileId = QStringLiteral("d1"))
    {
        return as(phone, "POST", QStringLiteral("/qf/client/sharedFile"),
                  {{"roomId", roomId},
                   {"sharedFileStatus", status},
                   {"sliceInfo", "[]"},
                   {"fileId", fileId},
                   {"fileName", fileId + QStringLiteral(".pdf")},
                   {"uploadUserId", RXEncrypt::aes128ecbEncrypt(phone)}})
            .code;
    }
    qint64 file(const QString &phone, int type, const QString &fileId = QStringLiteral("v1"), int duration = 300)
    {
        return as(phone, "POST", QStringLiteral("/qf/client/audVidShare"),
                  {{"roomId", roomId},
                   {"type", type},
                   {"fileType", 2},
                   {"token", "t"},
                   {"fileId", fileId},
                   {"fileName", fileId + QStringLiteral(".mp4")},
                   {"duration", duration},
                   {"uploadUserId", RXEncrypt::aes128ecbEncrypt(phone)}})
            .code;
    }
    qint64 play(const QString &phone, int type, int seekPosition = 0)
    {
        return as(phone, "POST", QStringLiteral("/qf/client/AudVidPlay"),
                  {{"roomId", roomId},
                   {"type", type},
                   {"fileType", 2},
                   {"fileId", "v1"},
                   {"seekPosition", seekPosition}})
            .code;
    }
    // The events the service told one user, in order.
    [[nodiscard]] QList<qint64> eventsTo(const QString &phone) const
    {
        QList<qint64> events;
        for (const DevChannelMessage &m : service.sentChannelMessages()) {
            if (m.userId != phone)
                continue;
            const QJsonValue first = m.message.value("data").toArray().at(0);
            events << QJsonDocument::fromJson(first.toString().toUtf8()).object().value("event").toInteger();
        }
        return events;
    }

    QString roomId;
    DevRoom *room = nullptr;
};

TEST_F(StandInSharingTest, SharePermission_OnlyItsThreeValues)
{
    const auto set = [&](int permission) {
        return as(kHost, "POST", QStringLiteral("/qf/client/setSharePermission"),
                  {{"roomId", roomId}, {"sharePermission", permission}, {"allowShareList", QJsonArray{}}})
            .code;
    };
    EXPECT_EQ(set(7), 400);
    EXPECT_EQ(set(-1), 400);
    EXPECT_EQ(room->flags.value(QStringLiteral("sharePermission")).toInt(), 0);
    EXPECT_EQ(set(2), 0);
    EXPECT_EQ(room->flags.value(QStringLiteral("sharePermission")).toInt(), 2);
}

TEST_F(StandInSharingTest, AShareStartsOnlyWithTheRightToShareAndTheLock)
{
    EXPECT_EQ(document(kSharer, 1), 1002) << "without the lock";
    EXPECT_EQ(file(kSharer, 1), 1002);
    ASSERT_EQ(lock(kSharer), 0);
    EXPECT_EQ(document(kOther, 1), 1001) << "the lock is another's";
    EXPECT_EQ(file(kOther, 1), 1001);
    // The host takes the right away while the member holds the lock.
    room->flags.insert(QStringLiteral("sharePermission"), 2);
    EXPECT_EQ(document(kSharer, 1), 403);
    EXPECT_EQ(file(kSharer, 1), 403);
    EXPECT_FALSE(room->extra.contains(QStringLiteral("sharedFile")));
    EXPECT_FALSE(room->extra.contains(QStringLiteral("sharedAudVid")));
    room->flags.insert(QStringLiteral("sharePermission"), 0);
    EXPECT_EQ(document(kSharer, 1), 0);
    EXPECT_EQ(room->flags.value(QStringLiteral("isSharingFiles")).toInt(), 1);
}

TEST_F(StandInSharingTest, OneFilePlaysAtATime_AndOnlyItsSharerOrAHostEndsIt)
{
    ASSERT_EQ(lock(kSharer), 0);
    ASSERT_EQ(file(kSharer, 1), 0);
    EXPECT_EQ(file(kSharer, 1, QStringLiteral("v2")), 403) << "another file while one plays";
    EXPECT_EQ(room->extra.value(QStringLiteral("sharedAudVid")).toMap().value(QStringLiteral("fileId")), "v1");
    EXPECT_EQ(file(kOther, 2), 403) << "a stop by one who neither shares nor hosts";
    EXPECT_EQ(room->flags.value(QStringLiteral("isSharingFiles")).toInt(), 2);
    EXPECT_EQ(file(kHost, 2), 0);
    EXPECT_FALSE(room->extra.contains(QStringLiteral("sharedAudVid")));

    // A document likewise.
    ASSERT_EQ(document(kSharer, 1), 0);
    EXPECT_EQ(document(kOther, 0), 403);
    EXPECT_TRUE(room->extra.contains(QStringLiteral("sharedFile")));
    EXPECT_EQ(document(kSharer, 0), 0);
    EXPECT_FALSE(room->extra.contains(QStringLiteral("sharedFile")));
}

TEST_F(StandInSharingTest, PlayPauseAndSeek_OnlyByThoseWhoMayOperate_TheStartReportOnlyByTheSharer)
{
    ASSERT_EQ(lock(kSharer), 0);
    ASSERT_EQ(file(kSharer, 1), 0);
    EXPECT_EQ(play(kOther, 3), 403);
    EXPECT_EQ(play(kOther, 4, 100), 403);
    EXPECT_FALSE(room->extra.contains(QStringLiteral("playType")));
    EXPECT_EQ(play(kSharer, 3), 0);
    EXPECT_EQ(play(kHost, 2, 10), 0);

    const auto report = [&](const QString &phone) {
        return as(phone, "POST", QStringLiteral("/qf/client/processStart"), {{"roomId", roomId}, {"fileId", "v1"}})
            .code;
    };
    EXPECT_EQ(report(kOther), 403);
    EXPECT_EQ(report(kHost), 403) << "the host does not share it";
    EXPECT_FALSE(eventsTo(kOther).contains(708));
    EXPECT_EQ(report(kSharer), 0);
    EXPECT_TRUE(eventsTo(kOther).contains(708));
    EXPECT_FALSE(eventsTo(kSharer).contains(708));
}

TEST_F(StandInSharingTest, TheRoomHearsOfASwitch_AndOfASeekThatLandsOnTheEnd)
{
    ASSERT_EQ(lock(kSharer), 0);
    ASSERT_EQ(document(kSharer, 1), 0);
    EXPECT_EQ(eventsTo(kOther), QList<qint64>{901});
    ASSERT_EQ(document(kSharer, 1, QStringLiteral("d2")), 0);
    EXPECT_EQ(eventsTo(kOther), (QList<qint64>{901, 902}));
    EXPECT_EQ(room->extra.value(QStringLiteral("sharedFile")).toMap().value(QStringLiteral("fileId")), "d2");
    ASSERT_EQ(document(kSharer, 0, QStringLiteral("d2")), 0);

    ASSERT_EQ(file(kSharer, 1), 0);
    ASSERT_EQ(play(kSharer, 4, 120), 0);
    EXPECT_FALSE(eventsTo(kOther).contains(709));
    ASSERT_EQ(play(kSharer, 4, 300), 0);
    EXPECT_EQ(eventsTo(kOther).mid(eventsTo(kOther).size() - 2), (QList<qint64>{704, 709}));
    EXPECT_EQ(eventsTo(kSharer).last(), 709);
    EXPECT_FALSE(room->extra.value(QStringLiteral("avPlayback")).toMap().value(QStringLiteral("playing")).toBool());
}

TEST_F(StandInSharingTest, ListsAndRecords_OnlyForThoseWhoTookPart)
{
    const auto rights = [&](const QString &phone) {
        return as(phone, "POST", QStringLiteral("/qf/client/querySharedFileAllowOpUser"),
                  {{"roomId", roomId}, {"fileId", "d1"}, {"uploadUserId", RXEncrypt::aes128ecbEncrypt(kHost)}})
            .code;
    };
    // A download is the file itself, a refusal the service's envelope.
    const auto members = [&](const QString &phone) {
        return as(phone, "GET", QStringLiteral("/qf/meeting/room/members/download"), {}, {{"roomId", roomId}});
    };
    const auto record = [&](const QString &phone) {
        return as(phone, "GET", QStringLiteral("/qf/subtitle/download"), {}, {{"roomId", roomId}});
    };
    EXPECT_EQ(rights(kOutsider), 403);
    EXPECT_EQ(members(kOutsider).code, 403);
    EXPECT_EQ(record(kOutsider).code, 403);
    EXPECT_EQ(rights(kOther), 0);
    EXPECT_TRUE(members(kOther).rawResponse.startsWith("PK\x03\x04")); // a spreadsheet
    EXPECT_TRUE(record(kOther).rawResponse.startsWith("%PDF"));
    // One who has left still gets the meeting's lists and record, not the file rights of a room
    // he is no longer in.
    EXPECT_EQ(as(kHost, "POST", QStringLiteral("/qf/meeting/room/leave"), {{"roomId", roomId}}).code, 0);
    EXPECT_TRUE(members(kHost).rawResponse.startsWith("PK\x03\x04"));
    EXPECT_TRUE(record(kHost).rawResponse.startsWith("%PDF"));
    EXPECT_EQ(rights(kHost), 403);
}

} // namespace
