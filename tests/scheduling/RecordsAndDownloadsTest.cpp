// The records page and the downloads, against the stand-in service over loopback.
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

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DownloadsTest : public StandInServiceTest {
protected:
    void SetUp() override
    {
        StandInServiceTest::SetUp();
        signInUser(kMyPhone, QStringLiteral("张三"));
        KVDownloadRecordManage::setDialogOpener([this](QFileDialog *dialog) {
            ++dialogs;
            proposed = dialog->selectedFiles().value(0).section(QLatin1Char('/'), -1);
            filters = dialog->nameFilters();
            title = dialog->windowTitle();
            if (answer.isEmpty())
                dialog->reject();
            else
                Q_EMIT dialog->fileSelected(answer);
            dialog->close();
        });
    }
    void TearDown() override
    {
        KVDownloadRecordManage::setDialogOpener({});
        StandInServiceTest::TearDown();
    }

    // Runs one download to its end: the dialog answered and the result toast shown.
    void finish()
    {
        ASSERT_TRUE(processEventsUntil([] { return VeskToast::currentLoadingToast() == nullptr; }));
        ASSERT_TRUE(settleRequests());
        clock.clock.advance(200ms);
        ASSERT_TRUE(drainMainQueue());
    }

    QTemporaryDir target;
    QString answer;
    int dialogs = 0;
    QString proposed;
    QStringList filters;
    QString title;
};

TEST_F(DownloadsTest, Recording_GoesWithoutTheServiceHeaders_AndIsCopied)
{
    service.route("GET", "/dvr/name/<n>", [](const DevRequest &req) {
        if (req.headers.contains("authorization"))
            return DevReply::raw("unexpected header", "text/plain", 400);
        DevReply r = DevReply::file("video", QString());
        r.headers = {{"Content-Disposition", "attachment; filename=\"../../x.mp4\""}};
        return r;
    });
    answer = target.filePath(QStringLiteral("mine.mp4"));
    KVDownloadRecordManage::downloadRecordVideo(service.baseUrl().toString() + "/dvr/name/1", nullptr);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), RecordTexts::kDownloading);
    finish();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(title, RecordTexts::kSaveToLocal);
    EXPECT_EQ(proposed, QStringLiteral("x.mp4")); // never a path that climbs out of the caches
    EXPECT_EQ(filters, QStringList{QStringLiteral("mp4 (*.mp4)")});
    EXPECT_EQ(readAll(answer), QByteArray("video"));
    EXPECT_TRUE(QFile::exists(AppPaths::cacheDir() + QStringLiteral("/x.mp4"))); // a copy: the cache stays
    EXPECT_EQ(toastText(), RecordTexts::kSaved);
}

TEST_F(DownloadsTest, MemberListAndDocument_CarryTheSignIn_AndReplaceMoves)
{
    // A meeting the user took part in: only they get its lists and record.
    service.state()
        .addRoom(QStringLiteral("900000001"), kHostPhone, QStringLiteral("周会"))
        .extra.insert(QStringLiteral("attendees"), QStringList{kMyPhone});
    answer = target.filePath(QStringLiteral("members.xls"));
    {
        QFile old(answer);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    KVDownloadRecordManage::downloadMeetingMembersList(QStringLiteral("900000001"), nullptr);
    finish();
    EXPECT_EQ(proposed, QStringLiteral("会议成员-900000001.csv"));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("xlsx (*.xlsx)"), QStringLiteral("xls (*.xls)")}));
    EXPECT_TRUE(readAll(answer).startsWith("userName,userId"));
    EXPECT_FALSE(QFile::exists(AppPaths::cacheDir() + QStringLiteral("/会议成员-900000001.csv")));
    EXPECT_EQ(toastText(), RecordTexts::kSaved);
    EXPECT_EQ(service.requestsFor(QStringLiteral("/qf/meeting/room/members/download"))
                  .value(0)
                  .headers.value("authorization"),
              QByteArray("token-") + kMyPhone.toUtf8());

    answer = target.filePath(QStringLiteral("record")); // no extension: the allowed one is added
    KVDownloadRecordManage::downloadRoomDocumentFile(QStringLiteral("900000001"), nullptr);
    finish();
    EXPECT_EQ(proposed, QStringLiteral("会议记录-900000001.pdf"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("pdf (*.pdf)")});
    EXPECT_TRUE(readAll(answer + QStringLiteral(".pdf")).startsWith("%PDF"));
    EXPECT_FALSE(
        service.requestsFor(QStringLiteral("/qf/subtitle/download")).value(0).headers.value("authorization").isEmpty());
}

TEST_F(DownloadsTest, RefusalsAndErrorEnvelopes_ToastAndOpenNoDialog)
{
    service.route("GET", "/dvr/gone/<n>", [](const DevRequest &) { return DevReply::raw("", "text/plain", 404); });
    service.route("GET", "/dvr/envelope/<n>", [](const DevRequest &) {
        DevReply r = DevService::fail(500, QStringLiteral("文件已过期"));
        r.headers = {{"Content-Disposition", "attachment; filename=\"x.mp4\""}};
        return r;
    });
    answer = target.filePath(QStringLiteral("never.mp4"));
    KVDownloadRecordManage::downloadRecordVideo(service.baseUrl().toString() + "/dvr/gone/1", nullptr);
    finish();
    EXPECT_EQ(toastText(), RecordTexts::kDownloadFailed.arg(404).arg(QStringLiteral("HTTP status 404")));
    KVDownloadRecordManage::downloadRecordVideo(service.baseUrl().toString() + "/dvr/envelope/1", nullptr);
    finish();
    EXPECT_EQ(toastText(), RecordTexts::kDownloadFailed.arg(500).arg(QStringLiteral("文件已过期")));
    EXPECT_FALSE(QFile::exists(AppPaths::cacheDir() + QStringLiteral("/x.mp4")));
    // A nameless answer is no file either, and a signed-out download is refused by the service.
    VeskAppAgent::sharedInstance()->logout();
    KVDownloadRecordManage::downloadMeetingMembersList(QStringLiteral("900000001"), nullptr);
    finish();
    EXPECT_TRUE(toastText().startsWith(QStringLiteral("下载失败："))) << toastText().toStdString();
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(QFile::exists(answer));
    EXPECT_EQ(KVDownloadRecordManage::failureOf(QStringLiteral("/tmp/none/download"), QString())->code, 0);
}

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
