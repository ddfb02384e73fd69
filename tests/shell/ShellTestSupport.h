#pragma once

// Shared pieces of the shell tests: the stand-in service (see StandInServiceTest), the shell's
// window manager with its quit counted, and helpers to wait for pages, alerts and toasts.

#include "fixtures/StandInServiceTest.h"

#include "agent/VeskMeetingManager.h"
#include "foundation/UserDefaults.h"
#include "routes/AgentRoutesSupport.h"
#include "shell/MacWindowsManager.h"

#include <QAbstractButton>
#include <QUrl>

// Stands in for the desktop's URL opener (QDesktopServices::setUrlHandler) and records each call.
class UrlOpenRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class ShellTest : public StandInServiceTest {
protected:
    void SetUp() override
    {
        StandInServiceTest::SetUp();
        MacWindowsManager::sharedManager()->quitApplication = [this] { ++quitRequests; };
    }

    void TearDown() override
    {
        MacWindowsManager::resetSharedManager();
        finishWindows(WindowsAtEnd::Close);
    }

    // A user the stand-in knows, stored on the client as signed in (as a previous run leaves it).
    void storeSignedInUser(const QString &phone = kMyPhone, const QString &name = QStringLiteral("张三"))
    {
        signInUser(phone, name);
        VeskAppAgent::sharedInstance()->saveMyInfoToLocal();
    }

    // An open room of another host.
    DevRoom &addRoom(const QString &roomId, const QString &name = QStringLiteral("周会"))
    {
        return service.state().addRoom(roomId, kHostPhone, name);
    }

    // The manager a start-up would make (the join road hands rooms to it).
    void installMeetingManager()
    {
        VeskAppAgent::sharedInstance()->setMeetingManager(VeskMeetingManager::initManagerAndSdk());
    }

    [[nodiscard]] static MacWindowsManager *windows() { return MacWindowsManager::sharedManager(); }

    [[nodiscard]] bool waitForPage(qint64 page)
    {
        return processEventsUntil([page] { return MacWindowsManager::sharedManager()->currentPageType() == page; });
    }

    [[nodiscard]] static bool waitForToast(const QString &text)
    {
        return processEventsUntil([text] { return toastText() == text; });
    }

    [[nodiscard]] static KVAlert *waitForAlert(const QString &objectName)
    {
        KVAlert *found = nullptr;
        processEventsUntil([&] { return (found = visibleAlert(objectName)) != nullptr; });
        return found;
    }

    int quitRequests = 0;
};
