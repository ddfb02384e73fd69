#include "meeting/window/dispatch/MeetingToolBarRules.h"

#include <Qt>

namespace MeetingToolBarRules {

namespace {
constexpr double kSwipeThreshold = 20.0;
}

PageTurn keyPageTurn(int fileShareMode, int qtKey)
{
    if (fileShareMode != 1)
        return PageTurn::None;
    if (qtKey == Qt::Key_Right)
        return PageTurn::Next;
    if (qtKey == Qt::Key_Left)
        return PageTurn::Previous;
    return PageTurn::None;
}

PageTurn swipePageTurn(double deltaX, double deltaY)
{
    if (deltaX != 0)
        return PageTurn::None;
    if (deltaY > kSwipeThreshold)
        return PageTurn::Previous;
    if (deltaY < -kSwipeThreshold)
        return PageTurn::Next;
    return PageTurn::None;
}

} // namespace MeetingToolBarRules
