#pragma once

#include "scheduling/MainRecordListViewController.h"
#include "settings/MainSettingViewController.h"
#include "shell/MainPageViewController.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>
#include <QStackedWidget>

#include <memory>

// The home window's content: the signed-in user's name, the home and records tabs, the settings
// button, sign-out, and below the home page or the records page.
class MainWindowViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    explicit MainWindowViewController(QObject *parent = nullptr);
    ~MainWindowViewController() override;

    [[nodiscard]] MainPageViewController *mainPage() const { return m_mainPage; }

    // Name and today's meetings again (the home page shown after a meeting).
    void reloadData();
    // The window became active: a list of a day gone is fetched again.
    void windowDidBecomeKey();
    // Drops the signed-in user and opens the login page.
    void signOut();
    // The settings button: opens the settings window, or shows the open one again.
    void SettingAction();
    // The records tab: the records page, made on first use and kept, fills the content area.
    void MainRecordListAction();
    // The home tab again (its list fetched again when the day changed meanwhile).
    void showHomePage();
    // The records page once made, else nullptr.
    [[nodiscard]] MainRecordListViewController *recordListPage() const { return m_recordListPage; }
    // The open settings window's content, or nullptr.
    [[nodiscard]] MainSettingViewController *settingPage() const { return m_settingPage; }

    [[nodiscard]] QLabel *userNameLabel() const { return m_userName; }
    [[nodiscard]] VeskButton *homeButton() const { return m_homeButton; }
    [[nodiscard]] VeskButton *recordsButton() const { return m_recordsButton; }
    [[nodiscard]] VeskButton *settingsButton() const { return m_settingsButton; }
    [[nodiscard]] VeskButton *signOutButton() const { return m_signOutButton; }

protected:
    void loadView() override;

private:
    void setUserName(const QString &name);
    void dropSettingPage();

    QPointer<MainPageViewController> m_mainPage;
    QPointer<QLabel> m_userName;
    QPointer<VeskButton> m_homeButton;
    QPointer<VeskButton> m_recordsButton;
    QPointer<QStackedWidget> m_content;
    QPointer<MainRecordListViewController> m_recordListPage;
    QPointer<VeskButton> m_settingsButton;
    QPointer<VeskButton> m_signOutButton;
    bool m_checkedVersion = false;
    std::unique_ptr<MacBaseWindowController> m_settingWindow;
    QPointer<MainSettingViewController> m_settingPage;
};
