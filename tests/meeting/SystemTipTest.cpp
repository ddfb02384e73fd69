// The meeting window's warning tips: their rules, the resource monitor's reports, the network and
// audio-only warnings, and one monitor shared by the windows of successive meetings.

#include "DispatchWindowSupport.h"
#include "foundation/KVMCommonUtil.h"
#include "foundation/NotificationCenter.h"
#include "meeting/panels/ApplicationView.h"
#include "meeting/panels/MeetingSettingPage.h"
#include "meeting/window/KVSystemTip.h"
#include "meeting/window/KVSystemTipModel.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"

namespace {

using namespace SystemTipRules;

TEST(SystemTipRulesTest, CpuAndBatteryOncePerMeeting_OnlyWhileNoTipIsShown)
{
    KVSystemTipModel model;
    EXPECT_FALSE(admit(HighCpu, model, {.tipShown = true}));
    EXPECT_FALSE(admit(HighCpu, model, {.notRemindHighCpuAgain = true}));
    EXPECT_TRUE(admit(HighCpu, model, {}));
    EXPECT_FALSE(admit(HighCpu, model, {}));

    EXPECT_FALSE(admit(LowBattery, model, {.tipShown = true}));
    EXPECT_TRUE(admit(LowBattery, model, {}));
    EXPECT_FALSE(admit(LowBattery, model, {}));

    EXPECT_FALSE(admit(4, model, {}));
    EXPECT_FALSE(admit(-1, model, {}));
}

TEST(SystemTipRulesTest, NetworkAndAudioOnlyShareOneIntervalFromTheFirstTipOn)
{
    KVSystemTipModel model;
    // The first tip at time 0 still starts the interval.
    EXPECT_TRUE(admit(PoorNetwork, model, {.now = 0.0}));
    EXPECT_FALSE(admit(PoorNetwork, model, {.now = 299.0}));
    EXPECT_FALSE(admit(OnlyAudio, model, {.tipShown = true, .now = 299.0}));
    EXPECT_TRUE(admit(PoorNetwork, model, {.now = 300.0}));
    EXPECT_FALSE(admit(PoorNetwork, model, {.tipShown = true, .now = 900.0}));
    EXPECT_FALSE(admit(PoorNetwork, model, {.noloogerShowNetWorkPopView = true, .now = 900.0}));
    // The audio-only advice replaces a tip on screen.
    EXPECT_TRUE(admit(OnlyAudio, model, {.tipShown = true, .now = 600.0}));
    EXPECT_DOUBLE_EQ(model.lastBadNetworkTime.value_or(-1), 600.0);
    model.notRemindOnlyAudioWarning = true;
    EXPECT_FALSE(admit(OnlyAudio, model, {.now = 2000.0}));
}

class TabRecordingPage final : public MeetingSettingPage {
public:
    explicit TabRecordingPage(qint64 &tab)
        : m_tab(tab), m_controller(std::make_unique<MacBaseWindowController>(new KVWindow(QRect(0, 0, 400, 300))))
    {
        m_controller->setContentViewController(new MacBaseViewController());
    }
    MacBaseWindowController &windowController() override { return *m_controller; }
    void setInMeeting(bool) override {}
    void setInteraction(std::shared_ptr<KVSettingInteraction>) override {}
    void switchTab(qint64 tab) override { m_tab = tab; }
    void onMemberChange(const QList<Tile> &, const Tile &, const Tile &) override {}

private:
    qint64 &m_tab;
    std::unique_ptr<MacBaseWindowController> m_controller;
};

class SystemTipTest : public DispatchWindowTest {
protected:
    static KVSystemTip *shownTip(MeetingViewController *p)
    {
        const auto tips = p->view()->findChildren<KVSystemTip *>(Qt::FindDirectChildrenOnly);
        return tips.isEmpty() ? nullptr : tips.last();
    }
    static int tipCount(MeetingViewController *p)
    {
        return int(p->view()->findChildren<KVSystemTip *>(Qt::FindDirectChildrenOnly).size());
    }
    void report(double cpu, double battery)
    {
        KVMCommonUtil::sharedInstance().report({cpu, battery});
        drainMainQueue();
    }
    void post(const char *name)
    {
        NotificationCenter::defaultCenter().post(QLatin1String(name));
        drainMainQueue();
    }
    // Closes the tip with its button and lets it fade out.
    void close(VeskButton *button)
    {
        button->click();
        clock.clock.advance(std::chrono::milliseconds(KVSystemTip::kFadeMs));
        drainMainQueue();
    }
};

TEST_F(SystemTipTest, MonitorReports_ThresholdsTipPlaceAndFade_BatteryReadingStops)
{
    join();
    report(90.0, 15.0);
    EXPECT_EQ(shownTip(page), nullptr);

    report(90.1, 100.0);
    KVSystemTip *tip = shownTip(page);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->style(), KVSystemTip::HighCpu);
    EXPECT_EQ(tip->titleLabel->text(), "当前CPU占用率高，建议检查设备状态");
    EXPECT_EQ(tip->size(), QSize(452, 44));
    const QWidget *view = page->view();
    EXPECT_EQ(tip->geometry().right() + 1, view->width() - 10);
    EXPECT_EQ(tip->geometry().bottom() + 1, view->height() - page->ui->bottomView->height() - 10);
    EXPECT_LT(tip->alphaValue(), 0.1);
    clock.clock.advance(300ms);
    EXPECT_DOUBLE_EQ(tip->alphaValue(), 1.0);

    report(1.0, 14.9); // a tip is on screen: the battery waits
    EXPECT_EQ(tipCount(page), 1);
    close(tip->okBtn);
    EXPECT_EQ(shownTip(page), nullptr);

    report(99.0, 100.0); // once per meeting
    EXPECT_EQ(shownTip(page), nullptr);
    ASSERT_TRUE(KVMCommonUtil::sharedInstance().isReadingBattery());
    report(1.0, 14.9);
    tip = shownTip(page);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->style(), KVSystemTip::LowBattery);
    EXPECT_EQ(tip->size(), QSize(286, 44));
    EXPECT_TRUE(tip->notRemindBtn->isHidden());
    EXPECT_FALSE(KVMCommonUtil::sharedInstance().isReadingBattery());
    EXPECT_TRUE(KVMCommonUtil::sharedInstance().isMonitoring()); // the processor is still watched
    close(tip->okBtn);
    report(1.0, 5.0);
    EXPECT_EQ(shownTip(page), nullptr);
}

TEST_F(SystemTipTest, NetworkAndAudioOnlyWarnings_IntervalReplaceOpenAndNotRemind)
{
    join();
    post("MEETINGNETWORKWARNNING");
    KVSystemTip *tip = shownTip(page);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->titleLabel->text(), "当前网络较差建议更换网络");
    EXPECT_EQ(tip->size(), QSize(390, 44));
    close(tip->okBtn);

    clock.clock.advance(299s - 300ms);
    post("MEETINGNETWORKWARNNING");
    post("MEETINGQOSWARNNING");
    EXPECT_EQ(shownTip(page), nullptr);
    clock.clock.advance(1s);
    post("MEETINGNETWORKWARNNING");
    tip = shownTip(page);
    ASSERT_NE(tip, nullptr);
    post("MEETINGQOSWARNNING"); // within 300 s of the network tip
    EXPECT_EQ(shownTip(page), tip);

    clock.clock.advance(300s);
    post("MEETINGQOSWARNNING"); // replaces the network tip
    clock.clock.advance(300ms);
    drainMainQueue();
    ASSERT_EQ(tipCount(page), 1);
    tip = shownTip(page);
    EXPECT_EQ(tip->style(), KVSystemTip::OnlyAudio);
    EXPECT_EQ(tip->size(), QSize(452, 94));
    EXPECT_FALSE(tip->twoLineView->isHidden());
    EXPECT_TRUE(tip->oneLineView->isHidden());
    close(tip->openBtn);
    EXPECT_EQ(page->applicationView()->onlyAudioButton->state(), 1);
    clock.clock.advance(600s);
    post("MEETINGQOSWARNNING"); // taken once, never advised again
    EXPECT_EQ(shownTip(page), nullptr);

    post("MEETINGNETWORKWARNNING");
    ASSERT_NE(shownTip(page), nullptr);
    close(shownTip(page)->notRemindBtn);
    EXPECT_TRUE(manager()->noloogerShowNetWorkPopView());
    clock.clock.advance(600s);
    post("MEETINGNETWORKWARNNING");
    EXPECT_EQ(shownTip(page), nullptr);
    manager()->setNoloogerShowNetWorkPopView(false);

    // The network icon opens the settings on the system-monitor tab.
    qint64 tab = -1;
    MeetingSettingPage::FactoryScope fake([&tab] { return std::make_unique<TabRecordingPage>(tab); });
    page->ui->qosShowButton->click();
    EXPECT_EQ(tab, 6);
    page->hideSettingPage();
}

TEST_F(SystemTipTest, EachWindowGetsTheReports_LeavingPausesTheMonitorAndDropsItsBlock)
{
    join();
    MeetingViewController *first = page;
    // The first page outlives its meeting in its own window; the next one gets a new window.
    std::unique_ptr<MacBaseWindowController> firstWindow = std::move(navigator->window);
    navigator->meetingPage = nullptr;
    ASSERT_TRUE(KVMCommonUtil::sharedInstance().isMonitoring());
    report(99.0, 100.0);
    ASSERT_NE(shownTip(first), nullptr);
    close(shownTip(first)->notRemindBtn);
    EXPECT_TRUE(manager()->notRemindHighCpuAgain());

    first->leaveRoom();
    settle();
    EXPECT_FALSE(KVMCommonUtil::sharedInstance().isMonitoring());
    report(1.0, 5.0);
    EXPECT_EQ(shownTip(first), nullptr);

    ASSERT_EQ(enterRoom(), 0);
    MeetingViewController *next = navigator->openMeetingPage(false);
    settle();
    EXPECT_TRUE(KVMCommonUtil::sharedInstance().isMonitoring());
    report(99.0, 5.0); // the CPU tip stays silenced beyond the meeting
    ASSERT_NE(shownTip(next), nullptr);
    EXPECT_EQ(shownTip(next)->style(), KVSystemTip::LowBattery);
    EXPECT_EQ(shownTip(first), nullptr);

    // A window leaving after a later one began keeps the later one's block.
    KVMCommonUtil util(QStringLiteral("/nonexistent/stat"), QStringLiteral("/nonexistent/ps"));
    int reports = 0;
    const quint64 older = util.beginMonitorCpuUseAge([&](double, double) { ++reports; });
    const quint64 newer = util.beginMonitorCpuUseAge([&](double, double) { reports += 10; });
    EXPECT_FALSE(util.dropMonitorBlock(older));
    util.report({});
    drainMainQueue();
    EXPECT_EQ(reports, 10);
    EXPECT_TRUE(util.dropMonitorBlock(newer));
    util.report({});
    drainMainQueue();
    EXPECT_EQ(reports, 10);

    QPointer<QWidget> firstView = first->view();
    delete first;
    delete firstView.data();
}

} // namespace
