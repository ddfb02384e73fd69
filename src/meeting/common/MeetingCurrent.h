#pragma once

#include "meeting/common/MeetingHostControlRules.h"

#include <memory>

class VeskMeetingManager;
struct MeetingInfoModel;

// The meeting the window shows, as the agent holds it. Both are null once the agent is gone (a
// late callback at shut-down) and never make a new agent.
namespace MeetingCurrent {

[[nodiscard]] VeskMeetingManager *manager();
[[nodiscard]] std::shared_ptr<MeetingInfoModel> room();
// The signed-in user as the host-control rules see them (empty without an agent).
[[nodiscard]] MeetingHostControlRules::Me me();

} // namespace MeetingCurrent
