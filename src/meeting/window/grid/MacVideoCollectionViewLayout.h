#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

// The grid's layout: 1, 2 or 3 columns by tile count, at most three rows on screen, tiles sized
// from the enclosing view, rows regrouped and short rows placed by cellType. Pure geometry: the
// grid view asks it for every tile's frame and lays its widgets out from the answer.
class MacVideoCollectionViewLayout final {
public:
    enum class ElementKind { Item, Header, Footer };
    struct Attributes {
        ElementKind kind = ElementKind::Item;
        int index = 0; // item index for items, -1 otherwise
        QRectF frame;
    };
    // Value-initialise ({}) for no insets.
    struct Insets {
        double left;
        double right;
    };

    struct Result {
        QList<QRectF> frames; // one per item, in item order
        QSizeF itemSize;
        QSizeF contentSize; // the scrolled document: headers, rows and footer
        int columns = 0;
        int rows = 0;
        int visibleRows = 0;
    };

    static constexpr double kLineSpacing = 2;
    static constexpr double kInteritemSpacing = 2;
    static constexpr double kHeaderFooterHeight = 2;
    static constexpr double kHeightReserve = 4;

    [[nodiscard]] double sumCellWidth() const { return m_sumCellWidth; }
    void setSumCellWidth(double width) { m_sumCellWidth = width; }
    [[nodiscard]] double betweenOfCell() const { return m_betweenOfCell; }
    void setBetweenOfCell(double gap) { m_betweenOfCell = gap; }
    [[nodiscard]] qint64 cellType() const { return m_cellType; }
    void setCellType(qint64 type) { m_cellType = type; }

    [[nodiscard]] static int columnsForCount(int count);

    // Every item's frame for `count` tiles. enclosing: the view around the grid (its height less
    // 4 points is what three rows share); collectionWidth: the grid's own width.
    [[nodiscard]] Result layoutAttributesForElementsInRect(int count, const QSizeF &enclosing, double collectionWidth);

    // The flow layout's plain answer before rows are regrouped: header, items row by row, footer.
    [[nodiscard]] static QList<Attributes> flowAttributes(int count, const QSizeF &itemSize, int columns);

    // Regroups attributes into rows by their bottom edge and places each row (in place).
    void regroupRows(QList<Attributes> &attributes, double collectionWidth, Insets insets = {});

    // Places one row's cells by cellType; only x origins change. Clears the running row state.
    void setCellFrameWith(QList<Attributes *> &row, double collectionWidth, Insets insets = {});

private:
    double m_sumCellWidth = 0;
    double m_betweenOfCell = kInteritemSpacing;
    qint64 m_cellType = 1;
};
