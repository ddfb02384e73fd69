#include "meeting/window/MeetingFrameRouter.h"

#include <utility>

MeetingFrameRouter::MeetingFrameRouter() : m_targets(std::make_shared<const Targets>()) {}

void MeetingFrameRouter::publish(const std::function<void(Targets &)> &change)
{
    // Exclusive: once this returns, no frame is being drawn into a target that left.
    std::unique_lock gate(m_gate);
    publishLocked(change);
}

void MeetingFrameRouter::publishLocked(const std::function<void(Targets &)> &change)
{
    // Copy-on-write outside the pointer's lock; that lock only swaps the pointer.
    auto next = std::make_shared<Targets>(*targets());
    change(*next);
    std::shared_ptr<const Targets> old;
    {
        std::lock_guard lock(m_mutex);
        old = std::exchange(m_targets, std::move(next));
    }
    // `old` may be the last reference: released here, outside the lock.
}

void MeetingFrameRouter::setTiles(const QList<Tile> &tiles)
{
    publish([&](Targets &t) { t.tiles = tiles; });
}

void MeetingFrameRouter::setAvFileShareSource(const Tile &tile)
{
    publish([&](Targets &t) { t.avFileShareSource = tile; });
}

void MeetingFrameRouter::setScreenShareSource(const Tile &tile)
{
    publish([&](Targets &t) { t.screenShareSource = tile; });
}

void MeetingFrameRouter::clear()
{
    publish([](Targets &t) { t = Targets(); });
}

std::shared_ptr<const MeetingFrameRouter::Targets> MeetingFrameRouter::targets() const
{
    std::lock_guard lock(m_mutex);
    return m_targets;
}

void MeetingFrameRouter::route(const QString &peerId, qint64 sourceType, qint64 channelIndex,
                               const std::function<void(const Tile &)> &draw) const
{
    std::shared_lock gate(m_gate);
    forEachMatch(*targets(), peerId, sourceType, channelIndex, draw);
}

void MeetingFrameRouter::dropView(const QObject *view)
{
    if (!view)
        return;
    auto drawsInto = [view](const Tile &t) { return t && t->videoView() == view; };
    std::unique_lock gate(m_gate);
    publishLocked([&](Targets &t) {
        t.tiles.removeIf(drawsInto);
        if (drawsInto(t.avFileShareSource))
            t.avFileShareSource.reset();
        if (drawsInto(t.screenShareSource))
            t.screenShareSource.reset();
    });
}

void MeetingFrameRouter::forEachMatch(const Targets &targets, const QString &peerId, qint64 sourceType,
                                      qint64 channelIndex, const std::function<void(const Tile &)> &draw)
{
    if (targets.avFileShareSource && targets.avFileShareSource->matches(peerId, sourceType, channelIndex))
        draw(targets.avFileShareSource);
    if (targets.screenShareSource && targets.screenShareSource->matches(peerId, sourceType, channelIndex))
        draw(targets.screenShareSource);
    for (const Tile &tile : targets.tiles) {
        if (tile && tile->matches(peerId, sourceType, channelIndex))
            draw(tile);
    }
}
