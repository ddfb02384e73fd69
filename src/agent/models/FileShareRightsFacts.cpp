#include "agent/MeetingMemberModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/models/FileShareModel.h"

FileShareRights::Facts FileShareRights::currentFacts()
{
    Facts facts;
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return facts;
    facts.myPhoneNumber = agent->myInfo().phoneNumber;
    facts.isHost = agent->myInfo().isHost();
    if (const VeskMeetingManager *manager = agent->meetingManager()) {
        facts.isAssistantHost = manager->asssitantHost();
        facts.sharesDocument = manager->selfFileSharing();
        facts.sharesAudioVideo = manager->selfAVFileSharing();
    }
    return facts;
}
