#pragma once

// The user's own microphone, camera and speaker in the meeting window, and the host's control of
// them: the tool-bar buttons (a device check before anything opens), the quiet open confirmed a
// moment later, the reports to the service, a host's close, open request and room switches. Built
// like the recording: with the window's views (its ui) and the few window calls it needs; it owns
// the own devices' state.

#include "meeting/window/MeetingWindowState.h"

#include <QObject>

#include <functional>

class KVAlert;
class QWidget;
class VeskButton;
namespace Ui {
class MeetingViewController;
}

class MeetingOwnDevices final : public QObject {
    Q_OBJECT
public:
    // What the own devices ask of the window they belong to.
    struct WindowCalls {
        std::function<QWidget *()> view; // the window's view; nullptr before it is loaded
        std::function<bool()> meetingEnded;
        std::function<qint64()> stateMeeting; // the last room state
        // The room's switches changed: the member list shows them (to those who may change them).
        std::function<void(bool allowed)> allowOpenMicChanged;
        std::function<void()> allowOpenCameraChanged;
    };

    MeetingOwnDevices(Ui::MeetingViewController &ui, WindowCalls window, QObject *parent);

    [[nodiscard]] const MeetingOwnDevicesState &state() const { return m_state; }

    [[nodiscard]] bool isMicOn() const { return m_state.isMicOn; }
    // Also sets microphoneBtn's state (1 on, 0 off).
    void setIsMicOn(bool on);
    [[nodiscard]] bool isCameraOn() const { return m_state.isCameraOn; }
    void setIsCameraOn(bool on) { m_state.isCameraOn = on; }
    // The open-microphone request dialog while it is on screen.
    [[nodiscard]] KVAlert *micOpenRequestAlert() const { return m_state.micOpenRequestAlert.data(); }

    // The tool-bar buttons (or the share tool bar's): their state is already the wanted one.
    void openOrCloseMicrophone(VeskButton *sender);
    void openOrCloseCamera(VeskButton *sender);
    void openOrCloseSpeaker(VeskButton *sender);
    // Applies isMicOn: a quiet open confirmed later, or a close reported a moment later.
    void micphoneChange();
    // Tells the service the microphone's state (a later report supersedes a delayed one).
    void reportMicStatus(bool on);

    // Host control.
    void controlMicWithData(const MeetingControlData &data);
    void controlCameraWithData(const MeetingControlData &data);
    void handleAllowAllowOpenMic(const MeetingControlData &data);
    void handleAllowAllowOpenCamera(const MeetingControlData &data);
    // A close of every microphone that came before the room state, applied once the state is 2
    // (called by the room-state handling; messages arriving in the room apply it too).
    void applyHeldHostControl();

private:
    void openMicOperation();
    void confirmMicOpened();
    void closeAllMicsByHost();
    void closeMyMicByHost(const MeetingControlData &data);
    void showMicOpenRequest(const MeetingControlData &data);
    void justCloseCamera();
    void changeUIBaseAllowOpenMic(bool allow);
    void changeUIBaseAllowOpenCamera(bool allow);

    Ui::MeetingViewController &m_ui;
    const WindowCalls m_window;
    MeetingOwnDevicesState m_state;
};
