// Environment rule and address table, helpers, and the models the agent fills.
#include "agent/AgentEnvironment.h"
#include "agent/FileServiceSignature.h"
#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/models/FileShareModel.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "agent/models/RecordVideoModel.h"
#include "connection/HttpManager.h"
#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"
#include "foundation/RXEncrypt.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(AgentEnvironmentTest, KVEnvRule_MapsTheFiveNames_AndKeepsTheCurrentForOthers)
{
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("release"), 0);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("debug"), 1);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("test"), 1);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("dev"), 2);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("test2"), 3);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("Release"), 1);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv(""), 1);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("prod", 3), 3);
}

TEST(AgentEnvironmentTest, RunVariableOverridesTheBakedInValue_OnTheAgent)
{
    VeskAppAgent::resetSharedInstance();
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    EXPECT_EQ(agent->serverEnvironment(), 1); // before the start-up rule
    qunsetenv("KVEnv");
    agent->setServerEnvironmentFromKVEnv("release");
    EXPECT_EQ(agent->serverEnvironment(), 0);
    qputenv("KVEnv", "dev");
    agent->setServerEnvironmentFromKVEnv("release");
    EXPECT_EQ(agent->serverEnvironment(), 2);
    // A variable that names no environment of this build chooses nothing: the baked-in value holds.
    qputenv("KVEnv", "unknown");
    agent->setServerEnvironmentFromKVEnv("release");
    EXPECT_EQ(agent->serverEnvironment(), 0);
    agent->setServerEnvironmentFromKVEnv("unknown");
    EXPECT_EQ(agent->serverEnvironment(), 1); // "first 1", then an unknown baked-in name keeps it
    qunsetenv("KVEnv");
    VeskAppAgent::resetSharedInstance();
}

// A build without the development environment cannot be sent to it, by its baked-in value nor by
// the run's variable; this test build is a development one and holds all four.
TEST(AgentEnvironmentTest, OnlyEnvironmentsCompiledInCanBeChosen)
{
    EXPECT_EQ(AgentEnvironment::compiledIn(), (QList<int>{0, 1, 2, 3}));
    const QList<int> release{0, 1, 3};
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("dev", 0, release), 0);
    EXPECT_EQ(AgentEnvironment::environmentForKVEnv("test2", 0, release), 3);
    qputenv("KVEnv", "dev");
    EXPECT_EQ(AgentEnvironment::effectiveKVEnv("release", release), "release");
    EXPECT_EQ(AgentEnvironment::effectiveKVEnv("release"), "dev");
    qputenv("KVEnv", "test");
    EXPECT_EQ(AgentEnvironment::effectiveKVEnv("release", release), "test");
    qunsetenv("KVEnv");
    EXPECT_EQ(AgentEnvironment::effectiveKVEnv("release", release), "release");
}

TEST(AgentEnvironmentTest, AddressTable_DevelopmentIsLoopbackWithThePortVariable)
{
    qunsetenv("KORVI_DEV_PORT");
    EXPECT_EQ(AgentEnvironment::forEnvironment(2).serviceAddress, QStringLiteral("http://127.0.0.1:8787"));
    qputenv("KORVI_DEV_PORT", "9100");
    EXPECT_EQ(AgentEnvironment::forEnvironment(2).serviceAddress, QStringLiteral("http://127.0.0.1:9100"));
    qputenv("KORVI_DEV_PORT", "99999");
    EXPECT_EQ(AgentEnvironment::developmentPort(), 8787);
    qunsetenv("KORVI_DEV_PORT");
    for (int env : {0, 1, 3}) {
        const AgentEnvironment e = AgentEnvironment::forEnvironment(env);
        EXPECT_EQ(e.environment, env);
        EXPECT_TRUE(e.serviceAddress.startsWith("https://")) << env;
        EXPECT_TRUE(e.serviceAddress.endsWith(".example.com")) << env;
        EXPECT_TRUE(e.webHost.endsWith(".example.com")) << env;
    }
    EXPECT_EQ(AgentEnvironment::forEnvironment(42).environment, 1);

    VeskAppAgent::resetSharedInstance();
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    agent->setServerEnvironment(0);
    EXPECT_EQ(agent->http()->baseUrl(), QUrl(AgentEnvironment::forEnvironment(0).serviceAddress));
    EXPECT_EQ(agent->getUserHandlerBook(), agent->webHost() + "/#/help?mac");
    EXPECT_EQ(agent->privacy1UrlString(), agent->webHost() + "/#/privacy1");
    EXPECT_EQ(agent->privacyUrlString(), agent->webHost() + "/#/privacy");
    EXPECT_EQ(ModelContext::current().webBaseUrl(), agent->webHost());
    VeskAppAgent::resetSharedInstance();
    EXPECT_TRUE(ModelContext::current().webBaseUrl().isEmpty()); // uninstalled with the agent
}

TEST(AgentEnvironmentTest, DownloadLimitVariable_CountsInTheDevelopmentEnvironmentOnly)
{
    const qint64 usual = HttpManager::DownloadLimits{}.maxBytes;
    qputenv("KORVI_DEV_DOWNLOAD_MAX_MB", "64");
    VeskAppAgent::resetSharedInstance();
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    agent->setServerEnvironment(AgentEnvironment::Development);
    EXPECT_EQ(agent->http()->downloadLimits().maxBytes, 64LL * 1024 * 1024);
    agent->setServerEnvironment(AgentEnvironment::Production);
    EXPECT_EQ(agent->http()->downloadLimits().maxBytes, usual);
    qputenv("KORVI_DEV_DOWNLOAD_MAX_MB", "-5");
    agent->setServerEnvironment(AgentEnvironment::Development);
    EXPECT_EQ(agent->http()->downloadLimits().maxBytes, usual);
    qunsetenv("KORVI_DEV_DOWNLOAD_MAX_MB");
    VeskAppAgent::resetSharedInstance();
}

TEST(AgentEnvironmentTest, Md5OfFile_MatchesAcrossChunkBoundaries_EmptyWhenUnreadable)
{
    QTemporaryDir dir;
    for (int size : {0, 1023, 1024, 1025, 5000}) {
        const QString path = dir.filePath(QString::number(size));
        QByteArray content(size, '\0');
        for (int i = 0; i < size; ++i)
            content[i] = char(i * 7);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        EXPECT_EQ(VeskAppAgent::calculateMD5ForFileAtPath(path),
                  QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex()))
            << size;
    }
    EXPECT_EQ(VeskAppAgent::calculateMD5ForFileAtPath(dir.filePath("missing")), QString());
    EXPECT_EQ(VeskAppAgent::calculateMD5ForFileAtPath(dir.path()), QString());
}

TEST(AgentEnvironmentTest, FileServiceSignature_RejectsTamperingExpiryAndOtherTokens)
{
    const QVariantMap p = FileServiceSignature::parameters("800000001", "13800000001", "tok", 1000);
    EXPECT_TRUE(FileServiceSignature::verify(p, "tok", 1000));
    EXPECT_FALSE(FileServiceSignature::verify(p, "other", 1000));
    EXPECT_FALSE(FileServiceSignature::verify(p, "tok", 1000 + FileServiceSignature::ValiditySeconds + 1));
    QVariantMap tampered = p;
    tampered.insert("roomId", "800000002");
    EXPECT_FALSE(FileServiceSignature::verify(tampered, "tok", 1000));
    EXPECT_NE(p.value("userId").toString(), QStringLiteral("13800000001")); // encrypted
}

TEST(AgentFileModelsTest, UserCanControl_FollowsRightsListAndStoredValue)
{
    VeskAppAgent::resetSharedInstance();
    VeskUserModel me;
    me.phoneNumber = QStringLiteral("13800000002");
    me.userId = me.phoneNumber;
    VeskAppAgent::sharedInstance()->setMyInfo(me);

    FileShareModel file;
    EXPECT_FALSE(file.userCanControl());
    file.setUserCanControl(true);
    EXPECT_TRUE(file.userCanControl()); // rights not given: the stored value

    file.enableOperationFileStatus = FileShareRights::ListedMembers;
    file.enableUserList = {QVariantMap{{"userId", RXEncrypt::aes128ecbEncrypt("13800000009")}},
                           QVariantMap{{"userName", "no id"}},
                           QVariantMap{{"userId", RXEncrypt::aes128ecbEncrypt("13800000002")}}};
    EXPECT_TRUE(file.userCanControl());
    file.enableUserList.removeLast();
    EXPECT_FALSE(file.userCanControl());
    file.enableUserList.clear();
    EXPECT_FALSE(file.userCanControl());
    file.enableOperationFileStatus = FileShareRights::HostsAndSharer;
    EXPECT_FALSE(file.userCanControl()); // not the host, no manager: no share of his own

    FileShareDatailModel detail;
    detail.setUserCanControl(true);
    EXPECT_FALSE(detail.userCanControl()); // rights 0 answer NO whatever was stored

    FileShareRights::Facts host;
    host.isHost = true;
    EXPECT_TRUE(FileShareRights::decide(1, {}, host));
    EXPECT_FALSE(FileShareRights::decide(2, {}, host)); // no right of his own under 2
    VeskAppAgent::resetSharedInstance();
}

TEST(AgentFileModelsTest, StatusMirrorsIntoState_OnlyForOneToFour_AlsoFromJson)
{
    FileShareModel file;
    file.state = 0;
    file.setStatus(3);
    EXPECT_EQ(file.state, 3);
    file.setStatus(5);
    EXPECT_EQ(file.state, 3);
    file.setStatus(0);
    EXPECT_EQ(file.state, 3);
    const auto mapped =
        jx_objectWithKeyValues<FileShareModel>(QVariant(QVariantMap{{"status", 2}, {"fileName", "a.pdf"}}));
    EXPECT_EQ(mapped.status(), 2);
    EXPECT_EQ(mapped.state, 2);
    EXPECT_EQ(mapped.enableOperationFileStatus, FileShareRights::NotGiven);
}

TEST(AgentRecordModelsTest, DurationDisplay_SwitchesToHoursAtOneHour_AndListsMap)
{
    RecordVideoInfo info;
    info.dvrTimeLength = 3600;
    EXPECT_EQ(info.durationDisplay(), QStringLiteral("01:00:00"));
    info.dvrTimeLength = 3599;
    EXPECT_EQ(info.durationDisplay(), QStringLiteral("59:59"));
    info.dvrTimeLength = 90000; // a day and an hour keeps its hours
    EXPECT_EQ(info.durationDisplay(), QStringLiteral("25:00:00"));
    // A reply's length past the 64-bit range (in milliseconds) is no length; it is not converted.
    for (double bad : {1e22, -1e22, -1.0, std::nan("")}) {
        info.dvrTimeLength = bad;
        EXPECT_EQ(info.durationDisplay(), QStringLiteral("00:00")) << bad;
    }
    const auto meetings = jx_objectArrayWithKeyValuesArray<RecordVideoModel>(jx_JSONObject(QStringLiteral(
        R"([{"roomId":"1","dvrList":[{"dvrSequenceId":"a","dvrSize":6144,"dvrStatus":3}]},{"roomId":"2","dvrList":[]}])")));
    ASSERT_EQ(meetings.size(), 2);
    ASSERT_EQ(meetings.first().dvrList.size(), 1);
    EXPECT_EQ(meetings.first().dvrList.first().dvrSize, 6144);
    EXPECT_TRUE(meetings.last().dvrList.isEmpty());
}

TEST(AgentRecordModelsTest, MeetingDidUpdated_CarriesTypeAndModelUnderTheOneKey)
{
    MeetingDataModel meeting;
    meeting.roomId = QStringLiteral("800000001");
    const QVariantMap info = KVMeetingDidUpdated::withType(KVMeetingDidUpdated::Cancelled, meeting).userInfo();
    ASSERT_EQ(info.size(), 1);
    const auto payload = info.value(KVMeetingDidUpdatedUserInfoKey).value<KVMeetingDidUpdated>();
    EXPECT_EQ(payload.type, 2);
    EXPECT_EQ(payload.model.roomId, meeting.roomId);
    EXPECT_EQ(KVMeetingDidUpdatedNotification, QStringLiteral("KVMeetingDidUpdatedNotification"));
}

} // namespace
