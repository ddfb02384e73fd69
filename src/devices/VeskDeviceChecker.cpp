#include "devices/VeskDeviceChecker.h"

#include "devices/DevicesLog.h"
#include "devices/audio/PulseAudioClient.h"
#include "foundation/MainQueue.h"

#include <QDir>
#include <QThreadPool>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

void runChecked(std::function<qint64()> check, std::function<void(qint64)> completion)
{
    QThreadPool::globalInstance()->start([check = std::move(check), completion = std::move(completion)] {
        const qint64 result = check();
        if (completion)
            MainQueue::async([completion, result] { completion(result); });
    });
}

QStringList nodesIn(const QString &dir, const QStringList &patterns)
{
    QStringList nodes;
    const QStringList names = QDir(dir).entryList(patterns, QDir::System | QDir::Files, QDir::Name);
    for (const QString &name : names)
        nodes.append(dir + QLatin1Char('/') + name);
    return nodes;
}

} // namespace

qint64 VeskDeviceChecker::statusForNodes(const QStringList &nodes, const std::function<int(const QString &)> &openError)
{
    bool denied = false;
    bool present = false;
    for (const QString &node : nodes) {
        const int error = openError(node);
        if (error == 0)
            return Usable;
        if (error == EACCES || error == EPERM) {
            denied = true;
            present = true;
        } else if (error != ENOENT && error != ENODEV && error != ENXIO) {
            // Busy or otherwise failing devices exist; the stream reports their errors.
            present = true;
        }
    }
    if (denied)
        return Denied;
    return present ? Usable : NoDevice;
}

int VeskDeviceChecker::openErrorOf(const QString &node)
{
    // Non-blocking: a busy capture device must not stall the check.
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

QStringList VeskDeviceChecker::cameraNodes()
{
    return nodesIn(QStringLiteral("/dev"), {QStringLiteral("video*")});
}

QStringList VeskDeviceChecker::captureSoundNodes()
{
    // ALSA capture PCMs end in "c" (pcmC0D0c).
    return nodesIn(QStringLiteral("/dev/snd"), {QStringLiteral("pcmC*D*c")});
}

qint64 VeskDeviceChecker::cameraStatus()
{
    return statusForNodes(cameraNodes(), &VeskDeviceChecker::openErrorOf);
}

qint64 VeskDeviceChecker::microphoneStatus()
{
    // The sound server owns the devices when it runs: ask it, not the nodes.
    PulseAudioClient &client = PulseAudioClient::shared();
    if (client.ensureConnected()) {
        const auto sources = client.sources();
        if (sources) {
            for (const PulseDeviceInfo &source : *sources) {
                if (!source.isMonitor)
                    return Usable;
            }
            return NoDevice;
        }
    }
    if (client.lastFailureWasAccessDenied())
        return Denied;
    return statusForNodes(captureSoundNodes(), &VeskDeviceChecker::openErrorOf);
}

void VeskDeviceChecker::checkCameraWithCompletionBlock(std::function<void(qint64)> completion)
{
    runChecked(&VeskDeviceChecker::cameraStatus, std::move(completion));
}

void VeskDeviceChecker::checkMicrophoneWithCompletionBlock(std::function<void(qint64)> completion)
{
    runChecked(&VeskDeviceChecker::microphoneStatus, std::move(completion));
}
