#pragma once

#include <QRect>

#include <optional>

// Window sizes of the meeting window around full screen, as plain arithmetic.
namespace GridWindowRules {

inline constexpr double kDesignWidth = 1600;
inline constexpr double kNormalMinWidth = 1152;
inline constexpr double kNormalMinHeight = 684;
inline constexpr double kMemberWindowWidth = 342;
inline constexpr double kMemberWindowDesignHeight = 950;

// 1.0 in full screen, else the windowed width against the design width.
[[nodiscard]] double adjustScale(bool fullScreen, double windowContentWidth);

// The member-list window's new frame when its height no longer fits the scale: 342 wide,
// 950 x scale high, same y, and never left of the meeting window's right edge. Nothing when its
// maximum height already matches.
[[nodiscard]] std::optional<QRect> memberWindowBeside(const QRect &memberFrame, int memberMaximumHeight,
                                                      const QRect &meetingFrame, double adjustScale);

} // namespace GridWindowRules
