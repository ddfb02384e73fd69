#include "DesktopCaptureBackends.h"

#include "DesktopCaptureSource.h"
#include "EngineLog.h"
#include "X11DesktopCapture.h"

#include <QGuiApplication>

namespace DesktopCaptureBackends {

std::shared_ptr<DesktopCaptureSource> create()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
            if (auto capture = X11DesktopCapture::create(x11->connection()))
                return capture;
        }
        qCWarning(lcEngine) << "desktop capture: X11 capture unavailable, screens only";
    }
    return std::make_shared<QtDesktopCaptureSource>();
}

} // namespace DesktopCaptureBackends
