#pragma once

#include "agent/MeetingActiveModel.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>

// Where rendered frames go. The main thread publishes the tiles (and the two share streams) as
// one immutable snapshot; the engine's render thread takes the current snapshot under a short
// lock and matches frames against it, so the member pipeline can replace the tiles at any time.
class MeetingFrameRouter final {
public:
    using Tile = std::shared_ptr<MeetingActiveModel>;

    struct Targets {
        QList<Tile> tiles;      // the grid's tiles (activeMembers)
        Tile avFileShareSource; // a shared audio/video file being played
        Tile screenShareSource; // a remote screen share
    };

    MeetingFrameRouter();

    // Main thread: each replaces one part of the snapshot; a frame being drawn finishes first.
    void setTiles(const QList<Tile> &tiles);
    void setAvFileShareSource(const Tile &tile);
    void setScreenShareSource(const Tile &tile);
    // Nothing more is routed (the meeting ended).
    void clear();

    // Any thread.
    [[nodiscard]] std::shared_ptr<const Targets> targets() const;

    // Render thread: draws the frame into every matching target. The gate is held meanwhile, so
    // a view dropped by dropView() is never drawn into while it is being destroyed.
    void route(const QString &peerId, qint64 sourceType, qint64 channelIndex,
               const std::function<void(const Tile &)> &draw) const;
    // Main thread, before a view is destroyed: every target drawing into it goes, after the frame
    // in hand (if any) is done.
    void dropView(const QObject *view);

    // Every tile of the snapshot the frame belongs to, in drawing order: the shared file's
    // stream, the screen share, then the grid's tiles. Creates nothing.
    static void forEachMatch(const Targets &targets, const QString &peerId, qint64 sourceType, qint64 channelIndex,
                             const std::function<void(const Tile &)> &draw);

private:
    void publish(const std::function<void(Targets &)> &change);
    void publishLocked(const std::function<void(Targets &)> &change);

    mutable std::shared_mutex m_gate; // shared while routing, exclusive while a view goes
    mutable std::mutex m_mutex;
    std::shared_ptr<const Targets> m_targets; // guarded by m_mutex
};
