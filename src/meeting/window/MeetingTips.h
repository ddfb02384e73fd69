#pragma once

// The meeting window's warning tips: a poor network, the service's suggestion to go audio-only,
// a busy processor and a low battery, at most one on screen, each admitted by the tip rules.
// Built like the recording: with the window's views (its ui) and the few window calls it needs;
// it owns the tips' state and this window's block in the process's resource monitor.

#include "meeting/window/MeetingWindowState.h"

#include <QObject>

#include <functional>

class QWidget;
namespace Ui {
class MeetingViewController;
}

class MeetingTips final : public QObject {
    Q_OBJECT
public:
    // What the tips ask of the window they belong to.
    struct WindowCalls {
        std::function<QWidget *()> view; // the window's view; nullptr before it is loaded
        // The audio-only tip's button: the applications panel's audio-only tile goes on.
        std::function<void()> openOnlyAudio;
        // The tip bar's statistics button: the settings' system-monitor tab.
        std::function<void()> showQosPanel;
    };

    MeetingTips(Ui::MeetingViewController &ui, WindowCalls window, QObject *parent);

    [[nodiscard]] const MeetingTipsState &state() const { return m_state; }

    // The resource monitor reports to this window from now on (an earlier window's block goes).
    void monitoringCpuUseAge();
    // Pauses the monitor and drops this window's block (unless a later window took it).
    void endMonitoringCpuUseAge();
    void meetingNetWorkWarnning();
    void meetingQosWarnning();
    void ShowQosPanelAction(QObject *sender);

private:
    // A SystemTipRules style, when the rules admit it.
    void showSystemTip(int style);
    void hiddenSystemTip();

    Ui::MeetingViewController &m_ui;
    const WindowCalls m_window;
    MeetingTipsState m_state;
};
