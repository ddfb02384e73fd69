// A shared document in the joined meeting window against the stand-in: a file chosen in the list
// above the share button is shown even when the picker was never opened, and the document's bar
// works with the keyboard alone and through the accessibility bus.

#include "DispatchWindowSupport.h"

#include "support/AccessibilityWalk.h"

#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/sharing/FileShareSpeedSwicthPanel.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/sharing/ShareBottomPanel.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/MacDisableScrollView.h"

#include <QTest>

namespace {

using namespace AccessibilityWalk;

const QString kDocumentId = QStringLiteral("doc-w");

// The row of a file list that names the document.
QWidget *rowOf(const QList<FileShareSpeedSwitchPanelRow *> &rows, const QString &id)
{
    for (FileShareSpeedSwitchPanelRow *row : rows)
        if (row->fileNameLabel && row->fileNameLabel->fullText() == id + QStringLiteral(".pdf"))
            return row;
    return nullptr;
}

class FileShareWindowTest : public DispatchWindowTest {
protected:
    // The host in the room, whose list of shared files holds converted documents of 4 pages.
    void joinWithADocument(const QStringList &ids = {kDocumentId})
    {
        signIn(kHostPhone, QStringLiteral("主持人"));
        addRoom(kHostPhone).flags.insert(QStringLiteral("allowFileShared"), 1);
        page = openJoinedPage();
        QVariantList shared;
        for (const QString &id : ids) {
            DevFile file;
            file.fileId = id;
            file.fileName = id + QStringLiteral(".pdf");
            file.roomId = kRoomId;
            file.extra = {{"pages", 4}, {"portrait", true}, {"status", 1}, {"owner", kHostPhone}};
            service.state().files.insert(file.fileId, file);
            shared << QVariantMap{{"fileId", id},
                                  {"fileName", file.fileName},
                                  {"fileType", "1"},
                                  {"userId", RXEncrypt::aes128ecbEncrypt(kHostPhone)},
                                  {"userName", QStringLiteral("主持人")}};
        }
        service.state().room(kRoomId)->extra.insert(QStringLiteral("sharedFiles"), shared);
        QWidget *window = page->view()->window();
        window->show();
        activate(window);
    }

    // Opens the list above the share button through the bus and chooses the document in it.
    void chooseTheDocumentAboveTheShareButton()
    {
        VeskButton *arrow = page->ui->selectFileShareSwitchBtn;
        arrow->show();
        ASSERT_TRUE(press(arrow));
        QPointer<QWidget> &slot = page->sharing().state().fileShareSpeedSwicthPanelBottom;
        ASSERT_TRUE(processEventsUntil([&] { return slot && slot->isVisible(); }));
        auto *list = qobject_cast<ShareBottomPanel *>(slot.data());
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(press(rowOf(list->rows(), kDocumentId)));
        ASSERT_TRUE(processEventsUntil([&] {
            const FileSharePageView *pages = page->sharing().document().pageView();
            return page->sharing().state().fileShareMode == 1 && pages && pages->pageCount() == 4;
        })) << "mode "
            << page->sharing().state().fileShareMode;
        AutoLayout::layoutSubtreeIfNeeded(page->view()->window());
        settle();
    }
};

TEST_F(FileShareWindowTest, AFileChosenInEitherListIsSharedThoughNoPickerIsOpen)
{
    joinWithADocument({kDocumentId, QStringLiteral("doc-2")});
    ASSERT_EQ(page->sharing().shareControl()->currentShareSelectPanel(), nullptr);
    chooseTheDocumentAboveTheShareButton();
    EXPECT_EQ(service.requestsFor(QStringLiteral("/qf/client/sharedFile")).size(), 1);
    // Shared as from the share button: holding the room's lock.
    EXPECT_EQ(service.state().room(kRoomId)->extra.value(QStringLiteral("shareLock")).toString(), kHostPhone);
    ASSERT_NE(page->sharing().state().fileShareDatailModel, nullptr);
    EXPECT_EQ(page->sharing().state().fileShareDatailModel->fileId, kDocumentId);
    // The page fits beside the member strip, which slides in as the share starts.
    const QWidget *tile = page->sharing().document().pageView()->tileAt(0);
    ASSERT_NE(tile, nullptr);
    EXPECT_LE(tile->width(), page->ui->fileShareScrollView->viewport()->width());
    // The picker that carried the choice out stays out of sight.
    ShareSelectPanel *picker = page->sharing().shareControl()->currentShareSelectPanel();
    EXPECT_TRUE(!picker || !picker->isVisible());

    // Closed, as after a start from it: the quick list under the document's bar switches all the same.
    delete picker;
    ASSERT_TRUE(press(page->ui->fileShareSwitchButton));
    QPointer<QWidget> &slot = page->sharing().state().fileShareSpeedSwicthPanel;
    ASSERT_TRUE(processEventsUntil([&] { return slot && slot->isVisible(); }));
    auto *quick = qobject_cast<FileShareSpeedSwicthPanel *>(slot.data());
    ASSERT_NE(quick, nullptr);
    ASSERT_EQ(quick->rows().size(), 2);
    ASSERT_TRUE(press(rowOf(quick->rows(), QStringLiteral("doc-2"))));
    // The old share ends, and after the picker's pause between two shares the other starts.
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(service.requestsFor(QStringLiteral("/qf/client/sharedFile")).size(), 2);
    clock.clock.advance(ShareSelectPanel::kSwitchPause);
    ASSERT_TRUE(settleRequests());
    ASSERT_NE(page->sharing().state().fileShareDatailModel, nullptr);
    EXPECT_EQ(page->sharing().state().fileShareDatailModel->fileId, QStringLiteral("doc-2"));
}

// A start from the list that the service refuses gives the lock back, so another may share.
TEST_F(FileShareWindowTest, AStartFromTheListThatFails_GivesTheLockBack)
{
    joinWithADocument();
    service.failNextReply(QStringLiteral("/qf/client/sharedFile"),
                          DevService::fail(500, QStringLiteral("文件共享失败，请重试")));
    VeskButton *arrow = page->ui->selectFileShareSwitchBtn;
    arrow->show();
    ASSERT_TRUE(press(arrow));
    QPointer<QWidget> &slot = page->sharing().state().fileShareSpeedSwicthPanelBottom;
    ASSERT_TRUE(processEventsUntil([&] { return slot && slot->isVisible(); }));
    ASSERT_TRUE(press(rowOf(qobject_cast<ShareBottomPanel *>(slot.data())->rows(), kDocumentId)));
    ASSERT_TRUE(processEventsUntil([&] {
        return service.requestsFor(QStringLiteral("/qf/meeting/control/%1/releaseShareLock").arg(kRoomId)).size() == 1;
    }));
    EXPECT_FALSE(service.state().room(kRoomId)->extra.contains(QStringLiteral("shareLock")));
    EXPECT_EQ(page->sharing().state().fileShareMode, 0);
}

// A choice from the list while the first one is on its way sends nothing again: one lock asked
// for, one start, and the file first chosen is the one shared.
TEST_F(FileShareWindowTest, ASecondChoiceWhileTheFirstIsOnItsWay_SendsNothingAgain)
{
    joinWithADocument({kDocumentId, QStringLiteral("doc-2")});
    const QString lock = QStringLiteral("/qf/meeting/control/%1/getShareLock").arg(kRoomId);
    const QString start = QStringLiteral("/qf/client/sharedFile");
    service.delayNextReply(lock, 500);
    service.delayNextReply(start, 500);
    // Each choice that holds the lock is handed to the picker as a start.
    QObject observer;
    int handedOn = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("switchShareFile"),
                                                    [&](const Notification &) { ++handedOn; });
    const auto choose = [&](const QString &id) {
        VeskButton *arrow = page->ui->selectFileShareSwitchBtn;
        arrow->show();
        ASSERT_TRUE(press(arrow));
        QPointer<QWidget> &slot = page->sharing().state().fileShareSpeedSwicthPanelBottom;
        ASSERT_TRUE(processEventsUntil([&] { return slot && slot->isVisible(); }));
        ASSERT_TRUE(press(rowOf(qobject_cast<ShareBottomPanel *>(slot.data())->rows(), id)));
        settle();
    };
    choose(kDocumentId);
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor(lock).size() == 1; }));
    choose(QStringLiteral("doc-2")); // the lock is still asked for
    EXPECT_EQ(service.requestsFor(lock).size(), 1);

    clock.clock.advance(500ms);
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor(start).size() == 1; }));
    choose(QStringLiteral("doc-2")); // the start is on its way
    ASSERT_TRUE(processEventsUntil([&] { return handedOn == 2; }));
    settle();
    EXPECT_EQ(service.requestsFor(start).size(), 1);

    clock.clock.advance(500ms);
    ASSERT_TRUE(processEventsUntil([&] { return page->sharing().state().fileShareMode == 1; }));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(service.requestsFor(start).size(), 1);
    ASSERT_NE(page->sharing().state().fileShareDatailModel, nullptr);
    EXPECT_EQ(page->sharing().state().fileShareDatailModel->fileId, kDocumentId);
}

// A document chosen in the picker whose start is still unanswered when the picker closes or the
// user leaves: the share the service started anyway is ended, so nobody sees a share that nobody
// can end, and the lock is free.
class AStartWhoseAskerWentTest : public FileShareWindowTest {
protected:
    void chooseTheDocumentThenGo(bool leave)
    {
        joinWithADocument();
        const QString start = QStringLiteral("/qf/client/sharedFile");
        QTest::mouseClick(page->ui->shareBtn, Qt::LeftButton, {}, page->ui->shareBtn->rect().center());
        ScreenShareControl *control = page->sharing().shareControl();
        ASSERT_TRUE(processEventsUntil([&] { return control->currentShareSelectPanel() != nullptr; }));
        QPointer<ShareSelectPanel> picker = control->currentShareSelectPanel();
        QTest::mouseClick(picker->fileShareButton, Qt::LeftButton, {}, picker->fileShareButton->rect().center());
        ASSERT_TRUE(processEventsUntil([&] { return !picker->fileItems().isEmpty(); }));
        service.delayNextReply(start, 1000);
        QWidget *row = picker->fileItems().constFirst();
        QTest::mouseClick(row, Qt::LeftButton, {}, row->rect().center());
        DevRoom *room = service.state().room(kRoomId);
        ASSERT_TRUE(processEventsUntil([&] { return room->extra.contains(QStringLiteral("sharedFile")); }));
        clock.clock.advance(300ms);
        if (leave) {
            page->leaveRoom();
        } else {
            QTest::mouseClick(picker->closeButton, Qt::LeftButton, {}, picker->closeButton->rect().center());
            ASSERT_TRUE(processEventsUntil([&] { return !picker; }));
        }
        clock.clock.advance(700ms);
        EXPECT_TRUE(processEventsUntil([&] { return !room->extra.contains(QStringLiteral("sharedFile")); }));
        ASSERT_TRUE(settleRequests());
        EXPECT_EQ(room->flags.value(QStringLiteral("isSharingFiles")).toInt(), 0);
        EXPECT_FALSE(room->extra.contains(QStringLiteral("shareLock")));
        if (!leave) {
            EXPECT_EQ(page->sharing().state().fileShareMode, 0);
            EXPECT_TRUE(page->ui->finishShareBtn->isHidden());
        }
    }
};

TEST_F(AStartWhoseAskerWentTest, ThePickerClosed)
{
    chooseTheDocumentThenGo(false);
}

TEST_F(AStartWhoseAskerWentTest, TheMeetingLeft)
{
    chooseTheDocumentThenGo(true);
}

// A member who is not a host sees the arrow of the room's shared files only while there are any:
// the box of the share button widens to hold it and narrows again without it.
TEST_F(FileShareWindowTest, AMembersShareBoxIs72WideWithFilesAnd58Without)
{
    join(false);
    QWidget *window = page->view()->window();
    window->show();
    activate(window);
    KVLayoutConstraint *width = page->ui->bottomSareContainerViewWidthConst;
    ASSERT_NE(width, nullptr);
    QWidget *box = page->ui->bottomSareContainerView;
    ASSERT_EQ(width->firstItem(), box);
    const auto listed = [&](bool withFiles) {
        QVariantList shared;
        if (withFiles)
            shared << QVariantMap{{"fileId", "f1"}, {"fileName", "a.pdf"}, {"fileType", "1"}};
        service.state().room(kRoomId)->extra.insert(QStringLiteral("sharedFiles"), shared);
        bool answered = false;
        page->sharing().document().queryAllShareFileInfo([&](bool, bool) { answered = true; });
        ASSERT_TRUE(processEventsUntil([&] { return answered; }));
        settle();
    };
    listed(true);
    EXPECT_EQ(width->constant(), 72);
    EXPECT_EQ(box->width(), 72);
    EXPECT_FALSE(page->ui->selectFileShareSwitchBtn->isHidden());
    EXPECT_EQ(page->ui->selectFileShareSwitchBtn->geometry().right(), box->width() - 1);
    EXPECT_EQ(page->ui->shareBtn->width(), 58);
    listed(false);
    EXPECT_EQ(width->constant(), 58);
    EXPECT_EQ(box->width(), 58);
    EXPECT_TRUE(page->ui->selectFileShareSwitchBtn->isHidden());
    EXPECT_EQ(page->ui->shareBtn->width(), 58);
}

TEST_F(FileShareWindowTest, DocumentBar_ByKeyboardAndAccessibility)
{
    joinWithADocument();
    chooseTheDocumentAboveTheShareButton();
    VeskButton *next = page->ui->rightFlipOverButton;
    ASSERT_TRUE(next->isVisible());
    // The member strip has slid in beside the pages.
    clock.clock.advance(300ms);
    AutoLayout::layoutSubtreeIfNeeded(page->view()->window());
    settle();
    ASSERT_GT(page->ui->verticalShowScrollView->width(), 0);
    next->setFocus();
    const Report report = walk(page->view()->window());
    EXPECT_TRUE(report.faults.isEmpty()) << report.text();

    next->setFocus();
    QTest::keyClick(next, Qt::Key_Space);
    EXPECT_EQ(page->ui->currentPage->text(), QStringLiteral("2"));
    ASSERT_TRUE(press(next));
    EXPECT_EQ(page->ui->currentPage->text(), QStringLiteral("3"));
    // On the pages, the arrow keys turn them.
    QTest::keyClick(page->ui->fileShareScrollView, Qt::Key_Left);
    EXPECT_EQ(page->ui->currentPage->text(), QStringLiteral("2"));
    QTest::keyClick(page->ui->fileShareScrollView, Qt::Key_Right);
    EXPECT_EQ(page->ui->currentPage->text(), QStringLiteral("3"));
}

} // namespace
