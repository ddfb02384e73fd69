#include "meeting/window/grid/MacVideoCollectionViewLayout.h"

#include <algorithm>

int MacVideoCollectionViewLayout::columnsForCount(int count)
{
    if (count <= 1)
        return 1;
    return count <= 4 ? 2 : 3;
}

QList<MacVideoCollectionViewLayout::Attributes>
MacVideoCollectionViewLayout::flowAttributes(int count, const QSizeF &itemSize, int columns)
{
    QList<Attributes> out;
    if (count <= 0 || columns <= 0)
        return out;
    out.reserve(count + 2);
    const double width = columns * itemSize.width() + (columns - 1) * kInteritemSpacing;
    out.append({ElementKind::Header, -1, QRectF(0, 0, width, kHeaderFooterHeight)});
    double y = kHeaderFooterHeight;
    for (int i = 0; i < count; ++i) {
        const int column = i % columns;
        if (column == 0 && i > 0)
            y += itemSize.height() + kLineSpacing;
        out.append({ElementKind::Item, i,
                    QRectF(column * (itemSize.width() + kInteritemSpacing), y, itemSize.width(), itemSize.height())});
    }
    y += itemSize.height();
    out.append({ElementKind::Footer, -1, QRectF(0, y, width, kHeaderFooterHeight)});
    return out;
}

MacVideoCollectionViewLayout::Result
MacVideoCollectionViewLayout::layoutAttributesForElementsInRect(int count, const QSizeF &enclosing,
                                                                double collectionWidth)
{
    Result result;
    if (count <= 0)
        return result;
    m_cellType = 1;
    const int columns = columnsForCount(count);
    const int rows = (count + columns - 1) / columns;
    const int visibleRows = std::min(rows, 3);
    const double w = enclosing.width();
    const double h = enclosing.height() - kHeightReserve;
    // A window squeezed to nothing still gets non-negative tiles.
    const QSizeF itemSize(std::max(0.0, (w - (columns - 1) * kInteritemSpacing) / columns),
                          std::max(0.0, (h - (visibleRows - 1) * kLineSpacing) / visibleRows));

    QList<Attributes> attributes = flowAttributes(count, itemSize, columns);
    regroupRows(attributes, collectionWidth);

    result.frames.resize(count);
    for (const Attributes &a : std::as_const(attributes)) {
        if (a.kind == ElementKind::Item)
            result.frames[a.index] = a.frame;
    }
    result.itemSize = itemSize;
    result.columns = columns;
    result.rows = rows;
    result.visibleRows = visibleRows;
    const double itemsHeight = rows * itemSize.height() + (rows - 1) * kLineSpacing;
    result.contentSize = QSizeF(collectionWidth, itemsHeight + 2 * kHeaderFooterHeight);
    return result;
}

void MacVideoCollectionViewLayout::regroupRows(QList<Attributes> &attributes, double collectionWidth, Insets insets)
{
    QList<Attributes *> row;
    m_sumCellWidth = 0;
    const qsizetype n = attributes.size();
    for (qsizetype i = 0; i < n; ++i) {
        Attributes &a = attributes[i];
        row.append(&a);
        m_sumCellWidth += a.frame.width();
        const double bottom = a.frame.bottom();
        const double previous = i > 0 ? attributes[i - 1].frame.bottom() : 0;
        const double next = i + 1 < n ? attributes[i + 1].frame.bottom() : 0;
        if (bottom == previous || bottom == next) {
            if (bottom != next)
                setCellFrameWith(row, collectionWidth, insets);
        } else if (a.kind != ElementKind::Item) {
            row.clear();
            m_sumCellWidth = 0;
        } else {
            setCellFrameWith(row, collectionWidth, insets);
        }
    }
}

void MacVideoCollectionViewLayout::setCellFrameWith(QList<Attributes *> &row, double collectionWidth, Insets insets)
{
    const qsizetype k = row.size();
    if (m_cellType == 2) {
        double x = collectionWidth - insets.right;
        for (qsizetype i = k - 1; i >= 0; --i) {
            QRectF &f = row[i]->frame;
            f.moveLeft(x - f.width());
            x -= f.width() + m_betweenOfCell;
        }
    } else {
        double x = m_cellType == 0 ? insets.left : (collectionWidth - m_sumCellWidth - (k - 1) * m_betweenOfCell) / 2;
        for (Attributes *a : row) {
            a->frame.moveLeft(x);
            x += a->frame.width() + m_betweenOfCell;
        }
    }
    m_sumCellWidth = 0;
    row.clear();
}
