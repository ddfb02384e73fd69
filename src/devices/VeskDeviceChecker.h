#pragma once

#include <QStringList>

#include <functional>

// Whether the camera or the microphone can be used. On Linux there is no
// permission prompt: access is denied when the device cannot be opened.
class VeskDeviceChecker final {
public:
    enum Result : qint64 { Usable = 0, NoDevice = 1, Denied = 2 };

    // Each check runs off the main thread; the completion runs on the main thread.
    static void checkCameraWithCompletionBlock(std::function<void(qint64)> completion);
    static void checkMicrophoneWithCompletionBlock(std::function<void(qint64)> completion);

    // The rule behind both: no node is NoDevice; one node that opens is Usable;
    // nodes that all refuse with a permission error are Denied. openError gives
    // the errno of opening a node (0 when it opened).
    [[nodiscard]] static qint64 statusForNodes(const QStringList &nodes,
                                               const std::function<int(const QString &)> &openError);

    // What the checks read (blocking; used off the main thread).
    [[nodiscard]] static qint64 cameraStatus();
    [[nodiscard]] static qint64 microphoneStatus();
    [[nodiscard]] static QStringList cameraNodes();
    [[nodiscard]] static QStringList captureSoundNodes();
    [[nodiscard]] static int openErrorOf(const QString &node);
};
