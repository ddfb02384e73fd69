#include "agent/VeskMeetingManager.h"

#include "agent/EngineEventAdapter.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager_p.h"
#include "agent/engine/KRTCEngineFactory.h"
#include "agent/engine/KRTCEngineOC.h"
#include "connection/IMEngine.h"
#include "connection/IMMessage.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"

#include <QDateTime>
#include <QUrl>

using namespace std::chrono_literals;

Q_LOGGING_CATEGORY(lcMeetingManager, "korvi.agent.meeting")

namespace {
// The engine's reconnect watch: one tick a second, given up after 30.
constexpr auto kReconnectTick = 1s;
constexpr int kReconnectTicks = 30;

VeskUserModel myInfo()
{
    auto *agent = VeskAppAgent::existingInstance();
    return agent ? agent->myInfo() : VeskUserModel{};
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Private

VeskMeetingManager::Private::Private(VeskMeetingManager *owner)
    : q(owner), waitQueue(std::make_unique<OperationQueue>(QStringLiteral("waitMemberQueue"), 1)),
      levelQueue(std::make_unique<OperationQueue>(QStringLiteral("soundLevelQueue"), 1))
{
}

VeskMeetingManager::Private::~Private()
{
    waitQueue.reset();
    levelQueue.reset();
    if (adapter)
        adapter->detach();
    if (engine) {
        engine->setDelegate({});
        engine->leaveRoom();
    }
    if (im) {
        im->setDelegate(nullptr);
        im->close();
    }
}

QString VeskMeetingManager::Private::ownPeerId() const
{
    if (!joinedPeerId.isEmpty())
        return joinedPeerId;
    return RXEncrypt::aes128ecbEncrypt(myInfo().phoneNumber);
}

std::shared_ptr<MeetingMemberModel> VeskMeetingManager::Private::member(const QString &id) const
{
    if (id.isEmpty())
        return {};
    if (auto found = members.value(id))
        return found;
    // A plain phone number names the member by its peer id.
    return members.value(RXEncrypt::aes128ecbEncrypt(id));
}

void VeskMeetingManager::Private::scheduleMemberChange()
{
    if (membersDirty)
        return;
    membersDirty = true;
    // Events of one burst (a join brings everybody already there) make one list.
    MainQueue::async(q, [this] { flushMembers(); });
}

void VeskMeetingManager::Private::flushMembers()
{
    if (!membersDirty)
        return;
    membersDirty = false;
    MeetingMemberList list;
    list.reserve(memberOrder.size());
    QList<VeskUserModel> online;
    online.reserve(memberOrder.size());
    for (const QString &id : std::as_const(memberOrder)) {
        const auto &m = members.value(id);
        list.append(m);
        if (!m->isSelf())
            online.append(static_cast<const VeskUserModel &>(*m));
    }
    if (auto *agent = VeskAppAgent::existingInstance())
        agent->setOnlineUsers(online);
    if (VeskRoomDelegate *delegate = room.get())
        delegate->onMemberChange(list);
}

void VeskMeetingManager::Private::setRenderDelegate(VeskRoomDelegate *delegate)
{
    QObject::disconnect(renderOwnerWatch);
    {
        std::unique_lock lock(renderMutex);
        renderDelegate = delegate;
    }
    if (QObject *owner = room.owner()) {
        // A window destroyed without clearing itself stops getting frames as it goes.
        renderOwnerWatch = QObject::connect(owner, &QObject::destroyed, q, [this] {
            std::unique_lock lock(renderMutex);
            renderDelegate = nullptr;
        });
    }
}

void VeskMeetingManager::Private::renderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType)
{
    // Held shared while the window draws, so clearing the delegate waits for the frame in hand.
    std::shared_lock lock(renderMutex);
    if (renderDelegate)
        renderDelegate->onRender(peerId, frame, sourceType);
}

void VeskMeetingManager::Private::memberLine(qint64 type, const std::shared_ptr<MeetingMemberModel> &m)
{
    // Join and leave lines of the chat are made here (types 7 and 8).
    IMMessage line;
    line.type = type;
    line.sender = m->userId;
    line.senderName = m->userName;
    line.data = QStringList{QString()};
    // Not a reason to send the member list early: a burst of joins keeps making one list.
    if (VeskRoomDelegate *delegate = room.get())
        delegate->receiveMessage(line);
}

std::shared_ptr<MeetingMemberModel> VeskMeetingManager::Private::addMember(const QString &peerId,
                                                                           const QString &userName, bool announce)
{
    if (auto existing = members.value(peerId)) {
        if (!userName.isEmpty() && existing->userName != userName) {
            existing->userName = userName;
            existing->rebuildTiles();
            scheduleMemberChange();
        }
        return existing;
    }
    VeskUserModel user;
    user.phoneNumber = peerId;
    user.userId = RXEncrypt::aes128ecbDecrypt(peerId);
    user.userName = userName;
    auto m = std::make_shared<MeetingMemberModel>(user, policy);
    m->setEnterDate(QDateTime::currentDateTimeUtc());
    m->setIsSelf(peerId == ownPeerId());
    m->setIsAssistantHost(std::any_of(assistantsList.cbegin(), assistantsList.cend(),
                                      [&](const QString &a) { return RXEncrypt::aes128ecbDecrypt(a) == m->userId; }));
    members.insert(peerId, m);
    if (m->isSelf())
        memberOrder.prepend(peerId);
    else
        memberOrder.append(peerId);
    scheduleMemberChange();
    if (announce)
        memberLine(7, m);
    return m;
}

void VeskMeetingManager::Private::engineJoinResult(bool success, int code, const QString &message)
{
    if (state != StateJoining)
        return; // left (or joined) meanwhile
    if (!success) {
        qCWarning(lcMeetingManager) << "engine join failed" << code << message;
        toRoom([](VeskRoomDelegate &d) { d.onJoinRoomSuccess(false); });
        q->setState(StateIdle);
        return;
    }
    // A room without a channel address has no channel to open: trying would only fail and retry.
    if (im && roomInfo && roomInfo->imUrl.isEmpty())
        qCWarning(lcMeetingManager) << "no usable message-channel address; the room runs without chat";
    if (im && roomInfo && !roomInfo->imUrl.isEmpty()) {
        const VeskUserModel me = myInfo();
        KVChannelParams params;
        params.address = QUrl(roomInfo->imUrl);
        params.roomId = roomInfo->roomId;
        params.userId = me.userId;
        params.exp = roomInfo->exp;
        params.ctime = roomInfo->ctime;
        params.signature = roomInfo->signature;
        params.authorization = me.authorization;
        im->connectToRoom(params);
    }
    toRoom([](VeskRoomDelegate &d) { d.onJoinRoomSuccess(true); });
}

void VeskMeetingManager::Private::engineRoomEvent(int eventCode, const QString &peerId)
{
    if (state == StateIdle)
        return;
    if (eventCode != KRTCRoomEvent::SelfJoined || peerId != ownPeerId())
        return;
    addMember(peerId, myInfo().userName, false);
    stopReconnectWatch();
    q->setState(StateInRoom);
    toRoom([](VeskRoomDelegate &d) { d.selfJoinRoomSuccess(); });
}

void VeskMeetingManager::Private::engineMemberJoined(const QString &peerId, const QString &userName)
{
    if (state == StateIdle || peerId.isEmpty())
        return;
    const bool known = members.contains(peerId);
    addMember(peerId, userName, !known && peerId != ownPeerId());
}

void VeskMeetingManager::Private::engineMemberLeft(const QString &peerId)
{
    if (state == StateIdle)
        return;
    auto m = members.take(peerId);
    streamAudio.remove(peerId);
    if (!m)
        return;
    memberOrder.removeOne(peerId);
    scheduleMemberChange();
    memberLine(8, m);
}

void VeskMeetingManager::Private::engineStream(const QString &peerId, qint64 sourceType, bool published, bool hasAudio,
                                               bool hasVideo)
{
    if (state == StateIdle)
        return;
    auto m = members.value(peerId);
    if (!m) {
        if (!published)
            return;
        m = addMember(peerId, QString(), true);
    }
    switch (sourceType) {
    case KRTCSourceType::Audio: {
        StreamAudio &audio = streamAudio[peerId];
        audio.audioOnly = published && hasAudio;
        m->setAudioFlag(audio.audioOnly || audio.camera);
        break;
    }
    case KRTCSourceType::Camera: {
        // The camera stream carries the microphone too: published again without audio, the
        // microphone went off while the camera stays on.
        StreamAudio &audio = streamAudio[peerId];
        audio.camera = published && hasAudio;
        m->setVideoFlag(published && hasVideo);
        m->setAudioFlag(audio.audioOnly || audio.camera);
        break;
    }
    case KRTCSourceType::Share:
        m->setShareFlag(published ? 1 : 0);
        if (published && ownSharePending && peerId == ownPeerId()) {
            ownSharePending = false;
            toRoom([peerId](VeskRoomDelegate &d) { d.consumerShareStarted(peerId); });
        }
        break;
    case KRTCSourceType::CustomVideo:
        m->setCustomVideoFlag(published && hasVideo);
        m->setCustomAudioFlag(published && hasAudio);
        break;
    default:
        return;
    }
    scheduleMemberChange();
}

void VeskMeetingManager::Private::engineStatistics(const KRTCStatistics &stats)
{
    static const QString names[] = {
        QStringLiteral("NETWORKMONITORNOTILOCALAUDIO"), QStringLiteral("NETWORKMONITORNOTILOCALVIDEO"),
        QStringLiteral("NETWORKMONITORNOTIAUDIO"), QStringLiteral("NETWORKMONITORNOTIVIDEO")};
    const int kind = int(stats.kind);
    if (kind < 0 || kind > 3)
        return;
    auto &center = NotificationCenter::defaultCenter();
    center.post(names[kind], QVariant::fromValue(stats));
    toRoom([stats](VeskRoomDelegate &d) {
        switch (stats.kind) {
        case KRTCStatsKind::LocalAudio:
            d.onLocalAudioStats(stats);
            break;
        case KRTCStatsKind::LocalVideo:
            d.onLocalVideoStats(stats);
            break;
        case KRTCStatsKind::RemoteAudio:
            d.onRemoteAudioStats(stats);
            break;
        case KRTCStatsKind::RemoteVideo:
            d.onRemoteVideoStats(stats);
            break;
        }
    });

    const NetworkRating::Outcome out = rating.addStatistics(stats, KVClock::current().nowMs());
    if (out.levelChanged)
        center.post(QStringLiteral("MEETINGNETWORKSTATE"), {},
                    QVariantMap{{QStringLiteral("NetworkState"), out.level}});
    if (out.networkWarning)
        center.post(QStringLiteral("MEETINGNETWORKWARNNING"));
    if (out.qosWarning)
        center.post(QStringLiteral("MEETINGQOSWARNNING"));
}

void VeskMeetingManager::Private::engineReconnecting()
{
    if (state != StateInRoom && state != StateReconnecting)
        return;
    q->setState(StateReconnecting);
    if (reconnectTimer)
        return;
    // Nothing reaches us while the server is gone: the network icon says so instead of keeping
    // the last good rating.
    if (const NetworkRating::Outcome out = rating.connectionLost(); out.levelChanged)
        NotificationCenter::defaultCenter().post(QStringLiteral("MEETINGNETWORKSTATE"), {},
                                                 QVariantMap{{QStringLiteral("NetworkState"), out.level}});
    reconnectTicks = 0;
    reconnectTimer = KVTimer::repeating(q, kReconnectTick, [this] {
        if (++reconnectTicks >= kReconnectTicks)
            reconnectGaveUp();
    });
}

void VeskMeetingManager::Private::engineReconnected()
{
    if (state != StateReconnecting)
        return;
    stopReconnectWatch();
    if (const NetworkRating::Outcome out = rating.connectionRestored(); out.levelChanged)
        NotificationCenter::defaultCenter().post(QStringLiteral("MEETINGNETWORKSTATE"), {},
                                                 QVariantMap{{QStringLiteral("NetworkState"), out.level}});
    q->setState(StateInRoom);
}

void VeskMeetingManager::Private::reconnectGaveUp()
{
    stopReconnectWatch();
    if (state == StateIdle || state == StateReconnectFailed)
        return;
    qCWarning(lcMeetingManager) << "engine reconnect given up";
    q->setState(StateReconnectFailed);
    toRoom([](VeskRoomDelegate &d) { d.reconnectOutTimes(); });
}

void VeskMeetingManager::Private::stopReconnectWatch()
{
    if (reconnectTimer)
        reconnectTimer->invalidate();
    reconnectTimer.clear();
    reconnectTicks = 0;
}

void VeskMeetingManager::Private::engineOverLimit(Limit limit)
{
    if (state == StateIdle)
        return;
    switch (limit) {
    case Limit::Video:
        toRoom([](VeskRoomDelegate &d) { d.videoOverLimit(); });
        break;
    case Limit::Audio:
        // The service refused one more open microphone: the window reads this 0.8 s after
        // opening and must not report the microphone as on.
        openMicStatusExc = true;
        toRoom([](VeskRoomDelegate &d) { d.audioOverLimit(); });
        break;
    case Limit::Member:
        toRoom([](VeskRoomDelegate &d) { d.memberOverLimit(); });
        break;
    }
}

void VeskMeetingManager::Private::engineScreenShareFinished(int reason)
{
    if (state == StateIdle)
        return;
    qCInfo(lcMeetingManager) << "own screen share ended by itself" << reason;
    selfScreenOrWindowSharing = false;
    ownSharePending = false;
    applyConfig(ownPeerId(), QStringLiteral("share"), 0);
    const QString peer = ownPeerId();
    toRoom([peer, reason](VeskRoomDelegate &d) { d.consumerShareFinsh(peer, reason); });
}

// --- message channel --------------------------------------------------------------------------

void VeskMeetingManager::Private::receiveMessage(const IMMessage &message)
{
    // Acknowledged first, so the service stops resending whatever the window does with it.
    if (im)
        im->ackMessage(message);
    toRoom([message](VeskRoomDelegate &d) { d.receiveMessage(message); });
}

void VeskMeetingManager::Private::receiveHeartbeatAck(const IMMessage &message)
{
    toRoom([message](VeskRoomDelegate &d) { d.receiveHeartbeatAck(message); });
}

void VeskMeetingManager::Private::otherDeviceLogin()
{
    toRoom([](VeskRoomDelegate &d) { d.otherDeviceLogin(); });
}

void VeskMeetingManager::Private::hostMoveConsumerToWaitRoom()
{
    toRoom([](VeskRoomDelegate &d) { d.hostMoveConsumerToWaitRoom(); });
}

void VeskMeetingManager::Private::onRoomClosed(const QString &reason)
{
    toRoom([reason](VeskRoomDelegate &d) { d.onRoomClosed(reason); });
}

void VeskMeetingManager::Private::imEngineDidDisconnect()
{
    // The service ended the channel for good (1000) while we were in the meeting: the meeting
    // is over.
    if (state == StateIdle)
        return;
    toRoom([](VeskRoomDelegate &d) { d.onRoomClosed(); });
}

void VeskMeetingManager::Private::resetMeeting()
{
    stopReconnectWatch();
    cancelDeferredMicClose();
    levelQueue->cancelAllOperations();
    pendingLevels.clear();
    pendingLevelAt.clear();
    levelsQueued = false;
    ++levelRound;
    members.clear();
    memberOrder.clear();
    streamAudio.clear();
    membersDirty = false;
    // Waiting-list changes still queued belong to the meeting that ends here: dropped, and the
    // one running finishes before the list is emptied, so none lands in the next meeting.
    waitQueue->cancelAllOperations();
    waitQueue->waitUntilAllOperationsAreFinished();
    {
        std::lock_guard lock(waitMutex);
        waitList.clear();
    }
    ringRecords.clear();
    seenMessages.clear();
    joinedPeerId.clear();
    selfScreenOrWindowSharing = false;
    ownSharePending = false;
    selfFileSharing = false;
    selfAVFileSharing = false;
    shareStyleIsFile = false;
    didOtherOpenCamera = false;
    micDidOpen = false;
    currentCameraOn = false;
    openMicStatusExc = false;
    resetOnlyAudio = false;
    policy->isOnlyAudio.store(false);
    micOpenedAtMs = -1;
    rating.reset();
}

// ---------------------------------------------------------------------------------------------
// VeskMeetingManager

VeskMeetingManager::VeskMeetingManager(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this)) {}

VeskMeetingManager::~VeskMeetingManager()
{
    QObject::disconnect(d->renderOwnerWatch);
    // Queued waiting-list changes reach into d: none may run once it starts going.
    d->waitQueue->cancelAllOperations();
    d->levelQueue->cancelAllOperations();
    waitForQueues();
    d.reset();
}

std::unique_ptr<VeskMeetingManager> VeskMeetingManager::initManagerAndSdk()
{
    return std::make_unique<VeskMeetingManager>();
}

void VeskMeetingManager::setDelegate(VeskRoomDelegate *delegate, QObject *owner)
{
    d->room.set(delegate, owner);
    d->setRenderDelegate(delegate);
}

void VeskMeetingManager::setAssistantsDelegate(VeskMemeberAssistantsDelegate *delegate, QObject *owner)
{
    d->assistants.set(delegate, owner);
}

void VeskMeetingManager::setRedPointDelegate(VeskRedPointDelegate *delegate, QObject *owner)
{
    d->redPoint.set(delegate, owner);
}

void VeskMeetingManager::setWaitMemberDelegate(VeskMemberWaitRoomDelegate *delegate, QObject *owner)
{
    d->waitMember.set(delegate, owner);
}

std::shared_ptr<MeetingInfoModel> VeskMeetingManager::roomInfo() const
{
    return d->roomInfo;
}
KRTCEngineOC *VeskMeetingManager::engine() const
{
    return d->engine.get();
}
IMEngine *VeskMeetingManager::imEngine() const
{
    return d->im.get();
}
qint64 VeskMeetingManager::state() const
{
    return d->state;
}

void VeskMeetingManager::setState(qint64 state)
{
    if (!MainQueue::isMainThread()) {
        // The window touches views on a state change: the change moves to the main thread.
        MainQueue::async(this, [this, state] { setState(state); });
        return;
    }
    if (d->state == state)
        return;
    d->state = state;
    d->toRoom([state](VeskRoomDelegate &delegate) { delegate.onRoomStateChanged(state); });
}

bool VeskMeetingManager::asssitantHost() const
{
    return d->asssitantHost;
}
void VeskMeetingManager::setAsssitantHost(bool on)
{
    d->asssitantHost = on;
}
QStringList VeskMeetingManager::asssitantRecordArray() const
{
    return d->assistantsList;
}
QVariantList VeskMeetingManager::metaMembersArray() const
{
    return d->metaMembers;
}

QList<IMSystemSubMessage> VeskMeetingManager::waitRoomMemberArray() const
{
    std::lock_guard lock(d->waitMutex);
    return d->waitList;
}

QStringList VeskMeetingManager::ringRecordArray() const
{
    return d->ringRecords;
}

MeetingMemberList VeskMeetingManager::memberList() const
{
    MeetingMemberList list;
    list.reserve(d->memberOrder.size());
    for (const QString &id : std::as_const(d->memberOrder))
        list.append(d->members.value(id));
    return list;
}

std::shared_ptr<MeetingMemberModel> VeskMeetingManager::memberForId(const QString &id) const
{
    return d->member(id);
}

bool VeskMeetingManager::selfScreenOrWindowSharing() const
{
    return d->selfScreenOrWindowSharing;
}
void VeskMeetingManager::setSelfScreenOrWindowSharing(bool on)
{
    d->selfScreenOrWindowSharing = on;
}
bool VeskMeetingManager::selfFileSharing() const
{
    return d->selfFileSharing;
}
void VeskMeetingManager::setSelfFileSharing(bool on)
{
    d->selfFileSharing = on;
}
bool VeskMeetingManager::selfAVFileSharing() const
{
    return d->selfAVFileSharing;
}
void VeskMeetingManager::setSelfAVFileSharing(bool on)
{
    d->selfAVFileSharing = on;
}
bool VeskMeetingManager::shareStyleIsFile() const
{
    return d->shareStyleIsFile;
}
void VeskMeetingManager::setShareStyleIsFile(bool on)
{
    d->shareStyleIsFile = on;
}
bool VeskMeetingManager::didOtherOpenCamera() const
{
    return d->didOtherOpenCamera;
}
void VeskMeetingManager::setDidOtherOpenCamera(bool on)
{
    d->didOtherOpenCamera = on;
}
bool VeskMeetingManager::micDidOpen() const
{
    return d->micDidOpen;
}
bool VeskMeetingManager::currentCameraOn() const
{
    return d->currentCameraOn;
}
bool VeskMeetingManager::openMicStatusExc() const
{
    return d->openMicStatusExc;
}
void VeskMeetingManager::setOpenMicStatusExc(bool on)
{
    d->openMicStatusExc = on;
}
bool VeskMeetingManager::notRemindHighCpuAgain() const
{
    return d->notRemindHighCpuAgain;
}
void VeskMeetingManager::setNotRemindHighCpuAgain(bool on)
{
    d->notRemindHighCpuAgain = on;
}
bool VeskMeetingManager::noloogerShowNetWorkPopView() const
{
    return d->noloogerShowNetWorkPopView;
}
void VeskMeetingManager::setNoloogerShowNetWorkPopView(bool on)
{
    d->noloogerShowNetWorkPopView = on;
}
bool VeskMeetingManager::respondCoundownRuning() const
{
    return d->respondCoundownRuning;
}
void VeskMeetingManager::setRespondCoundownRuning(bool on)
{
    d->respondCoundownRuning = on;
}
bool VeskMeetingManager::isOnlyAudioAllowScreenShare() const
{
    return d->policy->isOnlyAudioAllowScreenShare.load();
}
void VeskMeetingManager::setIsOnlyAudioAllowScreenShare(bool on)
{
    d->policy->isOnlyAudioAllowScreenShare.store(on);
}
bool VeskMeetingManager::isOnlyAudio() const
{
    return d->policy->isOnlyAudio.load();
}
bool VeskMeetingManager::resetOnlyAudio() const
{
    return d->resetOnlyAudio;
}

// --- joining and leaving ------------------------------------------------------------------------

void VeskMeetingManager::joinRoomWith(std::shared_ptr<MeetingInfoModel> room)
{
    if (!room)
        return;
    d->roomInfo = std::move(room);
    if (!d->engine) {
        const QUrl signal(d->roomInfo->signalUrl);
        KRTCEngineConfig config;
        config.domain = signal.host();
        config.secure = signal.scheme() == QLatin1String("wss") || signal.scheme() == QLatin1String("https");
        config.port = signal.port(config.secure ? 443 : 80);
        config.appId = myInfo().applicationId;
        config.reconnectTimes = -1;
        d->engine = KRTCEngineFactory::create(config);
        if (!d->engine)
            qCWarning(lcMeetingManager) << "no media engine";
    }
    if (!d->im) {
        d->im = std::make_unique<IMEngine>();
        d->im->setDelegate(d.get());
    }
}

void VeskMeetingManager::joinRoom()
{
    if (!d->roomInfo || !d->engine) {
        qCWarning(lcMeetingManager) << "joinRoom without a prepared room";
        return;
    }
    if (d->adapter)
        d->adapter->detach();
    d->resetMeeting();
    const VeskUserModel me = myInfo();
    d->joinedPeerId = RXEncrypt::aes128ecbEncrypt(me.phoneNumber);
    d->adapter = std::make_shared<EngineEventAdapter>(this);
    d->engine->setDelegate(d->adapter);
    setState(StateJoining);

    KRTCJoinAuthority authority;
    authority.appId = me.applicationId;
    authority.token = d->roomInfo->token;
    KRTCJoinConfig config;
    config.roomId = d->roomInfo->roomId;
    config.peerId = d->joinedPeerId;
    config.userName = me.userName;
    const int result = d->engine->joinRoom(authority, config);
    if (result != 0) {
        qCWarning(lcMeetingManager) << "engine refused the join" << result;
        d->toRoom([](VeskRoomDelegate &delegate) { delegate.onJoinRoomSuccess(false); });
        setState(StateIdle);
    }
}

void VeskMeetingManager::leaveRoom(QObject *closeChannelAfter)
{
    if (d->adapter) {
        d->adapter->detach();
        d->adapter.reset();
    }
    if (d->engine) {
        d->engine->setDelegate({});
        d->engine->leaveRoom();
    }
    if (d->im)
        d->im->close(closeChannelAfter);
    d->resetMeeting();
    // The hosts' helpers belong to the meeting left; the next one asks again before it joins,
    // so this is cleared here and not when joining.
    d->assistantsList.clear();
    d->metaMembers.clear();
    d->asssitantHost = false;
    if (auto *agent = VeskAppAgent::existingInstance())
        agent->setOnlineUsers({});
    d->roomInfo.reset();
    setState(StateIdle);
}

void VeskMeetingManager::waitForQueues()
{
    d->waitQueue->waitUntilAllOperationsAreFinished();
    d->levelQueue->waitUntilAllOperationsAreFinished();
}
