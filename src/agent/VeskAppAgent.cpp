#include "agent/VeskAppAgent.h"

#include "agent/AgentLog.h"
#include "agent/AgentModelContext.h"
#include "agent/AgentRequests.h"
#include "agent/FileServiceSignature.h"
#include "agent/MainSettingModel.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/LocalEngine.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "connection/HttpManager.h"
#include "connection/KVTls.h"
#include "foundation/JXExtension.h"
#include "foundation/KVLogManager.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/UserDefaults.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingInfoModel.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>

#include <utility>

namespace {

// The invitation of a room entered by number: what the room tells, without a start time.
QString invitationFor(const MeetingInfoModel &room)
{
    MeetingDataModel meeting;
    meeting.roomId = room.roomId;
    meeting.roomName = room.roomName;
    meeting.password = room.password;
    meeting.creatorName = room.creatorName;
    return meeting.invitedMeetingContent();
}
std::unique_ptr<VeskAppAgent> &instanceSlot()
{
    // The agent's destructor clears the log manager's uploader: the manager is reached first so
    // that it outlives the slot at exit, whichever of the two a program touches first.
    KVLogManager::sharedInstance();
    static std::unique_ptr<VeskAppAgent> slot;
    return slot;
}
} // namespace

VeskAppAgent *VeskAppAgent::sharedInstance()
{
    auto &slot = instanceSlot();
    if (!slot)
        slot.reset(new VeskAppAgent());
    return slot.get();
}

VeskAppAgent *VeskAppAgent::existingInstance()
{
    return instanceSlot().get();
}

void VeskAppAgent::resetSharedInstance()
{
    instanceSlot().reset();
}

VeskAppAgent::VeskAppAgent()
{
    setServerEnvironment(AgentEnvironment::Test);

    const QVariantMap stored = UserDefaults::standardUserDefaults().dictionaryForKey(kMyInfoKey);
    if (!stored.isEmpty())
        m_myInfo = jx_objectWithKeyValues<VeskUserModel>(QVariant(stored));
    m_moreSetting = KVMoreSetting::getMoreSettingFromLocal();

    m_modelContext = std::make_unique<AgentModelContext>(this);
    ModelContext::install(m_modelContext.get());

    // The local engine's log upload goes to this service as the signed-in user.
    LocalEngine::setLogUploadAuthorization([] {
        VeskAppAgent *agent = VeskAppAgent::existingInstance();
        return agent ? agent->myInfo().authorization : QString();
    });

    // Runs on the log queue: hop to the main thread and find the agent there.
    KVLogManager::sharedInstance().setUploader([](const QString &level, const QString &line) {
        MainQueue::async([level, line] {
            if (VeskAppAgent *agent = VeskAppAgent::existingInstance())
                agent->uploadLogLine(level, line);
        });
    });
}

VeskAppAgent::~VeskAppAgent()
{
    KVLogManager::sharedInstance().setUploader({});
    LocalEngine::setLogUploadAuthorization({});
    if (&ModelContext::current() == m_modelContext.get())
        ModelContext::install(nullptr);
    // The manager reports into the agent while it leaves; let it go first.
    m_meetingManager.reset();
}

// ---- Environment ---------------------------------------------------------------------------

void VeskAppAgent::setServerEnvironment(int environment)
{
    m_environment = AgentEnvironment::forEnvironment(environment);
    http()->setBaseUrl(QUrl(m_environment.serviceAddress));
    // Only the local stand-in speaks plain http; every other environment's addresses are https.
    const bool development = m_environment.environment == AgentEnvironment::Development;
    KVTls::setPlainHttpAllowed(development);
    // A trial by hand against the stand-in may lower the download limit; no other environment can.
    HttpManager::DownloadLimits limits = http()->downloadLimits();
    const qint64 limitMb = development ? AgentEnvironment::developmentDownloadLimitMb() : 0;
    limits.maxBytes = limitMb > 0 ? limitMb * 1024 * 1024 : HttpManager::DownloadLimits{}.maxBytes;
    http()->setDownloadLimits(limits);
    qCInfo(lcAgent) << "server environment" << m_environment.environment << m_environment.serviceAddress;
}

void VeskAppAgent::setServerEnvironmentFromKVEnv(const QString &bakedInKVEnv)
{
    const QString kvEnv = AgentEnvironment::effectiveKVEnv(bakedInKVEnv);
    setServerEnvironment(AgentEnvironment::environmentForKVEnv(kvEnv, AgentEnvironment::Test));
}

QString VeskAppAgent::getUserHandlerBook() const
{
    return m_environment.webHost + QStringLiteral("/#/help?mac");
}

QString VeskAppAgent::privacy1UrlString() const
{
    return m_environment.webHost + QStringLiteral("/#/privacy1");
}

QString VeskAppAgent::privacyUrlString() const
{
    return m_environment.webHost + QStringLiteral("/#/privacy");
}

HttpManager *VeskAppAgent::http() const
{
    return HttpManager::sharedManager();
}

// ---- Signed-in user ------------------------------------------------------------------------

void VeskAppAgent::setMyInfo(const VeskUserModel &user)
{
    m_myInfo = user;
}

void VeskAppAgent::saveMyInfoToLocal()
{
    auto &defaults = UserDefaults::standardUserDefaults();
    if (m_myInfo.authorization.isEmpty() && m_myInfo.userId.isEmpty())
        defaults.removeObjectForKey(kMyInfoKey);
    else
        defaults.setObject(jx_keyValues(m_myInfo), kMyInfoKey);
    defaults.synchronize();
}

void VeskAppAgent::logout()
{
    m_myInfo = VeskUserModel();
    auto &defaults = UserDefaults::standardUserDefaults();
    defaults.removeObjectForKey(kMyInfoKey);
    KVMoreSetting::removeMoreSetting();
    m_moreSetting = KVMoreSetting();
    m_temMeetingInfoModel.reset();
    m_enteredRoom.reset();
    m_onlineUsers.clear();
    qCInfo(lcAgent) << "signed out";
    Q_EMIT signedOut();
}

void VeskAppAgent::storeSignedInUser(const QVariantMap &userDict)
{
    VeskUserModel user = jx_objectWithKeyValues<VeskUserModel>(QVariant(userDict));
    // The service sends ids encrypted; the signed-in user is kept plain.
    user.phoneNumber = RXEncrypt::aes128ecbDecrypt(user.phoneNumber);
    user.userId = RXEncrypt::aes128ecbDecrypt(user.userId);
    m_myInfo = user;
    saveMyInfoToLocal();
}

// ---- Settings and state --------------------------------------------------------------------

MainSettingModel *VeskAppAgent::settingModel()
{
    if (!m_settingModel)
        m_settingModel = new MainSettingModel(this);
    return m_settingModel;
}

void VeskAppAgent::setMeetingManager(std::unique_ptr<VeskMeetingManager> manager)
{
    m_meetingManager = std::move(manager);
}

void VeskAppAgent::setTemMeetingInfoModel(std::shared_ptr<MeetingInfoModel> room)
{
    m_temMeetingInfoModel = std::move(room);
}

void VeskAppAgent::setOnlineUsers(const QList<VeskUserModel> &users)
{
    m_onlineUsers = users;
}

std::shared_ptr<MeetingInfoModel> VeskAppAgent::currentRoomInfo() const
{
    if (m_meetingManager) {
        if (auto room = m_meetingManager->roomInfo())
            return room;
    }
    return m_enteredRoom;
}

// ---- Request plumbing ----------------------------------------------------------------------

VeskAppAgent::RoomScope VeskAppAgent::joinedRoom() const
{
    RoomScope scope;
    if (const auto room = currentRoomInfo()) {
        scope.roomId = room->roomId;
        scope.sequenceId = room->sequenceId ? QString::number(room->sequenceId) : QString();
    }
    return scope;
}

QVariantMap VeskAppAgent::authHeaders() const
{
    return {{QStringLiteral("Authorization"), m_myInfo.authorization}};
}

QVariantMap VeskAppAgent::seqHeaders(const QString &sequenceId) const
{
    QVariantMap headers = authHeaders();
    headers.insert(QStringLiteral("sequenceId"), sequenceId.isNull() ? QStringLiteral("") : sequenceId);
    return headers;
}

QVariantMap VeskAppAgent::joinedRoomHeaders() const
{
    return seqHeaders(joinedRoom().sequenceId);
}

QString VeskAppAgent::controlPath(const QString &roomId, const QString &action)
{
    return QStringLiteral("/qf/meeting/control/%1/%2").arg(roomId, action);
}

void VeskAppAgent::get(QObject *owner, const QString &path, const QVariantMap &query, const QVariantMap &headers,
                       Completion completion)
{
    // Only calls on the joined room carry its sequence.
    const QString room = headers.contains(QStringLiteral("sequenceId")) ? joinedRoom().roomId : QString();
    http()->GET(owner ? owner : this, path, query, headers,
                [self = QPointer<VeskAppAgent>(this), auth = headers.value(QStringLiteral("Authorization")).toString(),
                 room, completion = std::move(completion)](const KVMResponse &r) {
                    if (completion)
                        completion(r);
                    if (self)
                        self->checkSignIn(auth, r);
                    if (self)
                        self->checkRoomEnded(room, r, false);
                });
}

void VeskAppAgent::post(QObject *owner, const QString &path, const QVariantMap &body, const QVariantMap &headers,
                        Completion completion)
{
    const QString room = headers.contains(QStringLiteral("sequenceId")) ? joinedRoom().roomId : QString();
    http()->POST(owner ? owner : this, path, body, headers,
                 [self = QPointer<VeskAppAgent>(this), auth = headers.value(QStringLiteral("Authorization")).toString(),
                  room, completion = std::move(completion)](const KVMResponse &r) {
                     if (completion)
                         completion(r);
                     if (self)
                         self->checkSignIn(auth, r);
                     if (self)
                         self->checkRoomEnded(room, r, false);
                 });
}

bool VeskAppAgent::isSignInExpired(const KVMResponse &response)
{
    return response.code == 401 || response.httpStatus == 401;
}

void VeskAppAgent::checkSignIn(const QString &authorization, const KVMResponse &response)
{
    // A reply to a call of an earlier sign-in (or of none) says nothing about this one.
    if (authorization.isEmpty() || authorization != m_myInfo.authorization || !isSignInExpired(response) ||
        authorization == m_expiredAuthorization)
        return;
    m_expiredAuthorization = authorization;
    qCWarning(lcAgent) << "sign-in no longer valid:" << response.code << response.httpStatus;
    // Later: the reply's own handlers finish before the pages change.
    MainQueue::async(this, [this, message = response.message] { Q_EMIT signInExpired(message); });
}

void VeskAppAgent::checkRoomEnded(const QString &roomId, const KVMResponse &response, bool notFoundEnds)
{
    // A reply about a room left since says nothing about the one joined now.
    if (roomId.isEmpty() || roomId != joinedRoom().roomId)
        return;
    if (response.code == MeetingEndedCode || (notFoundEnds && response.code == NotFoundCode)) {
        qCInfo(lcAgent) << "the joined room is over:" << response.code;
        Q_EMIT joinedRoomEnded(roomId, response.message);
    }
}

void VeskAppAgent::failLater(QObject *owner, const QString &why, Completion completion)
{
    qCWarning(lcAgent) << "request not sent:" << why;
    if (!completion)
        return;
    MainQueue::async(owner ? owner : this,
                     [completion = std::move(completion), why] { completion(KVMResponse::failure(NotSentCode, why)); });
}

void VeskAppAgent::download(QObject *owner, const QString &pathOrUrl, const QVariantMap &query,
                            const QVariantMap &headers, DownloadFinish finish)
{
    const QString url = http()->resolveUrl(pathOrUrl, query).toString();
    http()->downloadFileWithUrl(
        owner ? owner : this, url, headers,
        checkedDownload(headers.value(QStringLiteral("Authorization")).toString(), std::move(finish)));
}

VeskAppAgent::DownloadFinish VeskAppAgent::checkedDownload(const QString &authorization, DownloadFinish finish)
{
    return [self = QPointer<VeskAppAgent>(this), authorization,
            finish = std::move(finish)](const QString &filePath, const DownloadError &error) {
        // Read before finish: its receiver may take the file away.
        KVMResponse answer;
        if (error.kind == DownloadError::HttpStatus) {
            answer =
                KVMResponse::failure(KVMResponse::HttpStatusCode, QStringLiteral("download refused"), error.status);
        } else if (!error.failed() && !filePath.isEmpty()) {
            // The service's refusal comes as an envelope in place of the file; a file is larger.
            constexpr qint64 kEnvelopeLimit = 64 * 1024;
            QFile file(filePath);
            if (file.size() <= kEnvelopeLimit && file.open(QIODevice::ReadOnly))
                answer = KVMResponse::fromReply(200, file.readAll());
        }
        if (finish)
            finish(filePath, error);
        if (self)
            self->checkSignIn(authorization, answer);
    };
}

// ---- Sign-in -------------------------------------------------------------------------------

void VeskAppAgent::sendSmsCodeWithPhoneNumber(QObject *owner, const QString &phoneNumber, Completion completion)
{
    post(owner, QStringLiteral("/qf/user/sendSmsCode"),
         {{QStringLiteral("phoneNumber"), RXEncrypt::aes128ecbEncrypt(phoneNumber)}}, {}, std::move(completion));
}

void VeskAppAgent::loginWithPhoneNumber(QObject *owner, const QString &phoneNumber, const QString &code,
                                        Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("phoneNumber"), RXEncrypt::aes128ecbEncrypt(phoneNumber)},
        {QStringLiteral("code"), code},
    };
    QPointer<VeskAppAgent> self(this);
    auto signedIn = [self, completion](const KVMResponse &response) {
        KVMResponse out = response;
        if (out.successed && self) {
            self->storeSignedInUser(out.dataMap());
            out.data = QVariant::fromValue(self->m_myInfo);
            qCInfo(lcAgent) << "signed in";
        }
        if (completion)
            completion(out);
    };
    QPointer<QObject> guardOwner(owner ? owner : this);
    post(owner, QStringLiteral("/qf/user/login"), body, {},
         [self, guardOwner, body, signedIn](const KVMResponse &response) {
             if (response.code == UnregisteredCode && self && guardOwner) {
                 qCInfo(lcAgent) << "first sign-in of this number: registering it";
                 self->post(guardOwner, QStringLiteral("/qf/user/register"), body, {}, signedIn);
                 return;
             }
             signedIn(response);
         });
}

// ---- Joining and leaving -------------------------------------------------------------------

void VeskAppAgent::joinMeetingRoomWithRoomId(QObject *owner, const QString &roomId, const QString &password,
                                             qint64 enterStyle, Completion completion)
{
    const QVariantMap body{
        {QStringLiteral("roomId"), roomId},
        {QStringLiteral("password"), password},
        {QStringLiteral("enterStyle"), enterStyle},
    };
    QPointer<VeskAppAgent> self(this);
    const quint64 serial = ++m_joinSerial;
    m_joinsInFlight.insert(serial, roomId);
    post(owner, QStringLiteral("/qf/meeting/room/enter"), body, authHeaders(),
         [self, completion, serial, roomId](const KVMResponse &response) {
             KVMResponse out = response;
             const bool waiting = out.code == WaitingRoomCode;
             if (self)
                 self->m_joinsInFlight.remove(serial);
             if (self && self->m_cancelledJoins.remove(serial)) {
                 // The user left the waiting room meanwhile: whatever the service let him into, he
                 // leaves it again, as a leave does.
                 if (out.successed || waiting)
                     self->post(self, QStringLiteral("/qf/meeting/room/leave"), {{QStringLiteral("roomId"), roomId}},
                                self->authHeaders(), {});
                 if (completion)
                     completion(KVMResponse::failure(JoinCancelledCode, QStringLiteral("join cancelled")));
                 return;
             }
             if ((out.successed || waiting) && out.data.typeId() == QMetaType::QVariantMap) {
                 auto room = jx_sharedObjectWithKeyValues<MeetingInfoModel>(out.data);
                 room->creatorId = RXEncrypt::aes128ecbDecrypt(room->creatorId);
                 // The room's credentials go over the channel: never in the clear when REST is TLS.
                 if (self)
                     room->imUrl = AgentEnvironment::channelAddressFor(room->imUrl, self->http()->baseUrl());
                 // The meeting window copies this; the service does not send one.
                 if (room->invitedMeetingContent.isEmpty())
                     room->invitedMeetingContent = invitationFor(*room);
                 if (self) {
                     if (waiting) {
                         self->m_temMeetingInfoModel = room;
                     } else {
                         self->m_enteredRoom = room;
                         if (self->m_temMeetingInfoModel && self->m_temMeetingInfoModel->roomId == roomId)
                             self->m_temMeetingInfoModel.reset();
                     }
                 }
                 out.data = QVariant::fromValue(room);
             }
             if (completion)
                 completion(out);
             if (self && !out.successed && !waiting)
                 Q_EMIT self->joinRefused(roomId, out.code, out.message);
         });
}

void VeskAppAgent::queryAllowEnterStatusCompletionBlock(QObject *owner, Completion completion)
{
    const auto room = m_temMeetingInfoModel;
    if (!room || room->roomId.isEmpty()) {
        failLater(owner, QStringLiteral("no waiting room"), std::move(completion));
        return;
    }
    const QString seq = room->sequenceId ? QString::number(room->sequenceId) : QString();
    post(owner, controlPath(room->roomId, QStringLiteral("member/queryAllowEnterStatus")),
         {{QStringLiteral("roomId"), room->roomId}}, seqHeaders(seq), std::move(completion));
}

void VeskAppAgent::leaveWaitRoomAction(const QString &roomId)
{
    for (auto it = m_joinsInFlight.cbegin(); it != m_joinsInFlight.cend(); ++it) {
        if (it.value() == roomId)
            m_cancelledJoins.insert(it.key());
    }
    post(this, QStringLiteral("/qf/meeting/room/leave"), {{QStringLiteral("roomId"), roomId}}, authHeaders(), {});
    if (m_meetingManager)
        m_meetingManager->leaveRoom();
}

void VeskAppAgent::leaveMeeting()
{
    const RoomScope room = joinedRoom();
    if (!room.roomId.isEmpty() && m_leaveSentFor != room.roomId) {
        m_leaveSentFor = room.roomId;
        const bool sharing =
            m_meetingManager && (m_meetingManager->selfScreenOrWindowSharing() || m_meetingManager->selfFileSharing() ||
                                 m_meetingManager->selfAVFileSharing());
        if (sharing)
            releaseShareTokenWithRoomId(this, room.roomId, {});
        // The channel's close frame waits for this answer, so the service hears the leave first.
        auto *inFlight = new QObject(this);
        m_leaveInFlight = inFlight;
        post(this, QStringLiteral("/qf/meeting/room/leave"), {{QStringLiteral("roomId"), room.roomId}}, authHeaders(),
             [inFlight = QPointer<QObject>(inFlight)](const KVMResponse &) { delete inFlight.data(); });
    }
    MainQueue::async(this, [this] { leaveRoomLocally(); });
}

void VeskAppAgent::leaveMeetingWithOutRequestMethod()
{
    MainQueue::async(this, [this] { leaveRoomLocally(); });
}

void VeskAppAgent::leaveRoomLocally()
{
    m_leaveSentFor.clear();
    QObject *leaveInFlight = std::exchange(m_leaveInFlight, nullptr);
    const RoomScope room = joinedRoom();
    if (room.roomId.isEmpty())
        return;
    // Not waiting for the reply: the user is out of the room at once.
    if (m_meetingManager) {
        m_meetingManager->leaveRoom(leaveInFlight);
        if (KRTCEngineOC *engine = m_meetingManager->engine())
            engine->resetBackgroundReplacement();
    }
    m_enteredRoom.reset();
    m_onlineUsers.clear();
}

void VeskAppAgent::endMeeting(Completion answered)
{
    const RoomScope room = joinedRoom();
    if (room.roomId.isEmpty())
        return;
    // Lists fetched meanwhile wait for the reply (afterEndAnswered).
    auto *inFlight = new QObject(this);
    m_endInFlight = inFlight;
    post(this, controlPath(room.roomId, QStringLiteral("close")), {}, seqHeaders(room.sequenceId),
         [inFlight = QPointer<QObject>(inFlight), answered = std::move(answered)](const KVMResponse &r) {
             if (answered)
                 answered(r);
             delete inFlight.data();
         });
}

void VeskAppAgent::afterEndAnswered(QObject *owner, std::function<void()> then)
{
    if (!m_endInFlight) {
        then();
        return;
    }
    connect(m_endInFlight.data(), &QObject::destroyed, owner, [then = std::move(then)] { then(); });
}

void VeskAppAgent::endMeetingWithRoomId(QObject *owner, const QString &roomId, Completion completion)
{
    post(owner, QStringLiteral("/qf/meeting/room/end"), {{QStringLiteral("roomId"), roomId}}, authHeaders(),
         std::move(completion));
}

void VeskAppAgent::cancelMeetingWithRoomId(QObject *owner, const QString &roomId, bool wholeSeries,
                                           Completion completion)
{
    post(owner, QStringLiteral("/qf/meeting/room/cancel"),
         {{QStringLiteral("roomId"), roomId}, {QStringLiteral("cancelType"), wholeSeries ? 2 : 1}}, authHeaders(),
         std::move(completion));
}

void VeskAppAgent::checkVersion(QObject *owner, Completion completion)
{
    const QVariantMap query{
        {QStringLiteral("platform"), QStringLiteral("linux")},
        {QStringLiteral("clientVersion"), settingModel()->version()},
    };
    get(owner, QStringLiteral("/qf/client/version"), query, authHeaders(), std::move(completion));
}

// ---- Helpers -------------------------------------------------------------------------------

QString VeskAppAgent::calculateMD5ForFileAtPath(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    char chunk[1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0)
            return QString();
        if (n == 0)
            break;
        hash.addData(QByteArrayView(chunk, n));
    }
    return QString::fromLatin1(hash.result().toHex());
}

QVariantMap VeskAppAgent::fileServiceParameters(const QString &roomId) const
{
    return FileServiceSignature::parameters(roomId, m_myInfo.userId, m_myInfo.authorization,
                                            QDateTime::currentSecsSinceEpoch());
}

void VeskAppAgent::uploadLogLine(const QString &level, const QString &line)
{
    if (!isSignedIn())
        return;
    const QVariantMap body{
        {QStringLiteral("level"), level},
        {QStringLiteral("content"), line},
        {QStringLiteral("userId"), RXEncrypt::aes128ecbEncrypt(m_myInfo.userId)},
        {QStringLiteral("applicationId"), m_myInfo.applicationId},
    };
    post(this, QStringLiteral("/qf/log/upload"), body, authHeaders(), {});
}

void VeskAppAgent::uploadMicOpenTime(const QString &roomId, qint64 startMs, qint64 endMs)
{
    if (!isSignedIn())
        return;
    const QVariantMap body{
        {QStringLiteral("roomId"), roomId},
        {QStringLiteral("userId"), RXEncrypt::aes128ecbEncrypt(m_myInfo.userId)},
        {QStringLiteral("startTime"), startMs},
        {QStringLiteral("endTime"), endMs},
        {QStringLiteral("seconds"), (endMs - startMs) / 1000},
    };
    post(this, QStringLiteral("/qf/statistics/micOpenTime"), body, authHeaders(), {});
}
