#pragma once

#include <QPixmap>
#include <QString>

// The images of the applications panel, the more menu, the count-down views and the small panels, drawn in code
// and looked up by their resource names ("countdown_nor", "transcribe_on", "headset_blue", ...).
// An unknown name gives a null pixmap.
namespace PanelIcons {
[[nodiscard]] QPixmap image(const QString &name, int side = 24);
} // namespace PanelIcons
