#pragma once

#include <QPixmap>
#include <QString>

#include <functional>

class QPainter;

// The meeting window's images, drawn in code and looked up by their resource names
// ("top_signal_status_good", "btn_progress_ctrl_nor", "toolbar_camera_on", ...). An unknown
// name gives a null pixmap.
namespace MeetingIcons {
// Draws an image into a side x side square.
using Painter = std::function<void(QPainter &p, double side)>;

[[nodiscard]] QPixmap image(const QString &name, int side = 24);
// Draws the named image into a side x side square of p; false for an unknown name. Other icon
// tables reuse the tool bar's drawings this way.
bool paint(const QString &name, QPainter &p, double side);
// A side x side pixmap at twice the pixel density, drawn antialiased by painter (null for no side).
// Every icon table of the meeting renders through it.
[[nodiscard]] QPixmap render(const Painter &painter, int side);
// The names image() knows.
[[nodiscard]] QStringList names();
} // namespace MeetingIcons
