#pragma once

#include "shell/MainPageViewController.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>

// The home window's content: the signed-in user's name, the records and settings buttons
// (their windows come later), sign-out, and the home page below.
class MainWindowViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    explicit MainWindowViewController(QObject *parent = nullptr);
    ~MainWindowViewController() override;

    [[nodiscard]] MainPageViewController *mainPage() const { return m_mainPage; }

    // Name and today's meetings again (the home page shown after a meeting).
    void reloadData();
    // The window became active.
    void windowDidBecomeKey();
    // Drops the signed-in user and opens the login page.
    void signOut();

    [[nodiscard]] QLabel *userNameLabel() const { return m_userName; }
    [[nodiscard]] VeskButton *recordsButton() const { return m_recordsButton; }
    [[nodiscard]] VeskButton *settingsButton() const { return m_settingsButton; }
    [[nodiscard]] VeskButton *signOutButton() const { return m_signOutButton; }

protected:
    void loadView() override;

private:
    void setUserName(const QString &name);

    QPointer<MainPageViewController> m_mainPage;
    QPointer<QLabel> m_userName;
    QPointer<VeskButton> m_recordsButton;
    QPointer<VeskButton> m_settingsButton;
    QPointer<VeskButton> m_signOutButton;
    bool m_checkedVersion = false;
};
