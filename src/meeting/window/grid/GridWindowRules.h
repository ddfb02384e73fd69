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

// The frame moved, not resized, so that it lies inside area (a null area: left as it is). A frame
// larger than the area keeps its top left corner in it.
[[nodiscard]] QRect keptInside(const QRect &frame, const QRect &area);

// The member-list window's new frame when its height no longer fits the scale: 342 wide,
// 950 x scale high (at most the screen's height), same y, never left of the meeting window's right edge, and whole on
// the screen that holds the meeting window (screenArea: its available area). Nothing when its maximum height already
// matches.
[[nodiscard]] std::optional<QRect> memberWindowBeside(const QRect &memberFrame, int memberMaximumHeight,
                                                      const QRect &meetingFrame, double adjustScale,
                                                      const QRect &screenArea = {});

// The transcription window at the scale: 342 x scale by 950 x scale (at most the screen's height)
// from its top left corner, whole on the screen. Nothing when it has that size already.
[[nodiscard]] std::optional<QRect> transcriptionWindowAtScale(const QRect &frame, double adjustScale,
                                                              const QRect &screenArea = {});

} // namespace GridWindowRules
