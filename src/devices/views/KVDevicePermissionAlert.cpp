#include "devices/views/KVDevicePermissionAlert.h"

#include "devices/DevicesLog.h"
#include "uikit/KVAlert.h"
#include "uikit/VeskButton.h" // complete type for KVAlert.h

namespace {

void showDenied(QWidget *window, const QString &title, const QString &message)
{
    KVAlert *alert = KVAlert::alertWithTitle(title, message, QStringLiteral("取消"), QStringLiteral("前往设置"), {},
                                             [] { qCInfo(lcDevices) << "no privacy settings pane on this system"; });
    alert->showInCenterOfWindow(window);
}

} // namespace

void KVDevicePermissionAlert::showCameraDenied(QWidget *window)
{
    showDenied(window, QStringLiteral("无法使用摄像头"),
               QStringLiteral("请在“设置”-“隐私”中开启摄像头使用权限，并重新启动程序"));
}

void KVDevicePermissionAlert::showMicrophoneDenied(QWidget *window)
{
    showDenied(window, QStringLiteral("无法使用麦克风"),
               QStringLiteral("请在“设置”-“隐私”中开启麦克风使用权限，并重新启动程序"));
}
