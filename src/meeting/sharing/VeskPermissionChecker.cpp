#include "meeting/sharing/VeskPermissionChecker.h"

namespace {
std::function<bool()> &override_()
{
    static std::function<bool()> answer;
    return answer;
}
} // namespace

bool VeskPermissionChecker::ScreeningRecordPermissionCheck()
{
    if (override_())
        return override_()();
    return true;
}

void VeskPermissionChecker::setAnswerForTesting(std::function<bool()> answer)
{
    override_() = std::move(answer);
}
