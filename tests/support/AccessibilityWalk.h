#pragma once

// Walks a window or panel as a keyboard and screen-reader user meets it, through QAccessible (the
// interface the accessibility bus reads): the stops Tab visits, and for every control a user can
// act on, that Tab reaches it, that it has a name, that neither name nor description holds markup,
// that a checkable one says whether it is checked, and that it offers only actions that act.

#include "TestEvents.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextEdit>
#include <QWidget>

namespace AccessibilityWalk {

struct Report {
    int checked = 0;
    QStringList faults;
    [[nodiscard]] std::string text() const { return faults.join(QLatin1Char('\n')).toStdString(); }
};

inline QString nameOf(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

inline bool hasMarkup(const QString &text)
{
    static const QRegularExpression tag(QStringLiteral("<\\s*/?\\s*[A-Za-z][^>]*>"));
    return tag.match(text).hasMatch();
}

// A control a user can act on: it takes Tab, or is a button, field or list, enabled and on screen.
inline bool isControl(const QWidget *w)
{
    if (!w->isVisible() || !w->isEnabled() || w->width() <= 0 || w->height() <= 0)
        return false;
    // A scroll bar is the mouse's way to scroll; the keyboard scrolls the area it belongs to.
    if (w->focusProxy() || qobject_cast<const QScrollBar *>(w))
        return false;
    const bool kind = qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
                      qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSlider *>(w) ||
                      qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w);
    return kind || (w->focusPolicy() & Qt::TabFocus);
}

inline void activate(QWidget *window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    processEventsUntil([window] { return QApplication::activeWindow() == window; }, 2000);
}

// The widgets Tab visits from the focus in the focused window until it comes round (at most limit).
inline QList<QWidget *> tabStops(int limit = 200)
{
    QList<QWidget *> stops;
    QWidget *first = QApplication::focusWidget();
    if (!first)
        return stops;
    for (int i = 0; i < limit; ++i) {
        QWidget *at = QApplication::focusWidget();
        if (!at)
            break;
        stops << at;
        QTest::keyClick(at, Qt::Key_Tab);
        // As between a user's key presses: what a stop showed on taking the focus is laid out.
        QApplication::processEvents();
        // A pop-up shown without activation (a help tip) leaves its opener's window active on a
        // desktop; the offscreen platform deactivates the window anyway.
        if (QWidget *active = QApplication::activeWindow();
            at->window()->isVisible() &&
            (!active || (active != at->window() && (active->testAttribute(Qt::WA_ShowWithoutActivating) ||
                                                    active->windowFlags() & Qt::WindowDoesNotAcceptFocus))))
            activate(at->window());
        if (QApplication::focusWidget() == first)
            break;
    }
    return stops;
}

// Checks every control under root (root included) against the stops Tab visited.
inline void audit(QWidget *root, const QList<QWidget *> &stops, Report &report)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    const QSet<QWidget *> reached(stops.cbegin(), stops.cend());
    for (QWidget *w : std::as_const(widgets)) {
        if (w->isVisible()) {
            QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(w);
            // The bus offers Increase and Decrease for every value: only where a user can set one.
            if (shown && shown->valueInterface() && !qobject_cast<const QAbstractSlider *>(w) &&
                !qobject_cast<const QAbstractSpinBox *>(w))
                report.faults << nameOf(w) + QStringLiteral(": a value nobody sets offers Increase/Decrease");
            // A list's rows: Toggle only where a row can be chosen.
            if (shown && qobject_cast<const QAbstractItemView *>(w)) {
                for (int i = 0; i < shown->childCount(); ++i) {
                    QAccessibleInterface *row = shown->child(i);
                    QAccessibleActionInterface *acts = row ? row->actionInterface() : nullptr;
                    if (acts && acts->actionNames().contains(QAccessibleActionInterface::toggleAction()) &&
                        !row->state().checkable && !row->state().selectable)
                        report.faults << nameOf(w) + QStringLiteral(": a row offers a Toggle that does nothing");
                }
            }
        }
        if (!isControl(w))
            continue;
        ++report.checked;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        // An indicator only shows a state; it is no stop of Tab.
        if (iface && iface->role() == QAccessible::Indicator) {
            if (iface->actionInterface() && !iface->actionInterface()->actionNames().isEmpty())
                report.faults << nameOf(w) + QStringLiteral(": an indicator with actions");
            continue;
        }
        const QString where = QStringLiteral("%1 '%2' (%3)")
                                  .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                                       iface ? iface->text(QAccessible::Name) : QString());
        if (!iface) {
            report.faults << where + QStringLiteral(": no accessible interface");
            continue;
        }
        if (!reached.contains(w))
            report.faults << where + QStringLiteral(": not reached by Tab");
        const QString name = iface->text(QAccessible::Name);
        if (name.trimmed().isEmpty())
            report.faults << where + QStringLiteral(": no name");
        if (hasMarkup(name) || hasMarkup(iface->text(QAccessible::Description)))
            report.faults << where + QStringLiteral(": markup in name or description: ") +
                                 iface->text(QAccessible::Description);
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        const QAccessible::Role role = iface->role();
        if (button && button->isCheckable() && role != QAccessible::PageTab && role != QAccessible::Button &&
            !iface->state().checkable)
            report.faults << where + QStringLiteral(": checkable but not said so");
        if (QAccessibleActionInterface *actions = iface->actionInterface()) {
            const QStringList names = actions->actionNames();
            // Toggle only where there is a state to change; nothing to increase on what is not a value.
            if (names.contains(QAccessibleActionInterface::toggleAction()) && !iface->state().checkable)
                report.faults << where + QStringLiteral(": Toggle on something that is not checkable");
            // A switch is pressed as any button is, by a screen reader or a script.
            if (iface->state().checkable && button &&
                (!names.contains(QAccessibleActionInterface::toggleAction()) ||
                 !names.contains(QAccessibleActionInterface::pressAction())))
                report.faults << where + QStringLiteral(": a switch without Toggle and Press");
            if ((names.contains(QAccessibleActionInterface::increaseAction()) ||
                 names.contains(QAccessibleActionInterface::decreaseAction())) &&
                !qobject_cast<const QAbstractSlider *>(w))
                report.faults << where + QStringLiteral(": Increase/Decrease on no value");
        }
    }
}

// Each switch under root does through its Toggle, then its Press, what a click does: its state
// flips and clicked() runs, once each (so it ends as it was). What the clicks start runs: a walk
// asks this where that is harmless.
inline void actLikeClicks(QWidget *root, Report &report)
{
    const QList<QAbstractButton *> buttons = root->findChildren<QAbstractButton *>();
    for (const QPointer<QAbstractButton> button : buttons) {
        if (!button || !button->isVisible() || !button->isEnabled() || !button->isCheckable())
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
        QAccessibleActionInterface *actions = iface ? iface->actionInterface() : nullptr;
        if (!actions || !iface->state().checkable)
            continue;
        ++report.checked;
        const QString where = QStringLiteral("%1 '%2'").arg(QString::fromLatin1(button->metaObject()->className()),
                                                            iface->text(QAccessible::Name));
        for (const QString &action :
             {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()}) {
            if (!actions->actionNames().contains(action)) {
                report.faults << where + QStringLiteral(": no ") + action;
                continue;
            }
            if (!button)
                break;
            const bool before = button->isChecked();
            int clicks = 0;
            const QMetaObject::Connection counted =
                QObject::connect(button, &QAbstractButton::clicked, button, [&clicks] { ++clicks; });
            actions->doAction(action);
            if (!button)
                break; // its click closed what held it
            QObject::disconnect(counted);
            if (clicks != 1 || button->isChecked() == before)
                report.faults << where + QStringLiteral(": %1 is not a click (clicks %2, state %3 -> %4)")
                                             .arg(action)
                                             .arg(clicks)
                                             .arg(before)
                                             .arg(button->isChecked());
        }
    }
}

// Tab from the window's focus round the window, then audits root (default: the window).
inline Report walk(QWidget *window, QWidget *root = nullptr)
{
    Report report;
    activate(window);
    audit(root ? root : window, tabStops(), report);
    return report;
}

// Presses the Escape key where the focus is.
inline void escape()
{
    if (QWidget *at = QApplication::focusWidget())
        QTest::keyClick(at, Qt::Key_Escape);
}

inline bool press(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    QAccessibleActionInterface *actions = iface ? iface->actionInterface() : nullptr;
    if (!actions || actions->actionNames().isEmpty())
        return false;
    actions->doAction(actions->actionNames().first());
    return true;
}

} // namespace AccessibilityWalk
