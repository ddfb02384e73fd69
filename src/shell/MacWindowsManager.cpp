#include "shell/MacWindowsManager.h"

#include "agent/VeskAppAgent.h"
#include "foundation/MainQueue.h"
#include "shell/FirstPaint.h"
#include "shell/LoginViewController.h"
#include "shell/MainPageViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/ShellLog.h"
#include "shell/ShellTexts.h"
#include "shell/ShellWindow.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
constexpr QSize kLoginSize(400, 560);
constexpr QSize kHomeSize(960, 640);
constexpr QSize kMeetingSize(1024, 680);

std::unique_ptr<MacWindowsManager> &instanceSlot()
{
    static std::unique_ptr<MacWindowsManager> slot;
    return slot;
}

QRect centredOnPrimaryScreen(const QSize &size)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    // A screen smaller than the window (a scaled one) leaves its title bar on it.
    return screen ? KVWindowPlacement::centredIn(screen->availableGeometry(), size) : QRect(QPoint(0, 0), size);
}

// The page shown takes the focus at once: its window active, the control it last had (else its
// first one) focused. A page put into a window Qt already sees as active gets no activation that
// would focus it, and the control that had the focus went with the last page.
void focusPage(QWidget *window)
{
    if (!window || !window->isVisible())
        return;
    window->activateWindow();
    if (QWidget *focus = window->focusWidget(); focus && focus->isVisible() && focus->isEnabled()) {
        focus->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) {
            w->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}

// Toasts, tool tips and menus are not windows of a page.
bool isPageWindow(const QWidget *w)
{
    const Qt::WindowType type = w->windowType();
    return type != Qt::ToolTip && type != Qt::Popup && type != Qt::Desktop && type != Qt::SplashScreen;
}
} // namespace

MacWindowsManager *MacWindowsManager::sharedManager()
{
    auto &slot = instanceSlot();
    if (!slot) {
        slot.reset(new MacWindowsManager());
        KVPageNavigator::install(slot.get());
    }
    return slot.get();
}

void MacWindowsManager::resetSharedManager()
{
    auto &slot = instanceSlot();
    if (slot && KVPageNavigator::current() == slot.get())
        KVPageNavigator::install(nullptr);
    slot.reset();
}

MacWindowsManager::MacWindowsManager() : quitApplication([] { QCoreApplication::quit(); })
{
    connect(VeskAppAgent::sharedInstance(), &VeskAppAgent::signInExpired, this, &MacWindowsManager::signInExpired);
}

MacWindowsManager::~MacWindowsManager()
{
    releaseMeetingPage();
    m_meetingWindow.reset();
    m_homeWindow.reset();
    m_loginWindow.reset();
}

MeetingPage *MacWindowsManager::createMeetingPage()
{
    return new MeetingPage();
}

QWidget *MacWindowsManager::loginWindow() const
{
    return m_loginWindow ? m_loginWindow->window() : nullptr;
}
QWidget *MacWindowsManager::homeWindow() const
{
    return m_homeWindow ? m_homeWindow->window() : nullptr;
}
QWidget *MacWindowsManager::meetingWindow() const
{
    return m_meetingWindow ? m_meetingWindow->window() : nullptr;
}

MainPageViewController *MacWindowsManager::mainPageViewController() const
{
    return m_mainWindowController ? m_mainWindowController->mainPage() : nullptr;
}

bool MacWindowsManager::isShellWindow(const QWidget *window) const
{
    return window && (window == loginWindow() || window == homeWindow() || window == meetingWindow());
}

void MacWindowsManager::setPageType(qint64 type)
{
    if (m_pageType != type)
        qCInfo(lcShell) << "page" << m_pageType << "->" << type;
    m_pageType = type;
}

void MacWindowsManager::closeAllWindows(QWidget *keep)
{
    m_closingAll = true;
    // Other windows first (alerts, panel windows); they may refuse a close, a page
    // switch hides them anyway.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QPointer<QWidget> w : windows) {
        if (!w || !w->isVisible() || !isPageWindow(w) || isShellWindow(w))
            continue;
        w->close();
        if (w && w->isVisible())
            w->hide();
    }
    for (QWidget *w : {loginWindow(), homeWindow(), meetingWindow()}) {
        if (w && w != keep)
            w->hide();
    }
    m_closingAll = false;
}

void MacWindowsManager::showLoginPage()
{
    MainQueue::async(this, [this] {
        closeAllWindows();
        releaseMeetingPage();
        dropHomePage();
        dropLoginPage(); // a fresh form: no number, no count-down of the last user
        auto *window = new ShellWindow(ShellTexts::kLoginWindowTitle);
        window->setFixedSize(kLoginSize);
        window->onClosedByUser = [this, window] { windowClosedByUser(window); };
        m_loginWindow = std::make_unique<MacBaseWindowController>(window);
        m_loginController = new LoginViewController();
        setPageType(LoginPage);
        m_loginWindow->setWindowContentViewController(m_loginController, centredOnPrimaryScreen(kLoginSize));
        m_loginWindow->showWindow();
    });
}

void MacWindowsManager::showMainPage(bool releaseMeetingPage)
{
    MainQueue::async(this, [this, releaseMeetingPage] {
        // The home window goes where the meeting was.
        QRect area;
        if (releaseMeetingPage && meetingWindow() && meetingWindow()->screen())
            area = meetingWindow()->screen()->availableGeometry();
        closeAllWindows();
        if (releaseMeetingPage)
            this->releaseMeetingPage();
        dropLoginPage();
        QRect frame;
        if (!m_homeWindow) {
            // Made once per sign-in: it keeps observing (the waiting room's admission) while a
            // meeting page is shown.
            auto *window = new ShellWindow(ShellTexts::kHomeWindowTitle);
            window->setMinimumSize(kHomeSize);
            window->onClosedByUser = [this, window] { windowClosedByUser(window); };
            m_homeWindow = std::make_unique<MacBaseWindowController>(window);
            m_mainWindowController = new MainWindowViewController();
            // Today's list, the version check and the clipboard wait until the window is on screen.
            FirstPaint::after(window, m_mainWindowController, [controller = m_mainWindowController, window] {
                controller->mainPage()->reloadData();
                connect(window, &ShellWindow::becameActive, controller, [controller] {
                    if (controller)
                        controller->windowDidBecomeKey();
                });
                if (window->isActiveWindow())
                    controller->windowDidBecomeKey();
            });
            frame = centredOnPrimaryScreen(kHomeSize);
        } else {
            m_mainWindowController->reloadData();
            frame = homeWindow()->geometry();
        }
        if (!area.isEmpty())
            frame = KVWindowPlacement::centredIn(area, frame.size());
        setPageType(HomePage);
        if (m_homeWindow->contentViewController() != m_mainWindowController)
            m_homeWindow->setWindowContentViewController(m_mainWindowController, frame);
        else
            homeWindow()->setGeometry(frame);
        m_homeWindow->showWindow();
        // The user comes here to type a meeting number, not to sign out.
        if (MainPageViewController *page = mainPageViewController())
            page->meetingIdField()->textField()->setFocus(Qt::ActiveWindowFocusReason);
    });
}

void MacWindowsManager::showMeetingPage(bool enterWaitingRoom)
{
    MainQueue::async(this, [this, enterWaitingRoom] {
        // The reused window stays on screen: hidden and shown again in one step, the window
        // manager would give it no new activation and the keyboard would reach nothing.
        closeAllWindows(meetingWindow());
        if (!m_meetingWindow) {
            auto *window = new ShellWindow(ShellTexts::kInMeeting);
            window->setMinimumSize(800, 560);
            m_meetingWindow = std::make_unique<MacBaseWindowController>(window);
        }
        const QRect frame = meetingWindow()->isVisible() || meetingWindow()->testAttribute(Qt::WA_WState_Created)
                                ? meetingWindow()->geometry()
                                : centredOnPrimaryScreen(kMeetingSize);
        releaseMeetingPage();
        MeetingPage *page = createMeetingPage();
        page->setEnterWaitingRoom(enterWaitingRoom);
        m_meetingPage = page;
        setPageType(MeetingPageType);
        m_meetingWindow->setWindowContentViewController(page, frame);
        page->resetWindowDelegate();
        m_meetingWindow->showWindow();
        focusPage(meetingWindow());
        dropLoginPage();
    });
}

void MacWindowsManager::enterMeetingRoomFromWaitingRoom()
{
    MainQueue::async(this, [this] {
        if (!m_meetingPage)
            return;
        m_meetingPage->setEnterWaitingRoom(false);
        m_meetingPage->enterMeetingRoomFromWaitingRoom();
        focusPage(meetingWindow());
    });
}

void MacWindowsManager::bringCurrentPageToFront()
{
    QWidget *window = m_pageType == LoginPage ? loginWindow() : m_pageType == HomePage ? homeWindow() : meetingWindow();
    if (!window)
        return;
    // Only the minimised state goes: a maximised or full-screen window comes back as it was.
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void MacWindowsManager::releaseMeetingPage()
{
    if (!m_meetingPage)
        return;
    // The page's view lives in the reused window; it goes with the page.
    QPointer<QWidget> view = m_meetingPage->isViewLoaded() ? m_meetingPage->view() : nullptr;
    delete m_meetingPage.data();
    delete view.data();
}

void MacWindowsManager::dropLoginPage()
{
    if (!m_loginWindow)
        return;
    m_loginWindow->window()->hide();
    // Later: the form may be in the middle of the click that led here.
    m_loginWindow.release()->deleteLater();
    m_loginController = nullptr;
}

void MacWindowsManager::dropHomePage()
{
    if (!m_homeWindow)
        return;
    m_homeWindow->window()->hide();
    m_homeWindow.release()->deleteLater();
    m_mainWindowController = nullptr;
}

void MacWindowsManager::signInExpired(const QString &message)
{
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    if (!agent->isSignedIn())
        return;
    qCInfo(lcShell) << "sign-in no longer valid: signing out";
    // A meeting is torn down first, on the road that ends signed out on the login page.
    if (m_meetingPage && m_pageType == MeetingPageType)
        m_meetingPage->leaveRoomAndLoginOut();
    if (agent->isSignedIn()) {
        agent->logout();
        showLoginPage();
    }
    // After the switch, over the login window.
    MainQueue::async(this,
                     [text = message.isEmpty() ? ShellTexts::kSignInExpired : message] { VeskToast::showToast(text); });
}

void MacWindowsManager::windowClosedByUser(QWidget *closing)
{
    if (m_closingAll || m_pageType != LoginPage)
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        // The closing window is still visible while it closes.
        if (w != closing && w->isVisible() && isPageWindow(w))
            return;
    }
    qCInfo(lcShell) << "last window closed on the login page: quitting";
    if (quitApplication)
        quitApplication();
}
