// The devices a meeting uses, as the settings window's audio tab and the meeting's pop-up show
// them, on the private sound server; and the device menus by keyboard.
#include "SettingsTestSupport.h"
#include "devices/PulseTestSupport.h"

#include "devices/audio/KVAudioManager.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVDeviceListView.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"

#include <QAbstractButton>
#include <QTest>

namespace {

using namespace PulseTestSupport;

class AudioDevicesInUseTest : public SettingsTest {
protected:
    // The audio tab shown, its lists read and the microphone usable.
    MainSettingAudioPanel *showAudioTab(MainSettingViewController *settings)
    {
        settings->switchTab(2);
        MainSettingAudioPanel *panel = settings->audioPanel();
        EXPECT_TRUE(panel);
        if (panel) {
            EXPECT_TRUE(
                processEventsUntil([panel] { return panel->isAvailable() && !panel->recordDevices().isEmpty(); }));
        }
        return panel;
    }

    // The row of the open menu that holds the keyboard's focus.
    static MoreActionItem *focusedRow() { return qobject_cast<MoreActionItem *>(QApplication::focusWidget()); }
};

} // namespace

TEST_F(AudioDevicesInUseTest, InAMeeting_TheTabAndThePopUpShowAndTickTheMicrophoneInUse_AfterAnotherTab)
{
    KORVI_REQUIRE_PULSE();
    MainSettingViewController *settings = open(true);
    settings->setInteraction(recordingInteraction());
    MainSettingAudioPanel *panel = showAudioTab(settings);
    ASSERT_TRUE(panel);
    MainSettingModel *model = VeskAppAgent::sharedInstance()->settingModel();

    // The sine source chosen by keyboard: the field opens its menu, the arrows walk it, Return picks.
    KVDeviceFieldButton *field = panel->ui().micSelectBtn;
    field->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field, Qt::Key_Space);
    ASSERT_TRUE(panel->selectView());
    ASSERT_TRUE(focusedRow());
    const QList<MoreActionItem *> rows = panel->selectView()->items();
    QTest::keyClick(focusedRow(), Qt::Key_Up);
    EXPECT_EQ(focusedRow(), rows.first()) << "Up from the first row leaves it";
    for (int i = 0; i < rows.size() && focusedRow() &&
                    focusedRow()->associatedObject().value<KVAudioDevice>().uniqueID != kSineSource;
         ++i)
        QTest::keyClick(focusedRow(), Qt::Key_Down);
    ASSERT_TRUE(focusedRow());
    ASSERT_EQ(focusedRow()->associatedObject().value<KVAudioDevice>().uniqueID, kSineSource)
        << "the arrows do not reach the sine source";
    QTest::keyClick(focusedRow(), Qt::Key_Return);
    ASSERT_TRUE(drainMainQueue());
    ASSERT_TRUE(model->currentMicphone());
    const KVAudioDevice chosen = *model->currentMicphone();
    ASSERT_EQ(chosen.uniqueID, kSineSource);
    EXPECT_EQ(blocks.count(QStringLiteral("onMicphoneDeviceChanged")), 1) << "the meeting's engine was not switched";

    // Another tab and back: the engine still captures from the sine source, and so the tab says.
    settings->switchTab(0);
    settings->switchTab(2);
    ASSERT_TRUE(drainMainQueue());
    ASSERT_TRUE(processEventsUntil([panel] { return panel->isAvailable(); }));
    ASSERT_TRUE(drainMainQueue());
    ASSERT_TRUE(model->currentMicphone());
    EXPECT_EQ(model->currentMicphone()->uniqueID, kSineSource) << "the tab put the system default back";
    EXPECT_EQ(panel->ui().micSelectBtn->deviceName(), chosen.displayName());
    panel->ui().micSelectBtn->click();
    ASSERT_TRUE(panel->selectView());
    int ticked = 0;
    for (MoreActionItem *row : panel->selectView()->items()) {
        if (row->isSelect()) {
            ++ticked;
            EXPECT_EQ(row->associatedObject().value<KVAudioDevice>().uniqueID, kSineSource);
        }
    }
    EXPECT_EQ(ticked, 1);
    panel->onOverBtnClick();

    // The meeting's own 选择麦克风 pop-up ticks the same.
    KVAudioSelectView popUp;
    popUp.setIsSpeaker(false);
    popUp.setModel(model);
    const QList<KVAudioDevice> listed = KVAudioManager::recordDevices();
    const int at = popUp.deviceList()->selectedIndex();
    ASSERT_GE(at, 0);
    EXPECT_EQ(listed.at(at).uniqueID, kSineSource);
}

TEST(KVDeviceListViewKeys, ArrowsWalkTheRows_NamesKeepTheirDirectionToThemselves)
{
    QWidget host;
    auto *list = new KVDeviceListView(&host);
    list->resize(300, 3 * KVDeviceListView::kRowHeight);
    const QString reversing = QStringLiteral("Mic \u202Eenoh");
    list->setDevices({QStringLiteral("系统默认"), reversing, QStringLiteral("USB")}, 1);
    host.show();
    QApplication::processEvents();
    list->rowAt(0)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list->rowAt(0), Qt::Key_Down);
    EXPECT_TRUE(list->rowAt(1)->hasFocus());
    QTest::keyClick(list->rowAt(1), Qt::Key_Down);
    QTest::keyClick(list->rowAt(2), Qt::Key_Down);
    EXPECT_TRUE(list->rowAt(2)->hasFocus()) << "Down past the last row";
    QTest::keyClick(list->rowAt(2), Qt::Key_Up);
    EXPECT_TRUE(list->rowAt(1)->hasFocus());

    // The ticked row: the tick, then the name as the system stores it, without its override.
    const QString text = list->rowAt(1)->text();
    EXPECT_TRUE(text.contains(QStringLiteral("Mic enoh"))) << text.toStdString();
    EXPECT_LT(text.indexOf(QStringLiteral("✓")), text.indexOf(QStringLiteral("Mic enoh")));
    EXPECT_EQ(list->rowAt(1)->accessibleName(), QStringLiteral("Mic enoh"));
}
