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

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QScrollBar>
#include <QTemporaryDir>

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
