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

MeetingHostControlRules::Me me()
{
    MeetingHostControlRules::Me me;
    if (VeskAppAgent *agent = VeskAppAgent::existingInstance()) {
        me.phoneNumber = agent->myInfo().phoneNumber;
        me.userId = agent->myInfo().userId;
        me.isHost = agent->myInfo().isHost();
    }
    if (VeskMeetingManager *m = manager())
        me.isAssistantHost = m->asssitantHost();
    return me;
}

} // namespace MeetingCurrent
