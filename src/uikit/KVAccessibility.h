#pragma once

#include <QAccessible>

class QWidget;

// How the client's widgets present themselves to screen readers and desktop automation.
//
// - A button or check box does through its accessibility actions (Press, Toggle) exactly what a
//   click does: click(), so a toggle's state flips first and clicked() runs the window's action.
//   Qt's own Toggle only flips the state, which left a tool-bar toggle on with nothing done. A
//   switch offers both, so a screen reader's press reaches it as it reaches any button.
// - The role and value of a control can be told where the class alone does not say it.
// - A top-level window reads as a frame, a dialog as a dialog, an alert as an alert, so they are
//   announced when they open.
namespace KVAccessibility {

// A button that reads as another role than its class gives it: PageTab (its checked state read
// as selected, Press chooses it), Button (a press although it latches), Indicator (shows a state,
// offers no action); a plain view that is a picture (Graphic: another's shared screen). Told
// before the widget is first asked for.
void setRole(QWidget *widget, QAccessible::Role role);
// The value a screen reader reads for a button (a quality, a level); empty: none.
void setValue(QWidget *widget, const QString &value);

// A button whose name carries a mark while the mark is not hidden (a red dot: "成员 4人，有人等候").
void setMark(QWidget *button, QWidget *mark, const QString &text);

// Installs the rules once per process (before any interface is asked for; later calls do
// nothing). The kit's buttons call it as they are made.
void install();

// The role a top-level window announces itself with; NoRole for widgets that are not windows
// of their own (and for pop-ups, tool tips and toasts).
[[nodiscard]] QAccessible::Role windowRole(const QWidget *widget);

} // namespace KVAccessibility
