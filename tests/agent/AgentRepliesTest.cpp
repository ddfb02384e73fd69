// Replies become the right models, and the stand-in keeps its state between calls.
#include "AgentTestSupport.h"

#include "agent/models/FileShareModel.h"
#include "agent/models/RecordVideoModel.h"
#include "connection/KVFileSnapshot.h"
#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/KVSubTitleListModel.h"
#include "foundation/models/MeetingHostModel.h"
#include "foundation/models/MeetingRecordDeviceModel.h"
#include "foundation/models/ShareTokenModel.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class AgentRepliesTest : public AgentServiceTest {};

TEST_F(AgentRepliesTest, CreatedMeeting_IsListedForTodayAndUpcoming_InvitationsAsUsers)
{
    ASSERT_TRUE(signIn(QStringLiteral("13800000001")).successed);
    const QString roomId = createMeeting();
    const KVMResponse today = run([&](auto d) { agent->queryMeetingListIsToday(&owner, true, d); });
    ASSERT_TRUE(today.successed);
    const QVariantList sections = today.dataList();
    ASSERT_EQ(sections.size(), 1);
    const QVariantList meetings = sections.first().toMap().value("meetList").toList();
    ASSERT_EQ(meetings.size(), 1);
    EXPECT_EQ(meetings.first().toMap().value("roomId").toString(), roomId);
    EXPECT_EQ(sections.first().toMap().value("orderDate").toString(), QDate::currentDate().toString("yyyy-MM-dd"));

    const KVMResponse invited = run([&](auto d) { agent->queryMeetingInvitationListWithRoomId(&owner, roomId, d); });
    const auto users = invited.data.value<QList<VeskUserModel>>();
    ASSERT_EQ(users.size(), 1);
    EXPECT_EQ(RXEncrypt::aes128ecbDecrypt(users.first().userId), QStringLiteral("13800000001"));

    const KVMResponse cancelled = run([&](auto d) { agent->cancelMeetingWithRoomId(&owner, roomId, false, d); });
    EXPECT_TRUE(cancelled.successed);
    const KVMResponse after = run([&](auto d) { agent->queryMeetingListIsToday(&owner, false, d); });
    EXPECT_TRUE(after.dataList().isEmpty());
}

TEST_F(AgentRepliesTest, ShareLock_IsHeldByOneUserAtATime)
{
    const QString roomId = hostInRoom();
    const auto token = [&] {
        const KVMResponse r =
            run([&](auto d) { agent->getShareTokenWithRoomId(&owner, roomId, "13800000001", "张三", d); });
        return r.data.value<ShareTokenModel>();
    };
    const ShareTokenModel mine = token();
    EXPECT_TRUE(mine.isCanShare);
    EXPECT_EQ(mine.roomId, roomId);
    EXPECT_EQ(mine.userName, QStringLiteral("张三"));

    service.state().room(roomId)->extra.insert("shareLock", QStringLiteral("13800000002"));
    EXPECT_FALSE(token().isCanShare);
    service.state().room(roomId)->extra.remove("shareLock");
    EXPECT_TRUE(token().isCanShare);
    EXPECT_TRUE(run([&](auto d) { agent->releaseShareTokenWithRoomId(&owner, roomId, d); }).successed);
    EXPECT_FALSE(service.state().room(roomId)->extra.contains("shareLock"));
}

TEST_F(AgentRepliesTest, RemovedMember_IsGone_AndCountDownCanBeQueried)
{
    const QString roomId = hostInRoom();
    DevRoom *room = service.state().room(roomId);
    DevMember guest;
    guest.userId = guest.phoneNumber = QStringLiteral("13800000002");
    guest.userName = QStringLiteral("李四");
    room->members.append(guest);
    const QString enc = RXEncrypt::aes128ecbEncrypt(guest.userId);

    EXPECT_TRUE(run([&](auto d) { agent->memberMoveOutfromMeetingRoom(&owner, {enc}, true, d); }).successed);
    EXPECT_FALSE(room->member(guest.userId));
    const KVMResponse members = run([&](auto d) { agent->queryMeetingMembersListWithRoomId(&owner, roomId, d); });
    EXPECT_EQ(members.data.value<QList<VeskUserModel>>().size(), 1);

    EXPECT_TRUE(run([&](auto d) { agent->hostStartnewCountDownWith(&owner, 60000, d); }).successed);
    const KVMResponse left = run([&](auto d) { agent->requstCountDownInfoCompletionBlock(&owner, d); });
    EXPECT_GT(left.dataMap().value("countdown").toLongLong(), 0);
    EXPECT_LE(left.dataMap().value("countdown").toLongLong(), 60000);
    EXPECT_TRUE(run([&](auto d) { agent->hostTerminalCountDownCompletionBlock(&owner, d); }).successed);
    EXPECT_EQ(run([&](auto d) { agent->requstCountDownInfoCompletionBlock(&owner, d); })
                  .dataMap()
                  .value("countdown")
                  .toLongLong(),
              0);
}

TEST_F(AgentRepliesTest, FileService_UploadThenListAndPages_MapToFileModels)
{
    const QString roomId = hostInRoom();
    QTemporaryDir dir;
    const QString path = dir.filePath("方案.pdf");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3000, 'x'));
    }
    const QUrl url = QUrl::fromLocalFile(path);
    const std::shared_ptr<KVFileSnapshot> copy = KVFileSnapshot::take(path, nullptr);
    ASSERT_TRUE(copy);
    const KVMResponse pre =
        run([&](auto d) { agent->prepareUploadFileWithfileURL(&owner, {copy}, {"k1"}, roomId, d); });
    ASSERT_TRUE(pre.successed) << pre.message.toStdString();
    const QVariantMap answer = pre.dataList().value(0).toMap();
    EXPECT_EQ(answer.value("status").toInt(), 2);
    EXPECT_EQ(answer.value("identity").toString(), QStringLiteral("k1"));
    const QString fileId = answer.value("fileId").toString();

    int finished = 0;
    bool ok = false;
    agent->uploadFileWithfileURL(&owner, {copy}, {fileId}, roomId, {},
                                 [&](const QUrl &u, bool success, const QVariantMap &, const QString &) {
                                     ++finished;
                                     ok = success && u == url;
                                 });
    ASSERT_TRUE(processEventsUntil([&] { return finished == 1; }));
    EXPECT_TRUE(ok);

    const KVMResponse list = run([&](auto d) { agent->queryFileList(&owner, roomId, d); });
    ASSERT_TRUE(list.successed) << list.message.toStdString();
    const auto files = list.dataMap().value("files").value<QList<FileShareModel>>();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.first().fileName, QStringLiteral("方案.pdf"));
    EXPECT_EQ(files.first().state, 1); // status 1 mirrored
    const auto types = list.dataMap().value("fileTypes").value<QList<SupportFileShareTypeModel>>();
    EXPECT_EQ(types.size(), 3);
    // The picker's form: the rows as the service sent them, the types mapped all the same.
    const KVMResponse sent =
        run([&](auto d) { agent->queryFileList(&owner, roomId, d, VeskAppAgent::FileRows::AsSent); });
    const QVariantList rows = sent.dataMap().value("files").toList();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(jx_objectArrayWithKeyValuesArray<FileShareModel>(rows), files);
    EXPECT_EQ(rows.first().toMap().value("fileName").toString(), QStringLiteral("方案.pdf"));
    EXPECT_EQ(sent.dataMap().value("fileTypes").value<QList<SupportFileShareTypeModel>>().size(), 3);

    const KVMResponse pages = run([&](auto d) { agent->queryFileSliceUrl(&owner, fileId, roomId, d); });
    const auto detail = jx_objectWithKeyValues<FileShareDatailModel>(pages.data);
    EXPECT_EQ(detail.sliceInfo.size(), 3);

    // The same file again: the service already holds it.
    const KVMResponse again =
        run([&](auto d) { agent->prepareUploadFileWithfileURL(&owner, {copy}, {"k2"}, roomId, d); });
    EXPECT_EQ(again.dataList().value(0).toMap().value("status").toInt(), 1);

    EXPECT_TRUE(run([&](auto d) { agent->deleteFiles(&owner, {fileId}, "13800000001", roomId, d); }).successed);
    EXPECT_TRUE(run([&](auto d) { agent->queryFileList(&owner, roomId, d); })
                    .dataMap()
                    .value("files")
                    .value<QList<FileShareModel>>()
                    .isEmpty());
}

// An uploaded PDF is converted to as many pages as it holds, portrait when its pages are.
TEST_F(AgentRepliesTest, FileService_APdfKeepsItsPageCountAndOrientation)
{
    const QString roomId = hostInRoom();
    QTemporaryDir dir;
    const QString path = dir.filePath("a4.pdf");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n1 0 obj << /Type /Pages /Kids [2 0 R 3 0 R] /Count 2 >> endobj\n"
                "2 0 obj << /Type /Page /MediaBox [0 0 595 842] >> endobj\n"
                "3 0 obj << /Type/Page /Parent 1 0 R >> endobj\n");
    }
    const std::shared_ptr<KVFileSnapshot> copy = KVFileSnapshot::take(path, nullptr);
    ASSERT_TRUE(copy);
    const KVMResponse pre =
        run([&](auto d) { agent->prepareUploadFileWithfileURL(&owner, {copy}, {"k1"}, roomId, d); });
    const QString fileId = pre.dataList().value(0).toMap().value("fileId").toString();
    bool finished = false;
    agent->uploadFileWithfileURL(&owner, {copy}, {fileId}, roomId, {},
                                 [&](const QUrl &, bool, const QVariantMap &, const QString &) { finished = true; });
    ASSERT_TRUE(processEventsUntil([&] { return finished; }));
    run([&](auto d) { agent->queryFileList(&owner, roomId, d); }); // the conversion is done by now

    const KVMResponse pages = run([&](auto d) { agent->queryFileSliceUrl(&owner, fileId, roomId, d); });
    const auto detail = jx_objectWithKeyValues<FileShareDatailModel>(pages.data);
    ASSERT_EQ(detail.sliceInfo.size(), 2);
    EXPECT_GT(detail.sliceInfo.first().picHeight, detail.sliceInfo.first().picWidth);
}

// One who enters while a video file is shared is told which, and whose it is by phone number.
TEST_F(AgentRepliesTest, RoomInfo_TellsWhoEntersTheRunningAudioOrVideoFile)
{
    const QString roomId = hostInRoom();
    // As the share button does: the lock first.
    ASSERT_TRUE(run([&](auto d) {
                    agent->getShareTokenWithRoomId(&owner, roomId, agent->myInfo().phoneNumber,
                                                   agent->myInfo().userName, d);
                }).successed);
    const KVMResponse started = run([&](auto d) {
        agent->startOrStopAVFileShare(&owner, 1, RXEncrypt::aes128ecbEncrypt("13800000001"), "v1", 2, "演示.mp4", 30,
                                      "1", {}, d);
    });
    ASSERT_TRUE(started.successed) << started.message.toStdString();
    const KVMResponse entered = enter(roomId);
    const auto info = entered.data.value<std::shared_ptr<MeetingInfoModel>>();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->isSharingFiles, 2);
    EXPECT_EQ(info->sharedAudVidResp.fileName, QStringLiteral("演示.mp4"));
    EXPECT_EQ(info->sharedAudVidResp.userId, QStringLiteral("13800000001"));
    EXPECT_EQ(info->sharedAudVidResp.duration, 30);
}

// The name goes out with its "\U" pairs dropped and then its escapes undone. The size and MD5
// announced and the bytes uploaded are one private copy's, even when the file is rewritten
// meanwhile; the stand-in refuses a raw name, and a body that is not the content announced.
TEST_F(AgentRepliesTest, FileService_NameIsCleaned_TheCopyAnnouncedIsTheCopySent)
{
    const QString roomId = hostInRoom();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("计划\\Ub%41.pdf"));
    const auto write = [&](char byte) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, byte));
    };
    write('a');
    const std::shared_ptr<KVFileSnapshot> copy = KVFileSnapshot::take(path, nullptr);
    ASSERT_TRUE(copy);
    write('b');
    const KVMResponse pre =
        run([&](auto d) { agent->prepareUploadFileWithfileURL(&owner, {copy}, {"k1"}, roomId, d); });
    ASSERT_TRUE(pre.successed) << pre.message.toStdString();
    const QVariantMap answer = pre.dataList().value(0).toMap();
    EXPECT_EQ(answer.value("status").toInt(), 2) << answer.value("remarks").toString().toStdString();
    EXPECT_EQ(answer.value("fileName").toString(), QStringLiteral("计划bA.pdf"));
    const QVariantMap announced =
        service.requestsFor("/fms/upload/preUpload").last().param("files").toList().value(0).toMap();
    EXPECT_EQ(announced.value("md5Val").toString(), copy->md5());
    EXPECT_EQ(announced.value("fileSize").toLongLong(), 5000);

    const auto upload = [&](const std::shared_ptr<KVFileSnapshot> &file) {
        std::optional<std::pair<bool, QString>> result;
        agent->uploadFileWithfileURL(&owner, {file}, {answer.value("fileId").toString()}, roomId, {},
                                     [&](const QUrl &, bool ok, const QVariantMap &reply, const QString &error) {
                                         result = {ok && reply.value("code").toInt() == 0, error};
                                     });
        EXPECT_TRUE(processEventsUntil([&] { return result.has_value(); }));
        return result.value_or(std::pair<bool, QString>{false, "no answer"});
    };
    // The rewritten file is other content than announced.
    const auto rewritten = upload(KVFileSnapshot::take(path, nullptr));
    EXPECT_FALSE(rewritten.first);
    EXPECT_EQ(rewritten.second, QStringLiteral("文件校验失败"));
    const auto sent = upload(copy);
    EXPECT_TRUE(sent.first) << sent.second.toStdString();
    const auto files = run([&](auto d) { agent->queryFileList(&owner, roomId, d); })
                           .dataMap()
                           .value("files")
                           .value<QList<FileShareModel>>();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.first().fileName, QStringLiteral("计划bA.pdf"));
    EXPECT_EQ(service.state().files.value(files.first().fileId).content, QByteArray(5000, 'a'));
}

TEST_F(AgentRepliesTest, Recording_OnOffThenListedAndDeleted_AsRecordModels)
{
    const QString roomId = hostInRoom();
    EXPECT_TRUE(run([&](auto d) { agent->onRecordVideoCompletionBlock(&owner, d); }).successed);
    const KVMResponse twice = run([&](auto d) { agent->onRecordVideoCompletionBlock(&owner, d); });
    EXPECT_FALSE(twice.successed);
    EXPECT_FALSE(twice.message.isEmpty());
    EXPECT_TRUE(run([&](auto d) { agent->offRecordVideoCompletionBlock(&owner, d); }).successed);

    const KVMResponse list = run([&](auto d) { agent->queryRecordVideoListWithRoomId(&owner, QString(), d); });
    const auto meetings = list.data.value<QList<RecordVideoModel>>();
    ASSERT_EQ(meetings.size(), 1);
    ASSERT_EQ(meetings.first().dvrList.size(), 1);
    const RecordVideoInfo info = meetings.first().dvrList.first();
    EXPECT_EQ(info.dvrStatus, RecordVideoInfo::StatusReady);

    QString downloaded;
    agent->downloadRecordVideoWithUrl(
        &owner, info.dvrDownPath,
        [&](const QString &file, const VeskAppAgent::DownloadError &) { downloaded = file.isEmpty() ? "-" : file; });
    ASSERT_TRUE(processEventsUntil([&] { return !downloaded.isEmpty(); }));
    EXPECT_NE(downloaded, QStringLiteral("-"));

    EXPECT_TRUE(
        run([&](auto d) { agent->deleteRecordVideoWithRoomId(&owner, roomId, info.dvrSequenceId, d); }).successed);
    EXPECT_TRUE(run([&](auto d) { agent->queryRecordVideoListWithRoomId(&owner, roomId, d); })
                    .data.value<QList<RecordVideoModel>>()
                    .isEmpty());
}

TEST_F(AgentRepliesTest, RecordDocuments_SubtitlesHostsAndDevices_MapToTheirModels)
{
    const QString roomId = hostInRoom();
    ASSERT_TRUE(run([&](auto d) { agent->hostHandleOpenTranscribe(&owner, true, true, d); }).successed);
    const KVMResponse subs =
        run([&](auto d) { agent->querySubTitleListWithRoomId(&owner, roomId, 0, true, false, d); });
    ASSERT_TRUE(subs.successed);
    const auto subtitleList = subs.data.value<KVSubTitleListModel>();
    ASSERT_EQ(subtitleList.list.size(), 1);

    ASSERT_TRUE(run([&](auto d) { agent->assginMember(&owner, {}, true, d); }).successed);
    const KVMResponse hosts = run([&](auto d) { agent->getAssistanthostInfoWith(&owner, roomId, d); });
    EXPECT_TRUE(hosts.data.canConvert<MeetingHostModel>());

    const KVMResponse devices = run([&](auto d) { agent->getTheDeviceInfoCompletionBlock(&owner, d); });
    const auto deviceList = devices.data.value<QList<MeetingRecordDeviceModel>>();
    ASSERT_EQ(deviceList.size(), 1);
    EXPECT_GT(deviceList.first().lastLoginTime, 0);

    agent->endMeeting();
    ASSERT_TRUE(processEventsUntil([&] { return service.state().room(roomId)->closed; }));
    const KVMResponse docs = run([&](auto d) { agent->queryRecordFileListWith(&owner, 1, 10, d); });
    const auto files = docs.data.value<QList<RecordFileModel>>();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.first().roomId, roomId);
    EXPECT_GT(files.first().beginTime, 0);
    EXPECT_TRUE(run([&](auto d) { agent->deleteRecordVideoWithRoomId(&owner, roomId, d); }).successed);
    EXPECT_TRUE(run([&](auto d) { agent->queryRecordFileListWith(&owner, 1, 10, d); })
                    .data.value<QList<RecordFileModel>>()
                    .isEmpty());
}

} // namespace
