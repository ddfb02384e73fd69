// The meeting-control calls of the agent: host actions, own configuration, recording,
// count-downs, subtitles.
#include "agent/AgentRequests.h"
#include "agent/VeskAppAgent.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/KVSubTitleListModel.h"
#include "foundation/models/MeetingHostModel.h"
#include "foundation/models/MeetingInfoModel.h"

using AgentRequests::flag;
using AgentRequests::toList;

void VeskAppAgent::getAssistanthostInfoWith(QObject *owner, const QString &roomId, Completion completion)
{
    get(owner, QStringLiteral("/qf/meeting/room/hostInfo"), {{QStringLiteral("roomId"), roomId}}, authHeaders(),
        AgentRequests::model<MeetingHostModel>(std::move(completion)));
}

void VeskAppAgent::updateSelfMeetingConfigWithCameraStatus(QObject *owner, const QString &cameraStatus,
                                                           const QString &micStatus, const QString &myLanguage,
                                                           Completion completion)
{
    QVariantMap body;
    if (!cameraStatus.isNull())
        body.insert(QStringLiteral("cameraStatus"), cameraStatus);
    if (!micStatus.isNull())
        body.insert(QStringLiteral("micStatus"), micStatus);
    if (!myLanguage.isNull())
        body.insert(QStringLiteral("myLan"), myLanguage);
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("member/config")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::onRecordVideoCompletionBlock(QObject *owner, Completion completion)
{
    const RoomScope room = joinedRoom();
    get(owner, controlPath(room.roomId, QStringLiteral("onDvr")), {}, seqHeaders(room.sequenceId),
        std::move(completion));
}

void VeskAppAgent::offRecordVideoCompletionBlock(QObject *owner, Completion completion)
{
    const RoomScope room = joinedRoom();
    get(owner, controlPath(room.roomId, QStringLiteral("offDvr")), {}, seqHeaders(room.sequenceId),
        std::move(completion));
}

void VeskAppAgent::switchMicWithAct(QObject *owner, qint64 act, const QStringList &target, Completion completion)
{
    const auto info = currentRoomInfo();
    const QVariantMap body{
        {QStringLiteral("act"), act},
        {QStringLiteral("target"), toList(target)},
        {QStringLiteral("micAllowStatus"), flag(info && info->micAllowStatus)},
    };
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("switch/mic")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::switchAllMicWithAct(QObject *owner, qint64 act, const QStringList &target, qint64 micAllowStatus,
                                       Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("act"), act},
        {QStringLiteral("target"), toList(target)},
        {QStringLiteral("micAllowStatus"), micAllowStatus},
    };
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("switch/mic")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::handleConsumerAllOpenCamera(QObject *owner, qint64 act, const QStringList &target,
                                               qint64 cameraAllowStatus, Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("act"), act},
        {QStringLiteral("target"), toList(target)},
        {QStringLiteral("cameraAllowStatus"), cameraAllowStatus},
    };
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("switch/cam")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::allowMemberOpenByselfCompletionBlock(QObject *owner, Completion completion)
{
    const RoomScope room = joinedRoom();
    get(owner, controlPath(room.roomId, QStringLiteral("allowUserOpenMic")), {}, seqHeaders(room.sequenceId),
        std::move(completion));
}

void VeskAppAgent::allowMemberOpenCameraByselfCompletionBlock(QObject *owner, Completion completion)
{
    const RoomScope room = joinedRoom();
    get(owner, controlPath(room.roomId, QStringLiteral("allowUserOpenCamera")), {}, seqHeaders(room.sequenceId),
        std::move(completion));
}

void VeskAppAgent::assginMember(QObject *owner, const QStringList &phoneNumbers, bool backupHost, Completion completion)
{
    QVariantList targets;
    for (const QString &phone : phoneNumbers)
        targets.append(RXEncrypt::aes128ecbEncrypt(phone));
    const QVariantMap body{
        {QStringLiteral("targets"), targets},
        {QStringLiteral("assistant"), backupHost},
    };
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("setRoomAssistant")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::memberMoveIntoWaitingRoom(QObject *owner, const QStringList &target, Completion completion)
{
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("setRoomMemberWaitStatus")),
         {{QStringLiteral("target"), toList(target)}}, seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::memberMoveOutfromMeetingRoom(QObject *owner, const QStringList &target, bool forbid,
                                                Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("target"), toList(target)},
        {QStringLiteral("forbidEnterStatus"), flag(forbid)},
    };
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("removeMember")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::agreeEnterInmeeting(QObject *owner, const QStringList &target, Completion completion)
{
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("allowMemberEnter")),
         {{QStringLiteral("target"), toList(target)}}, seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::readWaitMemberSingle(QObject *owner, const QStringList &target, Completion completion)
{
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("readWaitMember")),
         {{QStringLiteral("target"), toList(target)}}, seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::meetingWaitingRoom(QObject *owner, bool on, Completion completion)
{
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("setRoomWaitStatus")),
         {{QStringLiteral("roomWaitStatus"), flag(on)}}, seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::meetingLockStatus(QObject *owner, bool on, Completion completion)
{
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("switch/lock")), {{QStringLiteral("roomLockStatus"), flag(on)}},
         seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::switchIM(QObject *owner, qint64 imAllowStatus, Completion completion)
{
    const RoomScope room = joinedRoom();
    const QVariantMap body{
        {QStringLiteral("roomId"), room.roomId},
        {QStringLiteral("imAllowStatus"), imAllowStatus},
    };
    post(owner, controlPath(room.roomId, QStringLiteral("switch/im")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::hostHandleOpenTranscribe(QObject *owner, bool openTranslateText, bool allowMemberViewRecord,
                                            Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("openTranslateText"), flag(openTranslateText)},
        {QStringLiteral("roomTranscribeStatus"), flag(allowMemberViewRecord)},
    };
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("switch/transcribe")), body, seqHeaders(room.sequenceId),
         std::move(completion));
}

void VeskAppAgent::requstCountDownInfoCompletionBlock(QObject *owner, Completion completion)
{
    post(owner, QStringLiteral("/qf/meeting/room/queryCountdown"), {{QStringLiteral("roomId"), joinedRoom().roomId}},
         authHeaders(), std::move(completion));
}

void VeskAppAgent::hostStartnewCountDownWith(QObject *owner, qint64 countdownMs, Completion completion)
{
    const RoomScope room = joinedRoom();
    post(owner, controlPath(room.roomId, QStringLiteral("countdownStart")),
         {{QStringLiteral("countdown"), countdownMs}}, seqHeaders(room.sequenceId), std::move(completion));
}

void VeskAppAgent::hostTerminalCountDownCompletionBlock(QObject *owner, Completion completion)
{
    const RoomScope room = joinedRoom();
    // Out of the room there is nothing to stop: a path without a room is no request.
    if (room.roomId.isEmpty()) {
        failLater(owner, QStringLiteral("count-down stop without a room"), std::move(completion));
        return;
    }
    post(owner, controlPath(room.roomId, QStringLiteral("countdownStop")), {{QStringLiteral("roomId"), room.roomId}},
         seqHeaders(room.sequenceId), std::move(completion));
}

// ---- Subtitles -----------------------------------------------------------------------------

void VeskAppAgent::querySubTitleListWithRoomId(QObject *owner, const QString &roomId, qint64 timeStamp, bool isAfter,
                                               bool isDesc, Completion completion)
{
    // A completion that never ran would leave the caller's loading toast up.
    if (roomId.isEmpty()) {
        failLater(owner, QStringLiteral("subtitle query without a room"), std::move(completion));
        return;
    }
    const QVariantMap body{
        {QStringLiteral("roomId"), roomId},       {QStringLiteral("pageSize"), QStringLiteral("50")},
        {QStringLiteral("timeStamp"), timeStamp}, {QStringLiteral("isAfter"), isAfter},
        {QStringLiteral("isDesc"), isDesc},
    };
    post(owner, QStringLiteral("/qf/subtitle/query"), body, authHeaders(),
         AgentRequests::model<KVSubTitleListModel>(std::move(completion)));
}

void VeskAppAgent::querySubTitleKeyTimesWithRoomId(QObject *owner, const QString &roomId, const QString &key,
                                                   Completion completion)
{
    get(owner, QStringLiteral("/qf/subtitle/total"),
        {{QStringLiteral("roomId"), roomId}, {QStringLiteral("querStr"), key}}, authHeaders(), std::move(completion));
}

void VeskAppAgent::downloadSubTitleFileWithRoomId(QObject *owner, const QString &roomId, DownloadFinish finish)
{
    download(owner, QStringLiteral("/qf/subtitle/download"), {{QStringLiteral("roomId"), roomId}}, authHeaders(),
             std::move(finish));
}
