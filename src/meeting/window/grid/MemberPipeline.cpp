#include "meeting/window/grid/MemberPipeline.h"
#include "foundation/StringHelpers.h"

#include "meeting/common/AssistantRecords.h"

namespace MemberPipeline {

std::optional<bool> sharePermissionFor(const MeetingMemberModel &member, const Input &in)
{
    switch (in.sharePermission) {
    case 0:
        return true;
    case 1: {
        // Entries are keyed by the plain phone number (the member's userId); older replies used
        // the peer id.
        auto it = in.sharePermissionInfo.constFind(member.userId);
        if (it == in.sharePermissionInfo.constEnd())
            it = in.sharePermissionInfo.constFind(member.phoneNumber);
        if (it == in.sharePermissionInfo.constEnd())
            return std::nullopt;
        return it->allowShareStatus == 1;
    }
    case 2:
        if (!in.creatorId.isEmpty() && (member.userId == in.creatorId || member.phoneNumber == in.creatorId))
            return true;
        return AssistantRecords::contains(in.assistantIds, member.userId, member.phoneNumber);
    default:
        return std::nullopt;
    }
}

Result build(const Input &in)
{
    Result r;
    r.allMembers = in.members;
    r.sharePermission.reserve(in.members.size());
    QList<Tile> tiles;
    tiles.reserve(in.members.size() * 2);
    for (const auto &member : in.members) {
        if (!member) {
            r.sharePermission.append(std::nullopt);
            continue;
        }
        r.sharePermission.append(sharePermissionFor(*member, in));
        tiles.append(member->activeArr());
    }
    qsizetype screenIndex = -1;
    qsizetype fileIndex = -1;
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const Tile &t = tiles.at(i);
        if (!t)
            continue;
        switch (t->activeVideoSourceType()) {
        case 1:
            r.didOtherOpenCamera = true;
            break;
        case 2:
            screenIndex = i;
            break;
        case 3:
            fileIndex = i;
            break;
        default:
            break;
        }
    }
    if (screenIndex >= 0)
        r.screenShareSource = tiles.at(screenIndex);
    if (fileIndex >= 0)
        r.avFileShareSource = tiles.at(fileIndex);
    r.activeMembers.reserve(tiles.size());
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        if (i != screenIndex && i != fileIndex && tiles.at(i))
            r.activeMembers.append(tiles.at(i));
    }
    return r;
}

Display displayFor(bool selfScreenOrWindowSharing, int fileShareMode, bool screenShareFound)
{
    if (selfScreenOrWindowSharing)
        return Display::FloatingStrip;
    if (fileShareMode != 1 && fileShareMode != 2 && !screenShareFound)
        return Display::Grid;
    return Display::ShareViews;
}

QString shareEndedAnnouncement(const Tile &previousAvFileShare, bool fileTileFound, bool selfAVFileSharing)
{
    // Never for the user's own file: his stop clears his sharing flag before its stream goes.
    if (fileTileFound || selfAVFileSharing || !previousAvFileShare || previousAvFileShare->isSelf())
        return {};
    return kShareEndedFormat.arg(DataText::isolated(previousAvFileShare->userName()));
}

double verticalStripWidth(qsizetype activeCount, double adjustScale)
{
    return activeCount > 0 ? 216 * adjustScale : 0;
}

} // namespace MemberPipeline
