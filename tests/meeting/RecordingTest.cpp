// Cloud recording from the tool bar, the local recorder's reports, and screenshots to files.

#include "DispatchWindowSupport.h"

#include "agent/engine/VeskScreenRecord.h"
#include "foundation/AppPaths.h"
#include "foundation/MainQueue.h"
#include "meeting/window/MeetingMoreView.h"
#include "meeting/window/MeetingRecording.h"
#include "meeting/window/RecordStopAlertView.h"
#include "meeting/window/ScreenShotFile.h"
#include "uikit/KVWorkspace.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {

const QString kOnDvr = QStringLiteral("/qf/meeting/control/123456789/onDvr");
const QString kOffDvr = QStringLiteral("/qf/meeting/control/123456789/offDvr");

class RecordingTest : public DispatchWindowTest {
public:
    enum class Role { Member, Host, Assistant };

protected:
    void joinAs(Role role, int enableRecordStatus)
    {
        join(role == Role::Host);
        DevRoom *devRoom = service.state().room(kRoomId);
        devRoom->flags.insert(QStringLiteral("enableRecordStatus"), enableRecordStatus);
        room()->enableRecordStatus = enableRecordStatus;
        if (role == Role::Assistant) {
            devRoom->member(kMyPhone)->assistant = true;
            manager()->setAsssitantHost(true);
        }
    }

    // Presses the tool bar's record button and waits for the service's answer.
    void pressRecord(const QString &path, int expectedRequests)
    {
        page->ui->recordButton->click();
        ASSERT_TRUE(processEventsUntil([&] { return requestCount(path) == expectedRequests; }));
        // The service has it; its answer must reach the window too.
        ASSERT_TRUE(settleRequests());
    }

    [[nodiscard]] bool recordingOnService() const
    {
        return const_cast<DevService &>(service).state().room(kRoomId)->extra.contains(QStringLiteral("dvrStart"));
    }
    [[nodiscard]] qint64 recordState() const { return page->ui->recordButton->state(); }
    [[nodiscard]] bool banner() const { return page->ui->recordingTipContainer->isVisible(); }
    [[nodiscard]] RecordStopAlertView *notice() const { return page->view()->findChild<RecordStopAlertView *>(); }

    QStringList revealed;
    KVWorkspace::RevealOverrideScope reveal{[this](const QString &path) {
        revealed << path;
        return true;
    }};
};

TEST_F(RecordingTest, RecordButtonStartsAndStopsTheServiceRecording_WithBannerToastsAndNotice)
{
    joinAs(Role::Member, 1);
    EXPECT_FALSE(banner());
    pressRecord(kOnDvr, 1);
    EXPECT_TRUE(recordingOnService());
    EXPECT_EQ(toastText(), QStringLiteral("云录制已开启"));
    EXPECT_TRUE(banner());
    EXPECT_EQ(recordState(), 1);
    EXPECT_FALSE(notice());

    pressRecord(kOffDvr, 1);
    EXPECT_FALSE(recordingOnService());
    EXPECT_EQ(service.state().extra.value(QStringLiteral("recordings")).toList().size(), 1);
    EXPECT_EQ(toastText(), QStringLiteral("云录制已停止"));
    EXPECT_FALSE(banner());
    EXPECT_EQ(recordState(), 0);
    // The notice: 302 x 209 under the top bar, 24 points in from the right, until dismissed.
    RecordStopAlertView *shown = notice();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->geometry(), QRect(page->view()->width() - 24 - 302, page->ui->topView->height() + 10, 302, 209));
    shown->getItButton->click();
    processEventsFor(5);
    EXPECT_FALSE(notice());
}

struct PermissionCase {
    RecordingTest::Role role;
    int enableRecordStatus;
    bool allowed;
};

class RecordPermissionTest : public RecordingTest, public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(RecordPermissionTest, StartNeedsTheRoomsLeaveOrHostRights)
{
    const PermissionCase c = GetParam();
    joinAs(c.role, c.enableRecordStatus);
    page->ui->recordButton->click();
    if (c.allowed) {
        ASSERT_TRUE(processEventsUntil([&] { return recordState() == 1 && banner(); }));
        EXPECT_EQ(requestCount(kOnDvr), 1);
        return;
    }
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(toastText(), QStringLiteral("主持人关闭云录制权限"));
    EXPECT_EQ(recordState(), 0);
    EXPECT_FALSE(banner());
    EXPECT_EQ(requestCount(kOnDvr), 0);
}

INSTANTIATE_TEST_SUITE_P(ByRole, RecordPermissionTest,
                         ::testing::Values(PermissionCase{RecordingTest::Role::Member, 0, false},
                                           PermissionCase{RecordingTest::Role::Member, 1, true},
                                           PermissionCase{RecordingTest::Role::Host, 0, true},
                                           PermissionCase{RecordingTest::Role::Assistant, 0, true}));

TEST_F(RecordingTest, AMemberStopsTheirRecordingAfterTheHostWithdrewTheRight)
{
    joinAs(Role::Member, 1);
    pressRecord(kOnDvr, 1);
    room()->enableRecordStatus = 0;
    pressRecord(kOffDvr, 1);
    EXPECT_FALSE(recordingOnService());
    EXPECT_EQ(recordState(), 0);
    EXPECT_FALSE(banner());
}

TEST_F(RecordingTest, FailedStartStaysOff_FailedStopStaysOn)
{
    joinAs(Role::Member, 1);
    service.failNextReply(kOnDvr, DevService::fail(500, QStringLiteral("录制服务繁忙")));
    pressRecord(kOnDvr, 1);
    EXPECT_EQ(toastText(), QStringLiteral("录制服务繁忙"));
    EXPECT_EQ(recordState(), 0);
    EXPECT_FALSE(banner());
    // Without a message the start fails silently.
    VeskToast::dismissToast();
    service.failNextReply(kOnDvr, DevService::fail(500, QString()));
    pressRecord(kOnDvr, 2);
    EXPECT_EQ(toastText(), QString());
    EXPECT_EQ(recordState(), 0);

    pressRecord(kOnDvr, 3);
    ASSERT_TRUE(banner());
    service.failNextReply(kOffDvr, DevService::fail(500, QStringLiteral("停止失败")));
    pressRecord(kOffDvr, 1);
    EXPECT_EQ(toastText(), QStringLiteral("停止失败"));
    EXPECT_EQ(recordState(), 1);
    EXPECT_TRUE(banner());
    EXPECT_FALSE(notice());
    // A stop without a message says the network failed.
    service.failNextReply(kOffDvr, DevService::fail(500, QString()));
    pressRecord(kOffDvr, 2);
    EXPECT_EQ(toastText(), QStringLiteral("网络不给力，请稍后重试"));
    EXPECT_EQ(recordState(), 1);
    EXPECT_TRUE(recordingOnService());
}

TEST_F(RecordingTest, LocalRecorderReports_MenuFollows_SavedFileShownAfterTheAlert)
{
    join();
    auto *more = new MeetingMoreView(page->view());
    page->recording().state().moreView = more;
    page->recordStart();
    EXPECT_TRUE(more->isRecord());
    EXPECT_EQ(more->recordBtn->state(), 1);
    page->recordFail(QStringLiteral("disk full"));
    EXPECT_FALSE(more->isRecord());
    EXPECT_EQ(tipText(), QStringLiteral("录制失败"));

    page->recordStart();
    ASSERT_TRUE(more->isRecord());
    // A recording that ended by itself (the desktop ended its screen) while the menu stays open.
    page->recordSuccess(QUrl::fromLocalFile(QStringLiteral("/tmp/korvi-record.mov")));
    EXPECT_FALSE(more->isRecord());
    EXPECT_EQ(more->recordBtn->state(), 0);
    KVAlert *alert = visibleAlert(QStringLiteral("recordSavedAlert"));
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), QStringLiteral("录制已结束，视频为您保存到默认路径"));
    EXPECT_TRUE(revealed.isEmpty());
    alert->confirmButton()->click();
    processEventsFor(5);
    EXPECT_EQ(revealed, QStringList{QStringLiteral("/tmp/korvi-record.mov")});
}

TEST_F(RecordingTest, ALocalRecordingsEnd_LeavesTheCloudRecordingsMarkAsTheCloudRecordingIs)
{
    joinAs(Role::Member, 1);
    pressRecord(kOnDvr, 1);
    ASSERT_TRUE(banner());
    page->recordStart();
    page->recordSuccess(QUrl::fromLocalFile(QStringLiteral("/tmp/korvi-record.mov")));
    KVAlert *alert = visibleAlert(QStringLiteral("recordSavedAlert"));
    ASSERT_TRUE(alert);
    QTest::mouseClick(alert->confirmButton(), Qt::LeftButton);
    processEventsFor(5);
    EXPECT_TRUE(recordingOnService());
    EXPECT_TRUE(banner());
    pressRecord(kOffDvr, 1);
    EXPECT_FALSE(banner());
}

// A recorder that records nothing and reports as the real one: at once on start, later on stop.
class FakeRecorder final : public VeskScreenRecord {
public:
    FakeRecorder(QObject *parent, bool fails) : VeskScreenRecord(parent), m_fails(fails) {}
    [[nodiscard]] bool isRecord() const override { return m_on; }
    void start() override
    {
        if (m_on)
            return;
        m_on = !m_fails;
        if (m_fails)
            delegate()->recordFail(QString());
        else
            delegate()->recordStart();
    }
    void stop() override
    {
        MainQueue::async(this, [this] {
            m_on = false;
            delegate()->recordSuccess(QUrl::fromLocalFile(QStringLiteral("/tmp/korvi-local.mp4")));
        });
    }

private:
    bool m_fails;
    bool m_on = false;
};

TEST_F(RecordingTest, LocalRecording_FromTheMenuBesideTheRecordButton_OneAtATime_FreedWhenDone)
{
    join();
    int made = 0;
    bool fails = false;
    QPointer<VeskScreenRecord> last;
    MeetingRecording::RecorderFactoryScope fake([&](QObject *parent) {
        ++made;
        last = new FakeRecorder(parent, fails);
        return last.data();
    });
    const auto more = [&] { return qobject_cast<MeetingMoreView *>(page->recording().state().moreView.data()); };
    page->ui->selectRecordBtn->click();
    ASSERT_TRUE(more() && more()->isVisible());
    EXPECT_EQ(page->ui->selectRecordBtn->state(), 1);

    more()->recordBtn->click();
    ASSERT_TRUE(last && last->isRecord());
    EXPECT_TRUE(more()->isRecord());
    page->recording().screenRecord(true);
    EXPECT_EQ(made, 1) << "one recording at a time";
    more()->recordBtn->click();
    ASSERT_TRUE(processEventsUntil([&] { return visibleAlert(QStringLiteral("recordSavedAlert")) != nullptr; }));
    EXPECT_TRUE(processEventsUntil([&] { return !last; })) << "the finished recorder is freed";

    // One that cannot start: the tip, the switch off, and a new one on the next press.
    fails = true;
    more()->recordBtn->click();
    EXPECT_EQ(tipText(), QStringLiteral("录制失败"));
    EXPECT_FALSE(more()->isRecord());
    EXPECT_TRUE(processEventsUntil([&] { return !last; }));
    more()->recordBtn->click();
    EXPECT_EQ(made, 3);

    page->ui->selectRecordBtn->click();
    EXPECT_FALSE(more());
    EXPECT_EQ(page->ui->selectRecordBtn->state(), 0);
}

TEST_F(RecordingTest, LocalRecording_AScreenReadersToggleStartsAndStopsItAsAClickDoes)
{
    join();
    int made = 0;
    QPointer<VeskScreenRecord> last;
    MeetingRecording::RecorderFactoryScope fake([&](QObject *parent) {
        ++made;
        last = new FakeRecorder(parent, false);
        return last.data();
    });
    const auto act = [](QWidget *w, const QString &action) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        QAccessibleActionInterface *actions = iface ? iface->actionInterface() : nullptr;
        if (!actions || !actions->actionNames().contains(action))
            return false;
        actions->doAction(action);
        return true;
    };
    const auto more = [&] { return qobject_cast<MeetingMoreView *>(page->recording().state().moreView.data()); };
    ASSERT_TRUE(act(page->ui->selectRecordBtn, QAccessibleActionInterface::toggleAction()));
    ASSERT_TRUE(more() && more()->isVisible());

    QAccessibleInterface *local = QAccessible::queryAccessibleInterface(more()->recordBtn);
    ASSERT_TRUE(local->state().checkable);
    ASSERT_TRUE(act(more()->recordBtn, QAccessibleActionInterface::toggleAction()));
    ASSERT_TRUE(last && last->isRecord()) << "the toggle starts the local recording";
    EXPECT_TRUE(local->state().checked);
    EXPECT_EQ(made, 1);
    ASSERT_TRUE(act(more()->recordBtn, QAccessibleActionInterface::toggleAction()));
    ASSERT_TRUE(processEventsUntil([&] { return visibleAlert(QStringLiteral("recordSavedAlert")) != nullptr; }));
    EXPECT_FALSE(local->state().checked);
    visibleAlert(QStringLiteral("recordSavedAlert"))->dismiss();
    ASSERT_TRUE(processEventsUntil([&] { return !last; }));

    // Pressed as any button is, it starts one again.
    ASSERT_TRUE(act(more()->recordBtn, QAccessibleActionInterface::pressAction()));
    ASSERT_TRUE(last && last->isRecord());
    EXPECT_TRUE(local->state().checked);
    EXPECT_EQ(made, 2);
}

// ---- Screenshots ------------------------------------------------------------------------------

QImage picture(const QColor &color)
{
    QImage image(12, 8, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

class ScreenShotTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(folderPath()).removeRecursively(); }
    [[nodiscard]] static QString folderPath()
    {
        return QDir(AppPaths::dataDir()).filePath(QStringLiteral("ScreenShot"));
    }

    QStringList revealed;
    bool revealWorks = true;
    KVWorkspace::RevealOverrideScope reveal{[this](const QString &path) {
        revealed << path;
        return revealWorks;
    }};
};

TEST_F(ScreenShotTest, SavedAsPngNamedByMilliseconds_InAFolderMadeOnFirstUse)
{
    ASSERT_FALSE(QFileInfo::exists(folderPath()));
    MeetingMoreView more;
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    ASSERT_TRUE(more.saveImage(picture(Qt::red)));
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    const QFileInfo file(more.lastSavedPath());
    EXPECT_EQ(file.absolutePath(), QFileInfo(folderPath()).absoluteFilePath());
    EXPECT_EQ(QFileInfo(folderPath()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_EQ(file.suffix(), QStringLiteral("png"));
    bool ok = false;
    const qint64 ms = file.completeBaseName().toLongLong(&ok);
    ASSERT_TRUE(ok);
    EXPECT_GE(ms, before);
    EXPECT_LE(ms, after);
    QImage back(file.absoluteFilePath(), "PNG");
    EXPECT_EQ(back.size(), QSize(12, 8));
    EXPECT_EQ(back.pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(revealed, QStringList{file.absoluteFilePath()});
}

TEST_F(ScreenShotTest, TwoInTheSameMillisecondNeverOverwrite)
{
    const QString first = ScreenShotFile::save(picture(Qt::red), 1700000000123);
    const QString second = ScreenShotFile::save(picture(Qt::green), 1700000000123);
    const QString third = ScreenShotFile::save(picture(Qt::blue), 1700000000123);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("1700000000123.png"));
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("1700000000123-1.png"));
    EXPECT_EQ(QFileInfo(third).fileName(), QStringLiteral("1700000000123-2.png"));
    EXPECT_EQ(QImage(first).pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(QImage(second).pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(QFileInfo(ScreenShotFile::save(picture(Qt::red), 1700000000124)).fileName(),
              QStringLiteral("1700000000124.png"));
}

TEST_F(ScreenShotTest, AWrittenShotIsSavedEvenWhenNoViewerOpens_NothingToCaptureFails)
{
    revealWorks = false;
    QWidget host;
    host.resize(400, 300);
    auto *more = new MeetingMoreView(&host);
    QWidget shot;
    shot.resize(64, 48);
    more->shotWindow = &shot;
    host.show();
    more->screenShotBtn->click();
    EXPECT_EQ(tipText(&host), MeetingMoreView::kShotSaved);
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_EQ(QImage(revealed.first()).size(), QSize(64, 48));
    EXPECT_TRUE(more->saveImage(picture(Qt::red)));

    more->shotWindow = nullptr;
    more->screenShotBtn->click();
    EXPECT_EQ(tipText(&host), MeetingMoreView::kShotFailed);
    EXPECT_EQ(QDir(folderPath()).entryList(QDir::Files).size(), 2);
}

} // namespace
