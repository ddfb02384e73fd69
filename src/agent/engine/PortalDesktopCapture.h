#pragma once

#include "DesktopCaptureSource.h"

#include <QDBusConnection>

// The desktop of a Wayland session, where no client sees another's windows: the desktop portal
// chooses what is shared in its own dialog, and the frames come from PipeWire. One candidate is
// listed (kPortalChoiceId); opening it starts the portal's exchange. The portal's restore token
// is kept in the user defaults, so the next share is not asked again where the portal allows.
class PortalDesktopCapture final : public DesktopCaptureSource {
public:
    static constexpr const char *kRestoreTokenKey = "KVDesktopPortalRestoreToken";

    explicit PortalDesktopCapture(QDBusConnection bus);

    [[nodiscard]] Backend backend() const override { return Backend::Portal; }
    [[nodiscard]] QList<KRTCDesktopSource> screens(QSize thumbnailSize) const override;
    [[nodiscard]] QList<KRTCDesktopSource> windows(QSize thumbnailSize) const override;
    // Nothing can be pictured before the user chose in the portal.
    [[nodiscard]] QImage grab(int type, qint64 sourceId) const override;
    // Frames start once the user chose; a refusal or a cancelled dialog ends the stream.
    [[nodiscard]] std::unique_ptr<DesktopCaptureStream> openStream(const KRTCScreenOption &option,
                                                                   DesktopCaptureSink sink) override;

private:
    QDBusConnection m_bus;
};
