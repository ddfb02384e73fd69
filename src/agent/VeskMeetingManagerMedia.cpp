// VeskMeetingManager: own microphone, camera, speaker, member flags, levels and screen sharing.

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/VeskMeetingManager_p.h"
#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/KVClock.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/DesktopCaptureSnapshotModel.h"

using namespace std::chrono_literals;

namespace {
// The engine cannot close a microphone that opened this recently; the close waits.
constexpr qint64 kMicMinOpenMs = 1200;
constexpr auto kMicCloseDelay = 1s;
const QSize kSnapshotSize(480, 270);
} // namespace

void VeskMeetingManager::Private::cancelDeferredMicClose()
{
    if (micCloseTimer)
        micCloseTimer->invalidate();
    micCloseTimer.clear();
}

void VeskMeetingManager::Private::closeMicrophoneNow()
{
    if (!engine)
        return;
    const int result = engine->closeMicrophone();
    micDidOpen = false;
    micOpenedAtMs = -1;
    // Through the main queue like the open's report, so the two stay in order.
    if (result == 0)
        q->onMemberConfigChange(ownPeerId(), QStringLiteral("audio"), 0);
}

void VeskMeetingManager::Private::applyConfig(const QString &id, const QString &configType, int value)
{
    auto m = member(id);
    if (!m) {
        qCDebug(lcMeetingManager) << "config for an unknown member" << configType;
        return;
    }
    if (configType == QLatin1String("audio"))
        m->setAudioFlag(value != 0);
    else if (configType == QLatin1String("video"))
        m->setVideoFlag(value != 0);
    else if (configType == QLatin1String("share"))
        m->setShareFlag(value);
    else if (configType == QLatin1String("customVideo"))
        m->setCustomVideoFlag(value != 0);
    else if (configType == QLatin1String("customAudio"))
        m->setCustomAudioFlag(value != 0);
    else
        return;
    scheduleMemberChange();
}

void VeskMeetingManager::startMicrophone()
{
    if (d->state != StateInRoom || !d->engine)
        return;
    d->cancelDeferredMicClose();
    if (d->engine->openMicrophone(KRTCAudioOption{}) != 0)
        return;
    d->micDidOpen = true;
    d->micOpenedAtMs = KVClock::current().nowMs();
    onMemberConfigChange(d->ownPeerId(), QStringLiteral("audio"), 1);
}

void VeskMeetingManager::syncStartMicrophone()
{
    if (d->state != StateInRoom || !d->engine)
        return;
    // A close still waiting from a quick off/on would shut the microphone just opened.
    d->cancelDeferredMicClose();
    if (d->engine->openMicrophone(KRTCAudioOption{}) != 0)
        return;
    d->micOpenedAtMs = KVClock::current().nowMs();
    d->micDidOpen = true;
}

void VeskMeetingManager::stopMicrophone()
{
    if (d->state != StateInRoom || !d->engine)
        return;
    const qint64 now = KVClock::current().nowMs();
    if (d->micOpenedAtMs >= 0 && now - d->micOpenedAtMs < kMicMinOpenMs) {
        if (!d->micCloseTimer)
            d->micCloseTimer = KVTimer::singleShot(this, kMicCloseDelay, [this] {
                d->micCloseTimer.clear();
                d->closeMicrophoneNow();
            });
        return;
    }
    d->cancelDeferredMicClose();
    d->closeMicrophoneNow();
}

namespace {
KRTCCameraOption cameraOption(bool mirror)
{
    KRTCCameraOption option;
    option.mirror = mirror;
    return option;
}
} // namespace

void VeskMeetingManager::startCamera()
{
    if (!d->engine)
        return;
    const KRTCCameraOption option = cameraOption(false);
    d->engine->startPreview(option);
    if (d->engine->publishCamera(option) != 0)
        return;
    d->currentCameraOn = true;
    onMemberConfigChange(d->ownPeerId(), QStringLiteral("video"), 1);
}

void VeskMeetingManager::doCameraOperation()
{
    if (!d->engine)
        return;
    auto *agent = VeskAppAgent::existingInstance();
    const bool mirror = agent && agent->settingModel() && agent->settingModel()->videoMirror();
    const KRTCCameraOption option = cameraOption(mirror);
    d->engine->pushStreamMirror(mirror);
    d->engine->startPreview(option);
    if (d->engine->publishCamera(option) != 0)
        return;
    d->currentCameraOn = true;
    onMemberConfigChange(d->ownPeerId(), QStringLiteral("video"), 1);
}

void VeskMeetingManager::stopCamera()
{
    if (!d->engine)
        return;
    d->engine->stopPreview();
    d->engine->unpublishCamera();
    const bool wasOn = d->currentCameraOn;
    d->currentCameraOn = false;
    if (wasOn)
        onMemberConfigChange(d->ownPeerId(), QStringLiteral("video"), 0);
}

void VeskMeetingManager::enableSpeaker(bool enable)
{
    if (d->engine)
        d->engine->enableSpeaker(enable);
}

void VeskMeetingManager::previewMirror(bool mirror)
{
    if (d->engine)
        d->engine->previewMirror(mirror);
}

void VeskMeetingManager::pushStreamMirror(bool mirror)
{
    if (d->engine)
        d->engine->pushStreamMirror(mirror);
}

void VeskMeetingManager::onMemberConfigChange(const QString &phoneNumber, const QString &configType, int value)
{
    MainQueue::async(this, [this, phoneNumber, configType, value] { d->applyConfig(phoneNumber, configType, value); });
}

void VeskMeetingManager::useOnlyAudioMode(bool on)
{
    if (!on && d->policy->isOnlyAudio.load())
        d->resetOnlyAudio = true;
    MainQueue::async(this, [this, on] {
        d->policy->isOnlyAudio.store(on);
        // Every member's stored flags are applied again: remote videos drop or come back.
        for (const auto &m : std::as_const(d->members))
            m->rebuildTiles();
        d->scheduleMemberChange();
        d->resetOnlyAudio = false;
    });
}

void VeskMeetingManager::muteVideo(const QString &peerId, qint64 videoSourceType, bool enable)
{
    if (!d->engine)
        return;
    // Callers pass a member's userId (plain) as often as its peer id.
    const auto m = d->member(peerId);
    d->engine->muteVideo(m ? m->phoneNumber : peerId, videoSourceType, enable);
    // A tile whose video stops keeps no picture, nor one still on its way.
    if (KRTCVideoView *view = !m                                         ? nullptr
                              : videoSourceType == KRTCSourceType::Share ? m->shareVideoView()
                                                                         : m->cameraView())
        view->setVideoStopped(enable);
}

void VeskMeetingManager::onSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume)
{
    if (volume <= 10)
        return;
    // Hex peer ids may hold "fc" themselves: cut at the engine's separator, the last one.
    d->queueLevel(KRTCPeerId::fromLevelId(levelPeerId), mic, volume);
}

void VeskMeetingManager::Private::queueLevel(const QString &peerId, bool mic, int volume)
{
    // Only the newest level of a participant's stream matters: one still waiting is replaced.
    // Other participants' levels wait with it, each icon follows its own.
    const QString key = (mic ? QLatin1Char('m') : QLatin1Char('c')) + peerId;
    if (const auto at = pendingLevelAt.constFind(key); at != pendingLevelAt.cend()) {
        pendingLevels[*at].volume = volume;
    } else {
        pendingLevelAt.insert(key, pendingLevels.size());
        pendingLevels.push_back({peerId, mic, volume});
    }
    if (std::exchange(levelsQueued, true))
        return;
    QPointer<VeskMeetingManager> self(q);
    levelQueue->addOperation([self, round = levelRound] {
        MainQueue::async([self, round] {
            if (self)
                self->d->showLevels(round);
        });
    });
}

void VeskMeetingManager::Private::showLevels(quint64 round)
{
    if (round != levelRound)
        return;
    levelsQueued = false;
    const std::vector<PendingLevel> levels = std::exchange(pendingLevels, {});
    pendingLevelAt.clear();
    for (const PendingLevel &level : levels) {
        const auto m = members.value(level.peerId);
        if (!m)
            continue;
        if (level.mic)
            m->setSoundStrength(float(level.volume));
        else
            m->setCustomSoundStrength(float(level.volume));
    }
}

// --- screen sharing ---------------------------------------------------------------------------

QList<DesktopCaptureSnapshotModel> VeskMeetingManager::fetchDesktopScreenSnapshots() const
{
    QList<DesktopCaptureSnapshotModel> out;
    if (!d->engine)
        return out;
    const QList<KRTCDesktopSource> sources = d->engine->screenSources(kSnapshotSize);
    for (qsizetype i = 0; i < sources.size(); ++i) {
        DesktopCaptureSnapshotModel model;
        model.type = DesktopCaptureSnapshotModel::Screen;
        model.id = sources[i].sourceId;
        model.title = QStringLiteral("桌面 %1").arg(i + 1);
        model.image = sources[i].snapshot;
        out.append(model);
    }
    return out;
}

QList<DesktopCaptureSnapshotModel> VeskMeetingManager::fetchDesktopWidowSnapshots() const
{
    QList<DesktopCaptureSnapshotModel> out;
    if (!d->engine)
        return out;
    for (const KRTCDesktopSource &source : d->engine->windowSources(kSnapshotSize)) {
        DesktopCaptureSnapshotModel model;
        model.type = DesktopCaptureSnapshotModel::Window;
        model.id = source.sourceId;
        model.title = source.title;
        model.pid = int(source.ownerPid);
        model.image = source.snapshot;
        model.iconImage = source.icon;
        out.append(model);
    }
    return out;
}

VeskMeetingManager::DesktopShareResult
VeskMeetingManager::startDesktopShare(const DesktopCaptureSnapshotModel &candidate)
{
    if (!d->engine || !d->roomInfo || d->state != StateInRoom)
        return DesktopShareResult::NotInRoom;
    const int level = d->roomInfo->streamLevel;
    // A room without video (level 0) has no share size: refused, nothing started.
    if (level <= 0) {
        qCWarning(lcMeetingManager) << "screen share refused: the room has no video level";
        return DesktopShareResult::NoStreamLevel;
    }
    KRTCScreenOption option;
    option.setM_ScreenOrWindowId(candidate.id);
    option.setM_eType(candidate.type == DesktopCaptureSnapshotModel::Window ? KRTCScreenOption::TypeWindow
                                                                            : KRTCScreenOption::TypeScreen);
    const QSize size = KRTCScreenOption::sizeForStreamLevel(level);
    if (size.isValid()) {
        option.setM_nWidth(size.width());
        option.setM_nHeight(size.height());
    }
    option.setM_nMaxVideoBW(5000000);
    option.setM_eVideoEncodeQuality(33);
    option.setM_nNumSpatialLayers(1);
    option.setM_reconnectRecoverScreen(true);
    option.setM_nFPS(15);
    const int result = d->engine->startScreenSharing(option);
    // The portal's dialog first: the share is the user's once it runs (engineStream).
    d->ownSharePending = result == KRTCShareStart::Pending;
    if (d->ownSharePending)
        return DesktopShareResult::Pending;
    if (result != 0) {
        qCWarning(lcMeetingManager) << "engine refused the screen share" << result;
        return DesktopShareResult::EngineRefused;
    }
    onMemberConfigChange(d->ownPeerId(), QStringLiteral("share"), 1);
    return DesktopShareResult::Started;
}

void VeskMeetingManager::stopDesktopShare()
{
    d->ownSharePending = false;
    if (!d->engine)
        return;
    d->engine->stopScreenSharing();
    onMemberConfigChange(d->ownPeerId(), QStringLiteral("share"), 0);
}
