#pragma once

#include <QPixmap>
#include <QString>

// The meeting window's images, drawn in code and looked up by their resource names
// ("top_signal_status_good", "btn_progress_ctrl_nor", "toolbar_camera_on", ...). An unknown
// name gives a null pixmap.
namespace MeetingIcons {
[[nodiscard]] QPixmap image(const QString &name, int side = 24);
// The names image() knows.
[[nodiscard]] QStringList names();
} // namespace MeetingIcons
