// The records page, against the stand-in service over loopback.
#include "TimeZones.h"
#include "fixtures/StandInServiceTest.h"

#include "foundation/AppPaths.h"
#include "scheduling/KVDownloadRecordManage.h"
#include "scheduling/MainRecordListCell.h"
#include "scheduling/MainRecordListViewController.h"
#include "scheduling/RecordListRules.h"
#include "scheduling/RecordTexts.h"
#include "uikit/KVDataText.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// ---- The records page

class RecordsPageTest : public StandInServiceTest {
protected:
    void SetUp() override
    {
        StandInServiceTest::SetUp();
        me = signInUser(kMyPhone, QStringLiteral("张三"));
        KVDownloadRecordManage::setDialogOpener([this](QFileDialog *dialog) {
            ++dialogs;
            dialog->reject();
            dialog->close();
        });
    }
    void TearDown() override
    {
        page.reset();
        KVDownloadRecordManage::setDialogOpener({});
        StandInServiceTest::TearDown();
    }

    void addDocuments(int n)
    {
        QVariantList docs = service.state().extra.value(QStringLiteral("recordFiles")).toList();
        for (int i = 0; i < n; ++i) {
            const int k = int(docs.size()) + 1;
            docs.append(QVariantMap{{"owner", me.userId},
                                    {"roomId", QStringLiteral("9000000%1").arg(k, 2, 10, QLatin1Char('0'))},
                                    {"roomName", QStringLiteral("会议%1").arg(k)},
                                    {"fileName", QStringLiteral("记录%1.pdf").arg(k)},
                                    {"beginTime", 1700000000000.0 + k}});
        }
        service.state().extra.insert(QStringLiteral("recordFiles"), docs);
    }
    void addRecording(const QString &roomId, const QString &seq, int status, qint64 size)
    {
        QVariantList recs = service.state().extra.value(QStringLiteral("recordings")).toList();
        recs.append(QVariantMap{{"owner", me.userId},
                                {"roomId", roomId},
                                {"roomName", QStringLiteral("周会")},
                                {"meetingBeginTime", QStringLiteral("2030-01-02 10:00:00")},
                                {"dvrSequenceId", seq},
                                {"dvrName", QStringLiteral("<b>录制</b>") + seq},
                                {"dvrTimeLength", 3600},
                                {"dvrSize", size},
                                {"dvrStatus", status},
                                {"dvrDownPath", service.baseUrl().toString() + "/dvr/file/" + seq + ".mp4"}});
        service.state().extra.insert(QStringLiteral("recordings"), recs);
    }

    MainRecordListViewController &open()
    {
        page = std::make_unique<MainRecordListViewController>();
        QWidget *view = page->view();
        view->resize(980, 780);
        view->show();
        page->viewWillAppear();
        EXPECT_TRUE(settleRequests());
        return *page;
    }

    VeskUserModel me;
    std::unique_ptr<MainRecordListViewController> page;
    int dialogs = 0;
};

TEST_F(RecordsPageTest, Documents_PageByTen_AFailedPageIsAskedAgain_AndALatePageIsDropped)
{
    addDocuments(11);
    MainRecordListViewController &p = open();
    EXPECT_EQ(p.documentFiles().size(), 10);
    EXPECT_TRUE(p.hasMoreDocument());
    EXPECT_EQ(p.tipsLabel()->text(), RecordTexts::kDocumentTips);
    EXPECT_EQ(p.nameTitleLabel()->text(), RecordTexts::kDocumentNameTitle);
    EXPECT_TRUE(p.sizeTitleLabel()->isHidden());
    EXPECT_EQ(p.cells().value(0)->timeLabel()->text(), RecordListRules::documentTimeText(1700000000001.0));
    EXPECT_TRUE(p.cells().value(0)->roomNameLabel()->isHidden());

    // The second page fails: the page number comes back, so the next load asks for page 2 again.
    service.failNextReply(QStringLiteral("/qf/user/queryRecord"), DevService::fail(500, QStringLiteral("忙")));
    p.scrollView()->verticalScrollBar()->setValue(p.scrollView()->verticalScrollBar()->maximum());
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(toastText(), QStringLiteral("忙"));
    EXPECT_EQ(p.recordDocumentPageNumber(), 1);
    p.loadMoreDocumentFileList();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(p.documentFiles().size(), 11);
    EXPECT_FALSE(p.hasMoreDocument());
    EXPECT_EQ(service.requestsFor(QStringLiteral("/qf/user/queryRecord")).last().param("pageNum").toInt(), 2);

    // A page held back past a refresh does not land after it.
    p.scrollView()->verticalScrollBar()->setValue(0);
    p.refreshDocumentFileList();
    ASSERT_TRUE(settleRequests());
    ASSERT_EQ(p.documentFiles().size(), 10);
    service.delayNextReply(QStringLiteral("/qf/user/queryRecord"), 1000);
    const int asked = requestCount(QStringLiteral("/qf/user/queryRecord"));
    p.loadMoreDocumentFileList();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(QStringLiteral("/qf/user/queryRecord")) > asked; }));
    p.refreshDocumentFileList();
    ASSERT_TRUE(processEventsUntil([&p] { return !p.isRefreshing(); })); // the refresh's answer
    clock.clock.advance(1000ms);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(p.documentFiles().size(), 10);
}

TEST_F(RecordsPageTest, Recordings_ShowDeleteReloadAndGateDownloads_AndAFailedReloadKeepsThem)
{
    addRecording(QStringLiteral("900000001"), QStringLiteral("d1"), 3, 6144);
    addRecording(QStringLiteral("900000001"), QStringLiteral("d2"), 1, 6143);
    MainRecordListViewController &p = open();
    p.setCurrentListType(1);
    EXPECT_FALSE(p.recordVideoButton()->isEnabled());
    EXPECT_TRUE(p.recordDocumentButton()->isEnabled());
    EXPECT_EQ(p.tipsLabel()->text(), RecordTexts::kVideoTips);
    EXPECT_EQ(p.timeTitleLabel()->text(), RecordTexts::kVideoTimeTitle);
    ASSERT_EQ(p.cells().size(), 2);
    MainRecordListCell *ready = p.cells()[0];
    EXPECT_EQ(ready->sizeLabel()->text(), QStringLiteral("0.01M"));
    EXPECT_EQ(p.cells()[1]->sizeLabel()->text(), QStringLiteral("0.00M"));
    EXPECT_EQ(ready->titleLabel()->text(), QStringLiteral("<b>录制</b>d1")); // a name, not markup
    EXPECT_EQ(ready->roomIdLabel()->text(), QStringLiteral("900000001"));
    EXPECT_TRUE(KVDataText::markupHazards({p.view()}).isEmpty());

    // Still processing: nothing is downloaded.
    p.cells()[1]->downloadButton()->click();
    EXPECT_EQ(toastText(), RecordTexts::kVideoProcessing);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(QStringLiteral("/dvr/file/d2.mp4")), 0);
    ready->downloadButton()->click();
    ASSERT_TRUE(processEventsUntil([this] { return dialogs == 1; }));

    // A failed reload keeps what was shown.
    service.failNextReply(QStringLiteral("/qf/user/dvr/list"), DevService::fail(500, QStringLiteral("忙")));
    p.refreshCloudRecordVideoList();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(p.recordVideos().size(), 2);
    EXPECT_TRUE(p.emptyView()->isHidden());

    p.cells()[0]->deleteButton()->click();
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), RecordTexts::kDeleting);
    ASSERT_TRUE(settleRequests());
    ASSERT_EQ(p.recordVideos().size(), 1);
    EXPECT_EQ(p.recordVideos()[0].dvrSequenceId, QStringLiteral("d2"));
    p.cells()[0]->deleteButton()->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(p.recordVideos().isEmpty());
    EXPECT_FALSE(p.emptyView()->isHidden());
    EXPECT_TRUE(p.titleView()->isHidden());
    EXPECT_EQ(p.emptyLabel()->text(), RecordTexts::kNoVideos);
}

// A thousand recordings cost the rows in view: widgets and what a screen reader meets are only
// those; the keyboard goes on past them; the last recording, scrolled to as the bus scrolls, is
// the one its buttons act on.
TEST_F(RecordsPageTest, AThousandRecordings_RowsOnlyForThoseInView_TheLastActsOnItself)
{
    QVariantList recs;
    for (int i = 0; i < 1000; ++i)
        recs.append(QVariantMap{{"owner", me.userId},
                                {"roomId", QStringLiteral("9%1").arg(i / 4, 8, 10, QLatin1Char('0'))},
                                {"roomName", QStringLiteral("周会")},
                                {"meetingBeginTime", QStringLiteral("2030-01-02 10:00:00")},
                                {"dvrSequenceId", QStringLiteral("d%1").arg(i)},
                                {"dvrName", QStringLiteral("录制%1").arg(i)},
                                {"dvrTimeLength", 60},
                                {"dvrSize", 6144},
                                {"dvrStatus", i == 999 ? 1 : 3},
                                {"dvrDownPath", service.baseUrl().toString() + "/dvr/file/x.mp4"}});
    service.state().extra.insert(QStringLiteral("recordings"), recs);
    MainRecordListViewController &p = open();
    p.setCurrentListType(1);
    ASSERT_EQ(p.recordVideos().size(), 1000);
    const int inView = p.scrollView()->viewport()->height() / MainRecordListCell::kHeight + 2;
    const auto made = [&] {
        return p.scrollView()->widget()->findChildren<MainRecordListCell *>(Qt::FindDirectChildrenOnly).size();
    };
    ASSERT_GE(p.cells().size(), 3);
    EXPECT_LE(made(), inView);
    QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(p.scrollView()->widget());
    ASSERT_NE(rows, nullptr);
    EXPECT_LE(rows->childCount(), inView);
    EXPECT_EQ(p.cells().first()->titleLabel()->fullText(), QStringLiteral("录制0"));
    // Down goes to the same button of the row below, past the rows in view.
    p.cells().first()->deleteButton()->setFocus();
    for (int i = 0; i < inView + 2; ++i)
        QTest::keyClick(p.view()->window()->focusWidget(), Qt::Key_Down);
    QWidget *focused = p.view()->window()->focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->objectName(), QStringLiteral("deleteButton"));
    const auto *below = qobject_cast<MainRecordListCell *>(focused->parentWidget());
    ASSERT_NE(below, nullptr);
    EXPECT_EQ(below->videoInfo().dvrSequenceId, QStringLiteral("d%1").arg(inView + 2));

    QScrollBar *bar = p.scrollView()->verticalScrollBar();
    bar->setValue(bar->maximum());
    MainRecordListCell *last = p.cells().last();
    EXPECT_EQ(last->titleLabel()->fullText(), QStringLiteral("录制999"));
    EXPECT_LE(made(), inView);
    EXPECT_LE(rows->childCount(), inView);
    // Still processing: its own status, not another row's, keeps it from downloading.
    QTest::mouseClick(last->downloadButton(), Qt::LeftButton);
    EXPECT_EQ(toastText(), RecordTexts::kVideoProcessing);
    QTest::mouseClick(last->deleteButton(), Qt::LeftButton);
    ASSERT_TRUE(settleRequests());
    const QVariantList deleted =
        service.requestsFor(QStringLiteral("/qf/user/dvr/delete")).last().param("dvrList").toList();
    ASSERT_EQ(deleted.size(), 1);
    EXPECT_EQ(deleted.first().toMap().value("dvrSequenceId").toString(), QStringLiteral("d999"));
}

TEST(RecordListRulesTest, SizesTimesAndWindowSizes)
{
    TimeZones::inEachTimeZone([&] {
        EXPECT_EQ(RecordListRules::pageSizeText(1572864), QStringLiteral("1.50M"));
        EXPECT_EQ(RecordListRules::pageSizeText(6143), QStringLiteral("0.00M"));
        EXPECT_EQ(RecordListRules::pageSizeText(6144), QStringLiteral("0.01M"));
        EXPECT_EQ(RecordListRules::cellSizeText(1572864), QStringLiteral("1.50M"));
        EXPECT_EQ(RecordListRules::cellSizeText(0), QStringLiteral("0.00M"));
        EXPECT_EQ(RecordListRules::durationText(45), QStringLiteral("45分钟"));
        EXPECT_EQ(RecordListRules::durationText(120), QStringLiteral("2小时"));
        EXPECT_EQ(RecordListRules::durationText(90), QStringLiteral("1小时30分钟"));
        EXPECT_EQ(RecordListRules::durationText(0), QStringLiteral("0分钟"));
        // Either side of an hour.
        EXPECT_EQ(RecordListRules::durationText(59), QStringLiteral("59分钟"));
        EXPECT_EQ(RecordListRules::durationText(60), QStringLiteral("1小时"));
        EXPECT_EQ(RecordListRules::durationText(61), QStringLiteral("1小时1分钟"));
        EXPECT_EQ(RecordListRules::meetingInfoSize({1440, 600}, true).height(), 500);
        EXPECT_EQ(RecordListRules::meetingInfoSize({1440, 600}, false).height(), 500);
        EXPECT_EQ(RecordListRules::meetingInfoSize({1440, 1000}, true), QSize(544, 570));
        EXPECT_EQ(RecordListRules::meetingInfoSize({1440, 1000}, false), QSize(544, 526));
        EXPECT_EQ(RecordListRules::meetingListSize({1440, 600}), QSize(822, 500));
        EXPECT_EQ(RecordListRules::meetingListSize({900, 1000}), QSize(700, 811));
    });
}

} // namespace
