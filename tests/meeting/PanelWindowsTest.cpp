// The transcript, subtitles and the settings page in the meeting window against the stand-in, on
// the virtual clock.

#include "MeetingTestSupport.h"

#include "agent/MainSettingModel.h"
#include "agent/SubtitleSettingModel.h"
#include "agent/engine/FakeEngine.h"
#include "connection/IMMessage.h"
#include "foundation/AppPaths.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/MeetingSettingPage.h"
#include "meeting/panels/MoreItemView.h"
#include "meeting/panels/SubtitlePanel.h"
#include "meeting/panels/SubtitleSettingView.h"
#include "meeting/panels/TranscriptionViewController.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

using namespace std::chrono_literals;

namespace {

const QString kConfigPath = QStringLiteral("/qf/meeting/control/123456789/member/config");
const QString kQueryPath = QStringLiteral("/qf/subtitle/query");
const QString kDownloadPath = QStringLiteral("/qf/subtitle/download");

QString result(const QString &sender, int type, const QString &text, double time = 0)
{
    return QString::fromUtf8(QJsonDocument(QJsonObject{{"senderId", sender},
                                                       {"senderName", QStringLiteral("李四")},
                                                       {"resultType", type},
                                                       {"cnText", text + QStringLiteral("(cn)")},
                                                       {"enText", text + QStringLiteral("(en)")},
                                                       {"cnTextFix", text},
                                                       {"senderTime", time}})
                                 .toJson(QJsonDocument::Compact));
}

IMMessage message(const QStringList &data, qint64 id = 0)
{
    IMMessage m;
    m.type = 3;
    m.msgId = id;
    m.sender = QStringLiteral("mccServer");
    m.data = data;
    return m;
}

class PanelWindowsTest : public MeetingTest {
protected:
    VeskAppAgent *agent() const { return VeskAppAgent::sharedInstance(); }
};

// ---- Transcript ------------------------------------------------------------------------------------

TEST_F(PanelWindowsTest, Transcript_ShownInItsWindowOnly_HistoryKeepsLiveLines_RefreshRunsParksRestarts)
{
    signIn();
    QVariantList older;
    for (int i = 0; i < 49; ++i)
        older << QVariantMap{
            {"senderId", "h"}, {"name", "旧"}, {"content", QString::number(i)}, {"timeStamp", 1000.0 + i}};
    addRoom().extra.insert(QStringLiteral("subtitles"), older);
    MeetingViewController *page = openJoinedPage();
    TranscriptionViewController *panel = page->transcriptionView();
    EXPECT_EQ(page->transcriptionView(), panel);

    const double now = double(QDateTime::currentMSecsSinceEpoch());
    page->transcriptionReceiveMessages(message({result("p1", 0, QStringLiteral("你好"), now)}));
    ASSERT_NE(panel->refreshTimer(), nullptr);
    EXPECT_TRUE(panel->refreshTimer()->isActive());
    clock.clock.advance(500ms);
    EXPECT_TRUE(panel->dataSourceArray().isEmpty()) << "not drawn before it has a window";

    page->showOrHiddeTranscriptionWindow(true, false);
    MacBaseWindowController *window = page->transcriptionWindow();
    EXPECT_EQ(page->transcriptionWindow(), window);
    EXPECT_TRUE(window->window()->isVisible());
    EXPECT_EQ(window->window()->windowTitle(), QStringLiteral("实时转录")) << "a window a screen reader cannot name";
    EXPECT_EQ(window->window()->width(), int(std::lround(342 * page->adjustScale())));
    ASSERT_TRUE(processEventsUntil([&] { return panel->dataSourceArray().size() == 50; }));
    EXPECT_TRUE(panel->didLoadAllPastData());
    EXPECT_EQ(panel->dataSourceArray().first().record.content, QStringLiteral("0"));
    EXPECT_EQ(panel->dataSourceArray().last().record.senderId, QStringLiteral("p1"));

    clock.clock.advance(1000ms);
    EXPECT_FALSE(panel->refreshTimer()->isActive());
    EXPECT_TRUE(panel->refreshTimerIsSuspend());
    const int refreshes = panel->refreshCount();
    clock.clock.advance(5s);
    EXPECT_EQ(panel->refreshCount(), refreshes);
    page->transcriptionReceiveMessages(message({result("p2", 2, QStringLiteral("再见"), now + 10)}));
    EXPECT_EQ(panel->refreshCount(), refreshes + 1) << "a new burst shows at once";
    EXPECT_TRUE(panel->refreshTimer()->isActive());
    EXPECT_EQ(panel->dataSourceArray().last().record.senderId, QStringLiteral("p2"));
    EXPECT_TRUE(window->window()->grab().save(QDir::home().filePath(QStringLiteral("korvi-transcript.png"))));

    // From the floating bar: 8 points right of the more menu's window.
    MoreItemView more;
    more.setGeometry(100, 100, 200, 300);
    more.show();
    page->sharing().state().moreItemViewStorage = &more;
    page->showOrHiddeTranscriptionWindow(true, true);
    EXPECT_EQ(window->window()->frameGeometry().left(), more.frameGeometry().right() + 1 + 8);
    page->sharing().state().moreItemViewStorage = nullptr;

    int hidden = 0;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, TranscriptionViewController::kHiddenNotification,
                                                    [&](const Notification &) { ++hidden; });
    panel->closeButton()->click();
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(window->window()->isVisible());
    EXPECT_EQ(page->transcriptionView(), panel);
}

// The window manager closes the transcription window: the panel is closed as its own button closes it, the
// applications' tile goes off and its next press opens the window again.
TEST_F(PanelWindowsTest, Transcript_ClosedByTheWindowManager_TheTileGoesOff_TheNextPressOpens)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    // The host lets members see the transcript.
    manager()->roomInfo()->openTranslateText = 1;
    manager()->roomInfo()->roomTranscribeStatus = 1;
    page->view()->window()->show();
    ApplicationView *apps = page->applicationView();
    clickAt(page->ui->applicationBtn);
    ASSERT_TRUE(apps->isVisible());
    clickAt(apps->transcriptionButton);
    processEventsFor(5);
    QWidget *window = page->transcriptionWindow()->window();
    ASSERT_TRUE(window->isVisible());
    ASSERT_EQ(apps->transcriptionButton->state(), 1);
    int hidden = 0;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, TranscriptionViewController::kHiddenNotification,
                                                    [&](const Notification &) { ++hidden; });

    // What the platform hands the window when the window manager asks it to close.
    QCloseEvent close;
    QCoreApplication::sendEvent(window->windowHandle(), &close);
    processEventsFor(5);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(apps->transcriptionButton->state(), 0);
    EXPECT_EQ(hidden, 1);

    clickAt(page->ui->applicationBtn);
    ASSERT_TRUE(apps->isVisible());
    clickAt(apps->transcriptionButton);
    processEventsFor(5);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(apps->transcriptionButton->state(), 1);
}

// The transcript at the scale the window has: the meeting window at its smallest (scale 0.72) makes the
// transcription window 246 wide, and every line of text ends inside it; full screen makes both 342 wide again.
TEST_F(PanelWindowsTest, Transcript_WholeLinesAtTheWindowsScale_AndAfterFullScreen)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    QWidget *meeting = page->view()->window();
    meeting->show();
    meeting->resize(1152, 684);
    processEventsFor(5);
    ASSERT_DOUBLE_EQ(page->adjustScale(), 0.72);
    TranscriptionViewController *panel = page->transcriptionView();
    page->showOrHiddeTranscriptionWindow(true, false);
    QWidget *window = page->transcriptionWindow()->window();
    EXPECT_EQ(window->width(), 246);
    const double now = double(QDateTime::currentMSecsSinceEpoch());
    page->transcriptionReceiveMessages(message(
        {result("p1", 2, QStringLiteral("我们下周一上午十点在三号会议室开会讨论第三季度的预算和人员安排请大家准时参加"),
                now),
         result("p2", 2, QStringLiteral("The quarterly figures are in the shared folder, please read them first"),
                now + 1)}));
    clock.clock.advance(500ms);
    ASSERT_TRUE(processEventsUntil([&] { return panel->dataSourceArray().size() >= 2; }));

    // Every line of every row ends inside the row, with the row's margin to spare.
    const auto linesEndInside = [&](int rowWidth) {
        for (const TranscriptLines::Row &row : panel->dataSourceArray()) {
            if (!row.layout)
                return false;
            for (int i = 0; i < row.layout->lineCount(); ++i) {
                const QTextLine line = row.layout->lineAt(i);
                if (52 + line.x() + line.naturalTextWidth() > rowWidth || 52 + line.width() > rowWidth)
                    return false;
            }
        }
        return true;
    };
    const int narrow = panel->tableView()->viewport()->width();
    EXPECT_LE(narrow, 246);
    EXPECT_TRUE(linesEndInside(narrow));
    EXPECT_TRUE(window->grab().save(QDir::home().filePath(QStringLiteral("korvi-transcript-072.png"))));

    page->windowWillEnterFullScreen();
    processEventsFor(5);
    EXPECT_EQ(window->width(), 342);
    const QRect area = meeting->screen()->availableGeometry();
    EXPECT_EQ(window->height(), std::min(950, area.height()));
    EXPECT_TRUE(area.contains(window->geometry()));
    ASSERT_TRUE(processEventsUntil([&] { return panel->tableView()->viewport()->width() > 246; }));
    EXPECT_TRUE(linesEndInside(panel->tableView()->viewport()->width()));
    EXPECT_EQ(panel->dataSourceArray().first().textWidth, 245);
}

// The meeting window moved above the screen's top (as a scaled screen smaller than it centres it):
// 成员 and 实时转录 open whole on the screen's visible area, their titles and close buttons in reach.
TEST_F(PanelWindowsTest, PanelsBesideAMeetingWindowAboveTheScreen_OpenWholeOnTheVisibleArea)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    QWidget *meeting = page->view()->window();
    meeting->show();
    processEventsFor(5);
    const QRect area = meeting->screen()->availableGeometry();
    meeting->move(area.x() - 40, area.y() - 220);
    processEventsFor(5);
    QTest::mouseClick(page->ui->memberListBtn, Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil([&] { return page->panels().state().isMemberListShow; }));
    page->showOrHiddeTranscriptionWindow(true, false);
    processEventsFor(5);
    for (QWidget *panel : {page->panels().state().memberWindow->window(), page->transcriptionWindow()->window()}) {
        const QRect frame = panel->frameGeometry();
        EXPECT_GE(frame.top(), area.top()) << panel->objectName().toStdString() << " reaches above the screen";
        EXPECT_GE(frame.left(), area.left()) << panel->objectName().toStdString();
        if (frame.height() <= area.height()) {
            EXPECT_LE(frame.bottom(), area.bottom()) << panel->objectName().toStdString();
        }
        EXPECT_LE(frame.right(), area.right()) << panel->objectName().toStdString();
    }
}

TEST_F(PanelWindowsTest, Transcript_FullPageThenOlderPage_SearchShowsOnlyTheAnswerForTheFieldsText)
{
    signIn();
    // 60 lines 10 ms apart: a first page of 50 (a full page may have older ones) and 10 older.
    QVariantList older;
    for (int i = 0; i < 60; ++i)
        older << QVariantMap{
            {"senderId", "h"},
            {"name", "旧"},
            {"content", (i % 2 ? QStringLiteral("apple ") : QStringLiteral("banana ")) + QString::number(i)},
            {"timeStamp", 1000.0 + 10 * i}};
    addRoom().extra.insert(QStringLiteral("subtitles"), older);
    MeetingViewController *page = openJoinedPage();
    TranscriptionViewController *panel = page->transcriptionView();
    page->showOrHiddeTranscriptionWindow(true, false);
    ASSERT_TRUE(processEventsUntil([&] { return panel->dataSourceArray().size() == 50; }));
    EXPECT_FALSE(panel->didLoadAllPastData());
    EXPECT_EQ(panel->dataSourceArray().first().record.timeStamp, 1100.0);

    // The older page is asked for before the oldest line shown.
    panel->beginUpRefresh();
    ASSERT_TRUE(processEventsUntil([&] { return panel->dataSourceArray().size() == 60; }));
    EXPECT_EQ(service.requestsFor(kQueryPath).last().param(QStringLiteral("timeStamp")).toDouble(), 1099.0);
    EXPECT_TRUE(panel->didLoadAllPastData());
    EXPECT_EQ(panel->dataSourceArray().first().record.timeStamp, 1000.0);

    const QString searchPath = QStringLiteral("/qf/subtitle/total");
    const auto allApples = [&] {
        return panel->dataSourceArray().size() == 30 &&
               std::all_of(panel->dataSourceArray().cbegin(), panel->dataSourceArray().cend(),
                           [](const TranscriptLines::Row &row) { return row.record.content.startsWith("apple"); });
    };
    QLineEdit *field = panel->searchTextField();
    // The answer for "a" comes after the one for "ap": it never replaces it.
    service.delayNextReply(searchPath, 1000);
    QTest::keyClicks(field, QStringLiteral("a"));
    QTest::keyClicks(field, QStringLiteral("p"));
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(searchPath) == 2 && allApples(); }));
    clock.clock.advance(1000ms);
    ASSERT_TRUE(settleRequests(*agent()->http()));
    EXPECT_EQ(requestCount(searchPath), 2);
    EXPECT_TRUE(allApples());

    // Nor does an answer that comes after the field was emptied.
    service.delayNextReply(searchPath, 1000);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(searchPath) == 3; }));
    clock.clock.advance(1000ms);
    ASSERT_TRUE(settleRequests(*agent()->http()));
    EXPECT_EQ(requestCount(searchPath), 3) << "an emptied field asks nothing";
    EXPECT_TRUE(allApples());

    // Ending the search brings the live list back.
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(panel->searchFlag());
    EXPECT_EQ(panel->dataSourceArray().size(), 60);
}

TEST_F(PanelWindowsTest, Transcript_DownloadPdfOnly_OverwritesAnExistingFile_ADownloadNamedDownloadFails)
{
    signIn();
    addRoom().extra.insert(QStringLiteral("subtitles"),
                           QVariantList{QVariantMap{{"senderId", "h"}, {"content", "第一行"}, {"timeStamp", 1000.0}}});
    MeetingViewController *page = openJoinedPage();
    TranscriptionViewController *panel = page->transcriptionView();
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("记录.pdf"));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    TranscriptionViewController::SaveRequest asked;
    panel->fileChooser = [&](QWidget *, const TranscriptionViewController::SaveRequest &request,
                             std::function<void(QString)> done) {
        asked = request;
        done(folder.filePath(QStringLiteral("记录")));
    };

    const auto cached = [] { return QDir(AppPaths::cacheDir()).entryList(QDir::Files); };
    const QStringList cachedBefore = cached();
    panel->view();
    panel->saveButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return !asked.message.isEmpty(); }));
    EXPECT_EQ(asked.message, QStringLiteral("保存转录文件到本地"));
    EXPECT_EQ(asked.allowedTypes, QStringList{QStringLiteral("pdf")});
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("转录文件保存成功"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_TRUE(old.readAll().startsWith("%PDF"));
    old.close();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    // The download does not stay in the caches folder once saved.
    EXPECT_EQ(cached(), cachedBefore);

    asked = {};
    service.failNextReply(kDownloadPath, DevReply::file("not found", QStringLiteral("download")));
    panel->saveButton()->click();
    ASSERT_TRUE(processEventsUntil(
        [&] { return VeskToast::textOf(VeskToast::currentToast()).startsWith(QStringLiteral("转录文件下载失败：")); }));
    EXPECT_TRUE(asked.message.isEmpty());
    EXPECT_EQ(cached(), cachedBefore);
}

// A transcript whose download never ends: the save button waits for it, and the toast's 取消 stops
// it and leaves nothing in the caches folder.
TEST_F(PanelWindowsTest, Transcript_ADownloadInFlightCanBeCancelled_AndIsNotAskedTwice)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    TranscriptionViewController *panel = page->transcriptionView();
    int chooserCalls = 0;
    panel->fileChooser = [&](QWidget *, const TranscriptionViewController::SaveRequest &,
                             std::function<void(QString)> done) {
        ++chooserCalls;
        done(QString());
    };
    service.failNextReply(kDownloadPath, DevReply::streamed("application/pdf", {}));
    panel->view();
    QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil(
        [&] { return service.requestsFor(kDownloadPath).size() == 1 && !downloadsBeingWritten().isEmpty(); }));
    EXPECT_FALSE(panel->saveButton()->isEnabled());
    QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
    QAbstractButton *cancel = VeskToast::loadingToastButton();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(processEventsUntil([] { return VeskToast::currentLoadingToast() == nullptr; }));
    ASSERT_TRUE(processEventsUntil([] { return downloadsBeingWritten().isEmpty(); }));
    EXPECT_TRUE(panel->saveButton()->isEnabled());
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(service.requestsFor(kDownloadPath).size(), 1);
    EXPECT_EQ(chooserCalls, 0);
}

// ---- Subtitles --------------------------------------------------------------------------------------

TEST_F(PanelWindowsTest, Subtitles_GapFinalsLastOfThree_TenSecondsHide_LanguageAndLevels_ReportOnlyWhenAsked)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    QWidget *box = page->ui->subtitleBKView;
    QTextEdit *text = page->ui->subtitileTextView;
    const auto shown = [&] { return text->toPlainText(); };
    page->showSubtitleViewAction(true);

    page->receiveSubTitle(message({result("p", 0, QStringLiteral("一"))}));
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(shown(), QStringLiteral("\n李四: 一(cn)"));
    clock.clock.advance(500ms);
    page->receiveSubTitle(message({result("p", 0, QStringLiteral("二"))}));
    EXPECT_EQ(shown(), QStringLiteral("\n李四: 一(cn)"));
    clock.clock.advance(200ms);
    page->receiveSubTitle(message({result("p", 2, QStringLiteral("终"))}));
    EXPECT_EQ(shown(), QStringLiteral("\n李四: 一(cn)")) << "finals are never shown";
    page->receiveSubTitle(message({result("p", 0, QStringLiteral("三"))}));
    EXPECT_EQ(shown(), QStringLiteral("\n李四: 三(cn)"));
    clock.clock.advance(700ms);
    page->receiveSubTitle(message({result("a", 1, QStringLiteral("甲")), QStringLiteral("[1]"),
                                   result("b", 1, QStringLiteral("乙")), result("c", 1, QStringLiteral("丙"))}));
    EXPECT_EQ(shown(), QStringLiteral("\n李四: 丙(cn)"));
    // A long one shows its latest words, cut, in a box as high as its lines.
    clock.clock.advance(700ms);
    page->receiveSubTitle(message({result("p", 0, QString(2'000'000, 'x') + QStringLiteral("尾"))}));
    EXPECT_TRUE(shown().endsWith(QStringLiteral("x尾(cn)")));
    const double boxHeight = page->ui->subtitleTextViewHeight->constant();
    EXPECT_EQ(boxHeight, std::ceil(text->document()->size().height()) + 16);
    EXPECT_GE(boxHeight, 3 * 17 + 16) << "several lines";
    EXPECT_TRUE(page->view()->grab().save(QDir::home().filePath(QStringLiteral("korvi-subtitle.png"))));
    clock.clock.advance(9999ms);
    EXPECT_TRUE(box->isVisible());
    clock.clock.advance(1ms);
    EXPECT_FALSE(box->isVisible());

    // The spoken language was reported once a second after joining.
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kConfigPath) == 1; }));
    // The pop-over: the spoken language is reported as it opens and when it is chosen, not on repaint.
    const int reports = requestCount(kConfigPath);
    MeetingBottomButton *button = page->ui->subtitleSettingBtn;
    button->setState(1);
    page->openOrColseSubtitleSettingView(button);
    SubtitleSettingView *popOver = page->subtitleSettingView();
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kConfigPath) == reports + 1; }));
    EXPECT_TRUE(popOver->isVisible());
    EXPECT_EQ(button->state(), 1);
    EXPECT_EQ(popOver->size(), QSize(320, 132));
    popOver->repaint();
    popOver->subtitleENButton()->click();
    popOver->littleFontButton()->click();
    settle();
    EXPECT_EQ(requestCount(kConfigPath), reports + 1);
    EXPECT_EQ(popOver->subtitleENButton()->state(), 1);
    EXPECT_EQ(popOver->subtitleCHButton()->state(), 0);
    SubtitlePanel &subtitles = page->panels().panel<SubtitlePanel>();
    EXPECT_EQ(subtitles.subtitleFont(), 14);
    clock.clock.advance(1s);
    page->receiveSubTitle(message({result("p", 0, QStringLiteral("四"))}));
    EXPECT_EQ(shown(), QStringLiteral("\n李四: 四(en)"));

    SubtitleSettingModel *model = agent()->settingModel()->subtitle();
    model->setSubTitleLevel(1);
    popOver->refreshUI(false);
    EXPECT_EQ(subtitles.subtitleFont(), 16);
    model->setSubTitleLevel(3);
    popOver->refreshUI(false);
    EXPECT_EQ(subtitles.subtitleFont(), 16);
    EXPECT_EQ(popOver->middleFontButton()->state(), 1) << "a level out of range leaves its group";
    EXPECT_EQ(requestCount(kConfigPath), reports + 1);

    service.failNextReply(kConfigPath, DevService::fail(500, QStringLiteral("语言设置失败")));
    popOver->sichuanButton()->click();
    ASSERT_TRUE(processEventsUntil(
        [&] { return VeskToast::textOf(VeskToast::currentToast()) == QStringLiteral("语言设置失败"); }));
    EXPECT_EQ(model->myLanguageType(), 2);

    // Status: a repeated message does nothing; 0 tells participants the transcript stopped.
    VeskToast::dismissToast();
    IMMessage status = message({QStringLiteral(R"({"roomTranscribeStatus":0})")}, 77);
    status.type = 5;
    page->receiveTextTransfer(status);
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("主持人已关闭实时转录"));
    EXPECT_EQ(manager()->roomInfo()->roomTranscribeStatus, 0);
    VeskToast::dismissToast();
    page->receiveTextTransfer(status);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    // An assistant host turned it off with the host: the status changes, no toast.
    manager()->roomInfo()->roomTranscribeStatus = 1;
    manager()->setAsssitantHost(true);
    status.msgId = 78;
    page->receiveTextTransfer(status);
    EXPECT_EQ(manager()->roomInfo()->roomTranscribeStatus, 0);
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    manager()->setAsssitantHost(false);

    page->showSubtitleViewAction(false);
    page->receiveSubTitle(message({result("p", 0, QStringLiteral("五"))}));
    EXPECT_FALSE(box->isVisible());
}

// ---- Settings page ------------------------------------------------------------------------------------

class FakeSettingPage final : public MeetingSettingPage {
public:
    FakeSettingPage() : m_controller(std::make_unique<MacBaseWindowController>(new KVWindow(QRect(0, 0, 400, 300))))
    {
        auto *content = new MacBaseViewController();
        m_controller->setContentViewController(content);
        content->resetWindowDelegate();
        made << this;
    }
    ~FakeSettingPage() override { made.removeAll(this); }
    MacBaseWindowController &windowController() override { return *m_controller; }
    void setInMeeting(bool on) override { inMeeting = on; }
    void setInteraction(std::shared_ptr<KVSettingInteraction> i) override { interaction = std::move(i); }
    void switchTab(qint64 t) override { tab = t; }
    void onMemberChange(const QList<Tile> &, const Tile &, const Tile &) override { ++memberChanges; }

    static inline QList<FakeSettingPage *> made;
    bool inMeeting = false;
    std::shared_ptr<KVSettingInteraction> interaction;
    qint64 tab = -1;
    int memberChanges = 0;

private:
    std::unique_ptr<MacBaseWindowController> m_controller;
};

TEST_F(PanelWindowsTest, SettingsPage_OneWindow_BlocksActOnTheMeeting_ClosingResetsTheButton_ConfigAfterASecond)
{
    MeetingSettingPage::FactoryScope fake([] { return std::make_unique<FakeSettingPage>(); });
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    MainSettingModel *settings = agent()->settingModel();

    page->showSettingPage(1);
    QPointer<QWidget> first = FakeSettingPage::made.last()->windowController().window();
    // The page gets the meeting's tiles as it is made; a member list arriving later adds a call.
    EXPECT_EQ(FakeSettingPage::made.last()->memberChanges, 1);
    page->showSettingPage(2);
    settle();
    ASSERT_EQ(FakeSettingPage::made.size(), 1);
    FakeSettingPage *open = FakeSettingPage::made.first();
    EXPECT_TRUE(!first || !first->isVisible());
    EXPECT_TRUE(open->windowController().window()->isVisible());
    EXPECT_EQ(open->tab, 2);
    EXPECT_TRUE(open->inMeeting);
    EXPECT_EQ(page->ui->settingPageBtn->state(), 1);

    const int switches = engine().callCount(QStringLiteral("switchDevice"));
    KVAudioDevice mic;
    mic.name = QStringLiteral("麦克风A");
    settings->setCurrentMicphone(mic);
    open->interaction->onMicphoneDeviceChanged(settings);
    EXPECT_EQ(engine().calls().last().args, (QVariantList{0, QStringLiteral("麦克风A")}));
    settings->setCurrentSpeaker(KVAudioDevice());
    open->interaction->onSpeakerDeviceChanged(settings);
    EXPECT_EQ(engine().callCount(QStringLiteral("switchDevice")), switches + 1) << "no name, no switch";

    const int reports = requestCount(kConfigPath);
    open->interaction->onSubTitleFontNumer(settings);
    open->interaction->onSubTitleLanguage(settings);
    settle();
    EXPECT_EQ(requestCount(kConfigPath), reports);
    open->interaction->onInputLanguage(settings);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kConfigPath) == reports + 1; }));

    open->windowController().window()->close();
    settle();
    EXPECT_EQ(page->ui->settingPageBtn->state(), 0);
    EXPECT_EQ(page->panels().state().settingPage, nullptr);

    // A second after joining: speaker, microphone, then the spoken language.
    KVAudioDevice speaker;
    speaker.name = QStringLiteral("扬声器B");
    settings->setCurrentSpeaker(speaker);
    const int before = engine().callCount(QStringLiteral("switchDevice"));
    page->handleSettingPageConfig();
    clock.clock.advance(999ms);
    EXPECT_EQ(engine().callCount(QStringLiteral("switchDevice")), before);
    clock.clock.advance(1ms);
    QStringList order;
    for (const FakeEngine::Call &call : engine().calls())
        if (call.name == QLatin1String("switchDevice"))
            order << call.args.value(1).toString();
    EXPECT_EQ(order.mid(order.size() - 2), (QStringList{QStringLiteral("扬声器B"), QStringLiteral("麦克风A")}));
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kConfigPath) == reports + 2; }));

    // The window goes while its settings page is open: the page closes with it.
    page->showSettingPage(6);
    QPointer<QWidget> last = FakeSettingPage::made.last()->windowController().window();
    delete page;
    drainMainQueue();
    EXPECT_TRUE(!last || !last->isVisible());
}

TEST_F(PanelWindowsTest, EndToEnd_ResultsFromTheServiceMergeIntoLinesAndShowAsSubtitles)
{
    signIn();
    addRoom();
    MeetingViewController *page = openJoinedPage();
    page->showSubtitleViewAction(true);
    const double now = double(QDateTime::currentMSecsSinceEpoch());
    const QJsonArray data{result("p1", 0, QStringLiteral("大家"), now),
                          result("p1", 0, QStringLiteral("大家好"), now + 1)};
    ASSERT_EQ(service.sendChannelMessage(kRoomId, {}, {{"type", 3}, {"sender", "mccServer"}, {"data", data}}), 1);
    ASSERT_TRUE(processEventsUntil([&] { return page->transcriptionView()->lines().size() > 0; }));
    EXPECT_EQ(page->transcriptionView()->lines().size(), 1) << "one speaker's temporary results grow one line";
    EXPECT_EQ(page->ui->subtitileTextView->toPlainText(), QStringLiteral("\n李四: 大家好(cn)"));
}

} // namespace
