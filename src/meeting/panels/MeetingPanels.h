#pragma once

// The meeting window's panels and pop-overs. It owns the panels and panel windows the window
// opens (built on first use, kept while the window lives), closes the pop-overs together, and
// registers the panels the window loads by their interface names. A panel's own operations live
// in the panel's class; the controller forwards to it (docs/ARCHITECTURE.md, "Adding a panel").

#include "foundation/KVClock.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSizeF>

#include <array>
#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>
#include <vector>

class KVWindow;
class MacBaseWindowController;
class MeetingViewController;
class QMouseEvent;
class QWidget;
class VeskButton;

class MeetingPanels final : public QObject {
    Q_OBJECT
public:
    // The panels' state the window and the panels read, under the names the panels use.
    struct State {
        QPointer<QWidget> moreView; // MeetingMoreView
        std::unique_ptr<MacBaseWindowController> memberWindow;
        QPointer<QObject> memberListViewController; // MemberListViewController
        bool isMemberListShow = false;
        std::unique_ptr<MacBaseWindowController> transcriptionWindow;
        QPointer<QObject> transcriptionView;   // TranscriptionViewController
        QPointer<QWidget> subtitleSettingView; // SubtitleSettingView
        QPointer<QWidget> applicationView;     // ApplicationView
        QPointer<QObject> settingPage;         // MainSettingViewController
        QPointer<QWidget> videoSelectView;     // KVCameraSelectView
        QPointer<QWidget> audioSelectView;     // KVAudioSelectView
        // Count-downs (lazy getters hostCountDownView, respondCountDownView, hostCountStartView).
        QPointer<QWidget> hostCountDownViewStorage;
        QPointer<QWidget> respondCountDownViewStorage;
        QPointer<QWidget> hostCountStartViewStorage;
        // The transcription permission view.
        QPointer<QWidget> allowMeetingRecordView;
        QPointer<VeskButton> openTranscribeCheckBtn;
        QPointer<VeskButton> allowMemberViewRecordBtn;
        // Subtitles.
        int subtitleFont = 0;     // font size choice
        int subtitleLanguage = 0; // 0 Chinese text, other English text
        double lastShowTime = 0;  // ms of the last partial subtitle
        QPointer<KVTimer> hideSubtitleViewTimer;
        bool showSubtitleView = false;
    };

    // The pop-overs, in the order they close.
    enum class PopOverSlot { SubtitleSetting, AudioSelect, VideoSelect, ShareBottomPanel, Application, Count };

    // A pop-over: its view while it exists (nullptr: none to close), and how it closes.
    struct PopOver {
        std::function<QWidget *()> view;
        std::function<void()> close;
    };

    explicit MeetingPanels(MeetingViewController *window);
    ~MeetingPanels() override;

    // Registers the panels the window loads by name (vesk::loadViewFromNibWithName). Called by the
    // build; explicit, so a panel that no code names is never left out by the linker. Calling it
    // again changes nothing.
    static void registerPanels();

    // The panel room of class T, built on first use as T(window, this) and kept while the window
    // lives.
    template <class T> T &panel();

    // The window installs how each pop-over closes; a panel that must do more on closing may
    // replace its own slot.
    void setPopOver(PopOverSlot slot, PopOver popOver);
    // Closes every pop-over except view (nullptr: all of them), in slot order; one that does not
    // exist is skipped.
    void hideOtherOverViewsExceptView(QWidget *view);
    // A press anywhere in the window closes the pop-overs it is not in.
    void handleFullScreenMouseDown(QMouseEvent *event);

    // Floating windows (KVWindow, closed with the meeting window). Centred under view (nullptr: the
    // meeting view), its top adjustY below the view's bottom edge. A negative adjustY moves it up.
    void showFloatingWindowAtView(QWidget *view, QWidget *contentView, const QSizeF &contentViewSize, double adjustX,
                                  double adjustY);
    // Just right of the screen rectangle frame (plus adjustX), tops aligned; a positive adjustY
    // raises it.
    KVWindow *showFloatingWindowAtFrame(const QRect &frame, QWidget *contentView, const QSizeF &contentViewSize,
                                        double adjustX, double adjustY);
    // Moves window just right of the other window (nullptr: the meeting window), tops aligned, kept
    // inside the screen's right edge; a positive adjustY raises it, a negative one lowers it.
    void placeWindowAtIndex(QWidget *window, QWidget *toTheLeftOfWindow, double adjustX, double adjustY);

    // Calls a no-argument method a panel offers (its slots or invokables); one that does not offer it
    // is left alone.
    static void invokeIfOffered(QObject *object, const char *normalizedSignature, const char *name);

    [[nodiscard]] const State &state() const { return m_state; }
    // Written by the window's rooms as panels open and close.
    [[nodiscard]] State &state() { return m_state; }

private:
    // The meeting window's top-level widget, or nullptr before its view is loaded.
    [[nodiscard]] QWidget *meetingWindow() const;
    // Keeps a floating window made here, to close it with the meeting window.
    KVWindow *keepFloating(KVWindow *window);

    MeetingViewController *m_window;
    State m_state;
    std::unordered_map<std::type_index, QPointer<QObject>> m_panels;
    std::array<PopOver, std::size_t(PopOverSlot::Count)> m_popOvers;
    std::vector<QPointer<KVWindow>> m_floatingWindows;
};

template <class T> T &MeetingPanels::panel()
{
    QPointer<QObject> &slot = m_panels[std::type_index(typeid(T))];
    if (!slot)
        slot = new T(m_window, this);
    return *static_cast<T *>(slot.data());
}
