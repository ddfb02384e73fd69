#include "DesktopCaptureBackends.h"

#include "DesktopCaptureSource.h"

namespace DesktopCaptureBackends {

std::shared_ptr<DesktopCaptureSource> create()
{
    return std::make_shared<QtDesktopCaptureSource>();
}

} // namespace DesktopCaptureBackends
