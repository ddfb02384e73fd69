#include "agent/MeetingMemberModelCopy.h"

#include "agent/MeetingMemberModel.h"
#include "foundation/RXEncrypt.h"

MeetingMemberModelCopy MeetingMemberModelCopy::fromMember(const MeetingMemberModel &member)
{
    MeetingMemberModelCopy row;
    row.userId = RXEncrypt::aes128ecbDecrypt(member.userId);
    row.userName = member.userName;
    row.phoneNumber = RXEncrypt::aes128ecbDecrypt(member.phoneNumber);
    row.token = member.token;
    row.authorization = member.authorization;
    row.registerStatus = member.registerStatus;
    row.groupName = member.groupName;
    row.dvrWaitRead = member.dvrWaitRead;
    row.namePinYin = member.namePinYin;
    row.nameFirstLetter = member.nameFirstLetter;
    row.isAssistantHost = member.isAssistantHost();
    row.audioFlag = member.audioFlag();
    row.videoFlag = member.videoFlag();
    row.shareFlag = member.shareFlag() != 0;
    row.allowSharePermissionFlag = member.allowSharePermissionFlag();
    row.videoStreamingReceive = member.videoStreamingReceive();
    row.isExpand = member.isExpand();
    row.soundStrength = member.soundStrength();
    row.streamingStatus = member.streamingStatus();
    row.enterDate = member.enterDate();
    row.peerId = member.phoneNumber;
    return row;
}
