#pragma once

#include <memory>

class DesktopCaptureSource;

namespace DesktopCaptureBackends {
// The capture for this session: X11 on the xcb platform, the desktop portal in a Wayland
// session, else Qt's screens. A backend that cannot start logs why once and the next is taken.
[[nodiscard]] std::shared_ptr<DesktopCaptureSource> create();
} // namespace DesktopCaptureBackends
