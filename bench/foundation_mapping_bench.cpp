// Generic meta-object mapping against hand-written QJsonObject parsing of the
// same replies: a 500-member list and a 1,000-meeting history page.
// "FromText" variants include the JSON parse (what a REST completion does);
// "FromJson" variants start from an already parsed document (mapping alone).
#include "foundation/JXExtension.h"
#include "foundation/models/MeetingListDataModel.h"
#include "foundation/models/VeskUserModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

namespace {

QJsonObject userJson(int i)
{
    return QJsonObject{{"userId", QStringLiteral("u%1").arg(i)},
                       {"userName", QStringLiteral("成员%1").arg(i)},
                       {"phoneNumber", QStringLiteral("1380000%1").arg(i, 4, 10, QLatin1Char('0'))},
                       {"authorization", QStringLiteral("Bearer token-%1").arg(i)},
                       {"applicationId", "app"},
                       {"token", QStringLiteral("t%1").arg(i)},
                       {"registerStatus", i % 2},
                       {"groupName", "研发部"},
                       {"dvrWaitRead", i % 3},
                       {"namePinYin", QStringLiteral("chengyuan%1").arg(i)},
                       {"nameFirstLetter", "cy"},
                       {"isAssistantHostOrHost", i == 0}};
}

QByteArray membersReply()
{
    QJsonArray list;
    for (int i = 0; i < 500; ++i)
        list.append(userJson(i));
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QByteArray historyReply()
{
    QJsonArray list;
    for (int i = 0; i < 1000; ++i) {
        QJsonArray invited;
        for (int k = 0; k < 3; ++k)
            invited.append(userJson(i * 3 + k));
        list.append(QJsonObject{{"roomId", QString::number(100000000 + i)},
                                {"cycleRoomId", ""},
                                {"roomName", QStringLiteral("会议%1").arg(i)},
                                {"beginTime", "2026-03-05 09:00"},
                                {"endTime", "2026-03-05 10:00"},
                                {"password", "1234"},
                                {"creatorId", "9f2c5d1e0b7a4c3d9f2c5d1e0b7a4c3d"},
                                {"creatorName", "张三"},
                                {"quickEnterUrl", "https://meet.example.com/#/home?rn=1"},
                                {"duration", 60},
                                {"creatorCameraStatus", 1},
                                {"creatorMicrophoneStatus", 0},
                                {"openTranslateText", 1},
                                {"roomTranscribeStatus", 1},
                                {"cameraAllowStatus", 1},
                                {"micAllowStatus", 1},
                                {"roomWaitStatus", 0},
                                {"enableRecordStatus", 1},
                                {"sharePermission", 0},
                                {"uploadPermissionType", 2},
                                {"status", i % 3},
                                {"cycleType", 0},
                                {"fileCount", 2},
                                {"totalMemberCount", 12},
                                {"isCycle", false},
                                {"hasRecord", true},
                                {"hasDvr", false},
                                {"invitationList", invited}});
    }
    QJsonObject page{{"total", 1000}, {"pages", 1}, {"pageNum", 1}, {"pageSize", 1000}, {"list", list}};
    return QJsonDocument(page).toJson(QJsonDocument::Compact);
}

// ---- hand-written parsing of the same fields --------------------------------

VeskUserModel userByHand(const QJsonObject &o)
{
    VeskUserModel u;
    u.userId = o.value(QLatin1String("userId")).toString();
    u.userName = o.value(QLatin1String("userName")).toString();
    u.phoneNumber = o.value(QLatin1String("phoneNumber")).toString();
    u.authorization = o.value(QLatin1String("authorization")).toString();
    u.applicationId = o.value(QLatin1String("applicationId")).toString();
    u.isAssistantHostOrHost = o.value(QLatin1String("isAssistantHostOrHost")).toBool();
    u.token = o.value(QLatin1String("token")).toString();
    u.registerStatus = o.value(QLatin1String("registerStatus")).toInt();
    u.groupName = o.value(QLatin1String("groupName")).toString();
    u.dvrWaitRead = o.value(QLatin1String("dvrWaitRead")).toInt();
    u.namePinYin = o.value(QLatin1String("namePinYin")).toString();
    u.nameFirstLetter = o.value(QLatin1String("nameFirstLetter")).toString();
    u.exp = o.value(QLatin1String("exp")).toString();
    u.created = o.value(QLatin1String("created")).toString();
    return u;
}

QList<VeskUserModel> usersByHand(const QJsonArray &a)
{
    QList<VeskUserModel> out;
    out.reserve(a.size());
    for (const QJsonValue v : a)
        out.append(userByHand(v.toObject()));
    return out;
}

MeetingDataModel meetingByHand(const QJsonObject &o)
{
    MeetingDataModel m;
    auto s = [&](const char *k) { return o.value(QLatin1String(k)).toString(); };
    auto i = [&](const char *k) { return o.value(QLatin1String(k)).toInt(); };
    auto b = [&](const char *k) { return o.value(QLatin1String(k)).toBool(); };
    m.roomId = s("roomId");
    m.cycleRoomId = s("cycleRoomId");
    m.roomName = s("roomName");
    m.beginTime = s("beginTime");
    m.endTime = s("endTime");
    m.password = s("password");
    m.creatorId = s("creatorId");
    m.creatorName = s("creatorName");
    m.quickEnterUrl = s("quickEnterUrl");
    m.duration = i("duration");
    m.creatorCameraStatus = i("creatorCameraStatus");
    m.creatorMicrophoneStatus = i("creatorMicrophoneStatus");
    m.openTranslateText = i("openTranslateText");
    m.enableTransStatus = i("roomTranscribeStatus");
    m.cameraAllowStatus = i("cameraAllowStatus");
    m.micAllowStatus = i("micAllowStatus");
    m.roomWaitStatus = i("roomWaitStatus");
    m.enableRecordStatus = i("enableRecordStatus");
    m.sharePermission = i("sharePermission");
    m.uploadPermissionType = i("uploadPermissionType");
    m.status = i("status");
    m.cycleType = i("cycleType");
    m.fileCount = o.value(QLatin1String("fileCount")).toInteger();
    m.totalMemberCount = quint64(o.value(QLatin1String("totalMemberCount")).toInteger());
    m.isCycle = b("isCycle");
    m.onlyUpdateThisMeeting = b("onlyUpdateThisMeeting");
    m.isEdit = b("isEdit");
    m.hasRecord = b("hasRecord");
    m.hasDvr = b("hasDvr");
    m.invitationList = usersByHand(o.value(QLatin1String("invitationList")).toArray());
    m.allowShareList = usersByHand(o.value(QLatin1String("allowShareList")).toArray());
    m.meetingMemberList = usersByHand(o.value(QLatin1String("meetingMemberList")).toArray());
    return m;
}

MeetingListDataModel pageByHand(const QJsonObject &o)
{
    MeetingListDataModel p;
    p.total = o.value(QLatin1String("total")).toInt();
    p.pages = o.value(QLatin1String("pages")).toInt();
    p.pageNum = o.value(QLatin1String("pageNum")).toInt();
    p.pageSize = o.value(QLatin1String("pageSize")).toInt();
    const QJsonArray list = o.value(QLatin1String("list")).toArray();
    p.list.reserve(list.size());
    for (const QJsonValue v : list)
        p.list.append(meetingByHand(v.toObject()));
    return p;
}

// ---- benchmarks ---------------------------------------------------------------

void Members_Generic_FromText(benchmark::State &state)
{
    const QByteArray json = membersReply();
    for (auto _ : state) {
        auto users = jx_objectArrayWithKeyValuesArray<VeskUserModel>(QVariant(json));
        benchmark::DoNotOptimize(users);
    }
}
BENCHMARK(Members_Generic_FromText)->Unit(benchmark::kMicrosecond);

void Members_HandWritten_FromText(benchmark::State &state)
{
    const QByteArray json = membersReply();
    for (auto _ : state) {
        auto users = usersByHand(QJsonDocument::fromJson(json).array());
        benchmark::DoNotOptimize(users);
    }
}
BENCHMARK(Members_HandWritten_FromText)->Unit(benchmark::kMicrosecond);

void Members_Generic_FromJson(benchmark::State &state)
{
    const QJsonArray array = QJsonDocument::fromJson(membersReply()).array();
    for (auto _ : state) {
        auto users = jx_objectArrayWithKeyValuesArray<VeskUserModel>(array);
        benchmark::DoNotOptimize(users);
    }
}
BENCHMARK(Members_Generic_FromJson)->Unit(benchmark::kMicrosecond);

void Members_HandWritten_FromJson(benchmark::State &state)
{
    const QJsonArray array = QJsonDocument::fromJson(membersReply()).array();
    for (auto _ : state) {
        auto users = usersByHand(array);
        benchmark::DoNotOptimize(users);
    }
}
BENCHMARK(Members_HandWritten_FromJson)->Unit(benchmark::kMicrosecond);

void History_Generic_FromText(benchmark::State &state)
{
    const QByteArray json = historyReply();
    for (auto _ : state) {
        auto page = jx_objectWithKeyValues<MeetingListDataModel>(QVariant(json));
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(History_Generic_FromText)->Unit(benchmark::kMillisecond);

void History_HandWritten_FromText(benchmark::State &state)
{
    const QByteArray json = historyReply();
    for (auto _ : state) {
        auto page = pageByHand(QJsonDocument::fromJson(json).object());
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(History_HandWritten_FromText)->Unit(benchmark::kMillisecond);

void History_Generic_FromJson(benchmark::State &state)
{
    const QJsonObject object = QJsonDocument::fromJson(historyReply()).object();
    for (auto _ : state) {
        auto page = jx_objectWithKeyValues<MeetingListDataModel>(object);
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(History_Generic_FromJson)->Unit(benchmark::kMillisecond);

void History_HandWritten_FromJson(benchmark::State &state)
{
    const QJsonObject object = QJsonDocument::fromJson(historyReply()).object();
    for (auto _ : state) {
        auto page = pageByHand(object);
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(History_HandWritten_FromJson)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
