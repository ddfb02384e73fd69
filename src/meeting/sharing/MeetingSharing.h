#pragma once

// The meeting window's share display: its state (documents, audio/video files, the user's own
// screen share and its floating windows), the sharing operations the controller forwards to, and
// what the control commands do to the share display. It works on the few window views named in
// Views and asks the window for the rest through WindowCalls.

#include "agent/MeetingActiveModel.h"
#include "agent/models/FileShareModel.h"
#include "foundation/KVClock.h"
#include "foundation/models/MeetingControlData.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/sharing/AvFileShare.h"
#include "meeting/sharing/FileShareDocumentViews.h"
#include "meeting/sharing/OwnShareCalls.h"
#include "meeting/sharing/ScreenShareControl.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AvFileShare;
class AvFileShareServices;
class FileShareDocument;
class IMDisplayView;
class KVWindow;
class MacBaseWindowController;
struct Notification;
class QScrollArea;
class QWidget;
class VeskButton;
struct MeetingInfoModel;

class MeetingSharing final : public QObject {
    Q_OBJECT
public:
    struct State {
        int fileShareMode = 0; // 0 video grid, 1 document, 2 audio/video file
        // Documents.
        QSizeF fileShareFlowLayout; // the document view's item size (one page)
        std::shared_ptr<FileShareDatailModel> fileShareDatailModel;
        int currentPageNum = 0;
        QList<FileShareDatailModel> allFileShareArray;
        QPointer<QWidget> fileShareSpeedSwicthPanel;       // FileShareSpeedSwicthPanel
        QPointer<QWidget> fileShareSpeedSwicthPanelBottom; // ShareBottomPanel
        // Page-flip and scroll synchronisation.
        double lastScrollTimeInterval = 0; // ms of the last scroll position sent
        double lastOffsetScale = 0;
        bool flipOverDuration = false; // a remote flip is being applied
        quint64 fileShareFlipOverSendSequenceId = 0;
        quint64 fileShareFlipOverReceiveSequenceId = 0;
        QPointer<KVTimer> scrollTimer;
        // Audio/video files (the position is AvFileShare's).
        std::shared_ptr<FileShareModel> avFileShareModel;
        bool avFileSharePlaying = false;
        // The user's own screen share and its floating windows.
        QPointer<QWidget> shareSelectPanel; // ShareSelectPanel
        bool showShareView = false;
        bool isPrepareScreenShare = false;
        bool fetchShareScreenDataFailed = false;
        std::unique_ptr<MacBaseWindowController> screenShareTopWindowController;
        QPointer<QWidget> floatingMediaViewStorage;     // FloatingMediaView (lazy getter floatingMediaView)
        QPointer<QWidget> floatingMediaMiniViewStorage; // FloatingMediaMiniView (lazy getter floatingMediaMiniView)
        QPointer<KVWindow> floatingMediaViewWindow;
        QPointer<KVWindow> floatingMediaMiniViewWindow;
        QPointer<VeskButton> floatingMediaMiniButton;
        QPointer<QWidget> floatingIMView; // FloatingIMView
        QPointer<IMDisplayView> floatingIMDisplayView;
        QPointer<QWidget> moreItemViewStorage; // MoreItemView (lazy getter moreItemView)
        QPointer<QWidget> currentSpeakerFloatingView;
        QPointer<KVTimer> currentSpeakerFloatingViewHiddenTimer;
    };

    // What the share display asks of the window it belongs to.
    struct WindowCalls {
        std::function<void()> reloadMembers; // the member pipeline again, on the members as they are
        std::function<void()> showToolBars;
        std::function<QSizeF()> fileSharePageSize;                              // one page tile of a shared document
        std::function<void(QWidget *)> hideOtherOverViews;                      // the window's other pop-overs close
        std::function<void()> openMemberList;                                   // the member list shown, its button on
        std::function<std::shared_ptr<MeetingActiveModel>()> avFileShareSource; // the shared file's stream tile
    };

    // The window's views the share display drives. The window makes them after this class, so
    // these refer to the window's own pointers to them (null until made).
    struct Views {
        QPointer<QWidget> &fileShareCollectionView;
        QPointer<QWidget> &verticalShowCollectionView;
        QPointer<VeskButton> &avFileSharePlayButton;
        QPointer<QWidget> &avFileShareSliderBKView;
        QPointer<QWidget> &audioAnimationBKView;
        FileShareDocumentViews document;
        AvFileShare::Views avFile;
    };

    MeetingSharing(Views views, WindowCalls window);
    ~MeetingSharing() override;

    [[nodiscard]] const State &state() const { return m_state; }
    // Written by the sharing operations and the control steps below.
    [[nodiscard]] State &state() { return m_state; }

    // The user's own screen or window share: what it asks of the window, and the service it uses
    // (the agent's when none is given).
    void installOwnShare(OwnShareCalls calls, std::shared_ptr<ShareControlServices> services = nullptr);
    [[nodiscard]] ScreenShareControl *shareControl() const;
    // The shared audio/video file; its service calls (the agent's unless tests install others).
    [[nodiscard]] AvFileShare &avFileShare() const { return *m_av; }
    void installAvFileShareServices(std::shared_ptr<AvFileShareServices> services);
    // The shared document's view and its position sync.
    [[nodiscard]] FileShareDocument &document() const { return *m_document; }
    void closeScreenShare();

    // The share display as the window opens: its page size, and a share already running in the room.
    void prepareShareDisplay(const MeetingInfoModel &room, const QString &myPhoneNumber);

    // ---- Sharing operations (the controller's of the same name forward here) ----
    // afterChange: the list changed, a fresh answer is needed (see ScreenShareControl).
    void querySharePermission(bool afterChange = false);
    void startFileShareFromAction(const FileShareDatailModel &model);
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
    void shareEndedByEngine(bool startFailed);
    void shareStartedByEngine();
    void controlScreenShareWithData(const MeetingControlData &data);
    void prepareToShare(VeskButton *sender);
    void refreshShareDataIfNeeded();
    void avFileShareRecvStream(const QString &peerId);
    void startAVFileShareTimer();
    void resumeAVFileShareTimer();
    void pauseAVFileShareTimer();
    void stopAVFileShareTimer(bool keepAnimation);
    void scrollViewDidScroll();
    void shareSelectPanelSwitchFile(const Notification &notification);
    void sliderStartTracking(const Notification &notification);
    void sliderStopTracking(const Notification &notification);
    void addAudioRotationAnimationView();
    void showFloatingWindowMoreView(VeskButton *button);
    QWidget *floatingMediaView();
    QWidget *floatingMediaMiniView();
    QWidget *moreItemView();
    void sreenShareFloatingWindow();

    // ---- The shared audio/video file's position (main thread) ----
    [[nodiscard]] qint64 avFileSharePlayTimerCount() const;
    void setAvFileSharePlayTimerCount(qint64 seconds);
    [[nodiscard]] bool avFileSharePlaySliderTracking() const;
    void setAvFileSharePlaySliderTracking(bool tracking);
    // A rendered frame's position, parsed where the frame arrived.
    void takeFramePosition(qint64 seconds);

    // The file on show of that kind (for a rights change: the one with that id), as the rule of who
    // may drive it reads it; nullopt when none is.
    [[nodiscard]] std::optional<MeetingHostControlRules::SharedFileOnShow>
    sharedFileOnShow(MeetingHostControlRules::SharedFileKind kind, const QString &fileId) const;

    // ---- What control commands do to the share display ----
    void applyDocumentShare(const MeetingControlData &data);
    void applyDocumentSwitch(const MeetingControlData &data);
    void applyDocumentFollow(const MeetingControlData &data);
    void applySharePermission(MeetingControlData data);
    void applySharePermissionList(const MeetingControlData &data);
    void applyFileRights(const MeetingControlData &data);
    void applyPlaybackResync(const MeetingControlData &data);
    void applyPlaybackStarted();
    void applyPlaybackResumed();
    void applyPlaybackPaused();
    void applyPlaybackSeek(const MeetingControlData &data);
    void applyPlaybackEnded();
    void applyFileShareStarted(const MeetingControlData &data);
    void applyFileShareStopped();

private:
    void setPlaying(bool playing);
    void closeMoreMenu();
    void closeOwnShareWindows();

    const Views m_ui; // the window's views (named as in the window's ui)
    const WindowCalls m_window;
    State m_state;
    OwnShareCalls m_own;
    std::unique_ptr<ScreenShareControl> m_control;
    FileShareDocument *m_document = nullptr; // a child
    AvFileShare *m_av = nullptr;             // a child
};
