#pragma once

#include "KRTCEngineDelegate.h"
#include "KRTCTypes.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Peer ids.
//
// The engine identifies a participant by the peerId given in KRTCJoinConfig; the client uses the
// participant's encrypted phone number (lowercase hex), so a peer id is the key of the member
// list and of a tile's phoneNumber as it is.
//
// Sound levels name their stream "<peerId>fc<n>", n being a decimal stream number ("0"
// microphone, "1" shared-file audio). Hex peer ids may themselves contain "fc", so the peer id
// is the part before the LAST "fc" (the suffix never holds an "f"). Always cut with
// KRTCPeerId::fromLevelId(), never with the first "fc".
namespace KRTCPeerId {
[[nodiscard]] QString levelId(const QString &peerId, bool mic);
// The peer id of a level id; a string without "fc" is returned whole.
[[nodiscard]] QString fromLevelId(const QString &levelId);
} // namespace KRTCPeerId

// The media engine of one client: joins one room at a time, sends the own microphone, camera
// and screen, receives the other participants' streams and reports through a KRTCEngineDelegate.
//
// Every method is called on the main thread and returns without blocking on the network.
// Integer results: 0 done/accepted, negative = refused (not in a room, no such device, ...).
// Results of joinRoom() and all later happenings come through the delegate.
class KRTCEngineOC {
public:
    virtual ~KRTCEngineOC() = default;

    [[nodiscard]] virtual KRTCEngineConfig config() const = 0;

    // The engine keeps the delegate weakly: once the owner drops its shared_ptr no callback
    // starts anymore (one already running finishes on its thread). nullptr stops the events.
    virtual void setDelegate(std::weak_ptr<KRTCEngineDelegate> delegate) = 0;

    // Room. joinRoom answers with onJoinRoomResult and, on success, onRoomEvent(SelfJoined)
    // followed by onMemberJoined/onStreamPublished for everybody already there.
    virtual int joinRoom(const KRTCJoinAuthority &authority, const KRTCJoinConfig &config) = 0;
    // Stops every stream and engine thread of the room; no room event arrives after it returns
    // except onRoomEvent(SelfLeft). Safe when not in a room.
    virtual int leaveRoom() = 0;
    [[nodiscard]] virtual bool isInRoom() const = 0;

    // Microphone (publish the own audio). Own level reports follow while it is open.
    virtual int openMicrophone(const KRTCAudioOption &option) = 0;
    virtual int closeMicrophone() = 0;

    // Camera: preview (own frames to the delegate only) and publishing (sent to the room).
    virtual int startPreview(const KRTCCameraOption &option) = 0;
    virtual int stopPreview() = 0;
    virtual int publishCamera(const KRTCCameraOption &option) = 0;
    virtual int unpublishCamera() = 0;

    virtual int enableSpeaker(bool enable) = 0;
    virtual int previewMirror(bool mirror) = 0;    // own preview frames mirrored
    virtual int pushStreamMirror(bool mirror) = 0; // the stream others see mirrored

    // Receiving: enable true STOPS receiving that peer's video of that source type, false
    // starts it again.
    virtual int muteVideo(const QString &peerId, qint64 videoSourceType, bool enable) = 0;
    // videoType 1 small stream, 2 large stream.
    virtual int setPlayStreamVideoType(const QString &peerId, qint64 sourceType, int videoType) = 0;

    // Devices, kind KRTCDeviceKind. deviceNames lists them in the engine's order.
    virtual int switchDevice(int kind, const QString &deviceName) = 0;
    [[nodiscard]] virtual QStringList deviceNames(int kind) const = 0;

    // Screen sharing.
    virtual int startScreenSharing(const KRTCScreenOption &option) = 0;
    virtual int stopScreenSharing() = 0;
    // Candidates with snapshots scaled into thumbnailSize. Called on the main thread.
    [[nodiscard]] virtual QList<KRTCDesktopSource> screenSources(QSize thumbnailSize) const = 0;
    [[nodiscard]] virtual QList<KRTCDesktopSource> windowSources(QSize thumbnailSize) const = 0;

    // Background replacement: drop the model and state (at meeting end).
    virtual void resetBackgroundReplacement() = 0;

    // Uploads the engine's diagnostic logs. callback(code) exactly once, on any thread: one of
    // AnalyzeCode, any other number = failed. Goes to the handler installed in KRTCEngineFactory.
    enum AnalyzeCode : int {
        AnalyzeUploaded = 0,
        AnalyzePackFailed = 94,
        AnalyzeEngineFailed = 1001,
        AnalyzeTimedOut = 1002,
        AnalyzeNotAuthorised = 1003,
    };
    using AnalyzeCallback = std::function<void(int code)>;
    static void analyzePerformance(const QString &appId, const QString &userId, const QString &userName,
                                   const QString &logDirectory, AnalyzeCallback callback);
};
