#pragma once

// Shared pieces of the meeting-window tests: the stand-in service on a free port with the agent
// pointed at it, virtual time, a fake media engine, a signed-in user, and a page navigator that
// records the page switches and hosts the meeting page in a window as the shell does.

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/FakeEngine.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/window/MeetingViewController.h"
#include "uikit/KVAlert.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskToast.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

inline const QString kMyPhone = QStringLiteral("13800000000");
inline const QString kHostPhone = QStringLiteral("13900000000");
inline const QString kRoomId = QStringLiteral("123456789");

// The shell's page switch as the meeting window sees it: records every call and, like the shell,
// shows the meeting page in a reused window and releases it on the way home.
class FakeNavigator final : public QObject, public KVPageNavigator {
public:
    FakeNavigator() { KVPageNavigator::install(this); }
    ~FakeNavigator() override
    {
        releaseMeetingPage();
        if (KVPageNavigator::current() == this)
            KVPageNavigator::install(nullptr);
    }

    [[nodiscard]] qint64 currentPageType() const override { return pageType; }
    void showLoginPage() override
    {
        calls << QStringLiteral("showLoginPage");
        if (onSwitch)
            onSwitch(calls.last());
        MainQueue::async(this, [this] {
            releaseMeetingPage();
            pageType = 0;
        });
    }
    void showMainPage(bool releaseMeetingPage) override
    {
        calls << QStringLiteral("showMainPage %1").arg(releaseMeetingPage);
        if (onSwitch)
            onSwitch(calls.last());
        MainQueue::async(this, [this, releaseMeetingPage] {
            if (window)
                window->window()->hide();
            if (releaseMeetingPage)
                this->releaseMeetingPage();
            pageType = 1;
        });
    }
    void showMeetingPage(bool enterWaitingRoom) override
    {
        calls << QStringLiteral("showMeetingPage %1").arg(enterWaitingRoom);
        openMeetingPage(enterWaitingRoom);
    }
    void enterMeetingRoomFromWaitingRoom() override { calls << QStringLiteral("enterMeetingRoomFromWaitingRoom"); }

    // What the shell's factory does: a new controller in the reused meeting window.
    MeetingViewController *openMeetingPage(bool enterWaitingRoom)
    {
        releaseMeetingPage();
        if (!window)
            window = std::make_unique<MacBaseWindowController>(new QWidget());
        auto *page = new MeetingViewController(enterWaitingRoom);
        meetingPage = page;
        pageType = 2;
        window->setWindowContentViewController(page, QRect(40, 40, 1024, 680));
        page->resetWindowDelegate();
        window->showWindow();
        return page;
    }

    void releaseMeetingPage()
    {
        if (!meetingPage)
            return;
        QPointer<QWidget> view = meetingPage->isViewLoaded() ? meetingPage->view() : nullptr;
        delete meetingPage.data();
        delete view.data();
    }

    QStringList calls;
    qint64 pageType = 1;
    std::function<void(const QString &)> onSwitch;
    std::unique_ptr<MacBaseWindowController> window;
    QPointer<MeetingViewController> meetingPage;
};

class MeetingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.start());
        qputenv("KORVI_DEV_PORT", QByteArray::number(service.port()));
        qunsetenv("KVEnv");
        VeskAppAgent::sharedInstance()->setServerEnvironment(2);
        service.state().addUser(kHostPhone, kHostPhone, QStringLiteral("主持人"), QStringLiteral("token-host"));
        VeskAppAgent::sharedInstance()->setMeetingManager(VeskMeetingManager::initManagerAndSdk());
    }

    void TearDown() override
    {
        navigator.reset();
        VeskToast::dismissToast();
        VeskToast::dismissLoadingToast();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                w->hide();
        }
        processEventsFor(10);
        VeskAppAgent::resetSharedInstance();
        processEventsFor(5);
    }

    // A user the stand-in knows, signed in on the client.
    void signIn(const QString &phone = kMyPhone, const QString &name = QStringLiteral("张三"),
                const QString &userId = QString())
    {
        const QString id = userId.isEmpty() ? phone : userId;
        const QString token = QStringLiteral("token-") + phone;
        service.state().addUser(id, phone, name, token);
        VeskUserModel me;
        me.userId = id;
        me.phoneNumber = phone;
        me.userName = name;
        me.authorization = token;
        VeskAppAgent::sharedInstance()->setMyInfo(me);
    }

    DevRoom &addRoom(const QString &hostUserId = kHostPhone, const QString &name = QStringLiteral("周会"))
    {
        return service.state().addRoom(kRoomId, hostUserId, name);
    }

    // Enters the room through the agent as the home page does; the reply's code.
    qint64 enterRoom()
    {
        bool done = false;
        KVMResponse reply;
        VeskAppAgent::sharedInstance()->joinMeetingRoomWithRoomId(&context, kRoomId, QString(), 1,
                                                                  [&](const KVMResponse &r) {
                                                                      reply = r;
                                                                      done = true;
                                                                  });
        EXPECT_TRUE(processEventsUntil([&] { return done; }));
        if (reply.successed)
            manager()->joinRoomWith(reply.data.value<std::shared_ptr<MeetingInfoModel>>());
        return reply.code;
    }

    // The meeting page joined and in state 2.
    MeetingViewController *openJoinedPage()
    {
        EXPECT_EQ(enterRoom(), 0);
        MeetingViewController *page = navigator->openMeetingPage(false);
        EXPECT_TRUE(processEventsUntil([&] { return manager()->state() == VeskMeetingManager::StateInRoom; }));
        settle();
        return page;
    }

    void settle()
    {
        for (int i = 0; i < 6; ++i) {
            if (manager())
                manager()->waitForQueues();
            drainMainQueue(1);
        }
    }

    [[nodiscard]] static VeskMeetingManager *manager() { return VeskAppAgent::sharedInstance()->meetingManager(); }
    [[nodiscard]] FakeEngine &engine() const { return *engines.engine(); }
    [[nodiscard]] int requestCount(const QString &path) const { return int(service.requestsFor(path).size()); }
    [[nodiscard]] QStringList requestPaths() const
    {
        QStringList out;
        for (const DevRequest &r : service.requests())
            out << r.path;
        return out;
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

    VirtualClockScope clock;
    FakeEngineScope engines;
    DevService service;
    std::unique_ptr<FakeNavigator> navigator = std::make_unique<FakeNavigator>();
    QObject context;
};
