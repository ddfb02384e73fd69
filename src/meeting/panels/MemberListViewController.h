#pragma once

// The meeting's roster panel, in a window of its own beside the meeting window. Two tabs: the
// participants in the meeting and, for hosts, the people in the waiting room. It keeps its own
// row copies in roster order (me, the host, the assistant hosts, the sharer, the others), filters
// them by name, initials or pinyin, and offers the host and the assistant hosts their actions
// (+HostActions.cpp) and the waiting room's (+WaitingRoom.cpp). It is the meeting manager's
// wait-room delegate for the whole life of the meeting window, also while its window is closed.

#include "agent/MeetingMemberModel.h"
#include "agent/VeskMemberWaitRoomDelegate.h"
#include "connection/IMSystemSubMessage.h"
#include "meeting/panels/MemberListRules.h"
#include "uikit/MacBaseViewController.h"

#include <QList>
#include <QPointer>

#include <functional>
#include <optional>

class KVAlert;
class KVLayoutConstraint;
class MeetingRowCell;
class MemberMoreActionView;
class MemberMorePanelView;
class MemberTableView;
class QLabel;
class QLineEdit;
class VeskButton;
class WaitingMeetingRowCell;

class MemberListViewController final : public MacBaseViewController, public VeskMemberWaitRoomDelegate {
    Q_OBJECT
public:
    explicit MemberListViewController(QObject *parent = nullptr);
    ~MemberListViewController() override;

    // ---- Called by the meeting window -------------------------------------------------------
    // The rows again from the participants (also when the assistant hosts or the virtual members
    // changed).
    void updateMembers(const MeetingMemberList &members);
    // The joined tab's left button follows whether members may unmute themselves.
    Q_INVOKABLE void updateAllowOpenMicStatusDisplay();
    Q_INVOKABLE void updateNotAllowOpenMicStatusDisplay();
    // The host "more" panel repaints after a camera permission changed elsewhere.
    Q_INVOKABLE void updateAllowCarmeraStatusDisplay();
    Q_INVOKABLE void updateIsOrNotAllowOpenCameraStatusDisplay();
    void viewWillAppear();

    // ---- VeskMemberWaitRoomDelegate (+WaitingRoom.cpp) ---------------------------------------
    void needUpdateUIFitMember() override;
    void needUpdateUIFitNoBoay() override;

    // Called when the user closes the panel: its close button, Escape, or the window manager's close of
    // its window.
    std::function<void()> removeBlock;
    void windowWillClose() override;

    // ---- The panel's own operations ---------------------------------------------------------
    void updateButtons(bool joinedTab, bool batchRemoveModel);
    void updateButtonTitle();
    void search();
    void waitRoomTableSearch();
    void meetingAction();
    void waitingMeetingAction();
    void removeAction();
    void leftButtonAction();
    void rightButtonAction();
    // The batch "移除" button: red while some shown row is ticked, grey otherwise.
    void rightBtnRemoveModelBKStyle();
    void controlTextDidChange();
    void controlTextDidEndEditing();

    // ---- Host actions (+HostActions.cpp) ------------------------------------------------------
    void sendMicControlDataWithPeerId(const QString &peerId, bool isClose);
    void sendCameraControlDataWithPeerId(const QString &peerId, bool isClose);
    void sendAllowMemberOpenMicWithPeerId(const QString &peerId, bool notAllowOpenMic);
    void sendAllowMemberOpenCameraWithPeerId(const QString &peerId, bool notAllowOpenCamera);

    // ---- State, for the window and the tests --------------------------------------------------
    [[nodiscard]] const MemberRows &membersArray() const { return m_membersArray; }
    [[nodiscard]] const MemberRows &membersDisplayArray() const { return m_membersDisplayArray; }
    [[nodiscard]] const QList<IMSystemSubMessage> &waitingRoomArray() const { return m_waitingRoomArray; }
    [[nodiscard]] bool isMembersTableView() const { return m_isMembersTableView; }
    [[nodiscard]] bool bactchRemoveModel() const { return m_bactchRemoveModel; }
    // The per-row host menu and the host "more" panel, made on first use.
    MemberMoreActionView *moreActionView();
    MemberMorePanelView *memberMorePanelView();

    [[nodiscard]] QLabel *memberTitleLabel() const { return m_memberTitleLabel; }
    [[nodiscard]] VeskButton *closeButton() const { return m_closeButton; }
    [[nodiscard]] QWidget *buttonBKView() const { return m_buttonBKView; }
    [[nodiscard]] VeskButton *meetingButton() const { return m_meetingButton; }
    [[nodiscard]] VeskButton *waitingMeetingButton() const { return m_waitingMeetingButton; }
    [[nodiscard]] QLineEdit *searchTextField() const { return m_searchTextField; }
    [[nodiscard]] KVLayoutConstraint *searchViewTopConstraint() const { return m_searchViewTopConstraint; }
    [[nodiscard]] MemberTableView *tableView() const { return m_tableView; }
    [[nodiscard]] QWidget *bottomView() const { return m_bottomView; }
    [[nodiscard]] KVLayoutConstraint *bottomViewHeight() const { return m_bottomViewHeight; }
    [[nodiscard]] VeskButton *leftButton() const { return m_leftButton; }
    [[nodiscard]] VeskButton *rightButton() const { return m_rightButton; }

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createUI();
    // What closing the panel does, whichever way it closed.
    void panelClosed();
    QWidget *viewForRow(int row);
    [[nodiscard]] QString keyForRow(int row) const;
    MeetingRowCell *joinedRow(int row);
    WaitingMeetingRowCell *waitingRow(int row);
    void applyButtonStyle(VeskButton *button, const MemberListRules::ButtonStyle &style);
    void setRightButtonImage(const QString &name);
    void reloadData();
    // Shown centred on the list's window; once answered the keyboard is back where it was.
    void presentAlert(KVAlert *alert, const QString &objectName);

    // Host actions (+HostActions.cpp).
    void wireRow(MeetingRowCell *cell);
    void moreHandle(const MemberRow &row, double x, double y);
    void menuRowReported(const MemberRow &row, bool show);
    // The open menu follows its member when the rows change: it moves with the member's row, and
    // closes once the member is not shown.
    void followMenu();
    void closeMoreMenu();
    void collapseMenuRow();
    void collapseRowLook(const MemberRow &row);
    // The row view showing that member while it is on screen, else nullptr.
    [[nodiscard]] MeetingRowCell *rowCellOf(const MemberRow &row) const;
    [[nodiscard]] bool inRoster(const MemberRow &row) const;
    void assistantHost(const MemberRow &row, bool grant);
    void removeToWaitingRoom(const MemberRow &row);
    void moveOutMeetingRoom(const MemberRow &row);
    void muteAll();
    void allowSelfUnmute();
    void closeAllCamera();
    void batchRemove();
    void endBatchMode();
    void enterBatchMode();
    void wireMorePanel(MemberMorePanelView *panel);
    void wireMenu(MemberMoreActionView *menu);

    // Waiting room (+WaitingRoom.cpp).
    void wireWaitingRow(WaitingMeetingRowCell *cell);
    void admit(const IMSystemSubMessage &entry);
    void removeWaiting(const IMSystemSubMessage &entry);
    void admitAll();
    void removeAllWaiting();
    void applyWaitingList();
    void sendReadMarks();
    void waitingListEmptied();

    MemberRows m_membersArray;
    // m_membersArray in the participants' order: the next update finds most rows in their places.
    MemberRows m_membersInOrder;
    MemberRows m_membersDisplayArray;
    QList<IMSystemSubMessage> m_waitingRoomArray;
    bool m_isMembersTableView = true;
    bool m_bactchRemoveModel = false;
    bool m_closingWindow = false;
    MemberListRules::NameCache m_names;
    std::optional<MemberListRules::SearchIndex> m_searchIndex; // of m_membersArray

    QPointer<MemberMoreActionView> m_moreActionView;
    QPointer<MemberMorePanelView> m_memberMorePanelView;

    QLabel *m_memberTitleLabel = nullptr;
    VeskButton *m_closeButton = nullptr;
    QWidget *m_lineView = nullptr;
    QWidget *m_buttonBKView = nullptr;
    VeskButton *m_meetingButton = nullptr;
    VeskButton *m_waitingMeetingButton = nullptr;
    QWidget *m_searchBKView = nullptr;
    QLineEdit *m_searchTextField = nullptr;
    KVLayoutConstraint *m_searchViewTopConstraint = nullptr;
    MemberTableView *m_tableView = nullptr;
    QWidget *m_bottomView = nullptr;
    KVLayoutConstraint *m_bottomViewHeight = nullptr;
    VeskButton *m_leftButton = nullptr;
    VeskButton *m_rightButton = nullptr;
};
