#pragma once

#include <QColor>
#include <QString>

class KVTextFieldView;
class KVElidedLabel;
class QLabel;
class QWidget;
class VeskButton;

// The shell's dark look in one place: colours and the few widget styles its windows share.
namespace ShellStyle {
[[nodiscard]] QColor windowBackground(); // "#1B1C1F"
[[nodiscard]] QColor cardBackground();   // "#26282C"
[[nodiscard]] QColor primaryText();      // white
[[nodiscard]] QColor secondaryText();    // "#A6A7AB"
[[nodiscard]] QColor accent();           // "#007AFF"
[[nodiscard]] QColor danger();           // "#FF656B"

void applyWindowLook(QWidget *window);
// A filled accent button, an outlined one, and a quiet text button; each has its title as
// accessible name.
[[nodiscard]] VeskButton *primaryButton(const QString &title, QWidget *parent, int height = 40);
[[nodiscard]] VeskButton *secondaryButton(const QString &title, QWidget *parent, int height = 40);
[[nodiscard]] VeskButton *textButton(const QString &title, QWidget *parent);
// Labels are plain text (see uikit/KVDataText.h); dataLabel is one line cut to its width, for
// names and other texts from the service that must not widen the window.
[[nodiscard]] KVElidedLabel *dataLabel(const QString &text, QWidget *parent, qreal pointSize, bool secondary = false);
[[nodiscard]] QLabel *label(const QString &text, QWidget *parent, qreal pointSize, bool secondary = false,
                            bool bold = false);
// A field that shows what is behind it inside its border.
void applyFieldLook(KVTextFieldView *field);
// Inline message under a field (red, hidden while empty).
[[nodiscard]] QLabel *inlineMessage(QWidget *parent);
void setInlineMessage(QLabel *label, const QString &text);
} // namespace ShellStyle
