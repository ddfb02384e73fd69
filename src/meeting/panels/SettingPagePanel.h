#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class KVTimer;
class MeetingSettingPage;
class MeetingViewController;

// The settings window opened from the meeting: one at a time, on a given tab, with the blocks
// through which its changes act on the running meeting; the tool bar's settings button follows
// it. Also the stored settings applied once, a second after joining.
class SettingPagePanel final : public QObject {
    Q_OBJECT
public:
    static constexpr int kConfigDelayMs = 1000;

    SettingPagePanel(MeetingViewController *window, QObject *parent);
    ~SettingPagePanel() override;

    void showSettingPage(int tab);
    void hideSettingPage();
    void handleSettingPageConfig();
    // The window's tiles or shares changed: an open page's system monitor follows them.
    void membersChanged();

    [[nodiscard]] MeetingSettingPage *settingPage() const { return m_page.get(); }

private:
    // Closes the page's window and forgets it (deleted once its close has run).
    void dropPage(bool closeWindow);

    MeetingViewController *m_window;
    std::unique_ptr<MeetingSettingPage> m_page;
    QPointer<KVTimer> m_configTimer;
};
