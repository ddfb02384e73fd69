#pragma once

#include "agent/models/RecordVideoModel.h"
#include "scheduling/MeetingListRules.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/QFFlatButton.h"

#include <QLabel>
#include <QList>
#include <QListView>
#include <QPointer>
#include <QScrollArea>
#include <QSet>

#include <functional>
#include <optional>

class KVElidedLabel;
class KVMResponse;
class KVMeetingIDLabel;
class KVMeetingListCloudRecordCell;
class KVMeetingMemberCollectionView;
class MainMeetingListModel;
class QVBoxLayout;

// The all-meetings window: unfinished and past meetings grouped by day, and the selected one's
// details on the right (times, members, recordings, the record document) with join, edit,
// cancel, end, copy and the downloads. Join, edit, cancel, end and close go to the owner's
// blocks. Each list request carries a generation (the tab and the refresh it belongs to): an
// older reply is dropped, so a history page never lands in the unfinished list and no late page
// follows a refresh. Each tab keeps its rows until its new ones arrive, and a failed request keeps
// what is shown. Escape closes the window and the focus goes back to what opened it.
class MainMeetingListViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    using Block = std::function<void(MainMeetingListViewController *controller, const MeetingDataModel &meeting)>;
    static constexpr int kDetailUserContent = 368;

    explicit MainMeetingListViewController(QObject *parent = nullptr);
    ~MainMeetingListViewController() override;

    Block onJoinMeeting;
    Block onEndMeeting;
    Block onEditMeeting;
    Block onCancelMeeting;
    std::function<void(MainMeetingListViewController *controller)> onCloseAction;
    // Whether a cancel or an end of the meeting is being asked or is on its way (the owner's
    // knowledge): its 取消会议 and 结束会议 are disabled meanwhile, so one press sends one request.
    std::function<bool(const QString &roomId)> requestInFlight;

    // 0 unfinished, 1 history.
    void setCurrentListType(qint64 type);
    [[nodiscard]] qint64 currentListType() const { return m_currentListType; }

    void refreshListData();
    void loadMoreListData();
    void refreshListIfNeeded();
    void viewWillAppear() { refreshListIfNeeded(); }
    // Makes the meeting at (section, row) the detail pane's.
    void selectMeeting(int section, int row);
    void refreshDetail();
    // Enables the shown meeting's cancel and end where the rules show them, unless a request for it is
    // in flight.
    void updateDetailActions();
    void refreshCloudRecordVideoList();

    void unfinishedMeetingAction() { setCurrentListType(0); }
    void finishedMeetingAction() { setCurrentListType(1); }
    void onDetailBottomJoinAction();
    void onDetailEditAction();
    void onDetailCancelMeetingAction();
    void onDetailEndAction();
    void closeAction();
    void onDetailCopyIdAction();
    void onDownloadMembersList();
    void onDetailDownloadFile();
    void onDetailDeleteFile();
    void onDetailRecordExpand();

    // The main screen's visible size (tests set it).
    std::function<QSize()> screenSize;
    void screenParametersDidChange();

    [[nodiscard]] const MeetingListRules::MeetingSections &meetingsList() const { return m_sections; }
    [[nodiscard]] int page() const { return m_page; }
    [[nodiscard]] bool hasMore() const { return m_hasMore; }
    [[nodiscard]] bool isRefreshing() const { return m_isRefreshing; }
    [[nodiscard]] bool isLatestRequestSuccess() const { return m_isLatestRequestSuccess; }
    [[nodiscard]] const std::optional<MeetingDataModel> &currentDetailModel() const { return m_currentDetailModel; }
    [[nodiscard]] std::optional<std::pair<int, int>> selectIndexPath() const { return m_selectIndexPath; }
    [[nodiscard]] const QList<VeskUserModel> &participants() const { return m_participants; }
    [[nodiscard]] const QList<RecordVideoInfo> &recordVideos() const { return m_recordVideos; }
    [[nodiscard]] int detailUserContentConst() const { return m_detailUserContentConst; }

    [[nodiscard]] QListView *meetingListCollectionView() const { return m_list; }
    [[nodiscard]] MainMeetingListModel *listModel() const { return m_model; }
    [[nodiscard]] QFFlatButton *unfinishBtn() const { return m_unfinishBtn; }
    [[nodiscard]] QFFlatButton *finishedBtn() const { return m_finishedBtn; }
    [[nodiscard]] QWidget *emptyView() const { return m_emptyView; }
    [[nodiscard]] QScrollArea *meetingDetailScrollView() const { return m_detailScroll; }
    [[nodiscard]] QWidget *detailBottomStackView() const { return m_detailBottom; }
    [[nodiscard]] KVElidedLabel *detailTitleLabel() const { return m_detailTitleLabel; }
    [[nodiscard]] QLabel *detailDurationLabel() const { return m_detailDurationLabel; }
    [[nodiscard]] QLabel *statusLabel() const { return m_statusLabel; }
    [[nodiscard]] QLabel *passwordTitleLabel() const { return m_passwordTitleLabel; }
    [[nodiscard]] KVMeetingIDLabel *passwordLabel() const { return m_passwordLabel; }
    [[nodiscard]] QLabel *detailUserCountLabel() const { return m_detailUserCountLabel; }
    [[nodiscard]] QLabel *periodImageView() const { return m_periodImageView; }
    [[nodiscard]] QFFlatButton *detailDownloadMembersListBtn() const { return m_detailDownloadMembersListBtn; }
    [[nodiscard]] QFFlatButton *detailRecordBtn() const { return m_detailRecordBtn; }
    [[nodiscard]] QWidget *detailRecordContainer() const { return m_detailRecordContainer; }
    [[nodiscard]] QWidget *detailRecordContainerView() const { return m_detailRecordContainerView; }
    [[nodiscard]] QWidget *detailRecordFileContainerView() const { return m_detailRecordFileContainerView; }
    [[nodiscard]] QList<KVMeetingListCloudRecordCell *> recordCells() const { return m_recordCells; }
    [[nodiscard]] QFFlatButton *detailJoinBtn() const { return m_detailJoinBtn; }
    [[nodiscard]] QFFlatButton *detailEditBtn() const { return m_detailEditBtn; }
    [[nodiscard]] QFFlatButton *detailCancelBtn() const { return m_detailCancelBtn; }
    [[nodiscard]] QFFlatButton *detailEndBtn() const { return m_detailEndBtn; }
    [[nodiscard]] QFFlatButton *detailCopyBtn() const { return m_detailCopyBtn; }

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] QSize visibleScreen() const;
    void requestList(int pageNumber);
    void refreshUI(const KVMResponse &response, int pageNumber);
    void updateMeetingListUI();
    void updateMemberList();
    void updateDetailMemberListUI(const KVMResponse *response);
    void reloadRecordCells();
    void loadMoreIfLastRowShown();
    void onCurrentRowChanged(int listRow);
    void viewDidAppear();

    // What the tab not shown knows: its rows and paging, shown again at once when it is chosen.
    struct TabList {
        MeetingListRules::MeetingSections sections;
        int page = 1;
        int failedPage = 1;
        bool hasMore = false;
        bool loaded = false;
    };
    void swapTabs();

    qint64 m_currentListType = 0;
    MeetingListRules::MeetingSections m_sections;
    int m_page = 1;
    int m_failedPage = 1;
    bool m_hasMore = false;
    bool m_loaded = false; // a reply has filled the shown tab: an empty list is known to be empty
    TabList m_otherTab;
    bool m_isRefreshing = false;
    bool m_isLatestRequestSuccess = false;
    quint64 m_generation = 0;
    quint64 m_detailGeneration = 0;
    std::optional<MeetingDataModel> m_currentDetailModel;
    std::optional<std::pair<int, int>> m_selectIndexPath;
    QList<VeskUserModel> m_participants;
    QList<RecordVideoInfo> m_recordVideos;
    int m_detailUserContentConst = kDetailUserContent;
    QString m_periodImageName;
    bool m_applyingSelection = false;

    MainMeetingListModel *m_model = nullptr;
    QListView *m_list = nullptr;
    QFFlatButton *m_unfinishBtn = nullptr;
    QFFlatButton *m_finishedBtn = nullptr;
    QWidget *m_emptyView = nullptr;
    QScrollArea *m_detailScroll = nullptr;
    QWidget *m_detailBottom = nullptr;
    KVElidedLabel *m_detailTitleLabel = nullptr;
    QLabel *m_detailBeginHourLabel = nullptr;
    QLabel *m_detailEndHourLabel = nullptr;
    QLabel *m_detailBeginDateLabel = nullptr;
    QLabel *m_detailEndDateLabel = nullptr;
    QLabel *m_detailDurationLabel = nullptr;
    QLabel *m_detailMeetingIdLabel = nullptr;
    KVElidedLabel *m_detailCreatorLabel = nullptr;
    QLabel *m_passwordTitleLabel = nullptr;
    KVMeetingIDLabel *m_passwordLabel = nullptr;
    QLabel *m_statusLabel = nullptr;
    QLabel *m_periodImageView = nullptr;
    QLabel *m_detailUserCountLabel = nullptr;
    KVMeetingMemberCollectionView *m_detailUserCollectionView = nullptr;
    QFFlatButton *m_detailDownloadMembersListBtn = nullptr;
    QFFlatButton *m_detailRecordBtn = nullptr;
    QWidget *m_detailRecordContainer = nullptr;
    QWidget *m_detailRecordContainerView = nullptr;
    QVBoxLayout *m_recordCellsLayout = nullptr;
    QList<KVMeetingListCloudRecordCell *> m_recordCells;
    QWidget *m_detailRecordFileContainerView = nullptr;
    QFFlatButton *m_detailDeleteFileBtn = nullptr;
    QSet<QString> m_deletingRecords; // rooms whose record document is being deleted
    QFFlatButton *m_detailJoinBtn = nullptr;
    QFFlatButton *m_detailEditBtn = nullptr;
    QFFlatButton *m_detailCancelBtn = nullptr;
    QFFlatButton *m_detailEndBtn = nullptr;
    QFFlatButton *m_detailCopyBtn = nullptr;
};
