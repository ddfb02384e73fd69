#include "meeting/sharing/MeetingSharing.h"
#include "uikit/KVDataText.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/KVClock.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/sharing/AvFileShare.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QScrollArea>
#include <QWidget>

#include <chrono>

using namespace std::chrono_literals;

MeetingSharing::MeetingSharing(Views views, WindowCalls window) : m_ui(views), m_window(std::move(window))
{
    m_av = new AvFileShare(*this, views.avFile, AvFileShare::WindowCalls{m_window.avFileShareSource});
}

void MeetingSharing::installAvFileShareServices(std::shared_ptr<AvFileShareServices> services)
{
    m_av->setServices(std::move(services));
}

MeetingSharing::~MeetingSharing() = default;

void MeetingSharing::prepareShareDisplay(const MeetingInfoModel &room, const QString &myPhoneNumber)
{
    m_av->connectUi();
    VeskMeetingManager *manager = MeetingCurrent::manager();
    m_state.fileShareFlowLayout = QSizeF(1380, 800);
    m_state.currentPageNum = 0;
    // A share already running when the window opens.
    const MeetingWindowRules::ShareRestore restore = MeetingWindowRules::shareRestore(room, myPhoneNumber);
    if (restore.document) {
        m_state.fileShareDatailModel = std::make_shared<FileShareDatailModel>();
        m_state.fileShareDatailModel->fileId = room.sharedFileResp.fileId;
        m_state.fileShareDatailModel->setUserCanControl(restore.userCanControl);
        queryFileShareList(1);
    } else if (restore.audioVideo) {
        const AVFileSharedResp &resp = room.sharedAudVidResp;
        auto model = std::make_shared<FileShareModel>();
        model->fileId = resp.fileId;
        model->fileName = resp.fileName;
        model->duration = resp.duration;
        model->userId = resp.userId;
        model->userName = resp.userName;
        model->fileType = restore.fileType;
        model->setUserCanControl(restore.userCanControl);
        m_av->setAvFileShareModel(model);
        if (restore.selfAVFileSharing && manager)
            manager->setSelfAVFileSharing(true);
        m_state.avFileSharePlaying = restore.avFileSharePlaying;
        m_av->setAvFileSharePlayTimerCount(0);
        setFileShareMode(2);
        m_ui.audioAnimationBKView->setVisible(!restore.audioAnimationHidden);
    } else {
        m_state.fileShareMode = 0;
    }
}

// ---- Sharing operations ----------------------------------------------------------------------------------
// The bodies come with the sharing work; until then they do nothing.

void MeetingSharing::queryFileShareList(int) {}
void MeetingSharing::queryAllShareFileInfo() {}
void MeetingSharing::setFileShareMode(int mode)
{
    m_state.fileShareMode = mode;
    const bool share = mode >= 1 && mode <= 3;
    if (m_ui.scrollView)
        m_ui.scrollView->setVisible(!share);
    for (QWidget *view : {m_ui.shareShowBKView.data(), m_ui.fileSharePanelBKView.data()})
        if (view)
            view->setVisible(share);
    m_av->applyLayout(mode);
}
void MeetingSharing::setCurrentPageNum(int) {}
void MeetingSharing::scrollToItemAtIndex(int) {}
void MeetingSharing::scrollToPosition(double) {}
void MeetingSharing::leftFlipOverAction(QObject *) {}
void MeetingSharing::rightFlipOverAction(QObject *) {}
bool MeetingSharing::fileShareDisplayEnableScroll()
{
    return false;
}
void MeetingSharing::scrollViewDidScroll() {}
void MeetingSharing::shareSelectPanelSwitchFile(const Notification &) {}

// ---- The shared audio/video file: AvFileShare's --------------------------------------------------------

void MeetingSharing::avFileShareRecvStream(const QString &peerId)
{
    m_av->avFileShareRecvStream(peerId);
}
void MeetingSharing::startAVFileShareTimer()
{
    m_av->startAVFileShareTimer();
}
void MeetingSharing::resumeAVFileShareTimer()
{
    m_av->resumeAVFileShareTimer();
}
void MeetingSharing::pauseAVFileShareTimer()
{
    m_av->pauseAVFileShareTimer();
}
void MeetingSharing::stopAVFileShareTimer(bool keepAnimation)
{
    m_av->stopAVFileShareTimer(keepAnimation);
}
qint64 MeetingSharing::avFileSharePlayTimerCount() const
{
    return m_av->avFileSharePlayTimerCount();
}
void MeetingSharing::setAvFileSharePlayTimerCount(qint64 seconds)
{
    m_av->setAvFileSharePlayTimerCount(seconds);
}
bool MeetingSharing::avFileSharePlaySliderTracking() const
{
    return m_av->avFileSharePlaySliderTracking();
}
void MeetingSharing::setAvFileSharePlaySliderTracking(bool tracking)
{
    m_av->setAvFileSharePlaySliderTracking(tracking);
}
void MeetingSharing::takeFramePosition(qint64 seconds)
{
    m_av->takeFramePosition(seconds);
}
void MeetingSharing::sliderStartTracking(const Notification &notification)
{
    m_av->sliderStartTracking(notification);
}
void MeetingSharing::sliderStopTracking(const Notification &notification)
{
    m_av->sliderStopTracking(notification);
}
void MeetingSharing::addAudioRotationAnimationView()
{
    m_av->addAudioRotationAnimationView();
}

// ---- What control commands do to the share display ----------------------------------------------------

namespace {
std::shared_ptr<FileShareDatailModel> documentFrom(const MeetingControlData &data)
{
    auto model = std::make_shared<FileShareDatailModel>();
    model->fileId = data.fileId;
    model->sliceCount = data.sliceCount;
    model->sliceInfo = data.sliceInfo;
    model->userId = data.peerId;
    model->userName = data.peerName;
    return model;
}
} // namespace

void MeetingSharing::applyDocumentShare(const MeetingControlData &data)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (data.sharedFileStatus == 1) {
        auto model = documentFrom(data);
        model->enableUserList = data.enableUserList;
        model->enableOperationFileStatus = data.enableOperationFileStatus;
        m_state.fileShareDatailModel = model;
        m_state.fileShareFlipOverReceiveSequenceId = data.sequenceId;
        queryFileShareList(2);
        return;
    }
    const bool selfSharing = manager && manager->selfFileSharing();
    if (!selfSharing && m_state.fileShareDatailModel)
        VeskToast::showToast(
            QStringLiteral("%1的共享已结束").arg(KVDataText::isolated(m_state.fileShareDatailModel->userName)));
    m_state.fileShareFlipOverReceiveSequenceId = 0;
    m_state.fileShareDatailModel = std::make_shared<FileShareDatailModel>();
    setFileShareMode(0);
    if (m_ui.fileShareCollectionView)
        m_ui.fileShareCollectionView->update();
    if (m_ui.verticalShowCollectionView)
        m_ui.verticalShowCollectionView->update();
    if (m_window.reloadMembers)
        m_window.reloadMembers();
    if (selfSharing)
        stopScreenShare(true);
}

void MeetingSharing::applyDocumentSwitch(const MeetingControlData &data)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (manager && manager->selfFileSharing())
        stopScreenShare(true);
    m_state.fileShareDatailModel = documentFrom(data);
    m_state.fileShareFlipOverReceiveSequenceId = data.sequenceId;
    queryFileShareList(2);
}

void MeetingSharing::applyDocumentFollow(const MeetingControlData &data)
{
    if (!MeetingHostControlRules::followApplies(data.sequenceId, m_state.fileShareFlipOverReceiveSequenceId,
                                                m_state.fileShareFlipOverSendSequenceId))
        return;
    m_state.fileShareFlipOverReceiveSequenceId = data.sequenceId;
    m_state.flipOverDuration = true;
    if (data.flipOverType == 1) {
        scrollToPosition(data.offsetScale);
    } else if (data.flipOverType == 0 && m_state.fileShareDatailModel) {
        if (const auto index =
                MeetingHostControlRules::pageIndexForSlice(m_state.fileShareDatailModel->sliceInfo, data.sliceId)) {
            setCurrentPageNum(*index);
            scrollToItemAtIndex(*index);
        }
    }
    // The flip being applied is not sent back; the end of it is one short step later.
    KVTimer::singleShot(this, 100ms, [this] { m_state.flipOverDuration = false; });
}

void MeetingSharing::applySharePermission(MeetingControlData data)
{
    if (const auto room = MeetingCurrent::room()) {
        room->allowFileShared = data.allowFileShared != 0;
        room->sharePermission = data.sharePermission;
    }
    VeskMeetingManager *manager = MeetingCurrent::manager();
    const bool sharing =
        manager && (manager->selfScreenOrWindowSharing() || manager->selfFileSharing() || manager->selfAVFileSharing());
    if (data.allowFileShared == 0 && sharing) {
        data.peerId = VeskAppAgent::sharedInstance()->myInfo().phoneNumber;
        data.switchStatus = 0;
        controlScreenShareWithData(data);
    }
    if (m_state.fileShareSpeedSwicthPanelBottom && m_state.fileShareSpeedSwicthPanelBottom->parentWidget())
        MeetingPanels::invokeIfOffered(m_state.fileShareSpeedSwicthPanelBottom, "refreshSharePermissionUI()",
                                       "refreshSharePermissionUI");
}

void MeetingSharing::applySharePermissionList(const MeetingControlData &data)
{
    if (const auto room = MeetingCurrent::room())
        room->sharePermission = data.sharePermission;
    querySharePermission();
    if (m_state.fileShareSpeedSwicthPanelBottom && m_state.fileShareSpeedSwicthPanelBottom->parentWidget())
        MeetingPanels::invokeIfOffered(m_state.fileShareSpeedSwicthPanelBottom, "refreshSharePermissionUI()",
                                       "refreshSharePermissionUI");
}

void MeetingSharing::applyFileRights(const MeetingControlData &data)
{
    using MeetingHostControlRules::RightsTarget;
    const RightsTarget target = MeetingHostControlRules::rightsTarget(
        m_state.fileShareMode, data.fileId,
        m_state.fileShareDatailModel ? m_state.fileShareDatailModel->fileId : QString(),
        m_state.avFileShareModel ? m_state.avFileShareModel->fileId : QString());
    if (target == RightsTarget::Document) {
        m_state.fileShareDatailModel->enableOperationFileStatus = data.enableOperationFileStatus;
        m_state.fileShareDatailModel->enableUserList = data.enableUserList;
    } else if (target == RightsTarget::AVFile) {
        m_state.avFileShareModel->enableOperationFileStatus = data.enableOperationFileStatus;
        m_state.avFileShareModel->enableUserList = data.enableUserList;
    }
}

void MeetingSharing::applyPlaybackResync(const MeetingControlData &data)
{
    if (!m_state.avFileShareModel || data.fileId != m_state.avFileShareModel->fileId ||
        m_state.avFileShareModel->fileType != FileShareType::Audio || avFileSharePlaySliderTracking())
        return;
    setAvFileSharePlayTimerCount(data.duration);
    if (m_ui.avFileSharePlayButton && m_ui.avFileSharePlayButton->state() == 0)
        startAVFileShareTimer();
}

// The play button shows what a click would do: pause (0) while playing, play (1) otherwise.
void MeetingSharing::setPlaying(bool playing)
{
    m_state.avFileSharePlaying = playing;
    if (m_ui.avFileSharePlayButton)
        m_ui.avFileSharePlayButton->setState(playing ? 0 : 1);
}

void MeetingSharing::applyPlaybackStarted()
{
    setPlaying(true);
    startAVFileShareTimer();
}

void MeetingSharing::applyPlaybackResumed()
{
    setPlaying(true);
    resumeAVFileShareTimer();
}

void MeetingSharing::applyPlaybackPaused()
{
    setPlaying(false);
    pauseAVFileShareTimer();
}

void MeetingSharing::applyPlaybackSeek(const MeetingControlData &data)
{
    if (!m_ui.avFileShareSliderBKView || m_ui.avFileShareSliderBKView->isHidden())
        return;
    pauseAVFileShareTimer();
    setAvFileSharePlayTimerCount(MeetingHostControlRules::seekSeconds(data.seekPosition));
    if (m_state.avFileSharePlaying)
        resumeAVFileShareTimer();
}

void MeetingSharing::applyPlaybackEnded()
{
    if (m_ui.avFileSharePlayButton)
        m_ui.avFileSharePlayButton->setState(1);
    pauseAVFileShareTimer();
    if (m_state.avFileShareModel)
        setAvFileSharePlayTimerCount(m_state.avFileShareModel->duration);
}

void MeetingSharing::applyFileShareStopped()
{
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->setSelfAVFileSharing(false);
    m_state.avFileSharePlaying = false;
    setFileShareMode(0);
    if (m_ui.avFileSharePlayButton)
        m_ui.avFileSharePlayButton->setState(1);
    stopAVFileShareTimer(false);
    if (m_window.reloadMembers)
        m_window.reloadMembers();
}

void MeetingSharing::applyFileShareStarted(const MeetingControlData &data)
{
    auto model = std::make_shared<FileShareModel>();
    model->fileId = data.fileId;
    model->fileName = data.fileName;
    model->duration = data.duration;
    model->userId = data.peerId;
    model->userName = data.peerName;
    model->fileType = QString::number(data.fileType);
    model->enableUserList = data.enableUserList;
    model->enableOperationFileStatus = data.enableOperationFileStatus;
    m_av->setAvFileShareModel(model);
    m_state.avFileSharePlaying = true;
    setAvFileSharePlayTimerCount(0);
    setFileShareMode(2);
    if (m_ui.audioAnimationBKView)
        m_ui.audioAnimationBKView->setVisible(data.fileType == 3);
    if (m_window.showToolBars)
        m_window.showToolBars();
}
