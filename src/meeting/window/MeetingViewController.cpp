// The controller's life: construction, the view's appearing and disappearing, and its small
// handlers.

#include "meeting/window/MeetingViewController.h"
#include "meeting/window/MeetingOwnShare.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/MainQueue.h"
#include "foundation/StringHelpers.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingIcons.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingOwnDevices.h"
#include "meeting/window/MeetingRecording.h"
#include "meeting/window/MeetingTips.h"
#include "meeting/window/MeetingToolBar.h"
#include "meeting/window/NetWorkTipView.h"
#include "uikit/KVAccessibility.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

namespace {

// Views the render thread may draw into tell the controller before they go (see eventFilter).
void watchVideoView(QObject *controller, const std::shared_ptr<MeetingActiveModel> &tile)
{
    if (KRTCVideoView *video = tile ? tile->videoView() : nullptr)
        video->installEventFilter(controller);
}

} // namespace

MeetingViewController::MeetingViewController(bool enterWaitingRoom, QObject *parent)
    : MacBaseViewController(parent), ui(std::make_unique<Ui::MeetingViewController>()),
      m_panels(std::make_unique<MeetingPanels>(MeetingPanels::Host{
          [this]() -> QWidget * { return isViewLoaded() ? view() : nullptr; }, [this] { return adjustScale(); },
          [this] { return meetingEnded(); },
          [this] { return qobject_cast<MoreItemView *>(m_sharing->state().moreItemViewStorage.data()); }})),
      m_sharing(std::make_unique<MeetingSharing>(
          MeetingSharing::Views{ui->fileShareCollectionView, ui->verticalShowCollectionView, ui->avFileSharePlayButton,
                                ui->avFileShareSliderBKView, ui->audioAnimationBKView, fileShareDocumentViews(*ui),
                                avFileShareViews(*ui)},
          MeetingSharing::WindowCalls{[this] { refreshMembers(); }, [this] { m_toolBar->toolBarShowAction(); },
                                      [this] { return fileSharePageSize(); },
                                      [this](QWidget *view) { hideOtherOverViewsExceptView(view); },
                                      [this] {
                                          if (ui->memberListBtn && ui->memberListBtn->state() == 0) {
                                              ui->memberListBtn->setState(1);
                                              showOrHideMember(ui->memberListBtn);
                                          }
                                      },
                                      [this] { return m_members.avFileShareSourceModel; }})),
      m_recording(std::make_unique<MeetingRecording>(
          *ui,
          MeetingRecording::WindowCalls{[this]() -> QWidget * { return isViewLoaded() ? view() : nullptr; },
                                        [this] { return m_lifetime.meetingEnded; }, this},
          nullptr)),
      m_countDowns(std::make_unique<MeetingCountDowns>(
          *ui, *m_panels,
          MeetingCountDowns::WindowCalls{[this]() -> QWidget * { return isViewLoaded() ? view() : nullptr; },
                                         [this] { return m_lifetime.meetingEnded; },
                                         [this] {
                                             resetItem(nullptr);
                                             applicationStateRecover(ApplicationView::CountDownTile);
                                         },
                                         [this] { placeCurrentSpeakerView(); }},
          nullptr)),
      m_tips(std::make_unique<MeetingTips>(
          *ui,
          MeetingTips::WindowCalls{[this]() -> QWidget * { return isViewLoaded() ? view() : nullptr; },
                                   [this] { applicationStateSettingAction(ApplicationView::OnlyAudioTile); },
                                   // The system-monitor tab with the live network statistics.
                                   [this] { showSettingPage(6); }},
          nullptr)),
      m_ownDevices(std::make_unique<MeetingOwnDevices>(
          *ui,
          MeetingOwnDevices::WindowCalls{[this]() -> QWidget * { return isViewLoaded() ? view() : nullptr; },
                                         [this] { return m_lifetime.meetingEnded; },
                                         [this] { return m_lifetime.stateMeeting; },
                                         [this](bool allowed) { memberListUpdateAllowOpenMicStatusDisplay(allowed); },
                                         [this] { memberListUpdateIsOrNotAllowOpenCameraStatusDisplay(); }},
          nullptr)),
      m_toolBar(std::make_unique<MeetingToolBar>(
          *ui, MeetingToolBar::Concerns{*m_panels, *m_sharing, *m_recording, *m_ownDevices},
          MeetingToolBar::WindowCalls{[this]() -> QWidget * { return isViewLoaded() ? view() : nullptr; },
                                      [this] { return window(); },
                                      [this](VeskButton *sender) { showApplicationView(sender); }},
          nullptr))
{
    setObjectName(QStringLiteral("MeetingViewController"));
    m_waitingRoom.enterWaitingRoom = enterWaitingRoom;
    m_sharing->installOwnShare(makeOwnShareCalls(this));
    installPopOvers();
    providePanels();
}

MeetingViewController::~MeetingViewController()
{
    // No frame may reach views that go with this window, and no event a dead controller.
    m_frameRouter.clear();
    if (m_lifetime.isRoomDelegate)
        clearManagerDelegates();
    NetWorkTipView::remove();
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_waitingRoom.loopRequestTimer)
        m_waitingRoom.loopRequestTimer->invalidate();
    // The share's speaker label while no floating window holds it.
    if (QWidget *floating = m_sharing->state().currentSpeakerFloatingView; floating && !floating->parent())
        delete floating;
}

void MeetingViewController::viewDidLoad()
{
    MacBaseViewController::viewDidLoad();
    m_members.serialOperationQueue = std::make_unique<OperationQueue>(QStringLiteral("meeting.members"), 1);
    m_sharing->querySharePermission();
    creatUI();
}

bool MeetingViewController::eventFilter(QObject *watched, QEvent *event)
{
    // A video view is about to be deleted (its member dropped it): no frame may be in it then.
    if (event->type() == QEvent::DeferredDelete && qobject_cast<KRTCVideoView *>(watched))
        m_frameRouter.dropView(watched);
    if (isViewLoaded() && watched == view()) {
        switch (event->type()) {
        case QEvent::Show:
            viewWillAppear();
            // Appeared once the show has been handled.
            MainQueue::async(this, [this] {
                if (isViewLoaded() && view()->isVisible())
                    viewDidAppear();
            });
            break;
        case QEvent::Hide:
            viewWillDisappear();
            viewDidDisappear();
            break;
        default:
            break;
        }
    }
    return MacBaseViewController::eventFilter(watched, event);
}

void MeetingViewController::viewWillAppear()
{
    resetWindowDelegate();
    if (QWidget *w = window(); w && w != view())
        KVWindow::applyDarkAppearance(w);
    view()->setFocus();
    const auto *applications = qobject_cast<ApplicationView *>(m_panels->state().applicationView.data());
    if (m_countDowns->hostCountDownRunning() || (applications && applications->countDownShow()))
        applicationStateSettingAction(ApplicationView::CountDownTile);
}

void MeetingViewController::viewDidAppear()
{
    QWidget *w = window();
    if (w && w != view()) {
        // Minimise and zoom shown, resizable; changing flags hides a window, so only when needed.
        const Qt::WindowFlags wanted = Qt::WindowMinMaxButtonsHint;
        if (w->testAttribute(Qt::WA_WState_Created) && (w->windowFlags() & Qt::CustomizeWindowHint) &&
            (w->windowFlags() & wanted) != wanted) {
            w->setWindowFlags(w->windowFlags() | wanted);
            w->show();
        }
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        w->raise();
        w->activateWindow();
    }
    adjustView();
    ui->speakerBtn->setState(1);
    VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager();
    const auto room = manager ? manager->roomInfo() : nullptr;
    if (room && room->streamLevel == 0) {
        ui->shareBtn->setEnabled(false);
        ui->cameraBtn->setEnabled(false);
        ui->selectCameraBtn->setEnabled(false);
    }
    m_toolBar->addKeyDownMonitor();
    m_lifetime.appeared = true;
    Q_EMIT didAppear();
}

void MeetingViewController::viewWillDisappear()
{
    m_toolBar->removeMonitors();
}

void MeetingViewController::viewDidDisappear() {}

void MeetingViewController::setActiveMembers(const QList<Tile> &tiles)
{
    m_members.activeMembers = tiles;
    for (const Tile &tile : tiles)
        watchVideoView(this, tile);
    m_frameRouter.setTiles(m_lifetime.meetingEnded ? QList<Tile>() : tiles);
}

void MeetingViewController::setAvFileShareSourceModel(const Tile &tile)
{
    m_members.avFileShareSourceModel = tile;
    watchVideoView(this, tile);
    m_frameRouter.setAvFileShareSource(m_lifetime.meetingEnded ? Tile() : tile);
}

void MeetingViewController::setScreenShareSourceModel(const Tile &tile)
{
    m_members.screenShareSourceModel = tile;
    if (ui->screenShareRenderView)
        ui->screenShareRenderView->setAccessibleName(
            tile ? QStringLiteral("%1的屏幕共享").arg(DataText::isolatedName(tile->userName()))
                 : QStringLiteral("屏幕共享"));
    watchVideoView(this, tile);
    m_frameRouter.setScreenShareSource(m_lifetime.meetingEnded ? Tile() : tile);
}

void MeetingViewController::memeberSharePermissionChange()
{
    m_sharing->querySharePermission(true);
}

void MeetingViewController::networkStateObserver(const Notification &notification)
{
    if (const auto name = MeetingWindowRules::networkIconName(notification.userInfo))
        applyNetworkIcon(*name);
}

void MeetingViewController::applyNetworkIcon(const QString &name)
{
    if (!ui->qosShowButton)
        return;
    ui->qosShowButton->setImage(MeetingIcons::image(name, 18));
    ui->qosShowButton->setProperty("imageName", name);
    KVAccessibility::setValue(ui->qosShowButton, MeetingWindowRules::networkQualityText(name));
}

namespace {
void clearNameLabel(QWidget *view)
{
    if (!view)
        return;
    if (auto *label = view->findChild<QLabel *>(QStringLiteral("nameLabel")))
        label->clear();
}
} // namespace

void MeetingViewController::currentSpeakerViewHidden()
{
    clearNameLabel(m_speaker.currentSpeakerView);
    if (m_speaker.currentSpeakerView)
        m_speaker.currentSpeakerView->hide();
}

void MeetingViewController::currentSpeakerFloatingViewHidden()
{
    clearNameLabel(m_sharing->state().currentSpeakerFloatingView);
}

bool MeetingViewController::windowShouldClose()
{
    if (m_lifetime.meetingEnded && !m_waitingRoom.rejoining) {
        // Never no window at all: an ended page goes home instead of hiding.
        if (KVPageNavigator *navigator = KVPageNavigator::current())
            navigator->showMainPage(true);
        return false;
    }
    // On the waiting screen too: its dialog's confirmation leaves the waiting room.
    leaveMeeting(nullptr);
    return false;
}

void MeetingViewController::clearManagerDelegates()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    VeskMeetingManager *manager = agent ? agent->meetingManager() : nullptr;
    if (manager) {
        manager->setDelegate(nullptr);
        manager->setWaitMemberDelegate(nullptr);
        manager->setAssistantsDelegate(nullptr);
        manager->setRedPointDelegate(nullptr);
    }
    m_lifetime.isRoomDelegate = false;
}

void MeetingViewController::endMeetingLifetime()
{
    if (m_lifetime.meetingEnded)
        return;
    m_lifetime.meetingEnded = true;
    m_lifetime.joinStepsPending = false;
    ++m_waitingRoom.waitingRoomGeneration;
    if (m_waitingRoom.loopRequestTimer)
        m_waitingRoom.loopRequestTimer->invalidate();
    m_waitingRoom.loopRequestTimer.clear();
    m_frameRouter.clear();
    NetWorkTipView::remove();
    m_tips->endMonitoringCpuUseAge();
    Q_EMIT meetingDidEnd();
}

// ---- The local recorder's reports (VeskScreenRecordDelegate) -> recording() ----------------------

void MeetingViewController::recordStart()
{
    m_recording->recordStart();
}

void MeetingViewController::recordFail(const QString &message)
{
    m_recording->recordFail(message);
}

void MeetingViewController::recordSuccess(const QUrl &fileURL)
{
    m_recording->recordSuccess(fileURL);
}
