#pragma once

#include <QSize>
#include <QString>

class X11Session;

namespace X11CaptureTests {
inline constexpr QSize kScreen{1280, 800};
[[nodiscard]] X11Session *session();
[[nodiscard]] QString unavailable();
} // namespace X11CaptureTests
