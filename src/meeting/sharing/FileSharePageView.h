#pragma once

// The pages of a shared document in its scroll view. The document is as tall as its pages, one
// tile height each; only the pages in sight, and one each side, have a tile widget, so a long
// document costs what a short one does.

#include "foundation/models/FileSliceModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>

#include <functional>
#include <map>

class QScrollArea;
class QWidget;

class FileSharePageView final : public QObject {
    Q_OBJECT
public:
    // Makes an empty tile (a child of parent) and shows one page in it.
    using MakeTile = std::function<QWidget *(QWidget *parent)>;
    using ShowPage = std::function<void(QWidget *tile, const FileSliceModel &page, int index)>;

    FileSharePageView(QScrollArea *scroll, QWidget *document, QObject *parent = nullptr);

    // Replaces the default tiles (a label showing the page image).
    void setTiles(MakeTile make, ShowPage show);
    void reload(const QList<FileSliceModel> &pages, QSizeF tileSize);
    void clear() { reload({}, m_tileSize); }

    [[nodiscard]] QSizeF tileSize() const { return m_tileSize; }
    [[nodiscard]] int pageCount() const { return int(m_pages.size()); }
    // The top of a page in the document.
    [[nodiscard]] int pageTop(int index) const;
    [[nodiscard]] int documentHeight() const;
    // The tiles now made (the pages near the visible area), by page index.
    [[nodiscard]] QList<int> tiledPages() const;
    [[nodiscard]] QWidget *tileAt(int index) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeTiles();

    QPointer<QScrollArea> m_scroll;
    QPointer<QWidget> m_document;
    QList<FileSliceModel> m_pages;
    QSizeF m_tileSize;
    MakeTile m_make;
    ShowPage m_show;
    std::map<int, QPointer<QWidget>> m_tiles;
    QList<QPointer<QWidget>> m_spare;
};
