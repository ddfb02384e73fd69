#pragma once

#include "DesktopCaptureSource.h"

#include <QString>

#include <memory>

namespace DesktopCaptureBackends {
// Which capture suits a session: the desktop portal in a Wayland session (a Wayland platform, or
// XWayland in a session that says it is Wayland), X11 on the xcb platform, else Qt's screens.
// forced ("portal", "x11" or "qt", from KORVI_DESKTOP_CAPTURE) wins when set.
[[nodiscard]] DesktopCaptureSource::Backend choose(const QString &platformName, const QString &sessionType,
                                                   const QString &forced);
// The capture for this session. A backend that cannot start logs why once and Qt's screens are
// taken.
[[nodiscard]] std::shared_ptr<DesktopCaptureSource> create();
} // namespace DesktopCaptureBackends
