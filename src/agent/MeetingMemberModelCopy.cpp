#include "agent/MeetingMemberModelCopy.h"

#include "agent/MeetingMemberModel.h"
#include "foundation/RXEncrypt.h"

namespace {

// Shared text stays as it is: no reference count is touched for what did not change.
void keep(QString &to, const QString &from)
{
    if (!to.isSharedWith(from))
        to = from;
}

} // namespace

MeetingMemberModelCopy MeetingMemberModelCopy::fromMember(const MeetingMemberModel &member)
{
    MeetingMemberModelCopy row;
    row.refresh(member);
    return row;
}

void MeetingMemberModelCopy::refresh(const MeetingMemberModel &member)
{
    if (peerId.isEmpty() || !peerId.isSharedWith(member.phoneNumber)) {
        phoneNumber = RXEncrypt::aes128ecbDecrypt(member.phoneNumber);
        peerId = member.phoneNumber;
    }
    // Members' user ids are plain already: this hands the same text back without decrypting.
    keep(userId, RXEncrypt::aes128ecbDecrypt(member.userId));
    keep(userName, member.userName);
    keep(token, member.token);
    keep(authorization, member.authorization);
    registerStatus = member.registerStatus;
    keep(groupName, member.groupName);
    dvrWaitRead = member.dvrWaitRead;
    keep(namePinYin, member.namePinYin);
    keep(nameFirstLetter, member.nameFirstLetter);
    isAssistantHost = member.isAssistantHost();
    audioFlag = member.audioFlag();
    videoFlag = member.videoFlag();
    shareFlag = member.shareFlag() != 0;
    allowSharePermissionFlag = member.allowSharePermissionFlag();
    videoStreamingReceive = member.videoStreamingReceive();
    isExpand = member.isExpand();
    isCheck = false;
    soundStrength = member.soundStrength();
    streamingStatus = member.streamingStatus();
    enterDate = member.enterDate();
}
