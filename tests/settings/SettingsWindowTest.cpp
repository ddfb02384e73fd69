// The settings window: rows per mode, tab switching with the camera preview and audio tests,
// forwarding into a meeting, its notifications, the login-device list and its look.
#include "SettingsTestSupport.h"

#include "foundation/NotificationCenter.h"
#include "routes/AgentRoutesSupport.h"
#include "settings/KVDeviceManageCell.h"
#include "settings/KVSettingOptionButton.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>

namespace {

class SettingsWindowTest : public SettingsTest {
protected:
    void setDevices(const QList<qint64> &lastLoginTimes)
    {
        QVariantList devices;
        for (int i = 0; i < lastLoginTimes.size(); ++i)
            devices.append(QVariantMap{{"deviceName", QStringLiteral("设备%1").arg(i)},
                                       {"deviceType", QStringLiteral("linux")},
                                       {"lastLoginTime", lastLoginTimes[i]}});
        service.state().user(kMyPhone)->extra.insert(QStringLiteral("devices"), devices);
    }
    static const inline QString kDevicesPath = QStringLiteral("/qf/client/getHistoryLoginDevice");
};

QList<qint64> rowTypes(const MainSettingViewController *settings)
{
    QList<qint64> out;
    for (const KVMainSettingItem &item : settings->settingItemArray())
        out.append(item.type);
    return out;
}

TEST_F(SettingsWindowTest, Rows_PerModeWithTheGeneralPanelShown)
{
    MainSettingViewController *home = open(false);
    EXPECT_EQ(rowTypes(home), (QList<qint64>{0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(home->cells().size(), 6);
    EXPECT_EQ(home->cells()[5]->accessibleName(), QStringLiteral("关于我们"));
    EXPECT_EQ(home->selectedRow(), 0);
    EXPECT_EQ(home->currentPanel(), home->generalPanel());
    EXPECT_FALSE(home->generalPanel()->inMeeting());
    const auto titleColour = [](MainSettingCell *cell) {
        return cell->titleLabel()->palette().color(cell->titleLabel()->foregroundRole()).name();
    };
    EXPECT_EQ(titleColour(home->cells()[0]), QStringLiteral("#007aff"));
    EXPECT_TRUE(home->cells()[0]->selectBgView()->isVisibleTo(home->cells()[0]));
    EXPECT_EQ(titleColour(home->cells()[1]), QStringLiteral("#333333"));
    EXPECT_FALSE(home->cells()[1]->selectBgView()->isVisibleTo(home->cells()[1]));

    MainSettingViewController *meeting = open(true);
    EXPECT_EQ(rowTypes(meeting), (QList<qint64>{0, 1, 2, 3, 6}));
    EXPECT_EQ(meeting->cells()[4]->accessibleName(), QStringLiteral("系统监控"));
    EXPECT_EQ(meeting->currentPanel(), meeting->generalPanel());
    EXPECT_TRUE(meeting->generalPanel()->inMeeting());
    EXPECT_EQ(titleColour(meeting->cells()[1]), QStringLiteral("#e5e5e5")) << "light titles on the dark side bar";
    EXPECT_EQ(meeting->window()->size(), QSize(780, 520));
}

TEST_F(SettingsWindowTest, SwitchTab_NothingForTheShownTabOrOneTheModeLacks)
{
    MainSettingViewController *home = open(false);
    for (qint64 absent : {6, 9, -1, 0}) {
        home->switchTab(absent);
        EXPECT_EQ(home->currentTab(), 0) << absent;
        EXPECT_EQ(home->currentPanel(), home->generalPanel()) << absent;
        EXPECT_EQ(home->selectedRow(), 0) << absent;
    }
    MainSettingViewController *meeting = open(true);
    for (qint64 absent : {4, 5, 9}) {
        meeting->switchTab(absent);
        EXPECT_EQ(meeting->currentTab(), 0) << absent;
        EXPECT_EQ(meeting->accountAndSecurityPanel(), nullptr);
        EXPECT_EQ(meeting->aboutUsPanel(), nullptr);
    }

    // A click on a row shows its tab; the device list is asked for once, not again for the
    // tab already shown.
    home->cells()[4]->click();
    EXPECT_EQ(home->currentTab(), 4);
    EXPECT_EQ(home->currentPanel(), home->accountAndSecurityPanel());
    EXPECT_EQ(home->selectedRow(), 4);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kDevicesPath) == 1; }));
    ASSERT_TRUE(settleRequests()); // the (empty) list has landed
    home->accountAndSecurityPanel()->modifyButton()->click();
    home->switchTab(4);
    home->cells()[4]->click();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kDevicesPath), 1);
    EXPECT_TRUE(home->accountAndSecurityPanel()->isEditing()) << "the shown panel is left alone";

    // A screen reader's press on a row does what a click does.
    QAccessibleActionInterface *rowActions = QAccessible::queryAccessibleInterface(home->cells()[3])->actionInterface();
    rowActions->doAction(rowActions->actionNames().value(0)); // the action it offers
    ASSERT_TRUE(processEventsUntil([&] { return home->currentTab() == 3; }));
    EXPECT_EQ(home->selectedRow(), 3);

    // Called from outside (the meeting opens a tab), the side bar follows.
    meeting->switchTab(6);
    EXPECT_EQ(meeting->selectedRow(), 4);
    EXPECT_EQ(meeting->currentPanel(), meeting->monitorPanel());
}

TEST_F(SettingsWindowTest, PreviewAndAudioTests_FollowTheTabsAndStopWhenTheWindowCloses)
{
    MainSettingViewController *settings = open(true);
    useFakeDevicePanels();
    settings->switchTab(2);
    EXPECT_TRUE(panelLog.isEmpty()) << panelLog.join(',').toStdString();
    EXPECT_TRUE(settings->audioPanel()->inMeeting());

    settings->switchTab(1);
    EXPECT_EQ(panelLog, (QStringList{"audio:stop", "video:start"}));
    EXPECT_TRUE(settings->videoPanel()->inMeeting());
    panelLog.clear();
    settings->switchTab(2);
    EXPECT_EQ(panelLog, (QStringList{"video:stop"}));
    panelLog.clear();
    settings->switchTab(3);
    EXPECT_EQ(panelLog, (QStringList{"video:stop", "audio:stop"}));

    panelLog.clear();
    settings->switchTab(1);
    panelLog.clear();
    settings->window()->close();
    EXPECT_EQ(panelLog, (QStringList{"video:stop", "audio:stop"}));
}

TEST_F(SettingsWindowTest, Forwarding_ReachesTheMeetingByTheMapping_OnlyWithAnInteraction)
{
    MainSettingViewController *settings = open(true);
    useFakeDevicePanels();
    for (qint64 tab : {1, 2, 3, 0})
        settings->switchTab(tab);
    const auto fireAll = [&] {
        settings->generalPanel()->showCurrentSpeakerButton()->click();
        settings->videoPanel()->onVideoMirror(settings->videoPanel());
        settings->videoPanel()->onVideoFill(settings->videoPanel());
        settings->videoPanel()->onVideoDeviceChanged(settings->videoPanel());
        settings->audioPanel()->onMichoneChanged(settings->audioPanel());
        settings->audioPanel()->onSpeakerChanged(settings->audioPanel());
        settings->subtitlesPanel()->fontSmallButton()->click();
        settings->subtitlesPanel()->subTitleLanguageEnButton()->click();
        settings->subtitlesPanel()->myLanguageSiChuanButton()->click();
    };
    fireAll();
    EXPECT_TRUE(blocks.isEmpty()) << "no interaction: the choices are only stored";
    EXPECT_EQ(settings->settingModel()->subtitle()->myLanguageType(), 2);

    settings->setInteraction(recordingInteraction());
    settings->subtitlesPanel()->fontLargeButton()->click();
    settings->subtitlesPanel()->subTitleLanguageCNButton()->click();
    settings->subtitlesPanel()->myLanguageCnButton()->click();
    blocks.clear();
    fireAll();
    EXPECT_EQ(blocks, (QStringList{"onShowCurrentSpeaker", "onVideoMirror", "onVideoFill", "onVideoDeviceChanged",
                                   "onMicphoneDeviceChanged", "onSpeakerDeviceChanged", "onSubTitleFontNumer",
                                   "onSubTitleLanguage", "onInputLanguage"}));

    // A meeting that leaves a block unset gets nothing for it.
    auto partial = std::make_shared<KVSettingInteraction>();
    partial->onVideoMirror = [this](MainSettingModel *) { blocks.append(QStringLiteral("partial")); };
    settings->setInteraction(partial);
    blocks.clear();
    fireAll();
    EXPECT_EQ(blocks, (QStringList{"partial"}));
}

TEST_F(SettingsWindowTest, CloseNotification_ClosesAHomeWindowThroughItsCloseBlock)
{
    MainSettingViewController *settings = open(false);
    int closeBlockRuns = 0;
    settings->windowShouldCloseBlock = [&] {
        ++closeBlockRuns;
        return true;
    };
    QPointer<QWidget> window = settings->window();
    ASSERT_TRUE(window->isVisible());
    NotificationCenter::defaultCenter().post(QStringLiteral("MainSettingViewControllerNeedCloseNotification"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closeBlockRuns, 1);
}

TEST_F(SettingsWindowTest, RenameNotification_ReFeedsTheAccountPanel)
{
    MainSettingViewController *settings = open(false);
    settings->switchTab(4);
    ASSERT_EQ(settings->accountAndSecurityPanel()->userNameLabel()->text(), QStringLiteral("张三"));
    signIn(QStringLiteral("李四"));
    NotificationCenter::defaultCenter().post(QStringLiteral("kUserNameChangedNotification"), QStringLiteral("李四"));
    EXPECT_TRUE(processEventsUntil(
        [&] { return settings->accountAndSecurityPanel()->userNameLabel()->text() == QStringLiteral("李四"); }));
}

TEST_F(SettingsWindowTest, Devices_InReplyOrderWithTheFirstOfTheLatestCurrent_AskedOncePerWindow)
{
    setDevices({1'700'000'001'000, 1'700'000'003'000, 1'700'000'003'000, 1'700'000'002'000});
    MainSettingViewController *settings = open(false);
    settings->switchTab(4);
    MainSettingAccountAndSecurityPanel *panel = settings->accountAndSecurityPanel();
    const QAbstractItemModel *shown = panel->collectionView()->model();
    ASSERT_TRUE(processEventsUntil([&] { return shown->rowCount() == 4; }));
    QStringList names;
    QList<bool> current;
    for (int row = 0; row < 4; ++row) {
        names.append(shown->index(row, 0).data().toString());
        current.append(shown->index(row, 0).data(Qt::AccessibleTextRole).toString().endsWith("当前设备"));
    }
    EXPECT_EQ(names, (QStringList{"设备0", "设备1", "设备2", "设备3"}));
    EXPECT_EQ(current, (QList<bool>{false, true, false, false}));
    panel->collectionView()->grab(); // the rows draw

    settings->switchTab(5);
    settings->switchTab(4);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kDevicesPath), 1) << "a filled list is not fetched again";
}

TEST_F(SettingsWindowTest, Devices_AFailureToastsLeavesTheListEmptyAndTheNextVisitAsksAgain)
{
    setDevices({1'000});
    MainSettingViewController *settings = open(false);
    service.failNextReply(kDevicesPath, DevService::fail(500, QStringLiteral("服务繁忙")));
    settings->switchTab(4);
    ASSERT_TRUE(processEventsUntil([&] { return toastText() == QStringLiteral("服务繁忙"); }));
    EXPECT_TRUE(settings->accountAndSecurityPanel()->deviceArray().isEmpty());

    service.failNextReply(kDevicesPath, DevService::fail(500, QString()));
    settings->switchTab(5);
    settings->switchTab(4);
    ASSERT_TRUE(processEventsUntil([&] { return toastText() == QStringLiteral("网络不给力，请稍后重试"); }));

    settings->switchTab(5);
    settings->switchTab(4);
    ASSERT_TRUE(processEventsUntil(
        [&] { return settings->accountAndSecurityPanel()->collectionView()->model()->rowCount() == 1; }));
    EXPECT_EQ(requestCount(kDevicesPath), 3);
}

TEST_F(SettingsWindowTest, Look_DarkInAMeetingLightAtHome_AppliedEachTimeTheWindowShows)
{
    MainSettingViewController *home = open(false);
    MainSettingViewController *meeting = open(true);
    const QColor homeBackground = home->window()->palette().color(QPalette::Window);
    const QColor meetingBackground = meeting->window()->palette().color(QPalette::Window);
    EXPECT_GT(homeBackground.lightness(), 200);
    EXPECT_LT(meetingBackground.lightness(), 80);
    EXPECT_GT(meeting->window()->palette().color(QPalette::WindowText).lightness(), 200);

    // Something else changed the look while hidden: showing again puts the mode's look back,
    // and the cache size is read again.
    home->window()->hide();
    home->window()->setPalette(meeting->window()->palette());
    home->generalPanel()->sizeLabel()->setText(QStringLiteral("stale"));
    home->window()->show();
    EXPECT_EQ(home->window()->palette().color(QPalette::Window), homeBackground);
    EXPECT_EQ(home->generalPanel()->sizeLabel()->text(), QStringLiteral("0M"));
}

} // namespace
