#pragma once

#include "foundation/models/MeetingDataModel.h"
#include "scheduling/KVMeetingInfoViewController.h"
#include "scheduling/MainMeetingListViewController.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"

#include <QDate>
#include <QHash>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <optional>

class CreateMeetingViewController;
class KVTimer;
class KVAlert;
class KVMResponse;
class QScrollArea;

// The home page: join by meeting ID, a quick meeting, today's meetings, and the operations on a
// scheduled meeting (join, end, cancel). Every join goes through one road: the agent's join,
// then the password prompt (413), the waiting room (454), the locked message (452) or, on
// success, the joined broadcast, the meeting manager and the meeting page.
class MainPageViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    explicit MainPageViewController(QObject *parent = nullptr);
    ~MainPageViewController() override;

    // The join button: checks the typed ID, then the join road.
    void joinMeetingById();
    void startQuickMeeting();
    // A meeting from a list.
    void joinRoom(const MeetingDataModel &meeting);
    void endMeeting(const MeetingDataModel &meeting);
    // A recurring meeting asks first whether the whole series goes, over the window of returnTo
    // (nullptr: the home window); once the question is answered the focus goes back to where it
    // was in that window, or to returnTo.
    void cancelMeeting(const MeetingDataModel &meeting, QWidget *returnTo = nullptr);
    // A cancel of the meeting is being asked (its alert is open) or a cancel or end of it is on its
    // way: a second one is not started, and the windows' buttons for it are disabled.
    [[nodiscard]] bool hasRequestInFlight(const QString &roomId) const;
    // The calendar step after a create or update (sync = the form's choice), an end or a cancel
    // (sync false): the meeting's events in the app's calendar file follow (editedOccurrence:
    // where the occurrence an edit of one occurrence changed began). A set hook (tests) takes its
    // place. These requests are the application's, not the page's: the calendar follows an answer
    // that comes after the page is gone (signed out), and the rest of the answer is dropped.
    void syncCalendar(const MeetingDataModel &meeting, bool sync, const QDateTime &editedOccurrence = {});
    std::function<void(const MeetingDataModel &meeting, bool sync)> calendarSync;

    // The meeting form, to create (no model) or edit a meeting. The daily quota is checked first
    // (a second request while a check runs is ignored); one form at a time.
    void openCreateOrEditMeeting(const std::optional<MeetingDataModel> &meeting, bool isEdit);
    // Sends the form's meeting. On success: the calendar step, callback(true), the broadcast
    // (the edited meeting on an update, the reply's on a create), the home list, and the join
    // when enter is set. On failure callback(false) and the reply's message.
    void createAndUpdateMeetingRoom(const MeetingDataModel &meeting, bool enter, bool syncCalendar,
                                    std::function<void(bool success)> callback);
    // The scheduled meeting's file window (Escape closes it); changed gets the meeting once the
    // window opens (its room id, where the uploads go) and again as the window leaves it.
    void openUploadShare(const MeetingDataModel &meeting,
                         std::function<void(const MeetingDataModel &meeting)> changed = nullptr);
    // Closes the file window when it holds that room's files, so their rights reach the opener.
    void closeUploadShareOf(const QString &roomId);
    [[nodiscard]] QWidget *uploadShareWindow() const;
    [[nodiscard]] CreateMeetingViewController *createMeetingViewController() const;
    [[nodiscard]] QWidget *createMeetingWindow() const;
    [[nodiscard]] bool isCheckingQuota() const { return m_checkingQuota; }
    // The meeting the open form edits, as the lists showed it until the update succeeded.
    [[nodiscard]] const std::optional<MeetingDataModel> &editingMeeting() const { return m_editingMeeting; }

    // The details window of a meeting (one at a time): join, edit, end and cancel come back here.
    void openMeetingInfo(const MeetingDataModel &meeting);
    // The all-meetings window (one at a time).
    void onAllMeetingListAction();
    // The invitation card of a meeting, in a modal panel.
    void showInviteView(const MeetingDataModel &meeting);
    [[nodiscard]] KVMeetingInfoViewController *meetingInfoViewController() const { return m_meetingInfoController; }
    [[nodiscard]] QWidget *meetingInfoWindow() const;
    [[nodiscard]] MainMeetingListViewController *meetingListViewController() const { return m_meetingListController; }
    [[nodiscard]] QWidget *meetingListWindow() const;

    // Today's meetings, from the service. While the page is shown, a new day fetches them again.
    void reloadData();
    // The list was fetched on a day that has passed: fetches today's (the page or its window is
    // shown again).
    void refreshIfDayChanged();
    // The home window became active: offers a copied invitation for joining.
    void checkPasteboard();
    // The program copied an invitation itself: that copy is never offered.
    void appCopyInvitedString();

    [[nodiscard]] const QList<MeetingDataModel> &todayMeetings() const { return m_todayMeetings; }
    [[nodiscard]] KVTextFieldView *meetingIdField() const { return m_idField; }
    [[nodiscard]] QLabel *meetingIdMessage() const { return m_idMessage; }
    [[nodiscard]] VeskButton *joinButton() const { return m_joinButton; }
    [[nodiscard]] VeskButton *quickMeetingButton() const { return m_quickButton; }
    [[nodiscard]] VeskButton *scheduleButton() const { return m_scheduleButton; }
    [[nodiscard]] VeskButton *allMeetingsButton() const { return m_allMeetingsButton; }
    [[nodiscard]] bool isJoining() const { return m_joining; }

protected:
    void loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The join road.
    // fromWaitingRoom: the waiting room's admission; the meeting page tells of a refusal.
    void joinMeeting(const MeetingDataModel &meeting, const QString &password, bool fromWaitingRoom = false);
    void handleJoinReply(const MeetingDataModel &meeting, const QString &password, const KVMResponse &response,
                         bool fromWaitingRoom = false);
    void askPassword(const MeetingDataModel &meeting, const QString &message);
    void doCancelMeeting(const MeetingDataModel &meeting, bool wholeSeries);
    // The calendar step as it stands when a request goes out: it runs on the service's answer
    // whether or not the page is still there.
    using CalendarStep = std::function<void(const MeetingDataModel &, bool sync, const QDateTime &editedOccurrence)>;
    [[nodiscard]] CalendarStep calendarStep() const;
    void setRequestInFlight(const QString &roomId, bool inFlight);
    void updateRequestButtons();
    void showTodayMeetings(const QList<MeetingDataModel> &meetings);
    // Looks again just after midnight (and every few minutes in case the clock jumps).
    void watchTheDay();
    // An end or cancel of a scheduled meeting answered: the loading toast goes, its buttons come
    // back, a refusal is shown. True when the service did it.
    bool scheduledRequestAnswered(const QString &roomId, const KVMResponse &reply);
    void postMeetingDidUpdated(qint64 type, const MeetingDataModel &meeting);
    void showCreateMeeting(const std::optional<MeetingDataModel> &meeting, bool isEdit);
    void closeCreateMeeting();
    // Joining from a list closes the details and all-meetings windows first.
    void closeMeetingListWindows();
    void closeMeetingInfo();
    void closeMeetingList();

    QPointer<KVTextFieldView> m_idField;
    QPointer<QLabel> m_idMessage;
    QPointer<VeskButton> m_joinButton;
    QPointer<VeskButton> m_quickButton;
    QPointer<VeskButton> m_scheduleButton;
    QPointer<VeskButton> m_allMeetingsButton;
    QPointer<QVBoxLayout> m_listLayout;
    QPointer<QScrollArea> m_todayScroll;
    QPointer<QLabel> m_emptyLabel;
    QList<MeetingDataModel> m_todayMeetings;
    quint64 m_listFetch = 0; // the latest fetch of the list; earlier replies are stale
    QDate m_listDay;         // the day the list shown was fetched on
    QPointer<KVTimer> m_dayWatch;
    bool m_joining = false;
    bool m_checkingQuota = false;
    bool m_postingOwnUpdate = false;
    std::unique_ptr<MacBaseWindowController> m_createMeetingWindow;
    QPointer<CreateMeetingViewController> m_createMeetingController;
    std::optional<MeetingDataModel> m_editingMeeting;
    std::unique_ptr<MacBaseWindowController> m_meetingInfoWindow;
    QPointer<KVMeetingInfoViewController> m_meetingInfoController;
    std::unique_ptr<MacBaseWindowController> m_meetingListWindow;
    std::unique_ptr<MacBaseWindowController> m_uploadShareWindow;
    QPointer<MainMeetingListViewController> m_meetingListController;
    QHash<QString, QPointer<KVAlert>> m_cancelAlerts; // by room id, while open
    QSet<QString> m_requestsInFlight;                 // room ids with a cancel or end on its way
};
