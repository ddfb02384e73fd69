// The settings window as a keyboard and screen-reader user meets it, tab by tab, in a meeting.
#include "SettingsTestSupport.h"

#include "devices/VeskDeviceChecker.h"
#include "settings/KVDeviceFieldButton.h"
#include "settings/KVSettingOptionButton.h"
#include "settings/MainSettingCell.h"
#include "settings/MainSettingSubtitlesPanel.h"
#include "support/AccessibilityWalk.h"
#include "support/DrawnControls.h"

#include <QLabel>

#include <algorithm>

namespace {

using namespace AccessibilityWalk;

class SettingsWalkTest : public SettingsTest {};

// A tab as its user meets it: the audio tab's device fields open once the microphone check and
// the sound server's lists answered (the moment before is the silent server's tests' own).
void showTab(const QWidget *window)
{
    processEventsFor(5);
    processEventsUntil(
        [window] {
            const auto fields = window->findChildren<KVDeviceFieldButton *>();
            return std::all_of(fields.cbegin(), fields.cend(), [](const KVDeviceFieldButton *field) {
                return !field->isVisible() || field->isEnabled();
            });
        },
        10000);
}

// Every tab of the window, as a mouse user sees it: each control drawn in a size of its own, its
// text in a colour of its own. Returns the number of controls checked.
int checkEveryTabDrawn(MainSettingViewController *settings)
{
    int checked = 0;
    for (int row = 0; row < settings->cells().size(); ++row) {
        SCOPED_TRACE(settings->settingItemArray().at(row).title.toStdString());
        EXPECT_TRUE(press(settings->cells().at(row)));
        showTab(settings->window());
        // A toast passes over the controls for a moment; what lies under it is checked.
        VeskToast::dismissToast();
        const DrawnControls::Report report = DrawnControls::check(settings->window());
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        checked += report.checked;
    }
    return checked;
}

TEST_F(SettingsWalkTest, EveryTab_ReachableNamedInItsRoleAndClosedWithEscape)
{
    int total = 0;
    // At home: the account and about tabs the meeting's window lacks.
    MainSettingViewController *home = open(false);
    for (int row = 0; row < home->cells().size(); ++row) {
        SCOPED_TRACE(home->settingItemArray().at(row).title.toStdString());
        ASSERT_TRUE(press(home->cells().at(row)));
        showTab(home->window());
        const Report report = walk(home->window());
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }
    const qsizetype homeTabs = home->cells().size();
    home->window()->close();

    MainSettingViewController *settings = open(true);
    QWidget *window = settings->window();
    for (int row = 0; row < settings->cells().size(); ++row) {
        const qint64 type = settings->settingItemArray().at(row).type;
        SCOPED_TRACE(settings->settingItemArray().at(row).title.toStdString());
        // The side bar's rows are page tabs: choosing one by its action shows its panel.
        MainSettingCell *cell = settings->cells().at(row);
        QAccessibleInterface *tab = QAccessible::queryAccessibleInterface(cell);
        ASSERT_TRUE(tab);
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        ASSERT_TRUE(press(cell));
        showTab(window);
        EXPECT_EQ(settings->currentTab(), type);
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(cell)->state().selected);
        cell->setFocus();
        const Report report = walk(window);
        EXPECT_TRUE(report.faults.isEmpty()) << report.text();
        total += report.checked;
    }

    // The subtitle options are one of a group; the preview's name is the text it shows.
    settings->switchTab(3);
    MainSettingSubtitlesPanel *subtitles = settings->subtitlesPanel();
    ASSERT_TRUE(subtitles);
    const QList<KVSettingOptionButton *> options = subtitles->findChildren<KVSettingOptionButton *>();
    ASSERT_FALSE(options.isEmpty());
    int chosen = 0;
    KVSettingOptionButton *english = nullptr;
    for (KVSettingOptionButton *option : options) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(option);
        EXPECT_EQ(iface->role(), QAccessible::RadioButton);
        chosen += iface->state().checked ? 1 : 0;
        if (option->text() == QStringLiteral("English"))
            english = option;
    }
    EXPECT_EQ(chosen, 3) << "one chosen option per group";
    ASSERT_TRUE(english && press(english));
    QLabel *sample = nullptr;
    for (QLabel *label : subtitles->findChildren<QLabel *>())
        sample = label->text() == QStringLiteral("Example captions") ? label : sample;
    ASSERT_TRUE(sample);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(sample)->text(QAccessible::Name), sample->text());
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(english)->state().checked);

    options.first()->setFocus();
    escape();
    processEventsFor(5);
    EXPECT_FALSE(window->isVisible()) << "Escape leaves the settings window open";
    std::cout << "[ walked ] settings window, " << homeTabs << " tabs at home and " << settings->cells().size()
              << " in a meeting: " << total << " controls checked\n";
}

} // namespace

TEST_F(SettingsWalkTest, EveryTab_EveryControlDrawnInASizeAndAColourOfItsOwn)
{
    // A camera is plugged in, so the video tab's field shows one; the sound server lists its own.
    registerSettingNibs();
    vesk::registerNib(QStringLiteral("MainSettingVideoPanel"), [] {
        auto source = std::make_unique<FrameSupport::FakeFrameSource>();
        source->present = {KVVideoDevice::deviceUniqueID(QStringLiteral("cam-1"), QStringLiteral("HD 摄像头"))};
        source->preferred = source->present.first();
        auto *panel = new MainSettingVideoPanel(nullptr, std::move(source));
        panel->videoManager()->setCameraCheck(
            [](std::function<void(qint64)> done) { done(VeskDeviceChecker::Usable); });
        return panel;
    });
    MainSettingViewController *home = open(false);
    const int atHome = checkEveryTabDrawn(home);
    home->window()->close();

    MainSettingViewController *settings = open(true);
    const int inMeeting = checkEveryTabDrawn(settings);
    std::cout << "[ drawn  ] settings window: " << atHome << " controls at home, " << inMeeting << " in a meeting\n";
}
