#include "DesktopCaptureBackends.h"

#include "EngineLog.h"
#include "PortalDesktopCapture.h"
#include "X11DesktopCapture.h"

#include <QDBusConnection>
#include <QGuiApplication>

namespace DesktopCaptureBackends {

DesktopCaptureSource::Backend choose(const QString &platformName, const QString &sessionType, const QString &forced)
{
    using Backend = DesktopCaptureSource::Backend;
    if (forced == QLatin1String("portal"))
        return Backend::Portal;
    if (forced == QLatin1String("x11"))
        return Backend::X11;
    if (forced == QLatin1String("qt"))
        return Backend::Qt;
    if (platformName.startsWith(QLatin1String("wayland")))
        return Backend::Portal;
    if (platformName == QLatin1String("xcb"))
        // Under XWayland the X server sees only its own clients: the portal shows the rest.
        return sessionType == QLatin1String("wayland") ? Backend::Portal : Backend::X11;
    return Backend::Qt;
}

std::shared_ptr<DesktopCaptureSource> create()
{
    const auto backend = choose(QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"),
                                qEnvironmentVariable("KORVI_DESKTOP_CAPTURE"));
    if (backend == DesktopCaptureSource::Backend::Portal) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected())
            return std::make_shared<PortalDesktopCapture>(bus);
        qCWarning(lcEngine) << "desktop capture: no session bus for the desktop portal, screens only";
    } else if (backend == DesktopCaptureSource::Backend::X11) {
        if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
            if (auto capture = X11DesktopCapture::create(x11->connection()))
                return capture;
        }
        qCWarning(lcEngine) << "desktop capture: X11 capture unavailable, screens only";
    }
    return std::make_shared<QtDesktopCaptureSource>();
}

} // namespace DesktopCaptureBackends
