#include "agent/AgentModelContext.h"

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "foundation/models/MeetingInfoModel.h"

QString AgentModelContext::myPhoneNumber() const
{
    return m_agent->myInfo().phoneNumber;
}

QString AgentModelContext::myUserId() const
{
    return m_agent->myInfo().userId;
}

QString AgentModelContext::myUserName() const
{
    return m_agent->myInfo().userName;
}

QString AgentModelContext::roomCreatorId() const
{
    const auto room = m_agent->currentRoomInfo();
    return room ? room->creatorId : QString();
}

QString AgentModelContext::webBaseUrl() const
{
    return m_agent->webHost();
}

bool AgentModelContext::autoCameraOn() const
{
    return m_agent->settingModel()->autoCameraOn();
}

bool AgentModelContext::autoMicphoneOn() const
{
    return m_agent->settingModel()->autoMicphoneOn();
}
