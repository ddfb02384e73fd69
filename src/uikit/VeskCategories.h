#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>

#include <functional>

class QAbstractButton;
class QAbstractScrollArea;
class QLineEdit;
class QObject;
class QWidget;

// Helpers the windows use on any widget, grouped by the family they belong to.
// Sizes, offsets and font sizes are logical pixels (one point each).

namespace vesk {
// A colour from six hex digits, optionally after "#" or "0X" in any case, with
// white space around it ignored. Anything else gives the clear colour.
[[nodiscard]] QColor colorWithHexString(const QString &hex);
[[nodiscard]] QColor colorWithHexString(const QString &hex, qreal alpha);

// The system font at a size in points (one logical pixel each).
[[nodiscard]] QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal);

// Background and rounded, clipped corners drawn under the widget's content.
void setBackgroundColor(QWidget *view, const QColor &color);
void setCornerRadius(QWidget *view, qreal radius);

// Centres a window in the visible area of the primary screen.
void veskCenter(QWidget *window);
// The window is delivering its close (its close hooks run): it is going away.
[[nodiscard]] bool isClosing(const QWidget *window);

// Views are built in code: a factory is registered under the class name and
// loadViewFromNibWithName makes a new one, or nullptr when none is registered
// or the made object is not of that class. The caller owns the result.
using NibFactory = std::function<QWidget *()>;
void registerNib(const QString &className, NibFactory factory);
[[nodiscard]] QWidget *loadViewFromNibWithName(const QString &name);
void deleteView(QWidget *view); // where QWidget is complete: a delete here would skip its destructor
template <typename T> [[nodiscard]] T *loadViewFromNibWithName(const QString &name)
{
    QWidget *w = loadViewFromNibWithName(name);
    auto *t = qobject_cast<T *>(w);
    if (!t)
        deleteView(w);
    return t;
}

// Button looks.
void setButtonColorAttribute(QAbstractButton *button, const QColor &color);
void setButtonAttribute(QAbstractButton *button, const QString &title, const QColor &color, const QFont &font);
// The title, colour and font shown while the button's state is on.
void setButtonAlternateAttribute(QAbstractButton *button, const QString &title, const QColor &color, const QFont &font);
void setButtonFontAttribute(QAbstractButton *button, const QFont &font);
void setButtonBordered(QAbstractButton *button, const QColor &borderColor, qreal borderWidth);

// A placeholder in the field's font and the given colour.
void setPlaceholder(QLineEdit *field, const QString &placeholder, const QColor &color);
} // namespace vesk

namespace veskHitTest {
// The block decides, given the point in the button's coordinates, whether a
// press hits the button; when it answers false the press goes to whatever lies
// beneath. An empty block removes the test.
using HitTestBlock = std::function<bool(const QPoint &point)>;
void setHitTestBlock(QAbstractButton *button, HitTestBlock block);
} // namespace veskHitTest

namespace VeskFrames {
[[nodiscard]] int width(const QWidget *view);
[[nodiscard]] int height(const QWidget *view);
void setHeight(QWidget *view, int height);
void setWidth(QWidget *view, int width);
} // namespace VeskFrames

namespace VeskScroll {
void scrollToTop(QAbstractScrollArea *scrollView);
} // namespace VeskScroll
