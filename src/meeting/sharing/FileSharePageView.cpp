#include "meeting/sharing/FileSharePageView.h"

#include "connection/KVImageLoader.h"
#include "uikit/KVDataText.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

FileSharePageView::FileSharePageView(QScrollArea *scroll, QWidget *document, QObject *parent)
    : QObject(parent), m_scroll(scroll), m_document(document)
{
    m_make = [](QWidget *parentWidget) {
        auto *label = new QLabel(parentWidget);
        label->setScaledContents(true);
        label->setAlignment(Qt::AlignCenter);
        return label;
    };
    m_show = [](QWidget *tile, const FileSliceModel &page, int index) {
        tile->setAccessibleName(QStringLiteral("第%1页").arg(index + 1));
        if (auto *label = qobject_cast<QLabel *>(tile))
            KVImageLoader::sharedLoader()->setImageWithURL(label, page.downloadUrl);
    };
    if (m_document) {
        // The tiles are placed by hand; a layout would pull the document down to its items.
        delete m_document->layout();
        m_document->installEventFilter(this);
    }
    if (m_scroll) {
        connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeTiles(); });
        m_scroll->viewport()->installEventFilter(this);
    }
}

void FileSharePageView::setTiles(MakeTile make, ShowPage show)
{
    for (auto &[index, tile] : m_tiles)
        delete tile.data();
    m_tiles.clear();
    for (const QPointer<QWidget> &tile : std::as_const(m_spare))
        delete tile.data();
    m_spare.clear();
    m_make = std::move(make);
    m_show = std::move(show);
    placeTiles();
}

void FileSharePageView::reload(const QList<FileSliceModel> &pages, QSizeF tileSize)
{
    m_pages = pages;
    m_tileSize = tileSize;
    for (auto &[index, tile] : m_tiles) {
        if (tile) {
            tile->hide();
            m_spare.append(tile);
        }
    }
    m_tiles.clear();
    if (m_document)
        m_document->setMinimumHeight(documentHeight());
    placeTiles();
}

int FileSharePageView::pageTop(int index) const
{
    return index * int(m_tileSize.height());
}

int FileSharePageView::documentHeight() const
{
    return pageTop(int(m_pages.size()));
}

QList<int> FileSharePageView::tiledPages() const
{
    QList<int> out;
    for (const auto &[index, tile] : m_tiles)
        out.append(index);
    return out;
}

QWidget *FileSharePageView::tileAt(int index) const
{
    const auto it = m_tiles.find(index);
    return it == m_tiles.end() ? nullptr : it->second.data();
}

bool FileSharePageView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && (watched == m_document || (m_scroll && watched == m_scroll->viewport())))
        placeTiles();
    return QObject::eventFilter(watched, event);
}

void FileSharePageView::placeTiles()
{
    const int step = int(m_tileSize.height());
    if (!m_document || !m_scroll || step <= 0 || m_pages.isEmpty()) {
        for (auto &[index, tile] : m_tiles) {
            if (tile) {
                tile->hide();
                m_spare.append(tile);
            }
        }
        m_tiles.clear();
        return;
    }
    const int top = m_scroll->verticalScrollBar()->value();
    const int height = std::max(m_scroll->viewport()->height(), step);
    const int first = std::max(0, top / step - 1);
    const int last = std::min(int(m_pages.size()) - 1, (top + height) / step + 1);
    for (auto it = m_tiles.begin(); it != m_tiles.end();) {
        if (it->first < first || it->first > last || !it->second) {
            if (it->second) {
                it->second->hide();
                m_spare.append(it->second);
            }
            it = m_tiles.erase(it);
        } else {
            ++it;
        }
    }
    const int width = int(m_tileSize.width());
    const int left = std::max(0, (m_document->width() - width) / 2);
    for (int index = first; index <= last; ++index) {
        QPointer<QWidget> &tile = m_tiles[index];
        if (!tile) {
            while (!m_spare.isEmpty() && !tile)
                tile = m_spare.takeLast();
            if (!tile)
                tile = m_make(m_document);
            m_show(tile, m_pages.at(index), index);
        }
        tile->setGeometry(left, pageTop(index), width, step);
        tile->show();
    }
}
