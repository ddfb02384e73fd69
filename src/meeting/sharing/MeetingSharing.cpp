#include "meeting/sharing/MeetingSharing.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/sharing/AvFileShare.h"
#include "meeting/sharing/FileShareDocument.h"
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
    m_document = new FileShareDocument(
        views.document, m_state,
        FileShareDocument::Calls{
            m_window.reloadMembers, m_window.fileSharePageSize, [this](bool force) { stopScreenShare(force); },
            [this](bool keepAnimation) { stopAVFileShareTimer(keepAnimation); }, m_window.hideOtherOverViews,
            m_window.openMemberList, [this] { querySharePermission(true); },
            [this] {
                if (m_control)
                    m_control->shareSelectPanel();
            },
            [this](std::function<void()> then) {
                if (m_control)
                    m_control->withShareLock(std::move(then));
                else
                    then();
            }},
        nullptr, this);
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
    m_document->buildViews();
    // A share already running when the window opens.
    const MeetingWindowRules::ShareRestore restore = MeetingWindowRules::shareRestore(room, myPhoneNumber);
    if (restore.document) {
        m_state.fileShareDatailModel = std::make_shared<FileShareDatailModel>();
        m_state.fileShareDatailModel->fileId = room.sharedFileResp.fileId;
        m_state.fileShareDatailModel->enableOperationFileStatus = FileShareRights::NotGiven;
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

void MeetingSharing::startFileShareFromAction(const FileShareDatailModel &model)
{
    m_document->startFileShareFromAction(model);
}
void MeetingSharing::queryFileShareList(int from)
{
    m_document->queryFileShareList(from);
}
void MeetingSharing::queryAllShareFileInfo()
{
    m_document->queryAllShareFileInfo();
}
void MeetingSharing::setFileShareMode(int mode)
{
    m_document->setFileShareMode(mode);
    m_av->applyLayout(mode);
}
void MeetingSharing::setCurrentPageNum(int page)
{
    m_document->setCurrentPageNum(page);
}
void MeetingSharing::scrollToItemAtIndex(int index)
{
    m_document->scrollToItemAtIndex(index);
}
void MeetingSharing::scrollToPosition(double position)
{
    m_document->scrollToPosition(position);
}
void MeetingSharing::leftFlipOverAction(QObject *sender)
{
    m_document->leftFlipOverAction(sender);
}
void MeetingSharing::rightFlipOverAction(QObject *sender)
{
    m_document->rightFlipOverAction(sender);
}
bool MeetingSharing::fileShareDisplayEnableScroll()
{
    return m_document->fileShareDisplayEnableScroll();
}
void MeetingSharing::scrollViewDidScroll()
{
    m_document->scrollViewDidScroll();
}
void MeetingSharing::shareSelectPanelSwitchFile(const Notification &notification)
{
    m_document->shareSelectPanelSwitchFile(notification.userInfo);
}

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

std::optional<MeetingHostControlRules::SharedFileOnShow>
MeetingSharing::sharedFileOnShow(MeetingHostControlRules::SharedFileKind kind, const QString &fileId) const
{
    using Kind = MeetingHostControlRules::SharedFileKind;
    const std::shared_ptr<FileShareDatailModel> &document = m_state.fileShareDatailModel;
    const std::shared_ptr<FileShareModel> &file = m_state.avFileShareModel;
    if (kind == Kind::Named) {
        const auto target = MeetingHostControlRules::rightsTarget(
            m_state.fileShareMode, fileId, document ? document->fileId : QString(), file ? file->fileId : QString());
        if (target == MeetingHostControlRules::RightsTarget::None)
            return std::nullopt;
        kind = target == MeetingHostControlRules::RightsTarget::Document ? Kind::Document : Kind::AVFile;
    }
    VeskMeetingManager *manager = MeetingCurrent::manager();
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    const QString me = agent ? agent->myInfo().phoneNumber : QString();
    if (kind == Kind::Document) {
        if (m_state.fileShareMode != 1 || !document || document->fileId.isEmpty())
            return std::nullopt;
        const bool mine = manager && manager->selfFileSharing();
        return MeetingHostControlRules::SharedFileOnShow{mine ? me : document->userId,
                                                         document->enableOperationFileStatus, document->enableUserList};
    }
    if (m_state.fileShareMode != 2 || !file || file->fileId.isEmpty())
        return std::nullopt;
    // The user's own file: its row names the uploader, who need not be the one sharing it.
    const bool mine = manager && manager->selfAVFileSharing();
    return MeetingHostControlRules::SharedFileOnShow{mine ? me : file->userId, file->enableOperationFileStatus,
                                                     file->enableUserList};
}

void MeetingSharing::applyDocumentShare(const MeetingControlData &data)
{
    m_document->applyDocumentShare(data);
}

void MeetingSharing::applyDocumentSwitch(const MeetingControlData &data)
{
    m_document->applyDocumentSwitch(data);
}

void MeetingSharing::applyDocumentFollow(const MeetingControlData &data)
{
    m_document->applyDocumentFollow(data);
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
    querySharePermission(true);
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
    // Played from its start (as after its end): frames from there would be too far from the
    // position shown to be taken.
    setAvFileSharePlayTimerCount(0);
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
