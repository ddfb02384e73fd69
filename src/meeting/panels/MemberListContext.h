#pragma once

#include "meeting/panels/MemberListRules.h"

#include <memory>

class VeskMeetingManager;
struct MeetingInfoModel;

// What the member list's views read of the meeting: who looks at them, the manager and the room
// (null outside a meeting).
namespace MemberListContext {
[[nodiscard]] MemberListRules::Viewer viewer();
[[nodiscard]] VeskMeetingManager *manager();
[[nodiscard]] std::shared_ptr<MeetingInfoModel> room();
} // namespace MemberListContext
