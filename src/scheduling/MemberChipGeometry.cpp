#include "scheduling/MemberChipGeometry.h"

#include <QtMath>

#include <algorithm>

namespace MemberChipGeometry {

int chipWidth(qreal textWidth, bool showDelete)
{
    const qreal width = std::max<qreal>(0, textWidth) + 2 * kChipPadding + (showDelete ? kChipDeleteWidth : 0);
    return int(qCeil(width));
}

QSize chipSize(qreal textWidth, bool showDelete, int height)
{
    return {chipWidth(textWidth, showDelete), height};
}

namespace {

// Rows of left-packed items; a chip wider than the row is cut to the row.
struct Packer {
    const FlowSpacing *spacing;
    int left;
    int right; // the x where a row ends
    int x;
    int y;
    int rowHeight = 0;
    int rows = 0;

    Packer(const FlowSpacing &s, int width)
        : spacing(&s), left(s.insets.left()), right(std::max(s.insets.left(), width - s.insets.right())),
          x(s.insets.left()), y(s.insets.top())
    {
    }

    // The frame of the next item, and whether it began a row.
    QRect place(QSize size, bool *newRow)
    {
        const int w = std::min(std::max(0, size.width()), right - left);
        *newRow = rows == 0 || (x > left && x + w > right);
        if (*newRow && rows > 0) {
            x = left;
            y += rowHeight + spacing->lineSpacing;
            rowHeight = 0;
        }
        if (*newRow)
            ++rows;
        const QRect frame(x, y, w, size.height());
        x += w + spacing->itemSpacing;
        rowHeight = std::max(rowHeight, size.height());
        return frame;
    }

    [[nodiscard]] int height() const { return rows == 0 ? 0 : y + rowHeight + spacing->insets.bottom(); }
};

} // namespace

EnterFlowPass enterFlow(const QList<QSize> &sizes, int width, const FlowSpacing &spacing)
{
    EnterFlowPass pass;
    if (sizes.isEmpty())
        return pass;
    Packer packer(spacing, width);
    pass.frames.reserve(sizes.size());
    for (const QSize &size : sizes) {
        bool newRow = false;
        pass.frames.append(packer.place(size, &newRow));
    }
    QRect &entry = pass.frames.last();
    entry.setWidth(std::max(0, packer.right - entry.x()));
    pass.lines = packer.rows;
    pass.contentHeight = packer.height();
    return pass;
}

TwoLinePass twoLines(const QList<QSize> &sizes, int width, const FlowSpacing &spacing)
{
    TwoLinePass pass;
    if (sizes.isEmpty())
        return pass;
    Packer packer(spacing, width);
    pass.frames.reserve(std::min<qsizetype>(sizes.size(), 64));
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        Packer before = packer;
        bool newRow = false;
        const QRect frame = packer.place(sizes[i], &newRow);
        if (newRow && packer.rows == 3) {
            packer = before;
            pass.moreIndex = int(i - 1);
            pass.frames.last().setWidth(std::min(kMoreChipWidth, packer.right - pass.frames.last().x()));
            break;
        }
        pass.frames.append(frame);
    }
    pass.visibleCount = int(pass.frames.size());
    pass.contentHeight = packer.height();
    return pass;
}

int suitedHeight(qsizetype count, bool miniMode)
{
    if (count <= 0)
        return kSelectEmptyHeight;
    if (miniMode)
        return int(std::min<qsizetype>(count, 3)) * kSelectRowHeight;
    return int(std::min<qsizetype>(count, 5)) * kSelectRowHeight + 8;
}

} // namespace MemberChipGeometry
