#include "meeting/common/MeetingCurrent.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"

namespace MeetingCurrent {

VeskMeetingManager *manager()
{
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    return agent ? agent->meetingManager() : nullptr;
}

std::shared_ptr<MeetingInfoModel> room()
{
    VeskMeetingManager *m = manager();
    return m ? m->roomInfo() : nullptr;
}

} // namespace MeetingCurrent
