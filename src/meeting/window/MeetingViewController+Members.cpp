// The member pipeline, the video grid and its tiles, visible-tile subscription, full screen.

#include "meeting/window/MeetingViewController.h"

#include "meeting/panels/SettingPagePanel.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/AssistantRecords.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/MemberListViewController.h"
#include "meeting/window/FloatingMediaView.h"
#include "meeting/window/grid/FileSharePageSize.h"
#include "meeting/window/grid/GridWindowRules.h"
#include "meeting/window/grid/MemberPipeline.h"
#include "meeting/window/grid/VerticalShowCollection.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "meeting/window/grid/VideoCollectionViewItemDelegate.h"
#include "meeting/window/grid/VisibleTileSubscription.h"
#include "meeting/window/grid/WindowStateWatcher.h"
#include "uikit/AutoLayout.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

struct MeetingViewController::PendingMemberChange {
    MemberPipeline::Result result;
};

namespace {

VeskMeetingManager *meetingManager()
{
    return VeskAppAgent::sharedInstance()->meetingManager();
}

// The tiles' delegate calls reach the controller while it lives.
class TileDelegate final : public VideoCollectionViewItemDelegate {
public:
    explicit TileDelegate(MeetingViewController *controller) : m_controller(controller) {}
    void fullScreenWithModel(const std::shared_ptr<MeetingActiveModel> &model) override
    {
        if (m_controller)
            m_controller->fullScreenWithModel(model);
    }

private:
    QPointer<MeetingViewController> m_controller;
};

// Everything the pipeline reads besides the list, taken on the main thread.
MemberPipeline::Input pipelineInput(const MeetingMemberList &members,
                                    const QMap<QString, MeetingMemberShareStatusModel> &sharePermissionInfo)
{
    MemberPipeline::Input in;
    in.members = members;
    in.sharePermissionInfo = sharePermissionInfo;
    if (VeskMeetingManager *manager = meetingManager()) {
        if (const auto room = manager->roomInfo()) {
            in.sharePermission = room->sharePermission;
            in.creatorId = room->creatorId;
        }
        in.assistantIds = AssistantRecords::plainIds(manager->asssitantRecordArray());
    }
    return in;
}

QSizeF mainScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? QSizeF(screen->geometry().size()) : QSizeF();
}

} // namespace

VideoCollectionView *MeetingViewController::videoGrid() const
{
    return m_members.videoGrid.data();
}

// ---------------------------------------------------------------------------------------------
// Member change pipeline
// ---------------------------------------------------------------------------------------------

void MeetingViewController::onMemberChange(const MeetingMemberList &members)
{
    // The inputs are read here, on the main thread; the queue only computes, and the result comes
    // back to the main thread where every field is set in one step. One operation at a time and
    // a FIFO main queue keep the lists in arrival order.
    m_members.receivedMembers = members;
    const MemberPipeline::Input in = pipelineInput(members, m_members.sharePermissionInfo);
    QPointer<MeetingViewController> weak(this);
    auto op = [weak, in] {
        auto change = std::make_shared<PendingMemberChange>();
        change->result = MemberPipeline::build(in);
        MainQueue::async([weak, change] {
            if (weak)
                weak->applyMemberChange(change);
        });
    };
    if (m_members.serialOperationQueue)
        m_members.serialOperationQueue->addOperation(std::move(op));
    else
        op();
}

void MeetingViewController::onMemberChangeInter(const MeetingMemberList &members)
{
    auto change = std::make_shared<PendingMemberChange>();
    change->result = MemberPipeline::build(pipelineInput(members, m_members.sharePermissionInfo));
    applyMemberChange(change);
}

void MeetingViewController::applyMemberChange(const std::shared_ptr<const PendingMemberChange> &change)
{
    if (m_lifetime.meetingEnded || !change)
        return;
    const MemberPipeline::Result &r = change->result;
    VeskMeetingManager *manager = meetingManager();

    m_members.allMembers = r.allMembers;
    for (qsizetype i = 0; i < r.allMembers.size() && i < r.sharePermission.size(); ++i) {
        if (r.allMembers.at(i) && r.sharePermission.at(i))
            r.allMembers.at(i)->setAllowSharePermissionFlag(*r.sharePermission.at(i));
    }
    if (manager)
        manager->setDidOtherOpenCamera(r.didOtherOpenCamera);

    // The member count badge.
    if (ui->memberLabel) {
        ui->memberLabel->setText(QString::number(r.allMembers.size()));
        ui->memberLabel->setVisible(!r.allMembers.isEmpty());
    }
    if (ui->memberListBtn) {
        // The badge is only seen: the button's name carries the count to a screen reader.
        const QString name =
            r.allMembers.isEmpty() ? QStringLiteral("成员") : QStringLiteral("成员 %1人").arg(r.allMembers.size());
        ui->memberListBtn->setAccessibleName(name);
    }
    // A remote screen share leaves the grid for its own view, with the strip beside it.
    const bool screenFound = bool(r.screenShareSource);
    setScreenShareSourceModel(r.screenShareSource);
    if (screenFound) {
        if (ui->verticalShowCollectionView)
            ui->verticalShowCollectionView->show();
        if (ui->verticalShowScrollView)
            ui->verticalShowScrollView->show();
        if (ui->screenShareRenderView)
            ui->screenShareRenderView->show();
    } else {
        if (ui->screenShareRenderView)
            ui->screenShareRenderView->hide();
        if (m_sharing->state().fileShareMode == 0) {
            if (ui->verticalShowCollectionView)
                ui->verticalShowCollectionView->hide();
            if (ui->verticalShowScrollView)
                ui->verticalShowScrollView->hide();
        }
    }
    // A remote audio/video file share likewise; its end is announced once.
    if (r.avFileShareSource) {
        setAvFileShareSourceModel(r.avFileShareSource);
    } else {
        const QString text = MemberPipeline::shareEndedAnnouncement(m_members.avFileShareSourceModel, false,
                                                                    manager && manager->selfAVFileSharing());
        if (!text.isEmpty())
            VeskToast::showToast(text);
        setAvFileShareSourceModel(Tile());
    }
    setActiveMembers(r.activeMembers);
    // An open settings page's monitor lists follow the tiles; the floating strip (made by the
    // share) gets them here.
    m_panels->panel<SettingPagePanel>().membersChanged();
    switch (MemberPipeline::displayFor(manager && manager->selfScreenOrWindowSharing(),
                                       m_sharing->state().fileShareMode, screenFound)) {
    case MemberPipeline::Display::FloatingStrip:
        if (auto *strip = qobject_cast<FloatingMediaView *>(m_sharing->floatingMediaView()))
            strip->setActiveMembers(m_members.activeMembers);
        break;
    case MemberPipeline::Display::Grid:
        reloadVideoCollectionView();
        break;
    case MemberPipeline::Display::ShareViews:
        if (m_sharing->state().fileShareMode == 2)
            placeShareVideoView(ui->avFileShareRenderView, m_members.avFileShareSourceModel);
        if (screenFound)
            placeShareVideoView(ui->screenShareRenderView, m_members.screenShareSourceModel);
        refreshVerticalShowCollectionViewWidth();
        break;
    }
    if (ui->noPeopleTipView)
        ui->noPeopleTipView->setVisible(m_members.activeMembers.isEmpty());
    memberListViewController()->updateMembers(m_members.allMembers);
}

void MeetingViewController::placeShareVideoView(QWidget *renderView, const Tile &source)
{
    if (!renderView)
        return;
    // The engine views belong to the participants: detached, never deleted here.
    for (KRTCVideoView *old : renderView->findChildren<KRTCVideoView *>(Qt::FindDirectChildrenOnly)) {
        AutoLayout::removeConstraints(old);
        old->hide();
        old->setParent(nullptr);
    }
    KRTCVideoView *video = source ? source->videoView() : nullptr;
    if (!video || video == renderView)
        return;
    video->setParent(renderView);
    video->lower();
    AutoLayout::autoPinEdgesToSuperviewEdgesWithInsets(video);
    video->setGeometry(renderView->rect());
    video->show();
}

void MeetingViewController::refreshVerticalShowCollectionViewWidth()
{
    const double target = MemberPipeline::verticalStripWidth(m_members.activeMembers.size(), m_geometry.adjustScale);
    if (m_members.stripWidthAnimation) {
        m_members.stripWidthAnimation->invalidate();
        m_members.stripWidthAnimation->deleteLater();
    }
    if (ui->verticalShowCollectionViewWidthConstraint) {
        // 0.3 s in ten steps on the project clock.
        QPointer<KVLayoutConstraint> constraint = ui->verticalShowCollectionViewWidthConstraint;
        const double start = constraint->constant();
        auto step = std::make_shared<int>(0);
        if (start == target) {
            constraint->setConstant(target);
        } else {
            m_members.stripWidthAnimation =
                KVTimer::repeating(this, std::chrono::milliseconds(30), [this, constraint, start, target, step] {
                    ++*step;
                    if (constraint)
                        constraint->setConstant(start + (target - start) * std::min(1.0, *step / 10.0));
                    if (*step >= 10 && m_members.stripWidthAnimation) {
                        m_members.stripWidthAnimation->invalidate();
                        m_members.stripWidthAnimation->deleteLater();
                    }
                });
        }
    }
    reloadVerticalShowCollectionView();
}

void MeetingViewController::reloadVerticalShowCollectionView()
{
    if (!ui->verticalShowCollectionView)
        return;
    const QSizeF itemSize = ui->verticalShowCollectionView->property("itemSize").toSizeF();
    VerticalShowCollection::reload(ui->verticalShowCollectionView, m_members.activeMembers,
                                   bool(m_members.screenShareSourceModel) || m_sharing->state().fileShareMode != 0,
                                   itemSize.isEmpty() ? QSizeF(214 * m_geometry.adjustScale, 120) : itemSize);
}

void MeetingViewController::needUpdateUIFitAssistantChange()
{
    // Delegate calls come on the main thread (the manager's contract), so no lock is needed.
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    if (!manager)
        return;
    const VeskUserModel &me = agent->myInfo();
    manager->setAsssitantHost(AssistantRecords::contains(manager->asssitantRecordArray(), me.phoneNumber, me.userId));
    const MeetingSharing::State &share = m_sharing->state();
    // The document's controls follow the new rights.
    if (share.fileShareMode == 0) {
        if (ui->leftFlipOverButton)
            ui->leftFlipOverButton->hide();
        if (ui->rightFlipOverButton)
            ui->rightFlipOverButton->hide();
        if (ui->fileShareScrollView)
            ui->fileShareScrollView->setEnableScroll(false);
        if (ui->finishShareBtn)
            ui->finishShareBtn->hide();
    } else if (share.fileShareMode == 1 && share.fileShareDatailModel && share.fileShareDatailModel->userCanControl()) {
        if (ui->leftFlipOverButton)
            ui->leftFlipOverButton->setVisible(share.currentPageNum != 0);
        if (ui->rightFlipOverButton)
            ui->rightFlipOverButton->setVisible(share.currentPageNum + 1 !=
                                                share.fileShareDatailModel->sliceInfo.size());
        if (ui->fileShareScrollView)
            ui->fileShareScrollView->setEnableScroll(m_sharing->fileShareDisplayEnableScroll());
        if (ui->finishShareBtn)
            ui->finishShareBtn->show();
    }
    memberListViewController()->updateMembers(m_members.allMembers);
    m_sharing->setFileShareMode(share.fileShareMode);
    needChangeImAllowDisplay();
    const bool privileged = me.isHost() || manager->asssitantHost();
    if (privileged && (share.fileShareMode == 1 || share.fileShareMode == 2))
        m_sharing->startAVFileShareTimer();
    else
        m_sharing->stopAVFileShareTimer(true);
    // A new assistant host sees the host's applications panel at once.
    if (auto *applications = qobject_cast<ApplicationView *>(m_panels->state().applicationView.data());
        applications && applications->parentWidget())
        applications->layoutSelfWithView(ui->applicationBtn);
    m_sharing->querySharePermission();
}

void MeetingViewController::needUpdateUIFitMetaMemberChange()
{
    memberListViewController()->updateMembers(m_members.allMembers);
}

void MeetingViewController::requireAssistantinfo()
{
    // The manager asks, and asks again after a late or failed answer; an answer for a meeting this
    // window has left belongs to no meeting the manager holds now.
    VeskMeetingManager *manager = meetingManager();
    if (manager && !m_lifetime.meetingEnded)
        manager->requireAssistantInfo();
}

// ---------------------------------------------------------------------------------------------
// Video grid
// ---------------------------------------------------------------------------------------------

void MeetingViewController::setupVideoGridViews()
{
    if (m_members.videoGrid || !ui->scrollView)
        return;
    if (!m_members.tileDelegate)
        m_members.tileDelegate = std::make_shared<TileDelegate>(this);
    // The build's placeholder document holds the participants' views: give them back first.
    if (QWidget *old = ui->scrollView->takeWidget()) {
        for (KRTCVideoView *v : old->findChildren<KRTCVideoView *>()) {
            v->hide();
            v->setParent(nullptr);
        }
        delete old;
    }
    auto *grid = new VideoCollectionView(ui->scrollView);
    grid->setDelegate(m_members.tileDelegate.get());
    m_members.videoGrid = grid;
    ui->videoCollectionView = grid;
    connect(grid, &VideoCollectionView::visibleAreaChanged, this, [this] { checkCellPositionAction(); });
    // The window tells the grid about full screen and live resizes.
    if (isViewLoaded()) {
        auto *watcher = new WindowStateWatcher(view(), this);
        watcher->willEnterFullScreen = [this] { windowWillEnterFullScreen(); };
        watcher->didExitFullScreen = [this] { windowDidExitFullScreen(); };
        watcher->willResize = [this](const QSize &size) { windowWillResize(size); };
    }
}

void MeetingViewController::reloadVideoCollectionView()
{
    setupVideoGridViews();
    if (m_members.videoGrid)
        m_members.videoGrid->reloadData(m_members.activeMembers);
    if (ui->noPeopleTipView)
        ui->noPeopleTipView->setVisible(m_members.activeMembers.isEmpty());
}

QSizeF MeetingViewController::fileSharePageSize()
{
    FileSharePageSize::Input in;
    in.fullScreen = m_geometry.inFullScreenMode;
    // The strip is on show from the start of a share, while its width still slides in from 0.
    in.stripShown = (ui->verticalShowCollectionViewWidthConstraint &&
                     ui->verticalShowCollectionViewWidthConstraint->constant() != 0) ||
                    (ui->verticalShowScrollView && !ui->verticalShowScrollView->isHidden());
    in.mainScreenSize = mainScreenSize();
    in.windowContentSize = m_geometry.windowContentFrame.size();
    in.adjustScale = m_geometry.adjustScale;
    in.verticalScroll = true;
    in.displayEnableScroll = m_sharing->state().fileShareDatailModel && m_sharing->fileShareDisplayEnableScroll();
    if (m_sharing->state().fileShareDatailModel) {
        for (const FileSliceModel &slice : std::as_const(m_sharing->state().fileShareDatailModel->sliceInfo))
            in.slices.append({double(slice.picWidth), double(slice.picHeight)});
    }
    m_geometry.item_size = FileSharePageSize::itemSize(in);
    return m_geometry.item_size;
}

void MeetingViewController::setFullScreenSize()
{
    // The window manager gives a full-screen window the whole screen. A minimum size of the
    // screen's, set on the way in, made it undo the full-screen state and leave a screen-sized
    // window half off the screen.
    m_geometry.inFullScreenMode = true;
    updateUIWithFullScreen(true);
}

void MeetingViewController::setNormalSize()
{
    QWidget *w = window();
    if (w && w != view()) {
        w->setMinimumSize(QSize(int(GridWindowRules::kNormalMinWidth), int(GridWindowRules::kNormalMinHeight)));
        if (!w->isFullScreen() && !w->isMaximized() && !m_geometry.windowContentFrame.isEmpty())
            w->resize(m_geometry.windowContentFrame.size().toSize());
    }
    updateUIWithFullScreen(false);
}

void MeetingViewController::updateUIWithFullScreen(bool fullScreen)
{
    m_geometry.inFullScreenMode = fullScreen;
    if (ui->fullScreenBtn) {
        // The button says what it will do.
        const QString action = fullScreen ? QStringLiteral("退出全屏") : QStringLiteral("全屏");
        ui->fullScreenBtn->setAccessibleName(action);
        ui->fullScreenBtn->setToolTip(action);
    }
    if (!m_sharing->state().avFileShareModel && !m_members.screenShareSourceModel &&
        !m_sharing->state().fileShareDatailModel) {
        if (m_members.videoGrid)
            m_members.videoGrid->relayout();
    } else {
        reloadVerticalShowCollectionView();
        if (m_sharing->state().fileShareDatailModel) {
            fileSharePageSize();
            if (ui->fileShareScrollView && !m_sharing->fileShareDisplayEnableScroll())
                m_sharing->scrollToItemAtIndex(m_sharing->state().currentPageNum);
        }
    }
    m_geometry.adjustScale = GridWindowRules::adjustScale(fullScreen, m_geometry.windowContentFrame.width());
    adjustImInputViewWidth();
    // The panel windows follow the scale, whole on the screen that holds the meeting window.
    QWidget *meeting = window();
    const bool ownWindow = meeting && meeting != view();
    const QRect screenArea = ownWindow && meeting->screen() ? meeting->screen()->availableGeometry() : QRect();
    if (!fullScreen && m_panels->state().memberWindow && m_panels->state().memberWindow->window()) {
        QWidget *member = m_panels->state().memberWindow->window();
        const QRect meetingFrame = ownWindow ? meeting->frameGeometry() : QRect();
        if (const auto placed = GridWindowRules::memberWindowBeside(member->geometry(), member->maximumHeight(),
                                                                    meetingFrame, m_geometry.adjustScale, screenArea)) {
            member->setMinimumSize(placed->size());
            member->setMaximumSize(placed->size());
            member->setGeometry(*placed);
        }
    }
    if (m_panels->state().transcriptionWindow && m_panels->state().transcriptionWindow->window()) {
        QWidget *transcription = m_panels->state().transcriptionWindow->window();
        if (const auto placed = GridWindowRules::transcriptionWindowAtScale(transcription->geometry(),
                                                                            m_geometry.adjustScale, screenArea))
            transcription->setGeometry(*placed);
    }
    refreshVerticalCollectionViewLayout();
    refreshVerticalShowCollectionViewWidth();
}

void MeetingViewController::fullScreenWithModel(const Tile &)
{
    // A grid tile's full-screen button has no effect in this window.
}

void MeetingViewController::windowWillEnterFullScreen()
{
    setFullScreenSize();
}

void MeetingViewController::windowDidExitFullScreen()
{
    setNormalSize();
    QWidget *w = window();
    if (w && w != view())
        vesk::veskCenter(w);
}

void MeetingViewController::windowWillResize(const QSize &size)
{
    // Full screen never changes the remembered windowed size.
    if (m_geometry.inFullScreenMode)
        return;
    m_geometry.windowContentFrame = QRectF(m_geometry.windowContentFrame.topLeft(), QSizeF(size));
    updateUIWithFullScreen(false);
}

// ---------------------------------------------------------------------------------------------
// Visible-tile subscription
// ---------------------------------------------------------------------------------------------

void MeetingViewController::scrollViewScrollAction()
{
    checkCellPositionAction();
}

void MeetingViewController::checkCellPositionAction()
{
    if (!m_members.videoGrid || m_lifetime.meetingEnded)
        return;
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    if (!manager)
        return;
    // The grid's own entries with its own frames: while a share shows, the grid is not reloaded
    // and activeMembers may already hold other tiles, which the old frames do not describe.
    QList<VisibleTileSubscription::TilePlacement> placements;
    const QList<Tile> &tiles = m_members.videoGrid->tiles();
    const QList<QRectF> &frames = m_members.videoGrid->itemFrames();
    placements.reserve(tiles.size());
    for (qsizetype i = 0; i < tiles.size(); ++i)
        placements.append({tiles.at(i), i < frames.size() ? frames.at(i) : QRectF()});
    const auto calls = VisibleTileSubscription::check(placements, m_members.videoGrid->visibleRect(),
                                                      m_members.allMembers, agent->myInfo().userId);
    for (const VisibleTileSubscription::Call &call : calls) {
        if (call.kind == VisibleTileSubscription::Call::MuteVideo) {
            manager->muteVideo(call.userId, 1, call.enable);
        } else if (KRTCEngineOC *engine = manager->engine()) {
            engine->setPlayStreamVideoType(call.peerId, 1, call.videoType);
        }
    }
}

void MeetingViewController::ringringDisplay()
{
    const int mode = m_sharing->state().fileShareMode;
    if (mode == 1 || mode == 2)
        reloadVerticalShowCollectionView();
    else
        reloadVideoCollectionView();
}
