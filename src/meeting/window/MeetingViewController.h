#pragma once

// The meeting window's controller: one per meeting page. It coordinates; each concern lives in a
// part of its own, and the operations other classes call keep their names here.
//
//   views and layout constraints  ui (MeetingViewControllerUi.h), made by the build (+Build.cpp)
//   lifecycle                     MeetingViewController.cpp          m_lifetime
//   joining, the waiting room     +WaitingRoom.cpp                   m_waitingRoom
//   leaving and ending            +Leave.cpp (one tear-down for both roads out)
//   room events, rendered frames  +RoomEvents.cpp                    (render side below)
//   members, grid and tiles       +Members.cpp -> grid/ rules        m_members
//   current speaker               +Speaker.cpp                       m_speaker
//   messages and commands         +Messages.cpp -> dispatch/ rules   (MeetingDispatchTarget)
//   tips                          MeetingTips.h                      m_tips
//   pop-overs, member red dot     +PopOvers.cpp                      panels()
//   tool bar, pointer and keys    toolBar() (MeetingToolBar.h)
//   size and scale                +Build.cpp, +Members.cpp           m_geometry
//   own devices, host control     ownDevices() (MeetingOwnDevices.h) -> common/ rules
//   device pop-ups                +DevicePopUps.cpp                  panels()
//   recording                     recording() (MeetingRecording.h)
//   count-downs                   countDowns() (MeetingCountDowns.h)
//   share tool bar's more menu    +MoreMenu.cpp (MoreItemView)       sharing().state()
//   panels and pop-overs          panels()  (meeting/panels/MeetingPanels.h); how panels that
//                                 need the window's views are made: providePanels (+Panels.cpp)
//   sharing                       sharing() (meeting/sharing/MeetingSharing.h)
//
// Public: what other classes call (the shell, the panels' and sharing code's blocks, tests). The
// rest is private, next to its concern. An operation whose part is a collaborator is a one-line
// forward to it, kept only while another class calls it by its name. How a channel message
// reaches the screen and a click the service: docs/ARCHITECTURE.md.

#include "agent/VeskMemeberAssistantsDelegate.h"
#include "agent/VeskRedPointDelegate.h"
#include "agent/VeskRoomDelegate.h"
#include "agent/engine/KRTCTypes.h"
#include "agent/engine/VeskScreenRecordDelegate.h"
#include "connection/IMMessage.h"
#include "connection/IMSystemMessage.h"
#include "foundation/NotificationCenter.h"
#include "foundation/models/MeetingMessageModel.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingFrameRouter.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "meeting/window/MeetingWindowState.h"
#include "uikit/MacBaseViewController.h"

#include <QUrl>

#include <atomic>
#include <memory>

class ApplicationView;
class CurrentSpeakerView;
class IMDisplayView;
class KVWindow;
class MacBaseWindowController;
class MeetingDispatchTarget;
class MeetingRecordSwitchView;
class MeetingCountDowns;
class MeetingOwnDevices;
class MeetingRecording;
class MeetingTips;
class MeetingToolBar;
class MoreItemView;
class QMouseEvent;
class SubtitleSettingModel;
class SubtitleSettingView;
class TranscriptionViewController;

class MeetingViewController final : public MacBaseViewController,
                                    public VeskRoomDelegate,
                                    public VeskScreenRecordDelegate,
                                    public VeskMemeberAssistantsDelegate,
                                    public VeskRedPointDelegate {
    Q_OBJECT
public:
    using Tile = MeetingMembersState::Tile;

    // enterWaitingRoom: open on the waiting-room screen instead of joining. The page switch may
    // also set it with setEnterWaitingRoom() before the view loads.
    explicit MeetingViewController(bool enterWaitingRoom = false, QObject *parent = nullptr);
    ~MeetingViewController() override;

    // The window's views and layout constraints.
    const std::unique_ptr<Ui::MeetingViewController> ui;

    // ---- The concerns with their own classes ------------------------------------------------
    [[nodiscard]] MeetingPanels &panels() const { return *m_panels; }
    [[nodiscard]] MeetingSharing &sharing() const { return *m_sharing; }
    [[nodiscard]] MeetingRecording &recording() const { return *m_recording; }
    [[nodiscard]] MeetingCountDowns &countDowns() const { return *m_countDowns; }
    [[nodiscard]] MeetingOwnDevices &ownDevices() const { return *m_ownDevices; }
    [[nodiscard]] MeetingToolBar &toolBar() const { return *m_toolBar; }

    // ---- Read access ------------------------------------------------------------------------
    [[nodiscard]] bool enterWaitingRoom() const { return m_waitingRoom.enterWaitingRoom; }
    void setEnterWaitingRoom(bool wait) { m_waitingRoom.enterWaitingRoom = wait; }
    [[nodiscard]] KVTimer *loopRequestTimer() const { return m_waitingRoom.loopRequestTimer.data(); }
    // The waiting-room screen is what the window shows now.
    [[nodiscard]] bool isShowingWaitingRoom() const { return m_waitingRoom.showingWaitingRoom; }
    [[nodiscard]] qint64 stateMeeting() const { return m_lifetime.stateMeeting; }
    // The meeting of this window is over (left, ended, closed): nothing more of it may run.
    [[nodiscard]] bool meetingEnded() const { return m_lifetime.meetingEnded; }
    // The join steps wait for state 2 (camera, microphone, settings).
    [[nodiscard]] bool joinStepsPending() const { return m_lifetime.joinStepsPending; }
    [[nodiscard]] KVAlert *leaveAlert() const { return m_lifetime.leaveAlert.data(); }

    [[nodiscard]] OperationQueue *serialOperationQueue() const { return m_members.serialOperationQueue.get(); }
    [[nodiscard]] const MeetingMemberList &allMembers() const { return m_members.allMembers; }
    [[nodiscard]] const QList<Tile> &activeMembers() const { return m_members.activeMembers; }
    // Replaces the grid's tiles and publishes them to the render thread at once.
    void setActiveMembers(const QList<Tile> &tiles);
    // Filled by the share-permission query, read by the member pipeline.
    [[nodiscard]] QMap<QString, MeetingMemberShareStatusModel> &sharePermissionInfo()
    {
        return m_members.sharePermissionInfo;
    }
    // Remote share streams; setting one publishes it to the render thread.
    [[nodiscard]] Tile avFileShareSourceModel() const { return m_members.avFileShareSourceModel; }
    void setAvFileShareSourceModel(const Tile &tile);
    [[nodiscard]] Tile screenShareSourceModel() const { return m_members.screenShareSourceModel; }
    void setScreenShareSourceModel(const Tile &tile);
    [[nodiscard]] class VideoCollectionView *videoGrid() const;

    [[nodiscard]] double adjustScale() const { return m_geometry.adjustScale; }
    [[nodiscard]] QRectF windowContentFrame() const { return m_geometry.windowContentFrame; }
    [[nodiscard]] bool inFullScreenMode() const { return m_geometry.inFullScreenMode; }

    // ---- Lifecycle and small handlers (MeetingViewController.cpp) ---------------------------
    void viewWillAppear();
    // The window's close button: the leave dialog (or leaving the waiting room); never closes
    // the window by itself.
    bool windowShouldClose() override;

private: // used by the controller alone
    void viewDidAppear();
    void viewWillDisappear();
    void viewDidDisappear();
    void memeberSharePermissionChange();
    void networkStateObserver(const Notification &notification);
    void currentSpeakerViewHidden();
    void currentSpeakerFloatingViewHidden();

    // ---- Build and sizing (+Build.cpp): used by the controller alone ------------------------
    void screenParametersDidChange();
    void creatUI();
    void adjustView();
    void adjustImInputViewWidth();
    void refreshVerticalCollectionViewLayout();
    void handleMagnificationGesture(double magnification);

public:
    // ---- Joining and the waiting-room screen (+WaitingRoom.cpp) -----------------------------
    void destoryWaitingRoom();
    void enterMeetingRoomFromWaitingRoom();

private: // used by the controller alone
    void aboutWaitingRoom();
    void addLoopRequest();
    void enterMeetingRoom();
    void exitWaitingRoomAction(QObject *sender = nullptr);
    // The join asked for from this page's waiting room (or after the move out) was refused.
    void admissionJoinRefused(const QString &roomId, qint64 code, const QString &message);

public:
    // ---- Leaving and ending (+Leave.cpp) ----------------------------------------------------
    void leaveMeeting(QObject *sender = nullptr);
    void leaveRoom();
    void leaveRoomAndLoginOut();

    // ---- Room events (+RoomEvents.cpp): VeskRoomDelegate ------------------------------------
    void onJoinRoomSuccess(bool success) override;
    void selfJoinRoomSuccess() override;
    void onRoomStateChanged(qint64 state) override;
    void onRoomClosed(const QString &reason) override;
    void onRoomClosed() override;
    void otherDeviceLogin() override;
    void hostMoveConsumerToWaitRoom() override;
    void consumerShareFinsh(const QString &peerId, int reason) override;
    void consumerShareStarted(const QString &peerId) override;
    // RENDER THREAD: matches and draws only; anything for views goes to the main thread.
    void onRender(const QString &peerId, const KRTCVideoFrame &frame, qint64 videoSourceType) override;
    void onLocalAudioStats(const KRTCStatistics &stats) override;
    void onLocalVideoStats(const KRTCStatistics &stats) override;
    void onRemoteAudioStats(const KRTCStatistics &stats) override;
    void onRemoteVideoStats(const KRTCStatistics &stats) override;

private: // used by the controller alone
    void safeLeaveingMeetingWithOutRequest();
    // The service answered a call on this meeting that it is over or gone.
    void joinedRoomEnded(const QString &roomId);
    [[nodiscard]] static QString convertToJsonData(const QVariantMap &dictionary);

public:
    // ---- Member pipeline, grid and tiles (+Members.cpp) -------------------------------------
    void onMemberChange(const MeetingMemberList &members) override;
    // The pipeline again over the latest list received (share permissions changed, say).
    void refreshMembers() { onMemberChange(m_members.receivedMembers); }
    void needUpdateUIFitAssistantChange() override;
    void needUpdateUIFitMetaMemberChange() override;
    void fullScreenWithModel(const Tile &model);
    void windowWillEnterFullScreen();
    void windowDidExitFullScreen();
    void windowWillResize(const QSize &size);
    void scrollViewScrollAction();
    void checkCellPositionAction();

private: // used by the controller alone
    void onMemberChangeInter(const MeetingMemberList &members);
    void refreshVerticalShowCollectionViewWidth();
    void requireAssistantinfo();
    void reloadVideoCollectionView();
    void setFullScreenSize();
    void setNormalSize();
    void updateUIWithFullScreen(bool fullScreen);
    // Puts the tile grid into scrollView (the first call; later calls do nothing).
    void setupVideoGridViews();
    // The shared document's page size for the window as it is now; also kept in item_size.
    QSizeF fileSharePageSize();

public:
    // ---- The current speaker (+Speaker.cpp) ---------------------------------------------------
    // The label of the share's floating window, made on first use; the sharing code places it.
    CurrentSpeakerView *currentSpeakerFloatingView();

private: // used by the controller alone
    // The label under the top bar, made on first use (null before the view loads).
    CurrentSpeakerView *currentSpeakerView();
    // At its place, or beside the count-downs when they are in its way.
    void placeCurrentSpeakerView();
    void voiceValueChange(const Notification &notification);
    void customAudioLevelChange(const Notification &notification);

public:
    // ---- Messages and control commands (+Messages.cpp) --------------------------------------
    void receiveMessage(const IMMessage &message) override;
    void receiveHeartbeatAck(const IMMessage &message) override;
    // A chat, join, leave or notice line for the chat list and a copy for its floating list.
    void addSingleMessage(const MeetingMessageModel &line);
    // Transcription items for the transcription panel (made by the first of them).
    void transcriptionReceiveMessages(const IMMessage &message);

private: // used by the controller alone
    void receiveSeverControlMessage(const IMMessage &message);
    void handleWaitRoomData(const IMSystemMessage &message);
    void receiveRIngRIngMessage(const IMMessage &message);
    // The member list's displays, called when the list offers them.
    void memberListUpdateAllowCarmeraStatusDisplay();
    void memberListUpdateAllowOpenMicStatusDisplay(bool allowed);
    void memberListUpdateIsOrNotAllowOpenCameraStatusDisplay();

public:
    // ---- Pop-overs and the member button's red dot (+PopOvers.cpp) ----------------------------
    void hideOtherOverViewsExceptView(QWidget *view);   // -> panels()
    void handleFullScreenMouseDown(QMouseEvent *event); // -> panels()
    void updateRedpoint(bool show);
    void updateUIRedpoint(bool show) override;

public:
    // ---- Device pop-ups and floating windows (+DevicePopUps.cpp) -----------------------------
    // Device pop-ups (exclusive: one open at a time) and panel windows (-> panels()).
    void selectCamera(VeskButton *sender);
    void selectMicrophone(VeskButton *sender);
    void hideSelectWindow();
    void showFloatingWindowAtView(QWidget *view, QWidget *contentView, const QSizeF &contentViewSize, double adjustX,
                                  double adjustY);
    KVWindow *showFloatingWindowAtFrame(const QRect &frame, QWidget *contentView, const QSizeF &contentViewSize,
                                        double adjustX, double adjustY);
    // Moves window just right of the other (nullptr: this window); a positive adjustY raises it.
    void placeWindowAtIndex(QWidget *window, QWidget *toTheLeftOfWindow, double adjustX, double adjustY);

private: // used by the controller alone
    void selectSpeaker(VeskButton *sender);
    void showAudioSelectView(bool isSpeaker, VeskButton *button);
    void hideVideoSelectView();
    void hideAudioSelectView();

public:
    // ---- Recording (-> recording(), MeetingRecording.h) --------------------------------------
    // The local recorder's reports (VeskScreenRecordDelegate).
    void recordStart() override;
    void recordFail(const QString &message) override;
    void recordSuccess(const QUrl &fileURL) override;

    // The assistants' ring changed: the grid shows it again (+Members.cpp).
    void ringringDisplay() override;

    // ---- Panels (+Panels.cpp: each forwards to its panel) -----------------------------------
    void showOrHideMember(VeskButton *sender);
    // The member list, its window made (hidden) on first use.
    class MemberListViewController *memberListViewController();
    // The in-meeting settings window (SettingPagePanel).
    void showSettingPage(int tab);
    void hideSettingPage();
    void handleSettingPageConfig();
    // The applications pop-over, made on first use (ApplicationView::Tile numbers its tiles).
    ApplicationView *applicationView();
    void applicationStateSettingAction(int tile);
    void applicationStateRecover(int tile);
    void resetCountDownUIState(bool on);
    // Transcription (TranscriptionPanel): built on first use and kept.
    [[nodiscard]] TranscriptionViewController *transcriptionView();
    [[nodiscard]] MacBaseWindowController *transcriptionWindow();
    void showOrHiddeTranscriptionWindow(bool show, bool fromFloatingWindow);
    // Subtitles (SubtitlePanel).
    [[nodiscard]] SubtitleSettingView *subtitleSettingView();
    void handleSubTitleChangeEvent(SubtitleSettingModel *model, bool languageType);
    void receiveSubTitle(const IMMessage &message);
    void receiveTextTransfer(const IMMessage &message);
    void showSubtitleViewAction(bool show);
    void openOrColseSubtitleSettingView(VeskButton *sender);
    // Chat (ChatPanel).
    void handleAllowSendIMMessage(const MeetingControlData &data);
    void needChangeImAllowDisplay();
    [[nodiscard]] IMDisplayView *floatingIMDisplayView();
    // The current speaker's label, as the settings ask.
    void showCurrentSpeakerView(bool show);
    // The record switches of the share tool bar's menu, made on first use.
    MeetingRecordSwitchView *allowMeetingRecordView();

private: // used by the controller alone
    void showApplicationView(VeskButton *sender);

public:
    // ---- The share tool bar's more menu (+MoreMenu.cpp) -------------------------------------
    // Made on first use with the window's blocks; kept in sharing() until the sharing code drops it.
    MoreItemView *moreItemView();
    // The menu's resetItem, when there is a menu.
    void resetItem(VeskButton *button);
    // Shown again at its new size, when it is shown.
    void refreshAllowMeetingRecordView();

private: // used by the controller alone
    // The record switches in a floating window under the menu, as high as the room's record shows.
    void showAllowMeetingRecordView();

Q_SIGNALS:
    // The lifecycle as it happens (tests and the shell may follow it).
    void didAppear();
    void meetingDidEnd();
    // The steps after joining (share files, camera, microphone, settings) ran.
    void joinStepsDidRun();
    void singleMessageAdded(const MeetingMessageModel &line);

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class MeetingWindowDispatchTarget;
    // The own share's calls reach the speaker selector and the grid's reload.
    friend OwnShareCalls makeOwnShareCalls(MeetingViewController *window);
    struct PendingMemberChange;

    // Build.
    void connectUi();
    // How the panels that need the window's views or calls are made (+Panels.cpp).
    void providePanels();
    // Lifecycle.
    // The manager's four delegates (the member-list panel keeps the wait-room one).
    void clearManagerDelegates();
    // Marks the meeting over: poll stopped, frames no longer routed, late replies dropped.
    void endMeetingLifetime();
    // Both roads out of the meeting (+Leave.cpp): delegates, lifetime, own devices, the user's
    // share, the service, the member window.
    void tearDownMeeting();
    void runJoinSteps();
    void applyNetworkIcon(const QString &name);
    // Members.
    // The first tile of that participant, or null.
    [[nodiscard]] Tile tileOfPhoneNumber(const QString &phoneNumber) const;
    void applyMemberChange(const std::shared_ptr<const PendingMemberChange> &change);
    void reloadVerticalShowCollectionView();
    void placeShareVideoView(QWidget *renderView, const Tile &source);
    // Messages: the dispatchers' target, a child QObject of the controller.
    MeetingDispatchTarget *dispatchTarget();
    // Tips and pop-overs: how each pop-over closes.
    void installPopOvers();
    // Device pop-ups.
    // The microphone and speaker selectors differ only in which pop-up they open.
    void selectAudio(VeskButton *sender, bool isSpeaker);
    // Before a pop-up opens: from the tool bar the settings page and both pop-ups close, from the
    // share tool bar the floating window holding one.
    void closeDevicePopUps(bool inWindow);

    const std::unique_ptr<MeetingPanels> m_panels;
    const std::unique_ptr<MeetingSharing> m_sharing;
    MeetingLifetimeState m_lifetime;
    MeetingWaitingRoomState m_waitingRoom;
    MeetingMembersState m_members;
    MeetingGeometryState m_geometry;
    MeetingSpeakerState m_speaker;
    MeetingDispatchTarget *m_dispatchTarget = nullptr;

    // Go first: their pending replies find them gone and do nothing.
    const std::unique_ptr<MeetingRecording> m_recording;
    const std::unique_ptr<MeetingCountDowns> m_countDowns;
    const std::unique_ptr<MeetingTips> m_tips;
    const std::unique_ptr<MeetingOwnDevices> m_ownDevices;
    const std::unique_ptr<MeetingToolBar> m_toolBar;

    // Read by the render thread.
    MeetingFrameRouter m_frameRouter;
    std::atomic<bool> m_videoFill{false};
    std::atomic<bool> m_recvStreamPending{false};
    std::atomic<qint64> m_frameSeiSeconds{-1}; // the latest frame's position not yet handed over
};
