#pragma once

#include <QImage>
#include <QString>

// Screenshots on disk: PNG files named by the milliseconds since 1970 in the "ScreenShot" folder
// of the app's data folder. A screenshot never replaces another: a taken name gets "-1", "-2"...
namespace ScreenShotFile {

inline const QString kFolderName = QStringLiteral("ScreenShot");

// The folder, created (mode 0700) when missing; "" when it cannot be made.
[[nodiscard]] QString folder();
// The first free path in folder for a screenshot taken at ms: "<ms>.png", "<ms>-1.png", ...
[[nodiscard]] QString freePath(const QString &folder, qint64 ms);
// Writes the image as a PNG, whole or not at all; the path written, or "" on failure.
[[nodiscard]] QString save(const QImage &image, qint64 ms);

} // namespace ScreenShotFile
