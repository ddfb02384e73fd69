#include "shell/MainWindowViewController.h"

#include "agent/VeskAppAgent.h"
#include "foundation/NotificationCenter.h"
#include "shell/KVCheckVersion.h"
#include "shell/MainPageViewController.h"
#include "shell/ShellLog.h"
#include "shell/ShellStyle.h"
#include "shell/ShellTexts.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/VeskButton.h"

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
    m_userName = ShellStyle::label(QString(), bar, 14, true);
    m_userName->setObjectName(QStringLiteral("userNameLabel"));
    row->addWidget(m_userName);
    row->addStretch(1);
    m_recordsButton = ShellStyle::textButton(ShellTexts::kRecords, bar);
    m_recordsButton->setObjectName(QStringLiteral("recordsButton"));
    m_settingsButton = ShellStyle::textButton(ShellTexts::kSettings, bar);
    m_settingsButton->setObjectName(QStringLiteral("settingsButton"));
    for (VeskButton *later : {m_recordsButton.data(), m_settingsButton.data()}) {
        later->setEnabled(false); // their windows come with their own parts
        later->setToolTip(ShellTexts::kComingLater);
        later->setFixedWidth(88);
    }
    m_signOutButton = ShellStyle::textButton(ShellTexts::kSignOut, bar);
    m_signOutButton->setObjectName(QStringLiteral("signOutButton"));
    m_signOutButton->setFixedWidth(88);
    row->addWidget(m_recordsButton);
    row->addWidget(m_settingsButton);
    row->addWidget(m_signOutButton);
    layout->addWidget(bar);
    layout->addWidget(m_mainPage->view(), 1);
    connect(m_signOutButton, &QAbstractButton::clicked, this, &MainWindowViewController::signOut);
    setView(view);
    // Today's meetings are asked for by whoever shows the window, once it is on screen.
    setUserName(VeskAppAgent::sharedInstance()->myInfo().userName);
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
    m_mainPage->checkPasteboard();
}

void MainWindowViewController::signOut()
{
    qCInfo(lcShell) << "signing out";
    VeskAppAgent::sharedInstance()->logout();
    if (KVPageNavigator *navigator = KVPageNavigator::current())
        navigator->showLoginPage();
}
