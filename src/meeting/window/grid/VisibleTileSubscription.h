#pragma once

#include "agent/MeetingActiveModel.h"
#include "agent/MeetingMemberModel.h"

#include <QList>
#include <QRectF>
#include <QString>

#include <memory>

// Which camera tiles receive video and at which stream size. Decides from the tiles' frames
// against the grid's visible rectangle, updates the participants' videoStreamingReceive and
// streamingStatus, and returns the engine calls to make. A tile's first check always tells the
// engine (a new stream is sent until it is stopped); after that only transitions produce calls,
// so it may run on every scroll or resize.
namespace VisibleTileSubscription {

// Tiles closer than this to the visible area already count as on screen.
inline constexpr double kVisibleMargin = 100;

struct TilePlacement {
    std::shared_ptr<MeetingActiveModel> model;
    QRectF frame; // in the grid's content coordinates
};

struct Call {
    enum Kind { MuteVideo, SetPlayStreamVideoType };
    Kind kind = MuteVideo;
    QString userId;      // the participant (the manager maps it to the engine's peer id)
    QString peerId;      // the participant's engine peer id
    bool enable = false; // MuteVideo: true stops, false starts receiving
    int videoType = 0;   // SetPlayStreamVideoType: 1 small, 2 large
    friend bool operator==(const Call &, const Call &) = default;
};

[[nodiscard]] bool isOnScreen(const QRectF &tileFrame, const QRectF &visibleRect, double margin = kVisibleMargin);
// Large stream for index i of m tiles: m <= n and i < n, n = 4 behind a leading share tile, else 3.
[[nodiscard]] bool wantsLargeStream(qsizetype index, qsizetype count, bool firstIsShare);

// Examines every tile (tiles in grid order, index = position in activeMembers).
[[nodiscard]] QList<Call> check(const QList<TilePlacement> &tiles, const QRectF &visibleRect,
                                const MeetingMemberList &allMembers, const QString &myUserId);

} // namespace VisibleTileSubscription
