#pragma once

#include <QPixmap>

class QPainter;
#include <QString>

// The meeting window's images, drawn in code and looked up by their resource names
// ("top_signal_status_good", "btn_progress_ctrl_nor", "toolbar_camera_on", ...). An unknown
// name gives a null pixmap.
namespace MeetingIcons {
[[nodiscard]] QPixmap image(const QString &name, int side = 24);
// Draws the named image into a side x side square of p; false for an unknown name. Other icon
// tables reuse the tool bar's drawings this way.
bool paint(const QString &name, QPainter &p, double side);
// The names image() knows.
[[nodiscard]] QStringList names();
} // namespace MeetingIcons
