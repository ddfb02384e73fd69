// Uploads, a file's rights and who may upload, seen from two clients, each a process of its own,
// in one room of the stand-in that this test runs.

#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "e2e/ClientProcess.h"

#include "foundation/KVClock.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

#ifdef KORVI_MEETING_CLIENT

using namespace std::chrono_literals;

namespace {

const QString kRoom = QStringLiteral("223456789");
const QString kHost = QStringLiteral("13900000001");
const QString kMember = QStringLiteral("13800000001");
const QString kMemberName = QStringLiteral("王五");
const QString kLate = QStringLiteral("13800000002");

std::string dump(const QJsonObject &state)
{
    return QJsonDocument(state).toJson(QJsonDocument::Compact).toStdString();
}

// The picker lists n files, all in the given state.
bool lists(const QJsonObject &state, int n, int rowState)
{
    const QJsonArray files = state["files"].toArray();
    return state["picker"].toBool() && files.size() == n &&
           std::all_of(files.begin(), files.end(), [&](const QJsonValue &f) { return f["state"].toInt() == rowState; });
}

bool ok(const QJsonObject &answer)
{
    return answer["ok"].toBool();
}

TEST(FileUploadTwoClientsTest, UploadsConvertAndReachTheOther_RightsLetHimTurnPages_TheHostLimitsUploads)
{
    VirtualClockScope clock; // the stand-in converts on it
    DevService service;
    ASSERT_TRUE(service.start());
    service.state().addUser(kHost, kHost, QStringLiteral("主持人"), QStringLiteral("token-") + kHost);
    service.state().addUser(kMember, kMember, kMemberName, QStringLiteral("token-") + kMember);
    service.state().addUser(kLate, kLate, QStringLiteral("赵六"), QStringLiteral("token-") + kLate);
    service.state().addRoom(kRoom, kHost, QStringLiteral("周会")).flags.insert(QStringLiteral("allowFileShared"), 1);
    service.state().extra.insert(QStringLiteral("conversionMs"), 5000);
    QTemporaryDir dir;
    QStringList paths;
    for (const char *name : {"plan.pdf", "minutes.pdf"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("%PDF-1.4 ") + name);
        paths << file.fileName();
    }

    ClientProcess host(service.port(), kHost, QStringLiteral("主持人"), kRoom);
    ASSERT_TRUE(host.next().value("ready").toBool());
    ClientProcess member(service.port(), kMember, kMemberName, kRoom);
    ASSERT_TRUE(member.next().value("ready").toBool());
    QJsonObject seen;
    // The picker takes the room's share lock; closing it gives the lock back.
    const auto lockFree = [&] {
        return processEventsUntil(
            [&] { return !service.state().room(kRoom)->extra.contains(QStringLiteral("shareLock")); }, kBoundMs);
    };

    // Two files chosen one after the other upload side by side, convert, then are ready.
    ASSERT_TRUE(ok(host.ask("picker")));
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return s["picker"].toBool(); }, &seen)) << dump(seen);
    ASSERT_TRUE(ok(host.ask("upload " + paths[0].toUtf8())));
    ASSERT_TRUE(ok(host.ask("upload " + paths[1].toUtf8())));
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return lists(s, 2, 2); }, &seen)) << dump(seen);
    clock.clock.advance(5s);
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return lists(s, 2, 1); }, &seen)) << dump(seen);
    const QByteArray fileId = seen["files"].toArray().first()["fileId"].toString().toUtf8();
    seen = host.ask("rights " + fileId + ' ' + kMemberName.toUtf8());
    ASSERT_TRUE(ok(seen)) << dump(seen);
    ASSERT_TRUE(ok(host.ask("closePicker")));

    // The member's picker lists both, and he may upload.
    ASSERT_TRUE(lockFree());
    ASSERT_TRUE(ok(member.ask("picker")));
    ASSERT_TRUE(
        member.stateUntil([](const QJsonObject &s) { return lists(s, 2, 1) && s["uploadButton"].toBool(); }, &seen))
        << dump(seen);
    ASSERT_TRUE(ok(member.ask("closePicker")));

    // The host lets only the host upload: the member is told so, and his upload button goes.
    ASSERT_TRUE(lockFree());
    ASSERT_TRUE(ok(host.ask("picker")));
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return s["picker"].toBool(); }, &seen)) << dump(seen);
    ASSERT_TRUE(ok(host.ask("uploadPermission 1")));
    ASSERT_TRUE(member.stateUntil([](const QJsonObject &s) { return s["allowUpload"].toInt() == 0; }, &seen))
        << dump(seen);
    ASSERT_TRUE(ok(host.ask("closePicker")));
    ASSERT_TRUE(lockFree());
    ASSERT_TRUE(ok(member.ask("picker")));
    ASSERT_TRUE(
        member.stateUntil([](const QJsonObject &s) { return lists(s, 2, 1) && !s["uploadButton"].toBool(); }, &seen))
        << dump(seen);
    EXPECT_EQ(service.state().room(kRoom)->flags.value(QStringLiteral("uploadPermissionType")).toInt(), 1);
    ASSERT_TRUE(ok(member.ask("closePicker")));

    // One who joins now is told on entering: his picker has no upload button either.
    ClientProcess late(service.port(), kLate, QStringLiteral("赵六"), kRoom);
    ASSERT_TRUE(late.next().value("ready").toBool());
    ASSERT_TRUE(lockFree());
    ASSERT_TRUE(ok(late.ask("picker")));
    ASSERT_TRUE(late.stateUntil(
        [](const QJsonObject &s) {
            return lists(s, 2, 1) && !s["uploadButton"].toBool() && s["allowUpload"].toInt(-1) == 0;
        },
        &seen))
        << dump(seen);
    ASSERT_TRUE(ok(late.ask("closePicker")));

    // The host shares the file whose rights name the member: the member may turn its pages.
    ASSERT_TRUE(lockFree());
    ASSERT_TRUE(ok(host.ask("picker")));
    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return lists(s, 2, 1); }, &seen)) << dump(seen);
    ASSERT_TRUE(ok(host.ask("share " + fileId)));
    ASSERT_TRUE(member.stateUntil(
        [](const QJsonObject &s) { return s["mode"].toInt() == 1 && s["pages"].toInt() == 3 && s["flips"].toBool(); },
        &seen))
        << dump(seen);
    ASSERT_TRUE(ok(member.ask("flip")));

    ASSERT_TRUE(host.stateUntil([](const QJsonObject &s) { return s["page"].toString() == QLatin1String("2"); }, &seen))
        << dump(seen);
}

} // namespace

#endif
