// Stand-in routes: sign-in, account, version check, log upload and statistics.
#include "routes/AgentRoutesSupport.h"

#include <QCoreApplication>
#include <QLoggingCategory>

using namespace AgentRoutes;

namespace {

Q_LOGGING_CATEGORY(lcDevAgent, "korvi.devservice.agent")

QJsonObject signedInJson(const DevUser &user)
{
    QJsonObject json = userJson(user);
    json.insert("authorization", user.token);
    json.insert("applicationId", QStringLiteral("korvi-dev"));
    json.insert("exp", QString::number(QDateTime::currentSecsSinceEpoch() + 30 * 86400));
    json.insert("created", QString::number(QDateTime::currentSecsSinceEpoch()));
    return json;
}

void recordLoginDevice(DevUser &user)
{
    QVariantList devices = listIn(user.extra, QStringLiteral("devices"));
    devices.append(QVariantMap{
        {QStringLiteral("deviceName"), QStringLiteral("Linux 桌面客户端")},
        {QStringLiteral("deviceType"), QStringLiteral("linux")},
        {QStringLiteral("createTime"), nowText()},
        {QStringLiteral("lastLoginTime"), nowMs()},
    });
    user.extra.insert(QStringLiteral("devices"), devices);
}

// The phone number and code of a sign-in request, checked; empty phone on failure.
QString checkedPhone(DevService &svc, const DevRequest &req, DevReply *error)
{
    const QString phone = dec(str(req, QStringLiteral("phoneNumber")));
    if (phone.isEmpty()) {
        *error = DevService::fail(BadRequest, QStringLiteral("请输入手机号"));
        return {};
    }
    if (str(req, QStringLiteral("code")) != DevSmsCode) {
        *error = DevService::fail(WrongCode, QStringLiteral("验证码错误"));
        return {};
    }
    Q_UNUSED(svc);
    return phone;
}

DevReply signIn(DevService &svc, DevUser &user)
{
    user.token = newToken();
    svc.state().tokens.insert(user.token, user.userId);
    recordLoginDevice(user);
    return DevService::ok(signedInJson(user));
}

const bool registered = DevServiceRoutes::add(QStringLiteral("agent-user"), [](DevService &svc) {
    svc.route("POST", "/qf/user/sendSmsCode", [](const DevRequest &req) {
        const QString phone = dec(str(req, QStringLiteral("phoneNumber")));
        if (phone.isEmpty())
            return DevService::fail(BadRequest, QStringLiteral("请输入手机号"));
        qCInfo(lcDevAgent).noquote() << "development SMS code for" << phone << "is" << DevSmsCode;
        return DevService::ok();
    });
    svc.route("POST", "/qf/user/login", [&svc](const DevRequest &req) {
        DevReply error;
        const QString phone = checkedPhone(svc, req, &error);
        if (phone.isEmpty())
            return error;
        DevUser *user = svc.state().userByPhone(phone);
        if (!user)
            return DevService::fail(Unregistered, QStringLiteral("该手机号尚未注册"));
        return signIn(svc, *user);
    });
    svc.route("POST", "/qf/user/register", [&svc](const DevRequest &req) {
        DevReply error;
        const QString phone = checkedPhone(svc, req, &error);
        if (phone.isEmpty())
            return error;
        DevUser *user = svc.state().userByPhone(phone);
        if (!user)
            user = &svc.state().addUser(phone, phone, QStringLiteral("用户") + phone.right(4), newToken());
        return signIn(svc, *user);
    });
    signedInRoute(svc, "POST", "/qf/user/query", [&svc](DevUser *, const DevRequest &req) {
        const QString text = str(req, QStringLiteral("userName"));
        QJsonArray list;
        for (const DevUser &u : std::as_const(svc.state().users)) {
            if (u.userName.contains(text))
                list.append(userJson(u));
        }
        return DevService::ok(list);
    });
    signedInRoute(svc, "POST", "/qf/user/info", [&svc](DevUser *user, const DevRequest &req) {
        const QString name = str(req, QStringLiteral("userName")).trimmed();
        if (name.isEmpty())
            return DevService::fail(BadRequest, QStringLiteral("名称不能为空"));
        user->userName = name;
        return DevService::ok();
    });
    signedInRoute(svc, "GET", "/qf/user/createdRoomsInfo", [&svc](DevUser *user, const DevRequest &) {
        int created = 0;
        for (const DevScheduledMeeting &m : std::as_const(svc.state().scheduled)) {
            if (m.ownerUserId == user->userId && m.fields.value(QStringLiteral("status")).toInt() != 2)
                ++created;
        }
        return DevService::ok(QJsonObject{{"createdRoomNumber", created}, {"allowCreateRoomNumber", 50}});
    });
    signedInRoute(svc, "GET", "/qf/client/getHistoryLoginDevice", [](DevUser *user, const DevRequest &) {
        return DevService::ok(QJsonArray::fromVariantList(listIn(user->extra, QStringLiteral("devices"))));
    });
    svc.route("GET", "/qf/client/version", [&svc](const DevRequest &req) {
        // The newest version is the running one unless a test or a developer sets another.
        QString latest = svc.state().extra.value(QStringLiteral("latestVersion")).toString();
        if (latest.isEmpty())
            latest = str(req, QStringLiteral("clientVersion"));
        QString download = svc.state().extra.value(QStringLiteral("latestDownloadUrl")).toString();
        if (download.isEmpty())
            download = svc.baseUrl().toString() + QStringLiteral("/download/korvi");
        return DevService::ok(QJsonObject{
            {"version", latest},
            {"downloadUrl", download},
            {"forceUpdate", 0},
            {"description", svc.state().extra.value(QStringLiteral("latestDescription")).toString()},
        });
    });
    signedInRoute(svc, "POST", "/qf/log/upload", [&svc](DevUser *, const DevRequest &req) {
        QVariantList logs = listIn(svc.state().extra, QStringLiteral("logs"));
        logs.append(QVariantMap{{QStringLiteral("level"), str(req, QStringLiteral("level"))},
                                {QStringLiteral("content"), str(req, QStringLiteral("content"))}});
        svc.state().extra.insert(QStringLiteral("logs"), logs);
        return DevService::ok();
    });
    signedInRoute(svc, "POST", "/qf/statistics/micOpenTime", [&svc](DevUser *, const DevRequest &req) {
        QVariantList stats = listIn(svc.state().extra, QStringLiteral("micOpenTimes"));
        stats.append(QVariantMap{{QStringLiteral("roomId"), str(req, QStringLiteral("roomId"))},
                                 {QStringLiteral("seconds"), num(req, QStringLiteral("seconds"))}});
        svc.state().extra.insert(QStringLiteral("micOpenTimes"), stats);
        return DevService::ok();
    });
});

} // namespace
