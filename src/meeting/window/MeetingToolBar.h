#pragma once

// The meeting window's tool bar: the bottom buttons' dispatch, copying the meeting information,
// full screen, the bars' auto-hide, dragging the window by its background and turning document
// pages by key or swipe. Built like the count-downs: with the window's views (its ui), the
// concerns its buttons drive and the few window calls it needs; it owns the tool bar's state.

#include "meeting/window/MeetingWindowState.h"

#include <QObject>

#include <functional>

class MeetingOwnDevices;
class MeetingPanels;
class MeetingRecording;
class MeetingSharing;
class QKeyEvent;
class QMouseEvent;
class QWidget;
class VeskButton;
namespace Ui {
class MeetingViewController;
}

class MeetingToolBar final : public QObject {
    Q_OBJECT
public:
    // What the tool bar asks of the window it belongs to.
    struct WindowCalls {
        std::function<QWidget *()> view;   // the window's view; nullptr before it is loaded
        std::function<QWidget *()> window; // the top-level window holding the view, or nullptr
        std::function<void(VeskButton *)> showApplicationView;
    };
    // The concerns the buttons drive.
    struct Concerns {
        MeetingPanels &panels;
        MeetingSharing &sharing;
        MeetingRecording &recording;
        MeetingOwnDevices &ownDevices;
    };

    MeetingToolBar(Ui::MeetingViewController &ui, Concerns concerns, WindowCalls window, QObject *parent);

    [[nodiscard]] const MeetingToolBarState &state() const { return m_state; }
    // The top and bottom bars are out of the window.
    [[nodiscard]] bool toolBarsHidden() const { return m_state.toolBarsHidden; }

    // Wires the bar's buttons and the view's pointer tracking; once, after the build.
    void connectButtons();
    void setupTrackingArea();
    // The window's key presses turn pages while the window is on screen.
    void addKeyDownMonitor();
    void removeMonitors();

    void bottomToolButtonClick(VeskButton *sender);
    void roomInfoCopy(QObject *sender);
    void EnterFullScreen(QObject *sender);
    // Dragging the background moves the window.
    void mouseDown(QMouseEvent *event);
    void keyDown(QKeyEvent *event);
    // A swipe on the view: vertical ones turn document pages.
    void swipeWithEvent(double deltaX, double deltaY);
    void mouseEntered();
    void mouseExited();
    // A key pressed in the window: the bars show, and hide again as after the pointer left.
    void keyPressedInWindow();
    // The focus moved: a bar holding it shows and stays.
    void focusChanged(QWidget *old, QWidget *now);
    // The bars come back (a share display asks for them).
    void toolBarShowAction();

private:
    void toolBarHiddenTimerAction();
    void startHideTimer();
    [[nodiscard]] bool barHolds(const QWidget *w) const;
    void setToolBarsShown(bool shown, bool animated);

    Ui::MeetingViewController &m_ui;
    const Concerns m_concerns;
    const WindowCalls m_window;
    MeetingToolBarState m_state;
};
