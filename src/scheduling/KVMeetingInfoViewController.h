#pragma once

#include "foundation/models/MeetingDataModel.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/QFFlatButton.h"

#include <QLabel>
#include <QList>
#include <QPointer>

#include <functional>

class KVElidedLabel;
class KVMResponse;
class KVMeetingMemberCollectionView;
class QPushButton;

// The details window of one scheduled meeting: times, duration, recurrence, number, password,
// creator, status, members or invitees and the attached files. Every button hands the meeting
// to the owner's block; the window itself only reads (the member list and the file count).
class KVMeetingInfoViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    using Block = std::function<void(KVMeetingInfoViewController *controller, const MeetingDataModel &meeting)>;

    explicit KVMeetingInfoViewController(QObject *parent = nullptr);
    ~KVMeetingInfoViewController() override;

    void setDataModel(const MeetingDataModel &model);
    [[nodiscard]] const MeetingDataModel &dataModel() const { return m_dataModel; }
    [[nodiscard]] const QList<VeskUserModel> &participants() const { return m_participants; }

    Block onJoinMeeting;
    Block onCancelMeeting;
    Block onEditMeeting;
    Block onEndMeeting;
    Block onShareFile;

    // Fills the window (each time it is about to show).
    void viewWillAppear();
    void updateData();
    void updateMemberList();
    // With a reply: stores the first 20 entries; always shows what the model holds.
    void updateMemberListUI(const KVMResponse *response);
    void updateShareFileCount();
    void screenParametersDidChange();

    void onJoinMeetingClicked();
    void onEditMeetingClicked();
    void onCancelMeetingClicked();
    void onEndMeetingClicked();
    void onShareFileClicked();

    // The main screen's visible size used for the window's size (tests set it).
    std::function<QSize()> screenSize;

    [[nodiscard]] KVElidedLabel *meetingTitleLabel() const { return m_meetingTitleLabel; }
    [[nodiscard]] QLabel *periodImageView() const { return m_periodImageView; }
    [[nodiscard]] QString periodImageName() const { return m_periodImageName; }
    [[nodiscard]] QLabel *statusLabel() const { return m_statusLabel; }
    [[nodiscard]] QLabel *beginDateLabel() const { return m_beginDateLabel; }
    [[nodiscard]] QLabel *beginTimeLabel() const { return m_beginTimeLabel; }
    [[nodiscard]] QLabel *endDateLabel() const { return m_endDateLabel; }
    [[nodiscard]] QLabel *endTimeLabel() const { return m_endTimeLabel; }
    [[nodiscard]] QLabel *totalTimeLabel() const { return m_totalTimeLabel; }
    [[nodiscard]] QLabel *roomIdLabel() const { return m_roomIdLabel; }
    [[nodiscard]] KVElidedLabel *creatorLabel() const { return m_creatorLabel; }
    [[nodiscard]] QLabel *passwordTitleLabel() const { return m_passwordTitleLabel; }
    [[nodiscard]] QLabel *passwordLabel() const { return m_passwordLabel; }
    [[nodiscard]] QLabel *usersCountLabel() const { return m_usersCountLabel; }
    [[nodiscard]] KVMeetingMemberCollectionView *collectionView() const { return m_collectionView; }
    [[nodiscard]] QFFlatButton *shareFileCountButton() const { return m_shareFileCountButton; }
    [[nodiscard]] QFFlatButton *joinMeetingBtn() const { return m_joinMeetingBtn; }
    [[nodiscard]] QFFlatButton *editMeetingBtn() const { return m_editMeetingBtn; }
    [[nodiscard]] QFFlatButton *cancelMeetingBtn() const { return m_cancelMeetingBtn; }
    [[nodiscard]] QFFlatButton *endMeetingBtn() const { return m_endMeetingBtn; }
    [[nodiscard]] int shareFileTopConst() const { return m_shareFileTopConst; }

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] QSize visibleScreen() const;

    MeetingDataModel m_dataModel;
    QList<VeskUserModel> m_participants;
    QString m_periodImageName;
    int m_shareFileTopConst = 35;
    quint64 m_memberRequest = 0;

    KVElidedLabel *m_meetingTitleLabel = nullptr;
    QLabel *m_periodImageView = nullptr;
    QLabel *m_statusLabel = nullptr;
    QLabel *m_beginDateLabel = nullptr;
    QLabel *m_beginTimeLabel = nullptr;
    QLabel *m_endDateLabel = nullptr;
    QLabel *m_endTimeLabel = nullptr;
    QLabel *m_totalTimeLabel = nullptr;
    QLabel *m_roomIdLabel = nullptr;
    KVElidedLabel *m_creatorLabel = nullptr;
    QLabel *m_passwordTitleLabel = nullptr;
    QLabel *m_passwordLabel = nullptr;
    QLabel *m_usersCountLabel = nullptr;
    KVMeetingMemberCollectionView *m_collectionView = nullptr;
    QFFlatButton *m_shareFileCountButton = nullptr;
    QFFlatButton *m_joinMeetingBtn = nullptr;
    QFFlatButton *m_editMeetingBtn = nullptr;
    QFFlatButton *m_cancelMeetingBtn = nullptr;
    QFFlatButton *m_endMeetingBtn = nullptr;
};
