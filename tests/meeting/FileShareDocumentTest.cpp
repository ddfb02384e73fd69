// A shared document in the meeting window's views, with a service that answers when the test
// says: position records and their sequence ids, flips, wheel scrolling and its throttle, the
// end of a share and the switch to another file.

#include "ShareTestSupport.h"

#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/FileShareImageViewCollectionViewItem.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include "TestEvents.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLayout>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class FakeDocumentServices final : public FileShareDocumentServices {
public:
    struct Pending {
        QString what;
        QString orderStatus;
        QPointer<QObject> owner;
        Completion completion;
    };
    void flipOver(QObject *owner, const QString &orderStatus, const QString &, Completion c) override
    {
        pending.append({"flip", orderStatus, owner, std::move(c)});
    }
    void queryFileSliceUrl(QObject *owner, const QString &, Completion c) override
    {
        pending.append({"slices", {}, owner, std::move(c)});
    }
    void queryAllShareFileInfo(QObject *owner, Completion c) override
    {
        pending.append({"files", {}, owner, std::move(c)});
    }
    void prefetch(const QStringList &urls) override { prefetched << urls; }
    [[nodiscard]] Me me() const override { return mine; }
    [[nodiscard]] FileSharedResp runningShare() const override { return running; }
    [[nodiscard]] bool selfFileSharing() const override { return fileSharing; }
    void setSelfFileSharing(bool on) override { fileSharing = on; }
    [[nodiscard]] bool selfScreenOrWindowSharing() const override { return false; }

    // The records sent, as objects.
    [[nodiscard]] QList<QJsonObject> records() const
    {
        QList<QJsonObject> out;
        for (const Pending &p : pending)
            if (p.what == "flip")
                out << QJsonDocument::fromJson(p.orderStatus.toUtf8()).object();
        return out;
    }
    bool answer(const QString &what, const KVMResponse &response)
    {
        for (qsizetype i = 0; i < pending.size(); ++i) {
            if (pending[i].what != what)
                continue;
            Pending p = pending.takeAt(i);
            if (p.owner && p.completion)
                p.completion(response);
            return true;
        }
        return false;
    }
    void dropAll() { pending.clear(); }

    QList<Pending> pending;
    QStringList prefetched;
    Me mine{"u-me", "13800000001", QStringLiteral("我"), false, false};
    FileSharedResp running;
    bool fileSharing = false;
};

FileShareDatailModel document(int pages, bool portrait, bool canControl = true)
{
    FileShareDatailModel model;
    model.fileId = QStringLiteral("doc-1");
    model.fileName = QStringLiteral("方案.pdf");
    model.userName = QStringLiteral("李四");
    model.enableOperationFileStatus = FileShareRights::NotGiven;
    model.setUserCanControl(canControl);
    for (int i = 0; i < pages; ++i) {
        FileSliceModel page;
        page.sliceId = QStringLiteral("s%1").arg(i + 1);
        page.picWidth = portrait ? 720 : 1280;
        page.picHeight = portrait ? 1280 : 720;
        model.sliceInfo << page;
    }
    return model;
}

MeetingControlData follow(quint64 sequenceId, int type, const QString &sliceId = {}, double scale = 0)
{
    MeetingControlData data;
    data.sequenceId = sequenceId;
    data.flipOverType = type;
    data.sliceId = sliceId;
    data.offsetScale = scale;
    return data;
}

class FileShareDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.resize(1024, 680);
        MeetingPanels::registerPanels();
        ui.setupUi(&root);
        doc = std::make_unique<FileShareDocument>(fileShareDocumentViews(ui), state,
                                                  FileShareDocument::Calls{[this] { ++memberReloads; },
                                                                           [] { return QSizeF(600, 800); },
                                                                           [this](bool force) { stops << force; },
                                                                           {},
                                                                           {},
                                                                           {},
                                                                           {},
                                                                           {},
                                                                           [this](std::function<void()> then) {
                                                                               ++lockAsks;
                                                                               if (lockGranted)
                                                                                   then();
                                                                           }},
                                                  services);
        doc->buildViews();
        // As the window connects it.
        QObject::connect(ui.fileShareScrollView->verticalScrollBar(), &QScrollBar::valueChanged, doc.get(),
                         [this] { doc->scrollViewDidScroll(); });
        root.show();
    }
    void TearDown() override
    {
        VeskToast::dismissToast();
        doc.reset();
    }

    void startOwn(int pages, bool portrait = true)
    {
        doc->startFileShareFromAction(document(pages, portrait));
        AutoLayout::layoutSubtreeIfNeeded(&root);
        processEventsFor(3);
    }
    // Scrolls the page view as the wheel would, to a scale of the document.
    void scrollTo(double scale)
    {
        QScrollBar *bar = ui.fileShareScrollView->verticalScrollBar();
        bar->setValue(int(scale * doc->pageView()->documentHeight()));
    }
    static KVMResponse ok(const QVariant &data = {})
    {
        KVMResponse r = FakeShareServices::code(0);
        r.data = data;
        return r;
    }
    static QString toast() { return VeskToast::textOf(VeskToast::currentToast()); }

    VirtualClockScope clock;
    QWidget root;
    Ui::MeetingViewController ui;
    MeetingSharing::State state;
    std::shared_ptr<FakeDocumentServices> services = std::make_shared<FakeDocumentServices>();
    std::unique_ptr<FileShareDocument> doc;
    int memberReloads = 0;
    QList<bool> stops;
    int lockAsks = 0;
    bool lockGranted = true;
};

TEST_F(FileShareDocumentTest, SequenceIds_OwnStartOthersStartAndEntry)
{
    startOwn(3);
    EXPECT_EQ(state.fileShareFlipOverReceiveSequenceId, 0u);
    EXPECT_EQ(state.fileShareFlipOverSendSequenceId, 1u);
    EXPECT_TRUE(services->fileSharing);

    // A share by others: its first record (id 1 after its start at 0) must be followed.
    MeetingControlData start;
    start.sharedFileStatus = 1;
    start.fileId = QStringLiteral("doc-1");
    start.enableOperationFileStatus = FileShareRights::NotGiven;
    doc->applyDocumentShare(start);
    ASSERT_TRUE(services->answer("slices", ok(jx_keyValues(document(3, true)))));
    EXPECT_FALSE(services->fileSharing);
    EXPECT_EQ(state.fileShareFlipOverReceiveSequenceId, 0u);
    doc->applyDocumentFollow(follow(1, 0, QStringLiteral("s3")));
    EXPECT_EQ(state.currentPageNum, 2);

    // Entry: both ids from the running share's last position.
    services->running.userId = QStringLiteral("other");
    services->running.orderStatus.sequenceId = 41;
    doc->startFileShareFromEnter();
    EXPECT_EQ(state.fileShareFlipOverReceiveSequenceId, 41u);
    EXPECT_EQ(state.fileShareFlipOverSendSequenceId, 41u);
}

TEST_F(FileShareDocumentTest, Follow_EqualIdIgnored_AfterApplyingNTheNextOwnRecordCarriesN)
{
    startOwn(4);
    doc->setFileShareFlipOverReceiveSequenceId(7);
    doc->applyDocumentFollow(follow(7, 0, QStringLiteral("s3")));
    EXPECT_EQ(state.currentPageNum, 0);
    doc->applyDocumentFollow(follow(8, 0, QStringLiteral("s3")));
    EXPECT_EQ(state.currentPageNum, 2);
    EXPECT_EQ(state.fileShareFlipOverReceiveSequenceId, 8u);

    // A page id the document lacks moves nothing but takes the id.
    doc->applyDocumentFollow(follow(9, 0, QStringLiteral("nope")));
    EXPECT_EQ(state.currentPageNum, 2);
    EXPECT_EQ(state.fileShareFlipOverReceiveSequenceId, 9u);
    clock.clock.advance(150ms);

    doc->rightFlipOverAction(nullptr);
    ASSERT_EQ(services->records().size(), 1);
    EXPECT_EQ(services->records().last().value("sequenceId").toInteger(), 9);
}

// A position id no JSON number holds (2^64 - 1 sent back would read -1) is refused at the door:
// the sharer stays on his page and his next flip carries an id the service takes.
TEST_F(FileShareDocumentTest, Follow_AnIdOutOfRangeIsRefused_TheNextOwnRecordStaysInRange)
{
    startOwn(4);
    doc->applyDocumentFollow(follow(~quint64(0), 0, QStringLiteral("s3")));
    doc->applyDocumentFollow(follow(quint64(1) << 53, 0, QStringLiteral("s3")));
    EXPECT_EQ(state.currentPageNum, 0);
    doc->rightFlipOverAction(nullptr);
    ASSERT_EQ(services->records().size(), 1);
    EXPECT_EQ(services->records().last().value("sequenceId").toInteger(), 1);

    // A share announced with such an id starts from 0.
    MeetingControlData start;
    start.sharedFileStatus = 1;
    start.fileId = QStringLiteral("doc-1");
    start.sequenceId = ~quint64(0);
    doc->applyDocumentShare(start);
    EXPECT_EQ(state.fileShareFlipOverReceiveSequenceId, 0u);
    EXPECT_EQ(state.fileShareFlipOverSendSequenceId, 0u);
}

TEST_F(FileShareDocumentTest, Flips_TwoBeforeTheFirstReplyCarryDifferentIds_AFailedOneReturnsOnlyIfStillShown)
{
    startOwn(4);
    doc->rightFlipOverAction(nullptr);
    doc->rightFlipOverAction(nullptr);
    const QList<QJsonObject> sent = services->records();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].value("sequenceId").toInteger(), 1);
    EXPECT_EQ(sent[1].value("sequenceId").toInteger(), 2);
    EXPECT_EQ(sent[1].value("sliceId").toString(), "s3");
    EXPECT_EQ(sent[1].value("page").toInt(), 3);
    EXPECT_EQ(sent[1].value("flipOverType").toInt(), 0);
    EXPECT_EQ(state.currentPageNum, 2);

    // The first fails: the page it set is no longer shown, so the second's page stays.
    services->answer("flip", FakeShareServices::code(500));
    EXPECT_EQ(state.currentPageNum, 2);
    EXPECT_EQ(toast(), QStringLiteral("翻页失败"));
    // The second fails too: back to the page before it.
    services->answer("flip", FakeShareServices::code(500, QStringLiteral("无权操作")));
    EXPECT_EQ(state.currentPageNum, 1);
    EXPECT_EQ(ui.currentPage->text(), "2");
    EXPECT_EQ(toast(), QStringLiteral("无权操作"));
}

TEST_F(FileShareDocumentTest, Flips_PastEitherEndDoNothing_LabelsAndButtonsFollowThePage)
{
    startOwn(2);
    EXPECT_TRUE(ui.leftFlipOverButton->isHidden());
    doc->leftFlipOverAction(nullptr);
    EXPECT_TRUE(services->records().isEmpty());
    doc->rightFlipOverAction(nullptr);
    services->answer("flip", ok());
    EXPECT_EQ(ui.currentPage->text(), "2");
    EXPECT_EQ(ui.totalPage->text(), " /   2");
    EXPECT_TRUE(ui.rightFlipOverButton->isHidden());
    EXPECT_FALSE(ui.leftFlipOverButton->isHidden());
    doc->rightFlipOverAction(nullptr);
    EXPECT_TRUE(services->records().isEmpty());
    EXPECT_EQ(state.currentPageNum, 1);
}

TEST_F(FileShareDocumentTest, WheelScrolling_OnlyForMostlyPortraitDocumentsOfMoreThanOnePage)
{
    startOwn(1);
    EXPECT_FALSE(ui.fileShareScrollView->enableScroll());
    startOwn(2);
    EXPECT_TRUE(ui.fileShareScrollView->enableScroll());
    FileShareDatailModel mixed = document(2, true);
    mixed.sliceInfo[1].picWidth = 1280;
    mixed.sliceInfo[1].picHeight = 1280;
    doc->startFileShareFromAction(mixed);
    EXPECT_FALSE(ui.fileShareScrollView->enableScroll());
    // A viewer without rights never scrolls.
    doc->startFileShareFromAction(document(3, true));
    state.fileShareDatailModel->setUserCanControl(false);
    doc->startFileShareFromIMControl();
    EXPECT_FALSE(ui.fileShareScrollView->enableScroll());
    EXPECT_TRUE(ui.leftFlipOverButton->isHidden());
    EXPECT_TRUE(ui.rightFlipOverButton->isHidden());
}

TEST_F(FileShareDocumentTest, ScrollSync_OnePer200msUntilAJump_ThenEveryEvent_AndTheFinalOneAfter200ms)
{
    startOwn(20);
    clock.clock.advance(150ms); // the start's own move is over
    services->dropAll();
    const auto scales = [&] {
        QStringList out;
        for (const QJsonObject &r : services->records())
            out << r.value("offsetScale").toString();
        return out;
    };
    clock.clock.advance(1000ms);
    scrollTo(0.01); // the reference position
    clock.clock.advance(50ms);
    scrollTo(0.02);
    clock.clock.advance(50ms);
    scrollTo(0.03);
    EXPECT_EQ(scales(), QStringList{"0.01000"});
    clock.clock.advance(100ms);
    scrollTo(0.04);
    EXPECT_EQ(scales(), (QStringList{"0.01000", "0.04000"}));
    // 0.1 away from the reference: every event goes out.
    clock.clock.advance(10ms);
    scrollTo(0.12);
    clock.clock.advance(10ms);
    scrollTo(0.13);
    EXPECT_EQ(scales(), (QStringList{"0.01000", "0.04000", "0.12000", "0.13000"}));
    EXPECT_EQ(services->records().last().value("flipOverType").toInt(), 1);
    clock.clock.advance(199ms);
    EXPECT_EQ(scales().size(), 4);
    clock.clock.advance(1ms);
    EXPECT_EQ(scales().last(), "0.13000");
    EXPECT_EQ(scales().size(), 5);
    // Every record took its own id, raised as it went out.
    QList<qint64> ids;
    for (const QJsonObject &r : services->records())
        ids << r.value("sequenceId").toInteger();
    EXPECT_EQ(ids, (QList<qint64>{1, 2, 3, 4, 5}));

    // A failed scroll record says so.
    services->answer("flip", FakeShareServices::code(500));
    EXPECT_EQ(toast(), QStringLiteral("同步滚动失败"));
}

TEST_F(FileShareDocumentTest, ScrollToPosition_ScaleOneShowsTheLastPage_AndAFollowedScrollIsNotSentBack)
{
    startOwn(5);
    clock.clock.advance(150ms);
    services->dropAll();
    doc->applyDocumentFollow(follow(3, 1, {}, 1.0));
    EXPECT_EQ(state.currentPageNum, 4);
    EXPECT_EQ(ui.currentPage->text(), "5");
    doc->applyDocumentFollow(follow(4, 1, {}, 0.5));
    EXPECT_EQ(state.currentPageNum, 2);
    clock.clock.advance(300ms);
    EXPECT_TRUE(services->records().isEmpty());
}

TEST_F(FileShareDocumentTest, End_ToastsOnceForAViewer_EndsTheOwnShareWithoutOne)
{
    MeetingControlData start;
    start.sharedFileStatus = 1;
    start.fileId = QStringLiteral("doc-1");
    start.peerName = QStringLiteral("<b>李四</b>");
    doc->applyDocumentShare(start);
    ASSERT_TRUE(services->answer("slices", ok(jx_keyValues(document(3, true)))));
    EXPECT_EQ(state.fileShareMode, 1);
    EXPECT_EQ(ui.currentFileShareNameLabel->text(), QStringLiteral("<b>李四</b>正在共享"));
    EXPECT_EQ(ui.currentFileShareNameLabel->textFormat(), Qt::PlainText);

    MeetingControlData end;
    end.sharedFileStatus = 0;
    doc->applyDocumentShare(end);
    EXPECT_EQ(toast(), QStringLiteral("<b>李四</b>的共享已结束"));
    EXPECT_EQ(state.fileShareMode, 0);
    EXPECT_FALSE(ui.scrollView->isHidden());
    EXPECT_TRUE(ui.shareShowBKView->isHidden());
    VeskToast::dismissToast();
    doc->applyDocumentShare(end);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    EXPECT_TRUE(stops.isEmpty());

    startOwn(2);
    doc->applyDocumentShare(end);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    EXPECT_EQ(stops, QList<bool>{true});
}

TEST_F(FileShareDocumentTest, PageList_FailuresToastAndKeepTheView_ALateReplyForAnotherDocumentIsDropped)
{
    MeetingControlData start;
    start.sharedFileStatus = 1;
    start.fileId = QStringLiteral("doc-1");
    doc->applyDocumentShare(start);
    services->answer("slices", FakeShareServices::code(500));
    EXPECT_EQ(toast(), QStringLiteral("未获取到共享文件信息失败"));
    doc->queryFileShareList(2);
    services->answer("slices", ok(QVariantMap{{"fileId", "doc-1"}}));
    EXPECT_EQ(toast(), QStringLiteral("未获取到共享文件信息，请稍后再试"));
    EXPECT_EQ(doc->pageView()->pageCount(), 0);

    doc->queryFileShareList(2);
    start.fileId = QStringLiteral("doc-2");
    doc->applyDocumentSwitch(start);
    services->answer("slices", ok(jx_keyValues(document(3, true)))); // the reply for doc-1
    EXPECT_EQ(state.fileShareDatailModel->fileId, "doc-2");
    EXPECT_EQ(doc->pageView()->pageCount(), 0);
}

// A viewer follows the sharer's page before the page list arrives: the late list keeps that page.
TEST_F(FileShareDocumentTest, PageList_ArrivingAfterAFollowedPage_KeepsThatPage)
{
    MeetingControlData start;
    start.sharedFileStatus = 1;
    start.fileId = QStringLiteral("doc-1");
    start.sliceInfo = document(5, true).sliceInfo;
    start.sliceCount = 5;
    doc->applyDocumentShare(start);
    doc->applyDocumentFollow(follow(1, 0, QStringLiteral("s3")));
    EXPECT_EQ(ui.currentPagePanel->accessibleName(), QStringLiteral("第3页，共5页"));
    ASSERT_TRUE(services->answer("slices", ok(jx_keyValues(document(5, true)))));
    AutoLayout::layoutSubtreeIfNeeded(&root);
    processEventsFor(3);
    EXPECT_EQ(state.currentPageNum, 2);
    EXPECT_EQ(ui.currentPagePanel->accessibleName(), QStringLiteral("第3页，共5页"));
    EXPECT_EQ(ui.fileShareScrollView->verticalScrollBar()->value(), doc->pageView()->pageTop(2));
}

TEST_F(FileShareDocumentTest, Switch_UserInfoPerMode)
{
    QList<QVariantMap> posted;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("switchShareFile"),
                                                    [&](const Notification &n) { posted << n.userInfo; });
    const QVariantMap target{
        {"userId", "u2"}, {"fileId", "f2"}, {"fileName", "b.mp4"}, {"fileType", "2"}, {"duration", 61}};
    doc->shareSelectPanelSwitchFile(target);
    startOwn(2);
    doc->shareSelectPanelSwitchFile(target);
    state.fileShareMode = 2;
    state.avFileShareModel = std::make_shared<FileShareModel>();
    state.avFileShareModel->fileId = QStringLiteral("av-1");
    state.avFileShareModel->fileType = QStringLiteral("3");
    doc->shareSelectPanelSwitchFile(target);
    doc->shareSelectPanelSwitchFile({{"fileName", "no id"}});
    // Without the lock a new share is not asked for.
    state.fileShareMode = 0;
    lockGranted = false;
    doc->shareSelectPanelSwitchFile(target);

    ASSERT_EQ(posted.size(), 3);
    // Only a new share asks for the lock first (twice here; the second was refused); one who
    // shares holds it.
    EXPECT_EQ(lockAsks, 2);
    EXPECT_EQ(posted[0].value("sharing"), 0);
    EXPECT_FALSE(posted[0].contains("oldFileId"));
    EXPECT_EQ(posted[0].value("duration").toLongLong(), 61);
    EXPECT_EQ(posted[1].value("fileShareMode"), 1);
    EXPECT_EQ(posted[1].value("oldFileId"), "doc-1");
    EXPECT_EQ(posted[1].value("oldUserId"), "13800000001");
    EXPECT_FALSE(posted[1].contains("oldFileType"));
    EXPECT_EQ(posted[2].value("fileShareMode"), 2);
    EXPECT_EQ(posted[2].value("oldFileId"), "av-1");
    EXPECT_EQ(posted[2].value("oldFileType"), "3");
    EXPECT_EQ(posted[2].value("fileId"), "f2");
}

TEST_F(FileShareDocumentTest, FileList_AMemberSeesTheSwitchButtonOnlyWithFiles)
{
    doc->queryAllShareFileInfo();
    QVariantMap file{{"fileId", "f1"}, {"fileName", "a.pdf"}, {"fileType", "1"}};
    services->answer("files", ok(QVariantList{file}));
    EXPECT_EQ(state.allFileShareArray.size(), 1);
    EXPECT_FALSE(ui.selectFileShareSwitchBtn->isHidden());
    // The arrow sits right of the share button in its box, and in Tab order between it and the end
    // of a share.
    QLayout *box = ui.selectFileShareSwitchBtn->parentWidget()->layout();
    ASSERT_TRUE(box);
    EXPECT_EQ(ui.selectFileShareSwitchBtn->parentWidget(), ui.bottomSareContainerView);
    EXPECT_EQ(box->indexOf(ui.selectFileShareSwitchBtn), box->indexOf(ui.shareBtn) + 1);
    EXPECT_EQ(ui.shareBtn->nextInFocusChain(), ui.selectFileShareSwitchBtn);
    EXPECT_EQ(ui.selectFileShareSwitchBtn->nextInFocusChain(), ui.finishShareBtn);

    QList<std::pair<bool, bool>> answers;
    doc->queryAllShareFileInfo([&](bool has, bool ok) { answers.append({has, ok}); });
    services->answer("files", ok(QVariantList{}));
    EXPECT_TRUE(ui.selectFileShareSwitchBtn->isHidden());
    doc->queryAllShareFileInfo([&](bool has, bool ok) { answers.append({has, ok}); });
    services->answer("files", FakeShareServices::code(500));
    EXPECT_EQ(toast(), QStringLiteral("获取共享文件信息失败"));
    EXPECT_EQ(answers, (QList<std::pair<bool, bool>>{{false, true}, {false, false}}));
    EXPECT_TRUE(state.allFileShareArray.isEmpty());
}

// The narrowest window's bar with the longest sharer and file names: the start of the bar ends
// before the page buttons, cut, and never lies under "上一页" or "下一页".
TEST_F(FileShareDocumentTest, Bar_LongNamesEndBeforeThePageButtons)
{
    root.resize(1152, 684);
    MeetingControlData start;
    start.sharedFileStatus = 1;
    start.fileId = QStringLiteral("doc-1");
    start.peerName = QString(64, QChar(0x5F20));
    start.enableOperationFileStatus = FileShareRights::NotGiven;
    doc->applyDocumentShare(start);
    FileShareDatailModel pages = document(300, true);
    pages.fileName = QString(120, QChar(0x65B9)) + QStringLiteral(".pdf");
    ASSERT_TRUE(services->answer("slices", ok(jx_keyValues(pages))));
    state.fileShareDatailModel->setUserCanControl(true);
    doc->startFileShareFromIMControl();
    doc->setCurrentPageNum(1);
    AutoLayout::layoutSubtreeIfNeeded(&root);
    const auto at = [this](QWidget *w) { return QRect(w->mapTo(&root, QPoint(0, 0)), w->size()); };
    ASSERT_TRUE(ui.rightFlipOverButton->isVisible());
    const int buttons = at(ui.leftFlipOverButton).left();
    for (QWidget *w :
         {static_cast<QWidget *>(ui.currentFilePanel.data()), static_cast<QWidget *>(ui.shareFileName.data()),
          static_cast<QWidget *>(ui.fileShareSwitchButton.data())}) {
        EXPECT_LT(at(w).right(), buttons) << w->objectName().toStdString();
        EXPECT_FALSE(at(w).intersects(at(ui.rightFlipOverButton)));
    }
    // Both still say something, cut rather than gone.
    EXPECT_GE(ui.currentFilePanel->width(), 80);
    EXPECT_GE(ui.shareFileName->width(), 30);
    // A wide window gives them their whole width back.
    root.resize(2400, 900);
    AutoLayout::layoutSubtreeIfNeeded(&root);
    EXPECT_EQ(ui.shareFileName->width(), 200);
}

// A file name whose override would show it reversed reads as it is stored.
TEST_F(FileShareDocumentTest, Bar_AFileNameWithDirectionMarksReadsAsStored)
{
    FileShareDatailModel model = document(2, true);
    model.fileName = QStringLiteral("invoice\u202Eexe.pdf");
    doc->startFileShareFromAction(model);
    EXPECT_EQ(static_cast<KVElidedLabel *>(ui.shareFileName.data())->fullText(), QStringLiteral("invoiceexe.pdf"));
}

TEST_F(FileShareDocumentTest, Pages_OnlyThoseInSightHaveTiles)
{
    startOwn(500);
    const QList<int> first = doc->pageView()->tiledPages();
    EXPECT_LE(first.size(), 4);
    EXPECT_EQ(first.first(), 0);
    doc->applyDocumentFollow(follow(5, 0, QStringLiteral("s400")));
    const QList<int> later = doc->pageView()->tiledPages();
    EXPECT_LE(later.size(), 4);
    EXPECT_TRUE(later.contains(399));
    auto *tile = qobject_cast<FileShareImageViewCollectionViewItem *>(doc->pageView()->tileAt(399));
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->contentImageView->accessibleName(), QStringLiteral("第400页"));
}

// A long document of large pages is not fetched at once: only the pages near the one shown.
TEST_F(FileShareDocumentTest, Pages_OnlyThoseNearTheShownOneArePrefetched)
{
    FileShareDatailModel model = document(240, true);
    for (int i = 0; i < model.sliceInfo.size(); ++i)
        model.sliceInfo[i].downloadUrl = QStringLiteral("https://files.example/p%1.png").arg(i);
    doc->startFileShareFromAction(model);
    const auto page = [](int i) { return QStringLiteral("https://files.example/p%1.png").arg(i); };
    EXPECT_TRUE(services->prefetched.contains(page(1)));
    EXPECT_LE(services->prefetched.size(), FileShareDocument::kPrefetchAhead + 1);
    services->prefetched.clear();
    doc->applyDocumentFollow(follow(5, 0, QStringLiteral("s200")));
    EXPECT_TRUE(services->prefetched.contains(page(200)));
    EXPECT_TRUE(services->prefetched.contains(page(198)));
    EXPECT_FALSE(services->prefetched.contains(page(0)));
    EXPECT_LE(services->prefetched.size(), FileShareDocument::kPrefetchBehind + FileShareDocument::kPrefetchAhead + 1);
}

TEST_F(FileShareDocumentTest, Lists_MembersWithoutFilesAreTold_HostsGetThePermissionArea_SizesFollowTheFiles)
{
    const auto listOf = [](int n) {
        QVariantList files;
        for (int i = 0; i < n; ++i)
            files << QVariantMap{{"fileId", QStringLiteral("f%1").arg(i)}, {"fileName", "a.pdf"}, {"fileType", "1"}};
        return files;
    };
    VeskButton *arrow = ui.selectFileShareSwitchBtn;
    doc->showFileShareSwitchListView(arrow);
    services->answer("files", ok(listOf(0)));
    EXPECT_EQ(toast(), QStringLiteral("暂无可共享文件"));
    EXPECT_FALSE(state.fileShareSpeedSwicthPanelBottom);

    services->mine.host = true;
    doc->showFileShareSwitchListView(arrow);
    services->answer("files", ok(listOf(0)));
    ASSERT_TRUE(state.fileShareSpeedSwicthPanelBottom);
    EXPECT_EQ(state.fileShareSpeedSwicthPanelBottom->height(), 108);
    doc->showFileShareSwitchListView(arrow); // again: it closes
    services->answer("files", ok(listOf(2)));
    EXPECT_FALSE(state.fileShareSpeedSwicthPanelBottom);
    doc->showFileShareSwitchListView(arrow);
    services->answer("files", ok(listOf(2)));
    ASSERT_TRUE(state.fileShareSpeedSwicthPanelBottom);
    EXPECT_EQ(state.fileShareSpeedSwicthPanelBottom->height(), 108 + 2 * 34 + 6);
    EXPECT_GE(state.fileShareSpeedSwicthPanelBottom->width(), 168);

    // The quick list under the document's bar: a row per file, closed by a nil sender.
    startOwn(2);
    doc->FileshareSwitchPanelAction(ui.fileShareSwitchButton);
    ASSERT_TRUE(state.fileShareSpeedSwicthPanel);
    EXPECT_EQ(state.fileShareSpeedSwicthPanel->height(), 2 * 34 + 6);
    EXPECT_GE(state.fileShareSpeedSwicthPanel->width(), 142);
    EXPECT_LE(state.fileShareSpeedSwicthPanel->width(), 320);
    doc->FileshareSwitchPanelAction(nullptr);
    EXPECT_FALSE(state.fileShareSpeedSwicthPanel);
    state.allFileShareArray.clear();
    doc->FileshareSwitchPanelAction(ui.fileShareSwitchButton);
    EXPECT_FALSE(state.fileShareSpeedSwicthPanel);
    EXPECT_EQ(toast(), QStringLiteral("暂无可共享文件"));
}

} // namespace
