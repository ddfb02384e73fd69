#include "meeting/window/dispatch/MeetingDeviceCheck.h"

#include "devices/VeskDeviceChecker.h"

namespace MeetingDeviceCheck {

namespace {
Check &microphoneOverride()
{
    static Check check;
    return check;
}
Check &cameraOverride()
{
    static Check check;
    return check;
}
} // namespace

void checkMicrophone(Completion completion)
{
    if (const Check &check = microphoneOverride())
        check(std::move(completion));
    else
        VeskDeviceChecker::checkMicrophoneWithCompletionBlock(std::move(completion));
}

void checkCamera(Completion completion)
{
    if (const Check &check = cameraOverride())
        check(std::move(completion));
    else
        VeskDeviceChecker::checkCameraWithCompletionBlock(std::move(completion));
}

OverrideScope::OverrideScope(Check microphone, Check camera)
    : m_previousMicrophone(microphoneOverride()), m_previousCamera(cameraOverride())
{
    microphoneOverride() = std::move(microphone);
    cameraOverride() = std::move(camera);
}

OverrideScope::~OverrideScope()
{
    microphoneOverride() = std::move(m_previousMicrophone);
    cameraOverride() = std::move(m_previousCamera);
}

} // namespace MeetingDeviceCheck
