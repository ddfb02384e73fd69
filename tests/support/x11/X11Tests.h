#pragma once

#include <QSize>
#include <QString>

class X11Session;

namespace X11Tests {
inline constexpr QSize kScreen{1280, 800};
// The running session, or nullptr when there is none (then unavailable() says why).
[[nodiscard]] X11Session *session();
[[nodiscard]] QString unavailable();
} // namespace X11Tests
