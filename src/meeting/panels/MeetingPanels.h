#pragma once

// The meeting window's panels and pop-overs. It owns the panels and panel windows the window
// opens (built on first use, kept while the window lives), closes the pop-overs together, places
// floating windows, and registers the panels the window loads by their interface names. It is the
// panels' narrow host: what a panel needs of the window (its view, its scale, whether the meeting
// has ended) comes through Host, never through the window's controller, which this library cannot
// reach (docs/ARCHITECTURE.md, "Adding a panel").

#include "foundation/KVClock.h"
#include "meeting/panels/MoreItemView.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSizeF>

#include <array>
#include <functional>
#include <memory>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <vector>

class ApplicationView;
class KVWindow;
class MacBaseWindowController;
class MacBaseViewController;
class MemberListViewController;
class QMouseEvent;
class QWidget;
class SubtitleSettingView;
class TranscriptionViewController;
class VeskButton;

class MeetingPanels final : public QObject {
    Q_OBJECT
public:
    // The panels' state the window and the panels read, under the names the panels use.
    struct State {
        std::unique_ptr<MacBaseWindowController> memberWindow;
        QPointer<MemberListViewController> memberListViewController;
        bool isMemberListShow = false;
        std::unique_ptr<MacBaseWindowController> transcriptionWindow;
        QPointer<TranscriptionViewController> transcriptionView;
        QPointer<SubtitleSettingView> subtitleSettingView;
        QPointer<ApplicationView> applicationView;
        QPointer<MacBaseViewController> settingPage; // the settings window's content
        QPointer<QWidget> videoSelectView;           // KVCameraSelectView (devices)
        QPointer<QWidget> audioSelectView;           // KVAudioSelectView (devices)
        // The transcription permission view.
        QPointer<QWidget> allowMeetingRecordView;
        QPointer<VeskButton> openTranscribeCheckBtn;
        QPointer<VeskButton> allowMemberViewRecordBtn;
    };

    // The pop-overs, in the order they close.
    enum class PopOverSlot { SubtitleSetting, AudioSelect, VideoSelect, ShareBottomPanel, Application, Count };

    // A pop-over: its view while it exists (nullptr: none to close), and how it closes.
    struct PopOver {
        std::function<QWidget *()> view;
        std::function<void()> close;
    };

    // What the panels ask of the window they belong to.
    struct Host {
        std::function<QWidget *()> view; // the window's view; nullptr before it is loaded
        std::function<double()> adjustScale;
        std::function<bool()> meetingEnded;
        // The share tool bar's more menu, while there is one (its item goes off as a panel closes).
        std::function<MoreItemView *()> moreMenu;
    };

    explicit MeetingPanels(Host host);
    ~MeetingPanels() override;

    // ---- The host, for the panels ----
    // The window's view, or nullptr before it is loaded.
    [[nodiscard]] QWidget *view() const;
    [[nodiscard]] double adjustScale() const;
    [[nodiscard]] bool meetingEnded() const;
    // The share tool bar's more menu, or nullptr.
    [[nodiscard]] MoreItemView *moreMenu() const;
    // A panel the more menu opened closed by itself: its item goes off, so that the next press
    // opens it again. Nothing without a menu.
    void moreMenuItemDidClose(MoreItemView::Item item);

    // Registers the panels the window loads by name (vesk::loadViewFromNibWithName). Called by the
    // build; explicit, so a panel that no code names is never left out by the linker. Calling it
    // again changes nothing.
    static void registerPanels();

    // The panel of class T, built on first use and kept while the panels live: by the maker the
    // window provided for T (a panel that needs the window's views or calls), else as T(*this).
    template <class T> T &panel();
    // The panel of class T if it was built, else nullptr.
    template <class T> [[nodiscard]] T *builtPanel() const;
    // How the panel of class T is made: it is handed its views and the calls it needs here.
    template <class T> void provide(std::function<T *(MeetingPanels &)> make);

    // The window installs how each pop-over closes; a panel that must do more on closing may
    // replace its own slot.
    void setPopOver(PopOverSlot slot, PopOver popOver);
    // Closes every pop-over except view (nullptr: all of them), in slot order; one that does not
    // exist is skipped.
    void hideOtherOverViewsExceptView(QWidget *view);
    // A press anywhere in the window closes the pop-overs it is not in.
    void handleFullScreenMouseDown(QMouseEvent *event);

    // Floating windows (KVWindow, closed with the meeting window), each kept whole on the screen's
    // visible area. Centred under view (nullptr: the meeting view), its top adjustY below the
    // view's bottom edge. A negative adjustY moves it up.
    void showFloatingWindowAtView(QWidget *view, QWidget *contentView, const QSizeF &contentViewSize, double adjustX,
                                  double adjustY);
    // Just right of the screen rectangle frame (plus adjustX), tops aligned; a positive adjustY
    // raises it.
    KVWindow *showFloatingWindowAtFrame(const QRect &frame, QWidget *contentView, const QSizeF &contentViewSize,
                                        double adjustX, double adjustY);
    // Moves window just right of the other window (nullptr: the meeting window), tops aligned, kept
    // whole on the screen's visible area; a positive adjustY raises it, a negative one lowers it.
    // Over another open panel, it goes beside that one instead.
    void placeWindowAtIndex(QWidget *window, QWidget *toTheLeftOfWindow, double adjustX, double adjustY);
    // Makes a panel's window the meeting window's own (transient for it), so it stays above the
    // meeting window in every state; called before the panel shows.
    void keepAboveMeetingWindow(QWidget *panel);

    // A view the window keeps for the life of the panels while it goes in and out of view trees:
    // deleted with the panels unless the view tree it is in went first.
    void keepView(QWidget *view);

    // Calls a no-argument method a panel offers (its slots or invokables); one that does not offer it
    // is left alone.
    static void invokeIfOffered(QObject *object, const char *normalizedSignature, const char *name);

    [[nodiscard]] const State &state() const { return m_state; }
    // Written by the panels and the window's concerns as panels open and close.
    [[nodiscard]] State &state() { return m_state; }

private:
    // The meeting window's top-level widget, or nullptr before its view is loaded.
    [[nodiscard]] QWidget *meetingWindow() const;
    // Keeps a floating window made here, to close it with the meeting window.
    KVWindow *keepFloating(KVWindow *window);
    // The visible area of the anchor's screen, and a frame kept whole inside it.
    [[nodiscard]] static QRect screenArea(const QWidget *anchor);
    [[nodiscard]] static QRect onScreen(const QRect &frame, const QWidget *anchor);
    // Keeps a panel just made: a child of the panels, so it goes with them.
    QObject *adopt(std::type_index type, QObject *panel);

    const Host m_host;
    State m_state;
    std::unordered_map<std::type_index, QPointer<QObject>> m_panels;
    std::unordered_map<std::type_index, std::function<QObject *(MeetingPanels &)>> m_makers;
    std::array<PopOver, std::size_t(PopOverSlot::Count)> m_popOvers;
    std::vector<QPointer<KVWindow>> m_floatingWindows;
    std::vector<QPointer<QWidget>> m_keptViews;
};

template <class T> T &MeetingPanels::panel()
{
    const std::type_index type(typeid(T));
    if (QObject *built = m_panels[type])
        return *static_cast<T *>(built);
    const auto maker = m_makers.find(type);
    if (maker != m_makers.end())
        return *static_cast<T *>(adopt(type, maker->second(*this)));
    if constexpr (std::is_constructible_v<T, MeetingPanels &>) {
        return *static_cast<T *>(adopt(type, new T(*this)));
    } else {
        // A panel that needs the window's views is provided by the window before its first use.
        qFatal("MeetingPanels: no maker provided for %s", typeid(T).name());
    }
}

template <class T> T *MeetingPanels::builtPanel() const
{
    const auto found = m_panels.find(std::type_index(typeid(T)));
    return found == m_panels.end() ? nullptr : static_cast<T *>(found->second.data());
}

template <class T> void MeetingPanels::provide(std::function<T *(MeetingPanels &)> make)
{
    m_makers[std::type_index(typeid(T))] = [make = std::move(make)](MeetingPanels &panels) -> QObject * {
        return make(panels);
    };
}
