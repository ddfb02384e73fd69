#pragma once

#include <QtGlobal>

#include <functional>

// The window's way to the device checks (VeskDeviceChecker by default). Tests install answers
// for the life of a scope, so no real device is touched.
namespace MeetingDeviceCheck {

using Completion = std::function<void(qint64 result)>; // 0 usable, 1 no device, 2 denied
using Check = std::function<void(Completion completion)>;

void checkMicrophone(Completion completion);
void checkCamera(Completion completion);

// Installs the checks for the life of the scope (main thread); nested scopes restore the outer.
class OverrideScope final {
public:
    OverrideScope(Check microphone, Check camera);
    ~OverrideScope();
    OverrideScope(const OverrideScope &) = delete;
    OverrideScope &operator=(const OverrideScope &) = delete;

private:
    Check m_previousMicrophone;
    Check m_previousCamera;
};

} // namespace MeetingDeviceCheck
