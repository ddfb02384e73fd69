#pragma once

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QSize>
#include <QString>

#include <cstdint>

// Value types of the media engine: configuration, options, frames, statistics and capture sources.
// All are plain copyable values and safe to hand between threads (QImage is implicitly shared
// with an atomic reference count).

// Source types of a stream, as the engine numbers them.
namespace KRTCSourceType {
inline constexpr qint64 Audio = 0;       // audio only (no video stream)
inline constexpr qint64 Camera = 1;      // camera (and the microphone for audio)
inline constexpr qint64 Share = 2;       // screen or window share
inline constexpr qint64 CustomVideo = 3; // a shared audio/video file
} // namespace KRTCSourceType

// Why the own screen share ended without stopScreenSharing() (onScreenShareFinished).
namespace KRTCShareEnd {
inline constexpr int SourceGone = 1;  // the window or screen went, or the desktop ended the capture
inline constexpr int StartFailed = 2; // it never started: the desktop refused or the user cancelled
} // namespace KRTCShareEnd

// startScreenSharing() accepted a share that runs only once the desktop has asked the user (the
// portal's dialog): onStreamPublished(own peer, Share) follows when it runs, or
// onScreenShareFinished(StartFailed) when it never does.
namespace KRTCShareStart {
inline constexpr int Pending = 1;
} // namespace KRTCShareStart

// Kinds of switchDevice() and deviceNames().
namespace KRTCDeviceKind {
inline constexpr int Microphone = 0;
inline constexpr int Speaker = 1;
inline constexpr int Camera = 2;
} // namespace KRTCDeviceKind

// Engine creation. The domain and port are the room's signalling address.
struct KRTCEngineConfig {
    QString domain;
    int port = 0;
    QString appId;
    QString appSecret;
    // Reconnect attempts before the engine gives up; -1 = without limit.
    int reconnectTimes = -1;
    // Whether the signalling address speaks TLS.
    bool secure = false;
};

// Who may join: the application and the room token the service handed out.
struct KRTCJoinAuthority {
    QString appId;
    QString token;
};

// Which room, as whom. peerId is the id every engine event uses for this user (see KRTCEngineOC.h).
struct KRTCJoinConfig {
    QString roomId;
    QString peerId;
    QString userName;
};

struct KRTCAudioOption {
    QString deviceName; // "" = the current microphone
    bool denoise = true;
};

struct KRTCCameraOption {
    QString deviceName; // "" = the current camera
    int width = 1280;
    int height = 720;
    int fps = 15;
    bool mirror = false;
};

// Screen or window share settings. Setter names follow the engine's accessors.
class KRTCScreenOption final {
public:
    // Share types of setM_eType.
    static constexpr int TypeScreen = 1;
    static constexpr int TypeWindow = 2;

    void setM_ScreenOrWindowId(qint64 v) { d.m_ScreenOrWindowId = v; }
    void setM_eType(int v) { d.m_eType = v; }
    void setM_nWidth(int v) { d.m_nWidth = v; }
    void setM_nHeight(int v) { d.m_nHeight = v; }
    void setM_nMaxVideoBW(qint64 v) { d.m_nMaxVideoBW = v; }
    void setM_eVideoEncodeQuality(int v) { d.m_eVideoEncodeQuality = v; }
    void setM_nNumSpatialLayers(int v) { d.m_nNumSpatialLayers = v; }
    void setM_reconnectRecoverScreen(bool v) { d.m_reconnectRecoverScreen = v; }
    void setM_nFPS(int v) { d.m_nFPS = v; }

    [[nodiscard]] qint64 m_ScreenOrWindowId() const { return d.m_ScreenOrWindowId; }
    [[nodiscard]] int m_eType() const { return d.m_eType; }
    [[nodiscard]] int m_nWidth() const { return d.m_nWidth; }
    [[nodiscard]] int m_nHeight() const { return d.m_nHeight; }
    [[nodiscard]] qint64 m_nMaxVideoBW() const { return d.m_nMaxVideoBW; }
    [[nodiscard]] int m_eVideoEncodeQuality() const { return d.m_eVideoEncodeQuality; }
    [[nodiscard]] int m_nNumSpatialLayers() const { return d.m_nNumSpatialLayers; }
    [[nodiscard]] bool m_reconnectRecoverScreen() const { return d.m_reconnectRecoverScreen; }
    [[nodiscard]] int m_nFPS() const { return d.m_nFPS; }

    // Share size of a room's stream level: 1 -> 640x360, 2 -> 1280x720, 3 -> 1920x1080.
    // Any other level has no size (an invalid QSize); width/height then stay unset (0).
    [[nodiscard]] static QSize sizeForStreamLevel(qint64 streamLevel);

private:
    struct Values {
        qint64 m_ScreenOrWindowId = -1; // KRTCDesktopSource::sourceId
        int m_eType = 0;
        int m_nWidth = 0; // 0 = unset: the source's own size
        int m_nHeight = 0;
        qint64 m_nMaxVideoBW = 0;
        int m_eVideoEncodeQuality = 0;
        int m_nNumSpatialLayers = 1;
        bool m_reconnectRecoverScreen = false;
        int m_nFPS = 15;
    } d;
};

// One decoded (or captured) video frame. The picture is held as a QImage in
// QImage::Format_RGB32 or Format_ARGB32_Premultiplied.
struct KRTCVideoFrame {
    QImage image;
    // Which of the peer's streams of one source type this frame belongs to.
    qint64 channelIndex = 0;
    // SEI text carried by the frame ("" when none); for a shared audio/video file it is the
    // play position in seconds.
    QString seiContent;
    qint64 timestampMs = 0;

    [[nodiscard]] bool isNull() const { return image.isNull(); }
    [[nodiscard]] QSize size() const { return image.size(); }
    [[nodiscard]] int width() const { return image.width(); }
    [[nodiscard]] int height() const { return image.height(); }
};

// Which stream a statistics record describes.
enum class KRTCStatsKind : int { LocalAudio = 0, LocalVideo = 1, RemoteAudio = 2, RemoteVideo = 3 };

// Statistics of one stream. Rates in percent (0-100), round-trip times in ms, bit rates in
// kbit/s, frame rates in frames per second. Fields that do not apply to the kind stay 0.
struct KRTCStatistics {
    KRTCStatsKind kind = KRTCStatsKind::RemoteVideo;
    QString peerId;
    qint64 videoSourceType = KRTCSourceType::Camera;
    qint64 audioSourceType = KRTCSourceType::Camera; // 1 microphone, 3 custom (file) audio
    qint64 videoLostRate = 0;
    qint64 videoRtt = 0;
    qint64 videoRecvBitrate = 0;
    qint64 videoSendBitrate = 0;
    qint64 videoRecvFrameRate = 0;
    qint64 videoSendFrameRate = 0;
    qint64 frameWidth = 0;
    qint64 frameHeight = 0;
    qint64 audioLostRate = 0;
    qint64 audioRtt = 0;
    qint64 audioRecvBitrate = 0;
    qint64 audioSendBitrate = 0;

    [[nodiscard]] bool isLocal() const
    {
        return kind == KRTCStatsKind::LocalAudio || kind == KRTCStatsKind::LocalVideo;
    }
    [[nodiscard]] bool isVideo() const
    {
        return kind == KRTCStatsKind::LocalVideo || kind == KRTCStatsKind::RemoteVideo;
    }
};

// A screen or window that can be shared.
struct KRTCDesktopSource {
    qint64 sourceId = -1;                    // goes into setM_ScreenOrWindowId
    int type = KRTCScreenOption::TypeScreen; // 1 screen, 2 window
    QString title;
    qint64 ownerPid = 0; // windows only
    QImage snapshot;     // scaled to at most the asked thumbnail size
    QImage icon;         // windows only: the application's icon, may be null
};

Q_DECLARE_METATYPE(KRTCVideoFrame)
Q_DECLARE_METATYPE(KRTCStatistics)
Q_DECLARE_METATYPE(KRTCDesktopSource)
