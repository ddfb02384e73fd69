#pragma once

// The user's own share: the share lock, the picker, the count-down, the ring and the engine
// share, the stop chain by kind, the host ending it, and the list of members the host lets share.
// It sits below the window: it works on the few views it is given and asks the window for the
// rest through WindowCalls.

#include "foundation/models/DesktopCaptureSnapshotModel.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingMemberShareStatusModel.h"
#include "meeting/sharing/ShareControlServices.h"
#include "meeting/sharing/ShareSelectPanel.h"

#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class VeskButton;
struct FileShareDatailModel;
struct FileShareModel;

class ScreenShareControl final : public QObject {
    Q_OBJECT
public:
    // What the control asks of the meeting window. Unset calls are skipped.
    struct WindowCalls {
        std::function<QWidget *()> view;              // the meeting window's content: picker, count-down, banners
        std::function<VeskButton *()> shareBtn;       // the tool bar's share button
        std::function<VeskButton *()> finishShareBtn; // the end-share control
        std::function<bool()> judgeSharing;           // a screen share tile is on show
        std::function<bool()> memberScreenShareOnShow;
        std::function<int()> fileShareMode;
        std::function<void(int)> setFileShareMode;
        std::function<std::shared_ptr<FileShareDatailModel>()> document;
        std::function<std::shared_ptr<FileShareModel>()> avFile;
        std::function<void()> closeFileSwitchPanel;
        std::function<void()> avFileShareStopped; // play button on, the play timer stopped
        std::function<void()> queryAllShareFileInfo;
        std::function<void(const FileShareDatailModel &)> startFileShare;
        std::function<void(const FileShareModel &)> startAVFileShare;
        std::function<void()> reloadGrid;
        std::function<void()> hideFilePagePanel;
        std::function<void()> openFloatingWindows; // the share tool bar, the strip; the meeting window hidden
        // The local end after the ring went: device pop-ups, member and transcription windows,
        // more menu, strip, tab and tool bar closed, the meeting window back in front.
        std::function<void()> closeShareWindows;
        // The host's list, swapped in on the main thread; the window refreshes its rows.
        std::function<void(const QMap<QString, MeetingMemberShareStatusModel> &)> setSharePermissionInfo;
        std::function<void()> refreshShareBottomPanel;
        // Control event 4: the member's share flag, then the member list.
        std::function<void(const QString &peerId, int switchStatus)> setMemberShareFlag;
    };

    static constexpr int kNoScreensToastDelayMs = 1000;

    ScreenShareControl(std::shared_ptr<ShareControlServices> services, WindowCalls window, QObject *parent = nullptr);
    ~ScreenShareControl() override;

    // ---- Operations ----------------------------------------------------------------------------
    void prepareToShare(VeskButton *sender);
    // A file started from a list rather than the picker: then runs once the user holds the share
    // lock (at once while he shares already); a refusal is told as the share button tells it.
    // A choice made while the lock is asked for is ignored.
    void withShareLock(std::function<void()> then);
    void showShareSelectView(VeskButton *sender);
    void refreshShareDataIfNeeded();
    void stopScreenShare(bool force);
    // The engine ended the running screen or window share by itself (the window closed, the
    // desktop ended the capture, or it never started): the user's stop without asking, the
    // lock given back; a start that failed says so.
    void shareEndedByEngine(bool startFailed);
    // A share the desktop asked the user for first (the portal's dialog) runs: only now the
    // tool bar and strip come and the meeting window goes.
    void shareStartedByEngine();
    void resetShareStatus();
    void closeScreenShare();
    void controlScreenShareWithData(const MeetingControlData &data);
    // The members the host lets share, for hosts and assistant hosts. A plain ask (the window
    // opening, joining, the assistants changing: all at once on entry) is answered by one in flight
    // or one answered within kFreshListMs; after a change of the list a fresh answer is fetched.
    void querySharePermission(bool afterChange = false);
    static constexpr int kFreshListMs = 1000;

    // ---- State ---------------------------------------------------------------------------------
    [[nodiscard]] bool isPrepareScreenShare() const { return m_isPrepareScreenShare; }
    [[nodiscard]] bool showShareView() const { return m_showShareView; }
    [[nodiscard]] bool fetchShareScreenDataFailed() const { return m_fetchShareScreenDataFailed; }
    [[nodiscard]] ShareSelectPanel *currentShareSelectPanel() const { return m_shareSelectPanel; }
    // The picker, made on first use with its blocks wired.
    ShareSelectPanel *shareSelectPanel();
    [[nodiscard]] ShareControlServices &services() const { return *m_services; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onShareLock(const KVMResponse &response, const QPointer<VeskButton> &sender);
    void closePicker();
    void placePicker();
    void generalStart(const DesktopCaptureSnapshotModel &model);
    void afterCountDown(const DesktopCaptureSnapshotModel &model);
    void shareRuns();
    void failStart();
    // A screen or window start the room no longer allows: told, nothing starts, the lock goes back.
    void refuseForbidden();
    void endOwnFileShare();
    void releaseLockIgnoringAnswer();
    // A lock request waits for the stops on their way (a file share's stop, the lock's release):
    // sent before their answer, a late release would free the lock the new share was given.
    void afterStops(std::function<void()> askForLock);
    void stopAnswered();
    void endThenRelease();
    void localEnd();
    void cancelCountDown();
    static void setOff(VeskButton *button);
    [[nodiscard]] QWidget *view() const { return m_window.view ? m_window.view() : nullptr; }
    [[nodiscard]] VeskButton *shareBtn() const { return m_window.shareBtn ? m_window.shareBtn() : nullptr; }
    [[nodiscard]] VeskButton *finishShareBtn() const
    {
        return m_window.finishShareBtn ? m_window.finishShareBtn() : nullptr;
    }

    const std::shared_ptr<ShareControlServices> m_services;
    const WindowCalls m_window;
    bool m_isPrepareScreenShare = false;
    bool m_showShareView = false;
    bool m_fetchShareScreenDataFailed = false;
    bool m_ownScreenShareRunning = false; // the engine share started and has not ended here
    bool m_ownScreenSharePending = false; // the engine share waits for the portal's dialog
    QPointer<ShareSelectPanel> m_shareSelectPanel;
    QPointer<VeskButton> m_pickerOpener;
    QPointer<QWidget> m_watchedView;
    int m_stopsInFlight = 0;
    QList<std::function<void()>> m_afterStops;
    bool m_listInFlight = false;
    bool m_lockForListInFlight = false;
    bool m_listAgain = false;       // a change came while the list was on its way
    qint64 m_listAnsweredAtMs = -1; // project clock
};
