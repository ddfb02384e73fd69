#pragma once

#include "KRTCTypes.h"

#include <QImage>
#include <QList>
#include <QSize>

#include <memory>

// Where the local engine finds shareable screens and windows and takes their pictures.
// The default (QtDesktopCaptureSource) knows the screens through Qt and no windows; a
// platform capture (X11) can be installed with setCurrent(). Main thread only.
class DesktopCaptureSource {
public:
    virtual ~DesktopCaptureSource() = default;

    // Sources with snapshots scaled into thumbnailSize (no snapshot for an empty size).
    [[nodiscard]] virtual QList<KRTCDesktopSource> screens(QSize thumbnailSize) const = 0;
    [[nodiscard]] virtual QList<KRTCDesktopSource> windows(QSize thumbnailSize) const = 0;
    // The current picture of a source (type 1 screen, 2 window); null when it is gone.
    [[nodiscard]] virtual QImage grab(int type, qint64 sourceId) const = 0;

    [[nodiscard]] static std::shared_ptr<DesktopCaptureSource> current();
    // nullptr puts the default back.
    static void setCurrent(std::shared_ptr<DesktopCaptureSource> source);
};

// Screens of QGuiApplication::screens() (source id = position in that list); no windows.
class QtDesktopCaptureSource final : public DesktopCaptureSource {
public:
    [[nodiscard]] QList<KRTCDesktopSource> screens(QSize thumbnailSize) const override;
    [[nodiscard]] QList<KRTCDesktopSource> windows(QSize thumbnailSize) const override;
    [[nodiscard]] QImage grab(int type, qint64 sourceId) const override;
};
