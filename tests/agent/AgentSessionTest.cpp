// Sign-in, the stored user across a restart, sign-out, and the token's safety.
#include "AgentTestSupport.h"

#include "agent/KVMoreSetting.h"
#include "foundation/KVFileLog.h"
#include "foundation/KVLogManager.h"
#include "foundation/RXEncrypt.h"

#include <QFile>
#include <QLoggingCategory>

namespace {

QStringList g_logLines;
void captureLog(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    g_logLines.append(msg);
}

class AgentSessionTest : public AgentServiceTest {};

TEST_F(AgentSessionTest, NewNumber_IsRegistered_StoredAsMyInfo_AndFoundAfterARestart)
{
    const KVMResponse sms = run([&](auto d) { agent->sendSmsCodeWithPhoneNumber(&owner, "13912345678", d); });
    ASSERT_TRUE(sms.successed);
    const KVMResponse r = signIn(QStringLiteral("13912345678"));
    ASSERT_TRUE(r.successed) << r.message.toStdString();
    // Login said "unregistered", so the agent registered the number with the same code.
    EXPECT_EQ(service.requestsFor("/qf/user/login").size(), 1);
    EXPECT_EQ(service.requestsFor("/qf/user/register").size(), 1);
    const auto user = r.data.value<VeskUserModel>();
    EXPECT_EQ(user.phoneNumber, QStringLiteral("13912345678")); // decrypted
    EXPECT_EQ(agent->myInfo().phoneNumber, QStringLiteral("13912345678"));
    EXPECT_EQ(agent->myInfo().userId, QStringLiteral("13912345678"));
    EXPECT_FALSE(agent->myInfo().authorization.isEmpty());
    EXPECT_TRUE(agent->isSignedIn());
    const QString token = agent->myInfo().authorization;

    // A restart: a new agent over the same user-defaults file.
    VeskAppAgent::resetSharedInstance();
    UserDefaults::resetStandardUserDefaults();
    agent = VeskAppAgent::sharedInstance();
    agent->setServerEnvironment(AgentEnvironment::Development);
    EXPECT_EQ(agent->myInfo().phoneNumber, QStringLiteral("13912345678"));
    EXPECT_EQ(agent->myInfo().authorization, token);
    // The stored token still works against the service.
    const KVMResponse devices = run([&](auto d) { agent->getTheDeviceInfoCompletionBlock(&owner, d); });
    EXPECT_TRUE(devices.successed);

    // A second sign-in of a known number goes through login alone.
    service.clearRequests();
    ASSERT_TRUE(signIn(QStringLiteral("13912345678")).successed);
    EXPECT_TRUE(service.requestsFor("/qf/user/register").isEmpty());
}

TEST_F(AgentSessionTest, WrongCode_ReachesTheCaller_AndStoresNothing)
{
    const KVMResponse r = run([&](auto d) { agent->loginWithPhoneNumber(&owner, "13900000000", "000000", d); });
    EXPECT_FALSE(r.successed);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_FALSE(agent->isSignedIn());
    EXPECT_FALSE(UserDefaults::standardUserDefaults().contains(VeskAppAgent::kMyInfoKey));
}

TEST_F(AgentSessionTest, Logout_RemovesMyInfoAndMoreSetting_FromMemoryAndStorage)
{
    ASSERT_TRUE(signIn(QStringLiteral("13912345678")).successed);
    agent->moreSetting().mattingPath = QStringLiteral("/tmp/bg.png");
    agent->moreSetting().saveMoreSettingLocal();
    ASSERT_TRUE(UserDefaults::standardUserDefaults().contains(KVMoreSetting::kDefaultsKey));

    agent->logout();
    EXPECT_FALSE(agent->isSignedIn());
    EXPECT_TRUE(agent->myInfo().phoneNumber.isEmpty());
    EXPECT_TRUE(agent->moreSetting().mattingPath.isNull());
    EXPECT_FALSE(UserDefaults::standardUserDefaults().contains(VeskAppAgent::kMyInfoKey));
    EXPECT_FALSE(UserDefaults::standardUserDefaults().contains(KVMoreSetting::kDefaultsKey));

    VeskAppAgent::resetSharedInstance();
    UserDefaults::resetStandardUserDefaults();
    EXPECT_FALSE(VeskAppAgent::sharedInstance()->isSignedIn());
}

TEST_F(AgentSessionTest, Token_IsInAnOwnerOnlyFile_AndNeverLogged_WhileRefusalsLogTheirCodeAndReason)
{
    g_logLines.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("korvi.*=true"));
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    const KVMResponse r = signIn(QStringLiteral("13912345678"));
    const QString signInToken = agent->myInfo().authorization;
    const QString roomId = createMeeting();
    enter(roomId);
    service.failNextReply("/qf/meeting/room/enter", DevService::fail(457, QString()));
    enter(roomId);
    // A line of the client's own shows where lines go: the file log and the service.
    KVLogManager::sharedInstance().logInfo(QStringLiteral("入会"), QStringLiteral("INFO"), {roomId});
    KVLogManager::sharedInstance().waitUntilIdle();
    ASSERT_TRUE(settleRequests(*agent->http()));
    KVFileLog::sharedInstance().flush();
    qInstallMessageHandler(previous);
    ASSERT_TRUE(r.successed);
    const QStringList tokens{signInToken, agent->myInfo().authorization};
    ASSERT_FALSE(signInToken.isEmpty());

    QFile fileLog(KVFileLog::sharedInstance().filePath());
    ASSERT_TRUE(fileLog.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(fileLog.readAll());
    EXPECT_TRUE(written.contains(QStringLiteral("入会-") + roomId));
    const QList<DevRequest> uploads = service.requestsFor(QStringLiteral("/qf/log/upload"));
    ASSERT_FALSE(uploads.isEmpty());
    for (const QString &token : tokens) {
        for (const QString &line : std::as_const(g_logLines))
            EXPECT_FALSE(line.contains(token)) << line.toStdString();
        EXPECT_FALSE(written.contains(token));
        for (const DevRequest &upload : uploads)
            EXPECT_FALSE(upload.body.contains(token.toUtf8())) << upload.body.toStdString();
    }
    for (const QString &line : std::as_const(g_logLines)) {
        // A first sign-in's "not registered yet" is a step, not a failure.
        EXPECT_FALSE(line.contains("failed") && line.contains("461")) << line.toStdString();
        EXPECT_FALSE(line.endsWith("\"\"")) << line.toStdString();
    }
    EXPECT_TRUE(g_logLines.contains("/qf/meeting/room/enter answered 457 (no reason given)"))
        << g_logLines.join('\n').toStdString();

    const QString path = UserDefaults::standardUserDefaults().filePath();
    QFile file(path);
    ASSERT_TRUE(file.exists());
    EXPECT_EQ(file.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());
}

TEST_F(AgentSessionTest, SignInRefused_ByManyRepliesAtOnce_IsReportedOnce)
{
    ASSERT_TRUE(signIn(QStringLiteral("13800000001")).successed);
    int reports = 0;
    QObject::connect(agent, &VeskAppAgent::signInExpired, &owner, [&] { ++reports; });
    service.state().tokens.clear(); // the service forgot the sign-in
    int refused = 0;
    for (int i = 0; i < 3; ++i)
        agent->queryCreatedRoomsInfoWithCompletionBlock(&owner,
                                                        [&](const KVMResponse &r) { refused += r.successed ? 0 : 1; });
    ASSERT_TRUE(processEventsUntil([&] { return refused == 3; }));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(reports, 1);
}

TEST_F(AgentSessionTest, GetPreRoomId_StoresTheFreshTokenOnMyInfo_AndSavesIt)
{
    ASSERT_TRUE(signIn(QStringLiteral("13912345678")).successed);
    const QString before = agent->myInfo().authorization;
    const KVMResponse r = run([&](auto d) { agent->getPreRoomId(&owner, QString(), d); });
    ASSERT_TRUE(r.successed);
    EXPECT_FALSE(r.dataMap().value("roomId").toString().isEmpty());
    EXPECT_NE(agent->myInfo().authorization, before);
    EXPECT_EQ(agent->myInfo().authorization, r.dataMap().value("authorization").toString());
    EXPECT_FALSE(agent->myInfo().exp.isEmpty());
    const QVariantMap stored = UserDefaults::standardUserDefaults().dictionaryForKey(VeskAppAgent::kMyInfoKey);
    EXPECT_EQ(stored.value("authorization").toString(), agent->myInfo().authorization);
}

} // namespace
