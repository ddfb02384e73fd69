#pragma once

// Shared pieces of the shell tests: the stand-in service on a free port with the agent in the
// development environment pointed at it, virtual time, a fake media engine, and helpers to find
// windows, alerts and toasts.

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/FakeEngine.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/KVClock.h"
#include "foundation/UserDefaults.h"
#include "routes/AgentRoutesSupport.h"
#include "shell/MacWindowsManager.h"
#include "uikit/KVAlert.h"
#include "uikit/VeskToast.h"

#include <QAbstractButton>
#include <QApplication>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

// Stands in for the desktop's URL opener (QDesktopServices::setUrlHandler) and records each call.
class UrlOpenRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

inline const QString kMyPhone = QStringLiteral("13800000000");
inline const QString kHostPhone = QStringLiteral("13900000000");

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.start());
        qputenv("KORVI_DEV_PORT", QByteArray::number(service.port()));
        qunsetenv("KVEnv");
        VeskAppAgent::sharedInstance()->setServerEnvironment(2);
        MacWindowsManager::sharedManager()->quitApplication = [this] { ++quitRequests; };
        service.state().addUser(kHostPhone, kHostPhone, QStringLiteral("主持人"), QStringLiteral("token-host"));
    }

    void TearDown() override
    {
        MacWindowsManager::resetSharedManager();
        VeskToast::dismissToast();
        VeskToast::dismissLoadingToast();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                w->close();
        }
        processEventsFor(10);
        VeskAppAgent::resetSharedInstance();
        processEventsFor(5);
    }

    // A user the stand-in knows, stored on the client as signed in (as a previous run leaves it).
    void storeSignedInUser(const QString &phone = kMyPhone, const QString &name = QStringLiteral("张三"))
    {
        const QString token = QStringLiteral("token-") + phone;
        service.state().addUser(phone, phone, name, token);
        VeskUserModel me;
        me.userId = phone;
        me.phoneNumber = phone;
        me.userName = name;
        me.authorization = token;
        VeskAppAgent::sharedInstance()->setMyInfo(me);
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

    [[nodiscard]] static QString toastText() { return VeskToast::textOf(VeskToast::currentToast()); }
    [[nodiscard]] static bool waitForToast(const QString &text)
    {
        return processEventsUntil([text] { return toastText() == text; });
    }

    // A visible alert with that object name, or nullptr.
    [[nodiscard]] static KVAlert *visibleAlert(const QString &objectName)
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *alert = qobject_cast<KVAlert *>(w);
            if (alert && alert->isVisible() && alert->objectName() == objectName)
                return alert;
        }
        return nullptr;
    }
    [[nodiscard]] static KVAlert *waitForAlert(const QString &objectName)
    {
        KVAlert *found = nullptr;
        processEventsUntil([&] { return (found = visibleAlert(objectName)) != nullptr; });
        return found;
    }

    [[nodiscard]] int requestCount(const QString &path) const { return int(service.requestsFor(path).size()); }

    VirtualClockScope clock;
    FakeEngineScope engines;
    DevService service;
    int quitRequests = 0;
};
