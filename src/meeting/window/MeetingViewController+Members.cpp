// The member pipeline, the video grid and its tiles, visible-tile subscription, full screen.

#include "meeting/window/MeetingViewController.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingHostModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/window/MeetingBottomButton.h"
#include "meeting/window/MeetingLog.h"
#include "meeting/window/grid/AssistantRecords.h"
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
    return m_videoGrid.data();
}

// ---------------------------------------------------------------------------------------------
// Member change pipeline
// ---------------------------------------------------------------------------------------------

void MeetingViewController::onMemberChange(const MeetingMemberList &members)
{
    // The inputs are read here, on the main thread; the queue only computes, and the result comes
    // back to the main thread where every field is set in one step. One operation at a time and
    // a FIFO main queue keep the lists in arrival order.
    const MemberPipeline::Input in = pipelineInput(members, m_sharePermissionInfo);
    QPointer<MeetingViewController> weak(this);
    auto op = [weak, in] {
        auto change = std::make_shared<PendingMemberChange>();
        change->result = MemberPipeline::build(in);
        MainQueue::async([weak, change] {
            if (weak)
                weak->applyMemberChange(change);
        });
    };
    if (m_serialOperationQueue)
        m_serialOperationQueue->addOperation(std::move(op));
    else
        op();
}

void MeetingViewController::onMemberChangeInter(const MeetingMemberList &members)
{
    auto change = std::make_shared<PendingMemberChange>();
    change->result = MemberPipeline::build(pipelineInput(members, m_sharePermissionInfo));
    applyMemberChange(change);
}

void MeetingViewController::applyMemberChange(const std::shared_ptr<const PendingMemberChange> &change)
{
    if (m_meetingEnded || !change)
        return;
    const MemberPipeline::Result &r = change->result;
    VeskMeetingManager *manager = meetingManager();

    m_allMembers = r.allMembers;
    for (qsizetype i = 0; i < r.allMembers.size() && i < r.sharePermission.size(); ++i) {
        if (r.allMembers.at(i) && r.sharePermission.at(i))
            r.allMembers.at(i)->setAllowSharePermissionFlag(*r.sharePermission.at(i));
    }
    if (manager)
        manager->setDidOtherOpenCamera(r.didOtherOpenCamera);

    // 1. Member count badge.
    if (memberLabel) {
        memberLabel->setText(QString::number(r.allMembers.size()));
        memberLabel->setVisible(!r.allMembers.isEmpty());
    }
    if (memberListBtn) {
        // The badge is only seen: the button's name carries the count to a screen reader.
        const QString name =
            r.allMembers.isEmpty() ? QStringLiteral("成员") : QStringLiteral("成员 %1人").arg(r.allMembers.size());
        memberListBtn->setAccessibleName(name);
    }
    // 2. A remote screen share leaves the grid for its own view, with the strip beside it.
    const bool screenFound = bool(r.screenShareSource);
    setScreenShareSourceModel(r.screenShareSource);
    if (screenFound) {
        if (verticalShowCollectionView)
            verticalShowCollectionView->show();
        if (verticalShowScrollView)
            verticalShowScrollView->show();
        if (screenShareRenderView)
            screenShareRenderView->show();
    } else {
        if (screenShareRenderView)
            screenShareRenderView->hide();
        if (fileShareMode == 0) {
            if (verticalShowCollectionView)
                verticalShowCollectionView->hide();
            if (verticalShowScrollView)
                verticalShowScrollView->hide();
        }
    }
    // 3. A remote audio/video file share likewise; its end is announced once.
    if (r.avFileShareSource) {
        setAvFileShareSourceModel(r.avFileShareSource);
    } else {
        const QString text = MemberPipeline::shareEndedAnnouncement(m_avFileShareSourceModel, false,
                                                                    manager && manager->selfAVFileSharing());
        if (!text.isEmpty())
            VeskToast::showToast(text);
        setAvFileShareSourceModel(Tile());
    }
    // 4.
    setActiveMembers(r.activeMembers);
    // 5-7. The settings page's monitor lists, the floating strip and the member list follow
    // activeMembers through their own owners once they exist.
    switch (MemberPipeline::displayFor(manager && manager->selfScreenOrWindowSharing(), fileShareMode, screenFound)) {
    case MemberPipeline::Display::FloatingStrip:
        break;
    case MemberPipeline::Display::Grid:
        reloadVideoCollectionView();
        break;
    case MemberPipeline::Display::ShareViews:
        if (fileShareMode == 2)
            placeShareVideoView(avFileShareRenderView, m_avFileShareSourceModel);
        if (screenFound)
            placeShareVideoView(screenShareRenderView, m_screenShareSourceModel);
        refreshVerticalShowCollectionViewWidth();
        break;
    }
    if (noPeopleTipView)
        noPeopleTipView->setVisible(m_activeMembers.isEmpty());
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
    const double target = MemberPipeline::verticalStripWidth(m_activeMembers.size(), m_adjustScale);
    if (m_stripWidthAnimation) {
        m_stripWidthAnimation->invalidate();
        m_stripWidthAnimation->deleteLater();
    }
    if (verticalShowCollectionViewWidthConstraint) {
        // 0.3 s in ten steps on the project clock.
        QPointer<KVLayoutConstraint> constraint = verticalShowCollectionViewWidthConstraint;
        const double start = constraint->constant();
        auto step = std::make_shared<int>(0);
        if (start == target) {
            constraint->setConstant(target);
        } else {
            m_stripWidthAnimation =
                KVTimer::repeating(this, std::chrono::milliseconds(30), [this, constraint, start, target, step] {
                    ++*step;
                    if (constraint)
                        constraint->setConstant(start + (target - start) * std::min(1.0, *step / 10.0));
                    if (*step >= 10 && m_stripWidthAnimation) {
                        m_stripWidthAnimation->invalidate();
                        m_stripWidthAnimation->deleteLater();
                    }
                });
        }
    }
    reloadVerticalShowCollectionView();
}

void MeetingViewController::reloadVerticalShowCollectionView()
{
    if (!verticalShowCollectionView)
        return;
    if (!m_tileDelegate)
        m_tileDelegate = std::make_shared<TileDelegate>(this);
    const QSizeF itemSize = verticalShowCollectionView->property("itemSize").toSizeF();
    VerticalShowCollection::reload(
        verticalShowCollectionView, m_activeMembers, bool(m_screenShareSourceModel) || fileShareMode != 0,
        itemSize.isEmpty() ? QSizeF(214 * m_adjustScale, 120) : itemSize, m_tileDelegate.get());
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
    // 4. Document controls.
    if (fileShareMode == 0) {
        if (leftFlipOverButton)
            leftFlipOverButton->hide();
        if (rightFlipOverButton)
            rightFlipOverButton->hide();
        if (fileShareScrollView)
            fileShareScrollView->setEnableScroll(false);
        if (finishShareBtn)
            finishShareBtn->hide();
    } else if (fileShareMode == 1 && fileShareDatailModel && fileShareDatailModel->userCanControl()) {
        if (leftFlipOverButton)
            leftFlipOverButton->setVisible(currentPageNum != 0);
        if (rightFlipOverButton)
            rightFlipOverButton->setVisible(currentPageNum + 1 != fileShareDatailModel->sliceInfo.size());
        if (fileShareScrollView)
            fileShareScrollView->setEnableScroll(fileShareDisplayEnableScroll());
        if (finishShareBtn)
            finishShareBtn->show();
    }
    // 5.
    setFileShareMode(fileShareMode);
    // 6.
    const bool privileged = me.isHost() || manager->asssitantHost();
    if (privileged && (fileShareMode == 1 || fileShareMode == 2))
        startAVFileShareTimer();
    else
        stopAVFileShareTimer(true);
    // 7.
    querySharePermission();
}

void MeetingViewController::needUpdateUIFitMetaMemberChange()
{
    // The member list refreshes itself from allMembers once it is open.
}

void MeetingViewController::requireAssistantinfo()
{
    VeskMeetingManager *manager = meetingManager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    if (!room)
        return;
    QPointer<MeetingViewController> weak(this);
    VeskAppAgent::sharedInstance()->getAssistanthostInfoWith(this, room->roomId, [weak](const KVMResponse &reply) {
        // An answer for a meeting this window has left belongs to no meeting the manager holds now.
        if (!weak || weak->m_meetingEnded || !reply.successed)
            return;
        VeskMeetingManager *m = meetingManager();
        if (!m)
            return;
        const auto host = reply.data.value<MeetingHostModel>();
        m->rebuildAssistant(host.assistants);
        m->rebuildMetaMembers(host.metaMembers);
    });
}

// ---------------------------------------------------------------------------------------------
// Video grid
// ---------------------------------------------------------------------------------------------

void MeetingViewController::setupVideoGridViews()
{
    if (m_videoGrid || !scrollView)
        return;
    if (!m_tileDelegate)
        m_tileDelegate = std::make_shared<TileDelegate>(this);
    // The build's placeholder document holds the participants' views: give them back first.
    if (QWidget *old = scrollView->takeWidget()) {
        for (KRTCVideoView *v : old->findChildren<KRTCVideoView *>()) {
            v->hide();
            v->setParent(nullptr);
        }
        delete old;
    }
    auto *grid = new VideoCollectionView(scrollView);
    grid->setDelegate(m_tileDelegate.get());
    m_videoGrid = grid;
    videoCollectionView = grid;
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
    if (m_videoGrid)
        m_videoGrid->reloadData(m_activeMembers);
    if (noPeopleTipView)
        noPeopleTipView->setVisible(m_activeMembers.isEmpty());
}

QSizeF MeetingViewController::fileSharePageSize()
{
    FileSharePageSize::Input in;
    in.fullScreen = m_inFullScreenMode;
    in.stripShown =
        verticalShowCollectionViewWidthConstraint && verticalShowCollectionViewWidthConstraint->constant() != 0;
    in.mainScreenSize = mainScreenSize();
    in.windowContentSize = m_windowContentFrame.size();
    in.adjustScale = m_adjustScale;
    in.verticalScroll = true;
    in.displayEnableScroll = fileShareDatailModel && fileShareDisplayEnableScroll();
    if (fileShareDatailModel) {
        for (const FileSliceModel &slice : std::as_const(fileShareDatailModel->sliceInfo))
            in.slices.append({double(slice.picWidth), double(slice.picHeight)});
    }
    item_size = FileSharePageSize::itemSize(in);
    return item_size;
}

void MeetingViewController::setFullScreenSize()
{
    // The window manager gives a full-screen window the whole screen. A minimum size of the
    // screen's, set on the way in, made it undo the full-screen state and leave a screen-sized
    // window half off the screen.
    m_inFullScreenMode = true;
    updateUIWithFullScreen(true);
}

void MeetingViewController::setNormalSize()
{
    QWidget *w = window();
    if (w && w != view()) {
        w->setMinimumSize(QSize(int(GridWindowRules::kNormalMinWidth), int(GridWindowRules::kNormalMinHeight)));
        if (!w->isFullScreen() && !w->isMaximized() && !m_windowContentFrame.isEmpty())
            w->resize(m_windowContentFrame.size().toSize());
    }
    updateUIWithFullScreen(false);
}

void MeetingViewController::updateUIWithFullScreen(bool fullScreen)
{
    m_inFullScreenMode = fullScreen;
    if (fullScreenBtn) {
        // The button says what it will do.
        const QString action = fullScreen ? QStringLiteral("退出全屏") : QStringLiteral("全屏");
        fullScreenBtn->setAccessibleName(action);
        fullScreenBtn->setToolTip(action);
    }
    if (!avFileShareModel && !m_screenShareSourceModel && !fileShareDatailModel) {
        if (m_videoGrid)
            m_videoGrid->relayout();
    } else {
        reloadVerticalShowCollectionView();
        if (fileShareDatailModel) {
            fileSharePageSize();
            if (fileShareScrollView && !fileShareDisplayEnableScroll())
                scrollToItemAtIndex(currentPageNum);
        }
    }
    m_adjustScale = GridWindowRules::adjustScale(fullScreen, m_windowContentFrame.width());
    adjustImInputViewWidth();
    if (!fullScreen && memberWindow && memberWindow->window()) {
        QWidget *member = memberWindow->window();
        QWidget *meeting = window();
        const QRect meetingFrame = meeting && meeting != view() ? meeting->frameGeometry() : QRect();
        if (const auto placed = GridWindowRules::memberWindowBeside(member->geometry(), member->maximumHeight(),
                                                                    meetingFrame, m_adjustScale)) {
            member->setMinimumSize(placed->size());
            member->setMaximumSize(placed->size());
            member->setGeometry(*placed);
        }
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
    if (m_inFullScreenMode)
        return;
    m_windowContentFrame = QRectF(m_windowContentFrame.topLeft(), QSizeF(size));
    updateUIWithFullScreen(false);
}

void MeetingViewController::windowDidChangeScreen()
{
    adjustView();
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
    if (!m_videoGrid || m_meetingEnded)
        return;
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    if (!manager)
        return;
    // The grid's own entries with its own frames: while a share shows, the grid is not reloaded
    // and activeMembers may already hold other tiles, which the old frames do not describe.
    QList<VisibleTileSubscription::TilePlacement> placements;
    const QList<Tile> &tiles = m_videoGrid->tiles();
    const QList<QRectF> &frames = m_videoGrid->itemFrames();
    placements.reserve(tiles.size());
    for (qsizetype i = 0; i < tiles.size(); ++i)
        placements.append({tiles.at(i), i < frames.size() ? frames.at(i) : QRectF()});
    const auto calls =
        VisibleTileSubscription::check(placements, m_videoGrid->visibleRect(), m_allMembers, agent->myInfo().userId);
    for (const VisibleTileSubscription::Call &call : calls) {
        if (call.kind == VisibleTileSubscription::Call::MuteVideo) {
            manager->muteVideo(call.userId, 1, call.enable);
        } else if (KRTCEngineOC *engine = manager->engine()) {
            engine->setPlayStreamVideoType(call.peerId, 1, call.videoType);
        }
    }
}

void MeetingViewController::voiceValueChange(const Notification &) {}
void MeetingViewController::customAudioLevelChange(const Notification &) {}
