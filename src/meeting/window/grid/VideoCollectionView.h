#pragma once

#include "agent/MeetingActiveModel.h"
#include "meeting/window/grid/MacVideoCollectionViewLayout.h"

#include <QList>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include <memory>

class VideoCollectionViewItem;
class VideoCollectionViewItemDelegate;
class VideoViewParking;

// The video grid: the scrolled document of the window's scroll area, one tile per entry, every
// tile placed where MacVideoCollectionViewLayout says. Tiles are reused across reloads.
class VideoCollectionView final : public QWidget {
    Q_OBJECT
public:
    using Tile = std::shared_ptr<MeetingActiveModel>;

    // Becomes the scroll area's document; the grid then follows the area's size.
    explicit VideoCollectionView(QScrollArea *scrollArea);
    ~VideoCollectionView() override;

    void setDelegate(VideoCollectionViewItemDelegate *delegate) { m_delegate = delegate; }
    // Every tile set again from the entries (setting a model rebuilds its tile).
    void reloadData(const QList<Tile> &tiles);
    // Places the tiles for the current size of the scroll area.
    void relayout();

    [[nodiscard]] qsizetype numberOfItems() const { return m_tiles.size(); }
    [[nodiscard]] VideoCollectionViewItem *itemAt(qsizetype index) const;
    // The entries of the last reload, one per frame of itemFrames().
    [[nodiscard]] const QList<Tile> &tiles() const { return m_tiles; }
    [[nodiscard]] const QList<QRectF> &itemFrames() const { return m_frames; }
    [[nodiscard]] const MacVideoCollectionViewLayout::Result &layoutResult() const { return m_result; }
    // The part of the grid on screen, in the grid's coordinates.
    [[nodiscard]] QRectF visibleRect() const;
    [[nodiscard]] QScrollArea *scrollArea() const { return m_scrollArea; }
    [[nodiscard]] MacVideoCollectionViewLayout &collectionViewLayout() { return m_layout; }
    // The name bars of the tiles on screen, in the coordinates of in: what an overlay over the
    // grid keeps clear of. Empty while the grid is hidden.
    [[nodiscard]] QList<QRect> nameBarRects(const QWidget *in) const;

Q_SIGNALS:
    // The tiles moved on screen: scrolled, resized or reloaded.
    void visibleAreaChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void markTilesInSight();

    QPointer<QScrollArea> m_scrollArea;
    VideoCollectionViewItemDelegate *m_delegate = nullptr;
    MacVideoCollectionViewLayout m_layout;
    MacVideoCollectionViewLayout::Result m_result;
    QList<Tile> m_tiles;
    QList<VideoCollectionViewItem *> m_items;
    // One for all tiles: a tile that goes leaves its views in the window (see VideoViewParking).
    VideoViewParking *m_parking = nullptr;
    QList<QRectF> m_frames;
};
