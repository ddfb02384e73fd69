// The scheduled meeting's file window: its size on the screen, and against the stand-in the road
// from the home page: a room id first, an upload in the file-only picker, the file's rights kept
// in the meeting, one notice after closing.

#include "ShellTestSupport.h"

#include "agent/models/KVMeetingDidUpdated.h"
#include "foundation/NotificationCenter.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/sharing/FileSharePermissionSettingView.h"
#include "meeting/sharing/FileUploadPermissionPanelView.h"
#include "meeting/sharing/ShareFileServices.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "scheduling/CreateMeetingViewController.h"
#include "shell/KVShareSelectViewController.h"
#include "shell/MainPageViewController.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

TEST(UploadShareWindowSizeTest, ScreenLessMarginsAtMost888By500)
{
    EXPECT_EQ(KVShareSelectViewController::contentSizeFor({1000, 560}), QSize(800, 460));
    EXPECT_EQ(KVShareSelectViewController::contentSizeFor({2560, 1400}), QSize(888, 500));
    EXPECT_EQ(KVShareSelectViewController::contentSizeFor({}), QSize());
}

class UploadShareWindowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        storeSignedInUser();
        installMeetingManager();
        windows()->showMainPage(false);
        ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
        page = windows()->mainPageViewController();
    }
    MainPageViewController *page = nullptr;
    QObject observer;
};

TEST_F(UploadShareWindowTest, UploadsAFileKeepsItsRightsInTheMeetingAndTellsOnceOnClose)
{
    int notices = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, KVMeetingUploadShareFileChangedNotification,
                                                    [&](const Notification &) { ++notices; });
    QList<MeetingDataModel> changed;
    MeetingDataModel meeting = MeetingDataModel::defaultModel();
    meeting.roomName = QStringLiteral("周会");
    QWidget form; // where the window is opened from
    auto *opener = new QPushButton(QStringLiteral("上传文件"), &form);
    form.show();
    form.activateWindow();
    opener->setFocus();
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::focusWidget() == opener; }));
    page->openUploadShare(meeting, [&](const MeetingDataModel &m) { changed << m; });
    ASSERT_TRUE(
        processEventsUntil([&] { return page->uploadShareWindow() && page->uploadShareWindow()->isVisible(); }));
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::focusWidget() != opener; }));
    auto *panel = page->uploadShareWindow()->findChild<ShareSelectPanel *>();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->onlyShareFile());

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("议程.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4 agenda");
    file.close();
    panel->fileChooser = [&](QWidget *, const QStringList &, std::function<void(const QList<QUrl> &)> done) {
        done({QUrl::fromLocalFile(file.fileName())});
    };
    panel->fileUploadAction();
    ASSERT_TRUE(processEventsUntil([&] {
        return panel->uploadFailedArray().isEmpty() && panel->networkingArray().size() == 1 &&
               panel->networkingArray().first().state == 1;
    }));
    const QString fileId = panel->networkingArray().first().fileId;

    panel->fileSharePermission(ShareFileList::keyOf(panel->networkingArray().first()));
    FileSharePermissionSettingView *rights = panel->fileSharePermissionSettingView();
    rights->permissionBtn2->click();
    rights->confirmBtn->click();
    // Only hosts upload: chosen here before the meeting runs, and kept once it does.
    panel->allowUploadFilePermissionBtn->click();
    panel->fileUploadPermissionPanelView()->hostPermissionButton->click();
    ASSERT_TRUE(processEventsUntil(
        [&] { return panel->fileUploadPermissionLabel->text() == QStringLiteral("仅主持人可上传"); }));

    ASSERT_EQ(changed.size(), 1); // the room, as the window opened
    page->uploadShareWindow()->close();
    ASSERT_TRUE(processEventsUntil([&] { return changed.size() == 2; }));
    processEventsFor(5);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(processEventsUntil([&] { return QApplication::focusWidget() == opener; }));
    changed.removeFirst();
    EXPECT_FALSE(changed.first().roomId.isEmpty());
    EXPECT_EQ(changed.first().uploadFileAllowOpUserList.value(fileId).enableOperationFileStatus, 2);
    EXPECT_EQ(changed.first().uploadPermissionType, 1);
    EXPECT_EQ(service.state().files.value(fileId).roomId, changed.first().roomId);

    // Saved, then entered: in the meeting the file's rights are the ones chosen before.
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    const QString roomId = changed.first().roomId;
    bool saved = false;
    agent->createOrUpdateMeeting(&observer, changed.first(), [&](const KVMResponse &r) { saved = r.successed; });
    ASSERT_TRUE(processEventsUntil([&] { return saved; }));
    std::shared_ptr<MeetingInfoModel> room;
    agent->joinMeetingRoomWithRoomId(&observer, roomId, QString(), 1, [&](const KVMResponse &r) {
        room = r.data.value<std::shared_ptr<MeetingInfoModel>>();
    });
    ASSERT_TRUE(processEventsUntil([&] { return room != nullptr; }));
    EXPECT_EQ(room->uploadPermissionType, 1);
    agent->meetingManager()->joinRoomWith(room);
    QVariantList kept;
    bool answered = false;
    ShareFileServices::agent()->queryFileShareOPPermission(&observer, fileId, roomId, QString(),
                                                           [&](const KVMResponse &r) {
                                                               answered = true;
                                                               kept = r.dataList();
                                                           });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept.first().toMap().value(QStringLiteral("enableOperationFileStatus")).toInt(), 2);
    EXPECT_EQ(kept.first().toMap().value(QStringLiteral("enableUserList")).toList().size(), 1);
}

} // namespace

namespace {

// The form's own road: 上传文件, a file uploaded, then 确定 while the window is still open.
TEST_F(UploadShareWindowTest, AFormConfirmedWithTheWindowOpen_MakesTheMeetingInTheRoomItsFilesWentTo)
{
    QTest::mouseClick(page->scheduleButton(), Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil([&] { return page->createMeetingViewController() != nullptr; }));
    CreateMeetingViewController *form = page->createMeetingViewController();
    form->ui().meetingTitleTextView->setStringValue(QStringLiteral("带文件的会"));
    QTest::mouseClick(form->ui().uploadFileButton, Qt::LeftButton);
    ASSERT_TRUE(
        processEventsUntil([&] { return page->uploadShareWindow() && page->uploadShareWindow()->isVisible(); }));
    auto *panel = page->uploadShareWindow()->findChild<ShareSelectPanel *>();
    ASSERT_TRUE(panel);
    const QString roomId = panel->model()->roomId;
    ASSERT_FALSE(roomId.isEmpty());
    EXPECT_EQ(form->dataModel().roomId, roomId); // held from the opening on

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("议程.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4 agenda");
    file.close();
    panel->fileChooser = [&](QWidget *, const QStringList &, std::function<void(const QList<QUrl> &)> done) {
        done({QUrl::fromLocalFile(file.fileName())});
    };
    QTest::mouseClick(panel->fileUploadButton, Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil(
        [&] { return panel->networkingArray().size() == 1 && panel->networkingArray().first().state == 1; }));
    const QString fileId = panel->networkingArray().first().fileId;
    panel->allowUploadFilePermissionBtn->click();
    panel->fileUploadPermissionPanelView()->hostPermissionButton->click();
    ASSERT_TRUE(processEventsUntil(
        [&] { return panel->fileUploadPermissionLabel->text() == QStringLiteral("仅主持人可上传"); }));

    QTest::mouseClick(form->ui().confirmButton, Qt::LeftButton);
    EXPECT_EQ(page->uploadShareWindow(), nullptr); // it closed with the confirm
    ASSERT_TRUE(processEventsUntil([&] { return service.state().scheduled.contains(roomId); }));
    EXPECT_EQ(service.state().scheduled.size(), 1);
    EXPECT_EQ(service.state().files.value(fileId).roomId, roomId);
    EXPECT_EQ(service.state().scheduled.value(roomId).fields.value(QStringLiteral("uploadPermissionType")).toInt(), 1);
    // Today's list, fetched again after the create, counts the meeting's file.
    EXPECT_TRUE(processEventsUntil([&] {
        const auto &today = page->todayMeetings();
        return today.size() == 1 && today.first().roomId == roomId && today.first().fileCount == 1;
    }));
}

TEST_F(UploadShareWindowTest, EscapeClosesTheWindow_AndTellsItsOpener)
{
    QList<MeetingDataModel> changed;
    page->openUploadShare(MeetingDataModel::defaultModel(), [&](const MeetingDataModel &m) { changed << m; });
    ASSERT_TRUE(
        processEventsUntil([&] { return page->uploadShareWindow() && page->uploadShareWindow()->isVisible(); }));
    ASSERT_TRUE(processEventsUntil([&] {
        QWidget *focus = QApplication::focusWidget();
        return focus && focus->window() == page->uploadShareWindow();
    }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(page->uploadShareWindow(), nullptr);
    ASSERT_EQ(changed.size(), 2); // opened, closed
    EXPECT_EQ(changed.last().roomId, changed.first().roomId);
}

} // namespace
