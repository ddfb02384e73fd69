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
class VeskScreenRecord;
class VeskScreenRecordDelegate;
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
        VeskScreenRecordDelegate *recordDelegate = nullptr; // the window: hears the local recorder
    };

    // Makes the local recorder; tests put a fake in while the scope lives.
    using RecorderFactory = std::function<VeskScreenRecord *(QObject *parent)>;
    class RecorderFactoryScope final {
    public:
        explicit RecorderFactoryScope(RecorderFactory factory);
        ~RecorderFactoryScope();
        RecorderFactoryScope(const RecorderFactoryScope &) = delete;
        RecorderFactoryScope &operator=(const RecorderFactoryScope &) = delete;
    };

    MeetingRecording(Ui::MeetingViewController &ui, WindowCalls window, QObject *parent);

    [[nodiscard]] const MeetingRecordingState &state() const { return m_state; }
    [[nodiscard]] MeetingRecordingState &state() { return m_state; }

    // The record button (or sender) was pressed: its state is already the wanted one.
    void startOrStopRecord(VeskButton *sender);
    void stopRecordAction(QObject *sender);

    // The record button's arrow: opens the more menu (screenshot, local recording) above the record
    // button, or closes it.
    void openOrCloseMoreView(VeskButton *sender);
    void closeMoreView();
    // The more menu's "本地录制": starts the local recorder (one at a time) or stops it.
    void screenRecord(bool on);

    // The local recorder's reports.
    void recordStart();
    void recordFail(const QString &message);
    void recordSuccess(const QUrl &fileURL);

private:
    // The local recorder ended: deleted once its report returned.
    void dropRecorder();
    // The notice of a stopped cloud recording, one at a time.
    void showRecordStopAlert();

    Ui::MeetingViewController &m_ui;
    const WindowCalls m_window;
    MeetingRecordingState m_state;
};
