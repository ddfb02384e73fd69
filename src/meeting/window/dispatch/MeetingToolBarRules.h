#pragma once

// Page turning of a shared document from the keyboard and from swipes.
namespace MeetingToolBarRules {

enum class PageTurn { None, Previous, Next };

// Only in document mode (1): the right arrow turns to the next page, the left to the previous.
[[nodiscard]] PageTurn keyPageTurn(int fileShareMode, int qtKey);
// A purely vertical swipe of more than 20: up turns back, down turns on.
[[nodiscard]] PageTurn swipePageTurn(double deltaX, double deltaY);

} // namespace MeetingToolBarRules
