#include "meeting/panels/MemberListContext.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "meeting/common/MeetingCurrent.h"

namespace MemberListContext {

MemberListRules::Viewer viewer()
{
    MemberListRules::Viewer v;
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return v;
    const VeskUserModel &me = agent->myInfo();
    const bool assistant = manager() && manager()->asssitantHost();
    v.privileged = me.isHost() || assistant;
    v.assistant = assistant && !me.isHost();
    v.myPhoneNumber = me.phoneNumber;
    return v;
}

VeskMeetingManager *manager()
{
    return MeetingCurrent::manager();
}

std::shared_ptr<MeetingInfoModel> room()
{
    return MeetingCurrent::room();
}

} // namespace MemberListContext
