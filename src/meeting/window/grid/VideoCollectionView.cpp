#include "meeting/window/grid/VideoCollectionView.h"

#include "meeting/window/grid/MeetingActiveView.h"
#include "meeting/window/grid/VideoCollectionViewItem.h"
#include "meeting/window/grid/VideoViewParking.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <utility>

VideoCollectionView::VideoCollectionView(QScrollArea *scrollArea)
    : QWidget(nullptr), m_scrollArea(scrollArea), m_parking(new VideoViewParking(this))
{
    setObjectName(QStringLiteral("videoCollectionView"));
    setAccessibleName(QStringLiteral("视频画面"));
    if (!scrollArea)
        return;
    // The grid sizes itself: its height is the layout's, its width the visible width.
    scrollArea->setWidgetResizable(false);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidget(this);
    scrollArea->viewport()->installEventFilter(this);
    connect(scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Q_EMIT visibleAreaChanged(); });
    relayout();
}

VideoCollectionView::~VideoCollectionView()
{
    // The tiles first, giving their views to the parking, which hands them all back as it goes.
    qDeleteAll(std::exchange(m_items, {}));
    m_parking->handBack();
    delete m_parking;
}

QList<QRect> VideoCollectionView::nameBarRects(const QWidget *in) const
{
    QList<QRect> out;
    if (!in || !isVisible())
        return out;
    // Only the tiles in sight: a meeting of thousands maps a screenful of bars, not every one,
    // and finds them without a walk over all tiles (rows go down in item order).
    const QRect seen = visibleRect().toAlignedRect();
    const qsizetype count = std::min(numberOfItems(), m_items.size());
    const auto first =
        std::partition_point(m_items.cbegin(), m_items.cbegin() + count, [&](const VideoCollectionViewItem *item) {
            return item->geometry().bottom() < seen.top();
        });
    for (auto it = first; it != m_items.cbegin() + count && (*it)->geometry().top() <= seen.bottom(); ++it) {
        VideoCollectionViewItem *item = *it;
        if (!item->geometry().intersects(seen))
            continue;
        MeetingActiveView *tile = item->activeView();
        QWidget *bar = tile ? tile->infoBgView() : nullptr;
        if (!bar || !bar->isVisible() || !item->isVisible())
            continue;
        out << QRect(bar->mapTo(in, QPoint(0, 0)), bar->size());
    }
    return out;
}

VideoCollectionViewItem *VideoCollectionView::itemAt(qsizetype index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

void VideoCollectionView::reloadData(const QList<Tile> &tiles)
{
    m_tiles = tiles;
    while (m_items.size() > tiles.size())
        delete m_items.takeLast();
    while (m_items.size() < tiles.size()) {
        auto *item = new VideoCollectionViewItem(this, m_parking);
        m_items.append(item);
    }
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        VideoCollectionViewItem *item = m_items.at(i);
        item->setDelegate(m_delegate);
        if (item->activeModel() && item->activeModel() == tiles.at(i))
            item->refreshContent();
        else
            item->setActiveModel(tiles.at(i));
        item->show();
    }
    relayout();
}

void VideoCollectionView::relayout()
{
    QSizeF enclosing;
    if (m_scrollArea)
        enclosing = m_scrollArea->viewport()->size();
    else
        enclosing = size();
    m_result = m_layout.layoutAttributesForElementsInRect(int(m_tiles.size()), enclosing, enclosing.width());
    m_frames = m_result.frames;
    const QSize content(int(enclosing.width()), int(std::max(enclosing.height(), m_result.contentSize.height())));
    if (m_scrollArea && size() != content)
        resize(content);
    for (qsizetype i = 0; i < m_items.size() && i < m_frames.size(); ++i)
        m_items.at(i)->setGeometry(m_frames.at(i).toRect());
    markTilesInSight();
    Q_EMIT visibleAreaChanged();
}

void VideoCollectionView::markTilesInSight()
{
    // Tiles within the subscription's margin receive video to be ready, but only those in sight
    // scale and paint it.
    // In whole pixels, as the tiles are placed: a tile that only touches the edge shows nothing.
    const QRect seen = visibleRect().toAlignedRect();
    for (qsizetype i = 0; i < m_items.size(); ++i)
        m_items.at(i)->setOnScreen(i < m_frames.size() && m_items.at(i)->geometry().intersects(seen));
}

QRectF VideoCollectionView::visibleRect() const
{
    if (!m_scrollArea)
        return QRectF(QPointF(0, 0), size());
    const QWidget *viewport = m_scrollArea->viewport();
    return QRectF(QPointF(-pos().x(), -pos().y()), viewport->size());
}

void VideoCollectionView::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    markTilesInSight(); // scrolled: the area moves the grid inside its viewport
}

bool VideoCollectionView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_scrollArea && watched == m_scrollArea->viewport() && event->type() == QEvent::Resize)
        relayout();
    return QWidget::eventFilter(watched, event);
}
