#pragma once

#include <QString>

#include <chrono>

class QWidget;

// In-meeting tip banners: centred 70 points below the top of the view, fading
// in over 0.3 s and removed 2.0 s after they appeared, on the project clock.
// A new tip replaces the view's current one; an empty text shows nothing.
namespace VeskMeetingToast {
inline constexpr int kTopOffset = 70;
inline constexpr std::chrono::milliseconds kFadeIn{300};
inline constexpr std::chrono::milliseconds kLifetime{2000};

void showNomalTip(QWidget *view, const QString &text);
void showErrorTip(QWidget *view, const QString &text);

// The tip shown in the view, or nullptr.
[[nodiscard]] QWidget *currentTip(const QWidget *view);
// The tip's opacity (0 to 1).
[[nodiscard]] qreal tipOpacity(const QWidget *tip);
} // namespace VeskMeetingToast
