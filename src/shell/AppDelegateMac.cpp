#include "shell/AppDelegateMac.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "connection/KVImageLoader.h"
#include "meeting/panels/MemberMorePanelView.h"
#include "scheduling/KVDownloadRecordManage.h"
#include "shell/MacWindowsManager.h"
#include "shell/PasteboardWatcher.h"
#include "shell/ShellLog.h"
#include "shell/ShellTexts.h"
#include "shell/SingleInstanceGuard.h"
#include "uikit/KVAccessibility.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QEvent>
#include <QSessionManager>

AppDelegateMac::AppDelegateMac(QString bakedInKVEnv, QString socketPath, QObject *parent)
    : QObject(parent), m_kvEnv(std::move(bakedInKVEnv)), m_socketPath(std::move(socketPath))
{
}

AppDelegateMac::~AppDelegateMac()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
    // The running client's windows and agent go while the application object still exists.
    if (m_guard && m_guard->isPrimary()) {
        MacWindowsManager::resetSharedManager();
        VeskAppAgent::resetSharedInstance();
    }
}

AppDelegateMac::Launch AppDelegateMac::applicationDidFinishLaunching()
{
    m_steps.clear();

    m_guard = std::make_unique<SingleInstanceGuard>(m_socketPath);
    m_steps << QStringLiteral("guard");
    if (m_guard->acquire() == SingleInstanceGuard::Result::HandedOver) {
        m_guard.reset();
        return Launch::HandedOver;
    }
    MacWindowsManager *windows = MacWindowsManager::sharedManager();
    connect(m_guard.get(), &SingleInstanceGuard::activationRequested, windows,
            [windows] { windows->bringCurrentPageToFront(); });

    // Closing windows is ruled by the page (MacWindowsManager), quitting by a running meeting.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QCoreApplication::instance()->installEventFilter(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &session) {
        if (!applicationShouldTerminate())
            session.cancel();
    });
    PasteboardWatcher::sharedWatcher();
    // Before the first window: screen readers meet its buttons and roles as they are meant.
    KVAccessibility::install();
    // The meeting's member-list export saves through the records module's download.
    MemberListExport::install(&KVDownloadRecordManage::downloadMeetingMembersList);

    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    agent->setServerEnvironmentFromKVEnv(m_kvEnv);
    m_steps << QStringLiteral("environment");

    agent->setMeetingManager(VeskMeetingManager::initManagerAndSdk());
    m_steps << QStringLiteral("meetingManager");

    KVImageLoader::sharedLoader()->setRefererHeader(agent->webHost());
    m_steps << QStringLiteral("referer");

    if (agent->isSignedIn()) {
        m_steps << QStringLiteral("homePage");
        windows->showMainPage(false);
    } else {
        m_steps << QStringLiteral("loginPage");
        windows->showLoginPage();
    }
    qCInfo(lcShell) << "started:" << m_steps.join(QStringLiteral(", "));
    return Launch::Running;
}

bool AppDelegateMac::applicationShouldTerminate()
{
    if (MacWindowsManager::sharedManager()->currentPageType() == MacWindowsManager::MeetingPageType) {
        VeskToast::showToast(ShellTexts::kQuitRefusedInMeeting);
        return false;
    }
    return true;
}

bool AppDelegateMac::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && !applicationShouldTerminate()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
