#include "meeting/window/grid/GridWindowRules.h"

#include <algorithm>
#include <cmath>

namespace GridWindowRules {

double adjustScale(bool fullScreen, double windowContentWidth)
{
    if (fullScreen || windowContentWidth <= 0)
        return 1.0;
    return windowContentWidth / kDesignWidth;
}

std::optional<QRect> memberWindowBeside(const QRect &memberFrame, int memberMaximumHeight, const QRect &meetingFrame,
                                        double adjustScale)
{
    const int height = int(std::lround(kMemberWindowDesignHeight * adjustScale));
    if (memberMaximumHeight == height)
        return std::nullopt;
    const int rightEdge = meetingFrame.isNull() ? memberFrame.x() : meetingFrame.x() + meetingFrame.width();
    const int x = std::max(memberFrame.x(), rightEdge);
    return QRect(x, memberFrame.y(), int(kMemberWindowWidth), height);
}

} // namespace GridWindowRules
