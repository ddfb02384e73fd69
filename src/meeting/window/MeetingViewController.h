#pragma once

// The meeting window's controller: one instance per meeting page. The class is split by concern
// over several files (window/MeetingViewController+<Concern>.cpp); each section below names the
// file that holds its bodies. Sections marked "filled later" keep empty bodies until their
// work lands; their owners change only their .cpp and their section of this header.

#include "agent/MeetingActiveModel.h"
#include "agent/MeetingMemberModel.h"
#include "agent/VeskMemeberAssistantsDelegate.h"
#include "agent/VeskRedPointDelegate.h"
#include "agent/VeskRoomDelegate.h"
#include "agent/engine/KRTCTypes.h"
#include "agent/models/FileShareModel.h"
#include "connection/IMMessage.h"
#include "connection/IMSystemMessage.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/OperationQueue.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingMemberShareStatusModel.h"
#include "foundation/models/MeetingMessageModel.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingFrameRouter.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/KVAlert.h"
#include "uikit/MacBaseViewController.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QUrl>
#include <QVariantMap>

#include <atomic>
#include <memory>

class IMDisplayView;
class KRTCVideoView;
class KVEventView;
class KVFlatView;
class KVLayoutConstraint;
class KVMacWatermarkView;
class KVMeetingIDLabel;
class KVWindow;
class MacBaseWindowController;
class MacDisableScrollView;
class MacSliderCell;
class MeetingBottomButton;
class MeetingDispatchTarget;
class QAbstractButton;
class QLabel;
class QMouseEvent;
class QKeyEvent;
class QScrollArea;
class QTextEdit;
class VeskButton;
class VeskTextView;

class MeetingViewController final : public MacBaseViewController,
                                    public VeskRoomDelegate,
                                    public VeskMemeberAssistantsDelegate,
                                    public VeskRedPointDelegate {
    Q_OBJECT
public:
    using Tile = std::shared_ptr<MeetingActiveModel>;

    // enterWaitingRoom: open on the waiting-room screen instead of joining. The page switch may
    // also set it with setEnterWaitingRoom() before the view loads.
    explicit MeetingViewController(bool enterWaitingRoom = false, QObject *parent = nullptr);
    ~MeetingViewController() override;

    // The window's views and layout constraints, made by the build (MeetingViewControllerUi.h).
    const std::unique_ptr<Ui::MeetingViewController> ui;

    // =========================================================================================
    // State: meeting and members
    // =========================================================================================
    [[nodiscard]] bool enterWaitingRoom() const { return m_enterWaitingRoom; }
    void setEnterWaitingRoom(bool wait) { m_enterWaitingRoom = wait; }
    [[nodiscard]] qint64 stateMeeting() const { return m_stateMeeting; }
    [[nodiscard]] KVTimer *loopRequestTimer() const { return m_loopRequestTimer.data(); }
    [[nodiscard]] OperationQueue *serialOperationQueue() const { return m_serialOperationQueue.get(); }
    [[nodiscard]] const MeetingMemberList &allMembers() const { return m_allMembers; }
    [[nodiscard]] const QList<Tile> &activeMembers() const { return m_activeMembers; }
    // Replaces the grid's tiles and publishes them to the render thread at once.
    void setActiveMembers(const QList<Tile> &tiles);
    [[nodiscard]] QMap<QString, MeetingMemberShareStatusModel> &sharePermissionInfo() { return m_sharePermissionInfo; }

    // The meeting of this window is over (left, ended, closed): nothing more of it may run.
    [[nodiscard]] bool meetingEnded() const { return m_meetingEnded; }

    // =========================================================================================
    // State: own microphone and camera, host requests
    // =========================================================================================
    [[nodiscard]] bool isMicOn() const { return m_isMicOn; }
    // Also sets microphoneBtn's state (1 on, 0 off).
    void setIsMicOn(bool on);
    [[nodiscard]] bool isCameraOn() const { return m_isCameraOn; }
    void setIsCameraOn(bool on) { m_isCameraOn = on; }
    bool tempIsMicOn = false;
    bool tempIsCameraOn = false;
    MeetingControlData temControlData;
    MeetingControlData temCameraControlData;
    bool alertShow = false;

    // =========================================================================================
    // State: geometry and input
    // =========================================================================================
    [[nodiscard]] double adjustScale() const { return m_adjustScale; }
    [[nodiscard]] QRectF windowContentFrame() const { return m_windowContentFrame; }
    [[nodiscard]] bool inFullScreenMode() const { return m_inFullScreenMode; }
    QSizeF item_size;
    // Local key-down and mouse-move monitors (event filters on the application while set).
    QPointer<QObject> localNSEventMaskKeyDownEventMonitor;
    QPointer<QObject> localNSEventMaskMouseMoveEventMonitor;
    bool mouseEnterFlag = false;
    QPointer<KVTimer> toolBarHiddenTimer;

    // Subtitles.

    // Remote share streams; setting one publishes it to the render thread.
    [[nodiscard]] Tile avFileShareSourceModel() const { return m_avFileShareSourceModel; }
    void setAvFileShareSourceModel(const Tile &tile);
    [[nodiscard]] Tile screenShareSourceModel() const { return m_screenShareSourceModel; }
    void setScreenShareSourceModel(const Tile &tile);

    // The share display (meeting/sharing/MeetingSharing.h).
    [[nodiscard]] MeetingSharing &sharing() const { return *m_sharing; }
    // The panels and pop-overs (meeting/panels/MeetingPanels.h).
    [[nodiscard]] MeetingPanels &panels() const { return *m_panels; }

    // =========================================================================================
    // Tips and recording (made by their owners)
    // =========================================================================================
    QPointer<QWidget> systemTip;          // KVSystemTip (weak)
    QVariantMap systemTipModel;           // KVSystemTipModel
    QPointer<QWidget> currentSpeakerView; // CurrentSpeakerView
    QPointer<KVTimer> currentSpeakerViewHiddenTimer;
    QPointer<QObject> screenRecord; // VeskScreenRecord

    // =========================================================================================
    // Lifecycle and small handlers (MeetingViewController.cpp)
    // =========================================================================================
    void viewWillAppear();
    void viewDidAppear();
    void viewWillDisappear();
    void viewDidDisappear();
    void memeberSharePermissionChange();
    void networkStateObserver(const Notification &notification);
    void currentSpeakerViewHidden();
    void currentSpeakerFloatingViewHidden();
    // The window's close button: the leave dialog (or leaving the waiting room); never closes
    // the window by itself.
    bool windowShouldClose() override;

    // =========================================================================================
    // Build and sizing (MeetingViewController+Build.cpp)
    // =========================================================================================
    void creatUI();
    void adjustView();
    void screenParametersDidChange();
    void adjustImInputViewWidth();
    void refreshVerticalCollectionViewLayout();
    void handleMagnificationGesture(double magnification);
    void didMiniaturize() {}

    // =========================================================================================
    // Joining and the waiting-room screen (MeetingViewController+WaitingRoom.cpp)
    // =========================================================================================
    void aboutWaitingRoom();
    void addLoopRequest();
    void enterMeetingRoom();
    void destoryWaitingRoom();
    void exitWaitingRoomAction(QObject *sender = nullptr);
    void enterMeetingRoomFromWaitingRoom();
    // The waiting-room screen is what the window shows now.
    [[nodiscard]] bool isShowingWaitingRoom() const { return m_showingWaitingRoom; }

    // =========================================================================================
    // Leaving and ending (MeetingViewController+Leave.cpp)
    // =========================================================================================
    void leaveMeeting(QObject *sender = nullptr);
    void leaveRoom();
    void leaveRoomAndLoginOut();
    [[nodiscard]] KVAlert *leaveAlert() const { return m_leaveAlert.data(); }

    // =========================================================================================
    // Room events (MeetingViewController+RoomEvents.cpp): VeskRoomDelegate
    // =========================================================================================
    void onJoinRoomSuccess(bool success) override;
    void selfJoinRoomSuccess() override;
    void onRoomStateChanged(qint64 state) override;
    void onRoomClosed(const QString &reason) override;
    void onRoomClosed() override;
    void otherDeviceLogin() override;
    void hostMoveConsumerToWaitRoom() override;
    // RENDER THREAD: matches and draws only; anything for views goes to the main thread.
    void onRender(const QString &peerId, const KRTCVideoFrame &frame, qint64 videoSourceType) override;
    void onLocalAudioStats(const KRTCStatistics &stats) override;
    void onLocalVideoStats(const KRTCStatistics &stats) override;
    void onRemoteAudioStats(const KRTCStatistics &stats) override;
    void onRemoteVideoStats(const KRTCStatistics &stats) override;
    void safeLeaveingMeetingWithOutRequest();
    [[nodiscard]] static QString convertToJsonData(const QVariantMap &dictionary);
    // The join steps wait for state 2 (camera, microphone, settings).
    [[nodiscard]] bool joinStepsPending() const { return m_joinStepsPending; }

    // =========================================================================================
    // Member pipeline, grid and tiles (MeetingViewController+Members.cpp)
    // =========================================================================================
    void onMemberChange(const MeetingMemberList &members) override;
    void onMemberChangeInter(const MeetingMemberList &members);
    void refreshVerticalShowCollectionViewWidth();
    void needUpdateUIFitAssistantChange() override;
    void needUpdateUIFitMetaMemberChange() override;
    void requireAssistantinfo();
    // Grid (data source, layouts, window delegate calls).
    void reloadVideoCollectionView();
    void setFullScreenSize();
    void setNormalSize();
    void updateUIWithFullScreen(bool fullScreen);
    void fullScreenWithModel(const Tile &model);
    void windowWillEnterFullScreen();
    void windowDidExitFullScreen();
    void windowWillResize(const QSize &size);
    void windowDidChangeScreen();
    // Visible-tile subscription.
    void scrollViewScrollAction();
    void checkCellPositionAction();
    // Puts the tile grid into scrollView (the first call; later calls do nothing).
    void setupVideoGridViews();
    [[nodiscard]] class VideoCollectionView *videoGrid() const;
    // The shared document's page size for the window as it is now; also kept in item_size.
    QSizeF fileSharePageSize();

private:
    struct PendingMemberChange;
    void applyMemberChange(const std::shared_ptr<const PendingMemberChange> &change);
    void reloadVerticalShowCollectionView();
    void placeShareVideoView(QWidget *renderView, const Tile &source);
    QPointer<class VideoCollectionView> m_videoGrid;
    // The grid's tiles report to the controller through this (shared_ptr: deleter bound here).
    std::shared_ptr<class VideoCollectionViewItemDelegate> m_tileDelegate;
    QPointer<KVTimer> m_stripWidthAnimation;

public:
    // Floating media strip and current speaker.
    void voiceValueChange(const Notification &notification);
    void customAudioLevelChange(const Notification &notification);

    // =========================================================================================
    // Message and control dispatch (MeetingViewController+Messages.cpp)
    // =========================================================================================
    void receiveMessage(const IMMessage &message) override;
    void receiveHeartbeatAck(const IMMessage &message) override;
    void receiveSeverControlMessage(const IMMessage &message);
    void handleWaitRoomData(const IMSystemMessage &message);
    void receiveRIngRIngMessage(const IMMessage &message);
    void receiveControlMessage(const IMMessage &message);
    // A chat, join, leave or notice line for the chat list and, while sharing, its floating
    // copy. Until the chat panel lists lines itself it takes them from singleMessageAdded.
    void addSingleMessage(const MeetingMessageModel &line);
    // Forwarding stub: transcription items for the transcription panel (filled with the panel).
    void transcriptionReceiveMessages(const IMMessage &message);
    // Forwarding stubs to the member list's displays (called when the list offers them).
    void memberListUpdateAllowCarmeraStatusDisplay();
    void memberListUpdateAllowOpenMicStatusDisplay(bool allowed);
    void memberListUpdateIsOrNotAllowOpenCameraStatusDisplay();
Q_SIGNALS:
    void singleMessageAdded(const MeetingMessageModel &line);

private:
    friend class MeetingWindowDispatchTarget;
    MeetingDispatchTarget *dispatchTarget();
    MeetingDispatchTarget *m_dispatchTarget = nullptr; // a child QObject of the controller

public:
    // =========================================================================================
    // Network, QoS and system tips (MeetingViewController+Tips.cpp) -- filled later
    // =========================================================================================
    void monitoringCpuUseAge();
    void meetingNetWorkWarnning();
    void meetingQosWarnning();
    void showSystemTip(int style);
    void hiddenSystemTip();
    void ShowQosPanelAction(QObject *sender);
    void hideOtherOverViewsExceptView(QWidget *view);
    void handleFullScreenMouseDown(QMouseEvent *event);
    void updateRedpoint(bool show);
    void updateUIRedpoint(bool show) override;

    // =========================================================================================
    // Tool bar (MeetingViewController+ToolBar.cpp)
    // =========================================================================================
    void bottomToolButtonClick(VeskButton *sender);
    void roomInfoCopy(QObject *sender);
    void EnterFullScreen(QObject *sender);
    void setupTrackingArea();
    void mouseEntered();
    void mouseExited();
    void toolBarHiddenTimerAction();
    void toolBarShowAction();
    void keyDown(QKeyEvent *event);
    // A swipe on the view: vertical ones turn document pages.
    void swipeWithEvent(double deltaX, double deltaY);
    // Dragging the background moves the window.
    void mouseDown(QMouseEvent *event);
    // The top and bottom bars are out of the window.
    [[nodiscard]] bool toolBarsHidden() const { return m_toolBarsHidden; }

private:
    void setToolBarsShown(bool shown, bool animated);
    bool m_toolBarsHidden = false;
    QPointer<KVTimer> m_toolBarAnimation;
    QPointer<QObject> m_trackingArea;

public:
    // =========================================================================================
    // Microphone, camera, speaker; host control; device pop-ups
    // (MeetingViewController+Devices.cpp) -- filled later
    // =========================================================================================
    void openOrCloseMicrophone(VeskButton *sender);
    void openOrCloseCamera(VeskButton *sender);
    void openOrCloseSpeaker(VeskButton *sender);
    void micphoneChange();
    void openMicOperation();
    void controlMicWithData(const MeetingControlData &data);
    void controlCameraWithData(const MeetingControlData &data);
    void handleAllowAllowOpenMic(const MeetingControlData &data);
    void handleAllowAllowOpenCamera(const MeetingControlData &data);
    void changeUIBaseAllowOpenMic(bool allow);
    void changeUIBaseAllowOpenCamera(bool allow);
    void justCloseCamera();
    // A close of every microphone that came before the room state, applied once the state is 2
    // (called by the room-state handling; messages arriving in the room apply it too).
    void applyHeldHostControl();
    // The open-microphone request dialog while it is on screen.
    [[nodiscard]] KVAlert *micOpenRequestAlert() const { return m_micOpenRequestAlert.data(); }

private:
    void confirmMicOpened();
    void closeAllMicsByHost();
    void closeMyMicByHost(const MeetingControlData &data);
    void showMicOpenRequest(const MeetingControlData &data);
    QPointer<KVAlert> m_micOpenRequestAlert;
    // A device check of a microphone open is under way.
    bool m_micOpenChecking = false;
    // The microphone state reported to the service; every report takes the next number, so a
    // delayed report overtaken by a newer one is dropped.
    void reportMicStatus(bool on);
    quint64 m_micReportSerial = 0;

public:
    void selectCamera(VeskButton *sender);
    void selectMicrophone(VeskButton *sender);
    void selectSpeaker(VeskButton *sender);
    void showAudioSelectView(bool isSpeaker, VeskButton *button);
    void hideVideoSelectView();
    void hideAudioSelectView();
    void hideSelectWindow();
    void showFloatingWindowAtView(QWidget *view, QWidget *contentView, const QSizeF &contentViewSize, double adjustX,
                                  double adjustY);
    KVWindow *showFloatingWindowAtFrame(const QRect &frame, QWidget *contentView, const QSizeF &contentViewSize,
                                        double adjustX, double adjustY);
    void placeWindowAtIndex(int index, int toTheLeftOfWindowAtIndex, double adjustX, double adjustY);

    // =========================================================================================
    // Recording and screenshots (MeetingViewController+Recording.cpp) -- filled later
    // =========================================================================================
    void startOrStopRecord(VeskButton *sender);
    void stopRecordAction(QObject *sender);
    void stopRecord(QObject *sender);
    void recordStart();
    void recordFail(const QString &message);
    void recordSuccess(const QUrl &fileURL);

    // =========================================================================================
    // Count-down (MeetingViewController+CountDown.cpp) -- filled later
    // =========================================================================================
    void showHostCountDownView();
    QWidget *hostCountDownView();
    QWidget *hostCountStartView();
    QWidget *respondCountDownView();
    void countDownComming();
    void countDownViewHadEnd();
    void ringringDisplay() override;

    // =========================================================================================
    // Panels (MeetingViewController+Panels.cpp) -- filled later
    // =========================================================================================
    void showOrHideMember(VeskButton *sender);
    void showSettingPage(int tab);
    void showApplicationView(VeskButton *sender);
    void handleSettingPageConfig();
    void applicationStateSettingAction(QObject *sender);
    void applicationStateRecover(int tile);
    void showOrHiddeTranscriptionWindow(bool show, bool fromFloatingWindow);
    void handleSubTitleChangeEvent(int event, int languageType);
    void receiveSubTitle(const IMMessage &message);
    void receiveTextTransfer(const IMMessage &message);
    void showSubtitleViewAction(bool show);
    void showOrHideIMVIew(VeskButton *sender);
    void handleAllowSendIMMessage(const MeetingControlData &data);
    void disableIMAction(VeskButton *sender);
    QWidget *moreItemView();
    void resetItem(VeskButton *button);
    void showAllowMeetingRecordView();
    void refreshAllowMeetingRecordView();

    // =========================================================================================
    // Sharing (MeetingViewController+Sharing.cpp) -- filled later
    // =========================================================================================
    void querySharePermission();
    void queryFileShareList(int from);
    void queryAllShareFileInfo();
    void setFileShareMode(int mode);
    void setCurrentPageNum(int page);
    void scrollToItemAtIndex(int index);
    void scrollToPosition(double position);
    void leftFlipOverAction(QObject *sender);
    void rightFlipOverAction(QObject *sender);
    [[nodiscard]] bool fileShareDisplayEnableScroll();
    void stopScreenShare(bool force);
    void controlScreenShareWithData(const MeetingControlData &data);
    void prepareToShare(VeskButton *sender);
    void refreshShareDataIfNeeded();
    void avFileShareRecvStream(const QString &peerId);
    void startAVFileShareTimer();
    void resumeAVFileShareTimer();
    void pauseAVFileShareTimer();
    void stopAVFileShareTimer(bool keepAnimation);
    // Any thread.
    void setAvFileSharePlayTimerCount(qint64 seconds);
    void scrollViewDidScroll();
    void shareSelectPanelSwitchFile(const Notification &notification);
    void sliderStartTracking(const Notification &notification);
    void sliderStopTracking(const Notification &notification);
    void addAudioRotationAnimationView();
    void showFloatingWindowMoreView(VeskButton *button);
    QWidget *floatingMediaView();
    QWidget *floatingMediaMiniView();
    void sreenShareFloatingWindow();

Q_SIGNALS:
    // The lifecycle as it happens (tests and the shell may follow it).
    void didAppear();
    void meetingDidEnd();
    // The steps after joining (share files, camera, microphone, settings) ran.
    void joinStepsDidRun();

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ---- shared helpers of the files above ----
    // The manager's four delegates (the member-list panel keeps the wait-room one).
    void clearManagerDelegates();
    // Marks the meeting over: poll stopped, frames no longer routed, late replies dropped.
    void endMeetingLifetime();
    void runJoinSteps();
    void applyNetworkIcon(const QString &name);
    // The views' signals to the controller's actions.
    void connectUi();

    const std::unique_ptr<MeetingPanels> m_panels;
    const std::unique_ptr<MeetingSharing> m_sharing;
    bool m_enterWaitingRoom = false;
    qint64 m_stateMeeting = 0;
    QPointer<KVTimer> m_loopRequestTimer;
    // Replies of an earlier waiting-room screen carry an older number and are dropped.
    quint64 m_waitingRoomGeneration = 0;
    bool m_showingWaitingRoom = false;
    std::unique_ptr<OperationQueue> m_serialOperationQueue;
    MeetingMemberList m_allMembers;
    QList<Tile> m_activeMembers;
    QMap<QString, MeetingMemberShareStatusModel> m_sharePermissionInfo;

    bool m_isMicOn = false;
    bool m_isCameraOn = false;
    double m_adjustScale = 1.0;
    QRectF m_windowContentFrame;
    bool m_inFullScreenMode = false;

    Tile m_avFileShareSourceModel;
    Tile m_screenShareSourceModel;

    // Render-thread side.
    MeetingFrameRouter m_frameRouter;
    std::atomic<bool> m_videoFill{false};
    std::atomic<bool> m_recvStreamPending{false};

    bool m_meetingEnded = false;
    bool m_joinStepsPending = false;
    bool m_isRoomDelegate = false;
    bool m_roomClosedAlertShown = false;
    QPointer<KVAlert> m_leaveAlert;
    bool m_appeared = false;
};
