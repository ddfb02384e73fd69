#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>

// The member list's images, drawn in code and looked up by their resource names ("microphone",
// "camera_off", "ic_share_ing", "checkbox_dark_sel", "arrow_down_talk", "ic_menu_sel", ...). An
// unknown name gives a null pixmap. A pixmap remembers its name (nameOf), so the views' images
// can be read back by name.
namespace MemberListIcons {
[[nodiscard]] QPixmap image(const QString &name, int side = 18);
// The name an image of image() was made from, "" for any other pixmap.
[[nodiscard]] QString nameOf(const QPixmap &pixmap);
[[nodiscard]] QStringList names();
} // namespace MemberListIcons
