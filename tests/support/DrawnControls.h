#pragma once

// Checks that every control a window shows is drawn where a user can see it: it has a size, lies
// in its window once its scroll areas have brought it into view, is tall enough for a line of its
// text, and the window's own picture shows something there besides the background (its text,
// image or frame in a colour that differs from what lies under it). A control with no size, or
// with white text on a white field, is reached by Tab and read by a screen reader, yet a mouse
// user never finds it.

#include "TestEvents.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QWidget>

#include <string>

namespace DrawnControls {

struct Report {
    int checked = 0;
    QStringList faults;
    [[nodiscard]] std::string text() const { return faults.join(QLatin1Char('\n')).toStdString(); }
};

// A channel difference an eye tells apart from the background at a glance.
inline constexpr int kContrast = 48;
// Fewer differing pixels than this is a speck, not a text or an image.
inline constexpr int kMinInk = 6;

// What a user acts on: buttons, fields, sliders, and whatever takes Tab.
inline bool isControl(const QWidget *w)
{
    if (w->focusProxy() || qobject_cast<const QScrollBar *>(w) || qobject_cast<const QAbstractScrollArea *>(w))
        return false;
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSlider *>(w) ||
           qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w) ||
           (w->focusPolicy() & Qt::TabFocus);
}

// The part of w its ancestors do not clip, in its window's coordinates.
inline QRect shownRect(const QWidget *w)
{
    const QWidget *top = w->window();
    QRect shown(w->mapTo(top, QPoint(0, 0)), w->size());
    for (const QWidget *p = w->parentWidget(); p && p != top; p = p->parentWidget())
        shown &= QRect(p->mapTo(top, QPoint(0, 0)), p->size());
    return shown & top->rect();
}

inline void bringIntoView(QWidget *w)
{
    bool scrolled = false;
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(p); area && area->widget() && area->widget()->isAncestorOf(w)) {
            area->ensureWidgetVisible(w, 0, 0);
            scrolled = true;
        }
    }
    if (scrolled)
        QApplication::processEvents();
}

// Pixels of rect (logical coordinates) that differ clearly from the rect's commonest colour.
inline int inkIn(const QImage &picture, const QRect &rect)
{
    const qreal ratio = picture.devicePixelRatio();
    const QRect px =
        QRect(QPoint(int(rect.left() * ratio), int(rect.top() * ratio)), rect.size() * ratio) & picture.rect();
    QHash<QRgb, int> counts;
    for (int y = px.top(); y <= px.bottom(); ++y) {
        for (int x = px.left(); x <= px.right(); ++x)
            ++counts[picture.pixel(x, y)];
    }
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    int ink = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const QRgb c = it.key();
        const int diff = std::max({std::abs(qRed(c) - qRed(background)), std::abs(qGreen(c) - qGreen(background)),
                                   std::abs(qBlue(c) - qBlue(background))});
        if (diff >= kContrast)
            ink += it.value();
    }
    return ink;
}

inline QString describe(QWidget *w)
{
    QString name = w->accessibleName();
    if (name.isEmpty())
        if (const auto *button = qobject_cast<const QAbstractButton *>(w))
            name = button->text();
    return QStringLiteral("%1 '%2' (%3) %4x%5")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), name)
        .arg(w->width())
        .arg(w->height());
}

// Checks every shown control under root (root included), in the picture of its window.
inline Report check(QWidget *root)
{
    Report report;
    QWidget *top = root->window();
    // A focus ring would count as the control's ink.
    if (QWidget *focus = QApplication::focusWidget(); focus && top->isAncestorOf(focus))
        focus->clearFocus();
    QApplication::processEvents();
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *w : std::as_const(widgets)) {
        if (!w->isVisible() || w->window() != top || !isControl(w))
            continue;
        ++report.checked;
        if (w->width() <= 0 || w->height() <= 0) {
            report.faults << describe(w) + QStringLiteral(": no size");
            continue;
        }
        bringIntoView(w);
        const QRect shown = shownRect(w);
        if (shown.isEmpty()) {
            report.faults << describe(w) + QStringLiteral(": outside what its window shows");
            continue;
        }
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        if (button && !button->text().isEmpty() && w->height() < QFontMetrics(w->font()).ascent())
            report.faults << describe(w) + QStringLiteral(": lower than a line of its text");
        const QImage picture = top->grab().toImage();
        if (inkIn(picture, shown) < kMinInk)
            report.faults << describe(w) + QStringLiteral(": nothing drawn but its background");
    }
    return report;
}

} // namespace DrawnControls
