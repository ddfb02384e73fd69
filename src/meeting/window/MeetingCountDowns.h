#pragma once

// The meeting window's count-downs. The service keeps the count-down: every client asks it for
// the time left before showing one. The host sets a time in the setter, watches it run in the
// running view and may stop it; everybody else sees the attendee's display. The three views are
// made on first use and kept while the window lives. Built like the recording: with the window's
// views (its ui), its panels (which keep the views and the more menu) and the few window calls it
// needs; it owns the count-down state.

#include "meeting/window/MeetingWindowState.h"

#include <QList>
#include <QObject>

#include <functional>

class HostCountDownStartView;
class HostCountDownView;
class MeetingPanels;
class RespondCountDownView;
class QWidget;
namespace Ui {
class MeetingViewController;
}

class MeetingCountDowns final : public QObject {
    Q_OBJECT
public:
    // What the count-downs ask of the window they belong to.
    struct WindowCalls {
        std::function<QWidget *()> view; // the window's view; nullptr before it is loaded
        std::function<bool()> meetingEnded;
        // The host closed the setter or ended a running count-down for good: the more menu's item
        // and the applications tile go off.
        std::function<void()> countDownClosed;
        // A count-down view was shown, moved (a drag too) or taken away: what lies beside it makes room.
        std::function<void()> countDownPlaced;
    };

    MeetingCountDowns(Ui::MeetingViewController &ui, MeetingPanels &panels, WindowCalls window, QObject *parent);

    [[nodiscard]] const MeetingCountDownState &state() const { return m_state; }

    // The host's setter, centred on the middle view.
    void showHostCountDownView();
    HostCountDownView *hostCountDownView();
    HostCountDownStartView *hostCountStartView();
    RespondCountDownView *respondCountDownView();
    // A count-down runs, or the host's setter is up: a second one may not start.
    [[nodiscard]] bool busy() const;
    // The host's count-down runs in this window.
    [[nodiscard]] bool hostCountDownRunning() const;

    // The service started or stopped a count-down.
    void countDownComming();
    void countDownViewHadEnd();

    // The count-down views shown in the window, for what must not cover them.
    [[nodiscard]] QList<QWidget *> shownViews() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Tells the window whenever the view is placed or the middle view it lies in moves.
    void watch(QWidget *view);
    [[nodiscard]] int countDownTop() const;
    void startHostCountDown(int minutes, int seconds);
    void showHostCountStartView(qint64 seconds);
    void stopHostCountDown(bool closing);
    void showRespondCountDown(qint64 ms);

    Ui::MeetingViewController &m_ui;
    MeetingPanels &m_panels;
    const WindowCalls m_window;
    MeetingCountDownState m_state;
};
