#include "meeting/window/MeetingWindowSizing.h"

#include <algorithm>

namespace MeetingWindowSizing {

NormalSize normalSize(const QSizeF &visibleFrame)
{
    const double screenWidth = std::max(0.0, visibleFrame.width());
    const double screenHeight = std::max(0.0, visibleFrame.height());
    double width = std::min(screenWidth - 200, kDesignWidth);
    double height = std::min(screenHeight - 100, kDesignHeight);

    // Compared crosswise so a zero height cannot divide.
    if (width * kDesignHeight != height * kDesignWidth) {
        const double ratio = kDesignWidth / kDesignHeight;
        if (width / ratio > height)
            width = height * ratio;
        else
            height = width / ratio;
    }
    if (width > screenWidth / 2) {
        width = screenWidth / 2;
        height = screenWidth / 2 * kDesignHeight / kDesignWidth;
    }
    width = std::max(width, kMinWidth);
    height = std::max(height, kMinHeight);
    return {QSizeF(width, height), width / kDesignWidth};
}

double imInputViewWidth(double adjustScale)
{
    return std::clamp(kImInputMaxWidth * adjustScale, kImInputMinWidth, kImInputMaxWidth);
}

} // namespace MeetingWindowSizing
