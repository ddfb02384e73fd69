#pragma once

class QWidget;

// The alerts shown when the camera or microphone refuses access. Linux has no
// privacy settings pane to open, so the alert tells the user what is wrong and
// "前往设置" only closes it.
namespace KVDevicePermissionAlert {
// Each shows the alert centred on window (the active window when null).
void showCameraDenied(QWidget *window = nullptr);
void showMicrophoneDenied(QWidget *window = nullptr);
} // namespace KVDevicePermissionAlert
