#pragma once

#include "foundation/models/MeetingDataModel.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QVBoxLayout>

#include <functional>

class KVMResponse;

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
    // A recurring meeting asks first whether the whole series goes.
    void cancelMeeting(const MeetingDataModel &meeting);
    // The calendar step after an end or cancel (and later a create or update). Calendar
    // synchronisation comes with scheduling; until then the hook is empty.
    void syncCalendar(const MeetingDataModel &meeting, bool sync);
    std::function<void(const MeetingDataModel &meeting, bool sync)> calendarSync;

    // Today's meetings, from the service.
    void reloadData();
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

private:
    // The join road.
    void joinMeeting(const MeetingDataModel &meeting, const QString &password);
    void handleJoinReply(const MeetingDataModel &meeting, const QString &password, const KVMResponse &response);
    void askPassword(const MeetingDataModel &meeting, const QString &message);
    void doCancelMeeting(const MeetingDataModel &meeting, bool wholeSeries);
    void showTodayMeetings(const QList<MeetingDataModel> &meetings);
    static void postMeetingDidUpdated(qint64 type, const MeetingDataModel &meeting);

    QPointer<KVTextFieldView> m_idField;
    QPointer<QLabel> m_idMessage;
    QPointer<VeskButton> m_joinButton;
    QPointer<VeskButton> m_quickButton;
    QPointer<VeskButton> m_scheduleButton;
    QPointer<VeskButton> m_allMeetingsButton;
    QPointer<QVBoxLayout> m_listLayout;
    QPointer<QLabel> m_emptyLabel;
    QList<MeetingDataModel> m_todayMeetings;
    quint64 m_listFetch = 0; // the latest fetch of the list; earlier replies are stale
    bool m_joining = false;
};
