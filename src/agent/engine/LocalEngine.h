#pragma once

#include "EngineWorker.h"
#include "KRTCEngineOC.h"
#include "LocalPicture.h"

#include <QImage>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

class DesktopCaptureSource;
class DesktopCaptureStream;
class KVTimer;
class QAudioSource;
class QCamera;
class QIODevice;
class QMediaCaptureSession;
class QNetworkAccessManager;
class QNetworkReply;
class QVideoSink;

// A participant of the room as the local stand-in lists it.
struct LocalEnginePeer {
    QString peerId;
    QString userName;
    bool audio = false;
    bool video = false;
    bool share = false;
};

// The engine for running the client on one machine. It is not a media server and sends
// nothing anywhere: it asks the local stand-in service (at the signalling address of the
// config) who else is in the room and shows them with generated pictures, levels and
// statistics; the own camera and microphone are real when Qt Multimedia finds them, and a
// shared screen or window streams its frames through DesktopCaptureSource.
//
// Threads: an event thread (room, member, stream, level and statistics events) and a render
// thread (frames, ~15 per second, paced by a project timer on the main thread). Both stop in
// leaveRoom() and in the destructor.
class LocalEngine final : public QObject, public KRTCEngineOC {
    Q_OBJECT
public:
    static constexpr int kFrameIntervalMs = 66;
    static constexpr int kStatsIntervalMs = 2000;
    static constexpr int kPeerPollIntervalMs = 2000;
    // A room whose answer did not change is asked half as often each time, down to this.
    static constexpr int kPeerPollMaxIntervalMs = 8000;
    static constexpr int kRequestTimeoutMs = 5000;
    static constexpr int kLevelEveryTicks = 5;

    // Log upload: the archive must fit the request, and a stalled transfer is given up.
    static constexpr qint64 kLogPackLimitBytes = 16LL * 1024 * 1024;
    static constexpr int kLogUploadTimeoutMs = 30000;
    // Neither packing, a timeout nor a refused authorisation: the upload failed otherwise.
    static constexpr int kLogUploadFailed = -1;

    explicit LocalEngine(KRTCEngineConfig config, QObject *parent = nullptr);

    // The default of KRTCEngineOC::analyzePerformance (main thread): packs logDirectory (the
    // client's log folder when empty) off the main thread, then sends it with the meeting
    // service's log-upload request ("/qf/log/upload" on the shared REST client) as {"level":
    // "ARCHIVE", "content": the archive in base64, "userId", "applicationId", "userName"},
    // authorised by the installed source. Codes: 0 sent, 94 nothing could be packed, 1002 no
    // answer in time, 1003 authorisation refused, kLogUploadFailed anything else.
    static void analyzePerformance(const QString &appId, const QString &userId, const QString &userName,
                                   const QString &logDirectory, AnalyzeCallback callback);
    // Where the upload's "Authorization" comes from (the agent's signed-in user); asked on the
    // main thread at each upload. Without one the service refuses the upload.
    static void setLogUploadAuthorization(std::function<QString()> source);
    ~LocalEngine() override;

    // Use the real camera and microphone when there are some (default). Off: generated only.
    void setUseRealDevices(bool use);
    // Where the participant list of a room is asked for.
    [[nodiscard]] QUrl peersUrl(const QString &roomId) const;
    // The other participants as last listed (main thread).
    [[nodiscard]] QList<LocalEnginePeer> remotePeers() const;
    // Whether a real camera / microphone is in use now.
    [[nodiscard]] bool usingRealCamera() const;
    [[nodiscard]] bool usingRealMicrophone() const;

    // KRTCEngineOC
    [[nodiscard]] KRTCEngineConfig config() const override;
    void setDelegate(std::weak_ptr<KRTCEngineDelegate> delegate) override;
    int joinRoom(const KRTCJoinAuthority &authority, const KRTCJoinConfig &config) override;
    int leaveRoom() override;
    [[nodiscard]] bool isInRoom() const override;
    int openMicrophone(const KRTCAudioOption &option) override;
    int closeMicrophone() override;
    int startPreview(const KRTCCameraOption &option) override;
    int stopPreview() override;
    int publishCamera(const KRTCCameraOption &option) override;
    int unpublishCamera() override;
    int enableSpeaker(bool enable) override;
    int previewMirror(bool mirror) override;
    int pushStreamMirror(bool mirror) override;
    int muteVideo(const QString &peerId, qint64 videoSourceType, bool enable) override;
    int setPlayStreamVideoType(const QString &peerId, qint64 sourceType, int videoType) override;
    // An empty name goes back to the system's default device.
    int switchDevice(int kind, const QString &deviceName) override;
    [[nodiscard]] QStringList deviceNames(int kind) const override;
    // The camera or microphone in use or to be used next ("" for the system's default).
    [[nodiscard]] QString currentDeviceName(int kind) const;
    // A request to the stand-in is on its way (tests hold project time until it is answered).
    [[nodiscard]] bool requestInFlight() const;
    int startScreenSharing(const KRTCScreenOption &option) override;
    int stopScreenSharing() override;
    [[nodiscard]] QList<KRTCDesktopSource> screenSources(QSize thumbnailSize) const override;
    [[nodiscard]] QList<KRTCDesktopSource> windowSources(QSize thumbnailSize) const override;
    void resetBackgroundReplacement() override;

private:
    enum class RoomState { Idle, Joining, InRoom };
    struct PeerState {
        LocalEnginePeer peer;
        // No camera video until the window's visibility check says the peer's tile is seen.
        bool receiveCamera = false;
        bool receiveShare = true;
        int videoType = 2; // 1 small, 2 large
        qint64 channelIndex = 0;
        quint64 arrival = 0; // the order in which participants came
    };
    struct CameraSlot;
    struct ShareSlot;
    struct RenderJob;

    [[nodiscard]] std::shared_ptr<KRTCEngineDelegate> currentDelegate() const;
    // Queues a delegate call on the event thread.
    void postEvent(std::function<void(KRTCEngineDelegate &)> event);

    using PeersHandler = std::function<void(bool ok, const QList<LocalEnginePeer> &peers)>;
    void fetchPeers(QPointer<QNetworkReply> &slot, PeersHandler handler);
    static QList<LocalEnginePeer> parsePeers(const QByteArray &body, bool *ok);
    // A shared audio/video file as the stand-in describes it: played under its sharer's peer id
    // (the own one included) as a custom stream.
    struct FilePlayback {
        QString peerId;
        QString fileName;
        qint64 fileType = 0; // 2 video, 3 audio
        qint64 positionMs = 0;
        qint64 durationMs = 0;
        bool playing = false;
        qint64 listedAtMs = 0; // project clock
        [[nodiscard]] qint64 positionAt(qint64 nowMs) const;
        // Pictures and levels come only while it plays, and never past its end, which the
        // stand-in tells only at its next poll.
        [[nodiscard]] bool flowsAt(qint64 nowMs) const;
    };
    static std::optional<FilePlayback> parseFilePlayback(const QByteArray &body);
    void applyFilePlayback();
    // What the stand-in says the room's network adds to every measurement (none by default).
    struct SimulatedNetwork {
        int rtt = 0;      // ms
        int lostRate = 0; // percent
    };
    static SimulatedNetwork parseNetwork(const QByteArray &body);
    void finishJoin(bool ok, const QList<LocalEnginePeer> &peers);
    void applyPeers(const QList<LocalEnginePeer> &peers);
    void pollPeers();
    // The stand-in stands for the media server: a poll it does not answer loses the connection,
    // the next answer brings it back.
    void serverLost();
    void serverAnswered(const QList<LocalEnginePeer> &peers);

    void updateTimers();
    // Something to draw or a level to report: the frame timer runs only then.
    [[nodiscard]] bool needsFrames() const;
    // Something to measure: the statistics timer runs only then.
    [[nodiscard]] bool needsStats() const;
    // The next participant poll, after the current interval.
    void schedulePoll();
    void onFrameTick();
    void renderJob(const RenderJob &job);
    void onStatsTick();
    void emitOwnCameraStream();

    void takeCameraOption(const KRTCCameraOption &option);
    void startCapture();
    void stopCapture();
    void startMicrophoneInput(const QString &deviceName);
    void stopMicrophoneInput();
    void onMicrophoneData();
    void takeShareFrame();
    // Tells the stand-in that the own share started or ended, so the others list it.
    void reportOwnShare(bool sharing);
    // The share runs: the others and the window are told.
    void announceShare();
    void stopShareInternal(bool notify, int reason);

    KRTCEngineConfig m_config;
    mutable std::mutex m_delegateMutex;
    std::weak_ptr<KRTCEngineDelegate> m_delegate;

    RoomState m_state = RoomState::Idle;
    KRTCJoinAuthority m_authority;
    KRTCJoinConfig m_joinConfig;
    QMap<QString, PeerState> m_peers;
    quint64 m_arrivals = 0;
    bool m_serverReached = false; // answered at least once in this room
    bool m_serverLost = false;
    SimulatedNetwork m_simulatedNetwork;
    std::optional<FilePlayback> m_fileListed; // as last listed, applied with the participants
    std::optional<FilePlayback> m_file;
    bool m_useRealDevices = true;

    bool m_micOpen = false;
    KRTCAudioOption m_audioOption;
    bool m_preview = false;
    bool m_published = false;
    KRTCCameraOption m_cameraOption;
    bool m_speaker = true;
    bool m_pushMirror = false;

    bool m_sharing = false; // running and told; a stream that starts later has none until it runs
    KRTCScreenOption m_shareOption;
    QImage m_shareImage;
    QString m_shareTitle;
    // The source outlives its stream; frames land in the slot from the capture thread.
    std::shared_ptr<DesktopCaptureSource> m_shareSource;
    std::unique_ptr<DesktopCaptureStream> m_shareStream;
    std::shared_ptr<ShareSlot> m_shareSlot;

    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_joinReply;
    QPointer<QNetworkReply> m_pollReply;
    QPointer<KVTimer> m_frameTimer;
    QPointer<KVTimer> m_statsTimer;
    QPointer<KVTimer> m_pollTimer; // one-shot, armed again after each answer
    int m_pollIntervalMs = kPeerPollIntervalMs;
    QByteArray m_lastPeersBody; // the last answer, to tell a quiet room
    bool m_peersChanged = false;
    qint64 m_tick = 0;
    std::shared_ptr<std::atomic<bool>> m_renderBusy;
    LocalPicture::ParticipantPainter m_pictures; // render thread only

    std::unique_ptr<QCamera> m_camera;
    QMetaObject::Connection m_cameraError;
    std::unique_ptr<QMediaCaptureSession> m_captureSession;
    std::unique_ptr<QVideoSink> m_videoSink;
    std::shared_ptr<CameraSlot> m_cameraSlot;

    std::unique_ptr<QAudioSource> m_audioSource;
    QIODevice *m_audioIo = nullptr;
    qint64 m_lastLevelMs = 0;
    int m_levelPeak = 0;

    // Declared last: stopped (and joined) first on destruction.
    EngineWorker m_eventWorker{QStringLiteral("krtc-event")};
    EngineWorker m_renderWorker{QStringLiteral("krtc-render")};
};
