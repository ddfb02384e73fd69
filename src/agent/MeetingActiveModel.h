#pragma once

#include "agent/engine/KRTCVideoView.h"

#include <QPointer>
#include <QString>

#include <atomic>

// One tile of the meeting window: a participant's camera, share, audio-only or shared-file
// stream. What identifies the tile (peer, source type, channel) never changes after it is made,
// so the render thread may match frames against it while the main thread works.
class MeetingActiveModel final {
public:
    // activeVideoSourceType: 0 audio only, 1 camera, 2 screen or window share, 3 custom video.
    MeetingActiveModel(qint64 activeVideoSourceType, QString phoneNumber, QString userId, QString userName, bool isSelf,
                       KRTCVideoView *view, qint64 channelIndex = 0);

    MeetingActiveModel(const MeetingActiveModel &) = delete;
    MeetingActiveModel &operator=(const MeetingActiveModel &) = delete;

    [[nodiscard]] qint64 activeVideoSourceType() const { return m_activeVideoSourceType; }
    // The engine's peer id of the participant (what frames and level notifications carry).
    [[nodiscard]] const QString &phoneNumber() const { return m_phoneNumber; }
    [[nodiscard]] const QString &userId() const { return m_userId; }
    [[nodiscard]] const QString &userName() const { return m_userName; }
    [[nodiscard]] bool isSelf() const { return m_isSelf; }
    // Which of the peer's streams of this source type the tile shows (frames carry the same).
    [[nodiscard]] qint64 channelIndex() const { return m_channelIndex; }

    // The view to draw into; nullptr for an audio-only tile or once the view is gone.
    [[nodiscard]] KRTCVideoView *videoView() const { return m_videoView.data(); }
    // The share's view on a share tile, else nullptr.
    [[nodiscard]] KRTCVideoView *shareView() const;

    [[nodiscard]] bool audioFlag() const { return m_audioFlag.load(); }
    void setAudioFlag(bool on) { m_audioFlag.store(on); }
    [[nodiscard]] bool customAudioFlag() const { return m_customAudioFlag.load(); }
    void setCustomAudioFlag(bool on) { m_customAudioFlag.store(on); }

    // The meeting window has told the engine whether to send this camera tile's video (its first
    // visible-tile check does, on screen or not; main thread).
    [[nodiscard]] bool videoReceiveDecided() const { return m_videoReceiveDecided.load(); }
    void setVideoReceiveDecided(bool decided) { m_videoReceiveDecided.store(decided); }

    // Whether a frame of that peer, source type and channel belongs to this tile.
    [[nodiscard]] bool matches(const QString &peerId, qint64 sourceType, qint64 channelIndex) const
    {
        return m_activeVideoSourceType == sourceType && m_channelIndex == channelIndex && m_phoneNumber == peerId;
    }

private:
    const qint64 m_activeVideoSourceType;
    const QString m_phoneNumber;
    const QString m_userId;
    const QString m_userName;
    const bool m_isSelf;
    const qint64 m_channelIndex;
    const QPointer<KRTCVideoView> m_videoView;
    std::atomic<bool> m_audioFlag{false};
    std::atomic<bool> m_customAudioFlag{false};
    std::atomic<bool> m_videoReceiveDecided{false};
};
