#pragma once

#include "meeting/window/MeetingViewController.h"
#include "shell/LoginViewController.h"
#include "shell/MainPageViewController.h"
#include "shell/MainWindowViewController.h"
#include "uikit/KVPageNavigator.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class MacBaseViewController;
class MacBaseWindowController;
class ShellWindow;

// The meeting page shown in the meeting window (the meeting window's controller), made only by
// createMeetingPage().
using MeetingPage = MeetingViewController;

// The top level: always one of the login, home and meeting pages. Every switch runs later on
// the main thread and first closes every window. Owns the windows of the three pages; the
// meeting window is made once and reused, its page is made anew for every meeting.
class MacWindowsManager final : public QObject, public KVPageNavigator {
    Q_OBJECT
public:
    enum PageType : qint64 { LoginPage = 0, HomePage = 1, MeetingPageType = 2 };

    static MacWindowsManager *sharedManager();
    // Tests: drops the manager and its windows (the navigator slot is cleared).
    static void resetSharedManager();

    ~MacWindowsManager() override;

    [[nodiscard]] qint64 currentPageType() const override { return m_pageType; }
    void showLoginPage() override;
    void showMainPage(bool releaseMeetingPage) override;
    void showMeetingPage(bool enterWaitingRoom) override;
    void enterMeetingRoomFromWaitingRoom() override;

    // A later start of the program asked for the front: shows the current page's window again.
    void bringCurrentPageToFront();
    // Closes every window now (page switches do this first); keep stays on screen.
    void closeAllWindows(QWidget *keep = nullptr);
    [[nodiscard]] bool isSwitchingPages() const { return m_closingAll; }

    [[nodiscard]] QWidget *loginWindow() const;
    [[nodiscard]] QWidget *homeWindow() const;
    [[nodiscard]] QWidget *meetingWindow() const;
    [[nodiscard]] LoginViewController *loginViewController() const { return m_loginController; }
    [[nodiscard]] MainWindowViewController *mainWindowViewController() const { return m_mainWindowController; }
    [[nodiscard]] MainPageViewController *mainPageViewController() const;
    [[nodiscard]] MeetingPage *meetingPage() const { return m_meetingPage; }

    // What closing the last window on the login page does (QCoreApplication::quit; tests
    // replace it).
    std::function<void()> quitApplication;

private:
    MacWindowsManager();

    // The one place that makes a meeting page.
    [[nodiscard]] static MeetingPage *createMeetingPage();

    void setPageType(qint64 type);
    void dropLoginPage();
    void dropHomePage();
    void releaseMeetingPage();
    void windowClosedByUser(QWidget *closing);
    // The service no longer accepts the sign-in: out of any meeting, signed out, login page.
    void signInExpired(const QString &message);
    [[nodiscard]] bool isShellWindow(const QWidget *window) const;

    qint64 m_pageType = LoginPage;
    bool m_closingAll = false;
    std::unique_ptr<MacBaseWindowController> m_loginWindow;
    QPointer<LoginViewController> m_loginController;
    std::unique_ptr<MacBaseWindowController> m_homeWindow;
    QPointer<MainWindowViewController> m_mainWindowController;
    std::unique_ptr<MacBaseWindowController> m_meetingWindow;
    QPointer<MeetingPage> m_meetingPage;
};
