#pragma once

// Inside of VeskMeetingManager, shared by its source files and the engine adapter.

#include "agent/MeetingMemberModel.h"
#include "agent/NetworkRating.h"
#include "agent/VeskMeetingManager.h"
#include "agent/VeskMemberWaitRoomDelegate.h"
#include "agent/VeskMemeberAssistantsDelegate.h"
#include "agent/VeskRedPointDelegate.h"
#include "agent/VeskRoomDelegate.h"
#include "connection/IMEngineDelegate.h"
#include "connection/IMSystemSubMessage.h"
#include "foundation/MainQueue.h"
#include "foundation/OperationQueue.h"
#include "foundation/models/MeetingInfoModel.h"

#include <QHash>
#include <QLoggingCategory>
#include <QPointer>
#include <QSet>

#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcMeetingManager)

class EngineEventAdapter;
class IMEngine;
class KRTCEngineOC;
class KVTimer;

// A delegate held weakly: with an owner (the delegate itself when it is a QObject) it answers
// nullptr once the owner is destroyed. Main thread.
template <class T> class WeakDelegate {
public:
    void set(T *delegate, QObject *owner)
    {
        m_ptr = delegate;
        m_owner = owner ? owner : dynamic_cast<QObject *>(delegate);
        m_guarded = delegate && m_owner;
    }
    [[nodiscard]] T *get() const
    {
        if (!m_ptr || (m_guarded && !m_owner))
            return nullptr;
        return m_ptr;
    }
    [[nodiscard]] QObject *owner() const { return m_owner; }

private:
    T *m_ptr = nullptr;
    QPointer<QObject> m_owner;
    bool m_guarded = false;
};

class VeskMeetingManager::Private final : public IMEngineDelegate {
public:
    explicit Private(VeskMeetingManager *q);
    ~Private() override;

    enum class Limit { Video, Audio, Member };

    // --- delivery (main thread) ---
    // Runs fn with the room delegate, after any pending member list, on the main thread.
    template <class Fn> void toRoom(Fn fn);
    template <class T, class Fn> void toDelegate(WeakDelegate<T> &which, Fn fn);
    void scheduleMemberChange();
    void flushMembers();

    // --- engine events (main thread, through the adapter) ---
    void engineJoinResult(bool success, int code, const QString &message);
    void engineRoomEvent(int eventCode, const QString &peerId);
    void engineMemberJoined(const QString &peerId, const QString &userName);
    void engineMemberLeft(const QString &peerId);
    void engineStream(const QString &peerId, qint64 sourceType, bool published, bool hasAudio, bool hasVideo);
    void engineStatistics(const KRTCStatistics &stats);
    void engineReconnecting();
    void engineReconnected();
    void reconnectGaveUp();
    void engineOverLimit(Limit limit);
    void engineScreenShareFinished(int reason);
    // Render thread.
    void renderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType);

    // --- IMEngineDelegate (main thread) ---
    void receiveMessage(const IMMessage &message) override;
    void receiveHeartbeatAck(const IMMessage &message) override;
    void otherDeviceLogin() override;
    void hostMoveConsumerToWaitRoom() override;
    void onRoomClosed(const QString &reason) override;
    void imEngineDidDisconnect() override;

    // --- helpers ---
    [[nodiscard]] QString ownPeerId() const;
    [[nodiscard]] std::shared_ptr<MeetingMemberModel> member(const QString &id) const;
    std::shared_ptr<MeetingMemberModel> addMember(const QString &peerId, const QString &userName, bool announce);
    void applyConfig(const QString &id, const QString &configType, int value);
    void memberLine(qint64 type, const std::shared_ptr<MeetingMemberModel> &member);
    void closeMicrophoneNow();
    void cancelDeferredMicClose();
    void stopReconnectWatch();
    void resetMeeting();
    void waitListChanged(bool added);
    void setRenderDelegate(VeskRoomDelegate *delegate);

    VeskMeetingManager *q;

    WeakDelegate<VeskRoomDelegate> room;
    WeakDelegate<VeskMemeberAssistantsDelegate> assistants;
    WeakDelegate<VeskRedPointDelegate> redPoint;
    WeakDelegate<VeskMemberWaitRoomDelegate> waitMember;
    // The room delegate as the render thread sees it.
    std::shared_mutex renderMutex;
    VeskRoomDelegate *renderDelegate = nullptr; // guarded by renderMutex
    QMetaObject::Connection renderOwnerWatch;

    std::unique_ptr<KRTCEngineOC> engine;
    std::shared_ptr<EngineEventAdapter> adapter;
    std::unique_ptr<IMEngine> im;
    std::shared_ptr<MeetingInfoModel> roomInfo;
    qint64 state = VeskMeetingManager::StateIdle;
    QString joinedPeerId; // the own peer id of the meeting in progress

    // Members: by peer id, in the order they came (the own member first).
    QHash<QString, std::shared_ptr<MeetingMemberModel>> members;
    QStringList memberOrder;
    bool membersDirty = false;
    // Which of a member's streams carry its microphone (by peer id): the member's audio flag is
    // on while either does.
    struct StreamAudio {
        bool audioOnly = false;
        bool camera = false;
    };
    QHash<QString, StreamAudio> streamAudio;
    std::shared_ptr<MeetingMediaPolicy> policy = std::make_shared<MeetingMediaPolicy>();

    // The waiting list is changed on waitQueue, one change at a time.
    mutable std::mutex waitMutex;
    QList<IMSystemSubMessage> waitList; // guarded by waitMutex
    std::unique_ptr<OperationQueue> waitQueue;
    std::unique_ptr<OperationQueue> levelQueue;
    // The newest level of each participant's stream not yet shown, in the order the streams first
    // spoke (main thread). One pass through the level queue shows them all: levels that arrive
    // together cost the main thread one wake-up, not one per participant.
    struct PendingLevel {
        QString peerId;
        bool mic = true;
        int volume = 0;
    };
    std::vector<PendingLevel> pendingLevels;
    QHash<QString, size_t> pendingLevelAt; // 'm' microphone or 'c' shared file, then the peer id
    bool levelsQueued = false;
    quint64 levelRound = 0; // a meeting reset forgets the pass on its way
    void queueLevel(const QString &peerId, bool mic, int volume);
    void showLevels(quint64 round);

    QStringList assistantsList;
    QVariantList metaMembers;
    quint64 assistantAsk = 0; // the newest ask for the hosts; answers to older ones are dropped
    void askAssistants(quint64 ask, const std::weak_ptr<MeetingInfoModel> &meeting, int asksLeft);
    QStringList ringRecords;
    QSet<QString> seenMessages;

    bool asssitantHost = false;
    bool selfScreenOrWindowSharing = false;
    // The engine accepted a share that runs once the desktop asked the user: the window hears
    // when it runs (consumerShareStarted) or that it never did (consumerShareFinsh).
    bool ownSharePending = false;
    bool selfFileSharing = false;
    bool selfAVFileSharing = false;
    bool shareStyleIsFile = false;
    bool didOtherOpenCamera = false;
    bool micDidOpen = false;
    bool currentCameraOn = false;
    bool openMicStatusExc = false;
    bool notRemindHighCpuAgain = false;
    bool noloogerShowNetWorkPopView = false;
    bool respondCoundownRuning = false;
    bool resetOnlyAudio = false;

    qint64 micOpenedAtMs = -1;
    QPointer<KVTimer> micCloseTimer;
    QPointer<KVTimer> reconnectTimer;
    int reconnectTicks = 0;
    NetworkRating rating;
};

template <class Fn> void VeskMeetingManager::Private::toRoom(Fn fn)
{
    toDelegate(room, std::move(fn));
}

template <class T, class Fn> void VeskMeetingManager::Private::toDelegate(WeakDelegate<T> &which, Fn fn)
{
    if (!MainQueue::isMainThread()) {
        MainQueue::async(q, [this, &which, fn = std::move(fn)]() mutable { toDelegate(which, std::move(fn)); });
        return;
    }
    // A member list made before this event reaches the window first.
    flushMembers();
    if (T *delegate = which.get())
        fn(*delegate);
}
