#include "agent/MeetingMemberModel.h"

#include "agent/engine/KRTCVideoView.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"

#include <QVariantMap>

namespace {

void postLevel(const QString &name, const QString &peerId, float level)
{
    // Observers touch views: the level always arrives on the main thread.
    auto post = [name, peerId, level] {
        NotificationCenter::defaultCenter().post(
            name, QVariantMap{{QStringLiteral("peerId"), peerId}, {QStringLiteral("value"), double(level)}});
    };
    if (MainQueue::isMainThread())
        post();
    else
        MainQueue::async(post);
}

void dropView(QPointer<KRTCVideoView> &view)
{
    if (view)
        view->deleteLater();
    view.clear();
}

} // namespace

MeetingMemberModel::MeetingMemberModel(const VeskUserModel &user, std::shared_ptr<const MeetingMediaPolicy> policy)
    : VeskUserModel(user), m_policy(std::move(policy))
{
    updateTiles(); // every member starts with its audio-only tile
}

MeetingMemberModel::~MeetingMemberModel()
{
    dropView(m_cameraView);
    dropView(m_shareView);
    dropView(m_customView);
}

bool MeetingMemberModel::onlyAudio() const
{
    return m_policy && m_policy->isOnlyAudio.load() && !isSelf();
}

bool MeetingMemberModel::onlyAudioAllowsShare() const
{
    return !onlyAudio() || m_policy->isOnlyAudioAllowScreenShare.load();
}

void MeetingMemberModel::setIsSelf(bool self)
{
    if (m_isSelf.exchange(self) != self)
        updateTiles();
}

void MeetingMemberModel::setAudioFlag(bool on)
{
    m_audioFlag.store(on);
    updateTiles();
}

void MeetingMemberModel::setVideoFlag(bool on)
{
    m_videoFlag.store(on);
    updateTiles();
}

void MeetingMemberModel::setShareFlag(int flag)
{
    m_shareFlag.store(flag);
    updateTiles();
}

void MeetingMemberModel::setCustomVideoFlag(bool on)
{
    m_customVideoFlag.store(on);
    updateTiles();
}

void MeetingMemberModel::setCustomAudioFlag(bool on)
{
    m_customAudioFlag.store(on);
    updateTiles();
}

void MeetingMemberModel::rebuildTiles()
{
    updateTiles();
}

void MeetingMemberModel::setSoundStrength(float level)
{
    if (level > 10)
        postLevel(QStringLiteral("VESK_NOTIFFY_VOICE_VALUE_CHANGED"), phoneNumber, level);
    m_soundStrength.store(level);
}

void MeetingMemberModel::setCustomSoundStrength(float level)
{
    if (level > 10)
        postLevel(QStringLiteral("VESK_NOTIFFY_CUSTOM_AUDIO_VALUE_CHANGED"), phoneNumber, level);
    m_customSoundStrength.store(level);
}

QDateTime MeetingMemberModel::enterDate() const
{
    std::lock_guard lock(m_mutex);
    return m_enterDate;
}

void MeetingMemberModel::setEnterDate(const QDateTime &date)
{
    std::lock_guard lock(m_mutex);
    m_enterDate = date;
}

QList<std::shared_ptr<MeetingActiveModel>> MeetingMemberModel::activeArr() const
{
    std::lock_guard lock(m_mutex);
    return m_tiles;
}

std::shared_ptr<MeetingActiveModel>
MeetingMemberModel::tileFor(qint64 sourceType, KRTCVideoView *view,
                            const QList<std::shared_ptr<MeetingActiveModel>> &old) const
{
    // Keep a tile's identity while nothing about it changed: the window holds tiles as its
    // share sources and compares them.
    for (const auto &tile : old) {
        if (tile->activeVideoSourceType() == sourceType && tile->videoView() == view && tile->userName() == userName &&
            tile->userId() == userId && tile->phoneNumber() == phoneNumber && tile->isSelf() == isSelf())
            return tile;
    }
    return std::make_shared<MeetingActiveModel>(sourceType, phoneNumber, userId, userName, isSelf(), view);
}

void MeetingMemberModel::updateTiles()
{
    // Views are widgets: made and dropped here, on the main thread.
    const bool camera = videoFlag() && !onlyAudio();
    const bool share = shareFlag() != 0 && onlyAudioAllowsShare();
    const bool custom = customVideoFlag() && !onlyAudio();

    if (camera && !m_cameraView)
        m_cameraView = new KRTCVideoView;
    else if (!camera)
        dropView(m_cameraView);
    if (share && !m_shareView)
        m_shareView = new KRTCVideoView;
    else if (!share)
        dropView(m_shareView);
    if (custom && !m_customView)
        m_customView = new KRTCVideoView;
    else if (!custom)
        dropView(m_customView);

    QList<std::shared_ptr<MeetingActiveModel>> old;
    {
        std::lock_guard lock(m_mutex);
        old = m_tiles;
    }
    QList<std::shared_ptr<MeetingActiveModel>> tiles;
    if (camera)
        tiles.append(tileFor(KRTCSourceType::Camera, m_cameraView.data(), old));
    if (share)
        tiles.append(tileFor(KRTCSourceType::Share, m_shareView.data(), old));
    if (!camera)
        tiles.append(tileFor(KRTCSourceType::Audio, nullptr, old));
    if (custom)
        tiles.append(tileFor(KRTCSourceType::CustomVideo, m_customView.data(), old));
    else if (customAudioFlag())
        tiles.append(tileFor(KRTCSourceType::CustomVideo, nullptr, old)); // a shared audio file: no picture
    for (const auto &tile : tiles) {
        tile->setAudioFlag(audioFlag());
        tile->setCustomAudioFlag(customAudioFlag());
    }
    std::lock_guard lock(m_mutex);
    m_tiles = std::move(tiles);
}
