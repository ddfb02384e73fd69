#pragma once

// Shared pieces of the meeting-window tests: the stand-in service with a meeting manager (see
// StandInServiceTest), a signed-in user, a room, and a page navigator that records the page
// switches and hosts the meeting page in a window as the shell does.

#include "fixtures/StandInServiceTest.h"
#include "support/AccessibilityWalk.h"

#include "agent/VeskMeetingManager.h"
#include "foundation/MainQueue.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/window/MeetingOwnDevices.h"
#include "meeting/window/MeetingViewController.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskMeetingToast.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QTest>

#include <functional>
#include <memory>

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
        ++pagesOpened;
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
    // Pages are told apart by this count, never by their addresses: a new page may take a deleted one's.
    int pagesOpened = 0;
    std::function<void(const QString &)> onSwitch;
    std::unique_ptr<MacBaseWindowController> window;
    QPointer<MeetingViewController> meetingPage;
};

// The pointer as the user moves it: through the window, which finds the widget under it and tells
// what it enters and leaves. at: in view's coordinates (the view's centre when null).
inline void pointerTo(QWidget *view, QPoint at = {})
{
    QWidget *top = view->window();
    const QPoint target = view->mapTo(top, at.isNull() ? view->rect().center() : at);
    // From somewhere else: a move to where the pointer already is (a case before may have left it there) enters
    // nothing.
    QTest::mouseMove(top->windowHandle(), target + QPoint(target.x() > 0 ? -1 : 1, 0));
    QTest::mouseMove(top->windowHandle(), target);
}
// A click as the user makes it: through the window, reaching whatever lies on top at that point.
inline void clickAt(QWidget *view, QPoint at = {})
{
    QWidget *top = view->window();
    const QPoint inWindow = view->mapTo(top, at.isNull() ? view->rect().center() : at);
    QTest::mouseMove(top->windowHandle(), inWindow);
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow);
}

// The text of the in-meeting tip over view, or "" when none is shown.
inline QString tipText(QWidget *view)
{
    QWidget *tip = view ? VeskMeetingToast::currentTip(view) : nullptr;
    if (!tip)
        return {};
    QStringList texts;
    for (QLabel *l : tip->findChildren<QLabel *>())
        texts << l->text();
    if (auto *self = qobject_cast<QLabel *>(tip))
        texts << self->text();
    return texts.join(QLatin1Char(' '));
}

class MeetingTest : public StandInServiceTest {
protected:
    void SetUp() override
    {
        StandInServiceTest::SetUp();
        VeskAppAgent::sharedInstance()->setMeetingManager(VeskMeetingManager::initManagerAndSdk());
    }

    void TearDown() override
    {
        navigator.reset();
        finishWindows(WindowsAtEnd::Hide);
    }

    // A user the stand-in knows, signed in on the client.
    void signIn(const QString &phone = kMyPhone, const QString &name = QStringLiteral("张三"),
                const QString &userId = QString())
    {
        signInUser(phone, name, userId);
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

    // Joined, shown and the active window, as a keyboard or screen-reader user meets it.
    MeetingViewController *openShownPage()
    {
        MeetingViewController *page = openJoinedPage();
        page->view()->window()->show();
        AccessibilityWalk::activate(page->view()->window());
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
    [[nodiscard]] QStringList requestPaths() const
    {
        QStringList out;
        for (const DevRequest &r : service.requests())
            out << r.path;
        return out;
    }

    std::unique_ptr<FakeNavigator> navigator = std::make_unique<FakeNavigator>();
    QObject context;
};
