#pragma once

#include <QList>
#include <QString>

#include <functional>

class MainSettingPanel;
class MainSettingViewController;

namespace MainSettingRules {

// Tab types.
enum Tab : qint64 { General = 0, Video = 1, Audio = 2, Subtitles = 3, Account = 4, About = 5, Monitor = 6 };

} // namespace MainSettingRules

// One tab of the settings window: everything the window needs to offer, make and show it.
struct MainSettingTabRow {
    MainSettingRules::Tab type = MainSettingRules::General;
    QString title;
    bool atHome = true;
    bool inMeeting = true;
    // The interface-file name the panel is loaded by (its class name) and what makes it.
    QString nibName;
    std::function<MainSettingPanel *()> make;
    // Once, when the panel is made: its callbacks.
    std::function<void(MainSettingViewController &, MainSettingPanel &)> wire;
    // Each time the tab shows, after the panel got the model.
    std::function<void(MainSettingViewController &, MainSettingPanel &)> shown;
};

// The table of tabs, in side-bar order. Adding a tab: its type above, its row in the table, its
// panel's files.
struct MainSettingTabs {
    [[nodiscard]] static const QList<MainSettingTabRow> &all();
    // The row of a type, or nullptr.
    [[nodiscard]] static const MainSettingTabRow *row(qint64 type);
};
