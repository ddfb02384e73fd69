#pragma once

#include <QSizeF>

// The meeting window's size against the screen, as plain arithmetic.
namespace MeetingWindowSizing {

// The design size every scale is measured against.
inline constexpr double kDesignWidth = 1600;
inline constexpr double kDesignHeight = 950;
inline constexpr double kMinWidth = 1152;
inline constexpr double kMinHeight = 684;
// The chat input's width at scale 1.0, and its floor.
inline constexpr double kImInputMaxWidth = 282;
inline constexpr double kImInputMinWidth = 210;

struct NormalSize {
    QSizeF size;
    double adjustScale = 1.0;
};

// The normal (not full-screen) content size for a main screen whose visible frame has that size
// (empty without a screen): 200 x 100 less than the visible frame, at most the design size, fitted
// to the design ratio, at most half the screen wide, and never below the floor.
[[nodiscard]] NormalSize normalSize(const QSizeF &visibleFrame);

// The chat input's width at a scale: 282 x scale, kept within 210..282.
[[nodiscard]] double imInputViewWidth(double adjustScale);

} // namespace MeetingWindowSizing
