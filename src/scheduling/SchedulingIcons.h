#pragma once

#include <QPixmap>
#include <QString>

// The scheduling windows' images, drawn in code and looked up by their resource names
// ("ic_input_dropdown", "ic_input_up", "ic_member_delete", "ic_select_tick"). An unknown name
// gives a null pixmap.
namespace SchedulingIcons {
inline const QString kDropdown = QStringLiteral("ic_input_dropdown");
inline const QString kUp = QStringLiteral("ic_input_up");
inline const QString kDelete = QStringLiteral("ic_member_delete");
inline const QString kTick = QStringLiteral("ic_select_tick");

[[nodiscard]] QPixmap image(const QString &name, int side = 16);
} // namespace SchedulingIcons
