#pragma once

#include <functional>

// The screen-recording permission probe. X11 grants every client the screen, so it answers YES;
// tests replace the answer to take the refusal road.
class VeskPermissionChecker final {
public:
    [[nodiscard]] static bool ScreeningRecordPermissionCheck();
    // nullptr puts the platform's answer back.
    static void setAnswerForTesting(std::function<bool()> answer);

    VeskPermissionChecker() = delete;
};
