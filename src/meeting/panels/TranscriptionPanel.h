#pragma once

#include <QObject>

#include <functional>

class MacBaseWindowController;
class MeetingPanels;
class TranscriptionViewController;

// The transcription panel and its window: built on first use (the panel also by the first
// transcription message, so its lines stay current while it is closed) and kept for the meeting;
// shown beside the meeting window or beside the floating share bar's more menu.
class TranscriptionPanel final : public QObject {
    Q_OBJECT
public:
    static constexpr double kWidth = 342;
    static constexpr double kHeight = 950;
    static constexpr double kFloatingOffset = 8;

    struct Calls {
        // The panel closed by itself (the applications pop-over's tile goes off).
        std::function<void()> panelDidClose;
    };

    TranscriptionPanel(MeetingPanels &panels, Calls calls);

    TranscriptionViewController *transcriptionView();
    MacBaseWindowController *transcriptionWindow();
    void showOrHiddeTranscriptionWindow(bool show, bool fromFloatingWindow);

private:
    MeetingPanels &m_panels;
    const Calls m_calls;
};
