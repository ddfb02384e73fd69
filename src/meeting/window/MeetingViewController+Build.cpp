// The window's build (views, their wiring and the state they start in) and its size against the
// screen.

#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingRecording.h"
#include "meeting/window/MeetingTips.h"
#include "meeting/window/MeetingToolBar.h"
#include "meeting/window/MeetingViewController.h"

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "devices/audio/KVAudioManager.h"
#include "devices/views/KVDeviceNibs.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/IMDisplayView.h"
#include "meeting/window/MeetingRootView.h"
#include "meeting/window/MeetingWindowSizing.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVEventView.h"
#include "uikit/KVMacWatermarkView.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/KVWindow.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/MacSliderCell.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskTextView.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QSizeF mainScreenVisibleSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? QSizeF(screen->availableGeometry().size()) : QSizeF();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The build
// ---------------------------------------------------------------------------------------------

void MeetingViewController::loadView()
{
    auto *root = new MeetingRootView();
    root->setObjectName(QStringLiteral("MeetingView"));
    root->setAccessibleName(QStringLiteral("会议"));
    root->setFocusPolicy(Qt::StrongFocus);
    setView(root);
    root->installEventFilter(this);
    adjustView();
}

void MeetingViewController::connectUi()
{
    connect(ui->qosShowButton, &QAbstractButton::clicked, this,
            [this] { m_tips->ShowQosPanelAction(ui->qosShowButton); });
    connect(ui->endMeetingBtn, &QAbstractButton::clicked, this, [this] { leaveMeeting(ui->endMeetingBtn); });
    ui->titleLabel->setUseCustomToast([weak = QPointer<MeetingViewController>(this)] {
        if (weak && weak->isViewLoaded())
            VeskMeetingToast::showNomalTip(weak->view(), MeetingWindowRules::kMeetingIdCopiedTip);
    });

    connect(ui->scrollView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { scrollViewScrollAction(); });
    connect(ui->fileShareScrollView->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { m_sharing->scrollViewDidScroll(); });

    m_toolBar->connectButtons();
    connect(ui->selectCameraBtn, &QAbstractButton::clicked, this, [this] { selectCamera(ui->selectCameraBtn); });
    connect(ui->selectMicrophoneBtn, &QAbstractButton::clicked, this,
            [this] { selectMicrophone(ui->selectMicrophoneBtn); });
    connect(ui->selectSpeakerBtn, &QAbstractButton::clicked, this, [this] { selectSpeaker(ui->selectSpeakerBtn); });
    connect(ui->finishShareBtn, &QAbstractButton::clicked, this, [this] { m_sharing->closeScreenShare(); });
    connect(ui->leaveRoomButton, &QAbstractButton::clicked, this, [this] { leaveMeeting(ui->leaveRoomButton); });

    connect(ui->IMChatEnableButton, &QAbstractButton::clicked, this,
            [this] { m_panels->panel<ChatPanel>().disableIMAction(ui->IMChatEnableButton); });
    connect(ui->selectRecordBtn, &QAbstractButton::clicked, this,
            [this] { m_recording->openOrCloseMoreView(ui->selectRecordBtn); });
    connect(ui->subtitleSettingBtn, &QAbstractButton::clicked, this,
            [this] { openOrColseSubtitleSettingView(ui->subtitleSettingBtn); });
    connect(ui->exitWaitingRoomBtn, &QAbstractButton::clicked, this,
            [this] { exitWaitingRoomAction(ui->exitWaitingRoomBtn); });
    ui->eventView->setMouseDownBlock([weak = QPointer<MeetingViewController>(this)](KVEventView *, QMouseEvent *event) {
        if (weak)
            weak->handleFullScreenMouseDown(event);
    });
}

void MeetingViewController::creatUI()
{
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    VeskMeetingManager *manager = agent->meetingManager();
    const std::shared_ptr<MeetingInfoModel> room = manager ? manager->roomInfo() : nullptr;
    const MeetingInfoModel roomValues = room ? *room : MeetingInfoModel();

    MeetingPanels::registerPanels();
    ui->setupUi(view());
    if (auto *root = qobject_cast<MeetingRootView *>(view()))
        root->setBars(ui->topView, ui->bottomView);
    connectUi();
    setupVideoGridViews();

    ui->speakerBtn->setState(1);
    ChatPanel &chatPanel = m_panels->panel<ChatPanel>();
    chatPanel.setupChat();
    if (VideoCollectionView *grid = videoGrid())
        connect(grid, &VideoCollectionView::visibleAreaChanged, &chatPanel, &ChatPanel::gridAreaChanged);
    ui->IMView->layoutSelf(m_geometry.adjustScale);
    ui->IMView->show();
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("MEETINGNETWORKWARNNING"), [this](const Notification &) {
        MainQueue::safe(this, [this] { m_tips->meetingNetWorkWarnning(); });
    });
    center.addObserver(this, QStringLiteral("MEETINGQOSWARNNING"), [this](const Notification &) {
        MainQueue::safe(this, [this] { m_tips->meetingQosWarnning(); });
    });
    m_tips->monitoringCpuUseAge();
    // Joins, or opens the waiting-room screen.
    aboutWaitingRoom();

    m_sharing->prepareShareDisplay(roomValues, agent->myInfo().phoneNumber);
    if (manager)
        manager->setRedPointDelegate(this, this);
    m_sharing->addAudioRotationAnimationView();
    m_toolBar->setupTrackingArea();
    if (roomValues.countdown > 0)
        m_countDowns->countDownComming();

    // The chat input by role.
    const bool privileged = agent->myInfo().isHost() || (manager && manager->asssitantHost());
    const MeetingWindowRules::ChatInputState chat =
        MeetingWindowRules::chatInputState(privileged, roomValues.imAllowStatus);
    ui->IMChatEnableButton->setState(chat.enableButtonState);
    ui->IMChatEnableButton->setVisible(privileged);
    ui->IMChatTextView->setReadOnly(!chat.editable);
    ui->IMChatTextView->setString(QString());
    ui->IMChatTextView->setPlaceHolderString(chat.placeholder);
    ui->watermarkView->setWatermarkText(
        MeetingWindowRules::watermarkText(agent->myInfo().userName, agent->myInfo().phoneNumber));

    KVAudioManager::loadAudioCache();
    // The device pop-ups are loaded by their interface names.
    registerDeviceNibs();
    MainSettingModel *settings = agent->settingModel();
    if (manager) {
        manager->previewMirror(settings->videoMirror());
        manager->pushStreamMirror(settings->videoMirror());
    }
    // The render thread reads the fill choice from here, never from the model.
    m_videoFill.store(settings->videoFill());
    connect(settings, &MainSettingModel::changed, this, [this, settings] { m_videoFill.store(settings->videoFill()); });

    center.addObserver(this, QStringLiteral("MEETINGNETWORKSTATE"), [this](const Notification &n) {
        MainQueue::safe(this, [this, n] { networkStateObserver(n); });
    });
    center.addObserver(this, QStringLiteral("VESK_NOTIFFY_VOICE_VALUE_CHANGED"),
                       [this](const Notification &n) { voiceValueChange(n); });
    center.addObserver(this, QStringLiteral("VESK_NOTIFFY_CUSTOM_AUDIO_VALUE_CHANGED"),
                       [this](const Notification &n) { customAudioLevelChange(n); });
    center.addObserver(this, QString::fromLatin1(MacSliderCell::kStartTracking),
                       [this](const Notification &n) { m_sharing->sliderStartTracking(n); });
    center.addObserver(this, QString::fromLatin1(MacSliderCell::kStopTracking),
                       [this](const Notification &n) { m_sharing->sliderStopTracking(n); });
    // An in-meeting settings window of an earlier meeting closes.
    center.post(QStringLiteral("MainSettingViewControllerNeedCloseNotification"));
    if (QScreen *screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { screenParametersDidChange(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { screenParametersDidChange(); });
    center.addObserver(this, QStringLiteral("MemeberSharePermissionChange"),
                       [this](const Notification &) { memeberSharePermissionChange(); });
    center.addObserver(this, QStringLiteral("switchShareFileInShareSelectPanel"),
                       [this](const Notification &n) { m_sharing->shareSelectPanelSwitchFile(n); });

    adjustImInputViewWidth();
    ui->waitingRoomBKView->raise();
}

// ---------------------------------------------------------------------------------------------
// Sizing
// ---------------------------------------------------------------------------------------------

void MeetingViewController::adjustView()
{
    QWidget *w = window();
    const bool hasWindow = w && w != view();
    m_geometry.inFullScreenMode = hasWindow && w->isFullScreen();
    if (m_geometry.inFullScreenMode) {
        m_geometry.adjustScale = 1.0;
        setFullScreenSize();
        if (isViewLoaded())
            view()->setGeometry(QRect(QPoint(0, 0), w->size()));
        adjustImInputViewWidth();
        return;
    }
    const MeetingWindowSizing::NormalSize normal = MeetingWindowSizing::normalSize(mainScreenVisibleSize());
    m_geometry.adjustScale = normal.adjustScale;
    m_geometry.windowContentFrame = QRectF(QPointF(0, 0), normal.size);
    const QSize size = normal.size.toSize();
    if (hasWindow && !w->isMaximized())
        w->resize(size);
    else if (isViewLoaded() && !hasWindow)
        view()->resize(size);
    setNormalSize();
    adjustImInputViewWidth();
}

void MeetingViewController::screenParametersDidChange()
{
    adjustView();
    if (!m_geometry.inFullScreenMode && window() && window() != view())
        vesk::veskCenter(window());
}

void MeetingViewController::adjustImInputViewWidth()
{
    if (ui->imInputViewWidthConst)
        ui->imInputViewWidthConst->setConstant(MeetingWindowSizing::imInputViewWidth(m_geometry.adjustScale));
    if (ui->IMView)
        ui->IMView->layoutSelf(m_geometry.adjustScale);
}

void MeetingViewController::refreshVerticalCollectionViewLayout()
{
    // Items of the strip beside a share: 214 x scale wide, 120 high, 4 apart.
    if (!ui->verticalShowCollectionView)
        return;
    if (auto *layout = qobject_cast<QVBoxLayout *>(ui->verticalShowCollectionView->layout())) {
        layout->setSpacing(4);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    ui->verticalShowCollectionView->setProperty("itemSize", QSizeF(214 * m_geometry.adjustScale, 120));
}

void MeetingViewController::handleMagnificationGesture(double magnification)
{
    if (ui->fileShareCollectionView)
        ui->fileShareCollectionView->setProperty("magnification", 1.0 + 0.1 * magnification);
}
