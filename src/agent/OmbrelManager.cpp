#include "agent/OmbrelManager.h"

#include "agent/VeskAppAgent.h"
#include "foundation/models/MeetingInfoModel.h"

OmbrelManager &OmbrelManager::sharedInstance()
{
    static OmbrelManager instance;
    return instance;
}

void OmbrelManager::uploadOmbrelMicOpenTime()
{
    const QDateTime start = m_startMicDate;
    const QDateTime end = m_endMicDate;
    m_startMicDate = QDateTime();
    m_endMicDate = QDateTime();
    if (!start.isValid() || !end.isValid() || end < start)
        return;
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    const auto room = agent->currentRoomInfo();
    if (!room || room->roomId.isEmpty())
        return;
    agent->uploadMicOpenTime(room->roomId, start.toMSecsSinceEpoch(), end.toMSecsSinceEpoch());
}
