#pragma once

#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingMessageModel.h"
#include "meeting/panels/FloatingIMView.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class IMDisplayView;
class MeetingPanels;
class VeskButton;
class VeskTextView;

// Chat in the meeting window: the overlay of lines and its floating copy, the two inputs with one
// typing rule, forbidding and allowing chat for everyone, and the permission commands.
class ChatPanel final : public QObject {
    Q_OBJECT
public:
    // The window's chat views.
    struct Views {
        QPointer<IMDisplayView> overlay;
        QPointer<VeskTextView> input;
        QPointer<VeskButton> enableButton; // forbid/allow for all
    };
    // What the chat asks of the window.
    struct Calls {
        // The rectangles the overlay keeps clear of (the tiles' name bars), in the given widget.
        std::function<QList<QRect>(QWidget *in)> keepClearRects;
    };

    ChatPanel(MeetingPanels &panels, Views views, Calls calls);

    // Wires the window's input and overlay (the build calls it once its views exist).
    void setupChat();
    // The grid's visible area changed: the overlay is placed again once its tiles have settled.
    void gridAreaChanged();

    void addSingleMessage(const MeetingMessageModel &line);
    // The window's forbid-all switch (disableIMAction) and the floating panel's (allowIMAction).
    void disableIMAction(VeskButton *sender);
    void allowIMAction(VeskButton *sender);
    void handleAllowSendIMMessage(const MeetingControlData &data);
    void needChangeImAllowDisplay();
    void showOrHideIMVIew(VeskButton *sender);

    // The list of the floating chat panel, made on first use; every read marks it floating.
    IMDisplayView *floatingIMDisplayView();
    // The floating chat panel with the floating list in it, made when the more menu opens the chat;
    // its close button removes it, closes its window and resets the more menu's item.
    FloatingIMView *floatingIMView();
    [[nodiscard]] FloatingIMView *existingFloatingIMView() const { return m_floatingIMView; }
    // Removes the floating chat panel, closes its window and drops it; the list stays for the
    // next opening. Nothing when none is open.
    void closeFloatingIMView();

    // The typing rule of both inputs: false refuses the change (a sent line or a tip).
    bool shouldChangeText(VeskTextView *input, const QString &replacement, QWidget *tipView);

    // The tiles' name bars the overlay keeps clear of, in the overlay's superview.
    [[nodiscard]] QList<QRect> nameBarRects() const;

private:
    void sendLine(const QString &text);
    void requestSwitch(VeskButton *sender);
    void applyWindowInput(bool editable, qint64 switchState, const QString &placeholder, bool emptied);

    MeetingPanels &m_panels;
    const Views m_views;
    const Calls m_calls;
    QPointer<IMDisplayView> m_floatingIMDisplayView;
    QPointer<FloatingIMView> m_floatingIMView;
    bool m_placementQueued = false;
    bool m_switchInFlight = false; // a 全员禁言 request waits for its answer
};
