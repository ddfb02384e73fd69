#pragma once

#include <functional>

class QAbstractButton;
class QWidget;

// The keyboard follows the panels the user opens: an opened panel, pop-up or setter takes the
// focus on its first control, Escape (pressed anywhere in it, unless a control used the key)
// closes it through its own close road, and when it hides or goes away the focus goes back to the
// control that opened it, if the focus was still in the panel.
namespace KVPanelFocus {

// panel: shown already (a window of its own or a view in one); opener: the control that opened
// it (nullptr: none to go back to); close: what Escape does (nullptr: hide the panel).
// Calling it again for the same panel replaces the opener and the close road.
void opened(QWidget *panel, QWidget *opener, std::function<void()> close = nullptr);

// A panel laid over its window's view: shown, raised and then as opened(). close nullptr: the panel
// is taken away (its constraints dropped, hidden, deleted).
void presented(QWidget *panel, QWidget *opener, std::function<void()> close = nullptr);

// A pop-over that a toggle button opened: Escape presses the button again, its own way of closing.
void openedBy(QWidget *panel, QAbstractButton *opener);

// The first control Tab reaches inside panel, or nullptr.
[[nodiscard]] QWidget *firstControl(QWidget *panel);

} // namespace KVPanelFocus
