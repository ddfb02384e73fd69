// The video tab on generated frames: meeting mode, the preview with the tab, choosing, plugging
// and unplugging cameras, availability, mirror and fill, and device events from other threads.
#include "SettingsTestSupport.h"
#include "TestEvents.h"
#include "devices/FrameSupport.h"

#include "devices/VeskDeviceChecker.h"
#include "settings/MainSettingVideoPanel.h"

#include <QTest>

#include <thread>

using namespace FrameSupport;

namespace {

class VideoPanelTest : public SettingsTest {
protected:
    // The video tab of a home window on the fake cameras, shown once.
    MainSettingVideoPanel *showTab(bool inMeeting = false)
    {
        const FrameSupport::MediaReady media;
        useFakeDevicePanels();
        vesk::registerNib(QStringLiteral("MainSettingVideoPanel"), [this]() -> QWidget * {
            auto frames = std::make_unique<FakeFrameSource>();
            source = frames.get();
            source->present = cameras;
            auto *panel = new MainSettingVideoPanel(nullptr, std::move(frames));
            panel->videoManager()->setCameraCheck([this](std::function<void(qint64)> done) { done(cameraCheck); });
            return panel;
        });
        settings = open(inMeeting);
        settings->switchTab(1);
        MainSettingVideoPanel *panel = settings->videoPanel();
        EXPECT_TRUE(drainMainQueue());
        panel->onVideoDeviceChanged = [this](MainSettingVideoPanel *) { ++deviceReports; };
        return panel;
    }
    [[nodiscard]] MainSettingModel *model() const { return VeskAppAgent::sharedInstance()->settingModel(); }

    QList<KVVideoDevice> cameras{camera("cam-a", "Camera A"), camera("cam-b", "Camera B")};
    qint64 cameraCheck = VeskDeviceChecker::Usable;
    FakeFrameSource *source = nullptr;
    MainSettingViewController *settings = nullptr;
    int deviceReports = 0;
};

} // namespace

TEST_F(VideoPanelTest, MeetingModeHidesTheCameraSwitch_ThePreviewRunsOnlyWithTheTab)
{
    MainSettingVideoPanel *panel = showTab(true);
    EXPECT_TRUE(panel->ui().autoCameraOnButton->isHidden());
    EXPECT_TRUE(panel->ui().autoCameraOnLabel->isHidden());
    EXPECT_EQ(panel->videoMirrorTopConst(), 12);
    EXPECT_TRUE(source->isRunning());
    EXPECT_EQ(panel->ui().selectBoxBtn->title(), QStringLiteral("Camera A"));
    EXPECT_EQ(model()->currentCamera()->uniqueID, QStringLiteral("cam-a"));

    settings->switchTab(2);
    EXPECT_FALSE(source->isRunning());
    model()->setVideoMirror(false);
    model()->setVideoFill(true);
    settings->switchTab(1);
    EXPECT_TRUE(source->isRunning());
    EXPECT_FALSE(panel->ui().videoMirrorButton->isChecked());
    EXPECT_TRUE(panel->ui().videoFillButton->isChecked());
    EXPECT_FALSE(panel->videoView()->mirrorMode());
    EXPECT_TRUE(panel->videoView()->fillMode());

    auto home = std::make_unique<MainSettingVideoPanel>(nullptr, std::make_unique<FakeFrameSource>());
    home->setInMeeting(false);
    EXPECT_FALSE(home->ui().autoCameraOnButton->isHidden());
    EXPECT_EQ(home->videoMirrorTopConst(), 48);
}

TEST_F(VideoPanelTest, ChoosingACamera_SwitchesStoresAndReportsOnce)
{
    MainSettingVideoPanel *panel = showTab();
    panel->ui().selectBoxBtn->click();
    MoreActionView *menu = panel->deviceSelectView();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items().size(), 2);
    EXPECT_EQ(menu->height(), 2 * 34 + 8);
    EXPECT_TRUE(menu->items()[0]->isSelect());
    menu->items()[1]->click();
    EXPECT_FALSE(panel->deviceSelectView());
    EXPECT_EQ(source->started.uniqueID, QStringLiteral("cam-b"));
    EXPECT_EQ(model()->currentCamera(), camera("cam-b", "Camera B"));
    EXPECT_EQ(panel->ui().selectBoxBtn->title(), QStringLiteral("Camera B"));
    EXPECT_EQ(deviceReports, 1);
}

TEST_F(VideoPanelTest, MenuOpenedByKeyboard_TakesTheFocus_EscapeClosesItAndGivesTheFocusBack)
{
    MainSettingVideoPanel *panel = showTab();
    panel->window()->activateWindow();
    QApplication::setActiveWindow(panel->window());
    VeskButton *opener = panel->ui().selectBoxBtn;
    opener->setFocus(Qt::TabFocusReason);
    QTest::keyClick(opener, Qt::Key_Space);
    MoreActionView *menu = panel->deviceSelectView();
    ASSERT_TRUE(menu);
    EXPECT_EQ(QApplication::focusWidget(), menu->items()[0]); // the ticked camera
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(panel->deviceSelectView());
    EXPECT_EQ(QApplication::focusWidget(), opener);
}

TEST_F(VideoPanelTest, PlugAndUnplug_KeepTheChoiceWhileListed_ElseTakeTheFirst_AndReportEachTime)
{
    MainSettingVideoPanel *panel = showTab();
    panel->ui().selectBoxBtn->click();
    panel->deviceSelectView()->items()[1]->click();
    deviceReports = 0;

    // Plugged in with the menu open: the choice stays, the menu is rebuilt with three rows.
    panel->ui().selectBoxBtn->click();
    source->replug({camera("cam-a", "Camera A"), camera("cam-b", "Camera B"), camera("cam-c", "Camera C"),
                    camera("cam-d", "Camera D")});
    MoreActionView *menu = panel->deviceSelectView();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->items().size(), 4);
    EXPECT_EQ(menu->height(), 3 * 34 + 8);
    EXPECT_TRUE(menu->items()[1]->isSelect());
    EXPECT_EQ(panel->currentDevice()->uniqueID, QStringLiteral("cam-b"));
    EXPECT_EQ(deviceReports, 1);
    panel->ui().selectBoxBtn->click();

    // The chosen one unplugged: the first is taken, stored and switched to.
    source->replug({camera("cam-a", "Camera A"), camera("cam-c", "Camera C")});
    EXPECT_EQ(panel->currentDevice()->uniqueID, QStringLiteral("cam-a"));
    EXPECT_EQ(model()->currentCamera()->uniqueID, QStringLiteral("cam-a"));
    EXPECT_EQ(source->started.uniqueID, QStringLiteral("cam-a"));
    EXPECT_EQ(panel->ui().selectBoxBtn->title(), QStringLiteral("Camera A"));
    EXPECT_EQ(deviceReports, 2);

    // The last one gone: an empty title, a camera record without id and name, no switch.
    const int starts = source->starts;
    source->replug({});
    EXPECT_FALSE(panel->currentDevice());
    EXPECT_EQ(panel->ui().selectBoxBtn->title(), QString());
    ASSERT_TRUE(model()->currentCamera());
    EXPECT_TRUE(model()->currentCamera()->isEmpty());
    EXPECT_EQ(source->starts, starts);
    EXPECT_EQ(deviceReports, 3);
}

TEST_F(VideoPanelTest, ADeviceEventFromAnotherThread_ChangesTheWidgetsOnTheMainThread)
{
    MainSettingVideoPanel *panel = showTab();
    QThread *mainThread = QThread::currentThread();
    bool reportedOnMain = false;
    panel->onVideoDeviceChanged = [&](MainSettingVideoPanel *) {
        reportedOnMain = QThread::currentThread() == mainThread;
    };
    std::thread platform([this] { source->replug({camera("cam-b", "Camera B")}); });
    platform.join();
    EXPECT_EQ(panel->ui().selectBoxBtn->title(), QStringLiteral("Camera A")) << "nothing changes off the main thread";
    ASSERT_TRUE(drainMainQueue());
    EXPECT_TRUE(reportedOnMain);
    EXPECT_EQ(panel->ui().selectBoxBtn->title(), QStringLiteral("Camera B"));
}

TEST_F(VideoPanelTest, NoUsableCamera_DisablesOnlyTheDropDown)
{
    cameraCheck = VeskDeviceChecker::NoDevice;
    MainSettingVideoPanel *panel = showTab();
    EXPECT_FALSE(panel->ui().selectBoxBtn->isEnabled());
    EXPECT_TRUE(panel->ui().videoMirrorButton->isEnabled());
    EXPECT_TRUE(panel->ui().videoFillButton->isEnabled());
    EXPECT_EQ(toastText(), QStringLiteral("未检测到可用的摄像头，请检查设备是否正常后重试"));
}

TEST_F(VideoPanelTest, MirrorAndFill_ShowTheFrameAsChosenAndReachTheMeeting)
{
    model()->setVideoMirror(false);
    model()->setVideoFill(false);
    MainSettingVideoPanel *panel = showTab();
    settings->setInteraction(recordingInteraction());
    source->picture = halves({200, 50}, Qt::red, Qt::blue);
    panel->stopRunning();
    panel->startRunning();
    CameraPreviewView *view = panel->videoView();
    ASSERT_EQ(view->size(), QSize(400, 225));
    ASSERT_TRUE(processEventsUntil([&] { return view->hasFrame(); }));
    QImage shown = view->grab().toImage();
    EXPECT_TRUE(near(shown.pixelColor(20, 112), Qt::red)) << "as the camera sees it";
    EXPECT_TRUE(near(shown.pixelColor(200, 5), Qt::black)) << "fitted, with bars";

    panel->ui().videoMirrorButton->click();
    panel->ui().videoFillButton->click();
    EXPECT_TRUE(model()->videoMirror());
    EXPECT_TRUE(model()->videoFill());
    shown = view->grab().toImage();
    EXPECT_TRUE(near(shown.pixelColor(20, 112), Qt::blue)) << "the mirror image";
    EXPECT_TRUE(near(shown.pixelColor(20, 5), Qt::blue)) << "filled, no bars";
    EXPECT_EQ(blocks, (QStringList{"onVideoMirror", "onVideoFill"}));
}
