#pragma once

// The meeting window's recording: the service's cloud recording started and stopped from the record
// button, the notice of a stopped recording, and the local recorder's reports. Built like the
// sharing code: with the window's views (its ui) and the few window calls it needs; it owns the
// recording state.

#include "meeting/window/MeetingWindowState.h"

#include <QObject>

#include <functional>

class QUrl;
class QWidget;
class VeskButton;
namespace Ui {
class MeetingViewController;
}

class MeetingRecording final : public QObject {
    Q_OBJECT
public:
    // What the recording asks of the window it belongs to.
    struct WindowCalls {
        std::function<QWidget *()> view; // the window's view; nullptr before it is loaded
        std::function<bool()> meetingEnded;
        std::function<QWidget *()> moreView; // the tool bar's more view (MeetingMoreView), if made
    };

    MeetingRecording(Ui::MeetingViewController &ui, WindowCalls window, QObject *parent);

    [[nodiscard]] const MeetingRecordingState &state() const { return m_state; }
    [[nodiscard]] MeetingRecordingState &state() { return m_state; }

    // The record button (or sender) was pressed: its state is already the wanted one.
    void startOrStopRecord(VeskButton *sender);
    void stopRecordAction(QObject *sender);

    // The local recorder's reports.
    void recordStart();
    void recordFail(const QString &message);
    void recordSuccess(const QUrl &fileURL);

private:
    // The notice of a stopped cloud recording, one at a time.
    void showRecordStopAlert();

    Ui::MeetingViewController &m_ui;
    const WindowCalls m_window;
    MeetingRecordingState m_state;
};
