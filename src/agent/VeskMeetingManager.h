#pragma once

#include "agent/MeetingMemberModel.h"
#include "agent/engine/KRTCTypes.h"
#include "connection/IMMessage.h"
#include "connection/IMSystemSubMessage.h"
#include "foundation/models/DesktopCaptureSnapshotModel.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingInfoModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>

class IMEngine;
class KRTCEngineOC;
class VeskMemeberAssistantsDelegate;
class VeskMemberWaitRoomDelegate;
class VeskRedPointDelegate;
class VeskRoomDelegate;

// The meeting in progress: owns the media engine, the message channel, the member list, the
// waiting list, the joined room and the meeting state, and reports to the meeting window through
// four delegates.
//
// Main thread: every operation is called there and every delegate call arrives there (in the
// order the events happened), except VeskRoomDelegate::onRender on the engine's render thread.
// Delegates are held weakly: a delegate that is a QObject (or names a QObject owner) and has been
// destroyed is never called; nullptr stops a delegate.
class VeskMeetingManager final : public QObject {
    Q_OBJECT
public:
    // Meeting states.
    static constexpr qint64 StateIdle = 0;
    static constexpr qint64 StateJoining = 1;
    static constexpr qint64 StateInRoom = 2;
    static constexpr qint64 StateReconnecting = 3;
    static constexpr qint64 StateReconnectFailed = 4;

    explicit VeskMeetingManager(QObject *parent = nullptr);
    ~VeskMeetingManager() override;

    // The manager of start-up: its queues and the waiting-list observers are ready; the engine
    // comes with the first joinRoomWith(). Stored on the agent (setMeetingManager).
    [[nodiscard]] static std::unique_ptr<VeskMeetingManager> initManagerAndSdk();

    // --- delegates -------------------------------------------------------------------------
    // owner: the QObject whose life bounds the delegate; defaults to the delegate itself when
    // it is a QObject.
    void setDelegate(VeskRoomDelegate *delegate, QObject *owner = nullptr);
    void setAssistantsDelegate(VeskMemeberAssistantsDelegate *delegate, QObject *owner = nullptr);
    void setRedPointDelegate(VeskRedPointDelegate *delegate, QObject *owner = nullptr);
    void setWaitMemberDelegate(VeskMemberWaitRoomDelegate *delegate, QObject *owner = nullptr);

    // --- properties ------------------------------------------------------------------------
    // The joined (or prepared) room; nullptr outside a meeting.
    [[nodiscard]] std::shared_ptr<MeetingInfoModel> roomInfo() const;
    // The media engine; nullptr until the first joinRoomWith().
    [[nodiscard]] KRTCEngineOC *engine() const;
    // The message channel; nullptr until the first joinRoomWith().
    [[nodiscard]] IMEngine *imEngine() const;

    // 0 idle, 1 joining, 2 in the room, 3 reconnecting, 4 reconnect failed.
    [[nodiscard]] qint64 state() const;
    // Reports a change to VeskRoomDelegate::onRoomStateChanged (main thread; from another
    // thread the change itself moves to the main thread).
    void setState(qint64 state);

    [[nodiscard]] bool asssitantHost() const;
    void setAsssitantHost(bool on);
    // The assistant hosts' ids as the service gives them (compare after aes128ecbDecrypt).
    [[nodiscard]] QStringList asssitantRecordArray() const;
    [[nodiscard]] QVariantList metaMembersArray() const;
    // The waiting list (changed one at a time on the waiting-member queue).
    [[nodiscard]] QList<IMSystemSubMessage> waitRoomMemberArray() const;
    // Senders that ring right now, oldest first.
    [[nodiscard]] QStringList ringRecordArray() const;
    // The current member list (as last sent to onMemberChange).
    [[nodiscard]] MeetingMemberList memberList() const;
    // The member with that peer id, plain or encrypted phone number; nullptr when absent.
    [[nodiscard]] std::shared_ptr<MeetingMemberModel> memberForId(const QString &id) const;

    [[nodiscard]] bool selfScreenOrWindowSharing() const;
    void setSelfScreenOrWindowSharing(bool on);
    [[nodiscard]] bool selfFileSharing() const;
    void setSelfFileSharing(bool on);
    [[nodiscard]] bool selfAVFileSharing() const;
    void setSelfAVFileSharing(bool on);
    // The room's current share is a document.
    [[nodiscard]] bool shareStyleIsFile() const;
    void setShareStyleIsFile(bool on);
    [[nodiscard]] bool didOtherOpenCamera() const;
    void setDidOtherOpenCamera(bool on);
    [[nodiscard]] bool micDidOpen() const;
    [[nodiscard]] bool currentCameraOn() const;
    // Set by the manager when the service refused one more open microphone; the window sets it
    // false before opening and reads it 0.8 s later.
    [[nodiscard]] bool openMicStatusExc() const;
    void setOpenMicStatusExc(bool on);
    [[nodiscard]] bool notRemindHighCpuAgain() const;
    void setNotRemindHighCpuAgain(bool on);
    [[nodiscard]] bool noloogerShowNetWorkPopView() const;
    void setNoloogerShowNetWorkPopView(bool on);
    [[nodiscard]] bool respondCoundownRuning() const;
    void setRespondCoundownRuning(bool on);
    // Keep receiving screen shares in audio-only mode.
    [[nodiscard]] bool isOnlyAudioAllowScreenShare() const;
    void setIsOnlyAudioAllowScreenShare(bool on);
    [[nodiscard]] bool isOnlyAudio() const;
    [[nodiscard]] bool resetOnlyAudio() const;

    // --- joining and leaving ---------------------------------------------------------------
    // Prepares a room: makes the engine on first use (through KRTCEngineFactory) and the
    // message channel, and keeps the room as roomInfo.
    void joinRoomWith(std::shared_ptr<MeetingInfoModel> room);
    // Joins the prepared room: per-meeting state reset, state 1, engine join; on success the
    // channel connects and onJoinRoomSuccess follows; the own peer in the room gives state 2
    // and selfJoinRoomSuccess. Does nothing without a prepared room.
    void joinRoom();
    // Leaves engine and channel, state 0, lists cleared, roomInfo dropped. The channel's close
    // frame waits for closeChannelAfter to go (a leave request still on its way).
    void leaveRoom(QObject *closeChannelAfter = nullptr);

    // --- own media -------------------------------------------------------------------------
    void startMicrophone();
    void syncStartMicrophone();
    void stopMicrophone();
    void startCamera();
    void stopCamera();
    // startCamera with the mirror of the settings (videoMirror).
    void doCameraOperation();
    void enableSpeaker(bool enable);
    void previewMirror(bool mirror);
    void pushStreamMirror(bool mirror);
    // configType "audio", "video", "share", "customVideo", "customAudio"; id = peer id or
    // plain phone number. Applied on the main queue; the new list reaches onMemberChange.
    void onMemberConfigChange(const QString &phoneNumber, const QString &configType, int value);
    void useOnlyAudioMode(bool on);
    // enable true stops, false starts receiving that video.
    void muteVideo(const QString &peerId, qint64 videoSourceType, bool enable);
    // A level report of the engine (level id "<peer>fc<n>").
    void onSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume);

    // --- messages --------------------------------------------------------------------------
    // Type 6 goes out as a ring message; any other type through the channel and then at once to
    // VeskRoomDelegate::receiveMessage.
    void sendMessage(const IMMessage &message);
    // A control message whose data holds only the fields the sender sets (named in fields), and
    // "message" when given, also when it is empty.
    void sendMeetingControlWithType(qint64 event, const MeetingControlData &data, const QStringList &fields,
                                    const std::optional<QString> &message = std::nullopt);
    // true when the message was not seen before (and records it), false for a repeat.
    [[nodiscard]] bool judegeDuplicates(const IMMessage &message);

    // --- waiting room, rings, hosts ---------------------------------------------------------
    void waitRoomAddMember(const IMSystemSubMessage &member);
    void waitRoomRemoveMember(const IMSystemSubMessage &member);
    void waitRoomRemoveAllMember();
    void clearRedPoint();
    void addRecordToRingBuffer(const QString &sender);
    void deleteRecordFromRingBuffer(const QString &sender);
    // Entries are ids (text) or member dictionaries ("phoneNumber", else "userId").
    void rebuildAssistant(const QVariantList &assistants);
    void rebuildMetaMembers(const QVariantList &metaMembers);
    // Asks the service for the room's hosts; the answer rebuilds both lists above. A failed or
    // timed-out answer asks again (three asks at most, two seconds apart) while the same meeting
    // lasts: the service may have changed the hosts all the same. A newer ask drops an older one.
    void requireAssistantInfo();

    // --- screen sharing --------------------------------------------------------------------
    [[nodiscard]] QList<DesktopCaptureSnapshotModel> fetchDesktopScreenSnapshots() const;
    [[nodiscard]] QList<DesktopCaptureSnapshotModel> fetchDesktopWidowSnapshots() const;
    // Result of startDesktopShare. Pending: the desktop asks the user first (the portal's
    // dialog); the room delegate hears consumerShareStarted once it runs, or consumerShareFinsh.
    enum class DesktopShareResult { Started, Pending, NoStreamLevel, NotInRoom, EngineRefused };
    DesktopShareResult startDesktopShare(const DesktopCaptureSnapshotModel &candidate);
    void stopDesktopShare();

    // Blocks until the waiting-member and sound-level queues are idle (tests, shutdown).
    void waitForQueues();

private:
    friend class EngineEventAdapter;
    class Private;
    std::unique_ptr<Private> d;
};
