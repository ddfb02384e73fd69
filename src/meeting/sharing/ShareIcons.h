#pragma once

#include <QPixmap>
#include <QString>

// The share picker's images, drawn in code: "all" (every application) and the file kinds of the
// supported-file list ("ic_video", "ic_audio", "ppt", "word", "ic_excel", "ic_pdf", "ic_img",
// "ic_txt"). An unknown name gives a null pixmap.
namespace ShareIcons {
[[nodiscard]] QPixmap image(const QString &name, int side = 24);
// The image a supported kind ("video", "audio", "ppt", "doc", ...) shows; "" for other kinds.
[[nodiscard]] QString imageNameForClassify(const QString &classify);
} // namespace ShareIcons
