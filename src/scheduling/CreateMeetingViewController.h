#pragma once

// The meeting form: schedules a new meeting or changes a scheduled one. It edits its own copy
// of a MeetingDataModel, checks the subject and the password, copies its controls into that
// copy and hands itself to its owner (onCreateMeeting); the owner sends the request. The
// bodies are split by concern: +Build.cpp (the views), +Pickers.cpp (begin, duration, end and
// the click mask), +Members.cpp (invitees, allowed sharers, search and the member picker).

#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/VeskUserModel.h"
#include "scheduling/CreateMeetingRules.h"
#include "scheduling/KVCreateMeetingDuration.h"
#include "uikit/MacBaseViewController.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QRadioButton>

#include <functional>
#include <memory>
#include <utility>

class KVDatePickerView;
class KVHitTestButton;
class KVHoverBorderView;
class KVMemberEnterCollectionView;
class KVMemberSelectView;
class KVSelectTimeView;
class KVTextFieldView;
class MoreActionItem;
class MoreActionView;
class QAbstractButton;
class QFFlatButton;
class QLabel;
class QScrollArea;
class VeskButton;

class CreateMeetingViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    using Block = std::function<void(CreateMeetingViewController *controller)>;
    enum MemberType { Invitees = 0, ShareMembers = 1 };

    explicit CreateMeetingViewController(QObject *parent = nullptr);
    ~CreateMeetingViewController() override;

    // ---- Model and owner --------------------------------------------------------------------
    // Stores a copy and refills the whole form from it.
    void setDataModel(const MeetingDataModel &model);
    // The form's meeting (a default new meeting when none was set).
    [[nodiscard]] const MeetingDataModel &dataModel();
    [[nodiscard]] bool isUpdating() { return dataModel().isEdit; }
    [[nodiscard]] bool syncCalendar() const { return m_syncCalendar; }
    Block onCreateMeeting;
    Block onCloseAction;
    Block onUploadShareFile;
    // The meeting's file window closed: its room id, who may upload and each file's rights
    // belong to the meeting being edited now.
    void adoptUploadShare(const MeetingDataModel &changed);

    // ---- Button actions ---------------------------------------------------------------------
    void onConfirmClick();
    // Set by the owner while the form's create or update request is on its way: 确定 is disabled
    // and a confirm does nothing, so one press makes one meeting.
    void setRequestInFlight(bool inFlight);
    [[nodiscard]] bool requestInFlight() const { return m_requestInFlight; }
    void onCancelClick();
    void onUploadFileClick();
    void onUploadFilesCountClick();
    void onPasswordClick();
    void onMeetingContentClick();
    void onAllowAllShareClick();
    void onLimitMemberShareClick();
    void onSyncCalendarClick();
    void onOnceMeetingClick() { setPeriodType(0); }
    void onDaysMeetingClick() { setPeriodType(1); }
    void onWeeklyMeetingClick() { setPeriodType(2); }
    void onCycleSyncAction();
    void onDatePickBtnClick();
    void onDurationClick();
    void onOverBtnClick() { hideOverMaskBtnViews(); }

    // ---- Filling and reading ----------------------------------------------------------------
    void updateModelToUI();
    // The controls as plain values.
    [[nodiscard]] MeetingFormControls controls() const;
    void syncToDataModel();
    // Grows or shrinks the window for the sections that show (and a screen change).
    void updateScrollContentSize();
    // The form's document height with the rows that show.
    [[nodiscard]] int neededHeight() const;
    void screenParametersChanged();
    // The uploaded-file count again (after the upload window closed).
    void refreshFileCount();

    // ---- Recurrence -------------------------------------------------------------------------
    void setPeriodType(qint64 type);
    [[nodiscard]] qint64 periodType() const { return m_periodType; }
    void updateTitlebarUIs();
    void updateCycleUIStates();

    // ---- Begin, duration, end and the click mask (+Pickers.cpp) -----------------------------
    [[nodiscard]] qint64 duration() const { return m_duration; }
    [[nodiscard]] QDateTime datePickSelectDate() const { return m_datePickSelectDate; }
    [[nodiscard]] QDateTime datePickDurationSelectDate() const { return m_datePickDurationSelectDate; }
    void openSelectTimeView();
    void openDurationDatePickView();
    // Closes the date picker, the duration menu and the member picker, and hides the mask (the
    // end-time panel stays).
    void hideOverMaskBtnViews();
    // Whether a click at this point of the view goes past the mask.
    [[nodiscard]] bool maskLetsThrough(const QPoint &viewPos) const;
    [[nodiscard]] QString durationIconName() const { return m_durationIconName; }

    // ---- Invitees and allowed sharers (+Members.cpp) ----------------------------------------
    [[nodiscard]] const QList<VeskUserModel> &members() const { return m_members; }
    [[nodiscard]] const QList<VeskUserModel> &shareMembers() const { return m_shareMembers; }
    [[nodiscard]] const QList<VeskUserModel> &searchMembers() const { return m_searchMembers; }
    [[nodiscard]] QString searchMemberKey() const { return m_searchMemberKey; }
    [[nodiscard]] int currentMemberType() const { return m_currentMemberType; }
    // An edit's invitees came from the service (a new meeting's are there from the start).
    [[nodiscard]] bool inviteesLoaded() const { return m_inviteesLoaded; }
    // The text of a list's entry changed.
    void memberTextChanged(int type, const QString &text);
    void searchMember(const QString &text);
    void updateSearchMemberList();
    // A chip's delete button.
    void deleteMember(int type, int index);

    // The views the build makes (owned by the view tree).
    struct Ui {
        QPointer<QWidget> titleBar;
        QPointer<QLabel> titleLabel;
        QPointer<QLabel> cycleSyncTitle;
        QPointer<KVHitTestButton> cycleSyncButton;
        QPointer<QScrollArea> scrollView;
        QPointer<QWidget> document;
        QPointer<KVTextFieldView> meetingTitleTextView;
        QPointer<KVHoverBorderView> datePickBackView;
        QPointer<QFFlatButton> datePickerButton;
        QPointer<KVHoverBorderView> durationBackView;
        QPointer<QFFlatButton> durationButton;
        QPointer<QLabel> durationIcon;
        QPointer<QLabel> periodTitleLabel;
        QPointer<QRadioButton> onceMeetingBtn;
        QPointer<QRadioButton> daysMeetingBtn;
        QPointer<QRadioButton> weeklyMeetingBtn;
        QPointer<QLabel> memberSelectLabel;
        QPointer<KVHoverBorderView> confereeCollectionBackView;
        QPointer<KVMemberEnterCollectionView> confereeCollectionView;
        QPointer<KVHitTestButton> passwordBtn;
        QPointer<QWidget> passwordRow;
        QPointer<KVTextFieldView> passwordInputView;
        QPointer<KVHitTestButton> waitingRoomButton;
        QPointer<KVHitTestButton> masterCameraButton;
        QPointer<KVHitTestButton> masterMicButton;
        QPointer<KVHitTestButton> memberMicAction;
        QPointer<KVHitTestButton> memberCameraAction;
        QPointer<KVHitTestButton> recordBtn;
        QPointer<KVHitTestButton> recordMeetingContentBtn;
        QPointer<QWidget> meetingContentRow;
        QPointer<KVHitTestButton> allowMemberLookMeetingContentButton;
        QPointer<QRadioButton> shareAllowAllBtn;
        QPointer<QRadioButton> shareLimitMemberBtn;
        QPointer<QWidget> shareMemberRow;
        QPointer<KVHoverBorderView> shareMemberBackView;
        QPointer<KVMemberEnterCollectionView> shareMemberCollectionView;
        QPointer<KVHitTestButton> allowUploadFileButton;
        QPointer<QFFlatButton> uploadFilesCountBtn;
        QPointer<VeskButton> uploadFileButton;
        QPointer<KVHitTestButton> syncCalendarBtn;
        QPointer<QWidget> buttonBar;
        QPointer<VeskButton> cancelButton;
        QPointer<VeskButton> confirmButton;
        // Pop-ups: at most one of each, made when opened.
        QPointer<QAbstractButton> overMaskBtn;
        QPointer<KVDatePickerView> datePickView;
        QPointer<MoreActionView> durationView;
        QPointer<KVSelectTimeView> selectTimeView;
        QPointer<KVDatePickerView> durationDatePickView;
        QPointer<KVMemberSelectView> memberSelectView;
    };
    [[nodiscard]] const Ui &ui()
    {
        view();
        return *m_ui;
    }

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // +Build.cpp
    void buildTitleBar(QWidget *view);
    void buildDocument();
    void buildButtons(QWidget *view);
    void wireActions();
    void setShareLimited(bool limited);
    void updateFileCountLink();
    void updateMemberCountLabel();
    void setDurationCaption(const QString &caption);
    void setBeginTitle(const QString &title);

    // +Pickers.cpp
    void showOverMask();
    void updateMaskRegion();
    void raisePopUp(QWidget *popUp);
    void chooseDuration(MoreActionItem *item);
    void durationEndChanged(const QDateTime &date);
    void closeSelectTimeView();
    [[nodiscard]] QRect rectInView(const QWidget *widget) const;

    // +Members.cpp
    void loadMembers();
    void fetchAllowShareList();
    void fetchInvitees();
    void reloadInvitees();
    // 34 points for one row of chips, 62 from two rows on (it then scrolls).
    void updateInviteeFieldHeight();
    void reloadShareMembers();
    void memberPickerClicked();
    // 10 points under the list it serves, as wide as its chips.
    void placeMemberPicker();
    // The keyboard meets the picker right after its field; what it covers takes no focus.
    void keyboardFollowsMemberPicker();
    void uncoverControls();
    // Down, Up and Escape in the member field and its picker.
    bool memberPickerKey(QObject *watched, QEvent *event);
    [[nodiscard]] QList<VeskUserModel> &listOf(int type);
    [[nodiscard]] KVMemberEnterCollectionView *chipViewOf(int type) const;
    [[nodiscard]] KVHoverBorderView *fieldOf(int type) const;

    // The form's meeting, made on first use.
    [[nodiscard]] MeetingDataModel &model();

    std::unique_ptr<Ui> m_ui;
    std::unique_ptr<MeetingDataModel> m_dataModel;
    qint64 m_duration = 0;
    qint64 m_periodType = 0;
    QDateTime m_datePickSelectDate;
    QDateTime m_datePickDurationSelectDate;
    bool m_syncCalendar = false;
    QList<VeskUserModel> m_members;
    QList<VeskUserModel> m_shareMembers;
    QList<VeskUserModel> m_searchMembers;
    QString m_searchMemberKey;
    int m_currentMemberType = Invitees;
    qsizetype m_shownInviteeCount = 0; // the invitee list as the chips last showed it
    bool m_inviteesLoaded = true;      // an edit's invitees came from the service
    bool m_requestInFlight = false;
    bool m_settingControls = false; // the form itself is setting boxes and radio buttons
    QPointer<MoreActionItem> m_currentDurationItem;
    // Controls under the open member picker, with the focus policy each had.
    QList<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> m_coveredByPicker;
    QString m_durationIconName;
};
