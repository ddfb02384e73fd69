#pragma once

#include "agent/MeetingActiveModel.h"
#include "foundation/models/VeskUserModel.h"

#include <QDateTime>
#include <QList>
#include <QPointer>

#include <atomic>
#include <memory>
#include <mutex>

class KRTCVideoView;

// The audio-only switches of the meeting manager that decide which remote tiles a member shows.
// Shared by the manager and its members; read from any thread.
struct MeetingMediaPolicy {
    std::atomic<bool> isOnlyAudio{false};
    std::atomic<bool> isOnlyAudioAllowScreenShare{false};
};

// One participant of the meeting. Shared between the manager and the window
// (std::shared_ptr), changed by the manager on the main thread. The media flags, the sound
// level and activeArr may be read from any thread.
//
// phoneNumber is the engine's peer id (the key of the member list, of tiles and of the level
// notifications); userId is the plain phone number.
class MeetingMemberModel final : public VeskUserModel {
public:
    explicit MeetingMemberModel(const VeskUserModel &user = {}, std::shared_ptr<const MeetingMediaPolicy> policy = {});
    ~MeetingMemberModel();

    MeetingMemberModel(const MeetingMemberModel &) = delete;
    MeetingMemberModel &operator=(const MeetingMemberModel &) = delete;

    // The participant is the signed-in user (set by the manager from the own peer id).
    [[nodiscard]] bool isSelf() const { return m_isSelf.load(); }
    void setIsSelf(bool self);

    // Media flags. Each setter rebuilds the tiles (main thread).
    [[nodiscard]] bool audioFlag() const { return m_audioFlag.load(); }
    void setAudioFlag(bool on);
    [[nodiscard]] bool videoFlag() const { return m_videoFlag.load(); }
    void setVideoFlag(bool on);
    // Switches the member's share on or off; creates or drops its share video view.
    [[nodiscard]] int shareFlag() const { return m_shareFlag.load(); }
    void setShareFlag(int flag);
    // A shared audio/video file: its video and its audio.
    [[nodiscard]] bool customVideoFlag() const { return m_customVideoFlag.load(); }
    void setCustomVideoFlag(bool on);
    [[nodiscard]] bool customAudioFlag() const { return m_customAudioFlag.load(); }
    void setCustomAudioFlag(bool on);
    // Tiles again from the stored flags (after the audio-only mode changed).
    void rebuildTiles();

    // Levels 0-100. Above 10 the setters post "VESK_NOTIFFY_VOICE_VALUE_CHANGED" /
    // "VESK_NOTIFFY_CUSTOM_AUDIO_VALUE_CHANGED" with {"peerId", "value"} as the object, on the
    // main thread, then store the level.
    [[nodiscard]] float soundStrength() const { return m_soundStrength.load(); }
    void setSoundStrength(float level);
    [[nodiscard]] float customSoundStrength() const { return m_customSoundStrength.load(); }
    void setCustomSoundStrength(float level);

    [[nodiscard]] bool allowSharePermissionFlag() const { return m_allowShare.load(); }
    void setAllowSharePermissionFlag(bool allow) { m_allowShare.store(allow); }
    [[nodiscard]] bool isAssistantHost() const { return m_isAssistantHost.load(); }
    void setIsAssistantHost(bool on) { m_isAssistantHost.store(on); }
    // Camera video requested from the engine (window).
    [[nodiscard]] bool videoStreamingReceive() const { return m_videoStreamingReceive.load(); }
    void setVideoStreamingReceive(bool on) { m_videoStreamingReceive.store(on); }
    // 0 none yet, 1 small, 2 large stream requested (window).
    [[nodiscard]] qint64 streamingStatus() const { return m_streamingStatus.load(); }
    void setStreamingStatus(qint64 status) { m_streamingStatus.store(status); }
    // The member row's menu is open (member list).
    [[nodiscard]] bool isExpand() const { return m_isExpand.load(); }
    void setIsExpand(bool on) { m_isExpand.store(on); }

    [[nodiscard]] QDateTime enterDate() const;
    void setEnterDate(const QDateTime &date);

    // The member's tiles in order: camera, share, audio only, custom video.
    [[nodiscard]] QList<std::shared_ptr<MeetingActiveModel>> activeArr() const;
    // The views behind the tiles (nullptr while that stream is off).
    [[nodiscard]] KRTCVideoView *cameraView() const { return m_cameraView.data(); }
    [[nodiscard]] KRTCVideoView *shareVideoView() const { return m_shareView.data(); }
    [[nodiscard]] KRTCVideoView *customVideoView() const { return m_customView.data(); }

private:
    [[nodiscard]] bool onlyAudio() const;
    [[nodiscard]] bool onlyAudioAllowsShare() const;
    void updateTiles();
    std::shared_ptr<MeetingActiveModel> tileFor(qint64 sourceType, KRTCVideoView *view,
                                                const QList<std::shared_ptr<MeetingActiveModel>> &old) const;

    std::shared_ptr<const MeetingMediaPolicy> m_policy;
    std::atomic<bool> m_isSelf{false};
    std::atomic<bool> m_audioFlag{false};
    std::atomic<bool> m_videoFlag{false};
    std::atomic<int> m_shareFlag{0};
    std::atomic<bool> m_customVideoFlag{false};
    std::atomic<bool> m_customAudioFlag{false};
    std::atomic<float> m_soundStrength{0};
    std::atomic<float> m_customSoundStrength{0};
    std::atomic<bool> m_allowShare{false};
    std::atomic<bool> m_isAssistantHost{false};
    std::atomic<bool> m_videoStreamingReceive{false};
    std::atomic<qint64> m_streamingStatus{0};
    std::atomic<bool> m_isExpand{false};

    // Views are made and dropped on the main thread; the member owns them until a window adopts
    // one into its layout (QPointer then follows whoever deletes it).
    QPointer<KRTCVideoView> m_cameraView;
    QPointer<KRTCVideoView> m_shareView;
    QPointer<KRTCVideoView> m_customView;

    mutable std::mutex m_mutex;
    QDateTime m_enterDate;                              // guarded by m_mutex
    QList<std::shared_ptr<MeetingActiveModel>> m_tiles; // guarded by m_mutex
};

using MeetingMemberList = QList<std::shared_ptr<MeetingMemberModel>>;
