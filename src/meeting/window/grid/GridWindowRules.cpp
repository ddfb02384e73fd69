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

QRect keptInside(const QRect &frame, const QRect &area)
{
    if (area.isEmpty())
        return frame;
    QRect out = frame;
    out.moveLeft(std::max(area.left(), std::min(frame.left(), area.left() + area.width() - frame.width())));
    out.moveTop(std::max(area.top(), std::min(frame.top(), area.top() + area.height() - frame.height())));
    return out;
}

namespace {

// A panel window's height at the scale, never taller than the screen.
int panelHeight(double adjustScale, const QRect &screenArea)
{
    const int height = int(std::lround(kMemberWindowDesignHeight * adjustScale));
    return screenArea.isEmpty() ? height : std::min(height, screenArea.height());
}

} // namespace

std::optional<QRect> memberWindowBeside(const QRect &memberFrame, int memberMaximumHeight, const QRect &meetingFrame,
                                        double adjustScale, const QRect &screenArea)
{
    const int height = panelHeight(adjustScale, screenArea);
    if (memberMaximumHeight == height)
        return std::nullopt;
    const int rightEdge = meetingFrame.isNull() ? memberFrame.x() : meetingFrame.x() + meetingFrame.width();
    const int x = std::max(memberFrame.x(), rightEdge);
    // Without room right of the meeting window it stands inside the screen's right edge, over it.
    return keptInside(QRect(x, memberFrame.y(), int(kMemberWindowWidth), height), screenArea);
}

std::optional<QRect> transcriptionWindowAtScale(const QRect &frame, double adjustScale, const QRect &screenArea)
{
    const QSize size(int(std::lround(kMemberWindowWidth * adjustScale)), panelHeight(adjustScale, screenArea));
    if (frame.size() == size)
        return std::nullopt;
    return keptInside(QRect(frame.topLeft(), size), screenArea);
}

} // namespace GridWindowRules
