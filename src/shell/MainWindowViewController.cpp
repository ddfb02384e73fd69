#include "shell/MainWindowViewController.h"

#include "agent/VeskAppAgent.h"
#include "foundation/NotificationCenter.h"
#include "settings/MainSettingWindow.h"
#include "shell/KVCheckVersion.h"
#include "shell/MainPageViewController.h"
#include "shell/ShellLog.h"
#include "shell/ShellStyle.h"
#include "shell/ShellTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const QString kUserNameChangedNotification = QStringLiteral("kUserNameChangedNotification");
}

MainWindowViewController::MainWindowViewController(QObject *parent)
    : MacBaseViewController(parent), m_mainPage(new MainPageViewController(this))
{
    NotificationCenter::defaultCenter().addObserver(
        this, kUserNameChangedNotification, [this](const Notification &n) { setUserName(n.object.toString()); });
}

MainWindowViewController::~MainWindowViewController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void MainWindowViewController::loadView()
{
    auto *view = new QWidget();
    ShellStyle::applyWindowLook(view);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QWidget(view);
    bar->setFixedHeight(64);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(24, 12, 24, 12);
    row->setSpacing(12);
    QLabel *brand = ShellStyle::label(QStringLiteral("Korvi"), bar, 18, false, true);
    row->addWidget(brand);
    row->addSpacing(16);
    m_userName = ShellStyle::dataLabel(QString(), bar, 14, true);
    m_userName->setObjectName(QStringLiteral("userNameLabel"));
    row->addWidget(m_userName);
    row->addStretch(1);
    m_homeButton = ShellStyle::textButton(ShellTexts::kHomeTab, bar);
    m_homeButton->setObjectName(QStringLiteral("homeButton"));
    m_recordsButton = ShellStyle::textButton(ShellTexts::kRecords, bar);
    m_recordsButton->setObjectName(QStringLiteral("recordsButton"));
    m_settingsButton = ShellStyle::textButton(ShellTexts::kSettings, bar);
    m_settingsButton->setObjectName(QStringLiteral("settingsButton"));
    m_homeButton->setFixedWidth(88);
    m_recordsButton->setFixedWidth(88);
    m_settingsButton->setFixedWidth(88);
    m_signOutButton = ShellStyle::textButton(ShellTexts::kSignOut, bar);
    m_signOutButton->setObjectName(QStringLiteral("signOutButton"));
    m_signOutButton->setFixedWidth(88);
    row->addWidget(m_homeButton);
    row->addWidget(m_recordsButton);
    row->addWidget(m_settingsButton);
    row->addWidget(m_signOutButton);
    layout->addWidget(bar);
    m_content = new QStackedWidget(view);
    m_content->addWidget(m_mainPage->view());
    layout->addWidget(m_content, 1);
    m_homeButton->setEnabled(false); // the tab shown
    connect(m_homeButton, &QAbstractButton::clicked, this, &MainWindowViewController::showHomePage);
    connect(m_recordsButton, &QAbstractButton::clicked, this, &MainWindowViewController::MainRecordListAction);
    connect(m_signOutButton, &QAbstractButton::clicked, this, &MainWindowViewController::signOut);
    connect(m_settingsButton, &QAbstractButton::clicked, this, &MainWindowViewController::SettingAction);
    setView(view);
    // Today's meetings are asked for by whoever shows the window, once it is on screen.
    setUserName(VeskAppAgent::sharedInstance()->myInfo().userName);
}

void MainWindowViewController::MainRecordListAction()
{
    view();
    if (!m_recordListPage) {
        m_recordListPage = new MainRecordListViewController(this);
        m_content->addWidget(m_recordListPage->view());
    }
    m_content->setCurrentWidget(m_recordListPage->view());
    m_recordsButton->setEnabled(false);
    m_homeButton->setEnabled(true);
    m_homeButton->setFocus();
    m_recordListPage->viewWillAppear();
}

void MainWindowViewController::showHomePage()
{
    view();
    m_content->setCurrentWidget(m_mainPage->view());
    m_homeButton->setEnabled(false);
    m_recordsButton->setEnabled(true);
    m_recordsButton->setFocus();
    m_mainPage->refreshIfDayChanged();
}

void MainWindowViewController::setUserName(const QString &name)
{
    if (!m_userName)
        return;
    m_userName->setText(name);
    m_userName->setAccessibleName(name);
}

void MainWindowViewController::reloadData()
{
    setUserName(VeskAppAgent::sharedInstance()->myInfo().userName);
    m_mainPage->reloadData();
}

void MainWindowViewController::windowDidBecomeKey()
{
    if (!m_checkedVersion) {
        m_checkedVersion = true;
        KVCheckVersion::checkVersionWithShowToast(false);
    }
    m_mainPage->refreshIfDayChanged();
    m_mainPage->checkPasteboard();
}

void MainWindowViewController::SettingAction()
{
    if (m_settingWindow) {
        m_settingWindow->showWindow();
        return;
    }
    m_settingWindow = MainSettingWindow::instantiate();
    m_settingPage = MainSettingWindow::controllerOf(m_settingWindow.get());
    m_settingPage->setInMeeting(false);
    m_settingPage->versionChecker = [](bool showToast) { KVCheckVersion::checkVersionWithShowToast(showToast); };
    QPointer<MainWindowViewController> weak(this);
    m_settingPage->windowShouldCloseBlock = [weak] {
        if (weak)
            weak->dropSettingPage();
        return true;
    };
    m_settingWindow->showWindow();
    vesk::veskCenter(m_settingWindow->window());
}

void MainWindowViewController::dropSettingPage()
{
    m_settingPage = nullptr;
    // The window is still closing: it goes once the close is done.
    if (m_settingWindow)
        m_settingWindow.release()->deleteLater();
}

void MainWindowViewController::signOut()
{
    qCInfo(lcShell) << "signing out";
    VeskAppAgent::sharedInstance()->logout();
    if (KVPageNavigator *navigator = KVPageNavigator::current())
        navigator->showLoginPage();
}
