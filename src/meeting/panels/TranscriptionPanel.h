#pragma once

#include <QObject>

class MacBaseWindowController;
class MeetingViewController;
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

    TranscriptionPanel(MeetingViewController *window, QObject *parent);

    TranscriptionViewController *transcriptionView();
    MacBaseWindowController *transcriptionWindow();
    void showOrHiddeTranscriptionWindow(bool show, bool fromFloatingWindow);

private:
    MeetingViewController *m_window;
};
