#pragma once

#include "uikit/MacBaseWindowController.h"

#include <memory>

class MainSettingViewController;

// The settings window: titled, 780 x 520, holding a new MainSettingViewController whose view is
// loaded and which decides whether the window may close. Not shown: the opener sets the mode
// and its close block, then shows and centres it.
class MainSettingWindow final {
public:
    [[nodiscard]] static std::unique_ptr<MacBaseWindowController> instantiate();
    // The settings content of such a window, or nullptr.
    [[nodiscard]] static MainSettingViewController *controllerOf(const MacBaseWindowController *window);

    MainSettingWindow() = delete;
};
