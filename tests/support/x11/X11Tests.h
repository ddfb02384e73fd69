#pragma once

#include <QSize>
#include <QString>

class X11Session;

namespace X11Tests {
inline constexpr QSize kScreen{1280, 800};
// The second X screen of the programs linked with korvi_x11_test_main_two_screens.
inline constexpr QSize kSecondScreen{640, 480};
// The running session, or nullptr when there is none (then unavailable() says why).
[[nodiscard]] X11Session *session();
[[nodiscard]] QString unavailable();
} // namespace X11Tests
