#pragma once

#include <QtGlobal>

// The top-level page switch (login, home, meeting). Declared here so windows of
// lower modules (the meeting window, settings) can ask for another page; the
// shell implements it and installs it at start-up.
class KVPageNavigator {
public:
    virtual ~KVPageNavigator() = default;

    // 0 login, 1 home, 2 meeting.
    [[nodiscard]] virtual qint64 currentPageType() const = 0;
    virtual void showLoginPage() = 0;
    // releaseMeetingPage: drop the meeting page and centre the home window on its screen.
    virtual void showMainPage(bool releaseMeetingPage) = 0;
    virtual void showMeetingPage(bool enterWaitingRoom) = 0;
    virtual void enterMeetingRoomFromWaitingRoom() = 0;

    // The installed navigator, or nullptr before start-up installed one (tests install fakes).
    static KVPageNavigator *current() { return slot(); }
    static void install(KVPageNavigator *navigator) { slot() = navigator; }

private:
    static KVPageNavigator *&slot()
    {
        static KVPageNavigator *instance = nullptr;
        return instance;
    }
};
