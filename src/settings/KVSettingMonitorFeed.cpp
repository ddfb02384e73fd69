#include "settings/KVSettingMonitorFeed.h"

#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "settings/KVSettingMonitorPanel.h"

#include <QPointer>

#include <algorithm>

namespace {

// Bit rates are shown in kbit/s of 1024, truncated.
qint64 kilo(qint64 bitRate)
{
    return bitRate / 1024;
}

// The engine's figures are bounded where they enter: no real stream comes near these, and the
// records keep some figures as floats, which a value near 2^63 would overflow on the way back.
KRTCStatistics bounded(KRTCStatistics stats)
{
    constexpr qint64 kMaxPercent = 100;
    constexpr qint64 kMaxDelayMs = 99'999;
    constexpr qint64 kMaxBitsPerSecond = 100'000'000'000; // 100 Gbit/s
    constexpr qint64 kMaxFrameRate = 1'000;
    constexpr qint64 kMaxSide = 65'535;
    for (qint64 *loss : {&stats.videoLostRate, &stats.audioLostRate})
        *loss = std::clamp<qint64>(*loss, 0, kMaxPercent);
    for (qint64 *delay : {&stats.videoRtt, &stats.audioRtt})
        *delay = std::clamp<qint64>(*delay, 0, kMaxDelayMs);
    for (qint64 *rate :
         {&stats.videoRecvBitrate, &stats.videoSendBitrate, &stats.audioRecvBitrate, &stats.audioSendBitrate})
        *rate = std::clamp<qint64>(*rate, 0, kMaxBitsPerSecond);
    for (qint64 *fps : {&stats.videoRecvFrameRate, &stats.videoSendFrameRate})
        *fps = std::clamp<qint64>(*fps, 0, kMaxFrameRate);
    for (qint64 *side : {&stats.frameWidth, &stats.frameHeight})
        *side = std::clamp<qint64>(*side, 0, kMaxSide);
    return stats;
}

} // namespace

KVSettingMonitorFeed::KVSettingMonitorFeed(PanelProvider panel) : m_panel(std::move(panel)) {}

void KVSettingMonitorFeed::observe(QObject *owner)
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto hop = [this, owner](void (KVSettingMonitorFeed::*handler)(const KRTCStatistics &)) {
        QPointer<QObject> weak(owner);
        return [this, weak, handler](const Notification &note) {
            // Copied here: the poster's record may change once it returns.
            const KRTCStatistics stats = note.object.value<KRTCStatistics>();
            MainQueue::async(weak, [this, stats, handler] { (this->*handler)(stats); });
        };
    };
    center.addObserver(owner, kRemoteVideo, hop(&KVSettingMonitorFeed::remoteVideoChange));
    center.addObserver(owner, kRemoteAudio, hop(&KVSettingMonitorFeed::remoteAudioChange));
    center.addObserver(owner, kLocalAudio, hop(&KVSettingMonitorFeed::localAudioChange));
    center.addObserver(owner, kLocalVideo, hop(&KVSettingMonitorFeed::localVideoChange));
}

// ---- Member lists ----------------------------------------------------------------------------------

void KVSettingMonitorFeed::onMemberChange(const QList<Tile> &members, const Tile &avFileShare, const Tile &screenShare)
{
    KVSettingMonitorPanel *panel = m_panel();
    if (!panel)
        return;
    for (const Record &mine : {panel->myMicModel(), panel->myCameraModel(), panel->myShareModel()})
        mine->open = false;
    KVSettingMonitorPanel::Models microphones;
    KVSettingMonitorPanel::Models cameras;
    KVSettingMonitorPanel::Models shares;
    for (const Tile &tile : members) {
        if (!tile)
            continue;
        // The tile knows whether it is the user's: its phone number is the engine's peer id,
        // which never equals the signed-in user's plain id.
        if (tile->isSelf()) {
            if (tile->activeVideoSourceType() == 1)
                updateMyMonitors(panel->myCameraModel(), true);
            if (tile->activeVideoSourceType() == 2)
                updateMyMonitors(panel->myShareModel(), true);
            if (tile->audioFlag())
                updateMyMonitors(panel->myMicModel(), true);
            continue;
        }
        if (tile->activeVideoSourceType() == 1)
            cameras.append(updateOtherMonitorNameWithType(1, tile->phoneNumber(), tile->userName()));
        if (tile->audioFlag())
            microphones.append(updateOtherMonitorNameWithType(0, tile->phoneNumber(), tile->userName()));
        if (tile->activeVideoSourceType() == 2)
            shares.append(updateOtherMonitorNameWithType(2, tile->phoneNumber(), tile->userName()));
    }
    // An audio or video file shared now hides the screen share.
    if (!avFileShare && screenShare) {
        if (screenShare->isSelf())
            panel->myShareModel()->open = true;
        else
            shares.append(updateOtherMonitorNameWithType(2, screenShare->phoneNumber(), screenShare->userName()));
    }
    panel->myMicModel()->setNeedUpdate();
    panel->myShareModel()->setNeedUpdate();
    panel->myCameraModel()->setNeedUpdate();
    panel->otherMicArray = microphones;
    panel->otherCameraArray = cameras;
    panel->otherShareArray = shares;
    for (qint64 type = 0; type < 3; ++type)
        reindex(type);
    panel->reloadOtherData();
}

KVSettingMonitorFeed::Record KVSettingMonitorFeed::find(qint64 type, const QString &userId) const
{
    if (type < 0 || type > 2)
        return nullptr;
    return m_index[type].value(userId);
}

void KVSettingMonitorFeed::append(qint64 type, const Record &record)
{
    KVSettingMonitorPanel *panel = m_panel();
    if (!panel || type < 0 || type > 2)
        return;
    panel->otherArray(type)->append(record);
    m_index[type].insert(record->userId, record); // only called when none has that id yet
}

void KVSettingMonitorFeed::reindex(qint64 type)
{
    KVSettingMonitorPanel *panel = m_panel();
    m_index[type].clear();
    if (!panel)
        return;
    const KVSettingMonitorPanel::Models &list = *panel->otherArray(type);
    m_index[type].reserve(list.size());
    // The first record of an id wins, as a search from the front would find it.
    for (auto it = list.crbegin(); it != list.crend(); ++it)
        m_index[type].insert((*it)->userId, *it);
}

KVSettingMonitorFeed::Record KVSettingMonitorFeed::updateOtherMonitorNameWithType(qint64 type, const QString &userId,
                                                                                  const QString &userName)
{
    if (Record found = find(type, userId)) {
        if (!userName.isEmpty())
            found->name = userName;
        found->setNeedUpdate();
        return found;
    }
    Record record = MainSettingMonitorModel::modelWithType(type);
    record->updateName(userName, userId);
    append(type, record);
    return record;
}

// ---- Statistics ----------------------------------------------------------------------------------

void KVSettingMonitorFeed::updateMyMonitors(const Record &record, bool open)
{
    record->open = open;
    record->setNeedUpdate();
}

void KVSettingMonitorFeed::updateMyMonitors(const Record &record, qint64 lossRate, qint64 bitrate, qint64 delay,
                                            qint64 videoWidth, qint64 videoHeight, qint64 fps)
{
    if (record->type == 0) {
        record->updateAudioWithLossRate(float(lossRate), delay, float(bitrate));
    } else {
        // A smaller frame never replaces a larger one.
        if (record->videoWidth > videoWidth && record->videoHeight > videoHeight)
            return;
        record->updateVideoWithLossRate(float(lossRate), delay, float(bitrate), float(fps), videoHeight, videoWidth);
    }
    record->setNeedUpdate();
}

void KVSettingMonitorFeed::updateOtherMonitorWithType(qint64 type, const QString &userId, const QString &userName,
                                                      qint64 lossRate, qint64 delay, qint64 bitRate, qint64 frameWidth,
                                                      qint64 frameHeight, qint64 fps)
{
    if (type < 0 || type > 2)
        return;
    if (Record found = find(type, userId)) {
        if (type != 0)
            found->updateVideoWithLossRate(float(lossRate), delay, float(bitRate), float(fps), frameHeight, frameWidth);
        else
            found->updateAudioWithLossRate(float(lossRate), delay, float(bitRate));
        if (!userName.isEmpty())
            found->name = userName;
        found->setNeedUpdate();
        return;
    }
    Record record = MainSettingMonitorModel::modelWithType(type);
    record->updateWithName(userName, userId, float(lossRate), delay, float(bitRate), float(fps), frameHeight,
                           frameWidth);
    append(type, record);
    if (KVSettingMonitorPanel *panel = m_panel())
        panel->reloadOtherData();
}

void KVSettingMonitorFeed::remoteVideoChange(const KRTCStatistics &report)
{
    const KRTCStatistics stats = bounded(report);
    if (stats.videoSourceType != 1 && stats.videoSourceType != 2)
        return;
    updateOtherMonitorWithType(stats.videoSourceType, stats.peerId, QString(), stats.videoLostRate, stats.videoRtt,
                               kilo(stats.videoRecvBitrate), stats.frameWidth, stats.frameHeight,
                               stats.videoRecvFrameRate);
}

void KVSettingMonitorFeed::remoteAudioChange(const KRTCStatistics &report)
{
    const KRTCStatistics stats = bounded(report);
    if (stats.audioSourceType != 1)
        return;
    updateOtherMonitorWithType(0, stats.peerId, QString(), stats.audioLostRate, stats.audioRtt,
                               kilo(stats.audioRecvBitrate), 0, 0, 0);
}

void KVSettingMonitorFeed::localAudioChange(const KRTCStatistics &report)
{
    const KRTCStatistics stats = bounded(report);
    KVSettingMonitorPanel *panel = m_panel();
    if (stats.audioSourceType != 1 || !panel)
        return;
    updateMyMonitors(panel->myMicModel(), stats.audioLostRate, kilo(stats.audioSendBitrate), stats.audioRtt, 0, 0, 0);
}

void KVSettingMonitorFeed::localVideoChange(const KRTCStatistics &report)
{
    const KRTCStatistics stats = bounded(report);
    KVSettingMonitorPanel *panel = m_panel();
    if (!panel || (stats.videoSourceType != 1 && stats.videoSourceType != 2))
        return;
    updateMyMonitors(stats.videoSourceType == 1 ? panel->myCameraModel() : panel->myShareModel(), stats.videoLostRate,
                     kilo(stats.videoSendBitrate), stats.videoRtt, stats.frameWidth, stats.frameHeight,
                     stats.videoSendFrameRate);
}
