// Every REST call of the agent sends the verb, path, headers and parameters the service expects.
#include "AgentTestSupport.h"

#include "agent/FileServiceSignature.h"
#include "agent/MainSettingModel.h"
#include "connection/HttpManager.h"
#include "connection/KVFileSnapshot.h"
#include "foundation/RXEncrypt.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <optional>

namespace {

enum class Auth { Token, None, Absent };

struct RestCase {
    QString name;
    std::function<void(VeskAppAgent *agent, QObject *owner, VeskAppAgent::Completion done)> call;
    QString verb;
    QString path;
    bool seq = false;         // "sequenceId" = the joined room's; otherwise no such header
    QVariantMap params = {};  // expected subset of the body / form / query
    QStringList absent = {};  // keys that must not be sent
    bool fileService = false; // carries valid file-service parameters
    Auth auth = Auth::Token;
    bool fireAndForget = false; // no completion: wait for the request itself
};

// The value sent for key, and whether it went as text (a query or form field).
std::pair<QJsonValue, bool> sentValue(const DevRequest &req, const QString &key)
{
    if (req.json.contains(key))
        return {req.json.value(key), false};
    const QVariant v = req.form.contains(key) ? req.form.value(key) : req.query.value(key);
    return {v.isValid() ? QJsonValue(v.toString()) : QJsonValue(QJsonValue::Undefined), true};
}

// JSON values compare with their types; query and form fields are text.
bool sameValue(const std::pair<QJsonValue, bool> &sent, const QVariant &expected)
{
    const QJsonValue want = QJsonValue::fromVariant(expected);
    if (sent.second)
        return sent.first.toString() == want.toVariant().toString();
    return sent.first == want;
}

QStringList sentKeys(const DevRequest &req)
{
    QStringList keys = req.json.keys() + req.form.keys() + req.query.keys();
    keys.sort();
    return keys;
}

bool hasParam(const DevRequest &req, const QString &key)
{
    return req.json.contains(key) || req.form.contains(key) || req.query.contains(key);
}

class AgentRestTableTest : public AgentServiceTest {};

TEST_F(AgentRestTableTest, EveryCallSendsItsVerbPathHeadersAndParameters)
{
    const QString host = QStringLiteral("13800000001");
    const QString other = QStringLiteral("13800000002");
    const QString encOther = RXEncrypt::aes128ecbEncrypt(other);
    const QString roomId = hostInRoom(host);
    const QString otherRoom = createMeeting();
    const QString seq = QString::number(agent->currentRoomInfo()->sequenceId);
    ASSERT_FALSE(seq.isEmpty());
    const QString roomToken = agent->currentRoomInfo()->token;
    ASSERT_FALSE(roomToken.isEmpty());

    QTemporaryDir dir;
    const QString filePath = dir.filePath(QStringLiteral("资料.pdf"));
    {
        QFile f(filePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("stand-in document");
    }
    const std::shared_ptr<KVFileSnapshot> copy = KVFileSnapshot::take(filePath, nullptr);
    ASSERT_TRUE(copy);
    const QString md5 = VeskAppAgent::calculateMD5ForFileAtPath(filePath);
    const QString fid = QStringLiteral("file-77");
    const QVariantList userList{QVariantMap{{"userId", encOther}, {"userName", "李四"}}};

    MeetingDataModel edited = MeetingDataModel::defaultModel();
    edited.isEdit = true;
    edited.roomId = otherRoom;
    edited.isCycle = true;
    edited.cycleType = 2;
    edited.onlyUpdateThisMeeting = false;
    MeetingDataModel fresh = MeetingDataModel::defaultModel();
    fresh.roomName = QStringLiteral("新会议");

    // A meeting's whole create or update body: the model's values, then the ones the case pins.
    const QVariantList mine{
        QVariantMap{{"userId", RXEncrypt::aes128ecbEncrypt(host)}, {"userName", agent->myInfo().userName}}};
    const auto meetingBody = [&](const MeetingDataModel &m, const QVariantMap &pinned) {
        QVariantMap body{
            {"roomName", m.roomName}, {"beginTime", m.beginTime}, {"password", m.password}, {"invitationList", mine}};
        for (const char *key : {"duration", "creatorCameraStatus", "creatorMicrophoneStatus", "enableTransStatus",
                                "micAllowStatus", "roomWaitStatus", "cameraAllowStatus", "enableRecordStatus",
                                "openTranslateText", "uploadPermissionType", "sharePermission"})
            body.insert(QLatin1String(key), MeetingDataModel::staticMetaObject
                                                .property(MeetingDataModel::staticMetaObject.indexOfProperty(key))
                                                .readOnGadget(&m));
        body.insert(pinned);
        return body;
    };
    const auto download = [](VeskAppAgent::Completion done) {
        return [done](const QString &, const VeskAppAgent::DownloadError &) { done(KVMResponse()); };
    };

    const QList<RestCase> cases{
        {"sendSmsCode",
         [&](auto a, auto o, auto d) { a->sendSmsCodeWithPhoneNumber(o, other, d); },
         "POST",
         "/qf/user/sendSmsCode",
         false,
         {{"phoneNumber", encOther}},
         {},
         false,
         Auth::None},
        {"join",
         [&](auto a, auto o, auto d) { a->joinMeetingRoomWithRoomId(o, roomId, "pw", 2, d); },
         "POST",
         "/qf/meeting/room/enter",
         false,
         {{"roomId", roomId}, {"password", "pw"}, {"enterStyle", 2}}},
        {"queryAllowEnterStatus",
         [&](auto a, auto o, auto d) {
             a->setTemMeetingInfoModel(a->currentRoomInfo());
             a->queryAllowEnterStatusCompletionBlock(o, d);
         },
         "POST",
         "/qf/meeting/control/" + roomId + "/member/queryAllowEnterStatus",
         true,
         {{"roomId", roomId}}},
        {"getAssistanthostInfo",
         [&](auto a, auto o, auto d) { a->getAssistanthostInfoWith(o, roomId, d); },
         "GET",
         "/qf/meeting/room/hostInfo",
         false,
         {{"roomId", roomId}}},
        {"updateSelfMeetingConfig",
         [&](auto a, auto o, auto d) { a->updateSelfMeetingConfigWithCameraStatus(o, "1", QString(), "0", d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/member/config",
         true,
         {{"cameraStatus", "1"}, {"myLan", "0"}},
         {"micStatus"}},
        {"onRecordVideo", [&](auto a, auto o, auto d) { a->onRecordVideoCompletionBlock(o, d); }, "GET",
         "/qf/meeting/control/" + roomId + "/onDvr", true},
        {"offRecordVideo", [&](auto a, auto o, auto d) { a->offRecordVideoCompletionBlock(o, d); }, "GET",
         "/qf/meeting/control/" + roomId + "/offDvr", true},
        {"switchMic",
         [&](auto a, auto o, auto d) { a->switchMicWithAct(o, 0, {encOther}, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/switch/mic",
         true,
         {{"act", 0}, {"target", QVariantList{encOther}}, {"micAllowStatus", "1"}}},
        {"switchAllMic",
         [&](auto a, auto o, auto d) { a->switchAllMicWithAct(o, 1, {"-1"}, 1, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/switch/mic",
         true,
         {{"act", 1}, {"target", QVariantList{"-1"}}, {"micAllowStatus", 1}}},
        {"handleConsumerAllOpenCamera",
         [&](auto a, auto o, auto d) { a->handleConsumerAllOpenCamera(o, 0, {"-1"}, 0, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/switch/cam",
         true,
         {{"act", 0}, {"target", QVariantList{"-1"}}, {"cameraAllowStatus", 0}}},
        {"allowMemberOpenByself", [&](auto a, auto o, auto d) { a->allowMemberOpenByselfCompletionBlock(o, d); }, "GET",
         "/qf/meeting/control/" + roomId + "/allowUserOpenMic", true},
        {"allowMemberOpenCameraByself",
         [&](auto a, auto o, auto d) { a->allowMemberOpenCameraByselfCompletionBlock(o, d); }, "GET",
         "/qf/meeting/control/" + roomId + "/allowUserOpenCamera", true},
        {"sharePermission",
         [&](auto a, auto o, auto d) { a->sharePermission(o, 1, userList, d); },
         "POST",
         "/qf/client/setSharePermission",
         true,
         {{"roomId", roomId}, {"sharePermission", 1}, {"allowShareList", userList}}},
        {"assginMember",
         [&](auto a, auto o, auto d) { a->assginMember(o, {other}, true, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/setRoomAssistant",
         true,
         {{"targets", QVariantList{encOther}}, {"assistant", true}}},
        {"memberMoveIntoWaitingRoom",
         [&](auto a, auto o, auto d) { a->memberMoveIntoWaitingRoom(o, {encOther}, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/setRoomMemberWaitStatus",
         true,
         {{"target", QVariantList{encOther}}}},
        {"memberMoveOutfromMeetingRoom",
         [&](auto a, auto o, auto d) { a->memberMoveOutfromMeetingRoom(o, {"-1"}, true, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/removeMember",
         true,
         {{"target", QVariantList{"-1"}}, {"forbidEnterStatus", "1"}}},
        {"agreeEnterInmeeting",
         [&](auto a, auto o, auto d) { a->agreeEnterInmeeting(o, {"-1"}, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/allowMemberEnter",
         true,
         {{"target", QVariantList{"-1"}}}},
        {"readWaitMemberSingle",
         [&](auto a, auto o, auto d) { a->readWaitMemberSingle(o, {encOther}, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/readWaitMember",
         true,
         {{"target", QVariantList{encOther}}}},
        {"meetingWaitingRoom",
         [&](auto a, auto o, auto d) { a->meetingWaitingRoom(o, true, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/setRoomWaitStatus",
         true,
         {{"roomWaitStatus", "1"}}},
        {"meetingLockStatus",
         [&](auto a, auto o, auto d) { a->meetingLockStatus(o, false, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/switch/lock",
         true,
         {{"roomLockStatus", "0"}}},
        {"switchIM",
         [&](auto a, auto o, auto d) { a->switchIM(o, 1, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/switch/im",
         true,
         {{"roomId", roomId}, {"imAllowStatus", 1}}},
        {"hostHandleOpenTranscribe",
         [&](auto a, auto o, auto d) { a->hostHandleOpenTranscribe(o, true, false, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/switch/transcribe",
         true,
         {{"openTranslateText", "1"}, {"roomTranscribeStatus", "0"}}},
        {"requstCountDownInfo",
         [&](auto a, auto o, auto d) { a->requstCountDownInfoCompletionBlock(o, d); },
         "POST",
         "/qf/meeting/room/queryCountdown",
         false,
         {{"roomId", roomId}}},
        {"hostStartnewCountDown",
         [&](auto a, auto o, auto d) { a->hostStartnewCountDownWith(o, 60000, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/countdownStart",
         true,
         {{"countdown", 60000}}},
        {"hostTerminalCountDown",
         [&](auto a, auto o, auto d) { a->hostTerminalCountDownCompletionBlock(o, d); },
         "POST",
         "/qf/meeting/control/" + roomId + "/countdownStop",
         true,
         {{"roomId", roomId}}},
        {"querySubTitleList",
         [&](auto a, auto o, auto d) { a->querySubTitleListWithRoomId(o, roomId, 1700, true, false, d); },
         "POST",
         "/qf/subtitle/query",
         false,
         {{"roomId", roomId}, {"pageSize", "50"}, {"timeStamp", 1700}, {"isAfter", true}, {"isDesc", false}}},
        {"querySubTitleKeyTimes",
         [&](auto a, auto o, auto d) { a->querySubTitleKeyTimesWithRoomId(o, roomId, "会议", d); },
         "GET",
         "/qf/subtitle/total",
         false,
         {{"roomId", roomId}, {"querStr", "会议"}}},
        {"downloadSubTitleFile",
         [&](auto a, auto o, auto d) { a->downloadSubTitleFileWithRoomId(o, roomId, download(d)); },
         "GET",
         "/qf/subtitle/download",
         false,
         {{"roomId", roomId}}},
        {"getShareToken", [&](auto a, auto o, auto d) { a->getShareTokenWithRoomId(o, roomId, host, "张三", d); },
         "GET", "/qf/meeting/control/" + roomId + "/getShareLock", true},
        {"releaseShareToken", [&](auto a, auto o, auto d) { a->releaseShareTokenWithRoomId(o, roomId, d); }, "GET",
         "/qf/meeting/control/" + roomId + "/releaseShareLock", true},
        {"queryAllowShareMemberList",
         [&](auto a, auto o, auto d) { a->queryAllowShareMemberList(o, true, d); },
         "GET",
         "/qf/meeting/room/getAllowShareUsers",
         true,
         {{"roomId", roomId}, {"isInMeeting", 1}}},
        {"queryMeetingAllowShareList",
         [&](auto a, auto o, auto d) { a->queryMeetingAllowShareListWithRoomId(o, roomId, false, d); },
         "GET",
         "/qf/meeting/room/getAllowShareUsers",
         false,
         {{"roomId", roomId}, {"isInMeeting", 0}}},
        {"startFileShare",
         [&](auto a, auto o, auto d) { a->startOrStopFileShare(o, true, host, fid, "a.pdf", "[]", "2", userList, d); },
         "POST",
         "/qf/client/sharedFile",
         true,
         {{"roomId", roomId},
          {"sharedFileStatus", 1},
          {"sliceInfo", "[]"},
          {"fileId", fid},
          {"fileName", "a.pdf"},
          {"uploadUserId", host},
          {"enableOperationFileStatus", "2"},
          {"enableUserList", userList}}},
        {"stopFileShare",
         [&](auto a, auto o, auto d) { a->startOrStopFileShare(o, false, host, fid, "a.pdf", "[]", "2", userList, d); },
         "POST",
         "/qf/client/sharedFile",
         true,
         {{"roomId", roomId},
          {"sharedFileStatus", 0},
          {"sliceInfo", "[]"},
          {"fileId", fid},
          {"fileName", "a.pdf"},
          {"uploadUserId", host}},
         {"enableOperationFileStatus", "enableUserList"}},
        {"startAVFileShare",
         [&](auto a, auto o, auto d) { a->startOrStopAVFileShare(o, 1, host, fid, 2, "v.mp4", 30, "1", userList, d); },
         "POST",
         "/qf/client/audVidShare",
         true,
         {{"roomId", roomId},
          {"type", 1},
          {"fileType", 2},
          {"token", roomToken},
          {"fileId", fid},
          {"fileName", "v.mp4"},
          {"duration", 30},
          {"uploadUserId", host},
          {"enableOperationFileStatus", "1"}},
         {"enableUserList"}},
        {"switchAVFileShare",
         [&](auto a, auto o, auto d) { a->startOrStopAVFileShare(o, 3, host, fid, 2, "v.mp4", 30, "2", userList, d); },
         "POST",
         "/qf/client/audVidShare",
         true,
         {{"roomId", roomId},
          {"type", 3},
          {"fileType", 2},
          {"token", roomToken},
          {"fileId", fid},
          {"fileName", "v.mp4"},
          {"duration", 30},
          {"uploadUserId", host},
          {"enableOperationFileStatus", "2"},
          {"enableUserList", userList}}},
        {"queryAllShareFileInfo",
         [&](auto a, auto o, auto d) { a->queryAllShareFileInfo(o, d); },
         "GET",
         "/qf/client/querySharedFile",
         true,
         {{"roomId", roomId}}},
        {"flipOver",
         [&](auto a, auto o, auto d) { a->flipOver(o, roomId, R"({"sliceId":"2"})", fid, d); },
         "POST",
         "/qf/client/fileOp",
         true,
         {{"roomId", roomId}, {"orderStatus", R"({"sliceId":"2"})"}, {"fileId", fid}}},
        {"playAVFileShare",
         [&](auto a, auto o, auto d) { a->playAVFileShare(o, 4, fid, 2, 12, d); },
         "POST",
         "/qf/client/AudVidPlay",
         true,
         {{"roomId", roomId}, {"type", 4}, {"fileType", 2}, {"fileId", fid}, {"seekPosition", 12}}},
        {"avFileShareProcessStart",
         [&](auto a, auto o, auto d) { a->avFileShareProcessStart(o, fid, d); },
         "POST",
         "/qf/client/processStart",
         true,
         {{"roomId", roomId}, {"fileId", fid}}},
        {"queryFileList",
         [&](auto a, auto o, auto d) { a->queryFileList(o, roomId, d); },
         "POST",
         "/fms/query/list",
         false,
         {{"roomId", roomId}},
         {},
         true},
        {"queryFileSliceUrl",
         [&](auto a, auto o, auto d) { a->queryFileSliceUrl(o, fid, roomId, d); },
         "POST",
         "/fms/query/file/sliceUrl",
         false,
         {{"fileId", fid}, {"level", 1}},
         {},
         true},
        {"prepareUploadFile",
         [&](auto a, auto o, auto d) { a->prepareUploadFileWithfileURL(o, {copy}, {"id-1"}, roomId, d); },
         "POST",
         "/fms/upload/preUpload",
         false,
         {{"files", QVariantList{QVariantMap{
                        {"md5Val", md5}, {"fileName", "资料.pdf"}, {"fileSize", 17}, {"identity", "id-1"}}}}},
         {},
         true},
        {"uploadFile",
         [&](auto a, auto o, auto d) {
             a->uploadFileWithfileURL(
                 o, {copy}, {fid}, roomId, {},
                 [d](const QUrl &, bool, const QVariantMap &, const QString &) { d(KVMResponse()); });
         },
         "POST",
         "/fms/upload/multi",
         false,
         {{"fileInfos",
           QString::fromUtf8(
               QJsonDocument(QJsonArray{QJsonObject{{"fileId", fid}, {"fileName", "资料.pdf"}, {"md5Val", md5}}})
                   .toJson(QJsonDocument::Compact))}},
         {},
         true},
        {"deleteFiles",
         [&](auto a, auto o, auto d) { a->deleteFiles(o, {fid}, host, roomId, d); },
         "POST",
         "/qf/client/ShareFileDelete",
         true,
         {{"fileIds", QVariantList{fid}}, {"uploadUserId", host}},
         {},
         true},
        {"queryFileShareOPPermission",
         [&](auto a, auto o, auto d) { a->queryFileShareOPPermission(o, fid, roomId, host, d); },
         "POST",
         "/qf/client/querySharedFileAllowOpUser",
         true,
         {{"roomId", roomId}, {"fileId", fid}, {"uploadUserId", host}}},
        {"fileShareOPPermission",
         [&](auto a, auto o, auto d) { a->fileShareOPPermission(o, fid, roomId, host, "1", 2, userList, d); },
         "POST",
         "/qf/client/allowOPFileShared",
         true,
         {{"roomId", roomId},
          {"fileId", fid},
          {"fileType", "1"},
          {"enableOperationFileStatus", 2},
          {"uploadUserId", host},
          {"enableUserList", userList}}},
        {"fileUploadPermission",
         [&](auto a, auto o, auto d) { a->fileUploadPermission(o, 2, roomId, d); },
         "GET",
         "/qf/client/uploadFilePermission",
         true,
         {{"roomId", roomId}, {"uploadPermissionType", 2}}},
        {"queryMeetingMember",
         [&](auto a, auto o, auto d) { a->queryMeetingMember(o, 1, roomId, d); },
         "GET",
         "/qf/client/getMeetingMember",
         true,
         {{"roomId", roomId}, {"isAssistant", 1}}},
        {"queryUserWithUserName",
         [&](auto a, auto o, auto d) { a->queryUserWithUserName(o, "用户", d); },
         "POST",
         "/qf/user/query",
         false,
         {{"userName", "用户"}}},
        {"createMeeting",
         [&](auto a, auto o, auto d) { a->createOrUpdateMeeting(o, fresh, d); },
         "POST",
         "/qf/meeting/room/create",
         false,
         meetingBody(fresh, {{"roomName", "新会议"},
                             {"isCycle", 0},
                             {"duration", 120},
                             {"enableTransStatus", 1},
                             {"uploadPermissionType", 2}}),
         {"roomId", "cycleType", "updateCycleType", "allowShareList", "uploadFileAllowOpUserList"}},
        {"updateMeeting", [&](auto a, auto o, auto d) { a->createOrUpdateMeeting(o, edited, d); }, "POST",
         "/qf/meeting/room/update", false,
         meetingBody(edited, {{"roomId", otherRoom}, {"isCycle", 1}, {"cycleType", 2}, {"updateCycleType", 2}})},
        {"queryCreatedRoomsInfo", [&](auto a, auto o, auto d) { a->queryCreatedRoomsInfoWithCompletionBlock(o, d); },
         "GET", "/qf/user/createdRoomsInfo", false},
        {"queryMeetingInvitationList",
         [&](auto a, auto o, auto d) { a->queryMeetingInvitationListWithRoomId(o, roomId, d); },
         "GET",
         "/qf/meeting/room/invitationList",
         false,
         {{"roomId", roomId}}},
        {"queryMeetingMembersList",
         [&](auto a, auto o, auto d) { a->queryMeetingMembersListWithRoomId(o, roomId, d); },
         "GET",
         "/qf/meeting/room/members",
         false,
         {{"roomId", roomId}}},
        {"queryMeetingListIsToday",
         [&](auto a, auto o, auto d) { a->queryMeetingListIsToday(o, true, d); },
         "GET",
         "/qf/meeting/room/orderAgenda",
         false,
         {{"isToday", 1}}},
        {"queryHistoryMeetingList",
         [&](auto a, auto o, auto d) { a->queryHistoryMeetingListWithPageNum(o, 2, d); },
         "POST",
         "/qf/meeting/room/historyAgenda",
         false,
         {{"pageNum", 2}, {"pageSize", "10"}}},
        {"queryRecordVideoList",
         [&](auto a, auto o, auto d) { a->queryRecordVideoListWithRoomId(o, QString(), d); },
         "GET",
         "/qf/user/dvr/list",
         false,
         {},
         {"roomId"}},
        {"deleteRecordVideo",
         [&](auto a, auto o, auto d) { a->deleteRecordVideoWithRoomId(o, roomId, "dvr-1", d); },
         "POST",
         "/qf/user/dvr/delete",
         false,
         {{"dvrList", QVariantList{QVariantMap{{"roomId", roomId}, {"dvrSequenceId", "dvr-1"}}}}}},
        {"deleteRecordDocument",
         [&](auto a, auto o, auto d) { a->deleteRecordVideoWithRoomId(o, roomId, d); },
         "GET",
         "/qf/user/deleteRecord",
         false,
         {{"roomId", roomId}}},
        {"queryRecordFileList",
         [&](auto a, auto o, auto d) { a->queryRecordFileListWith(o, 1, 10, d); },
         "POST",
         "/qf/user/queryRecord",
         false,
         {{"pageNum", 1}, {"pageSize", "10"}}},
        {"downloadRecordVideo",
         [&](auto a, auto o, auto d) {
             a->downloadRecordVideoWithUrl(o, service.baseUrl().toString() + "/dvr/file/x.mp4", download(d));
         },
         "GET",
         "/dvr/file/x.mp4",
         false,
         {},
         {},
         false,
         Auth::Absent},
        {"downloadMeetingMembersList",
         [&](auto a, auto o, auto d) { a->downloadMeetingMembersListWithRoomId(o, roomId, download(d)); },
         "GET",
         "/qf/meeting/room/members/download",
         false,
         {{"roomId", roomId}}},
        {"updateUserInfo",
         [&](auto a, auto o, auto d) { a->updateUserInfoWithUserName(o, "新名字", d); },
         "POST",
         "/qf/user/info",
         false,
         {{"userName", "新名字"}}},
        {"getTheDeviceInfo", [&](auto a, auto o, auto d) { a->getTheDeviceInfoCompletionBlock(o, d); }, "GET",
         "/qf/client/getHistoryLoginDevice", false},
        {"checkVersion",
         [&](auto a, auto o, auto d) { a->checkVersion(o, d); },
         "GET",
         "/qf/client/version",
         false,
         {{"platform", "linux"}, {"clientVersion", agent->settingModel()->version()}}},
        {"endMeetingWithRoomId",
         [&](auto a, auto o, auto d) { a->endMeetingWithRoomId(o, otherRoom, d); },
         "POST",
         "/qf/meeting/room/end",
         false,
         {{"roomId", otherRoom}}},
        {"cancelMeeting",
         [&](auto a, auto o, auto d) { a->cancelMeetingWithRoomId(o, otherRoom, true, d); },
         "POST",
         "/qf/meeting/room/cancel",
         false,
         {{"roomId", otherRoom}, {"cancelType", 2}}},
        {"getPreRoomId",
         [&](auto a, auto o, auto d) { a->getPreRoomId(o, QString(), d); },
         "GET",
         "/qf/meeting/room/getPreRoomId",
         false,
         {},
         {"roomId"}},
        {"uploadLogLine",
         [&](auto a, auto, auto) { a->uploadLogLine("ERROR", "join failed-413"); },
         "POST",
         "/qf/log/upload",
         false,
         {{"level", "ERROR"},
          {"content", "join failed-413"},
          {"userId", RXEncrypt::aes128ecbEncrypt(host)},
          {"applicationId", agent->myInfo().applicationId}},
         {},
         false,
         Auth::Token,
         true},
        {"uploadMicOpenTime",
         [&](auto a, auto, auto) { a->uploadMicOpenTime(roomId, 1000, 61000); },
         "POST",
         "/qf/statistics/micOpenTime",
         false,
         {{"roomId", roomId},
          {"seconds", 60},
          {"userId", RXEncrypt::aes128ecbEncrypt(host)},
          {"startTime", 1000},
          {"endTime", 61000}},
         {},
         false,
         Auth::Token,
         true},
        {"endMeeting",
         [&](auto a, auto, auto) { a->endMeeting(); },
         "POST",
         "/qf/meeting/control/" + roomId + "/close",
         true,
         {},
         {},
         false,
         Auth::Token,
         true},
        {"leaveWaitRoomAction",
         [&](auto a, auto, auto) { a->leaveWaitRoomAction(roomId); },
         "POST",
         "/qf/meeting/room/leave",
         false,
         {{"roomId", roomId}},
         {},
         false,
         Auth::Token,
         true},
        {"leaveMeeting",
         [&](auto a, auto, auto) { a->leaveMeeting(); },
         "POST",
         "/qf/meeting/room/leave",
         false,
         {{"roomId", roomId}},
         {},
         false,
         Auth::Token,
         true},
        {"login",
         [&](auto a, auto o, auto d) { a->loginWithPhoneNumber(o, host, "123456", d); },
         "POST",
         "/qf/user/login",
         false,
         {{"phoneNumber", RXEncrypt::aes128ecbEncrypt(host)}, {"code", "123456"}},
         {},
         false,
         Auth::None},
    };

    for (const RestCase &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString token = agent->myInfo().authorization;
        service.clearRequests();
        if (c.fireAndForget) {
            c.call(agent, &owner, {});
            ASSERT_TRUE(processEventsUntil([&] { return !service.requestsFor(c.path).isEmpty(); }));
        } else {
            const KVMResponse reply = run([&](auto done) { c.call(agent, &owner, done); });
            EXPECT_FALSE(reply.message.startsWith(QStringLiteral("参数错误"))) << reply.message.toStdString();
        }
        const QList<DevRequest> sent = service.requestsFor(c.path);
        ASSERT_EQ(sent.size(), 1);
        const DevRequest &req = sent.first();
        EXPECT_EQ(req.method, c.verb);
        if (c.auth == Auth::Token) {
            EXPECT_EQ(req.header("Authorization"), token);
        }
        if (c.auth == Auth::Absent) {
            EXPECT_TRUE(req.header("Authorization").isEmpty());
        }
        if (c.seq) {
            EXPECT_EQ(req.header("sequenceId"), seq);
        } else {
            EXPECT_FALSE(req.headers.contains("sequenceid"));
        }
        for (auto it = c.params.cbegin(); it != c.params.cend(); ++it) {
            EXPECT_TRUE(sameValue(sentValue(req, it.key()), it.value()))
                << it.key().toStdString() << " sent "
                << QJsonDocument(QJsonArray{sentValue(req, it.key()).first})
                       .toJson(QJsonDocument::Compact)
                       .toStdString();
        }
        QStringList expectedKeys = c.params.keys();
        if (c.fileService)
            expectedKeys << QStringLiteral("appType") << QStringLiteral("roomId") << QStringLiteral("userId")
                         << QStringLiteral("expire") << QStringLiteral("createTime") << QStringLiteral("sign");
        expectedKeys.removeDuplicates();
        expectedKeys.sort();
        EXPECT_EQ(sentKeys(req).join(QLatin1Char(',')).toStdString(),
                  expectedKeys.join(QLatin1Char(',')).toStdString());
        for (const QString &key : c.absent)
            EXPECT_FALSE(hasParam(req, key)) << key.toStdString();
        if (c.fileService) {
            QVariantMap p;
            for (const char *key : {"appType", "roomId", "userId", "expire", "createTime", "sign"})
                p.insert(QLatin1String(key), sentValue(req, QLatin1String(key)).first.toVariant().toString());
            EXPECT_EQ(p.value("roomId").toString(), roomId);
            EXPECT_TRUE(FileServiceSignature::verify(p, token, QDateTime::currentSecsSinceEpoch()));
            EXPECT_EQ(RXEncrypt::aes128ecbDecrypt(p.value("userId").toString()), host);
        }
    }
}

} // namespace

namespace {

class StandInStrictnessTest : public AgentServiceTest {};

TEST_F(StandInStrictnessTest, ControlRoutes_RefuseOtherKeysTypesAndPlaces_AndChangeNothing)
{
    const QString roomId = hostInRoom();
    const QVariantMap headers{{"Authorization", agent->myInfo().authorization},
                              {"sequenceId", QString::number(agent->currentRoomInfo()->sequenceId)}};
    const auto post = [&](const QString &action, const QJsonObject &body, const QVariantMap &query = {}) {
        std::optional<KVMResponse> reply;
        const QString path = "/qf/meeting/control/" + roomId + "/" + action;
        agent->http()->POST(
            &owner, path + (query.isEmpty() ? QString() : "?" + query.firstKey() + "=" + query.first().toString()),
            body, headers, [&](const KVMResponse &r) { reply = r; });
        EXPECT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
        return reply.value_or(KVMResponse()).code;
    };
    DevRoom *room = service.state().room(roomId);
    room->flags.insert("roomLockStatus", 1);
    EXPECT_EQ(post("switch/lock", {{"roomLockStatus", "banana"}}), 400);
    EXPECT_EQ(post("switch/lock", {{"roomLockStatus", QJsonArray{1}}}), 400);
    EXPECT_EQ(post("switch/lock", {}, {{"roomLockStatus", "0"}}), 400); // a body key in the query
    EXPECT_EQ(room->flags.value("roomLockStatus").toInt(), 1);
    EXPECT_EQ(post("switch/mic", {}), 400);
    EXPECT_EQ(post("switch/mic", {{"act", "0"}, {"target", QJsonArray{"-1"}}, {"micAllowStatus", "1"}}), 400);
    EXPECT_EQ(post("countdownStart", {{"countdown", "60000"}}), 400);
    EXPECT_EQ(post("countdownStart", {{"countdown", 60000}, {"extra", 1}}), 400);
    EXPECT_EQ(post("switch/im", {{"roomId", true}, {"imAllowStatus", 1}}), 400);
    EXPECT_FALSE(room->extra.contains("countdownEnd"));
    // What the tables say is taken.
    EXPECT_EQ(post("switch/lock", {{"roomLockStatus", "0"}}), 0);
    EXPECT_EQ(room->flags.value("roomLockStatus").toInt(), 0);
    EXPECT_EQ(post("countdownStart", {{"countdown", 60000}}), 0);
}

TEST_F(StandInStrictnessTest, OtherRoutes_RefuseOtherKeysTypesAndPlaces_AndChangeNothing)
{
    const QString roomId = hostInRoom();
    const QString scheduled = createMeeting();
    const QVariantMap headers{{"Authorization", agent->myInfo().authorization},
                              {"sequenceId", QString::number(agent->currentRoomInfo()->sequenceId)}};
    const auto answer = [&](const std::function<void(HttpManager::Completion)> &send) {
        std::optional<KVMResponse> reply;
        send([&](const KVMResponse &r) { reply = r; });
        EXPECT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
        return reply.value_or(KVMResponse()).code;
    };
    const auto post = [&](const QString &path, const QJsonObject &body, const QString &query = {}) {
        return answer([&](auto done) { agent->http()->POST(&owner, path + query, body, headers, done); });
    };
    const auto get = [&](const QString &path, const QVariantMap &query) {
        return answer([&](auto done) { agent->http()->GET(&owner, path, query, headers, done); });
    };
    const int meetings = int(service.state().scheduled.size());
    EXPECT_EQ(post("/qf/meeting/room/leave", {{"roomId", 5}}), 400);
    EXPECT_EQ(post("/qf/meeting/room/leave", {}, "?roomId=" + roomId), 400); // a body key in the query
    EXPECT_EQ(post("/qf/meeting/room/cancel", {{"roomId", scheduled}, {"cancelType", "2"}}), 400);
    EXPECT_EQ(get("/qf/meeting/room/members", {{"roomId", roomId}, {"extra", 1}}), 400);
    EXPECT_EQ(get("/qf/meeting/room/orderAgenda", {{"isToday", "yes"}}), 400);
    EXPECT_EQ(post("/qf/client/setSharePermission",
                   {{"roomId", roomId}, {"sharePermission", "1"}, {"allowShareList", QJsonArray{}}}),
              400);
    EXPECT_EQ(post("/qf/user/info", {{"userName", QJsonArray{"新名字"}}}), 400);
    EXPECT_EQ(post("/qf/subtitle/query",
                   {{"roomId", roomId}, {"pageSize", 50}, {"timeStamp", 0}, {"isAfter", true}, {"isDesc", false}}),
              400);
    EXPECT_TRUE(service.state().room(roomId)->member("13800000001"));
    EXPECT_TRUE(service.state().scheduled.contains(scheduled));
    EXPECT_EQ(service.state().userByPhone("13800000001")->userName, agent->myInfo().userName);
    EXPECT_EQ(int(service.state().scheduled.size()), meetings);
    // What the tables say is taken.
    EXPECT_EQ(post("/qf/meeting/room/leave", {{"roomId", roomId}}), 0);
    EXPECT_FALSE(service.state().room(roomId)->member("13800000001"));
}

TEST_F(StandInStrictnessTest, SharePermission_HostOnly_AMemberGetsNoShareLock_TheHostDoes)
{
    const QString roomId = hostInRoom();
    DevUser &member = otherUser(QStringLiteral("13800000002"), QStringLiteral("李四"));
    DevRoom *room = service.state().room(roomId);
    room->members.append(DevMember{member.userId, member.userName, member.phoneNumber});
    const auto lock = [&](const QString &token) {
        std::optional<KVMResponse> reply;
        agent->http()->GET(&owner, "/qf/meeting/control/" + roomId + "/getShareLock", {},
                           {{"Authorization", token}, {"sequenceId", room->sequenceId}},
                           [&](const KVMResponse &r) { reply = r; });
        EXPECT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
        return reply.value_or(KVMResponse()).code;
    };
    const auto release = [&] { room->extra.remove(QStringLiteral("shareLock")); };
    EXPECT_EQ(lock(member.token), 0);
    release();
    const KVMResponse set = run([&](auto d) { agent->sharePermission(&owner, 2, {}, d); });
    ASSERT_TRUE(set.successed) << set.message.toStdString();
    EXPECT_NE(lock(member.token), 0);
    EXPECT_EQ(lock(agent->myInfo().authorization), 0);
}

TEST_F(StandInStrictnessTest, UploadsForHostsOnly_ALaterJoinerIsToldSo_HisPreUploadIsRefusedAndKeepsNothing)
{
    const QString roomId = hostInRoom();
    ASSERT_TRUE(run([&](auto d) { agent->fileUploadPermission(&owner, 1, roomId, d); }).successed);
    ASSERT_TRUE(signIn(QStringLiteral("13800000002")).successed);
    const KVMResponse entered = enter(roomId);
    ASSERT_TRUE(entered.successed) << entered.message.toStdString();
    EXPECT_EQ(entered.data.value<std::shared_ptr<MeetingInfoModel>>()->allowFileUpload, 0);

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("a.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("%PDF") == 4);
    file.close();
    const std::shared_ptr<KVFileSnapshot> copy = KVFileSnapshot::take(file.fileName(), nullptr);
    ASSERT_TRUE(copy);
    const auto preUpload = [&] {
        return run([&](auto d) { agent->prepareUploadFileWithfileURL(&owner, {copy}, {"id-1"}, roomId, d); });
    };
    const KVMResponse refused = preUpload();
    EXPECT_FALSE(refused.successed);
    EXPECT_EQ(refused.message, QStringLiteral("主持人已关闭您的上传权限"));
    EXPECT_TRUE(service.state().files.isEmpty());
    // What the room allows is taken.
    service.state().room(roomId)->flags.insert(QStringLiteral("uploadPermissionType"), 2);
    EXPECT_TRUE(preUpload().successed);
    EXPECT_EQ(service.state().files.size(), 1);
}

// A member sends the content of no other's file under its id and sets who operates no other's
// file; a pre-upload gives each file's size as a number. Each refusal leaves the files as they were.
TEST_F(StandInStrictnessTest, Files_AnothersFileIsNeitherReplacedNorItsRightsSet_ASizeAsTextIsRefused)
{
    const QString roomId = hostInRoom();
    QTemporaryDir dir;
    const auto copyOf = [&](const QString &name, const QByteArray &content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        return KVFileSnapshot::take(f.fileName(), nullptr);
    };
    const auto preUpload = [&](const std::shared_ptr<KVFileSnapshot> &copy) {
        const KVMResponse r =
            run([&](auto d) { agent->prepareUploadFileWithfileURL(&owner, {copy}, {"id-1"}, roomId, d); });
        EXPECT_TRUE(r.successed) << r.message.toStdString();
        return r.dataList().value(0).toMap().value("fileId").toString();
    };
    const auto upload = [&](const std::shared_ptr<KVFileSnapshot> &copy, const QString &fileId) {
        std::optional<QVariantMap> reply;
        agent->uploadFileWithfileURL(&owner, {copy}, {fileId}, roomId, {},
                                     [&](const QUrl &, bool, const QVariantMap &r, const QString &) { reply = r; });
        EXPECT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
        return reply.value_or(QVariantMap()).value("code").toInt();
    };
    const auto rights = [&](const QString &fileId) {
        return run([&](auto d) {
                   agent->fileShareOPPermission(&owner, fileId, roomId, RXEncrypt::aes128ecbEncrypt("13800000001"), "1",
                                                2, {}, d);
               })
            .code;
    };
    const auto hosts = copyOf(QStringLiteral("host.pdf"), "the host's");
    const QString hostFile = preUpload(hosts);
    ASSERT_EQ(upload(hosts, hostFile), 0);

    ASSERT_TRUE(signIn(QStringLiteral("13800000002")).successed);
    ASSERT_TRUE(enter(roomId).successed);
    const auto mine = copyOf(QStringLiteral("mine.pdf"), "a member's");
    const QString myFile = preUpload(mine);
    EXPECT_EQ(upload(mine, hostFile), 403);
    EXPECT_EQ(service.state().files.value(hostFile).content, QByteArray("the host's"));
    EXPECT_EQ(rights(hostFile), 403);
    EXPECT_FALSE(service.state().files.value(hostFile).extra.contains("enableOperationFileStatus"));
    // His own file is his to send and to set.
    EXPECT_EQ(upload(mine, myFile), 0);
    EXPECT_EQ(rights(myFile), 0);

    QJsonObject body = QJsonObject::fromVariantMap(agent->fileServiceParameters(roomId));
    const auto announce = [&](const QJsonValue &size) {
        body.insert("files",
                    QJsonArray{QJsonObject{
                        {"md5Val", mine->md5()}, {"fileName", "late.pdf"}, {"fileSize", size}, {"identity", "x"}}});
        std::optional<KVMResponse> reply;
        agent->http()->POST(&owner, "/fms/upload/preUpload", body, {{"Authorization", agent->myInfo().authorization}},
                            [&](const KVMResponse &r) { reply = r; });
        EXPECT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
        return reply.value_or(KVMResponse()).code;
    };
    const qsizetype files = service.state().files.size();
    EXPECT_EQ(announce(QStringLiteral("10")), 400);
    EXPECT_EQ(announce(10.5), 400);
    EXPECT_EQ(service.state().files.size(), files);
    EXPECT_EQ(announce(10), 0);
}

} // namespace
