#include "meeting/window/grid/VisibleTileSubscription.h"

#include <QHash>

namespace VisibleTileSubscription {

bool isOnScreen(const QRectF &tileFrame, const QRectF &visibleRect, double margin)
{
    if (visibleRect.isEmpty())
        return false;
    return tileFrame.intersects(visibleRect.adjusted(-margin, -margin, margin, margin));
}

bool wantsLargeStream(qsizetype index, qsizetype count, bool firstIsShare)
{
    const qsizetype n = firstIsShare ? 4 : 3;
    return count <= n && index < n;
}

QList<Call> check(const QList<TilePlacement> &tiles, const QRectF &visibleRect, const MeetingMemberList &allMembers,
                  const QString &myUserId)
{
    QList<Call> calls;
    // The first participant with a userId answers for it.
    QHash<QString, MeetingMemberModel *> byUserId;
    byUserId.reserve(allMembers.size());
    for (const auto &m : allMembers) {
        if (m && !byUserId.contains(m->userId))
            byUserId.insert(m->userId, m.get());
    }
    const qsizetype count = tiles.size();
    const bool firstIsShare = count > 0 && tiles.first().model && tiles.first().model->activeVideoSourceType() == 2;
    for (qsizetype i = 0; i < count; ++i) {
        const TilePlacement &tile = tiles.at(i);
        if (!tile.model || tile.model->activeVideoSourceType() != 1 || tile.model->userId() == myUserId)
            continue;
        MeetingMemberModel *member = byUserId.value(tile.model->userId());
        if (!member)
            continue;
        const bool self = member->isSelf() || member->userId == myUserId;
        const bool onScreen = isOnScreen(tile.frame, visibleRect);
        // A new camera stream arrives whatever the participant's flag says: the first check of its
        // tile decides, on screen or not, so no tile nobody has seen receives video.
        if (member->videoFlag() && !member->shareFlag() && !self &&
            (!tile.model->videoReceiveDecided() || member->videoStreamingReceive() != onScreen)) {
            tile.model->setVideoReceiveDecided(true);
            member->setVideoStreamingReceive(onScreen);
            calls.append({Call::MuteVideo, member->userId, member->phoneNumber, !onScreen, 0});
        }
        if (onScreen) {
            const int wanted = wantsLargeStream(i, count, firstIsShare) ? 2 : 1;
            if (member->streamingStatus() != wanted) {
                member->setStreamingStatus(wanted);
                calls.append({Call::SetPlayStreamVideoType, member->userId, member->phoneNumber, false, wanted});
            }
        }
    }
    return calls;
}

} // namespace VisibleTileSubscription
